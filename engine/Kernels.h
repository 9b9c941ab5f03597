#pragma once
#include <cstdint>
#include <span>

namespace smx::engine {

// The processor and memory tests. Each does exactly the stated work and nothing else: no
// message pumping and no progress. Each ends early when platform::stop_requested(), read
// between blocks of passes or between arrays, never inside the timed instructions' chain.

// A countdown from n + 1 to 0: n + 1 passes of one decrement and one test for zero. Nothing
// runs for a negative n. A stop ends it between two blocks of 2^24 passes. Returns the passes made,
// taken from the counter's start and end values (nothing is counted inside the loop); the run
// ignores it.
std::uint32_t Integer_Arithmetic_Loop(std::int32_t n);

struct Float_Loop_End {
    double x;
    double s;
};

// While limit > x (extended against double): x := x + 1.0; s := x * x + s, the product and
// sum formed in extended precision and stored as doubles. Makes exactly limit passes for a
// positive limit and none otherwise; a stop ends it between two blocks of 2^20 passes. The end
// values are returned only so that tests can see the work; the run ignores them.
Float_Loop_End Floating_Point_Loop(std::int32_t limit);

// Writes element j := 2 * j (32-bit, wrapping) for j = begin .. end - 1, in ascending order.
using Fill_Function = void (*)(std::int32_t* array, std::int32_t begin, std::int32_t end);
struct Fill_Variant {
    const char* name; // the instruction set and the width of its stores
    Fill_Function fill;
};
// The fill built for each store width the processor and the system support here (on x86-64:
// AVX-512F, AVX2 and the baseline, widest first; the baseline always last). The same binary runs
// on any x86-64 machine.
std::span<const Fill_Variant> Fill_Variants();
// The fastest of them on this machine for arrays of `size` elements, timed once for each size,
// on first use (a few milliseconds): the run asks for it before its first timed test.
const Fill_Variant& Chosen_Fill(std::int32_t size);
// The fill chosen for `size`, of elements 0 .. size - 1.
void Fill_Doubled_Indices(std::int32_t* array, std::int32_t size);

// loops times: allocate a fresh zero-filled array of size 32-bit integers, fill it with the
// chosen fill and free it. Nothing runs for loops <= 0. Ends early, between two
// arrays (and within an array of more than 2^20 elements, between two stretches of it), when
// platform::stop_requested(). Throws std::bad_alloc when an array cannot be
// allocated. Returns the sum of each filled array's last element, read once per array outside
// the fill; the run ignores it.
std::int64_t Memory_Speed_Loop(std::int32_t loops, std::int32_t size);

} // namespace smx::engine
