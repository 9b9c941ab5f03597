#pragma once
#include <QMargins>
#include <QRect>
#include <optional>

namespace smx::app {

// The main window's bounds in its normal (not maximised, not minimised) state, frame included,
// as the settings file keeps them. The frame belongs to the window manager: its size is known
// only once the window is on screen, while the window system places and reports the client
// area. The bounds asked for hold until the window has been fitted to them on screen; after
// that they follow what the window system reports of the normal window.
class Normal_Window_Bounds {
public:
    // New bounds for the normal window; they hold until Fitted(). A window smaller than
    // `smallest_client` (the window system's rect of the window, frame excluded) cannot be used,
    // or even shown when it has no area: it gets that size instead, at the same corner.
    void Request(const QRect& outer, const QSize& smallest_client = {});
    bool Fit_Pending() const { return fit_pending_; }
    // The client rect that puts the frame exactly on the requested bounds. The frame margins
    // last seen on the normal window count before those given (a maximised frame can differ).
    QRect Fitted_Client(const QMargins& frame) const;
    // The window has been given `client`, fitted to the frame `frame`, at `now_ms` (a
    // monotonic clock).
    void Fitted(const QRect& client, const QMargins& frame, qint64 now_ms = 0);
    // The frame a window is fitted to can turn out to be another one a moment later (the window
    // manager changes it around restoring a window, for one, and reports the window's old
    // places meanwhile). Shortly after a fit, while the window stands where it was fitted, the
    // client rect that fits the new frame; nothing otherwise.
    std::optional<QRect> Refit(const QRect& client, const QMargins& frame, Qt::WindowStates state,
                               qint64 now_ms = 0);
    static constexpr qint64 kRefit_Time_ms = 2000;

    // The window as the window system reports it: its client rect, its frame and its state.
    // Taken as the normal bounds only when the window is in its normal state: once fitted, with
    // the frame added; before that, while it has no frame, as it stands.
    void Observe(const QRect& client, const QMargins& frame, Qt::WindowStates state);
    QRect Outer() const { return outer_; }

private:
    QRect outer_;
    QSize smallest_client_;
    bool fit_pending_ = false;
    bool refit_possible_ = false;
    QRect fitted_client_;
    QMargins fitted_frame_;
    qint64 fitted_at_ms_ = 0;
    std::optional<QMargins> normal_frame_;
};

} // namespace smx::app
