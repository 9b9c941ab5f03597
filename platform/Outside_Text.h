#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

namespace smx::platform {

// The most that is read of a text file from outside the program: far more than any desktop
// entry, user-dirs.dirs, MIME list or /proc file holds.
constexpr qint64 Outside_Text_Max_Size = qint64{8} << 20;

// The bytes of a text file that the program reads besides its data files (desktop entries,
// user-dirs.dirs, the MIME lists, /proc files), under the data files' rules (Ini_Read_File): a
// regular file only, also through symbolic links, opened without blocking and read up to
// Outside_Text_Max_Size. Nothing when the file is missing, or is a FIFO, a device, a directory,
// a dangling link or larger: the caller then takes its quiet default.
std::optional<QByteArray> Read_Outside_Text_File(const QString& path);

} // namespace smx::platform
