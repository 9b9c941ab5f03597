#include "app/Drive_Combo_Box.h"
#include "app/Forms.h"
#include "app/MainForm1.h"
#include "dialogs/Dialog_Dont_Show_Again_Form.h"
#include "engine/Graphics_2D_Form.h"
#include "engine/Run_Driver.h"
#include "engine/Windows_Graphics_Controls_Form.h"
#include "information_text.h"
#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"
#include "platform/Spin_Edit.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace smx::app {
namespace {

using platform::Box_Kind;

// What the window looked like at one tick of the clock.
struct Snapshot {
    QString progress_text;
    bool panel_visible;
    bool panel_over_pages;
    bool bar_visible;
    int bar_value;
    int bar_maximum;
    bool benchmark_button_enabled;
    bool exit_button_enabled;
    bool check_box_enabled;
    bool menu_enabled;
    bool exit_entry_enabled;
};

// A main window on a temporary drive "c", with tiny work counts, no test ticked and the
// information dialog switched off.
class Benchmark_Run : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<test::Executable_In> executable;
    std::unique_ptr<test::Drive_Table> drives;
    platform::Scripted_Responder boxes;
    std::unique_ptr<TMainForm1> form;
    std::vector<Snapshot> snapshots;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("drive")));
        executable = std::make_unique<test::Executable_In>(dir.path());
        drives = std::make_unique<test::Drive_Table>(
            std::vector<platform::Drive>{{'c', drive(), QStringLiteral("test")}});
        create_forms();
        form = std::make_unique<TMainForm1>();
        form->show();
        // After the first show, which applies the stored (here: default) settings.
        information_dialog()->Dont_Show_This_Again_CheckBox->setChecked(true);
        for (QCheckBox* box : form->Test_CheckBoxes())
            box->setChecked(false);
        form->Number_Repetitions_SpinEdit->setValue(1);
        form->Integer_Loops_Millions_Of_SpinEdit->setValue(1);
        form->Float_Loops_Millions_Of_SpinEdit->setValue(1);
        form->Dynamic_Array_Size_In_Bytes_SpinEdit->setValue(1000);
        form->Dynamic_Array_Number_Of_Loops_SpinEdit->setValue(10);
        form->Small_Files_Number_of_SpinEdit->setValue(5);
        form->Small_File_Size_KB_of_Each_SpinEdit->setValue(4);
        form->Large_Files_Number_of_SpinEdit->setValue(2);
        form->Large_File_Size_KB_of_Each_SpinEdit->setValue(64);
        form->DriveComboBox1->setDrive('c');
        form->PageControl1->setCurrentIndex(0);
        form->Main_Results.Name = QStringLiteral("Old");
        for (int i = 0; i < engine::TBenchmark_Results::Rate_Count; ++i)
            form->Main_Results.rate(i) = 10 + i;
        form->Main_Results.Elapsed_Time_MSec = 99;
        form->Benchmark_Results_Saved_CheckBox->setChecked(true);
    }

    void TearDown() override {
        platform::set_tick_source({});
        form.reset();
        destroy_forms();
    }

    QString drive() const { return dir.path() + QStringLiteral("/drive"); }
    static dialogs::TDialog_Dont_Show_Again_Form* information_dialog() {
        return forms().Dialog_Dont_Show_Again_Form;
    }
    void tick(std::initializer_list<QCheckBox*> boxes_to_tick) {
        for (QCheckBox* box : boxes_to_tick)
            box->setChecked(true);
    }
    QStringList drive_entries() const {
        return QDir(drive()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    // A clock that returns `ticks` in order, snapshots the window at every reading and runs
    // `at_call` (if set) on the given reading.
    void script_clock(std::vector<std::uint32_t> ticks, int call_to_act = -1,
                      std::function<void()> at_call = {}) {
        auto calls = std::make_shared<int>(0);
        platform::set_tick_source([this, ticks, calls, call_to_act, at_call]() -> std::uint32_t {
            const int call = (*calls)++;
            snapshots.push_back(snapshot());
            if (call == call_to_act && at_call)
                at_call();
            return ticks[std::min<std::size_t>(call, ticks.size() - 1)];
        });
    }

    Snapshot snapshot() const {
        return {form->Benchmark_Progress_Label->text(),
                form->Benchmark_Progress_GroupBox->isVisible(),
                form->Benchmark_Progress_GroupBox->geometry() == form->PageControl1->geometry(),
                form->Benchmark_ProgressBar->isVisible(),
                form->Benchmark_ProgressBar->value(),
                form->Benchmark_ProgressBar->maximum(),
                form->Benchmark_BitBtn->isEnabled(),
                form->Exit_BitBtn->isEnabled(),
                form->Integer_Arithmetic_CheckBox->isEnabled(),
                form->MainMenu1->isEnabled(),
                form->ExitOption->isEnabled()};
    }

    void expect_results_as_before() const {
        EXPECT_EQ(form->Main_Results.Name, QStringLiteral("Old"));
        for (int i = 0; i < engine::TBenchmark_Results::Rate_Count; ++i)
            EXPECT_EQ(form->Main_Results.rate(i), 10 + i) << i;
        EXPECT_EQ(form->Main_Results.Elapsed_Time_MSec, 99);
        EXPECT_TRUE(form->Benchmark_Results_Saved_CheckBox->isChecked());
    }

    void expect_idle_window() const {
        EXPECT_FALSE(form->Benchmark_Progress_GroupBox->isVisible());
        EXPECT_TRUE(form->Benchmark_BitBtn->isEnabled());
        EXPECT_TRUE(form->Exit_BitBtn->isEnabled());
        EXPECT_TRUE(form->MainMenu1->isEnabled());
        EXPECT_TRUE(form->ExitOption->isEnabled());
        EXPECT_FALSE(form->Run_In_Progress);
    }
};

TEST_F(Benchmark_Run, ProgressPanelButtonsAndMenuDuringARun) {
    tick({form->Integer_Arithmetic_CheckBox, form->Floating_Point_Arithmetic_CheckBox,
          form->Memory_Speed_CheckBox});
    // Run start, three tests (start, end), run end.
    script_clock({0, 100, 1900, 2000, 3000, 3100, 3600, 4000});
    form->Benchmark_BitBtnClick();

    ASSERT_EQ(snapshots.size(), 8u);
    // While test 2 of 3 is timed:
    const Snapshot& during = snapshots[3];
    EXPECT_EQ(during.progress_text,
              QStringLiteral("\r\nBenchmark Test 2 of 3\r\n\r\nRepetition 1 of 1\r\n\r\n"
                             "Floating Point Arithmetic\r\n\r\nPlease wait .... "));
    EXPECT_TRUE(during.panel_visible);
    EXPECT_TRUE(during.panel_over_pages);
    EXPECT_TRUE(during.bar_visible);
    EXPECT_EQ(during.bar_value, 1);
    EXPECT_EQ(during.bar_maximum, 3);
    EXPECT_FALSE(during.benchmark_button_enabled);
    EXPECT_FALSE(during.exit_button_enabled);
    // Covered, the options take no input.
    EXPECT_FALSE(during.check_box_enabled);
    EXPECT_FALSE(during.menu_enabled);
    EXPECT_FALSE(during.exit_entry_enabled);
    EXPECT_EQ(snapshots[7].bar_value, 3);

    expect_idle_window();
    EXPECT_EQ(form->PageControl1->currentIndex(), 1);
    EXPECT_FALSE(form->Benchmark_Results_Saved_CheckBox->isChecked());
    const auto& r = form->Main_Results;
    EXPECT_EQ(r.Name, QStringLiteral("This PC"));
    EXPECT_EQ(r.Integer_Operations_Per_Sec, 4000000.0L / (1800.0L / 1000));
    EXPECT_EQ(r.Floating_Point_Operations_Per_Sec, 6000000.0L / (1000.0L / 1000));
    EXPECT_EQ(r.Memory_Speed_MB_Per_Sec, 10.0L * 1000 * 2 / 1024 / 1024 / (500.0L / 1000));
    EXPECT_EQ(r.Small_Files_KB_Per_Sec, 0);
    EXPECT_EQ(r.Windows_Graphics_Pixels_Per_Sec, 0);
    EXPECT_EQ(r.Elapsed_Time_MSec, 4000);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Benchmark_Run, MenuEntriesDisabledBeforeTheRunStayDisabled) {
    form->View_Edit_Results_Data_Option->setEnabled(false);
    tick({form->Integer_Arithmetic_CheckBox});
    form->Benchmark_BitBtnClick();
    EXPECT_FALSE(form->View_Edit_Results_Data_Option->isEnabled());
    EXPECT_TRUE(form->AboutOption->isEnabled());
    expect_idle_window();
}

TEST_F(Benchmark_Run, SetButtonsEnabledTouchesOnlyButtons) {
    form->Set_Buttons_Enabled(false);
    int buttons = 0;
    for (const auto& c : form->Components()) {
        if (qobject_cast<platform::TBitBtn*>(c.object)) {
            EXPECT_FALSE(c.control->isEnabled()) << c.control->objectName().toStdString();
            ++buttons;
        }
    }
    EXPECT_EQ(buttons, 10); // the nine of the column and the hidden graph button
    EXPECT_TRUE(form->Integer_Arithmetic_CheckBox->isEnabled());
    EXPECT_TRUE(form->Number_Repetitions_SpinEdit->isEnabled());
    EXPECT_TRUE(form->DriveComboBox1->isEnabled());
    EXPECT_TRUE(form->MainMenu1->isEnabled());
    form->Set_Buttons_Enabled(true);
    EXPECT_TRUE(form->Graph_Results_BitBtn->isEnabled());
    EXPECT_TRUE(form->Save_Results_BitBtn->isEnabled());
}

TEST_F(Benchmark_Run, InformationDialogComesFirstUntilSwitchedOff) {
    auto* dialog = information_dialog();
    dialog->Dont_Show_This_Again_CheckBox->setChecked(false);
    tick({form->Integer_Arithmetic_CheckBox});
    int shown = 0;
    QString caption, text;
    int points = 0, client_height = 0;
    Qt::Alignment alignment;
    bool results_untouched_while_shown = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dialog->isVisible())
            return;
        ++shown;
        caption = dialog->windowTitle();
        text = dialog->Message_Memo->toPlainText();
        points = dialog->Message_Memo->font().pointSize();
        alignment = dialog->Message_Memo->document()->defaultTextOption().alignment();
        client_height = dialog->ClientHeight();
        results_untouched_while_shown = form->Main_Results.Name == QStringLiteral("Old");
        dialog->Dont_Show_This_Again_CheckBox->setChecked(true);
        dialog->Exit_Button->click();
    });
    poll.start();
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the information dialog stayed open";
            dialog->reject();
        }
    });
    guard.start(3000);

    form->Benchmark_BitBtnClick();
    ASSERT_EQ(shown, 1);
    EXPECT_EQ(caption, QStringLiteral("Benchmark Information :"));
    // What the user reads, line by line: five sentences, each followed by an empty line.
    const QStringList expected = Information_Text_Lines();
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), expected.size()) << text.toStdString();
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(lines[i].toStdString(), expected[i].toStdString()) << "line " << i;
    EXPECT_EQ(points, 12);
    EXPECT_EQ(alignment, Qt::AlignHCenter);
    EXPECT_GT(client_height, 400);
    EXPECT_LE(client_height, 460);
    EXPECT_TRUE(results_untouched_while_shown);
    EXPECT_EQ(form->Main_Results.Name, QStringLiteral("This PC"));

    // Ticked in the dialog: the next run starts without it.
    form->Benchmark_BitBtnClick();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(form->Benchmark_Results_Saved_CheckBox->isChecked());
}

