#pragma once
#include "engine/Graphics_Test_Dialog.h"

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace smx::platform {
class TSpinEdit;
}

namespace smx::engine {

// A captioned box of mutually exclusive choices, laid out in columns filled top to bottom.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    int Columns() const { return columns_; }
    void setColumns(int columns);

    void Clear_Items();
    void Add_Item(const QString& caption);
    int Item_Count() const { return static_cast<int>(buttons_.size()); }
    QStringList Items() const;

    // The selected item, -1 for none.
    int ItemIndex() const;
    void setItemIndex(int index);

    QRadioButton* Button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();

    std::vector<QRadioButton*> buttons_;
    int columns_ = 1;
};

// The window of the standard-controls test: it works its controls through a fixed list of steps
// and counts them.
class TWindows_Graphics_Controls_Form : public TGraphics_Test_Dialog {
    Q_OBJECT
public:
    explicit TWindows_Graphics_Controls_Form(QWidget* parent = nullptr);

    TRadioGroup* RadioGroup1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QLabel* Panel1 = nullptr;
    // The number of control operations of the last display; never shown.
    platform::TSpinEdit* Num_Controls_Manipulated_SpinEdit = nullptr;

    void FormActivate() override;
    void FormCloseQuery(bool& CanClose);

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace smx::engine
