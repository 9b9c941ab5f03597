#pragma once
#include <QStringList>

namespace smx::cli {

// `speedmetrix --batch ...`: runs the tests without a window through the run driver, prints the
// results on standard output and everything else on standard error, and returns the exit code
// (Batch_Options.h). Creates its own QApplication, on the offscreen platform when there is no
// display.
int Run_Batch(int argc, char** argv, const QStringList& arguments);

// `speedmetrix --list-drives`: one line per drive, letter, folder and label, TAB-separated.
int Print_Drive_List();

// `speedmetrix --help`.
int Print_Help();

} // namespace smx::cli
