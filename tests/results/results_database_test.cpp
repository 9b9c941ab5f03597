#include "platform/Executable.h"
#include "platform/Message_Boxes.h"
#include "results/Results_Database.h"
#include "results_files.h"

#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using namespace smx::results;
using smx::engine::TBenchmark_Results;
using smx::platform::Box_Kind;
using smx::platform::Scripted_Responder;
using smx::test::headers_of;
using smx::test::lines_of;
using smx::test::read_file;
using smx::test::sample_set;
using smx::test::write_file;

namespace {

struct Number_Case {
    long double value;
    const char* text;
};

// Values chosen so that the 18th digit, and any carry out of it, is decided by the digits that
// follow it.
const Number_Case kNumbers[] = {
    {1440000000.0L, "1.44000000000000000E+9"},
    {915.52734375L, "9.15527343750000000E+2"},
    {0.5L, "5.00000000000000000E-1"},
    {0.0L, "0.00000000000000000E+0"},
    {-0.0L, "0.00000000000000000E+0"},
    {-1.5L, "-1.50000000000000000E+0"},
    {15234.0L, "1.52340000000000000E+4"},
    {1e-7L, "1.00000000000000000E-7"},
    {1234567890123456786.0L, "1.23456789012345679E+18"},
    {1234567890123456784.0L, "1.23456789012345678E+18"},
    {999999999999999999.75L, "1.00000000000000000E+18"},
    {-999999999999999999.75L, "-1.00000000000000000E+18"},
    {999999999999999999.25L, "9.99999999999999999E+17"},
    {99999999999999999.96875L, "1.00000000000000000E+17"},
    {1e4000L, "1.00000000000000000E+4000"},
    {-2.5e-4000L, "-2.50000000000000000E-4000"},
    // Rounded up, the largest value would read back as out of range: its digits are cut short.
    {LDBL_MAX, "1.18973149535723176E+4932"},
    {-LDBL_MAX, "-1.18973149535723176E+4932"},
    {std::nextafter(LDBL_MAX, 0.0L), "1.18973149535723176E+4932"},
    {1.000000000000000006e4932L, "1.00000000000000001E+4932"},
    {LDBL_TRUE_MIN, "3.64519953188247460E-4951"},
};

// The C library's numeric locale switched to one whose decimal separator is a comma, and Qt's
// default locale to German, for the lifetime of the object. The locale is generated into a
// temporary folder when the machine has none installed.
class Comma_Locale {
public:
    Comma_Locale() {
        saved_ = std::setlocale(LC_NUMERIC, nullptr);
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
            QProcess localedef;
            localedef.start(QStringLiteral("localedef"),
                            {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                             QStringLiteral("UTF-8"),
                             dir_.filePath(QStringLiteral("de_DE.UTF-8"))});
            localedef.waitForFinished(60000);
            qputenv("LOCPATH", dir_.path().toLocal8Bit());
            locpath_set_ = true;
            std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        }
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    ~Comma_Locale() {
        std::setlocale(LC_NUMERIC, saved_.c_str());
        if (locpath_set_)
            qunsetenv("LOCPATH");
        QLocale::setDefault(QLocale::c());
    }
    static bool active() { return std::strcmp(std::localeconv()->decimal_point, ",") == 0; }

private:
    std::string saved_;
    QTemporaryDir dir_;
    bool locpath_set_ = false;
};

// Finite long doubles spread over the whole exponent range, denormals included.
std::vector<long double> spread_values() {
    std::vector<long double> values{0.1L,        1.0L / 3, 2.0L / 3, 1e-4940L,
                                    123456.789L, LDBL_MAX, -LDBL_MAX};
    std::mt19937_64 random(20261208);
    while (values.size() < 3000) {
        long double v = 0;
        unsigned char bytes[sizeof v] = {};
        const std::uint16_t sign_exponent = static_cast<std::uint16_t>(random() % 0xffff);
        std::uint64_t mantissa = random() | (std::uint64_t{1} << 63);
        if ((sign_exponent & 0x7fff) == 0) // a denormal has no integer bit
            mantissa &= ~(std::uint64_t{1} << 63);
        std::memcpy(bytes, &mantissa, 8);
        std::memcpy(bytes + 8, &sign_exponent, 2);
        std::memcpy(&v, bytes, 10);
        if (std::isfinite(v))
            values.push_back(v);
    }
    return values;
}

// Every value, written and read back, is written again as the same 18 digits.
void expect_round_trips() {
    for (long double v : spread_values()) {
        const QString text = Format_Result_Number(v);
        long double back = 0;
        ASSERT_TRUE(Parse_Result_Number(text, back)) << text.toStdString();
        ASSERT_EQ(Format_Result_Number(back), text);
        if (v != 0) {
            ASSERT_LE(std::fabs((back - v) / v), 5e-18L) << text.toStdString();
        }
    }
}

class Database_File : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
};

} // namespace

