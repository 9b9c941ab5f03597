#include "platform/Message_Boxes.h"

#include "platform/Modal_Owner.h"
#include "platform/Product.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace smx::platform {
namespace {
Scripted_Responder* g_active = nullptr;
QString g_application_title;

// The frame the window manager drew around the last box it framed: it draws every box alike.
QMargins g_box_frame;

QMargins frame_margins(const QWidget& window) {
    // The window system's own word once the window is shown; the widget's may lag behind it.
    if (const QWindow* handle = window.windowHandle(); handle != nullptr && window.isVisible())
        return handle->frameMargins();
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// A box's frame before the window manager has drawn it: the last box's, or else that of a window
// already on screen (without the grip a resizable window has at its foot), or else none.
QMargins expected_frame(const QWidget& box) {
    if (const QMargins own = frame_margins(box); !own.isNull())
        return own;
    if (!g_box_frame.isNull())
        return g_box_frame;
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget* window : windows) {
        const QMargins frame = window->isVisible() ? frame_margins(*window) : QMargins();
        if (window != &box && !frame.isNull())
            return {frame.left(), frame.top(), frame.right(), frame.left()};
    }
    return {};
}

QRect work_area(const QWidget& box) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        screen = box.screen();
    return screen ? screen->availableGeometry() : QRect();
}

// Puts the box's frame, as the window manager draws it, in the middle of the screen. Before the
// box is first shown, its position is that of its frame to the window manager too.
void centre_frame(QWidget& box) {
    const QRect work = work_area(box);
    if (work.isEmpty())
        return;
    QRect outer(QPoint(), box.size().grownBy(expected_frame(box)));
    outer.moveCenter(work.center());
    // Shown and framed, the window's own place is set: the window system turns it into the
    // frame's place whichever way it told the window manager to read places.
    QWindow* handle = box.windowHandle();
    const QMargins framed = handle && box.isVisible() ? handle->frameMargins() : QMargins();
    if (!framed.isNull())
        handle->setPosition(outer.topLeft() + QPoint(framed.left(), framed.top()));
    else
        box.move(outer.topLeft());
}

// Centres the box once more when the window manager has drawn its frame, if it is not the
// frame expected; from then on the box stays wherever the user moves it. The frame is asked for
// until it is known: no event of the box's own reliably follows it.
class Centred_Once_Framed : public QObject {
public:
    explicit Centred_Once_Framed(QWidget& box) : QObject(&box), box_(box) {
        box.installEventFilter(this);
        poll_.setInterval(20);
        connect(&poll_, &QTimer::timeout, this, &Centred_Once_Framed::look);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &box_ && event->type() == QEvent::Show && !done_) {
            tries_ = 0;
            poll_.start();
        }
        return false;
    }

private:
    void look() {
        const QWindow* handle = box_.windowHandle();
        const QMargins frame = handle && box_.isVisible() ? handle->frameMargins() : QMargins();
        if (frame.isNull() && ++tries_ < 100)
            return;
        poll_.stop();
        done_ = true;
        if (frame.isNull())
            return;
        g_box_frame = frame;
        centre_frame(box_);
    }

    QWidget& box_;
    QTimer poll_;
    int tries_ = 0;
    bool done_ = false;
};

