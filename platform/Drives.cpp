#include "platform/Drives.h"

#include "platform/File_Routines.h"

#include <QDir>
#include <QSet>

namespace smx::platform {
namespace {
std::optional<std::vector<Drive>>& table_override() {
    static std::optional<std::vector<Drive>> table;
    return table;
}

bool is_pseudo_filesystem(const QString& type, const QString& mount_point) {
    static const QSet<QString> pseudo = {QStringLiteral("proc"),
                                         QStringLiteral("sysfs"),
                                         QStringLiteral("cgroup"),
                                         QStringLiteral("cgroup2"),
                                         QStringLiteral("devpts"),
                                         QStringLiteral("devtmpfs"),
                                         QStringLiteral("mqueue"),
                                         QStringLiteral("debugfs"),
                                         QStringLiteral("tracefs"),
                                         QStringLiteral("securityfs"),
                                         QStringLiteral("pstore"),
                                         QStringLiteral("bpf"),
                                         QStringLiteral("autofs"),
                                         QStringLiteral("hugetlbfs"),
                                         QStringLiteral("configfs"),
                                         QStringLiteral("fusectl"),
                                         QStringLiteral("binfmt_misc"),
                                         QStringLiteral("rpc_pipefs"),
                                         QStringLiteral("nsfs"),
                                         QStringLiteral("efivarfs"),
                                         QStringLiteral("selinuxfs"),
                                         QStringLiteral("ramfs"),
                                         QStringLiteral("fuse.gvfsd-fuse"),
                                         QStringLiteral("fuse.portal"),
                                         QStringLiteral("squashfs"),
                                         QStringLiteral("nfsd")};
    if (pseudo.contains(type))
        return true;
    // tmpfs is only storage worth testing where users put files: /tmp.
    if (type == QLatin1String("tmpfs"))
        return mount_point != QLatin1String("/tmp");
    return mount_point.startsWith(QLatin1String("/proc")) ||
           mount_point.startsWith(QLatin1String("/sys")) ||
           mount_point.startsWith(QLatin1String("/dev"));
}

int octal_digit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('7') ? c.unicode() - u'0' : -1;
}

// /proc/mounts escapes blanks and a few other characters as a backslash and three octal digits,
// one byte's value. Anything else after a backslash (a sign, a blank, fewer digits) is no escape
// and stays as it is.
QString unescape_mount_field(const QString& field) {
    QString out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == QLatin1Char(0x5c) && i + 3 < field.size()) {
            const int a = octal_digit(field[i + 1]);
            const int b = octal_digit(field[i + 2]);
            const int c = octal_digit(field[i + 3]);
            if (a >= 0 && b >= 0 && c >= 0 && a <= 3) {
                out += QChar(a * 64 + b * 8 + c);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}
} // namespace

std::vector<Drive> drives_from_mounts(const QString& mounts_text, const QString& home) {
    std::vector<Drive> drives;
    drives.push_back(Drive{'c', QDir::cleanPath(home), QStringLiteral("home")});
    QSet<QString> seen;
    char next = 'd';
    const auto lines = mounts_text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const auto fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 3)
            continue;
        const QString source = unescape_mount_field(fields[0]);
        const QString mount_point = unescape_mount_field(fields[1]);
        const QString& type = fields[2];
        if (is_pseudo_filesystem(type, mount_point) || seen.contains(mount_point))
            continue;
        seen.insert(mount_point);
        if (next > 'z')
            break;
        QString label = type;
        if (source.startsWith(QLatin1String("/dev/")))
            label = type + QLatin1Char(' ') + source.mid(5);
        drives.push_back(Drive{next++, mount_point, label});
    }
    return drives;
}

std::vector<Drive> drive_table() {
    if (table_override())
        return *table_override();
    QString text;
    if (const auto mounts = Read_Outside_Text_File(QStringLiteral("/proc/self/mounts")))
        text = QString::fromLocal8Bit(*mounts);
    return drives_from_mounts(text, QDir::homePath());
}

std::optional<Drive> find_drive(char letter) {
    const char lower = lower_drive_letter(letter);
    for (const Drive& d : drive_table())
        if (d.letter == lower)
            return d;
    return std::nullopt;
}

void set_drive_table_override(std::optional<std::vector<Drive>> table) {
    table_override() = std::move(table);
}

} // namespace smx::platform
