// The report's reader on arbitrary bytes: a file it accepts holds only values a run can give
// (rates and times finite, not negative and within their ranges, counts within their types, the
// spread in order), and the table made of it has a row per test and a value only where the run
// has a rate.
#include "report/Report_Input.h"
#include "report/Report_Table.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace smx::report;

namespace {

bool in_range(long double value, long double hi) {
    return std::isfinite(static_cast<double>(value)) && value >= 0 && value <= hi;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Read_Result result = Read_Run(bytes, QStringLiteral("fuzz.json"));
    if (result.run.has_value() == !result.error.isEmpty())
        std::abort(); // either a run or a reason, never both or neither
    if (!result.run)
        return 0;
    const Report_Run& run = *result.run;
    for (int i = 0; i < Test_Count; ++i) {
        const auto& rate = run.rates[static_cast<std::size_t>(i)];
        if (rate && !in_range(*rate, Max_Rate))
            std::abort();
        if (!rate && !run.rate_texts[static_cast<std::size_t>(i)].isEmpty())
            std::abort();
        if (const auto& s = run.spread[static_cast<std::size_t>(i)])
            if (!in_range(s->min_ms, Max_Milliseconds) || !in_range(s->max_ms, Max_Milliseconds) ||
                !(s->min_ms <= s->median_ms && s->median_ms <= s->max_ms))
                std::abort();
    }
    if (run.memory_bytes < 0 || run.cpu_cores < 0 || run.cpu_logical < 0 || run.threads < 1)
        std::abort();
    for (int p : run.processors)
        if (p < -1)
            std::abort();
    const Table table = Build_Table({run});
    if (table.values.size() != static_cast<std::size_t>(Test_Count))
        std::abort();
    for (int i = 0; i < Test_Count; ++i) {
        const QString& value = table.values[static_cast<std::size_t>(i)].at(0);
        // 18 significant digits and an exponent: never the 300-digit text of an absurd value.
        if (value.isEmpty() != !run.rates[static_cast<std::size_t>(i)] || value.size() > 26)
            std::abort();
    }
    Csv_Text(table);
    return 0;
}
