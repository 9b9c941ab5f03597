// Time from process start to the main window's first paint, over repeated cold starts.
// Usage: bench_startup [runs]   (uses QT_QPA_PLATFORM as set; offscreen when unset)
#include "Bench_Support.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    QTemporaryDir dir;
    const QString exe = smx::bench::copy_program_into(QStringLiteral(SMX_EXECUTABLE), dir.path());
    const QProcessEnvironment env = smx::bench::first_paint_environment(dir.path());
    const std::vector<double> times = smx::bench::time_first_paints(exe, env, dir.path(), runs);
    if (times.empty())
        return 1;
    std::printf("%-28s %10s %10s %10s\n", "start to first paint", "min ms", "median ms", "max ms");
    std::printf("%-28s %10.1f %10.1f %10.1f   (%d runs, platform %s)\n", "speedmetrix",
                times.front(), times[times.size() / 2], times.back(), runs,
                qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"))));
    return 0;
}
