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

// `speedmetrix --help` and `speedmetrix --version`; 8 when standard output cannot be written.
int Print_Help();
int Print_Version();

// An argument the program does not take (Argument_Error): the message on standard error with a
// pointer to --help; returns 2.
int Argument_Error_Exit(const QString& error);

} // namespace smx::cli
