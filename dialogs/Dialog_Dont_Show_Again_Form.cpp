#include "dialogs/Dialog_Dont_Show_Again_Form.h"

#include "platform/Bit_Button.h"
#include "platform/Modal_Owner.h"

#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QTextEdit>
#include <QTextOption>
#include <QTimer>
#include <algorithm>

namespace smx::dialogs {
namespace {
constexpr int Design_Client_Width = 400;
constexpr int Design_Client_Height = 196;
} // namespace

TDialog_Dont_Show_Again_Form::TDialog_Dont_Show_Again_Form(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dialog_Dont_Show_Again_Form"));
    // Fixed dialog border with a title but no title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Dialog_Dont_Show_Again_Form"));
    QFont form_font(QStringLiteral("Times New Roman"));
    form_font.setPixelSize(13);
    setFont(form_font);
    setFixedSize(Design_Client_Width, Design_Client_Height);
    move(192, 107);
    platform::Keep_Unminimised(*this);

    Message_Memo = new QTextEdit(this);
    Message_Memo->setObjectName(QStringLiteral("Message_Memo"));
    Message_Memo->setGeometry(2, 2, 391, 165);
    Message_Memo->setReadOnly(true);
    Message_Memo->setAcceptRichText(false);
    // Scrolls vertically; the bar is there only when the message is longer than the area.
    Message_Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Message_Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Message_Memo->setTabChangesFocus(true);
    Message_Memo->setFocusPolicy(Qt::ClickFocus); // skipped by the Tab key
    QPalette memo_palette = Message_Memo->palette();
    memo_palette.setColor(QPalette::Base, memo_palette.color(QPalette::Button));
    Message_Memo->setPalette(memo_palette);
    Message_Memo->viewport()->installEventFilter(this);

    Exit_Button = new platform::TBitBtn(this);
    Exit_Button->setObjectName(QStringLiteral("Exit_Button"));
    Exit_Button->setGeometry(131, 170, 82, 25);
    Exit_Button->setText(QStringLiteral("OK"));
    Exit_Button->setToolTip(QStringLiteral("Click to continue ..."));
    Exit_Button->setGlyph(platform::Glyph::Ok_Tick, QSize(16, 16));
    Exit_Button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    Dont_Show_This_Again_CheckBox = new QCheckBox(this);
    Dont_Show_This_Again_CheckBox->setObjectName(QStringLiteral("Dont_Show_This_Again_CheckBox"));
    Dont_Show_This_Again_CheckBox->setGeometry(232, 174, 165, 17);
    Dont_Show_This_Again_CheckBox->setText(QStringLiteral("Don't Show This Again"));
    Dont_Show_This_Again_CheckBox->setToolTip(
        QStringLiteral("Don't show this message again in the future"));

    setTabOrder(Exit_Button, Dont_Show_This_Again_CheckBox);

    connect(Exit_Button, &QAbstractButton::clicked, this,
            &TDialog_Dont_Show_Again_Form::Exit_ButtonClick);
}

int TDialog_Dont_Show_Again_Form::frame_allowance() const {
    // The frame's height once the window manager has framed the window. Before that, the height
    // it had the last time one was framed (the same manager draws the same frame), or else the
    // style's title bar as a first guess.
    static int last_known = 0;
    const int framed = frameGeometry().height() - geometry().height();
    if (framed > 0)
        last_known = framed;
    if (last_known > 0)
        return last_known;
    return style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
}

bool TDialog_Dont_Show_Again_Form::fit_outer_height() {
    if (outer_height_ <= 0)
        return false;
    const int client = std::max(1, outer_height_ - frame_allowance());
    if (client == height())
        return false;
    setFixedSize(width(), client);
    return true;
}

void TDialog_Dont_Show_Again_Form::Set_Outer_Height(int height) {
    outer_height_ = height;
    fit_outer_height();
}

void TDialog_Dont_Show_Again_Form::Clear_Message() {
    lines_.clear();
    Message_Memo->clear();
}

void TDialog_Dont_Show_Again_Form::Add_Message_Line(const QString& line) {
    lines_.append(line);
    Message_Memo->setPlainText(lines_.join(QLatin1Char('\n')));
}

void TDialog_Dont_Show_Again_Form::Set_Message_Font_Size(int points) {
    QFont f = Message_Memo->font();
    f.setPointSize(points);
    Message_Memo->setFont(f);
    Message_Memo->document()->setDefaultFont(f);
}

void TDialog_Dont_Show_Again_Form::Set_Message_Alignment(Qt::Alignment alignment) {
    QTextOption option = Message_Memo->document()->defaultTextOption();
    option.setAlignment(alignment);
    Message_Memo->document()->setDefaultTextOption(option);
}

void TDialog_Dont_Show_Again_Form::lay_out_controls() {
    const int client_width = width();
    const int client_height = height();
    Message_Memo->setGeometry(2, 2, client_width - 10, client_height - 30);
    Exit_Button->move(Exit_Button->x(), client_height - Exit_Button->height() - 1);
    // Aligned to the button's height, not its own.
    Dont_Show_This_Again_CheckBox->move(Dont_Show_This_Again_CheckBox->x(),
                                        client_height - Exit_Button->height());
}

void TDialog_Dont_Show_Again_Form::FormShow() {
    lay_out_controls();
    Exit_Button->setFocus();
    if (Dont_Show_This_Again_CheckBox->isChecked()) {
        // Closing from inside the show would leave exec() waiting; close once the modal loop
        // runs.
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                Exit_ButtonClick();
        });
    }
}

void TDialog_Dont_Show_Again_Form::Exit_ButtonClick() {
    accept();
}

void TDialog_Dont_Show_Again_Form::Message_MemoClick() {
    Exit_Button->setFocus();
}

bool TDialog_Dont_Show_Again_Form::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    // The window manager reports its frame with the first move or resize after it framed the
    // window: the outer height is then fitted exactly, and the controls follow.
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible() &&
        fit_outer_height())
        lay_out_controls();
    return handled;
}

void TDialog_Dont_Show_Again_Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Shown, the window may know its frame already (it had one before, or the platform draws
    // none of its own).
    fit_outer_height();
    FormShow();
}

void TDialog_Dont_Show_Again_Form::keyPressEvent(QKeyEvent* event) {
    // "OK" is the only way out for the user. Escape is swallowed here rather than by making
    // reject() do nothing: a programmatic reject (the end of the session) must still close it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    // A bitmap button is not a dialog default button, so Enter is passed to it here.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        focusWidget() == Exit_Button) {
        Exit_Button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TDialog_Dont_Show_Again_Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Message_Memo->viewport() && event->type() == QEvent::MouseButtonRelease)
        Message_MemoClick();
    return QDialog::eventFilter(watched, event);
}

} // namespace smx::dialogs
