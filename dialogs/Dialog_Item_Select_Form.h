#pragma once
#include <QDialog>
#include <QStringList>

class QLabel;
class QListView;

namespace smx::platform {
class TBitBtn;
class TSpinEdit;
} // namespace smx::platform

namespace smx::dialogs {

class Item_List_Model;

// A modal picker of one entry (or several, with multi-select on) from the caller's list. The
// caller fills the list, sets the title and the two switches, shows it with exec() and reads
// Selected_Item_SpinEdit: the position of the chosen entry in the list as shown, or -1 when
// nothing was chosen. Cancel, Escape, the close box and any reject() mean "nothing chosen".
class TDialog_Item_Select_Form : public QDialog {
    Q_OBJECT
public:
    explicit TDialog_Item_Select_Form(QWidget* parent = nullptr);

    QLabel* Sorted_Label = nullptr;
    // A view over the dialog's own list of names: one light row per entry, so that lists of
    // 100,000 names fill and show in a fraction of a second.
    QListView* Item_ListBox = nullptr;
    platform::TBitBtn* OK_Button = nullptr;
    platform::TBitBtn* Cancel_Button = nullptr;
    platform::TSpinEdit* Selected_Item_SpinEdit = nullptr;

    // The list's entries. Entries added while sorting is on take their sorted place.
    void Clear_Items();
    void Add_Items(const QStringList& items);
    int Item_Count() const;
    QString Item(int index) const;
    bool Item_Selected(int index) const;
    void Set_Item_Selected(int index, bool selected);

    // Sorted: alphabetical order as people read it in the user's locale (the collation of the
    // default QLocale; a C or POSIX locale reads like English), letter case ignored. Switching
    // it on sorts the entries already there. Entries equal but for case keep the order in which
    // they were added.
    bool Sorted() const { return sorted_; }
    void Set_Sorted(bool sorted);
    // Multi-select: Shift and Ctrl extend the selection.
    bool Multi_Select() const;
    void Set_Multi_Select(bool multi_select);

    // The outcome of the last showing.
    int Selected_Item() const;

    // Handlers.
    void FormActivate();
    void FormShow();
    void FormKeyDown(int key);
    void OK_ButtonClick();
    void Cancel_ButtonClick();
    void Item_ListBoxDblClick();

    // Closes with nothing chosen.
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void set_result(int index);

    Item_List_Model* model_ = nullptr;
    bool sorted_ = false;
    // The entries as they stand are known to be sorted (set by every sort, cleared by an
    // unsorted addition), so that switching sorting on after a sorted fill looks at none of them.
    bool in_reading_order_ = true;
};

} // namespace smx::dialogs
