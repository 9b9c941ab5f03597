#include "app/MainForm1.h"

#include "app/Drive_Combo_Box.h"
#include "app/Forms.h"
#include "app/Layout_Scaling.h"
#include "dialogs/AboutBox.h"
#include "graph/Chart.h"
#include "platform/Bit_Button.h"
#include "platform/Design_Fonts.h"
#include "platform/Message_Boxes.h"
#include "platform/Shape.h"
#include "platform/Spin_Edit.h"
#include "platform/Termination.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace smx::app {
namespace {

const QString kFormFont = QStringLiteral("Times New Roman");

QFont design_font(int points, bool bold = false) {
    QFont font(kFormFont);
    font.setPointSize(points);
    font.setBold(bold);
    return platform::fit_design_widths(font);
}

} // namespace

TMainForm1::TMainForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm1"));
    // The form description's caption is a placeholder until the first show sets the title.
    setWindowTitle(QStringLiteral("MainForm1"));
    setFont(design_font(11));
    setPalette(QApplication::palette()); // button-face colour background
    move(438, 117);
    resize(964, 502);

    Client = new QWidget(this);
    Client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(Client);
    Client->installEventFilter(this);

    Create_Controls();
    Create_Menus();
    Connect_Handlers();
}

TMainForm1::~TMainForm1() = default;

// ---------------------------------------------------------------------------------------------
// Controls, in the order of the form description. Every one is registered in components_.

