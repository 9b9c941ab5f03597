#include "platform/Ini_File.h"
#include "program_under_test.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

// Copies of the built program writing one results database at once: batch saves in loops of
// their own processes, and the window saving at its close while a loop runs. Every set that a
// copy said it saved must be in the file afterwards. SMX_E2E_SAVES sets the saves of each loop
// (the figures of the docs: 150).
using smx::test::read_bytes;
using smx::test::write_bytes;

namespace {

using smx::platform::Ini_Document;

int saves_per_loop() {
    const int asked = qEnvironmentVariableIntValue("SMX_E2E_SAVES");
    return asked > 0 ? asked : 40;
}

class Writers : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("speedmetrix"));
    QString home = dir.filePath(QStringLiteral("home"));
    QString database = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
    QString settings = dir.filePath(QStringLiteral("Speedmetrix.ini"));

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(smx::test::copy_program_under_test(program));
        ASSERT_TRUE(QDir().mkpath(home));
    }

    QProcessEnvironment environment(bool window) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (window) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            env.insert(QStringLiteral("SPEEDMETRIX_TEST_SET"),
                       QStringLiteral("Floating_Point_Arithmetic_CheckBox=0,"
                                      "Memory_Speed_CheckBox=0,Disk_Speed_Small_Files_CheckBox=0,"
                                      "Disk_Speed_Large_Files_CheckBox=0,"
                                      "Graphics_Standard_Windows_Forms_Controls_CheckBox=0,"
                                      "Graphics_2D_Bitmaps_and_Drawings_CheckBox=0,"
                                      "Integer_Loops_Millions_Of_SpinEdit=1,"
                                      "Dont_Show_This_Again_CheckBox=1"));
            env.insert(QStringLiteral("SPEEDMETRIX_TEST_CLICK"),
                       QStringLiteral("Benchmark_BitBtn"));
        }
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        return env;
    }

    // A loop of batch saves in a shell of its own: "<prefix> 1", "<prefix> 2", ... up to `count`
    // (or until the file `stop` appears), printing each name whose save ended with status 0.
    void start_loop(QProcess& loop, const QString& prefix, int count, const QString& stop = {}) {
        loop.setProcessEnvironment(environment(false));
        loop.setWorkingDirectory(dir.path());
        loop.start(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("i=1; while [ $i -le %1 ] && [ ! -e \"$3\" ]; do "
                                   "\"$1\" --batch --tests=integer --integer-loops=1 "
                                   "--save=\"$2 $i\" >/dev/null 2>>\"$2.err\" && echo \"$2 $i\"; "
                                   "i=$((i+1)); done")
                        .arg(count),
                    QStringLiteral("loop"), program, prefix,
                    stop.isEmpty() ? dir.filePath(QStringLiteral("never")) : stop});
        ASSERT_TRUE(loop.waitForStarted(10000));
    }

    static QStringList reported(QProcess& loop) {
        EXPECT_TRUE(loop.waitForFinished(600000));
        return QString::fromUtf8(loop.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // The window, started offscreen: it runs the integer test, and SIGTERM closes it, which
    // saves the unsaved run as "Auto-Saved Data". True when it ended normally.
    bool run_window_once() {
        QProcess window;
        window.setProcessEnvironment(environment(true));
        window.setWorkingDirectory(dir.path());
        window.start(program, {});
        if (!window.waitForStarted(10000))
            return false;
        smx::test::wait_for_output(window, "clicked");
        QThread::msleep(1000);
        ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
        return window.waitForFinished(15000) && window.exitStatus() == QProcess::NormalExit &&
               window.exitCode() == 0;
    }

    // Names of `reported` that the file does not hold.
    QStringList missing(const QStringList& reported) const {
        const QStringList held = Ini_Document(read_bytes(database)).section_names();
        QStringList out;
        for (const QString& name : reported)
            if (!held.contains(name))
                out << name;
        return out;
    }
};

// A database of 2,000 saved sets, as the issue measured it on.
QByteArray large_database() {
    QByteArray text;
    for (int i = 0; i < 2000; ++i) {
        text += "[Earlier " + QByteArray::number(i) + "]\n";
        for (const char* key : {"Integer_Operations_Per_Sec", "Floating_Point_Operations_Per_Sec",
                                "Memory_Speed_MB_Per_Sec", "Small_Files_KB_Per_Sec",
                                "Large_Files_KB_Per_Sec", "Windows_Controls_Operations_Per_Sec",
                                "Windows_Graphics_Pixels_Per_Sec", "Elapsed_Time_MSec"})
            text += QByteArray(key) + "=1.23456789012345678E+9\n";
    }
    return text;
}

TEST_F(Writers, TwoBatchLoopsSavingAtOnceLoseNoSet) {
    write_bytes(database, large_database());
    const int count = saves_per_loop();
    QProcess a;
    QProcess b;
    start_loop(a, QStringLiteral("Loop A"), count);
    start_loop(b, QStringLiteral("Loop B"), count);
    const QStringList reported_a = reported(a);
    const QStringList reported_b = reported(b);
    const QStringList all = reported_a + reported_b;

    const QStringList names = Ini_Document(read_bytes(database)).section_names();
    std::printf("2 batch loops of %d saves: %lld reported saved, %lld of them in the file, "
                "%lld sets in all\n",
                count, static_cast<long long>(all.size()),
                static_cast<long long>(all.size() - missing(all).size()),
                static_cast<long long>(names.size()));
    EXPECT_EQ(missing(all).join(QStringLiteral(", ")).toStdString(), "");
    EXPECT_EQ(names.size(), 2000 + all.size()) << "nothing else came or went";
    // The lock is waited for, not refused: every save of both loops went in.
    EXPECT_EQ(all.size(), 2 * count)
        << read_bytes(dir.filePath(QStringLiteral("Loop A.err"))).right(2000).constData();
}

TEST_F(Writers, TheWindowSavingDuringABatchLoopLosesNoSet) {
    write_bytes(database, large_database());
    const QString stop = dir.filePath(QStringLiteral("stop"));
    QProcess loop;
    start_loop(loop, QStringLiteral("Loop"), 1000, stop);
    const int windows = std::max(2, saves_per_loop() / 10);
    int window_saves = 0;
    for (int i = 0; i < windows; ++i) {
        ASSERT_TRUE(run_window_once()) << "window " << i;
        // Each close saved the run: the section is there, and the settings file names it.
        const Ini_Document db(read_bytes(database));
        if (db.has_section(QStringLiteral("Auto-Saved Data")) &&
            read_bytes(settings).contains("\nSelected_INI_Section=Auto-Saved Data\n"))
            ++window_saves;
        // Removed again (under the same lock), so that the next close must add it anew.
        ASSERT_TRUE(smx::platform::Ini_Erase_Section(database, QStringLiteral("Auto-Saved Data")));
    }
    write_bytes(stop, "");
    const QStringList batch = reported(loop);
    std::printf("the window saving %d times during a batch loop: %d window saves found; "
                "%lld batch sets reported saved, %lld of them in the file\n",
                windows, window_saves, static_cast<long long>(batch.size()),
                static_cast<long long>(batch.size() - missing(batch).size()));
    EXPECT_EQ(window_saves, windows);
    EXPECT_EQ(missing(batch).join(QStringLiteral(", ")).toStdString(), "");
    EXPECT_GT(batch.size(), windows) << "the loop saved while the windows did";
}

// A data file in another encoding: nothing is appended to it, and the refusal is said.
TEST_F(Writers, AFileInUtf16IsNeverWrittenInto) {
    QByteArray utf16("\xff\xfe", 2);
    for (const char c : QByteArray("[Lab]\r\nIntegerOperations_Per_Sec=1\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    write_bytes(database, utf16);
    write_bytes(settings, utf16);

    QProcess batch;
    batch.setProcessEnvironment(environment(false));
    batch.setWorkingDirectory(dir.path());
    batch.start(program, {QStringLiteral("--batch"), QStringLiteral("--tests=integer"),
                          QStringLiteral("--integer-loops=1"), QStringLiteral("--save=Lab 2")});
    ASSERT_TRUE(batch.waitForFinished(60000));
    EXPECT_EQ(batch.exitCode(), 6);
    const QString err = QString::fromUtf8(batch.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("Unable to write to ") + database + QLatin1Char('.')))
        << err.toStdString();

    // The window's close: the run is not saved into the database, the settings not written.
    ASSERT_TRUE(run_window_once());
    EXPECT_EQ(read_bytes(database), utf16);
    EXPECT_EQ(read_bytes(settings), utf16);
}

} // namespace
