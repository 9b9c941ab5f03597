#include "program_under_test.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <linux/magic.h>
#include <map>
#include <sys/vfs.h>

namespace {

// The kernel's I/O counters of this process (read_bytes, write_bytes, cancelled_write_bytes),
// which take in those of the children it has reaped. Writes count when a page is dirtied; those
// that never reached the device (a file deleted before writeback) count again as cancelled.
std::map<QByteArray, qint64> io_counters() {
    QFile file(QStringLiteral("/proc/self/io"));
    std::map<QByteArray, qint64> counters;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().split('\n'))
            if (const qsizetype colon = line.indexOf(':'); colon > 0)
                counters[line.left(colon)] = line.mid(colon + 1).trimmed().toLongLong();
    return counters;
}

// --sync: each file of the disk tests reaches the device before it is closed and is read back
// from it; without --sync the files are deleted before the kernel writes them out. Drive c is a
// folder beside the build, on a real disk (skipped on a filesystem in memory). The read counter
// also takes in the program's start, whose libraries the cache may have let go of, so the run
// without --sync goes first, and its writes are the contrast.
TEST(Disk_Sync, FilesReachTheDeviceAndAreReadBackFromIt) {
    QTemporaryDir dir(QFileInfo(smx::test::program_under_test()).absolutePath() +
                      QStringLiteral("/sync-test-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    struct statfs fs {};
    ASSERT_EQ(::statfs(QFile::encodeName(dir.path()).constData(), &fs), 0);
    if (fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC || !io_counters().count("read_bytes"))
        GTEST_SKIP() << "no device to reach, or no I/O counters";
    const QString program = dir.filePath(QStringLiteral("speedmetrix"));
    ASSERT_TRUE(smx::test::copy_program_under_test(program));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("home"))));

    constexpr qint64 total = 4 * 4096 * 1024; // four files of 4096 KB
    for (const bool sync : {false, true}) {
        SCOPED_TRACE(sync ? "--sync" : "without --sync");
        QStringList arguments{QStringLiteral("--batch"),
                              QStringLiteral("--json"),
                              QStringLiteral("--tests=large-files"),
                              QStringLiteral("--drive=c"),
                              QStringLiteral("--large-files=4"),
                              QStringLiteral("--large-file-kb=4096")};
        if (sync)
            arguments << QStringLiteral("--sync");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        process.setProcessEnvironment(env);
        auto before = io_counters();
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForFinished(120000));
        auto after = io_counters();
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(process.readAllStandardOutput())
                      .object()[QStringLiteral("context")][QStringLiteral("parameters")]
                               [QStringLiteral("sync")],
                  QJsonValue(sync));

        const qint64 reached = (after["write_bytes"] - before["write_bytes"]) -
                               (after["cancelled_write_bytes"] - before["cancelled_write_bytes"]);
        if (sync) {
            EXPECT_GE(reached, total);
            EXPECT_GE(after["read_bytes"] - before["read_bytes"], total);
        } else {
            EXPECT_LT(reached, total / 2);
        }
    }
}

} // namespace
