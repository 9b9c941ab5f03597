#include "dialogs/Dialog_Dont_Show_Again_Form.h"
#include "information_text.h"
#include "platform/Bit_Button.h"
#include "test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

using smx::dialogs::TDialog_Dont_Show_Again_Form;

namespace {

void while_modal(TDialog_Dont_Show_Again_Form& dialog, std::function<void()> act) {
    smx::test::While_Modal(dialog, std::move(act));
}

} // namespace

TEST(Dont_Show_Again_Dialog, DesignControls) {
    TDialog_Dont_Show_Again_Form dialog;
    EXPECT_EQ(dialog.size(), QSize(400, 196));
    EXPECT_EQ(dialog.Message_Memo->objectName(), QStringLiteral("Message_Memo"));
    EXPECT_TRUE(dialog.Message_Memo->isReadOnly());
    EXPECT_EQ(dialog.Message_Memo->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_EQ(dialog.Message_Memo->palette().color(QPalette::Base),
              dialog.palette().color(QPalette::Button));
    EXPECT_EQ(dialog.Dont_Show_This_Again_CheckBox->text(),
              QStringLiteral("Don't Show This Again"));
    EXPECT_EQ(dialog.Dont_Show_This_Again_CheckBox->toolTip(),
              QStringLiteral("Don't show this message again in the future"));
    EXPECT_FALSE(dialog.Dont_Show_This_Again_CheckBox->isChecked());
    EXPECT_EQ(dialog.Exit_Button->text(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.Exit_Button->toolTip(), QStringLiteral("Click to continue ..."));
    EXPECT_FALSE(dialog.Exit_Button->icon().isNull());
    EXPECT_EQ(dialog.Exit_Button->geometry(), QRect(131, 170, 82, 25));
    // No title-bar buttons: no close box.
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    // Tab goes from OK to the check box; the message is skipped.
    EXPECT_EQ(dialog.Exit_Button->nextInFocusChain(), dialog.Dont_Show_This_Again_CheckBox);
    EXPECT_FALSE(dialog.Message_Memo->focusPolicy() & Qt::TabFocus);
}

class Dont_Show_Again_Layout : public ::testing::TestWithParam<int> {};

// Whatever height the caller chose: the message 2 pixels from the top and 28 from the bottom,
// 10 narrower than the client area; OK ending 1 pixel above the bottom; the check box's top
// 25 pixels above it.
TEST_P(Dont_Show_Again_Layout, FollowsTheCallersHeight) {
    TDialog_Dont_Show_Again_Form dialog;
    dialog.Set_Outer_Height(GetParam());
    dialog.show();
    const int w = dialog.ClientWidth();
    const int h = dialog.ClientHeight();
    // The outer height asked for, at the first showing of a dialog as at the next.
    EXPECT_EQ(dialog.frameGeometry().height(), GetParam());
    EXPECT_LT(h, GetParam());
    EXPECT_EQ(dialog.Message_Memo->geometry(), QRect(2, 2, w - 10, h - 30));
    EXPECT_EQ(h - (dialog.Message_Memo->geometry().bottom() + 1), 28);
    EXPECT_EQ(dialog.Exit_Button->geometry().bottom() + 1, h - 1);
    EXPECT_EQ(dialog.Exit_Button->x(), 131);
    EXPECT_EQ(dialog.Dont_Show_This_Again_CheckBox->y(), h - 25);
    EXPECT_EQ(dialog.Dont_Show_This_Again_CheckBox->x(), 232);
    EXPECT_EQ(dialog.focusWidget(), dialog.Exit_Button);
    dialog.hide();
}

INSTANTIATE_TEST_SUITE_P(Heights, Dont_Show_Again_Layout,
                         ::testing::Values(150, 225, 300, 460, 700));

TEST(Dont_Show_Again_Dialog, LayoutIsRedoneAtEachShowing) {
    TDialog_Dont_Show_Again_Form dialog;
    dialog.Set_Outer_Height(460);
    dialog.show();
    dialog.hide();
    dialog.Set_Outer_Height(250);
    dialog.show();
    EXPECT_EQ(dialog.Exit_Button->geometry().bottom() + 1, dialog.ClientHeight() - 1);
    EXPECT_EQ(dialog.Message_Memo->height(), dialog.ClientHeight() - 30);
    dialog.hide();
}

TEST(Dont_Show_Again_Dialog, MessageLinesFontAndAlignment) {
    TDialog_Dont_Show_Again_Form dialog;
    dialog.Add_Message_Line(QStringLiteral("stale"));
    dialog.Clear_Message();
    dialog.Set_Message_Font_Size(12);
    dialog.Set_Message_Alignment(Qt::AlignHCenter);
    for (const char* line : {"First line.", "", "Second <b>line</b>.", ""})
        dialog.Add_Message_Line(QString::fromLatin1(line));
    // Shown as plain text, an empty string being an empty line.
    EXPECT_EQ(dialog.Message_Memo->toPlainText(),
              QStringLiteral("First line.\n\nSecond <b>line</b>.\n"));
    EXPECT_EQ(dialog.Message_Memo->font().pointSize(), 12);
    EXPECT_EQ(dialog.Message_Memo->document()->defaultTextOption().alignment(), Qt::AlignHCenter);
}

TEST(Dont_Show_Again_Dialog, OkClosesAndTheCheckBoxKeepsItsState) {
    TDialog_Dont_Show_Again_Form dialog;
    while_modal(dialog, [&] {
        dialog.Dont_Show_This_Again_CheckBox->click();
        // Ticking alone does not close it.
        EXPECT_TRUE(dialog.isVisible());
        dialog.Exit_Button->click();
    });
    dialog.exec();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.Dont_Show_This_Again_CheckBox->isChecked());
}

TEST(Dont_Show_Again_Dialog, EnterOrSpaceOnOkClose) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        TDialog_Dont_Show_Again_Form dialog;
        while_modal(dialog, [&] {
            ASSERT_EQ(dialog.focusWidget(), dialog.Exit_Button);
            QTest::keyClick(dialog.Exit_Button, key);
        });
        dialog.exec();
        EXPECT_FALSE(dialog.isVisible()) << key;
    }
}

