#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace smx::platform {

// The desktop's default application for a kind of file, found by the freedesktop rules for
// MIME applications that xdg-open and gio open follow: the user's, the desktop's and the
// system's mimeapps.list files (each first for the current desktop), then the older
// defaults.list, then the associations that installed programs announce (mimeinfo.cache).
// Folders come from XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS and
// XDG_CURRENT_DESKTOP, read at every call.

// The full path of the default application's desktop entry for the MIME type, or empty when
// there is none that can be started here: an entry that is hidden, not an application, meant
// for a terminal, or whose program is not on PATH is passed over for the next one.
QString Default_Application_Entry(const QString& mime_type);

// Only a default chosen in the mimeapps.list files (the user's own first) or defaults.list, not
// the associations that installed programs announce. Empty when there is none.
QString Chosen_Default_Application_Entry(const QString& mime_type);

// The command (program first) that opens `file` with that entry, or nothing.
std::optional<QStringList> Default_Application_Command(const QString& mime_type,
                                                       const QString& file);
// The same with a desktop entry's full path.
std::optional<QStringList> Application_Command(const QString& entry, const QString& file);

} // namespace smx::platform
