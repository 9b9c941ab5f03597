#include "program_under_test.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace {

struct Finished {
    int code = -1;
    QString out;
    QString err;
};

// One run of the built program: its arguments, what it must end with, and what it must write.
// "@folder" in an argument stands for a writable folder outside the home directory.
struct Case {
    const char* what;
    QStringList arguments;
    int code;
    QStringList out_has; // each in standard output; none: standard output stays empty
    QStringList err_has;
    bool out_to_full_device = false;                // standard output is /dev/full
    bool out_closed = false;                        // standard output is closed
    std::function<void(const Finished&)> also = {}; // further checks of what was written
};

// A copy of the built program in a fresh directory (its settings file and results database live
// beside it), with no display and a home directory that cannot be written: a window would abort
// for want of a display, and a disk test that wrote into the home directory would fail.
class Command_Line : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString program;
    QString folder;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        program = dir.filePath(QStringLiteral("speedmetrix"));
        ASSERT_TRUE(smx::test::copy_program_under_test(program));
        folder = dir.filePath(QStringLiteral("bench"));
        ASSERT_TRUE(QDir().mkpath(folder));
    }

    Finished run(const Case& c) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("HOME"), QStringLiteral("/proc"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        if (c.out_to_full_device)
            process.setStandardOutputFile(QStringLiteral("/dev/full"));
        if (c.out_closed)
            process.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
        QStringList arguments = c.arguments;
        arguments.replaceInStrings(QStringLiteral("@folder"), folder);
        process.start(program, arguments);
        Finished f;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << c.what << ": no end within two minutes";
        }
        f.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        f.out = QString::fromUtf8(process.readAllStandardOutput());
        f.err = QString::fromUtf8(process.readAllStandardError());
        return f;
    }
};

QJsonObject test_entry(const Finished& f, const char* name) {
    const QJsonObject report = QJsonDocument::fromJson(f.out.toUtf8()).object();
    for (const auto& t : report[QStringLiteral("tests")].toArray())
        if (t[QStringLiteral("test")].toString() == QLatin1String(name))
            return t.toObject();
    ADD_FAILURE() << "no test " << name << " in " << f.out.toStdString();
    return {};
}

const QString Usage_Hint = QStringLiteral("Try 'speedmetrix --help' for more information.");

