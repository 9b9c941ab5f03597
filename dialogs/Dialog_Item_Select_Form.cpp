#include "dialogs/Dialog_Item_Select_Form.h"

namespace smx::dialogs {

TDialog_Item_Select_Form::TDialog_Item_Select_Form(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dialog_Item_Select_Form"));
    resize(364, 321);
}

} // namespace smx::dialogs
