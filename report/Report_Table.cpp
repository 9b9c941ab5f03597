#include "report/Report_Table.h"

#include "results/Result_Number.h"
#include "results/Results_Export.h"

#include <cmath>
#include <cstdlib>

namespace smx::report {
namespace {

QString one_line(QString text) {
    for (QChar& c : text)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

// The stored text in the heading's unit. The divisors are powers of ten, so only the exponent
// changes and the digits stay those the results database holds.
QString in_heading_unit(const QString& stored, int row) {
    const int shift = qRound(std::log10(static_cast<double>(results::Results_Data_Divisor(row))));
    const qsizetype e = stored.indexOf(QLatin1Char('E'));
    bool ok = false;
    const int exponent = e < 0 ? 0 : stored.mid(e + 1).toInt(&ok);
    long double value = 0;
    if (!ok || !results::Parse_Result_Number(stored, value))
        return stored;
    if (value == 0 || shift == 0)
        return stored;
    const int n = exponent - shift;
    return stored.left(e + 1) + QLatin1Char(n < 0 ? '-' : '+') + QString::number(std::abs(n));
}

} // namespace

Table Build_Table(const std::vector<Report_Run>& runs) {
    Table table;
    for (const Report_Run& run : runs)
        table.column_labels << run.label();
    for (int row = 0; row < Test_Count; ++row) {
        table.row_headings << results::Results_Data_Heading(row);
        QStringList values;
        for (const Report_Run& run : runs) {
            const auto& rate = run.rates[static_cast<std::size_t>(row)];
            const QString& stored = run.rate_texts[static_cast<std::size_t>(row)];
            if (!rate)
                values << QString();
            else if (!stored.isEmpty())
                values << in_heading_unit(stored, row);
            else
                values << results::Format_Result_Number(*rate / results::Results_Data_Divisor(row));
        }
        table.values.push_back(values);
    }
    return table;
}

QString Table_Text(const Table& table) {
    QString text;
    for (const QString& label : table.column_labels)
        text += QLatin1Char('\t') + one_line(label);
    text += QLatin1Char('\n');
    for (int row = 0; row < table.row_headings.size(); ++row) {
        text += table.row_headings[row];
        for (const QString& value : table.values[static_cast<std::size_t>(row)])
            text += QLatin1Char('\t') + value;
        text += QLatin1Char('\n');
    }
    return text;
}

QString Csv_Field(const QString& field) {
    const bool quoted = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                        field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n'));
    if (!quoted)
        return field;
    QString doubled = field;
    doubled.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QString Csv_Text(const Table& table) {
    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("Test");
    for (const QString& label : table.column_labels)
        text += QLatin1Char(',') + Csv_Field(label);
    text += crlf;
    for (int row = 0; row < table.row_headings.size(); ++row) {
        text += Csv_Field(table.row_headings[row]);
        for (const QString& value : table.values[static_cast<std::size_t>(row)])
            text += QLatin1Char(',') + Csv_Field(value);
        text += crlf;
    }
    return text;
}

std::optional<long double> Ratio_To_First(const std::vector<Report_Run>& runs, int run, int test) {
    if (runs.empty() || run < 0 || static_cast<std::size_t>(run) >= runs.size())
        return std::nullopt;
    const auto& first = runs.front().rates[static_cast<std::size_t>(test)];
    const auto& mine = runs[static_cast<std::size_t>(run)].rates[static_cast<std::size_t>(test)];
    if (!first || !mine || *first == 0 || *mine == 0)
        return std::nullopt;
    return *mine / *first;
}

} // namespace smx::report
