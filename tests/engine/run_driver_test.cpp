#include "engine/Run_Driver.h"
#include "information_text.h"
#include "platform/Message_Boxes.h"
#include "platform/Termination.h"
#include "platform/Tick.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace smx::engine {
namespace {

using platform::Box_Kind;

const std::array<QString, Test_Id_Count> Captions = {
    QStringLiteral("Integer Arithmetic"),
    QStringLiteral("Floating Point Arithmetic"),
    QStringLiteral("Memory Speed"),
    QStringLiteral("Disk Speed (Small Files)"),
    QStringLiteral("Disk Speed (Large Files)"),
    QStringLiteral("Graphics: Standard Windows Forms / Controls"),
    QStringLiteral("Graphics: 2D Bitmaps and Drawings")};

// Tiny work counts so that a run takes milliseconds.
Run_Settings tiny_settings() {
    Run_Settings s;
    s.captions = Captions;
    s.integer_loops_millions = 1;
    s.float_loops_millions = 1;
    s.array_size = 1000;
    s.array_loops = 10;
    s.small_files = 3;
    s.small_file_kb = 4;
    s.large_files = 2;
    s.large_file_kb = 8;
    s.drive_letter = 't';
    return s;
}

Run_Settings with_ticked(std::initializer_list<Test_Id> tests, int repetitions = 1) {
    Run_Settings s = tiny_settings();
    for (Test_Id t : tests)
        s.ticked[static_cast<int>(t)] = true;
    s.repetitions = repetitions;
    return s;
}

// Records every call as a line, so a test can check the order of the run's steps.
class Fake_Host : public Run_Host {
public:
    Run_Settings settings;
    TBenchmark_Results results;
    bool saved = true;
    bool suppressed = false;
    int controls = 0;
    std::vector<long double> pixel_counts;      // one per 2D run; the last repeats
    std::function<void(Test_Id)> graphics_test; // what a graphics test does
    int close_after_tests = -1;                 // asks for a close after this many tests
    QStringList calls;
    std::vector<Information_Message> dialogs;
    int tests_run = 0;
    int pixel_reads = 0;
    struct Timed {
        Test_Id test;
        int repetition;
        std::uint32_t ms;
    };
    std::vector<Timed> timed;
    std::vector<std::vector<std::uint32_t>> thread_times; // one entry per threaded test run

    Run_Settings read_settings() override {
        calls << QStringLiteral("settings");
        return settings;
    }
    TBenchmark_Results& main_results() override { return results; }
    bool results_saved() override { return saved; }
    void set_results_saved(bool s) override {
        calls << QStringLiteral("saved %1").arg(s);
        saved = s;
    }
    bool information_suppressed() override { return suppressed; }
    void show_information_dialog(const Information_Message& m) override {
        calls << QStringLiteral("dialog");
        dialogs.push_back(m);
    }
    void show_progress_panel(int total) override { calls << QStringLiteral("panel %1").arg(total); }
    void hide_progress_panel() override { calls << QStringLiteral("hide panel"); }
    void show_progress(int index, const QString& caption, int rep, int count) override {
        calls << QStringLiteral("progress %1/%2 rep %3 %4")
                     .arg(index)
                     .arg(count)
                     .arg(rep)
                     .arg(caption);
    }
    void advance_progress(int done) override {
        ++tests_run;
        calls << QStringLiteral("advance %1").arg(done);
    }
    void test_timed(Test_Id test, int rep, std::uint32_t ms) override {
        timed.push_back({test, rep, ms});
    }
    void threads_timed(Test_Id, int, const std::vector<std::uint32_t>& ms) override {
        thread_times.push_back(ms);
    }
    void set_buttons_enabled(bool e) override { calls << QStringLiteral("buttons %1").arg(e); }
    void set_menu_enabled(bool e) override { calls << QStringLiteral("menu %1").arg(e); }
    void set_graphics_caption(Test_Id, const QString& caption) override {
        calls << QStringLiteral("caption ") + caption;
    }
    void run_graphics_test(Test_Id test) override {
        calls << QStringLiteral("exec %1").arg(static_cast<int>(test));
        if (graphics_test)
            graphics_test(test);
    }
    int controls_manipulated() override { return controls; }
    long double test_pixel_count() override {
        if (pixel_counts.empty())
            return 0;
        const auto i = std::min<std::size_t>(pixel_reads++, pixel_counts.size() - 1);
        return pixel_counts[i];
    }
    void redraw_graph() override { calls << QStringLiteral("graph"); }
    void show_results_page() override { calls << QStringLiteral("results page"); }
    bool close_requested() override {
        return close_after_tests >= 0 && tests_run >= close_after_tests;
    }
};

// Each test gets a temporary drive "t" and a responder for the message boxes.
class Run_Driver_Test : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<test::Drive_Table> drives;
    platform::Scripted_Responder boxes;
    Fake_Host host;
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        drives = std::make_unique<test::Drive_Table>(
            std::vector<platform::Drive>{{'t', dir.path(), QStringLiteral("test")}});
        host.results.Name = QStringLiteral("Old");
        for (int i = 0; i < TBenchmark_Results::Rate_Count; ++i)
            host.results.rate(i) = 100 + i;
        host.results.Elapsed_Time_MSec = 77;
    }
    QStringList root_entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    void expect_results_untouched() const {
        EXPECT_EQ(host.results.Name, QStringLiteral("Old"));
        for (int i = 0; i < TBenchmark_Results::Rate_Count; ++i)
            EXPECT_EQ(host.results.rate(i), 100 + i) << i;
        EXPECT_EQ(host.results.Elapsed_Time_MSec, 77);
    }
};

