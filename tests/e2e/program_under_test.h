#pragma once
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>

namespace smx::test {

// The built program that the end-to-end tests copy and run. SPEEDMETRIX_TEST_PROGRAM names
// another copy, for a run of these tests by a user who cannot reach the build folder.
inline QString program_under_test() {
    const QString chosen = qEnvironmentVariable("SPEEDMETRIX_TEST_PROGRAM");
    return chosen.isEmpty() ? QStringLiteral(SMX_EXECUTABLE) : chosen;
}

// Copies the program under test to `path`, runnable by its owner whatever the source's mode.
inline bool copy_program_under_test(const QString& path) {
    if (!QFile::copy(program_under_test(), path))
        return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return true;
}

// Waits, at most 20 s and while the program runs, until its standard output holds `what` (the
// test seam's "clicked <button>"); whether it came.
inline bool wait_for_output(QProcess& process, const QByteArray& what) {
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (!out.contains(what) && clock.elapsed() < 20000 && process.state() == QProcess::Running) {
        process.waitForReadyRead(200);
        out += process.readAllStandardOutput();
    }
    return out.contains(what);
}

// The library that makes the program's renames onto a "refuse-commit" name fail, to preload;
// SPEEDMETRIX_TEST_PRELOAD names another copy, as SPEEDMETRIX_TEST_PROGRAM does.
inline QString refuse_commit_library() {
    const QString chosen = qEnvironmentVariable("SPEEDMETRIX_TEST_PRELOAD");
    return chosen.isEmpty() ? QStringLiteral(SMX_REFUSE_COMMIT_LIBRARY) : chosen;
}

} // namespace smx::test
