#include "engine/Benchmark_Results.h"
#include "program_under_test.h"
#include "results/Result_Number.h"
#include "results/Results_Database.h"

#include "qt_printers.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>

namespace {

using namespace smx;

struct Finished {
    int code = -1;
    QString out;
    QString err;
};

// Tiny work counts, so that a run of every test takes about a second.
const QStringList Tiny = {
    QStringLiteral("--integer-loops=1"),  QStringLiteral("--float-loops=1"),
    QStringLiteral("--array-size=20000"), QStringLiteral("--array-loops=20"),
    QStringLiteral("--small-files=5"),    QStringLiteral("--small-file-kb=4"),
    QStringLiteral("--large-files=2"),    QStringLiteral("--large-file-kb=256")};

// A copy of the built program in a fresh directory (its settings file and results database live
// beside it), with drive c, the home directory, in a folder of its own.
class Batch_Run : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString program;
    QString home;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        program = dir.filePath(QStringLiteral("speedmetrix"));
        ASSERT_TRUE(smx::test::copy_program_under_test(program));
        home = dir.filePath(QStringLiteral("home"));
        ASSERT_TRUE(QDir().mkpath(home));
    }

    // No display: the program must find its own way to draw the graphics tests.
    QString display;
    QProcessEnvironment environment(const QString& home_dir) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("HOME"), home_dir);
        env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        return env;
    }

    void start(QProcess& process, const QStringList& arguments, const QString& home_dir = {}) {
        process.setProcessEnvironment(environment(home_dir.isEmpty() ? home : home_dir));
        process.setWorkingDirectory(dir.path());
        process.start(program, arguments);
    }

    Finished run(const QStringList& arguments, const QString& home_dir = {}) {
        QProcess process;
        start(process, arguments, home_dir);
        Finished f;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "no end within two minutes";
        }
        f.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        f.out = QString::fromUtf8(process.readAllStandardOutput());
        f.err = QString::fromUtf8(process.readAllStandardError());
        return f;
    }

    QStringList left_in_home() const {
        return QDir(home).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};

QStringList lines_of(const QString& text) {
    QStringList lines = text.split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.last(), QString()) << "the last line ends with CR LF too";
    lines.removeLast();
    return lines;
}

TEST_F(Batch_Run, EveryTestPrintsTheNineLinesOfTheResultsText) {
    const Finished f = run(QStringList{QStringLiteral("--batch"), QStringLiteral("--tests=all"),
                                       QStringLiteral("--repetitions=2")} +
                           Tiny);
    ASSERT_EQ(f.code, 0) << f.err.toStdString();
    const QStringList lines = lines_of(f.out);
    ASSERT_EQ(lines.size(), 9) << f.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("\tThis PC"));
    const char* const headings[] = {
        "Integer (MIops/sec)", "Float (MFops/Sec)",   "Memory (MB/Sec)",    "Sm Files (KB/Sec)",
        "Lg Files (KB/Sec)",   "Windows (Ctrls/Sec)", "Graphics (KPix/Sec)"};
    for (int i = 0; i < 7; ++i) {
        const QStringList fields = lines[i + 1].split(QLatin1Char('\t'));
        ASSERT_EQ(fields.size(), 2) << lines[i + 1].toStdString();
        EXPECT_EQ(fields[0], QLatin1String(headings[i]));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\.\\d{17}E[+-]\\d+$"))
                        .match(fields[1])
                        .hasMatch())
            << fields[1].toStdString();
    }
    EXPECT_TRUE(lines[8].startsWith(QStringLiteral("Courtesy of : Windows PC Speedmetrix v1.3f")));

    // Progress for every test of every repetition, and why the graphics tests drew offscreen.
    EXPECT_TRUE(f.err.contains(QStringLiteral("No display available")));
    for (const char* step : {"Repetition 1 of 2, test 1 of 7: Integer Arithmetic",
                             "Repetition 2 of 2, test 7 of 7: Graphics: 2D Bitmaps and Drawings"})
        EXPECT_TRUE(f.err.contains(QLatin1String(step))) << f.err.toStdString();
    EXPECT_EQ(left_in_home(), QStringList());
}

