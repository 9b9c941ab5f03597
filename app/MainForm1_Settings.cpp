// Settings file, first-show sequence and factory defaults.
#include "app/Drive_Combo_Box.h"
#include "app/Forms.h"
#include "app/MainForm1.h"
#include "dialogs/AboutBox.h"
#include "dialogs/Dialog_Dont_Show_Again_Form.h"
#include "graph/Chart.h"
#include "platform/File_Routines.h"
#include "platform/Message_Boxes.h"
#include "platform/Spin_Edit.h"
#include "settings/Settings.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

namespace smx::app {
namespace {

const QString kAuto_Saved_Name = QStringLiteral("Auto-Saved Data");

QCheckBox* dont_show_again_check_box() {
    auto* dialog = forms().Dialog_Dont_Show_Again_Form;
    return dialog ? dialog->Dont_Show_This_Again_CheckBox : nullptr;
}

} // namespace

void TMainForm1::Connect_Settings_Handlers() {
    connect(Restore_Factory_Defaults_Option, &QAction::triggered, this,
            &TMainForm1::Restore_Factory_Defaults_OptionClick);
}

// ---------------------------------------------------------------------------------------------
// First show

void TMainForm1::FormShow() {
    Raise_Spin_Edit_Bounds();
    Fit_Client_To_Button_Column();
    Store_Layout_Reference();
    const bool maximised = Load_Settings();
    Set_Titles();
    // The about box's other labels: the maker's lines, the notice ending in this year.
    if (auto* about = forms().AboutBox)
        about->Fill_Maker_Texts();
    Apply_Startup_Show_Command();
    if (maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
    // Invert the stored tick so that toggling puts it back and applies it to the window.
    Always_On_Top_Option->setChecked(!Always_On_Top_Option->isChecked());
    Toggle_Always_On_Top();
    // The autostart entry, not the file, says whether the program runs at log-in.
    Auto_Run_at_Windows_Startup_Option->setChecked(Auto_Run_Check_Location());
    Chart1->Apply_Fixed_Appearance();
    Benchmark_Results_Saved_CheckBox->setChecked(true);
    // Copies: loading a set replaces the set that holds the name.
    const QString main_name = Main_Results.Name;
    const QString compare_name = Compare_Results.Name;
    Load_Remembered_Results(main_name, compare_name);
    Graph_Results_BitBtnClick();
}

void TMainForm1::Apply_Startup_Show_Command() {
    // Nothing on this desktop passes a show command to a program it starts: the window opens in
    // its normal state, and is always left visible.
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (!isVisible())
        show();
}

// ---------------------------------------------------------------------------------------------
// Settings file

bool TMainForm1::Load_Settings() {
    const QString path = settings::Settings_File_Path();
    bool refused = false;
    const settings::Settings_Record settings = settings::Read_Settings_File(path, &refused);
    if (refused) // the window still starts, with every default
        platform::show_general_error(QStringLiteral("Cannot open file ") + path);
    Apply_Settings_To_Controls(settings);
    return settings.WindowState_wsMaximized;
}

void TMainForm1::Apply_Settings_To_Controls(const settings::Settings_Record& stored) {
    const settings::Settings_Record r = settings::Clip_To_Spin_Edit_Bounds(stored);

    // The primary screen first: a window off every screen goes there.
    QList<settings::Screen_Area> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        screens.append({primary->geometry(), primary->availableGeometry()});
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            screens.append({screen->geometry(), screen->availableGeometry()});
    Place_Window(settings::Window_Bounds_On_Screens(r.window_left_posn, r.window_top_posn,
                                                    r.window_Width, r.window_Height, screens));

    Always_On_Top_Option->setChecked(r.Always_on_Top_Option);
    Auto_Run_at_Windows_Startup_Option->setChecked(r.Auto_Run_at_Windows_Startup_Option);
    const std::array<bool, 7> tests = r.Tests();
    const std::vector<QCheckBox*> boxes = Test_CheckBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setChecked(tests[i]);
    Number_Repetitions_SpinEdit->setValue(r.Number_Repetitions_SpinEdit);
    DriveComboBox1->setDrive(r.DriveComboBox1);
    Main_Results.Name = r.Selected_INI_Section;
    Compare_Results.Name = r.Compare_Selected_INI_Section;
    Show_Values_CheckBox->setChecked(r.Show_Values_CheckBox);
    if (QCheckBox* box = dont_show_again_check_box())
        box->setChecked(r.Dont_Show_This_Again_CheckBox);
    Integer_Loops_Millions_Of_SpinEdit->setValue(r.Integer_Loops_Millions_Of_SpinEdit);
    Float_Loops_Millions_Of_SpinEdit->setValue(r.Float_Loops_Millions_Of_SpinEdit);
    Small_Files_Number_of_SpinEdit->setValue(r.Small_Files_Number_of_SpinEdit);
    Small_File_Size_KB_of_Each_SpinEdit->setValue(r.Small_File_Size_KB_of_Each_SpinEdit);
    Large_Files_Number_of_SpinEdit->setValue(r.Large_Files_Number_of_SpinEdit);
    Large_File_Size_KB_of_Each_SpinEdit->setValue(r.Large_File_Size_KB_of_Each_SpinEdit);
    Dynamic_Array_Size_In_Bytes_SpinEdit->setValue(r.Dynamic_Array_Size_In_Bytes_SpinEdit);
    Dynamic_Array_Number_Of_Loops_SpinEdit->setValue(r.Dynamic_Array_Number_Of_Loops_SpinEdit);
    Select_Page(r.PageControl1);
}

settings::Settings_Record TMainForm1::Settings_From_Controls() const {
    settings::Settings_Record r;
    r.WindowState_wsMaximized = isMaximized();
    // Those of the normal window, also when it is maximised or minimised now.
    const QRect bounds = normal_bounds_.Outer();
    r.window_top_posn = bounds.top();
    r.window_left_posn = bounds.left();
    r.window_Width = bounds.width();
    r.window_Height = bounds.height();
    r.Always_on_Top_Option = Always_On_Top_Option->isChecked();
    r.Auto_Run_at_Windows_Startup_Option = Auto_Run_at_Windows_Startup_Option->isChecked();
    std::array<bool, 7> tests{};
    const std::vector<QCheckBox*> boxes = Test_CheckBoxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        tests[i] = boxes[i]->isChecked();
    r.Set_Tests(tests);
    r.Number_Repetitions_SpinEdit = Number_Repetitions_SpinEdit->Value();
    r.DriveComboBox1 = DriveComboBox1->Drive();
    r.Selected_INI_Section = Main_Results.Name;
    r.Compare_Selected_INI_Section = Compare_Results.Name;
    r.Show_Values_CheckBox = Show_Values_CheckBox->isChecked();
    if (const QCheckBox* box = dont_show_again_check_box())
        r.Dont_Show_This_Again_CheckBox = box->isChecked();
    r.Integer_Loops_Millions_Of_SpinEdit = Integer_Loops_Millions_Of_SpinEdit->Value();
    r.Float_Loops_Millions_Of_SpinEdit = Float_Loops_Millions_Of_SpinEdit->Value();
    r.Small_Files_Number_of_SpinEdit = Small_Files_Number_of_SpinEdit->Value();
    r.Small_File_Size_KB_of_Each_SpinEdit = Small_File_Size_KB_of_Each_SpinEdit->Value();
    r.Large_Files_Number_of_SpinEdit = Large_Files_Number_of_SpinEdit->Value();
    r.Large_File_Size_KB_of_Each_SpinEdit = Large_File_Size_KB_of_Each_SpinEdit->Value();
    r.Dynamic_Array_Size_In_Bytes_SpinEdit = Dynamic_Array_Size_In_Bytes_SpinEdit->Value();
    r.Dynamic_Array_Number_Of_Loops_SpinEdit = Dynamic_Array_Number_Of_Loops_SpinEdit->Value();
    r.PageControl1 = Selected_Page();
    r.Benchmark_Results_Saved_CheckBox = Benchmark_Results_Saved_CheckBox->isChecked();
    return r;
}

void TMainForm1::Save_Settings() {
    Note_Window_Bounds();
    settings::Settings_Record settings = Settings_From_Controls();
    if (!Benchmark_Results_Saved_CheckBox->isChecked()) {
        // The last run was never stored: keep it under a fixed name and show it next time.
        // This comes before the settings file, so a settings file that cannot be written does
        // not also lose the run.
        Main_Results.Name = kAuto_Saved_Name;
        const bool saved = Save_Main_Results(Main_Results.Name, false);
        // Should the save fail, an older set of that name must not be shown as this run.
        settings.Selected_INI_Section = saved ? Main_Results.Name : QString();
        settings.Benchmark_Results_Saved_CheckBox = Benchmark_Results_Saved_CheckBox->isChecked();
    }
    const QString path = settings::Settings_File_Path();
    if (!settings::Write_Settings_File(path, settings))
        platform::show_general_error(QStringLiteral("Unable to write to ") + path);
}

int TMainForm1::Selected_Page() const {
    const int index = PageControl1->currentIndex();
    return index == 0 || index == 1 ? index : -1;
}

void TMainForm1::Select_Page(int Index) {
    if (Index == 0 || Index == 1) {
        PageControl1->setCurrentIndex(Index);
        return;
    }
    if (!No_Page_TabSheet) {
        No_Page_TabSheet = new QWidget;
        No_Page_TabSheet->setObjectName(QStringLiteral("No_Page_TabSheet"));
        const int index = PageControl1->addTab(No_Page_TabSheet, QString());
        PageControl1->setTabVisible(index, false);
    }
    PageControl1->setCurrentWidget(No_Page_TabSheet);
}

// ---------------------------------------------------------------------------------------------
// Window bounds

QSize TMainForm1::Smallest_Usable_Size() const {
    // The menu bar (its menus reached through its extension button when they do not all fit),
    // and below it the controls at half their designed size, the buttons still large enough to
    // press. Taken from the window as it stands at its designed size, at the first show.
    if (smallest_usable_.isValid())
        return smallest_usable_;
    const int menu_height = height() - ClientHeight();
    return QSize(ClientWidth() / 2, menu_height + ClientHeight() / 2);
}

void TMainForm1::Place_Window(const QRect& outer) {
    const QSize smallest = Smallest_Usable_Size();
    normal_bounds_.Request(outer, smallest);
    // A window system that frames its windows itself knows the frame before the window is on
    // screen.
    const QWindow* window = windowHandle();
    if (window != nullptr && !window->frameMargins().isNull() &&
        Fit_Window_To_Requested_Bounds(true))
        return;
    if (Fit_Window_To_Requested_Bounds(false))
        return;
    // Not framed yet, so the frame's size is unknown: the size is fitted once it is on screen,
    // while the window manager is asked to put the frame's corner at the position now, so the
    // window does not move then.
    resize(outer.size().expandedTo(smallest));
    move(outer.topLeft());
    if (QWindow* handle = windowHandle())
        handle->setFramePosition(outer.topLeft());
}

bool TMainForm1::Fit_Window_To_Requested_Bounds(bool Frame_Known) {
    QWindow* window = windowHandle();
    if (!normal_bounds_.Fit_Pending() || window == nullptr ||
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return false;
    // A window manager frames the window before it is on screen; until then, what the window
    // system says of the frame is not to be trusted.
    if (!Frame_Known && !window->isExposed())
        return false;
    const QMargins frame = window->frameMargins();
    const QRect client = normal_bounds_.Fitted_Client(frame);
    normal_bounds_.Fitted(client, frame, Clock_ms());
    if (geometry() != client)
        setGeometry(client);
    Note_Window_Bounds();
    // The window manager may change the frame just after (around restoring a window) without
    // the window being moved or resized, so nothing else would show it: look again.
    for (const int ms : {150, 500, 1200})
        QTimer::singleShot(ms, this, [this] { Note_Window_Bounds(); });
    return true;
}

qint64 TMainForm1::Clock_ms() {
    if (!clock_.isValid())
        clock_.start();
    return clock_.elapsed();
}

void TMainForm1::Note_Window_Bounds() {
    const QWindow* window = windowHandle();
    if (window == nullptr || !isVisible())
        return;
    if (const auto client =
            normal_bounds_.Refit(geometry(), window->frameMargins(), windowState(), Clock_ms()))
        setGeometry(*client);
    normal_bounds_.Observe(geometry(), window->frameMargins(), windowState());
}

// ---------------------------------------------------------------------------------------------
// Factory defaults

void TMainForm1::Restore_Factory_Defaults_OptionClick() {
    Restore_Factory_Defaults();
}

void TMainForm1::Restore_Factory_Defaults() {
    const QString question =
        QStringLiteral("This puts every setting of this program back to the way it was when it "
                       "was installed.\n"
                       "The window, the chosen tests, their options and the drive return to "
                       "their defaults.\n"
                       "Results that have not been saved are discarded; saved results are kept.\n"
                       "\n"
                       "Do you want to restore the factory defaults?");
    if (platform::ask_warning_question(Program_Title(), question, platform::Box_Answer::Yes) !=
        platform::Box_Answer::Yes)
        return;
    platform::Delete_File_If_Closed(settings::Settings_File_Path());
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    FormShow();
}

} // namespace smx::app
