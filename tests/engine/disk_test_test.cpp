#include "engine/Disk_Test.h"
#include "engine/Test_Failure.h"
#include "platform/Termination.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/un.h>
#include <unistd.h>

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

// The text of the Test_Failure that `work` throws; empty when it throws none.
QString failure_of(const std::function<void()>& work) {
    try {
        work();
    } catch (const Test_Failure& failure) {
        return failure.text();
    }
    return {};
}

// Runs work that could block on a FIFO on a thread. If it has not ended within a second the
// test fails, and every FIFO in `folder` is opened from here so that a blocked open returns.
void within_a_second(const std::function<void()>& work, const QString& folder) {
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(1)) == std::future_status::ready)
        return done.get();
    ADD_FAILURE() << "still running after a second";
    std::vector<int> unblockers;
    for (const QString& name : QDir(folder).entryList(QDir::System | QDir::Hidden))
        unblockers.push_back(
            ::open(QFile::encodeName(folder + u'/' + name).constData(), O_RDWR | O_NONBLOCK));
    done.get();
    for (int fd : unblockers)
        if (fd >= 0)
            ::close(fd);
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
    Disk_Test_Files files(Resolve_Disk_Root('t'));
    files.Write(5, buffer.constData(), buffer.size());
    ASSERT_EQ(entries().size(), 5);
    for (int n = 1; n <= 5; ++n) {
        const QByteArray content = read_file(temp(n));
        EXPECT_EQ(content.size(), 4096) << n;
        EXPECT_TRUE(content.endsWith("ABCDEFGHIJKLMN")) << n;
    }
    // The read pass reads every file back into the buffer, whole.
    QByteArray back(4096, '\0');
    files.Read(back.data(), back.size());
    EXPECT_EQ(back, buffer);
    files.Delete();
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(Disk_Test_Fixture, LeavesNothingBehind) {
    Disk_File_Speed_Test(20, 4096, 't');
    EXPECT_TRUE(entries().isEmpty()) << entries().join(u' ').toStdString();
}

TEST_F(Disk_Test_Fixture, LeftoverFileIsOverwrittenAndRemoved) {
    // Longer than the new content, so it must be cut to the buffer's size.
    write_file(temp(3), QByteArray(10000, 'z'));
    QByteArray buffer(4096, '\0');
    Fill_Test_Buffer(buffer.data(), buffer.size());
    Disk_Test_Files files(Resolve_Disk_Root('t'));
    files.Write(5, buffer.constData(), buffer.size());
    EXPECT_EQ(read_file(temp(3)), pattern(4096));
    files.Delete();
    EXPECT_TRUE(entries().isEmpty());

    write_file(temp(3), QByteArray(10000, 'z'));
    write_file(dir.path() + QStringLiteral("/$$$TEMP_DRIVE_CHECK.tmp"), "left");
    Disk_File_Speed_Test(5, 4096, 't');
    EXPECT_TRUE(Temp_Drive_Check(QStringLiteral("t")));
    EXPECT_TRUE(entries().isEmpty()) << entries().join(u' ').toStdString();
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
    EXPECT_EQ(failure_of([] { Disk_File_Speed_Test(5, 4096, 't'); }),
              QStringLiteral("Cannot create file ") + temp(3));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("$$BENCHMARK_TEMP_3.tmp")});
}

TEST_F(Disk_Test_Fixture, FullDiskIsAWriteError) {
    // A file size limit makes the kernel refuse the rest of a write, as a full disk does.
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 4000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString text = failure_of([] { Disk_File_Speed_Test(4, 4096, 't'); });
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(text, QStringLiteral("Unable to write to ") + temp(1));
    EXPECT_TRUE(entries().isEmpty()) << entries().join(u' ').toStdString();
}