// A display that is named but cannot be reached (a stale DISPLAY over ssh, a stopped X server)
// must not stop the run: the graphics tests draw offscreen instead, and say why.
TEST_F(Batch_Run, UnreachableDisplayFallsBackToOffscreen) {
    display = QStringLiteral(":7421"); // no X server listens there
    ASSERT_FALSE(QFile::exists(QStringLiteral("/tmp/.X11-unix/X7421")));
    const Finished f = run({QStringLiteral("--batch"), QStringLiteral("--tests=2d,controls"),
                            QStringLiteral("--repetitions=1")});
    ASSERT_EQ(f.code, 0) << f.err.toStdString();
    // Only the program's own words: none of Qt's lines about the display or its plugins.
    EXPECT_TRUE(f.err.startsWith(QStringLiteral("No display available"))) << f.err.toStdString();
    EXPECT_FALSE(f.err.contains(QStringLiteral("qt."))) << f.err.toStdString();
    EXPECT_FALSE(f.err.contains(QStringLiteral("connect"))) << f.err.toStdString();
    const QStringList lines = lines_of(f.out);
    ASSERT_EQ(lines.size(), 9) << f.out.toStdString();
    for (int line : {6, 7}) {
        long double rate = 0;
        ASSERT_TRUE(results::Parse_Result_Number(lines[line].section(QLatin1Char('\t'), 1), rate));
        EXPECT_GT(rate, 0) << lines[line].toStdString();
    }
}

