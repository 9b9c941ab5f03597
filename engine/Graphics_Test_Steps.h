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

// Distance the sweep advances per step along a span of `span` pixels. A tenth of the span, but
// never less than one pixel, so a span of 1 to 9 pixels still ends.
int sweep_step(int span);

// The window sweep: rows from y = 0 while y < the height span, each starting with set_top(y),
// then columns from x = 0 while x < the width span, each set_left(x). The spans are read again
// before every comparison and step, as the screen or the window may change size meanwhile.
// Returns what the sweep adds to the test's counter: 10 per row and 10 per column.
int sweep(const std::function<int()>& span_x, const std::function<int()>& span_y,
          const std::function<void(int)>& set_top, const std::function<void(int)>& set_left);

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

// The colour that follows the current one in the cycle, or nothing for a colour outside it. The
// current colour is read afresh for each colour it is compared with, white first.
std::optional<QColor> next_cycle_colour(const std::function<QRgb()>& current_colour);

// Design bounds of Shape1 .. Shape6 (n is 1-based), relative to the window's client area.
QRect shape_design_bounds(int n);

// Pixels drawn by a 2D test: the shapes' areas (each product and the sum in 32-bit integers)
// times the repetitions and the manipulations, both taken as unsigned 32-bit, in long double.
long double pixel_count(std::span<const QSize> shape_sizes, int repetitions, int manipulations);

} // namespace smx::engine::graphics
