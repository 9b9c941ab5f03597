#include "app/Layout_Scaling.h"
#include "app/MainForm1.h"
#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"
#include "platform/Spin_Edit.h"
#include "test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using smx::app::TMainForm1;

namespace {

// A shown main window with a folder of its own for the files it keeps beside the executable,
// so no test reads what another one saved.
struct Shown_Form {
    std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
    std::unique_ptr<smx::test::Executable_In> exe =
        std::make_unique<smx::test::Executable_In>(dir->path());
    std::unique_ptr<TMainForm1> form = std::make_unique<TMainForm1>();
    TMainForm1* operator->() const { return form.get(); }
    TMainForm1* get() const { return form.get(); }
    TMainForm1& operator*() const { return *form; }
};

Shown_Form shown_main_form() {
    Shown_Form shown;
    shown->show();
    return shown;
}

QStringList reference_lines(const TMainForm1& form) {
    QStringList lines;
    for (int i = 0; i < form.Scaling_ListBox->count(); ++i)
        lines << form.Scaling_ListBox->item(i)->text();
    return lines;
}

QWidget* control(const TMainForm1& form, const char* name) {
    return form.findChild<QWidget*>(QString::fromLatin1(name));
}

} // namespace

TEST(Layout_Reference, CapturedAtFirstShowFromTheDesignLayout) {
    auto form = shown_main_form();
    const QStringList lines = reference_lines(*form);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.front(), QStringLiteral("659 447 W/H Mainform1"));
    EXPECT_TRUE(lines.contains(QStringLiteral("5 90 101 45 11 Benchmark_BitBtn")));
    EXPECT_TRUE(lines.contains(QStringLiteral("553 101 20 425 11 Buttons_GroupBox")));
    EXPECT_TRUE(lines.contains(QStringLiteral("670 167 8 395 14 Benchmark_Progress_GroupBox")));
    // One line per owned component, non-visual ones as "0".
    EXPECT_EQ(lines.size(), static_cast<int>(form->Components().size()) + 1);
    int zero_lines = 0;
    for (std::size_t i = 0; i < form->Components().size(); ++i) {
        const auto& component = form->Components()[i];
        const QString& line = lines[static_cast<int>(i) + 1];
        if (component.control) {
            EXPECT_TRUE(line.endsWith(QLatin1Char(' ') + component.control->objectName()))
                << line.toStdString();
        } else {
            EXPECT_EQ(line, QStringLiteral("0"));
            ++zero_lines;
        }
    }
    // Main menu, three menus with their 19 entries, the spare menu, two chart series.
    EXPECT_EQ(zero_lines, 1 + 3 + 19 + 1 + 2);
}

TEST(Layout_Reference, BothPagesFromTheirDesignGeometry) {
    // Whichever page is current at the first show (the settings may restore either).
    for (const int current_page : {0, 1}) {
        SCOPED_TRACE(current_page);
        auto form = std::make_unique<TMainForm1>();
        form->PageControl1->setCurrentIndex(current_page);
        form->show();
        const QStringList lines = reference_lines(*form);
        auto line_of = [&](const QString& name) {
            for (const QString& line : lines)
                if (line.endsWith(QLatin1Char(' ') + name))
                    return line;
            return QString();
        };
        const QString sheet1 = line_of(QStringLiteral("TabSheet1"));
        const QString sheet2 = line_of(QStringLiteral("TabSheet2"));
        // The pages share the page area inside the 545 x 443 tab control.
        const auto page1 = smx::app::parse_reference_line(sheet1);
        const auto page2 = smx::app::parse_reference_line(sheet2);
        ASSERT_TRUE(page1 && page2);
        EXPECT_GT(page1->width, 500);
        EXPECT_LT(page1->width, 545);
        EXPECT_GT(page1->height, 380);
        EXPECT_LT(page1->height, 443);
        EXPECT_EQ(sheet2.section(QLatin1Char(' '), 0, 4).toStdString(),
                  sheet1.section(QLatin1Char(' '), 0, 4).toStdString());
    }
}

TEST(Layout_Reference, NotRecapturedWhenTheSequenceRunsAgain) {
    auto form = shown_main_form();
    const QStringList before = reference_lines(*form);
    form->SetClientSize(800, 500);
    form->FormShow();
    EXPECT_EQ(reference_lines(*form), before);
}

TEST(Layout_Scaling, DoubleSizePlacesTheBenchmarkButtonAndItsFont) {
    auto form = shown_main_form();
    form->SetClientSize(1318, 894);
    ASSERT_EQ(form->ClientWidth(), 1318);
    ASSERT_EQ(form->ClientHeight(), 894);
    EXPECT_EQ(form->Benchmark_BitBtn->geometry(), QRect(10, 202, 180, 90));
    EXPECT_EQ(form->Benchmark_BitBtn->font().pointSize(), 22);
}