void TMainForm1::Create_Controls() {
    auto place = [this](auto* widget, const char* name, int left, int top, int width, int height) {
        widget->setObjectName(QString::fromLatin1(name));
        widget->setGeometry(left, top, width, height);
        components_.push_back(Component{widget, widget});
        return widget;
    };
    auto check_box = [&](QWidget* parent, const char* name, int left, int top, int width,
                         int height, const QString& caption) {
        auto* box = place(new QCheckBox(caption, parent), name, left, top, width, height);
        return box;
    };
    auto label = [&](QWidget* parent, const char* name, int left, int top, const QString& text) {
        auto* l = new QLabel(text, parent);
        l->adjustSize(); // auto-sized
        return place(l, name, left, top, l->width(), l->height());
    };
    auto spin_edit = [&](QWidget* parent, const char* name, int left, int top, int width,
                         int height, int max, int step, int value) {
        auto* s = place(new TSpinEdit(parent), name, left, top, width, height);
        s->setMinValue(1);
        s->setMaxValue(max);
        s->setIncrement(step);
        s->setValue(value);
        return s;
    };
    auto group_box = [&](QWidget* parent, const char* name, int left, int top, int width,
                         int height, const char* caption) {
        return place(new QGroupBox(QString::fromLatin1(caption), parent), name, left, top, width,
                     height);
    };
    // Right-aligned option label, 305 wide at left 12, level with its spin edit.
    auto option_label = [&](QWidget* parent, const char* name, int top, const char* text) {
        auto* l = place(new QLabel(QString::fromLatin1(text), parent), name, 12, top + 5, 305, 17);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    auto unit_label = [&](QWidget* parent, const char* name, int top, const char* text) {
        return label(parent, name, 460, top + 5, QString::fromLatin1(text));
    };

    // Page control and its first page.
    PageControl1 = place(new QTabWidget(Client), "PageControl1", 5, 2, 545, 443);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral(" Benchmark Options "));
    components_.push_back(Component{TabSheet1, TabSheet1});

    Benchmark_Available_Test_GroupBox = group_box(TabSheet1, "Benchmark_Available_Test_GroupBox", 0,
                                                  0, 535, 129, " Available Benchmark Tests : ");
    auto* tests = Benchmark_Available_Test_GroupBox;
    const std::array<QString, 7>& captions = settings::Test_Captions();
    Integer_Arithmetic_CheckBox =
        check_box(tests, "Integer_Arithmetic_CheckBox", 15, 20, 200, 17, captions[0]);
    Floating_Point_Arithmetic_CheckBox =
        check_box(tests, "Floating_Point_Arithmetic_CheckBox", 15, 40, 200, 17, captions[1]);
    Disk_Speed_Small_Files_CheckBox =
        check_box(tests, "Disk_Speed_Small_Files_CheckBox", 15, 60, 200, 17, captions[3]);
    Disk_Speed_Large_Files_CheckBox =
        check_box(tests, "Disk_Speed_Large_Files_CheckBox", 15, 80, 200, 17, captions[4]);
    Memory_Speed_CheckBox =
        check_box(tests, "Memory_Speed_CheckBox", 225, 20, 300, 17, captions[2]);
    Graphics_Standard_Windows_Forms_Controls_CheckBox = check_box(
        tests, "Graphics_Standard_Windows_Forms_Controls_CheckBox", 225, 40, 300, 17, captions[5]);
    Graphics_2D_Bitmaps_and_Drawings_CheckBox = check_box(
        tests, "Graphics_2D_Bitmaps_and_Drawings_CheckBox", 225, 60, 300, 17, captions[6]);
    for (QCheckBox* box : Test_CheckBoxes())
        box->setChecked(true);
    Label3 = label(tests, "Label3", 13, 104, QStringLiteral("Test this drive :"));
    DriveComboBox1 = place(new TDriveComboBox(tests), "DriveComboBox1", 111, 101, 145, 23);
    Label1 = label(tests, "Label1", 300, 104, QStringLiteral("Repeat each test "));
    Number_Repetitions_SpinEdit =
        spin_edit(tests, "Number_Repetitions_SpinEdit", 420, 99, 53, 27, 100, 1, 1);
    Label2 = label(tests, "Label2", 480, 104, QStringLiteral("times. "));

    GroupBox1 = group_box(TabSheet1, "GroupBox1", 0, 130, 535, 73, " Small File Options : ");
    Label6 =
        option_label(GroupBox1, "Label6", 17, "Number of small files to create (read and write) :");
    Small_Files_Number_of_SpinEdit = spin_edit(GroupBox1, "Small_Files_Number_of_SpinEdit", 328, 17,
                                               121, 27, 2147483647, 10, 500);
    Label4 = option_label(GroupBox1, "Label4", 44, "Size of each small file :");
    Small_File_Size_KB_of_Each_SpinEdit = spin_edit(
        GroupBox1, "Small_File_Size_KB_of_Each_SpinEdit", 328, 44, 121, 27, 2097151, 1, 4);
    Label5 = unit_label(GroupBox1, "Label5", 44, "(KB)");

    GroupBox3 = group_box(TabSheet1, "GroupBox3", 0, 204, 535, 75, " Large File Options : ");
    Label7 =
        option_label(GroupBox3, "Label7", 17, "Number of large files to create (read and write) :");
    Large_Files_Number_of_SpinEdit =
        spin_edit(GroupBox3, "Large_Files_Number_of_SpinEdit", 328, 17, 121, 27, 2147483647, 1, 10);
    Label8 = option_label(GroupBox3, "Label8", 45, "Size of each large file :");
    Large_File_Size_KB_of_Each_SpinEdit = spin_edit(
        GroupBox3, "Large_File_Size_KB_of_Each_SpinEdit", 328, 45, 121, 27, 2097151, 10, 10240);
    Label9 = unit_label(GroupBox3, "Label9", 45, "(KB)");

    GroupBox2 = group_box(TabSheet1, "GroupBox2", 0, 280, 537, 131, " Other Options : ");
    Label10 = option_label(GroupBox2, "Label10", 17, "Millions of Integer Processing Loops :");
    Integer_Loops_Millions_Of_SpinEdit = spin_edit(GroupBox2, "Integer_Loops_Millions_Of_SpinEdit",
                                                   328, 17, 121, 27, 2147, 100, 900);
    Label11 =
        option_label(GroupBox2, "Label11", 45, "Millions of Floating Point Processing Loops :");
    Float_Loops_Millions_Of_SpinEdit =
        spin_edit(GroupBox2, "Float_Loops_Millions_Of_SpinEdit", 328, 45, 121, 27, 2147, 100, 128);
    Label12 = option_label(GroupBox2, "Label12", 73, "Dynamic Array Size :");
    Dynamic_Array_Size_In_Bytes_SpinEdit =
        spin_edit(GroupBox2, "Dynamic_Array_Size_In_Bytes_SpinEdit", 328, 73, 121, 27, 2147483647,
                  1000, 30000);
    Label14 = unit_label(GroupBox2, "Label14", 73, "(Bytes)");
    Label13 = option_label(GroupBox2, "Label13", 101, "Dynamic Array Processing Loops :");
    Dynamic_Array_Number_Of_Loops_SpinEdit =
        spin_edit(GroupBox2, "Dynamic_Array_Number_Of_Loops_SpinEdit", 328, 101, 121, 27,
                  2147483647, 10, 4000);

    // Second page: the graph and its legend.
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral(" Benchmark Results : (Logarithmic Graph) "));
    components_.push_back(Component{TabSheet2, TabSheet2});
    Chart1 = place(new graph::TChart(TabSheet2), "Chart1", 2, 2, 535, 367);
    Series1 = Chart1->Series1;
    Series2 = Chart1->Series2;
    components_.push_back(Component{Series1, nullptr});
    components_.push_back(Component{Series2, nullptr});
    Show_Values_CheckBox =
        check_box(TabSheet2, "Show_Values_CheckBox", 440, 6, 93, 17, QStringLiteral("Show Values"));
    Show_Values_CheckBox->setFont(design_font(10));
    Shape1 = place(new TShape(TabSheet2), "Shape1", 4, 372, 41, 17);
    Shape1->setBrushColor(QColor(255, 0, 0));
    Main_Series_Label = place(new QLabel(TabSheet2), "Main_Series_Label", 52, 372, 481, 17);
    Main_Series_Label->setFont(design_font(10));
    Main_Series_Label->setStyleSheet(QStringLiteral("color: #ff0000;"));
    Shape2 = place(new TShape(TabSheet2), "Shape2", 4, 390, 41, 17);
    Shape2->setBrushColor(QColor(0, 255, 0));
    Compare_Series_Label = place(new QLabel(TabSheet2), "Compare_Series_Label", 52, 390, 481, 17);
    Compare_Series_Label->setFont(design_font(10));
    Compare_Series_Label->setStyleSheet(QStringLiteral("color: #008000;"));

    // The button column.
    Buttons_GroupBox = place(new QGroupBox(Client), "Buttons_GroupBox", 553, 20, 101, 425);
    struct Button_Design {
        TBitBtn** member;
        const char* name;
        const char* caption;
        QColor colour;
        const char* hint;
        platform::Glyph glyph;
        QSize frame;
    };
    const QColor text = QApplication::palette().color(QPalette::ButtonText);
    const QColor red(255, 0, 0);
    const QColor green(0, 128, 0);
    const Button_Design buttons[] = {
        {&Select_All_Tests_BitBtn, "Select_All_Tests_BitBtn", "Select All", text,
         "Select All Tests", platform::Glyph::Select_All, QSize(18, 19)},
        {&Select_No_Tests_BitBtn, "Select_No_Tests_BitBtn", "Select None", text, "Select No Tests",
         platform::Glyph::Select_None, QSize(18, 18)},
        {&Benchmark_BitBtn, "Benchmark_BitBtn", "Benchmark", text,
         "Perform the selected benchmark tests", platform::Glyph::Benchmark, QSize(18, 18)},
        {&Save_Results_BitBtn, "Save_Results_BitBtn", "Save", red,
         "Save the benchmark results to file.", platform::Glyph::Save, QSize(16, 16)},
        {&Replace_Existing_Saved_Results_BitBtn, "Replace_Existing_Saved_Results_BitBtn", "Replace",
         red, "Replace existing saved results.", platform::Glyph::Replace, QSize(18, 18)},
        {&Delete_Saved_Results_BitBtn, "Delete_Saved_Results_BitBtn", "Delete", text,
         "Delete one or more saved results.", platform::Glyph::Delete, QSize(16, 16)},
        {&Load_Results_BitBtn, "Load_Results_BitBtn", "Load", red,
         "Load a set of benchmark results.", platform::Glyph::Load, QSize(16, 16)},
        {&Load_Results_With_BitBtn, "Load_Results_With_BitBtn", "Compare", green,
         "Compare the benchmark results with another set of results.", platform::Glyph::Compare,
         QSize(16, 16)},
        {&Exit_BitBtn, "Exit_BitBtn", "Exit", text, "Exit this program", platform::Glyph::Exit,
         QSize(16, 16)},
    };
    int top = 9;
    for (const Button_Design& b : buttons) {
        auto* button = place(new TBitBtn(Buttons_GroupBox), b.name, 5, top, 90, 45);
        button->setText(QString::fromLatin1(b.caption));
        button->setToolTip(QString::fromLatin1(b.hint));
        button->setFont(design_font(11, true));
        button->setCaptionColor(b.colour);
        button->setGlyph(b.glyph, b.frame);
        *b.member = button;
        top += 46;
    }

    // The progress panel, hidden until a run lays it over the page control.
    Benchmark_Progress_GroupBox = group_box(Client, "Benchmark_Progress_GroupBox", 670, 8, 167, 395,
                                            " Benchmark Progress : ");
    Benchmark_Progress_GroupBox->setFont(design_font(14));
    // Opaque, so that it hides the options it is laid over during a run.
    Benchmark_Progress_GroupBox->setAutoFillBackground(true);
    Benchmark_Progress_Label =
        place(new QLabel(Benchmark_Progress_GroupBox), "Benchmark_Progress_Label", 2, 21, 163, 372);
    Benchmark_Progress_Label->setFont(design_font(18, true));
    Benchmark_Progress_Label->setAlignment(Qt::AlignCenter);
    Benchmark_Progress_Label->setWordWrap(true);
    // The label fills the box wherever the box is placed.
    auto* progress_layout = new QVBoxLayout(Benchmark_Progress_GroupBox);
    progress_layout->setContentsMargins(2, 2, 2, 2);
    progress_layout->addWidget(Benchmark_Progress_Label);
    Benchmark_ProgressBar = place(new QProgressBar(Benchmark_Progress_GroupBox),
                                  "Benchmark_ProgressBar", 8, 360, 150, 16);
    Benchmark_ProgressBar->setRange(0, 100);
    Benchmark_ProgressBar->setValue(0);
    Benchmark_ProgressBar->hide();
    Benchmark_Progress_GroupBox->hide();

    // Auxiliary controls: data holders and a command carrier, never seen by the user.
    Temp_ListBox = place(new QListWidget(Client), "Temp_ListBox", 848, 8, 97, 97);
    Temp_ListBox->hide();
    Scaling_ListBox = place(new QListWidget(Client), "Scaling_ListBox", 848, 112, 97, 97);
    Scaling_ListBox->hide();
    Memo1 = place(new QPlainTextEdit(Client), "Memo1", 848, 216, 97, 89);
    // A carrier for clipboard text outside the visible area: neither Tab nor a click may put
    // the keyboard there.
    Memo1->setFocusPolicy(Qt::NoFocus);
    Benchmark_Results_Saved_CheckBox = check_box(Client, "Benchmark_Results_Saved_CheckBox", 848,
                                                 312, 97, 17, QStringLiteral("Results Saved"));
    Benchmark_Results_Saved_CheckBox->hide();
    Graph_Results_BitBtn = place(new TBitBtn(Client), "Graph_Results_BitBtn", 848, 336, 75, 25);
    Graph_Results_BitBtn->setText(QStringLiteral("Graph"));
    Graph_Results_BitBtn->setGlyph(platform::Glyph::Graph, QSize(16, 16));
    Graph_Results_BitBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Graph_Results_BitBtn->hide();

    // Keyboard tab orders: the test box, then the button column.
    QWidget* test_order[] = {Integer_Arithmetic_CheckBox,
                             Floating_Point_Arithmetic_CheckBox,
                             Memory_Speed_CheckBox,
                             Disk_Speed_Small_Files_CheckBox,
                             Disk_Speed_Large_Files_CheckBox,
                             Graphics_Standard_Windows_Forms_Controls_CheckBox,
                             Graphics_2D_Bitmaps_and_Drawings_CheckBox,
                             Number_Repetitions_SpinEdit,
                             DriveComboBox1};
    for (std::size_t i = 1; i < std::size(test_order); ++i)
        QWidget::setTabOrder(test_order[i - 1], test_order[i]);
    QWidget* button_order[] = {Benchmark_BitBtn,
                               Save_Results_BitBtn,
                               Load_Results_BitBtn,
                               Load_Results_With_BitBtn,
                               Exit_BitBtn,
                               Select_All_Tests_BitBtn,
                               Select_No_Tests_BitBtn,
                               Delete_Saved_Results_BitBtn,
                               Replace_Existing_Saved_Results_BitBtn};
    for (std::size_t i = 1; i < std::size(button_order); ++i)
        QWidget::setTabOrder(button_order[i - 1], button_order[i]);
}

