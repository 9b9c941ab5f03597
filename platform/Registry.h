#pragma once
#include <QString>
#include <QStringList>

namespace smx::platform {

// The registry routines, over the freedesktop places that stand in for the two keys the
// program uses:
// - the Run key: the autostart folder. A value named N with data D is the entry "N.desktop"
//   there, whose Exec runs D; reading N gives D back; deleting N removes the file. The key
//   exists when the user's configuration folder exists; the autostart folder is made on the
//   first write.
// - the Shell Folders key: read-only; "Desktop", "Start Menu" and "SendTo" give the desktop
//   folder, the applications menu folder and the file manager's "Send To" folder.
// Any other key does not exist. Key paths match without regard to case or a leading backslash.

enum class Root_Key { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

inline const QString Run_Key =
    QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
inline const QString Shell_Folders_Key =
    QStringLiteral("\\Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");

// Writes the value, reads it back and compares. False, after an error box, when the key is
// missing, the value reads back different or it could not be written at all.
bool Registry_Write_String(Root_Key root, const QString& key, const QString& name,
                           const QString& value);
// Deletes the value. False, after an error box, when the key is missing or the value is still
// there afterwards; a value that was not there is gone, so that is true.
bool Registry_Delete_Value(Root_Key root, const QString& key, const QString& name);
// The value's text, or empty when the key or the value is missing. Shows nothing.
QString Registry_Read_String(Root_Key root, const QString& key, const QString& name);

// The autostart file that holds the Run value `name`.
QString Run_Value_File(const QString& name);

} // namespace smx::platform
