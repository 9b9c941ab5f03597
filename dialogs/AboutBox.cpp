#include "dialogs/AboutBox.h"

namespace smx::dialogs {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    resize(622, 411);
}

} // namespace smx::dialogs
