#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace smx::platform {

// INI files read and written key by key, with the behaviour of the classic profile-file
// functions that the program's data files rely on. Every call opens the file by its path, does
// its work and closes it again; nothing is cached. Every write replaces the whole file
// atomically (a uniquely named temporary file in the same directory, flushed, renamed over), so
// a crash or a full disk never leaves a damaged file, and a refused write returns false.

using Ini_Key_Values = std::vector<std::pair<QString, QString>>;

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

private:
    struct Line {
        qsizetype start = 0;  // first byte
        qsizetype length = 0; // bytes without the line ending
        qsizetype ending = 0; // 0, 1 (LF) or 2 (CRLF)
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
    // Keys are read only for the sections asked about, so that large files parse quickly.
    std::vector<Key> keys_of(const Section& s) const;
    static const Key* find_key(const std::vector<Key>& keys, const QString& folded_key);
    // The header, or the section's last key line: where new keys go and an erase ends.
    int last_line_of(const Section& s) const;
    QString value_of(const Key& key) const;
    QByteArray line_bytes(int line) const;

    QByteArray bytes_;
    mutable bool parsed_ = false;
    mutable QByteArray eol_;
    mutable std::vector<Line> lines_;
    mutable std::vector<Section> sections_;
    mutable QHash<QString, int> first_section_; // case-folded name -> first of that name
};

// Writes the bytes as the whole new content of the file at `path`, atomically: the file holds
// either its old or its new content at every moment. Refused (false, nothing changed, nothing
// left behind) when the directory or the existing file is not writable.
bool Ini_Replace_File(const QString& path, const QByteArray& bytes);

} // namespace smx::platform
