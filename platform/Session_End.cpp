#include "platform/Session_End.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace smx::platform {
namespace {
// Often enough that a chain of boxes (a question, then its message) ends well within a second.
constexpr int step_interval_ms = 10;
} // namespace

void dismiss_modal_window(QWidget* modal, int attempt) {
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr || attempt >= 6) {
        modal->hide();
        return;
    }
    if (attempt >= 3) {
        dialog->accept();
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        if (QAbstractButton* escape = box->escapeButton()) {
            escape->click();
            return;
        }
    }
    dialog->reject();
}

Session_End::Session_End(std::function<bool()> close_main_window, QObject* parent)
    : QObject(parent), close_main_window_(std::move(close_main_window)) {
    timer_ = new QTimer(this);
    timer_->setInterval(step_interval_ms);
    connect(timer_, &QTimer::timeout, this, &Session_End::step);
}

void Session_End::begin() {
    if (begun_)
        return;
    begun_ = true;
    timer_->start();
    step();
}

void Session_End::step() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        return;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        attempts_ = modal == last_modal_ ? attempts_ + 1 : 0;
        last_modal_ = modal;
        dismiss_modal_window(modal, attempts_);
        return;
    }
    // A modal loop that was just dismissed returns to its caller first, which ends its command.
    if (QThread::currentThread()->loopLevel() > 1)
        return;
    // The close runs from the event loop, not from this timer's slot: a message box that the
    // close itself shows (a settings file that cannot be written) runs a modal loop in which
    // this timer must fire again to dismiss it, and a timer never fires inside its own slot.
    if (closing_)
        return;
    closing_ = true;
    QTimer::singleShot(0, this, [this] {
        if (close_main_window_())
            timer_->stop();
        closing_ = false;
    });
}

} // namespace smx::platform
