#include "engine/Graphics_Test_Dialog.h"

#include "engine/Graphics_Test_Steps.h"
#include "platform/Events.h"
#include "platform/Termination.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHideEvent>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

namespace smx::engine {
namespace {
constexpr int close_interval_ms = 25;
constexpr int activation_fallback_ms = 250;
} // namespace

TGraphics_Test_Dialog::TGraphics_Test_Dialog(QWidget* parent, QSize outer_size)
    : QDialog(parent), outer_size_(outer_size) {
    resize(outer_size_);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(close_interval_ms);
    connect(Timer1, &QTimer::timeout, this, &TGraphics_Test_Dialog::Timer1Timer);

    activation_fallback_ = new QTimer(this);
    activation_fallback_->setSingleShot(true);
    activation_fallback_->setInterval(activation_fallback_ms);
    connect(activation_fallback_, &QTimer::timeout, this, [this] {
        if (isVisible())
            Activate();
    });
}

void TGraphics_Test_Dialog::Activate() {
    try {
        FormActivate();
    } catch (const Display_Ended&) {
        reject();
    }
}

void TGraphics_Test_Dialog::Timer1Timer() {
    close();
    // Ticks after the window has gone (it may have been closed by hand during the test) would
    // only ask a hidden window to close again.
    if (!isVisible())
        Timer1->stop();
}

TGraphics_Test_Dialog::Test_Run::Test_Run(TGraphics_Test_Dialog& dialog) : dialog_(dialog) {
    if (dialog_.testing_ || dialog_.tested_this_display_)
        return;
    dialog_.testing_ = true;
    dialog_.tested_this_display_ = true;
    dialog_.activation_fallback_->stop();
    started_ = true;
    dialog_.Wait_Until_On_Screen();
    dialog_.Fit_Outer_Size();
}

TGraphics_Test_Dialog::Test_Run::~Test_Run() {
    if (started_)
        dialog_.testing_ = false;
}

int TGraphics_Test_Dialog::Window_Width() const {
    return frameGeometry().width();
}

int TGraphics_Test_Dialog::Window_Height() const {
    return frameGeometry().height();
}

void TGraphics_Test_Dialog::Set_Top(int top) {
    move(x(), top);
}

void TGraphics_Test_Dialog::Set_Left(int left) {
    move(left, y());
}

void TGraphics_Test_Dialog::Fit_Outer_Size() {
    const QSize frame = frameGeometry().size() - size();
    const QSize client = outer_size_ - frame;
    if (client.isValid() && client != size())
        resize(client);
}

namespace {
// Ends a wait once the watched window is exposed.
class Expose_Watcher : public QObject {
public:
    Expose_Watcher(QWindow* window, QEventLoop& loop) : window_(window), loop_(loop) {
        window_->installEventFilter(this);
    }
    ~Expose_Watcher() override { window_->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // Quitting only takes effect after this event, so the window is drawn first.
        if (event->type() == QEvent::Expose && window_->isExposed())
            loop_.quit();
        return false;
    }

private:
    QWindow* window_;
    QEventLoop& loop_;
};
} // namespace

void TGraphics_Test_Dialog::Wait_Until_On_Screen() {
    QWindow* window = windowHandle();
    if (window == nullptr || !isVisible() || window->isExposed())
        return;
    QEventLoop loop;
    const Expose_Watcher watcher(window, loop);
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
}

void TGraphics_Test_Dialog::Pump_Messages() {
    // Messages first: some changes (a control shown) only mark their area for painting then.
    platform::process_messages();
    QEvent paint_now(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(this, &paint_now);
    // The window system's requests (a move, the painted pixels) wait in the connection's buffer
    // until the event loop would block, which it never does during the test: send them now,
    // wait until the display server has carried them out, and let through what that caused
    // (the parts of other windows uncovered by a move, to be painted).
    QGuiApplication::sync();
    if (platform::stop_requested())
        throw Display_Ended{};
}

void TGraphics_Test_Dialog::Centre_On_Screen() {
    const QPoint at =
        graphics::centred_position(graphics::screen_size(), QSize(Window_Width(), Window_Height()));
    Set_Top(at.y());
    Set_Left(at.x());
}

bool TGraphics_Test_Dialog::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    // Run the test once this event is done: inside the delivery of a window-system event, the
    // test's own message pumps would not see the window system's further events (such as the
    // one that puts the window on screen).
    // A window closed before then has nothing left to test.
    if (event->type() == QEvent::WindowActivate) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isVisible())
                    Activate();
            },
            Qt::QueuedConnection);
    }
    return handled;
}

void TGraphics_Test_Dialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window the window system shows again (restored from minimised) is the same display.
    if (event->spontaneous())
        return;
    Fit_Outer_Size();
    tested_this_display_ = false;
    activation_fallback_->start();
}

void TGraphics_Test_Dialog::hideEvent(QHideEvent* event) {
    // Minimising is not closing: the timer must still end the display afterwards.
    if (!event->spontaneous()) {
        activation_fallback_->stop();
        Timer1->stop();
    }
    QDialog::hideEvent(event);
}

} // namespace smx::engine
