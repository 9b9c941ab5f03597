#include "app/Desktop_Integration.h"
#include "app/MainForm1.h"
#include "app/Program.h"
#include "dialogs/AboutBox.h"
#include "platform/Message_Boxes.h"
#include "platform/Registry.h"
#include "platform/Window_On_Top.h"
#include "platform/Xdg_Dirs.h"
#include "qt_printers.h"
#include "temporary_home.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

using namespace smx::platform;
using smx::app::TMainForm1;
using smx::test::Executable_In;
using smx::test::Temporary_Home;
namespace desktop = smx::app::desktop;

namespace {

const auto HKLM = Root_Key::HKEY_LOCAL_MACHINE;

QString run_value(const QString& name) {
    return Registry_Read_String(HKLM, Run_Key, name);
}

// Sets PATH for the lifetime of the object.
class Path_Set_To {
public:
    explicit Path_Set_To(const QString& path) : saved_(qgetenv("PATH")) {
        qputenv("PATH", path.toUtf8());
    }
    ~Path_Set_To() { qputenv("PATH", saved_); }

private:
    QByteArray saved_;
};

// The arguments a fake editor was started with, one per line of its output file.
QString wait_for_text(const QString& path) {
    QDeadlineTimer deadline(10000);
    QFile file(path);
    while (!deadline.hasExpired()) {
        if (file.exists() && file.size() > 0 && file.open(QIODevice::ReadOnly))
            return QString::fromUtf8(file.readAll());
        QThread::msleep(20);
    }
    return {};
}

QString enabled_text(const QString& name) {
    return QStringLiteral("This program (") + name +
           QStringLiteral(") will now run automatically at Windows Start-Up.");
}

QString disabled_text(const QString& name) {
    return QStringLiteral("This program (") + name +
           QStringLiteral(") will now no-longer run automatically at Windows Start-Up.");
}

} // namespace

TEST(Auto_Run_Menu, TickFollowsTheEntryOnlyAfterSuccess) {
    Temporary_Home home;
    Executable_In exe(home.scratch(), QStringLiteral("Speed Metrix.bin"));
    const QString path = home.scratch() + QStringLiteral("/Speed Metrix.bin");
    Scripted_Responder boxes;
    TMainForm1 form;
    QAction* entry = form.Auto_Run_at_Windows_Startup_Option;
    ASSERT_FALSE(entry->isChecked());

    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_EQ(run_value(QStringLiteral("Speed Metrix.bin")), path);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(boxes.shown()[0].text, enabled_text(QStringLiteral("Speed Metrix.bin")));

    boxes.clear();
    entry->trigger();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_EQ(run_value(QStringLiteral("Speed Metrix.bin")), QString());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, disabled_text(QStringLiteral("Speed Metrix.bin")));

    // Without a configuration folder the key is missing: the error is shown, the tick stays.
    qputenv("XDG_CONFIG_HOME", (home.scratch() + QStringLiteral("/none")).toUtf8());
    boxes.clear();
    entry->trigger();
    EXPECT_FALSE(entry->isChecked());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Error);
    entry->setChecked(true);
    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
}

TEST(Auto_Run_Check_Location, NoEntrySamePathInAnyCaseOrAnotherPath) {
    Temporary_Home home;
    const QString path = QStringLiteral("/opt/Bench/speedmetrix");
    const QString name = QStringLiteral("speedmetrix");
    Scripted_Responder boxes;

    EXPECT_FALSE(desktop::Auto_Run_Check_Location(path));
    EXPECT_TRUE(boxes.shown().empty());

    ASSERT_TRUE(
        Registry_Write_String(HKLM, Run_Key, name, QStringLiteral("/OPT/bench/SPEEDMETRIX")));
    EXPECT_TRUE(desktop::Auto_Run_Check_Location(path));
    EXPECT_TRUE(boxes.shown().empty());
    // Only ASCII letters fold: a path that differs in another letter is another path.
    ASSERT_TRUE(Registry_Write_String(HKLM, Run_Key, QStringLiteral("\u00e9t\u00e9"),
                                      QStringLiteral("/opt/\u00c9T\u00c9")));
    boxes.queue(Box_Answer::No);
    EXPECT_TRUE(desktop::Auto_Run_Check_Location(QStringLiteral("/opt/\u00e9t\u00e9")));
    EXPECT_EQ(boxes.shown().size(), 1u);

    boxes.clear();
    const QString old = QStringLiteral("/media/usb/speedmetrix");
    ASSERT_TRUE(Registry_Write_String(HKLM, Run_Key, name, old));
    boxes.queue(Box_Answer::No);
    EXPECT_TRUE(desktop::Auto_Run_Check_Location(path));
    EXPECT_EQ(run_value(name), old);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Warning_Question);
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("The directory / path settings required to make this program "
                             "(speedmetrix)\r\nrun automatically at Windows Start-up do not match "
                             "where the program \r\nis currently being run from.\r\n\r\n Old      "
                             "= /media/usb/speedmetrix\r\n Current = /opt/Bench/speedmetrix\r\n\r\n"
                             "Do you want to update the Windows Registry to reflect the programs "
                             "current locaton ?"));

    boxes.clear();
    boxes.queue(Box_Answer::Yes);
    EXPECT_TRUE(desktop::Auto_Run_Check_Location(path));
    EXPECT_EQ(run_value(name), path);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[1].kind, Box_Kind::Information);
    EXPECT_EQ(boxes.shown()[1].text, enabled_text(name));
    EXPECT_EQ(boxes.unanswered(), 0);
}

