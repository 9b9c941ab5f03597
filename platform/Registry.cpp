#include "platform/Registry.h"

#include "platform/Desktop_Entry.h"
#include "platform/Message_Boxes.h"
#include "platform/Product.h"
#include "platform/Xdg_Dirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace smx::platform {
namespace {

enum class Key_Kind { Missing, Run, Shell_Folders };

bool same_key(QString key, QString known) {
    if (!key.startsWith(QLatin1Char('\\')))
        key.prepend(QLatin1Char('\\'));
    return key.compare(known, Qt::CaseInsensitive) == 0;
}

Key_Kind key_kind(Root_Key root, const QString& key) {
    if (same_key(key, Run_Key))
        return QFileInfo(Config_Home()).isDir() ? Key_Kind::Run : Key_Kind::Missing;
    if (root == Root_Key::HKEY_CURRENT_USER && same_key(key, Shell_Folders_Key))
        return Key_Kind::Shell_Folders;
    return Key_Kind::Missing;
}

// What the messages call the key: the folder it stands for, where there is one.
QString key_shown(const QString& key) {
    return same_key(key, Run_Key) ? Autostart_Dir() : key;
}

// A value name becomes a file name; one that cannot be a file name cannot be stored.
bool storable_name(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

const QString kContact = QStringLiteral("\r\n\r\nPlease contact the program's author.");

QString details(const QString& key, const QString& name) {
    return QStringLiteral(" Error Key   = ") + key + QStringLiteral("\r\n") +
           QStringLiteral(" Error Item  = ") + name;
}

void missing_key_error(const QString& details_text) {
    show_error(application_title(),
               QStringLiteral("Error: The specified Registry Key for this operation \r\ndoes NOT "
                              "exist on your PC.  \r\n\r\n") +
                   details_text + kContact);
}

} // namespace

QString Run_Value_File(const QString& name) {
    return Autostart_Dir() + QLatin1Char('/') + name + QStringLiteral(".desktop");
}

QString Registry_Read_String(Root_Key root, const QString& key, const QString& name) {
    switch (key_kind(root, key)) {
    case Key_Kind::Missing:
        return {};
    case Key_Kind::Run:
        return storable_name(name) ? Desktop_Entry_Program(Run_Value_File(name)) : QString();
    case Key_Kind::Shell_Folders:
        if (name.compare(QLatin1String("Desktop"), Qt::CaseInsensitive) == 0)
            return Desktop_Dir();
        if (name.compare(QLatin1String("Start Menu"), Qt::CaseInsensitive) == 0)
            return Applications_Dir();
        if (name.compare(QLatin1String("SendTo"), Qt::CaseInsensitive) == 0)
            return Send_To_Dir();
        return {};
    }
    return {};
}

bool Registry_Write_String(Root_Key root, const QString& key, const QString& name,
                           const QString& value) {
    const Key_Kind kind = key_kind(root, key);
    const QString shown = key_shown(key);
    const QString item =
        details(shown, name) + QStringLiteral("\r\n") + QStringLiteral(" Error Value = ") + value;
    if (kind == Key_Kind::Missing) {
        missing_key_error(item);
        return false;
    }
    if (kind == Key_Kind::Run) {
        // A folder or file that refuses the write is the registry's own failure.
        if (!storable_name(name) || !QDir().mkpath(Autostart_Dir()) ||
            !Write_Desktop_Entry(Run_Value_File(name),
                                 Desktop_Entry_Text(QLatin1String(Product_Name), value), false)) {
            show_general_error(QStringLiteral("Failed to set data for '") + name +
                               QLatin1Char('\''));
            return false;
        }
    }
    // The shell folders are the desktop's; writing leaves them as they are, and the read-back
    // says so.
    if (Registry_Read_String(root, key, name) != value) {
        // An entry that does not run what was asked for must not start anything at log-in.
        if (kind == Key_Kind::Run)
            QFile::remove(Run_Value_File(name));
        show_error(application_title(),
                   QStringLiteral("Error: The required settings could not be created \r\nor "
                                  "saved in the Windows Registry.  \r\n\r\n") +
                       item + kContact);
        return false;
    }
    return true;
}

bool Registry_Delete_Value(Root_Key root, const QString& key, const QString& name) {
    const Key_Kind kind = key_kind(root, key);
    const QString item = details(key_shown(key), name);
    if (kind == Key_Kind::Missing) {
        missing_key_error(item);
        return false;
    }
    bool still_there = false;
    if (kind == Key_Kind::Run) {
        if (storable_name(name)) {
            const QString file = Run_Value_File(name);
            QFile::remove(file);
            still_there = QFileInfo::exists(file) || QFileInfo(file).isSymLink();
        }
    } else {
        still_there = !Registry_Read_String(root, key, name).isEmpty();
    }
    if (still_there) {
        show_error(application_title(),
                   QStringLiteral("Error: The required Registry Key settings \r\ncould not be "
                                  "removed from the Windows Registry.  \r\n\r\n") +
                       item + kContact);
        return false;
    }
    return true;
}

} // namespace smx::platform
