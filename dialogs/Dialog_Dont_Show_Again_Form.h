#pragma once
#include <QDialog>
#include <QStringList>

class QCheckBox;
class QTextEdit;

namespace smx::platform {
class TBitBtn;
}

namespace smx::dialogs {

// A read-only message with "OK" and "Don't Show This Again". The caller sets the caption, the
// height and the message before each showing; the dialog lays itself out to that height. The
// check box's state is the caller's answer: once ticked, callers stop showing the message.
class TDialog_Dont_Show_Again_Form : public QDialog {
    Q_OBJECT
public:
    explicit TDialog_Dont_Show_Again_Form(QWidget* parent = nullptr);

    QTextEdit* Message_Memo = nullptr;
    QCheckBox* Dont_Show_This_Again_CheckBox = nullptr;
    platform::TBitBtn* Exit_Button = nullptr;

    // The window's outer height, title bar and frame included. The frame is known only once
    // the window manager has framed the window: until then its last known height stands in,
    // and the height is fitted again as soon as the frame is known.
    void Set_Outer_Height(int height);
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }

    // The message, line by line; an empty string adds an empty line.
    void Clear_Message();
    void Add_Message_Line(const QString& line);
    void Set_Message_Font_Size(int points);
    void Set_Message_Alignment(Qt::Alignment alignment);

    // Handlers.
    void FormShow();
    void Exit_ButtonClick();
    void Message_MemoClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int frame_allowance() const;
    // Fits the client height to the outer height asked for; true when it changed.
    bool fit_outer_height();
    void lay_out_controls();

    QStringList lines_;
    int outer_height_ = 0; // 0: none asked for
};

} // namespace smx::dialogs
