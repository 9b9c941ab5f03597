#pragma once
#include "engine/Benchmark_Results.h"
#include "platform/Ini_File.h"
#include "results/Result_Number.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace smx::results {

// The results database: one INI file beside the executable, one section per saved set, eight
// keys per section. Every routine opens the file by its path and closes it again; nothing is
// cached. These are plain functions with no window, shared by the main window and batch use.
// A command reads the file once (platform::Ini_File) and hands the document to the routines
// that take one; the routines that take a path read it themselves.

QString Database_File_Name(); // "Speedmetrix_DB.INI"
QString Database_Path();      // where platform/Program_Files.h puts it

// The eight keys of a set, in the order they are written.
inline constexpr int Result_Key_Count = 8;
const std::array<QString, Result_Key_Count>& Result_Key_Names();
// The set's value for key `index` of Result_Key_Names().
long double& Result_Value(engine::TBenchmark_Results& results, int index);
long double Result_Value(const engine::TBenchmark_Results& results, int index);

// The messages of the database, without the full stop the general error report appends.
QString Invalid_Number_Message(const QString& text);
QString Unable_To_Write_Message(const QString& path);
QString Cannot_Open_Message(const QString& path);
// The text as a message shows it: NUL and the other control characters in C escape notation.
QString Printable_Text(const QString& text);
// The confirmation after a save under `name`.
QString Saved_Confirmation_Message(const QString& name);

// A name written as a section header comes back from the file as the same name only when it is
// not empty, holds no "[", "]" or control character and neither begins nor ends with a blank.
bool Is_Storable_Set_Name(const QString& name);
// The information message that refuses such a name.
QString Unstorable_Name_Message();
// A section's name as the file's reader gives it (from the header's first "[" to its last "]")
// reads back the same from the header "[" + name + "]" under the same rule without the
// brackets: a hand-edited "[x]y]" is rewritten as the set "x]y".
bool Is_Rewritable_Section_Name(const QString& name);
// The information message of Replace for a section whose name could not be written back.
QString Unrewritable_Section_Message(const QString& name);

// The section that holds the set of `name`: of the sections named exactly so (letter case
// included), the last, since an overwrite adds the new set at the end; without one, the first
// whose name matches without regard to case, as the profile functions find it. Loads,
// comparisons and saves of a name all use it, so a name reads what was last saved under it.
// Nothing when there is no exact one (the profile functions' rule then holds).
std::optional<platform::Ini_Document::Exact_Section>
Exact_Set_Section(const platform::Ini_Document& document, const QString& name);

// Writes the eight values of `results` as the section `name`, as one atomic replacement of the
// file. A refused write shows "Unable to write to <path>." and returns false. A name that could
// not be read back is refused with the information message above, and nothing is written.
bool Write_Result_Set(const QString& path, const QString& name,
                      const engine::TBenchmark_Results& results);

// The same write into a document read for a command, which the command then writes back; and
// the overwrite: Put_Result_Set_At_End removes exactly the section `replaced` (nothing when none
// is given) and adds the set as a new section at the end, so that it stands there. False when
// the name cannot be stored (Put_Result_Set_At_End: rewritten); shows nothing.
bool Put_Result_Set(platform::Ini_Document& document, const QString& name,
                    const engine::TBenchmark_Results& results);
bool Put_Result_Set_At_End(platform::Ini_Document& document, const QString& name,
                           const std::optional<platform::Ini_Document::Exact_Section>& replaced,
                           const engine::TBenchmark_Results& results);

// Reads the eight keys of section `name` in key order (a missing file, section or key reads as
// 0) and stores each into `results` as it goes. At the first text that is not a number it stops,
// leaves the values read so far stored, puts the text into `bad_text` and returns false. Shows
// nothing.
bool Read_Result_Set(const QString& path, const QString& name, engine::TBenchmark_Results& results,
                     QString* bad_text = nullptr);
bool Read_Result_Set(const platform::Ini_Document& document, const QString& name,
                     engine::TBenchmark_Results& results, QString* bad_text = nullptr);

// The load of a set as the window does it: the seven rates become 0 (the elapsed time is kept),
// then, unless the name is empty, the section is read. A bad text shows "'<text>' is not a
// valid floating point value." and returns false. The set's name is not touched.
// A file that is there but cannot be read shows "Cannot open file <path>." and returns false.
bool Load_Result_Set(const QString& path, const QString& name, engine::TBenchmark_Results& results);
bool Load_Result_Set(const platform::Ini_Document& document, const QString& name,
                     engine::TBenchmark_Results& results);

// Names of the sections, found by scanning the file as plain text: every line whose first
// character is "[" and which is not exactly "[]" gives the line with every "[" and "]" removed.
// In file order, appended to `names` (emptied first when asked). A missing file adds nothing.
// A leading UTF-8 byte-order mark is no part of the first line. A file that is no regular file
// adds nothing.
void Read_Database_Section_Names(QStringList& names, const QString& path, bool clear_first);
// The same scan of a content already read.
void Scan_Database_Section_Names(QStringList& names, const QByteArray& content);

// Position of the first entry equal to `name` (exact, case-sensitive), or -1.
int Find_Saved_Name(const QStringList& names, const QString& name);

// Removes the section `name`: the first whose name is exactly `name` (letter case included),
// and no other. Nothing to do when the file is missing or the name is empty. A refused write
// shows "Unable to write to <path>." and returns false.
bool Erase_Database_Section(const QString& path, const QString& name);

} // namespace smx::results
