#pragma once
#include <QString>
#include <array>

namespace smx::graph {

class TBarSeries;

inline constexpr int Row_Count = 7;

// One row of the results graph: its label, which of the seven rates (in test order, 0 = integer)
// it shows, and the divisor that turns the stored rate into the unit its label names.
struct Row_Definition {
    const char* label;
    int rate_index;
    long double divisor;
};

// In the order the points are added: the bottom row first, so the rows read top to bottom in
// the order of the tests.
inline constexpr std::array<Row_Definition, Row_Count> Result_Rows{{
    {"Graphics (KPix/Sec)", 6, 1000.0L},
    {"Windows (Ctrls/Sec)", 5, 1.0L},
    {"Lg Files (KB/Sec)", 4, 1.0L},
    {"Sm Files (KB/Sec)", 3, 1.0L},
    {"Memory (MB/Sec)", 2, 1.0L},
    {"Float (MFops/Sec)", 1, 1000.0L * 1000.0L},
    {"Integer (MIops/Sec)", 0, 1000.0L * 1000.0L},
}};

// The seven rates of one result set, in test order.
using Rates = std::array<long double, Row_Count>;

// Adds the seven points of one result set to a series, scaled to the rows' units, each in the
// series' colour.
void add_result_points(TBarSeries& series, const Rates& rates_in_test_order);

} // namespace smx::graph