TEST(Run_Messages, ExactTexts) {
    EXPECT_EQ(Read_Only_Drive_Message('e'),
              QStringLiteral("The selected drive E:\\ is READ-ONLY.\r\n\r\n"
                             "Please select a drive that you can write to."));
    EXPECT_EQ(Not_Enough_Space_Message('c', 2048000, QStringLiteral("Disk Speed (Small Files)")),
              QStringLiteral("There is not enough free disk space free on the selected drive "
                             "C:\\.\r\n\r\nYou need 1.953125 MB to run the \"Disk Speed (Small "
                             "Files)\" benchmark test.\r\n\r\nPlease make some space or select "
                             "another drive."));
    EXPECT_EQ(No_Tests_Selected_Message(),
              QStringLiteral("No tests selected - please select one or more benchmark tests."));
}

TEST(Run_Messages, MegabytesInGeneralFormat) {
    auto megabytes = [](std::int64_t bytes) {
        const QString text = Not_Enough_Space_Message('c', bytes, QStringLiteral("X"));
        const qsizetype from = text.indexOf(QStringLiteral("You need ")) + 9;
        return text.mid(from, text.indexOf(QStringLiteral(" MB")) - from);
    };
    EXPECT_EQ(megabytes(104857600), QStringLiteral("100"));
    EXPECT_EQ(megabytes(1024), QStringLiteral("0.0009765625"));
    EXPECT_EQ(megabytes(3000LL * 1048576 * 1024), QStringLiteral("3072000"));
    // Fifteen significant digits at most: 117.73756885528564453125 exactly.
    EXPECT_EQ(megabytes(123456789), QStringLiteral("117.737568855286"));
    {
        // The locale's decimal separator, and no grouping.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(megabytes(2048000 + 1024LL * 1048576 * 10), QStringLiteral("10241,953125"));
        QLocale::setDefault(QLocale::c());
    }
}

TEST(Run_Messages, ProgressTextOfTheSecondOfThreeTests) {
    EXPECT_EQ(Benchmark_Progress_Text(2, QStringLiteral("Floating Point Arithmetic"), 1, 3, 1),
              QStringLiteral("\r\nBenchmark Test 2 of 3\r\n\r\nRepetition 1 of 1\r\n\r\n"
                             "Floating Point Arithmetic\r\n\r\nPlease wait .... "));
    EXPECT_EQ(Benchmark_Progress_Text(7, QStringLiteral("X"), 12, 7, 100),
              QStringLiteral("\r\nBenchmark Test 7 of 7\r\n\r\nRepetition 12 of 100\r\n\r\n"
                             "X\r\n\r\nPlease wait .... "));
}

