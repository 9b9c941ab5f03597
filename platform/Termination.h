#pragma once
#include <functional>

namespace smx::platform {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the event loop, so the end of the desktop
// session closes the program through its normal close path. Installed once per process.
void install_termination_handler(std::function<void()> on_request);

} // namespace smx::platform
