#pragma once
#include <QString>
#include <QStringList>

namespace smx::platform {

// Shortcuts to a program: desktop entries named after the program without its extension, in
// the folders the Shell Folders key names.

// The folder names a shortcut may be put in, in this order.
const QStringList& Shell_Folder_Names();

// The shortcut file's name for a target: "/opt/sm/speedmetrix" gives "speedmetrix.desktop".
QString Shortcut_File_Name(const QString& target_path);

// Creates the shortcut in the named folder, or in its subfolder when one is given. An unknown
// folder name gets an information box; a file that cannot be written, an error box.
void Create_Shortcut(const QString& target_path, const QString& folder_name,
                     const QString& subfolder);

// Deletes the shortcut from the named folder unless another process holds it open; true when
// it was deleted. Its messages are shown only when `show_messages` is set.
bool Delete_Shortcut(const QString& target_path, const QString& folder_name, bool show_messages);

// Deletes the shortcuts from every folder of Shell_Folder_Names (subfolders are not searched),
// then, when `show_messages` is set, says whether any was found.
void Delete_All_Shortcuts(const QString& target_path, bool show_messages);

} // namespace smx::platform
