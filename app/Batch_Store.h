#pragma once
#include "engine/Benchmark_Results.h"
#include "engine/Run_Driver.h"

#include <QString>
#include <optional>

namespace smx::app::batch {

// The batch run's use of the settings file, the results database and the results text: the same
// routines as the window's, with the window's messages turned into text for standard error.

// The tests, parameters, drive and repetitions of the settings file beside the executable, with
// the values clipped to the spin edits' ranges as the window applies them. No captions.
engine::Run_Settings Read_Run_Settings();

// Why a save name is not allowed, as the window's Save says it; empty when it is allowed.
QString Save_Name_Refusal(const QString& name);
// True when the results database has a set of exactly this name.
bool Saved_Set_Exists(const QString& name);
// The refusal of a save over an existing set without --overwrite.
QString Save_Name_Exists_Message(const QString& name);
// Writes the set under the name as the window's Save does: an existing section (only with
// `overwrite`) is erased first, so the new one stands at the end of the file. False with the
// error's text when the database refused the write.
bool Save_Set(const QString& name, bool overwrite, const engine::TBenchmark_Results& results,
              QString& error);
// The confirmation the window shows after a save.
QString Saved_Message(const QString& name);
// The saved set of exactly this name; nothing, with the error's text, when there is none or a
// value in it is not a number.
std::optional<engine::TBenchmark_Results> Load_Compare_Set(const QString& name, QString& error);

// The TAB-separated text of "Copy Results Data to Windows Clipboard", with the user's decimal
// separator.
QString Results_Text(const engine::TBenchmark_Results& main_results,
                     const std::optional<engine::TBenchmark_Results>& compare_results);

} // namespace smx::app::batch
