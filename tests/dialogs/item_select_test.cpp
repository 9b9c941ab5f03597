#include "dialogs/Dialog_Item_Select_Form.h"
#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"
#include "platform/Spin_Edit.h"
#include "test_support.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>
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

QPoint centre_of_row(const TDialog_Item_Select_Form& dialog, int row) {
    return dialog.Item_ListBox->visualItemRect(dialog.Item_ListBox->item(row)).center();
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
        dialog.Item_ListBox->item(1)->setSelected(true);
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
}

TEST(Item_Select_Dialog, UnsortedKeepsTheOrderAddedAndSortingLaterReordersIt) {
    TDialog_Item_Select_Form dialog;
    fill(dialog, {QStringLiteral("zeta"), QStringLiteral("Alpha"), QStringLiteral("mu")}, false);
    EXPECT_EQ(shown_entries(dialog), (QStringList{"zeta", "Alpha", "mu"}));
    while_modal(dialog, [&] {
        EXPECT_EQ(dialog.Sorted_Label->text(), QStringLiteral("(The list is not sorted)"));
        dialog.Item_ListBox->item(0)->setSelected(true);
        dialog.OK_Button->click();
    });
    dialog.exec();
    EXPECT_EQ(dialog.Selected_Item(), 0);
    dialog.Set_Sorted(true);
    EXPECT_EQ(shown_entries(dialog), (QStringList{"Alpha", "mu", "zeta"}));
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
        dialog.Item_ListBox->item(1)->setSelected(true);
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
    EXPECT_EQ(dialog.Item_ListBox->visualItemRect(dialog.Item_ListBox->item(2)).height(), 13);
}

// Below the last entry a double-click is still OK: the entry chosen before is taken, and with
// none chosen the dialog says so and stays open.
TEST(Item_Select_Dialog, DoubleClickBelowTheEntriesActsAsOK) {
    Scripted_Responder responder;
    TDialog_Item_Select_Form dialog;
    fill(dialog, {QStringLiteral("a"), QStringLiteral("b")}, false);
    while_modal(dialog, [&] {
        const QPoint below(20, dialog.Item_ListBox->viewport()->height() - 5);
        ASSERT_EQ(dialog.Item_ListBox->itemAt(below), nullptr);
        QTest::mouseDClick(dialog.Item_ListBox->viewport(), Qt::LeftButton, {}, below);
        EXPECT_TRUE(dialog.isVisible());
        ASSERT_EQ(responder.shown().size(), 1u);
        EXPECT_EQ(responder.shown()[0].text,
                  QStringLiteral("You need to select an item in the list !"));
        dialog.Item_ListBox->item(1)->setSelected(true);
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
            dialog.Item_ListBox->item(1)->setSelected(true);
            dialog.OK_ButtonClick();
        });
        dialog.exec();
        ASSERT_EQ(dialog.Selected_Item(), 1);
        while_modal(dialog, [&] {
            EXPECT_EQ(dialog.Selected_Item(), -1); // reset by the showing
            dialog.Item_ListBox->item(1)->setSelected(true);
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
        dialog.Item_ListBox->item(0)->setSelected(true);
        dialog.Item_ListBox->setFocus();
        QTest::keyClick(dialog.Item_ListBox, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        dialog.OK_Button->setFocus();
        QTest::keyClick(dialog.OK_Button, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.Selected_Item(), 0);
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

    // Back to single selection: a Ctrl-click no longer adds to the selection.
    dialog.Set_Multi_Select(false);
    EXPECT_FALSE(dialog.Multi_Select());
    dialog.show();
    QWidget* viewport = dialog.Item_ListBox->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centre_of_row(dialog, 1));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, centre_of_row(dialog, 3));
    EXPECT_EQ(dialog.Item_ListBox->selectedItems().size(), 1);
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
        dialog.Item_ListBox->item(100003)->setSelected(true);
        dialog.OK_Button->click();
    });
    dialog.exec();
    EXPECT_EQ(dialog.Selected_Item(), 100003);
}
