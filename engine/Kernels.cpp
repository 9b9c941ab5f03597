#include "engine/Kernels.h"

#include "platform/Termination.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace smx::engine {
namespace {

// Passes between two readings of the stop flag: a few milliseconds of work each, so a stop is
// seen at once while the reading costs nothing measurable.
constexpr std::uint32_t integer_block_passes = 1u << 24;
constexpr std::uint32_t float_block_passes = 1u << 20;

// Makes the buffer and all stores to it visible to an unknown reader, so that the optimiser
// can neither turn malloc + memset into calloc nor drop the zero-fill or the writes.
inline void escape(void* p) {
    asm volatile("" : : "r"(p) : "memory");
}

} // namespace

// A memory-speed test measures the memory, not the compiler's baseline: built for plain x86-64,
// the fill stores 16 bytes at a time where the processor may store 32 or 64, while the zero-fill
// (the C library's memset) already picks the widest stores at run time. Each clone is the same
// loop; the resolver run at load time takes the widest one the processor supports.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
void Fill_Doubled_Indices(std::int32_t* array, std::int32_t size) {
    for (std::int32_t j = 0; j < size; ++j)
        array[j] = static_cast<std::int32_t>(static_cast<std::uint32_t>(j) * 2u);
}

std::uint32_t Integer_Arithmetic_Loop(std::int32_t n) {
    if (n < 0)
        return 0;
    // Unsigned so that n + 1 cannot overflow; the empty asm keeps the counter opaque, so each
    // pass really is one decrement and one branch. The passes run in blocks, and the stop flag is
    // read once between two blocks (a few milliseconds apart), never inside one.
    const std::uint32_t start = static_cast<std::uint32_t>(n) + 1u;
    std::uint32_t left = start;
    while (left != 0) {
        const std::uint32_t block = std::min(left, integer_block_passes);
        std::uint32_t counter = block;
        do {
            asm volatile("" : "+r"(counter));
        } while (--counter != 0);
        left -= block;
        if (left != 0 && platform::stop_requested())
            break;
    }
    return start - left;
}

Float_Loop_End Floating_Point_Loop(std::int32_t limit) {
    const long double L = limit;
    // Memory-resident doubles: each is loaded and stored on every pass.
    double x = 0.0;
    double s = 0.0;
#if defined(__x86_64__) || defined(__i386__)
    // Compiled from C++, each pass rounds x + 1 to a double through a stack temporary and reads
    // it back, and moves s through an SSE register: two extra store-and-reload round trips. By
    // hand: L and 1.0 stay on the x87 stack; x is loaded once, compared with L and incremented
    // in extended precision, and stored as a double; the square is taken from the register and
    // s is added from memory and stored as a double. The comparison precedes every pass.
    // The passes run in blocks: a count in an integer register, off the floating-point chains,
    // ends a block, and the stop flag is read between two blocks. A block ended by the limit
    // leaves its count above zero.
    for (;;) {
        std::uint32_t block = float_block_passes;
        asm volatile("fldt %[L]\n\t"            // st: L
                     "fld1\n\t"                 // st: 1, L
                     "fldl %[x]\n\t"            // st: x, 1, L
                     "fucomi %%st(2), %%st\n\t" // L > x ?
                     "jae 2f\n"
                     "1:\n\t"
                     "fadd %%st(1), %%st\n\t" // x + 1
                     "fstl %[x]\n\t"          // x := x + 1 (rounded to double)
                     "fmul %%st(0), %%st\n\t" // x * x
                     "faddl %[s]\n\t"         // x * x + s
                     "fstpl %[s]\n\t"         // s := ... (rounded to double)
                     "fldl %[x]\n\t"
                     "fucomi %%st(2), %%st\n\t"
                     "jae 2f\n\t"
                     "sub $1, %[block]\n\t"
                     "jnz 1b\n"
                     "2:\n\t"
                     "fstp %%st(0)\n\t"
                     "fstp %%st(0)\n\t"
                     "fstp %%st(0)"
                     : [x] "+m"(x), [s] "+m"(s), [block] "+r"(block)
                     : [L] "m"(L)
                     : "cc", "st", "st(1)", "st(2)");
        if (block != 0 || platform::stop_requested())
            break;
    }
#else
    volatile double vx = x;
    volatile double vs = s;
    double xv = vx;
    std::uint32_t in_block = 0;
    while (L > xv) {
        xv = static_cast<double>(static_cast<long double>(xv) + 1.0L);
        vx = xv;
        vs = static_cast<double>(static_cast<long double>(xv) * xv + vs);
        xv = vx;
        if (++in_block == float_block_passes) {
            in_block = 0;
            if (platform::stop_requested())
                break;
        }
    }
    x = vx;
    s = vs;
#endif
    return {x, s};
}

std::int64_t Memory_Speed_Loop(std::int32_t loops, std::int32_t size) {
    std::int64_t last_elements = 0;
    for (std::int32_t i = 0; i < loops; ++i) {
        // Between arrays, never inside the fill: one load of a flag every few microseconds.
        if (platform::stop_requested())
            return last_elements;
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
        // One read per array, after its fill: what the run ignores and tests check.
        last_elements += array[size - 1];
        std::free(array);
    }
    return last_elements;
}

} // namespace smx::engine
