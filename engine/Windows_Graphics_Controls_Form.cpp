#include "engine/Windows_Graphics_Controls_Form.h"

#include "engine/Graphics_Test_Steps.h"
#include "platform/Spin_Edit.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTimer>

namespace smx::engine {
namespace {

// List rows of one fixed height, whatever the font asks for.
class Fixed_Row_Height_Delegate : public QStyledItemDelegate {
public:
    Fixed_Row_Height_Delegate(int height, QObject* parent)
        : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(height_);
        return size;
    }

private:
    int height_;
};

} // namespace

// ---- TRadioGroup ----

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent) {}

void TRadioGroup::setColumns(int columns) {
    columns_ = std::max(1, columns);
    arrange();
}

void TRadioGroup::Clear_Items() {
    for (QRadioButton* button : buttons_)
        delete button;
    buttons_.clear();
}

void TRadioGroup::Add_Item(const QString& caption) {
    auto* button = new QRadioButton(caption, this);
    button->setObjectName(QStringLiteral("RadioButton_%1").arg(buttons_.size()));
    buttons_.push_back(button);
    arrange();
    button->show();
}

QStringList TRadioGroup::Items() const {
    QStringList items;
    for (const QRadioButton* button : buttons_)
        items << button->text();
    return items;
}

int TRadioGroup::ItemIndex() const {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (buttons_[i]->isChecked())
            return static_cast<int>(i);
    }
    return -1;
}

void TRadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < Item_Count()) {
        Button(index)->setChecked(true);
        return;
    }
    // Auto-exclusive buttons refuse to uncheck the last checked one.
    for (QRadioButton* button : buttons_) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void TRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    arrange();
}

void TRadioGroup::arrange() {
    if (buttons_.empty())
        return;
    // Columns share the width; rows share the height below the caption, filled column by column.
    const int count = Item_Count();
    const int rows = (count + columns_ - 1) / columns_;
    const int caption_height = fontMetrics().height();
    const int column_width = (width() - 10) / columns_;
    const int free_height = height() - caption_height - 5;
    const int row_height = std::max(1, free_height / rows);
    const int top_margin = caption_height + 1 + (free_height % rows) / 2;
    for (int i = 0; i < count; ++i) {
        Button(i)->setGeometry((i / rows) * column_width + 8, (i % rows) * row_height + top_margin,
                               column_width, row_height);
    }
}

// ---- TWindows_Graphics_Controls_Form ----

TWindows_Graphics_Controls_Form::TWindows_Graphics_Controls_Form(QWidget* parent)
    : TGraphics_Test_Dialog(parent, QSize(386, 336)) {
    setObjectName(QStringLiteral("Windows_Graphics_Controls_Form"));
    QFont design_font(QStringLiteral("MS Sans Serif"), 8);
    design_font.setStyleHint(QFont::SansSerif);
    setFont(design_font);

    RadioGroup1 = new TRadioGroup(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setTitle(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(8, 38, 361, 123);
    RadioGroup1->setColumns(2);

    Edit1 = new QLineEdit(QStringLiteral("Edit1"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(16, 166, 121, 21);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(168, 166, 205, 127);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setItemDelegate(new Fixed_Row_Height_Delegate(13, ListBox1));

    Panel1 = new QLabel(QStringLiteral("Benckmarking ..."), this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(16, 190, 129, 105);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setAlignment(Qt::AlignCenter);

    Num_Controls_Manipulated_SpinEdit = new platform::TSpinEdit(this);
    Num_Controls_Manipulated_SpinEdit->setObjectName(
        QStringLiteral("Num_Controls_Manipulated_SpinEdit"));
    // Equal bounds: no clamping of the count.
    Num_Controls_Manipulated_SpinEdit->setMinValue(0);
    Num_Controls_Manipulated_SpinEdit->setMaxValue(0);
    Num_Controls_Manipulated_SpinEdit->setValue(0);
    Num_Controls_Manipulated_SpinEdit->hide();
}

void TWindows_Graphics_Controls_Form::FormActivate() {
    const Test_Run run(*this);
    if (!run)
        return;
    int count = 0;

    Centre_On_Screen();
    count += 20;
    Pump_Messages();

    RadioGroup1->Clear_Items();
    ++count;
    for (int i = 0; i <= 11; ++i) {
        RadioGroup1->Add_Item(QStringLiteral("RadioButton ") + QString::number(i));
        ++count;
    }
    for (int pass = 0; pass < 26; ++pass) {
        for (int i = 0; i <= 11; ++i) {
            RadioGroup1->setItemIndex(i);
            ++count;
            Pump_Messages();
        }
    }

    for (int i = 0; i <= 25; ++i) {
        Edit1->setText(QStringLiteral("Edit ") + QString::number(i));
        ++count;
        Pump_Messages();
    }
    for (int pass = 0; pass < 26; ++pass) {
        Edit1->setEnabled(!Edit1->isEnabledTo(this));
        ++count;
        Pump_Messages();
    }

    for (int pass = 0; pass < 26; ++pass) {
        ListBox1->clear();
        ++count;
        for (int i = 0; i <= 50; ++i) {
            ListBox1->addItem(QStringLiteral("This is Listbox Line ") + QString::number(i));
            ++count;
            Pump_Messages();
        }
    }

    for (int pass = 0; pass < 26; ++pass) {
        Panel1->setVisible(Panel1->isHidden());
        ++count;
        Pump_Messages();
    }

    // Sweep the window over the screen.
    count += graphics::sweep([this] { return graphics::screen_size().width() - Window_Width(); },
                             [this] { return graphics::screen_size().height() - Window_Height(); },
                             [this](int y) {
                                 Set_Top(y);
                                 Pump_Messages();
                             },
                             [this](int x) {
                                 Set_Left(x);
                                 Pump_Messages();
                             });

    Centre_On_Screen();
    count += 20;
    Pump_Messages();

    Num_Controls_Manipulated_SpinEdit->setValue(count);
    Timer1->start();
}

void TWindows_Graphics_Controls_Form::FormCloseQuery(bool& CanClose) {
    CanClose = true;
}

void TWindows_Graphics_Controls_Form::closeEvent(QCloseEvent* event) {
    bool can_close = true;
    FormCloseQuery(can_close);
    if (!can_close) {
        event->ignore();
        return;
    }
    TGraphics_Test_Dialog::closeEvent(event);
}

} // namespace smx::engine
