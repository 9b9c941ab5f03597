#pragma once
#include "engine/Benchmark_Results.h"
#include "results/Result_Number.h"

#include <QString>
#include <QStringList>
#include <array>

namespace smx::results {

// The results database: one INI file beside the executable, one section per saved set, eight
// keys per section. Every routine opens the file by its path and closes it again; nothing is
// cached. These are plain functions with no window, shared by the main window and batch use.

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
// The confirmation after a save under `name`.
QString Saved_Confirmation_Message(const QString& name);

// A name written as a section header comes back from the file as the same name only when it is
// not empty, holds no "[", "]" or control character and neither begins nor ends with a blank.
bool Is_Storable_Set_Name(const QString& name);
// The information message that refuses such a name.
QString Unstorable_Name_Message();

// Writes the eight values of `results` as the section `name`, as one atomic replacement of the
// file. A refused write shows "Unable to write to <path>." and returns false. A name that could
// not be read back is refused with the information message above, and nothing is written.
bool Write_Result_Set(const QString& path, const QString& name,
                      const engine::TBenchmark_Results& results);

// The same, with any section of that name removed first, so that the set stands at the end of
// the file. Both happen in one atomic replacement of the file: an overwrite that fails or is
// interrupted leaves the old set in place.
bool Write_Result_Set_At_End(const QString& path, const QString& name,
                             const engine::TBenchmark_Results& results);

// Reads the eight keys of section `name` in key order (a missing file, section or key reads as
// 0) and stores each into `results` as it goes. At the first text that is not a number it stops,
// leaves the values read so far stored, puts the text into `bad_text` and returns false. Shows
// nothing.
bool Read_Result_Set(const QString& path, const QString& name, engine::TBenchmark_Results& results,
                     QString* bad_text = nullptr);

// The load of a set as the window does it: the seven rates become 0 (the elapsed time is kept),
// then, unless the name is empty, the section is read. A bad text shows "'<text>' is not a
// valid floating point value." and returns false. The set's name is not touched.
bool Load_Result_Set(const QString& path, const QString& name, engine::TBenchmark_Results& results);

// Names of the sections, found by scanning the file as plain text: every line whose first
// character is "[" and which is not exactly "[]" gives the line with every "[" and "]" removed.
// In file order, appended to `names` (emptied first when asked). A missing file adds nothing.
void Read_Database_Section_Names(QStringList& names, const QString& path, bool clear_first);

// Position of the first entry equal to `name` (exact, case-sensitive), or -1.
int Find_Saved_Name(const QStringList& names, const QString& name);

// Removes the section `name`. Nothing to do when the file is missing or the name is empty. A
// refused write shows "Unable to write to <path>." and returns false.
bool Erase_Database_Section(const QString& path, const QString& name);

} // namespace smx::results
