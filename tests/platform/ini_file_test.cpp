#include "platform/Ini_File.h"
#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace smx::platform;

using smx::test::read_bytes;
using smx::test::write_bytes;

namespace {

// The files of the folder, without the writers' lock file of Data.INI, which stays for good.
QStringList entries(const QString& dir) {
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(QStringLiteral(".Data.INI.lock"));
    return names;
}

mode_t mode_of(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

QString S(const char* text) {
    return QString::fromUtf8(text);
}

// Runs the write with the rights of an ordinary user: as root, every directory is writable.
bool write_as_ordinary_user(const QString& path, const QString& section, const QString& key,
                            const QString& value) {
    if (::geteuid() != 0)
        return Ini_Write_String(path, section, key, value);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        ::_exit(Ini_Write_String(path, section, key, value) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 3) << "could not drop rights";
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

class Ini_Files : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Data.INI"));
};

} // namespace

TEST_F(Ini_Files, ResultsFileWrittenKeyByKeyFromNothing) {
    const char* keys[][2] = {
        {"Integer_Operations_Per_Sec", "1.44000000000000000E+9"},
        {"Floating_Point_Operations_Per_Sec", "1.92000000000000000E+8"},
        {"Memory_Speed_MB_Per_Sec", "9.15527343750000000E+2"},
        {"Small_Files_KB_Per_Sec", "1.00000000000000000E+3"},
        {"Large_Files_KB_Per_Sec", "5.12000000000000000E+4"},
        {"Windows_Controls_Operations_Per_Sec", "8.00000000000000000E+2"},
        {"Windows_Graphics_Pixels_Per_Sec", "1.60000000000000000E+7"},
        {"Elapsed_Time_MSec", "1.52340000000000000E+4"},
    };
    QByteArray expected = "[Office PC]\n";
    for (const auto& kv : keys) {
        ASSERT_TRUE(Ini_Write_String(path, S("Office PC"), S(kv[0]), S(kv[1])));
        expected += QByteArray(kv[0]) + '=' + kv[1] + '\n';
    }
    EXPECT_EQ(read_bytes(path), expected);
    EXPECT_EQ(
        mode_of(path), 0666 & ~[] {
            const mode_t m = ::umask(0);
            ::umask(m);
            return m;
        }());

    // Rewriting in place: same place, same spelling, even when asked in other letter case.
    ASSERT_TRUE(Ini_Write_String(path, S("OFFICE pc"), S("memory_speed_mb_per_sec"), S("7")));
    expected.replace("Memory_Speed_MB_Per_Sec=9.15527343750000000E+2", "Memory_Speed_MB_Per_Sec=7");
    EXPECT_EQ(read_bytes(path), expected);
    EXPECT_EQ(Ini_Read_Section_Names(path), QStringList{S("Office PC")});
    EXPECT_EQ(Ini_Read_String(path, S("office pc"), S("ELAPSED_TIME_MSEC"), S("0")),
              S("1.52340000000000000E+4"));
    const auto all = Ini_Read_Section(path, S("Office PC"));
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(all[2], std::make_pair(S("Memory_Speed_MB_Per_Sec"), S("7")));
}

TEST_F(Ini_Files, NewKeysAndSectionsGoWhereTheyBelongAndOtherBytesStay) {
    const QByteArray before = "; top comment\r\n"
                              "[a]\r\n"
                              "x = 1\r\n"
                              "junk line\r\n"
                              "\r\n"
                              "; about b \xc3\xa9\xe2\x82\xac\r\n"
                              "[b]\r\n"
                              "[c]\r\n"
                              "y=2"; // no line ending at the end
    write_bytes(path, before);
    ASSERT_TRUE(Ini_Write_String(path, S("A"), S("z"), S("3")));
    ASSERT_TRUE(Ini_Write_String(path, S("b"), S("k"), S("v")));
    ASSERT_TRUE(Ini_Write_String(path, S("c"), S("w"), S("4")));
    ASSERT_TRUE(Ini_Write_String(path, S("new"), S("n"), S("5")));
    ASSERT_TRUE(Ini_Write_String(path, S("a"), S("X"), S("9")));
    EXPECT_EQ(read_bytes(path), QByteArray("; top comment\r\n"
                                           "[a]\r\n"
                                           "x=9\r\n"
                                           "z=3\r\n"
                                           "junk line\r\n"
                                           "\r\n"
                                           "; about b \xc3\xa9\xe2\x82\xac\r\n"
                                           "[b]\r\n"
                                           "k=v\r\n"
                                           "[c]\r\n"
                                           "y=2\r\n"
                                           "w=4\r\n"
                                           "[new]\r\n"
                                           "n=5\r\n"));
    EXPECT_EQ(Ini_Read_Section_Names(path), (QStringList{S("a"), S("b"), S("c"), S("new")}));
    EXPECT_EQ(Ini_Read_String(path, S("c"), S("y"), S("-")), S("2"));
}

TEST_F(Ini_Files, HandEditedFilesReadAsTheProfileFunctionsReadThem) {
    write_bytes(path, "stray=before any section\n"
                      "  [  Lab  ]  \n"
                      "  key one  =   spaced value  \n"
                      "quoted=\"  kept blanks \"\n"
                      "single=' x '\n"
                      "mixed=\"not stripped'\n"
                      "inner=a \"b\" c\n"
                      "wide\xc2\xa0=blank is no part of the name\n"
                      ";hidden=1\n"
                      "   ; also=hidden\n"
                      "no equals sign\n"
                      "empty=\n"
                      "= no name\n"
                      "dup=first\n"
                      "DUP=second\n"
                      "[Lab] old]\n"
                      "k=1\n"
                      "[half open\n"
                      "h=2\n"
                      "[lab]\n"
                      "dup=second section\n"
                      "only=in second\n");
    EXPECT_EQ(Ini_Read_Section_Names(path), (QStringList{S("Lab"), S("Lab] old"), S("lab")}));
    EXPECT_EQ(Ini_Read_String(path, S("lab"), S("KEY ONE"), S("-")), S("spaced value"));
    EXPECT_EQ(Ini_Read_String(path, S("Lab"), S("quoted"), S("-")), S("  kept blanks "));
    EXPECT_EQ(Ini_Read_String(path, S("Lab"), S("single"), S("-")), S(" x "));
    EXPECT_EQ(Ini_Read_String(path, S("Lab"), S("mixed"), S("-")), S("\"not stripped'"));
    EXPECT_EQ(Ini_Read_String(path, S("Lab"), S("inner"), S("-")), S("a \"b\" c"));
    EXPECT_EQ(Ini_Read_String(path, S("Lab"), S("empty"), S("-")), S(""));
    EXPECT_EQ(Ini_Read_String(path, S("Lab"), S("WIDE"), S("-")),
              S("blank is no part of the name"));
    EXPECT_EQ(Ini_Read_String(path, S("Lab"), S("dup"), S("-")), S("first"));
    EXPECT_EQ(Ini_Read_String(path, S("Lab"), S("only"), S("-")), S("-"));
    for (const char* absent : {";hidden", "hidden", "also", "no equals sign", "stray", ""})
        EXPECT_EQ(Ini_Read_String(path, S("Lab"), S(absent), S("-")), S("-")) << absent;
    // The line under a "[" without "]" still belongs to the section before it.
    EXPECT_EQ(Ini_Read_String(path, S("Lab] old"), S("h"), S("-")), S("2"));
    EXPECT_EQ(Ini_Read_String(path, S("nowhere"), S("k"), S("default")), S("default"));

    const auto keys = Ini_Read_Section(path, S("LAB"));
    ASSERT_EQ(keys.size(), 8u);
    EXPECT_EQ(keys[0], std::make_pair(S("key one"), S("spaced value")));
    EXPECT_EQ(keys[7], std::make_pair(S("dup"), S("first")));

    // Writes go to the first of duplicates.
    ASSERT_TRUE(Ini_Write_String(path, S("LAB"), S("Dup"), S("changed")));
    EXPECT_TRUE(read_bytes(path).contains("dup=changed\nDUP=second\n"));
    EXPECT_TRUE(read_bytes(path).contains("dup=second section\n"));
}

TEST_F(Ini_Files, ValuesReadBackAsWrittenAndThroughTheWindow) {
    const QString long_value(3000, QLatin1Char('v'));
    const QString values[] = {S(" padded "), S("\"quoted\""), S("'q'"), S(""),
                              S("a=b;c"),    S("Größe ✓"),    S("\t"),  long_value.left(2047)};
    int i = 0;
    for (const QString& v : values)
        ASSERT_TRUE(Ini_Write_String(path, S("s"), QStringLiteral("k%1").arg(i++), v));
    i = 0;
    for (const QString& v : values)
        EXPECT_EQ(Ini_Read_String(path, S("s"), QStringLiteral("k%1").arg(i++), S("-")), v);

    ASSERT_TRUE(Ini_Write_String(path, S("s"), S("long"), long_value));
    EXPECT_EQ(Ini_Read_String(path, S("s"), S("long"), S("")), long_value.left(2047));
    EXPECT_EQ(Ini_Read_Section(path, S("s")).back().second, long_value.left(2047));
}

TEST_F(Ini_Files, UnwritableNamesAndValuesAreRefusedAndChangeNothing) {
    ASSERT_TRUE(Ini_Write_String(path, S("s"), S("k"), S("1")));
    const QByteArray before = read_bytes(path);
    EXPECT_FALSE(Ini_Write_String(path, S("s"), S("a=b"), S("1")));
    EXPECT_FALSE(Ini_Write_String(path, S("s"), S(";k"), S("1")));
    EXPECT_FALSE(Ini_Write_String(path, S("s"), S("[k"), S("1")));
    EXPECT_FALSE(Ini_Write_String(path, S("s"), S("  "), S("1")));
    EXPECT_FALSE(Ini_Write_String(path, S("s"), S("k"), S("two\nlines")));
    EXPECT_FALSE(Ini_Write_String(path, S("s"), S("k"), S("cr\r")));
    EXPECT_FALSE(Ini_Write_String(path, S("line\nbreak"), S("k"), S("1")));
    EXPECT_FALSE(Ini_Write_String(path, S(" "), S("k"), S("1")));
    EXPECT_FALSE(Ini_Write_Strings(path, S("s"), {{S("ok"), S("1")}, {S("bad="), S("2")}}));
    EXPECT_EQ(read_bytes(path), before);
}

TEST_F(Ini_Files, EraseRemovesTheSectionAndASaveThenStandsAtTheEnd) {
    write_bytes(path, "[One]\nk=1\n; note on two\n[Two]\nk=2\n; between\nj=3\n\n[one]\nk=dup\n"
                      "[Three]\nk=3\n");
    const QByteArray unchanged = read_bytes(path);
    EXPECT_TRUE(Ini_Erase_Section(path, S("missing")));
    EXPECT_TRUE(Ini_Erase_Section(dir.filePath(S("no such file")), S("One")));
    EXPECT_FALSE(QFile::exists(dir.filePath(S("no such file"))));
    EXPECT_EQ(read_bytes(path), unchanged);

    ASSERT_TRUE(Ini_Erase_Section(path, S("ONE")));
    EXPECT_EQ(read_bytes(path), QByteArray("; note on two\n[Two]\nk=2\n; between\nj=3\n\n"
                                           "[Three]\nk=3\n"));
    ASSERT_TRUE(Ini_Erase_Section(path, S("two")));
    ASSERT_TRUE(Ini_Write_Strings(path, S("Two"), {{S("k"), S("22")}, {S("j"), S("33")}}));
    EXPECT_EQ(read_bytes(path), QByteArray("; note on two\n\n[Three]\nk=3\n[Two]\nk=22\nj=33\n"));
    EXPECT_EQ(Ini_Read_Section_Names(path), (QStringList{S("Three"), S("Two")}));
}

TEST_F(Ini_Files, MissingFileReadsAsDefaultsAndUnreadableFileIsNotOverwritten) {
    EXPECT_EQ(Ini_Read_String(path, S("s"), S("k"), S("dflt")), S("dflt"));
    EXPECT_TRUE(Ini_Read_Section_Names(path).isEmpty());
    EXPECT_TRUE(Ini_Read_Section(path, S("s")).empty());
    EXPECT_EQ(entries(dir.path()), QStringList{});

    // A directory in the file's place is neither read as empty nor replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(S("Data.INI")));
    EXPECT_FALSE(Ini_Write_String(path, S("s"), S("k"), S("1")));
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(Ini_Files, RefusedWritesLeaveTheFileAndNoTemporary) {
    write_bytes(path, "[s]\nk=old\n");

    // A read-only file refuses, also for root.
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_FALSE(Ini_Write_String(path, S("s"), S("k"), S("new")));
    EXPECT_FALSE(Ini_Erase_Section(path, S("s")));
    EXPECT_EQ(read_bytes(path), QByteArray("[s]\nk=old\n"));
    EXPECT_EQ(entries(dir.path()), QStringList{S("Data.INI")});

    // Permissions are kept across a write.
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(Ini_Write_String(path, S("s"), S("k"), S("new")));
    EXPECT_EQ(mode_of(path), 0640u);
    EXPECT_EQ(entries(dir.path()), QStringList{S("Data.INI")});

    // A directory that cannot be written.
    const QString locked = dir.filePath(S("locked"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(S("locked")));
    const QString inside = locked + S("/Data.INI");
    write_bytes(inside, "[s]\nk=old\n");
    ASSERT_EQ(::chmod(QFile::encodeName(inside).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0555), 0);
    EXPECT_FALSE(write_as_ordinary_user(inside, S("s"), S("k"), S("new")));
    EXPECT_FALSE(write_as_ordinary_user(locked + S("/Other.INI"), S("s"), S("k"), S("new")));
    EXPECT_EQ(read_bytes(inside), QByteArray("[s]\nk=old\n"));
    EXPECT_EQ(entries(locked), QStringList{S("Data.INI")});
    ::chmod(QFile::encodeName(locked).constData(), 0755);

    // A directory that does not exist.
    EXPECT_FALSE(Ini_Write_String(dir.filePath(S("absent/Data.INI")), S("s"), S("k"), S("1")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(S("absent"))));
}

TEST_F(Ini_Files, ALinkStaysALinkAndItsTargetIsWritten) {
    write_bytes(path, "[s]\nk=1\n");
    const QString link = dir.filePath(S("link.ini"));
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(Ini_Write_String(link, S("s"), S("k"), S("2")));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(read_bytes(path), QByteArray("[s]\nk=2\n"));
}

TEST(Ini_Document, EditsInMemoryKeepTheLineEndingAndReparse) {
    Ini_Document doc(QByteArray("[a]\r\nk=1\r\n"));
    ASSERT_TRUE(doc.set_values(S("b"), {{S("x"), S("1")}, {S("y"), S("2")}, {S("X"), S("3")}}));
    EXPECT_EQ(doc.bytes(), QByteArray("[a]\r\nk=1\r\n[b]\r\nx=3\r\ny=2\r\n"));
    EXPECT_EQ(doc.value(S("B"), S("x")), S("3"));
    EXPECT_TRUE(doc.erase_section(S("a")));
    EXPECT_FALSE(doc.erase_section(S("a")));
    EXPECT_EQ(doc.section_names(), QStringList{S("b")});
    EXPECT_FALSE(doc.value(S("a"), S("k")).has_value());

    Ini_Document unterminated(QByteArray("[a]\nk=1"));
    ASSERT_TRUE(unterminated.set_values(S("b"), {{S("x"), S("1")}}));
    EXPECT_EQ(unterminated.bytes(), QByteArray("[a]\nk=1\n[b]\nx=1\n"));

    Ini_Document empty;
    ASSERT_TRUE(empty.set_values(S("s"), {{S("k"), S("v")}}));
    EXPECT_EQ(empty.bytes(), QByteArray("[s]\nk=v\n"));
}

TEST(Ini_Document, AByteOrderMarkIsReadPastAndKept) {
    const QByteArray bom = "\xEF\xBB\xBF";
    Ini_Document doc(bom + "[Office PC]\nk=1\n[Lab]\nk=2\n");
    EXPECT_EQ(doc.section_names(), (QStringList{S("Office PC"), S("Lab")}));
    EXPECT_EQ(doc.value(S("office pc"), S("k")), S("1"));
    // A write under the name goes into that section, not into a second copy of it.
    ASSERT_TRUE(doc.set_values(S("Office PC"), {{S("k"), S("3")}}));
    EXPECT_EQ(doc.bytes(), bom + "[Office PC]\nk=3\n[Lab]\nk=2\n");
    // Erasing the first section keeps the mark in front of what follows.
    EXPECT_EQ(doc.erase_exact_sections({{S("Office PC"), 0}}), 1);
    EXPECT_EQ(doc.bytes(), bom + "[Lab]\nk=2\n");
    EXPECT_EQ(doc.bom_size(), 3);

    // A file holding only the mark gets its first section right after it.
    Ini_Document only_mark(bom);
    ASSERT_TRUE(only_mark.set_values(S("s"), {{S("k"), S("v")}}));
    EXPECT_EQ(only_mark.bytes(), bom + "[s]\nk=v\n");
}

TEST(Ini_Document, MarkBytesInsideTheTextStayPlainBytes) {
    const QByteArray bom = "\xEF\xBB\xBF";
    // A name or a value that begins with U+FEFF reads back with it.
    Ini_Document doc;
    ASSERT_TRUE(doc.set_values(QString(QChar(0xFEFF)) + S("s"),
                               {{S("k"), QString(QChar(0xFEFF)) + S("v")}}));
    const Ini_Document reread(doc.bytes());
    EXPECT_EQ(reread.section_names(), QStringList{QString(QChar(0xFEFF)) + S("s")});
    EXPECT_EQ(reread.value(QString(QChar(0xFEFF)) + S("s"), S("k")),
              QString(QChar(0xFEFF)) + S("v"));

    // Erasing the first section does not bring a line that begins with the mark's bytes to the
    // start of the text, where the mark would be skipped and the line become a header.
    Ini_Document text(QByteArray("[A]\nk=1\n") + bom + "[B]\n");
    EXPECT_EQ(text.section_names(), QStringList{S("A")});
    EXPECT_EQ(text.erase_exact_sections({{S("A"), 0}}), 1);
    EXPECT_TRUE(Ini_Document(text.bytes()).section_names().isEmpty());
    Ini_Document again(QByteArray("[A]\nk=1\n") + bom + "[B]\n");
    EXPECT_TRUE(again.erase_section(S("a")));
    EXPECT_TRUE(Ini_Document(again.bytes()).section_names().isEmpty());
}

TEST(Ini_Document, SectionsWithoutANameAreNoEntries) {
    const Ini_Document doc(QByteArray("[]\nk=1\n[A]\n[  ]\n[B]\n"));
    EXPECT_EQ(doc.section_names(), (QStringList{S("A"), S("B")}));
    EXPECT_TRUE(Ini_Document(QByteArray("[]\nk=1\n")).section_names().isEmpty());
}

TEST(Ini_Document, ExactErasesTakeOnlyTheChosenSections) {
    const QByteArray text = "[Office PC]\nk=1\n[office pc]\nk=2\n[Lab]\nk=3\n; kept\n[Lab]\nk=4\n"
                            "[Lab]\nk=5\n";
    Ini_Document doc(text);
    EXPECT_EQ(doc.erase_exact_sections({{S("office pc"), 0}}), 1);
    EXPECT_EQ(doc.bytes(), QByteArray("[Office PC]\nk=1\n[Lab]\nk=3\n; kept\n[Lab]\nk=4\n"
                                      "[Lab]\nk=5\n"));
    // The second and third of three, in one edit; the first stays.
    EXPECT_EQ(doc.erase_exact_sections({{S("Lab"), 2}, {S("Lab"), 1}}), 2);
    EXPECT_EQ(doc.bytes(), QByteArray("[Office PC]\nk=1\n[Lab]\nk=3\n; kept\n"));
    // Names that match only without regard to case, and occurrences beyond the last, are none.
    EXPECT_EQ(doc.erase_exact_sections({{S("LAB"), 0}, {S("Lab"), 1}, {S("Office PC"), -1}}), 0);
    EXPECT_EQ(doc.bytes(), QByteArray("[Office PC]\nk=1\n[Lab]\nk=3\n; kept\n"));

    // An appended section stands at the end even when one of its name exists.
    ASSERT_TRUE(doc.append_section(S("Lab"), {{S("k"), S("6")}}));
    EXPECT_EQ(doc.section_names(), (QStringList{S("Office PC"), S("Lab"), S("Lab")}));
    EXPECT_TRUE(doc.bytes().endsWith("[Lab]\nk=6\n"));
    EXPECT_FALSE(doc.append_section(S(" "), {{S("k"), S("1")}}));
    EXPECT_FALSE(doc.append_section(S("x"), {{S("k"), S("two\nlines")}}));
}

// What can stand at a data file's path instead of a regular file.
using Special = smx::test::Special_File;

// None of these may block, read without end, or be replaced; each is refused at once.
TEST_F(Ini_Files, OnlyRegularFilesAreReadOrReplaced) {
    for (const Special kind :
         {Special::Fifo, Special::Dev_Zero_Link, Special::Directory, Special::Dangling_Link}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const QString at = dir.filePath(QStringLiteral("special-%1.ini").arg(int(kind)));
        smx::test::make_special_file(at, kind);
        struct stat before {};
        ASSERT_EQ(::lstat(QFile::encodeName(at).constData(), &before), 0);

        EXPECT_EQ(Ini_Read_File(at).status, Ini_Read_Status::Refused);
        Ini_File file(at);
        EXPECT_FALSE(file.read());
        EXPECT_EQ(Ini_Read_String(at, S("s"), S("k"), S("dflt")), S("dflt"));
        EXPECT_TRUE(Ini_Read_Section_Names(at).isEmpty());
        EXPECT_FALSE(Ini_Write_String(at, S("s"), S("k"), S("1")));
        EXPECT_FALSE(Ini_Replace_File(at, "[s]\nk=1\n"));
        EXPECT_FALSE(file.write());

        struct stat after {};
        ASSERT_EQ(::lstat(QFile::encodeName(at).constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("special-2.ini"))).isEmpty());

    // A link to a regular file reads and writes through, as before.
    write_bytes(path, "[s]\nk=1\n");
    const QString link = dir.filePath(S("link.ini"));
    ASSERT_TRUE(QFile::link(path, link));
    const Ini_File_Content content = Ini_Read_File(link);
    EXPECT_EQ(content.status, Ini_Read_Status::Read);
    EXPECT_EQ(content.bytes, QByteArray("[s]\nk=1\n"));
    EXPECT_EQ(Ini_Read_File(dir.filePath(S("missing.ini"))).status, Ini_Read_Status::Missing);
}

TEST_F(Ini_Files, AFileBeyondTheCapIsRefused) {
    write_bytes(path, "[s]\nk=1\n");
    // Sparse: as large as that to the reader, without the disk space.
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), Ini_Max_File_Size + 1), 0);
    EXPECT_EQ(Ini_Read_File(path).status, Ini_Read_Status::Refused);
    EXPECT_FALSE(Ini_Write_String(path, S("s"), S("k"), S("2")));
    EXPECT_EQ(QFileInfo(path).size(), Ini_Max_File_Size + 1);

    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), Ini_Max_File_Size), 0);
    const Ini_File_Content at_cap = Ini_Read_File(path);
    EXPECT_EQ(at_cap.status, Ini_Read_Status::Read);
    EXPECT_EQ(at_cap.bytes.size(), Ini_Max_File_Size);
}

