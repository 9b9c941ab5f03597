#include "engine/Run_Driver.h"

#include "engine/Disk_Test.h"
#include "engine/Kernels.h"
#include "engine/Parallel_Tests.h"
#include "engine/Test_Failure.h"
#include "platform/Events.h"
#include "platform/Message_Boxes.h"
#include "platform/Termination.h"
#include "platform/Tick.h"

#include <QLocale>
#include <algorithm>
#include <new>
#include <system_error>

namespace smx::engine {
namespace {

QString upper_drive(char drive_letter) {
    return QString(QLatin1Char(drive_letter)).toUpper();
}

std::int32_t millions(int value) {
    // A signed 32-bit loop count; the spin edits' ranges (at most 2147) keep it from wrapping.
    return static_cast<std::int32_t>(static_cast<std::int64_t>(value) * 1000000);
}

std::int32_t file_bytes(int kb) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(kb) * 1024);
}

// One thread's work of a processor or memory test: the kernel's own count of what it did.
std::int64_t run_kernel(Test_Id test, const Run_Settings& s) {
    switch (test) {
    case Test_Id::Integer_Arithmetic:
        return Integer_Arithmetic_Loop(millions(s.integer_loops_millions));
    case Test_Id::Floating_Point_Arithmetic:
        return static_cast<std::int64_t>(Floating_Point_Loop(millions(s.float_loops_millions)).x);
    case Test_Id::Memory_Speed:
        return Memory_Speed_Loop(s.array_loops, s.array_size);
    default:
        return 0;
    }
}

void run_processor_or_disk_test(Test_Id test, const Run_Settings& s, const Disk_Root& disk_root) {
    switch (test) {
    case Test_Id::Integer_Arithmetic:
    case Test_Id::Floating_Point_Arithmetic:
    case Test_Id::Memory_Speed:
        run_kernel(test, s);
        break;
    case Test_Id::Disk_Speed_Small_Files:
        Disk_File_Speed_Test(s.small_files, file_bytes(s.small_file_kb), disk_root,
                             s.sync_to_device);
        break;
    case Test_Id::Disk_Speed_Large_Files:
        Disk_File_Speed_Test(s.large_files, file_bytes(s.large_file_kb), disk_root,
                             s.sync_to_device);
        break;
    default:
        break;
    }
}

bool is_graphics(Test_Id test) {
    return test == Test_Id::Graphics_Windows_Controls || test == Test_Id::Graphics_2D;
}

// Pre-check of the drive for the disk tests; shows its own message and returns false when the
// run may not start.
bool disk_pre_check(const Run_Settings& s) {
    if (!s.is_ticked(Test_Id::Disk_Speed_Small_Files) &&
        !s.is_ticked(Test_Id::Disk_Speed_Large_Files))
        return true;
    const Disk_Need need = Required_Disk_Space(s);
    const QString drive_text(QLatin1Char(s.drive_letter));
    const bool writable = s.drive_folder.isEmpty()
                              ? Temp_Drive_Check(drive_text)
                              : Temp_Root_Check(Folder_Disk_Root(s.drive_folder));
    if (!writable) {
        platform::show_information(platform::application_title(), Read_Only_Message(s));
        return false;
    }
    const long double free_bytes =
        s.drive_folder.isEmpty()
            ? Drive_Free_Space(static_cast<std::uint8_t>(Drive_Letter_To_Number(drive_text)))
            : Root_Free_Space(Folder_Disk_Root(s.drive_folder));
    if (static_cast<long double>(need.bytes) > free_bytes) {
        platform::show_information(platform::application_title(),
                                   Not_Enough_Space_Message(s, need.bytes, need.caption));
        return false;
    }
    return true;
}

} // namespace

bool Runs_On_Threads(Test_Id test) {
    return test == Test_Id::Integer_Arithmetic || test == Test_Id::Floating_Point_Arithmetic ||
           test == Test_Id::Memory_Speed;
}

