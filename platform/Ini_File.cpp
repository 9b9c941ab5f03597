#include "platform/Ini_File.h"

#include "platform/Program_Files.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace smx::platform {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The bytes as they are: QString::fromUtf8 would drop a U+FEFF at the start of a name or a
// value (the file's own byte-order mark is skipped before this).
QString decode(const char* data, qsizetype size) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8(QByteArrayView(data, size));
}

QString fold(const QString& name) {
    return name.trimmed().toCaseFolded();
}

bool has_line_break_or_nul(const QString& text) {
    for (const QChar c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0))
            return true;
    return false;
}

bool is_quote(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool is_quoted(const QString& text) {
    return text.size() >= 2 && is_quote(text.front()) && text.back() == text.front();
}

// A value that reading would change (blanks around it, or a pair of quotes around it) is written
// inside one more pair of quotes, so that it reads back exactly as given.
QByteArray encode_value(const QString& value) {
    if (!value.isEmpty() && (value.trimmed() != value || is_quoted(value)))
        return '"' + value.toUtf8() + '"';
    return value.toUtf8();
}

// Collapses keys written more than once in one call: the last value counts, at the place of the
// first mention, as if the writes had been made one after the other.
Ini_Key_Values unique_keys(const Ini_Key_Values& keys) {
    Ini_Key_Values out;
    QHash<QString, qsizetype> at;
    for (const auto& [key, value] : keys) {
        const QString folded = fold(key);
        const auto it = at.constFind(folded);
        if (it != at.cend()) {
            out[*it].second = value;
        } else {
            at.insert(folded, static_cast<qsizetype>(out.size()));
            out.emplace_back(key.trimmed(), value);
        }
    }
    return out;
}

// The name part of a key line: from the first non-blank to the first "=", blanks trimmed;
// empty when the line is no key line.
QByteArray key_name(const QByteArray& line) {
    qsizetype b = 0;
    while (b < line.size() && is_blank(line[b]))
        ++b;
    if (b == line.size() || line[b] == ';' || line[b] == '[')
        return {};
    qsizetype e = line.indexOf('=', b);
    if (e < 0)
        return {};
    while (e > b && is_blank(line[e - 1]))
        --e;
    return line.mid(b, e - b);
}

struct Edit {
    qsizetype from = 0;
    qsizetype to = 0;
    QByteArray text;
};

QByteArray apply_edits(const QByteArray& bytes, std::vector<Edit> edits) {
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return a.from < b.from; });
    qsizetype size = bytes.size();
    for (const Edit& e : edits)
        size += e.text.size() - (e.to - e.from);
    QByteArray out;
    out.reserve(size);
    qsizetype pos = 0;
    for (const Edit& e : edits) {
        out.append(bytes.constData() + pos, e.from - pos);
        out.append(e.text);
        pos = e.to;
    }
    out.append(bytes.constData() + pos, bytes.size() - pos);
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// In-memory document

Ini_Document::Ini_Document(QByteArray bytes) : bytes_(std::move(bytes)) {}