TEST_F(Disk_Test_Fixture, MissingOrShortFileIsAReadError) {
    QByteArray buffer(4096, '\0');
    Fill_Test_Buffer(buffer.data(), buffer.size());
    {
        Disk_Test_Files files(Resolve_Disk_Root('t'));
        files.Write(4, buffer.constData(), buffer.size());
        ASSERT_TRUE(QFile::remove(temp(2)));
        EXPECT_EQ(failure_of([&] { files.Read(buffer.data(), buffer.size()); }),
                  QStringLiteral("Cannot open file ") + temp(2));
        EXPECT_TRUE(entries().isEmpty());
    }
    Disk_Test_Files files(Resolve_Disk_Root('t'));
    files.Write(4, buffer.constData(), buffer.size());
    ASSERT_TRUE(QFile::resize(temp(3), 100));
    EXPECT_EQ(failure_of([&] { files.Read(buffer.data(), buffer.size()); }),
              QStringLiteral("Unable to read from ") + temp(3));
    EXPECT_TRUE(entries().isEmpty());
}

// Things planted at a test file's name in a shared folder: none is followed, written, waited on
// or removed, and the test stops with the message for that file.
struct Planted {
    const char* what;
    // Puts the thing at `name`; `victim` is a file outside the names that it may point at.
    std::function<void(const QString& name, const QString& victim)> plant;
    bool needs_root = false; // to give a file to another user
};

void PrintTo(const Planted& planted, std::ostream* os) {
    *os << planted.what;
}

void make_fifo(const QString& name, const QString&) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(name).constData(), 0666), 0);
}

void make_socket(const QString& name, const QString&) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd); // the socket file stays
}

const Planted planted_things[] = {
    {"link to a file", [](const QString& n, const QString& v) { ASSERT_TRUE(QFile::link(v, n)); }},
    {"link to nothing",
     [](const QString& n, const QString& v) { ASSERT_TRUE(QFile::link(v + ".new", n)); }},
    {"hard link to a file",
     [](const QString& n, const QString& v) {
         ASSERT_EQ(::link(QFile::encodeName(v).constData(), QFile::encodeName(n).constData()), 0);
     }},
    {"FIFO", make_fifo},
    {"socket", make_socket},
    {"directory", [](const QString& n, const QString&) { ASSERT_TRUE(QDir().mkdir(n)); }},
    {"file of another user",
     [](const QString& n, const QString&) {
         write_file(n, "left by someone else");
         ASSERT_EQ(::chown(QFile::encodeName(n).constData(), 65534, 65534), 0);
     },
     true},
};

class Planted_Name_Test : public Disk_Test_Fixture, public ::testing::WithParamInterface<Planted> {
protected:
    QString victim() const { return dir.path() + QStringLiteral("/victim/precious.txt"); }
    QByteArray victim_content() const { return QByteArrayLiteral("not yours to overwrite\n"); }
    void SetUp() override {
        if (GetParam().needs_root && ::geteuid() != 0)
            GTEST_SKIP() << "only root can leave a file to another user";
        Disk_Test_Fixture::SetUp();
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("victim")));
        write_file(victim(), victim_content());
    }
    // The planted thing is still there as it was, and the victim is untouched.
    void expect_untouched(const QString& name) const {
        struct stat st {};
        EXPECT_EQ(::lstat(QFile::encodeName(name).constData(), &st), 0) << GetParam().what;
        EXPECT_EQ(read_file(victim()), victim_content()) << GetParam().what;
        EXPECT_FALSE(QFile::exists(victim() + ".new")) << GetParam().what;
        EXPECT_EQ(QDir(dir.path() + QStringLiteral("/victim"))
                      .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{QStringLiteral("precious.txt")});
    }
    QStringList test_entries() const { return entries().filter(QStringLiteral("BENCHMARK")); }
};

TEST_P(Planted_Name_Test, WritePassRefusesIt) {
    GetParam().plant(temp(2), victim());
    QString text;
    within_a_second([&] { text = failure_of([] { Disk_File_Speed_Test(4, 4096, 't'); }); },
                    dir.path());
    EXPECT_EQ(text, QStringLiteral("Cannot create file ") + temp(2));
    expect_untouched(temp(2));
    EXPECT_EQ(test_entries(), QStringList{QStringLiteral("$$BENCHMARK_TEMP_2.tmp")});
}