QString normalised_line_ends(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A message box whose text is always readable in full: its own line breaks stand, the box is as
// wide as the longest line (a message of one line is wrapped at about half the screen, as
// message boxes do), no wider than the screen, and a line too long for it is broken at a blank
// or, a word too long for a line, anywhere. Its title is not cut short either.
class Message_Box : public QMessageBox {
public:
    Message_Box(Icon icon, const QString& title, const QString& text, StandardButtons buttons)
        : QMessageBox(icon, title, QString(), buttons), text_(normalised_line_ends(text)) {}

    void fit_text() {
        if (fitting_)
            return;
        const QScopedValueRollback<bool> fitting(fitting_, true);
        auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (label == nullptr) { // not this toolkit's box: its own sizing stands
            if (QMessageBox::text() != text_)
                setText(text_);
            return;
        }
        const QRect work = work_area(*this);
        const QMargins frame = expected_frame(*this);
        const int widest = std::max(1, work.width() - frame.left() - frame.right());
        // Advances are fractional: the line is measured as the layout will lay it out.
        const QFontMetricsF metrics(label->font());
        const QStringList paragraphs = text_.split(QLatin1Char('\n'));
        int natural = 1;
        for (const QString& paragraph : paragraphs)
            natural = std::max(
                natural, static_cast<int>(std::ceil(metrics.horizontalAdvance(paragraph))) + 1);
        int line_width =
            paragraphs.size() > 1 ? natural : std::min(natural, std::min(work.width() / 2, 500));
        // Only what changes: each change asks for a new layout, which comes back here.
        if (label->textFormat() != Qt::RichText)
            label->setTextFormat(Qt::RichText);
        if (label->wordWrap())
            label->setWordWrap(false);
        QSize need;
        // The lines at a width, and the box they need; narrower lines while the box is too wide.
        for (int attempt = 0; attempt < 4; ++attempt) {
            const QString html = QStringLiteral("<div style=\"white-space:pre\">") +
                                 Wrap_Box_Text(text_, label->font(), line_width)
                                     .join(QLatin1Char('\n'))
                                     .toHtmlEscaped() +
                                 QStringLiteral("</div>");
            if (label->text() != html)
                label->setText(html);
            layout()->activate();
            need = layout()->totalMinimumSize();
            if (need.width() <= widest || line_width <= 1)
                break;
            line_width = std::max(1, line_width - (need.width() - widest));
        }
        // Window managers draw the title in bold, beside the window's icon and its buttons.
        QFont title_font = font();
        title_font.setBold(true);
        const int title_bar = std::max(frame.top(), 20);
        const int title_width =
            QFontMetrics(title_font).horizontalAdvance(windowTitle()) + 5 * title_bar;
        const QSize box(std::min(widest, std::max(need.width(), title_width)), need.height());
        if (size() != box || minimumSize() != box || maximumSize() != box)
            setFixedSize(box);
        fitted_ = true;
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::LayoutRequest && fitted_) {
            // Not QMessageBox's handling, which would size the box its own way again.
            const bool handled = QDialog::event(event);
            fit_text();
            return handled;
        }
        return QMessageBox::event(event);
    }
    void showEvent(QShowEvent* event) override {
        // QMessageBox's own sizing runs here too (with its Escape button set up); the text's then
        // takes over.
        QMessageBox::showEvent(event);
        fit_text();
    }
    void keyPressEvent(QKeyEvent* event) override {
        // The message as written, not the markup that lays it out.
        if (event == QKeySequence::Copy) {
            const QString rule = QStringLiteral("---------------------------\n");
            QStringList captions;
            const auto all = buttons();
            for (const QAbstractButton* button : all)
                captions << button->text();
            QGuiApplication::clipboard()->setText(
                rule + windowTitle() + QLatin1Char('\n') + rule + text_ + QLatin1Char('\n') + rule +
                captions.join(QStringLiteral("   ")) + QLatin1Char('\n') + rule);
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

private:
    QString text_;
    bool fitted_ = false;
    bool fitting_ = false;
};

int run_box(QMessageBox::Icon icon, const QString& title, const QString& text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button,
            QMessageBox::StandardButton escape_button) {
    Message_Box box(icon, title, text, buttons);
    box.setDefaultButton(default_button);
    box.setEscapeButton(escape_button);
    box.ensurePolished();
    box.fit_text();
    centre_frame(box);
    new Centred_Once_Framed(box);
    Keep_Unminimised(box);
    return box.exec();
}
} // namespace

QStringList Wrap_Box_Text(const QString& text, const QFont& font, int width) {
    QStringList lines;
    const QStringList paragraphs = normalised_line_ends(text).split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(1, width));
            QString piece = paragraph.mid(line.textStart(), line.textLength());
            // The blanks at a break stand at the end of the line, where they take room.
            if (line.textStart() + line.textLength() < paragraph.size())
                while (piece.size() > 1 && piece.back() == QLatin1Char(' '))
                    piece.chop(1);
            lines << piece;
        }
        layout.endLayout();
    }
    return lines;
}

