#include "cli/Batch_Report.h"
#include "platform/Outside_Text.h"

#include "cli/Batch_Options.h"
#include "platform/Drives.h"
#include "platform/File_Routines.h"
#include "platform/Product.h"
#include "results/Result_Number.h"
#include "results/Results_Database.h"
#include "settings/Settings.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>
#include <QStorageInfo>
#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <sys/utsname.h>

namespace smx::cli {
namespace {

using engine::Test_Id_Count;

QString read_text_file(const QString& path) {
    const auto text = platform::Read_Outside_Text_File(path);
    return text ? QString::fromUtf8(*text) : QString();
}

// Infinity and NaN have no JSON form; they cannot come out of the rate formulas, but a hand-edited
// comparison set might hold anything.
QJsonValue number(long double value) {
    const double d = static_cast<double>(value);
    if (!std::isfinite(d))
        return QJsonValue(QJsonValue::Null);
    return d;
}

QJsonValue stored_text(long double value) {
    if (!std::isfinite(static_cast<double>(value)))
        return QJsonValue(QJsonValue::Null);
    return results::Format_Result_Number(value);
}

// A double holds about 16 digits of the 18 that the results database writes, so each value goes
// out as its stored text too, from which a reader gets the database's digits back.
QJsonObject values_object(const engine::TBenchmark_Results& r, bool texts) {
    QJsonObject values;
    for (int i = 0; i < results::Result_Key_Count; ++i) {
        const long double value = results::Result_Value(r, i);
        values.insert(Value_Names()[i], texts ? stored_text(value) : number(value));
    }
    return values;
}

const char* const Units[Test_Id_Count] = {"integer operations per second",
                                          "floating-point operations per second",
                                          "MB per second (1 MB = 1048576 bytes)",
                                          "KB per second (1 KB = 1024 bytes)",
                                          "KB per second (1 KB = 1024 bytes)",
                                          "control operations per second",
                                          "pixels per second"};

QJsonObject parameters_object(const engine::Run_Settings& s) {
    QJsonArray tests;
    for (int i = 0; i < Test_Id_Count; ++i)
        if (s.ticked[i])
            tests.append(QLatin1String(Test_Names[i]));
    QJsonObject p;
    p.insert(QStringLiteral("tests"), tests);
    p.insert(QStringLiteral("repetitions"), s.repetitions);
    p.insert(QStringLiteral("integer_loops_millions"), s.integer_loops_millions);
    p.insert(QStringLiteral("float_loops_millions"), s.float_loops_millions);
    p.insert(QStringLiteral("array_size"), s.array_size);
    p.insert(QStringLiteral("array_loops"), s.array_loops);
    p.insert(QStringLiteral("small_files"), s.small_files);
    p.insert(QStringLiteral("small_file_kb"), s.small_file_kb);
    p.insert(QStringLiteral("large_files"), s.large_files);
    p.insert(QStringLiteral("large_file_kb"), s.large_file_kb);
    p.insert(QStringLiteral("drive"),
             s.drive_folder.isEmpty() ? QString(QLatin1Char(s.drive_letter)) : s.drive_folder);
    p.insert(QStringLiteral("threads"), std::max(1, s.threads));
    p.insert(QStringLiteral("sync"), s.sync_to_device);
    return p;
}

} // namespace

const std::array<QString, 8>& Value_Names() {
    return results::Result_Key_Names();
}

Cpu_Info Cpu_Info_From(const QString& cpuinfo_text) {
    Cpu_Info info;
    QSet<QString> cores; // "physical id/core id" pairs
    QString physical_id;
    const QStringList lines = cpuinfo_text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString key = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("processor")) {
            ++info.logical;
            physical_id.clear();
        } else if (key == QLatin1String("physical id")) {
            physical_id = value;
        } else if (key == QLatin1String("core id")) {
            cores.insert(physical_id + QLatin1Char('/') + value);
        } else if (info.model.isEmpty() &&
                   (key == QLatin1String("model name") || key == QLatin1String("Model") ||
                    key == QLatin1String("cpu model") || key == QLatin1String("Hardware"))) {
            info.model = value;
        }
    }
    info.cores = cores.isEmpty() ? info.logical : static_cast<int>(cores.size());
    return info;
}

