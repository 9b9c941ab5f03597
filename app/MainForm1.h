#pragma once
#include "app/Window_Bounds.h"
#include "engine/Benchmark_Results.h"
#include "platform/Product.h"
#include "settings/Settings.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <QString>
#include <vector>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QTabWidget;

namespace smx::platform {
class TSpinEdit;
class TShape;
class TBitBtn;
} // namespace smx::platform
namespace smx::graph {
class TChart;
class TBarSeries;
} // namespace smx::graph

namespace smx::app {

class TDriveComboBox;
using platform::TBitBtn;
using platform::TShape;
using platform::TSpinEdit;

// The main window. It owns every control, the two result sets and the saved flag; its handlers
// are thin and hand the real work to the subsystem libraries.
class TMainForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm1(QWidget* parent = nullptr);
    ~TMainForm1() override;

    static QString Program_Title() { return QString::fromLatin1(platform::Program_Title); }

    // ---- Controls (design names) ----
    QWidget* Client = nullptr; // the client area: every control's top-level parent
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QGroupBox* Benchmark_Available_Test_GroupBox = nullptr;
    QCheckBox* Integer_Arithmetic_CheckBox = nullptr;
    QCheckBox* Floating_Point_Arithmetic_CheckBox = nullptr;
    QCheckBox* Disk_Speed_Small_Files_CheckBox = nullptr;
    QCheckBox* Disk_Speed_Large_Files_CheckBox = nullptr;
    QCheckBox* Memory_Speed_CheckBox = nullptr;
    QCheckBox* Graphics_Standard_Windows_Forms_Controls_CheckBox = nullptr;
    QCheckBox* Graphics_2D_Bitmaps_and_Drawings_CheckBox = nullptr;
    QLabel* Label3 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    QLabel* Label1 = nullptr;
    TSpinEdit* Number_Repetitions_SpinEdit = nullptr;
    QLabel* Label2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label6 = nullptr;
    TSpinEdit* Small_Files_Number_of_SpinEdit = nullptr;
    QLabel* Label4 = nullptr;
    TSpinEdit* Small_File_Size_KB_of_Each_SpinEdit = nullptr;
    QLabel* Label5 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label7 = nullptr;
    TSpinEdit* Large_Files_Number_of_SpinEdit = nullptr;
    QLabel* Label8 = nullptr;
    TSpinEdit* Large_File_Size_KB_of_Each_SpinEdit = nullptr;
    QLabel* Label9 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label10 = nullptr;
    TSpinEdit* Integer_Loops_Millions_Of_SpinEdit = nullptr;
    QLabel* Label11 = nullptr;
    TSpinEdit* Float_Loops_Millions_Of_SpinEdit = nullptr;
    QLabel* Label12 = nullptr;
    TSpinEdit* Dynamic_Array_Size_In_Bytes_SpinEdit = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label13 = nullptr;
    TSpinEdit* Dynamic_Array_Number_Of_Loops_SpinEdit = nullptr;
    QWidget* TabSheet2 = nullptr;
    graph::TChart* Chart1 = nullptr;
    graph::TBarSeries* Series1 = nullptr;
    graph::TBarSeries* Series2 = nullptr;
    QCheckBox* Show_Values_CheckBox = nullptr;
    TShape* Shape1 = nullptr;
    QLabel* Main_Series_Label = nullptr;
    TShape* Shape2 = nullptr;
    QLabel* Compare_Series_Label = nullptr;
    QGroupBox* Buttons_GroupBox = nullptr;
    TBitBtn* Select_All_Tests_BitBtn = nullptr;
    TBitBtn* Select_No_Tests_BitBtn = nullptr;
    TBitBtn* Benchmark_BitBtn = nullptr;
    TBitBtn* Save_Results_BitBtn = nullptr;
    TBitBtn* Replace_Existing_Saved_Results_BitBtn = nullptr;
    TBitBtn* Delete_Saved_Results_BitBtn = nullptr;
    TBitBtn* Load_Results_BitBtn = nullptr;
    TBitBtn* Load_Results_With_BitBtn = nullptr;
    TBitBtn* Exit_BitBtn = nullptr;
    QGroupBox* Benchmark_Progress_GroupBox = nullptr;
    QLabel* Benchmark_Progress_Label = nullptr;
    QProgressBar* Benchmark_ProgressBar = nullptr;
    QListWidget* Temp_ListBox = nullptr;
    QListWidget* Scaling_ListBox = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QCheckBox* Benchmark_Results_Saved_CheckBox = nullptr;
    TBitBtn* Graph_Results_BitBtn = nullptr;