TEST_F(Ini_Files, AFileReadForACommandKnowsWhenItChanged) {
    write_bytes(path, "[s]\nk=1\n");
    Ini_File file(path);
    ASSERT_TRUE(file.read());
    EXPECT_FALSE(file.changed_on_disk());
    ASSERT_TRUE(file.document().set_values(S("s"), {{S("k"), S("2")}}));
    ASSERT_TRUE(file.write());
    EXPECT_FALSE(file.changed_on_disk());                        // its own write is what it holds
    ASSERT_TRUE(Ini_Write_String(path, S("t"), S("j"), S("3"))); // someone else's
    EXPECT_TRUE(file.changed_on_disk());
    ASSERT_TRUE(file.refresh());
    EXPECT_EQ(file.document().section_names(), (QStringList{S("s"), S("t")}));
}

namespace {

// The replacement's system calls, recorded with the file (inode) each acts on.
struct Call_Log {
    static inline std::vector<std::pair<std::string, ino_t>> calls;
    static inline bool fail_link = false;

    static ino_t inode_of_fd(int fd) {
        struct stat st {};
        return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
    }
    static ino_t inode_at(int dirfd, const char* name) {
        struct stat st {};
        return ::fstatat(dirfd, name, &st, 0) == 0 ? st.st_ino : 0;
    }
    static int fsync(int fd) {
        calls.emplace_back("fsync", inode_of_fd(fd));
        return Ini_Real_System_Calls().fsync(fd);
    }
    static int linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
                      int flags) {
        if (fail_link) {
            errno = ENOENT;
            return -1;
        }
        calls.emplace_back("link", inode_at(olddirfd, oldpath));
        return Ini_Real_System_Calls().linkat(olddirfd, oldpath, newdirfd, newpath, flags);
    }
    static int renameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath) {
        calls.emplace_back("rename", inode_at(olddirfd, oldpath));
        return Ini_Real_System_Calls().renameat(olddirfd, oldpath, newdirfd, newpath);
    }
};