TEST(Layout_Scaling, DoubleWidthOnlyScalesHorizontally) {
    auto form = shown_main_form();
    form->SetClientSize(1318, 447);
    EXPECT_EQ(form->Benchmark_BitBtn->geometry(), QRect(10, 101, 180, 45));
    EXPECT_EQ(form->Benchmark_BitBtn->font().pointSize(), 11);
    EXPECT_EQ(form->PageControl1->geometry(), QRect(10, 2, 1090, 443));
}

TEST(Layout_Scaling, NinetyFivePercentTruncatesTowardZero) {
    auto form = shown_main_form();
    form->SetClientSize(626, 425); // 95 % of the design, to the pixel
    const auto* spin = form->Small_Files_Number_of_SpinEdit;
    EXPECT_EQ(spin->width(), 114);
    EXPECT_EQ(spin->x(), 311);
    EXPECT_EQ(spin->font().pointSize(), 10);
}

TEST(Layout_Scaling, PureFunctionTruncatesAndFollowsTheSmallerFactor) {
    using namespace smx::app;
    const Reference_Geometry design{328, 121, 17, 27, 11};
    const auto f95 = scale_factors(QSize(659, 447), QSize(659 * 0.95, 447));
    EXPECT_DOUBLE_EQ(f95.sf, f95.sx);
    Scale_Factors exact{0.95, 0.95, 0.95};
    EXPECT_EQ(scale_geometry(design, exact), (Reference_Geometry{311, 114, 16, 25, 10}));
    EXPECT_EQ(scale_geometry(design, Scale_Factors{2, 1, 1}),
              (Reference_Geometry{656, 242, 17, 27, 11}));
    EXPECT_EQ(scale_geometry(design, Scale_Factors{0, 0, 0}), (Reference_Geometry{0, 0, 0, 0, 0}));
    EXPECT_FALSE(parse_reference_line(QStringLiteral("0")));
    EXPECT_FALSE(parse_reference_line(QString()));
    EXPECT_EQ(parse_reference_line(QStringLiteral("5 90 101 45 11 Benchmark_BitBtn")),
              (Reference_Geometry{5, 90, 101, 45, 11}));
    EXPECT_EQ(parse_reference_header(QStringLiteral("659 447 W/H Mainform1")), QSize(659, 447));
}

TEST(Layout_Scaling, ShrinkingToNothingAndBackRestoresTheDesign) {
    auto form = shown_main_form();
    // The stored (default) window size differs a little from the reference client size.
    form->SetClientSize(659, 447);
    std::vector<std::pair<QWidget*, QRect>> design;
    for (const auto& c : form->Components())
        if (c.control && c.control != form->TabSheet1 && c.control != form->TabSheet2)
            design.emplace_back(c.control, c.control->geometry());
    form->SetClientSize(3, 2);
    EXPECT_EQ(form->Benchmark_BitBtn->width(), 0);
    EXPECT_EQ(form->Benchmark_BitBtn->font().pointSize(), 1);
    form->SetClientSize(659, 447);
    for (const auto& [widget, rect] : design)
        EXPECT_EQ(widget->geometry(), rect) << widget->objectName().toStdString();
    EXPECT_EQ(form->Benchmark_BitBtn->font().pointSize(), 11);
    EXPECT_EQ(form->Show_Values_CheckBox->font().pointSize(), 10);
}

TEST(Layout_Scaling, ControlMovedAtRunTimeReturnsOnNextResize) {
    auto form = shown_main_form();
    form->Benchmark_Progress_GroupBox->setGeometry(form->PageControl1->geometry());
    form->SetClientSize(700, 447);
    const double sx = 700.0 / 659.0;
    EXPECT_EQ(form->Benchmark_Progress_GroupBox->geometry(),
              QRect(static_cast<int>(670 * sx), 8, static_cast<int>(167 * sx), 395));
}

TEST(Layout_Scaling, ProgressPanelKeepsCoveringTheOptionsDuringARun) {
    auto form = shown_main_form();
    form->Run_In_Progress = true;
    form->Cover_Options_With_Progress_Panel();
    form->Benchmark_Progress_GroupBox->show();
    form->SetClientSize(900, 600);
    EXPECT_EQ(form->Benchmark_Progress_GroupBox->geometry(), form->PageControl1->geometry());
    EXPECT_EQ(form->PageControl1->width(), static_cast<int>(545 * 900.0 / 659));
    const QRect bar = form->Benchmark_ProgressBar->geometry();
    EXPECT_EQ(bar.width(), form->PageControl1->width() * 9 / 10);
    form->Run_In_Progress = false;
    form->Benchmark_Progress_GroupBox->hide();
}

