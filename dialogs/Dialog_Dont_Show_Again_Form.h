#pragma once
#include <QDialog>

namespace smx::dialogs {

class TDialog_Dont_Show_Again_Form : public QDialog {
    Q_OBJECT
public:
    explicit TDialog_Dont_Show_Again_Form(QWidget* parent = nullptr);
};

} // namespace smx::dialogs
