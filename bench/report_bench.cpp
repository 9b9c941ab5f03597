// Time of `speedmetrix --report` over many batch runs: the table, the HTML page and the CSV
// file, from the program's start to its end.
// Usage: bench_report [files] [runs]   (default 1000 files, 5 runs)
//
// The files are one real `--batch --json` output of this machine, copied with the saved name
// and the rates varied, so that every run gets its own column and bar.
#include "Bench_Support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

QProcessEnvironment quiet_environment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home);
    return env;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    QTemporaryDir dir;
    const QString exe = smx::bench::copy_program_into(QStringLiteral(SMX_EXECUTABLE), dir.path());
    const QProcessEnvironment env = quiet_environment(dir.path());

    QProcess batch;
    batch.setProcessEnvironment(env);
    batch.setWorkingDirectory(dir.path());
    batch.start(exe, {QStringLiteral("--batch"), QStringLiteral("--json"),
                      QStringLiteral("--tests=integer,float,memory,small-files"),
                      QStringLiteral("--integer-loops=10"), QStringLiteral("--float-loops=2"),
                      QStringLiteral("--array-loops=100"), QStringLiteral("--small-files=10")});
    if (!batch.waitForFinished(120000) || batch.exitCode() != 0) {
        std::fprintf(stderr, "the batch run failed\n");
        return 1;
    }
    const QJsonObject model = QJsonDocument::fromJson(batch.readAllStandardOutput()).object();

    QStringList arguments{QStringLiteral("--report")};
    for (int i = 0; i < files; ++i) {
        QJsonObject copy = model;
        copy[QStringLiteral("saved_as")] = QStringLiteral("Machine %1").arg(i + 1);
        QJsonArray tests = copy[QStringLiteral("tests")].toArray();
        for (int t = 0; t < tests.size(); ++t) {
            QJsonObject test = tests[t].toObject();
            test[QStringLiteral("rate")] = test[QStringLiteral("rate")].toDouble() *
                                           (0.5 + (i * 7919 + t * 104729) % 1000 / 1000.0);
            tests[t] = test;
        }
        copy[QStringLiteral("tests")] = tests;
        const QString path =
            dir.filePath(QStringLiteral("run%1.json").arg(i + 1, 4, 10, QLatin1Char('0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(copy).toJson()) < 0)
            return 1;
        arguments << path;
    }
    arguments << QStringLiteral("--html") << dir.filePath(QStringLiteral("report.html"))
              << QStringLiteral("--csv") << dir.filePath(QStringLiteral("report.csv"));

    std::vector<double> times;
    qint64 html_bytes = 0;
    for (int r = 0; r < runs; ++r) {
        QProcess report;
        report.setProcessEnvironment(env);
        report.setWorkingDirectory(dir.path());
        QElapsedTimer timer;
        timer.start();
        report.start(exe, arguments);
        if (!report.waitForFinished(120000) || report.exitCode() != 0) {
            std::fprintf(stderr, "the report failed: %s\n",
                         report.readAllStandardError().constData());
            return 1;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
        html_bytes = QFileInfo(dir.filePath(QStringLiteral("report.html"))).size();
    }
    std::sort(times.begin(), times.end());
    std::printf("%-34s %10s %10s %10s\n", "speedmetrix --report", "min ms", "median ms", "max ms");
    std::printf("%-34s %10.1f %10.1f %10.1f   (%d runs, %s)\n",
                qPrintable(QStringLiteral("%1 files, table + HTML + CSV").arg(files)),
                times.front(), times[times.size() / 2], times.back(), runs,
                qPrintable(smx::bench::cpu_name()));
    std::printf("HTML page: %.1f MB\n", html_bytes / 1e6);
    return 0;
}