qsizetype Ini_Document::bom_size() const {
    return bytes_.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

void Ini_Document::parse() const {
    if (parsed_)
        return;
    parsed_ = true;
    lines_.clear();
    sections_.clear();
    indexed_ = false;
    const char* d = bytes_.constData();
    const qsizetype n = bytes_.size();

    const char* first_nl = static_cast<const char*>(std::memchr(d, '\n', static_cast<size_t>(n)));
    eol_ =
        (first_nl && first_nl > d && first_nl[-1] == '\r') ? QByteArray("\r\n") : QByteArray("\n");
    qsizetype line_count = 1;
    for (const char* p = first_nl; p;
         p = static_cast<const char*>(std::memchr(p + 1, '\n', static_cast<size_t>(d + n - p - 1))))
        ++line_count;
    lines_.reserve(static_cast<size_t>(line_count));
    // A byte-order mark (which editors on other systems put first) is no part of the first line.
    qsizetype pos = bom_size();
    while (pos < n) {
        const char* nl =
            static_cast<const char*>(std::memchr(d + pos, '\n', static_cast<size_t>(n - pos)));
        const qsizetype end = nl ? nl - d : n;
        Line line{pos, static_cast<qint32>(end - pos), 0};
        if (nl) {
            line.ending = 1;
            if (line.length > 0 && d[end - 1] == '\r') {
                --line.length;
                line.ending = 2;
            }
        }
        const int index = static_cast<int>(lines_.size());
        lines_.push_back(line);
        pos = nl ? end + 1 : n;

        const char* text = d + line.start;
        qsizetype b = 0;
        while (b < line.length && is_blank(text[b]))
            ++b;
        if (b == line.length || text[b] != '[')
            continue;
        qsizetype close = line.length - 1;
        while (close > b && text[close] != ']')
            --close;
        if (close <= b)
            continue; // a "[" without "]" is no header
        if (!sections_.empty())
            sections_.back().end_line = index;
        Section s;
        s.name = decode(text + b + 1, close - b - 1).trimmed();
        s.header_line = index;
        sections_.push_back(std::move(s));
    }
    if (!sections_.empty())
        sections_.back().end_line = static_cast<int>(lines_.size());
}

std::vector<Ini_Document::Key> Ini_Document::keys_of(const Section& s) const {
    std::vector<Key> keys;
    for (int i = s.header_line + 1; i < s.end_line; ++i) {
        const QByteArray name = key_name(line_bytes(i));
        if (!name.isEmpty())
            keys.push_back(Key{decode(name.constData(), name.size()).trimmed().toCaseFolded(), i});
    }
    return keys;
}

int Ini_Document::last_line_of(const Section& s) const {
    for (int i = s.end_line - 1; i > s.header_line; --i)
        if (!key_name(line_bytes(i)).isEmpty())
            return i;
    return s.header_line;
}

const Ini_Document::Section* Ini_Document::find(const QString& section) const {
    parse();
    // A command asks about one or two sections: one pass over the names costs less than an
    // index of them all. The last answer is kept for the keys of the same section.
    const QString wanted = section.trimmed();
    if (!indexed_ || wanted != last_query_) {
        indexed_ = true;
        last_query_ = wanted;
        last_found_ = -1;
        for (size_t i = 0; i < sections_.size(); ++i) {
            if (sections_[i].name.compare(wanted, Qt::CaseInsensitive) == 0) {
                last_found_ = static_cast<int>(i); // the first of duplicates counts
                break;
            }
        }
    }
    return last_found_ < 0 ? nullptr : &sections_[static_cast<size_t>(last_found_)];
}

const Ini_Document::Key* Ini_Document::find_key(const std::vector<Key>& keys,
                                                const QString& folded_key) {
    for (const Key& k : keys)
        if (k.folded == folded_key)
            return &k;
    return nullptr;
}

QByteArray Ini_Document::line_bytes(int line) const {
    const Line& l = lines_[static_cast<size_t>(line)];
    return QByteArray::fromRawData(bytes_.constData() + l.start, l.length);
}

QString Ini_Document::value_of(const Key& key) const {
    const QByteArray line = line_bytes(key.line);
    const qsizetype eq = line.indexOf('=');
    QString value = decode(line.constData() + eq + 1, line.size() - eq - 1).trimmed();
    if (is_quoted(value))
        value = value.mid(1, value.size() - 2);
    return value;
}

QStringList Ini_Document::section_names() const {
    parse();
    QStringList names;
    names.reserve(static_cast<qsizetype>(sections_.size()));
    for (const Section& s : sections_)
        if (!s.name.isEmpty())
            names.append(s.name);
    return names;
}

bool Ini_Document::has_section(const QString& section) const {
    return find(section) != nullptr;
}

std::optional<QString> Ini_Document::value(const QString& section, const QString& key) const {
    const Section* s = find(section);
    if (!s)
        return std::nullopt;
    const std::vector<Key> keys = keys_of(*s);
    const Key* k = find_key(keys, fold(key));
    if (!k)
        return std::nullopt;
    return value_of(*k);
}

Ini_Key_Values Ini_Document::section(const QString& section) const {
    const Section* s = find(section);
    return s ? key_values_of(*s) : Ini_Key_Values();
}

std::optional<Ini_Key_Values> Ini_Document::exact_section(const Exact_Section& section) const {
    const Section* s = find_exact(section);
    if (!s)
        return std::nullopt;
    return key_values_of(*s);
}

Ini_Key_Values Ini_Document::key_values_of(const Section& s) const {
    Ini_Key_Values out;
    QSet<QString> seen;
    for (const Key& k : keys_of(s)) {
        if (seen.contains(k.folded))
            continue;
        seen.insert(k.folded);
        const QByteArray line = line_bytes(k.line);
        const qsizetype eq = line.indexOf('=');
        out.emplace_back(decode(line.constData(), eq).trimmed(), value_of(k));
    }
    return out;
}

bool Ini_Document::is_writable_section_name(const QString& section) {
    return !section.trimmed().isEmpty() && !has_line_break_or_nul(section);
}

bool Ini_Document::is_writable_key_name(const QString& key) {
    const QString t = key.trimmed();
    return !t.isEmpty() && !has_line_break_or_nul(t) && !t.contains(QLatin1Char('=')) &&
           !t.startsWith(QLatin1Char(';')) && !t.startsWith(QLatin1Char('['));
}

bool Ini_Document::set_values(const QString& section, const Ini_Key_Values& keys) {
    return set_values_in(section, keys, [&] { return find(section); });
}

bool Ini_Document::set_values(const Exact_Section& section, const Ini_Key_Values& keys) {
    return set_values_in(section.name, keys, [&] { return find_exact(section); });
}

const Ini_Document::Section* Ini_Document::find_exact(const Exact_Section& wanted) const {
    parse();
    const Section* found = nullptr;
    int occurrence = 0;
    for (const Section& s : sections_) {
        if (s.name != wanted.name)
            continue;
        if (wanted.occurrence < 0)
            found = &s;
        else if (occurrence++ == wanted.occurrence)
            return &s;
    }
    return found;
}

bool Ini_Document::set_values_in(const QString& section, const Ini_Key_Values& keys,
                                 const std::function<const Section*()>& target) {
    if (!is_writable_section_name(section))
        return false;
    for (const auto& [key, value] : keys)
        if (!is_writable_key_name(key) || has_line_break_or_nul(value))
            return false;
    const Ini_Key_Values unique = unique_keys(keys);

    std::vector<Edit> edits;
    const Section* s = target(); // parses
    if (!s) {
        edits.push_back(Edit{bytes_.size(), bytes_.size(), new_section_text(section, unique)});
    } else {
        QByteArray added;
        const std::vector<Key> existing = keys_of(*s);
        for (const auto& [key, value] : unique) {
            const Key* k = find_key(existing, key.toCaseFolded());
            if (!k) {
                added += key.toUtf8() + '=' + encode_value(value) + eol_;
                continue;
            }
            // Keep the key's own spelling; only what follows the "=" changes.
            const Line& l = lines_[static_cast<size_t>(k->line)];
            const QByteArray line = line_bytes(k->line);
            qsizetype b = 0;
            while (is_blank(line[b]))
                ++b;
            qsizetype e = line.indexOf('=');
            while (e > b && is_blank(line[e - 1]))
                --e;
            edits.push_back(
                Edit{l.start, l.start + l.length, line.mid(b, e - b) + '=' + encode_value(value)});
        }
        if (!added.isEmpty()) {
            const Line& last = lines_[static_cast<size_t>(last_line_of(*s))];
            const qsizetype at = last.start + last.length + last.ending;
            if (last.ending == 0)
                added.prepend(eol_);
            edits.push_back(Edit{at, at, added});
        }
    }
    bytes_ = apply_edits(bytes_, std::move(edits));
    parsed_ = false;
    edits_.emplace_back([section, keys](Ini_Document& d) { d.set_values(section, keys); });
    return true;
}

bool Ini_Document::erase_section(const QString& section) {
    // What was asked is recorded, found or not: another writer may have added the section.
    edits_.emplace_back([section](Ini_Document& d) { d.erase_section(section); });
    parse();
    const QString folded = fold(section);
    std::vector<Edit> edits;
    for (const Section& s : sections_) {
        if (s.name.toCaseFolded() != folded)
            continue;
        const Line& first = lines_[static_cast<size_t>(s.header_line)];
        const Line& last = lines_[static_cast<size_t>(last_line_of(s))];
        edits.push_back(Edit{first.start, last.start + last.length + last.ending, {}});
    }
    if (edits.empty())
        return false;
    bytes_ = after_erase(apply_edits(bytes_, std::move(edits)));
    parsed_ = false;
    return true;
}

QByteArray Ini_Document::after_erase(QByteArray edited) const {
    // A line that began with the bytes of a byte-order mark must not become the text's start,
    // where the mark would be read past and the rest of the line become a header.
    if (bom_size() == 0 && edited.startsWith("\xEF\xBB\xBF"))
        edited.prepend(eol_);
    return edited;
}

QByteArray Ini_Document::new_section_text(const QString& section,
                                          const Ini_Key_Values& unique) const {
    parse();
    QByteArray text;
    if (bytes_.size() > bom_size() && !bytes_.endsWith('\n'))
        text += eol_;
    text += '[' + section.trimmed().toUtf8() + ']' + eol_;
    for (const auto& [key, value] : unique)
        text += key.toUtf8() + '=' + encode_value(value) + eol_;
    return text;
}

bool Ini_Document::append_section(const QString& section, const Ini_Key_Values& keys) {
    if (!is_writable_section_name(section))
        return false;
    for (const auto& [key, value] : keys)
        if (!is_writable_key_name(key) || has_line_break_or_nul(value))
            return false;
    bytes_ += new_section_text(section, unique_keys(keys));
    parsed_ = false;
    edits_.emplace_back([section, keys](Ini_Document& d) { d.append_section(section, keys); });
    return true;
}

void Ini_Document::redo_edits_on(Ini_Document& other) const {
    for (const auto& edit : edits_)
        edit(other);
}

int Ini_Document::erase_exact_sections(const std::vector<Exact_Section>& wanted) {
    edits_.emplace_back([wanted](Ini_Document& d) { d.erase_exact_sections(wanted); });
    parse();
    // Name -> the occurrences asked for; one pass over the sections finds them all.
    QHash<QString, std::vector<int>> asked;
    for (const Exact_Section& w : wanted)
        if (w.occurrence >= 0)
            asked[w.name].push_back(w.occurrence);
    QHash<QString, int> seen;
    std::vector<Edit> edits;
    for (const Section& s : sections_) {
        const auto it = asked.constFind(s.name);
        if (it == asked.cend())
            continue;
        const int occurrence = seen[s.name]++;
        if (std::find(it->begin(), it->end(), occurrence) == it->end())
            continue;
        const Line& first = lines_[static_cast<size_t>(s.header_line)];
        const Line& last = lines_[static_cast<size_t>(last_line_of(s))];
        edits.push_back(Edit{first.start, last.start + last.length + last.ending, {}});
    }
    if (edits.empty())
        return 0;
    bytes_ = after_erase(apply_edits(bytes_, edits));
    parsed_ = false;
    return static_cast<int>(edits.size());
}

// ---------------------------------------------------------------------------------------------
// Atomic replacement of a file

namespace {

int real_fsync(int fd) {
    return ::fsync(fd);
}
int real_linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags) {
    return ::linkat(olddirfd, oldpath, newdirfd, newpath, flags);
}
int real_renameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath) {
    return ::renameat(olddirfd, oldpath, newdirfd, newpath);
}

