#include "platform/Window_Frame.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>

#ifdef SMX_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace smx::platform {

#ifdef SMX_HAVE_XCB
namespace {

xcb_connection_t* x11_connection() {
    const auto* app = qGuiApp;
    if (app == nullptr || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

struct Free_Deleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, Free_Deleter>;

// The atom of that name, none while no client has made it. Kept once known: the frame is asked
// for at every step of a graphics test.
xcb_atom_t existing_atom(xcb_connection_t* c, const char* name) {
    static xcb_connection_t* known_for = nullptr;
    static std::map<std::string, xcb_atom_t> known;
    if (known_for != c) {
        known.clear();
        known_for = c;
    }
    if (const auto found = known.find(name); found != known.end())
        return found->second;
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE)
        known.emplace(name, atom);
    return atom;
}

// The value of a property of one window or cardinal; nothing when it is not set.
std::optional<std::uint32_t> property_item(xcb_connection_t* c, xcb_window_t window,
                                           xcb_atom_t property, xcb_atom_t type,
                                           std::uint32_t length) {
    if (property == XCB_ATOM_NONE)
        return std::nullopt;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, type, 0, length), nullptr));
    if (!reply || reply->type != type || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < static_cast<int>(4 * length))
        return std::nullopt;
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

// The frame's left and top extents, 0 when the window manager has published none: the answer
// to a request for the window's _NET_FRAME_EXTENTS already sent.
QPoint frame_extents_corner(xcb_connection_t* c, xcb_get_property_cookie_t request) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, request, nullptr));
    if (!reply || reply->type != XCB_ATOM_CARDINAL || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 16)
        return {};
    // Left, right, top, bottom.
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {static_cast<int>(values[0]), static_cast<int>(values[2])};
}

} // namespace
#endif

bool window_manager_running() {
#ifdef SMX_HAVE_XCB
    xcb_connection_t* c = x11_connection();
    if (c == nullptr)
        return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t check = existing_atom(c, "_NET_SUPPORTING_WM_CHECK");
    const auto wm_window = property_item(c, screen->root, check, XCB_ATOM_WINDOW, 1);
    // A window manager that ended leaves the root's property behind, naming a window that is
    // gone.
    return wm_window && property_item(c, *wm_window, check, XCB_ATOM_WINDOW, 1) == wm_window;
#else
    return false;
#endif
}

bool frame_published(const QWindow& window) {
#ifdef SMX_HAVE_XCB
    xcb_connection_t* c = x11_connection();
    if (c == nullptr || window.handle() == nullptr)
        return false;
    return property_item(c, static_cast<xcb_window_t>(window.winId()),
                         existing_atom(c, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4)
        .has_value();
#else
    return false;
#endif
}

std::optional<QPoint> frame_position(const QWindow& window) {
#ifdef SMX_HAVE_XCB
    xcb_connection_t* c = x11_connection();
    if (c == nullptr || window.handle() == nullptr)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    // Both questions go out before either answer is awaited: one round trip to the server, not
    // two (this is asked at every move of the controls test).
    const xcb_atom_t extents = existing_atom(c, "_NET_FRAME_EXTENTS");
    const xcb_translate_coordinates_cookie_t corner_request =
        xcb_translate_coordinates(c, id, screen->root, 0, 0);
    std::optional<xcb_get_property_cookie_t> extents_request;
    if (extents != XCB_ATOM_NONE)
        extents_request = xcb_get_property(c, 0, id, extents, XCB_ATOM_CARDINAL, 0, 4);
    const Reply<xcb_translate_coordinates_reply_t> corner(
        xcb_translate_coordinates_reply(c, corner_request, nullptr));
    const QPoint frame = extents_request ? frame_extents_corner(c, *extents_request) : QPoint();
    if (!corner)
        return std::nullopt;
    return QPoint(corner->dst_x, corner->dst_y) - frame;
#else
    return std::nullopt;
#endif
}

} // namespace smx::platform
