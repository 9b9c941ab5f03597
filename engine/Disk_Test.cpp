#include "engine/Disk_Test.h"

#include "engine/Test_Failure.h"
#include "platform/Drives.h"
#include "platform/Events.h"

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

// The drive's root with its trailing slash, looked up once per pass: the drive table is read
// from the system on every lookup. A letter without a drive gets a Windows-like prefix, "x:" and
// a backslash, that only serves to name the file in a message; nothing is opened there.
QString root_prefix(char letter, bool* found = nullptr) {
    const auto drive = platform::find_drive(letter);
    if (found)
        *found = drive.has_value();
    if (!drive)
        return QString(QLatin1Char(platform::lower_drive_letter(letter))) + QStringLiteral(":\\");
    QString root = drive->root;
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return root;
}

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
        fd = ::open(path.constData(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void close_file(int fd) {
    ::close(fd); // nothing to recover from a failed close of a file we are done with
}

// One call for the whole buffer; the kernel may split a very large one (above about 2 GiB),
// so a short transfer is continued and only a call that makes no progress fails.
template <typename Buffer, typename Call>
bool transfer_all(int fd, Buffer* data, std::int64_t size, Call call) {
    while (size > 0) {
        const ssize_t n = call(fd, data, static_cast<std::size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

bool write_all(int fd, const char* data, std::int64_t size) {
    return transfer_all(fd, data, size, ::write);
}

bool read_all(int fd, char* data, std::int64_t size) {
    return transfer_all(fd, data, size, ::read);
}

bool file_exists(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// Removes what the failing test wrote, then reports.
[[noreturn]] void fail(char letter, int written, const QString& text) {
    Delete_Test_Files(written, letter);
    throw Test_Failure(text);
}

} // namespace

QString Benchmark_Temp_File_Path(char DriveLetter, int n) {
    return temp_file_path(root_prefix(DriveLetter), n);
}

QString Drive_Check_File_Path(char DriveLetter) {
    return root_prefix(DriveLetter) + QStringLiteral("$$$TEMP_DRIVE_CHECK.tmp");
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

void Write_Test_Files(int FileCount, const char* buffer, std::int64_t size, char DriveLetter) {
    // Unbuffered POSIX calls: one write or read call per file, as the test intends.
    bool found = false;
    const QString prefix = root_prefix(DriveLetter, &found);
    if (!found && FileCount > 0)
        throw Test_Failure(QStringLiteral("Cannot create file ") + temp_file_path(prefix, 1));
    for (int n = 1; n <= FileCount; ++n) {
        const QString path = temp_file_path(prefix, n);
        const int fd = open_retrying(native(path), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            fail(DriveLetter, n - 1, QStringLiteral("Cannot create file ") + path);
        const bool written = write_all(fd, buffer, size);
        close_file(fd);
        if (!written)
            fail(DriveLetter, n, QStringLiteral("Unable to write to ") + path);
    }
}

void Read_Test_Files(int FileCount, char* buffer, std::int64_t size, char DriveLetter) {
    bool found = false;
    const QString prefix = root_prefix(DriveLetter, &found);
    if (!found && FileCount > 0)
        throw Test_Failure(QStringLiteral("Cannot open file ") + temp_file_path(prefix, 1));
    for (int n = 1; n <= FileCount; ++n) {
        const QString path = temp_file_path(prefix, n);
        const int fd = open_retrying(native(path), O_RDONLY);
        if (fd < 0)
            fail(DriveLetter, FileCount, QStringLiteral("Cannot open file ") + path);
        const bool read = read_all(fd, buffer, size);
        close_file(fd);
        if (!read)
            fail(DriveLetter, FileCount, QStringLiteral("Unable to read from ") + path);
    }
}

void Delete_Test_Files(int FileCount, char DriveLetter) {
    bool found = false;
    const QString prefix = root_prefix(DriveLetter, &found);
    if (!found)
        return;
    for (int n = 1; n <= FileCount; ++n) {
        const QByteArray path = native(temp_file_path(prefix, n));
        if (file_exists(path))
            ::unlink(path.constData());
    }
}

void Disk_File_Speed_Test(int FileCount, int FileSizeBytes, char DriveLetter) {
    if (FileCount <= 0 || FileSizeBytes <= 0)
        return;
    const std::int64_t size = FileSizeBytes;
    std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(size)]);
    Fill_Test_Buffer(buffer.get(), size);
    Write_Test_Files(FileCount, buffer.get(), size, DriveLetter);
    Read_Test_Files(FileCount, buffer.get(), size, DriveLetter);
    Delete_Test_Files(FileCount, DriveLetter);
    buffer.reset();
    platform::process_messages();
}

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
    const QByteArray probe = native(Drive_Check_File_Path(letter));
    const int fd = open_retrying(probe, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    close_file(fd);
    ::unlink(probe.constData());
    return true;
}

int Drive_Letter_To_Number(const QString& DriveText) {
    if (DriveText.isEmpty())
        return 0;
    return DriveText.at(0).toLower().unicode() - 'a' + 1;
}

long double Drive_Free_Space(std::uint8_t DriveNumber) {
    QString root = QStringLiteral(".");
    if (DriveNumber > 0) {
        const auto drive = platform::find_drive(static_cast<char>('a' + DriveNumber - 1));
        if (!drive)
            return 0;
        root = drive->root;
    }
    struct statvfs st {};
    if (::statvfs(native(root).constData(), &st) != 0)
        return 0;
    return static_cast<long double>(static_cast<std::uint64_t>(st.f_bavail) *
                                    static_cast<std::uint64_t>(st.f_frsize));
}

} // namespace smx::engine
