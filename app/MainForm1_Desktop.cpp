// Desktop integration: always on top, auto-run, shortcuts and the readme.
#include "app/MainForm1.h"

namespace smx::app {

void TMainForm1::Connect_Desktop_Handlers() {}

} // namespace smx::app