class Recorded_Calls {
public:
    Recorded_Calls()
        : previous_(Ini_Use_System_Calls({Call_Log::fsync, Call_Log::linkat, Call_Log::renameat})) {
        Call_Log::calls.clear();
    }
    ~Recorded_Calls() {
        Ini_Use_System_Calls(previous_);
        Call_Log::fail_link = false;
    }

private:
    Ini_File_System_Calls previous_;
};

} // namespace

// The new content must be on the disk before the rename makes it the file's: otherwise a crash
// soon after the rename can leave the file empty.
TEST_F(Ini_Files, TheNewContentIsFlushedBeforeItReplacesTheFile) {
    for (const bool named_temporary : {false, true}) {
        SCOPED_TRACE(named_temporary ? "named temporary file" : "unnamed temporary file");
        write_bytes(path, "[s]\nk=old\n");
        Recorded_Calls recorded;
        Call_Log::fail_link = named_temporary; // as where the unnamed file cannot get a name
        ASSERT_TRUE(Ini_Write_String(path, S("s"), S("k"), S("new")));
        EXPECT_EQ(read_bytes(path), QByteArray("[s]\nk=new\n"));
        EXPECT_EQ(entries(dir.path()), QStringList{S("Data.INI")});

        const auto& calls = Call_Log::calls;
        const auto rename = std::find_if(calls.begin(), calls.end(),
                                         [](const auto& c) { return c.first == "rename"; });
        ASSERT_NE(rename, calls.end());
        EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                                [](const auto& c) { return c.first == "rename"; }),
                  1);
        const ino_t renamed = rename->second;
        EXPECT_NE(std::find(calls.begin(), rename, std::make_pair(std::string("fsync"), renamed)),
                  rename)
            << "no fsync of the renamed file before the rename";
        if (!named_temporary) {
            const auto link =
                std::find(calls.begin(), rename, std::make_pair(std::string("link"), renamed));
            ASSERT_NE(link, rename);
            EXPECT_NE(std::find(calls.begin(), link, std::make_pair(std::string("fsync"), renamed)),
                      link)
                << "the file got its name before it was flushed";
        }
    }
}

