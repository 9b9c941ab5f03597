#include "program_under_test.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

// Something other than a regular file where the built program keeps its settings file or its
// results database: the window and the batch run must refuse it at once and change nothing. At
// the autostart entry, which the window reads at its first show, and at user-dirs.dirs, which
// "Create Shortcut on Desktop" reads, the window must work as usual.
namespace {

enum class Which { Settings, Database, Autostart_Entry, User_Dirs };
enum class Thing { Dev_Zero_Link, Fifo, Directory };

struct Special_Case {
    Which which;
    Thing thing;
    const char* label;
};

const Special_Case kCases[] = {
    {Which::Settings, Thing::Dev_Zero_Link, "SettingsLinkToDevZero"},
    {Which::Settings, Thing::Fifo, "SettingsFifo"},
    {Which::Settings, Thing::Directory, "SettingsDirectory"},
    {Which::Database, Thing::Dev_Zero_Link, "DatabaseLinkToDevZero"},
    {Which::Database, Thing::Fifo, "DatabaseFifo"},
    {Which::Database, Thing::Directory, "DatabaseDirectory"},
};

const Special_Case kOutside_Cases[] = {
    {Which::Autostart_Entry, Thing::Fifo, "AutostartEntryFifo"},
    {Which::Autostart_Entry, Thing::Dev_Zero_Link, "AutostartEntryLinkToDevZero"},
    {Which::User_Dirs, Thing::Fifo, "UserDirsFifoAndCreateShortcutOnDesktop"},
};

void PrintTo(const Special_Case& c, std::ostream* os) {
    *os << c.label;
}

// Everything that tells one file-system entry from another, without following links.
struct Entry {
    dev_t device;
    ino_t inode;
    mode_t mode;
    QByteArray link_target;
    QStringList contents; // of a directory
    bool operator==(const Entry&) const = default;
};

Entry entry_at(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    EXPECT_EQ(::lstat(p.constData(), &st), 0) << p.constData();
    Entry e{st.st_dev, st.st_ino, st.st_mode, {}, {}};
    if (S_ISLNK(st.st_mode)) {
        char target[4096];
        const ssize_t n = ::readlink(p.constData(), target, sizeof target);
        e.link_target = QByteArray(target, n > 0 ? n : 0);
    } else if (S_ISDIR(st.st_mode)) {
        e.contents = QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                          QDir::System);
    }
    return e;
}

class Special_Files : public ::testing::TestWithParam<Special_Case> {
protected:
    QTemporaryDir dir;
    QString program;
    QString home;

