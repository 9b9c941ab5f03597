#include "engine/Graphics_Test_Steps.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace smx::engine::graphics {
namespace {

std::optional<QSize> g_screen_override;

constexpr std::array<QRect, shape_count> design_bounds = {
    QRect(28, 44, 105, 65), QRect(172, 48, 65, 65),  QRect(276, 48, 129, 65),
    QRect(32, 146, 85, 65), QRect(168, 146, 65, 65), QRect(308, 146, 65, 65),
};

} // namespace

QPoint centred_position(QSize screen, QSize window) {
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2};
}

QSize screen_size() {
    if (g_screen_override)
        return *g_screen_override;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(0, 0);
}

void set_screen_size_override(std::optional<QSize> size) {
    g_screen_override = size;
}

int sweep_step(int span) {
    return std::max(1, span / 10);
}

int sweep(const std::function<int()>& span_x, const std::function<int()>& span_y,
          const std::function<void(int)>& set_top, const std::function<void(int)>& set_left) {
    int count = 0;
    for (int y = 0; y < span_y(); y += sweep_step(span_y())) {
        set_top(y);
        count += 10;
        for (int x = 0; x < span_x(); x += sweep_step(span_x())) {
            set_left(x);
            count += 10;
        }
    }
    return count;
}

std::optional<QColor> next_cycle_colour(const std::function<QRgb()>& current_colour) {
    for (std::size_t i = 0; i < colour_cycle.size(); ++i) {
        if (current_colour() == colour_cycle[i])
            return QColor::fromRgba(colour_cycle[(i + 1) % colour_cycle.size()]);
    }
    return std::nullopt;
}

QRect shape_design_bounds(int n) {
    return design_bounds.at(static_cast<std::size_t>(n - 1));
}

long double pixel_count(std::span<const QSize> shape_sizes, int repetitions, int manipulations) {
    // 32-bit wrap-around, done in unsigned arithmetic where it is defined.
    std::uint32_t area = 0;
    for (const QSize& size : shape_sizes)
        area +=
            static_cast<std::uint32_t>(size.height()) * static_cast<std::uint32_t>(size.width());
    const auto signed_area = static_cast<std::int32_t>(area);
    return static_cast<long double>(signed_area) *
           static_cast<long double>(static_cast<std::uint32_t>(repetitions)) *
           static_cast<long double>(static_cast<std::uint32_t>(manipulations));
}

} // namespace smx::engine::graphics
