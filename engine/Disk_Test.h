#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace smx::engine {

// The disk tests and the drive routines of the run driver's pre-check. A drive letter stands
// for the root folder that the platform drive table gives it.

// The temporary files of the disk test in the drive's root: "$$BENCHMARK_TEMP_<n>.tmp".
QString Benchmark_Temp_File_Path(char DriveLetter, int n);
// The probe of Temp_Drive_Check: "$$$TEMP_DRIVE_CHECK.tmp" in the drive's root.
QString Drive_Check_File_Path(char DriveLetter);

// The file content: byte k is 'A' + (k mod 26). Built by doubling copies of one alphabet.
void Fill_Test_Buffer(char* buffer, std::int64_t size);

// Writes FileCount files of FileSizeBytes bytes to the drive's root, reads them all back and
// deletes them, then lets pending window messages through. Nothing happens when either count is
// not positive. A file that cannot be created, opened, fully written or fully read throws
// Test_Failure ("Cannot create file %s", "Cannot open file %s", "Unable to write to %s",
// "Unable to read from %s") after removing the files written so far. Throws std::bad_alloc
// when the buffer cannot be had.
void Disk_File_Speed_Test(int FileCount, int FileSizeBytes, char DriveLetter);

// The three passes of Disk_File_Speed_Test, in its order. A failing write or read pass removes
// the files written so far before it throws.
void Write_Test_Files(int FileCount, const char* buffer, std::int64_t size, char DriveLetter);
void Read_Test_Files(int FileCount, char* buffer, std::int64_t size, char DriveLetter);
// Deletes the files 1 .. FileCount that exist; a failed delete is ignored.
void Delete_Test_Files(int FileCount, char DriveLetter);

// True when a file can be created in the root folder of the drive named by the first character
// of DriveText. Anything but a letter a to z is refused without touching any drive.
bool Temp_Drive_Check(const QString& DriveText);

// 'a' (either case) gives 1, 'c' 3, 'z' 26. An empty text gives 0.
int Drive_Letter_To_Number(const QString& DriveText);

// Bytes free to the calling user on drive DriveNumber (1 = a); 0 asks about the current
// directory's filesystem. 0 when the drive is unknown or cannot be asked.
long double Drive_Free_Space(std::uint8_t DriveNumber);

} // namespace smx::engine
