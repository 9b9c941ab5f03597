// Results export and the about box.
#include "app/MainForm1.h"

namespace smx::app {

void TMainForm1::Connect_Export_Handlers() {}

} // namespace smx::app