QString application_title() {
    // Boxes shown before the titles are set (reading the settings file comes first) carry the
    // program's title too, never the process name.
    return g_application_title.isEmpty() ? QString::fromLatin1(Program_Title) : g_application_title;
}

void set_application_title(const QString& title) {
    g_application_title = title;
}

void show_information(const QString& title, const QString& text) {
    if (g_active) {
        g_active->answer(Box_Kind::Information, title, text);
        return;
    }
    run_box(QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok,
            QMessageBox::Ok);
}

void show_error(const QString& title, const QString& text) {
    if (g_active) {
        g_active->answer(Box_Kind::Error, title, text);
        return;
    }
    run_box(QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

void show_general_error(const QString& error_text) {
    show_error(application_title(), error_text + QLatin1Char('.'));
}

Box_Answer ask_warning_question(const QString& title, const QString& text,
                                Box_Answer default_button) {
    if (g_active) {
        const auto reply = g_active->answer(Box_Kind::Warning_Question, title, text);
        return reply.answer == Box_Answer::Yes ? Box_Answer::Yes : Box_Answer::No;
    }
    const auto def = default_button == Box_Answer::No ? QMessageBox::No : QMessageBox::Yes;
    const int result = run_box(QMessageBox::Warning, title, text,
                               QMessageBox::Yes | QMessageBox::No, def, QMessageBox::No);
    return result == QMessageBox::Yes ? Box_Answer::Yes : Box_Answer::No;
}

std::optional<QString> input_text(const QString& title, const QString& prompt,
                                  const QString& initial, int max_length) {
    if (g_active) {
        const auto reply = g_active->answer(Box_Kind::Text_Input, title, prompt, initial);
        if (reply.answer != Box_Answer::Ok)
            return std::nullopt;
        return max_length > 0 ? reply.text.left(max_length) : reply.text;
    }
    QInputDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(initial);
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        if (max_length > 0)
            edit->setMaxLength(max_length);
        edit->selectAll();
    }
    // Wide enough for a long name and for the title, which window managers cut short.
    dialog.ensurePolished();
    dialog.resize(std::max(dialog.sizeHint().width(), 360), dialog.sizeHint().height());
    centre_frame(dialog);
    new Centred_Once_Framed(dialog);
    Keep_Unminimised(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

Scripted_Responder::Scripted_Responder() : previous_(g_active) {
    g_active = this;
}

Scripted_Responder::~Scripted_Responder() {
    g_active = previous_;
}

Scripted_Responder* Scripted_Responder::active() {
    return g_active;
}

void Scripted_Responder::queue(Box_Answer answer, const QString& text) {
    queue_.push_back(Reply{answer, text});
}

Scripted_Responder::Reply Scripted_Responder::answer(Box_Kind kind, const QString& title,
                                                     const QString& text, const QString& initial) {
    shown_.push_back(Shown_Box{kind, title, text, initial});
    const bool is_question = kind == Box_Kind::Warning_Question || kind == Box_Kind::Text_Input;
    if (!is_question)
        return Reply{Box_Answer::Ok, {}};
    if (queue_.empty()) {
        ++unanswered_;
        return Reply{kind == Box_Kind::Text_Input ? Box_Answer::Cancel : Box_Answer::No, {}};
    }
    Reply reply = queue_.front();
    queue_.erase(queue_.begin());
    return reply;
}

} // namespace smx::platform
