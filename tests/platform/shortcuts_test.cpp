#include "platform/Desktop_Entry.h"
#include "platform/Message_Boxes.h"
#include "platform/Product.h"
#include "platform/Shortcuts.h"
#include "platform/Xdg_Dirs.h"
#include "qt_printers.h"
#include "temporary_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace smx::platform;
using smx::test::Temporary_Home;

namespace {

const QString kTarget = QStringLiteral("/opt/Speed Bench/speedmetrix.bin");

QString validation_errors(const QString& file) {
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {file});
    if (!validate.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not run");
    if (validate.exitStatus() == QProcess::NormalExit && validate.exitCode() == 0)
        return {};
    return QString::fromUtf8(validate.readAll());
}

struct Folders {
    QString desktop = Desktop_Dir() + QStringLiteral("/speedmetrix.desktop");
    QString start_menu = Applications_Dir() + QStringLiteral("/speedmetrix.desktop");
    QString programs = Applications_Dir() + QStringLiteral("/Programs/speedmetrix.desktop");
    QString send_to = Send_To_Dir() + QStringLiteral("/speedmetrix.desktop");
};

void create_all() {
    Create_Shortcut(kTarget, QStringLiteral("Desktop"), {});
    Create_Shortcut(kTarget, QStringLiteral("Start Menu"), {});
    Create_Shortcut(kTarget, QStringLiteral("Start Menu"), QStringLiteral("Programs"));
    Create_Shortcut(kTarget, QStringLiteral("SendTo"), {});
}

QStringList texts(const Scripted_Responder& boxes) {
    QStringList out;
    for (const auto& box : boxes.shown())
        out << box.text;
    return out;
}

} // namespace

TEST(Shortcuts, OneValidLauncherInEachFolder) {
    Temporary_Home home;
    Scripted_Responder boxes;
    EXPECT_EQ(Shell_Folder_Names(),
              QStringList({QStringLiteral("Desktop"), QStringLiteral("Start Menu"),
                           QStringLiteral("SendTo")}));
    create_all();
    EXPECT_TRUE(boxes.shown().empty()) << texts(boxes).join('\n').toStdString();
    const Folders f;
    for (const QString& file : {f.desktop, f.start_menu, f.programs, f.send_to}) {
        ASSERT_TRUE(QFileInfo::exists(file)) << file.toStdString();
        EXPECT_EQ(validation_errors(file), QString()) << file.toStdString();
        EXPECT_TRUE(QFileInfo(file).isExecutable());
        EXPECT_EQ(Desktop_Entry_Program(file), kTarget);
        const auto keys = Read_Desktop_Entry(file);
        ASSERT_TRUE(keys.has_value());
        EXPECT_EQ(keys->value(QStringLiteral("Type")), QStringLiteral("Application"));
        EXPECT_EQ(keys->value(QStringLiteral("Name")), QStringLiteral("Speedmetrix"));
        // The program's icon and menu place, and no working folder or arguments of its own.
        EXPECT_EQ(keys->value(QStringLiteral("Icon")),
                  QStringLiteral("org.speedmetrix.Speedmetrix"));
        EXPECT_EQ(keys->value(QStringLiteral("Categories")), QStringLiteral("System;Monitor;"));
        EXPECT_EQ(keys->value(QStringLiteral("Comment")), QLatin1String(Product_Comment));
        EXPECT_EQ(keys->size(), 6);
    }
    EXPECT_TRUE(f.desktop.startsWith(home.home() + QStringLiteral("/Desktop/")));
}

TEST(Shortcuts, UnknownFolderNamesAreRefused) {
    Temporary_Home home;
    Scripted_Responder boxes;
    Create_Shortcut(kTarget, QStringLiteral("Programs"), {});
    EXPECT_FALSE(Delete_Shortcut(kTarget, QStringLiteral("desktop"), true));
    EXPECT_FALSE(Delete_Shortcut(kTarget, QStringLiteral("Favorites"), false));
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(boxes.shown()[0].text,
              QStringLiteral("REGISTRY_INC__Create_Shortcut Error: The key \"Programs\" is "
                             "invalid or could not be found in the registry."));
    EXPECT_EQ(boxes.shown()[1].text,
              QStringLiteral("REGISTRY_INC__Delete_Shortcut Error: The key \"desktop\" is "
                             "invalid or could not be found in the registry."));
    EXPECT_EQ(QDir(home.home()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{QStringLiteral(".config")});
}

TEST(Shortcuts, AShortcutThatCannotBeWrittenIsReported) {
    Temporary_Home home;
    Scripted_Responder boxes;
    // The desktop "folder" is a file, so nothing can go into it.
    QFile blocker(home.home() + QStringLiteral("/Desktop"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Create_Shortcut(kTarget, QStringLiteral("Desktop"), {});
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].kind, Box_Kind::Error);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Cannot create file ") + home.home() +
                                         QStringLiteral("/Desktop/speedmetrix.desktop."));
}