Parallel_Timing Run_Test_On_Threads(Test_Id test, const Run_Settings& s) {
    std::vector<int> processors = s.thread_processors;
    processors.resize(static_cast<std::size_t>(std::max(1, s.threads)), -1);
    return Run_On_Threads(processors, [test, &s] { return run_kernel(test, s); });
}

int Run_Settings::ticked_count() const {
    int count = 0;
    for (bool t : ticked)
        count += t ? 1 : 0;
    return count;
}

Information_Message Benchmark_Information_Message() {
    Information_Message m;
    m.caption = QStringLiteral("Benchmark Information :");
    m.outer_height = 460;
    m.font_points = 12;
    m.centred = true;
    const QString sentences[] = {
        QStringLiteral("This program benchmarks the operation of various components in your PC "
                       "and then displays the results in a special logarithmic graph."),
        QStringLiteral("This means that significant differences in values may only appear as "
                       "slight differences in bar lengths on the graph."),
        QStringLiteral("To see the values for each test, you need to check the \"Show Values\" "
                       "checkbox (in the top right hand corner of the graph)."),
        QStringLiteral("You can save, load, and compare the results against other saved results."),
        QStringLiteral("To get the best possible results, you should close down all other "
                       "programs before proceeding.  See the Read Me file for details about the "
                       "tests and how to improve the performance of your PC.")};
    for (const QString& sentence : sentences) {
        m.lines << sentence;
        m.lines << QString();
    }
    return m;
}

QString Benchmark_Progress_Text(int TestIndex, const QString& TestCaption, int Repetition,
                                int TestCount, int Repetitions) {
    const QString crlf = QStringLiteral("\r\n");
    return crlf + QStringLiteral("Benchmark Test ") + QString::number(TestIndex) +
           QStringLiteral(" of ") + QString::number(TestCount) + crlf + crlf +
           QStringLiteral("Repetition ") + QString::number(Repetition) + QStringLiteral(" of ") +
           QString::number(Repetitions) + crlf + crlf + TestCaption + crlf + crlf +
           QStringLiteral("Please wait .... ");
}

QString Read_Only_Drive_Message(char drive_letter) {
    return QStringLiteral("The selected drive ") + upper_drive(drive_letter) +
           QStringLiteral(":\\ is READ-ONLY.\r\n\r\nPlease select a drive that you can write to.");
}

namespace {

// `place` is "drive C:\\" or "folder /srv/bench"; `kind` the word for another one.
QString not_enough_space(const QString& place, const QString& kind, std::int64_t required_bytes,
                         const QString& caption) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const long double megabytes = static_cast<long double>(required_bytes) / 1024 / 1024;
    return QStringLiteral("There is not enough free disk space free on the selected ") + place +
           QStringLiteral(".\r\n\r\nYou need ") +
           locale.toString(static_cast<double>(megabytes), 'g', 15) +
           QStringLiteral(" MB to run the \"") + caption +
           QStringLiteral("\" benchmark test.\r\n\r\nPlease make some space or select another ") +
           kind + QLatin1Char('.');
}

} // namespace

QString Not_Enough_Space_Message(char drive_letter, std::int64_t required_bytes,
                                 const QString& caption) {
    return not_enough_space(QStringLiteral("drive ") + upper_drive(drive_letter) +
                                QStringLiteral(":\\"),
                            QStringLiteral("drive"), required_bytes, caption);
}

QString Read_Only_Message(const Run_Settings& s) {
    if (s.drive_folder.isEmpty())
        return Read_Only_Drive_Message(s.drive_letter);
    return QStringLiteral("The selected folder ") + s.drive_folder +
           QStringLiteral(" is READ-ONLY.\r\n\r\nPlease select a folder that you can write to.");
}

QString Not_Enough_Space_Message(const Run_Settings& s, std::int64_t required_bytes,
                                 const QString& caption) {
    if (s.drive_folder.isEmpty())
        return Not_Enough_Space_Message(s.drive_letter, required_bytes, caption);
    return not_enough_space(QStringLiteral("folder ") + s.drive_folder, QStringLiteral("folder"),
                            required_bytes, caption);
}

