#include "engine/Disk_Test.h"
#include "engine/Test_Failure.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace smx::engine {
namespace {

QByteArray read_file(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void write_file(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray pattern(qsizetype size) {
    QByteArray expected(size, '\0');
    for (qsizetype k = 0; k < size; ++k)
        expected[k] = static_cast<char>('A' + k % 26);
    return expected;
}

// A drive "t" rooted at a fresh temporary directory.
class Disk_Test_Fixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<test::Drive_Table> drives;
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        drives = std::make_unique<test::Drive_Table>(
            std::vector<platform::Drive>{{'t', dir.path(), QStringLiteral("test")}});
    }
    QString temp(int n) const {
        return dir.path() + QStringLiteral("/$$BENCHMARK_TEMP_") + QString::number(n) +
               QStringLiteral(".tmp");
    }
    QStringList entries() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }
};

class Buffer_Test : public ::testing::TestWithParam<qsizetype> {};

TEST_P(Buffer_Test, ByteKIsTheAlphabetLetterKMod26) {
    const qsizetype size = GetParam();
    QByteArray buffer(size, '?');
    Fill_Test_Buffer(buffer.data(), size);
    EXPECT_EQ(buffer, pattern(size));
}

// Sizes around the alphabet's length and the doubling steps.
INSTANTIATE_TEST_SUITE_P(Sizes, Buffer_Test,
                         ::testing::Values(1, 25, 26, 27, 52, 53, 103, 104, 105, 4096, 65536 + 7));

