#pragma once
#include "report/Report_Input.h"

#include <QLocale>
#include <QString>
#include <vector>

namespace smx::report {

// The graph of several runs as inline SVG: the window's logarithmic bar graph with one bar per run
// in every row, in run order and in the sets' colours, each bar with its value mark while the bars
// are thick enough to carry one. Every bar is a <rect class="bar"> whose data-run and data-test
// attributes say which run (0-based) and test (0-based, test order) it shows and whose
// data-value is the value drawn; the <svg> element's data-plot-left, data-span and data-axis-max
// give the scale, so that its bar lengths can be checked from outside.
QString Graph_Svg(const std::vector<Report_Run>& runs, const QLocale& locale);

// The whole page, self-contained (no script, no file or address outside it): the graph and its
// legend, the table of rates with each rate's ratio to the first run, each run's context, and the
// spread of each test's repetition times.
QString Report_Html(const std::vector<Report_Run>& runs, const QLocale& locale);

} // namespace smx::report
