#include "report/Report_Html.h"

#include "graph/Graph_Geometry.h"
#include "graph/Result_Rows.h"
#include "graph/Series_Colours.h"
#include "report/Report_Table.h"
#include "results/Results_Export.h"

#include <QColor>
#include <algorithm>
#include <cmath>

namespace smx::report {
namespace {

// The window's mark format, and the table's, which keeps one decimal more.
const QString Mark_Format = QStringLiteral("###,##0.#");
const QString Table_Format = QStringLiteral("###,##0.##");

// Pixel sizes of the drawing: the row labels are 9 points bold, the marks 8 points (at 96 dots
// per inch), as in the window.
constexpr int Svg_Width = 960;
constexpr int Label_Width = 150;
constexpr int Gap = 6;
constexpr int Margin = 8;
constexpr int Mark_Arrow = 20;    // the connector from a bar's end to its mark
constexpr double Mark_Char = 6.2; // average advance of a mark's characters at 11 px
constexpr int Mark_Height = 13;
constexpr int Smallest_Marked_Bar = Mark_Height; // thinner bars carry no mark: they would overlap

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

QString colour(const QColor& c) {
    return c.name(QColor::HexRgb);
}

QString px(double v) {
    return QString::number(v, 'f', 1);
}

// The thickness of one bar: the window's 35 % of a row's share for two sets; with more sets the
// bars of a row still fill 70 % of it, and the drawing grows taller rather than the bars thinner
// than a readable minimum.
int bar_thickness(std::size_t runs) {
    if (runs <= 2)
        return 16;
    if (runs <= 20)
        return Mark_Height;
    if (runs <= 100)
        return 4;
    return 2;
}

// The value a row draws, in the row label's unit; empty when the run did not run the test.
std::optional<long double> drawn_value(const Report_Run& run, const graph::Row_Definition& row) {
    const auto& rate = run.rates[static_cast<std::size_t>(row.rate_index)];
    if (!rate)
        return std::nullopt;
    return *rate / row.divisor;
}

QString swatch(int index) {
    return QStringLiteral("<span class=\"swatch\" style=\"background:%1\"></span>")
        .arg(colour(graph::Series_Colour(index)));
}

QString run_heading(const Report_Run& run, int index) {
    return swatch(index) + QStringLiteral("<span style=\"color:%1\">%2</span>")
                               .arg(colour(graph::Series_Text_Colour(index)), esc(run.label()));
}

QString header_row(const std::vector<Report_Run>& runs, const QString& first) {
    QString html = QStringLiteral("<tr><th>") + esc(first) + QStringLiteral("</th>");
    for (std::size_t i = 0; i < runs.size(); ++i)
        html += QStringLiteral("<th>") + run_heading(runs[i], static_cast<int>(i)) +
                QStringLiteral("</th>");
    return html + QStringLiteral("</tr>\n");
}

QString ms_text(double ms, const QLocale& locale) {
    return graph::format_number(ms, Table_Format, locale);
}

} // namespace

QString Graph_Svg(const std::vector<Report_Run>& runs, const QLocale& locale) {
    const std::size_t n = std::max<std::size_t>(runs.size(), 1);
    const int rows = graph::Row_Count;
    const int thickness = bar_thickness(n);
    const double plot_height = rows * static_cast<double>(n) * thickness / 0.70;
    const bool marked = thickness >= Smallest_Marked_Bar;

    // Every drawn value and its mark text: the scale's right end is the greatest of them, with
    // room kept to its right for the widest mark.
    std::vector<long double> values;
    int widest_mark = 0;
    for (const Report_Run& run : runs)
        for (const graph::Row_Definition& row : graph::Result_Rows)
            if (const auto v = drawn_value(run, row)) {
                values.push_back(*v);
                const QString text = graph::format_number(*v, Mark_Format, locale);
                widest_mark =
                    std::max(widest_mark, static_cast<int>(std::ceil(text.size() * Mark_Char)) + 8);
            }
    const long double axis_max = graph::axis_maximum(values);
    const int plot_left = Margin + Label_Width + Gap;
    const int plot_width = Svg_Width - Margin - plot_left;
    const int mark_room = marked && widest_mark > 0 ? Mark_Arrow + widest_mark + 1 : 0;
    const int span = std::max(0, plot_width - mark_room);
    const double plot_top = Margin;
    const int height = static_cast<int>(std::ceil(plot_height)) + 2 * Margin;

    const graph::Row_Layout layout =
        graph::row_layout(plot_height, rows, static_cast<int>(n), 70.0 / static_cast<double>(n));

    QString svg;
    svg.reserve(static_cast<qsizetype>(runs.size()) * rows * 400 + 2000);
    svg += QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                          "viewBox=\"0 0 %1 %2\" role=\"img\" data-plot-left=\"%3\" "
                          "data-span=\"%4\" data-axis-max=\"%5\">\n")
               .arg(Svg_Width)
               .arg(height)
               .arg(plot_left)
               .arg(span)
               .arg(QString::number(static_cast<double>(axis_max), 'g', 17));
    svg += QStringLiteral("<title>Logarithmic graph of the rates of %1 runs</title>\n")
               .arg(runs.size());
    // The back wall: framed, not filled.
    svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"none\" "
                          "stroke=\"#808080\"/>\n")
               .arg(plot_left)
               .arg(px(plot_top))
               .arg(plot_width)
               .arg(px(plot_height));

    QString marks;
    // The rows from the top: Integer first, as on the window's first page.
    for (int row_from_top = 0; row_from_top < rows; ++row_from_top) {
        const graph::Row_Definition& row =
            graph::Result_Rows[static_cast<std::size_t>(rows - 1 - row_from_top)];
        const double group_top = graph::bar_top(layout, plot_top, row_from_top, 0);
        const double group_bottom =
            graph::bar_top(layout, plot_top, row_from_top, static_cast<int>(n));
        svg += QStringLiteral("<text class=\"row\" x=\"%1\" y=\"%2\">%3</text>\n")
                   .arg(plot_left - Gap)
                   .arg(px((group_top + group_bottom) / 2))
                   .arg(esc(QString::fromLatin1(row.label)));
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const auto value = drawn_value(runs[r], row);
            if (!value)
                continue;
            const double y = graph::bar_top(layout, plot_top, row_from_top, static_cast<int>(r));
            const int length = graph::bar_length(*value, axis_max, span);
            svg += QStringLiteral("<rect class=\"bar\" data-run=\"%1\" data-test=\"%2\" "
                                  "data-value=\"%3\" x=\"%4\" y=\"%5\" width=\"%6\" "
                                  "height=\"%7\" fill=\"%8\"/>\n")
                       .arg(r)
                       .arg(row.rate_index)
                       .arg(QString::number(static_cast<double>(*value), 'g', 17))
                       .arg(plot_left)
                       .arg(px(y))
                       .arg(length)
                       .arg(thickness)
                       .arg(colour(graph::Series_Colour(static_cast<int>(r))));
            if (!marked)
                continue;
            const QString text = graph::format_number(*value, Mark_Format, locale);
            const int x_end = plot_left + length;
            const double mid = y + thickness / 2.0;
            const int box_width = static_cast<int>(std::ceil(text.size() * Mark_Char)) + 8;
            marks += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" "
                                    "stroke=\"#000\"/>"
                                    "<rect class=\"mark\" x=\"%3\" y=\"%4\" width=\"%5\" "
                                    "height=\"%6\"/>"
                                    "<text class=\"mark\" x=\"%7\" y=\"%2\">%8</text>\n")
                         .arg(x_end)
                         .arg(px(mid))
                         .arg(x_end + Mark_Arrow)
                         .arg(px(mid - Mark_Height / 2.0))
                         .arg(box_width)
                         .arg(Mark_Height)
                         .arg(px(x_end + Mark_Arrow + box_width / 2.0))
                         .arg(esc(text));
        }
    }
    // Marks after the bars, so that no bar covers a mark.
    svg += marks;
    svg += QStringLiteral("</svg>\n");
    return svg;
}

