#include "engine/Windows_Graphics_Controls_Form.h"

namespace smx::engine {

TWindows_Graphics_Controls_Form::TWindows_Graphics_Controls_Form(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Windows_Graphics_Controls_Form"));
    resize(386, 336);
}

} // namespace smx::engine
