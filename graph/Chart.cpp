#include "graph/Chart.h"

namespace smx::graph {

TChart::TChart(QWidget* parent) : QWidget(parent) {
    Series1 = new TBarSeries(this);
    Series1->setObjectName(QStringLiteral("Series1"));
    Series2 = new TBarSeries(this);
    Series2->setObjectName(QStringLiteral("Series2"));
}

} // namespace smx::graph
