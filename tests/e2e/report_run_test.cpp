#include "csv_reader.h"
#include "program_under_test.h"
#include "results/Result_Number.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <sys/stat.h>

namespace {

using namespace smx;

struct Finished {
    int code = -1;
    QByteArray out;
    QString err;
};

// Runs on several threads and the report across runs, through a copy of the built program in a
// fresh directory, with no display.
class Multi_Run : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString program;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        program = dir.filePath(QStringLiteral("speedmetrix"));
        ASSERT_TRUE(smx::test::copy_program_under_test(program));
        ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("home"))));
    }

    void start(QProcess& process, const QStringList& arguments, const QString& executable = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.start(executable.isEmpty() ? program : executable, arguments);
    }

    Finished run(const QStringList& arguments) {
        QProcess process;
        start(process, arguments);
        Finished f;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "no end within two minutes";
        }
        f.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        f.out = process.readAllStandardOutput();
        f.err = QString::fromUtf8(process.readAllStandardError());
        return f;
    }

    // A batch run's JSON, kept in a file.
    QJsonObject batch_json(const QString& file, const QStringList& arguments) {
        const Finished f =
            run(QStringList{QStringLiteral("--batch"), QStringLiteral("--json")} + arguments);
        EXPECT_EQ(f.code, 0) << f.err.toStdString();
        QFile out(dir.filePath(file));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(f.out);
        return QJsonDocument::fromJson(f.out).object();
    }

    QString path(const QString& name) const { return dir.filePath(name); }
};

const QStringList Tiny = {
    QStringLiteral("--integer-loops=20"), QStringLiteral("--float-loops=5"),
    QStringLiteral("--array-size=20000"), QStringLiteral("--array-loops=50"),
    QStringLiteral("--small-files=5"),    QStringLiteral("--small-file-kb=4"),
    QStringLiteral("--large-files=2"),    QStringLiteral("--large-file-kb=256")};

const char* const Headings[] = {"Integer (MIops/sec)", "Float (MFops/Sec)", "Memory (MB/Sec)",
                                "Sm Files (KB/Sec)",   "Lg Files (KB/Sec)", "Windows (Ctrls/Sec)",
                                "Graphics (KPix/Sec)"};
const long double Divisors[] = {1e6L, 1e6L, 1, 1, 1, 1, 1e3L};

// --threads 2: each processor test's JSON holds both threads' times of every repetition, and the
// test's time is the longer of them; the disk test says it ran on one thread.
TEST_F(Multi_Run, ThreadsAreRecordedInTheJson) {
    const QJsonObject report =
        batch_json(QStringLiteral("a.json"),
                   QStringList{QStringLiteral("--tests=integer,float,memory,small-files"),
                               QStringLiteral("--threads=2"), QStringLiteral("--repetitions=2")} +
                       Tiny);
    const QJsonObject context = report[QStringLiteral("context")].toObject();
    EXPECT_EQ(context[QStringLiteral("threads")].toInt(), 2);
    const QJsonArray processors = context[QStringLiteral("processors")].toArray();
    ASSERT_EQ(processors.size(), 2);
    EXPECT_FALSE(context[QStringLiteral("host")].toString().isEmpty());
    const QJsonArray tests = report[QStringLiteral("tests")].toArray();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject t = tests[i].toObject();
        EXPECT_EQ(t[QStringLiteral("threads")].toInt(), 2);
        const QJsonArray times = t[QStringLiteral("times_ms")].toArray();
        const QJsonArray each = t[QStringLiteral("thread_times_ms")].toArray();
        ASSERT_EQ(times.size(), 2);
        ASSERT_EQ(each.size(), 2);
        for (int r = 0; r < 2; ++r) {
            const QJsonArray threads = each[r].toArray();
            ASSERT_EQ(threads.size(), 2);
            EXPECT_EQ(times[r].toInt(), std::max(threads[0].toInt(), threads[1].toInt()));
        }
    }
    EXPECT_EQ(tests[3][QStringLiteral("threads")].toInt(), 1);
    EXPECT_FALSE(tests[3].toObject().contains(QStringLiteral("thread_times_ms")));
}

// A run on threads prints the same text as any other and saves an ordinary set.
TEST_F(Multi_Run, TextAndSavedSetDoNotChange) {
    const Finished f =
        run(QStringList{QStringLiteral("--batch"), QStringLiteral("--tests=integer"),
                        QStringLiteral("--threads=all"), QStringLiteral("--save=Threads")} +
            Tiny);
    ASSERT_EQ(f.code, 0) << f.err.toStdString();
    EXPECT_TRUE(f.err.contains(QStringLiteral("the disk and graphics tests run on one thread")))
        << f.err.toStdString();
    const QStringList lines = QString::fromUtf8(f.out).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], QStringLiteral("\tThreads"));
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(lines[i + 1].startsWith(QLatin1String(Headings[i]) + QLatin1Char('\t')));
    QFile db(path(QStringLiteral("Speedmetrix_DB.INI")));
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    const QStringList db_lines =
        QString::fromUtf8(db.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(db_lines.size(), 9); // the section and its eight keys, nothing else
}

