#include "cli/Batch_Options.h"

#include "platform/Product.h"
#include "report/Report_Options.h"
#include "settings/Settings.h"

namespace smx::cli {
namespace {

using engine::Run_Settings;
using engine::Test_Id_Count;

// The numeric options, with the ranges of the spin edits they stand for.
struct Number_Option {
    const char* name;
    std::optional<int> Overrides::*target;
    int Run_Settings::*setting;
    settings::Spin_Bounds bounds;
    const char* help;
};

const Number_Option Number_Options[] = {
    {"repetitions", &Overrides::repetitions, &Run_Settings::repetitions,
     settings::kRepetitions_Bounds, "how often each test runs; the times are averaged"},
    {"integer-loops", &Overrides::integer_loops_millions, &Run_Settings::integer_loops_millions,
     settings::kLoops_Millions_Bounds, "millions of integer loops"},
    {"float-loops", &Overrides::float_loops_millions, &Run_Settings::float_loops_millions,
     settings::kLoops_Millions_Bounds, "millions of floating-point loops"},
    {"array-size", &Overrides::array_size, &Run_Settings::array_size, settings::kCount_Bounds,
     "elements of the memory test's array"},
    {"array-loops", &Overrides::array_loops, &Run_Settings::array_loops, settings::kCount_Bounds,
     "allocate-fill-release loops of the memory test"},
    {"small-files", &Overrides::small_files, &Run_Settings::small_files, settings::kCount_Bounds,
     "number of small files"},
    {"small-file-kb", &Overrides::small_file_kb, &Run_Settings::small_file_kb,
     settings::kFile_Size_KB_Bounds, "size of each small file in KB"},
    {"large-files", &Overrides::large_files, &Run_Settings::large_files, settings::kCount_Bounds,
     "number of large files"},
    {"large-file-kb", &Overrides::large_file_kb, &Run_Settings::large_file_kb,
     settings::kFile_Size_KB_Bounds, "size of each large file in KB"},
};

const Number_Option* find_number_option(const QString& name) {
    for (const Number_Option& o : Number_Options)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

bool is_value_option(const QString& name) {
    return find_number_option(name) || name == QLatin1String("tests") ||
           name == QLatin1String("drive") || name == QLatin1String("save") ||
           name == QLatin1String("compare") || name == QLatin1String("threads");
}

bool is_flag(const QString& name) {
    return name == QLatin1String("batch") || name == QLatin1String("json") ||
           name == QLatin1String("overwrite") || name == QLatin1String("sync");
}

// The options that choose what the program does rather than how a batch run goes.
bool is_mode_switch(const QString& name) {
    return name == QLatin1String("help") || name == QLatin1String("version") ||
           name == QLatin1String("list-drives") || name == QLatin1String("report");
}

bool is_report_value_option(const QString& name) {
    return name == QLatin1String("html") || name == QLatin1String("csv");
}

// Qt's own arguments that the window takes, each with a value: the platform and the X display to
// show on, and the session a session manager restores (it starts the program with "-session ID").
// Qt reads them with one dash or two. The rest of Qt's arguments (style, geometry, title, ...)
// would undo the window's fixed layout or its stored place, so they are refused like any unknown
// option.
bool is_window_system_argument(QString argument) {
    if (argument.startsWith(QLatin1String("--")))
        argument.remove(0, 1);
    return argument == QLatin1String("-platform") || argument == QLatin1String("-display") ||
           argument == QLatin1String("-session");
}

std::optional<int> test_index(const QString& name) {
    for (int i = 0; i < Test_Id_Count; ++i)
        if (name.compare(QLatin1String(Test_Names[i]), Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

QString test_name_list() {
    QStringList names;
    for (const char* n : Test_Names)
        names << QLatin1String(n);
    return names.join(QStringLiteral(", "));
}

// Parses the value of --tests; empty with `error` set when a name is unknown.
std::optional<std::array<bool, Test_Id_Count>> parse_tests(const QString& value, QString& error) {
    std::array<bool, Test_Id_Count> ticked{};
    const QStringList names = value.split(QLatin1Char(','));
    for (const QString& raw : names) {
        const QString name = raw.trimmed();
        if (name.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
            ticked.fill(true);
            continue;
        }
        const auto index = test_index(name);
        if (!index) {
            error = QStringLiteral("unknown test name \"%1\" (the tests are: %2, or all)")
                        .arg(name, test_name_list());
            return std::nullopt;
        }
        ticked[*index] = true;
    }
    return ticked;
}

bool has_argument(const QStringList& arguments, const QString& wanted) {
    for (const QString& a : arguments) {
        if (a == QLatin1String("--"))
            return false;
        if (a == wanted)
            return true;
    }
    return false;
}

} // namespace

bool Wants_Batch(const QStringList& arguments) {
    return has_argument(arguments, QStringLiteral("--batch"));
}

bool Wants_Help(const QStringList& arguments) {
    return has_argument(arguments, QStringLiteral("--help")) ||
           has_argument(arguments, QStringLiteral("-h"));
}

bool Wants_Drive_List(const QStringList& arguments) {
    return has_argument(arguments, QStringLiteral("--list-drives"));
}

Mode Mode_Of(const QStringList& arguments) {
    if (Wants_Help(arguments))
        return Mode::Help;
    if (has_argument(arguments, QStringLiteral("--version")))
        return Mode::Version;
    if (Wants_Drive_List(arguments))
        return Mode::Drive_List;
    if (report::Wants_Report(arguments))
        return Mode::Report;
    if (Wants_Batch(arguments))
        return Mode::Batch;
    return Mode::Window;
}

QString Argument_Error(const QStringList& arguments, Mode mode) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--"))
            break;
        if (!argument.startsWith(QLatin1Char('-')))
            continue;
        if (mode == Mode::Window && is_window_system_argument(argument)) {
            ++i; // its value
            continue;
        }
        if (argument == QLatin1String("-h"))
            continue;
        const QString unknown = QStringLiteral("unknown option \"%1\"").arg(argument);
        if (!argument.startsWith(QLatin1String("--")) || argument.size() == 2)
            return unknown;
        QString name = argument.mid(2);
        const bool value_given = name.contains(QLatin1Char('='));
        name.truncate(name.indexOf(QLatin1Char('=')) >= 0 ? name.indexOf(QLatin1Char('='))
                                                          : name.size());
        const bool takes_value = is_value_option(name) || is_report_value_option(name);
        if (!takes_value && !is_flag(name) && !is_mode_switch(name))
            return unknown;
        // Without a mode the program is the window, which takes none of the program's options.
        if (mode == Mode::Window)
            return QStringLiteral("option \"--%1\" needs %2")
                .arg(name, is_report_value_option(name) ? QStringLiteral("--report")
                                                        : QStringLiteral("--batch"));
        if (takes_value && !value_given)
            ++i;
    }
    return {};
}

Parsed Parse_Arguments(const QStringList& arguments) {
    Options options;
    auto fail = [](const QString& text) { return Parsed{std::nullopt, text}; };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--")) || argument.size() == 2)
            return fail(QStringLiteral("unexpected argument \"%1\"").arg(argument));
        QString name = argument.mid(2);
        std::optional<QString> value;
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (is_flag(name)) {
            if (value)
                return fail(QStringLiteral("option --%1 takes no value").arg(name));
            if (name == QLatin1String("json"))
                options.json = true;
            else if (name == QLatin1String("overwrite"))
                options.overwrite = true;
            else if (name == QLatin1String("sync"))
                options.sync = true;
            continue;
        }
        if (!is_value_option(name))
            return fail(QStringLiteral("unknown option \"%1\"").arg(argument));
        if (!value) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("option --%1 needs a value").arg(name));
            value = arguments[++i];
        }