// The averaging rule: each test's times summed and divided by the repetitions, truncating; the
// rate is one repetition's work over that time.
TEST_F(Batch_Run, JsonTimesCombineIntoTheRates) {
    const Finished f = run(
        QStringList{QStringLiteral("--batch"), QStringLiteral("--json"), QStringLiteral("--tests"),
                    QStringLiteral("float,memory,small-files,large-files,integer"),
                    QStringLiteral("--repetitions"), QStringLiteral("3")} +
        Tiny);
    ASSERT_EQ(f.code, 0) << f.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(f.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << f.out.toStdString();
    const QJsonObject report = doc.object();
    EXPECT_EQ(report[QStringLiteral("name")].toString(), QStringLiteral("This PC"));
    const QJsonObject values = report[QStringLiteral("values")].toObject();
    EXPECT_EQ(values.size(), 8);
    const QJsonObject context = report[QStringLiteral("context")].toObject();
    const QJsonObject p = context[QStringLiteral("parameters")].toObject();
    EXPECT_EQ(p[QStringLiteral("repetitions")].toInt(), 3);
    EXPECT_EQ(p[QStringLiteral("small_files")].toInt(), 5);
    EXPECT_EQ(context[QStringLiteral("drive")][QStringLiteral("root")].toString(), home);
    // The filesystem's type as the mount table names it; none where the table does not hold
    // the folder (a chroot).
    const QStorageInfo storage(home);
    const QJsonValue filesystem = context[QStringLiteral("drive")][QStringLiteral("filesystem")];
    if (storage.isValid() && !storage.fileSystemType().isEmpty())
        EXPECT_EQ(filesystem.toString(), QString::fromUtf8(storage.fileSystemType()));
    else
        EXPECT_TRUE(filesystem.isNull());
    EXPECT_TRUE(context[QStringLiteral("display_platform")].isNull()) << "no graphics test ran";
    EXPECT_EQ(context[QStringLiteral("program")].toString(),
              QStringLiteral("Windows PC Speedmetrix v1.3f"));
    EXPECT_EQ(context[QStringLiteral("version")].toString(), QStringLiteral("1.3f"));
    for (const char* key : {"date_time", "kernel"})
        EXPECT_FALSE(context[QLatin1String(key)].toString().isEmpty()) << key;
    EXPECT_GT(context[QStringLiteral("cpu")][QStringLiteral("cores")].toInt(), 0);
    EXPECT_GT(context[QStringLiteral("memory_bytes")].toDouble(), 0);

    const double work[] = {1e6 * 4, 1e6 * 6, 20.0 * 20000 * 2 / 1024 / 1024, 5.0 * 4, 2.0 * 256};
    const QJsonArray tests = report[QStringLiteral("tests")].toArray();
    ASSERT_EQ(tests.size(), 7);
    for (int i = 0; i < 5; ++i) {
        const QJsonObject t = tests[i].toObject();
        const QJsonArray times = t[QStringLiteral("times_ms")].toArray();
        ASSERT_EQ(times.size(), 3) << i;
        qint64 sum = 0, lo = times[0].toInteger(), hi = lo;
        for (const auto& ms : times) {
            sum += ms.toInteger();
            lo = std::min(lo, ms.toInteger());
            hi = std::max(hi, ms.toInteger());
        }
        const qint64 averaged = sum / 3;
        EXPECT_EQ(t[QStringLiteral("min_ms")].toInteger(), lo);
        EXPECT_EQ(t[QStringLiteral("max_ms")].toInteger(), hi);
        EXPECT_EQ(t[QStringLiteral("averaged_ms")].toInteger(), averaged);
        const double expected = averaged > 0 ? work[i] / (averaged / 1000.0) : 0;
        const double rate = values[t[QStringLiteral("value_name")].toString()].toDouble();
        EXPECT_NEAR(rate, expected, expected * 1e-12) << i;
        EXPECT_EQ(t[QStringLiteral("rate")].toDouble(), rate);
    }
    for (int i = 5; i < 7; ++i)
        EXPECT_TRUE(tests[i][QStringLiteral("times_ms")].toArray().isEmpty());
    EXPECT_FALSE(f.err.contains(QStringLiteral("offscreen"))) << "no graphics test ran";
}

TEST_F(Batch_Run, BadOptionsStopBeforeAnythingRuns) {
    const Finished bad = run({QStringLiteral("--batch"), QStringLiteral("--repetition=2")});
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("unknown option \"--repetition=2\"")));
    const Finished test = run({QStringLiteral("--batch"), QStringLiteral("--tests=integer,disk")});
    EXPECT_EQ(test.code, 2);
    EXPECT_TRUE(test.err.contains(QStringLiteral("unknown test name \"disk\"")));
    for (const Finished& f : {bad, test}) {
        EXPECT_TRUE(f.out.isEmpty());
        EXPECT_FALSE(f.err.contains(QStringLiteral("Repetition")));
    }
    const Finished help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("Exit status:")));
}

// /proc takes no file, not even from root.
TEST_F(Batch_Run, ReadOnlyDriveIsRefused) {
    const Finished f = run({QStringLiteral("--batch"), QStringLiteral("--tests=small-files")},
                           QStringLiteral("/proc"));
    EXPECT_EQ(f.code, 3);
    EXPECT_TRUE(f.err.contains(QStringLiteral(
        "The selected drive C:\\ is READ-ONLY.\n\nPlease select a drive that you can write to.")))
        << f.err.toStdString();
    EXPECT_TRUE(f.out.isEmpty());
}

TEST_F(Batch_Run, TooLittleSpaceIsRefusedAndNothingWritten) {
    const Finished f = run({QStringLiteral("--batch"), QStringLiteral("--tests=large-files"),
                            QStringLiteral("--large-files=2147483647"),
                            QStringLiteral("--large-file-kb=2097151")});
    EXPECT_EQ(f.code, 4);
    EXPECT_TRUE(f.err.contains(QStringLiteral("There is not enough free disk space free on the "
                                              "selected drive C:\\.")));
    EXPECT_TRUE(f.err.contains(QStringLiteral("\"Disk Speed (Large Files)\" benchmark test.")));
    EXPECT_EQ(left_in_home(), QStringList());
}

