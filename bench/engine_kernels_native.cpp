#include "engine_kernels_native.h"

// Built twice (engine_kernels.cmake): as native_memory_reference for this processor, and as
// baseline_memory for the baseline instruction set, the program's own build without run-time
// dispatch. One source, so the two differ in nothing but the instructions the compiler may use.

#include <cstdlib>
#include <cstring>

// noipa: compiled for any argument, like the kernel, not specialised for the bench's constants.
// The barriers keep the compiler from turning malloc + memset into calloc or dropping stores.
__attribute__((noipa)) void SMX_MEMORY_REFERENCE(std::int32_t loops, std::int32_t size) {
    for (std::int32_t i = 0; i < loops; ++i) {
        const std::size_t bytes = static_cast<std::size_t>(size) * 4;
        auto* a = static_cast<std::int32_t*>(std::malloc(bytes));
        asm volatile("" : : "r"(a) : "memory");
        std::memset(a, 0, bytes);
        asm volatile("" : : "r"(a) : "memory");
        for (std::int32_t j = 0; j < size; ++j)
            a[j] = static_cast<std::int32_t>(static_cast<std::uint32_t>(j) * 2u);
        asm volatile("" : : "r"(a) : "memory");
        std::free(a);
    }
}
