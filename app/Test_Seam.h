#pragma once

class QWidget;

namespace smx::app {

// A seam for end-to-end tests of the built program, which cannot reach its controls from
// outside. Two environment variables, read once the main window is up:
//   SPEEDMETRIX_TEST_SET="Name=value,Name=value"  sets controls found by their object names
//       (main window first, then the other windows): a check box takes 1 or 0, a spin edit a
//       number, the drive list a letter;
//   SPEEDMETRIX_TEST_CLICK="Name"  then clicks that button or chooses that menu entry, once the
//       window is on screen, after printing "clicked Name" on standard output.
// A name that is not found or a value that does not fit is reported on standard error and
// ends the program with status 2. Without these variables nothing happens.
namespace Test_Seam {
bool wanted();
void install(QWidget* main_window);
} // namespace Test_Seam

} // namespace smx::app