    // ---- Menus ----
    QMenuBar* MainMenu1 = nullptr;
    QMenu* FileMenu = nullptr;
    QAction* Always_On_Top_Option = nullptr;
    QAction* Auto_Run_at_Windows_Startup_Option = nullptr;
    QAction* Restore_Factory_Defaults_Option = nullptr;
    QAction* N2 = nullptr;
    QAction* Create_Shortcut_on_Desktop_Option = nullptr;
    QAction* Create_Shortcut_on_Start_Menu_Option = nullptr;
    QAction* Create_Shortcut_on_Start_Programs_Menu_Option = nullptr;
    QAction* Create_Shortcut_on_SendTo_Menu_Option = nullptr;
    QAction* Delete_All_Shortcuts_Option = nullptr;
    QAction* N9 = nullptr;
    QAction* ExitOption = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* Copy_Graph_to_Windows_Clipboard_Option = nullptr;
    QAction* N3 = nullptr;
    QAction* Copy_Results_Data_to_Windows_Clipboard_Option = nullptr;
    QAction* N4 = nullptr;
    QAction* View_Edit_Results_Data_Option = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* View_Readme_file_Option = nullptr;
    QAction* N1 = nullptr;
    QAction* AboutOption = nullptr;
    QAction* SpareMenu = nullptr;

    // ---- Result sets ----
    engine::TBenchmark_Results Main_Results;
    engine::TBenchmark_Results Compare_Results;

    // ---- Component order ----
    // Every component the window owns, in the order of its form description. A null widget
    // marks a non-visual component (menus, menu entries, chart series).
    struct Component {
        QObject* object;
        QWidget* control; // null for non-visual components
    };
    const std::vector<Component>& Components() const { return components_; }

    // The seven test check boxes in test order.
    std::vector<QCheckBox*> Test_CheckBoxes() const;

    // Client area size (the area below the menu bar).
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientSize(int width, int height);

    // ---- Window set-up and resizing ----
    void Raise_Spin_Edit_Bounds();
    void Fit_Client_To_Button_Column();
    void Store_Layout_Reference();
    void Set_Titles();
    void Scale_Controls_To_Window();

    // ---- Handlers ----
    void FormShow();
    void FormResize();
    void FormCloseQuery(bool& CanClose);
    void FormActivate() {}
    void Exit_BitBtnClick();
    void ExitOptionClick();
    void Select_All_Tests_BitBtnClick();
    void Select_No_Tests_BitBtnClick();
    void SpareMenuClick();
    void View_Readme_file_OptionClick();
    void View_Readme_File();

    // The run driver and its helpers.
    void Benchmark_BitBtnClick();
    void Show_Benchmark_Progress(int TestIndex, const QString& TestCaption, int Repetition,
                                 int TestCount);
    void Set_Buttons_Enabled(bool Enabled);
    // Lays the progress panel (and its bar) over the page control.
    void Cover_Options_With_Progress_Panel();

    // The graph.
    void Graph_Results_BitBtnClick();
    void Show_Values_CheckBoxClick();

