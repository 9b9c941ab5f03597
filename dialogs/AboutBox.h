#pragma once
#include <QDialog>

namespace smx::dialogs {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

} // namespace smx::dialogs
