#include "default_settings_file.h"
#include "program_under_test.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

// The settings file as the built program keeps it: each case starts a copy in a fresh folder,
// ends it with SIGTERM and reads what it left beside itself.
namespace {

class Installed_Copy {
public:
    QTemporaryDir dir;

    Installed_Copy() {
        EXPECT_TRUE(dir.isValid());
        EXPECT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("home")));
        EXPECT_TRUE(smx::test::copy_program_under_test(exe()));
    }
    QString exe() const { return dir.filePath(QStringLiteral("speedmetrix")); }
    QString settings_path() const { return dir.filePath(QStringLiteral("Speedmetrix.ini")); }
    QString database_path() const { return dir.filePath(QStringLiteral("Speedmetrix_DB.INI")); }

    void store(const QByteArray& text) const {
        QFile f(settings_path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray settings() const { return read(settings_path()); }
    QString value(const char* key) const {
        for (const QByteArray& line : settings().split('\n'))
            if (line.startsWith(QByteArray(key) + '='))
                return QString::fromUtf8(line.mid(qsizetype(qstrlen(key)) + 1));
        return QStringLiteral("<missing>");
    }

    // Runs the program until it is up (and has done what the seam asks), then ends it with
    // SIGTERM; true when it ended by itself with status 0.
    bool run_and_terminate(const QString& set = {}, const QString& click = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString home = dir.filePath(QStringLiteral("home"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        if (!set.isEmpty())
            env.insert(QStringLiteral("SPEEDMETRIX_TEST_SET"), set);
        if (!click.isEmpty())
            env.insert(QStringLiteral("SPEEDMETRIX_TEST_CLICK"), click);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.start(exe(), {});
        if (!process.waitForStarted(10000))
            return false;
        if (!click.isEmpty())
            smx::test::wait_for_output(process, "clicked");
        QThread::msleep(1500);
        if (process.state() != QProcess::Running) {
            ADD_FAILURE() << process.readAllStandardError().toStdString();
            return false;
        }
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }
};

TEST(Settings_File_Of_The_Program, FirstStartWritesTheThirtyDefaultsInOrder) {
    Installed_Copy copy;
    ASSERT_TRUE(copy.run_and_terminate());
    EXPECT_EQ(copy.settings(), QByteArray(Default_Settings_File));
    EXPECT_FALSE(QFile::exists(copy.database_path()));
}

TEST(Settings_File_Of_The_Program, StoredValuesComeBackDecodedAndClipped) {
    Installed_Copy copy;
    copy.store("[Speedmetrix]\n"
               "window_Width=0x300\n"
               "Number_Repetitions_SpinEdit=0\n"
               "Integer_Loops_Millions_Of_SpinEdit=5000\n"
               "Show_Values_CheckBox=word\n"
               "Dont_Show_This_Again_CheckBox=2\n"
               "DriveComboBox1=D\n"
               "PageControl1=7\n");
    ASSERT_TRUE(copy.run_and_terminate());
    EXPECT_EQ(copy.value("window_Width"), QStringLiteral("768"));
    EXPECT_EQ(copy.value("Number_Repetitions_SpinEdit"), QStringLiteral("1"));
    EXPECT_EQ(copy.value("Integer_Loops_Millions_Of_SpinEdit"), QStringLiteral("2147"));
    EXPECT_EQ(copy.value("Show_Values_CheckBox"), QStringLiteral("0"));
    EXPECT_EQ(copy.value("Dont_Show_This_Again_CheckBox"), QStringLiteral("1"));
    EXPECT_EQ(copy.value("DriveComboBox1"), QStringLiteral("d"));
    EXPECT_EQ(copy.value("PageControl1"), QStringLiteral("-1"));
    // The stored keys stay where they were; the missing ones follow in order.
    EXPECT_TRUE(copy.settings().startsWith("[Speedmetrix]\nwindow_Width=768\n"));

    copy.store("[Speedmetrix]\nNumber_Repetitions_SpinEdit=250\nShow_Values_CheckBox=2\n");
    ASSERT_TRUE(copy.run_and_terminate());
    EXPECT_EQ(copy.value("Number_Repetitions_SpinEdit"), QStringLiteral("100"));
    EXPECT_EQ(copy.value("Show_Values_CheckBox"), QStringLiteral("1"));
}

TEST(Settings_File_Of_The_Program, AMaximisedWindowReopensMaximisedWithItsNormalBounds) {
    Installed_Copy copy;
    copy.store("[Speedmetrix]\nWindowState_wsMaximized=1\nwindow_top_posn=40\n"
               "window_left_posn=30\nwindow_Width=600\nwindow_Height=450\n");
    ASSERT_TRUE(copy.run_and_terminate());
    EXPECT_EQ(copy.value("WindowState_wsMaximized"), QStringLiteral("1"));
    EXPECT_EQ(copy.value("window_top_posn"), QStringLiteral("40"));
    EXPECT_EQ(copy.value("window_left_posn"), QStringLiteral("30"));
    EXPECT_EQ(copy.value("window_Width"), QStringLiteral("600"));
    EXPECT_EQ(copy.value("window_Height"), QStringLiteral("450"));
}

TEST(Settings_File_Of_The_Program, AnUnsavedRunIsAutoSavedAndRemembered) {
    Installed_Copy copy;
    ASSERT_TRUE(copy.run_and_terminate(
        QStringLiteral("Floating_Point_Arithmetic_CheckBox=0,Memory_Speed_CheckBox=0,"
                       "Disk_Speed_Small_Files_CheckBox=0,Disk_Speed_Large_Files_CheckBox=0,"
                       "Graphics_Standard_Windows_Forms_Controls_CheckBox=0,"
                       "Graphics_2D_Bitmaps_and_Drawings_CheckBox=0,"
                       "Integer_Loops_Millions_Of_SpinEdit=1,Dont_Show_This_Again_CheckBox=1"),
        QStringLiteral("Benchmark_BitBtn")));
    EXPECT_EQ(copy.value("Selected_INI_Section"), QStringLiteral("Auto-Saved Data"));
    EXPECT_EQ(copy.value("Benchmark_Results_Saved_CheckBox"), QStringLiteral("1"));
    const QByteArray database = Installed_Copy::read(copy.database_path());
    ASSERT_TRUE(database.startsWith("[Auto-Saved Data]\n")) << database.constData();
    EXPECT_TRUE(database.contains("\nElapsed_Time_MSec="));

    // The next start shows it as a saved set: nothing is saved again.
    ASSERT_TRUE(copy.run_and_terminate());
    EXPECT_EQ(copy.value("Selected_INI_Section"), QStringLiteral("Auto-Saved Data"));
    EXPECT_EQ(Installed_Copy::read(copy.database_path()), database);
}

} // namespace