TEST_F(Ini_Files, LeftoversOfKilledWritersGoWithTheNextWriteUnlessAWriterIsAtWork) {
    write_bytes(path, "[s]\nk=1\n");
    const QStringList leftovers = {S(".Data.INI.tmp-Ab3dE6gH"), S(".Data.INI.tmp-x1Y2z3")};
    const QStringList others = {S(".Data.INI.tmp-notes.txt"), S(".Other.INI.tmp-Ab3dE6gH"),
                                S("Data.INI.tmp-Ab3dE6gH"), S(".Data.INI.tmp-A")};
    for (const QString& name : leftovers + others)
        write_bytes(dir.filePath(name), "[s]\nk=0\n");

    // A writer at work (holding the directory shared): its temporary file is never touched.
    const int live = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_SH), 0);
    ASSERT_TRUE(Ini_Write_String(path, S("s"), S("k"), S("2")));
    for (const QString& name : leftovers)
        EXPECT_TRUE(QFile::exists(dir.filePath(name))) << name.toStdString();
    ::close(live);

    ASSERT_TRUE(Ini_Write_String(path, S("s"), S("k"), S("3")));
    QStringList expected = others + QStringList{S("Data.INI")};
    expected.sort();
    QStringList left = entries(dir.path());
    left.sort();
    EXPECT_EQ(left, expected);
    EXPECT_EQ(read_bytes(path), QByteArray("[s]\nk=3\n"));
}

