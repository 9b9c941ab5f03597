#include "engine/Disk_Test.h"

#include "engine/Test_Failure.h"
#include "platform/Drives.h"
#include "platform/Events.h"
#include "platform/File_Routines.h"
#include "platform/Termination.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace smx::engine {
namespace {

// The drive's root and the probe are the only names the program creates in folders that others
// may write; the settings file and the results database live beside the executable and are
// replaced through uniquely named temporary files, so no fixed name is opened there.

// Every open at a fixed name: a link at the last component is refused (ELOOP), and a FIFO or
// device is never waited on. O_NONBLOCK has no effect on regular files, the only kind that is
// read or written, so it stays set.
constexpr int safe_open_flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

QString temp_file_path(const QString& prefix, int n) {
    return prefix + QStringLiteral("$$BENCHMARK_TEMP_") + QString::number(n) +
           QStringLiteral(".tmp");
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

int open_retrying(const QByteArray& path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path.constData(), flags | safe_open_flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void close_file(int fd) {
    ::close(fd); // nothing to recover from a failed close of a file we are done with
}

// A regular file that only we could have left at the name: another hard link would make our
// write land in someone else's file, and another user's file is not ours to overwrite.
bool is_own_regular_file(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink <= 1 && st.st_uid == ::geteuid();
}

// Opens the name for writing as a new regular file, or as a regular file of ours left behind
// by an interrupted run (emptied first); -1 for anything else at the name. A new file is not
// looked at, which keeps the write pass to the calls the test times: O_EXCL made it, so it is a
// regular file of ours with one link, and `looked` stays false. A file found at the name is
// looked at once through its descriptor, and `st` describes it.
int create_own_file(const QByteArray& path, struct stat& st, bool& looked) {
    looked = false;
    int fd = open_retrying(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd >= 0 || errno != EEXIST)
        return fd;
    fd = open_retrying(path, O_WRONLY);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !is_own_regular_file(st) ||
        (st.st_size != 0 && ::ftruncate(fd, 0) != 0)) {
        close_file(fd);
        return -1;
    }
    looked = true;
    return fd;
}

bool same_file(const struct stat& st, dev_t dev, ino_t ino) {
    return S_ISREG(st.st_mode) && st.st_dev == dev && st.st_ino == ino;
}

// Deletes the name only while it still is the file we created there (its identity known), or
// else a regular file of ours with one link. The look at the name is the test's own check that
// the file exists before it is deleted.
void remove_if_ours(const QByteArray& path, bool known, dev_t dev, ino_t ino) {
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 &&
        (known ? same_file(st, dev, ino) : is_own_regular_file(st)))
        ::unlink(path.constData());
}

enum class Transfer { Done, Failed, Stopped };

// One call for the whole buffer up to a stretch of 256 MiB, so that even the largest file
// (2 GiB) ends within a fraction of a second of a stop; the kernel may split a call too, so a
// short transfer is continued and only a call that makes no progress fails.
constexpr std::int64_t kStretch = std::int64_t{256} << 20;

template <typename Buffer, typename Call>
Transfer transfer_all(int fd, Buffer* data, std::int64_t size, Call call) {
    while (size > 0) {
        const ssize_t n = call(fd, data, static_cast<std::size_t>(std::min(size, kStretch)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Transfer::Failed;
        data += n;
        size -= n;
        if (size > 0 && platform::stop_requested())
            return Transfer::Stopped;
    }
    return Transfer::Done;
}

Transfer write_all(int fd, const char* data, std::int64_t size) {
    return transfer_all(fd, data, size, ::write);
}

Transfer read_all(int fd, char* data, std::int64_t size) {
    return transfer_all(fd, data, size, ::read);
}

// Clean pages only can be dropped, so after a flush this leaves nothing of the file cached.
void drop_cached_pages(int fd) {
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED); // advice: nothing to do when it is not taken
}

// The file's data on the device, and none of it left in the page cache.
bool flush_to_device(int fd) {
    int r;
    do
        r = ::fsync(fd);
    while (r != 0 && errno == EINTR);
    if (r != 0)
        return false;
    drop_cached_pages(fd);
    return true;
}

} // namespace

Disk_Root Resolve_Disk_Root(char DriveLetter) {
    const auto drive = platform::find_drive(DriveLetter);
    if (!drive)
        return {false, QString(QLatin1Char(platform::lower_drive_letter(DriveLetter))) +
                           QStringLiteral(":\\")};
    QString root = drive->root;
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return {true, root};
}

Disk_Root Folder_Disk_Root(const QString& Folder) {
    QString root = Folder;
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    struct stat st {};
    const bool found = Folder.startsWith(QLatin1Char('/')) &&
                       ::stat(native(Folder).constData(), &st) == 0 && S_ISDIR(st.st_mode);
    return {found, root};
}

QString Benchmark_Temp_File_Path(const Disk_Root& Root, int n) {
    return temp_file_path(Root.prefix, n);
}

QString Benchmark_Temp_File_Path(char DriveLetter, int n) {
    return temp_file_path(Resolve_Disk_Root(DriveLetter).prefix, n);
}

QString Drive_Check_File_Path(char DriveLetter) {
    return Resolve_Disk_Root(DriveLetter).prefix + QStringLiteral("$$$TEMP_DRIVE_CHECK.tmp");
}

void Fill_Test_Buffer(char* buffer, std::int64_t size) {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::int64_t filled = std::min<std::int64_t>(size, 26);
    std::memcpy(buffer, alphabet, static_cast<std::size_t>(filled));
    // Every filled length from here on is a whole number of alphabets, so a copy of the front
    // continues the pattern.
    while (filled < size) {
        const std::int64_t chunk = std::min(filled, size - filled);
        std::memcpy(buffer + filled, buffer, static_cast<std::size_t>(chunk));
        filled += chunk;
    }
}

Disk_Test_Files::Disk_Test_Files(Disk_Root root, bool sync) : root_(std::move(root)), sync_(sync) {
    if (root_.found)
        platform::register_numbered_temp_files(
            native(root_.prefix + QStringLiteral("$$BENCHMARK_TEMP_")), QByteArrayLiteral(".tmp"));
}

Disk_Test_Files::~Disk_Test_Files() {
    platform::unregister_numbered_temp_files();
}

QString Disk_Test_Files::Path(int n) const {
    return temp_file_path(root_.prefix, n);
}

void Disk_Test_Files::fail(const QString& text) {
    Delete();
    throw Test_Failure(text);
}

bool Disk_Test_Files::Write(int FileCount, const char* buffer, std::int64_t size) {
    // Unbuffered POSIX calls: one write or read call per file (per 256 MiB of a larger one).
    if (!root_.found && FileCount > 0)
        throw Test_Failure(QStringLiteral("Cannot create file ") + Path(1));
    for (int n = 1; n <= FileCount; ++n) {
        if (platform::stop_requested()) {
            Delete();
            return false;
        }
        platform::set_numbered_temp_file_count(n); // before it can exist
        const QString path = Path(n);
        struct stat st {};
        bool looked = false;
        const int fd = create_own_file(native(path), st, looked);
        if (fd < 0)
            fail(QStringLiteral("Cannot create file ") + path);
        written_.push_back(File_Id{st.st_dev, st.st_ino, looked});
        const Transfer transfer = write_all(fd, buffer, size);
        const bool written = transfer == Transfer::Done && (!sync_ || flush_to_device(fd));
        close_file(fd);
        if (transfer == Transfer::Stopped) {
            Delete();
            return false;
        }
        if (!written)
            fail(QStringLiteral("Unable to write to ") + path);
    }
    return true;
}

bool Disk_Test_Files::Read(char* buffer, std::int64_t size) {
    for (int n = 1; n <= Written(); ++n) {
        if (platform::stop_requested()) {
            Delete();
            return false;
        }
        const QString path = Path(n);
        const File_Id id = written_[static_cast<std::size_t>(n - 1)];
        const int fd = open_retrying(native(path), O_RDONLY);
        if (fd < 0)
            fail(QStringLiteral("Cannot open file ") + path);
        // The one look at each file in the timed passes: through the open descriptor, a regular
        // file of ours with one link (a FIFO or device opened without blocking is refused
        // here, before any read), or the very file found by the write pass. The delete pass
        // then removes only this file.
        struct stat st {};
        if (::fstat(fd, &st) != 0 ||
            !(id.known ? same_file(st, id.dev, id.ino) : is_own_regular_file(st))) {
            close_file(fd);
            fail(QStringLiteral("Cannot open file ") + path);
        }
        written_[static_cast<std::size_t>(n - 1)] = File_Id{st.st_dev, st.st_ino, true};
        if (sync_)
            drop_cached_pages(fd);
        const Transfer transfer = read_all(fd, buffer, size);
        close_file(fd);
        if (transfer == Transfer::Stopped) {
            Delete();
            return false;
        }
        if (transfer != Transfer::Done)
            fail(QStringLiteral("Unable to read from ") + path);
    }
    return true;
}

int Disk_Test_Files::Delete(qint64 stop_budget_ms) {
    // After a stop, a long run's files could take seconds to delete, more than a stop may take:
    // the names left after the budget are removed by a process of their own.
    bool stopping = platform::stop_requested();
    int handed_over = 0;
    QElapsedTimer clock;
    clock.start();
    for (int n = 1; n <= Written(); ++n) {
        if (stopping && n % 256 == 0 && clock.elapsed() >= stop_budget_ms) {
            if (platform::remove_registered_temp_files_in_background(n)) {
                handed_over = Written() - n + 1;
                break;
            }
            stopping = false; // no process to hand them to: they are deleted here
        }
        const File_Id id = written_[static_cast<std::size_t>(n - 1)];
        remove_if_ours(native(Path(n)), id.known, id.dev, id.ino);
    }
    written_.clear();
    platform::set_numbered_temp_file_count(0);
    return handed_over;
}

bool Is_Benchmark_Temp_File_Name(const char* name) {
    static constexpr char prefix[] = "$$BENCHMARK_TEMP_";
    static constexpr char suffix[] = ".tmp";
    if (std::strncmp(name, prefix, sizeof prefix - 1) != 0)
        return false;
    const char* digits = name + sizeof prefix - 1;
    const char* p = digits;
    while (*p >= '0' && *p <= '9')
        ++p;
    // The numbers the test writes: 1 up to the largest file count, without leading zeros.
    return p > digits && p - digits <= 10 && *digits != '0' && std::strcmp(p, suffix) == 0;
}

int Remove_Leftover_Test_Files(const Disk_Root& Root) {
    if (!Root.found)
        return 0;
    return platform::Delete_Closed_Files_In(Root.prefix, Is_Benchmark_Temp_File_Name);
}

void Disk_File_Speed_Test(int FileCount, int FileSizeBytes, const Disk_Root& Root,
                          bool SyncToDevice) {
    if (FileCount <= 0 || FileSizeBytes <= 0)
        return;
    const std::int64_t size = FileSizeBytes;
    std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(size)]);
    Fill_Test_Buffer(buffer.get(), size);
    Disk_Test_Files files(Root, SyncToDevice);
    if (!files.Write(FileCount, buffer.get(), size) || !files.Read(buffer.get(), size))
        return; // stopped; the files are gone
    files.Delete();
    buffer.reset();
    platform::process_messages();
}

