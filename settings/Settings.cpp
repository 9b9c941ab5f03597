#include "settings/Settings.h"

#include "platform/Drives.h"
#include "platform/Ini_File.h"
#include "platform/Program_Files.h"

#include <QDir>
#include <algorithm>
#include <limits>

namespace smx::settings {
namespace {

int clip(int value, Spin_Bounds bounds) {
    return std::clamp(value, bounds.min, bounds.max);
}

int digit_value(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

QString boolean_text(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// Reads one key with the decoder for its type, keeping the default when the key is missing or
// its value does not decode. Values are seen through the profile functions' window.
template <typename T, typename Decode>
void read_key(const platform::Ini_Document& file, int index, T& field, Decode decode) {
    const auto text =
        file.value(QLatin1String(kSettings_Section), QLatin1String(kSettings_Keys[index]));
    if (!text)
        return;
    if (const auto value = decode(text->left(platform::Ini_Value_Window)))
        field = *value;
}

} // namespace

const std::array<QString, 7>& Test_Captions() {
    static const std::array<QString, 7> captions = {
        QStringLiteral("Integer Arithmetic"),
        QStringLiteral("Floating Point Arithmetic"),
        QStringLiteral("Memory Speed"),
        QStringLiteral("Disk Speed (Small Files)"),
        QStringLiteral("Disk Speed (Large Files)"),
        QStringLiteral("Graphics: Standard Windows Forms / Controls"),
        QStringLiteral("Graphics: 2D Bitmaps and Drawings")};
    return captions;
}

std::array<bool, 7> Settings_Record::Tests() const {
    return {Integer_Arithmetic_CheckBox,
            Floating_Point_Arithmetic_CheckBox,
            Memory_Speed_CheckBox,
            Disk_Speed_Small_Files_CheckBox,
            Disk_Speed_Large_Files_CheckBox,
            Graphics_Standard_Windows_Forms_Controls_CheckBox,
            Graphics_2D_Bitmaps_and_Drawings_CheckBox};
}

void Settings_Record::Set_Tests(const std::array<bool, 7>& ticked) {
    Integer_Arithmetic_CheckBox = ticked[0];
    Floating_Point_Arithmetic_CheckBox = ticked[1];
    Memory_Speed_CheckBox = ticked[2];
    Disk_Speed_Small_Files_CheckBox = ticked[3];
    Disk_Speed_Large_Files_CheckBox = ticked[4];
    Graphics_Standard_Windows_Forms_Controls_CheckBox = ticked[5];
    Graphics_2D_Bitmaps_and_Drawings_CheckBox = ticked[6];
}

Settings_Record Clip_To_Spin_Edit_Bounds(Settings_Record r) {
    r.Number_Repetitions_SpinEdit = clip(r.Number_Repetitions_SpinEdit, kRepetitions_Bounds);
    r.Integer_Loops_Millions_Of_SpinEdit =
        clip(r.Integer_Loops_Millions_Of_SpinEdit, kLoops_Millions_Bounds);
    r.Float_Loops_Millions_Of_SpinEdit =
        clip(r.Float_Loops_Millions_Of_SpinEdit, kLoops_Millions_Bounds);
    r.Small_Files_Number_of_SpinEdit = clip(r.Small_Files_Number_of_SpinEdit, kCount_Bounds);
    r.Small_File_Size_KB_of_Each_SpinEdit =
        clip(r.Small_File_Size_KB_of_Each_SpinEdit, kFile_Size_KB_Bounds);
    r.Large_Files_Number_of_SpinEdit = clip(r.Large_Files_Number_of_SpinEdit, kCount_Bounds);
    r.Large_File_Size_KB_of_Each_SpinEdit =
        clip(r.Large_File_Size_KB_of_Each_SpinEdit, kFile_Size_KB_Bounds);
    r.Dynamic_Array_Size_In_Bytes_SpinEdit =
        clip(r.Dynamic_Array_Size_In_Bytes_SpinEdit, kCount_Bounds);
    r.Dynamic_Array_Number_Of_Loops_SpinEdit =
        clip(r.Dynamic_Array_Number_Of_Loops_SpinEdit, kCount_Bounds);
    return r;
}

std::optional<int> Parse_Settings_Integer(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (t.mid(i, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
        base = 16;
        i += 2;
    } else if (i < t.size() && t[i] == QLatin1Char('$')) {
        base = 16;
        i += 1;
    }
    if (i >= t.size())
        return std::nullopt;
    // Accumulate in 64 bits and stop as soon as the magnitude leaves the 32-bit range.
    const qint64 limit = negative ? qint64{std::numeric_limits<int>::max()} + 1
                                  : qint64{std::numeric_limits<int>::max()};
    qint64 magnitude = 0;
    for (; i < t.size(); ++i) {
        const int digit = digit_value(t[i]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

std::optional<bool> Parse_Settings_Boolean(const QString& text) {
    if (const auto value = Parse_Settings_Integer(text))
        return *value != 0;
    return std::nullopt;
}

std::optional<char> Parse_Settings_Drive(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    const char16_t first = text.front().unicode();
    if (first >= u'a' && first <= u'z')
        return static_cast<char>(first);
    if (first >= u'A' && first <= u'Z')
        return static_cast<char>(first - u'A' + u'a');
    return std::nullopt;
}

QRect Window_Bounds_On_Screens(int left, int top, int width, int height,
                               const QList<Screen_Area>& screens) {
    const Settings_Record defaults;
    if (screens.isEmpty())
        return QRect(defaults.window_left_posn, defaults.window_top_posn, defaults.window_Width,
                     defaults.window_Height);
    // In 64 bits: the stored integers may be anything, and their sums overflow an int.
    qint64 x = left, y = top;
    qint64 w = std::max(0, width), h = std::max(0, height);
    // A window of no size is still somewhere: judge it by its corner.
    const auto meets = [&](const QRect& s) {
        return x < qint64{s.x()} + s.width() && x + std::max<qint64>(1, w) > s.x() &&
               y < qint64{s.y()} + s.height() && y + std::max<qint64>(1, h) > s.y();
    };
    // The screen its corner is on, else the first that shows some of it.
    const Screen_Area* on = nullptr;
    for (const Screen_Area& s : screens)
        if (!on && s.geometry.contains(QPoint(left, top)))
            on = &s;
    for (const Screen_Area& s : screens)
        if (!on && meets(s.geometry))
            on = &s;
    if (!on) {
        on = &screens.front();
        x = qint64{on->available.x()} + defaults.window_left_posn;
        y = qint64{on->available.y()} + defaults.window_top_posn;
    }
    const QRect usable = on->available.isEmpty() ? on->geometry : on->available;
    if (w > usable.width()) {
        w = usable.width();
        x = usable.x();
    }
    if (h > usable.height()) {
        h = usable.height();
        y = usable.y();
    }
    return QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                 static_cast<int>(h));
}

QString Settings_File_Path() {
    return platform::Program_File_Path(platform::Program_File::Settings);
}

Settings_Record Read_Settings_File(const QString& path, bool* refused) {
    // One read and one parse of the file for all keys.
    platform::Ini_File file(path);
    const bool readable = file.read();
    if (refused)
        *refused = !readable;
    const platform::Ini_Document& doc = file.document();
    Settings_Record r;
    const auto integer = [](const QString& t) { return Parse_Settings_Integer(t); };
    const auto boolean = [](const QString& t) { return Parse_Settings_Boolean(t); };
    const auto text = [](const QString& t) { return std::optional<QString>(t); };
    read_key(doc, 0, r.WindowState_wsMaximized, boolean);
    read_key(doc, 1, r.window_top_posn, integer);
    read_key(doc, 2, r.window_left_posn, integer);
    read_key(doc, 3, r.window_Width, integer);
    read_key(doc, 4, r.window_Height, integer);
    read_key(doc, 5, r.Always_on_Top_Option, boolean);
    read_key(doc, 6, r.Auto_Run_at_Windows_Startup_Option, boolean);
    read_key(doc, 7, r.Integer_Arithmetic_CheckBox, boolean);
    read_key(doc, 8, r.Floating_Point_Arithmetic_CheckBox, boolean);
    read_key(doc, 9, r.Memory_Speed_CheckBox, boolean);
    read_key(doc, 10, r.Disk_Speed_Small_Files_CheckBox, boolean);
    read_key(doc, 11, r.Disk_Speed_Large_Files_CheckBox, boolean);
    read_key(doc, 12, r.Graphics_Standard_Windows_Forms_Controls_CheckBox, boolean);
    read_key(doc, 13, r.Graphics_2D_Bitmaps_and_Drawings_CheckBox, boolean);
    read_key(doc, 14, r.Number_Repetitions_SpinEdit, integer);
    read_key(doc, 15, r.DriveComboBox1, [](const QString& t) { return Parse_Settings_Drive(t); });
    read_key(doc, 16, r.Selected_INI_Section, text);
    read_key(doc, 17, r.Compare_Selected_INI_Section, text);
    read_key(doc, 18, r.Show_Values_CheckBox, boolean);
    read_key(doc, 19, r.Dont_Show_This_Again_CheckBox, boolean);
    read_key(doc, 20, r.Integer_Loops_Millions_Of_SpinEdit, integer);
    read_key(doc, 21, r.Float_Loops_Millions_Of_SpinEdit, integer);
    read_key(doc, 22, r.Small_Files_Number_of_SpinEdit, integer);
    read_key(doc, 23, r.Small_File_Size_KB_of_Each_SpinEdit, integer);
    read_key(doc, 24, r.Large_Files_Number_of_SpinEdit, integer);
    read_key(doc, 25, r.Large_File_Size_KB_of_Each_SpinEdit, integer);
    read_key(doc, 26, r.Dynamic_Array_Size_In_Bytes_SpinEdit, integer);
    read_key(doc, 27, r.Dynamic_Array_Number_Of_Loops_SpinEdit, integer);
    read_key(doc, 28, r.PageControl1, integer);
    // The saved flag (key 29) is never read.
    return r;
}

bool Write_Settings_File(const QString& path, const Settings_Record& r) {
    const auto number = [](int value) { return QString::number(value); };
    const QString values[] = {
        boolean_text(r.WindowState_wsMaximized),
        number(r.window_top_posn),
        number(r.window_left_posn),
        number(r.window_Width),
        number(r.window_Height),
        boolean_text(r.Always_on_Top_Option),
        boolean_text(r.Auto_Run_at_Windows_Startup_Option),
        boolean_text(r.Integer_Arithmetic_CheckBox),
        boolean_text(r.Floating_Point_Arithmetic_CheckBox),
        boolean_text(r.Memory_Speed_CheckBox),
        boolean_text(r.Disk_Speed_Small_Files_CheckBox),
        boolean_text(r.Disk_Speed_Large_Files_CheckBox),
        boolean_text(r.Graphics_Standard_Windows_Forms_Controls_CheckBox),
        boolean_text(r.Graphics_2D_Bitmaps_and_Drawings_CheckBox),
        number(r.Number_Repetitions_SpinEdit),
        QString(QChar::fromLatin1(platform::lower_drive_letter(r.DriveComboBox1))),
        r.Selected_INI_Section,
        r.Compare_Selected_INI_Section,
        boolean_text(r.Show_Values_CheckBox),
        boolean_text(r.Dont_Show_This_Again_CheckBox),
        number(r.Integer_Loops_Millions_Of_SpinEdit),
        number(r.Float_Loops_Millions_Of_SpinEdit),
        number(r.Small_Files_Number_of_SpinEdit),
        number(r.Small_File_Size_KB_of_Each_SpinEdit),
        number(r.Large_Files_Number_of_SpinEdit),
        number(r.Large_File_Size_KB_of_Each_SpinEdit),
        number(r.Dynamic_Array_Size_In_Bytes_SpinEdit),
        number(r.Dynamic_Array_Number_Of_Loops_SpinEdit),
        number(r.PageControl1 == 0 || r.PageControl1 == 1 ? r.PageControl1 : -1),
        boolean_text(r.Benchmark_Results_Saved_CheckBox),
    };
    static_assert(std::size(values) == kSettings_Keys.size());
    platform::Ini_Key_Values keys;
    keys.reserve(kSettings_Keys.size());
    for (std::size_t i = 0; i < kSettings_Keys.size(); ++i)
        keys.emplace_back(QLatin1String(kSettings_Keys[i]), values[i]);
    return platform::Ini_Write_Strings(path, QLatin1String(kSettings_Section), keys);
}

} // namespace smx::settings
