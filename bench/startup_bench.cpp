// Time from process start to the main window's first paint, over repeated cold starts.
// Usage: bench_startup [runs]   (uses QT_QPA_PLATFORM as set; offscreen when unset)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    QTemporaryDir dir;
    const QString exe = dir.filePath(QStringLiteral("speedmetrix"));
    QFile::copy(QStringLiteral(SMX_EXECUTABLE), exe);
    QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SPEEDMETRIX_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    env.insert(QStringLiteral("HOME"), dir.path());

    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
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
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s %10s %10s %10s\n", "start to first paint", "min ms", "median ms", "max ms");
    std::printf("%-28s %10.1f %10.1f %10.1f   (%d runs, platform %s)\n", "speedmetrix",
                times.front(), times[times.size() / 2], times.back(), runs,
                qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"))));
    return 0;
}