TEST(Result_Numbers, WrittenWithEighteenCorrectlyRoundedDigits) {
    for (const auto& c : kNumbers)
        EXPECT_EQ(Format_Result_Number(c.value), QString::fromLatin1(c.text)) << c.text;
}

TEST(Result_Numbers, ReadInTheAcceptedFormsOnly) {
    const std::pair<const char*, long double> accepted[] = {
        {"1.44E9", 1.44e9L}, {"  42", 42},   {"42  ", 42},       {"-0.5", -0.5L},
        {"+3", 3},           {"1e+3", 1000}, {"1.5e-2", 0.015L}, {".5", 0.5L},
        {"5.", 5},           {"0007", 7},    {"1E0400", 1e400L}, {"1e-5000", 0},
    };
    for (const auto& [text, expected] : accepted) {
        long double v = -1;
        EXPECT_TRUE(Parse_Result_Number(QString::fromLatin1(text), v)) << text;
        EXPECT_EQ(v, expected) << text;
    }
    for (const char* text : {"",   " ",   "1,5", "1.000.000", "1,000", "1 000",   "abc",  "1e",
                             "e5", "--1", "+-1", "1.2.3",     "inf",   "nan",     "0x10", "1e5000",
                             "+",  ".",   "1E+", "1.5x",      "1e2.5", "\xd9\xa1"}) {
        long double v = 7;
        EXPECT_FALSE(Parse_Result_Number(QString::fromUtf8(text), v)) << text;
        EXPECT_EQ(v, 7) << "changed by a refused text: " << text;
    }
    long double denormal = 0;
    ASSERT_TRUE(Parse_Result_Number(QStringLiteral("3.64519953188247460E-4951"), denormal));
    EXPECT_EQ(denormal, LDBL_TRUE_MIN);
    expect_round_trips();
}

TEST(Result_Numbers, AStoredFileKeepsItsPointUnderACommaLocale) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db.ini"));
    {
        Comma_Locale comma;
        ASSERT_TRUE(Comma_Locale::active())
            << "no locale with a decimal comma: install the locales package";
        for (const auto& c : kNumbers)
            EXPECT_EQ(Format_Result_Number(c.value), QString::fromLatin1(c.text)) << c.text;
        long double v = 0;
        EXPECT_TRUE(Parse_Result_Number(QStringLiteral("1.5"), v));
        EXPECT_EQ(v, 1.5L);
        EXPECT_FALSE(Parse_Result_Number(QStringLiteral("1,5"), v));
        expect_round_trips();
        ASSERT_TRUE(Write_Result_Set(path, QStringLiteral("Lab"), sample_set("Lab", 1.5L)));
        TBenchmark_Results back;
        ASSERT_TRUE(Read_Result_Set(path, QStringLiteral("Lab"), back));
        EXPECT_EQ(back.Memory_Speed_MB_Per_Sec, 4.75L);
    }
    EXPECT_TRUE(read_file(path).contains(QStringLiteral("Memory_Speed_MB_Per_Sec=4.75000000")));
    EXPECT_FALSE(read_file(path).contains(QLatin1Char(',')));
}

