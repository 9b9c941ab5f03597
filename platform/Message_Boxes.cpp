#include "platform/Message_Boxes.h"

#include "platform/Product.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <algorithm>

namespace smx::platform {
namespace {
Scripted_Responder* g_active = nullptr;
QString g_application_title;

// A message's own line breaks stand as written. Qt wraps any line of a message box that it finds
// long at a space, on lines of its own; text whose spaces are kept as they stand cannot be
// wrapped there, so the box grows to its longest line instead (to the screen's width at most).
QString Without_Rewrapping(const QString& text) {
    if (!text.contains(QLatin1Char('\n')))
        return text;
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return QStringLiteral("<div style=\"white-space:pre\">") + lines.toHtmlEscaped() +
           QStringLiteral("</div>");
}

int run_box(QMessageBox::Icon icon, const QString& title, const QString& text,
            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button,
            QMessageBox::StandardButton escape_button) {
    QMessageBox box(icon, title, Without_Rewrapping(text), buttons);
    box.setTextFormat(text.contains(QLatin1Char('\n')) ? Qt::RichText : Qt::PlainText);
    box.setDefaultButton(default_button);
    box.setEscapeButton(escape_button);
    return box.exec();
}
} // namespace

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
    dialog.resize(std::max(dialog.sizeHint().width(), 360), dialog.sizeHint().height());
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
