#pragma once
#include "engine/Benchmark_Results.h"
#include "engine/Parallel_Tests.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace smx::engine {

// The seven tests in their fixed order; the index is also the rate's index in
// TBenchmark_Results.
enum class Test_Id {
    Integer_Arithmetic,
    Floating_Point_Arithmetic,
    Memory_Speed,
    Disk_Speed_Small_Files,
    Disk_Speed_Large_Files,
    Graphics_Windows_Controls,
    Graphics_2D
};
inline constexpr int Test_Id_Count = 7;

// What a run reads from the main window's controls.
struct Run_Settings {
    std::array<bool, Test_Id_Count> ticked{};
    std::array<QString, Test_Id_Count> captions; // the check boxes' captions
    int repetitions = 1;
    int integer_loops_millions = 0;
    int float_loops_millions = 0;
    int array_size = 0;
    int array_loops = 0;
    int small_files = 0;
    int small_file_kb = 0;
    int large_files = 0;
    int large_file_kb = 0;
    char drive_letter = 'c'; // lower case
    // A folder the disk tests write to instead of the letter's drive (the batch run's
    // --drive FOLDER); empty: the letter's drive.
    QString drive_folder;
    // The disk tests flush each file to the device and read it back from there, not from the
    // page cache (the batch run's --sync); the window's run goes through the cache.
    bool sync_to_device = false;
    // The integer, floating-point and memory tests run on this many threads at once, each doing
    // the full work; the disk and graphics tests always run on one. 1 is the window's run.
    int threads = 1;
    // The processor each of those threads is pinned to (-1: not pinned); with fewer entries than
    // threads, the rest are not pinned.
    std::vector<int> thread_processors;

    bool is_ticked(Test_Id test) const { return ticked[static_cast<int>(test)]; }
    const QString& caption(Test_Id test) const { return captions[static_cast<int>(test)]; }
    int ticked_count() const;
};

// A message for the "Don't Show This Again" dialog.
struct Information_Message {
    QString caption;
    int outer_height = 0;
    int font_points = 0;
    bool centred = false;
    QStringList lines; // an empty string is an empty line
};

// The benchmark information shown before a run.
Information_Message Benchmark_Information_Message();

// The progress text for test TestIndex of TestCount in repetition Repetition of Repetitions.
QString Benchmark_Progress_Text(int TestIndex, const QString& TestCaption, int Repetition,
                                int TestCount, int Repetitions);

QString Read_Only_Drive_Message(char drive_letter);
QString Not_Enough_Space_Message(char drive_letter, std::int64_t required_bytes,
                                 const QString& caption);
// The pre-check's messages for the drive or folder of the settings.
QString Read_Only_Message(const Run_Settings& settings);
QString Not_Enough_Space_Message(const Run_Settings& settings, std::int64_t required_bytes,
                                 const QString& caption);
QString No_Tests_Selected_Message();

// The disk space a run needs: the small-files test's when it is ticked, otherwise the
// large-files test's. Computed in 64 bits so that totals above 2 GiB stay meaningful.
struct Disk_Need {
    std::int64_t bytes = 0;
    QString caption;
};
Disk_Need Required_Disk_Space(const Run_Settings& settings);

// True for the tests that run on settings.threads threads.
bool Runs_On_Threads(Test_Id test);

// One repetition of such a test on settings.threads threads (at least one), pinned as
// settings.thread_processors says; each thread runs the kernel with the full parameters and
// returns the kernel's count (integer: passes; floating point: the counter's end value; memory:
// the sum of each array's last element).
Parallel_Timing Run_Test_On_Threads(Test_Id test, const Run_Settings& settings);

// Turns the averaged times (ms) into the seven rates. A test whose time is 0 keeps its rate. The
// work of a test that runs on threads counts once per thread.
void Compute_Rates(const Run_Settings& settings,
                   const std::array<std::uint32_t, Test_Id_Count>& averaged_ms,
                   int controls_manipulated, long double test_pixel_count,
                   TBenchmark_Results& results);

// What the run needs from the main window. Everything else (order, timing, averaging, rates,
// messages, the pre-check, recovery) is Run_Benchmark's.
class Run_Host {
public:
    virtual ~Run_Host() = default;
    virtual Run_Settings read_settings() = 0;
    virtual TBenchmark_Results& main_results() = 0;
    virtual bool results_saved() = 0;
    virtual void set_results_saved(bool saved) = 0;
    // True when the user has ticked "Don't Show This Again".
    virtual bool information_suppressed() = 0;
    virtual void show_information_dialog(const Information_Message& message) = 0;
    // Lays the progress panel over the options; the bar runs from 0 to total_steps.
    virtual void show_progress_panel(int total_steps) = 0;
    virtual void hide_progress_panel() = 0;
    virtual void show_progress(int TestIndex, const QString& TestCaption, int Repetition,
                               int TestCount) = 0;
    virtual void advance_progress(int steps_done) = 0;
    // The ticks one test took in one repetition, as they go into its sum. For reports that show
    // more than the averaged rate; the window has no use for it.
    virtual void test_timed(Test_Id test, int Repetition, std::uint32_t milliseconds) {}
    // For the tests that run on threads, each thread's time from the common start to its end
    // (one entry on one thread), reported just before test_timed.
    virtual void threads_timed(Test_Id test, int Repetition,
                               const std::vector<std::uint32_t>& milliseconds) {}
    virtual void set_buttons_enabled(bool enabled) = 0;
    virtual void set_menu_enabled(bool enabled) = 0;
    // The two graphics tests are windows of their own, shown modally.
    virtual void set_graphics_caption(Test_Id test, const QString& caption) = 0;
    virtual void run_graphics_test(Test_Id test) = 0;
    virtual int controls_manipulated() = 0;
    virtual long double test_pixel_count() = 0;
    virtual void redraw_graph() = 0;
    virtual void show_results_page() = 0;
    // A close of the window asked for during the run.
    virtual bool close_requested() = 0;
};

enum class Run_Outcome {
    Refused,   // the pre-check stopped it; nothing changed
    Completed, // at least one test ran
    No_Tests,  // nothing ticked
    Failed,    // a test failed; its error was shown and the state before the run restored
    Abandoned  // a close or a stop (platform::stop_requested) was asked for; the state before
               // the run restored
};

// One press of "Benchmark". A close or stop asked for during a test ends that test early (at its
// next block of passes, array, file or step) and abandons the run after it.
Run_Outcome Run_Benchmark(Run_Host& host);

} // namespace smx::engine
