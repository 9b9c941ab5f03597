#include "dialogs/About_Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace smx::dialogs {
namespace {

const QColor kNavy(16, 32, 84);
const QColor kTeal(0, 128, 140);
const QColor kAmber(255, 184, 28);
const QColor kNeedle(230, 30, 30);

// Paints on a design grid of the given size, stretched to the widget.
void stretch_to(QPainter& p, const QWidget& w, QSizeF design) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.scale(w.width() / design.width(), w.height() / design.height());
}

// A speed dial centred at `c` with radius `r`; the needle at `fraction` of its sweep.
void draw_dial(QPainter& p, QPointF c, double r, double fraction) {
    QRadialGradient face(c, r);
    face.setColorAt(0, QColor(60, 80, 140));
    face.setColorAt(1, kNavy);
    p.setPen(QPen(QColor(200, 210, 230), r * 0.06));
    p.setBrush(face);
    p.drawEllipse(c, r, r);
    // The sweep runs clockwise from lower left (225 degrees) to lower right (-45 degrees).
    auto at = [&](double f, double radius) {
        const double a = (225.0 - 270.0 * f) * std::numbers::pi / 180.0;
        return QPointF(c.x() + radius * std::cos(a), c.y() - radius * std::sin(a));
    };
    for (int i = 0; i <= 10; ++i) {
        const double f = i / 10.0;
        const bool red_zone = i >= 8;
        p.setPen(QPen(red_zone ? kNeedle : QColor(230, 235, 245), i % 5 == 0 ? r * 0.07 : r * 0.04,
                      Qt::SolidLine, Qt::RoundCap));
        p.drawLine(at(f, r * 0.78), at(f, r * (i % 5 == 0 ? 0.6 : 0.68)));
    }
    p.setPen(QPen(kNeedle, r * 0.07, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, at(fraction, r * 0.72));
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawEllipse(c, r * 0.1, r * 0.1);
}

void draw_banner(QPainter& p) {
    const QRectF area(0, 0, 611, 67);
    QLinearGradient sky(area.topLeft(), area.topRight());
    sky.setColorAt(0, kNavy);
    sky.setColorAt(0.65, kTeal);
    sky.setColorAt(1, QColor(120, 200, 200));
    p.fillRect(area, sky);
    // Speed streaks trailing the word mark.
    p.setPen(QPen(QColor(255, 255, 255, 150), 2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) {
        const double y = 20 + i * 9;
        p.drawLine(QPointF(70 + i * 10, y), QPointF(150 - i * 6, y));
    }
    draw_dial(p, QPointF(36, 34), 26, 0.8);
    QFont mark(QStringLiteral("Arial"));
    mark.setPixelSize(40);
    mark.setBold(true);
    mark.setItalic(true);
    p.setFont(mark);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QRectF(162, 9, 300, 50), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Speedmetrix"));
    p.setPen(Qt::white);
    p.drawText(QRectF(160, 7, 300, 50), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Speedmetrix"));
    QFont tag(QStringLiteral("Arial"));
    tag.setPixelSize(14);
    p.setFont(tag);
    p.setPen(kNavy);
    p.drawText(QRectF(400, 40, 200, 20), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("how fast is your PC?"));
    // A chequered flag in the top right corner.
    const double cell = 6;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 5; ++col)
            p.fillRect(QRectF(570 + col * cell, 8 + row * cell, cell, cell),
                       (row + col) % 2 ? QColor(Qt::white) : QColor(Qt::black));
    p.setPen(QPen(kNavy, 2));
    p.drawLine(QPointF(570, 8), QPointF(570, 36));
}

void draw_badge(QPainter& p) {
    const QRectF area(0.5, 0.5, 148, 40);
    QLinearGradient fill(area.topLeft(), area.bottomLeft());
    fill.setColorAt(0, QColor(40, 70, 150));
    fill.setColorAt(1, kNavy);
    p.setPen(QPen(kAmber, 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(area, 8, 8);
    // The left part is left plain for the badge's caption; a small dial fills the right.
    draw_dial(p, QPointF(126, 20.5), 15, 0.9);
}

void draw_donation_button(QPainter& p) {
    const QRectF area(0.5, 0.5, 61, 30);
    QLinearGradient fill(area.topLeft(), area.bottomLeft());
    fill.setColorAt(0, QColor(255, 224, 120));
    fill.setColorAt(1, kAmber);
    p.setPen(QPen(QColor(170, 110, 0), 1));
    p.setBrush(fill);
    p.drawRoundedRect(area, 13, 13);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kNavy);
    p.drawText(area, Qt::AlignCenter, QStringLiteral("Donate"));
}

} // namespace

TDrawn_Picture::TDrawn_Picture(About_Picture picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {}

void TDrawn_Picture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    switch (picture_) {
    case About_Picture::Banner:
        stretch_to(p, *this, QSizeF(611, 67));
        draw_banner(p);
        break;
    case About_Picture::Badge:
        stretch_to(p, *this, QSizeF(149, 41));
        draw_badge(p);
        break;
    case About_Picture::Donation_Button:
        stretch_to(p, *this, QSizeF(62, 31));
        draw_donation_button(p);
        break;
    }
}

TAnimated_Logo::TAnimated_Logo(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(Frame_Interval_Ms);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % Frame_Count;
        update();
    });
}

void TAnimated_Logo::start() {
    timer_.start();
}

void TAnimated_Logo::stop() {
    timer_.stop();
}

void TAnimated_Logo::paintEvent(QPaintEvent*) {
    QPainter p(this);
    stretch_to(p, *this, QSizeF(135, 125));
    // Up in the first half of the loop, back down in the second, easing at both ends.
    const double phase = static_cast<double>(frame_) / Frame_Count;
    const double fraction = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * phase);
    draw_dial(p, QPointF(67.5, 56), 50, 0.05 + 0.9 * fraction);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kNavy);
    p.drawText(QRectF(0, 104, 135, 20), Qt::AlignCenter, QStringLiteral("SPEEDMETRIX"));
}

} // namespace smx::dialogs