// A folder where the third test file should go makes the write pass fail there.
TEST_F(Batch_Run, FailingTestReportsItsErrorAndRemovesItsFiles) {
    const QString blocker = QDir(home).filePath(QStringLiteral("$$BENCHMARK_TEMP_3.tmp"));
    ASSERT_TRUE(QDir().mkdir(blocker));
    const Finished f =
        run({QStringLiteral("--batch"), QStringLiteral("--tests=integer,small-files"),
             QStringLiteral("--integer-loops=1")});
    EXPECT_EQ(f.code, 1);
    EXPECT_TRUE(f.err.contains(QStringLiteral("Cannot create file ") + blocker + QLatin1Char('.')))
        << f.err.toStdString();
    EXPECT_TRUE(f.out.isEmpty());
    EXPECT_EQ(left_in_home(), QStringList{QStringLiteral("$$BENCHMARK_TEMP_3.tmp")});
}

TEST_F(Batch_Run, InterruptedRunEndsAfterItsTestAndLeavesNothing) {
    QProcess process;
    start(process, {QStringLiteral("--batch"), QStringLiteral("--tests=small-files"),
                    QStringLiteral("--small-files=200"), QStringLiteral("--repetitions=100")});
    ASSERT_TRUE(process.waitForStarted(10000));
    process.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("Repetition 3 of 100") && process.waitForReadyRead(20000))
        err += process.readAllStandardError();
    ASSERT_TRUE(err.contains("Repetition 3 of 100"));
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 7);
    EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    EXPECT_EQ(left_in_home(), QStringList());
}

// A run killed during the small-files test leaves its files; the next disk test removes them
// before it writes, except one that a live process holds open, and nothing that is not a file of
// the test's own.
TEST_F(Batch_Run, AKilledRunsTestFilesGoWithTheNextDiskTest) {
    QProcess killed;
    start(killed, {QStringLiteral("--batch"), QStringLiteral("--tests=small-files"),
                   QStringLiteral("--small-files=100000"), QStringLiteral("--small-file-kb=1")});
    ASSERT_TRUE(killed.waitForStarted(10000));
    const QStringList test_files = {QStringLiteral("$$BENCHMARK_TEMP_*.tmp")};
    const QDir home_dir(home, {}, QDir::NoSort, QDir::Files | QDir::Hidden | QDir::System);
    for (int i = 0; i < 400 && home_dir.entryList(test_files).size() < 50; ++i)
        killed.waitForFinished(50);
    ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(10000));
    ASSERT_GE(home_dir.entryList(test_files).size(), 50) << "the killed run left no files";

    // A name of the test's own held open here, a link at one, and names the test never writes.
    QFile held(QDir(home).filePath(QStringLiteral("$$BENCHMARK_TEMP_999999.tmp")));
    ASSERT_TRUE(held.open(QIODevice::WriteOnly));
    const QString victim = dir.filePath(QStringLiteral("victim.txt"));
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.write("keep");
    v.close();
    ASSERT_TRUE(
        QFile::link(victim, QDir(home).filePath(QStringLiteral("$$BENCHMARK_TEMP_7777.tmp"))));
    for (const char* name : {"$$BENCHMARK_TEMP_0012.tmp", "$$BENCHMARK_TEMP_12.tmp.bak"}) {
        QFile other(QDir(home).filePath(QLatin1String(name)));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    }

    const Finished f = run({QStringLiteral("--batch"), QStringLiteral("--tests=small-files"),
                            QStringLiteral("--small-files=5")});
    EXPECT_EQ(f.code, 0) << f.err.toStdString();
    EXPECT_EQ(left_in_home(), (QStringList{QStringLiteral("$$BENCHMARK_TEMP_0012.tmp"),
                                           QStringLiteral("$$BENCHMARK_TEMP_12.tmp.bak"),
                                           QStringLiteral("$$BENCHMARK_TEMP_7777.tmp"),
                                           QStringLiteral("$$BENCHMARK_TEMP_999999.tmp")}));
    EXPECT_EQ(QFile(victim).size(), 4);
}

