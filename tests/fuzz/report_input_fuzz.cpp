// The report's reader on arbitrary bytes: a run it accepts holds only values a run can give
// (rates and times finite, not negative and within range, the spread in order, counts within
// their types), and its table has a short value exactly where the run has a rate.
#include "report/Report_Input.h"
#include "report/Report_Table.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace smx::report;

static bool in_range(long double value, long double hi) {
    return std::isfinite(static_cast<double>(value)) && value >= 0 && value <= hi;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Read_Result result = Read_Run(bytes, QStringLiteral("fuzz.json"));
    if (result.run.has_value() == !result.error.isEmpty())
        std::abort(); // a run or a reason, never both or neither
    if (!result.run)
        return 0;
    const Report_Run& run = *result.run;
    if (run.memory_bytes < 0 || run.cpu_cores < 0 || run.cpu_logical < 0 || run.threads < 1)
        std::abort();
    for (int p : run.processors)
        if (p < -1)
            std::abort();
    const Table table = Build_Table({run});
    for (std::size_t i = 0; i < Test_Count; ++i) {
        const auto& rate = run.rates[i];
        const auto& s = run.spread[i];
        if ((rate && !in_range(*rate, Max_Rate)) ||
            (s && (!in_range(s->min_ms, Max_Milliseconds) || s->median_ms < s->min_ms ||
                   s->max_ms < s->median_ms || s->max_ms > Max_Milliseconds)))
            std::abort();
        // 18 significant digits and an exponent: never the 300 digits of an absurd value.
        const QString& value = table.values[i].at(0);
        if (value.isEmpty() != !rate || value.size() > 26)
            std::abort();
    }
    return 0;
}