const Ini_File_System_Calls kReal_Calls{real_fsync, real_linkat, real_renameat};
Ini_File_System_Calls g_calls = kReal_Calls;

mode_t current_umask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = status.readAll().split('\n');
        for (const QByteArray& line : lines)
            if (line.startsWith("Umask:"))
                return static_cast<mode_t>(
                    std::strtoul(line.mid(6).trimmed().constData(), nullptr, 8));
    }
    return 022;
}

bool write_all(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

QByteArray temp_prefix(const QByteArray& base) {
    return '.' + base.left(200) + ".tmp-";
}

QByteArray temp_name(const QByteArray& base) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = temp_prefix(base);
    for (int i = 0; i < 8; ++i)
        name += letters[QRandomGenerator::system()->bounded(62)];
    return name;
}

// A name that this routine (or mkostemp on its behalf) gives a temporary file of `base`.
bool is_temp_name(const char* name, const QByteArray& prefix) {
    const qsizetype length = static_cast<qsizetype>(std::strlen(name));
    if (length < prefix.size() + 6 || length > prefix.size() + 8 ||
        std::memcmp(name, prefix.constData(), static_cast<size_t>(prefix.size())) != 0)
        return false;
    for (const char* p = name + prefix.size(); *p; ++p)
        if (!std::isalnum(static_cast<unsigned char>(*p)))
            return false;
    return true;
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Removes the temporary files of `base` that killed writers left in the directory. Only while no
// other writer is at work: every writer holds a shared lock on the directory for as long as its
// temporary file may have a name, so getting the lock alone proves that every such file is a
// leftover. Returns holding the shared lock (or no lock where the file system has none).
void take_writer_lock_removing_leftovers(int dir_fd, const QByteArray& base) {
    if (::flock(dir_fd, LOCK_EX | LOCK_NB) == 0) {
        const int scan_fd = ::openat(dir_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (DIR* dir = scan_fd >= 0 ? ::fdopendir(scan_fd) : nullptr) {
            const QByteArray prefix = temp_prefix(base);
            std::vector<QByteArray> leftovers;
            while (const dirent* entry = ::readdir(dir))
                if (is_temp_name(entry->d_name, prefix))
                    leftovers.emplace_back(entry->d_name);
            ::closedir(dir);
            for (const QByteArray& name : leftovers) {
                struct stat st {};
                if (::fstatat(dir_fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                    S_ISREG(st.st_mode))
                    ::unlinkat(dir_fd, name.constData(), 0);
            }
        } else if (scan_fd >= 0) {
            ::close(scan_fd);
        }
        ::flock(dir_fd, LOCK_SH); // our own temporary file comes only after this
        return;
    }
    if (errno != EWOULDBLOCK)
        return; // no locks here: nothing is removed, and nothing waits
    // Another writer is at work: share the directory with it. One that holds the lock alone is
    // removing leftovers, which takes moments; never wait without end for a lock.
    for (int attempt = 0; attempt < 2000; ++attempt) {
        if (::flock(dir_fd, LOCK_SH | LOCK_NB) == 0 || errno != EWOULDBLOCK)
            return;
        ::usleep(1000);
    }
}

// The new content goes into a temporary file that only this call can have made, in the same
// directory (so the rename stays on one file system and is atomic). Preferred is an unnamed file
// (O_TMPFILE) that gets a name only for the instant before the rename. Without O_TMPFILE,
// mkostemp makes the named file. Both only ever create a new name (exclusive creation under a
// random name), so nothing planted in the directory, not even a symbolic link, is ever opened or
// written through. The content reaches the disk (fsync) before the rename makes it the file's,
// so that a crash after the rename cannot leave the file empty or short.
bool write_temp_and_rename(int dir_fd, const QByteArray& dir, const QByteArray& base,
                           const QByteArray& bytes, mode_t mode, const struct stat* old) {
    const Ini_File_System_Calls calls = g_calls;
    auto prepare = [&](int fd) {
        if (!write_all(fd, bytes) || ::fchmod(fd, mode) != 0)
            return false;
        if (old && (old->st_uid != ::geteuid() || old->st_gid != ::getegid())) {
            // Keeping the owner works only with the right to; the group is the usual case.
            if (::fchown(fd, old->st_uid, old->st_gid) != 0)
                (void)!::fchown(fd, static_cast<uid_t>(-1), old->st_gid);
        }
        return calls.fsync(fd) == 0;
    };
    auto rename_into_place = [&](const QByteArray& name) {
        if (calls.renameat(dir_fd, name.constData(), dir_fd, base.constData()) != 0) {
            ::unlinkat(dir_fd, name.constData(), 0);
            return false;
        }
        calls.fsync(dir_fd);
        return true;
    };

    take_writer_lock_removing_leftovers(dir_fd, base);
    Fd unnamed(::openat(dir_fd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (unnamed.get() >= 0) {
        if (!prepare(unnamed.get()))
            return false;
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(unnamed.get());
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = temp_name(base);
            if (calls.linkat(AT_FDCWD, proc.constData(), dir_fd, name.constData(),
                             AT_SYMLINK_FOLLOW) == 0)
                return rename_into_place(name);
            if (errno != EEXIST)
                break; // e.g. no /proc: fall back to a named temporary
        }
    } else if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENOSPC ||
               errno == EDQUOT) {
        return false;
    }

    QByteArray templ = dir + '/' + temp_prefix(base) + "XXXXXX";
    Fd named(::mkostemp(templ.data(), O_CLOEXEC));
    if (named.get() < 0)
        return false;
    const QByteArray name = templ.mid(templ.lastIndexOf('/') + 1);
    if (!prepare(named.get()) || !named.close()) {
        ::unlinkat(dir_fd, name.constData(), 0);
        return false;
    }
    return rename_into_place(name);
}

} // namespace

const Ini_File_System_Calls& Ini_Real_System_Calls() {
    return kReal_Calls;
}

Ini_File_System_Calls Ini_Use_System_Calls(const Ini_File_System_Calls& calls) {
    const Ini_File_System_Calls previous = g_calls;
    g_calls = calls;
    return previous;
}

namespace {

// Where a write of a path goes: the file that a symbolic link leads to, in its own directory.
struct Write_Target {
    QByteArray file;
    QByteArray dir;
    QByteArray base;
};

std::optional<Write_Target> write_target(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    QByteArray target = QFile::encodeName(path);
    // A symbolic link stays a link: its target is what gets replaced.
    struct stat link_st {};
    if (::lstat(target.constData(), &link_st) == 0 && S_ISLNK(link_st.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(target.constData(), resolved))
            return std::nullopt; // a dangling or looping link: where it leads is nowhere to write
        target = resolved;
    }
    const qsizetype slash = target.lastIndexOf('/');
    Write_Target t;
    t.dir = slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : target.left(slash));
    t.base = target.mid(slash + 1);
    t.file = std::move(target);
    if (t.base.isEmpty())
        return std::nullopt;
    return t;
}

// Whether the file (when it is there) may be replaced: a regular file that may be written. A
// read-only file refuses writes, also for a user whose rights would override it.
bool may_replace(const QByteArray& file, struct stat& st, bool& exists) {
    exists = ::stat(file.constData(), &st) == 0;
    if (exists)
        return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) != 0 &&
               ::access(file.constData(), W_OK) == 0;
    return errno == ENOENT;
}

QByteArray lock_name(const QByteArray& base) {
    return '.' + base.left(200) + ".lock";
}

int g_lock_wait_ms = Ini_Lock_Wait_Ms;

qint64 monotonic_ms() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

// The writers' lock of one data file, held until destruction. The lock is on a file of its own
// beside the data file: a lock on the data file itself would stay on the old file when a writer
// renames the new one over it, so two writers could hold "the" lock at once.
class Writers_Lock {
public:
    Writers_Lock() = default;
    Writers_Lock(const Writers_Lock&) = delete;
    Writers_Lock& operator=(const Writers_Lock&) = delete;
    ~Writers_Lock() {
        if (fd_ >= 0)
            ::close(fd_); // drops the lock
    }

    // False when the lock file cannot be opened or made, or is no regular file, or another
    // writer keeps the lock for longer than the wait. `mode` is the new lock file's.
    bool take(int dir_fd, const QByteArray& base, mode_t mode) {
        const QByteArray name = lock_name(base);
        // Never through a link, never blocking on a FIFO or a device planted there.
        const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        fd_ = ::openat(dir_fd, name.constData(), O_RDWR | O_CREAT | O_EXCL | flags, mode);
        if (fd_ >= 0) {
            // Whoever may write the data file may take its lock, whatever the umask.
            ::fchmod(fd_, mode);
        } else if (errno == EEXIST) {
            fd_ = ::openat(dir_fd, name.constData(), O_RDWR | flags);
            // Another user's lock file: a local lock needs no right to write it.
            if (fd_ < 0 && errno == EACCES)
                fd_ = ::openat(dir_fd, name.constData(), O_RDONLY | flags);
        }
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        const qint64 deadline = monotonic_ms() + g_lock_wait_ms;
        useconds_t pause = 500;
        for (;;) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
                return true;
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK)
                return true; // a file system without locks: written as before, unguarded
            if (monotonic_ms() >= deadline)
                return false;
            ::usleep(pause);
            pause = std::min<useconds_t>(pause * 2, 10000);
        }
    }