std::int64_t Memory_Bytes_From(const QString& meminfo_text) {
    static const QRegularExpression total(QStringLiteral("^MemTotal:\\s*(\\d+)\\s*kB"),
                                          QRegularExpression::MultilineOption);
    const auto match = total.match(meminfo_text);
    return match.hasMatch() ? match.captured(1).toLongLong() * 1024 : 0;
}

Run_Context Collect_Context(char drive_letter, const QString& drive_folder) {
    Run_Context c;
    c.program = QString::fromLatin1(platform::Program_Title);
    c.version = c.program.mid(c.program.lastIndexOf(QLatin1Char('v')) + 1);
    const QDateTime now = QDateTime::currentDateTime();
    c.date_time = now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate);
    c.host = QSysInfo::machineHostName();
    const Cpu_Info cpu = Cpu_Info_From(read_text_file(QStringLiteral("/proc/cpuinfo")));
    c.cpu_model = cpu.model.isEmpty() ? QSysInfo::currentCpuArchitecture() : cpu.model;
    c.cpu_logical = cpu.logical > 0 ? cpu.logical : QThread::idealThreadCount();
    c.cpu_cores = cpu.cores > 0 ? cpu.cores : c.cpu_logical;
    struct utsname names {};
    if (::uname(&names) == 0)
        c.kernel = QString::fromUtf8(names.sysname) + QLatin1Char(' ') +
                   QString::fromUtf8(names.release) + QLatin1Char(' ') +
                   QString::fromUtf8(names.machine);
    c.memory_bytes = Memory_Bytes_From(read_text_file(QStringLiteral("/proc/meminfo")));
    if (!drive_folder.isEmpty())
        c.drive_root = drive_folder;
    else if (const auto drive = platform::find_drive(drive_letter))
        c.drive_root = drive->root;
    if (!c.drive_root.isEmpty()) {
        const QStorageInfo storage(c.drive_root);
        if (storage.isValid())
            c.drive_filesystem = QString::fromUtf8(storage.fileSystemType());
    }
    c.display_platform = QGuiApplication::platformName();
    return c;
}

Time_Summary Summarise(const std::vector<std::uint32_t>& times) {
    Time_Summary s;
    if (times.empty())
        return s;
    std::vector<std::uint32_t> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    s.min = sorted.front();
    s.max = sorted.back();
    s.median = n % 2 ? sorted[n / 2] : (double(sorted[n / 2 - 1]) + double(sorted[n / 2])) / 2;
    // The run driver's rule: a 32-bit sum divided by the count, truncating.
    std::uint32_t sum = 0;
    for (std::uint32_t t : times)
        sum += t;
    s.averaged = sum / static_cast<std::uint32_t>(n);
    return s;
}