TEST_P(Planted_Name_Test, ReadPassRefusesWhatReplacedTheFileWritten) {
    QByteArray buffer(4096, '\0');
    Disk_Test_Files files(Resolve_Disk_Root('t'));
    files.Write(4, buffer.constData(), buffer.size());
    ASSERT_TRUE(QFile::remove(temp(3)));
    GetParam().plant(temp(3), victim());
    QString text;
    within_a_second([&] { text = failure_of([&] { files.Read(buffer.data(), buffer.size()); }); },
                    dir.path());
    EXPECT_EQ(text, QStringLiteral("Cannot open file ") + temp(3));
    expect_untouched(temp(3));
    EXPECT_EQ(test_entries(), QStringList{QStringLiteral("$$BENCHMARK_TEMP_3.tmp")});
}

// What stands at the probe's name is left alone, and says nothing about the drive: the folder
// takes new files, so the drive is writable.
TEST_P(Planted_Name_Test, ProbeLeavesItAndAsksTheFolder) {
    const QString probe = dir.path() + QStringLiteral("/$$$TEMP_DRIVE_CHECK.tmp");
    GetParam().plant(probe, victim());
    bool writable = false;
    within_a_second([&] { writable = Temp_Drive_Check(QStringLiteral("t")); }, dir.path());
    EXPECT_TRUE(writable);
    expect_untouched(probe);
    EXPECT_EQ(entries().filter(QStringLiteral("TEMP_DRIVE_CHECK")),
              QStringList{QStringLiteral("$$$TEMP_DRIVE_CHECK.tmp")});
}

TEST_F(Disk_Test_Fixture, ATakenProbeNameInAReadOnlyFolderIsReadOnly) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const QString probe = dir.path() + QStringLiteral("/$$$TEMP_DRIVE_CHECK.tmp");
    ASSERT_TRUE(QFile::link(dir.path(), probe));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_FALSE(Temp_Drive_Check(QStringLiteral("t")));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

INSTANTIATE_TEST_SUITE_P(Things, Planted_Name_Test, ::testing::ValuesIn(planted_things),
                         [](const auto& info) {
                             QString name = QString::fromLatin1(info.param.what);
                             return name.replace(u' ', u'_').toStdString();
                         });

TEST_F(Disk_Test_Fixture, ReadAndDeletePassesKeepToTheFilesWritten) {
    QByteArray buffer(4096, '\0');
    Fill_Test_Buffer(buffer.data(), buffer.size());
    // Renamed over the name, so that the file written still holds its inode meanwhile.
    const QString spare = dir.path() + QStringLiteral("/spare");
    auto put_over = [&](const QString& name) {
        ASSERT_EQ(
            ::rename(QFile::encodeName(spare).constData(), QFile::encodeName(name).constData()), 0);
    };
    // A regular file with the same content in place of file 2 is not ours to read when another
    // name holds it too, or (where the tests may give a file away) when another user owns it.
    const QString second_name = dir.path() + QStringLiteral("/second_name");
    std::vector<std::function<void()>> replacements = {[&] {
        ASSERT_EQ(::link(QFile::encodeName(spare).constData(),
                         QFile::encodeName(second_name).constData()),
                  0);
    }};
    if (::geteuid() == 0)
        replacements.push_back(
            [&] { ASSERT_EQ(::chown(QFile::encodeName(spare).constData(), 65534, 65534), 0); });
    for (const auto& replace : replacements) {
        Disk_Test_Files files(Resolve_Disk_Root('t'));
        files.Write(3, buffer.constData(), buffer.size());
        write_file(spare, buffer);
        replace();
        put_over(temp(2));
        EXPECT_EQ(failure_of([&] { files.Read(buffer.data(), buffer.size()); }),
                  QStringLiteral("Cannot open file ") + temp(2));
        EXPECT_EQ(entries().filter(QStringLiteral("BENCHMARK")),
                  QStringList{QStringLiteral("$$BENCHMARK_TEMP_2.tmp")});
        ASSERT_TRUE(QFile::remove(temp(2)));
        QFile::remove(second_name);
    }

    // The delete pass likewise removes only what it wrote.
    Disk_Test_Files again(Resolve_Disk_Root('t'));
    again.Write(3, buffer.constData(), buffer.size());
    again.Read(buffer.data(), buffer.size());
    write_file(spare, "someone else's");
    put_over(temp(1));
    ASSERT_TRUE(QFile::link(temp(1), spare));
    put_over(temp(3));
    again.Delete();
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("$$BENCHMARK_TEMP_1.tmp"),
                                      QStringLiteral("$$BENCHMARK_TEMP_3.tmp")}));
    EXPECT_EQ(read_file(temp(1)), QByteArray("someone else's"));
}

