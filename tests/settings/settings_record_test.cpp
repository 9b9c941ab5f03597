#include "default_settings_file.h"
#include "settings/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace smx::settings;

namespace {

struct Integer_Case {
    const char* text;
    std::optional<int> value;
};

void PrintTo(const Integer_Case& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class Settings_Integer : public ::testing::TestWithParam<Integer_Case> {};

TEST_P(Settings_Integer, DecodesAsStoredOrNotAtAll) {
    const Integer_Case& c = GetParam();
    EXPECT_EQ(Parse_Settings_Integer(QString::fromUtf8(c.text)), c.value) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Settings_Integer,
    ::testing::Values(Integer_Case{"666", 666}, Integer_Case{"-20", -20}, Integer_Case{"+7", 7},
                      Integer_Case{"0", 0}, Integer_Case{" 42 ", 42}, Integer_Case{"0x300", 768},
                      Integer_Case{"0X300", 768}, Integer_Case{"$300", 768},
                      Integer_Case{"$fF", 255}, Integer_Case{"-0x10", -16},
                      Integer_Case{"2147483647", 2147483647},
                      Integer_Case{"-2147483648", std::numeric_limits<int>::min()},
                      Integer_Case{"0x7FFFFFFF", 2147483647},
                      // Not integers, or not 32-bit ones.
                      Integer_Case{"2147483648", std::nullopt},
                      Integer_Case{"0x80000000", std::nullopt},
                      Integer_Case{"99999999999999999999", std::nullopt},
                      Integer_Case{"", std::nullopt}, Integer_Case{"-", std::nullopt},
                      Integer_Case{"0x", std::nullopt}, Integer_Case{"$", std::nullopt},
                      Integer_Case{"word", std::nullopt}, Integer_Case{"12ab", std::nullopt},
                      // Letters that are hex digits are no decimal digits.
                      Integer_Case{"1a", std::nullopt}, Integer_Case{"-9f", std::nullopt},
                      Integer_Case{"0x1g", std::nullopt}, Integer_Case{"1.5", std::nullopt},
                      Integer_Case{"ff", std::nullopt}, Integer_Case{"1 2", std::nullopt},
                      Integer_Case{"٣", std::nullopt}));

TEST(Settings_Encodings, BooleansAreIntegersTrueWhenNotZero) {
    EXPECT_EQ(Parse_Settings_Boolean(QStringLiteral("1")), true);
    EXPECT_EQ(Parse_Settings_Boolean(QStringLiteral("2")), true);
    EXPECT_EQ(Parse_Settings_Boolean(QStringLiteral("-1")), true);
    EXPECT_EQ(Parse_Settings_Boolean(QStringLiteral("0x0")), false);
    EXPECT_EQ(Parse_Settings_Boolean(QStringLiteral("0")), false);
    EXPECT_EQ(Parse_Settings_Boolean(QStringLiteral("true")), std::nullopt);
}

TEST(Settings_Encodings, DriveIsTheFirstLetterInLowerCase) {
    EXPECT_EQ(Parse_Settings_Drive(QStringLiteral("D")), 'd');
    EXPECT_EQ(Parse_Settings_Drive(QStringLiteral("e:\\")), 'e');
    EXPECT_EQ(Parse_Settings_Drive(QStringLiteral("c")), 'c');
    EXPECT_EQ(Parse_Settings_Drive(QString()), std::nullopt);
    EXPECT_EQ(Parse_Settings_Drive(QStringLiteral("1")), std::nullopt);
}

TEST(Settings_Bounds, ClippingKeepsEachSpinEditInItsRange) {
    Settings_Record r;
    r.Number_Repetitions_SpinEdit = 250;
    r.Integer_Loops_Millions_Of_SpinEdit = 5000;
    r.Float_Loops_Millions_Of_SpinEdit = -3;
    r.Small_File_Size_KB_of_Each_SpinEdit = 2097152;
    r.Large_File_Size_KB_of_Each_SpinEdit = 0;
    r.Small_Files_Number_of_SpinEdit = std::numeric_limits<int>::max();
    r.Dynamic_Array_Number_Of_Loops_SpinEdit = std::numeric_limits<int>::min();
    r.window_left_posn = -5000; // window bounds are not spin edits
    const Settings_Record c = Clip_To_Spin_Edit_Bounds(r);
    EXPECT_EQ(c.Number_Repetitions_SpinEdit, 100);
    EXPECT_EQ(c.Integer_Loops_Millions_Of_SpinEdit, 2147);
    EXPECT_EQ(c.Float_Loops_Millions_Of_SpinEdit, 1);
    EXPECT_EQ(c.Small_File_Size_KB_of_Each_SpinEdit, 2097151);
    EXPECT_EQ(c.Large_File_Size_KB_of_Each_SpinEdit, 1);
    EXPECT_EQ(c.Small_Files_Number_of_SpinEdit, std::numeric_limits<int>::max());
    EXPECT_EQ(c.Dynamic_Array_Number_Of_Loops_SpinEdit, 1);
    EXPECT_EQ(c.window_left_posn, -5000);
    r.Number_Repetitions_SpinEdit = 0;
    EXPECT_EQ(Clip_To_Spin_Edit_Bounds(r).Number_Repetitions_SpinEdit, 1);
}

QByteArray read_all(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write_all(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TEST(Settings_File, MissingFileReadsAsDefaultsAndDefaultsWriteTheThirtyKeysInOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Speedmetrix.ini"));
    const Settings_Record defaults = Read_Settings_File(path);
    EXPECT_EQ(defaults, Settings_Record{});
    ASSERT_TRUE(Write_Settings_File(path, defaults));
    EXPECT_EQ(read_all(path).replace("\r\n", "\n"), QByteArray(Default_Settings_File));
}

TEST(Settings_File, EveryKeyRoundTripsAndPageOutOfRangeIsWrittenAsNone) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Speedmetrix.ini"));
    Settings_Record r;
    r.WindowState_wsMaximized = true;
    r.window_top_posn = -30;
    r.window_left_posn = 1900;
    r.window_Width = 800;
    r.window_Height = 600;
    r.Always_on_Top_Option = true;
    r.Auto_Run_at_Windows_Startup_Option = true;
    r.Set_Tests({false, true, false, true, false, true, false});
    r.Number_Repetitions_SpinEdit = 7;
    r.DriveComboBox1 = 'e';
    r.Selected_INI_Section = QStringLiteral("My PC = fast");
    r.Compare_Selected_INI_Section = QStringLiteral("Other");
    r.Show_Values_CheckBox = true;
    r.Dont_Show_This_Again_CheckBox = true;
    r.Integer_Loops_Millions_Of_SpinEdit = 11;
    r.Float_Loops_Millions_Of_SpinEdit = 12;
    r.Small_Files_Number_of_SpinEdit = 13;
    r.Small_File_Size_KB_of_Each_SpinEdit = 14;
    r.Large_Files_Number_of_SpinEdit = 15;
    r.Large_File_Size_KB_of_Each_SpinEdit = 16;
    r.Dynamic_Array_Size_In_Bytes_SpinEdit = 17;
    r.Dynamic_Array_Number_Of_Loops_SpinEdit = 18;
    r.PageControl1 = 1;
    ASSERT_TRUE(Write_Settings_File(path, r));
    EXPECT_EQ(Read_Settings_File(path), r);

    r.PageControl1 = 7;
    ASSERT_TRUE(Write_Settings_File(path, r));
    EXPECT_EQ(Read_Settings_File(path).PageControl1, -1);
}

TEST(Settings_File, StoredValuesDecodeAndBadOnesFallBackToDefaults) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Speedmetrix.ini"));
    write_all(path, "[Other]\nwindow_Width=5\n"
                    "[speedmetrix]\n"
                    "window_Width=0x300\n"
                    "window_Height=tall\n"
                    "Show_Values_CheckBox=word\n"
                    "Memory_Speed_CheckBox=0\n"
                    "Number_Repetitions_SpinEdit=250\n"
                    "Integer_Loops_Millions_Of_SpinEdit=5000\n"
                    "DriveComboBox1=D\n"
                    "PageControl1=7\n"
                    "Benchmark_Results_Saved_CheckBox=0\n"
                    "Dont_Show_This_Again_CheckBox=2\n");
    const Settings_Record r = Read_Settings_File(path);
    EXPECT_EQ(r.window_Width, 768);
    EXPECT_EQ(r.window_Height, 502);
    EXPECT_FALSE(r.Show_Values_CheckBox);
    EXPECT_FALSE(r.Memory_Speed_CheckBox);
    EXPECT_TRUE(r.Dont_Show_This_Again_CheckBox);
    // Stored as they are; clipping is for the controls.
    EXPECT_EQ(r.Number_Repetitions_SpinEdit, 250);
    EXPECT_EQ(r.Integer_Loops_Millions_Of_SpinEdit, 5000);
    EXPECT_EQ(r.DriveComboBox1, 'd');
    EXPECT_EQ(r.PageControl1, 7);
    EXPECT_TRUE(r.Benchmark_Results_Saved_CheckBox);

    // An empty drive keeps the default drive.
    write_all(path, "[Speedmetrix]\nDriveComboBox1=\n");
    EXPECT_EQ(Read_Settings_File(path).DriveComboBox1, 'c');
}

TEST(Settings_File, SaveKeepsOtherSectionsAndKeys) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Speedmetrix.ini"));
    write_all(path, "[Mine]\nkey=value\n[Speedmetrix]\nExtra=kept\nwindow_Width=1\n");
    Settings_Record r;
    r.window_Width = 700;
    ASSERT_TRUE(Write_Settings_File(path, r));
    const QByteArray text = read_all(path);
    EXPECT_TRUE(text.startsWith("[Mine]\nkey=value\n[Speedmetrix]\nExtra=kept\nwindow_Width=700\n"))
        << text.constData();
    EXPECT_EQ(Read_Settings_File(path), r);
}

TEST(Settings_File, AByteOrderMarkHidesNoKeyAndAFifoIsRefusedAtOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Speedmetrix.ini"));
    write_all(path, "\xEF\xBB\xBF[Speedmetrix]\nwindow_Width=700\n");
    bool refused = true;
    EXPECT_EQ(Read_Settings_File(path, &refused).window_Width, 700);
    EXPECT_FALSE(refused);
    Settings_Record r;
    r.window_Width = 710;
    ASSERT_TRUE(Write_Settings_File(path, r));
    const QByteArray text = read_all(path);
    EXPECT_TRUE(text.startsWith("\xEF\xBB\xBF[Speedmetrix]\nwindow_Width=710\n"));
    EXPECT_EQ(text.count("[Speedmetrix]"), 1);

    const QString fifo = dir.filePath(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    EXPECT_EQ(Read_Settings_File(fifo, &refused), Settings_Record{});
    EXPECT_TRUE(refused);
    EXPECT_FALSE(Write_Settings_File(fifo, r));
    EXPECT_FALSE(Read_Settings_File(dir.filePath(QStringLiteral("missing.ini")), &refused) !=
                 Settings_Record{});
    EXPECT_FALSE(refused);
}

// The window, the progress and the batch report all name the tests by these captions.
TEST(Settings_Record, TestCaptionsInTestOrder) {
    const char* const expected[] = {"Integer Arithmetic",
                                    "Floating Point Arithmetic",
                                    "Memory Speed",
                                    "Disk Speed (Small Files)",
                                    "Disk Speed (Large Files)",
                                    "Graphics: Standard Windows Forms / Controls",
                                    "Graphics: 2D Bitmaps and Drawings"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(Test_Captions()[i], QLatin1String(expected[i])) << i;
}

} // namespace
