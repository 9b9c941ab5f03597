// Helpers shared by the benchmark programs: the machine's name for the tables, and timing of the
// built program from its start to its first paint.
#pragma once
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSysInfo>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace smx::bench {

inline QString cpu_name() {
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
    return QSysInfo::currentCpuArchitecture();
}

// A copy of `program` in `dir`, so the files it keeps beside itself land there.
inline QString copy_program_into(const QString& program, const QString& dir) {
    const QString exe = dir + QStringLiteral("/speedmetrix");
    QFile::copy(program, exe);
    QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
    return exe;
}

// The environment of a timed start: the platform as set (offscreen when unset), the program told
// to report its first paint and quit, and HOME in `dir` so nothing outside it is touched.
inline QProcessEnvironment first_paint_environment(const QString& dir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SPEEDMETRIX_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    env.insert(QStringLiteral("HOME"), dir);
    return env;
}

// Milliseconds from each start to the reported first paint, sorted; empty when a start never
// painted. `before_each` runs before every start and may stop the series by returning false.
inline std::vector<double> time_first_paints(const QString& exe, const QProcessEnvironment& env,
                                             const QString& dir, int runs,
                                             const std::function<bool()>& before_each = {}) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (before_each && !before_each())
            return {};
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir);
        QElapsedTimer timer;
        timer.start();
        process.start(exe, {});
        double ms = -1;
        while (process.waitForReadyRead(10000)) {
            if (process.readAllStandardOutput().contains("first-paint")) {
                ms = timer.nsecsElapsed() / 1e6;
                break;
            }
        }
        process.waitForFinished(10000);
        if (ms < 0) {
            std::fprintf(stderr, "run %d: no first paint reported\n", i + 1);
            return {};
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    return times;
}

} // namespace smx::bench