void TMainForm1::Create_Menus() {
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(MainMenu1);
    components_.push_back(Component{MainMenu1, nullptr});

    auto menu = [this](const char* name, const char* caption) {
        auto* m = MainMenu1->addMenu(QString::fromLatin1(caption));
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        components_.push_back(Component{m, nullptr});
        return m;
    };
    auto entry = [this](QMenu* m, const char* name, const char* caption, bool checkable = false) {
        auto* a = m->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(checkable);
        components_.push_back(Component{a, nullptr});
        return a;
    };
    auto separator = [this](QMenu* m, const char* name) {
        auto* a = m->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        components_.push_back(Component{a, nullptr});
        return a;
    };

    FileMenu = menu("FileMenu", "&File");
    Always_On_Top_Option = entry(FileMenu, "Always_On_Top_Option", "Always &On Top", true);
    Auto_Run_at_Windows_Startup_Option =
        entry(FileMenu, "Auto_Run_at_Windows_Startup_Option", "&Auto-Run at Windows Startup", true);
    Restore_Factory_Defaults_Option =
        entry(FileMenu, "Restore_Factory_Defaults_Option", "&Restore Factory Defaults");
    N2 = separator(FileMenu, "N2");
    Create_Shortcut_on_Desktop_Option =
        entry(FileMenu, "Create_Shortcut_on_Desktop_Option", "Create Shortcut on Desktop");
    Create_Shortcut_on_Start_Menu_Option =
        entry(FileMenu, "Create_Shortcut_on_Start_Menu_Option", "Create Shortcut on Start Menu");
    Create_Shortcut_on_Start_Programs_Menu_Option =
        entry(FileMenu, "Create_Shortcut_on_Start_Programs_Menu_Option",
              "Create Shortcut on Start -> Programs Menu");
    Create_Shortcut_on_SendTo_Menu_Option =
        entry(FileMenu, "Create_Shortcut_on_SendTo_Menu_Option", "Create Shortcut on SendTo Menu");
    Create_Shortcut_on_SendTo_Menu_Option->setVisible(false);
    Delete_All_Shortcuts_Option =
        entry(FileMenu, "Delete_All_Shortcuts_Option", "Delete ALL Shortcuts");
    N9 = separator(FileMenu, "N9");
    ExitOption = entry(FileMenu, "ExitOption", "E&xit");

    Edit1 = menu("Edit1", "Edit");
    Copy_Graph_to_Windows_Clipboard_Option =
        entry(Edit1, "Copy_Graph_to_Windows_Clipboard_Option", "Copy Graph to Windows Clipboard");
    N3 = separator(Edit1, "N3");
    Copy_Results_Data_to_Windows_Clipboard_Option =
        entry(Edit1, "Copy_Results_Data_to_Windows_Clipboard_Option",
              "Copy Results Data to Windows Clipboard");
    N4 = separator(Edit1, "N4");
    View_Edit_Results_Data_Option =
        entry(Edit1, "View_Edit_Results_Data_Option", "View / Edit Results Data File");

    HelpMenu = menu("HelpMenu", "&Help");
    View_Readme_file_Option = entry(HelpMenu, "View_Readme_file_Option", "&View Readme file");
    N1 = separator(HelpMenu, "N1");
    AboutOption = entry(HelpMenu, "AboutOption", "&About");

    SpareMenu = MainMenu1->addAction(QStringLiteral("&Readme"));
    SpareMenu->setObjectName(QStringLiteral("SpareMenu"));
    components_.push_back(Component{SpareMenu, nullptr});
}

