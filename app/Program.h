#pragma once

class QApplication;

namespace smx::app {

// Gives every window of the program its icon (48, 128 and 256 pixels, from the program's
// resources) and tells the desktop which entry the windows belong to.
void set_program_icon(QApplication& app);

// The program: creates the six forms, shows the main window and runs until it closes.
int run_program(int argc, char** argv);

} // namespace smx::app
