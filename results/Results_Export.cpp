#include "results/Results_Export.h"

#include "platform/Product.h"
#include "results/Results_Database.h"

#include <array>

namespace smx::results {
namespace {

struct Data_Row {
    const char* heading; // with its TAB
    int rate_index;      // in test order
    long double divisor; // from the stored unit to the one the heading names
};

// The first heading says "sec" in lower case; spreadsheets built on the pasted text rely on the
// headings staying exactly as they always were.
constexpr std::array<Data_Row, engine::TBenchmark_Results::Rate_Count> Data_Rows{{
    {"Integer (MIops/sec)\t", 0, 1000000.0L},
    {"Float (MFops/Sec)\t", 1, 1000000.0L},
    {"Memory (MB/Sec)\t", 2, 1.0L},
    {"Sm Files (KB/Sec)\t", 3, 1.0L},
    {"Lg Files (KB/Sec)\t", 4, 1.0L},
    {"Windows (Ctrls/Sec)\t", 5, 1.0L},
    {"Graphics (KPix/Sec)\t", 6, 1000.0L},
}};

QString number(long double value, QChar decimal_separator) {
    // The stored form always has exactly one "." and no grouping, so swapping it is enough.
    QString text = Format_Result_Number(value);
    const int dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        text[dot] = decimal_separator;
    return text;
}

} // namespace

QString Credit_Line() {
    return QStringLiteral("Courtesy of : Windows PC Speedmetrix v1.3f          WEB Page : ") +
           QLatin1String(platform::Product_Web_Address);
}

QStringList Results_Data_Lines(const engine::TBenchmark_Results& Main,
                               const engine::TBenchmark_Results& Compare, QChar Decimal_Separator) {
    // Only the name decides: a comparison set of zeros still gets its column.
    const bool with_compare = !Compare.Name.isEmpty();
    const QChar tab = QLatin1Char('\t');
    QStringList lines;
    QString heading = tab + Main.Name;
    if (with_compare)
        heading += tab + Compare.Name;
    lines.append(heading);
    for (const Data_Row& row : Data_Rows) {
        QString line = QLatin1String(row.heading) +
                       number(Main.rate(row.rate_index) / row.divisor, Decimal_Separator);
        if (with_compare)
            line += tab + number(Compare.rate(row.rate_index) / row.divisor, Decimal_Separator);
        lines.append(line);
    }
    lines.append(Credit_Line());
    return lines;
}

QString Results_Data_Heading(int row) {
    const QString heading = QLatin1String(Data_Rows.at(static_cast<std::size_t>(row)).heading);
    return heading.left(heading.size() - 1);
}

long double Results_Data_Divisor(int row) {
    return Data_Rows.at(static_cast<std::size_t>(row)).divisor;
}

QString Join_Crlf_Lines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

QString Results_Data_Text(const engine::TBenchmark_Results& Main,
                          const engine::TBenchmark_Results& Compare, QChar Decimal_Separator) {
    return Join_Crlf_Lines(Results_Data_Lines(Main, Compare, Decimal_Separator));
}

} // namespace smx::results
