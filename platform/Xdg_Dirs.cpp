#include "platform/Xdg_Dirs.h"
#include "platform/Outside_Text.h"

#include "platform/File_Routines.h"

#include <QDir>
#include <QStringList>

namespace smx::platform {
namespace {

QString absolute_env_or(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    // Relative paths are to be ignored, by the base directory rules.
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : fallback;
}

// user-dirs.dirs values are shell strings: "$HOME/Desktop" or "/abs/path", with backslash
// escapes.
QString shell_unquote(const QString& quoted) {
    QString out;
    for (int i = 0; i < quoted.size(); ++i) {
        if (quoted[i] == QLatin1Char('\\') && i + 1 < quoted.size())
            out += quoted[++i];
        else
            out += quoted[i];
    }
    return out;
}

} // namespace

QString Home_Dir() {
    return QDir::cleanPath(QDir::homePath());
}

QString Config_Home() {
    return absolute_env_or("XDG_CONFIG_HOME", Home_Dir() + QStringLiteral("/.config"));
}

QString Data_Home() {
    return absolute_env_or("XDG_DATA_HOME", Home_Dir() + QStringLiteral("/.local/share"));
}

QString Autostart_Dir() {
    return Config_Home() + QStringLiteral("/autostart");
}

QString Applications_Dir() {
    return Data_Home() + QStringLiteral("/applications");
}

QString Send_To_Dir() {
    return Data_Home() + QStringLiteral("/Thunar/sendto");
}

QString Desktop_Dir_From_User_Dirs(const QString& text, const QString& home) {
    QString found;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (!line.startsWith(QLatin1String("XDG_DESKTOP_DIR=")))
            continue;
        QString value = line.mid(16);
        if (value.size() < 2 || !value.startsWith(QLatin1Char('"')) ||
            !value.endsWith(QLatin1Char('"')))
            continue;
        value = shell_unquote(value.mid(1, value.size() - 2));
        if (value == QLatin1String("$HOME"))
            found = home;
        else if (value.startsWith(QLatin1String("$HOME/")))
            found = home + value.mid(5);
        else if (value.startsWith(QLatin1Char('/')))
            found = value;
        else
            continue;
        found = QDir::cleanPath(found);
    }
    return found;
}

QString Desktop_Dir() {
    QString dir;
    if (const auto text = Read_Outside_Text_File(Config_Home() + QStringLiteral("/user-dirs.dirs")))
        dir = Desktop_Dir_From_User_Dirs(QString::fromUtf8(*text), Home_Dir());
    return dir.isEmpty() ? Home_Dir() + QStringLiteral("/Desktop") : dir;
}

} // namespace smx::platform