TEST(Main_Window, ProgressPanelHidesTheOptionsItCovers) {
    auto form = shown_main_form();
    auto* box = form->Integer_Arithmetic_CheckBox;
    const QPoint indicator = box->mapTo(form->Client, QPoint(7, box->height() / 2));
    const QImage before = form->Client->grab().toImage();
    form->Cover_Options_With_Progress_Panel();
    form->Benchmark_Progress_GroupBox->show();
    form->Benchmark_Progress_GroupBox->raise();
    const QImage after = form->Client->grab().toImage();
    // An empty spot of the panel, away from its text and frame, gives the panel's own colour.
    const QPoint empty_spot =
        form->Benchmark_Progress_GroupBox->geometry().topLeft() + QPoint(12, 60);
    const QColor panel = after.pixelColor(empty_spot);
    EXPECT_NE(before.pixelColor(indicator), panel); // the check box showed before
    EXPECT_EQ(after.pixelColor(indicator), panel);
}

TEST(Main_Window, AuxiliaryControlsAndProgressPanelStayOutOfSight) {
    auto form = shown_main_form();
    const int client_width = form->ClientWidth();
    for (QWidget* w :
         {static_cast<QWidget*>(form->Temp_ListBox), static_cast<QWidget*>(form->Scaling_ListBox),
          static_cast<QWidget*>(form->Memo1),
          static_cast<QWidget*>(form->Benchmark_Results_Saved_CheckBox),
          static_cast<QWidget*>(form->Graph_Results_BitBtn),
          static_cast<QWidget*>(form->Benchmark_Progress_GroupBox)}) {
        EXPECT_TRUE(!w->isVisible() || w->x() >= client_width) << w->objectName().toStdString();
    }
}