TEST(Run_Messages, InformationMessage) {
    const Information_Message m = Benchmark_Information_Message();
    EXPECT_EQ(m.caption, QStringLiteral("Benchmark Information :"));
    EXPECT_EQ(m.outer_height, 460);
    EXPECT_EQ(m.font_points, 12);
    EXPECT_TRUE(m.centred);
    const QStringList expected = Information_Text_Lines();
    ASSERT_EQ(m.lines.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(m.lines[i], expected[i]) << "line " << i;
}

struct Need_Case {
    std::vector<Test_Id> ticked;
    int small_files, small_kb, large_files, large_kb;
    std::int64_t bytes;
    const char* caption;
};

class Required_Disk_Space_Test : public ::testing::TestWithParam<Need_Case> {};

TEST_P(Required_Disk_Space_Test, SmallFilesDecideWhenTicked) {
    const auto c = GetParam();
    Run_Settings s = tiny_settings();
    for (Test_Id t : c.ticked)
        s.ticked[static_cast<int>(t)] = true;
    s.small_files = c.small_files;
    s.small_file_kb = c.small_kb;
    s.large_files = c.large_files;
    s.large_file_kb = c.large_kb;
    const Disk_Need need = Required_Disk_Space(s);
    EXPECT_EQ(need.bytes, c.bytes);
    EXPECT_EQ(need.caption, QString::fromLatin1(c.caption));
}

INSTANTIATE_TEST_SUITE_P(Cases, Required_Disk_Space_Test,
                         ::testing::Values(Need_Case{{Test_Id::Disk_Speed_Small_Files},
                                                     500,
                                                     4,
                                                     10,
                                                     10240,
                                                     2048000,
                                                     "Disk Speed (Small Files)"},
                                           Need_Case{{Test_Id::Disk_Speed_Large_Files},
                                                     500,
                                                     4,
                                                     10,
                                                     10240,
                                                     104857600,
                                                     "Disk Speed (Large Files)"},
                                           Need_Case{{Test_Id::Disk_Speed_Small_Files,
                                                      Test_Id::Disk_Speed_Large_Files},
                                                     500,
                                                     4,
                                                     100000,
                                                     10240,
                                                     2048000,
                                                     "Disk Speed (Small Files)"},
                                           // Above 2 GiB the need stays positive and exact.
                                           Need_Case{{Test_Id::Disk_Speed_Small_Files},
                                                     3000,
                                                     1048576,
                                                     1,
                                                     1,
                                                     3221225472000LL,
                                                     "Disk Speed (Small Files)"},
                                           Need_Case{{Test_Id::Disk_Speed_Large_Files},
                                                     1,
                                                     1,
                                                     2147483647,
                                                     2097151,
                                                     2147483647LL * 2097151 * 1024,
                                                     "Disk Speed (Large Files)"}));

struct Rate_Case {
    Test_Id test;
    std::uint32_t ms;
    long double expected;
};

class Compute_Rates_Test : public ::testing::TestWithParam<Rate_Case> {};

TEST_P(Compute_Rates_Test, WorkOverAveragedSeconds) {
    const auto c = GetParam();
    Run_Settings s;
    s.integer_loops_millions = 900;
    s.float_loops_millions = 128;
    s.array_size = 30000;
    s.array_loops = 4000;
    s.small_files = 500;
    s.small_file_kb = 4;
    s.large_files = 10;
    s.large_file_kb = 10240;
    std::array<std::uint32_t, Test_Id_Count> ms{};
    ms[static_cast<int>(c.test)] = c.ms;
    TBenchmark_Results r;
    Compute_Rates(s, ms, 1200, 5011500, r);
    for (int i = 0; i < Test_Id_Count; ++i) {
        if (i == static_cast<int>(c.test))
            EXPECT_NEAR(static_cast<double>(r.rate(i)), static_cast<double>(c.expected),
                        static_cast<double>(c.expected) * 1e-15);
        else
            EXPECT_EQ(r.rate(i), 0) << "rate " << i << " has no time";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Compute_Rates_Test,
    ::testing::Values(Rate_Case{Test_Id::Integer_Arithmetic, 1800, 2000000000.0L},
                      Rate_Case{Test_Id::Floating_Point_Arithmetic, 1000, 768000000.0L},
                      Rate_Case{Test_Id::Memory_Speed, 500, 457.763671875L},
                      Rate_Case{Test_Id::Disk_Speed_Small_Files, 400, 5000.0L},
                      Rate_Case{Test_Id::Disk_Speed_Large_Files, 2000, 51200.0L},
                      Rate_Case{Test_Id::Graphics_Windows_Controls, 600, 2000.0L},
                      Rate_Case{Test_Id::Graphics_2D, 1000, 5011500.0L},
                      // A time below the tick keeps rate 0.
                      Rate_Case{Test_Id::Integer_Arithmetic, 0, 0.0L}));

TEST(Compute_Rates, DiskWorkDoesNotWrapAbove2TB) {
    Run_Settings s;
    s.small_files = 3000;
    s.small_file_kb = 1048576;
    std::array<std::uint32_t, Test_Id_Count> ms{};
    ms[static_cast<int>(Test_Id::Disk_Speed_Small_Files)] = 1000;
    TBenchmark_Results r;
    Compute_Rates(s, ms, 0, 0, r);
    EXPECT_EQ(r.Small_Files_KB_Per_Sec, 3145728000.0L);
}

struct Averaging_Case {
    std::vector<std::uint32_t> times;
    std::uint32_t averaged;
};

class Averaging_Test : public Run_Driver_Test,
                       public ::testing::WithParamInterface<Averaging_Case> {};

// The scripted clock: run start, then a start and end tick per test, then the run's end.
TEST_P(Averaging_Test, TimesAreSummedThenDividedWithTruncation) {
    const auto c = GetParam();
    const int R = static_cast<int>(c.times.size());
    host.settings = with_ticked({Test_Id::Integer_Arithmetic}, R);
    std::vector<std::uint32_t> ticks{1000};
    std::uint32_t now = 1000;
    for (std::uint32_t t : c.times) {
        now += 50;
        ticks.push_back(now);
        now += t;
        ticks.push_back(now);
    }
    ticks.push_back(now + 1);
    test::Scripted_Ticks clock(ticks);
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Completed);
    const long double T = c.averaged;
    EXPECT_EQ(host.results.Integer_Operations_Per_Sec, T > 0 ? 4000000.0L / (T / 1000) : 0);
    EXPECT_EQ(host.results.Elapsed_Time_MSec, static_cast<long double>(now + 1 - 1000) / R);
    EXPECT_EQ(clock.calls(), 2 + 2 * R);
    // Each repetition's time is reported as it went into the sum.
    ASSERT_EQ(host.timed.size(), c.times.size());
    for (int r = 0; r < R; ++r) {
        EXPECT_EQ(host.timed[r].test, Test_Id::Integer_Arithmetic);
        EXPECT_EQ(host.timed[r].repetition, r + 1);
        EXPECT_EQ(host.timed[r].ms, c.times[r]);
    }
}

INSTANTIATE_TEST_SUITE_P(Times, Averaging_Test,
                         ::testing::Values(Averaging_Case{{10, 11, 12}, 11},
                                           Averaging_Case{{10, 10, 11}, 10}, Averaging_Case{{7}, 7},
                                           Averaging_Case{{1, 1, 1, 0}, 0}));

// On N threads, the processor and memory rates count the work N times over the time from the
// threads' release to the last one's end; the disk and graphics tests stay on one thread.
TEST_F(Run_Driver_Test, ThreadedTestsCountTheWorkOncePerThread) {
    for (const Test_Id test :
         {Test_Id::Integer_Arithmetic, Test_Id::Floating_Point_Arithmetic, Test_Id::Memory_Speed}) {
        SCOPED_TRACE(static_cast<int>(test));
        host.settings = with_ticked({test, Test_Id::Disk_Speed_Small_Files});
        host.settings.threads = 3;
        host.thread_times.clear();
        host.timed.clear();
        // 100 ms per reading: run start, release, three ends, the disk test's start and end, and
        // the run's end.
        std::atomic<std::uint32_t> now{1000};
        platform::set_tick_source([&] { return now.fetch_add(100); });
        const Run_Outcome outcome = Run_Benchmark(host);
        platform::set_tick_source({});
        ASSERT_EQ(outcome, Run_Outcome::Completed);
        EXPECT_EQ(now.load(), 1000u + 8 * 100);
        ASSERT_EQ(host.thread_times.size(), 1u);
        std::vector<std::uint32_t> ms = host.thread_times[0];
        std::sort(ms.begin(), ms.end());
        EXPECT_EQ(ms, (std::vector<std::uint32_t>{100, 200, 300}));
        ASSERT_EQ(host.timed.size(), 2u);
        EXPECT_EQ(host.timed[0].ms, 300u);
        EXPECT_EQ(host.timed[1].ms, 100u);
        // Work of one thread: 4 M integer or 6 M floating-point operations, 10 arrays of 1000.
        const long double one = test == Test_Id::Integer_Arithmetic ? 4000000.0L
                                : test == Test_Id::Floating_Point_Arithmetic
                                    ? 6000000.0L
                                    : 10 * 1000 * 2.0L / 1024 / 1024;
        EXPECT_EQ(host.results.rate(static_cast<int>(test)), 3 * one / 0.3L);
        EXPECT_EQ(host.results.Small_Files_KB_Per_Sec, 12 / 0.1L);
    }
}

// One thread is the run without threads: the clock is read around the loop itself.
TEST_F(Run_Driver_Test, OneThreadIsTheUsualRun) {
    host.settings = with_ticked({Test_Id::Integer_Arithmetic});
    host.settings.threads = 1;
    // Every reading of the clock, the loop's end included, happens on the calling thread.
    const std::vector<std::uint32_t> ticks = {1000, 1100, 1600, 1700};
    std::vector<std::thread::id> readers;
    platform::set_tick_source([&] {
        readers.push_back(std::this_thread::get_id());
        return ticks[std::min(readers.size(), ticks.size()) - 1];
    });
    const Run_Outcome outcome = Run_Benchmark(host);
    platform::set_tick_source({});
    ASSERT_EQ(outcome, Run_Outcome::Completed);
    EXPECT_EQ(readers, std::vector<std::thread::id>(4, std::this_thread::get_id()));
    EXPECT_EQ(host.results.Integer_Operations_Per_Sec, 8000000);
    ASSERT_EQ(host.thread_times.size(), 1u);
    EXPECT_EQ(host.thread_times[0], (std::vector<std::uint32_t>{500}));
}

TEST_F(Run_Driver_Test, RepetitionCountBelowOneRunsOnce) {
    for (const int repetitions : {0, -3}) {
        SCOPED_TRACE(repetitions);
        host.calls.clear();
        host.tests_run = 0;
        host.settings = with_ticked({Test_Id::Integer_Arithmetic}, repetitions);
        test::Scripted_Ticks clock({1000, 1100, 1600, 1700});
        ASSERT_EQ(Run_Benchmark(host), Run_Outcome::Completed);
        EXPECT_EQ(host.tests_run, 1);
        EXPECT_TRUE(host.calls.contains(QStringLiteral("panel 1")));
        EXPECT_TRUE(host.calls.contains(QStringLiteral("progress 1/1 rep 1 ") + Captions[0]));
        // 4,000,000 operations over 500 ms; the whole run's 700 ms as one repetition.
        EXPECT_EQ(host.results.Integer_Operations_Per_Sec, 8000000);
        EXPECT_EQ(host.results.Elapsed_Time_MSec, 700);
        EXPECT_EQ(clock.calls(), 4);
    }
}

TEST_F(Run_Driver_Test, TickWrapInsideATest) {
    host.settings = with_ticked({Test_Id::Floating_Point_Arithmetic});
    test::Scripted_Ticks clock({0xFFFFFF00u, 0xFFFFFFF0u, 0x00000010u, 0x00000030u});
    ASSERT_EQ(Run_Benchmark(host), Run_Outcome::Completed);
    // 32 ms across the wrap, 0x130 ms for the run.
    EXPECT_EQ(host.results.Floating_Point_Operations_Per_Sec, 6000000.0L / (32.0L / 1000));
    EXPECT_EQ(host.results.Elapsed_Time_MSec, 0x130);
    ASSERT_EQ(host.timed.size(), 1u);
    EXPECT_EQ(host.timed[0].ms, 32u);
}

TEST_F(Run_Driver_Test, StepsInTheirOrder) {
    host.settings = with_ticked(
        {Test_Id::Integer_Arithmetic, Test_Id::Floating_Point_Arithmetic, Test_Id::Graphics_2D}, 2);
    host.pixel_counts = {1000, 2000};
    test::Scripted_Ticks clock({0, 0, 10, 10, 20, 20, 30, 30, 40, 40, 50, 50, 60, 60});
    ASSERT_EQ(Run_Benchmark(host), Run_Outcome::Completed);
    const QString i = Captions[0], f = Captions[1], g = Captions[6];
    const QStringList expected = {"settings",
                                  "dialog",
                                  "panel 6",
                                  "buttons 0",
                                  "menu 0",
                                  "progress 1/3 rep 1 " + i,
                                  "advance 1",
                                  "progress 2/3 rep 1 " + f,
                                  "advance 2",
                                  "caption " + g,
                                  "progress 3/3 rep 1 " + g,
                                  "exec 6",
                                  "advance 3",
                                  "progress 1/3 rep 2 " + i,
                                  "advance 4",
                                  "progress 2/3 rep 2 " + f,
                                  "advance 5",
                                  "caption " + g,
                                  "progress 3/3 rep 2 " + g,
                                  "exec 6",
                                  "advance 6",
                                  "buttons 1",
                                  "menu 1",
                                  "hide panel",
                                  "graph",
                                  "results page",
                                  "saved 0"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(host.results.Name, QStringLiteral("This PC"));
    // The pixel count is the last repetition's, over the averaged 10 ms.
    EXPECT_EQ(host.results.Windows_Graphics_Pixels_Per_Sec, 2000.0L / (10.0L / 1000));
    // Tests not ticked were zeroed.
    EXPECT_EQ(host.results.Memory_Speed_MB_Per_Sec, 0);
    EXPECT_EQ(host.results.Windows_Controls_Operations_Per_Sec, 0);
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].caption, QStringLiteral("Benchmark Information :"));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Run_Driver_Test, RatesUseTheParametersTheRunStartedWith) {
    host.settings = with_ticked(
        {Test_Id::Floating_Point_Arithmetic, Test_Id::Memory_Speed, Test_Id::Graphics_2D});
    const Run_Settings started = host.settings;
    host.pixel_counts = {1000};
    // What the options say once the tests have run is not what they ran with.
    host.graphics_test = [this](Test_Id) {
        host.settings.float_loops_millions *= 100;
        host.settings.array_loops *= 100;
        host.settings.array_size *= 100;
    };
    test::Scripted_Ticks clock({0, 0, 500, 500, 750, 750, 1000, 1000});
    ASSERT_EQ(Run_Benchmark(host), Run_Outcome::Completed);
    EXPECT_EQ(host.results.Floating_Point_Operations_Per_Sec,
              started.float_loops_millions * 6000000.0L / 0.5L);
    EXPECT_EQ(host.results.Memory_Speed_MB_Per_Sec, static_cast<long double>(started.array_loops) *
                                                        started.array_size * 2 / 1024 / 1024 /
                                                        0.25L);
    EXPECT_EQ(host.calls.count(QStringLiteral("settings")), 1);
}