// A termination signal ends every thread where a run on one thread would stop: the memory test
// at its next array.
TEST_F(Multi_Run, InterruptEndsEveryThread) {
    QProcess process;
    start(process, {QStringLiteral("--batch"), QStringLiteral("--tests=memory"),
                    QStringLiteral("--threads=2"), QStringLiteral("--array-loops=2000000000")});
    ASSERT_TRUE(process.waitForStarted(10000));
    process.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("Memory Speed") && process.waitForReadyRead(20000))
        err += process.readAllStandardError();
    ASSERT_TRUE(err.contains("Memory Speed"));
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(20000)) << "the threads did not stop";
    EXPECT_EQ(process.exitCode(), 7);
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
}

struct Svg_Bar {
    int run;
    int test;
    double value;
    int width;
};

// Three real runs: the table on standard output, the same table as CSV, and the HTML page with
// the graph whose bars follow the window's log scale.
TEST_F(Multi_Run, ReportOfThreeRuns) {
    std::vector<QJsonObject> runs;
    runs.push_back(batch_json(
        QStringLiteral("a.json"),
        QStringList{QStringLiteral("--tests=integer,float,memory"), QStringLiteral("--threads=2")} +
            Tiny));
    runs.push_back(batch_json(
        QStringLiteral("b.json"),
        QStringList{QStringLiteral("--tests=all"), QStringLiteral("--save=Lab, \"B\"")} + Tiny));
    runs.push_back(batch_json(QStringLiteral("c.json"),
                              QStringList{QStringLiteral("--tests=integer,small-files")} + Tiny));
    const Finished f = run({QStringLiteral("--report"), path(QStringLiteral("a.json")),
                            path(QStringLiteral("b.json")), path(QStringLiteral("c.json")),
                            QStringLiteral("--html"), path(QStringLiteral("r.html")),
                            QStringLiteral("--csv"), path(QStringLiteral("r.csv"))});
    ASSERT_EQ(f.code, 0) << f.err.toStdString();
    EXPECT_TRUE(f.err.isEmpty()) << f.err.toStdString();

    // The expected table, from the JSON files themselves.
    auto rate_of = [&](int run, int test) -> std::optional<long double> {
        const QJsonObject t = runs[run][QStringLiteral("tests")].toArray()[test].toObject();
        if (!t[QStringLiteral("ran")].toBool())
            return std::nullopt;
        return t[QStringLiteral("rate")].toDouble();
    };
    const QString host = runs[0][QStringLiteral("context")][QStringLiteral("host")].toString();
    const QStringList tsv = QString::fromUtf8(f.out).split(QLatin1Char('\n'));
    ASSERT_EQ(tsv.size(), 9) << f.out.toStdString();
    const QStringList labels = tsv[0].split(QLatin1Char('\t'));
    ASSERT_EQ(labels.size(), 4);
    EXPECT_TRUE(labels[1].startsWith(host + QLatin1Char(' '))) << labels[1].toStdString();
    EXPECT_EQ(labels[2], QStringLiteral("Lab, \"B\""));
    EXPECT_TRUE(labels[3].startsWith(host + QLatin1Char(' ')));

    const std::vector<QStringList> csv = [&] {
        QFile file(path(QStringLiteral("r.csv")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return test::read_csv(QString::fromUtf8(file.readAll()));
    }();
    ASSERT_EQ(csv.size(), 8u);
    EXPECT_EQ(csv[0], QStringList{QStringLiteral("Test")} + labels.mid(1));
    for (int test = 0; test < 7; ++test) {
        const QStringList row = tsv[test + 1].split(QLatin1Char('\t'));
        ASSERT_EQ(row.size(), 4);
        EXPECT_EQ(row[0], QLatin1String(Headings[test]));
        EXPECT_EQ(csv[static_cast<std::size_t>(test) + 1], row) << test;
        for (int r = 0; r < 3; ++r) {
            const auto rate = rate_of(r, test);
            if (!rate) {
                EXPECT_TRUE(row[r + 1].isEmpty()) << test << " " << r;
                continue;
            }
            long double value = 0;
            ASSERT_TRUE(results::Parse_Result_Number(row[r + 1], value))
                << row[r + 1].toStdString();
            EXPECT_NEAR(static_cast<double>(value), static_cast<double>(*rate / Divisors[test]),
                        static_cast<double>(*rate / Divisors[test]) * 1e-15);
        }
    }

    // The saved run's column holds the digits its set has in the results database.
    QFile database(path(QStringLiteral("Speedmetrix_DB.INI")));
    ASSERT_TRUE(database.open(QIODevice::ReadOnly));
    const QString stored = QString::fromUtf8(database.readAll());
    for (int test = 0; test < 7; ++test) {
        const QString key =
            runs[1][QStringLiteral("tests")][test][QStringLiteral("value_name")].toString();
        const auto m = QRegularExpression(QStringLiteral("^%1=(\\S+)").arg(key),
                                          QRegularExpression::MultilineOption)
                           .match(stored);
        ASSERT_TRUE(m.hasMatch()) << key.toStdString();
        const QString shown = tsv[test + 1].split(QLatin1Char('\t'))[2];
        // The same digits; the heading's unit moves the exponent only.
        EXPECT_EQ(shown.section(QLatin1Char('E'), 0, 0),
                  m.captured(1).section(QLatin1Char('E'), 0, 0))
            << key.toStdString();
        if (Divisors[test] == 1) {
            EXPECT_EQ(shown, m.captured(1));
        }
    }

    QFile page(path(QStringLiteral("r.html")));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("Lab, &quot;B&quot;")));
    for (const char* outside : {"<script", "src=", "href=", "url(", "<link"})
        EXPECT_FALSE(html.contains(QLatin1String(outside))) << outside;
    const double span = QRegularExpression(QStringLiteral("data-span=\"([^\"]+)\""))
                            .match(html)
                            .captured(1)
                            .toDouble();
    std::vector<Svg_Bar> bars;
    static const QRegularExpression bar(
        QStringLiteral("class=\"bar\" data-run=\"(\\d+)\" data-test=\"(\\d+)\" "
                       "data-value=\"([^\"]+)\" x=\"[^\"]+\" y=\"[^\"]+\" width=\"(\\d+)\""));
    for (auto it = bar.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        bars.push_back({m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toDouble(),
                        m.captured(4).toInt()});
    }
    EXPECT_EQ(bars.size(), 3u + 7u + 2u); // the tests each run ran
    double greatest = 0;
    for (const Svg_Bar& b : bars) {
        const auto rate = rate_of(b.run, b.test);
        ASSERT_TRUE(rate);
        EXPECT_DOUBLE_EQ(b.value, static_cast<double>(*rate / Divisors[b.test]));
        greatest = std::max(greatest, b.value);
    }
    for (const Svg_Bar& b : bars)
        EXPECT_NEAR(b.width, b.value > 1 ? std::log(b.value) / std::log(greatest) * span : 0, 0.5);
}