TEST_F(Benchmark_Run, NoTestSelected) {
    form->Benchmark_BitBtnClick();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("No tests selected - please select one or more benchmark tests."));
    EXPECT_EQ(form->Main_Results.Name, QStringLiteral("This PC"));
    for (int i = 0; i < engine::TBenchmark_Results::Rate_Count; ++i)
        EXPECT_EQ(form->Main_Results.rate(i), 0) << i;
    EXPECT_EQ(form->PageControl1->currentIndex(), 1);
    EXPECT_TRUE(form->Benchmark_Results_Saved_CheckBox->isChecked());
    expect_idle_window();
}

TEST_F(Benchmark_Run, ReadOnlyDriveIsRefusedWithNothingChanged) {
    // Running as root ignores permissions, so drive e is a folder that does not exist.
    test::Drive_Table table(
        {{'c', drive(), QStringLiteral("test")},
         {'e', dir.path() + QStringLiteral("/no_medium"), QStringLiteral("cdrom")}});
    form->DriveComboBox1->setDrive('e');
    information_dialog()->Dont_Show_This_Again_CheckBox->setChecked(false);
    tick({form->Integer_Arithmetic_CheckBox, form->Disk_Speed_Small_Files_CheckBox});
    form->Benchmark_BitBtnClick();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(boxes.shown()[0].title, platform::application_title());
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("The selected drive E:\\ is READ-ONLY.\r\n\r\n"
                             "Please select a drive that you can write to."));
    expect_results_as_before();
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    expect_idle_window();
}

