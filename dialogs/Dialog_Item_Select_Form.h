#pragma once
#include <QDialog>

namespace smx::dialogs {

class TDialog_Item_Select_Form : public QDialog {
    Q_OBJECT
public:
    explicit TDialog_Item_Select_Form(QWidget* parent = nullptr);
};

} // namespace smx::dialogs