private:
    int fd_ = -1;
};

// Runs `locked` with the directory open and the writers' lock of the file held, after the
// checks that need neither (so that a refused write makes no lock file).
template <typename Locked>
bool with_writers_lock(const QString& path, Locked locked, bool take_lock = true) {
    const std::optional<Write_Target> target = write_target(path);
    if (!target)
        return false;
    struct stat st {};
    bool exists = false;
    if (!may_replace(target->file, st, exists))
        return false;
    // The user's own folders appear on first use.
    Make_Program_Folder(QFile::decodeName(target->dir));
    Fd dir_fd(::open(target->dir.constData(), O_DIRECTORY | O_RDONLY | O_CLOEXEC));
    if (dir_fd.get() < 0 || ::access(target->dir.constData(), W_OK) != 0)
        return false;
    Writers_Lock lock;
    const mode_t mode = exists ? (st.st_mode & 0666) : (0666 & ~current_umask());
    if (take_lock && !lock.take(dir_fd.get(), target->base, mode))
        return false;
    return locked(*target, dir_fd.get());
}

// The replacement itself, with the lock held: the file is looked at again, since another writer
// may have replaced it meanwhile.
bool replace_locked(const Write_Target& target, int dir_fd, const QByteArray& bytes) {
    struct stat st {};
    bool exists = false;
    if (!may_replace(target.file, st, exists))
        return false;
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~current_umask());
    return write_temp_and_rename(dir_fd, target.dir, target.base, bytes, mode,
                                 exists ? &st : nullptr);
}

