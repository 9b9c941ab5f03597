#pragma once
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace smx::report {

inline constexpr int Test_Count = 7;

// What marks a file as the JSON of `speedmetrix --batch --json`, and the newest layout this
// program writes and reads. The first batch runs wrote neither mark; their files count as
// version 1 when their context names this program.
inline constexpr const char* Json_Format_Name = "speedmetrix-batch";
inline constexpr int Json_Format_Version = 2;

// A test's per-repetition times.
struct Spread {
    double min_ms = 0;
    double median_ms = 0;
    double max_ms = 0;
};

// One batch run as a report shows it.
struct Report_Run {
    QString file;       // as named on the command line
    QString saved_name; // the name it was saved under; empty when it was not saved
    QString host;
    QString date_time; // ISO 8601, as recorded
    // The seven rates in test order, in the units the results database holds them; empty for a
    // test that did not run.
    std::array<std::optional<long double>, Test_Count> rates;
    // Each rate as the results database writes it ("4.87804878048780488E+3"), where the file
    // carries that text; empty otherwise (older files), and the number is used instead.
    std::array<QString, Test_Count> rate_texts;
    std::array<std::optional<Spread>, Test_Count> spread;
    QString cpu_model;
    int cpu_cores = 0;
    int cpu_logical = 0;
    int threads = 1;
    std::vector<int> processors; // those the threads were pinned to
    QString kernel;
    std::int64_t memory_bytes = 0;
    QString drive_root;
    QString drive_filesystem;
    std::vector<std::pair<QString, QString>> parameters; // name and value, in the file's order
    // The disk tests flushed each file to the device and read it back from there (--sync).
    bool synced = false;

    // The saved name, or else the host name and the date and time of the run.
    QString label() const;
};

struct Read_Result {
    std::optional<Report_Run> run; // empty when `error` says why the file is refused
    QString error;
};

// Above every rate a run can reach: the most work any test does (about 1.3e13 floating-point
// operations per thread at the largest loop count) on the most threads (1024) in one
// millisecond stays below 1e20.
inline constexpr double Max_Rate = 1e21;
// The tick count's range: repetition times are 32-bit millisecond counts.
inline constexpr double Max_Milliseconds = 4294967295.0;

// Reads the JSON text of one batch run. Refuses text that is not JSON, JSON that is not this
// program's batch output, a layout version newer than this program reads, and a file with a
// field of the wrong kind or out of its range (a rate or time that is negative, not finite or
// beyond what a run can give, a count outside its type, a number where text belongs), naming
// the field. A field that is missing keeps its default: older layouts lack some.
Read_Result Read_Run(const QByteArray& json, const QString& file);

} // namespace smx::report
