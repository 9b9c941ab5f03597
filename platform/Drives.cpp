#include "platform/Drives.h"
#include "platform/Outside_Text.h"

#include "platform/File_Routines.h"

#include <QDir>
#include <QSet>
#include <unistd.h>

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
    return mount_point.startsWith(QLatin1String("/proc")) ||
           mount_point.startsWith(QLatin1String("/sys")) ||
           mount_point.startsWith(QLatin1String("/dev"));
}

bool is_under(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// tmpfs is storage in memory. The system's own (/run and what lies below it: runtime files,
// locks, the users' sockets; /dev/shm) are no place for test files; one mounted elsewhere that
// the user may write is a RAM disk.
bool is_ram_disk(const QString& mount_point, const std::function<bool(const QString&)>& may_write) {
    return !is_under(mount_point, QStringLiteral("/run")) &&
           !is_under(mount_point, QStringLiteral("/var/run")) && may_write(mount_point);
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

std::vector<Drive> drives_from_mounts(const QString& mounts_text, const QString& home,
                                      const std::function<bool(const QString&)>& may_write) {
    std::vector<Drive> drives;
    drives.push_back(Drive{'c', QDir::cleanPath(home), QStringLiteral("home")});
    // RAM disks come after the other filesystems, so that theirs keep the letters they had
    // before RAM disks were listed (the settings file stores the letter).
    std::vector<Drive> ram_disks;
    const std::function<bool(const QString&)> writable = user_may_write;
    QSet<QString> seen;
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
        // tmpfs at /tmp is where users put files, and stands in mount order as it always did.
        const bool tmpfs = type == QLatin1String("tmpfs");
        if (tmpfs && mount_point != QLatin1String("/tmp") &&
            !is_ram_disk(mount_point, may_write ? may_write : writable))
            continue;
        seen.insert(mount_point);
        QString label = type;
        if (source.startsWith(QLatin1String("/dev/")))
            label = type + QLatin1Char(' ') + source.mid(5);
        (tmpfs && mount_point != QLatin1String("/tmp") ? ram_disks : drives)
            .push_back(Drive{0, mount_point, label});
    }
    drives.insert(drives.end(), ram_disks.begin(), ram_disks.end());
    // d to z: what is left over has no letter.
    if (drives.size() > 24)
        drives.resize(24);
    for (std::size_t i = 1; i < drives.size(); ++i)
        drives[i].letter = static_cast<char>('c' + i);
    return drives;
}

bool user_may_write(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
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