TEST_F(Benchmark_Run, NotEnoughSpaceIsRefused) {
    form->Small_Files_Number_of_SpinEdit->setValue(2147483647);
    form->Small_File_Size_KB_of_Each_SpinEdit->setValue(2097151);
    tick({form->Disk_Speed_Small_Files_CheckBox, form->Disk_Speed_Large_Files_CheckBox});
    form->Benchmark_BitBtnClick();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text,
              engine::Not_Enough_Space_Message('c', 2147483647LL * 2097151 * 1024,
                                               QStringLiteral("Disk Speed (Small Files)")));
    EXPECT_TRUE(boxes.shown()[0].text.contains(QStringLiteral(" C:\\.")));
    expect_results_as_before();
    EXPECT_TRUE(drive_entries().isEmpty());
}

TEST_F(Benchmark_Run, DiskTestsLeaveTheDriveClean) {
    form->Number_Repetitions_SpinEdit->setValue(2);
    tick({form->Disk_Speed_Small_Files_CheckBox, form->Disk_Speed_Large_Files_CheckBox});
    // Small files take 400 ms a repetition, large files 0.
    script_clock({0, 0, 400, 400, 400, 400, 800, 800, 800, 800});
    form->Benchmark_BitBtnClick();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(drive_entries().isEmpty()) << drive_entries().join(' ').toStdString();
    EXPECT_EQ(form->Main_Results.Small_Files_KB_Per_Sec, 20.0L / (400.0L / 1000));
    EXPECT_EQ(form->Main_Results.Large_Files_KB_Per_Sec, 0);
    EXPECT_EQ(form->Main_Results.Elapsed_Time_MSec, 400);
    EXPECT_FALSE(form->Benchmark_Results_Saved_CheckBox->isChecked());
}

