#include "results/Results_Database.h"

#include "platform/Ini_File.h"
#include "platform/Message_Boxes.h"
#include "platform/Program_Files.h"

#include <QByteArray>

namespace smx::results {

QString Database_File_Name() {
    return QStringLiteral("Speedmetrix_DB.INI");
}

QString Database_Path() {
    return platform::Program_File_Path(platform::Program_File::Results_Database);
}

const std::array<QString, Result_Key_Count>& Result_Key_Names() {
    static const std::array<QString, Result_Key_Count> names{
        QStringLiteral("Integer_Operations_Per_Sec"),
        QStringLiteral("Floating_Point_Operations_Per_Sec"),
        QStringLiteral("Memory_Speed_MB_Per_Sec"),
        QStringLiteral("Small_Files_KB_Per_Sec"),
        QStringLiteral("Large_Files_KB_Per_Sec"),
        QStringLiteral("Windows_Controls_Operations_Per_Sec"),
        QStringLiteral("Windows_Graphics_Pixels_Per_Sec"),
        QStringLiteral("Elapsed_Time_MSec")};
    return names;
}

long double& Result_Value(engine::TBenchmark_Results& results, int index) {
    // The seven rates are in key order; the elapsed time comes last.
    if (index == Result_Key_Count - 1)
        return results.Elapsed_Time_MSec;
    return results.rate(index);
}

long double Result_Value(const engine::TBenchmark_Results& results, int index) {
    return Result_Value(const_cast<engine::TBenchmark_Results&>(results), index);
}

QString Printable_Text(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0)
            out += QStringLiteral("\\0");
        else if (u == u'\t')
            out += QStringLiteral("\\t");
        else if (u < 0x20 || u == 0x7f)
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString Invalid_Number_Message(const QString& text) {
    return QStringLiteral("'") + Printable_Text(text) +
           QStringLiteral("' is not a valid floating point value");
}

QString Unable_To_Write_Message(const QString& path) {
    return QStringLiteral("Unable to write to ") + path;
}

QString Cannot_Open_Message(const QString& path) {
    return QStringLiteral("Cannot open file ") + path;
}

QString Saved_Confirmation_Message(const QString& name) {
    return QStringLiteral("The benchmark data has been saved to the \"") + name +
           QStringLiteral("\" section in the \"") + Database_File_Name() +
           QStringLiteral("\" file. ");
}

bool Is_Rewritable_Section_Name(const QString& name) {
    // "[]" is no section to the scan, and an empty name is never loaded.
    if (name.isEmpty())
        return false;
    // A lone surrogate does not survive the file's encoding; a pair of them (a character
    // outside the Basic Multilingual Plane, such as an emoji) does.
    if (!QStringView(name).isValidUtf16())
        return false;
    for (QChar c : name) {
        // Control characters split or end the header line.
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return false;
    }
    // The file's reader trims blanks around section names.
    return !name.front().isSpace() && !name.back().isSpace();
}

bool Is_Storable_Set_Name(const QString& name) {
    // Brackets come back from the plain scan of the headers as another name.
    return Is_Rewritable_Section_Name(name) && !name.contains(QLatin1Char('[')) &&
           !name.contains(QLatin1Char(']'));
}

QString Unstorable_Name_Message() {
    return QStringLiteral("The Save Name cannot contain \"[\", \"]\", line breaks or other control "
                          "characters, and cannot begin or end with a blank - save aborted.");
}

QString Unrewritable_Section_Message(const QString& name) {
    return QStringLiteral("The section \"") + Printable_Text(name) +
           QStringLiteral("\" holds line breaks or other control characters, so it cannot be "
                          "written back under its name - replace aborted.");
}

std::optional<platform::Ini_Document::Exact_Section>
Exact_Set_Section(const platform::Ini_Document& document, const QString& name) {
    const qsizetype count = document.section_names().count(name);
    if (count == 0)
        return std::nullopt;
    return platform::Ini_Document::Exact_Section{name, static_cast<int>(count - 1)};
}

namespace {

platform::Ini_Key_Values result_keys(const engine::TBenchmark_Results& results) {
    platform::Ini_Key_Values keys;
    keys.reserve(Result_Key_Count);
    for (int i = 0; i < Result_Key_Count; ++i)
        keys.emplace_back(Result_Key_Names()[static_cast<std::size_t>(i)],
                          Format_Result_Number(Result_Value(results, i)));
    return keys;
}

bool refuse_unstorable_name(const QString& name) {
    if (Is_Storable_Set_Name(name))
        return false;
    platform::show_information(QStringLiteral("Information"), Unstorable_Name_Message());
    return true;
}

bool refused_write(const QString& path) {
    platform::show_general_error(Unable_To_Write_Message(path));
    return false;
}

} // namespace

bool Put_Result_Set(platform::Ini_Document& document, const QString& name,
                    const engine::TBenchmark_Results& results) {
    if (!Is_Storable_Set_Name(name))
        return false;
    // Into the section a load of the name reads.
    const platform::Ini_Document::Exact_Section last{name, -1};
    if (document.exact_section(last))
        return document.set_values(last, result_keys(results));
    return document.set_values(name, result_keys(results));
}

bool Put_Result_Set_At_End(platform::Ini_Document& document, const QString& name,
                           const std::optional<platform::Ini_Document::Exact_Section>& replaced,
                           const engine::TBenchmark_Results& results) {
    // Checked first, so that the erase is never left without the write: the keys and the
    // number texts are always writable.
    if (!Is_Rewritable_Section_Name(name) ||
        !platform::Ini_Document::is_writable_section_name(name))
        return false;
    if (replaced)
        document.erase_exact_sections({*replaced});
    return document.append_section(name, result_keys(results));
}

namespace {

// Writes one set through `put`, as one replacement of the file.
template <typename Put> bool write_with(const QString& path, const QString& name, Put put) {
    if (refuse_unstorable_name(name))
        return false;
    // A file that cannot be read is never replaced by a guess at its content.
    platform::Ini_File file(path);
    if (!file.read() || !put(file.document()) || !file.write())
        return refused_write(path);
    return true;
}

} // namespace

bool Write_Result_Set(const QString& path, const QString& name,
                      const engine::TBenchmark_Results& results) {
    return write_with(path, name, [&](platform::Ini_Document& document) {
        return Put_Result_Set(document, name, results);
    });
}

bool Read_Result_Set(const platform::Ini_Document& document, const QString& name,
                     engine::TBenchmark_Results& results, QString* bad_text) {
    // One read of the section instead of one pass over it per key.
    // The section Exact_Set_Section names, found in one pass.
    std::optional<platform::Ini_Key_Values> exact = document.exact_section({name, -1});
    const platform::Ini_Key_Values section = exact ? std::move(*exact) : document.section(name);
    for (int i = 0; i < Result_Key_Count; ++i) {
        const QString& key = Result_Key_Names()[static_cast<std::size_t>(i)];
        QString text = QStringLiteral("0");
        for (const auto& [k, v] : section) {
            if (k.compare(key, Qt::CaseInsensitive) == 0) {
                text = v.left(platform::Ini_Value_Window);
                break;
            }
        }
        long double value = 0;
        if (!Parse_Result_Number(text, value)) {
            if (bad_text)
                *bad_text = text;
            return false;
        }
        Result_Value(results, i) = value;
    }
    return true;
}

bool Read_Result_Set(const QString& path, const QString& name, engine::TBenchmark_Results& results,
                     QString* bad_text) {
    platform::Ini_File file(path);
    file.read(); // a file that cannot be read holds no set: every value reads as 0
    return Read_Result_Set(file.document(), name, results, bad_text);
}

bool Load_Result_Set(const platform::Ini_Document& document, const QString& name,
                     engine::TBenchmark_Results& results) {
    for (int i = 0; i < engine::TBenchmark_Results::Rate_Count; ++i)
        results.rate(i) = 0;
    if (name.isEmpty())
        return true;
    QString bad_text;
    if (!Read_Result_Set(document, name, results, &bad_text)) {
        platform::show_general_error(Invalid_Number_Message(bad_text));
        return false;
    }
    return true;
}

bool Load_Result_Set(const QString& path, const QString& name,
                     engine::TBenchmark_Results& results) {
    if (name.isEmpty())
        return Load_Result_Set(platform::Ini_Document(), name, results);
    platform::Ini_File file(path);
    if (!file.read()) {
        platform::show_general_error(Cannot_Open_Message(path));
        return false;
    }
    return Load_Result_Set(file.document(), name, results);
}

void Scan_Database_Section_Names(QStringList& names, const QByteArray& content) {
    qsizetype start = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        if (content[start] == '[') {
            qsizetype stop = end;
            if (stop > start && content[stop - 1] == '\r')
                --stop;
            if (stop - start != 2 || content[start + 1] != ']') {
                // Every "[" and every "]" removed, wherever they stand: what Replace_All_Text
                // with an empty replacement does, in one pass (this runs once per saved set).
                QString name = QString::fromUtf8(content.constData() + start, stop - start);
                name.remove(QLatin1Char('['));
                name.remove(QLatin1Char(']'));
                names.append(std::move(name));
            }
        }
        start = end + 1;
    }
}

void Read_Database_Section_Names(QStringList& names, const QString& path, bool clear_first) {
    if (clear_first)
        names.clear();
    const platform::Ini_File_Content content = platform::Ini_Read_File(path);
    if (content.status == platform::Ini_Read_Status::Read)
        Scan_Database_Section_Names(names, content.bytes);
}

int Find_Saved_Name(const QStringList& names, const QString& name) {
    for (int i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return i;
    return -1;
}

bool Erase_Database_Section(const QString& path, const QString& name) {
    if (name.isEmpty())
        return true;
    platform::Ini_File file(path);
    if (!file.read())
        return refused_write(path);
    if (file.status() == platform::Ini_Read_Status::Missing ||
        file.document().erase_exact_sections({{name, 0}}) == 0)
        return true;
    return file.write() || refused_write(path);
}

} // namespace smx::results
