#include "platform/Window_On_Top.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstring>

namespace smx::platform {

bool Platform_Keeps_Windows_On_Top(const char* platform_name) {
    return std::strncmp(platform_name, "wayland", 7) != 0;
}

bool Set_Window_Stays_On_Top(QWidget& window, bool on) {
    if (on &&
        !Platform_Keeps_Windows_On_Top(QGuiApplication::platformName().toLatin1().constData()))
        return false;
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (flags == window.windowFlags())
        return true;
    QWindow* handle = window.windowHandle();
    if (!handle) {
        // No native window yet: the flag is simply used when one is made.
        window.setWindowFlags(flags);
        return true;
    }
    // QWidget::setWindowFlags would hide and re-create the native window, which loses its
    // place and activates it again when shown; the native window can change its state in place.
    window.overrideWindowFlags(flags);
    handle->setFlags(flags);
    return true;
}

} // namespace smx::platform