void Disk_File_Speed_Test(int FileCount, int FileSizeBytes, char DriveLetter) {
    Disk_File_Speed_Test(FileCount, FileSizeBytes, Resolve_Disk_Root(DriveLetter));
}

namespace {

// Whether a new file can be made in the folder without using any name that is there: a file
// with no name at all, or else one under a fresh name of its own, removed again at once. Asked
// when the probe's own name holds something that is not ours to replace, which says nothing
// about the folder.
bool can_create_a_file_in(const QString& folder) {
    const QByteArray dir = native(folder);
    int fd;
    do {
        fd = ::open(dir.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        close_file(fd);
        return true;
    }
    // Only a filesystem without nameless files is asked again; a refusal is the answer.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return false;
    QByteArray name = dir + (dir.endsWith('/') ? "" : "/") + "$$$TEMP_DRIVE_CHECK.XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool made = ::fstat(fd, &st) == 0;
    close_file(fd);
    if (made)
        remove_if_ours(name, true, st.st_dev, st.st_ino);
    return made;
}

} // namespace

bool Temp_Drive_Check(const QString& DriveText) {
    if (DriveText.isEmpty())
        return false;
    const QChar c = DriveText.at(0).toLower();
    if (c < QLatin1Char('a') || c > QLatin1Char('z'))
        return false;
    const char letter = static_cast<char>(c.unicode());
    if (!platform::find_drive(letter))
        return false;
    // Linux never prompts for a missing medium, so there is no error mode to set.
    return Temp_Root_Check(Resolve_Disk_Root(letter));
}

bool Temp_Root_Check(const Disk_Root& Root) {
    if (!Root.found)
        return false;
    const QByteArray probe = native(Root.prefix + QStringLiteral("$$$TEMP_DRIVE_CHECK.tmp"));
    struct stat st {};
    bool looked = false;
    const int fd = create_own_file(probe, st, looked);
    if (fd < 0) {
        // The name is taken by what we may not replace (another user's leftover probe in a
        // shared folder, a link, a folder): the drive may be writable all the same.
        struct stat there {};
        return ::lstat(probe.constData(), &there) == 0 && can_create_a_file_in(Root.prefix);
    }
    if (!looked && ::fstat(fd, &st) != 0) {
        close_file(fd);
        return false;
    }
    close_file(fd);
    remove_if_ours(probe, true, st.st_dev, st.st_ino);
    return true;
}

int Drive_Letter_To_Number(const QString& DriveText) {
    if (DriveText.isEmpty())
        return 0;
    return DriveText.at(0).toLower().unicode() - 'a' + 1;
}

namespace {

long double free_space(const QString& folder) {
    struct statvfs st {};
    if (::statvfs(native(folder).constData(), &st) != 0)
        return 0;
    return static_cast<long double>(static_cast<std::uint64_t>(st.f_bavail) *
                                    static_cast<std::uint64_t>(st.f_frsize));
}

} // namespace

long double Drive_Free_Space(std::uint8_t DriveNumber) {
    QString root = QStringLiteral(".");
    if (DriveNumber > 0) {
        const auto drive = platform::find_drive(static_cast<char>('a' + DriveNumber - 1));
        if (!drive)
            return 0;
        root = drive->root;
    }
    return free_space(root);
}

long double Root_Free_Space(const Disk_Root& Root) {
    return Root.found ? free_space(Root.prefix) : 0;
}

} // namespace smx::engine
