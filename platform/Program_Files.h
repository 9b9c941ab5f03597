#pragma once
#include <QString>
#include <optional>

namespace smx::platform {

// Where the program's own files are. Every user of the settings file, the results database and
// the readme asks here, so they never disagree.
//
// A copy whose folder the user can write (a portable copy, a build folder) keeps its settings and
// results beside the executable. A copy in a folder the user cannot write (an installed package)
// keeps the settings in $XDG_CONFIG_HOME/speedmetrix and the results in
// $XDG_DATA_HOME/speedmetrix (defaults ~/.config and ~/.local/share), and those folders are made
// on the first write. The readme is read beside the executable when it is there, else from the
// installed documentation folder.

enum class Program_File { Settings, Results_Database, Readme };

inline constexpr char Settings_File_Name[] = "Speedmetrix.ini";
inline constexpr char Results_Database_File_Name[] = "Speedmetrix_DB.INI";

// The full path of the file for this copy of the program and this user.
QString Program_File_Path(Program_File file);

// Whether the settings and results are kept beside the executable: its folder can be written.
bool Files_Beside_Executable();

// The user's folders for an installed copy: $XDG_CONFIG_HOME/speedmetrix,
// $XDG_DATA_HOME/speedmetrix.
QString Program_Config_Dir();
QString Program_Data_Dir();

// The documentation folder of an installed copy, found from the executable's folder the way the
// install rules lay them out (<prefix>/bin and <prefix>/share/doc/speedmetrix).
QString Installed_Doc_Dir();

// The readme's file name for an executable of that name: its name up to the first "." and ".txt".
QString Readme_File_Name(const QString& executable_file_name);

// Makes `dir` when it is one of the two user folders above and is missing (mode 0700, as the
// base directory rules ask); any other folder is left alone. True when `dir` exists afterwards.
// The INI writer calls this, so the folders appear with the first file written into them.
bool Make_Program_Folder(const QString& dir);

// Whether this user can make a file in `dir`: an existing folder that may be written and
// entered, or a missing folder of the program's own (above) whose nearest existing folder may,
// since the first write makes it. Nothing is made.
bool Folder_Takes_New_Files(const QString& dir);

// Tests decide whether the executable's folder counts as writable (a root test cannot make a
// folder it cannot write); nothing restores the real check.
void set_executable_dir_writable_override(std::optional<bool> writable);

} // namespace smx::platform