TEST_F(Command_Line, ArgumentsExitStatusAndWhatIsWritten) {
    const QStringList batch = {QStringLiteral("--batch")};
    const QStringList integer =
        batch + QStringList{QStringLiteral("--tests=integer"), QStringLiteral("--integer-loops=1")};
    const QStringList small_files = batch + QStringList{QStringLiteral("--tests=small-files"),
                                                        QStringLiteral("--small-files=3")};
    const Case cases[] = {
        // Unknown options, in every mode and without one: named, pointed to --help, no window.
        {"typo", {QStringLiteral("--bacth")}, 2, {}, {"unknown option \"--bacth\"", Usage_Hint}},
        {"short", {QStringLiteral("-V")}, 2, {}, {"unknown option \"-V\"", Usage_Hint}},
        {"Qt's style", {"-style", "fusion"}, 2, {}, {"unknown option \"-style\""}},
        {"batch option alone", {QStringLiteral("--json")}, 2, {}, {"\"--json\" needs --batch"}},
        {"in the batch", batch + QStringList{"-x"}, 2, {}, {"unknown option \"-x\"", Usage_Hint}},
        {"in the report", {"--report", "-a.json"}, 2, {}, {"unknown option \"-a.json\""}},
        {"with the drives", {"--list-drives", "--bogus"}, 2, {}, {"unknown option \"--bogus\""}},
        // The version, and outputs that cannot be written.
        {"version", {QStringLiteral("--version")}, 0, {"speedmetrix 1.3f\n"}, {}},
        {"help to a full device",
         {QStringLiteral("--help")},
         8,
         {},
         {"could not be written"},
         true},
        {"version to a full device", {QStringLiteral("--version")}, 8, {}, {}, true},
        {"drives to a full device", {QStringLiteral("--list-drives")}, 8, {}, {}, true},
        {"results to a full device", integer, 8, {}, {"could not be written"}, true},
        {"version to a closed output", {"--version"}, 8, {}, {"could not be written"}, false, true},
        {"results to a closed output",
         integer + QStringList{"--json"},
         8,
         {},
         {"could not be written"},
         false,
         true},
        // --compare finds the set as --save names it.
        {"save", integer + QStringList{"--save", "Server 7"}, 0, {"\tServer 7\r\n"}, {}},
        {"compare in other case",
         integer + QStringList{"--compare", " SERVER 7"},
         0,
         {"\tThis PC\tServer 7\r\n"},
         {}},
        {"compare missing",
         integer + QStringList{"--compare", "Server 8"},
         6,
         {},
         {"no saved set called \"Server 8\""}},
        // A folder for the disk tests; the home directory (drive c) cannot be written.
        {"drive c unwritable", small_files, 3, {}, {"The selected drive C:\\ is READ-ONLY."}},
        {"folder",
         small_files + QStringList{"--drive", "@folder/../bench", "--json"},
         0,
         {"\"root\": \"@folder\""},
         {},
         false,
         false,
         [&](const Finished& f) {
             const QJsonObject report = QJsonDocument::fromJson(f.out.toUtf8()).object();
             const QJsonObject context = report[QStringLiteral("context")].toObject();
             const QJsonObject drive = context[QStringLiteral("drive")].toObject();
             EXPECT_EQ(drive[QStringLiteral("root")].toString(), folder);
             EXPECT_TRUE(drive[QStringLiteral("letter")].isNull());
             EXPECT_FALSE(drive[QStringLiteral("filesystem")].toString().isEmpty());
             EXPECT_EQ(context[QStringLiteral("parameters")][QStringLiteral("drive")].toString(),
                       folder);
             EXPECT_EQ(test_entry(f, "small-files")[QStringLiteral("times_ms")].toArray().size(),
                       1);
             EXPECT_EQ(
                 QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList())
                 << "the test files are removed";
         }},
        {"folder missing",
         small_files + QStringList{"--drive=/nonexistent/bench"},
         2,
         {},
         {"there is no folder /nonexistent/bench", Usage_Hint}},
        {"folder read-only",
         small_files + QStringList{"--drive=/proc"},
         3,
         {},
         {"The selected folder /proc is READ-ONLY."}},
        {"relative folder",
         small_files + QStringList{"--drive=bench"},
         2,
         {},
         {"drive letter or an absolute folder, not \"bench\""}},
        // A test too short for the tick is named and marked; one long enough is not.
        {"too short",
         batch + QStringList{"--tests=memory,integer", "--array-loops=1", "--array-size=10",
                             "--integer-loops=300", "--json"},
         0,
         {"\"too_short\": true"},
         {"\"Memory Speed\" took 0 ms on average, too short for the millisecond tick"},
         false,
         false,
         [](const Finished& f) {
             EXPECT_TRUE(test_entry(f, "memory")[QStringLiteral("too_short")].toBool());
             const QJsonObject integer = test_entry(f, "integer");
             const bool short_integer = integer[QStringLiteral("averaged_ms")].toInt() < 20;
             EXPECT_EQ(integer[QStringLiteral("too_short")].toBool(), short_integer);
             EXPECT_EQ(f.err.contains(QStringLiteral("\"Integer Arithmetic\" took")),
                       short_integer);
             EXPECT_FALSE(test_entry(f, "float")[QStringLiteral("too_short")].toBool())
                 << "a test that did not run";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Finished f = run(c);
        EXPECT_EQ(f.code, c.code) << f.err.toStdString();
        if (c.out_has.isEmpty()) {
            EXPECT_EQ(f.out, QString());
        }
        for (QString part : c.out_has)
            EXPECT_TRUE(f.out.contains(part.replace(QStringLiteral("@folder"), folder)))
                << f.out.toStdString();
        for (const QString& part : c.err_has)
            EXPECT_TRUE(f.err.contains(part)) << f.err.toStdString();
        if (c.code == 2) {
            EXPECT_FALSE(f.err.contains(QStringLiteral("Repetition"))) << "nothing ran";
        }
        if (c.also)
            c.also(f);
    }
}

} // namespace
