#pragma once
#include <QLocale>
#include <QString>
#include <span>

namespace smx::graph {

// ---- Value scale ----

// The greatest finite value, or 0 when there is none. The right end of the value axis.
long double axis_maximum(std::span<const long double> values);

// Where a value lies along a logarithmic axis whose left end stands for 1 (log 1 = 0) and whose
// right end stands for axis_max, as a fraction of the axis length in [0, 1]. Values at or below 1
// lie at the left end, so they get no bar; an axis whose maximum is not above 1 has no extent.
double log_axis_fraction(long double value, long double axis_max);

// The same for a linear axis from 0 to axis_max.
double linear_axis_fraction(long double value, long double axis_max);

// Length in whole pixels of a bar from the axis start to the value, for an axis span pixels long.
int bar_length(long double value, long double axis_max, int span, bool logarithmic = true);

// ---- Rows ----

// Vertical placement of the bars: each bar is bar_width_percent of one row's share of the plot
// height; the bars of one row lie side by side, and the outer bars touch the plot's top and
// bottom edges, so the rows are spread over the rest of the height.
struct Row_Layout {
    double bar_thickness = 0;
    double pitch = 0; // distance between the tops of neighbouring rows
};
Row_Layout row_layout(double plot_height, int rows, int series, double bar_width_percent);

// Top edge of the bar of series series_index in the row row_from_top (0 = top row).
double bar_top(const Row_Layout& layout, double plot_top, int row_from_top, int series_index);

// ---- Number format ----

// Formats a value with a picture of '#' and '0' digits, an optional ',' asking for digit
// grouping and an optional '.' before the decimals: "###,##0.#" gives at least one integer
// digit, grouped thousands and at most one decimal, with no trailing decimal point. Rounds half
// away from zero. The grouping and decimal characters are the locale's; digits are ASCII.
QString format_number(long double value, const QString& picture, const QLocale& locale);

} // namespace smx::graph
