#pragma once
#include "engine/Benchmark_Results.h"

#include <QChar>
#include <QString>
#include <QStringList>

namespace smx::results {

// The line that credits the program on everything the export puts on the clipboard: under the
// graph's picture and as the last line of the data text. It ends with the product's web address.
QString Credit_Line();

// The rates as TAB-separated text with row and column headings, one line per entry: the heading
// line, seven rows in test order, the credit line. A second value column, for the comparison
// set, is there exactly when its name is not empty. Numbers carry 18 significant digits in
// scientific notation with the given decimal separator.
QStringList Results_Data_Lines(const engine::TBenchmark_Results& Main,
                               const engine::TBenchmark_Results& Compare, QChar Decimal_Separator);

// The same lines, each ended by CR LF (the last one too): the clipboard's text.
QString Results_Data_Text(const engine::TBenchmark_Results& Main,
                          const engine::TBenchmark_Results& Compare, QChar Decimal_Separator);

// The seven rows of the data text, in test order: the row heading (without its TAB), and the
// divisor from the stored rate to the unit the heading names. Row i shows rate i.
QString Results_Data_Heading(int row);
long double Results_Data_Divisor(int row);

// Joins lines as the clipboard text has them: CR LF after every line.
QString Join_Crlf_Lines(const QStringList& lines);

} // namespace smx::results
