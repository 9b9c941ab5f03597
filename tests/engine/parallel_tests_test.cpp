#include "engine/Kernels.h"
#include "engine/Parallel_Tests.h"
#include "engine/Run_Driver.h"
#include "platform/Termination.h"
#include "platform/Tick.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <new>
#include <pthread.h>
#include <sched.h>
#include <thread>

namespace smx::engine {
namespace {

TEST(Thread_Processors, OnePerAllowedProcessorThenUnpinned) {
    struct Case {
        int threads;
        std::vector<int> allowed;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {1, {0, 1}, {0}},      {2, {0, 1}, {0, 1}}, {4, {2, 5}, {2, 5, -1, -1}},
        {3, {}, {-1, -1, -1}}, {0, {0}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Thread_Processors(c.threads, c.allowed), c.expected) << c.threads;
}

TEST(Allowed_Processors, TheAffinityMaskInOrder) {
    const std::vector<int> allowed = Allowed_Processors();
    ASSERT_FALSE(allowed.empty());
    EXPECT_TRUE(std::is_sorted(allowed.begin(), allowed.end()));
    EXPECT_EQ(std::adjacent_find(allowed.begin(), allowed.end()), allowed.end());
    // The processor this thread runs on now is one of them.
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), sched_getcpu()), allowed.end());
}

Run_Settings small_work(int threads) {
    Run_Settings s;
    s.threads = threads;
    s.integer_loops_millions = 3;
    s.float_loops_millions = 2;
    s.array_size = 5000;
    s.array_loops = 7;
    return s;
}

// Every thread does the whole of the test's work, not a share of it.
TEST(Run_Test_On_Threads, EachThreadDoesTheFullWork) {
    struct Case {
        Test_Id test;
        std::int64_t count;
    };
    const Case cases[] = {
        {Test_Id::Integer_Arithmetic, 3000001},         // n + 1 passes
        {Test_Id::Floating_Point_Arithmetic, 2000000},  // the counter ends at the limit
        {Test_Id::Memory_Speed, 7 * (2 * (5000 - 1))}}; // each array's last element, 2 * j
    for (const int threads : {1, 3, 5}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << threads << " threads, test " << int(c.test));
            const Parallel_Timing t = Run_Test_On_Threads(c.test, small_work(threads));
            ASSERT_EQ(t.counts.size(), static_cast<std::size_t>(threads));
            for (std::int64_t count : t.counts)
                EXPECT_EQ(count, c.count);
            EXPECT_EQ(t.thread_ms.size(), t.counts.size());
        }
    }
}

// The clock is read once at the release and once at each thread's end; with a clock that moves
// 100 ms per reading, the test's time is the last end's, and each thread has its own.
TEST(Run_On_Threads, TimedFromTheReleaseToTheLastEnd) {
    std::atomic<std::uint32_t> now{5000};
    platform::set_tick_source([&] { return now.fetch_add(100); });
    const Parallel_Timing t = Run_On_Threads({-1, -1, -1, -1}, [] { return std::int64_t{1}; });
    platform::set_tick_source({});
    EXPECT_EQ(now.load(), 5000u + 5 * 100); // one release and four ends
    std::vector<std::uint32_t> ms = t.thread_ms;
    std::sort(ms.begin(), ms.end());
    EXPECT_EQ(ms, (std::vector<std::uint32_t>{100, 200, 300, 400}));
    EXPECT_EQ(t.took, 400u);
}

// Real time: the threads finish at different moments, and the test's time covers the slowest.
TEST(Run_On_Threads, TheTimeSpansEveryThread) {
    std::atomic<int> next{0};
    const Parallel_Timing t = Run_On_Threads({-1, -1, -1}, [&] {
        const int k = ++next;
        std::this_thread::sleep_for(std::chrono::milliseconds(40 * k));
        return std::int64_t{k};
    });
    std::vector<std::int64_t> counts = t.counts;
    std::sort(counts.begin(), counts.end());
    EXPECT_EQ(counts, (std::vector<std::int64_t>{1, 2, 3}));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_GE(t.thread_ms[i], static_cast<std::uint32_t>(40 * t.counts[i] - 1)) << i;
        EXPECT_LE(t.thread_ms[i], t.took) << i;
    }
    EXPECT_EQ(t.took, *std::max_element(t.thread_ms.begin(), t.thread_ms.end()));
    EXPECT_GE(t.took, 119u);
}

TEST(Run_On_Threads, PinsEachThreadToItsProcessor) {
    const std::vector<int> allowed = Allowed_Processors();
    const std::vector<int> plan = Thread_Processors(static_cast<int>(allowed.size()) + 1, allowed);
    const Parallel_Timing t = Run_On_Threads(plan, [] { return std::int64_t{sched_getcpu()}; });
    for (std::size_t i = 0; i < allowed.size(); ++i) {
        EXPECT_EQ(t.pinned[i], allowed[i]) << i;
        EXPECT_EQ(t.counts[i], allowed[i]) << i;
    }
    EXPECT_EQ(t.pinned.back(), -1); // more threads than processors: the last is not pinned
}

// A termination signal is the calling thread's to handle, as on one thread.
TEST(Run_On_Threads, TheThreadsHoldBackTheTerminationSignals) {
    const Parallel_Timing t = Run_On_Threads({-1, -1}, [] {
        sigset_t mask;
        pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        return std::int64_t{sigismember(&mask, SIGTERM) && sigismember(&mask, SIGINT) &&
                            sigismember(&mask, SIGHUP)};
    });
    EXPECT_EQ(t.counts, (std::vector<std::int64_t>{1, 1}));
    sigset_t mine;
    pthread_sigmask(SIG_BLOCK, nullptr, &mine);
    EXPECT_FALSE(sigismember(&mine, SIGTERM));
}

TEST(Run_On_Threads, AFailingThreadFailsTheTestOnceAllHaveEnded) {
    std::atomic<int> ended{0};
    std::atomic<int> next{0};
    EXPECT_THROW(Run_On_Threads({-1, -1, -1},
                                [&]() -> std::int64_t {
                                    const int k = ++next;
                                    std::this_thread::sleep_for(std::chrono::milliseconds(10 * k));
                                    ++ended;
                                    if (k == 1)
                                        throw std::bad_alloc();
                                    return 0;
                                }),
                 std::bad_alloc);
    EXPECT_EQ(ended.load(), 3);
}

// A stop ends each thread's memory test where the one-thread test would end: before its next
// array. The processor loops run to their end, as they do on one thread.
TEST(Run_Test_On_Threads, AStopEndsEveryThreadBetweenArrays) {
    Run_Settings s = small_work(3);
    s.array_loops = 2000000000; // hours, unless every thread stops
    platform::request_stop();
    const Parallel_Timing memory = Run_Test_On_Threads(Test_Id::Memory_Speed, s);
    const Parallel_Timing integer = Run_Test_On_Threads(Test_Id::Integer_Arithmetic, s);
    platform::reset_termination_state_for_tests();
    EXPECT_EQ(memory.counts, (std::vector<std::int64_t>{0, 0, 0}));
    EXPECT_EQ(integer.counts, (std::vector<std::int64_t>{3000001, 3000001, 3000001}));
}

} // namespace
} // namespace smx::engine
