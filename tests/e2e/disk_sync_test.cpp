#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <linux/magic.h>
#include <optional>
#include <sys/vfs.h>

namespace {

// The kernel's I/O counters of this process. They take in those of every child it has reaped,
// so a run of the program in between moves them by what the run read from and wrote to the
// block device. Writes are counted when a page is dirtied; what never reached the device, as a
// file deleted before writeback, is counted again as cancelled.
struct Io {
    qint64 read = 0;
    qint64 written = 0;
    qint64 cancelled = 0;
};

std::optional<Io> io_of_this_process() {
    QFile file(QStringLiteral("/proc/self/io"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Io io;
    int found = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(':');
        if (parts.size() != 2)
            continue;
        const qint64 value = parts[1].trimmed().toLongLong();
        if (parts[0] == "read_bytes")
            io.read = value, ++found;
        else if (parts[0] == "write_bytes")
            io.written = value, ++found;
        else if (parts[0] == "cancelled_write_bytes")
            io.cancelled = value, ++found;
    }
    return found == 3 ? std::optional<Io>(io) : std::nullopt;
}

// --sync: each file of the disk tests reaches the device before it is closed, and is read back
// from the device; without it the files are deleted before the kernel writes them out. Drive c
// is a folder beside the build, which lies on a real disk; on a filesystem in memory there is no
// device to reach, and the test says so and is skipped. The read counter also takes in the
// program's own start (libraries the page cache has let go of), so only the writes of the run
// without --sync serve as the contrast; the run without --sync goes first, and the one with it
// then finds the libraries cached.
TEST(Disk_Sync, FilesReachTheDeviceAndAreReadBackFromIt) {
    QTemporaryDir dir(QFileInfo(QStringLiteral(SMX_EXECUTABLE)).absolutePath() +
                      QStringLiteral("/sync-test-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    struct statfs fs {};
    ASSERT_EQ(::statfs(QFile::encodeName(dir.path()).constData(), &fs), 0);
    if (fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC)
        GTEST_SKIP() << "the build folder is in memory: no device to reach";
    if (!io_of_this_process())
        GTEST_SKIP() << "/proc/self/io cannot be read here";
    const QString program = dir.filePath(QStringLiteral("speedmetrix"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(SMX_EXECUTABLE), program));
    const QString home = dir.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home));

    constexpr qint64 files = 4, kb = 4096, total = files * kb * 1024;
    for (const bool sync : {false, true}) {
        SCOPED_TRACE(sync ? "--sync" : "without --sync");
        QStringList arguments{QStringLiteral("--batch"),
                              QStringLiteral("--json"),
                              QStringLiteral("--tests=large-files"),
                              QStringLiteral("--drive=c"),
                              QStringLiteral("--large-files=%1").arg(files),
                              QStringLiteral("--large-file-kb=%1").arg(kb)};
        if (sync)
            arguments << QStringLiteral("--sync");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        const Io before = *io_of_this_process();
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForFinished(120000));
        const Io after = *io_of_this_process();
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
        EXPECT_EQ(
            json[QStringLiteral("context")][QStringLiteral("parameters")][QStringLiteral("sync")],
            QJsonValue(sync));

        const qint64 reached =
            (after.written - before.written) - (after.cancelled - before.cancelled);
        const qint64 read = after.read - before.read;
        if (sync) {
            EXPECT_GE(reached, total);
            EXPECT_GE(read, total);
        } else {
            EXPECT_LT(reached, total / 2) << "written to the device without --sync";
        }
        EXPECT_TRUE(QDir(home).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }
}

} // namespace