void TMainForm1::Connect_Handlers() {
    connect(Select_All_Tests_BitBtn, &QToolButton::clicked, this,
            &TMainForm1::Select_All_Tests_BitBtnClick);
    connect(Select_No_Tests_BitBtn, &QToolButton::clicked, this,
            &TMainForm1::Select_No_Tests_BitBtnClick);
    connect(Benchmark_BitBtn, &QToolButton::clicked, this, &TMainForm1::Benchmark_BitBtnClick);
    connect(Exit_BitBtn, &QToolButton::clicked, this, &TMainForm1::Exit_BitBtnClick);
    connect(Graph_Results_BitBtn, &QToolButton::clicked, this,
            &TMainForm1::Graph_Results_BitBtnClick);
    connect(Show_Values_CheckBox, &QCheckBox::clicked, this,
            &TMainForm1::Show_Values_CheckBoxClick);
    connect(ExitOption, &QAction::triggered, this, &TMainForm1::ExitOptionClick);
    connect(SpareMenu, &QAction::triggered, this, &TMainForm1::SpareMenuClick);
    connect(View_Readme_file_Option, &QAction::triggered, this,
            &TMainForm1::View_Readme_file_OptionClick);
    Connect_Results_Handlers();
    Connect_Settings_Handlers();
    Connect_Desktop_Handlers();
    Connect_Export_Handlers();
}

