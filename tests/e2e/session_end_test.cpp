#include "program_under_test.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

// The end of the session reaches the built program in every state: each case starts a copy in a
// fresh directory, puts it in a state through the program's test seam (controls set by name,
// then "Benchmark" clicked), and sends SIGTERM. Drive "c" is the home directory, so HOME points
// the disk tests at a temporary drive root.
namespace {

struct Case {
    const char* name;
    const char* settings; // SPEEDMETRIX_TEST_SET
    int settle_ms;        // from the click to the signal
    bool writes_files;    // the state has the disk test's files on the drive
    // The settings file is read-only, so the close itself shows "Unable to write to ...".
    bool read_only_settings = false;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

constexpr const char* no_tests =
    "Integer_Arithmetic_CheckBox=0,Floating_Point_Arithmetic_CheckBox=0,"
    "Memory_Speed_CheckBox=0,Disk_Speed_Small_Files_CheckBox=0,"
    "Disk_Speed_Large_Files_CheckBox=0,"
    "Graphics_Standard_Windows_Forms_Controls_CheckBox=0,"
    "Graphics_2D_Bitmaps_and_Drawings_CheckBox=0";

class Program_Under_Test {
public:
    QTemporaryDir dir;
    QProcess process;

    QString home() const { return dir.filePath(QStringLiteral("home")); }
    QString file(const QString& name) const { return dir.filePath(name); }

