#pragma once
#include "engine/Benchmark_Results.h"
#include "engine/Run_Driver.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace smx::cli {

// The batch run's use of the settings file and the results database: the window's own routines,
// with the window's messages turned into text for standard error.

// The tests, parameters, drive and repetitions of the settings file beside the executable, with
// the values clipped to the spin edits' ranges as the window applies them. No captions. A file
// that is there but cannot be read gives the defaults and its "Cannot open file" message in
// `error` (empty otherwise).
engine::Run_Settings Read_Run_Settings(QString* error = nullptr);

// "Cannot open file <path>." when the results database is there but cannot be read (no regular
// file, no permission, too large); empty otherwise.
QString Database_Refusal();

// Why the window's Save would refuse the name, in its words; empty when it would store it.
QString Save_Name_Refusal(const QString& name);
// True when the results database has a set of exactly this name (as Save checks it).
bool Saved_Set_Exists(const QString& name);
// The stored name of the section that a save under `name` would write to: one of exactly that
// name, else the database matches section names without regard to case or surrounding blanks,
// so "SERVER 7" writes over "Server 7". Nothing when the save would add a new section.
std::optional<QString> Section_A_Save_Would_Replace(const QString& name);
// The refusal of a save over an existing set without --overwrite; `stored_name` as stored.
QString Save_Name_Exists_Message(const QString& stored_name);
// Why the results database could not take a save, in the words of a refused write ("Unable to
// write to <path>."): not writable, or no text in the program's encoding; empty when it can (as
// far as can be told before writing).
QString Database_Write_Refusal();

// Saves `results` under `name` through the window's Save command, answering its name box with
// `name` and its overwrite question with `overwrite`. `messages` receives every message the
// command gave (the confirmation, or why it stopped). True when the set was stored.
bool Save_Set(const QString& name, bool overwrite, const engine::TBenchmark_Results& results,
              QStringList& messages);

// The saved set of this name, matched as a save matches it (case and surrounding blanks aside),
// under its stored name; nothing, with the reason in `error`, when there is no such set or a value
// in it is not a number.
std::optional<engine::TBenchmark_Results> Load_Compare_Set(const QString& name, QString& error);

} // namespace smx::cli
