#include "engine/Kernels.h"
#include "platform/Termination.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace smx::engine {
namespace {

struct Float_Case {
    std::int32_t limit;
    double passes;         // the final x
    double sum_of_squares; // 1^2 + ... + passes^2
};

class Floating_Point_Loop_Test : public ::testing::TestWithParam<Float_Case> {};

// x ends at the pass count, and s is the sum of x * x over the passes: a loop that skipped,
// repeated or reordered the additions would leave other values.
TEST_P(Floating_Point_Loop_Test, MakesExactlyLimitPasses) {
    const auto c = GetParam();
    const Float_Loop_End end = Floating_Point_Loop(c.limit);
    EXPECT_EQ(end.x, c.passes);
    EXPECT_EQ(end.s, c.sum_of_squares);
}

INSTANTIATE_TEST_SUITE_P(Limits, Floating_Point_Loop_Test,
                         ::testing::Values(Float_Case{0, 0, 0}, Float_Case{-5, 0, 0},
                                           Float_Case{1, 1, 1}, Float_Case{3, 3, 14},
                                           Float_Case{1000, 1000, 333833500.0},
                                           // the largest sums still exact in a double
                                           Float_Case{100000, 100000, 333338333350000.0}));

// Around the ends of the blocks between which the loop looks for a stop: the same values as one
// unbroken loop, computed here pass by pass with the same roundings.
TEST(Floating_Point_Loop, BlocksOfPassesMakeOneUnbrokenLoop) {
    constexpr std::int32_t block = 1 << 20;
    for (const std::int32_t limit : {block - 1, block, block + 1, 3 * block + 5}) {
        double x = 0;
        double s = 0;
        while (static_cast<long double>(limit) > x) {
            x = static_cast<double>(static_cast<long double>(x) + 1.0L);
            s = static_cast<double>(static_cast<long double>(x) * x + s);
        }
        const Float_Loop_End end = Floating_Point_Loop(limit);
        EXPECT_EQ(end.x, x) << limit;
        EXPECT_EQ(end.s, s) << limit;
    }
}

// A stop asked for before the loops start ends each after its first block of passes, or its
// first array; what ends sooner than its block is not cut short.
TEST(Kernels, StopEndsEachLoopAfterItsFirstBlock) {
    platform::reset_termination_state_for_tests();
    platform::request_stop();
    EXPECT_EQ(Floating_Point_Loop(2147000000).x, 1 << 20);
    EXPECT_EQ(Floating_Point_Loop(1000).x, 1000);
    EXPECT_EQ(Integer_Arithmetic_Loop(2147000000), 1u << 24);
    EXPECT_EQ(Integer_Arithmetic_Loop(1000), 1001u);
    EXPECT_EQ(Memory_Speed_Loop(1000, 100), 0);
    platform::reset_termination_state_for_tests();
    EXPECT_EQ(Integer_Arithmetic_Loop((1 << 24) + 5), (1u << 24) + 6);
}

TEST(Integer_Kernel, MakesOneMorePassThanItsCount) {
    EXPECT_EQ(Integer_Arithmetic_Loop(0), 1u);
    EXPECT_EQ(Integer_Arithmetic_Loop(5), 6u);
    EXPECT_EQ(Integer_Arithmetic_Loop(1000000), 1000001u);
    // The largest count the spin edit allows, and the largest 32-bit one: n + 1 must not wrap.
    EXPECT_EQ(Integer_Arithmetic_Loop(2147000000), 2147000001u);
    EXPECT_EQ(Integer_Arithmetic_Loop(2147483647), 2147483648u);
    // A negative count runs nothing.
    EXPECT_EQ(Integer_Arithmetic_Loop(-1), 0u);
    EXPECT_EQ(Integer_Arithmetic_Loop(-2147483647 - 1), 0u);
}

TEST(Memory_Kernel, FillsEveryArrayOfEveryLoop) {
    // The last element of each array is 2 * (size - 1) once filled; a zero-filled array that was
    // never filled would give 0.
    EXPECT_EQ(Memory_Speed_Loop(3, 1000), 3 * 1998);
    EXPECT_EQ(Memory_Speed_Loop(1, 30000), 59998);
    EXPECT_EQ(Memory_Speed_Loop(4000, 2), 4000 * 2);
    // Arrays filled by stretches (above 2^20 elements), to the last element.
    for (const std::int32_t size : {(1 << 20) + 1, 3 * (1 << 20), 3 * (1 << 20) + 7})
        EXPECT_EQ(Memory_Speed_Loop(2, size), 2 * 2 * std::int64_t{size - 1}) << size;
    // No loops, or empty arrays: nothing is allocated or filled.
    EXPECT_EQ(Memory_Speed_Loop(0, 1000), 0);
    EXPECT_EQ(Memory_Speed_Loop(-3, 1000), 0);
    EXPECT_EQ(Memory_Speed_Loop(5, 0), 0);
    EXPECT_EQ(Memory_Speed_Loop(5, -7), 0);
}

// Every fill the processor can run here, and the one chosen among them.
TEST(Memory_Kernel, EveryFillWritesEachElementWithTwiceItsIndex) {
    std::vector<Fill_Variant> variants(Fill_Variants().begin(), Fill_Variants().end());
    EXPECT_TRUE(std::any_of(variants.begin(), variants.end(), [](const Fill_Variant& v) {
        return v.fill == Chosen_Fill(1000).fill;
    }));
    std::vector<std::int32_t> chosen(1001, -7);
    Fill_Doubled_Indices(chosen.data(), 1000);
    for (std::int32_t j = 0; j < 1000; ++j)
        ASSERT_EQ(chosen[static_cast<std::size_t>(j)], 2 * j) << "chosen fill, element " << j;
    EXPECT_EQ(chosen[1000], -7);
    for (const Fill_Variant& v : variants) {
        SCOPED_TRACE(v.name);
        std::vector<std::int32_t> array(1003, -7);
        v.fill(array.data(), 0, 1000);
        for (std::int32_t j = 0; j < 1000; ++j)
            ASSERT_EQ(array[j], 2 * j) << "element " << j;
        // Elements beyond the size are not touched.
        EXPECT_EQ(array[1000], -7);
        EXPECT_EQ(array[1002], -7);
        // A stretch from an element other than the first: its own indices, nothing around it.
        std::vector<std::int32_t> stretch(40, -7);
        v.fill(stretch.data(), 5, 37);
        for (std::int32_t j = 0; j < 40; ++j)
            ASSERT_EQ(stretch[static_cast<std::size_t>(j)], j >= 5 && j < 37 ? 2 * j : -7) << j;

        // The fill runs in vectors of up to 16 elements, chosen for the processor: every size
        // around a vector's width and every start of the array within one, with nothing written
        // before the first element or after the last.
        for (const std::int32_t size : {1,  2,  3,  4,  5,  7,  8,  9,  15,  16,  17,
                                        31, 32, 33, 47, 48, 63, 64, 65, 127, 129, 30000}) {
            for (std::size_t start = 1; start <= 16; ++start) {
                std::vector<std::int32_t> guarded(static_cast<std::size_t>(size) + 32, -7);
                v.fill(guarded.data() + start, 0, size);
                for (std::size_t i = 0; i < guarded.size(); ++i) {
                    const bool inside = i >= start && i < start + static_cast<std::size_t>(size);
                    const std::int32_t expected =
                        inside ? 2 * static_cast<std::int32_t>(i - start) : -7;
                    ASSERT_EQ(guarded[i], expected)
                        << "size " << size << ", start " << start << ", element " << i;
                }
            }
        }
    }
}

} // namespace
} // namespace smx::engine
