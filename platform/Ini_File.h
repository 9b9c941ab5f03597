#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace smx::platform {

// INI files read and written key by key, with the behaviour of the classic profile-file
// functions that the program's data files rely on. Every call opens the file by its path, does
// its work and closes it again; nothing is cached. Every write replaces the whole file
// atomically (a temporary file in the same directory, flushed, renamed over), so a crash or a
// full disk never leaves a damaged file, and a refused write returns false.
//
// Every change of a file is made under its writers' lock (see Ini_Update_File), held from the
// read that the change starts from to the rename, so that two programs writing the same file at
// once never lose each other's changes. A file that is not UTF-8 text is read as far as it goes
// but never written into.
//
// Only regular files are read or replaced: a path that leads (through symbolic links or not) to
// a device, a FIFO, a socket or a directory is refused at once, never opened in a way that could
// block or read without end. A file larger than Ini_Max_File_Size is refused too.

using Ini_Key_Values = std::vector<std::pair<QString, QString>>;

// 256 MiB: some 600,000 saved sets, far beyond any real settings file or results database, yet
// small enough to hold in memory.
constexpr qint64 Ini_Max_File_Size = qint64{256} << 20;

// What one read of a data file found.
enum class Ini_Read_Status {
    Read,    // a regular file, read whole
    Missing, // nothing at the path (reads as an empty file)
    Refused, // something that is no regular file, too large, or unreadable
};

// When and where a file was read: a later look at the path tells whether it changed since.
struct Ini_File_Stamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified_ns = 0;
    qint64 changed_ns = 0;
    bool operator==(const Ini_File_Stamp&) const = default;
};

struct Ini_File_Content {
    Ini_Read_Status status = Ini_Read_Status::Missing;
    QByteArray bytes;
    Ini_File_Stamp stamp;
};

// Reads the whole file at `path` under the rules above, without blocking. Other text files
// that the program reads are read here too, with a lower cap (`max_size`).
Ini_File_Content Ini_Read_File(const QString& path, qint64 max_size = Ini_Max_File_Size);
// The stamp of what is at `path` now (following symbolic links).
Ini_File_Stamp Ini_Stamp_Of(const QString& path);

// The value of `key` in `section` (names matched without regard to case), or `default_value`
// when the file, the section or the key is missing. Values are read through a 2047-character
// window.
QString Ini_Read_String(const QString& path, const QString& section, const QString& key,
                        const QString& default_value);

// Every section name, in file order; empty when the file is missing.
QStringList Ini_Read_Section_Names(const QString& path);

// Every key of one section with its value, in file order (first of duplicates wins).
Ini_Key_Values Ini_Read_Section(const QString& path, const QString& section);

// Writes one key: replaced in place, or added at the end of its section, or a new section added
// at the end of the file; a missing file is created. False when the write was refused.
bool Ini_Write_String(const QString& path, const QString& section, const QString& key,
                      const QString& value);

// Writes several keys of one section, in order, as one atomic replacement of the file.
bool Ini_Write_Strings(const QString& path, const QString& section, const Ini_Key_Values& keys);

// Removes a section: its header and all of its keys. A missing file or section is nothing to do
// and returns true; false when the write was refused.
bool Ini_Erase_Section(const QString& path, const QString& section);

// The longest value a read hands back; longer values are cut to this many characters.
constexpr int Ini_Value_Window = 2047;

// One INI text held in memory: the file functions above load one, query or edit it, and write
// its bytes back. Lines that an edit does not touch keep their bytes exactly.
//
// How a text is read (as the classic profile functions read hand-edited files):
// - A line whose first non-blank character is "[" and that holds a "]" later is a section
//   header; the name runs from that "[" to the last "]" of the line, blanks trimmed. A "[" line
//   without a "]" is ignored.
// - A line whose first non-blank character is ";" is a comment.
// - Inside a section, a line with "=" is a key: the name is the text before the first "=", the
//   value the text after it, both trimmed; one pair of matching quotes (" or ') around the value
//   is removed. A line without "=", a line with an empty name, and any key line before the first
//   header are ignored.
// - Names match without regard to case. Of duplicate sections or keys the first one counts, and
//   writes go to it.
// - Lines end in LF or CRLF; edits use the ending the text already uses (LF for a new text).
class Ini_Document {
public:
    explicit Ini_Document(QByteArray bytes = {});

