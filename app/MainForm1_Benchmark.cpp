// The "Benchmark" button: the main window's side of a run. The run itself (order, timing,
// averaging, rates, messages) is smx::engine::Run_Benchmark.
#include "app/Drive_Combo_Box.h"
#include "app/Forms.h"
#include "app/MainForm1.h"
#include "dialogs/Dialog_Dont_Show_Again_Form.h"
#include "engine/Graphics_2D_Form.h"
#include "engine/Run_Driver.h"
#include "engine/Windows_Graphics_Controls_Form.h"
#include "platform/Events.h"
#include "platform/Spin_Edit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace smx::app {
namespace {

using engine::Test_Id;

// Every action reachable from the menu bar, submenus included.
void collect_actions(const QList<QAction*>& actions, std::vector<QPointer<QAction>>& out) {
    for (QAction* action : actions) {
        out.emplace_back(action);
        if (QMenu* menu = action->menu())
            collect_actions(menu->actions(), out);
    }
}

class Main_Window_Host : public engine::Run_Host {
public:
    explicit Main_Window_Host(TMainForm1& form) : f_(form) {}

    engine::Run_Settings read_settings() override {
        engine::Run_Settings s;
        const auto boxes = f_.Test_CheckBoxes();
        for (int i = 0; i < engine::Test_Id_Count; ++i) {
            s.ticked[i] = boxes[i]->isChecked();
            s.captions[i] = boxes[i]->text();
        }
        s.repetitions = f_.Number_Repetitions_SpinEdit->Value();
        s.integer_loops_millions = f_.Integer_Loops_Millions_Of_SpinEdit->Value();
        s.float_loops_millions = f_.Float_Loops_Millions_Of_SpinEdit->Value();
        s.array_size = f_.Dynamic_Array_Size_In_Bytes_SpinEdit->Value();
        s.array_loops = f_.Dynamic_Array_Number_Of_Loops_SpinEdit->Value();
        s.small_files = f_.Small_Files_Number_of_SpinEdit->Value();
        s.small_file_kb = f_.Small_File_Size_KB_of_Each_SpinEdit->Value();
        s.large_files = f_.Large_Files_Number_of_SpinEdit->Value();
        s.large_file_kb = f_.Large_File_Size_KB_of_Each_SpinEdit->Value();
        s.drive_letter = f_.DriveComboBox1->Drive();
        return s;
    }

    engine::TBenchmark_Results& main_results() override { return f_.Main_Results; }
    bool results_saved() override { return f_.Benchmark_Results_Saved_CheckBox->isChecked(); }
    void set_results_saved(bool saved) override {
        f_.Benchmark_Results_Saved_CheckBox->setChecked(saved);
    }

    bool information_suppressed() override {
        const auto* dialog = forms().Dialog_Dont_Show_Again_Form;
        return dialog == nullptr || dialog->Dont_Show_This_Again_CheckBox->isChecked();
    }

    void show_information_dialog(const engine::Information_Message& m) override {
        auto* dialog = forms().Dialog_Dont_Show_Again_Form;
        dialog->Set_Outer_Height(m.outer_height);
        dialog->setWindowTitle(m.caption);
        dialog->Set_Message_Font_Size(m.font_points);
        dialog->Set_Message_Alignment(m.centred ? Qt::AlignHCenter : Qt::AlignLeft);
        dialog->Clear_Message();
        for (const QString& line : m.lines)
            dialog->Add_Message_Line(line);
        dialog->exec();
    }

    void show_progress_panel(int total_steps) override {
        QGroupBox* panel = f_.Benchmark_Progress_GroupBox;
        // Covered options must not take input either: the keyboard focus (on the tab bar, a
        // check box or a spin edit) and the options' shortcuts would still reach them.
        focus_before_ = QApplication::focusWidget();
        f_.PageControl1->setEnabled(false);
        f_.Cover_Options_With_Progress_Panel();
        QProgressBar* bar = f_.Benchmark_ProgressBar;
        bar->setRange(0, std::max(1, total_steps));
        bar->setValue(0);
        bar->setVisible(total_steps > 0);
        panel->setVisible(true);
        panel->raise();
        bar->raise();
    }

    void hide_progress_panel() override {
        f_.Benchmark_ProgressBar->hide();
        f_.Benchmark_Progress_GroupBox->hide();
        f_.PageControl1->setEnabled(true);
        if (focus_before_ && focus_before_->isVisible() && focus_before_->isEnabled())
            focus_before_->setFocus();
    }