QString Report_Html(const std::vector<Report_Run>& runs, const QLocale& locale) {
    QString html;
    html.reserve(static_cast<qsizetype>(runs.size()) * 6000 + 4000);
    html +=
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>Speedmetrix report: %1 runs</title>\n"
            "<style>\n"
            "body { font-family: Arial, 'Liberation Sans', sans-serif; margin: 16px; color: #000; "
            "background: #fff; }\n"
            "h1 { font-size: 20px; } h2 { font-size: 16px; margin-top: 28px; }\n"
            ".wide { overflow-x: auto; }\n"
            "table { border-collapse: collapse; font-size: 13px; }\n"
            "th, td { border: 1px solid #b0b0b0; padding: 3px 8px; vertical-align: top; }\n"
            "th { background: #f0f0f0; text-align: left; }\n"
            "td.num { text-align: right; white-space: nowrap; }\n"
            ".ratio { color: #555; }\n"
            ".swatch { display: inline-block; width: 14px; height: 10px; margin-right: 5px; "
            "border: 1px solid #000; vertical-align: middle; }\n"
            ".legend { list-style: none; padding: 0; columns: 3 220px; font-size: 13px; }\n"
            "svg text.row { font: bold 12px Arial, 'Liberation Sans', sans-serif; "
            "text-anchor: end; dominant-baseline: middle; }\n"
            "svg text.mark { font: 11px Arial, 'Liberation Sans', sans-serif; text-anchor: middle; "
            "dominant-baseline: middle; }\n"
            "svg rect.bar { stroke: #000; stroke-width: 1; }\n"
            "svg rect.mark { fill: #ffff80; stroke: #000; stroke-width: 1; }\n"
            "</style>\n</head>\n<body>\n"
            "<h1>Speedmetrix report: %1 runs</h1>\n")
            .arg(runs.size());

    html += QStringLiteral("<h2>Results (logarithmic graph)</h2>\n<div class=\"wide\">\n");
    html += Graph_Svg(runs, locale);
    html += QStringLiteral("</div>\n<ul class=\"legend\">\n");
    for (std::size_t i = 0; i < runs.size(); ++i)
        html += QStringLiteral("<li>") + run_heading(runs[i], static_cast<int>(i)) +
                QStringLiteral("</li>\n");
    html += QStringLiteral("</ul>\n");

    // The rates, each with its ratio to the first run.
    html += QStringLiteral("<h2>Results data</h2>\n<p>Each rate in the unit its row names, with "
                           "its ratio to the first run (%1) after it.</p>\n"
                           "<div class=\"wide\"><table>\n")
                .arg(runs.empty() ? QString() : esc(runs.front().label()));
    html += header_row(runs, QStringLiteral("Test"));
    for (int test = 0; test < Test_Count; ++test) {
        html += QStringLiteral("<tr><th>") + esc(results::Results_Data_Heading(test)) +
                QStringLiteral("</th>");
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const auto& rate = runs[r].rates[static_cast<std::size_t>(test)];
            html += QStringLiteral("<td class=\"num\">");
            if (rate) {
                html += esc(graph::format_number(*rate / results::Results_Data_Divisor(test),
                                                 Table_Format, locale));
                const auto ratio = Ratio_To_First(runs, static_cast<int>(r), test);
                html += QStringLiteral(" <span class=\"ratio\">(%1)</span>")
                            .arg(ratio ? QStringLiteral("&times;") +
                                             esc(graph::format_number(
                                                 *ratio, QStringLiteral("0.00"), locale))
                                       : QStringLiteral("&ndash;"));
            } else {
                html += QStringLiteral("not run");
            }
            html += QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table></div>\n");

    // What each run ran on.
    html += QStringLiteral("<h2>Runs</h2>\n<div class=\"wide\"><table>\n");
    html += header_row(runs, QString());
    auto context_row = [&](const QString& name, auto&& cell) {
        html += QStringLiteral("<tr><th>") + esc(name) + QStringLiteral("</th>");
        for (const Report_Run& run : runs)
            html += QStringLiteral("<td>") + cell(run) + QStringLiteral("</td>");
        html += QStringLiteral("</tr>\n");
    };
    context_row(QStringLiteral("File"), [](const Report_Run& r) { return esc(r.file); });
    context_row(QStringLiteral("Host"), [](const Report_Run& r) { return esc(r.host); });
    context_row(QStringLiteral("Date"), [](const Report_Run& r) { return esc(r.date_time); });
    context_row(QStringLiteral("Processor"), [](const Report_Run& r) { return esc(r.cpu_model); });
    context_row(QStringLiteral("Cores"), [](const Report_Run& r) {
        return QStringLiteral("%1 cores, %2 logical processors")
            .arg(r.cpu_cores)
            .arg(r.cpu_logical);
    });
    context_row(QStringLiteral("Threads"), [](const Report_Run& r) {
        QStringList pinned;
        for (int p : r.processors)
            if (p >= 0)
                pinned << QString::number(p);
        QString text = QString::number(r.threads);
        if (!pinned.isEmpty())
            text += QStringLiteral(" (processors ") + pinned.join(QStringLiteral(", ")) +
                    QLatin1Char(')');
        return text;
    });
    context_row(QStringLiteral("Kernel"), [](const Report_Run& r) { return esc(r.kernel); });
    context_row(QStringLiteral("Memory"), [&locale](const Report_Run& r) {
        return r.memory_bytes > 0
                   ? esc(graph::format_number(static_cast<long double>(r.memory_bytes) /
                                                  (1024.0L * 1024 * 1024),
                                              QStringLiteral("###,##0.0"), locale)) +
                         QStringLiteral(" GiB")
                   : QString();
    });
    context_row(QStringLiteral("Drive"), [](const Report_Run& r) {
        QString text = esc(r.drive_filesystem);
        if (!r.drive_root.isEmpty())
            text += QStringLiteral(" (") + esc(r.drive_root) + QLatin1Char(')');
        if (r.synced)
            text += QStringLiteral("<br>files flushed to the device and read back from it "
                                   "(--sync)");
        return text;
    });
    context_row(QStringLiteral("Parameters"), [](const Report_Run& r) {
        QStringList lines;
        for (const auto& [name, value] : r.parameters)
            lines << esc(name) + QStringLiteral(": ") + esc(value);
        return lines.join(QStringLiteral("<br>"));
    });
    html += QStringLiteral("</table></div>\n");

    // How far the repetitions of each test lay apart.
    html += QStringLiteral("<h2>Repetition times (minimum / median / maximum, ms)</h2>\n"
                           "<div class=\"wide\"><table>\n");
    html += header_row(runs, QStringLiteral("Test"));
    for (int test = 0; test < Test_Count; ++test) {
        html += QStringLiteral("<tr><th>") + esc(results::Results_Data_Heading(test)) +
                QStringLiteral("</th>");
        for (const Report_Run& run : runs) {
            const auto& s = run.spread[static_cast<std::size_t>(test)];
            html += QStringLiteral("<td class=\"num\">") +
                    (s ? esc(ms_text(s->min_ms, locale) + QStringLiteral(" / ") +
                             ms_text(s->median_ms, locale) + QStringLiteral(" / ") +
                             ms_text(s->max_ms, locale))
                       : QStringLiteral("&ndash;")) +
                    QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table></div>\n</body>\n</html>\n");
    return html;
}

} // namespace smx::report
