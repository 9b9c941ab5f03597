#pragma once
#include "report/Report_Input.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace smx::report {

// The comparison table of several runs: one row per test, headed as in the results data text of
// the clipboard, one column per run, labelled by Report_Run::label(). A value is the rate in the
// heading's unit with 18 significant digits ("." as decimal point); empty where the run did not
// run the test.
struct Table {
    QStringList column_labels;       // one per run
    QStringList row_headings;        // the seven tests
    std::vector<QStringList> values; // values[row][run]
};
Table Build_Table(const std::vector<Report_Run>& runs);

// TAB-separated: a heading line (an empty first field, then the labels) and seven rows, each
// line ended by "\n". TABs and line breaks inside a label become blanks.
QString Table_Text(const Table& table);

// RFC 4180 CSV: a header row ("Test", then the labels) and seven rows; CR LF after every record;
// a field with a comma, a double quote, CR or LF is quoted, its quotes doubled.
QString Csv_Text(const Table& table);
QString Csv_Field(const QString& field);

// A run's rate of one test over the first run's; empty where either is missing or 0.
std::optional<long double> Ratio_To_First(const std::vector<Report_Run>& runs, int run, int test);

} // namespace smx::report