QJsonObject Json_Report(const engine::Run_Settings& settings,
                        const engine::TBenchmark_Results& main_results,
                        const std::optional<engine::TBenchmark_Results>& compare_results,
                        const Test_Times& times, const Run_Context& context,
                        const std::optional<QString>& saved_as, const Thread_Times& thread_times) {
    QJsonObject report;
    report.insert(QStringLiteral("format"), QLatin1String(smx::report::Json_Format_Name));
    report.insert(QStringLiteral("format_version"), smx::report::Json_Format_Version);
    report.insert(QStringLiteral("name"), main_results.Name);
    report.insert(QStringLiteral("values"), values_object(main_results, false));
    report.insert(QStringLiteral("value_texts"), values_object(main_results, true));
    if (compare_results) {
        QJsonObject compare;
        compare.insert(QStringLiteral("name"), compare_results->Name);
        compare.insert(QStringLiteral("values"), values_object(*compare_results, false));
        compare.insert(QStringLiteral("value_texts"), values_object(*compare_results, true));
        report.insert(QStringLiteral("compare"), compare);
    } else {
        report.insert(QStringLiteral("compare"), QJsonValue(QJsonValue::Null));
    }
    report.insert(QStringLiteral("saved_as"),
                  saved_as ? QJsonValue(*saved_as) : QJsonValue(QJsonValue::Null));

    QJsonArray tests;
    for (int i = 0; i < Test_Id_Count; ++i) {
        QJsonObject t;
        t.insert(QStringLiteral("test"), QLatin1String(Test_Names[i]));
        t.insert(QStringLiteral("caption"), smx::settings::Test_Captions()[i]);
        t.insert(QStringLiteral("ran"), !times[i].empty());
        t.insert(QStringLiteral("value_name"), Value_Names()[i]);
        t.insert(QStringLiteral("unit"), QLatin1String(Units[i]));
        const long double rate = main_results.rate(i);
        t.insert(QStringLiteral("rate"), number(rate));
        t.insert(QStringLiteral("rate_text"), stored_text(rate));
        QJsonArray ms;
        for (std::uint32_t m : times[i])
            ms.append(static_cast<qint64>(m));
        t.insert(QStringLiteral("times_ms"), ms);
        const bool threaded = engine::Runs_On_Threads(static_cast<engine::Test_Id>(i));
        t.insert(QStringLiteral("threads"), threaded ? std::max(1, settings.threads) : 1);
        if (threaded) {
            QJsonArray repetitions;
            for (const std::vector<std::uint32_t>& repetition : thread_times[i]) {
                QJsonArray each;
                for (std::uint32_t m : repetition)
                    each.append(static_cast<qint64>(m));
                repetitions.append(each);
            }
            t.insert(QStringLiteral("thread_times_ms"), repetitions);
        }
        const QJsonValue none(QJsonValue::Null);
        if (times[i].empty()) {
            for (const char* key : {"min_ms", "median_ms", "max_ms", "averaged_ms"})
                t.insert(QLatin1String(key), none);
        } else {
            const Time_Summary s = Summarise(times[i]);
            t.insert(QStringLiteral("min_ms"), static_cast<qint64>(s.min));
            t.insert(QStringLiteral("median_ms"), s.median);
            t.insert(QStringLiteral("max_ms"), static_cast<qint64>(s.max));
            t.insert(QStringLiteral("averaged_ms"), static_cast<qint64>(s.averaged));
        }
        // Too short for the tick to time: the rate is no measurement (0 when it came out at 0).
        t.insert(QStringLiteral("too_short"),
                 !times[i].empty() && Summarise(times[i]).averaged < Min_Measurable_Ms);
        // No ratio where either rate is 0: a test that did not run or came out at 0 ms.
        QJsonValue ratio = none;
        if (compare_results && rate != 0 && compare_results->rate(i) != 0)
            ratio = number(rate / compare_results->rate(i));
        t.insert(QStringLiteral("ratio_to_compare"), ratio);
        tests.append(t);
    }
    report.insert(QStringLiteral("tests"), tests);

    QJsonObject c;
    c.insert(QStringLiteral("program"), context.program);
    c.insert(QStringLiteral("version"), context.version);
    c.insert(QStringLiteral("date_time"), context.date_time);
    QJsonObject cpu;
    cpu.insert(QStringLiteral("model"), context.cpu_model);
    cpu.insert(QStringLiteral("cores"), context.cpu_cores);
    cpu.insert(QStringLiteral("logical_processors"), context.cpu_logical);
    c.insert(QStringLiteral("cpu"), cpu);
    c.insert(QStringLiteral("host"), context.host);
    c.insert(QStringLiteral("threads"), std::max(1, settings.threads));
    QJsonArray processors;
    for (int p : settings.thread_processors)
        processors.append(p);
    c.insert(QStringLiteral("processors"), processors);
    c.insert(QStringLiteral("kernel"), context.kernel);
    c.insert(QStringLiteral("memory_bytes"), static_cast<qint64>(context.memory_bytes));
    QJsonObject drive;
    drive.insert(QStringLiteral("letter"),
                 settings.drive_folder.isEmpty()
                     ? QJsonValue(QString(QLatin1Char(settings.drive_letter)))
                     : QJsonValue(QJsonValue::Null));
    drive.insert(QStringLiteral("root"), context.drive_root.isEmpty()
                                             ? QJsonValue(QJsonValue::Null)
                                             : QJsonValue(context.drive_root));
    drive.insert(QStringLiteral("filesystem"), context.drive_filesystem.isEmpty()
                                                   ? QJsonValue(QJsonValue::Null)
                                                   : QJsonValue(context.drive_filesystem));
    c.insert(QStringLiteral("drive"), drive);
    c.insert(QStringLiteral("display_platform"), context.display_platform.isEmpty()
                                                     ? QJsonValue(QJsonValue::Null)
                                                     : QJsonValue(context.display_platform));
    c.insert(QStringLiteral("parameters"), parameters_object(settings));
    report.insert(QStringLiteral("context"), c);
    return report;
}

} // namespace smx::cli
