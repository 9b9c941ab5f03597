#include "dialogs/Dialog_Item_Select_Form.h"

#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"
#include "platform/Modal_Owner.h"
#include "platform/Spin_Edit.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCollator>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QShowEvent>
#include <QStyle>
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

// The order in which people read the names: the collation of the user's locale, letter case
// ignored. The C and POSIX locales sort by character code, which puts "Zebra" before "Äpfel"
// and "é" after every unaccented letter; there the common Unicode order (English's) stands in.
QCollator reading_order() {
    QLocale locale = QLocale().collation();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// One sort key per entry, made once: comparing keys is a byte comparison, far cheaper than
// collating the two strings again at each of the n log n comparisons. Equal keys (names equal
// but for case) keep their order.
QStringList sorted_for_reading(const QStringList& items) {
    const QCollator collator = reading_order();
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(static_cast<std::size_t>(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i)
        keys.emplace_back(collator.sortKey(items[i]), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    QStringList out;
    out.reserve(items.size());
    for (const auto& key : keys)
        out.append(items[key.second]);
    return out;
}

bool is_sorted_for_reading(const QStringList& items) {
    const QCollator collator = reading_order();
    for (qsizetype i = 1; i < items.size(); ++i)
        if (collator.compare(items[i - 1], items[i]) > 0)
            return false;
    return true;
}

// Entries 13 pixels high, whatever the font would ask for. The style would lay the text out in
// a rectangle a little lower than the row, which cuts off the dots and accents above capitals
// ("Äpfel" read as "Apfel"); the text is therefore drawn here, centred on the whole row and
// clipped only by it, over the style's background, selection and focus frame.
class Entry_Height_Delegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(13);
        return size;
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        // Across: where the style puts the text, with the margins it keeps at both ends.
        const QRect across = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect text_rect(across.left() + margin, option.rect.top(),
                              across.width() - 2 * margin, option.rect.height());
        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (opt.state & QStyle::State_Active)
                                               ? QPalette::Normal
                                               : QPalette::Inactive;
        painter->save();
        painter->setClipRect(option.rect);
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected)
                                                     ? QPalette::HighlightedText
                                                     : QPalette::Text));
        painter->drawText(
            text_rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            QFontMetrics(opt.font).elidedText(text, opt.textElideMode, text_rect.width()));
        painter->restore();
    }
};

// A list box's keyboard: when the list gets the focus with nothing chosen, Qt puts its caret on
// the first entry without selecting it, and the first Down arrow would then select the second.
// As in a list box, that first Down (or Up) selects the entry under the caret.
class Item_List_View : public QListView {
public:
    using QListView::QListView;

protected:
    void focusInEvent(QFocusEvent* event) override {
        const bool had_current = currentIndex().isValid();
        QListView::focusInEvent(event);
        // The focus may leave and come back (the window activated after the show, a Tab away
        // and back) without anyone moving the caret: it then stays the focus's.
        if (!had_current && currentIndex().isValid())
            caret_only_ = true;
    }
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
        caret_only_ = false;
        QListView::currentChanged(current, previous);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) && caret_only_ &&
            currentIndex().isValid() && !selectionModel()->hasSelection()) {
            caret_only_ = false;
            selectionModel()->setCurrentIndex(currentIndex(), QItemSelectionModel::ClearAndSelect);
            event->accept();
            return;
        }
        QListView::keyPressEvent(event);
        // A move that leaves the caret where it stands (Home or Page Up on the first entry)
        // selects nothing by itself; in a list box it selects the entry under the caret.
        if (moves_caret(*event) && currentIndex().isValid() && !selectionModel()->hasSelection()) {
            caret_only_ = false;
            selectionModel()->setCurrentIndex(currentIndex(), QItemSelectionModel::ClearAndSelect);
        }
    }

private:
    // Keys that move the caret and, without Ctrl, the selection with it.
    static bool moves_caret(const QKeyEvent& event) {
        switch (event.key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return !(event.modifiers() & Qt::ControlModifier);
        default:
            return false;
        }
    }

    bool caret_only_ = false; // the caret was put on an entry by the focus, not by the user
};

} // namespace

// The names on show, one plain string per row.
class Item_List_Model final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(entries_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= entries_.size())
            return {};
        return entries_[index.row()];
    }

    const QStringList& entries() const { return entries_; }
    void set_entries(QStringList entries) {
        beginResetModel();
        entries_ = std::move(entries);
        endResetModel();
    }
    void append(const QStringList& entries) {
        if (entries.isEmpty())
            return;
        const int first = static_cast<int>(entries_.size());
        beginInsertRows({}, first, first + static_cast<int>(entries.size()) - 1);
        entries_ += entries;
        endInsertRows();
    }

private:
    QStringList entries_;
};

namespace {

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
    platform::Keep_Unminimised(*this);

    Sorted_Label = new QLabel(this);
    Sorted_Label->setObjectName(QStringLiteral("Sorted_Label"));
    Sorted_Label->move(13, 3);
    Sorted_Label->setText(QStringLiteral("(The list is not sorted)"));
    Sorted_Label->adjustSize();

    model_ = new Item_List_Model(this);
    Item_ListBox = new Item_List_View(this);
    Item_ListBox->setObjectName(QStringLiteral("Item_ListBox"));
    Item_ListBox->setGeometry(3, 20, 354, 270);
    Item_ListBox->setModel(model_);
    Item_ListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
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
    model_->set_entries({});
    in_reading_order_ = true;
}

void TDialog_Item_Select_Form::Add_Items(const QStringList& items) {
    if (!sorted_) {
        model_->append(items);
        in_reading_order_ = in_reading_order_ && items.isEmpty();
        return;
    }
    // Merged and sorted once, then put in as one block: far cheaper in a long list than
    // inserting each entry in its place.
    model_->set_entries(sorted_for_reading(model_->entries() + items));
    in_reading_order_ = true;
}

int TDialog_Item_Select_Form::Item_Count() const {
    return static_cast<int>(model_->entries().size());
}

QString TDialog_Item_Select_Form::Item(int index) const {
    return index >= 0 && index < Item_Count() ? model_->entries()[index] : QString();
}

bool TDialog_Item_Select_Form::Item_Selected(int index) const {
    return index >= 0 && index < Item_Count() &&
           Item_ListBox->selectionModel()->isSelected(model_->index(index));
}

void TDialog_Item_Select_Form::Set_Item_Selected(int index, bool selected) {
    if (index >= 0 && index < Item_Count())
        Item_ListBox->selectionModel()->select(model_->index(index),
                                               selected ? QItemSelectionModel::Select
                                                        : QItemSelectionModel::Deselect);
}

void TDialog_Item_Select_Form::Set_Sorted(bool sorted) {
    sorted_ = sorted;
    if (!sorted || in_reading_order_)
        return;
    if (!is_sorted_for_reading(model_->entries()))
        model_->set_entries(sorted_for_reading(model_->entries()));
    in_reading_order_ = true;
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
    // The first selected entry, from the selection's ranges rather than a walk of every entry.
    int first = -1;
    for (const QItemSelectionRange& range : Item_ListBox->selectionModel()->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
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
