#include "platform/Executable.h"
#include "platform/Ini_File.h"
#include "platform/Program_Files.h"
#include "temporary_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace smx::platform;

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

// A copy of the program in <scratch>/<prefix>/bin, with a fresh home folder; the test decides
// whether the program's folder counts as writable.
class Program_Files : public ::testing::Test {
protected:
    smx::test::Temporary_Home home;
    QString bin;

    void SetUp() override {
        bin = home.scratch() + S("/opt/bin");
        ASSERT_TRUE(QDir().mkpath(bin));
        set_executable_path_override(bin + S("/speedmetrix"));
    }
    void TearDown() override {
        set_executable_path_override({});
        set_executable_dir_writable_override(std::nullopt);
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }
    static QString settings() { return Program_File_Path(Program_File::Settings); }
    static QString database() { return Program_File_Path(Program_File::Results_Database); }
    static QString readme() { return Program_File_Path(Program_File::Readme); }
};

TEST_F(Program_Files, AWritableFolderKeepsEverythingBesideTheProgram) {
    // The real check, no override: a fresh temporary folder is writable.
    ASSERT_TRUE(Files_Beside_Executable());
    qputenv("XDG_CONFIG_HOME", (home.scratch() + S("/cfg")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.scratch() + S("/data")).toUtf8());
    EXPECT_EQ(settings(), bin + S("/Speedmetrix.ini"));
    EXPECT_EQ(database(), bin + S("/Speedmetrix_DB.INI"));
    EXPECT_EQ(readme(), bin + S("/speedmetrix.txt"));
}

TEST_F(Program_Files, AnUnwritableFolderUsesTheUsersXdgFolders) {
    set_executable_dir_writable_override(false);
    EXPECT_EQ(settings(), home.home() + S("/.config/speedmetrix/Speedmetrix.ini"));
    EXPECT_EQ(database(), home.home() + S("/.local/share/speedmetrix/Speedmetrix_DB.INI"));

    qputenv("XDG_CONFIG_HOME", (home.scratch() + S("/cfg/")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.scratch() + S("/data")).toUtf8());
    EXPECT_EQ(settings(), home.scratch() + S("/cfg/speedmetrix/Speedmetrix.ini"));
    EXPECT_EQ(database(), home.scratch() + S("/data/speedmetrix/Speedmetrix_DB.INI"));

    // Relative values are ignored, by the base directory rules.
    qputenv("XDG_CONFIG_HOME", "cfg");
    qputenv("XDG_DATA_HOME", "data");
    EXPECT_EQ(settings(), home.home() + S("/.config/speedmetrix/Speedmetrix.ini"));
    EXPECT_EQ(database(), home.home() + S("/.local/share/speedmetrix/Speedmetrix_DB.INI"));
}

TEST_F(Program_Files, TheUsersFoldersAppearWithTheFirstWriteOnly) {
    set_executable_dir_writable_override(false);
    qputenv("XDG_DATA_HOME", (home.scratch() + S("/fresh/share")).toUtf8());
    // Reading the missing files gives the defaults and makes nothing.
    EXPECT_EQ(Ini_Read_String(settings(), S("Speedmetrix"), S("window_Width"), S("666")), S("666"));
    EXPECT_TRUE(Ini_Read_Section_Names(database()).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Program_Config_Dir()));
    EXPECT_FALSE(QFileInfo::exists(home.scratch() + S("/fresh")));

    ASSERT_TRUE(Ini_Write_String(settings(), S("Speedmetrix"), S("window_Width"), S("700")));
    ASSERT_TRUE(Ini_Write_String(database(), S("Office PC"), S("Elapsed_Time_MSec"), S("1")));
    EXPECT_EQ(Ini_Read_String(settings(), S("Speedmetrix"), S("window_Width"), S("666")), S("700"));
    EXPECT_EQ(Ini_Read_Section_Names(database()), QStringList{S("Office PC")});
    // Every folder made on the way is the user's alone.
    for (const QString& dir : {Program_Config_Dir(), Program_Data_Dir(),
                               home.scratch() + S("/fresh"), home.scratch() + S("/fresh/share")}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0) << dir.toStdString();
        EXPECT_EQ(st.st_mode & 0777, 0700u) << dir.toStdString();
    }
    // Nothing is left beside the program.
    EXPECT_TRUE(QDir(bin).entryList(QDir::Files).isEmpty());
}