TEST(Auto_Run_Check_Location, TheWindowAsksAboutItsOwnExecutable) {
    Temporary_Home home;
    Executable_In exe(home.scratch(), QStringLiteral("speedmetrix"));
    Scripted_Responder boxes;
    TMainForm1 form;
    EXPECT_FALSE(form.Auto_Run_Check_Location());
    ASSERT_TRUE(Registry_Write_String(HKLM, Run_Key, QStringLiteral("speedmetrix"),
                                      home.scratch() + QStringLiteral("/speedmetrix")));
    EXPECT_TRUE(form.Auto_Run_Check_Location());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(Always_On_Top, TogglesTheHintKeepingPlaceVisibilityAndActivation) {
    Scripted_Responder boxes;
    QWidget other;
    TMainForm1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.move(123, 145);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QApplication::setActiveWindow(&other);
    const QRect before = form.geometry();
    QAction* entry = form.Always_On_Top_Option;
    ASSERT_FALSE(entry->isChecked());

    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.geometry(), before);
    EXPECT_EQ(QApplication::activeWindow(), &other);

    entry->trigger();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(form.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.geometry(), before);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(Always_On_Top, FirstShowPutsTheStoredTickIntoForce) {
    QTemporaryDir dir;
    smx::test::Executable_In exe{dir.path()};
    {
        QFile settings(dir.filePath(QStringLiteral("Speedmetrix.ini")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Speedmetrix]\nAlways_on_Top_Option=1\n");
    }
    TMainForm1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.Always_On_Top_Option->isChecked());
    EXPECT_TRUE(form.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form.Toggle_Always_On_Top());
    EXPECT_FALSE(form.Always_On_Top_Option->isChecked());
    EXPECT_FALSE(form.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(Always_On_Top, RefusedOnlyWhereTheWindowSystemIgnoresIt) {
    EXPECT_TRUE(Platform_Keeps_Windows_On_Top("xcb"));
    EXPECT_TRUE(Platform_Keeps_Windows_On_Top("offscreen"));
    EXPECT_FALSE(Platform_Keeps_Windows_On_Top("wayland"));
    EXPECT_FALSE(Platform_Keeps_Windows_On_Top("wayland-egl"));
}

TEST(Readme, NamedAfterTheExecutableUpToItsFirstDot) {
    EXPECT_EQ(desktop::Readme_Path(QStringLiteral("/opt/sm/my.bench")),
              QStringLiteral("/opt/sm/my.txt"));
    EXPECT_EQ(desktop::Readme_Path(QStringLiteral("/opt/sm/my.bench.exe")),
              QStringLiteral("/opt/sm/my.txt"));
    EXPECT_EQ(desktop::Readme_Path(QStringLiteral("/opt/s.m/speedmetrix")),
              QStringLiteral("/opt/s.m/speedmetrix.txt"));
}

TEST(Readme, OpenedInTheEditorAsOneIntactArgument) {
    Temporary_Home home;
    const QString dir = home.scratch() + QStringLiteral("/My \"Bench\" it's here");
    ASSERT_TRUE(QDir().mkpath(dir));
    Executable_In exe(dir, QStringLiteral("my.bench"));
    const QString bin = home.scratch() + QStringLiteral("/bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    const QString editor = bin + QStringLiteral("/gedit");
    const QString out = home.scratch() + QStringLiteral("/editor-args");
    {
        QFile script(editor);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"" + out.toUtf8() + "\"\n");
    }
    QFile::setPermissions(editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Path_Set_To path(bin);
    Scripted_Responder boxes;
    TMainForm1 form;

    form.View_Readme_file_Option->trigger();
    EXPECT_EQ(wait_for_text(out), QStringLiteral("1|") + dir + QStringLiteral("/my.txt|"));
    QFile::remove(out);
    form.SpareMenuClick();
    EXPECT_EQ(wait_for_text(out), QStringLiteral("1|") + dir + QStringLiteral("/my.txt|"));
    EXPECT_TRUE(boxes.shown().empty());

    QFile::remove(editor);
    form.View_Readme_file_Option->trigger();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Windows Notepad could not be found."));
}

// An installed copy has no readme beside it: the viewer opens the one in the documentation
// folder, and prefers one beside the program as soon as there is one.
TEST(Readme, AnInstalledCopyOpensTheReadmeOfItsDocumentationFolder) {
    Temporary_Home home;
    const QString prefix = home.scratch() + QStringLiteral("/usr");
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/bin")));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/share/doc/speedmetrix")));
    const QString installed = prefix + QStringLiteral("/share/doc/speedmetrix/speedmetrix.txt");
    QFile(installed).open(QIODevice::WriteOnly);
    Executable_In exe(prefix + QStringLiteral("/bin"));
    const QString bin = home.scratch() + QStringLiteral("/tools");
    ASSERT_TRUE(QDir().mkpath(bin));
    const QString editor = bin + QStringLiteral("/mousepad");
    const QString out = home.scratch() + QStringLiteral("/editor-args");
    {
        QFile script(editor);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"" + out.toUtf8() + "\"\n");
    }
    QFile::setPermissions(editor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Path_Set_To path(bin);
    Scripted_Responder boxes;
    TMainForm1 form;

    form.View_Readme_file_Option->trigger();
    EXPECT_EQ(wait_for_text(out), QStringLiteral("1|") + installed + QLatin1Char('|'));
    const QString beside = prefix + QStringLiteral("/bin/speedmetrix.txt");
    QFile(beside).open(QIODevice::WriteOnly);
    QFile::remove(out);
    form.View_Readme_file_Option->trigger();
    EXPECT_EQ(wait_for_text(out), QStringLiteral("1|") + beside + QLatin1Char('|'));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(Shortcut_Menu, EachEntryMakesItsShortcutAndDeleteAllKeepsThePrograms) {
    Temporary_Home home;
    Executable_In exe(home.scratch(), QStringLiteral("speedmetrix"));
    Scripted_Responder boxes;
    TMainForm1 form;
    const QString desktop = Desktop_Dir() + QStringLiteral("/speedmetrix.desktop");
    const QString start_menu = Applications_Dir() + QStringLiteral("/speedmetrix.desktop");
    const QString programs = Applications_Dir() + QStringLiteral("/Programs/speedmetrix.desktop");
    const QString send_to = Send_To_Dir() + QStringLiteral("/speedmetrix.desktop");

    form.Create_Shortcut_on_Desktop_Option->trigger();
    form.Create_Shortcut_on_Start_Menu_Option->trigger();
    form.Create_Shortcut_on_Start_Programs_Menu_Option->trigger();
    form.Create_Shortcut_on_SendTo_Menu_Option->trigger();
    for (const QString& file : {desktop, start_menu, programs, send_to})
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_FALSE(form.Create_Shortcut_on_SendTo_Menu_Option->isVisible());

    form.Delete_All_Shortcuts_Option->trigger();
    EXPECT_FALSE(QFileInfo::exists(desktop));
    EXPECT_FALSE(QFileInfo::exists(start_menu));
    EXPECT_FALSE(QFileInfo::exists(send_to));
    EXPECT_TRUE(QFileInfo::exists(programs));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Success: All Desktop, Start Menu, and SendTo "
                                                    "shortcuts to \"speedmetrix\" have been "
                                                    "deleted."));
}

// The drawing's dial has an amber hub at its centre and a navy face around it.
TEST(Program_Icon, EveryWindowShowsTheProgramsIconInEachSize) {
    const QIcon saved = QApplication::windowIcon();
    const QString saved_name = QGuiApplication::desktopFileName();
    smx::app::set_program_icon(*qApp);
    const QIcon icon = QApplication::windowIcon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{48, 48}, {128, 128}, {256, 256}}));
    for (int size : {48, 128, 256}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        const QColor hub = image.pixelColor(size / 2, size * 136 / 256);
        EXPECT_GT(hub.red(), 200) << size;
        EXPECT_GT(hub.green(), 150) << size;
        EXPECT_LT(hub.blue(), 90) << size;
        const QColor face = image.pixelColor(size / 2, size * 190 / 256);
        EXPECT_LT(face.red(), 90) << size;
        EXPECT_GT(face.blue(), face.red()) << size;
    }
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("org.speedmetrix.Speedmetrix"));
    // Windows without an icon of their own take the program's.
    smx::dialogs::TAboutBox about;
    EXPECT_EQ(about.windowIcon().cacheKey(), icon.cacheKey());
    QApplication::setWindowIcon(saved);
    QGuiApplication::setDesktopFileName(saved_name);
}
