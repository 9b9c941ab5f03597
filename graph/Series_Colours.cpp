#include "graph/Series_Colours.h"

#include <array>
#include <cmath>

namespace smx::graph {

QColor Series_Colour(int index) {
    static const std::array<QColor, 12> Fixed = {
        QColor(255, 0, 0),   QColor(0, 255, 0),   QColor(0, 0, 255),   QColor(255, 128, 0),
        QColor(255, 0, 255), QColor(0, 128, 128), QColor(128, 0, 128), QColor(128, 128, 0),
        QColor(0, 0, 128),   QColor(128, 0, 0),   QColor(0, 191, 255), QColor(128, 128, 128)};
    if (index >= 0 && static_cast<std::size_t>(index) < Fixed.size())
        return Fixed[static_cast<std::size_t>(index)];
    // Beyond those, hues a golden angle apart never repeat and stay spread out.
    const double hue = std::fmod(std::abs(index) * 137.508, 360.0);
    return QColor::fromHsv(static_cast<int>(hue), 217, 204);
}

QColor Series_Text_Colour(int index) {
    if (index == 1)
        return QColor(0, 128, 0); // as the window writes the comparison set's name
    const QColor c = Series_Colour(index);
    const double luminance = 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue();
    return luminance > 140 ? c.darker(200) : c;
}

} // namespace smx::graph
