#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <sys/types.h>
#include <vector>

namespace smx::engine {

// The disk tests and the drive routines of the run driver's pre-check. A drive letter stands
// for the root folder that the platform drive table gives it.

// A drive's root folder, looked up once before a test is timed: the drive table is read from
// the system on every lookup.
struct Disk_Root {
    bool found = false;
    // The root with its trailing slash. A letter without a drive gets "x:" and a backslash,
    // which only names the file in a message; nothing is opened there.
    QString prefix;
};
Disk_Root Resolve_Disk_Root(char DriveLetter);
// A folder chosen instead of a drive: found when it is an absolute path to a folder.
Disk_Root Folder_Disk_Root(const QString& Folder);

// The temporary files of the disk test in the drive's root: "$$BENCHMARK_TEMP_<n>.tmp".
QString Benchmark_Temp_File_Path(const Disk_Root& Root, int n);
QString Benchmark_Temp_File_Path(char DriveLetter, int n);
// The probe of Temp_Drive_Check: "$$$TEMP_DRIVE_CHECK.tmp" in the drive's root.
QString Drive_Check_File_Path(char DriveLetter);

// The file content: byte k is 'A' + (k mod 26). Built by doubling copies of one alphabet.
void Fill_Test_Buffer(char* buffer, std::int64_t size);

// How long a stop may spend deleting a run's files before the rest go to a cleaner.
inline constexpr qint64 kStop_Delete_Budget_Ms = 1000;

// The temporary files of one disk test. The drive's root may be a folder that other users can
// write (such as /tmp), so nothing found at one of the fixed names is trusted: a symbolic link
// is never followed, a FIFO, socket, device or directory is never opened for transfer nor
// waited on, and only regular files of ours with one link are read back and deleted, each
// deleted only while it is the file read. A regular file of ours left behind by an interrupted
// run is overwritten like a new one. Of the status calls, the timed passes make one a file: the
// read pass's look at the open descriptor (the delete pass's look at the name is the test's own
// check that the file exists).
//
// Both passes look at platform::stop_requested() before each file; when it is set they remove
// the files written and return false. While the object lives, the files are registered for
// removal by a second termination signal (one disk test at a time).
class Disk_Test_Files {
public:
    // With `sync`, each file is flushed to the device before it is closed and its pages are
    // dropped from the page cache, so that the read pass reads the device.
    explicit Disk_Test_Files(Disk_Root root, bool sync = false);
    ~Disk_Test_Files();
    Disk_Test_Files(const Disk_Test_Files&) = delete;
    Disk_Test_Files& operator=(const Disk_Test_Files&) = delete;

    // Write pass, once: creates files 1 .. FileCount, each holding the whole buffer. Throws
    // Test_Failure "Cannot create file %s" when a name cannot be created as our own regular
    // file, "Unable to write to %s" when the buffer does not fit, after removing the files
    // written so far.
    bool Write(int FileCount, const char* buffer, std::int64_t size);
    // Read pass: reads each file written back into the buffer. Throws "Cannot open file %s"
    // when the name no longer holds a regular file of ours with one link (or, for a file the
    // write pass found there, that very file), "Unable to read from %s" when it is short, after
    // removing the files written.
    bool Read(char* buffer, std::int64_t size);
    // Delete pass: removes each file read that is still the one read (a file not read yet: a
    // regular file of ours with one link); whatever else stands at a name is left alone, and a
    // failed delete is ignored. After a stop, the names still left when the budget has passed go
    // to a detached cleaner (a regular file of ours); returns how many were handed over.
    int Delete(qint64 stop_budget_ms = kStop_Delete_Budget_Ms);

    int Written() const { return static_cast<int>(written_.size()); }
    QString Path(int n) const;

private:
    // The file at a name, once known: when the write pass found a file of ours there, or once
    // the read pass has opened it.
    struct File_Id {
        dev_t dev;
        ino_t ino;
        bool known;
    };
    [[noreturn]] void fail(const QString& text);

    Disk_Root root_;
    bool sync_ = false;
    std::vector<File_Id> written_;
};

// True for a name the disk test writes: "$$BENCHMARK_TEMP_" + n + ".tmp", n a decimal number
// from 1 without leading zeros.
bool Is_Benchmark_Temp_File_Name(const char* name);
// Removes from the drive's root the test files that runs of this program left behind (killed
// before their delete pass): every regular file of this user at such a name that no other
// process holds open. Links, other kinds of file and other users' files stay. Returns how many
// it removed. Not timed: the run does this before the start tick.
int Remove_Leftover_Test_Files(const Disk_Root& Root);

// Writes FileCount files of FileSizeBytes bytes to the drive's root, reads them all back and
// deletes them, then lets pending window messages through. Nothing happens when either count is
// not positive. A stop asked for meanwhile ends it after the current file, removing its files.
// Failures throw Test_Failure as Disk_Test_Files says, and std::bad_alloc when the buffer cannot be
// had. SyncToDevice: as Disk_Test_Files' `sync`.
void Disk_File_Speed_Test(int FileCount, int FileSizeBytes, const Disk_Root& Root,
                          bool SyncToDevice = false);
void Disk_File_Speed_Test(int FileCount, int FileSizeBytes, char DriveLetter);

// True when a file can be created in the root folder of the drive named by the first character
// of DriveText. Anything but a letter a to z is refused without touching any drive. What stands
// at the probe's name and is not a regular file of ours left behind (another user's leftover
// probe, a link, a folder) is left alone, and the folder is asked with a file of no name, or of
// a fresh name, instead: a read-only drive still reads as one, a writable one as writable.
bool Temp_Drive_Check(const QString& DriveText);
// The same probe in the root folder itself (a drive's or a chosen folder).
bool Temp_Root_Check(const Disk_Root& Root);

// 'a' (either case) gives 1, 'c' 3, 'z' 26. An empty text gives 0.
int Drive_Letter_To_Number(const QString& DriveText);

// Bytes free to the calling user on drive DriveNumber (1 = a); 0 asks about the current
// directory's filesystem. 0 when the drive is unknown or cannot be asked.
long double Drive_Free_Space(std::uint8_t DriveNumber);
// Bytes free to the calling user on the filesystem of the root; 0 when it cannot be asked.
long double Root_Free_Space(const Disk_Root& Root);

} // namespace smx::engine