QString No_Tests_Selected_Message() {
    return QStringLiteral("No tests selected - please select one or more benchmark tests.");
}

Disk_Need Required_Disk_Space(const Run_Settings& s) {
    if (s.is_ticked(Test_Id::Disk_Speed_Small_Files))
        return {static_cast<std::int64_t>(s.small_files) * s.small_file_kb * 1024,
                s.caption(Test_Id::Disk_Speed_Small_Files)};
    return {static_cast<std::int64_t>(s.large_files) * s.large_file_kb * 1024,
            s.caption(Test_Id::Disk_Speed_Large_Files)};
}

void Compute_Rates(const Run_Settings& s,
                   const std::array<std::uint32_t, Test_Id_Count>& averaged_ms,
                   int controls_manipulated, long double test_pixel_count,
                   TBenchmark_Results& results) {
    using LD = long double;
    // Work of one repetition of each test, in the rate's unit.
    const std::array<LD, Test_Id_Count> work = {
        LD(s.integer_loops_millions) * 1000000 * 4, LD(s.float_loops_millions) * 1000000 * 6,
        LD(s.array_loops) * LD(s.array_size) * 2 / 1024 / 1024,
        // 64-bit products: a 32-bit one would wrap into a negative rate above 2 TB.
        LD(static_cast<std::int64_t>(s.small_files) * s.small_file_kb),
        LD(static_cast<std::int64_t>(s.large_files) * s.large_file_kb), LD(controls_manipulated),
        test_pixel_count};
    const LD threads = std::max(1, s.threads);
    for (int i = 0; i < Test_Id_Count; ++i) {
        const LD copies = Runs_On_Threads(static_cast<Test_Id>(i)) ? threads : 1;
        if (averaged_ms[i] > 0)
            results.rate(i) = copies * work[i] / (LD(averaged_ms[i]) / 1000);
    }
}

