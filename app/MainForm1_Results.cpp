// The results commands: Save, Replace, Delete, Load and Compare.
#include "app/MainForm1.h"

namespace smx::app {

void TMainForm1::Connect_Results_Handlers() {}

} // namespace smx::app