    void show_progress(int TestIndex, const QString& TestCaption, int Repetition,
                       int TestCount) override {
        f_.Show_Benchmark_Progress(TestIndex, TestCaption, Repetition, TestCount);
    }

    void advance_progress(int steps_done) override {
        f_.Benchmark_ProgressBar->setValue(steps_done);
    }

    void set_buttons_enabled(bool enabled) override { f_.Set_Buttons_Enabled(enabled); }

    // The menu bar and every entry in it, so that neither a click nor a shortcut can start
    // another command during the run. Entries disabled before the run stay disabled.
    void set_menu_enabled(bool enabled) override {
        if (!enabled) {
            std::vector<QPointer<QAction>> all;
            collect_actions(f_.MainMenu1->actions(), all);
            for (const auto& action : all) {
                if (action && action->isEnabled()) {
                    action->setEnabled(false);
                    disabled_actions_.push_back(action);
                }
            }
        } else {
            for (const auto& action : disabled_actions_) {
                if (action)
                    action->setEnabled(true);
            }
            disabled_actions_.clear();
        }
        f_.MainMenu1->setEnabled(enabled);
    }

    void set_graphics_caption(Test_Id test, const QString& caption) override {
        if (QDialog* form = graphics_form(test))
            form->setWindowTitle(caption);
    }

    void run_graphics_test(Test_Id test) override {
        if (QDialog* form = graphics_form(test))
            form->exec();
    }

    int controls_manipulated() override {
        const auto* form = forms().Windows_Graphics_Controls_Form;
        return form ? form->Num_Controls_Manipulated_SpinEdit->Value() : 0;
    }

    long double test_pixel_count() override {
        const auto* form = forms().Graphics_2D_Form;
        return form ? engine::Test_Pixel_Count_Of(*form) : 0;
    }

    void redraw_graph() override { f_.Graph_Results_BitBtnClick(); }
    void show_results_page() override { f_.PageControl1->setCurrentIndex(1); }
    bool close_requested() override { return f_.Close_Requested_During_Run; }

private:
    static QDialog* graphics_form(Test_Id test) {
        if (test == Test_Id::Graphics_Windows_Controls)
            return forms().Windows_Graphics_Controls_Form;
        return forms().Graphics_2D_Form;
    }

    TMainForm1& f_;
    std::vector<QPointer<QAction>> disabled_actions_;
    QPointer<QWidget> focus_before_;
};

} // namespace

void TMainForm1::Benchmark_BitBtnClick() {
    if (Run_In_Progress)
        return; // a command reached from inside the run's own message pumping
    Run_In_Progress = true;
    Main_Window_Host host(*this);
    engine::Run_Benchmark(host);
    Run_In_Progress = false;
    // A close asked for during the run was held back; it goes its normal way now.
    if (Close_Requested_During_Run) {
        Close_Requested_During_Run = false;
        close();
    }
}

void TMainForm1::Cover_Options_With_Progress_Panel() {
    QGroupBox* panel = Benchmark_Progress_GroupBox;
    panel->setGeometry(PageControl1->geometry());
    // The bar: 90 % of the panel's width, centred, a tenth of its height high, its top a
    // fifth of the height above the bottom.
    const int w = panel->width();
    const int h = panel->height();
    Benchmark_ProgressBar->setGeometry((w - w * 9 / 10) / 2, h - h / 5, w * 9 / 10, h / 10);
}

void TMainForm1::Show_Benchmark_Progress(int TestIndex, const QString& TestCaption, int Repetition,
                                         int TestCount) {
    Benchmark_Progress_Label->setText(engine::Benchmark_Progress_Text(
        TestIndex, TestCaption, Repetition, TestCount, Number_Repetitions_SpinEdit->Value()));
    platform::process_messages();
}

void TMainForm1::Set_Buttons_Enabled(bool Enabled) {
    // Push buttons, bitmap buttons and speed buttons; check boxes are buttons too in Qt but are
    // left alone, like the spin edits, the drive list and the menu.
    for (const Component& c : Components()) {
        if (qobject_cast<QPushButton*>(c.object) || qobject_cast<QToolButton*>(c.object))
            static_cast<QWidget*>(c.object)->setEnabled(Enabled);
    }
}

} // namespace smx::app
