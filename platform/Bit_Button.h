#pragma once
#include <QSize>
#include <QToolButton>

class QKeyEvent;

namespace smx::platform {

// The pictures drawn on the program's buttons.
enum class Glyph {
    Select_All,
    Select_None,
    Benchmark,
    Save,
    Replace,
    Delete,
    Load,
    Compare,
    Exit,
    Graph,
    Ok_Tick,
    Cancel_Ring
};

// A two-frame picture: the normal frame, and a greyed one for the disabled state.
QIcon make_glyph(Glyph glyph, QSize frame);

// A push button with a picture above its caption.
class TBitBtn : public QToolButton {
    Q_OBJECT
public:
    explicit TBitBtn(QWidget* parent = nullptr);
    void setGlyph(Glyph glyph, QSize frame);
    void setCaptionColor(const QColor& color);

protected:
    // Return and Enter press the focused button, as Space does.
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace smx::platform
