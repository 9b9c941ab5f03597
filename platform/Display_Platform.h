#pragma once

namespace smx::platform {

// Sets the Qt platform the windows use, unless the user chose one: placement, centring and
// stay-on-top need a window system that lets programs place their windows, which under Wayland
// is XWayland.
void choose_platform();

} // namespace smx::platform
