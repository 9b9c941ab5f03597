#include "platform/Default_Application.h"
#include "platform/Outside_Text.h"

#include "platform/Desktop_Entry.h"
#include "platform/File_Routines.h"
#include "platform/Xdg_Dirs.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace smx::platform {
namespace {

QStringList dirs_from(const char* variable, const QString& fallback) {
    QStringList dirs;
    const QString value = qEnvironmentVariable(variable);
    for (const QString& dir : (value.isEmpty() ? fallback : value).split(QLatin1Char(':')))
        if (QDir::isAbsolutePath(dir))
            dirs << QDir::cleanPath(dir);
    return dirs;
}

QStringList data_dirs() {
    return QStringList{Data_Home()} +
           dirs_from("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
}

QStringList current_desktops() {
    QStringList names;
    for (const QString& name : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':')))
        if (!name.isEmpty())
            names << name.toLower();
    return names;
}

// mimeapps.list files in the order they count.
QStringList mimeapps_lists() {
    QStringList folders =
        QStringList{Config_Home()} + dirs_from("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    for (const QString& dir : data_dirs())
        folders << dir + QStringLiteral("/applications");
    QStringList lists;
    for (const QString& folder : folders) {
        for (const QString& desktop : current_desktops())
            lists << folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        lists << folder + QStringLiteral("/mimeapps.list");
    }
    return lists;
}

// The desktop entry ids a group of a list file gives the type, in order.
QStringList ids_in(const QString& path, const QString& group, const QString& mime_type) {
    const std::optional<QByteArray> text = Read_Outside_Text_File(path);
    if (!text)
        return {};
    bool in_group = false;
    for (QString line : QString::fromUtf8(*text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            in_group = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (!in_group || eq < 0 || line.left(eq).trimmed() != mime_type)
            continue;
        QStringList ids;
        for (const QString& id : line.mid(eq + 1).split(QLatin1Char(';')))
            if (!id.trimmed().isEmpty())
                ids << id.trimmed();
        return ids;
    }
    return {};
}

// An id names applications/<id>, or a subfolder where its "-" stands for "/" (kde-kate.desktop
// is applications/kde/kate.desktop).
QString entry_file(const QString& id) {
    for (const QString& dir : data_dirs()) {
        const QString apps = dir + QStringLiteral("/applications/");
        if (QFileInfo(apps + id).isFile())
            return apps + id;
        for (int dash = id.indexOf(QLatin1Char('-')); dash > 0;
             dash = id.indexOf(QLatin1Char('-'), dash + 1)) {
            QString nested = id;
            nested[dash] = QLatin1Char('/');
            if (QFileInfo(apps + nested).isFile())
                return apps + nested;
        }
    }
    return {};
}

bool is_true(const QString& value) {
    return value == QLatin1String("true");
}

// Whether the entry can open a file here, without a terminal.
bool startable(const QString& path) {
    const auto keys = Read_Desktop_Entry(path);
    if (!keys || keys->value(QStringLiteral("Type")) != QLatin1String("Application") ||
        is_true(keys->value(QStringLiteral("Hidden"))) ||
        is_true(keys->value(QStringLiteral("Terminal"))))
        return false;
    const QString try_exec = keys->value(QStringLiteral("TryExec"));
    if (!try_exec.isEmpty() && QStandardPaths::findExecutable(try_exec).isEmpty())
        return false;
    const auto command =
        Exec_Command_For_File(keys->value(QStringLiteral("Exec")), QStringLiteral("x"));
    return command && !QStandardPaths::findExecutable(command->front()).isEmpty();
}

QString first_startable(const QStringList& ids) {
    for (const QString& id : ids) {
        const QString path = entry_file(id);
        if (!path.isEmpty() && startable(path))
            return path;
    }
    return {};
}

} // namespace

QString Chosen_Default_Application_Entry(const QString& mime_type) {
    for (const QString& list : mimeapps_lists())
        if (QString path =
                first_startable(ids_in(list, QStringLiteral("Default Applications"), mime_type));
            !path.isEmpty())
            return path;
    for (const QString& dir : data_dirs())
        if (QString path =
                first_startable(ids_in(dir + QStringLiteral("/applications/defaults.list"),
                                       QStringLiteral("Default Applications"), mime_type));
            !path.isEmpty())
            return path;
    return {};
}

QString Default_Application_Entry(const QString& mime_type) {
    if (QString path = Chosen_Default_Application_Entry(mime_type); !path.isEmpty())
        return path;
    // No default chosen: the programs that say they handle the type, as the desktop offers them.
    const QStringList lists = mimeapps_lists();
    for (const QString& list : lists)
        if (QString path =
                first_startable(ids_in(list, QStringLiteral("Added Associations"), mime_type));
            !path.isEmpty())
            return path;
    for (const QString& dir : data_dirs())
        if (QString path =
                first_startable(ids_in(dir + QStringLiteral("/applications/mimeinfo.cache"),
                                       QStringLiteral("MIME Cache"), mime_type));
            !path.isEmpty())
            return path;
    return {};
}

std::optional<QStringList> Default_Application_Command(const QString& mime_type,
                                                       const QString& file) {
    return Application_Command(Default_Application_Entry(mime_type), file);
}

std::optional<QStringList> Application_Command(const QString& entry, const QString& file) {
    if (entry.isEmpty())
        return std::nullopt;
    const auto keys = Read_Desktop_Entry(entry);
    if (!keys)
        return std::nullopt;
    auto command = Exec_Command_For_File(keys->value(QStringLiteral("Exec")), file);
    if (command)
        (*command)[0] = QStandardPaths::findExecutable(command->front());
    return command;
}

} // namespace smx::platform
