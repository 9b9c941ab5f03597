#include "platform/Design_Fonts.h"

#include <QFontMetricsF>
#include <QHash>
#include <algorithm>
#include <cmath>

namespace smx::platform {
namespace {

const QString kSample = QStringLiteral("Floating Point Arithmetic Number of small files to create "
                                       "(read and write) Benchmark Select None");

// The sample's width at 1000 pixels in each design family, measured with its metric twin.
struct Design_Width {
    const char* family;
    double regular;
    double bold;
};
constexpr Design_Width kDesign_Widths[] = {{"Times New Roman", 39487.9, 41880.9},
                                           {"Arial", 42906.4, 46138.9}};

double sample_width(QFont font, int stretch) {
    font.setPixelSize(1000);
    font.setStretch(stretch);
    return QFontMetricsF(font).horizontalAdvance(kSample);
}

} // namespace

QString design_sample() {
    return kSample;
}

int stretch_to_width(QFont font, double design_width) {
    // Glyph advances do not scale exactly with the stretch (hinting), so the first guess is
    // checked and narrowed further until the sample fits.
    const double natural = sample_width(font, 100);
    if (natural <= design_width * 1.01)
        return 100;
    int stretch = std::max(50, static_cast<int>(std::floor(100 * design_width / natural)));
    while (stretch > 50 && sample_width(font, stretch) > design_width * 1.01)
        --stretch;
    return stretch;
}

QFont fit_design_widths(QFont font) {
    const QString family = font.family();
    const auto* design =
        std::find_if(std::begin(kDesign_Widths), std::end(kDesign_Widths),
                     [&](const Design_Width& d) { return family == QLatin1String(d.family); });
    if (design == std::end(kDesign_Widths))
        return font;
    // Measured once per family and weight: the forms ask for their fonts many times at start.
    static QHash<QString, int> stretches;
    const bool bold = font.bold();
    const QString key = family + (bold ? QStringLiteral("/bold") : QStringLiteral("/regular"));
    auto it = stretches.find(key);
    if (it == stretches.end())
        it = stretches.insert(key, stretch_to_width(font, bold ? design->bold : design->regular));
    if (*it != 100)
        font.setStretch(*it);
    return font;
}

} // namespace smx::platform
