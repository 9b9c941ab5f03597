#pragma once
#include <cstdint>
#include <functional>

namespace smx::platform {

// Milliseconds since an arbitrary start, wrapping at 2^32: the only clock the benchmark uses.
std::uint32_t GetTickCount();

// Tests substitute the clock; an empty function restores the real one.
void set_tick_source(std::function<std::uint32_t()> source);

// Difference of two ticks, correct across one wrap of the counter.
inline std::uint32_t tick_difference(std::uint32_t later, std::uint32_t earlier) {
    return later - earlier;
}

} // namespace smx::platform
