#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace smx::report {

// `speedmetrix --report FILE... [--html FILE] [--csv FILE]`.
struct Report_Options {
    QStringList inputs; // the JSON files, in the order given: the runs' order
    std::optional<QString> html;
    std::optional<QString> csv;
};

struct Parsed_Report_Options {
    std::optional<Report_Options> options; // empty when `error` says what is wrong
    QString error;
};

// True when the arguments (program name excluded) ask for a report.
bool Wants_Report(const QStringList& arguments);

// Parses the arguments of a report ("--report" among them). "--html FILE" and "--csv FILE" may
// also be written "--html=FILE"; every other argument is an input file, and after "--" every
// argument is one, even when it starts with "--".
Parsed_Report_Options Parse_Report_Arguments(const QStringList& arguments);

} // namespace smx::report
