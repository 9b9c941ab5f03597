#include "platform/Shortcuts.h"

#include "platform/Desktop_Entry.h"
#include "platform/File_Routines.h"
#include "platform/Message_Boxes.h"
#include "platform/Product.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFileInfo>

namespace smx::platform {
namespace {

QString folder_path(const QString& folder_name) {
    if (!Shell_Folder_Names().contains(folder_name))
        return {};
    return Registry_Read_String(Root_Key::HKEY_CURRENT_USER, Shell_Folders_Key, folder_name);
}

void invalid_key(const QString& routine, const QString& folder_name) {
    show_information(application_title(), QStringLiteral("REGISTRY_INC__") + routine +
                                              QStringLiteral(" Error: The key \"") + folder_name +
                                              QStringLiteral("\" is invalid or could not be found "
                                                             "in the registry."));
}

} // namespace

const QStringList& Shell_Folder_Names() {
    static const QStringList names{QStringLiteral("Desktop"), QStringLiteral("Start Menu"),
                                   QStringLiteral("SendTo")};
    return names;
}

QString Shortcut_File_Name(const QString& target_path) {
    // The same name that deletion looks for, so every shortcut made can be found again.
    return File_Name_Without_Extension(target_path) + QStringLiteral(".desktop");
}

void Create_Shortcut(const QString& target_path, const QString& folder_name,
                     const QString& subfolder) {
    const QString folder = folder_path(folder_name);
    if (folder.isEmpty()) {
        invalid_key(QStringLiteral("Create_Shortcut"), folder_name);
        return;
    }
    const QString dir = subfolder.isEmpty() ? folder : folder + QLatin1Char('/') + subfolder;
    const QString file = dir + QLatin1Char('/') + Shortcut_File_Name(target_path);
    // A fresh account may not have the menu or desktop folder yet.
    if (!QDir().mkpath(dir) ||
        !Write_Desktop_Entry(file, Desktop_Entry_Text(QLatin1String(Product_Name), target_path),
                             true))
        show_general_error(QStringLiteral("Cannot create file ") + file);
}

bool Delete_Shortcut(const QString& target_path, const QString& folder_name, bool show_messages) {
    auto say = [&](const QString& text) {
        if (show_messages)
            show_information(application_title(), text);
    };
    if (!Shell_Folder_Names().contains(folder_name)) {
        if (show_messages)
            invalid_key(QStringLiteral("Delete_Shortcut"), folder_name);
        return false;
    }
    const QString link_name = File_Name_Without_Extension(target_path);
    const QString file =
        folder_path(folder_name) + QLatin1Char('/') + link_name + QStringLiteral(".desktop");
    if (!QFileInfo::exists(file)) {
        say(QStringLiteral("Error: The \"") + link_name +
            QStringLiteral("\" shortcut could not be found, or it has been renamed in the \"") +
            folder_name + QStringLiteral("\" menu."));
        return false;
    }
    if (Delete_File_If_Closed(file)) {
        say(QStringLiteral("Success: The \"") + link_name +
            QStringLiteral("\" shortcut has been deleted from the \"") + folder_name +
            QStringLiteral("\" menu."));
        return true;
    }
    say(QStringLiteral("Error: The \"") + link_name +
        QStringLiteral("\" shortcut could not be deleted from the \"") + folder_name +
        QStringLiteral("\" menu."));
    return false;
}

void Delete_All_Shortcuts(const QString& target_path, bool show_messages) {
    bool any = false;
    for (const QString& folder : Shell_Folder_Names())
        any = Delete_Shortcut(target_path, folder, false) || any;
    if (!show_messages)
        return;
    const QString link_name = File_Name_Without_Extension(target_path);
    if (any)
        show_information(application_title(),
                         QStringLiteral("Success: All Desktop, Start Menu, and SendTo shortcuts "
                                        "to \"") +
                             link_name + QStringLiteral("\" have been deleted."));
    else
        show_information(application_title(),
                         QStringLiteral("No Desktop, Start Menu, or SendTo shortcuts called \"") +
                             link_name +
                             QStringLiteral("\" could be found !  i.e. they may have been renamed "
                                            "to something else or deleted already."));
}

} // namespace smx::platform
