#pragma once
#include <QString>

namespace smx::test {

// The built program that the end-to-end tests copy and run. SPEEDMETRIX_TEST_PROGRAM names
// another copy, for a run of these tests by a user who cannot reach the build folder.
inline QString program_under_test() {
    const QString chosen = qEnvironmentVariable("SPEEDMETRIX_TEST_PROGRAM");
    return chosen.isEmpty() ? QStringLiteral(SMX_EXECUTABLE) : chosen;
}

// The library that makes the program's renames onto a "refuse-commit" name fail, to preload;
// SPEEDMETRIX_TEST_PRELOAD names another copy, as SPEEDMETRIX_TEST_PROGRAM does.
inline QString refuse_commit_library() {
    const QString chosen = qEnvironmentVariable("SPEEDMETRIX_TEST_PRELOAD");
    return chosen.isEmpty() ? QStringLiteral(SMX_REFUSE_COMMIT_LIBRARY) : chosen;
}

} // namespace smx::test