TEST_F(Run_Driver_Test, ControlsRateUsesTheFormsCount) {
    host.settings = with_ticked({Test_Id::Graphics_Windows_Controls});
    host.controls = 500;
    test::Scripted_Ticks clock({0, 100, 350, 400});
    ASSERT_EQ(Run_Benchmark(host), Run_Outcome::Completed);
    EXPECT_EQ(host.results.Windows_Controls_Operations_Per_Sec, 2000);
    EXPECT_TRUE(host.calls.contains("caption " + Captions[5]));
}

TEST_F(Run_Driver_Test, SuppressedInformationIsNotShown) {
    host.suppressed = true;
    host.settings = with_ticked({Test_Id::Memory_Speed});
    ASSERT_EQ(Run_Benchmark(host), Run_Outcome::Completed);
    EXPECT_FALSE(host.calls.contains("dialog"));
}

TEST_F(Run_Driver_Test, NoTestTicked) {
    host.settings = with_ticked({});
    host.saved = true;
    ASSERT_EQ(Run_Benchmark(host), Run_Outcome::No_Tests);
    EXPECT_EQ(host.results.Name, QStringLiteral("This PC"));
    for (int i = 0; i < TBenchmark_Results::Rate_Count; ++i)
        EXPECT_EQ(host.results.rate(i), 0) << i;
    EXPECT_TRUE(host.calls.contains("graph"));
    EXPECT_EQ(host.calls.last(), QStringLiteral("results page"));
    EXPECT_TRUE(host.saved);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(boxes.shown()[0].text, No_Tests_Selected_Message());
}

