#include "platform/Desktop_Entry.h"
#include "platform/Outside_Text.h"

#include "platform/File_Routines.h"
#include "platform/Ini_File.h"
#include "platform/Product.h"

#include <QFile>

namespace smx::platform {
namespace {

// The escapes of a string value; they apply before the Exec quoting rules.
QString escape_string(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    // A leading blank would be taken for the space around "=".
    if (out.startsWith(QLatin1Char(' ')))
        out.replace(0, 1, QLatin1String("\\s"));
    return out;
}

QString unescape_string(const QString& stored) {
    QString out;
    out.reserve(stored.size());
    for (int i = 0; i < stored.size(); ++i) {
        if (stored[i] != QLatin1Char('\\') || i + 1 == stored.size()) {
            out += stored[i];
            continue;
        }
        const QChar next = stored[++i];
        switch (next.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            out += QLatin1Char('\\');
            out += next;
        }
    }
    return out;
}

bool is_field_code(const QString& arg) {
    return arg.size() == 2 && arg[0] == QLatin1Char('%') &&
           QStringLiteral("fFuUdDnNickvm").contains(arg[1]);
}

} // namespace

QString Exec_Value_For(const QString& program) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return escape_string(quoted);
}

namespace {

// The arguments as the quoting rules give them, field codes and "%%" still in place.
std::optional<QStringList> split_exec_arguments(const QString& stored_value) {
    const QString exec = unescape_string(stored_value);
    QStringList args;
    QString current;
    bool in_arg = false;
    for (int i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c == QLatin1Char('"')) {
            in_arg = true;
            for (++i;; ++i) {
                if (i == exec.size())
                    return std::nullopt;
                if (exec[i] == QLatin1Char('"'))
                    break;
                if (exec[i] == QLatin1Char('\\') && i + 1 < exec.size() &&
                    QStringLiteral("\"`$\\").contains(exec[i + 1]))
                    ++i;
                current += exec[i];
            }
        } else if (c == QLatin1Char('\'')) {
            in_arg = true;
            const int end = exec.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return std::nullopt;
            current += exec.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (in_arg)
                args << current;
            current.clear();
            in_arg = false;
        } else {
            in_arg = true;
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                ++i;
            current += exec[i];
        }
    }
    if (in_arg)
        args << current;
    return args;
}

bool is_file_code(const QString& arg) {
    return arg.size() == 2 && arg[0] == QLatin1Char('%') && QStringLiteral("fFuU").contains(arg[1]);
}

} // namespace

std::optional<QStringList> Split_Exec_Value(const QString& stored_value) {
    const std::optional<QStringList> args = split_exec_arguments(stored_value);
    if (!args)
        return std::nullopt;
    QStringList result;
    for (QString arg : *args) {
        if (is_field_code(arg))
            continue;
        result << arg.replace(QLatin1String("%%"), QLatin1String("%"));
    }
    return result;
}

std::optional<QStringList> Exec_Command_For_File(const QString& stored_value, const QString& file) {
    const std::optional<QStringList> args = split_exec_arguments(stored_value);
    if (!args || args->isEmpty() || is_field_code(args->front()))
        return std::nullopt;
    QStringList result;
    bool placed = false;
    for (QString arg : *args) {
        if (is_file_code(arg)) {
            if (!placed)
                result << file;
            placed = true;
        } else if (!is_field_code(arg)) {
            result << arg.replace(QLatin1String("%%"), QLatin1String("%"));
        }
    }
    // A program that names no place for files still gets the file, after its own arguments.
    if (!placed)
        result << file;
    return result;
}

QString Desktop_Entry_Text(const QString& name, const QString& program) {
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=") + escape_string(name) +
           QStringLiteral("\nComment=") + QLatin1String(Product_Comment) +
           QStringLiteral("\nIcon=") + QLatin1String(Product_Icon_Name) +
           QStringLiteral("\nCategories=") + QLatin1String(Product_Categories) +
           QStringLiteral("\nExec=") + Exec_Value_For(program) + QLatin1Char('\n');
}

std::optional<QHash<QString, QString>> Read_Desktop_Entry(const QString& path) {
    const std::optional<QByteArray> bytes = Read_Outside_Text_File(path);
    if (!bytes)
        return std::nullopt;
    QHash<QString, QString> keys;
    bool in_group = false;
    bool found = false;
    const QString text = QString::fromUtf8(*bytes);
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            in_group = trimmed == QLatin1String("[Desktop Entry]");
            found = found || in_group;
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (!in_group || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        // Only the blanks after "=" are layout; trailing ones belong to the value.
        QString value = line.mid(eq + 1);
        while (value.startsWith(QLatin1Char(' ')) || value.startsWith(QLatin1Char('\t')))
            value.remove(0, 1);
        if (!keys.contains(key))
            keys.insert(key, value);
    }
    if (!found)
        return std::nullopt;
    return keys;
}

QString Desktop_Entry_Program(const QString& path) {
    const auto keys = Read_Desktop_Entry(path);
    if (!keys)
        return {};
    // Desktops switch an entry off in place instead of deleting it.
    if (keys->value(QStringLiteral("Hidden")) == QLatin1String("true") ||
        keys->value(QStringLiteral("X-GNOME-Autostart-enabled")) == QLatin1String("false"))
        return {};
    const QString exec = keys->value(QStringLiteral("Exec"));
    const auto args = Split_Exec_Value(exec);
    if (args && args->size() == 1)
        return args->front();
    if (!args || args->isEmpty())
        return {};
    return unescape_string(exec);
}

bool Write_Desktop_Entry(const QString& path, const QString& text, bool executable) {
    // As the data files are written: atomically, and never through a dangling link or into a
    // FIFO, a device or a directory.
    if (!Ini_Replace_File_Unlocked(path, text.toUtf8()))
        return false;
    auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (executable)
        permissions |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    return QFile::setPermissions(path, permissions);
}

} // namespace smx::platform