        if (const Number_Option* o = find_number_option(name)) {
            bool ok = false;
            const qlonglong n = value->trimmed().toLongLong(&ok, 10);
            if (!ok)
                return fail(QStringLiteral("option --%1 needs a whole number, not \"%2\"")
                                .arg(name, *value));
            if (n < o->bounds.min || n > o->bounds.max)
                return fail(QStringLiteral("option --%1: %2 is out of range (%3 to %4)")
                                .arg(name)
                                .arg(n)
                                .arg(o->bounds.min)
                                .arg(o->bounds.max));
            options.overrides.*(o->target) = static_cast<int>(n);
        } else if (name == QLatin1String("tests")) {
            QString error;
            options.overrides.tests = parse_tests(*value, error);
            if (!options.overrides.tests)
                return fail(error);
        } else if (name == QLatin1String("drive")) {
            // A letter, optionally followed by ":" as the window shows it, or an absolute folder:
            // letters follow the mount order, so a folder names the same place on every machine.
            if (value->startsWith(QLatin1Char('/'))) {
                options.overrides.drive_folder = *value;
                options.overrides.drive_letter.reset();
                continue;
            }
            QString letter = value->trimmed();
            if (letter.endsWith(QLatin1Char(':')))
                letter.chop(1);
            const QChar c = letter.size() == 1 ? letter.at(0).toLower() : QChar();
            if (c < QLatin1Char('a') || c > QLatin1Char('z'))
                return fail(QStringLiteral("option --drive needs a drive letter or an absolute "
                                           "folder, not \"%1\" (speedmetrix --list-drives shows "
                                           "the drives)")
                                .arg(*value));
            options.overrides.drive_letter = static_cast<char>(c.unicode());
            options.overrides.drive_folder.reset();
        } else if (name == QLatin1String("threads")) {
            const QString text = value->trimmed();
            bool ok = false;
            const qlonglong n = text.toLongLong(&ok, 10);
            if (text.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)
                options.threads = 0;
            else if (ok && n >= 1 && n <= Max_Threads)
                options.threads = static_cast<int>(n);
            else
                return fail(QStringLiteral("option --threads needs a number from 1 to %1 or "
                                           "\"all\", not \"%2\"")
                                .arg(Max_Threads)
                                .arg(*value));
        } else if (name == QLatin1String("save")) {
            options.save_name = *value;
        } else {
            options.compare_name = *value;
        }
    }
    if (options.overwrite && !options.save_name)
        return fail(QStringLiteral("option --overwrite needs --save NAME"));
    return Parsed{options, {}};
}