TEST_F(Database_File, OneSetWrittenFromNothingIsTheNineLineExample) {
    TBenchmark_Results r;
    r.Integer_Operations_Per_Sec = 1440000000;
    r.Floating_Point_Operations_Per_Sec = 192000000;
    r.Memory_Speed_MB_Per_Sec = 915.52734375L;
    r.Small_Files_KB_Per_Sec = 1000;
    r.Large_Files_KB_Per_Sec = 51200;
    r.Windows_Controls_Operations_Per_Sec = 800;
    r.Windows_Graphics_Pixels_Per_Sec = 16000000;
    r.Elapsed_Time_MSec = 15234;
    ASSERT_TRUE(Write_Result_Set(path, QStringLiteral("Office PC"), r));
    EXPECT_EQ(lines_of(path), (QStringList{
                                  "[Office PC]",
                                  "Integer_Operations_Per_Sec=1.44000000000000000E+9",
                                  "Floating_Point_Operations_Per_Sec=1.92000000000000000E+8",
                                  "Memory_Speed_MB_Per_Sec=9.15527343750000000E+2",
                                  "Small_Files_KB_Per_Sec=1.00000000000000000E+3",
                                  "Large_Files_KB_Per_Sec=5.12000000000000000E+4",
                                  "Windows_Controls_Operations_Per_Sec=8.00000000000000000E+2",
                                  "Windows_Graphics_Pixels_Per_Sec=1.60000000000000000E+7",
                                  "Elapsed_Time_MSec=1.52340000000000000E+4",
                              }));
    TBenchmark_Results back;
    ASSERT_TRUE(Read_Result_Set(path, QStringLiteral("Office PC"), back));
    for (int i = 0; i < Result_Key_Count; ++i)
        EXPECT_EQ(Result_Value(back, i), Result_Value(r, i)) << i;
}

TEST_F(Database_File, RewrittenInPlaceOrAtTheEndAfterAnErase) {
    ASSERT_TRUE(Write_Result_Set(path, QStringLiteral("A"), sample_set("A", 1)));
    ASSERT_TRUE(Write_Result_Set(path, QStringLiteral("B"), sample_set("B", 2)));
    const int line_count = static_cast<int>(lines_of(path).size());
    ASSERT_TRUE(Write_Result_Set(path, QStringLiteral("A"), sample_set("A", 3)));
    EXPECT_EQ(headers_of(path), (QStringList{"[A]", "[B]"}));
    EXPECT_EQ(lines_of(path).size(), line_count);
    TBenchmark_Results a, b;
    ASSERT_TRUE(Read_Result_Set(path, QStringLiteral("A"), a));
    ASSERT_TRUE(Read_Result_Set(path, QStringLiteral("B"), b));
    EXPECT_EQ(a.Elapsed_Time_MSec, 3000);
    EXPECT_EQ(b.Elapsed_Time_MSec, 2000);

    ASSERT_TRUE(Erase_Database_Section(path, QStringLiteral("A")));
    EXPECT_EQ(headers_of(path), (QStringList{"[B]"}));
    ASSERT_TRUE(Write_Result_Set(path, QStringLiteral("A"), sample_set("A", 4)));
    EXPECT_EQ(headers_of(path), (QStringList{"[B]", "[A]"}));
}

TEST_F(Database_File, ANameDifferingInCaseIsNotFoundButWritesIntoTheSameSection) {
    ASSERT_TRUE(Write_Result_Set(path, QStringLiteral("Office PC"), sample_set("", 1)));
    QStringList names;
    Read_Database_Section_Names(names, path, true);
    EXPECT_EQ(Find_Saved_Name(names, QStringLiteral("Office PC")), 0);
    EXPECT_EQ(Find_Saved_Name(names, QStringLiteral("office pc")), -1);
    ASSERT_TRUE(Write_Result_Set(path, QStringLiteral("office pc"), sample_set("", 5)));
    EXPECT_EQ(headers_of(path), (QStringList{"[Office PC]"}));
    TBenchmark_Results back;
    ASSERT_TRUE(Read_Result_Set(path, QStringLiteral("Office PC"), back));
    EXPECT_EQ(back.Elapsed_Time_MSec, 5000);
}

TEST_F(Database_File, SectionNamesAreScannedAsPlainText) {
    write_file(path, QStringLiteral("[Lab] old\n"
                                    "  [Indented]\n"
                                    "[]\n"
                                    "key=[v]\n"
                                    "[[x]]\r\n"
                                    "[a]b]\n"
                                    "; [comment]\n"
                                    "[Crlf]\r\n"
                                    "[Lab] old\n"
                                    "[Last]"));
    QStringList names{QStringLiteral("kept")};
    Read_Database_Section_Names(names, path, false);
    EXPECT_EQ(names, (QStringList{"kept", "Lab old", "x", "ab", "Crlf", "Lab old", "Last"}));
    EXPECT_EQ(Find_Saved_Name(names, QStringLiteral("Lab old")), 1);
    EXPECT_EQ(Find_Saved_Name(names, QStringLiteral("Lab")), -1);

    Read_Database_Section_Names(names, dir.filePath(QStringLiteral("missing.ini")), true);
    EXPECT_TRUE(names.isEmpty());
}

