#include "cli/Batch_Run.h"

#include "cli/Batch_Options.h"
#include "cli/Batch_Report.h"
#include "cli/Batch_Store.h"
#include "engine/Graphics_2D_Form.h"
#include "engine/Run_Driver.h"
#include "engine/Windows_Graphics_Controls_Form.h"
#include "platform/Display_Platform.h"
#include "platform/Drives.h"
#include "platform/Message_Boxes.h"
#include "platform/Product.h"
#include "platform/Spin_Edit.h"
#include "platform/Termination.h"
#include "results/Results_Export.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <cstdio>
#include <memory>

namespace smx::cli {
namespace {

using engine::Test_Id;

void write_err(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

// Messages are written for a window, with CR LF between paragraphs.
QString for_terminal(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.trimmed();
}

void report_error(const QString& text) {
    write_err(QStringLiteral("speedmetrix: ") + for_terminal(text) + QLatin1Char('\n'));
}

int usage_error(const QString& text) {
    report_error(text);
    write_err(QStringLiteral("Try 'speedmetrix --help' for more information.\n"));
    return Exit_Bad_Usage;
}

// The run driver's side of a batch run: no window, no question; the progress goes to standard
// error and each test's time of every repetition is kept for the report.
class Batch_Host : public engine::Run_Host {
public:
    Batch_Host(const engine::Run_Settings& settings, const bool& interrupted)
        : settings_(settings), interrupted_(interrupted) {
        if (settings.is_ticked(Test_Id::Graphics_Windows_Controls))
            controls_form_ = std::make_unique<engine::TWindows_Graphics_Controls_Form>();
        if (settings.is_ticked(Test_Id::Graphics_2D))
            form_2d_ = std::make_unique<engine::TGraphics_2D_Form>();
    }
    ~Batch_Host() override { end_line(); }

    const Test_Times& times() const { return times_; }
    const Thread_Times& thread_times() const { return thread_times_; }

    engine::Run_Settings read_settings() override { return settings_; }
    engine::TBenchmark_Results& main_results() override { return results_; }
    bool results_saved() override { return saved_; }
    void set_results_saved(bool saved) override { saved_ = saved; }
    bool information_suppressed() override { return true; }
    void show_information_dialog(const engine::Information_Message&) override {}
    void show_progress_panel(int) override {}
    void hide_progress_panel() override {}

    void show_progress(int TestIndex, const QString& TestCaption, int Repetition,
                       int TestCount) override {
        end_line();
        write_err(QStringLiteral("Repetition %1 of %2, test %3 of %4: %5 ... ")
                      .arg(Repetition)
                      .arg(settings_.repetitions)
                      .arg(TestIndex)
                      .arg(TestCount)
                      .arg(TestCaption));
        line_open_ = true;
    }
    void test_timed(Test_Id test, int, std::uint32_t milliseconds) override {
        times_[static_cast<int>(test)].push_back(milliseconds);
        write_err(QStringLiteral("%1 ms\n").arg(milliseconds));
        line_open_ = false;
    }
    void threads_timed(Test_Id test, int, const std::vector<std::uint32_t>& ms) override {
        thread_times_[static_cast<int>(test)].push_back(ms);
    }
    void advance_progress(int) override {}
    void set_buttons_enabled(bool) override {}
    void set_menu_enabled(bool) override {}

    void set_graphics_caption(Test_Id test, const QString& caption) override {
        if (QDialog* form = graphics_form(test))
            form->setWindowTitle(caption);
    }
    void run_graphics_test(Test_Id test) override {
        if (QDialog* form = graphics_form(test))
            form->exec();
    }
    int controls_manipulated() override {
        return controls_form_ ? controls_form_->Num_Controls_Manipulated_SpinEdit->Value() : 0;
    }
    long double test_pixel_count() override {
        return form_2d_ ? engine::Test_Pixel_Count_Of(*form_2d_) : 0;
    }
    void redraw_graph() override {}
    void show_results_page() override {}
    bool close_requested() override { return interrupted_; }

    // Ends a progress line that a failing test left open.
    void end_line() {
        if (line_open_)
            write_err(QStringLiteral("\n"));
        line_open_ = false;
    }

private:
    QDialog* graphics_form(Test_Id test) const {
        if (test == Test_Id::Graphics_Windows_Controls)
            return controls_form_.get();
        if (test == Test_Id::Graphics_2D)
            return form_2d_.get();
        return nullptr;
    }

    engine::Run_Settings settings_;
    const bool& interrupted_;
    engine::TBenchmark_Results results_;
    bool saved_ = true;
    Test_Times times_;
    Thread_Times thread_times_;
    bool line_open_ = false;
    std::unique_ptr<engine::TWindows_Graphics_Controls_Form> controls_form_;
    std::unique_ptr<engine::TGraphics_2D_Form> form_2d_;
};

bool has_display() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The graphics tests draw where the window would, when there is a display; the offscreen
// platform serves where there is none, or where the one named cannot be reached (either would
// otherwise stop the program before it starts), and for runs without a graphics test, which
// need no display at all. A platform the user chose stays. True unless the user chose it.
bool choose_batch_platform(bool graphics) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return false;
    if (!graphics || !has_display()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }
    platform::choose_platform();
    // Qt tries the platforms of a list in turn and takes the first that starts.
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    if (platforms.isEmpty())
        platforms = qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland;xcb" : "xcb";
    qputenv("QT_QPA_PLATFORM", platforms + ";offscreen");
    return true;
}

// While Qt starts its platform: its lines about a display it cannot reach (it then takes the
// offscreen platform, which the run reports in its own words) and the like are dropped; only a
// fatal failure still gets through.
QtMessageHandler g_outer_message_handler = nullptr;
void quiet_platform_start(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg)
        return;
    if (g_outer_message_handler)
        g_outer_message_handler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

bool write_out(const QByteArray& bytes) {
    return std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) ==
               static_cast<std::size_t>(bytes.size()) &&
           std::fflush(stdout) == 0;
}

bool any_graphics(const engine::Run_Settings& s) {
    return s.is_ticked(Test_Id::Graphics_Windows_Controls) || s.is_ticked(Test_Id::Graphics_2D);
}

bool any_disk(const engine::Run_Settings& s) {
    return s.is_ticked(Test_Id::Disk_Speed_Small_Files) ||
           s.is_ticked(Test_Id::Disk_Speed_Large_Files);
}

// The text of "Copy Results Data to Windows Clipboard", with the user's decimal separator as
// the window writes it.
QString results_text(const engine::TBenchmark_Results& main_results,
                     const std::optional<engine::TBenchmark_Results>& compare_results) {
    const QString point = QLocale().decimalPoint();
    const QChar separator = point.isEmpty() ? QLatin1Char('.') : point.front();
    return results::Results_Data_Text(
        main_results, compare_results ? *compare_results : engine::TBenchmark_Results{}, separator);
}

// --threads: all is the processors of the affinity mask; one thread is the window's run, unpinned.
void apply_threads(const std::optional<int>& threads, engine::Run_Settings& settings) {
    if (!threads)
        return;
    const std::vector<int> allowed = engine::Allowed_Processors();
    settings.threads = *threads > 0 ? *threads : std::max(1, static_cast<int>(allowed.size()));
    if (settings.threads > 1)
        settings.thread_processors = engine::Thread_Processors(settings.threads, allowed);
}

void say_threads(const engine::Run_Settings& s) {
    if (s.threads <= 1)
        return;
    QStringList pinned;
    for (int p : s.thread_processors)
        if (p >= 0)
            pinned << QString::number(p);
    const int unpinned = s.threads - static_cast<int>(pinned.size());
    QString where = pinned.isEmpty() ? QStringLiteral("not pinned")
                                     : QStringLiteral("pinned to processors ") +
                                           pinned.join(QStringLiteral(", "));
    if (!pinned.isEmpty() && unpinned > 0)
        where += QStringLiteral(", %1 not pinned").arg(unpinned);
    write_err(QStringLiteral("The integer, floating-point and memory tests run on %1 threads "
                             "(%2); the disk and graphics tests run on one thread.\n")
                  .arg(s.threads)
                  .arg(where));
}

} // namespace

