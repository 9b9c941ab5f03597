#include "app/Window_Bounds.h"

namespace smx::app {
namespace {

bool is_normal(Qt::WindowStates state) {
    return !(state & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

} // namespace

void Normal_Window_Bounds::Request(const QRect& outer, const QSize& smallest_client) {
    outer_ = outer;
    smallest_client_ = smallest_client;
    fit_pending_ = true;
}

QRect Normal_Window_Bounds::Fitted_Client(const QMargins& frame) const {
    QRect client = outer_.marginsRemoved(normal_frame_.value_or(frame));
    client.setSize(client.size().expandedTo(smallest_client_));
    return client;
}

void Normal_Window_Bounds::Fitted(const QRect& client, const QMargins& frame, qint64 now_ms) {
    fit_pending_ = false;
    refit_possible_ = true;
    fitted_client_ = client;
    fitted_frame_ = frame;
    fitted_at_ms_ = now_ms;
}

std::optional<QRect> Normal_Window_Bounds::Refit(const QRect& client, const QMargins& frame,
                                                 Qt::WindowStates state, qint64 now_ms) {
    if (!refit_possible_ || fit_pending_)
        return std::nullopt;
    if (now_ms - fitted_at_ms_ > kRefit_Time_ms) {
        refit_possible_ = false;
        return std::nullopt;
    }
    if (!is_normal(state) || frame.isNull() || client != fitted_client_ || frame == fitted_frame_)
        return std::nullopt;
    const QRect outer = fitted_client_.marginsAdded(fitted_frame_);
    Fitted(outer.marginsRemoved(frame), frame, now_ms);
    normal_frame_ = frame;
    return fitted_client_;
}

void Normal_Window_Bounds::Observe(const QRect& client, const QMargins& frame,
                                   Qt::WindowStates state) {
    if (!is_normal(state))
        return;
    if (fit_pending_) {
        // Until the window manager has framed it, the window has no frame, and the program's own
        // placing stands for the outer bounds. Once framed, the window keeps the bounds asked
        // for until it is fitted to them.
        if (frame.isNull())
            outer_ = client;
        return;
    }
    outer_ = client.marginsAdded(frame);
    // No frame yet (or none at all) says nothing about the frame to come.
    if (!frame.isNull())
        normal_frame_ = frame;
}

} // namespace smx::app
