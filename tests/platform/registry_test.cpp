#include "platform/Desktop_Entry.h"
#include "platform/Message_Boxes.h"
#include "platform/Registry.h"
#include "platform/Xdg_Dirs.h"
#include "qt_printers.h"
#include "temporary_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace smx::platform;
using smx::test::Temporary_Home;

namespace {

const auto HKLM = Root_Key::HKEY_LOCAL_MACHINE;
const auto HKCU = Root_Key::HKEY_CURRENT_USER;

QString missing_key_text(const QString& key, const QString& name, const QString* value) {
    QString text = QStringLiteral("Error: The specified Registry Key for this operation \r\ndoes "
                                  "NOT exist on your PC.  \r\n\r\n Error Key   = ") +
                   key + QStringLiteral("\r\n Error Item  = ") + name;
    if (value)
        text += QStringLiteral("\r\n Error Value = ") + *value;
    return text + QStringLiteral("\r\n\r\nPlease contact the program's author.");
}

} // namespace

TEST(Registry_Run_Key, WriteReadDeleteThroughTheAutostartFolder) {
    Temporary_Home home;
    Scripted_Responder boxes;
    const QString path = QStringLiteral("/opt/My Bench/speedmetrix");
    const QString file = home.home() + QStringLiteral("/.config/autostart/speedmetrix.desktop");

    EXPECT_EQ(Registry_Read_String(HKLM, Run_Key, QStringLiteral("speedmetrix")), QString());
    ASSERT_TRUE(Registry_Write_String(HKLM, Run_Key, QStringLiteral("speedmetrix"), path));
    EXPECT_EQ(Run_Value_File(QStringLiteral("speedmetrix")), file);
    EXPECT_TRUE(QFileInfo::exists(file));
    // The log-in entry shows the program's own name and icon in the session settings.
    const auto keys = Read_Desktop_Entry(file);
    ASSERT_TRUE(keys.has_value());
    EXPECT_EQ(keys->value(QStringLiteral("Name")), QStringLiteral("Speedmetrix"));
    EXPECT_EQ(keys->value(QStringLiteral("Icon")), QStringLiteral("org.speedmetrix.Speedmetrix"));
    EXPECT_EQ(keys->value(QStringLiteral("Categories")), QStringLiteral("System;Monitor;"));
    EXPECT_EQ(Desktop_Entry_Program(file), path);
    // Key paths are matched as the registry does: any case, with or without the backslash.
    EXPECT_EQ(Registry_Read_String(HKLM,
                                   QStringLiteral("SOFTWARE\\microsoft\\windows\\"
                                                  "currentversion\\run"),
                                   QStringLiteral("speedmetrix")),
              path);
    // Overwriting keeps one entry with the new data.
    ASSERT_TRUE(Registry_Write_String(HKLM, Run_Key, QStringLiteral("speedmetrix"),
                                      QStringLiteral("/usr/local/bin/speedmetrix")));
    EXPECT_EQ(Registry_Read_String(HKLM, Run_Key, QStringLiteral("speedmetrix")),
              QStringLiteral("/usr/local/bin/speedmetrix"));
    EXPECT_EQ(
        QDir(home.home() + QStringLiteral("/.config/autostart")).entryList(QDir::Files).size(), 1);

    ASSERT_TRUE(Registry_Delete_Value(HKLM, Run_Key, QStringLiteral("speedmetrix")));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(Registry_Read_String(HKLM, Run_Key, QStringLiteral("speedmetrix")), QString());
    // A value that is not there is gone: deleting it again succeeds.
    EXPECT_TRUE(Registry_Delete_Value(HKLM, Run_Key, QStringLiteral("speedmetrix")));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(Registry_Run_Key, MissingKeyIsReportedAndNothingIsCreated) {
    Temporary_Home home;
    const QString config = home.scratch() + QStringLiteral("/no such config");
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    Scripted_Responder boxes;
    const QString value = QStringLiteral("/opt/sm/speedmetrix");
    const QString key = config + QStringLiteral("/autostart");

    EXPECT_FALSE(Registry_Write_String(HKLM, Run_Key, QStringLiteral("speedmetrix"), value));
    EXPECT_FALSE(Registry_Delete_Value(HKLM, Run_Key, QStringLiteral("speedmetrix")));
    EXPECT_EQ(Registry_Read_String(HKLM, Run_Key, QStringLiteral("speedmetrix")), QString());
    EXPECT_FALSE(QFileInfo::exists(config));
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Error);
    EXPECT_EQ(boxes.shown()[0].text, missing_key_text(key, QStringLiteral("speedmetrix"), &value));
    EXPECT_EQ(boxes.shown()[1].kind, Box_Kind::Error);
    EXPECT_EQ(boxes.shown()[1].text, missing_key_text(key, QStringLiteral("speedmetrix"), nullptr));

    // A key the program does not know does not exist either; its messages show it as given.
    boxes.clear();
    EXPECT_FALSE(
        Registry_Write_String(HKCU, QStringLiteral("Software\\Other"), QStringLiteral("v"), value));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text,
              missing_key_text(QStringLiteral("Software\\Other"), QStringLiteral("v"), &value));
}