// Whether the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing beyond
// U+10FFFF, no sequence cut short. Checked in place: a decoder would copy the whole file.
bool is_utf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const unsigned char* const end = p + bytes.size();
    while (p < end) {
        // A data file is nearly all ASCII: eight bytes at a time while no high bit is set.
        while (end - p >= 8) {
            std::uint64_t eight;
            std::memcpy(&eight, p, 8);
            if (eight & 0x8080808080808080u)
                break;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                low = 0xA0; // overlong
            else if (c == 0xED)
                high = 0x9F; // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                low = 0x90; // overlong
            else if (c == 0xF4)
                high = 0x8F; // beyond U+10FFFF
        } else {
            return false;
        }
        if (end - p <= more || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i <= more; ++i)
            if (p[i] < 0x80 || p[i] > 0xBF)
                return false;
        p += more + 1;
    }
    return true;
}

} // namespace

bool Ini_Is_Program_Text(const QByteArray& bytes) {
    return !bytes.contains('\0') && is_utf8(bytes);
}

int Ini_Use_Lock_Wait_Ms(int milliseconds) {
    const int previous = g_lock_wait_ms;
    g_lock_wait_ms = milliseconds;
    return previous;
}

QString Ini_Lock_File_Path(const QString& path) {
    const std::optional<Write_Target> target = write_target(path);
    if (!target)
        return {};
    return QFile::decodeName(target->dir + '/' + lock_name(target->base));
}