namespace {

int print(const QString& text) {
    if (write_out(text.toLocal8Bit()))
        return Exit_Ok;
    report_error(QStringLiteral("standard output could not be written."));
    return Exit_Output_Failed;
}

// A test whose averaged time is too short for the tick to measure gets a rate all the same (0
// when it came out at 0 ms), as in the window; the batch run says so instead of passing it
// silently.
void warn_of_short_tests(const engine::Run_Settings& settings, const Test_Times& times) {
    for (int i = 0; i < engine::Test_Id_Count; ++i) {
        if (times[i].empty())
            continue;
        const std::uint32_t averaged = Summarise(times[i]).averaged;
        if (averaged < Min_Measurable_Ms)
            report_error(QStringLiteral("\"%1\" took %2 ms on average, too short for the "
                                        "millisecond tick to time (%3 ms or more): its rate is "
                                        "no measurement. Raise its loops, sizes or counts.")
                             .arg(settings.captions[i])
                             .arg(averaged)
                             .arg(Min_Measurable_Ms));
    }
}

} // namespace

int Print_Help() {
    return print(Help_Text());
}

int Print_Version() {
    return print(Version_Text());
}

int Print_Drive_List() {
    QString text;
    for (const platform::Drive& d : platform::drive_table())
        text += QStringLiteral("%1\t%2\t%3\n").arg(QLatin1Char(d.letter)).arg(d.root, d.label);
    return print(text);
}

