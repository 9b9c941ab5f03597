#include "platform/File_Routines.h"

#include "platform/Default_Application.h"
#include "platform/Ini_File.h"
#include "platform/Message_Boxes.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace smx::platform {
namespace {

// The title of every information box of the program.
QString information_title() {
    return QStringLiteral("Information");
}

// Graphical text editors of the common Debian desktops, in the order they are looked for on
// PATH (docs/DESKTOP.md).
constexpr const char* Text_Editors[] = {
    "gnome-text-editor", "gedit", "kwrite", "kate", "mousepad", "pluma", "xed",
    "featherpad",        "geany", "leafpad"};

// Whether a process other than this one has a descriptor on the file. Only the processes whose
// descriptor tables we may read are seen: those of our own user (all of them for root). Our own
// descriptors do not count: the program keeps none of these files open between calls, and a
// file it has open itself would not stop it from deleting or rewriting it.
// Calls `visit` with the status of every file that a process other than this one holds open,
// until `visit` returns false.
template <typename Visit> void for_each_file_open_elsewhere(Visit visit) {
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return;
    const pid_t self = ::getpid();
    bool more = true;
    while (more) {
        const dirent* entry = ::readdir(proc);
        if (!entry)
            break;
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == self)
            continue;
        const std::string fd_dir = std::string("/proc/") + entry->d_name + "/fd";
        DIR* fds = ::opendir(fd_dir.c_str());
        if (!fds)
            continue; // another user's process, or gone meanwhile
        const int fds_fd = ::dirfd(fds);
        while (const dirent* fd = ::readdir(fds)) {
            if (fd->d_name[0] == '.')
                continue;
            struct stat st {};
            // The descriptor's link leads to the open file itself, even a renamed one.
            if (::fstatat(fds_fd, fd->d_name, &st, 0) == 0 && !visit(st)) {
                more = false;
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
}

bool held_by_another_process(dev_t dev, ino_t ino) {
    bool held = false;
    for_each_file_open_elsewhere([&](const struct stat& st) {
        held = st.st_dev == dev && st.st_ino == ino;
        return !held;
    });
    return held;
}

QString not_reachable_or_error(int error) {
    switch (error) {
    case EACCES:
    case ELOOP:
    case ENAMETOOLONG:
    case EIO:
    case ENXIO:
    case ENODEV:
    case ESTALE:
    case ENOMEDIUM:
        return QStringLiteral("NOT FOUND");
    default:
        return QStringLiteral("ERROR");
    }
}

} // namespace

QString Get_File_Open_State(const QString& path) {
    // Paths of any length are tested: answering "CLOSED" without looking would let a file that
    // is in use be deleted.
    if (path.isEmpty())
        return {};
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return not_reachable_or_error(errno);
    }
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("ERROR");
    // As with an exclusive read-write open: the file must be readable and writable (a file
    // marked read-only is not, whoever asks).
    const int fd = ::open(name.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("NOT FOUND"); // vanished since the look above
        // The path was reached: a file we may not read is denied access, not missing.
        if (errno == EACCES)
            return QStringLiteral("ERROR");
        return not_reachable_or_error(errno);
    }
    ::close(fd);
    if ((st.st_mode & S_IWUSR) == 0 || ::access(name.constData(), W_OK) != 0)
        return QStringLiteral("ERROR");
    return held_by_another_process(st.st_dev, st.st_ino) ? QStringLiteral("OPEN")
                                                         : QStringLiteral("CLOSED");
}

bool Set_File_Attributes(const QString& path, bool read_only, bool archive, bool system,
                         bool hidden) {
    // Read-only is the absence of write permission; hidden, system and archive do not exist
    // here, so asking for them set cannot read back as asked. A file that is not read-only can
    // be opened for reading and writing by its owner, as a plain file can elsewhere.
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (path.isEmpty() || ::stat(name.constData(), &st) != 0)
        return false;
    const mode_t mode = st.st_mode & 07777;
    const mode_t wanted = read_only ? (mode & ~mode_t(0222)) : (mode | S_IRUSR | S_IWUSR);
    if (wanted != mode)
        ::chmod(name.constData(), wanted);
    if (::stat(name.constData(), &st) != 0)
        return false;
    const bool now_read_only = (st.st_mode & S_IWUSR) == 0;
    return now_read_only == read_only && !archive && !system && !hidden;
}

bool Delete_File_If_Closed(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (path.isEmpty() || ::lstat(name.constData(), &st) != 0)
        return false;
    // A link is deleted as a link: the file it points to keeps its permissions.
    const bool link = S_ISLNK(st.st_mode);
    if (!link)
        Set_File_Attributes(path, false, false, false, false);
    if (Get_File_Open_State(path) != QLatin1String("CLOSED")) {
        // Left in place, and as it was.
        if (!link)
            ::chmod(name.constData(), st.st_mode & 07777);
        return false;
    }
    ::unlink(name.constData());
    return ::lstat(name.constData(), &st) != 0 && errno == ENOENT;
}

int Delete_Closed_Files_In(const QString& folder,
                           const std::function<bool(const char* name)>& matches) {
    const QByteArray path = QFile::encodeName(folder);
    const int dir_fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0)
        return 0;
    DIR* dir = ::fdopendir(dir_fd);
    if (!dir) {
        ::close(dir_fd);
        return 0;
    }
    struct Candidate {
        std::string name;
        dev_t dev;
        ino_t ino;
    };
    std::vector<Candidate> candidates;
    const uid_t me = ::geteuid();
    while (const dirent* entry = ::readdir(dir)) {
        if (!matches(entry->d_name))
            continue;
        struct stat st {};
        // Links, other kinds of file and other users' files are not ours to remove.
        if (::fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == me)
            candidates.push_back({entry->d_name, st.st_dev, st.st_ino});
    }
    int removed = 0;
    if (!candidates.empty()) {
        // One look at every other process's open files for all candidates (tens of thousands
        // after a killed run), rather than one for each.
        std::vector<std::pair<dev_t, ino_t>> open_files;
        const dev_t dev = candidates.front().dev;
        for_each_file_open_elsewhere([&](const struct stat& st) {
            if (st.st_dev == dev && S_ISREG(st.st_mode))
                open_files.emplace_back(st.st_dev, st.st_ino);
            return true;
        });
        std::sort(open_files.begin(), open_files.end());
        for (const Candidate& c : candidates) {
            if (std::binary_search(open_files.begin(), open_files.end(), std::pair{c.dev, c.ino}))
                continue;
            struct stat st {};
            // Still the file looked at, and still closed to this process's knowledge.
            if (::fstatat(dir_fd, c.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(st.st_mode) && st.st_dev == c.dev && st.st_ino == c.ino &&
                ::unlinkat(dir_fd, c.name.c_str(), 0) == 0)
                ++removed;
        }
    }
    ::closedir(dir); // closes dir_fd too
    return removed;
}

QString Replace_All_Text(QString text, const QString& search, const QString& replacement) {
    if (text.isEmpty() || search.isEmpty())
        return text;
    if (replacement.contains(search)) {
        // Through a placeholder, so that a replacement is never found again.
        const QString placeholder = QStringLiteral("\001\002\003\004\005\001");
        text.replace(search, placeholder);
        text.replace(placeholder, replacement);
        return text;
    }
    // Repeatedly replace the first occurrence: a replacement may join with what is around it
    // into a new occurrence, which is replaced in turn. Done in one pass: characters move from
    // the input to the output; when the output ends in the search text, that text is dropped
    // and the replacement goes back to the input, so that it is looked at again together with
    // what stands before it. The first occurrence to end is the first to start, as all have the
    // same length. The limits make sure it ends, also for a text that would keep growing.
    constexpr qsizetype Max_Replacements = qsizetype(1) << 22;
    constexpr qsizetype Max_Length = qsizetype(1) << 24;
    const qsizetype n = search.size();
    std::vector<QChar> input(text.crbegin(), text.crend()); // next character at the back
    QString out;
    out.reserve(text.size());
    qsizetype replacements = 0;
    while (!input.empty()) {
        out.append(input.back());
        input.pop_back();
        if (out.size() < n || out.back() != search.back() || QStringView(out).right(n) != search)
            continue;
        if (++replacements > Max_Replacements ||
            out.size() + qsizetype(input.size()) - n + replacement.size() > Max_Length) {
            break; // left as it stands from here on
        }
        out.chop(n);
        input.insert(input.end(), replacement.crbegin(), replacement.crend());
    }
    for (auto it = input.crbegin(); it != input.crend(); ++it)
        out.append(*it);
    return out;
}

QString File_Name_Without_Extension(const QString& path) {
    // The extension is the text from the last "." on, and every occurrence of it goes:
    // "a.exe.exe" gives "a", and a name that is all extension (".hidden") gives nothing.
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return name;
    return Replace_All_Text(name, name.mid(dot), QString());
}

void View_File_With_Notepad(const QString& path) {
    const QString plain_text = QStringLiteral("text/plain");
    // The default chosen for plain text (the user's own first), else a known editor, else what
    // an installed program says it opens plain text with.
    QString entry = Chosen_Default_Application_Entry(plain_text);
    QString editor;
    if (entry.isEmpty()) {
        for (const char* candidate : Text_Editors) {
            editor = QStandardPaths::findExecutable(QString::fromLatin1(candidate));
            if (!editor.isEmpty())
                break;
        }
        if (editor.isEmpty())
            entry = Default_Application_Entry(plain_text);
    }
    const bool use_default = !entry.isEmpty();
    if (editor.isEmpty() && !use_default) {
        show_information(information_title(),
                         QStringLiteral("Windows Notepad could not be found."));
        return;
    }
    if (path.isEmpty()) {
        show_information(information_title(), QStringLiteral("No Log File to View."));
        return;
    }
    // One argument, no shell: blanks, quotes and any length arrive as they are. A path that
    // starts with "-" would be taken for an option.
    const QString argument = path.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + path : path;
    QStringList arguments{argument};
    if (use_default) {
        const auto command = Application_Command(entry, argument);
        if (command) {
            editor = command->front();
            arguments = command->mid(1);
        }
    }
    if (editor.isEmpty() || !QProcess::startDetached(editor, arguments))
        show_information(information_title(),
                         QStringLiteral("Windows Notepad could not be found."));
}

} // namespace smx::platform