    QString settings_path() const { return dir.filePath(QStringLiteral("Speedmetrix.ini")); }
    QString database_path() const { return dir.filePath(QStringLiteral("Speedmetrix_DB.INI")); }
    QString special_path() const {
        switch (GetParam().which) {
        case Which::Settings:
            return settings_path();
        case Which::Database:
            return database_path();
        case Which::Autostart_Entry:
            break;
        case Which::User_Dirs:
            return home + QStringLiteral("/.config/user-dirs.dirs");
        }
        return home + QStringLiteral("/.config/autostart/speedmetrix.desktop");
    }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        program = dir.filePath(QStringLiteral("speedmetrix"));
        ASSERT_TRUE(smx::test::copy_program_under_test(program));
        home = dir.filePath(QStringLiteral("home"));
        ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/.config/autostart")));
        const QByteArray p = QFile::encodeName(special_path());
        switch (GetParam().thing) {
        case Thing::Dev_Zero_Link:
            ASSERT_EQ(::symlink("/dev/zero", p.constData()), 0);
            break;
        case Thing::Fifo:
            ASSERT_EQ(::mkfifo(p.constData(), 0666), 0);
            break;
        case Thing::Directory:
            ASSERT_EQ(::mkdir(p.constData(), 0755), 0);
            break;
        }
        if (GetParam().which == Which::Database) {
            // The first show loads the remembered set, so the window reads the database.
            QFile f(settings_path());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("[Speedmetrix]\nSelected_INI_Section=Lab\nCompare_Selected_INI_Section=Lab\n");
        }
    }

    void start(QProcess& process, const QStringList& arguments, bool window) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        if (window)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        if (window && GetParam().which == Which::User_Dirs)
            env.insert(QStringLiteral("SPEEDMETRIX_TEST_CLICK"),
                       QStringLiteral("Create_Shortcut_on_Desktop_Option"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Waits at most `ms` for the end; a program still running then is killed.
    static bool ends_within(QProcess& process, int ms) {
        if (process.waitForFinished(ms))
            return true;
        process.kill();
        process.waitForFinished(5000);
        return false;
    }

    // The window starts (saying that it cannot open a data file), and one SIGTERM ends it at once.
    void check_window_starts_and_ends_at_once() {
        const Entry before = entry_at(special_path());
        QProcess process;
        start(process, {}, true);
        QThread::msleep(1500);
        ASSERT_EQ(process.state(), QProcess::Running)
            << "the window did not stay up: " << process.readAllStandardError().toStdString();
        QElapsedTimer clock;
        clock.start();
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(ends_within(process, 2000)) << "still running 2 s after SIGTERM";
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(entry_at(special_path()), before);
        // The settings file is still written at the close.
        if (GetParam().which != Which::Settings) {
            EXPECT_TRUE(QFileInfo(settings_path()).isFile());
        }
        // The shortcut goes to the default desktop folder.
        if (GetParam().which == Which::User_Dirs) {
            EXPECT_TRUE(QFileInfo(home + QStringLiteral("/Desktop/speedmetrix.desktop")).isFile());
        }
    }
};

TEST_P(Special_Files, TheWindowRefusesItAndEndsAtOnce) {
    check_window_starts_and_ends_at_once();
}

// The batch run reports it and stops before running anything.
TEST_P(Special_Files, TheBatchRunRefusesItAtOnce) {
    const Entry before = entry_at(special_path());
    const QString expected =
        QStringLiteral("Cannot open file ") + special_path() + QLatin1Char('.');
    const QStringList base{QStringLiteral("--batch"), QStringLiteral("--tests=integer"),
                           QStringLiteral("--integer-loops=1")};
    std::vector<QStringList> runs{base + QStringList{QStringLiteral("--save=Lab")}};
    if (GetParam().which == Which::Database)
        runs.push_back(base + QStringList{QStringLiteral("--compare=Lab")});
    for (const QStringList& arguments : runs) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        start(process, arguments, false);
        ASSERT_TRUE(ends_within(process, 2000)) << "no end within 2 s";
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 6);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(err.contains(expected)) << err.toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        EXPECT_EQ(entry_at(special_path()), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Each, Special_Files, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

class Special_Outside_Files : public Special_Files {};

TEST_P(Special_Outside_Files, TheWindowStartsAndEndsAtOnce) {
    check_window_starts_and_ends_at_once();
}

INSTANTIATE_TEST_SUITE_P(Each, Special_Outside_Files, ::testing::ValuesIn(kOutside_Cases),
                         [](const auto& info) { return std::string(info.param.label); });

// A database full of binary garbage is no database with a missing set in it.
TEST(Unreadable_Database, CompareSaysTheFileCannotBeReadNotThatTheSetIsMissing) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("speedmetrix"));
    ASSERT_TRUE(smx::test::copy_program_under_test(program));
    const QString db = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
    QFile f(db);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    f.write(garbage);
    f.close();

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(program, {QStringLiteral("--batch"), QStringLiteral("--tests=integer"),
                            QStringLiteral("--integer-loops=1"), QStringLiteral("--compare=Lab")});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 6);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("The file ") + db +
                             QStringLiteral(" cannot be read as a results database")))
        << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("There is no saved set"))) << err.toStdString();
}

} // namespace
