#pragma once
#include <QDialog>

class QTimer;

namespace smx::engine {

// What the two graphics-test windows share: the test runs from the window's activation, once
// per display, and a 25 ms timer closes the window afterwards, which ends the modal display.
class TGraphics_Test_Dialog : public QDialog {
    Q_OBJECT
public:
    // Closes the window once the test has started it; disabled at design time.
    QTimer* Timer1 = nullptr;

    // Runs the test. Called on activation; a call while the test of this display is running or
    // already done does nothing.
    virtual void FormActivate() = 0;
    // Asks the window to close.
    void Timer1Timer();

Q_SIGNALS:
    // The test asks the window system to move the window's frame to this corner.
    void Placing(QPoint frame_position);

protected:
    // `outer_size` is the window's designed size including the window system's frame.
    TGraphics_Test_Dialog(QWidget* parent, QSize outer_size);

    // Marks the test of this display as running for its lifetime. False when the test must not
    // start: it is already running (the window was activated again from inside it, for example
    // after switching to another program and back) or it already ran in this display.
    class Test_Run {
    public:
        explicit Test_Run(TGraphics_Test_Dialog& dialog);
        ~Test_Run();
        Test_Run(const Test_Run&) = delete;
        Test_Run& operator=(const Test_Run&) = delete;
        explicit operator bool() const { return started_; }

    private:
        TGraphics_Test_Dialog& dialog_;
        bool started_ = false;
    };

    // Top-level placement by edges: the outer (frame) rectangle, as the tests measure it. The
    // size is the designed one, which Fit_Outer_Size gives the window: a frame reported late
    // must not change the test's arithmetic.
    int Window_Width() const;
    int Window_Height() const;
    // Each sets one edge and keeps the other where the test last put it, not where the window
    // system last reported it: under a window manager those reports come late, and would undo
    // the step before.
    void Set_Top(int top);
    void Set_Left(int left);
    void Centre_On_Screen();
    // Sizes the client area so that, with the frame the window system adds, the window has its
    // designed outer size. The frame is known only once the window is shown.
    void Fit_Outer_Size();
    // The first step must be painted like every other: waits (a second at most) until the
    // window system has put the window on screen. Some report the window active before that.
    void Wait_Until_On_Screen();
    // Under a window manager, waits (a second at most) until it has framed the window, so that
    // the frame is known before the window is sized and placed.
    void Wait_Until_Framed();
    // Lets pending window messages through, paints what the last step changed and waits until
    // the display server has carried the step out. Qt defers painting to a later update
    // request, and the next step may undo the change before that (a panel shown and hidden
    // again would never be drawn); each step must be drawn, on the screen, before the next.
    // When the program is asked to stop meanwhile, throws Display_Ended, which ends the test
    // and its display early (see Activate).
    void Pump_Messages();
    struct Display_Ended {};

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Runs the test of this display from the window's activation; a test ended early by a stop
    // closes the window at once, which ends the modal display.
    void Activate();

    // Moves the frame's top-left corner to placed_.
    void Place();
    // Where the frame's top-left corner is now.
    QPoint Frame_Position() const;
    // Waits (half a second at most) until the window system reports the frame at placed_, or
    // moved elsewhere: a step is done only once the window stands where it put it.
    void Wait_Until_Placed();

    QSize outer_size_;
    QPoint placed_;
    QPoint before_placing_;
    int unanswered_moves_ = 0; // in a row
    QMargins last_frame_;
    bool placing_ = false;
    bool testing_ = false;
    bool tested_this_display_ = false;
    // Starts the test if the window system never reports the window active (some window
    // managers withhold focus from new windows); a display must not wait for ever.
    QTimer* activation_fallback_ = nullptr;
};

} // namespace smx::engine