TEST_F(Benchmark_Run, FailingTestIsReportedAndUndone) {
    ASSERT_TRUE(QDir(drive()).mkdir(QStringLiteral("$$BENCHMARK_TEMP_4.tmp")));
    tick({form->Integer_Arithmetic_CheckBox, form->Disk_Speed_Small_Files_CheckBox,
          form->Graphics_2D_Bitmaps_and_Drawings_CheckBox});
    form->Benchmark_BitBtnClick();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Error);
    EXPECT_EQ(boxes.shown()[0].title, platform::application_title());
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Cannot create file ") + drive() +
                                         QStringLiteral("/$$BENCHMARK_TEMP_4.tmp."));
    expect_results_as_before();
    expect_idle_window();
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
    // Files 1 to 3 were removed again; the folder in the way was not the test's.
    EXPECT_EQ(drive_entries(), QStringList{QStringLiteral("$$BENCHMARK_TEMP_4.tmp")});
    // The run ended before the graphics test.
    EXPECT_NE(forms().Graphics_2D_Form->windowTitle(),
              QStringLiteral("Graphics: 2D Bitmaps and Drawings"));
}

TEST_F(Benchmark_Run, NoKeyReachesACoveredOptionAndTheRatesUseTheStartParameters) {
    using Keys = std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>;
    struct Case {
        const char* name;
        std::function<QWidget*()> focus; // where the keyboard focus was when the run started
        Keys keys;                       // typed while the test runs
    };
    Keys tabs_then_type(15, {Qt::Key_Tab, Qt::NoModifier});
    tabs_then_type.insert(tabs_then_type.end(), {{Qt::Key_A, Qt::ControlModifier},
                                                 {Qt::Key_6, Qt::NoModifier},
                                                 {Qt::Key_Space, Qt::NoModifier}});
    const Case cases[] = {
        {"loops",
         [&] { return form->Float_Loops_Millions_Of_SpinEdit; },
         {{Qt::Key_A, Qt::ControlModifier}, {Qt::Key_6, Qt::NoModifier}}},
        {"check box",
         [&] { return form->Integer_Arithmetic_CheckBox; },
         {{Qt::Key_Space, Qt::NoModifier}}},
        {"repetitions",
         [&] { return form->Number_Repetitions_SpinEdit; },
         {{Qt::Key_Up, Qt::NoModifier}, {Qt::Key_Up, Qt::NoModifier}}},
        {"tab bar", [&] { return form->PageControl1->tabBar(); }, tabs_then_type},
    };
    QApplication::setActiveWindow(form.get());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        snapshots.clear();
        form->PageControl1->setCurrentIndex(0);
        for (QCheckBox* box : form->Test_CheckBoxes())
            box->setChecked(box == form->Floating_Point_Arithmetic_CheckBox);
        form->Float_Loops_Millions_Of_SpinEdit->setValue(1);
        form->Number_Repetitions_SpinEdit->setValue(1);
        c.focus()->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), c.focus());
        script_clock({0, 0, 500, 600}, 1, [&] {
            for (const auto& [key, modifiers] : c.keys) {
                QWidget* focus = QApplication::focusWidget();
                QTest::keyClick(focus ? focus : form.get(), key, modifiers);
            }
        });
        form->Benchmark_BitBtnClick();
        EXPECT_EQ(form->Float_Loops_Millions_Of_SpinEdit->Value(), 1);
        EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 1);
        for (QCheckBox* box : form->Test_CheckBoxes())
            EXPECT_EQ(box->isChecked(), box == form->Floating_Point_Arithmetic_CheckBox)
                << box->text().toStdString();
        EXPECT_EQ(form->Main_Results.Floating_Point_Operations_Per_Sec, 6000000.0L / 0.5L);
        EXPECT_TRUE(form->PageControl1->isEnabled());
        expect_idle_window();
    }
    // Typed in after the run, the keys reach the options again.
    form->PageControl1->setCurrentIndex(0);
    form->Float_Loops_Millions_Of_SpinEdit->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_GT(form->Float_Loops_Millions_Of_SpinEdit->Value(), 1);
}

