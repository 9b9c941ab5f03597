#include "platform/Bit_Button.h"

#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace smx::platform {
namespace {

// Each picture is drawn on a 16 x 16 grid and scaled to its frame.
void draw_glyph(QPainter& p, Glyph glyph) {
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPen outline(QColor(0, 0, 0), 1.0);
    auto tick = [&](const QColor& color, const QRectF& box) {
        QPainterPath path;
        path.moveTo(box.left() + box.width() * 0.1, box.top() + box.height() * 0.55);
        path.lineTo(box.left() + box.width() * 0.4, box.top() + box.height() * 0.85);
        path.lineTo(box.left() + box.width() * 0.95, box.top() + box.height() * 0.15);
        p.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };
    auto cross = [&](const QColor& color, const QRectF& box) {
        p.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(box.topLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomLeft());
    };
    auto page = [&](const QColor& fill) {
        p.setPen(outline);
        p.setBrush(fill);
        p.drawRect(QRectF(2.5, 1.5, 10, 13));
    };
    switch (glyph) {
    case Glyph::Select_All:
        for (int i = 0; i < 3; ++i) {
            p.setPen(outline);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(1.5, 1.5 + i * 5, 4, 4));
            tick(QColor(0, 128, 0), QRectF(1.5, 1.0 + i * 5, 5, 4.5));
            p.setPen(QPen(QColor(0, 0, 128), 1.0));
            p.drawLine(QPointF(8, 3.5 + i * 5), QPointF(15, 3.5 + i * 5));
        }
        break;
    case Glyph::Select_None:
        for (int i = 0; i < 3; ++i) {
            p.setPen(outline);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(1.5, 1.5 + i * 5, 4, 4));
            p.setPen(QPen(QColor(0, 0, 128), 1.0));
            p.drawLine(QPointF(8, 3.5 + i * 5), QPointF(15, 3.5 + i * 5));
        }
        break;
    case Glyph::Benchmark: {
        // A speedometer: dial and needle.
        p.setPen(outline);
        p.setBrush(QColor(255, 255, 0));
        p.drawPie(QRectF(0.5, 2.5, 15, 15), 0, 180 * 16);
        p.setPen(QPen(QColor(255, 0, 0), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 10), QPointF(13, 4.5));
        break;
    }
    case Glyph::Save:
        p.setPen(outline);
        p.setBrush(QColor(0, 0, 128));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    case Glyph::Replace:
        page(Qt::white);
        p.setPen(QPen(QColor(255, 0, 0), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(4, 4, 8, 8), 30 * 16, 300 * 16);
        p.drawLine(QPointF(12, 4), QPointF(12, 7.5));
        break;
    case Glyph::Delete:
        page(Qt::white);
        cross(QColor(255, 0, 0), QRectF(4, 4, 8, 8));
        break;
    case Glyph::Load:
        p.setPen(outline);
        p.setBrush(QColor(255, 255, 128));
        p.drawRect(QRectF(1.5, 5.5, 13, 9));
        p.drawRect(QRectF(1.5, 3.5, 6, 2));
        p.setPen(QPen(QColor(255, 0, 0), 1.6));
        p.drawLine(QPointF(8, 7), QPointF(8, 13));
        p.drawLine(QPointF(5.5, 10.5), QPointF(8, 13));
        p.drawLine(QPointF(10.5, 10.5), QPointF(8, 13));
        break;
    case Glyph::Compare:
        p.setPen(outline);
        p.setBrush(QColor(255, 0, 0));
        p.drawRect(QRectF(1.5, 3.5, 13, 4));
        p.setBrush(QColor(0, 255, 0));
        p.drawRect(QRectF(1.5, 9.5, 9, 4));
        break;
    case Glyph::Exit:
        p.setPen(outline);
        p.setBrush(QColor(128, 64, 0));
        p.drawRect(QRectF(3.5, 1.5, 8, 13));
        p.setBrush(QColor(255, 255, 0));
        p.drawEllipse(QRectF(8.5, 7.5, 2, 2));
        break;
    case Glyph::Graph:
        p.setPen(outline);
        p.setBrush(QColor(255, 0, 0));
        p.drawRect(QRectF(1.5, 2.5, 12, 3));
        p.drawRect(QRectF(1.5, 7.5, 8, 3));
        p.drawRect(QRectF(1.5, 12.5, 5, 3));
        break;
    case Glyph::Ok_Tick:
        tick(QColor(0, 160, 0), QRectF(1, 2, 14, 12));
        break;
    case Glyph::Cancel_Ring:
        p.setPen(QPen(QColor(255, 0, 0), 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(QColor(0, 0, 0), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 4.5), QPointF(8, 9.5));
        p.drawPoint(QPointF(8, 12));
        p.setPen(QPen(QColor(255, 0, 0), 2.0));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        break;
    }
}

QPixmap render_frame(Glyph glyph, QSize frame) {
    QPixmap pixmap(frame);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.scale(frame.width() / 16.0, frame.height() / 16.0);
    draw_glyph(p, glyph);
    return pixmap;
}

// The greyed frame: every drawn pixel in a grey of its own brightness, lightened.
QPixmap greyed(const QPixmap& normal) {
    QImage image = normal.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

QIcon make_glyph(Glyph glyph, QSize frame) {
    const QPixmap normal = render_frame(glyph, frame);
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(greyed(normal), QIcon::Disabled);
    return icon;
}

TBitBtn::TBitBtn(QWidget* parent) : QToolButton(parent) {
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setFocusPolicy(Qt::StrongFocus); // like a push button: a click takes the focus
    setAutoRaise(false);
}

void TBitBtn::setGlyph(Glyph glyph, QSize frame) {
    setIcon(make_glyph(glyph, frame));
    setIconSize(frame);
}

void TBitBtn::setCaptionColor(const QColor& color) {
    // Enabled states only: a disabled button keeps the style's greyed caption, like its picture.
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::ButtonText, color);
    pal.setColor(QPalette::Inactive, QPalette::ButtonText, color);
    setPalette(pal);
}

void TBitBtn::keyPressEvent(QKeyEvent* event) {
    // A tool button takes only Space; on every desktop Return presses the focused button too.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat() && isEnabled())
            click();
        return;
    }
    QToolButton::keyPressEvent(event);
}

} // namespace smx::platform
