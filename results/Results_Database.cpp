#include "results/Results_Database.h"

#include "platform/File_Routines.h"
#include "platform/Ini_File.h"
#include "platform/Message_Boxes.h"
#include "platform/Program_Files.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

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

QString Invalid_Number_Message(const QString& text) {
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

QString Unable_To_Write_Message(const QString& path) {
    return QStringLiteral("Unable to write to %1").arg(path);
}

QString Saved_Confirmation_Message(const QString& name) {
    return QStringLiteral("The benchmark data has been saved to the \"") + name +
           QStringLiteral("\" section in the \"") + Database_File_Name() +
           QStringLiteral("\" file. ");
}

bool Is_Storable_Set_Name(const QString& name) {
    // "[]" is no section to the scan, and an empty name is never loaded.
    if (name.isEmpty())
        return false;
    for (QChar c : name) {
        if (c == QLatin1Char('[') || c == QLatin1Char(']'))
            return false;
        // Control characters split or end the header line; a lone surrogate does not survive
        // the file's encoding.
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Surrogate ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return false;
    }
    // The file's reader trims blanks around section names.
    return !name.front().isSpace() && !name.back().isSpace();
}

QString Unstorable_Name_Message() {
    return QStringLiteral("The Save Name cannot contain \"[\", \"]\", line breaks or other control "
                          "characters, and cannot begin or end with a blank - save aborted.");
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

bool Write_Result_Set(const QString& path, const QString& name,
                      const engine::TBenchmark_Results& results) {
    if (refuse_unstorable_name(name))
        return false;
    if (!platform::Ini_Write_Strings(path, name, result_keys(results)))
        return refused_write(path);
    return true;
}

bool Write_Result_Set_At_End(const QString& path, const QString& name,
                             const engine::TBenchmark_Results& results) {
    if (refuse_unstorable_name(name))
        return false;
    QByteArray bytes;
    QFile file(path);
    if (file.exists()) {
        // A file that cannot be read is never replaced by a guess at its content.
        if (!file.open(QIODevice::ReadOnly))
            return refused_write(path);
        bytes = file.readAll();
        file.close();
    }
    platform::Ini_Document document(bytes);
    document.erase_section(name);
    if (!document.set_values(name, result_keys(results)) ||
        !platform::Ini_Replace_File(path, document.bytes()))
        return refused_write(path);
    return true;
}

bool Read_Result_Set(const QString& path, const QString& name, engine::TBenchmark_Results& results,
                     QString* bad_text) {
    // One read of the section instead of one pass over the file per key.
    const platform::Ini_Key_Values section = platform::Ini_Read_Section(path, name);
    for (int i = 0; i < Result_Key_Count; ++i) {
        const QString& key = Result_Key_Names()[static_cast<std::size_t>(i)];
        QString text = QStringLiteral("0");
        for (const auto& [k, v] : section) {
            if (k.compare(key, Qt::CaseInsensitive) == 0) {
                text = v;
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

bool Load_Result_Set(const QString& path, const QString& name,
                     engine::TBenchmark_Results& results) {
    for (int i = 0; i < engine::TBenchmark_Results::Rate_Count; ++i)
        results.rate(i) = 0;
    if (name.isEmpty())
        return true;
    QString bad_text;
    if (!Read_Result_Set(path, name, results, &bad_text)) {
        platform::show_general_error(Invalid_Number_Message(bad_text));
        return false;
    }
    return true;
}

void Read_Database_Section_Names(QStringList& names, const QString& path, bool clear_first) {
    if (clear_first)
        names.clear();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.readAll();
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        if (content[start] == '[') {
            qsizetype stop = end;
            if (stop > start && content[stop - 1] == '\r')
                --stop;
            const QString line = QString::fromUtf8(content.constData() + start, stop - start);
            if (line != QStringLiteral("[]")) {
                names.append(platform::Replace_All_Text(
                    platform::Replace_All_Text(line, QStringLiteral("["), QString()),
                    QStringLiteral("]"), QString()));
            }
        }
        start = end + 1;
    }
}

int Find_Saved_Name(const QStringList& names, const QString& name) {
    for (int i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return i;
    return -1;
}

bool Erase_Database_Section(const QString& path, const QString& name) {
    if (name.isEmpty() || !QFileInfo(path).isFile())
        return true;
    if (!platform::Ini_Erase_Section(path, name)) {
        platform::show_general_error(Unable_To_Write_Message(path));
        return false;
    }
    return true;
}

} // namespace smx::results