TEST_F(Database_File, ReadingStopsAtTheFirstTextThatIsNotANumber) {
    write_file(path, QStringLiteral("[Hand]\n"
                                    "integer_operations_per_sec = 1.44E9\n"
                                    "Floating_Point_Operations_Per_Sec=250\n"
                                    "Memory_Speed_MB_Per_Sec=1,5\n"
                                    "Small_Files_KB_Per_Sec=oops\n"
                                    "[Sparse]\n"
                                    "Elapsed_Time_MSec=77\n"));
    TBenchmark_Results r = sample_set("keep", 9);
    QString bad;
    EXPECT_FALSE(Read_Result_Set(path, QStringLiteral("Hand"), r, &bad));
    EXPECT_EQ(bad, QStringLiteral("1,5"));
    EXPECT_EQ(r.Integer_Operations_Per_Sec, 1.44e9L);
    EXPECT_EQ(r.Floating_Point_Operations_Per_Sec, 250);
    EXPECT_EQ(r.Memory_Speed_MB_Per_Sec, sample_set("", 9).Memory_Speed_MB_Per_Sec);

    // Missing keys, sections and files read as 0.
    for (const char* section : {"Sparse", "Nowhere"}) {
        r = sample_set("keep", 9);
        EXPECT_TRUE(Read_Result_Set(path, QString::fromLatin1(section), r));
        for (int i = 0; i < TBenchmark_Results::Rate_Count; ++i)
            EXPECT_EQ(r.rate(i), 0) << section << i;
        EXPECT_EQ(r.Elapsed_Time_MSec, section[0] == 'S' ? 77 : 0);
    }

    // The load zeroes the rates first and reports the text; the name is the caller's.
    Scripted_Responder responder;
    r = sample_set("keep", 9);
    EXPECT_FALSE(Load_Result_Set(path, QStringLiteral("Hand"), r));
    EXPECT_EQ(r.Name, QStringLiteral("keep"));
    EXPECT_EQ(r.Floating_Point_Operations_Per_Sec, 250);
    EXPECT_EQ(r.Memory_Speed_MB_Per_Sec, 0);
    EXPECT_EQ(r.Windows_Graphics_Pixels_Per_Sec, 0);
    EXPECT_EQ(r.Elapsed_Time_MSec, 9000);
    ASSERT_EQ(responder.shown().size(), 1u);
    EXPECT_EQ(responder.shown()[0].kind, Box_Kind::Error);
    EXPECT_EQ(responder.shown()[0].title, smx::platform::application_title());
    EXPECT_EQ(responder.shown()[0].text,
              QStringLiteral("'1,5' is not a valid floating point value."));

    // An empty name zeroes the rates and reads nothing.
    r = sample_set("keep", 9);
    EXPECT_TRUE(Load_Result_Set(path, QString(), r));
    EXPECT_EQ(r.Integer_Operations_Per_Sec, 0);
    EXPECT_EQ(r.Elapsed_Time_MSec, 9000);
    EXPECT_EQ(responder.shown().size(), 1u);
}