TEST_F(Run_Driver_Test, DiskTestsRunOnTheChosenDriveAndLeaveNothing) {
    host.settings =
        with_ticked({Test_Id::Disk_Speed_Small_Files, Test_Id::Disk_Speed_Large_Files}, 2);
    ASSERT_EQ(Run_Benchmark(host), Run_Outcome::Completed);
    EXPECT_TRUE(root_entries().isEmpty()) << root_entries().join(' ').toStdString();
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Run_Driver_Test, DriveIsLookedUpBeforeTheTimedSpan) {
    // From the test's start tick on, the drive table names a root that does not exist: a lookup
    // inside the timed span would fail the test.
    host.settings = with_ticked({Test_Id::Disk_Speed_Small_Files});
    int ticks = 0;
    platform::set_tick_source([&]() -> std::uint32_t {
        if (++ticks == 2)
            platform::set_drive_table_override(std::vector<platform::Drive>{
                {'t', dir.path() + QStringLiteral("/moved"), QStringLiteral("test")}});
        return 0;
    });
    const Run_Outcome outcome = Run_Benchmark(host);
    platform::set_tick_source({});
    EXPECT_EQ(outcome, Run_Outcome::Completed);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(root_entries().isEmpty()) << root_entries().join(' ').toStdString();
}

