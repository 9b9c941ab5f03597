#include "platform/Desktop_Entry.h"
#include "platform/Xdg_Dirs.h"
#include "qt_printers.h"
#include "temporary_home.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

using namespace smx::platform;
using smx::test::Temporary_Home;

namespace {

QString validation_errors(const QString& file) {
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {file});
    if (!validate.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not run");
    if (validate.exitStatus() == QProcess::NormalExit && validate.exitCode() == 0)
        return {};
    return QString::fromUtf8(validate.readAll()) + QStringLiteral(" (exit code ") +
           QString::number(validate.exitCode()) + QLatin1Char(')');
}

bool write_text(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Program paths that need every kind of quoting the Exec rules know.
const QStringList kAwkwardPaths{
    QStringLiteral("/opt/speedmetrix/speedmetrix"),
    QStringLiteral("/home/ann/My Programs/speed metrix"),
    QStringLiteral("/tmp/say \"hi\" and 'bye'/prog"),
    QStringLiteral("/tmp/100% sure/$HOME `date`/prog"),
    QStringLiteral("/tmp/back\\slash\\\\twice/prog"),
    QStringLiteral("/tmp/tab\there/line\nbreak/prog"),
    QStringLiteral("/tmp/Gr\u00fc\u00dfe/\u00e9t\u00e9/prog"),
    QStringLiteral(" leading blank/prog"),
};

} // namespace

TEST(Desktop_Entry, ExecValueGivesTheProgramBackAsOneArgument) {
    for (const QString& path : kAwkwardPaths) {
        const auto args = Split_Exec_Value(Exec_Value_For(path));
        ASSERT_TRUE(args.has_value()) << path.toStdString();
        EXPECT_EQ(*args, QStringList{path}) << Exec_Value_For(path).toStdString();
    }
    EXPECT_EQ(Exec_Value_For(QStringLiteral("/a b/100%")), QStringLiteral("\"/a b/100%%\""));
    EXPECT_EQ(Exec_Value_For(QStringLiteral("/a\\b\"c")), QStringLiteral("\"/a\\\\\\\\b\\\\\"c\""));
}

TEST(Desktop_Entry, AFileTakesThePlaceOfTheFirstFileFieldCode) {
    using Args = std::optional<QStringList>;
    const QString file = QStringLiteral("/tmp/a b/\"c\" $d.INI");
    const std::pair<const char*, Args> cases[] = {
        {"gedit %U", QStringList{"gedit", file}},
        {"kate -b %u --x", QStringList{"kate", "-b", file, "--x"}},
        {"ed %F %f", QStringList{"ed", file}},
        {"ed --icon %i %c %k %f", QStringList{"ed", "--icon", file}},
        {"\"/opt/My Ed/ed\" 100%% --new", QStringList{"/opt/My Ed/ed", "100%", "--new", file}},
        {"ed --f=%f", QStringList{"ed", "--f=%f", file}},
        {"\"ed", std::nullopt},
        {"", std::nullopt},
        {"%f ed", std::nullopt},
    };
    for (const auto& [exec, expected] : cases)
        EXPECT_EQ(Exec_Command_For_File(QString::fromUtf8(exec), file), expected) << exec;
}

TEST(Desktop_Entry, ExecValuesWrittenByOthersAreSplitLikeTheDesktopDoes) {
    using Args = std::optional<QStringList>;
    EXPECT_EQ(Split_Exec_Value(QStringLiteral("/usr/bin/foo %U")),
              Args(QStringList{"/usr/bin/foo"}));
    EXPECT_EQ(Split_Exec_Value(QStringLiteral("foo  --bar 'a b'  \"c d\"")),
              Args(QStringList({"foo", "--bar", "a b", "c d"})));
    EXPECT_EQ(Split_Exec_Value(QStringLiteral("\"/a\\\\\\\\b\" x%%y")),
              Args(QStringList({"/a\\b", "x%y"})));
    EXPECT_EQ(Split_Exec_Value(QStringLiteral("\"\"")), Args(QStringList{""}));
    EXPECT_EQ(Split_Exec_Value(QStringLiteral("")), Args(QStringList{}));
    EXPECT_FALSE(Split_Exec_Value(QStringLiteral("\"/opt/unterminated")).has_value());
    EXPECT_FALSE(Split_Exec_Value(QStringLiteral("'/opt/unterminated")).has_value());
}

TEST(Desktop_Entry, WrittenEntriesAreValidAndReadBack) {
    QTemporaryDir dir;
    int n = 0;
    for (const QString& path : kAwkwardPaths) {
        const QString file = dir.path() + QStringLiteral("/e%1.desktop").arg(n++);
        ASSERT_TRUE(Write_Desktop_Entry(file, Desktop_Entry_Text(QFileInfo(path).fileName(), path),
                                        n % 2 == 0));
        EXPECT_EQ(validation_errors(file), QString()) << path.toStdString();
        EXPECT_EQ(Desktop_Entry_Program(file), path);
        EXPECT_EQ(QFileInfo(file).isExecutable(), n % 2 == 0);
    }
}

TEST(Desktop_Entry, ProgramOfEntriesSwitchedOffMissingOrWithArguments) {
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/x.desktop");
    EXPECT_EQ(Desktop_Entry_Program(file), QString());
    ASSERT_TRUE(write_text(file, "# note\r\n[Desktop Entry]\r\nExec = /opt/x/run \r\n"
                                 "[Desktop Action new]\r\nExec=/other\r\n"));
    EXPECT_EQ(Desktop_Entry_Program(file), QStringLiteral("/opt/x/run"));
    ASSERT_TRUE(write_text(file, "[Desktop Entry]\nExec=/opt/x/run --fast\n"));
    EXPECT_EQ(Desktop_Entry_Program(file), QStringLiteral("/opt/x/run --fast"));
    ASSERT_TRUE(write_text(file, "[Desktop Entry]\nExec=/opt/x/run\nHidden=true\n"));
    EXPECT_EQ(Desktop_Entry_Program(file), QString());
    ASSERT_TRUE(
        write_text(file, "[Desktop Entry]\nExec=/opt/x/run\nX-GNOME-Autostart-enabled=false\n"));
    EXPECT_EQ(Desktop_Entry_Program(file), QString());
    ASSERT_TRUE(write_text(file, "[Other]\nExec=/opt/x/run\n"));
    EXPECT_EQ(Desktop_Entry_Program(file), QString());
}

// The desktop's own launcher (GLib's) starts the entry's program with its awkward path intact.
TEST(Desktop_Entry, TheDesktopLauncherStartsTheProgram) {
    if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
        GTEST_SKIP() << "gio is not installed";
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/My \"Bench\" $HOME `x` \\ it's");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString program = folder + QStringLiteral("/speed metrix");
    const QString out = dir.path() + QStringLiteral("/started");
    ASSERT_TRUE(write_text(program, "#!/bin/sh\nprintf '%s' \"$0\" > \"$SMX_OUT\"\n"));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString entry = dir.path() + QStringLiteral("/launch.desktop");
    ASSERT_TRUE(Write_Desktop_Entry(entry, Desktop_Entry_Text(QStringLiteral("x"), program), true));

