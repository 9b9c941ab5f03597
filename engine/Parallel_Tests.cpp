#include "engine/Parallel_Tests.h"

#include "platform/Tick.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cerrno>
#include <csignal>
#include <exception>
#include <pthread.h>
#include <sched.h>
#include <system_error>
#include <thread>

namespace smx::engine {
namespace {

// Blocks the termination signals for the threads started while it lives, so that a signal is
// always handled by the calling thread, as in a run on one thread.
class Signals_Held_Back {
public:
    Signals_Held_Back() {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : {SIGTERM, SIGINT, SIGHUP})
            sigaddset(&set, sig);
        pthread_sigmask(SIG_BLOCK, &set, &before_);
    }
    ~Signals_Held_Back() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    Signals_Held_Back(const Signals_Held_Back&) = delete;
    Signals_Held_Back& operator=(const Signals_Held_Back&) = delete;

private:
    sigset_t before_;
};

bool pin_to(int processor) {
    if (processor < 0)
        return false;
    const std::size_t size = CPU_ALLOC_SIZE(processor + 1);
    cpu_set_t* set = CPU_ALLOC(processor + 1);
    if (set == nullptr)
        return false;
    CPU_ZERO_S(size, set);
    CPU_SET_S(static_cast<std::size_t>(processor), size, set);
    const bool ok = pthread_setaffinity_np(pthread_self(), size, set) == 0;
    CPU_FREE(set);
    return ok;
}

} // namespace

std::vector<int> Allowed_Processors() {
    // The mask may be wider than cpu_set_t on machines with many processors: grow until it fits.
    for (int count = 1024; count <= (1 << 20); count *= 2) {
        cpu_set_t* set = CPU_ALLOC(count);
        if (set == nullptr)
            return {};
        const std::size_t size = CPU_ALLOC_SIZE(count);
        CPU_ZERO_S(size, set);
        if (sched_getaffinity(0, size, set) == 0) {
            std::vector<int> processors;
            for (int cpu = 0; cpu < count; ++cpu)
                if (CPU_ISSET_S(static_cast<std::size_t>(cpu), size, set))
                    processors.push_back(cpu);
            CPU_FREE(set);
            return processors;
        }
        CPU_FREE(set);
        if (errno != EINVAL)
            return {};
    }
    return {};
}

std::vector<int> Thread_Processors(int threads, const std::vector<int>& allowed) {
    std::vector<int> processors;
    for (int i = 0; i < threads; ++i)
        processors.push_back(static_cast<std::size_t>(i) < allowed.size() ? allowed[i] : -1);
    return processors;
}

Parallel_Timing Run_On_Threads(const std::vector<int>& processors,
                               const std::function<std::int64_t()>& work) {
    const std::size_t n = processors.size();
    Parallel_Timing timing;
    timing.thread_ms.assign(n, 0);
    timing.counts.assign(n, 0);
    timing.pinned.assign(n, -1);
    if (n == 0)
        return timing;

    std::uint32_t release = 0;
    // The last thread to arrive takes the release tick before any of them goes on.
    auto on_release = [&release]() noexcept { release = platform::GetTickCount(); };
    std::barrier gate(static_cast<std::ptrdiff_t>(n), on_release);
    std::atomic<bool> cancelled{false};
    std::vector<std::uint32_t> ends(n, 0);
    std::vector<std::exception_ptr> failures(n);
    std::vector<std::thread> threads;
    threads.reserve(n);

    std::exception_ptr start_failure;
    {
        const Signals_Held_Back held_back;
        for (std::size_t i = 0; i < n; ++i) {
            try {
                threads.emplace_back([&, i] {
                    if (pin_to(processors[i]))
                        timing.pinned[i] = processors[i];
                    gate.arrive_and_wait();
                    if (cancelled.load())
                        return;
                    try {
                        timing.counts[i] = work();
                    } catch (...) {
                        failures[i] = std::current_exception();
                    }
                    ends[i] = platform::GetTickCount();
                });
            } catch (...) {
                // The threads already waiting are released without working.
                start_failure = std::current_exception();
                cancelled.store(true);
                (void)gate.arrive(static_cast<std::ptrdiff_t>(n - i));
                break;
            }
        }
    }
    for (std::thread& t : threads)
        t.join();
    if (start_failure)
        std::rethrow_exception(start_failure);
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);

    for (std::size_t i = 0; i < n; ++i) {
        timing.thread_ms[i] = platform::tick_difference(ends[i], release);
        timing.took = std::max(timing.took, timing.thread_ms[i]);
    }
    return timing;
}

} // namespace smx::engine