TEST_F(Ini_Files, AFileWithoutReadPermissionIsRefusedNotEmpty) {
    write_bytes(path, "[s]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0200), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    // As an ordinary user: root reads any file.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        const bool refused = Ini_Read_File(path).status == Ini_Read_Status::Refused &&
                             !Ini_Write_String(path, S("s"), S("k"), S("2"));
        ::_exit(refused ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 3) << "could not drop rights";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    ::chmod(QFile::encodeName(path).constData(), 0600);
    EXPECT_EQ(read_bytes(path), QByteArray("[s]\nk=1\n"));
}

namespace {

// Takes the writers' lock of `path` as another writer would; -1 when it cannot.
int hold_lock(const QString& path) {
    const int fd = ::open(QFile::encodeName(Ini_Lock_File_Path(path)).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0 && ::flock(fd, LOCK_EX) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class Lock_Wait {
public:
    explicit Lock_Wait(int ms) : previous_(Ini_Use_Lock_Wait_Ms(ms)) {}
    ~Lock_Wait() { Ini_Use_Lock_Wait_Ms(previous_); }

private:
    int previous_;
};

} // namespace

// Another writer's lock is waited for, within bounds. (That a killed holder blocks nobody, the
// kill test shows.)
TEST_F(Ini_Files, AWriteWaitsForTheWritersLockWithinItsBound) {
    write_bytes(path, "[s]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    EXPECT_EQ(Ini_Lock_File_Path(path), dir.filePath(S(".Data.INI.lock")));
    ASSERT_TRUE(Ini_Write_String(path, S("s"), S("k"), S("2")));
    EXPECT_EQ(mode_of(Ini_Lock_File_Path(path)), 0640u) << "the data file's users may lock it";

    {
        const Lock_Wait wait(300);
        const int held = hold_lock(path);
        ASSERT_GE(held, 0);
        Ini_File file(path);
        ASSERT_TRUE(file.read());
        ASSERT_TRUE(file.document().set_values(S("s"), {{S("k"), S("3")}}));
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(Ini_Write_String(path, S("s"), S("k"), S("3")));
        EXPECT_FALSE(Ini_Erase_Section(path, S("s")));
        EXPECT_FALSE(file.write());
        EXPECT_GE(clock.elapsed(), 900);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(read_bytes(path), QByteArray("[s]\nk=2\n"));

        // Released while a writer waits: it goes ahead.
        std::thread release([held] {
            ::usleep(150000);
            ::close(held);
        });
        clock.restart();
        EXPECT_TRUE(Ini_Write_String(path, S("s"), S("k"), S("4")));
        EXPECT_GE(clock.elapsed(), 100);
        release.join();
    }
}

// A command's edits, made on a file that another writer changed after the command read it, are
// made again on what that writer left: neither change is lost.
TEST_F(Ini_Files, ACommandsEditsAreMadeAgainOnWhatAnotherWriterLeft) {
    using Edit = std::function<void(Ini_Document&)>;
    const Ini_Key_Values keys{{S("k"), S("new")}};
    const struct {
        const char* label;
        Edit edit;
        QByteArray expected; // after the other writer added [other]
    } cases[] = {
        {"set_values on a new section", [&](Ini_Document& d) { d.set_values(S("mine"), keys); },
         "[a]\nk=1\n[b]\nk=2\n[other]\nk=3\n[mine]\nk=new\n"},
        {"set_values in place", [&](Ini_Document& d) { d.set_values(S("b"), keys); },
         "[a]\nk=1\n[b]\nk=new\n[other]\nk=3\n"},
        {"exact erase and append",
         [&](Ini_Document& d) {
             d.erase_exact_sections({{S("a"), 0}});
             d.append_section(S("a"), keys);
         },
         "[b]\nk=2\n[other]\nk=3\n[a]\nk=new\n"},
        {"erase", [&](Ini_Document& d) { d.erase_section(S("b")); }, "[a]\nk=1\n[other]\nk=3\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        write_bytes(path, "[a]\nk=1\n[b]\nk=2\n");
        Ini_File file(path);
        ASSERT_TRUE(file.read());
        c.edit(file.document());
        ASSERT_TRUE(Ini_Write_String(path, S("other"), S("k"), S("3")));
        ASSERT_TRUE(file.write());
        EXPECT_EQ(read_bytes(path), c.expected);
        EXPECT_EQ(file.document().bytes(), c.expected);
        EXPECT_FALSE(file.changed_on_disk());
    }
}

// Something planted at the lock file's name refuses the write at once; nothing blocks.
TEST_F(Ini_Files, ALockFileThatIsNoRegularFileRefusesTheWrite) {
    write_bytes(path, "[s]\nk=1\n");
    const QByteArray lock = QFile::encodeName(Ini_Lock_File_Path(path));
    for (const Special kind : {Special::Fifo, Special::Dev_Zero_Link, Special::Directory}) {
        SCOPED_TRACE(static_cast<int>(kind));
        smx::test::make_special_file(QFile::decodeName(lock), kind);
        EXPECT_FALSE(Ini_Write_String(path, S("s"), S("k"), S("2")));
        EXPECT_EQ(read_bytes(path), QByteArray("[s]\nk=1\n"));
        if (kind == Special::Directory)
            ::rmdir(lock.constData());
        else
            ::unlink(lock.constData());
    }
    EXPECT_TRUE(Ini_Write_String(path, S("s"), S("k"), S("2")));
}

// A file that is not text in the program's encoding is read as far as it goes, but a write into
// it would leave two encodings in one file: refused, the file left as it was.
TEST_F(Ini_Files, AFileThatIsNoUtf8TextIsNeverWrittenInto) {
    const char le[] = "\xff\xfe[\0s\0]\0\n\0k\0=\0"
                      "1\0\n\0";
    const char be[] = "\xfe\xff\0[\0s\0]\0\n\0k\0=\0"
                      "1\0\n";
    const QByteArray utf16le(le, sizeof le - 1);
    const QByteArray utf16be(be, sizeof be - 1);
    const struct {
        const char* label;
        QByteArray bytes;
        bool writable;
    } cases[] = {
        {"UTF-16 LE with its mark", utf16le, false},
        {"UTF-16 BE with its mark", utf16be, false},
        {"a NUL byte", QByteArray("[s]\nk=1\0\n", 9), false},
        {"Latin-1", "[s]\nname=Caf\xe9\n", false},
        {"overlong", "[s]\nk=\xc0\xaf\n", false},
        {"surrogate", "[s]\nk=\xed\xa0\x80\n", false},
        {"beyond U+10FFFF", "[s]\nk=\xf4\x90\x80\x80\n", false},
        {"cut short at the end", "[s]\nk=\xe2\x82", false},
        {"UTF-8 with its mark", "\xef\xbb\xbf[s]\nk=\xe2\x82\xac\n", true},
        {"four-byte UTF-8", "[s]\nk=\xf0\x9f\x9a\x80\n", true},
        {"empty", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        write_bytes(path, c.bytes);
        EXPECT_EQ(Ini_Is_Program_Text(c.bytes), c.writable);
        EXPECT_EQ(Ini_Write_String(path, S("t"), S("k"), S("2")), c.writable);
        if (!c.writable) {
            Ini_File file(path);
            ASSERT_TRUE(file.read()); // read as far as it goes
            file.document().set_values(S("t"), {{S("k"), S("2")}});
            EXPECT_FALSE(file.write());
            EXPECT_EQ(read_bytes(path), c.bytes);
        } else {
            EXPECT_EQ(read_bytes(path), c.bytes + "[t]\nk=2\n");
        }
    }
}
