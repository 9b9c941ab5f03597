#pragma once

#include <QPoint>
#include <optional>

class QWindow;

// What the window manager tells about the frames it draws around top-level windows.
namespace smx::platform {

// True when a window manager runs that frames windows (X11: the root window's
// _NET_SUPPORTING_WM_CHECK names a window that names itself). False on other platforms.
bool window_manager_running();

// True once the window manager has published the frame around the window (X11:
// _NET_FRAME_EXTENTS is set on it). False on other platforms.
bool frame_published(const QWindow& window);

// Where the X server has the top-left corner of the window's frame now: the window's corner on
// the screen less the frame's left and top extents (none without a window manager). Asked of
// the server itself, not taken from reports it sent earlier. Nothing on other platforms.
std::optional<QPoint> frame_position(const QWindow& window);

} // namespace smx::platform
