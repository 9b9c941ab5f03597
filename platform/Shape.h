#pragma once
#include <QColor>
#include <QWidget>

namespace smx::platform {

// A filled geometric shape control.
class TShape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };

    explicit TShape(QWidget* parent = nullptr);

    Kind shape() const { return kind_; }
    void setShape(Kind kind);
    QColor brushColor() const { return brush_; }
    void setBrushColor(const QColor& color);
    QColor penColor() const { return pen_; }
    void setPenColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_ = Kind::Rectangle;
    QColor brush_ = Qt::white;
    QColor pen_ = Qt::black;
};

} // namespace smx::platform