    void start(const QString& settings) {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("home")));
        const QString path = dir.filePath(QStringLiteral("speedmetrix"));
        ASSERT_TRUE(smx::test::copy_program_under_test(path));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home() + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("SPEEDMETRIX_TEST_SET"),
                   QString::fromLatin1(no_tests) + QLatin1Char(',') + settings);
        env.insert(QStringLiteral("SPEEDMETRIX_TEST_CLICK"), QStringLiteral("Benchmark_BitBtn"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.start(path, {});
        ASSERT_TRUE(process.waitForStarted(10000));
        // The seam reports the click just before it happens.
        ASSERT_TRUE(smx::test::wait_for_output(process, "clicked Benchmark_BitBtn"))
            << process.readAllStandardError().toStdString();
    }

    QStringList temp_files() const {
        return QDir(home()).entryList({QStringLiteral("$$BENCHMARK_TEMP_*")},
                                      QDir::Files | QDir::Hidden | QDir::System);
    }

    // Milliseconds from the signal to the end, or -1 when it has not ended within 10 s.
    qint64 signal_and_wait(int sig = SIGTERM) {
        QElapsedTimer clock;
        clock.start();
        ::kill(static_cast<pid_t>(process.processId()), sig);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return clock.elapsed();
    }
};

class Session_End_In_State : public ::testing::TestWithParam<Case> {};

TEST_P(Session_End_In_State, EndsWithinTwoSecondsWithStatusZeroLeavingNothing) {
    Program_Under_Test program;
    const QByteArray user_settings = "[Speedmetrix]\nNumber_Repetitions_SpinEdit=3\n";
    if (GetParam().read_only_settings) {
        ASSERT_TRUE(program.dir.isValid());
        QFile f(program.file(QStringLiteral("Speedmetrix.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(user_settings);
        f.close();
        ASSERT_TRUE(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    }
    program.start(QString::fromLatin1(GetParam().settings));
    QThread::msleep(static_cast<unsigned long>(GetParam().settle_ms));
    ASSERT_EQ(program.process.state(), QProcess::Running)
        << program.process.readAllStandardError().toStdString();
    if (GetParam().writes_files) {
        // Each repetition fills its buffer before the first file exists, so the signal waits
        // for the files rather than falling into that gap.
        QElapsedTimer waited;
        waited.start();
        while (program.temp_files().isEmpty() && waited.elapsed() < 20000)
            QThread::msleep(10);
        ASSERT_FALSE(program.temp_files().isEmpty()) << "the disk test is not under way";
    }
    const qint64 took = program.signal_and_wait();
    ASSERT_GE(took, 0) << "still running 10 s after the signal";
    EXPECT_LT(took, 2000);
    EXPECT_EQ(program.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process.exitCode(), 0)
        << program.process.readAllStandardError().toStdString();
    // Gone at the end, or once the cleaner a long run's files are left to has removed them: it
    // may go slowly on a busy disk, so the wait lasts while it makes headway.
    qsizetype left = program.temp_files().size();
    QElapsedTimer since_headway;
    since_headway.start();
    while (left > 0 && since_headway.elapsed() < 15000) {
        QThread::msleep(500);
        if (const qsizetype now = program.temp_files().size(); now < left) {
            left = now;
            since_headway.restart();
        }
    }
    EXPECT_TRUE(program.temp_files().isEmpty()) << program.temp_files().size() << " files left";
    if (GetParam().read_only_settings) {
        QFile f(program.file(QStringLiteral("Speedmetrix.ini")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), user_settings);
    }
}

INSTANTIATE_TEST_SUITE_P(
    States, Session_End_In_State,
    ::testing::Values(
        // The benchmark information dialog, shown before the run.
        Case{"information_dialog", "", 700, false},
        // "No tests selected ...", the message after a run without tests.
        Case{"message_box", "Dont_Show_This_Again_CheckBox=1", 700, false},
        // Both again, with the close's own "Unable to write to ..." box to answer.
        Case{"information_dialog_read_only_settings", "", 700, false, true},
        Case{"message_box_read_only_settings", "Dont_Show_This_Again_CheckBox=1", 700, false, true},
        // About 2e9 arrays: hours, unless the test ends between two of them.
        Case{"memory_test",
             "Dont_Show_This_Again_CheckBox=1,Memory_Speed_CheckBox=1,"
             "Dynamic_Array_Number_Of_Loops_SpinEdit=2000000000",
             700, false},
        // A million files of 1 KB.
        Case{"small_files_test",
             "Dont_Show_This_Again_CheckBox=1,Disk_Speed_Small_Files_CheckBox=1,"
             "Small_Files_Number_of_SpinEdit=1000000,Small_File_Size_KB_of_Each_SpinEdit=1,"
             "DriveComboBox1=c",
             700, true},
        // Seconds of small files: more than a stop may take to delete, so a cleaner of its own
        // removes the rest after the end.
        Case{"long_small_files_test",
             "Dont_Show_This_Again_CheckBox=1,Disk_Speed_Small_Files_CheckBox=1,"
             "Small_Files_Number_of_SpinEdit=1000000,Small_File_Size_KB_of_Each_SpinEdit=1,"
             "DriveComboBox1=c",
             6000, true},
        // Files of the largest size the window allows (2 GiB), each more than a second's
        // writing, unless the transfer ends between stretches of a file.
        Case{"large_files_test",
             "Dont_Show_This_Again_CheckBox=1,Disk_Speed_Large_Files_CheckBox=1,"
             "Large_Files_Number_of_SpinEdit=2,Large_File_Size_KB_of_Each_SpinEdit=2097151,"
             "DriveComboBox1=c",
             3000, true},
        // The largest loop counts the window allows: seconds of floating-point passes, and a
        // hundred repetitions of the integer loop, unless each ends between blocks of passes.
        Case{"float_test",
             "Dont_Show_This_Again_CheckBox=1,Floating_Point_Arithmetic_CheckBox=1,"
             "Float_Loops_Millions_Of_SpinEdit=2147,Number_Repetitions_SpinEdit=100",
             700, false},
        Case{"integer_test",
             "Dont_Show_This_Again_CheckBox=1,Integer_Arithmetic_CheckBox=1,"
             "Integer_Loops_Millions_Of_SpinEdit=2147,Number_Repetitions_SpinEdit=100",
             700, false},
        // A hundred repetitions of about a second each.
        Case{"controls_test",
             "Dont_Show_This_Again_CheckBox=1,"
             "Graphics_Standard_Windows_Forms_Controls_CheckBox=1,Number_Repetitions_SpinEdit=100",
             1500, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Session_End_Twice, SecondSignalEndsAtOnceWithoutWritingTheDataFiles) {
    Program_Under_Test program;
    // The data files as a user left them; an orderly end would rewrite the settings.
    const QByteArray settings = "[Speedmetrix]\nNumber_Repetitions_SpinEdit=1\n";
    const QByteArray database = "[Saved]\nElapsed_Time_MSec=1\n";
    for (const auto& [name, content] :
         {std::pair{QStringLiteral("Speedmetrix.ini"), settings},
          std::pair{QStringLiteral("Speedmetrix_DB.INI"), database}}) {
        QFile f(program.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    const QDateTime written =
        QFileInfo(program.file(QStringLiteral("Speedmetrix.ini"))).lastModified();
    // The second signal right after the first, while the orderly end the first began (which
    // would rewrite the settings) is still under way.
    program.start(QStringLiteral("Dont_Show_This_Again_CheckBox=1,"
                                 "Floating_Point_Arithmetic_CheckBox=1,"
                                 "Float_Loops_Millions_Of_SpinEdit=2147"));
    QThread::msleep(500);
    ASSERT_EQ(program.process.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(program.process.processId()), SIGTERM);
    const qint64 took = program.signal_and_wait(SIGINT);
    ASSERT_GE(took, 0);
    EXPECT_LT(took, 1000);
    EXPECT_EQ(program.process.exitStatus(), QProcess::CrashExit);
    QFile s(program.file(QStringLiteral("Speedmetrix.ini")));
    ASSERT_TRUE(s.open(QIODevice::ReadOnly));
    EXPECT_EQ(s.readAll(), settings);
    EXPECT_EQ(QFileInfo(s).lastModified(), written);
    QFile d(program.file(QStringLiteral("Speedmetrix_DB.INI")));
    ASSERT_TRUE(d.open(QIODevice::ReadOnly));
    EXPECT_EQ(d.readAll(), database);
}

} // namespace