// A stop asked for once the test has started (a close, the end of the session) ends the memory
// test between arrays and the disk test between files, and the run is abandoned.
class Stopped_Run : public Run_Driver_Test, public ::testing::WithParamInterface<Test_Id> {
protected:
    void TearDown() override { platform::reset_termination_state_for_tests(); }
};

TEST_P(Stopped_Run, EndsTheTestEarlyAndAbandonsTheRun) {
    host.settings = with_ticked({GetParam()});
    host.settings.array_loops = 2000000000; // hours, unless it stops between arrays
    host.settings.small_files = 1000000;
    host.settings.small_file_kb = 1;
    int ticks = 0;
    platform::set_tick_source([&]() -> std::uint32_t {
        if (++ticks == 2)
            platform::request_stop();
        return 0;
    });
    const Run_Outcome outcome = Run_Benchmark(host);
    platform::set_tick_source({});
    EXPECT_EQ(outcome, Run_Outcome::Abandoned);
    EXPECT_EQ(host.tests_run, 1);
    expect_results_untouched();
    EXPECT_TRUE(root_entries().isEmpty());
    EXPECT_TRUE(boxes.shown().empty());

    // A stop left from a close is forgotten by the next run; the end of the session is not.
    host.calls.clear();
    host.tests_run = 0;
    host.settings = with_ticked({Test_Id::Integer_Arithmetic});
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Completed);
    platform::request_termination();
    host.calls.clear();
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Abandoned);
    EXPECT_TRUE(host.calls.isEmpty());
}

