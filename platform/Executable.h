#pragma once
#include <QString>

namespace smx::platform {

// Full path of the running executable (from /proc/self/exe).
QString executable_path();
// Directory holding the executable, without a trailing slash. The program's own files live here.
QString executable_dir();
// File name of the executable, without directory.
QString executable_file_name();

// Tests redirect the executable path in-process; an empty string restores the real one.
void set_executable_path_override(const QString& path);

} // namespace smx::platform
