#include "engine/Kernels.h"

#include "platform/Termination.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <new>
#include <vector>

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
// (the C library's memset) already picks its stores at run time. The same loop is built for each
// width. The widest stores are not always the fastest (on some processors with AVX-512 the
// 64-byte ones are slower than 32-byte ones, on others faster), so the width is chosen by timing
// the fills once, before the first test, rather than from the instruction set alone.
namespace {

void fill_loop(std::int32_t* array, std::int32_t begin, std::int32_t end) {
    for (std::int32_t j = begin; j < end; ++j)
        array[j] = static_cast<std::int32_t>(static_cast<std::uint32_t>(j) * 2u);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define SMX_FILL_WIDTHS 1
#if defined(__clang__)
__attribute__((target("avx512f"), min_vector_width(512)))
#else
__attribute__((target("avx512f,prefer-vector-width=512")))
#endif
void fill_512(std::int32_t* array, std::int32_t begin, std::int32_t end) {
    for (std::int32_t j = begin; j < end; ++j)
        array[j] = static_cast<std::int32_t>(static_cast<std::uint32_t>(j) * 2u);
}
__attribute__((target("avx2"))) void fill_256(std::int32_t* array, std::int32_t begin,
                                              std::int32_t end) {
    for (std::int32_t j = begin; j < end; ++j)
        array[j] = static_cast<std::int32_t>(static_cast<std::uint32_t>(j) * 2u);
}
#endif

std::vector<Fill_Variant> make_fill_variants() {
    std::vector<Fill_Variant> variants;
#ifdef SMX_FILL_WIDTHS
    __builtin_cpu_init();
    // libgcc's answer includes the system's support for the wider registers.
    if (__builtin_cpu_supports("avx512f"))
        variants.push_back({"AVX-512F (64-byte stores)", fill_512});
    if (__builtin_cpu_supports("avx2"))
        variants.push_back({"AVX2 (32-byte stores)", fill_256});
    variants.push_back({"x86-64 baseline (16-byte stores)", fill_loop});
#else
    variants.push_back({"the build's own", fill_loop});
#endif
    return variants;
}

double now_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e9 + ts.tv_nsec;
}

// The fastest fill here for arrays of `size` elements (up to 256 Ki of them: larger arrays are
// timed at that size, where the caches no longer matter). As in the test, each fill follows a
// zero-fill of the array; about half a million elements a trial, the variants taking turns, best
// of 7 trials each (a trial that another process interrupted does not count). A few
// milliseconds in all.
const Fill_Variant& choose_fill(std::int32_t size) {
    const std::span<const Fill_Variant> variants = Fill_Variants();
    const std::int32_t n = std::clamp<std::int32_t>(size, 1, 1 << 18);
    const int repeats = std::max(1, 500000 / n);
    std::vector<std::int32_t> array(static_cast<std::size_t>(n));
    std::vector<double> fastest(variants.size(), 1e300);
    for (int trial = 0; trial < 7; ++trial) {
        for (std::size_t v = 0; v < variants.size(); ++v) {
            const double start = now_ns();
            for (int k = 0; k < repeats; ++k) {
                std::memset(array.data(), 0, array.size() * sizeof(std::int32_t));
                escape(array.data());
                variants[v].fill(array.data(), 0, n);
                escape(array.data());
            }
            fastest[v] = std::min(fastest[v], now_ns() - start);
        }
    }
    // The widest whose time is within 3 % of the fastest: where the widths tie (arrays beyond
    // the first-level cache on some processors) the difference is noise.
    const double best = *std::min_element(fastest.begin(), fastest.end());
    std::size_t chosen = 0;
    while (fastest[chosen] > best * 1.03)
        ++chosen;
    return variants[chosen];
}

} // namespace

std::span<const Fill_Variant> Fill_Variants() {
    static const std::vector<Fill_Variant> variants = make_fill_variants();
    return variants;
}

const Fill_Variant& Chosen_Fill(std::int32_t size) {
    // One choice per array size, made once; the threads of a test on several threads ask for
    // the size the run has already chosen for.
    static std::mutex mutex;
    static std::map<std::int32_t, const Fill_Variant*> chosen;
    const std::lock_guard lock(mutex);
    const Fill_Variant*& entry = chosen[size];
    if (entry == nullptr)
        entry = &choose_fill(size);
    return *entry;
}

void Fill_Doubled_Indices(std::int32_t* array, std::int32_t size) {
    Chosen_Fill(size).fill(array, 0, size);
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

namespace {

// An array of more than this many elements (4 MiB) is zero-filled, then filled, a stretch at a
// time, with the stop flag read between two stretches: one array of the largest size the window
// allows (8 GiB) takes seconds. The order of the stores is the same as in one go.
constexpr std::int32_t memory_stretch = 1 << 20;

bool zero_and_fill_by_stretches(std::int32_t* array, std::int32_t size, Fill_Function fill) {
    for (std::int64_t at = 0; at < size; at += memory_stretch) {
        if (at > 0 && platform::stop_requested())
            return false;
        const std::int64_t count = std::min<std::int64_t>(memory_stretch, size - at);
        std::memset(array + at, 0, static_cast<std::size_t>(count) * sizeof(std::int32_t));
    }
    escape(array);
    for (std::int64_t at = 0; at < size; at += memory_stretch) {
        if (at > 0 && platform::stop_requested())
            return false;
        const std::int64_t end = std::min<std::int64_t>(at + memory_stretch, size);
        fill(array, static_cast<std::int32_t>(at), static_cast<std::int32_t>(end));
    }
    escape(array);
    return true;
}

} // namespace

std::int64_t Memory_Speed_Loop(std::int32_t loops, std::int32_t size) {
    // Chosen before the first array, outside the loop.
    const Fill_Function fill = loops > 0 && size > 0 ? Chosen_Fill(size).fill : nullptr;
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
        if (size <= memory_stretch) {
            std::memset(array, 0, bytes);
            escape(array);
            fill(array, 0, size);
            escape(array);
        } else if (!zero_and_fill_by_stretches(array, size, fill)) {
            std::free(array);
            return last_elements;
        }
        // One read per array, after its fill: what the run ignores and tests check.
        last_elements += array[size - 1];
        std::free(array);
    }
    return last_elements;
}

} // namespace smx::engine