// On several threads a stop ends every thread's memory test between arrays.
TEST_F(Run_Driver_Test, StopOnThreadsAbandonsTheRun) {
    host.settings = with_ticked({Test_Id::Memory_Speed});
    host.settings.threads = 2;
    host.settings.array_loops = 2000000000;
    std::atomic<int> ticks{0};
    platform::set_tick_source([&]() -> std::uint32_t {
        if (++ticks == 2) // the release
            platform::request_stop();
        return 0;
    });
    const Run_Outcome outcome = Run_Benchmark(host);
    platform::set_tick_source({});
    platform::reset_termination_state_for_tests();
    EXPECT_EQ(outcome, Run_Outcome::Abandoned);
    expect_results_untouched();
}

INSTANTIATE_TEST_SUITE_P(Tests, Stopped_Run,
                         ::testing::Values(Test_Id::Memory_Speed, Test_Id::Disk_Speed_Small_Files));

TEST_F(Run_Driver_Test, ReadOnlyDriveRefusesTheRun) {
    // Running as root ignores permissions, so the drive is a folder that does not exist.
    test::Drive_Table missing(
        {{'e', dir.path() + QStringLiteral("/missing"), QStringLiteral("cd")}});
    host.settings = with_ticked({Test_Id::Integer_Arithmetic, Test_Id::Disk_Speed_Large_Files});
    host.settings.drive_letter = 'e';
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Refused);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(boxes.shown()[0].text, Read_Only_Drive_Message('e'));
    EXPECT_EQ(host.calls, QStringList{"settings"});
    expect_results_untouched();
    EXPECT_TRUE(host.saved);
}

