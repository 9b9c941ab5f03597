#include "platform/Tick.h"

#include <time.h>

namespace smx::platform {
namespace {
std::function<std::uint32_t()>& tick_source() {
    static std::function<std::uint32_t()> source;
    return source;
}
} // namespace

std::uint32_t GetTickCount() {
    if (auto& source = tick_source())
        return source();
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void set_tick_source(std::function<std::uint32_t()> source) {
    tick_source() = std::move(source);
}

} // namespace smx::platform