// Every output or none: when one cannot be written, the others are not written either, an
// earlier file of the same name is left as it was, and the status is 8.
TEST_F(Multi_Run, AllOutputsOrNone) {
    batch_json(QStringLiteral("good.json"), QStringList{QStringLiteral("--tests=integer")} + Tiny);
    {
        QFile old(path(QStringLiteral("old.html")));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the page before");
    }
    const QString good = path(QStringLiteral("good.json"));
    const QString nowhere = QStringLiteral("/nonexistent/x");
    // The last two fail only when the CSV is put in place, after the page: the page put in
    // place is taken back.
    const QString refused = path(QStringLiteral("refuse-commit.csv"));
    const char* const refuse_rename =
        "LD_PRELOAD=\"$4\" ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\" ";
    const struct {
        QString html, csv;
        const char* to_stdout;
        const char* before = "";
    } cases[] = {
        {path(QStringLiteral("new.html")), nowhere + QStringLiteral(".csv"), ""},
        {nowhere + QStringLiteral(".html"), path(QStringLiteral("new.csv")), ""},
        {path(QStringLiteral("old.html")), nowhere + QStringLiteral(".csv"), ""},
        {path(QStringLiteral("old.html")), path(QStringLiteral("new.csv")), " > /dev/full"},
        {path(QStringLiteral("new.html")), refused, "", refuse_rename},
        {path(QStringLiteral("old.html")), refused, "", refuse_rename}};
    for (const auto& c : cases) {
        SCOPED_TRACE((QLatin1String(c.before) + c.html + QLatin1Char(' ') + c.csv +
                      QLatin1String(c.to_stdout))
                         .toStdString());
        QProcess process;
        start(process,
              {QStringLiteral("-c"),
               QLatin1String(c.before) +
                   QStringLiteral("\"$0\" --report \"$1\" --html \"$2\" --csv \"$3\"") +
                   QLatin1String(c.to_stdout),
               program, good, c.html, c.csv, smx::test::refuse_commit_library()},
              QStringLiteral("/bin/sh"));
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 8) << process.readAllStandardError().toStdString();
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("new.html"))));
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("new.csv"))));
        EXPECT_FALSE(QFile::exists(refused));
        QFile old(path(QStringLiteral("old.html")));
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), QByteArray("the page before"));
    }
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".previous")),
        QStringList());
}

