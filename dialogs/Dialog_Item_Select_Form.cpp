#include "dialogs/Dialog_Item_Select_Form.h"

#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"
#include "platform/Spin_Edit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>
#include <vector>

namespace smx::dialogs {
namespace {

constexpr int Design_Client_Width = 364;
constexpr int Design_Client_Height = 321;
constexpr int Result_Max = 99999;
constexpr int Escape_Key = 27;

// Alphabetical order with letter case ignored; entries equal but for case keep their order.
QStringList sorted_ignoring_case(const QStringList& items) {
    std::vector<std::pair<QString, qsizetype>> keys;
    keys.reserve(static_cast<std::size_t>(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        keys.emplace_back(items[i].toCaseFolded(), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList out;
    out.reserve(items.size());
    for (const auto& key : keys)
        out.append(items[key.second]);
    return out;
}

bool is_sorted_ignoring_case(const QStringList& items) {
    for (qsizetype i = 1; i < items.size(); ++i)
        if (items[i].compare(items[i - 1], Qt::CaseInsensitive) < 0)
            return false;
    return true;
}

// Entries 13 pixels high, whatever the font would ask for.
class Entry_Height_Delegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(13);
        return size;
    }
};

QFont sans_serif(int pixels) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

} // namespace

TDialog_Item_Select_Form::TDialog_Item_Select_Form(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dialog_Item_Select_Form"));
    // Fixed dialog border: title and close box, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(sans_serif(10));
    setFixedSize(Design_Client_Width, Design_Client_Height);
    move(255, 164);

    Sorted_Label = new QLabel(this);
    Sorted_Label->setObjectName(QStringLiteral("Sorted_Label"));
    Sorted_Label->move(13, 3);
    Sorted_Label->setText(QStringLiteral("(The list is not sorted)"));
    Sorted_Label->adjustSize();

    Item_ListBox = new QListWidget(this);
    Item_ListBox->setObjectName(QStringLiteral("Item_ListBox"));
    Item_ListBox->setGeometry(3, 20, 354, 270);
    Item_ListBox->setUniformItemSizes(true);
    Item_ListBox->setItemDelegate(new Entry_Height_Delegate(Item_ListBox));
    Item_ListBox->setSelectionMode(QAbstractItemView::SingleSelection);

    const QFont button_font = sans_serif(11);
    OK_Button = new platform::TBitBtn(this);
    OK_Button->setObjectName(QStringLiteral("OK_Button"));
    OK_Button->setGeometry(91, 293, 85, 26);
    OK_Button->setText(QStringLiteral("OK"));
    OK_Button->setToolTip(QStringLiteral("Exit and use the selected item"));
    OK_Button->setGlyph(platform::Glyph::Ok_Tick, QSize(16, 16));
    OK_Button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    OK_Button->setFont(button_font);
    OK_Button->setFocusPolicy(Qt::StrongFocus);

    Cancel_Button = new platform::TBitBtn(this);
    Cancel_Button->setObjectName(QStringLiteral("Cancel_Button"));
    Cancel_Button->setGeometry(187, 293, 85, 26);
    Cancel_Button->setText(QStringLiteral("Cancel"));
    Cancel_Button->setToolTip(QStringLiteral("Exit without selecting an item"));
    Cancel_Button->setGlyph(platform::Glyph::Cancel_Ring, QSize(16, 16));
    Cancel_Button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Cancel_Button->setFont(button_font);
    Cancel_Button->setFocusPolicy(Qt::StrongFocus);

    Selected_Item_SpinEdit = new platform::TSpinEdit(this);
    Selected_Item_SpinEdit->setObjectName(QStringLiteral("Selected_Item_SpinEdit"));
    Selected_Item_SpinEdit->setGeometry(128, 263, 98, 22);
    Selected_Item_SpinEdit->setMinValue(-1);
    Selected_Item_SpinEdit->setMaxValue(Result_Max);
    Selected_Item_SpinEdit->setValue(0);
    Selected_Item_SpinEdit->setFocusPolicy(Qt::NoFocus);
    Selected_Item_SpinEdit->hide();

    setTabOrder(Item_ListBox, OK_Button);
    setTabOrder(OK_Button, Cancel_Button);

    // Key preview: the dialog sees Escape before whichever control has the focus.
    for (QWidget* w : {static_cast<QWidget*>(Item_ListBox), static_cast<QWidget*>(OK_Button),
                       static_cast<QWidget*>(Cancel_Button)})
        w->installEventFilter(this);

    connect(OK_Button, &QAbstractButton::clicked, this, &TDialog_Item_Select_Form::OK_ButtonClick);
    connect(Cancel_Button, &QAbstractButton::clicked, this,
            &TDialog_Item_Select_Form::Cancel_ButtonClick);
    // A double-click anywhere on the list counts, below the last entry too.
    Item_ListBox->viewport()->installEventFilter(this);
}

void TDialog_Item_Select_Form::Clear_Items() {
    Item_ListBox->clear();
}

void TDialog_Item_Select_Form::Add_Items(const QStringList& items) {
    if (!sorted_) {
        Item_ListBox->addItems(items);
        return;
    }
    // Merged and sorted once, then put in as one block: far cheaper in a long list than
    // inserting each entry in its place.
    set_entries(sorted_ignoring_case(entries() + items));
}

QStringList TDialog_Item_Select_Form::entries() const {
    QStringList texts;
    texts.reserve(Item_ListBox->count());
    for (int i = 0; i < Item_ListBox->count(); ++i)
        texts.append(Item_ListBox->item(i)->text());
    return texts;
}

void TDialog_Item_Select_Form::set_entries(const QStringList& texts) {
    Item_ListBox->clear();
    Item_ListBox->addItems(texts);
}

int TDialog_Item_Select_Form::Item_Count() const {
    return Item_ListBox->count();
}

QString TDialog_Item_Select_Form::Item(int index) const {
    const QListWidgetItem* item = Item_ListBox->item(index);
    return item ? item->text() : QString();
}

bool TDialog_Item_Select_Form::Item_Selected(int index) const {
    const QListWidgetItem* item = Item_ListBox->item(index);
    return item && item->isSelected();
}

void TDialog_Item_Select_Form::Set_Sorted(bool sorted) {
    sorted_ = sorted;
    if (!sorted)
        return;
    const QStringList texts = entries();
    if (!is_sorted_ignoring_case(texts))
        set_entries(sorted_ignoring_case(texts));
}

bool TDialog_Item_Select_Form::Multi_Select() const {
    return Item_ListBox->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TDialog_Item_Select_Form::Set_Multi_Select(bool multi_select) {
    Item_ListBox->setSelectionMode(multi_select ? QAbstractItemView::ExtendedSelection
                                                : QAbstractItemView::SingleSelection);
}

int TDialog_Item_Select_Form::Selected_Item() const {
    return Selected_Item_SpinEdit->Value();
}

void TDialog_Item_Select_Form::set_result(int index) {
    // A list longer than the field's design range still reports the entry actually chosen.
    if (index > Selected_Item_SpinEdit->MaxValue())
        Selected_Item_SpinEdit->setMaxValue(index);
    Selected_Item_SpinEdit->setValue(index);
}

void TDialog_Item_Select_Form::FormActivate() {
    // An activation that arrives after the dialog has closed must not undo its outcome.
    if (isVisible())
        set_result(-1);
}

void TDialog_Item_Select_Form::FormShow() {
    Sorted_Label->setText(sorted_ ? QStringLiteral("(The list is sorted alphabetically)")
                                  : QStringLiteral("(The list is not sorted)"));
    Sorted_Label->adjustSize();
    set_result(-1);
    Item_ListBox->setFocus();
}

void TDialog_Item_Select_Form::FormKeyDown(int key) {
    if (key == Escape_Key)
        Cancel_ButtonClick();
}

void TDialog_Item_Select_Form::OK_ButtonClick() {
    int first = -1;
    for (int i = 0; i < Item_ListBox->count(); ++i) {
        if (Item_ListBox->item(i)->isSelected()) {
            first = i;
            break;
        }
    }
    set_result(first);
    if (first < 0) {
        platform::show_information(QStringLiteral("Information"),
                                   QStringLiteral("You need to select an item in the list !"));
        return;
    }
    accept();
}

void TDialog_Item_Select_Form::Cancel_ButtonClick() {
    reject();
}

void TDialog_Item_Select_Form::Item_ListBoxDblClick() {
    OK_ButtonClick();
}

void TDialog_Item_Select_Form::reject() {
    set_result(-1);
    QDialog::reject();
}

bool TDialog_Item_Select_Form::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TDialog_Item_Select_Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TDialog_Item_Select_Form::keyPressEvent(QKeyEvent* event) {
    // The picture buttons are not dialog default buttons: Enter presses the focused one.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (focusWidget() == OK_Button || focusWidget() == Cancel_Button)) {
        static_cast<QAbstractButton*>(focusWidget())->click();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        FormKeyDown(Escape_Key);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TDialog_Item_Select_Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Item_ListBox->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Item_ListBoxDblClick();
        return true;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        FormKeyDown(Escape_Key);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace smx::dialogs