// A stop spends its budget deleting and hands the names left, from a whole block of them on, to
// a cleaner that removes them after it returns; without a stop every file goes at once.
TEST_F(Disk_Test_Fixture, AStopHandsTheFilesLeftAfterItsBudgetToACleaner) {
    const char byte = 'A';
    for (const bool stop : {false, true}) {
        Disk_Test_Files files(Resolve_Disk_Root('t'));
        ASSERT_TRUE(files.Write(1000, &byte, 1));
        if (stop)
            platform::request_stop();
        EXPECT_EQ(files.Delete(0), stop ? 1000 - 255 : 0) << stop;
        platform::clear_stop_request();
        EXPECT_FALSE(QFile::exists(temp(255))) << stop;
        for (int waited = 0; !entries().isEmpty() && waited < 30000; waited += 20)
            ::usleep(20000);
        EXPECT_TRUE(entries().isEmpty()) << stop;
    }
}

TEST(Benchmark_Temp_File_Name, OnlyTheNamesTheTestWrites) {
    for (const char* name :
         {"$$BENCHMARK_TEMP_1.tmp", "$$BENCHMARK_TEMP_500.tmp", "$$BENCHMARK_TEMP_2147483647.tmp"})
        EXPECT_TRUE(Is_Benchmark_Temp_File_Name(name)) << name;
    for (const char* name :
         {"$$BENCHMARK_TEMP_.tmp", "$$BENCHMARK_TEMP_0.tmp", "$$BENCHMARK_TEMP_01.tmp",
          "$$BENCHMARK_TEMP_1.tmp~", "$$BENCHMARK_TEMP_1.TMP", "$$BENCHMARK_TEMP_-1.tmp",
          "$$BENCHMARK_TEMP_1x.tmp", "$$BENCHMARK_TEMP_12345678901.tmp", "$BENCHMARK_TEMP_1.tmp",
          "$$$TEMP_DRIVE_CHECK.tmp", ""})
        EXPECT_FALSE(Is_Benchmark_Temp_File_Name(name)) << name;
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
    // Asked of the folder itself: inside a chroot the mount table may not hold its filesystem.
    struct statvfs st {};
    ASSERT_EQ(::statvfs(dir.path().toLocal8Bit().constData(), &st), 0);
    const auto available = static_cast<qint64>(st.f_bavail * st.f_frsize);
    const long double reported = Drive_Free_Space(static_cast<std::uint8_t>('t' - 'a' + 1));
    ASSERT_GT(available, 0);
    // Other programs write to the same disk meanwhile.
    EXPECT_NEAR(static_cast<double>(reported), static_cast<double>(available), 256.0 * 1024 * 1024);
    EXPECT_EQ(Drive_Free_Space(static_cast<std::uint8_t>('q' - 'a' + 1)), 0.0L);
}

} // namespace
} // namespace smx::engine
