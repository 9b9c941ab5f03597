#include "graph/Chart.h"
#include "graph/Graph_Geometry.h"
#include "graph/Result_Rows.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <vector>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace smx::graph {
namespace {

constexpr long double kInf = std::numeric_limits<long double>::infinity();
constexpr long double kNan = std::numeric_limits<long double>::quiet_NaN();

struct Fraction_Case {
    long double value;
    long double axis_max;
    double expected;
    friend void PrintTo(const Fraction_Case& c, std::ostream* os) {
        *os << double(c.value) << " of " << double(c.axis_max);
    }
};

class Log_Axis : public ::testing::TestWithParam<Fraction_Case> {};

TEST_P(Log_Axis, PlacesValueByItsLogarithmRelativeToTheMaximum) {
    const auto& c = GetParam();
    EXPECT_NEAR(log_axis_fraction(c.value, c.axis_max), c.expected, 1e-12)
        << "value " << double(c.value) << " max " << double(c.axis_max);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Log_Axis,
    ::testing::Values(Fraction_Case{1000, 1000, 1}, Fraction_Case{10, 1000, 1.0 / 3},
                      Fraction_Case{100, 1e6L, 1.0 / 3}, Fraction_Case{2, 4, 0.5},
                      Fraction_Case{1.5, 2.25, 0.5},
                      // The scale starts at 1: that value, and anything below, has no bar.
                      Fraction_Case{1, 1000, 0}, Fraction_Case{0.4L, 1000, 0},
                      Fraction_Case{0, 1000, 0}, Fraction_Case{-50, 1000, 0},
                      // No value above 1: the scale has no extent.
                      Fraction_Case{1, 1, 0}, Fraction_Case{0.5L, 0.9L, 0}, Fraction_Case{0, 0, 0},
                      // Nothing that is not a number reaches the plot.
                      Fraction_Case{kNan, 1000, 0}, Fraction_Case{10, kInf, 0},
                      Fraction_Case{kInf, 1000, 0}));

TEST(Axis, MaximumIsTheGreatestFiniteValue) {
    EXPECT_EQ(axis_maximum(std::vector<long double>{}), 0);
    EXPECT_EQ(axis_maximum(std::vector<long double>{3, 70, 12}), 70);
    EXPECT_EQ(axis_maximum(std::vector<long double>{-5, -2}), -2);
    EXPECT_EQ(axis_maximum(std::vector<long double>{kInf, 8, kNan}), 8);
}

TEST(Axis, BarLengthIsProportionalToTheLogarithm) {
    EXPECT_EQ(bar_length(1e6L, 1e6L, 300), 300);
    EXPECT_EQ(bar_length(1000, 1e6L, 300), 150);
    EXPECT_EQ(bar_length(10, 1e6L, 300), 50);
    EXPECT_EQ(bar_length(0.5L, 1e6L, 300), 0);
    EXPECT_EQ(bar_length(1000, 1e6L, 0), 0);
    EXPECT_EQ(bar_length(1000, 1e6L, -20), 0);
    EXPECT_EQ(bar_length(250, 1000, 400, /*logarithmic=*/false), 100);
}

TEST(Rows, OuterBarsTouchThePlotEdgesAndEachBarIsItsShareOfARow) {
    const double h = 350;
    const Row_Layout rl = row_layout(h, 7, 2, 35);
    EXPECT_DOUBLE_EQ(rl.bar_thickness, 0.35 * h / 7);
    EXPECT_DOUBLE_EQ(bar_top(rl, 20, 0, 0), 20);                        // top row's red bar
    EXPECT_DOUBLE_EQ(bar_top(rl, 20, 6, 1) + rl.bar_thickness, 20 + h); // bottom row's lime bar
    // Red and lime of one row are adjacent; neighbouring rows do not overlap.
    EXPECT_DOUBLE_EQ(bar_top(rl, 20, 3, 1), bar_top(rl, 20, 3, 0) + rl.bar_thickness);
    EXPECT_GT(bar_top(rl, 20, 4, 0), bar_top(rl, 20, 3, 1) + rl.bar_thickness);

    const Row_Layout single = row_layout(100, 1, 2, 35);
    EXPECT_DOUBLE_EQ(bar_top(single, 0, 0, 0), 0);
    EXPECT_EQ(row_layout(100, 0, 2, 35).bar_thickness, 0);
}

struct Format_Case {
    long double value;
    const char* picture;
    const char* expected;
    friend void PrintTo(const Format_Case& c, std::ostream* os) {
        *os << double(c.value) << " as " << c.picture;
    }
};

class Number_Format : public ::testing::TestWithParam<Format_Case> {};

TEST_P(Number_Format, FormatsWithPictureInEnglish) {
    const auto& c = GetParam();
    EXPECT_EQ(format_number(c.value, QString::fromLatin1(c.picture), QLocale(QLocale::English)),
              QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Number_Format,
    ::testing::Values(
        Format_Case{1234.56L, "###,##0.#", "1,234.6"}, Format_Case{1234, "###,##0.#", "1,234"},
        Format_Case{0, "###,##0.#", "0"}, Format_Case{0.04L, "###,##0.#", "0"},
        Format_Case{0.4L, "###,##0.#", "0.4"}, Format_Case{999.96L, "###,##0.#", "1,000"},
        Format_Case{123, "###,##0.#", "123"}, Format_Case{1234567.25L, "###,##0.#", "1,234,567.3"},
        Format_Case{-1234.5L, "###,##0.#", "-1,234.5"}, Format_Case{-0.01L, "###,##0.#", "0"},
        Format_Case{1e20L, "###,##0.#", "100,000,000,000,000,000,000"},
        Format_Case{kInf, "###,##0.#", "INF"}, Format_Case{kNan, "###,##0.#", "NAN"},
        Format_Case{1234.5678L, "#,##0.###", "1,234.568"}, Format_Case{3.1L, "0.00", "3.10"},
        Format_Case{1234.5L, "0", "1235"}, Format_Case{7, "000", "007"},
        Format_Case{0.5L, "#.#", ".5"}, Format_Case{0, "#.#", "0"}));

TEST(Number_Format_Locale, UsesTheLocaleGroupingAndDecimalCharacters) {
    const QString picture = QStringLiteral("###,##0.#");
    EXPECT_EQ(format_number(1234.56L, picture, QLocale(QLocale::German)),
              QStringLiteral("1.234,6"));
    EXPECT_EQ(format_number(1234, picture, QLocale(QLocale::German)), QStringLiteral("1.234"));
    EXPECT_EQ(format_number(0.4L, picture, QLocale(QLocale::German)), QStringLiteral("0,4"));
    // The C locale still groups: a mark always shows thousands apart.
    EXPECT_EQ(format_number(1234567.8L, picture, QLocale::c()), QStringLiteral("1,234,567.8"));
    const QLocale french(QLocale::French);
    EXPECT_EQ(format_number(1234567.8L, picture, french),
              QStringLiteral("1") + french.groupSeparator() + QStringLiteral("234") +
                  french.groupSeparator() + QStringLiteral("567") + french.decimalPoint() +
                  QStringLiteral("8"));
}

TEST(Result_Rows_Points, AddsRowsBottomUpInTheirUnits) {
    TBarSeries series(QColor(255, 0, 0), nullptr);
    // In test order: integer, float, memory, small files, large files, controls, pixels.
    add_result_points(series, Rates{123400000, 400000, 5500, 12000, 85000, 15000, 4567000});
    ASSERT_EQ(series.count(), 7);
    const char* labels[] = {"Graphics (KPix/Sec)", "Windows (Ctrls/Sec)", "Lg Files (KB/Sec)",
                            "Sm Files (KB/Sec)",   "Memory (MB/Sec)",     "Float (MFops/Sec)",
                            "Integer (MIops/Sec)"};
    const long double values[] = {4567, 15000, 85000, 12000, 5500, 0.4L, 123.4L};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(series.point(i).label, QString::fromLatin1(labels[i])) << i;
        EXPECT_NEAR(double(series.point(i).value), double(values[i]), 1e-9) << i;
        EXPECT_EQ(series.point(i).color, QColor(255, 0, 0));
    }
    series.clear();
    EXPECT_EQ(series.count(), 0);
}

TEST(Series_Style, AssignStyleCopiesMarksAndOriginButNotDataColourOrTitle) {
    TBarSeries a(QColor(255, 0, 0), nullptr);
    TBarSeries b(QColor(0, 255, 0), nullptr);
    TSeries_Marks m;
    m.visible = true;
    m.font_points = 8;
    m.format = QStringLiteral("###,##0.#");
    a.set_marks(m);
    a.set_origin(true, 0);
    a.set_title(QStringLiteral("This PC"));
    b.set_title(QStringLiteral("Office PC"));
    b.add(5, QStringLiteral("x"), b.color());
    b.assign_style(a);
    EXPECT_EQ(b.marks(), m);
    EXPECT_TRUE(b.use_origin());
    EXPECT_EQ(b.title(), QStringLiteral("Office PC"));
    EXPECT_EQ(b.color(), QColor(0, 255, 0));
    EXPECT_EQ(b.count(), 1);
    EXPECT_EQ(b.mark_text(0, QLocale::c()), QStringLiteral("5"));
}

} // namespace
} // namespace smx::graph
