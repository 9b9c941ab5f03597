#pragma once

namespace smx::app {

// Sets the Qt platform the window uses, unless the user chose one.
void choose_platform();

// The program: creates the six forms, shows the main window and runs until it closes.
int run_program(int argc, char** argv);

} // namespace smx::app
