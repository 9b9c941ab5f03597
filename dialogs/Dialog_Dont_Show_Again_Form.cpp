#include "dialogs/Dialog_Dont_Show_Again_Form.h"

namespace smx::dialogs {

TDialog_Dont_Show_Again_Form::TDialog_Dont_Show_Again_Form(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dialog_Dont_Show_Again_Form"));
    resize(400, 196);
}

} // namespace smx::dialogs