    QProcess gio;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SMX_OUT"), out);
    gio.setProcessEnvironment(env);
    gio.start(QStringLiteral("gio"), {QStringLiteral("launch"), entry});
    ASSERT_TRUE(gio.waitForFinished(30000));
    ASSERT_EQ(gio.exitCode(), 0) << gio.readAllStandardError().toStdString();
    QDeadlineTimer deadline(10000);
    QFile started(out);
    while (!(started.exists() && started.size() > 0) && !deadline.hasExpired())
        QThread::msleep(20);
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(started.readAll()), program);
}

TEST(Xdg_Dirs, LocationsFollowHomeAndTheXdgVariables) {
    Temporary_Home home;
    EXPECT_EQ(Autostart_Dir(), home.home() + QStringLiteral("/.config/autostart"));
    EXPECT_EQ(Applications_Dir(), home.home() + QStringLiteral("/.local/share/applications"));
    EXPECT_EQ(Send_To_Dir(), home.home() + QStringLiteral("/.local/share/Thunar/sendto"));
    EXPECT_EQ(Desktop_Dir(), home.home() + QStringLiteral("/Desktop"));

    qputenv("XDG_CONFIG_HOME", "/cfg/");
    qputenv("XDG_DATA_HOME", "relative/data"); // ignored: not absolute
    EXPECT_EQ(Autostart_Dir(), QStringLiteral("/cfg/autostart"));
    EXPECT_EQ(Applications_Dir(), home.home() + QStringLiteral("/.local/share/applications"));

    qputenv("XDG_CONFIG_HOME", home.home().toUtf8() + "/.config");
    ASSERT_TRUE(
        write_text(home.home() + QStringLiteral("/.config/user-dirs.dirs"),
                   "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                   "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"));
    EXPECT_EQ(Desktop_Dir(), home.home() + QStringLiteral("/Schreibtisch"));
}

TEST(Xdg_Dirs, DesktopFolderFromUserDirs) {
    const QString home = QStringLiteral("/home/ann");
    EXPECT_EQ(Desktop_Dir_From_User_Dirs(QStringLiteral("XDG_DESKTOP_DIR=\"/srv/desk\"\n"), home),
              QStringLiteral("/srv/desk"));
    EXPECT_EQ(Desktop_Dir_From_User_Dirs(QStringLiteral("XDG_DESKTOP_DIR=\"$HOME/My \\\"D\\\"\"\n"),
                                         home),
              QStringLiteral("/home/ann/My \"D\""));
    EXPECT_EQ(Desktop_Dir_From_User_Dirs(QStringLiteral("XDG_DESKTOP_DIR=\"$HOME/\"\n"), home),
              home);
    EXPECT_EQ(Desktop_Dir_From_User_Dirs(QStringLiteral("XDG_DESKTOP_DIR=\"desk\"\n"), home),
              QString());
    EXPECT_EQ(Desktop_Dir_From_User_Dirs(QStringLiteral("#XDG_DESKTOP_DIR=\"/x\"\n"), home),
              QString());
}