Run_Outcome Run_Benchmark(Run_Host& host) {
    // A close asked for during an earlier run is done with; the end of the session is not.
    platform::clear_stop_request();
    if (platform::termination_requested())
        return Run_Outcome::Abandoned;
    auto abandon_asked = [&host] { return host.close_requested() || platform::stop_requested(); };
    const Run_Settings settings = host.read_settings();
    if (!disk_pre_check(settings))
        return Run_Outcome::Refused;

    if (!host.information_suppressed()) {
        host.show_information_dialog(Benchmark_Information_Message());
        platform::process_messages();
    }
    if (abandon_asked())
        return Run_Outcome::Abandoned; // nothing has changed yet

    // Kept so that a failed or abandoned run leaves the results as they were.
    TBenchmark_Results& results = host.main_results();
    const TBenchmark_Results results_before = results;
    const bool saved_before = host.results_saved();

    results.Name = QStringLiteral("This PC");
    for (int i = 0; i < TBenchmark_Results::Rate_Count; ++i)
        results.rate(i) = 0;
    std::array<std::uint32_t, Test_Id_Count> accumulated{};
    long double test_pixel_count = 0;

    // The spin edit's range is 1 to 100; a repetition count below 1 runs once rather than
    // dividing by zero.
    const int repetitions = std::max(1, settings.repetitions);
    const int test_count = settings.ticked_count();
    host.show_progress_panel(test_count * repetitions);
    host.set_buttons_enabled(false);
    host.set_menu_enabled(false);

    auto recover = [&] {
        host.set_buttons_enabled(true);
        host.set_menu_enabled(true);
        host.hide_progress_panel();
        results = results_before;
        host.set_results_saved(saved_before);
    };

    // Looked up here, outside every timed span: the drive table is read from the system.
    Disk_Root disk_root;
    if (settings.is_ticked(Test_Id::Disk_Speed_Small_Files) ||
        settings.is_ticked(Test_Id::Disk_Speed_Large_Files))
        disk_root = settings.drive_folder.isEmpty() ? Resolve_Disk_Root(settings.drive_letter)
                                                    : Folder_Disk_Root(settings.drive_folder);
    // A run killed during a disk test left its files for good: removed here, before the timing,
    // unless a process holds one open.
    Remove_Leftover_Test_Files(disk_root);
    // The memory test's fill is chosen by timing the fills, once; not inside the test's time.
    if (settings.is_ticked(Test_Id::Memory_Speed) && settings.array_size > 0)
        Chosen_Fill(settings.array_size);

    const std::uint32_t run_start = platform::GetTickCount();
    int test_index = 0;
    int steps_done = 0;
    try {
        for (int repetition = 1; repetition <= repetitions; ++repetition) {
            test_index = 0;
            for (int i = 0; i < Test_Id_Count; ++i) {
                const auto test = static_cast<Test_Id>(i);
                if (!settings.ticked[i])
                    continue;
                ++test_index;
                if (is_graphics(test))
                    host.set_graphics_caption(test, settings.captions[i]);
                host.show_progress(test_index, settings.captions[i], repetition, test_count);
                std::uint32_t took = 0;
                if (settings.threads > 1 && Runs_On_Threads(test)) {
                    // Timed from the threads' common release, after they have all started.
                    const Parallel_Timing timing = Run_Test_On_Threads(test, settings);
                    took = timing.took;
                    host.threads_timed(test, repetition, timing.thread_ms);
                } else {
                    const std::uint32_t test_start = platform::GetTickCount();
                    if (is_graphics(test))
                        host.run_graphics_test(test);
                    else
                        run_processor_or_disk_test(test, settings, disk_root);
                    took = platform::tick_difference(platform::GetTickCount(), test_start);
                    if (Runs_On_Threads(test))
                        host.threads_timed(test, repetition, {took});
                }
                accumulated[i] += took;
                host.test_timed(test, repetition, took);
                if (test == Test_Id::Graphics_2D)
                    test_pixel_count = host.test_pixel_count(); // the last repetition's
                host.advance_progress(++steps_done);
                platform::process_messages();
                // Every test ends early at its next block of passes, array, file or step.
                if (abandon_asked()) {
                    recover();
                    return Run_Outcome::Abandoned;
                }
            }
        }
    } catch (const Test_Failure& failure) {
        platform::show_general_error(failure.text());
        recover();
        return Run_Outcome::Failed;
    } catch (const std::bad_alloc&) {
        platform::show_general_error(QStringLiteral("Out of memory"));
        recover();
        return Run_Outcome::Failed;
    } catch (const std::system_error& error) {
        // Only the threads of a test on several threads throw this: one could not be started.
        platform::show_general_error(QStringLiteral("Cannot start %1 threads: %2")
                                         .arg(settings.threads)
                                         .arg(QString::fromLocal8Bit(error.code().message())));
        recover();
        return Run_Outcome::Failed;
    }

    const std::uint32_t elapsed = platform::tick_difference(platform::GetTickCount(), run_start);
    results.Elapsed_Time_MSec = elapsed;
    host.set_buttons_enabled(true);
    host.set_menu_enabled(true);
    platform::process_messages();
    results.Elapsed_Time_MSec = results.Elapsed_Time_MSec / repetitions;

    std::array<std::uint32_t, Test_Id_Count> averaged{};
    for (int i = 0; i < Test_Id_Count; ++i)
        averaged[i] = accumulated[i] / static_cast<std::uint32_t>(repetitions);
    // The work of the parameters the tests ran with, whatever the options say by now.
    Compute_Rates(settings, averaged, host.controls_manipulated(), test_pixel_count, results);

    host.hide_progress_panel();
    host.redraw_graph();
    host.show_results_page();
    platform::process_messages();

    if (test_index == 0) {
        platform::show_information(platform::application_title(), No_Tests_Selected_Message());
        return Run_Outcome::No_Tests;
    }
    host.set_results_saved(false);
    return Run_Outcome::Completed;
}

} // namespace smx::engine