TEST(Dont_Show_Again_Dialog, EscapeDoesNotCloseItButARejectDoes) {
    TDialog_Dont_Show_Again_Form dialog;
    bool stayed_open = false;
    while_modal(dialog, [&] {
        // From the button, from the check box, and sent to the window itself.
        QTest::keyClick(dialog.Exit_Button, Qt::Key_Escape);
        dialog.Dont_Show_This_Again_CheckBox->setFocus();
        QTest::keyClick(dialog.Dont_Show_This_Again_CheckBox, Qt::Key_Escape);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCoreApplication::processEvents();
        stayed_open = dialog.isVisible();
        // The end of the session closes open dialogs this way.
        dialog.reject();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(stayed_open);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(Dont_Show_Again_Dialog, ClickingTheMessageLeavesTheFocusOnOk) {
    TDialog_Dont_Show_Again_Form dialog;
    for (int i = 0; i < 40; ++i)
        dialog.Add_Message_Line(QStringLiteral("A long message line %1").arg(i));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.Dont_Show_This_Again_CheckBox->setFocus();
    QTest::mouseClick(dialog.Message_Memo->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(dialog.focusWidget(), dialog.Exit_Button);
    // A message longer than the area can be scrolled.
    EXPECT_GT(dialog.Message_Memo->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(dialog.Message_Memo->verticalScrollBar()->isVisible());
    dialog.hide();
}

// The benchmark information, filled in as the run fills it, fits its area whole: no scroll bar.
TEST(Dont_Show_Again_Dialog, TheBenchmarkInformationFitsWithoutAScrollBar) {
    TDialog_Dont_Show_Again_Form dialog;
    dialog.Set_Outer_Height(460);
    dialog.Set_Message_Font_Size(12);
    dialog.Set_Message_Alignment(Qt::AlignHCenter);
    dialog.Clear_Message();
    for (const QString& line : Information_Text_Lines())
        dialog.Add_Message_Line(line);
    dialog.show();
    QApplication::processEvents();
    const auto* memo = dialog.Message_Memo;
    EXPECT_LE(memo->document()->size().height(), memo->viewport()->height());
    EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0);
    EXPECT_FALSE(memo->verticalScrollBar()->isVisible());
    EXPECT_FALSE(memo->horizontalScrollBar()->isVisible());
    dialog.hide();
}

TEST(Dont_Show_Again_Dialog, TickedBoxClosesItAtOnce) {
    TDialog_Dont_Show_Again_Form dialog;
    dialog.Dont_Show_This_Again_CheckBox->setChecked(true);
    QTimer::singleShot(2000, &dialog, [&dialog] {
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            dialog.reject();
        }
    });
    QElapsedTimer clock;
    clock.start();
    dialog.exec();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_TRUE(dialog.Dont_Show_This_Again_CheckBox->isChecked());
}