// Any refused input names its file, and nothing is written: not the table, not the page, not
// the CSV.
TEST_F(Multi_Run, RefusedInputsWriteNothing) {
    batch_json(QStringLiteral("good.json"), QStringList{QStringLiteral("--tests=integer")} + Tiny);
    QFile good(path(QStringLiteral("good.json")));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    QJsonObject newer = QJsonDocument::fromJson(good.readAll()).object();
    newer[QStringLiteral("format_version")] = 99;
    QJsonObject fast = newer;
    fast[QStringLiteral("format_version")] = 2;
    QJsonArray tests = fast[QStringLiteral("tests")].toArray();
    QJsonObject integer = tests[0].toObject();
    integer[QStringLiteral("rate")] = QStringLiteral("fast");
    tests[0] = integer;
    fast[QStringLiteral("tests")] = tests;
    const std::pair<const char*, QByteArray> files[] = {
        {"text.json", "\tThis PC\r\nInteger (MIops/sec)\t1.0E+3\r\n"},
        {"other.json", "{\"name\": \"some other program\", \"tests\": []}"},
        {"newer.json", QJsonDocument(newer).toJson()},
        {"fast.json", QJsonDocument(fast).toJson()}};
    for (const auto& [name, content] : files) {
        QFile file(path(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    // Endless or huge inputs are refused by what they are, before a byte is read.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path(QStringLiteral("zero.json"))));
    ASSERT_TRUE(QDir().mkdir(path(QStringLiteral("folder.json"))));
    {
        QFile huge(path(QStringLiteral("huge.json"))); // sparse: takes no room
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize(30LL * 1024 * 1024 * 1024));
    }
    const struct {
        const char* file;
        const char* message;
    } cases[] = {{"text.json", "not JSON"},
                 {"other.json", "not the JSON of speedmetrix --batch --json"},
                 {"newer.json", "written in layout version 99, which this program cannot read"},
                 {"fast.json", "field tests[0].rate: \"fast\" is not a rate"},
                 {"zero.json", "cannot be read (not a regular file)"},
                 {"folder.json", "cannot be read (not a regular file)"},
                 {"huge.json", "cannot be read (larger than 64 MiB"},
                 {"missing.json", "cannot be read"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Finished f = run({QStringLiteral("--report"), path(QStringLiteral("good.json")),
                                path(QLatin1String(c.file)), QStringLiteral("--html"),
                                path(QStringLiteral("r.html")), QStringLiteral("--csv"),
                                path(QStringLiteral("r.csv"))});
        EXPECT_EQ(f.code, 2);
        EXPECT_TRUE(f.err.contains(path(QLatin1String(c.file)) + QStringLiteral(": ") +
                                   QLatin1String(c.message)))
            << f.err.toStdString();
        EXPECT_TRUE(f.out.isEmpty());
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("r.html"))));
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("r.csv"))));
    }
    // A pipe is read up to the same cap.
    QProcess piped;
    start(piped,
          {QStringLiteral("-c"),
           QStringLiteral("head -c 70000000 /dev/zero | \"$0\" --report /dev/stdin"), program},
          QStringLiteral("/bin/sh"));
    ASSERT_TRUE(piped.waitForFinished(60000));
    EXPECT_EQ(piped.exitCode(), 2);
    EXPECT_TRUE(piped.readAllStandardError().contains("larger than 64 MiB"));
    const Finished none = run({QStringLiteral("--report")});
    EXPECT_EQ(none.code, 2);
    EXPECT_TRUE(none.err.contains(QStringLiteral("needs at least one JSON file")));
}

} // namespace

// A report may read a pipe (process substitution of a remote run, say) that never delivers: a
// termination signal still ends it at once, with nothing written.
TEST_F(Multi_Run, ASignalEndsAReportWaitingForItsInput) {
    const QString fifo = path(QStringLiteral("pipe.json"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess process;
    start(process, {QStringLiteral("--report"), fifo, QStringLiteral("--csv"),
                    path(QStringLiteral("r.csv"))});
    ASSERT_TRUE(process.waitForStarted(10000));
    EXPECT_FALSE(process.waitForFinished(300)) << "the report did not wait for its input";
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(2000)) << "still running 2 s after SIGTERM";
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("r.csv"))));
}
