#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace smx::platform {

// Freedesktop desktop entries (".desktop" files) that start one program with no arguments: the
// form both the autostart entry and the shortcuts take.

// The Exec value, as stored in the file, that runs `program` as one argument, whatever
// characters its path holds (blanks, quotes, "%", "$", backslashes, line breaks).
QString Exec_Value_For(const QString& program);
// The arguments of a stored Exec value; field codes such as %f are left out. Nothing when the
// quoting is broken.
std::optional<QStringList> Split_Exec_Value(const QString& stored_value);

// The command that opens `file` with a stored Exec value: the first file field code (%f, %F, %u,
// %U) becomes the file as one argument, the other field codes are left out, and with no file
// code the file comes last. Nothing when the quoting is broken or there is no program.
std::optional<QStringList> Exec_Command_For_File(const QString& stored_value, const QString& file);

// The whole text of an application entry called `name` that runs `program`, with the program's
// comment, icon and menu categories.
QString Desktop_Entry_Text(const QString& name, const QString& program);

// The keys of the file's "Desktop Entry" group with their stored values; nothing when the file
// cannot be read or has no such group.
std::optional<QHash<QString, QString>> Read_Desktop_Entry(const QString& path);

// The program an entry file starts: its single Exec argument, or the whole command when it has
// more than one. Empty when there is no file, no Exec, or the entry is switched off.
QString Desktop_Entry_Program(const QString& path);

// Replaces the file atomically; with `executable` the file gets its execute bits, which file
// managers want before they run a launcher. False when it could not be written.
bool Write_Desktop_Entry(const QString& path, const QString& text, bool executable);

} // namespace smx::platform