QJsonObject parse_report(const Finished& f) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(f.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << f.out.toStdString();
    return doc.object();
}

// The settings file decides what runs unless an option overrides it.
TEST_F(Batch_Run, RunsWhatTheSettingsFileTicks) {
    QFile ini(dir.filePath(QStringLiteral("Speedmetrix.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Speedmetrix]\nInteger_Arithmetic_CheckBox=0\nFloating_Point_Arithmetic_CheckBox=0\n"
              "Memory_Speed_CheckBox=1\nDisk_Speed_Small_Files_CheckBox=0\n"
              "Disk_Speed_Large_Files_CheckBox=1\n"
              "Graphics_Standard_Windows_Forms_Controls_CheckBox=0\n"
              "Graphics_2D_Bitmaps_and_Drawings_CheckBox=0\nNumber_Repetitions_SpinEdit=250\n"
              "DriveComboBox1=C\nLarge_Files_Number_of_SpinEdit=3\n"
              "Large_File_Size_KB_of_Each_SpinEdit=0\nDynamic_Array_Size_In_Bytes_SpinEdit=1000\n"
              "Dynamic_Array_Number_Of_Loops_SpinEdit=2\n");
    ini.close();
    const QByteArray before = [&] {
        QFile f(ini.fileName());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const Finished f = run(
        {QStringLiteral("--batch"), QStringLiteral("--json"), QStringLiteral("--repetitions=2")});
    ASSERT_EQ(f.code, 0) << f.err.toStdString();
    const QJsonObject p =
        parse_report(f)[QStringLiteral("context")][QStringLiteral("parameters")].toObject();
    EXPECT_EQ(p[QStringLiteral("tests")].toArray(),
              QJsonArray({QStringLiteral("memory"), QStringLiteral("large-files")}));
    EXPECT_EQ(p[QStringLiteral("repetitions")].toInt(), 2); // the option wins over the file
    EXPECT_EQ(p[QStringLiteral("drive")].toString(), QStringLiteral("c"));
    EXPECT_EQ(p[QStringLiteral("large_files")].toInt(), 3);
    EXPECT_EQ(p[QStringLiteral("large_file_kb")].toInt(), 1); // clipped as the window clips it
    EXPECT_EQ(p[QStringLiteral("array_loops")].toInt(), 2);
    // Without the option, the file's 250 repetitions are clipped to 100.
    const Finished none = run({QStringLiteral("--batch"), QStringLiteral("--tests=integer"),
                               QStringLiteral("--integer-loops=1"), QStringLiteral("--json")});
    ASSERT_EQ(none.code, 0);
    EXPECT_EQ(parse_report(none)[QStringLiteral("context")][QStringLiteral("parameters")]
                                [QStringLiteral("repetitions")]
                                    .toInt(),
              100);
    QFile after(ini.fileName());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before) << "a batch run leaves the settings file alone";
}

TEST_F(Batch_Run, SaveStoresWhatTheWindowLoadsAndCompareAddsTheColumn) {
    const QString db = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
    const QStringList quick = {QStringLiteral("--batch"), QStringLiteral("--tests=float,memory"),
                               QStringLiteral("--float-loops=2"),
                               QStringLiteral("--array-size=100000"),
                               QStringLiteral("--array-loops=20")};
    const Finished first =
        run(quick + QStringList{QStringLiteral("--json"), QStringLiteral("--save"),
                                QStringLiteral("Lab 1")});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains(QStringLiteral(
        "The benchmark data has been saved to the \"Lab 1\" section in the \"Speedmetrix_DB.INI\" "
        "file.")));
    const QJsonObject report = parse_report(first);
    EXPECT_EQ(report[QStringLiteral("name")].toString(), QStringLiteral("Lab 1"));
    engine::TBenchmark_Results stored;
    ASSERT_TRUE(results::Read_Result_Set(db, QStringLiteral("Lab 1"), stored));
    const QJsonObject values = report[QStringLiteral("values")].toObject();
    for (int i = 0; i < results::Result_Key_Count; ++i) {
        const double printed = values[results::Result_Key_Names()[i]].toDouble();
        const double saved = static_cast<double>(results::Result_Value(stored, i));
        EXPECT_NEAR(saved, printed, std::abs(printed) * 1e-15) << i;
    }
    EXPECT_GT(stored.Floating_Point_Operations_Per_Sec, 0);

    // A second save under the name needs --overwrite; without it nothing runs or changes.
    QFile file(db);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved_once = file.readAll();
    file.close();
    // The database matches names without regard to case, so another spelling is the same set;
    // the message names it as stored.
    for (const char* name : {"Lab 1", "LAB 1", "lab 1"}) {
        const Finished refused =
            run(quick + QStringList{QStringLiteral("--save=") + QLatin1String(name)});
        EXPECT_EQ(refused.code, 6) << name;
        EXPECT_TRUE(refused.err.contains(QStringLiteral("A section called \"Lab 1\" already "
                                                        "exists")))
            << refused.err.toStdString();
        EXPECT_TRUE(refused.err.contains(QStringLiteral("--overwrite")));
        EXPECT_FALSE(refused.err.contains(QStringLiteral("Repetition")));
        EXPECT_TRUE(refused.out.isEmpty());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), saved_once) << name;
        file.close();
    }

    // Names the window refuses, and a comparison set that is not there.
    for (const char* name : {"Lab]", "", "two\nlines"}) {
        const Finished bad =
            run(quick + QStringList{QStringLiteral("--save"), QString::fromUtf8(name)});
        EXPECT_EQ(bad.code, 6) << name;
        EXPECT_TRUE(bad.err.contains(QStringLiteral("save aborted"))) << bad.err.toStdString();
    }
    const Finished missing = run(quick + QStringList{QStringLiteral("--compare=lab 9")});
    EXPECT_EQ(missing.code, 6);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("no saved set called \"lab 9\"")));

    const Finished second =
        run(quick + QStringList{QStringLiteral("--compare"), QStringLiteral("Lab 1"),
                                QStringLiteral("--save"), QStringLiteral("Lab 2")});
    ASSERT_EQ(second.code, 0) << second.err.toStdString();
    const QStringList lines = lines_of(second.out);
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("\tLab 2\tLab 1"));
    EXPECT_EQ(lines[2].split(QLatin1Char('\t')).size(), 3);

    // Overwriting compares with the set as it stood and moves the rewritten set to the end.
    const Finished third =
        run(quick + QStringList{QStringLiteral("--json"), QStringLiteral("--overwrite"),
                                QStringLiteral("--save=Lab 1"), QStringLiteral("--compare=Lab 1")});
    ASSERT_EQ(third.code, 0) << third.err.toStdString();
    const QJsonObject r3 = parse_report(third);
    const QJsonObject compare = r3[QStringLiteral("compare")].toObject();
    EXPECT_EQ(compare[QStringLiteral("values")], values);
    const QJsonObject float_test = r3[QStringLiteral("tests")].toArray()[1].toObject();
    const double new_rate =
        r3[QStringLiteral("values")][QStringLiteral("Floating_Point_Operations_Per_Sec")]
            .toDouble();
    if (new_rate > 0) {
        EXPECT_DOUBLE_EQ(
            float_test[QStringLiteral("ratio_to_compare")].toDouble(),
            new_rate / values[QStringLiteral("Floating_Point_Operations_Per_Sec")].toDouble());
    }
    QStringList names;
    results::Read_Database_Section_Names(names, db, true);
    EXPECT_EQ(names, QStringList({QStringLiteral("Lab 2"), QStringLiteral("Lab 1")}));

    // Another spelling with --overwrite replaces the set under its stored name.
    const Finished fourth =
        run(quick + QStringList{QStringLiteral("--json"), QStringLiteral("--overwrite"),
                                QStringLiteral("--save=LAB 2")});
    ASSERT_EQ(fourth.code, 0) << fourth.err.toStdString();
    EXPECT_EQ(parse_report(fourth)[QStringLiteral("saved_as")].toString(), QStringLiteral("Lab 2"));
    EXPECT_TRUE(fourth.err.contains(QStringLiteral("saved to the \"Lab 2\" section")))
        << fourth.err.toStdString();
    results::Read_Database_Section_Names(names, db, true);
    EXPECT_EQ(names, QStringList({QStringLiteral("Lab 1"), QStringLiteral("Lab 2")}));
}