TEST(Registry_Run_Key, RefusedWritesAndDeletionsLeaveNoFalseSuccess) {
    Temporary_Home home;
    Scripted_Responder boxes;
    const QString autostart = home.home() + QStringLiteral("/.config/autostart");

    // A value that the file cannot hold reads back different (a lone surrogate is not UTF-8).
    const QString unstorable = QStringLiteral("/opt/x") + QChar(0xD800);
    EXPECT_FALSE(Registry_Write_String(HKLM, Run_Key, QStringLiteral("sm"), unstorable));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Error);
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("Error: The required settings could not be created \r\nor saved in "
                             "the Windows Registry.  \r\n\r\n Error Key   = ") +
                  autostart + QStringLiteral("\r\n Error Item  = sm\r\n Error Value = ") +
                  unstorable + QStringLiteral("\r\n\r\nPlease contact the program's author."));
    // The entry that does not run what was asked for is not left behind.
    EXPECT_EQ(QDir(autostart).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

    // An entry that cannot be replaced ends the command with the general error.
    boxes.clear();
    ASSERT_TRUE(QDir().mkpath(autostart + QStringLiteral("/sm.desktop/inside")));
    EXPECT_FALSE(Registry_Write_String(HKLM, Run_Key, QStringLiteral("sm"), QStringLiteral("/x")));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Error);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Failed to set data for 'sm'."));

    // ... and it cannot be removed either.
    boxes.clear();
    EXPECT_FALSE(Registry_Delete_Value(HKLM, Run_Key, QStringLiteral("sm")));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("Error: The required Registry Key settings \r\ncould not be removed "
                             "from the Windows Registry.  \r\n\r\n Error Key   = ") +
                  autostart +
                  QStringLiteral("\r\n Error Item  = sm\r\n\r\nPlease contact the program's "
                                 "author."));

    // An autostart "folder" that is a file cannot take the entry.
    boxes.clear();
    ASSERT_TRUE(QDir(autostart).removeRecursively());
    QFile blocker(autostart);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(Registry_Write_String(HKLM, Run_Key, QStringLiteral("sm"), QStringLiteral("/x")));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Failed to set data for 'sm'."));
}

TEST(Registry_Shell_Folders, NameTheDesktopMenuAndSendToFolders) {
    Temporary_Home home;
    Scripted_Responder boxes;
    EXPECT_EQ(Registry_Read_String(HKCU, Shell_Folders_Key, QStringLiteral("Desktop")),
              home.home() + QStringLiteral("/Desktop"));
    EXPECT_EQ(Registry_Read_String(HKCU, Shell_Folders_Key, QStringLiteral("Start Menu")),
              home.home() + QStringLiteral("/.local/share/applications"));
    EXPECT_EQ(Registry_Read_String(HKCU,
                                   QStringLiteral("Software\\MicroSoft\\Windows\\CurrentVersion\\"
                                                  "Explorer\\Shell Folders"),
                                   QStringLiteral("SendTo")),
              Send_To_Dir());
    EXPECT_EQ(Registry_Read_String(HKCU, Shell_Folders_Key, QStringLiteral("Favorites")),
              QString());
    // They belong to the desktop: a write does not take.
    EXPECT_FALSE(Registry_Write_String(HKCU, Shell_Folders_Key, QStringLiteral("Desktop"),
                                       QStringLiteral("/elsewhere")));
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(
        QStringLiteral("Error: The required settings could not be created")));
}