bool Ini_Replace_File(const QString& path, const QByteArray& bytes) {
    return with_writers_lock(path, [&](const Write_Target& target, int dir_fd) {
        return replace_locked(target, dir_fd, bytes);
    });
}

bool Ini_Replace_File_Unlocked(const QString& path, const QByteArray& bytes) {
    return with_writers_lock(
        path,
        [&](const Write_Target& target, int dir_fd) {
            return replace_locked(target, dir_fd, bytes);
        },
        false);
}

bool Ini_Update_File(const QString& path, const std::function<Ini_Change(Ini_Document&)>& change,
                     Ini_File_Stamp* written) {
    return with_writers_lock(path, [&](const Write_Target& target, int dir_fd) {
        // A file that exists but cannot be read is never overwritten with a guess at its content.
        Ini_File_Content content = Ini_Read_File(path);
        if (content.status == Ini_Read_Status::Refused)
            return false;
        // An edit of a file in another encoding (UTF-16, say) would leave it in two.
        const bool text = Ini_Is_Program_Text(content.bytes);
        Ini_Document document(std::move(content.bytes));
        switch (change(document)) {
        case Ini_Change::Keep:
            if (written)
                *written = content.stamp;
            return true;
        case Ini_Change::Refuse:
            return false;
        case Ini_Change::Write:
            break;
        }
        if (!text || !replace_locked(target, dir_fd, document.bytes()))
            return false;
        if (written)
            *written = Ini_Stamp_Of(path);
        return true;
    });
}

