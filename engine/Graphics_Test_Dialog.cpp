#include "engine/Graphics_Test_Dialog.h"

#include "engine/Graphics_Test_Steps.h"
#include "platform/Events.h"
#include "platform/Termination.h"
#include "platform/Window_Frame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHideEvent>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>
#include <functional>

namespace smx::engine {
namespace {
constexpr int close_interval_ms = 25;
constexpr int activation_fallback_ms = 250;
constexpr int on_screen_wait_ms = 1000;
constexpr int framed_wait_ms = 1000;
constexpr int placed_wait_ms = 500;
constexpr int unanswered_moves_limit = 4;
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
    dialog_.Wait_Until_Framed();
    dialog_.Fit_Outer_Size();
    dialog_.unanswered_moves_ = 0;
    dialog_.placed_ = dialog_.Frame_Position();
}

TGraphics_Test_Dialog::Test_Run::~Test_Run() {
    if (started_)
        dialog_.testing_ = false;
}

int TGraphics_Test_Dialog::Window_Width() const {
    return outer_size_.width();
}

int TGraphics_Test_Dialog::Window_Height() const {
    return outer_size_.height();
}

void TGraphics_Test_Dialog::Set_Top(int top) {
    placed_.setY(top);
    Place();
}

void TGraphics_Test_Dialog::Set_Left(int left) {
    placed_.setX(left);
    Place();
}

void TGraphics_Test_Dialog::Place() {
    Q_EMIT Placing(placed_);
    QWindow* window = windowHandle();
    if (!placing_)
        before_placing_ = Frame_Position();
    // The window's own frame position: the widget's may be a late report of an earlier step,
    // and a move to where that report says the window is would be dropped.
    if (window) {
        // Qt turns the corner into the window's own place with the frame it knows of, and not
        // at all while a new report of the frame (the window manager sends one after each move)
        // waits to be read: have it read first.
        static_cast<void>(window->frameMargins());
        window->setFramePosition(placed_);
    } else
        move(placed_);
    placing_ = true;
}

QPoint TGraphics_Test_Dialog::Frame_Position() const {
    // The window system's reports may come late, or several at once, and Qt's frame for them
    // may be out of date: ask the server where the frame is now.
    if (const QWindow* window = windowHandle()) {
        if (const auto at = platform::frame_position(*window))
            return *at;
        return window->framePosition();
    }
    return pos();
}

void TGraphics_Test_Dialog::Fit_Outer_Size() {
    // The platform window's frame, asked afresh: the widget keeps the first one it was told of,
    // which may be none when the window manager had not framed the window yet.
    const QWindow* window = windowHandle();
    QMargins frame = window ? window->frameMargins() : QMargins();
    // A window shown again is framed only once it is on screen; its frame will be the last one.
    if (!frame.isNull())
        last_frame_ = frame;
    else if (platform::window_manager_running())
        frame = last_frame_;
    const QSize client = outer_size_.shrunkBy(frame);
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
    QTimer::singleShot(on_screen_wait_ms, &loop, &QEventLoop::quit);
    loop.exec();
}

namespace {
// Lets events through until `done` holds or `limit_ms` has passed, looking after every event of
// the window.
class Window_Watch : public QObject {
public:
    Window_Watch(QWindow* window, std::function<bool()> done)
        : window_(window), done_(std::move(done)) {}

    // True when `done` held in time.
    bool run(int limit_ms) {
        if (done_())
            return true;
        window_->installEventFilter(this);
        QTimer poll;
        // The window system's answer may arrive as an event of another object (a property of
        // the window); look now and then as well.
        QObject::connect(&poll, &QTimer::timeout, &loop_, [this] {
            if (done_())
                loop_.quit();
        });
        poll.start(2);
        QTimer::singleShot(limit_ms, &loop_, &QEventLoop::quit);
        loop_.exec();
        window_->removeEventFilter(this);
        return done_();
    }

protected:
    bool eventFilter(QObject*, QEvent*) override {
        if (done_())
            loop_.quit();
        return false;
    }

private:
    QWindow* window_;
    std::function<bool()> done_;
    QEventLoop loop_;
};
} // namespace

void TGraphics_Test_Dialog::Wait_Until_Framed() {
    QWindow* window = windowHandle();
    if (window == nullptr || !isVisible() || !platform::window_manager_running())
        return;
    Window_Watch(window, [window] {
        return platform::frame_published(*window);
    }).run(framed_wait_ms);
    // Qt learns of the frame from the event that reported it; let that through.
    platform::process_messages();
}

void TGraphics_Test_Dialog::Wait_Until_Placed() {
    QWindow* window = windowHandle();
    // Offscreen windows move at once; other platforms than X11 may not let programs place
    // windows at all.
    if (window == nullptr || !isVisible() ||
        QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    if (unanswered_moves_ >= unanswered_moves_limit)
        return;
    // Done when the window stands there, or where the window manager put it instead (some keep
    // windows off a panel's place).
    const QPoint before = before_placing_;
    const bool answered = Window_Watch(window, [this, before] {
                              const QPoint at = Frame_Position();
                              return at == placed_ || at != before;
                          }).run(placed_wait_ms);
    // A window manager that does not move the window at all is not waited for again in this
    // display; one that is only slow now and then (on a busy machine) is.
    unanswered_moves_ = answered ? 0 : unanswered_moves_ + 1;
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
    if (placing_) {
        placing_ = false;
        Wait_Until_Placed();
    }
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