std::vector<QCheckBox*> TMainForm1::Test_CheckBoxes() const {
    return {Integer_Arithmetic_CheckBox,
            Floating_Point_Arithmetic_CheckBox,
            Memory_Speed_CheckBox,
            Disk_Speed_Small_Files_CheckBox,
            Disk_Speed_Large_Files_CheckBox,
            Graphics_Standard_Windows_Forms_Controls_CheckBox,
            Graphics_2D_Bitmaps_and_Drawings_CheckBox};
}

// ---------------------------------------------------------------------------------------------
// Client area

int TMainForm1::ClientWidth() const {
    return Client->width();
}
int TMainForm1::ClientHeight() const {
    return Client->height();
}

void TMainForm1::SetClientSize(int width, int height) {
    int menu_height = 0;
    if (!menuBar()->isHidden()) {
        menu_height = menuBar()->heightForWidth(width);
        if (menu_height <= 0)
            menu_height = menuBar()->sizeHint().height();
    }
    resize(width, height + menu_height);
    // Lay the client area out now, so its size is right before the window is mapped.
    if (layout())
        layout()->activate();
}

// ---------------------------------------------------------------------------------------------
// Window set-up and resizing

void TMainForm1::Raise_Spin_Edit_Bounds() {
    Integer_Loops_Millions_Of_SpinEdit->setMaxValue(settings::kLoops_Millions_Bounds.max);
    Float_Loops_Millions_Of_SpinEdit->setMaxValue(settings::kLoops_Millions_Bounds.max);
    Small_Files_Number_of_SpinEdit->setMaxValue(settings::kCount_Bounds.max);
    Small_File_Size_KB_of_Each_SpinEdit->setMaxValue(settings::kFile_Size_KB_Bounds.max);
    Large_Files_Number_of_SpinEdit->setMaxValue(settings::kCount_Bounds.max);
    Large_File_Size_KB_of_Each_SpinEdit->setMaxValue(settings::kFile_Size_KB_Bounds.max);
    Dynamic_Array_Size_In_Bytes_SpinEdit->setMaxValue(settings::kCount_Bounds.max);
    Dynamic_Array_Number_Of_Loops_SpinEdit->setMaxValue(settings::kCount_Bounds.max);
}