// Names as the command line gives them: characters outside the Basic Multilingual Plane are
// stored as typed; bytes that are no UTF-8 are refused with the names message, not stored
// changed. The shell passes the raw bytes, which QProcess cannot.
TEST_F(Batch_Run, SaveNamesAreTakenAsTypedOrRefused) {
    const QString db = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
    struct Case {
        const char* printf_name; // printf(1) format of the name's bytes
        const char* stored;      // nullptr: refused
    };
    const Case cases[] = {
        {"Lab \\360\\237\\232\\200", "Lab \U0001F680"},
        {"\\360\\235\\220\\200\\360\\235\\220\\201", "\U0001D400\U0001D401"},
        {"\\360\\240\\200\\200", "\U00020000"},
        {"bad\\377\\376utf8", nullptr},
        {"half \\360\\237", nullptr},
        {"surrogate \\355\\240\\275", nullptr},
        {"overlong \\300\\257", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printf_name);
        QFile::remove(db);
        QProcess process;
        process.setProcessEnvironment(environment(home));
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"),
                       QStringLiteral("exec \"$0\" --batch --tests=integer --integer-loops=1 "
                                      "--save \"$(printf '%1')\"")
                           .arg(QLatin1String(c.printf_name)),
                       program});
        ASSERT_TRUE(process.waitForFinished(60000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QStringList names;
        results::Read_Database_Section_Names(names, db, true);
        if (c.stored) {
            EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
            EXPECT_EQ(names, QStringList{QString::fromUtf8(c.stored)});
        } else {
            EXPECT_EQ(process.exitCode(), 6);
            EXPECT_TRUE(err.contains(results::Unstorable_Name_Message())) << err.toStdString();
            EXPECT_FALSE(QFile::exists(db));
        }
    }
}