    const QByteArray& bytes() const { return bytes_; }

    // Every section name in file order, without the sections whose name is empty: "[]" names no
    // saved set or setting.
    QStringList section_names() const;
    bool has_section(const QString& section) const;
    // The value (not yet cut to the window), or nothing when the section or key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;
    Ini_Key_Values section(const QString& section) const;

    // Whether a name can be written so that it reads back: not blank, no line break or NUL; a
    // key also holds no "=" and does not start with ";" or "[". Blanks around a name are dropped,
    // on writing as on reading.
    static bool is_writable_section_name(const QString& section);
    static bool is_writable_key_name(const QString& key);

    // Writes the keys in order into the section (replacing in place, adding new keys after the
    // section's last key, or adding the section at the end). False, and nothing changed, when a
    // name cannot be written or a value holds a line break or NUL.
    bool set_values(const QString& section, const Ini_Key_Values& keys);
    // Removes every section of that name: its header, its keys and anything between them.
    // Blank lines and comments after its last key stay (they usually introduce what follows).
    // False when there was no such section.
    bool erase_section(const QString& section);

    // One section picked out exactly: the `occurrence`-th (from 0, in file order) of the sections
    // whose name, as section_names() gives it, equals `name` in full and in letter case.
    struct Exact_Section {
        QString name;
        int occurrence = 0;
    };
    // Removes exactly those sections (header, keys and what lies between), in one edit. The
    // number of sections found and removed.
    int erase_exact_sections(const std::vector<Exact_Section>& sections);
    // Adds the section at the end of the text, even when one of that name exists. False, and
    // nothing changed, under the same rules as set_values.
    bool append_section(const QString& section, const Ini_Key_Values& keys);
    // The keys of exactly that section, as section() gives them; an occurrence of -1 is the last
    // of the sections of that name. Nothing when there is no such section.
    std::optional<Ini_Key_Values> exact_section(const Exact_Section& section) const;
    // set_values on exactly that section (occurrence -1: the last of them); without one, the
    // section is added at the end.
    bool set_values(const Exact_Section& section, const Ini_Key_Values& keys);

    // Bytes of a leading UTF-8 byte-order mark (0 or 3): read past, and kept by every edit.
    qsizetype bom_size() const;

    // Makes every edit made to this document since it was built from its bytes again on
    // `other`, in the same order: the same change, made to the file as another writer left it.
    void redo_edits_on(Ini_Document& other) const;

private:
    struct Line {
        qsizetype start = 0; // first byte
        qint32 length = 0;   // bytes without the line ending (files are capped far below 2 GiB)
        qint32 ending = 0;   // 0, 1 (LF) or 2 (CRLF)
    };
    struct Key {
        QString folded; // case-folded name, for matching
        int line = 0;
    };
    struct Section {
        QString name;
        int header_line = 0;
        int end_line = 0; // the next header, or the end of the text
    };

    void parse() const; // only when asked about the text after a change
    const Section* find(const QString& section) const;
    const Section* find_exact(const Exact_Section& section) const;
    bool set_values_in(const QString& section, const Ini_Key_Values& keys,
                       const std::function<const Section*()>& target);
    QByteArray new_section_text(const QString& section, const Ini_Key_Values& unique) const;
    QByteArray after_erase(QByteArray edited) const;
    // Keys are read only for the sections asked about, so that large files parse quickly.
    std::vector<Key> keys_of(const Section& s) const;
    Ini_Key_Values key_values_of(const Section& s) const;
    static const Key* find_key(const std::vector<Key>& keys, const QString& folded_key);
    // The header, or the section's last key line: where new keys go and an erase ends.
    int last_line_of(const Section& s) const;
    QString value_of(const Key& key) const;
    QByteArray line_bytes(int line) const;

    QByteArray bytes_;
    // The edits made since the bytes were given, for redo_edits_on.
    std::vector<std::function<void(Ini_Document&)>> edits_;
    mutable bool parsed_ = false;
    mutable QByteArray eol_;
    mutable std::vector<Line> lines_;
    mutable std::vector<Section> sections_;
    // The last section looked up by name and where it was found (-1: nowhere).
    mutable bool indexed_ = false;
    mutable QString last_query_;
    mutable int last_found_ = -1;
};

// Whether bytes are text in the program's encoding: UTF-8 (a byte-order mark allowed) without
// NUL bytes. A file that is not (UTF-16, a binary file) is never written into: the edit would
// leave it in two encodings.
bool Ini_Is_Program_Text(const QByteArray& bytes);