TEST(Shortcuts, DeleteOneWithItsMessages) {
    Temporary_Home home;
    Scripted_Responder boxes;
    Create_Shortcut(kTarget, QStringLiteral("Start Menu"), {});
    // Read-only, and nobody holds it open: deleted.
    const Folders f;
    ASSERT_TRUE(QFile::setPermissions(f.start_menu, QFile::ReadOwner));
    EXPECT_TRUE(Delete_Shortcut(kTarget, QStringLiteral("Start Menu"), true));
    EXPECT_FALSE(QFileInfo::exists(f.start_menu));
    EXPECT_FALSE(Delete_Shortcut(kTarget, QStringLiteral("Start Menu"), true));
    EXPECT_EQ(texts(boxes),
              QStringList({QStringLiteral("Success: The \"speedmetrix\" shortcut has been deleted "
                                          "from the \"Start Menu\" menu."),
                           QStringLiteral("Error: The \"speedmetrix\" shortcut could not be "
                                          "found, or it has been renamed in the \"Start Menu\" "
                                          "menu.")}));
}

TEST(Shortcuts, OneHeldOpenByAnotherProcessIsKept) {
    Temporary_Home home;
    Scripted_Responder boxes;
    Create_Shortcut(kTarget, QStringLiteral("Desktop"), {});
    const Folders f;
    QProcess holder;
    holder.setStandardInputFile(f.desktop);
    holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(holder.waitForStarted());
    EXPECT_FALSE(Delete_Shortcut(kTarget, QStringLiteral("Desktop"), true));
    Delete_All_Shortcuts(kTarget, true);
    holder.kill();
    holder.waitForFinished();
    EXPECT_TRUE(QFileInfo::exists(f.desktop));
    EXPECT_EQ(texts(boxes),
              QStringList({QStringLiteral("Error: The \"speedmetrix\" shortcut could not be "
                                          "deleted from the \"Desktop\" menu."),
                           QStringLiteral("No Desktop, Start Menu, or SendTo shortcuts called "
                                          "\"speedmetrix\" could be found !  i.e. they may have "
                                          "been renamed to something else or deleted already.")}));
}

TEST(Shortcuts, DeleteAllLeavesTheProgramsOneAndShowsOnlyItsSummary) {
    Temporary_Home home;
    Scripted_Responder boxes;
    create_all();
    const Folders f;
    Delete_All_Shortcuts(kTarget, true);
    EXPECT_FALSE(QFileInfo::exists(f.desktop));
    EXPECT_FALSE(QFileInfo::exists(f.start_menu));
    EXPECT_FALSE(QFileInfo::exists(f.send_to));
    EXPECT_TRUE(QFileInfo::exists(f.programs));
    EXPECT_EQ(texts(boxes), QStringList{QStringLiteral("Success: All Desktop, Start Menu, and "
                                                       "SendTo shortcuts to \"speedmetrix\" have "
                                                       "been deleted.")});

    // Nothing left to find: only the other summary; silent when messages are off.
    boxes.clear();
    Delete_All_Shortcuts(kTarget, true);
    Delete_All_Shortcuts(kTarget, false);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(
        boxes.shown()[0].text.startsWith(QStringLiteral("No Desktop, Start Menu, or SendTo")));

    // One shortcut is enough for the success message.
    boxes.clear();
    Create_Shortcut(kTarget, QStringLiteral("SendTo"), {});
    Delete_All_Shortcuts(kTarget, true);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(QStringLiteral("Success: All")));
    EXPECT_FALSE(QFileInfo::exists(f.send_to));
}
