#include "dialogs/Dialog_Item_Select_Form.h"
#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"
#include "platform/Spin_Edit.h"
#include "test_support.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

using smx::dialogs::TDialog_Item_Select_Form;
using smx::platform::Box_Kind;
using smx::platform::Scripted_Responder;

namespace {

void while_modal(TDialog_Item_Select_Form& dialog, std::function<void()> act) {
    smx::test::While_Modal(dialog, std::move(act));
}

QStringList shown_entries(const TDialog_Item_Select_Form& dialog) {
    QStringList entries;
    for (int i = 0; i < dialog.Item_Count(); ++i)
        entries << dialog.Item(i);
    return entries;
}

void fill(TDialog_Item_Select_Form& dialog, const QStringList& items, bool sorted) {
    dialog.Clear_Items();
    dialog.Add_Items(items);
    dialog.Set_Sorted(sorted);
}

// The next control that the Tab key reaches after `w`.
QWidget* next_tab_stop(QWidget* w) {
    for (QWidget* next = w->nextInFocusChain(); next != w; next = next->nextInFocusChain())
        if ((next->focusPolicy() & Qt::TabFocus) && next->isVisible() && !w->isAncestorOf(next))
            return next;
    return w;
}

QRect row_rect(const TDialog_Item_Select_Form& dialog, int row) {
    return dialog.Item_ListBox->visualRect(dialog.Item_ListBox->model()->index(row, 0));
}

QPoint centre_of_row(const TDialog_Item_Select_Form& dialog, int row) {
    return row_rect(dialog, row).center();
}

} // namespace

TEST(Item_Select_Dialog, DesignControls) {
    TDialog_Item_Select_Form dialog;
    EXPECT_EQ(dialog.objectName(), QStringLiteral("Dialog_Item_Select_Form"));
    EXPECT_EQ(dialog.size(), QSize(364, 321));
    EXPECT_EQ(dialog.pos(), QPoint(255, 164));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());

    EXPECT_EQ(dialog.Sorted_Label->objectName(), QStringLiteral("Sorted_Label"));
    EXPECT_EQ(dialog.Sorted_Label->pos(), QPoint(13, 3));
    EXPECT_EQ(dialog.Item_ListBox->objectName(), QStringLiteral("Item_ListBox"));
    EXPECT_EQ(dialog.Item_ListBox->geometry(), QRect(3, 20, 354, 270));
    EXPECT_EQ(dialog.OK_Button->objectName(), QStringLiteral("OK_Button"));
    EXPECT_EQ(dialog.OK_Button->geometry(), QRect(91, 293, 85, 26));
    EXPECT_EQ(dialog.OK_Button->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.OK_Button->toolTip(), QStringLiteral("Exit and use the selected item"));
    EXPECT_FALSE(dialog.OK_Button->icon().isNull());
    EXPECT_EQ(dialog.Cancel_Button->objectName(), QStringLiteral("Cancel_Button"));
    EXPECT_EQ(dialog.Cancel_Button->geometry(), QRect(187, 293, 85, 26));
    EXPECT_EQ(dialog.Cancel_Button->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dialog.Cancel_Button->toolTip(), QStringLiteral("Exit without selecting an item"));
    EXPECT_FALSE(dialog.Cancel_Button->icon().isNull());
    EXPECT_EQ(dialog.OK_Button->font().pixelSize(), 11);

    auto* result = dialog.Selected_Item_SpinEdit;
    EXPECT_EQ(result->objectName(), QStringLiteral("Selected_Item_SpinEdit"));
    EXPECT_EQ(result->geometry(), QRect(128, 263, 98, 22));
    EXPECT_EQ(result->Value(), 0);
    EXPECT_EQ(result->MinValue(), -1);
    EXPECT_EQ(result->MaxValue(), 99999);

    // Tab order: list, OK, Cancel; the hidden field is never visible.
    dialog.show();
    EXPECT_FALSE(result->isVisible());
    EXPECT_EQ(next_tab_stop(dialog.Item_ListBox), dialog.OK_Button);
    EXPECT_EQ(next_tab_stop(dialog.OK_Button), dialog.Cancel_Button);
    EXPECT_EQ(next_tab_stop(dialog.Cancel_Button), dialog.Item_ListBox);
    dialog.hide();
}

