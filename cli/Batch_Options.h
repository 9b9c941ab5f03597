#pragma once
#include "engine/Run_Driver.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace smx::cli {

// What `speedmetrix --batch` ends with. Listed by --help and in the README.
enum Exit_Code {
    Exit_Ok = 0,
    Exit_Test_Failed = 1,        // a test failed (a file it could not write or read, no memory)
    Exit_Bad_Usage = 2,          // unknown option, bad value, unknown test or drive name
    Exit_Drive_Not_Writable = 3, // the drive's root cannot be written
    Exit_Not_Enough_Space = 4,   // the drive has too little free space for the disk tests
    Exit_No_Tests = 5,           // no test ticked or chosen
    Exit_Database_Error = 6,     // a data file: the results database (save refused or failed,
                                 // comparison set missing or unreadable) or the settings file
                                 // (cannot be read)
    Exit_Interrupted = 7,        // SIGINT, SIGTERM or SIGHUP during the run
    Exit_Output_Failed = 8       // an output (standard output, a report's file) cannot be written
};

// Below this averaged time a test's rate says more about the millisecond tick than about the
// machine: the batch run warns and marks the test in its JSON.
inline constexpr std::uint32_t Min_Measurable_Ms = 20;

// The command-line names of the seven tests, in test order.
inline constexpr std::array<const char*, engine::Test_Id_Count> Test_Names = {
    "integer", "float", "memory", "small-files", "large-files", "controls", "2d"};

// What the command line changes for one run; everything left empty comes from the settings file.
struct Overrides {
    std::optional<std::array<bool, engine::Test_Id_Count>> tests;
    std::optional<int> repetitions;
    std::optional<int> integer_loops_millions;
    std::optional<int> float_loops_millions;
    std::optional<int> array_size;
    std::optional<int> array_loops;
    std::optional<int> small_files;
    std::optional<int> small_file_kb;
    std::optional<int> large_files;
    std::optional<int> large_file_kb;
    std::optional<char> drive_letter;    // lower case
    std::optional<QString> drive_folder; // absolute, as given; instead of a letter
};

// The most threads --threads accepts.
inline constexpr int Max_Threads = 1024;

struct Options {
    bool json = false;
    // --threads: the processor and memory tests' thread count; 0 for "all" (the processors this
    // process may run on). Empty: one thread, the window's run.
    std::optional<int> threads;
    bool overwrite = false;
    bool sync = false; // --sync: the disk tests measure the device, not the page cache
    std::optional<QString> save_name;
    std::optional<QString> compare_name;
    Overrides overrides;
};

struct Parsed {
    std::optional<Options> options; // empty when `error` says what is wrong
    QString error;
};

// True when the arguments (program name excluded) ask for the batch run, for the help text or for
// the drive list. Without any of these the program is the window and reads no argument.
bool Wants_Batch(const QStringList& arguments);
bool Wants_Help(const QStringList& arguments);
bool Wants_Drive_List(const QStringList& arguments);

// What the command line asks for: the first that applies of help, version, drive list, report
// and batch; the window when none does.
enum class Mode { Window, Help, Version, Drive_List, Report, Batch };
Mode Mode_Of(const QStringList& arguments);

// Why the arguments cannot be taken in `mode`, naming the first argument (up to "--") that begins
// with "-" and is not one of the program's options (the values of options that take one are
// skipped); empty when there is none. The window takes none of the program's options, only the
// arguments of Qt's that choose the display and restore a session: -platform NAME, -display NAME
// and -session ID (also with two dashes).
QString Argument_Error(const QStringList& arguments, Mode mode);

// Parses the arguments of a batch run (program name excluded; "--batch" among them). Accepts
// "--option value" and "--option=value". Values are checked against the ranges the window's
// spin edits allow.
Parsed Parse_Arguments(const QStringList& arguments);

// Applies the overrides to the settings read from the settings file.
void Apply_Overrides(const Overrides& overrides, engine::Run_Settings& settings);

// The text of --help.
QString Help_Text();
// The text of --version: the program's name and version on one line.
QString Version_Text();

} // namespace smx::cli