int Argument_Error_Exit(const QString& error) {
    return usage_error(error);
}

int Run_Batch(int argc, char** argv, const QStringList& arguments) {
    const Parsed parsed = Parse_Arguments(arguments);
    if (!parsed.options)
        return usage_error(parsed.error);
    const Options& options = *parsed.options;
    if (options.save_name) {
        const QString refusal = Save_Name_Refusal(*options.save_name);
        if (!refusal.isEmpty()) {
            report_error(refusal);
            return Exit_Database_Error;
        }
    }

    QString settings_error;
    engine::Run_Settings settings = Read_Run_Settings(&settings_error);
    if (!settings_error.isEmpty()) {
        report_error(settings_error);
        return Exit_Database_Error;
    }
    settings.captions = smx::settings::Test_Captions();
    Apply_Overrides(options.overrides, settings);
    apply_threads(options.threads, settings);
    settings.sync_to_device = options.sync;

    // The drive may come from the option or from the settings file: either way a letter with
    // no drive behind it is a bad value, not a drive that cannot be written. So is a folder that
    // is not there; one that is there is named by its real path, links resolved.
    if (!settings.drive_folder.isEmpty()) {
        const QFileInfo folder(settings.drive_folder);
        if (any_disk(settings) && !folder.isDir())
            return usage_error(QStringLiteral("there is no folder %1").arg(settings.drive_folder));
        if (folder.isDir())
            settings.drive_folder = folder.canonicalFilePath();
    } else if (any_disk(settings) && !platform::find_drive(settings.drive_letter)) {
        return usage_error(QStringLiteral("there is no drive %1 (speedmetrix --list-drives "
                                          "shows the drives)")
                               .arg(QLatin1Char(settings.drive_letter)));
    }
    if (settings.ticked_count() == 0) {
        report_error(engine::No_Tests_Selected_Message());
        return Exit_No_Tests;
    }

    // Everything that can refuse the run is checked before it, so that a long run is not lost.
    std::optional<engine::TBenchmark_Results> compare;
    if (options.compare_name || options.save_name) {
        if (const QString refusal = Database_Refusal(); !refusal.isEmpty()) {
            report_error(refusal);
            return Exit_Database_Error;
        }
    }
    if (options.compare_name) {
        QString error;
        compare = Load_Compare_Set(*options.compare_name, error);
        if (!compare) {
            report_error(error);
            return Exit_Database_Error;
        }
    }
    // The name the set is saved under: a set that --overwrite replaces keeps its stored spelling,
    // which is the one section the database has for it.
    std::optional<QString> save_as = options.save_name;
    if (options.save_name) {
        if (const auto stored = Section_A_Save_Would_Replace(*options.save_name)) {
            if (!options.overwrite) {
                report_error(Save_Name_Exists_Message(*stored));
                return Exit_Database_Error;
            }
            save_as = *stored;
        }
        if (const QString refusal = Database_Write_Refusal(); !refusal.isEmpty()) {
            report_error(refusal);
            return Exit_Database_Error;
        }
    }

    const bool platform_ours = choose_batch_platform(any_graphics(settings));
    // The layout of the graphics windows is designed at 96 dots per inch, as the window's.
    if (qEnvironmentVariableIsEmpty("QT_FONT_DPI"))
        qputenv("QT_FONT_DPI", "96");
    if (platform_ours)
        g_outer_message_handler = qInstallMessageHandler(quiet_platform_start);
    QApplication app(argc, argv);
    if (platform_ours)
        qInstallMessageHandler(g_outer_message_handler);
    app.setApplicationName(QStringLiteral("speedmetrix"));
    // The title of message boxes; a display name would be appended to every window title.
    platform::set_application_title(QString::fromLatin1(platform::Program_Title));
    app.setQuitOnLastWindowClosed(false);

    if (any_graphics(settings) && QGuiApplication::platformName() == QLatin1String("offscreen"))
        write_err(platform_ours
                      ? QStringLiteral("No display available: the graphics tests run on an "
                                       "offscreen display.\n")
                      : QStringLiteral("The graphics tests run on an offscreen display.\n"));

    bool interrupted = false;
    platform::install_termination_handler([&interrupted] { interrupted = true; });
    Run_Context context = Collect_Context(settings.drive_letter, settings.drive_folder);
    if (!any_graphics(settings))
        context.display_platform.clear();

    say_threads(settings);
    // No box may appear in batch mode: the run driver's messages are collected and reported here.
    platform::Scripted_Responder boxes;
    Batch_Host host(settings, interrupted);
    const engine::Run_Outcome outcome = engine::Run_Benchmark(host);
    host.end_line();
    for (const platform::Shown_Box& box : boxes.shown())
        report_error(box.text);

    switch (outcome) {
    case engine::Run_Outcome::Completed:
        break;
    case engine::Run_Outcome::Refused:
        return !boxes.shown().empty() &&
                       boxes.shown().front().text == engine::Read_Only_Message(settings)
                   ? Exit_Drive_Not_Writable
                   : Exit_Not_Enough_Space;
    case engine::Run_Outcome::No_Tests:
        return Exit_No_Tests;
    case engine::Run_Outcome::Failed:
        return Exit_Test_Failed;
    case engine::Run_Outcome::Abandoned:
        report_error(QStringLiteral("interrupted; no results."));
        return Exit_Interrupted;
    }

    warn_of_short_tests(settings, host.times());
    engine::TBenchmark_Results results = host.main_results();
    // A save refused even so (the disk filled up during the run) keeps the results: they are
    // printed as an unsaved run, and the status tells of the refusal.
    bool save_refused = false;
    if (save_as) {
        QStringList messages;
        save_refused = !Save_Set(*save_as, options.overwrite, results, messages);
        for (const QString& message : messages)
            write_err(for_terminal(message) + QLatin1Char('\n'));
        if (!save_refused)
            results.Name = *save_as;
    }
    const std::optional<QString> saved_name = save_refused ? std::nullopt : save_as;

    QByteArray out;
    if (options.json)
        out = QJsonDocument(Json_Report(settings, results, compare, host.times(), context,
                                        saved_name, host.thread_times()))
                  .toJson(QJsonDocument::Indented);
    else
        out = results_text(results, compare).toLocal8Bit();
    if (!write_out(out)) {
        report_error(QStringLiteral("the results could not be written to standard output."));
        return Exit_Output_Failed;
    }
    return save_refused ? Exit_Database_Error : Exit_Ok;
}

} // namespace smx::cli
