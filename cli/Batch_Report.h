#pragma once
#include "engine/Benchmark_Results.h"
#include "engine/Run_Driver.h"
#include "report/Report_Input.h"

#include <QJsonObject>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace smx::cli {

// Every repetition's time of each test, in test order, as the run driver summed them.
using Test_Times = std::array<std::vector<std::uint32_t>, engine::Test_Id_Count>;

// For the tests that run on threads: each repetition's time of each thread, in test order.
using Thread_Times = std::array<std::vector<std::vector<std::uint32_t>>, engine::Test_Id_Count>;

// What a reader needs besides the numbers to trust and compare them.
struct Run_Context {
    QString program;   // the program's title
    QString version;   // e.g. "1.3f"
    QString date_time; // local time of the run's start, ISO 8601 with the UTC offset
    QString host;      // the machine's host name
    QString cpu_model;
    int cpu_cores = 0; // physical cores; the logical processors when those are not known
    int cpu_logical = 0;
    QString kernel; // e.g. "Linux 6.1.0-18-amd64"
    std::int64_t memory_bytes = 0;
    QString drive_root; // the tested drive's or the chosen folder; empty when the letter names
                        // no drive
    QString drive_filesystem;
    QString display_platform; // the Qt platform the graphics tests draw on; empty: none ran
};

// The processor from the text of /proc/cpuinfo: model name and core counts.
struct Cpu_Info {
    QString model;
    int cores = 0;
    int logical = 0;
};
Cpu_Info Cpu_Info_From(const QString& cpuinfo_text);
// MemTotal of the text of /proc/meminfo, in bytes; 0 when missing.
std::int64_t Memory_Bytes_From(const QString& meminfo_text);

// Gathers the context of a run on this machine, now; the disk tests' place is the folder when
// one is given, else the letter's drive.
Run_Context Collect_Context(char drive_letter, const QString& drive_folder = {});

// The minimum, median and maximum of one test's times, and the average that the rate is made
// from (the sum divided by the count, truncating). The median of an even count is the mean of
// the two middle times.
struct Time_Summary {
    std::uint32_t min = 0;
    double median = 0;
    std::uint32_t max = 0;
    std::uint32_t averaged = 0;
};
Time_Summary Summarise(const std::vector<std::uint32_t>& times);

// The JSON report of a run: the set's name and eight values, the comparison set, every test's
// times with their summary and its ratio to the comparison set, and the context with every
// parameter of the run.
QJsonObject Json_Report(const engine::Run_Settings& settings,
                        const engine::TBenchmark_Results& main_results,
                        const std::optional<engine::TBenchmark_Results>& compare_results,
                        const Test_Times& times, const Run_Context& context,
                        const std::optional<QString>& saved_as,
                        const Thread_Times& thread_times = {});

// The names of the eight values, as the results database keys them.
const std::array<QString, 8>& Value_Names();

} // namespace smx::cli
