#include "graph/Result_Rows.h"

#include "graph/Chart.h"

namespace smx::graph {

void add_result_points(TBarSeries& series, const Rates& rates_in_test_order) {
    for (const Row_Definition& row : Result_Rows)
        series.add(rates_in_test_order[static_cast<std::size_t>(row.rate_index)] / row.divisor,
                   QString::fromLatin1(row.label), series.color());
}

} // namespace smx::graph
