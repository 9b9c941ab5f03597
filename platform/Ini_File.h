#pragma once
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace smx::platform {

// INI files read and written key by key, with the behaviour of the classic profile-file
// functions that the program's data files rely on. Every call opens the file by its path, does
// its work and closes it again; nothing is cached. Every write replaces the whole file
// atomically (a uniquely named temporary file in the same directory, flushed, renamed over), so
// a crash or a full disk never leaves a damaged file, and a refused write returns false.

using Ini_Key_Values = std::vector<std::pair<QString, QString>>;

// The value of `key` in `section` (names matched without regard to case), or `default_value`
// when the file, the section or the key is missing. Values are read through a 2047-character
// window.
QString Ini_Read_String(const QString& path, const QString& section, const QString& key,
                        const QString& default_value);

// Every section name, in file order; empty when the file is missing.
QStringList Ini_Read_Section_Names(const QString& path);

// Every key of one section with its value, in file order (first of duplicates wins).
Ini_Key_Values Ini_Read_Section(const QString& path, const QString& section);

// Writes one key: replaced in place, or added at the end of its section, or a new section added
// at the end of the file; a missing file is created. False when the write was refused.
bool Ini_Write_String(const QString& path, const QString& section, const QString& key,
                      const QString& value);

// Writes several keys of one section, in order, as one atomic replacement of the file.
bool Ini_Write_Strings(const QString& path, const QString& section, const Ini_Key_Values& keys);

// Removes a section: its header and all of its keys. A missing file or section is nothing to do
// and returns true; false when the write was refused.
bool Ini_Erase_Section(const QString& path, const QString& section);

} // namespace smx::platform