// A batch run asks before it runs whether its results can be stored: the user's folder that the
// first write makes counts, without being made by the question.
TEST_F(Program_Files, AMissingFolderOfTheProgramsTakesFilesAndIsNotMadeByTheQuestion) {
    set_executable_dir_writable_override(false);
    qputenv("XDG_DATA_HOME", (home.scratch() + S("/fresh/share")).toUtf8());
    EXPECT_TRUE(Folder_Takes_New_Files(Program_Data_Dir()));
    EXPECT_TRUE(Folder_Takes_New_Files(Program_Config_Dir()));
    EXPECT_FALSE(QFileInfo::exists(home.scratch() + S("/fresh")));
    EXPECT_FALSE(QFileInfo::exists(Program_Config_Dir()));
    EXPECT_TRUE(Folder_Takes_New_Files(bin));
    // Any other missing folder, and a file where the folder should be, take nothing.
    EXPECT_FALSE(Folder_Takes_New_Files(home.scratch() + S("/other/speedmetrix")));
    touch(home.scratch() + S("/fresh/share"));
    EXPECT_FALSE(Folder_Takes_New_Files(Program_Data_Dir()));
}

TEST_F(Program_Files, OnlyTheProgramsOwnFoldersAreMade) {
    set_executable_dir_writable_override(false);
    const QString other = home.scratch() + S("/other/speedmetrix");
    EXPECT_FALSE(Make_Program_Folder(other));
    EXPECT_FALSE(Ini_Write_String(other + S("/Speedmetrix.ini"), S("a"), S("b"), S("c")));
    EXPECT_FALSE(QFileInfo::exists(home.scratch() + S("/other")));
    // A folder beside the user's, or below it, is no folder of the program's either.
    EXPECT_FALSE(Make_Program_Folder(Program_Config_Dir() + S("/sub")));
    EXPECT_FALSE(Make_Program_Folder(Program_Config_Dir() + S("x")));
    EXPECT_FALSE(QFileInfo::exists(Program_Config_Dir()));
    EXPECT_TRUE(Make_Program_Folder(Program_Config_Dir() + S("/")));
    EXPECT_TRUE(QFileInfo(Program_Config_Dir()).isDir());
    // An existing folder of any kind is simply there.
    EXPECT_TRUE(Make_Program_Folder(bin));
}

TEST_F(Program_Files, TheReadmeIsReadBesideTheProgramElseFromTheInstalledDocFolder) {
    const QString installed = home.scratch() + S("/opt/share/doc/speedmetrix/speedmetrix.txt");
    EXPECT_EQ(Installed_Doc_Dir(), home.scratch() + S("/opt/share/doc/speedmetrix"));
    // Neither: the usual place, where the editor reports the missing file.
    EXPECT_EQ(readme(), bin + S("/speedmetrix.txt"));
    touch(installed);
    EXPECT_EQ(readme(), installed);
    // Whether the folder can be written does not matter for the readme.
    set_executable_dir_writable_override(true);
    EXPECT_EQ(readme(), installed);
    touch(bin + S("/speedmetrix.txt"));
    EXPECT_EQ(readme(), bin + S("/speedmetrix.txt"));

    set_executable_path_override(bin + S("/my.bench.exe"));
    EXPECT_EQ(readme(), bin + S("/my.txt"));
    EXPECT_EQ(Readme_File_Name(S("speedmetrix")), S("speedmetrix.txt"));
    EXPECT_EQ(Readme_File_Name(S("Speedmetrix.EXE")), S("Speedmetrix.txt"));
}

// The real writability check, for an ordinary user in a folder owned by root.
TEST_F(Program_Files, AFolderTheUserCannotWriteIsSeenAsSuch) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make a folder another user cannot write";
    ASSERT_EQ(::chmod(QFile::encodeName(home.scratch()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(home.scratch() + S("/opt")).constData(), 0755), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        ::_exit(Files_Beside_Executable() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the root-owned folder counted as writable";
    EXPECT_TRUE(Files_Beside_Executable()); // root may write it
}

} // namespace
