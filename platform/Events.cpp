#include "platform/Events.h"

#include <QApplication>

namespace smx::platform {
namespace {
int g_beeps = 0;
}

void process_messages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void beep() {
    ++g_beeps;
    QApplication::beep();
}

int beep_count() {
    return g_beeps;
}

} // namespace smx::platform
