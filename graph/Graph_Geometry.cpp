#include "graph/Graph_Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace smx::graph {

long double axis_maximum(std::span<const long double> values) {
    long double best = 0;
    bool found = false;
    for (long double v : values) {
        if (!std::isfinite(v))
            continue;
        if (!found || v > best)
            best = v;
        found = true;
    }
    return found ? best : 0;
}

double log_axis_fraction(long double value, long double axis_max) {
    if (!std::isfinite(axis_max) || !(axis_max > 1))
        return 0;
    if (!std::isfinite(value) || !(value > 1))
        return 0;
    if (value >= axis_max)
        return 1;
    return static_cast<double>(std::log(value) / std::log(axis_max));
}

double linear_axis_fraction(long double value, long double axis_max) {
    if (!std::isfinite(axis_max) || !(axis_max > 0))
        return 0;
    if (!std::isfinite(value) || !(value > 0))
        return 0;
    if (value >= axis_max)
        return 1;
    return static_cast<double>(value / axis_max);
}

int bar_length(long double value, long double axis_max, int span, bool logarithmic) {
    if (span <= 0)
        return 0;
    const double f =
        logarithmic ? log_axis_fraction(value, axis_max) : linear_axis_fraction(value, axis_max);
    return static_cast<int>(std::lround(f * span));
}

Row_Layout row_layout(double plot_height, int rows, int series, double bar_width_percent) {
    Row_Layout layout;
    if (rows <= 0 || series <= 0 || plot_height <= 0)
        return layout;
    layout.bar_thickness = bar_width_percent / 100.0 * plot_height / rows;
    const double pair = layout.bar_thickness * series;
    // The outer bars touch the edges: the rows share out whatever the bars leave over.
    layout.pitch = rows > 1 ? (plot_height - pair) / (rows - 1) : 0;
    return layout;
}

double bar_top(const Row_Layout& layout, double plot_top, int row_from_top, int series_index) {
    return plot_top + row_from_top * layout.pitch + series_index * layout.bar_thickness;
}

namespace {

struct Picture {
    bool grouping = false;
    int min_integer_digits = 0;
    int min_decimals = 0;
    int max_decimals = 0;
};

Picture parse_picture(const QString& picture) {
    Picture p;
    const qsizetype dot = picture.indexOf(QLatin1Char('.'));
    const QString integer_part = dot < 0 ? picture : picture.left(dot);
    const QString decimal_part = dot < 0 ? QString() : picture.mid(dot + 1);
    p.grouping = integer_part.contains(QLatin1Char(','));
    p.min_integer_digits = static_cast<int>(integer_part.count(QLatin1Char('0')));
    p.min_decimals = static_cast<int>(decimal_part.count(QLatin1Char('0')));
    p.max_decimals = p.min_decimals + static_cast<int>(decimal_part.count(QLatin1Char('#')));
    return p;
}

// The decimal digits of a non-negative whole number held in a long double.
std::string whole_digits(long double whole) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "%.0Lf", whole);
    if (n < static_cast<int>(sizeof buffer))
        return std::string(buffer, static_cast<std::size_t>(std::max(n, 0)));
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), "%.0Lf", whole);
    big.resize(static_cast<std::size_t>(n));
    return big;
}

} // namespace

QString format_number(long double value, const QString& picture, const QLocale& locale) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");

    const Picture p = parse_picture(picture);
    int decimals = p.max_decimals;
    long double scaled = std::fabs(value) * std::pow(10.0L, decimals);
    if (!std::isfinite(scaled)) {
        // Too large to carry decimals; such a value has no fraction to show anyway.
        decimals = 0;
        scaled = std::fabs(value);
    }
    std::string digits = whole_digits(std::round(scaled));
    const bool negative = value < 0 && digits.find_first_not_of('0') != std::string::npos;

    const std::size_t needed = static_cast<std::size_t>(decimals + p.min_integer_digits);
    if (digits.size() < needed)
        digits.insert(0, needed - digits.size(), '0');
    std::string integer = digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
    std::string fraction = digits.substr(digits.size() - static_cast<std::size_t>(decimals));
    while (fraction.size() > static_cast<std::size_t>(p.min_decimals) && fraction.back() == '0')
        fraction.pop_back();

    QString out;
    if (negative)
        out += locale.negativeSign();
    for (std::size_t i = 0; i < integer.size(); ++i) {
        if (p.grouping && i > 0 && (integer.size() - i) % 3 == 0)
            out += locale.groupSeparator();
        out += QLatin1Char(integer[i]);
    }
    if (!fraction.empty()) {
        out += locale.decimalPoint();
        out += QLatin1String(fraction.data(), static_cast<qsizetype>(fraction.size()));
    }
    // A picture without any '0' still shows something for a zero.
    return out.isEmpty() ? QStringLiteral("0") : out;
}

} // namespace smx::graph