TEST_F(Run_Driver_Test, NotEnoughSpaceRefusesTheRun) {
    host.settings = with_ticked({Test_Id::Disk_Speed_Small_Files});
    host.settings.small_files = 2147483647;
    host.settings.small_file_kb = 2097151;
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Refused);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text,
              Not_Enough_Space_Message('t', 2147483647LL * 2097151 * 1024, Captions[3]));
    EXPECT_EQ(host.calls, QStringList{"settings"});
    expect_results_untouched();
    EXPECT_TRUE(root_entries().isEmpty());
}

TEST_F(Run_Driver_Test, OnlyTheSmallFilesNeedIsChecked) {
    host.settings = with_ticked({Test_Id::Disk_Speed_Small_Files, Test_Id::Disk_Speed_Large_Files});
    host.settings.large_files = 2147483647;
    host.settings.large_file_kb = 2097151;
    host.close_after_tests = 1; // stop before the large files are written
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Abandoned);
    EXPECT_EQ(host.tests_run, 1);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Run_Driver_Test, FailingTestIsReportedAndTheRunUndone) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("$$BENCHMARK_TEMP_2.tmp")));
    host.settings = with_ticked(
        {Test_Id::Integer_Arithmetic, Test_Id::Disk_Speed_Small_Files, Test_Id::Memory_Speed});
    host.saved = true;
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Failed);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Error);
    EXPECT_EQ(boxes.shown()[0].title, platform::application_title());
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Cannot create file ") + dir.path() +
                                         QStringLiteral("/$$BENCHMARK_TEMP_2.tmp."));
    // Buttons and menu back, panel hidden, results and flag as before; the large files never ran.
    EXPECT_EQ(host.calls.mid(host.calls.size() - 4),
              (QStringList{"buttons 1", "menu 1", "hide panel", "saved 1"}));
    EXPECT_FALSE(host.calls.contains("graph"));
    EXPECT_EQ(host.tests_run, 2);
    EXPECT_FALSE(host.calls.contains("progress 4/4 rep 1 " + Captions[4]));
    expect_results_untouched();
    EXPECT_TRUE(host.saved);
    EXPECT_EQ(root_entries(), QStringList{QStringLiteral("$$BENCHMARK_TEMP_2.tmp")});
}

TEST_F(Run_Driver_Test, OutOfMemoryIsReportedAndTheRunUndone) {
    host.settings = with_ticked({Test_Id::Graphics_2D});
    host.saved = false;
    host.graphics_test = [](Test_Id) { throw std::bad_alloc(); };
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Failed);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Out of memory."));
    expect_results_untouched();
    EXPECT_FALSE(host.saved);
}

TEST_F(Run_Driver_Test, CloseRequestAbandonsAfterTheCurrentTest) {
    host.settings = with_ticked(
        {Test_Id::Integer_Arithmetic, Test_Id::Floating_Point_Arithmetic, Test_Id::Memory_Speed},
        3);
    host.close_after_tests = 2;
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Abandoned);
    EXPECT_EQ(host.tests_run, 2);
    expect_results_untouched();
    EXPECT_TRUE(host.saved);
    EXPECT_EQ(host.calls.mid(host.calls.size() - 4),
              (QStringList{"buttons 1", "menu 1", "hide panel", "saved 1"}));
    EXPECT_TRUE(boxes.shown().empty());

    // A close asked for during the information dialog stops before anything changes.
    host.calls.clear();
    host.tests_run = 0;
    host.close_after_tests = 0;
    EXPECT_EQ(Run_Benchmark(host), Run_Outcome::Abandoned);
    EXPECT_EQ(host.calls, (QStringList{"settings", "dialog"}));
    expect_results_untouched();
}

} // namespace
} // namespace smx::engine