TEST_F(Benchmark_Run, CloseDuringARunWaitsForTheTestThenCloses) {
    tick({form->Integer_Arithmetic_CheckBox, form->Floating_Point_Arithmetic_CheckBox,
          form->Memory_Speed_CheckBox});
    form->Number_Repetitions_SpinEdit->setValue(3);
    bool visible_after_request = false;
    // The close arrives while the first test is timed.
    script_clock({0, 10, 20, 30, 40, 50, 60}, 1, [&] {
        form->close();
        visible_after_request = form->isVisible();
    });
    form->Benchmark_BitBtnClick();
    EXPECT_TRUE(visible_after_request);
    // Run start, then the first test's two readings: no second test.
    EXPECT_EQ(snapshots.size(), 3u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Close_Requested_During_Run);
    expect_results_as_before();
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Benchmark_Run, GraphicsTestsRunInTheirWindows) {
    tick({form->Graphics_Standard_Windows_Forms_Controls_CheckBox,
          form->Graphics_2D_Bitmaps_and_Drawings_CheckBox});
    script_clock({0, 0, 250, 250, 1250, 1250});
    form->Benchmark_BitBtnClick();
    ASSERT_TRUE(boxes.shown().empty());
    auto* controls = forms().Windows_Graphics_Controls_Form;
    auto* drawing = forms().Graphics_2D_Form;
    EXPECT_EQ(controls->windowTitle(),
              QStringLiteral("Graphics: Standard Windows Forms / Controls"));
    EXPECT_EQ(drawing->windowTitle(), QStringLiteral("Graphics: 2D Bitmaps and Drawings"));
    EXPECT_FALSE(controls->isVisible());
    EXPECT_FALSE(drawing->isVisible());
    const auto& r = form->Main_Results;
    EXPECT_EQ(r.Windows_Controls_Operations_Per_Sec,
              controls->Num_Controls_Manipulated_SpinEdit->Value() / 0.25L);
    EXPECT_GT(r.Windows_Controls_Operations_Per_Sec, 0);
    EXPECT_EQ(r.Windows_Graphics_Pixels_Per_Sec, engine::Test_Pixel_Count_Of(*drawing) / 1.0L);
    EXPECT_GT(r.Windows_Graphics_Pixels_Per_Sec, 0);
}

} // namespace
} // namespace smx::app
