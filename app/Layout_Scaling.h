#pragma once
#include <QSize>
#include <QString>
#include <optional>

namespace smx::app {

// One control's place in the layout reference: pixels relative to its parent, font in points.
struct Reference_Geometry {
    int left = 0;
    int width = 0;
    int top = 0;
    int height = 0;
    int font_points = 0;
    friend bool operator==(const Reference_Geometry&, const Reference_Geometry&) = default;
};

// "W H W/H Mainform1": the client size at capture.
QString reference_header(QSize client);
std::optional<QSize> parse_reference_header(const QString& line);

// "L W T H F Name" for a visual control; non-visual components are the line "0".
QString reference_line(const Reference_Geometry& geometry, const QString& name);
QString non_visual_reference_line();
// The first five fields of a control's line; nothing for a line of length 1 or less.
std::optional<Reference_Geometry> parse_reference_line(const QString& line);

// Scale factors for a client size against the reference: x, y, and fonts by the smaller.
struct Scale_Factors {
    double sx = 1;
    double sy = 1;
    double sf = 1;
};
Scale_Factors scale_factors(QSize reference, QSize current);

// Always from the reference, truncated toward zero, so resizing never accumulates error.
Reference_Geometry scale_geometry(const Reference_Geometry& reference, const Scale_Factors& f);

} // namespace smx::app
