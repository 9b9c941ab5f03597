#pragma once

namespace smx::app {

// The program: creates the six forms, shows the main window and runs until it closes.
int run_program(int argc, char** argv);

} // namespace smx::app
