// Settings file, first-show sequence and factory defaults.
#include "app/MainForm1.h"

namespace smx::app {

void TMainForm1::Connect_Settings_Handlers() {}

} // namespace smx::app
