#include "cli/Report_Run.h"

#include "cli/Batch_Options.h"
#include "report/Report_Html.h"
#include "report/Report_Input.h"
#include "report/Report_Options.h"
#include "report/Report_Table.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <cstdio>
#include <vector>

namespace smx::cli {
namespace {

void say(const QString& text) {
    std::fputs((QStringLiteral("speedmetrix: ") + text + QLatin1Char('\n')).toLocal8Bit(), stderr);
    std::fflush(stderr);
}

// Replaces the file only once the whole text is written.
bool write_file(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        say(QStringLiteral("%1: cannot be written (%2)").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int Run_Report(const QStringList& arguments) {
    const report::Parsed_Report_Options parsed = report::Parse_Report_Arguments(arguments);
    if (!parsed.options) {
        say(parsed.error);
        std::fputs("Try 'speedmetrix --help' for more information.\n", stderr);
        return Exit_Bad_Usage;
    }
    const report::Report_Options& options = *parsed.options;

    // Every input is read and judged before anything is written.
    std::vector<report::Report_Run> runs;
    runs.reserve(static_cast<std::size_t>(options.inputs.size()));
    bool refused = false;
    for (const QString& path : options.inputs) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            say(QStringLiteral("%1: cannot be read (%2)").arg(path, file.errorString()));
            refused = true;
            continue;
        }
        const report::Read_Result read = report::Read_Run(file.readAll(), path);
        if (!read.run) {
            say(path + QStringLiteral(": ") + read.error);
            refused = true;
            continue;
        }
        runs.push_back(*read.run);
    }
    if (refused) {
        say(QStringLiteral("no report written."));
        return Exit_Bad_Usage;
    }

    const report::Table table = report::Build_Table(runs);
    if (options.html && !write_file(*options.html, report::Report_Html(runs, QLocale()).toUtf8()))
        return Exit_Output_Failed;
    if (options.csv && !write_file(*options.csv, report::Csv_Text(table).toUtf8()))
        return Exit_Output_Failed;
    const QByteArray out = report::Table_Text(table).toUtf8();
    if (std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout) !=
            static_cast<std::size_t>(out.size()) ||
        std::fflush(stdout) != 0) {
        say(QStringLiteral("the report could not be written to standard output."));
        return Exit_Output_Failed;
    }
    return Exit_Ok;
}

} // namespace smx::cli