// ---------------------------------------------------------------------------------------------
// Reading a file

namespace {

Ini_File_Stamp stamp_of(const struct stat& st) {
    Ini_File_Stamp s;
    s.exists = true;
    s.device = static_cast<quint64>(st.st_dev);
    s.inode = static_cast<quint64>(st.st_ino);
    s.size = static_cast<qint64>(st.st_size);
    s.modified_ns = qint64{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    s.changed_ns = qint64{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

} // namespace

Ini_File_Stamp Ini_Stamp_Of(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return stamp_of(st);
}

Ini_File_Content Ini_Read_File(const QString& path, qint64 max_size) {
    Ini_File_Content content;
    if (path.isEmpty())
        return content;
    // O_NONBLOCK: opening a FIFO neither waits for a writer nor, once refused below, reads.
    // O_NOCTTY: a terminal at the path never becomes ours.
    Fd fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        const bool missing = errno == ENOENT;
        // A dangling symbolic link is something at the path, but nothing to read.
        struct stat link_st {};
        content.status = missing && ::lstat(QFile::encodeName(path).constData(), &link_st) != 0
                             ? Ini_Read_Status::Missing
                             : Ini_Read_Status::Refused;
        return content;
    }
    struct stat st {};
    content.status = Ini_Read_Status::Refused;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > max_size)
        return content;
    content.stamp = stamp_of(st);
    // The size may change while reading (another writer); the cap holds for what is read.
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(st.st_size) + 1);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() > max_size)
                return content;
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, max_size + 1));
        }
        const ssize_t n =
            ::read(fd.get(), bytes.data() + got, static_cast<size_t>(bytes.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return content;
        }
        if (n == 0)
            break;
        got += n;
    }
    if (got > max_size)
        return content;
    bytes.truncate(got);
    content.bytes = std::move(bytes);
    content.status = Ini_Read_Status::Read;
    return content;
}

