#pragma once
#include <QWidget>

namespace smx::graph {

// A bar series of the chart: a named component without geometry of its own.
class TBarSeries : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
};

// The logarithmic bar graph.
class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget* parent = nullptr);
    TBarSeries* Series1 = nullptr;
    TBarSeries* Series2 = nullptr;
};

} // namespace smx::graph
