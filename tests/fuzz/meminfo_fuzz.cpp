// The free-memory share from arbitrary /proc/meminfo text: a whole percentage from 0 to 100, and
// none without a MemTotal line.
#include "platform/Memory_Status.h"

#include <cstdint>
#include <cstdlib>

using namespace smx::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<int> percent = Free_Memory_Percent_Of(text);
    if (percent && (*percent < 0 || *percent > 100))
        std::abort();
    if (percent && !text.contains(QLatin1String("MemTotal")))
        std::abort();
    return 0;
}
