#pragma once
#include <QDialog>

namespace smx::engine {

class TWindows_Graphics_Controls_Form : public QDialog {
    Q_OBJECT
public:
    explicit TWindows_Graphics_Controls_Form(QWidget* parent = nullptr);
};

} // namespace smx::engine