TEST(Buffer, SmallAndLargeFileTails) {
    QByteArray small(4096, '?');
    Fill_Test_Buffer(small.data(), small.size());
    EXPECT_TRUE(small.endsWith("ABCDEFGHIJKLMN"));
    EXPECT_EQ(small.left(26 * 157).count("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), 157);

    QByteArray large(10485760, '?');
    Fill_Test_Buffer(large.data(), large.size());
    EXPECT_TRUE(large.endsWith("ABCDEFGHIJKL"));
    EXPECT_EQ(large, pattern(large.size()));
}

TEST_F(Disk_Test_Fixture, NamesLiveInTheDriveRoot) {
    EXPECT_EQ(Benchmark_Temp_File_Path('t', 1), temp(1));
    EXPECT_EQ(Benchmark_Temp_File_Path('T', 500), temp(500));
    EXPECT_EQ(Drive_Check_File_Path('t'), dir.path() + QStringLiteral("/$$$TEMP_DRIVE_CHECK.tmp"));
    test::Drive_Table root_drive({{'c', QStringLiteral("/"), QStringLiteral("root")}});
    EXPECT_EQ(Benchmark_Temp_File_Path('c', 3), QStringLiteral("/$$BENCHMARK_TEMP_3.tmp"));
}

TEST_F(Disk_Test_Fixture, WritePassCreatesNumberedFilesWithTheWholeBuffer) {
    QByteArray buffer(4096, '\0');
    Fill_Test_Buffer(buffer.data(), buffer.size());
    Write_Test_Files(5, buffer.constData(), buffer.size(), 't');
    ASSERT_EQ(entries().size(), 5);
    for (int n = 1; n <= 5; ++n) {
        const QByteArray content = read_file(temp(n));
        EXPECT_EQ(content.size(), 4096) << n;
        EXPECT_TRUE(content.endsWith("ABCDEFGHIJKLMN")) << n;
    }
    // The read pass reads every file back into the buffer, whole.
    QByteArray back(4096, '\0');
    Read_Test_Files(5, back.data(), back.size(), 't');
    EXPECT_EQ(back, buffer);
    Delete_Test_Files(5, 't');
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(Disk_Test_Fixture, LeavesNothingBehind) {
    Disk_File_Speed_Test(20, 4096, 't');
    EXPECT_TRUE(entries().isEmpty()) << entries().join(u' ').toStdString();
}

TEST_F(Disk_Test_Fixture, LeftoverFileIsOverwrittenAndRemoved) {
    write_file(temp(3), QByteArray(10000, 'z'));
    QByteArray buffer(4096, '\0');
    Fill_Test_Buffer(buffer.data(), buffer.size());
    Write_Test_Files(5, buffer.constData(), buffer.size(), 't');
    EXPECT_EQ(read_file(temp(3)), pattern(4096));
    Delete_Test_Files(5, 't');

    write_file(temp(3), QByteArray(10000, 'z'));
    Disk_File_Speed_Test(5, 4096, 't');
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(Disk_Test_Fixture, NothingHappensWithoutFilesOrBytes) {
    Disk_File_Speed_Test(0, 4096, 't');
    Disk_File_Speed_Test(-1, 4096, 't');
    Disk_File_Speed_Test(3, 0, 't');
    Disk_File_Speed_Test(3, -4096, 't');
    EXPECT_TRUE(entries().isEmpty());
}

// Every failure names the file and removes what the test wrote, and only that.
TEST_F(Disk_Test_Fixture, UncreatableFileIsCannotCreate) {
    // A directory where file 3 should go cannot be created as a file.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("$$BENCHMARK_TEMP_3.tmp")));
    try {
        Disk_File_Speed_Test(5, 4096, 't');
        FAIL() << "no error";
    } catch (const Test_Failure& failure) {
        EXPECT_EQ(failure.text(), QStringLiteral("Cannot create file ") + temp(3));
    }
    EXPECT_EQ(entries(), QStringList{QStringLiteral("$$BENCHMARK_TEMP_3.tmp")});
}

TEST_F(Disk_Test_Fixture, FullDiskIsAWriteError) {
    // /dev/full refuses every write with ENOSPC, like a full disk.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), temp(2)));
    try {
        Disk_File_Speed_Test(4, 4096, 't');
        FAIL() << "no error";
    } catch (const Test_Failure& failure) {
        EXPECT_EQ(failure.text(), QStringLiteral("Unable to write to ") + temp(2));
    }
    EXPECT_TRUE(entries().isEmpty()) << entries().join(u' ').toStdString();
}

TEST_F(Disk_Test_Fixture, MissingOrShortFileIsAReadError) {
    QByteArray buffer(4096, '\0');
    Fill_Test_Buffer(buffer.data(), buffer.size());

    Write_Test_Files(4, buffer.constData(), buffer.size(), 't');
    ASSERT_TRUE(QFile::remove(temp(2)));
    try {
        Read_Test_Files(4, buffer.data(), buffer.size(), 't');
        FAIL() << "no error";
    } catch (const Test_Failure& failure) {
        EXPECT_EQ(failure.text(), QStringLiteral("Cannot open file ") + temp(2));
    }
    EXPECT_TRUE(entries().isEmpty());

    Write_Test_Files(4, buffer.constData(), buffer.size(), 't');
    ASSERT_TRUE(QFile::resize(temp(3), 100));
    try {
        Read_Test_Files(4, buffer.data(), buffer.size(), 't');
        FAIL() << "no error";
    } catch (const Test_Failure& failure) {
        EXPECT_EQ(failure.text(), QStringLiteral("Unable to read from ") + temp(3));
    }
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(Disk_Test_Fixture, UncreatableRootIsCannotCreate) {
    // Running as root ignores permissions, so the root is made unusable another way: a file.
    const QString file_root = dir.path() + QStringLiteral("/plain_file");
    write_file(file_root, "x");
    test::Drive_Table table({{'f', file_root, QStringLiteral("file")}});
    try {
        Disk_File_Speed_Test(2, 10, 'f');
        FAIL() << "no error";
    } catch (const Test_Failure& failure) {
        EXPECT_EQ(failure.text(),
                  QStringLiteral("Cannot create file ") + file_root + "/$$BENCHMARK_TEMP_1.tmp");
    }
}

TEST_F(Disk_Test_Fixture, DriveWithoutRootIsCannotCreate) {
    try {
        Disk_File_Speed_Test(2, 10, 'q');
        FAIL() << "no error";
    } catch (const Test_Failure& failure) {
        EXPECT_EQ(failure.text(), QStringLiteral("Cannot create file q:\\$$BENCHMARK_TEMP_1.tmp"));
    }
}

struct Probe_Case {
    const char* drive_text;
    bool writable;
};

class Temp_Drive_Check_Test : public Disk_Test_Fixture,
                              public ::testing::WithParamInterface<Probe_Case> {};

TEST_P(Temp_Drive_Check_Test, ProbesTheDriveRoot) {
    // "f" is rooted at a regular file and "n" at a folder that does not exist: both refuse the
    // probe even when the tests run as root, which ignores permissions.
    const QString file_root = dir.path() + QStringLiteral("/plain_file");
    write_file(file_root, "x");
    test::Drive_Table table(
        {{'t', dir.path(), QStringLiteral("test")},
         {'f', file_root, QStringLiteral("file")},
         {'n', dir.path() + QStringLiteral("/missing"), QStringLiteral("gone")}});
    const auto c = GetParam();
    EXPECT_EQ(Temp_Drive_Check(QString::fromLatin1(c.drive_text)), c.writable);
    // The probe never stays behind.
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/$$$TEMP_DRIVE_CHECK.tmp")));
}

INSTANTIATE_TEST_SUITE_P(Drives, Temp_Drive_Check_Test,
                         ::testing::Values(Probe_Case{"t", true}, Probe_Case{"T", true},
                                           Probe_Case{"t:\\", true}, Probe_Case{"f", false},
                                           Probe_Case{"n", false}, Probe_Case{"q", false},
                                           Probe_Case{"1", false}, Probe_Case{"$", false},
                                           Probe_Case{"", false}));

TEST(Drive_Letter_To_Number, CountsFromA) {
    EXPECT_EQ(Drive_Letter_To_Number(QStringLiteral("a")), 1);
    EXPECT_EQ(Drive_Letter_To_Number(QStringLiteral("C")), 3);
    EXPECT_EQ(Drive_Letter_To_Number(QStringLiteral("c:\\")), 3);
    EXPECT_EQ(Drive_Letter_To_Number(QStringLiteral("z")), 26);
}

TEST_F(Disk_Test_Fixture, FreeSpaceIsWhatTheUserMayWrite) {
    const qint64 available = QStorageInfo(dir.path()).bytesAvailable();
    const long double reported = Drive_Free_Space(static_cast<std::uint8_t>('t' - 'a' + 1));
    ASSERT_GT(available, 0);
    // Other programs write to the same disk meanwhile.
    EXPECT_NEAR(static_cast<double>(reported), static_cast<double>(available), 256.0 * 1024 * 1024);
    EXPECT_EQ(Drive_Free_Space(static_cast<std::uint8_t>('q' - 'a' + 1)), 0.0L);
}

} // namespace
} // namespace smx::engine