TEST_F(Database_File, RefusedWritesAndUnstorableNamesWriteNothing) {
    Scripted_Responder responder;
    const QString unreachable = dir.filePath(QStringLiteral("no such folder/Speedmetrix_DB.INI"));
    EXPECT_FALSE(Write_Result_Set(unreachable, QStringLiteral("A"), sample_set("A", 1)));
    ASSERT_EQ(responder.shown().size(), 1u);
    EXPECT_EQ(responder.shown()[0].kind, Box_Kind::Error);
    EXPECT_EQ(responder.shown()[0].text,
              QStringLiteral("Unable to write to ") + unreachable + QLatin1Char('.'));

    for (const char* name :
         {"a[b", "a]b", "two\nlines", "cr\r", "tab\tname", " lead", "trail ", "   ", ""}) {
        EXPECT_FALSE(Is_Storable_Set_Name(QString::fromLatin1(name))) << name;
        responder.clear();
        EXPECT_FALSE(Write_Result_Set(path, QString::fromLatin1(name), sample_set("", 1)));
        ASSERT_EQ(responder.shown().size(), 1u) << name;
        EXPECT_EQ(responder.shown()[0].kind, Box_Kind::Information);
        EXPECT_EQ(responder.shown()[0].text, Unstorable_Name_Message());
    }
    // Lone surrogates, of either half, alone or out of order, do not survive the file.
    const char16_t high = 0xD83D, low = 0xDE80;
    for (const QString& name :
         {QStringLiteral("Lab ") + QChar(high), QStringLiteral("Lab ") + QChar(low) + QChar(high),
          QString(QChar(low)) + QStringLiteral("x"), QString(QChar(0xDCFF))}) {
        EXPECT_FALSE(Is_Storable_Set_Name(name)) << name.size();
        EXPECT_FALSE(Write_Result_Set(path, name, sample_set("", 1)));
    }
    EXPECT_FALSE(QFile::exists(path));
    // Characters outside the Basic Multilingual Plane are pairs, and are stored and read back.
    for (const char* name : {"Office PC", "Auto-Saved Data", "a=b", ";x", "Büro (2)",
                             "Lab \U0001F680", "\U0001D400\U0001D401", "\U00020000"}) {
        const QString text = QString::fromUtf8(name);
        EXPECT_TRUE(Is_Storable_Set_Name(text)) << name;
        ASSERT_TRUE(Write_Result_Set(path, text, sample_set("", 7))) << name;
        TBenchmark_Results back;
        ASSERT_TRUE(Read_Result_Set(path, text, back)) << name;
        EXPECT_EQ(back.Integer_Operations_Per_Sec, sample_set("", 7).Integer_Operations_Per_Sec);
        EXPECT_TRUE(headers_of(path).contains(QLatin1Char('[') + text + QLatin1Char(']'))) << name;
    }
    ASSERT_TRUE(QFile::remove(path));

    // Erasing from a missing file, or with no name, creates nothing.
    EXPECT_TRUE(Erase_Database_Section(path, QStringLiteral("A")));
    ASSERT_TRUE(Write_Result_Set(path, QStringLiteral("A"), sample_set("A", 1)));
    EXPECT_TRUE(Erase_Database_Section(path, QString()));
    EXPECT_EQ(headers_of(path), (QStringList{"[A]"}));
}

TEST(Result_Database, LivesBesideTheExecutable) {
    QTemporaryDir dir;
    smx::platform::set_executable_path_override(dir.filePath(QStringLiteral("speedmetrix")));
    EXPECT_EQ(Database_Path(), dir.path() + QStringLiteral("/Speedmetrix_DB.INI"));
    smx::platform::set_executable_path_override(QString());
    EXPECT_EQ(Saved_Confirmation_Message(QStringLiteral("Lab")),
              QStringLiteral("The benchmark data has been saved to the \"Lab\" section in the "
                             "\"Speedmetrix_DB.INI\" file. "));
}

TEST_F(Database_File, TheScanReadsPastAByteOrderMarkAndOnlyRegularFiles) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("\xEF\xBB\xBF[Office PC]\nk=1\n[Lab]\n");
    f.close();
    QStringList names;
    Read_Database_Section_Names(names, path, true);
    EXPECT_EQ(names, (QStringList{QStringLiteral("Office PC"), QStringLiteral("Lab")}));
    EXPECT_EQ(Find_Saved_Name(names, QStringLiteral("Office PC")), 0);

    // A mark anywhere else is part of the line, which then begins with no "[".
    names.clear();
    Scan_Database_Section_Names(names, QByteArray("[A]\n\xEF\xBB\xBF[B]\n"));
    EXPECT_EQ(names, QStringList{QStringLiteral("A")});

    const QString fifo = dir.filePath(QStringLiteral("fifo.INI"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    Read_Database_Section_Names(names, fifo, true);
    EXPECT_TRUE(names.isEmpty());
}

TEST(Result_Messages, ControlCharactersInATextAreShownEscaped) {
    EXPECT_EQ(Invalid_Number_Message(QString::fromUtf8("1\0x\t\x1f\x7f"
                                                       "2,5",
                                                       9)),
              QStringLiteral("'1\\0x\\t\\x1f\\x7f2,5' is not a valid floating point value"));
    EXPECT_EQ(Invalid_Number_Message(QStringLiteral("Größe")),
              QStringLiteral("'Größe' is not a valid floating point value"));
    EXPECT_EQ(Cannot_Open_Message(QStringLiteral("/x/y")), QStringLiteral("Cannot open file /x/y"));
}