void TMainForm1::Fit_Client_To_Button_Column() {
    const QRect buttons = Buttons_GroupBox->geometry();
    const QRect pages = PageControl1->geometry();
    SetClientSize(buttons.left() + buttons.width() + pages.left(),
                  buttons.top() + buttons.height() + pages.top());
}

void TMainForm1::Store_Layout_Reference() {
    if (Scaling_ListBox->count() > 0)
        return;
    // The tab control lays out only its current page; every page has the same bounds, so the
    // others take the current one's before their design geometry is recorded.
    const QRect page_area = PageControl1->currentWidget()->geometry();
    for (int i = 0; i < PageControl1->count(); ++i)
        PageControl1->widget(i)->setGeometry(page_area);
    // The main window has no scroll bars of its own to hide.
    Scaling_ListBox->addItem(reference_header(QSize(ClientWidth(), ClientHeight())));
    smallest_usable_ = Smallest_Usable_Size();
    for (const Component& c : components_) {
        if (!c.control) {
            Scaling_ListBox->addItem(non_visual_reference_line());
            continue;
        }
        const QRect g = c.control->geometry();
        Scaling_ListBox->addItem(
            reference_line(Reference_Geometry{g.left(), g.width(), g.top(), g.height(),
                                              c.control->font().pointSize()},
                           c.control->objectName()));
    }
}