// A save that the database would refuse is refused before the run, as every other refusal.
TEST_F(Batch_Run, AnUnwritableDatabaseStopsASaveBeforeTheRun) {
    const QString db = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
    const QByteArray kept = "[Old]\nElapsed_Time_MSec=1\n";
    {
        QFile f(db);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kept);
    }
    // Read-only refuses the write whoever the user is.
    ASSERT_TRUE(QFile::setPermissions(db, QFileDevice::ReadOwner));
    const Finished f =
        run(QStringList{QStringLiteral("--batch"), QStringLiteral("--tests=integer"),
                        QStringLiteral("--integer-loops=1"), QStringLiteral("--save=New")});
    EXPECT_EQ(f.code, 6);
    EXPECT_TRUE(f.err.contains(QStringLiteral("Unable to write to ") + db + QLatin1Char('.')))
        << f.err.toStdString();
    EXPECT_FALSE(f.err.contains(QStringLiteral("Repetition"))) << "the run went ahead";
    EXPECT_TRUE(f.out.isEmpty());
    QFile after(db);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), kept);
}

// A database that refuses the write only once the run is over (here made read-only during the
// run) costs the save, not the measured results.
TEST_F(Batch_Run, ASaveRefusedAfterTheRunStillPrintsTheResults) {
    const QString db = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
    {
        QFile f(db);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Old]\nElapsed_Time_MSec=1\n");
    }
    for (const bool json : {false, true}) {
        QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QProcess process;
        QStringList arguments{QStringLiteral("--batch"), QStringLiteral("--tests=small-files"),
                              QStringLiteral("--small-files=100"),
                              QStringLiteral("--repetitions=4"), QStringLiteral("--save=New")};
        if (json)
            arguments << QStringLiteral("--json");
        start(process, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
        process.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!err.contains("Repetition 1 of 4") && process.waitForReadyRead(20000))
            err += process.readAllStandardError();
        ASSERT_TRUE(err.contains("Repetition 1 of 4")) << err.constData();
        ASSERT_TRUE(QFile::setPermissions(db, QFileDevice::ReadOwner));
        ASSERT_TRUE(process.waitForFinished(120000));
        err += process.readAllStandardError();
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        ASSERT_TRUE(err.contains("Repetition 4 of 4")) << "the run ended before the database "
                                                          "became read-only";
        EXPECT_EQ(process.exitCode(), 6) << err.constData();
        EXPECT_TRUE(err.contains(("Unable to write to " + db + ".").toUtf8())) << err.constData();
        if (json) {
            const QJsonObject report = QJsonDocument::fromJson(out.toUtf8()).object();
            EXPECT_EQ(report[QStringLiteral("name")].toString(), QStringLiteral("This PC"));
            EXPECT_TRUE(report[QStringLiteral("saved_as")].isNull());
            EXPECT_GT(report[QStringLiteral("values")][QStringLiteral("Small_Files_KB_Per_Sec")]
                          .toDouble(),
                      0);
        } else {
            const QStringList lines = lines_of(out);
            ASSERT_EQ(lines.size(), 9) << out.toStdString();
            EXPECT_EQ(lines[0], QStringLiteral("\tThis PC"));
        }
    }
}

