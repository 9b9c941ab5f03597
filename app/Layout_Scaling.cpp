#include "app/Layout_Scaling.h"

#include <QStringList>
#include <algorithm>

namespace smx::app {

QString reference_header(QSize client) {
    return QStringLiteral("%1 %2 W/H Mainform1").arg(client.width()).arg(client.height());
}

std::optional<QSize> parse_reference_header(const QString& line) {
    const QStringList fields = line.split(QLatin1Char(' '));
    if (fields.size() < 2)
        return std::nullopt;
    bool ok_w = false;
    bool ok_h = false;
    const int w = fields[0].toInt(&ok_w);
    const int h = fields[1].toInt(&ok_h);
    if (!ok_w || !ok_h || w <= 0 || h <= 0)
        return std::nullopt;
    return QSize(w, h);
}

QString reference_line(const Reference_Geometry& g, const QString& name) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(g.left)
        .arg(g.width)
        .arg(g.top)
        .arg(g.height)
        .arg(g.font_points)
        .arg(name);
}

QString non_visual_reference_line() {
    return QStringLiteral("0");
}

std::optional<Reference_Geometry> parse_reference_line(const QString& line) {
    if (line.size() <= 1)
        return std::nullopt;
    const QStringList fields = line.split(QLatin1Char(' '));
    if (fields.size() < 5)
        return std::nullopt;
    int values[5];
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        values[i] = fields[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return Reference_Geometry{values[0], values[1], values[2], values[3], values[4]};
}

Scale_Factors scale_factors(QSize reference, QSize current) {
    Scale_Factors f;
    f.sx = static_cast<double>(current.width()) / reference.width();
    f.sy = static_cast<double>(current.height()) / reference.height();
    f.sf = std::min(f.sx, f.sy);
    return f;
}

Reference_Geometry scale_geometry(const Reference_Geometry& r, const Scale_Factors& f) {
    // static_cast to int truncates toward zero.
    return Reference_Geometry{static_cast<int>(r.left * f.sx), static_cast<int>(r.width * f.sx),
                              static_cast<int>(r.top * f.sy), static_cast<int>(r.height * f.sy),
                              static_cast<int>(r.font_points * f.sf)};
}

} // namespace smx::app
