#include "platform/Product.h"
#include "results/Results_Export.h"

#include <gtest/gtest.h>

using smx::engine::TBenchmark_Results;
using smx::results::Credit_Line;
using smx::results::Results_Data_Text;

namespace {

TBenchmark_Results set(const char* name, std::array<long double, 7> rates,
                       long double elapsed = 0) {
    TBenchmark_Results r;
    r.Name = QString::fromUtf8(name);
    for (int i = 0; i < 7; ++i)
        r.rate(i) = rates[static_cast<std::size_t>(i)];
    r.Elapsed_Time_MSec = elapsed;
    return r;
}

std::string bytes(const QString& s) {
    return s.toStdString();
}

} // namespace

TEST(Results_Export, CreditLineEndsWithTheProductsWebAddress) {
    EXPECT_EQ(bytes(Credit_Line()),
              std::string("Courtesy of : Windows PC Speedmetrix v1.3f          WEB Page : ") +
                  smx::platform::Product_Web_Address);
}

TEST(Results_Export, OneValueColumnWithoutAComparisonSet) {
    // Rates in the record's own units: the text shows millions, kilopixels and plain units.
    const auto main = set("This PC", {123400000, 0.5L, 1234.5L, 0, 51200, 800, 4567000}, 15234);
    const std::string expected = "\tThis PC\r\n"
                                 "Integer (MIops/sec)\t1.23400000000000000E+2\r\n"
                                 "Float (MFops/Sec)\t5.00000000000000000E-7\r\n"
                                 "Memory (MB/Sec)\t1.23450000000000000E+3\r\n"
                                 "Sm Files (KB/Sec)\t0.00000000000000000E+0\r\n"
                                 "Lg Files (KB/Sec)\t5.12000000000000000E+4\r\n"
                                 "Windows (Ctrls/Sec)\t8.00000000000000000E+2\r\n"
                                 "Graphics (KPix/Sec)\t4.56700000000000000E+3\r\n" +
                                 bytes(Credit_Line()) + "\r\n";
    EXPECT_EQ(bytes(Results_Data_Text(main, TBenchmark_Results{}, QLatin1Char('.'))), expected);
    // Values without a name are not a comparison set.
    const auto nameless = set("", {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(bytes(Results_Data_Text(main, nameless, QLatin1Char('.'))), expected);
}

TEST(Results_Export, TwoValueColumnsWhenTheComparisonSetHasAName) {
    const auto main =
        set("This PC", {123400000, 192000000, 915.52734375L, 1000, 51200, 800, 4567000});
    // Named but all zero (a set whose keys are missing) still gets its column.
    const auto office = set("Office PC", {98700000, 0, 0, 0, 0, 0, 3210000});
    const std::string expected =
        "\tThis PC\tOffice PC\r\n"
        "Integer (MIops/sec)\t1.23400000000000000E+2\t9.87000000000000000E+1\r\n"
        "Float (MFops/Sec)\t1.92000000000000000E+2\t0.00000000000000000E+0\r\n"
        "Memory (MB/Sec)\t9.15527343750000000E+2\t0.00000000000000000E+0\r\n"
        "Sm Files (KB/Sec)\t1.00000000000000000E+3\t0.00000000000000000E+0\r\n"
        "Lg Files (KB/Sec)\t5.12000000000000000E+4\t0.00000000000000000E+0\r\n"
        "Windows (Ctrls/Sec)\t8.00000000000000000E+2\t0.00000000000000000E+0\r\n"
        "Graphics (KPix/Sec)\t4.56700000000000000E+3\t3.21000000000000000E+3\r\n" +
        bytes(Credit_Line()) + "\r\n";
    EXPECT_EQ(bytes(Results_Data_Text(main, office, QLatin1Char('.'))), expected);
}

TEST(Results_Export, UsesTheUsersDecimalSeparatorAndOnlyInNumbers) {
    // A name with a dot keeps it; only the numbers follow the user's separator.
    const auto main = set("Box v1.2", {123400000, 0, 0, 0, 0, 0, -2500});
    const auto other = set("Other", {0, 0, 0, 0, 0, 0, 0.0125L});
    const QStringList lines = smx::results::Results_Data_Lines(main, other, QLatin1Char(','));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("\tBox v1.2\tOther"));
    EXPECT_EQ(lines[1], QStringLiteral(
                            "Integer (MIops/sec)\t1,23400000000000000E+2\t0,00000000000000000E+0"));
    EXPECT_EQ(
        lines[7],
        QStringLiteral("Graphics (KPix/Sec)\t-2,50000000000000000E+0\t1,25000000000000000E-5"));
    EXPECT_EQ(lines[8], Credit_Line());
}
