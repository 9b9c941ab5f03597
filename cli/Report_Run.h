#pragma once
#include <QStringList>

namespace smx::cli {

// `speedmetrix --report FILE... [--html FILE] [--csv FILE]`: reads the JSON of batch runs and
// prints their comparison table on standard output, optionally also as an HTML page and as CSV.
// Reads every input before it writes anything; a file it refuses is named on standard error and
// nothing is written. Returns the exit code (Batch_Options.h): 0, 2 for a bad option or input,
// 8 when an output cannot be written.
int Run_Report(const QStringList& arguments);

} // namespace smx::cli
