#pragma once
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <optional>

namespace smx::settings {

// Everything the settings file keeps, with the value each takes when the file or its key is
// missing or unreadable. Plain data: the main window applies it to its controls, and anything
// that runs without a window can read the same file through it.
struct Settings_Record {
    bool WindowState_wsMaximized = false;
    int window_top_posn = 20;
    int window_left_posn = 20;
    int window_Width = 666;
    int window_Height = 502;
    bool Always_on_Top_Option = false;
    bool Auto_Run_at_Windows_Startup_Option = false;
    bool Integer_Arithmetic_CheckBox = true;
    bool Floating_Point_Arithmetic_CheckBox = true;
    bool Memory_Speed_CheckBox = true;
    bool Disk_Speed_Small_Files_CheckBox = true;
    bool Disk_Speed_Large_Files_CheckBox = true;
    bool Graphics_Standard_Windows_Forms_Controls_CheckBox = true;
    bool Graphics_2D_Bitmaps_and_Drawings_CheckBox = true;
    int Number_Repetitions_SpinEdit = 1;
    char DriveComboBox1 = 'c'; // lower case
    QString Selected_INI_Section;
    QString Compare_Selected_INI_Section;
    bool Show_Values_CheckBox = false;
    bool Dont_Show_This_Again_CheckBox = false;
    int Integer_Loops_Millions_Of_SpinEdit = 900;
    int Float_Loops_Millions_Of_SpinEdit = 128;
    int Small_Files_Number_of_SpinEdit = 500;
    int Small_File_Size_KB_of_Each_SpinEdit = 4;
    int Large_Files_Number_of_SpinEdit = 10;
    int Large_File_Size_KB_of_Each_SpinEdit = 10240;
    int Dynamic_Array_Size_In_Bytes_SpinEdit = 30000;
    int Dynamic_Array_Number_Of_Loops_SpinEdit = 4000;
    // 0 the options page, 1 the results page, anything else no page (written as -1).
    int PageControl1 = 0;
    // Written on every save, never read back: the first show sets the flag itself.
    bool Benchmark_Results_Saved_CheckBox = true;

    // The seven test check boxes in test order.
    std::array<bool, 7> Tests() const;
    void Set_Tests(const std::array<bool, 7>& ticked);

    bool operator==(const Settings_Record&) const = default;
};

// The seven test check boxes' captions, in test order: the window shows them, and the progress,
// the run driver and the batch report name the tests by them.
const std::array<QString, 7>& Test_Captions();

// The section that holds every key.
inline constexpr const char* kSettings_Section = "Speedmetrix";
// The 30 keys in the order a save writes them.
inline constexpr std::array<const char*, 30> kSettings_Keys = {
    "WindowState_wsMaximized",
    "window_top_posn",
    "window_left_posn",
    "window_Width",
    "window_Height",
    "Always_on_Top_Option",
    "Auto_Run_at_Windows_Startup_Option",
    "Integer_Arithmetic_CheckBox",
    "Floating_Point_Arithmetic_CheckBox",
    "Memory_Speed_CheckBox",
    "Disk_Speed_Small_Files_CheckBox",
    "Disk_Speed_Large_Files_CheckBox",
    "Graphics_Standard_Windows_Forms_Controls_CheckBox",
    "Graphics_2D_Bitmaps_and_Drawings_CheckBox",
    "Number_Repetitions_SpinEdit",
    "DriveComboBox1",
    "Selected_INI_Section",
    "Compare_Selected_INI_Section",
    "Show_Values_CheckBox",
    "Dont_Show_This_Again_CheckBox",
    "Integer_Loops_Millions_Of_SpinEdit",
    "Float_Loops_Millions_Of_SpinEdit",
    "Small_Files_Number_of_SpinEdit",
    "Small_File_Size_KB_of_Each_SpinEdit",
    "Large_Files_Number_of_SpinEdit",
    "Large_File_Size_KB_of_Each_SpinEdit",
    "Dynamic_Array_Size_In_Bytes_SpinEdit",
    "Dynamic_Array_Number_Of_Loops_SpinEdit",
    "PageControl1",
    "Benchmark_Results_Saved_CheckBox",
};

// Bounds of the nine spin edits once the window is set up (the upper bounds are raised at the
// first show, before any stored value is applied). Every lower bound is 1.
struct Spin_Bounds {
    int min;
    int max;
};
inline constexpr Spin_Bounds kRepetitions_Bounds{1, 100};
inline constexpr Spin_Bounds kLoops_Millions_Bounds{1, 2147};  // integer and float loops
inline constexpr Spin_Bounds kFile_Size_KB_Bounds{1, 2097151}; // small and large file sizes
inline constexpr Spin_Bounds kCount_Bounds{1, 2147483647};     // file counts, array size, loops

// The record with every spin-edit value clipped into its bounds, as the window applies it.
Settings_Record Clip_To_Spin_Edit_Bounds(Settings_Record record);

// Value encodings of the file. An integer is decimal with an optional sign, or hexadecimal with
// the prefix "0x", "0X" or "$" (after the sign, if any); surrounding blanks are ignored. Anything
// else, or a value outside the signed 32-bit range, is no integer.
std::optional<int> Parse_Settings_Integer(const QString& text);
// A boolean is an integer, true when not zero.
std::optional<bool> Parse_Settings_Boolean(const QString& text);
// The drive is its letter; only the first character counts, either case. No letter: none.
std::optional<char> Parse_Settings_Drive(const QString& text);

// One screen: the whole of it, and the part that windows may use (without panels and docks).
struct Screen_Area {
    QRect geometry;
    QRect available;
};

// Where, and how large, a window stored with these bounds opens on these screens (the primary
// one first), worked out without overflow for any stored integers:
// - where it was, unless no part of it would be on any of the screens (a monitor since removed,
//   a resolution since lowered); then at the default place on the primary screen's usable area;
// - a size larger than the usable area of the screen it opens on becomes that area's width or
//   height, and the window then starts at that area's edge, so the whole of it can be seen;
// - a negative size is no size (the window makes that its smallest usable one).
// With no screen at all, the default bounds.
QRect Window_Bounds_On_Screens(int left, int top, int width, int height,
                               const QList<Screen_Area>& screens);

// The settings file beside the executable.
QString Settings_File_Path();

// Reads every key, from one read of the file; a missing file, key or unreadable value gives that
// key's default. Values are returned as stored, not clipped. A file that is there but is no
// regular file, or cannot be read, reads as all defaults and sets `refused`.
Settings_Record Read_Settings_File(const QString& path, bool* refused = nullptr);

// Writes the 30 keys in order as one replacement of the file (other sections and keys are kept).
// False when the file or its folder refused the write; the file is then unchanged.
bool Write_Settings_File(const QString& path, const Settings_Record& record);

} // namespace smx::settings
