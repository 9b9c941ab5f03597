#pragma once

class QWidget;

namespace smx::platform {

// Keeps a top-level window above all others, or lets it go back among them, without moving,
// resizing, hiding or activating it. False when the window system cannot do it (a native
// Wayland session lets no program put itself on top); switching it off always works.
bool Set_Window_Stays_On_Top(QWidget& window, bool on);

// Whether the named Qt platform honours a window's stay-on-top request.
bool Platform_Keeps_Windows_On_Top(const char* platform_name);

} // namespace smx::platform