TEST(Main_Window, EveryNamedControlIsReachableWithItsDesign) {
    auto form = std::make_unique<TMainForm1>();
    struct Expectation {
        const char* name;
        QRect bounds;
    };
    const Expectation expected[] = {
        {"PageControl1", {5, 2, 545, 443}},
        {"Integer_Arithmetic_CheckBox", {15, 20, 200, 17}},
        {"Memory_Speed_CheckBox", {225, 20, 300, 17}},
        {"DriveComboBox1", {111, 101, 145, 23}},
        {"Number_Repetitions_SpinEdit", {420, 99, 53, 27}},
        {"Chart1", {2, 2, 535, 367}},
        {"Show_Values_CheckBox", {440, 6, 93, 17}},
        {"Compare_Series_Label", {52, 390, 481, 17}},
        {"Exit_BitBtn", {5, 377, 90, 45}},
        {"Select_All_Tests_BitBtn", {5, 9, 90, 45}},
    };
    for (const auto& e : expected) {
        QWidget* w = control(*form, e.name);
        ASSERT_NE(w, nullptr) << e.name;
        EXPECT_EQ(w->geometry(), e.bounds) << e.name;
    }
    EXPECT_EQ(form->PageControl1->tabText(0), QStringLiteral(" Benchmark Options "));
    EXPECT_EQ(form->PageControl1->tabText(1),
              QStringLiteral(" Benchmark Results : (Logarithmic Graph) "));
    EXPECT_EQ(form->Benchmark_Available_Test_GroupBox->title(),
              QStringLiteral(" Available Benchmark Tests : "));
    EXPECT_EQ(form->Load_Results_With_BitBtn->toolTip(),
              QStringLiteral("Compare the benchmark results with another set of results."));
    EXPECT_EQ(form->Save_Results_BitBtn->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    EXPECT_FALSE(form->Benchmark_BitBtn->icon().isNull());
    EXPECT_EQ(form->Small_Files_Number_of_SpinEdit->Increment(), 10);
    EXPECT_EQ(form->Large_File_Size_KB_of_Each_SpinEdit->Value(), 10240);
}

TEST(Main_Window, SpinEditBoundsAreRaisedBeforeAnyValueIsRead) {
    auto form = shown_main_form();
    EXPECT_EQ(form->Integer_Loops_Millions_Of_SpinEdit->MaxValue(), 2147);
    EXPECT_EQ(form->Small_File_Size_KB_of_Each_SpinEdit->MaxValue(), 2097151);
    EXPECT_EQ(form->Dynamic_Array_Number_Of_Loops_SpinEdit->MaxValue(), 2147483647);
    form->Integer_Loops_Millions_Of_SpinEdit->setValue(5000);
    EXPECT_EQ(form->Integer_Loops_Millions_Of_SpinEdit->Value(), 2147);
}

TEST(Main_Window, SelectAllAndSelectNoneTouchOnlyTheSevenTests) {
    auto form = shown_main_form();
    form->Show_Values_CheckBox->setChecked(true);
    form->Benchmark_Results_Saved_CheckBox->setChecked(false);
    form->Select_No_Tests_BitBtnClick();
    for (QCheckBox* box : form->Test_CheckBoxes())
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    form->Select_All_Tests_BitBtnClick();
    for (QCheckBox* box : form->Test_CheckBoxes())
        EXPECT_TRUE(box->isChecked());
    form->Select_No_Tests_BitBtn->click();
    for (QCheckBox* box : form->Test_CheckBoxes())
        EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(form->Show_Values_CheckBox->isChecked());
    EXPECT_FALSE(form->Benchmark_Results_Saved_CheckBox->isChecked());
}

// Return and Enter press the focused button of the button column, as Space does.
TEST(Main_Window, ReturnEnterAndSpacePressTheFocusedButton) {
    struct Row {
        const char* button;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool ticked_after;
    };
    auto form = shown_main_form();
    for (const Row& row : {Row{"Select_All_Tests_BitBtn", Qt::Key_Return, Qt::NoModifier, true},
                           Row{"Select_No_Tests_BitBtn", Qt::Key_Return, Qt::NoModifier, false},
                           Row{"Select_All_Tests_BitBtn", Qt::Key_Enter, Qt::KeypadModifier, true},
                           Row{"Select_No_Tests_BitBtn", Qt::Key_Space, Qt::NoModifier, false}}) {
        SCOPED_TRACE(testing::Message() << row.button << " key " << row.key);
        for (QCheckBox* box : form->Test_CheckBoxes())
            box->setChecked(!row.ticked_after);
        QWidget* button = control(*form, row.button);
        button->setFocus();
        QTest::keyClick(button, row.key, row.modifiers);
        for (QCheckBox* box : form->Test_CheckBoxes())
            EXPECT_EQ(box->isChecked(), row.ticked_after) << box->objectName().toStdString();
    }
}

TEST(Main_Window, TitlesAndMenus) {
    auto form = shown_main_form();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Windows PC Speedmetrix v1.3f"));
    EXPECT_EQ(smx::platform::application_title(), QStringLiteral("Windows PC Speedmetrix v1.3f"));
    // Qt would append a display name to every other window's caption.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    EXPECT_FALSE(form->SpareMenu->isVisible());
    EXPECT_TRUE(form->SpareMenu->text().isEmpty());
    EXPECT_FALSE(form->Create_Shortcut_on_SendTo_Menu_Option->isVisible());
    EXPECT_EQ(form->Edit1->title(), QStringLiteral("Edit"));
    EXPECT_FALSE(form->Edit1->title().contains(QLatin1Char('&')));
    EXPECT_TRUE(form->Always_On_Top_Option->isCheckable());
    EXPECT_EQ(form->ExitOption->text(), QStringLiteral("E&xit"));
    EXPECT_TRUE(form->Benchmark_Results_Saved_CheckBox->isChecked());
}

TEST(Main_Window, TabOrderOfTheButtonColumn) {
    auto form = shown_main_form();
    const char* order[] = {"Benchmark_BitBtn",
                           "Save_Results_BitBtn",
                           "Load_Results_BitBtn",
                           "Load_Results_With_BitBtn",
                           "Exit_BitBtn",
                           "Select_All_Tests_BitBtn",
                           "Select_No_Tests_BitBtn",
                           "Delete_Saved_Results_BitBtn",
                           "Replace_Existing_Saved_Results_BitBtn"};
    for (std::size_t i = 1; i < std::size(order); ++i)
        EXPECT_EQ(control(*form, order[i - 1])->nextInFocusChain(), control(*form, order[i]))
            << order[i - 1];
}

TEST(Main_Window, TheClipboardMemoNeverTakesTheKeyboard) {
    auto form = shown_main_form();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Replace_Existing_Saved_Results_BitBtn->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), form->Replace_Existing_Saved_Results_BitBtn);
    // Round the whole Tab chain, both ways, and type on the way: none of it reaches the memo.
    for (int i = 0; i < 80; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, Qt::Key_Tab, i < 40 ? Qt::NoModifier : Qt::ShiftModifier);
        EXPECT_NE(QApplication::focusWidget(), form->Memo1) << "after " << i + 1 << " Tabs";
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("x"));
    }
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
}

TEST(Main_Window, ExitCommandsCloseTheWindow) {
    for (int which = 0; which < 2; ++which) {
        auto form = shown_main_form();
        ASSERT_TRUE(form->isVisible());
        if (which == 0)
            form->Exit_BitBtn->click();
        else
            form->ExitOption->trigger();
        EXPECT_FALSE(form->isVisible());
    }
}

TEST(Main_Window, CloseDuringARunIsDeferred) {
    auto form = shown_main_form();
    form->Run_In_Progress = true;
    form->close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Close_Requested_During_Run);
    form->Run_In_Progress = false;
    form->close();
    EXPECT_FALSE(form->isVisible());
}