Ini_File::Ini_File(QString path) : path_(std::move(path)) {}

bool Ini_File::read() {
    Ini_File_Content content = Ini_Read_File(path_);
    status_ = content.status;
    stamp_ = content.stamp;
    read_bytes_ = content.bytes;
    document_ = Ini_Document(std::move(content.bytes));
    return status_ != Ini_Read_Status::Refused;
}

bool Ini_File::changed_on_disk() const {
    return Ini_Stamp_Of(path_) != stamp_;
}

bool Ini_File::refresh() {
    if (status_ != Ini_Read_Status::Refused && !changed_on_disk())
        return true;
    return read();
}

bool Ini_File::write() {
    if (status_ == Ini_Read_Status::Refused)
        return false;
    QByteArray written;
    Ini_File_Stamp stamp;
    const bool ok = Ini_Update_File(
        path_,
        [&](Ini_Document& now) {
            // Unchanged since the read: the document is the new content. Changed by another
            // writer: this command's edits are made again on what that writer left.
            if (now.bytes() == read_bytes_) {
                written = document_.bytes();
            } else {
                document_.redo_edits_on(now);
                written = now.bytes();
            }
            now = Ini_Document(written);
            return Ini_Change::Write;
        },
        &stamp);
    if (!ok)
        return false;
    // What is on disk now is the document: a later refresh needs no read.
    stamp_ = stamp;
    status_ = Ini_Read_Status::Read;
    read_bytes_ = written;
    document_ = Ini_Document(std::move(written));
    return true;
}

// ---------------------------------------------------------------------------------------------
// File functions

namespace {

// The file's content; an empty content for a missing file, nothing when it is refused.
std::optional<QByteArray> read_file(const QString& path) {
    Ini_File_Content content = Ini_Read_File(path);
    if (content.status == Ini_Read_Status::Refused)
        return std::nullopt;
    return std::move(content.bytes);
}

Ini_Document load(const QString& path) {
    return Ini_Document(read_file(path).value_or(QByteArray()));
}

} // namespace

QString Ini_Read_String(const QString& path, const QString& section, const QString& key,
                        const QString& default_value) {
    const auto value = load(path).value(section, key);
    return value ? value->left(Ini_Value_Window) : default_value;
}

QStringList Ini_Read_Section_Names(const QString& path) {
    return load(path).section_names();
}

Ini_Key_Values Ini_Read_Section(const QString& path, const QString& section) {
    Ini_Key_Values keys = load(path).section(section);
    for (auto& kv : keys)
        kv.second.truncate(Ini_Value_Window);
    return keys;
}

bool Ini_Write_String(const QString& path, const QString& section, const QString& key,
                      const QString& value) {
    return Ini_Write_Strings(path, section, {{key, value}});
}

bool Ini_Write_Strings(const QString& path, const QString& section, const Ini_Key_Values& keys) {
    // Names and values that cannot be written are refused before any lock is taken.
    if (!Ini_Document().set_values(section, keys))
        return false;
    return Ini_Update_File(path, [&](Ini_Document& doc) {
        return doc.set_values(section, keys) ? Ini_Change::Write : Ini_Change::Refuse;
    });
}

bool Ini_Erase_Section(const QString& path, const QString& section) {
    // Nothing to erase needs no lock (nor a folder made for a missing file).
    const auto bytes = read_file(path);
    if (!bytes)
        return false;
    if (!Ini_Document(*bytes).has_section(section))
        return true;
    return Ini_Update_File(path, [&](Ini_Document& doc) {
        return doc.erase_section(section) ? Ini_Change::Write : Ini_Change::Keep;
    });
}

} // namespace smx::platform