// The drive of the settings file and that of --drive are judged alike.
TEST_F(Batch_Run, ALetterWithNoDriveIsABadValueWhereverItComesFrom) {
    const Finished list = run({QStringLiteral("--list-drives")});
    ASSERT_EQ(list.code, 0);
    ASSERT_FALSE(list.out.contains(QStringLiteral("z\t"))) << "this machine has a drive z";
    const QStringList small = {QStringLiteral("--batch"), QStringLiteral("--tests=small-files"),
                               QStringLiteral("--small-files=1")};
    const Finished option = run(small + QStringList{QStringLiteral("--drive=z")});
    QFile ini(dir.filePath(QStringLiteral("Speedmetrix.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Speedmetrix]\nDriveComboBox1=z\n");
    ini.close();
    const Finished stored = run(small);
    for (const Finished& f : {option, stored}) {
        EXPECT_EQ(f.code, 2) << f.err.toStdString();
        EXPECT_TRUE(f.err.contains(QStringLiteral("there is no drive z"))) << f.err.toStdString();
        EXPECT_FALSE(f.err.contains(QStringLiteral("READ-ONLY")));
        EXPECT_TRUE(f.out.isEmpty());
    }
    EXPECT_EQ(stored.err, option.err);
    // A test that needs no drive runs whatever the letter.
    const Finished integer = run({QStringLiteral("--batch"), QStringLiteral("--tests=integer"),
                                  QStringLiteral("--integer-loops=1")});
    EXPECT_EQ(integer.code, 0) << integer.err.toStdString();
}

// Without the batch switch the program is the window; arguments that are no options are ignored
// as before, and the session a session manager restores is Qt's to take.
TEST_F(Batch_Run, WithoutBatchTheWindowOpens) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{QStringLiteral("file.txt")},
          QStringList{QStringLiteral("-session"), QStringLiteral("10a7f3e9c")}}) {
        QProcess process;
        QProcessEnvironment env = environment(home);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SPEEDMETRIX_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(process.readAllStandardOutput(), QByteArray("first-paint\n"));
    }
}

} // namespace
