#include "platform/Shape.h"

#include <QPainter>
#include <algorithm>

namespace smx::platform {

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::setShape(Kind kind) {
    kind_ = kind;
    update();
}

void TShape::setBrushColor(const QColor& color) {
    brush_ = color;
    update();
}

void TShape::setPenColor(const QColor& color) {
    pen_ = color;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(pen_, 1));
    p.setBrush(brush_);
    QRect r(0, 0, width() - 1, height() - 1);
    // Square and circle kinds use the largest centred square.
    if (kind_ == Kind::Square || kind_ == Kind::RoundSquare || kind_ == Kind::Circle) {
        const int side = std::min(r.width(), r.height());
        r = QRect((width() - 1 - side) / 2, (height() - 1 - side) / 2, side, side);
    }
    const int corner = std::min(r.width(), r.height()) / 4;
    switch (kind_) {
    case Kind::Rectangle:
    case Kind::Square:
        p.drawRect(r);
        break;
    case Kind::RoundRect:
    case Kind::RoundSquare:
        p.drawRoundedRect(r, corner, corner);
        break;
    case Kind::Ellipse:
    case Kind::Circle:
        p.drawEllipse(r);
        break;
    }
}

} // namespace smx::platform