    // ---- Results commands and database routines (MainForm1_Results.cpp) ----
    void Connect_Results_Handlers();
    // Part of the results database that touches the window's sets and saved flag. Each returns
    // false after showing its own error.
    bool Save_Main_Results(const QString& Name, bool Show_Message);
    bool Load_Main_Results(const QString& Name);
    bool Load_Compare_Results(const QString& Name);
    // Both sets named by the settings file, from one read of the database (the first show).
    void Load_Remembered_Results(const QString& Main_Name, const QString& Compare_Name);
    // The five buttons; the commands themselves are smx::results' (Results_Commands.h).
    void Save_Results_BitBtnClick();
    void Replace_Existing_Saved_Results_BitBtnClick();
    void Delete_Saved_Results_BitBtnClick();
    void Load_Results_BitBtnClick();
    void Load_Results_With_BitBtnClick();

    // ---- Settings, first show and factory defaults (MainForm1_Settings.cpp) ----
    void Connect_Settings_Handlers();
    // Applies the settings file to the controls; returns the stored maximised flag.
    bool Load_Settings();
    // Writes the settings file (auto-saving unsaved results first); reports a refused write.
    void Save_Settings();
    // The one place a settings record meets the controls, each way.
    void Apply_Settings_To_Controls(const settings::Settings_Record& Settings);
    settings::Settings_Record Settings_From_Controls() const;
    void Apply_Startup_Show_Command();
    void Restore_Factory_Defaults_OptionClick();
    void Restore_Factory_Defaults();
    // The smallest window (menu bar included, frame excluded) that a stored size opens at: a
    // smaller one could not be used, or not even shown.
    QSize Smallest_Usable_Size() const;
    // The selected tab page: 0 options, 1 results, -1 none.
    int Selected_Page() const;
    void Select_Page(int Index);
    // An empty page whose tab is never shown, made when first needed: selecting it leaves the
    // page control with no page selected.
    QWidget* No_Page_TabSheet = nullptr;

    // ---- Desktop integration (MainForm1_Desktop.cpp) ----
    void Connect_Desktop_Handlers();
    // Inverts the "Always On Top" tick and applies it to the window, leaving its place and
    // activation alone. The tick changes only when the window system does it; false otherwise.
    bool Toggle_Always_On_Top();
    // The auto-run entry for this executable; each returns true on success, after its message.
    bool Auto_Run_Enable();
    bool Auto_Run_Disable();
    // True when an auto-run entry for this executable exists; offers to correct one that names
    // another path.
    bool Auto_Run_Check_Location();
    void Always_On_Top_OptionClick();
    void Auto_Run_at_Windows_Startup_OptionClick();
    void Create_Shortcut_on_Desktop_OptionClick();
    void Create_Shortcut_on_Start_Menu_OptionClick();
    void Create_Shortcut_on_Start_Programs_Menu_OptionClick();
    void Create_Shortcut_on_SendTo_Menu_OptionClick();
    void Delete_All_Shortcuts_OptionClick();

    // ---- Export and the about box (MainForm1_Export.cpp) ----
    void Connect_Export_Handlers();
    void Copy_Graph_to_Windows_Clipboard_OptionClick();
    void Copy_Results_Data_to_Windows_Clipboard_OptionClick();
    void View_Edit_Results_Data_OptionClick();
    void AboutOptionClick();
    // The results page painted off-screen at the extent the graph copy puts on the clipboard.
    QImage Results_Page_Picture() const;

    // Closing during a run is deferred until the current test has ended.
    bool Run_In_Progress = false;
    bool Close_Requested_During_Run = false;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Create_Controls();
    void Create_Menus();
    void Connect_Handlers();

    // The stored bounds are the frame's: they are applied by placing the frame's corner, and
    // the client area is fitted once the window manager has framed the window.
    void Place_Window(const QRect& outer);
    // Frame_Known: the window system's frame margins hold even before the window is shown.
    bool Fit_Window_To_Requested_Bounds(bool Frame_Known = false);
    void Note_Window_Bounds();
    qint64 Clock_ms();

    std::vector<Component> components_;
    bool first_show_done_ = false;
    bool watching_window_ = false;
    Normal_Window_Bounds normal_bounds_;
    QSize smallest_usable_; // taken with the layout reference
    QElapsedTimer clock_;
};

} // namespace smx::app