void TMainForm1::Set_Titles() {
    platform::set_application_title(Program_Title());
    setWindowTitle(Program_Title());
    if (auto* about = forms().AboutBox) {
        about->setWindowTitle(QStringLiteral("About ") + Program_Title() + QStringLiteral(" ..."));
        about->Product_Name_Label->setText(Program_Title());
    }
    SpareMenu->setText(QString());
    SpareMenu->setVisible(false);
}

void TMainForm1::Scale_Controls_To_Window() {
    if (Scaling_ListBox->count() == 0)
        return;
    const auto reference = parse_reference_header(Scaling_ListBox->item(0)->text());
    if (!reference)
        return;
    const Scale_Factors factors = scale_factors(*reference, QSize(ClientWidth(), ClientHeight()));
    const int lines = Scaling_ListBox->count();
    for (std::size_t i = 0; i < components_.size(); ++i) {
        const int line_number = static_cast<int>(i) + 1;
        if (line_number >= lines)
            break;
        QWidget* control = components_[i].control;
        const auto design = parse_reference_line(Scaling_ListBox->item(line_number)->text());
        if (!design || !control)
            continue;
        const Reference_Geometry g = scale_geometry(*design, factors);
        control->setGeometry(g.left, g.top, g.width, g.height);
        // A font cannot be of size 0; the smallest drawable size stands in for it.
        const int points = std::max(1, g.font_points);
        if (control->font().pointSize() != points) {
            QFont font = control->font();
            font.setPointSize(points);
            control->setFont(font);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Handlers

void TMainForm1::showEvent(QShowEvent* event) {
    if (QWindow* window = windowHandle(); window != nullptr && !watching_window_) {
        // Its exposure tells when the window manager has framed it.
        watching_window_ = true;
        window->installEventFilter(this);
    }
    if (!first_show_done_) {
        first_show_done_ = true;
        FormShow();
    }
    QMainWindow::showEvent(event);
}

bool TMainForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Client && event->type() == QEvent::Resize)
        FormResize();
    if (watched == windowHandle() && event->type() == QEvent::Expose)
        Fit_Window_To_Requested_Bounds();
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (!Fit_Window_To_Requested_Bounds())
        Note_Window_Bounds();
}

void TMainForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!Fit_Window_To_Requested_Bounds())
        Note_Window_Bounds();
}

void TMainForm1::FormResize() {
    Scale_Controls_To_Window();
    // Scaling puts the progress panel back at its design place; during a run it must keep
    // covering the options, or they could be changed under the running test.
    if (Run_In_Progress && Benchmark_Progress_GroupBox->isVisible())
        Cover_Options_With_Progress_Panel();
}

void TMainForm1::closeEvent(QCloseEvent* event) {
    if (Run_In_Progress) {
        // The running test ends at its next array, file or display step (the processor loops
        // run to their end), and the run driver then abandons the run; the close follows.
        Close_Requested_During_Run = true;
        platform::request_stop();
        event->ignore();
        return;
    }
    bool CanClose = true;
    FormCloseQuery(CanClose);
    if (!CanClose) {
        event->ignore();
        return;
    }
    event->accept();
    if (forms().MainForm1 == this)
        QCoreApplication::quit();
}

void TMainForm1::FormCloseQuery(bool& CanClose) {
    Save_Settings();
    CanClose = true;
}

void TMainForm1::Exit_BitBtnClick() {
    close();
}

void TMainForm1::ExitOptionClick() {
    close();
}

void TMainForm1::Select_All_Tests_BitBtnClick() {
    for (QCheckBox* box : Test_CheckBoxes())
        box->setChecked(true);
}

void TMainForm1::Select_No_Tests_BitBtnClick() {
    for (QCheckBox* box : Test_CheckBoxes())
        box->setChecked(false);
}

void TMainForm1::SpareMenuClick() {
    View_Readme_File();
}

void TMainForm1::View_Readme_file_OptionClick() {
    View_Readme_File();
}

} // namespace smx::app
