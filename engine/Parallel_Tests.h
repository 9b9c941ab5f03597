#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace smx::engine {

// The processor and memory tests on several threads at once: each thread runs the unchanged
// kernel with the full parameters, all of them released together.

// The processors this process may run on (its affinity mask), in ascending order. Empty when
// the mask cannot be read.
std::vector<int> Allowed_Processors();

// The processor each of `threads` threads is pinned to: one per processor of `allowed`, in its
// order, while there are processors left; -1 (not pinned) for threads beyond them.
std::vector<int> Thread_Processors(int threads, const std::vector<int>& allowed);

// One parallel run of a test.
struct Parallel_Timing {
    // From the release to the last thread's end, in ticks: the test's time.
    std::uint32_t took = 0;
    // Each thread's time from the release to its own end.
    std::vector<std::uint32_t> thread_ms;
    // What each thread's kernel returned.
    std::vector<std::int64_t> counts;
    // The processor each thread ran pinned to; -1 where it was not pinned or pinning failed.
    std::vector<int> pinned;
};

// Starts one thread per entry of `processors` (pinned where the entry is not -1), holds them at a
// barrier until all have started, and times each from the release to the end of its `work`. The
// termination signals stay with the calling thread. An exception of any thread's work is rethrown
// here once all have ended; a thread that cannot be started throws std::system_error, after the
// ones already started have been released without working and joined.
Parallel_Timing Run_On_Threads(const std::vector<int>& processors,
                               const std::function<std::int64_t()>& work);

} // namespace smx::engine
