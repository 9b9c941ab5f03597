#pragma once
#include <QString>

namespace smx::platform {

// The freedesktop locations the desktop integration works in. Each is read from the environment
// at every call (HOME, XDG_CONFIG_HOME, XDG_DATA_HOME), so tests can point them elsewhere.

QString Home_Dir();
// $XDG_CONFIG_HOME, or ~/.config when it is unset, empty or not absolute.
QString Config_Home();
// $XDG_DATA_HOME, or ~/.local/share when it is unset, empty or not absolute.
QString Data_Home();
// Programs started when the user logs in.
QString Autostart_Dir();
// XDG_DESKTOP_DIR from user-dirs.dirs, or ~/Desktop.
QString Desktop_Dir();
// The applications menu.
QString Applications_Dir();
// The file manager's "Send To" menu (Thunar reads desktop entries from here).
QString Send_To_Dir();

// The desktop folder named by the text of a user-dirs.dirs file, or empty when it names none.
QString Desktop_Dir_From_User_Dirs(const QString& text, const QString& home);

} // namespace smx::platform
