#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace smx::platform {

// Small file and text routines shared by the settings, the results database, the shortcuts and
// the viewers. They keep no state and show messages only where said.

// "OPEN" when another process holds the file open, "CLOSED" when it does not, "NOT FOUND" when
// its folder cannot be reached, "ERROR" for any other failure, "" for no path or no such file.
QString Get_File_Open_State(const QString& path);

// Sets the file's attributes to exactly the flags given and reports whether they read back so.
bool Set_File_Attributes(const QString& path, bool read_only, bool archive, bool system,
                         bool hidden);

// Deletes the file only when no process holds it open; true when it is gone.
bool Delete_File_If_Closed(const QString& path);

// Deletes, in `folder` itself, each regular file of this user whose name `matches` accepts and
// that no other process holds open (as Get_File_Open_State tells, with one look at the other
// processes for all the files). Links and anything else at such a name stay. Returns how many
// files it deleted.
int Delete_Closed_Files_In(const QString& folder,
                           const std::function<bool(const char* name)>& matches);

// Replaces every occurrence of `search` by `replacement`; always terminates, also when the
// replacement contains the search text.
QString Replace_All_Text(QString text, const QString& search, const QString& replacement);

// The file name of the path without its extension: "/a/my.bench.exe" gives "my.bench".
QString File_Name_Without_Extension(const QString& path);

// Opens the file in the desktop's text editor, detached: the first known editor on PATH, else the
// desktop's default application for plain text. Messages when neither is found or no path is
// given.
void View_File_With_Notepad(const QString& path);

} // namespace smx::platform