TEST(Item_Select_Dialog, SortedIgnoresCaseAndChoosingBetaGivesItsShownPosition) {
    TDialog_Item_Select_Form dialog;
    fill(dialog, {QStringLiteral("beta"), QStringLiteral("Alpha"), QStringLiteral("gamma")}, true);
    EXPECT_EQ(shown_entries(dialog), (QStringList{"Alpha", "beta", "gamma"}));
    while_modal(dialog, [&] {
        EXPECT_EQ(dialog.Sorted_Label->text(),
                  QStringLiteral("(The list is sorted alphabetically)"));
        dialog.Set_Item_Selected(1, true);
        dialog.OK_Button->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Selected_Item(), 1);
    EXPECT_EQ(dialog.Item(dialog.Selected_Item()), QStringLiteral("beta"));

    // Letter case is ignored (a plain comparison would put "Delta" before "beta"); entries
    // added while sorting is on take their place too, and equal ones keep their order.
    dialog.Add_Items({QStringLiteral("Delta"), QStringLiteral("ALPHA"), QStringLiteral("alpha")});
    EXPECT_EQ(shown_entries(dialog),
              (QStringList{"Alpha", "ALPHA", "alpha", "beta", "Delta", "gamma"}));

    // A long run of names equal but for case (long enough that an unstable sort reorders it)
    // keeps the order in which it was added.
    QStringList same;
    for (int i = 0; i < 64; ++i) {
        QString name = QStringLiteral("kappas");
        for (int bit = 0; bit < 6; ++bit)
            if ((i * 37 % 64) & (1 << bit)) // 64 different spellings
                name[bit] = name[bit].toUpper();
        same << name;
    }
    fill(dialog, same, true);
    EXPECT_EQ(shown_entries(dialog), same);
}

TEST(Item_Select_Dialog, UnsortedKeepsTheOrderAddedAndSortingLaterReordersIt) {
    struct Case {
        QStringList added;
        QStringList sorted;
    };
    const std::vector<Case> cases{
        {{"zeta", "Alpha", "mu"}, {"Alpha", "mu", "zeta"}},
        // Strictly descending: every neighbouring pair is out of order.
        {{"zeta", "mu", "Alpha"}, {"Alpha", "mu", "zeta"}},
        {{"Beta", "alpha"}, {"alpha", "Beta"}},
        // Already in order, equal but for case among them: left as it is.
        {{"a", "B", "b", "c"}, {"a", "B", "b", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.added.join(QLatin1Char(' ')).toStdString());
        TDialog_Item_Select_Form dialog;
        // Added in two calls: the second adds to the first.
        fill(dialog, c.added.mid(0, 1), false);
        dialog.Add_Items(c.added.mid(1));
        EXPECT_EQ(shown_entries(dialog), c.added);
        while_modal(dialog, [&] {
            EXPECT_EQ(dialog.Sorted_Label->text(), QStringLiteral("(The list is not sorted)"));
            dialog.Set_Item_Selected(0, true);
            dialog.OK_Button->click();
        });
        dialog.exec();
        EXPECT_EQ(dialog.Selected_Item(), 0);
        dialog.Set_Sorted(true);
        EXPECT_EQ(shown_entries(dialog), c.sorted);
    }
}

// The order in which people read, in the user's locale: accented letters beside their base
// letter (after "z" in Swedish), never after every unaccented name as character codes would put
// them; a C locale reads like English.
TEST(Item_Select_Dialog, SortsAsPeopleReadInTheUsersLocale) {
    struct Case {
        QLocale locale;
        QStringList sorted;
    };
    const std::vector<Case> cases{
        {QLocale::c(), {"apfel", "\u00c4pfel", "\u00e9", "Eagle", "\u00d6lfeld", "Zebra"}},
        {QLocale(QLocale::German, QLocale::Germany),
         {"apfel", "\u00c4pfel", "\u00e9", "Eagle", "\u00d6lfeld", "Zebra"}},
        {QLocale(QLocale::Swedish, QLocale::Sweden),
         {"apfel", "\u00e9", "Eagle", "Zebra", "\u00c4pfel", "\u00d6lfeld"}},
    };
    const QLocale before;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        TDialog_Item_Select_Form dialog;
        // Added in character-code order, switched to sorted afterwards ...
        fill(dialog, {"Eagle", "Zebra", "apfel", "\u00c4pfel", "\u00d6lfeld", "\u00e9"}, true);
        EXPECT_EQ(shown_entries(dialog), c.sorted);
        // ... and added while sorting is on, in another order.
        fill(dialog, {}, true);
        dialog.Add_Items({"\u00d6lfeld", "\u00e9", "Zebra", "\u00c4pfel", "Eagle", "apfel"});
        EXPECT_EQ(shown_entries(dialog), c.sorted);
    }
    QLocale::setDefault(before);
}

TEST(Item_Select_Dialog, OkWithNothingSelectedIsRefusedAndTheDialogStaysOpen) {
    Scripted_Responder responder;
    TDialog_Item_Select_Form dialog;
    fill(dialog, {QStringLiteral("one"), QStringLiteral("two")}, true);
    while_modal(dialog, [&] {
        dialog.OK_Button->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Selected_Item(), -1);
        ASSERT_EQ(responder.shown().size(), 1u);
        EXPECT_EQ(responder.shown()[0].kind, Box_Kind::Information);
        EXPECT_EQ(responder.shown()[0].text,
                  QStringLiteral("You need to select an item in the list !"));
        dialog.Set_Item_Selected(1, true);
        dialog.OK_Button->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Selected_Item(), 1);
    EXPECT_EQ(responder.shown().size(), 1u);
}

TEST(Item_Select_Dialog, DoubleClickChoosesAndClosesInOneStep) {
    TDialog_Item_Select_Form dialog;
    fill(dialog, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, false);
    while_modal(dialog, [&] {
        QWidget* viewport = dialog.Item_ListBox->viewport();
        const QPoint at = centre_of_row(dialog, 2);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Selected_Item(), 2);
    EXPECT_EQ(row_rect(dialog, 2).height(), 13);
}

// Pixels of a row that stand out from its background (taken inside the row, right of any text)
// towards the colour the text should have.
int ink(const QImage& row, const QColor& text) {
    const int background = qGray(row.pixel(row.width() - 5, row.height() / 2));
    const int towards = qGray(text.rgb()) > background ? 1 : -1;
    int count = 0;
    for (int y = 0; y < row.height(); ++y)
        for (int x = 0; x < row.width(); ++x)
            count += towards * (qGray(row.pixel(x, y)) - background) > 64 ? 1 : 0;
    return count;
}

// In the 13-pixel rows the dots above capitals stay visible: a row reading "\u00c4\u00d6\u00dc"
// shows more ink than one reading "AOU" (a row that cuts them off shows the same), and the text is
// drawn at all, selected or not. The rows compared share every state: the caret is elsewhere.
TEST(Item_Select_Dialog, DotsAboveCapitalsAreNotCutOff) {
    TDialog_Item_Select_Form dialog;
    fill(dialog, {"caret", "AOU", "\u00c4\u00d6\u00dc", ""}, false);
    dialog.Set_Multi_Select(true);
    dialog.show();
    auto* view = dialog.Item_ListBox;
    view->selectionModel()->setCurrentIndex(view->model()->index(0, 0),
                                            QItemSelectionModel::NoUpdate);
    for (const bool selected : {false, true}) {
        SCOPED_TRACE(selected ? "selected" : "not selected");
        for (int row = 1; row <= 3; ++row)
            dialog.Set_Item_Selected(row, selected);
        QApplication::processEvents();
        const QColor text =
            view->palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
        auto row_ink = [&](int row) {
            return ink(view->viewport()->grab(row_rect(dialog, row)).toImage(), text);
        };
        const int plain = row_ink(1);
        EXPECT_GT(row_ink(2), plain + 3);
        EXPECT_GT(plain, row_ink(3) + 20);
    }
    dialog.hide();
}

// Below the last entry a double-click is still OK: the entry chosen before is taken, and with
// none chosen the dialog says so and stays open.
TEST(Item_Select_Dialog, DoubleClickBelowTheEntriesActsAsOK) {
    Scripted_Responder responder;
    TDialog_Item_Select_Form dialog;
    fill(dialog, {QStringLiteral("a"), QStringLiteral("b")}, false);
    while_modal(dialog, [&] {
        const QPoint below(20, dialog.Item_ListBox->viewport()->height() - 5);
        ASSERT_FALSE(dialog.Item_ListBox->indexAt(below).isValid());
        QTest::mouseDClick(dialog.Item_ListBox->viewport(), Qt::LeftButton, {}, below);
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(responder.shown().size(), 1u);
        EXPECT_EQ(responder.shown()[0].text,
                  QStringLiteral("You need to select an item in the list !"));
        dialog.Set_Item_Selected(1, true);
        QTest::mouseDClick(dialog.Item_ListBox->viewport(), Qt::LeftButton, {}, below);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Selected_Item(), 1);
}

// Every way out other than OK leaves -1, even after an entry was chosen the last time.
TEST(Item_Select_Dialog, EscapeCancelCloseBoxAndRejectAllMeanNothingChosen) {
    TDialog_Item_Select_Form dialog;
    fill(dialog, {QStringLiteral("a"), QStringLiteral("b")}, false);
    const std::vector<std::function<void()>> ways_out{
        [&] { QTest::keyClick(dialog.Item_ListBox, Qt::Key_Escape); },
        [&] {
            dialog.OK_Button->setFocus();
            QTest::keyClick(dialog.OK_Button, Qt::Key_Escape);
        },
        [&] { dialog.Cancel_Button->click(); },
        [&] { dialog.close(); },
        [&] { dialog.reject(); },
    };
    for (std::size_t i = 0; i < ways_out.size(); ++i) {
        SCOPED_TRACE(i);
        while_modal(dialog, [&] {
            dialog.Set_Item_Selected(1, true);
            dialog.OK_ButtonClick();
        });
        dialog.exec();
        ASSERT_EQ(dialog.Selected_Item(), 1);
        while_modal(dialog, [&] {
            EXPECT_EQ(dialog.Selected_Item(), -1); // reset by the showing
            dialog.Set_Item_Selected(1, true);
            dialog.Selected_Item_SpinEdit->setValue(1);
            ways_out[i]();
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(dialog.Selected_Item(), -1);
    }
}

TEST(Item_Select_Dialog, EnterInTheListDoesNotCloseButPressesAFocusedButton) {
    TDialog_Item_Select_Form dialog;
    fill(dialog, {QStringLiteral("a"), QStringLiteral("b")}, false);
    while_modal(dialog, [&] {
        dialog.Set_Item_Selected(0, true);
        dialog.Item_ListBox->setFocus();
        QTest::keyClick(dialog.Item_ListBox, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        dialog.OK_Button->setFocus();
        QTest::keyClick(dialog.OK_Button, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Selected_Item(), 0);
}

// With nothing chosen, the first arrow key, Home or Page Up selects the first entry, as in a list
// box (not the second, past the caret that the focus put on the first; not nothing, for a key
// that leaves the caret where it is); the next Down moves on from there.
// The same on every showing, each after a refill, after the focus went away and came back
// (as when the window is activated after it shows), and in multi-select mode.
TEST(Item_Select_Dialog, FirstArrowKeyWithNothingChosenSelectsTheFirstEntry) {
    struct Case {
        Qt::Key first_key;
        bool focus_away_and_back;
    };
    TDialog_Item_Select_Form dialog;
    for (const bool multi_select : {false, true}) {
        dialog.Set_Multi_Select(multi_select);
        for (const Case c :
             {Case{Qt::Key_Down, false}, Case{Qt::Key_Up, false}, Case{Qt::Key_Down, true},
              Case{Qt::Key_Down, false}, Case{Qt::Key_Home, false}, Case{Qt::Key_PageUp, false},
              Case{Qt::Key_Home, true}}) {
            SCOPED_TRACE(testing::Message()
                         << "multi-select " << multi_select << ", key " << c.first_key
                         << ", focus away and back " << c.focus_away_and_back);
            fill(dialog, {"a", "b", "c", "d"}, true);
            while_modal(dialog, [&] {
                ASSERT_EQ(dialog.focusWidget(), dialog.Item_ListBox);
                if (c.focus_away_and_back) {
                    dialog.OK_Button->setFocus(Qt::TabFocusReason);
                    ASSERT_EQ(dialog.focusWidget(), dialog.OK_Button);
                    dialog.Item_ListBox->setFocus(Qt::BacktabFocusReason);
                }
                QTest::keyClick(dialog.Item_ListBox, c.first_key);
                EXPECT_TRUE(dialog.Item_Selected(0));
                EXPECT_EQ(dialog.Item_ListBox->selectionModel()->selectedIndexes().size(), 1);
                QTest::keyClick(dialog.Item_ListBox, Qt::Key_Down);
                dialog.OK_Button->click();
            });
            EXPECT_EQ(dialog.exec(), QDialog::Accepted);
            EXPECT_EQ(dialog.Selected_Item(), 1);
            EXPECT_FALSE(dialog.Item_Selected(0));
        }
    }
}

TEST(Item_Select_Dialog, MultiSelectGivesTheFirstSelectedAndKeepsEverySelection) {
    TDialog_Item_Select_Form dialog;
    fill(dialog, {"e0", "e1", "e2", "e3", "e4", "e5"}, false);
    dialog.Set_Multi_Select(true);
    while_modal(dialog, [&] {
        QWidget* viewport = dialog.Item_ListBox->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, centre_of_row(dialog, 4));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, centre_of_row(dialog, 2));
        dialog.OK_Button->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Selected_Item(), 2);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(dialog.Item_Selected(i), i == 2 || i == 4) << i;

    // A block chosen with Shift, from its last entry up: the result is still its first entry.
    while_modal(dialog, [&] {
        QWidget* viewport = dialog.Item_ListBox->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, centre_of_row(dialog, 5));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, centre_of_row(dialog, 3));
        dialog.OK_Button->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Selected_Item(), 3);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(dialog.Item_Selected(i), i >= 3) << i;

    // Back to single selection: a Ctrl-click no longer adds to the selection.
    dialog.Set_Multi_Select(false);
    EXPECT_FALSE(dialog.Multi_Select());
    dialog.show();
    QWidget* viewport = dialog.Item_ListBox->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centre_of_row(dialog, 1));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, centre_of_row(dialog, 3));
    EXPECT_EQ(dialog.Item_ListBox->selectionModel()->selectedIndexes().size(), 1);
    dialog.hide();
}

// The result field's design range ends at 99999; a longer list still reports the entry chosen.
TEST(Item_Select_Dialog, EntriesBeyondTheDesignRangeAreReportedExactly) {
    TDialog_Item_Select_Form dialog;
    QStringList items;
    for (int i = 0; i < 100005; ++i)
        items << QString::number(i);
    fill(dialog, items, false);
    while_modal(dialog, [&] {
        dialog.Set_Item_Selected(100003, true);
        dialog.OK_Button->click();
    });
    dialog.exec();
    EXPECT_EQ(dialog.Selected_Item(), 100003);
}
