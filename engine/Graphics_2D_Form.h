#pragma once
#include <QDialog>

namespace smx::engine {

class TGraphics_2D_Form : public QDialog {
    Q_OBJECT
public:
    explicit TGraphics_2D_Form(QWidget* parent = nullptr);
};

} // namespace smx::engine
