#include "engine/Graphics_Test_Steps.h"

#include <gtest/gtest.h>
#include <vector>

namespace smx::engine::graphics {
namespace {

// What a whole controls test counts for a 386 x 336 window on a screen of the given size: 1795
// for the steps before and after the sweep, and the sweep's own count.
int controls_count(QSize screen) {
    const int dx = screen.width() - 386;
    const int dy = screen.height() - 336;
    return 1795 + sweep([dx] { return dx; }, [dy] { return dy; }, [](int) {}, [](int) {});
}

struct Sweep_Case {
    QSize screen;
    int expected;
};

class Controls_Count : public ::testing::TestWithParam<Sweep_Case> {};

TEST_P(Controls_Count, MatchesTheStepList) {
    EXPECT_EQ(controls_count(GetParam().screen), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, Controls_Count,
    ::testing::Values(
        // 11 rows of 11 columns whenever both spans are at least 10 and not multiples of 10.
        Sweep_Case{QSize(800, 600), 3115}, Sweep_Case{QSize(1024, 768), 3115},
        Sweep_Case{QSize(1920, 1080), 3115},
        // A span of 640 is a multiple of 10: 10 columns.
        Sweep_Case{QSize(1026, 768), 3005},
        // A height span of 430: 10 rows of 11 columns.
        Sweep_Case{QSize(800, 766), 1795 + 10 * 120},
        // Spans of 1 to 9 pixels advance one pixel at a time instead of never.
        Sweep_Case{QSize(390, 340), 1795 + 4 * (10 + 4 * 10)},
        Sweep_Case{QSize(387, 337), 1795 + 1 * (10 + 1 * 10)},
        // Spans of exactly 10: steps of one pixel, ten of them.
        Sweep_Case{QSize(396, 346), 1795 + 10 * (10 + 10 * 10)},
        // No room across: rows without columns. No room down: no rows at all.
        Sweep_Case{QSize(386, 768), 1795 + 11 * 10}, Sweep_Case{QSize(300, 768), 1795 + 11 * 10},
        Sweep_Case{QSize(1024, 336), 1795}, Sweep_Case{QSize(200, 100), 1795}));

TEST(Sweep, StepIsATenthButNeverZero) {
    EXPECT_EQ(sweep_step(640), 64);
    EXPECT_EQ(sweep_step(638), 63);
    EXPECT_EQ(sweep_step(10), 1);
    EXPECT_EQ(sweep_step(9), 1);
    EXPECT_EQ(sweep_step(1), 1);
}

TEST(Sweep, RowsOfColumnsInOrderWithTheSpansReadAtEveryStep) {
    QStringList calls;
    auto top = [&](int y) { calls << QStringLiteral("T%1").arg(y); };
    auto left = [&](int x) { calls << QStringLiteral("L%1").arg(x); };
    // Spans of 21 and 3: steps of 2 across and 1 down.
    EXPECT_EQ(sweep([] { return 21; }, [] { return 3; }, top, left), 3 * (10 + 11 * 10));
    QStringList row;
    for (int x = 0; x <= 20; x += 2)
        row << QStringLiteral("L%1").arg(x);
    EXPECT_EQ(calls, QStringList{"T0"} + row + QStringList{"T1"} + row + QStringList{"T2"} + row);

    // The screen shrinks to the window's size after the first row's second column: the sweep
    // ends at once.
    calls.clear();
    int span = 100;
    auto shrinking_left = [&](int x) {
        left(x);
        if (x == 10)
            span = 0;
    };
    EXPECT_EQ(sweep([&] { return span; }, [&] { return span; }, top, shrinking_left), 10 + 2 * 10);
    EXPECT_EQ(calls, (QStringList{"T0", "L0", "L10"}));
}

TEST(Centring, TruncatesTowardZeroEvenWhenTheWindowIsLarger) {
    EXPECT_EQ(centred_position(QSize(1024, 768), QSize(386, 336)), QPoint(319, 216));
    EXPECT_EQ(centred_position(QSize(1025, 769), QSize(386, 336)), QPoint(319, 216));
    // -85 / 2 and -35 / 2 truncate to -42 and -17, not down to -43 and -18.
    EXPECT_EQ(centred_position(QSize(301, 301), QSize(386, 336)), QPoint(-42, -17));
}

TEST(Colour_Cycle, StepsThroughTheSixColoursAndBackToWhite) {
    const std::vector<QColor> expected = {
        QColor(255, 0, 0),   QColor(0, 255, 0),   QColor(0, 0, 255),
        QColor(128, 128, 0), QColor(255, 255, 0), QColor(255, 255, 255),
    };
    QColor colour(255, 255, 255);
    int position = 1; // in the cycle, white first
    for (const QColor& next : expected) {
        // The colour is read once for each comparison, up to the one that matches.
        int reads = 0;
        const auto result = next_cycle_colour([&] {
            ++reads;
            return colour.rgba();
        });
        ASSERT_TRUE(result);
        EXPECT_EQ(result->rgba(), next.rgba());
        EXPECT_EQ(reads, position);
        colour = *result;
        ++position;
    }
}

TEST(Colour_Cycle, MatchesByValueAndLeavesOtherColoursAlone) {
    auto next = [](const QColor& colour) {
        return next_cycle_colour([colour] { return colour.rgba(); });
    };
    // Same red, held as hue/saturation/value.
    ASSERT_TRUE(next(QColor::fromHsv(0, 255, 255)));
    EXPECT_EQ(next(QColor::fromHsv(0, 255, 255))->rgba(), QColor(0, 255, 0).rgba());
    // Dark green is not the cycle's lime, nor is an olive one step off; each was compared with
    // all six colours.
    EXPECT_FALSE(next(QColor(0, 128, 0)));
    EXPECT_FALSE(next(QColor(128, 128, 1)));
    int reads = 0;
    EXPECT_FALSE(next_cycle_colour([&] {
        ++reads;
        return QColor(1, 2, 3).rgba();
    }));
    EXPECT_EQ(reads, 6);
}

TEST(Pixel_Count, DesignShapesFiftyRepetitionsThreeManipulations) {
    std::vector<QSize> sizes;
    for (int n = 1; n <= shape_count; ++n)
        sizes.push_back(shape_design_bounds(n).size());
    EXPECT_EQ(pixel_count(sizes, 50, 3), 5011500.0L);
    EXPECT_EQ(pixel_count(sizes, 1, 1), 33410.0L);
    EXPECT_EQ(pixel_count(sizes, 0, 3), 0.0L);
}

TEST(Pixel_Count, CountersAreUnsignedAndTheAreaIs32Bit) {
    const std::vector<QSize> one = {QSize(10, 10)};
    // -1 read as unsigned 32-bit.
    EXPECT_EQ(pixel_count(one, -1, 1), 100.0L * 4294967295.0L);
    // 2^31 does not fit a signed 32-bit area: it wraps to -2^31.
    const std::vector<QSize> huge = {QSize(65536, 16384), QSize(65536, 16384)};
    EXPECT_EQ(pixel_count(huge, 1, 1), -2147483648.0L);
    // The multiplications themselves are not 32-bit: no wrap there.
    EXPECT_EQ(pixel_count(one, 100000, 100000), 1e12L);
}

} // namespace
} // namespace smx::engine::graphics
