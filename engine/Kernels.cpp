#include "engine/Kernels.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace smx::engine {
namespace {

// Makes the buffer and all stores to it visible to an unknown reader, so that the optimiser
// can neither turn malloc + memset into calloc nor drop the zero-fill or the writes.
inline void escape(void* p) {
    asm volatile("" : : "r"(p) : "memory");
}

} // namespace

void Integer_Arithmetic_Loop(std::int32_t n) {
    if (n < 0)
        return;
    // Unsigned so that n + 1 cannot overflow; the empty asm keeps the counter opaque, so each
    // pass really is one decrement and one branch.
    std::uint32_t counter = static_cast<std::uint32_t>(n) + 1u;
    do {
        asm volatile("" : "+r"(counter));
    } while (--counter != 0);
}

Float_Loop_End Floating_Point_Loop(std::int32_t limit) {
    const long double L = limit;
    // Memory-resident doubles: each is loaded and stored on every pass.
    volatile double x = 0.0;
    volatile double s = 0.0;
    double xv = x;
    while (L > xv) {
        xv = static_cast<double>(static_cast<long double>(xv) + 1.0L);
        x = xv;
        s = static_cast<double>(static_cast<long double>(xv) * xv + s);
        xv = x;
    }
    return {x, s};
}

void Memory_Speed_Loop(std::int32_t loops, std::int32_t size) {
    for (std::int32_t i = 0; i < loops; ++i) {
        if (size <= 0)
            continue; // an empty array allocates nothing
        const std::size_t bytes = static_cast<std::size_t>(size) * sizeof(std::int32_t);
        auto* array = static_cast<std::int32_t*>(std::malloc(bytes));
        if (array == nullptr)
            throw std::bad_alloc();
        escape(array);
        std::memset(array, 0, bytes);
        escape(array);
        Fill_Doubled_Indices(array, size);
        escape(array);
        std::free(array);
    }
}

} // namespace smx::engine
