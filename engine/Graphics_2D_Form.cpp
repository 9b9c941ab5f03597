#include "engine/Graphics_2D_Form.h"

namespace smx::engine {

TGraphics_2D_Form::TGraphics_2D_Form(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Graphics_2D_Form"));
    resize(442, 262);
}

} // namespace smx::engine
