#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// A copy of the built program in a fresh directory, so the files it keeps beside itself land there.
struct Installed_Program {
    QTemporaryDir dir;
    QString path;
    Installed_Program() {
        path = dir.filePath(QStringLiteral("speedmetrix"));
        QFile::copy(QStringLiteral(SMX_EXECUTABLE), path);
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    }
};

void wait_until_started(QProcess& process) {
    ASSERT_TRUE(process.waitForStarted(10000));
    // The main window is up once the event loop idles; give it time, then check it still runs.
    QThread::msleep(1500);
    ASSERT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
}

} // namespace

class Program_Ends_On_Signal : public ::testing::TestWithParam<int> {};

TEST_P(Program_Ends_On_Signal, ThroughItsNormalCloseWithStatusZero) {
    Installed_Program program;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), program.dir.path());
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(program.dir.path());
    process.start(program.path, {});
    wait_until_started(process);
    ::kill(static_cast<pid_t>(process.processId()), GetParam());
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, Program_Ends_On_Signal,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP));
