// The processor and memory rates of `speedmetrix --batch` on one thread and on every processor
// this process may use (--threads all), in alternating rounds, with the scaling of each test.
// Usage: bench_threads [rounds]   (default 3; the window's default work, 3 repetitions)
//
// The scaling is only meaningful on an otherwise idle machine: the load average before and after
// is printed with the table.
#include "Bench_Support.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

QString load_average() {
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString exe = smx::bench::copy_program_into(QStringLiteral(SMX_EXECUTABLE), dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), dir.path());

    const char* const names[] = {"Integer", "Float", "Memory"};
    std::vector<double> rates[2][3];
    int threads = 0;
    const QString load_before = load_average();
    for (int round = 0; round < rounds; ++round) {
        for (int side = 0; side < 2; ++side) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.setWorkingDirectory(dir.path());
            p.start(exe,
                    {QStringLiteral("--batch"), QStringLiteral("--json"),
                     QStringLiteral("--tests=integer,float,memory"),
                     QStringLiteral("--integer-loops=900"), QStringLiteral("--float-loops=128"),
                     QStringLiteral("--array-size=30000"), QStringLiteral("--array-loops=4000"),
                     QStringLiteral("--repetitions=3"),
                     side == 0 ? QStringLiteral("--threads=1") : QStringLiteral("--threads=all")});
            if (!p.waitForFinished(600000) || p.exitCode() != 0) {
                std::fprintf(stderr, "the batch run failed\n");
                return 1;
            }
            const QJsonObject r = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
            if (side == 1)
                threads = r[QStringLiteral("context")][QStringLiteral("threads")].toInt();
            const QJsonArray tests = r[QStringLiteral("tests")].toArray();
            for (int t = 0; t < 3; ++t)
                rates[side][t].push_back(tests[t][QStringLiteral("rate")].toDouble());
        }
    }
    std::printf("%-8s %18s %18s %8s   (%s, %d rounds, median)\n", "test", "1 thread",
                qPrintable(QStringLiteral("%1 threads").arg(threads)), "scaling",
                qPrintable(smx::bench::cpu_name()), rounds);
    for (int t = 0; t < 3; ++t) {
        const double one = median(rates[0][t]);
        const double all = median(rates[1][t]);
        std::printf("%-8s %18.4g %18.4g %8.2f\n", names[t], one, all, one > 0 ? all / one : 0);
    }
    std::printf("load average before: %s, after: %s\n", qPrintable(load_before),
                qPrintable(load_average()));
    return 0;
}