void Apply_Overrides(const Overrides& overrides, Run_Settings& settings) {
    if (overrides.tests)
        settings.ticked = *overrides.tests;
    for (const Number_Option& o : Number_Options)
        if (const auto& value = overrides.*(o.target))
            settings.*(o.setting) = *value;
    if (overrides.drive_letter)
        settings.drive_letter = *overrides.drive_letter;
    if (overrides.drive_folder)
        settings.drive_folder = *overrides.drive_folder;
}

QString Version_Text() {
    const QString title = QString::fromLatin1(platform::Program_Title);
    return QStringLiteral("speedmetrix ") + title.mid(title.lastIndexOf(QLatin1Char('v')) + 1) +
           QLatin1Char('\n');
}

QString Help_Text() {
    QString text = QStringLiteral(
        "Usage: speedmetrix\n"
        "  or:  speedmetrix --batch [OPTION]...\n"
        "  or:  speedmetrix --report FILE.json... [--html FILE] [--csv FILE]\n"
        "  or:  speedmetrix --list-drives | --version | --help\n"
        "\n"
        "Without options the program opens the benchmark window.\n"
        "\n"
        "--batch runs the tests without a window: the tests ticked in the settings file\n"
        "(Speedmetrix.ini, see Files below), with its parameters, drive and repetitions, unless "
        "an\n"
        "option below says otherwise for this run. The results go to standard output as the\n"
        "TAB-separated text that \"Copy Results Data to Windows Clipboard\" gives (CR LF line\n"
        "ends); the progress and all messages go to standard error. Nothing is asked and the\n"
        "settings file is not changed.\n"
        "\n"
        "  --tests LIST          the tests to run, comma-separated, in any order:\n"
        "                        %1, or all\n");
    text = text.arg(test_name_list());
    for (const Number_Option& o : Number_Options)
        text += QStringLiteral("  --%1 N").arg(QLatin1String(o.name)).leftJustified(24) +
                QStringLiteral("%1 (%2 to %3)\n")
                    .arg(QLatin1String(o.help))
                    .arg(o.bounds.min)
                    .arg(o.bounds.max);
    text += QStringLiteral(
        "  --drive LETTER|FOLDER\n"
        "                        the drive the disk tests write to (--list-drives shows the\n"
        "                        letters), or an absolute folder on a mounted filesystem you\n"
        "                        can write: the tests write their temporary files into it\n"
        "  --sync                the disk tests flush each file to the device and read it\n"
        "                        back from there, so that they measure the device and not the\n"
        "                        memory that caches it\n"
        "  --threads N|all       run the integer, floating-point and memory tests on N threads\n"
        "                        at once (all: one per processor this process may use), each\n"
        "                        doing the full work, pinned one per processor; the rate counts\n"
        "                        the work N times. The disk and graphics tests stay on one\n"
        "                        thread. Default 1\n"
        "  --save NAME           store the results in the results database (Speedmetrix_DB.INI)\n"
        "                        under NAME, as the window's Save does\n"
        "  --overwrite           with --save: replace a set of that name that already exists\n"
        "                        (without it the run stops before it starts, and nothing is\n"
        "                        written)\n"
        "  --compare NAME        add the saved set NAME as a second column (names are matched\n"
        "                        as --save matches them: case and surrounding blanks aside)\n"
        "  --json                print JSON instead: both sets' values, every repetition's time\n"
        "                        of each test with its minimum, median and maximum, the ratio\n"
        "                        of each rate to the comparison set, and the machine and run\n"
        "                        details\n"
        "  --list-drives         print the drive letters, their folders and filesystems\n"
        "  --version             print the program's name and version\n"
        "  --help                print this text\n"
        "\n"
        "A test whose averaged time is under 20 ms is too short for the millisecond tick to\n"
        "time: the run says so on standard error and marks it \"too_short\" in the JSON.\n"
        "\n"
        "--report reads the --json output of any number of batch runs (from one machine or\n"
        "many) and prints one TAB-separated table: a row per test, a column per run, labelled\n"
        "by the name the run was saved under or else its host name and date. A file that is\n"
        "not such JSON, or of a newer layout, is named on standard error and nothing is\n"
        "written (exit status 2). An input whose name begins with \"-\" goes after \"--\".\n"
        "  --html FILE           also write the report as one self-contained HTML page: the\n"
        "                        logarithmic graph, the rates with their ratio to the first\n"
        "                        run, each run's machine and parameters, and the spread of the\n"
        "                        repetition times\n"
        "  --csv FILE            also write the table as CSV (RFC 4180, with a header row)\n"
        "\n"
        "Without a display (no DISPLAY or WAYLAND_DISPLAY, or one that cannot be reached) the\n"
        "graphics tests run on Qt's offscreen platform.\n"
        "\n"
        "The window takes none of these options. Of Qt's own arguments it takes -platform NAME,\n"
        "-display NAME and -session ID (which a session manager passes when it restores a\n"
        "session); other arguments that do not begin with \"-\" are ignored. Any other\n"
        "argument that begins with \"-\" is an error (exit status 2), and no window opens.\n"
        "\n"
        "Exit status:\n"
        "  0  done: the run completed and its results were printed\n"
        "  1  a test failed (its files are removed)\n"
        "  2  an unknown option, a bad value, an unknown test name, drive or folder, or a\n"
        "     --report input that is not the JSON of a batch run\n"
        "  3  the drive or folder cannot be written to\n"
        "  4  not enough free space on the drive or folder for the disk tests\n"
        "  5  no test to run\n"
        "  6  a data file: the results database (the save name exists without --overwrite or\n"
        "     is not allowed, the comparison set does not exist, the database could not be\n"
        "     read or written) or the settings file (could not be read); the message names\n"
        "     the file\n"
        "  7  interrupted (SIGINT, SIGTERM or SIGHUP); the test files are removed\n"
        "  8  an output could not be written: standard output, or a file of --report\n");
    text += QStringLiteral(
        "\n"
        "Files:\n"
        "  Speedmetrix.ini (the settings) and Speedmetrix_DB.INI (the results database) are kept\n"
        "  beside the program when its folder can be written, as in a portable copy or a build\n"
        "  folder. An installed copy, whose folder the user cannot write, keeps them in\n"
        "  $XDG_CONFIG_HOME/speedmetrix/Speedmetrix.ini (default ~/.config/speedmetrix/) and\n"
        "  $XDG_DATA_HOME/speedmetrix/Speedmetrix_DB.INI (default ~/.local/share/speedmetrix/);\n"
        "  those folders are made on the first write. The readme, speedmetrix.txt, is read\n"
        "  beside the program, else from the installed share/doc/speedmetrix/ folder.\n");
    return text;
}

} // namespace smx::cli
