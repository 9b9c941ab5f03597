#include "platform/Spin_Edit.h"

#include "platform/Events.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <limits>

namespace smx::platform {

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(false);
    setKeyboardTracking(false);
    lineEdit()->setText(QStringLiteral("0"));
}

std::optional<int> TSpinEdit::parse_whole_number(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

qint64 TSpinEdit::clamp_to_range(qint64 value, int min, int max) {
    if (min == max)
        return value;
    if (value < min)
        return min;
    if (value > max)
        return max;
    return value;
}

bool TSpinEdit::accepts_typed_character(QChar c) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
        return false;
    if (c.unicode() < 0x20)
        return true; // other control keys: backspace, copy, paste, escape ...
    if (c == QLatin1Char('+') || c == QLatin1Char('-') ||
        (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
        return true;
    const QString separator = QLocale().decimalPoint();
    return !separator.isEmpty() && c == separator.front();
}

int TSpinEdit::Value() const {
    return parse_whole_number(lineEdit()->text()).value_or(min_);
}

void TSpinEdit::setValue(int value) {
    qint64 clamped = clamp_to_range(value, min_, max_);
    lineEdit()->setText(QString::number(clamped));
}

void TSpinEdit::stepBy(int steps) {
    qint64 next = static_cast<qint64>(Value()) + static_cast<qint64>(steps) * step_;
    next = clamp_to_range(next, min_, max_);
    // Equal bounds mean "no range"; stay within what the field can hold.
    next =
        std::clamp<qint64>(next, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    setValue(static_cast<int>(next));
}

void TSpinEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
        stepBy(1);
        event->accept();
        return;
    case Qt::Key_Down:
        stepBy(-1);
        event->accept();
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        event->ignore();
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!text.isEmpty() && !accepts_typed_character(text.front())) {
        beep();
        event->accept();
        return;
    }
    if (!text.isEmpty() && text.front().unicode() < 0x20 && text.front() != QLatin1Char('\b') &&
        event->matches(QKeySequence::Copy) == false &&
        event->matches(QKeySequence::Paste) == false &&
        event->matches(QKeySequence::Cut) == false &&
        event->matches(QKeySequence::SelectAll) == false &&
        event->matches(QKeySequence::Undo) == false) {
        // Escape and other control keys belong to the window, not the field.
        event->ignore();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    const auto parsed = parse_whole_number(lineEdit()->text());
    if (!parsed)
        return; // not a whole number: left as typed
    if (clamp_to_range(*parsed, min_, max_) != *parsed)
        setValue(*parsed);
}

} // namespace smx::platform