// What a change handed to Ini_Update_File asks for.
enum class Ini_Change {
    Write,  // write the edited document as the file's new content
    Keep,   // nothing to change: leave the file as it is (a success)
    Refuse, // the change cannot be made: leave the file as it is (a failure)
};

// Changes the file at `path` under its writers' lock: reads it (a missing file is empty), hands
// it to `change` as a document, and writes the result, all while holding the lock, so that no
// other writer's change can come between the read and the rename and be lost. False (nothing
// changed) when the file cannot be read, the change refuses, the change would be written into a
// file that is no text in the program's encoding, the write is refused, or the lock is not had
// within Ini_Lock_Wait_Ms. `written`, when given, receives the stamp of the file afterwards.
//
// The lock is an advisory lock (flock) on a lock file beside the data file, "." + its name +
// ".lock" (an empty file that is never renamed or removed, so every writer locks the same
// file), which the system drops when its holder ends in any way: a killed writer never blocks
// the next. Where the file system has no such locks, the change is made without one.
bool Ini_Update_File(const QString& path, const std::function<Ini_Change(Ini_Document&)>& change,
                     Ini_File_Stamp* written = nullptr);

// How long a writer waits for another writer's lock before its write is refused. A change
// holds it for milliseconds; only a stuck writer holds it longer.
constexpr int Ini_Lock_Wait_Ms = 5000;
// Replaces that wait until the returned previous one is put back (tests only).
int Ini_Use_Lock_Wait_Ms(int milliseconds);
// The lock file of the data file at `path` (beside the file a symbolic link leads to).
QString Ini_Lock_File_Path(const QString& path);

// Writes the bytes as the whole new content of the file at `path`, atomically and under its
// writers' lock: the file holds either its old or its new content at every moment. Refused
// (false, nothing changed, nothing left behind but the lock file) when the directory or the
// existing file is not writable, or the path leads to anything but a regular file.
//
// The new content is written to an unnamed temporary file, flushed to the disk, given a name
// beginning with "." + the file's name + ".tmp-" and renamed over the file. A writer holds a
// shared lock on the directory while its temporary file exists; a writer that gets the lock
// alone (no other writer is at work) first removes what writers killed in that instant left
// under such names.
bool Ini_Replace_File(const QString& path, const QByteArray& bytes);
// The same replacement without the writers' lock, for files of the desktop's (launchers on the
// desktop, in the menu and the autostart folder) that one command of the program writes whole
// and beside which no lock file may be left for the user to find.
bool Ini_Replace_File_Unlocked(const QString& path, const QByteArray& bytes);

// The system calls of the replacement, through which tests watch its order. Each has the
// signature of the call it stands for.
struct Ini_File_System_Calls {
    int (*fsync)(int fd);
    int (*linkat)(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags);
    int (*renameat)(int olddirfd, const char* oldpath, int newdirfd, const char* newpath);
};
const Ini_File_System_Calls& Ini_Real_System_Calls();
// Replaces the calls used until the returned previous set is put back (tests only).
Ini_File_System_Calls Ini_Use_System_Calls(const Ini_File_System_Calls& calls);

// One data file read once for a command: its content as a document, written back as one
// replacement of the file. A dialog between the read and the write may take long; whether the
// file changed meanwhile is told by its stamp.
class Ini_File {
public:
    explicit Ini_File(QString path);

    // Reads the file (again). False when it is there but refused; a missing file is empty.
    bool read();
    Ini_Read_Status status() const { return status_; }
    const QString& path() const { return path_; }
    Ini_Document& document() { return document_; }
    const Ini_Document& document() const { return document_; }
    // Whether the path shows another file, or the file another content, than when read.
    bool changed_on_disk() const;
    // Reads the file again when it changed since the last read. False when that read is refused.
    bool refresh();
    // Writes the document's edits into the file (Ini_Update_File): when another writer changed
    // the file since it was read, the same edits are made again on the file as it is now, so
    // that neither change is lost. The document is then what was written. False when refused.
    bool write();

private:
    QString path_;
    Ini_Read_Status status_ = Ini_Read_Status::Missing;
    Ini_File_Stamp stamp_;
    QByteArray read_bytes_; // what the document was built from
    Ini_Document document_;
};

} // namespace smx::platform
