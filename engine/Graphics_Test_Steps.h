#pragma once
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

// The arithmetic of the two graphics tests, kept apart from their windows so it can be checked
// without showing anything.
namespace smx::engine::graphics {

// ---- Shared ----

// Top-left of a window of the given outer size centred on the screen (truncating division).
QPoint centred_position(QSize screen, QSize window);

// The primary screen's size in pixels, or the size a test substituted.
QSize screen_size();
// Tests substitute the screen size; nullopt restores the real one.
void set_screen_size_override(std::optional<QSize> size);

// ---- Controls test ----

// Everything but the sweep: centring twice (20 + 20), the radio group (1 + 12 + 312), the edit
// (26 + 26), the list box (26 x 52) and the panel (26).
inline constexpr int controls_fixed_count = 1795;

// Distance the sweep advances per step along a span of `span` pixels. A tenth of the span, but
// never less than one pixel, so a span of 1 to 9 pixels still ends.
int sweep_step(int span);

// What the sweep adds to the counter when the window can move `dx` pixels across and `dy`
// pixels down: 10 per row plus 10 per column of each row.
int sweep_count(int dx, int dy);

// The counter a whole controls test stores on a screen of the given size.
int controls_test_count(QSize screen, QSize window);

// ---- 2D test ----

inline constexpr int shape_count = 6;

// The colour cycle: white -> red -> lime -> blue -> olive -> yellow -> white.
inline constexpr std::array<QRgb, 6> colour_cycle = {
    0xFFFFFFFFu, // white
    0xFFFF0000u, // red
    0xFF00FF00u, // lime
    0xFF0000FFu, // blue
    0xFF808000u, // olive
    0xFFFFFF00u, // yellow
};

// The colour that follows `colour` in the cycle; a colour outside the cycle stays as it is.
QColor next_cycle_colour(const QColor& colour);

// Design bounds of Shape1 .. Shape6 (n is 1-based), relative to the window's client area.
QRect shape_design_bounds(int n);

// Pixels drawn by a 2D test: the shapes' areas (each product and the sum in 32-bit integers)
// times the repetitions and the manipulations, both taken as unsigned 32-bit, in long double.
long double pixel_count(std::span<const QSize> shape_sizes, int repetitions, int manipulations);

} // namespace smx::engine::graphics
