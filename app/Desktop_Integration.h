#pragma once
#include <QString>

namespace smx::app::desktop {

// The auto-run entry and the readme, for the executable at `exe_path`. Each routine shows its
// own messages; the caller changes a menu tick only after one returns true.

// Enters the executable in the programs started at log-in and confirms it.
bool Auto_Run_Enable(const QString& exe_path);
// Removes that entry and confirms it.
bool Auto_Run_Disable(const QString& exe_path);
// True when there is an entry for the executable. When it names another path the user is asked
// whether to point it here; the answer does not change the result.
bool Auto_Run_Check_Location(const QString& exe_path);

// The readme beside the executable: its file name up to the first "." followed by ".txt".
QString Readme_Path(const QString& exe_path);

// The text of the question asked when the entry names another path.
QString Auto_Run_Location_Question(const QString& file_name, const QString& stored,
                                   const QString& current);

} // namespace smx::app::desktop
