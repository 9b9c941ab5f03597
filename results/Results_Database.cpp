#include "results/Results_Database.h"

#include "platform/Executable.h"
#include "platform/File_Routines.h"
#include "platform/Ini_File.h"
#include "platform/Message_Boxes.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace smx::results {
namespace {

// strtold in the "C" locale, whatever LC_NUMERIC the process has been given.
locale_t c_numeric_locale() {
    static const locale_t locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the accepted form and returns it without blanks, ready for strtold; empty when the
// text is not of that form.
std::string normalised_number(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0x7f)
            return {};
    const QByteArray bytes = text.toLatin1();
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    while (p < end && is_blank(*p))
        ++p;
    while (end > p && is_blank(end[-1]))
        --end;
    std::string out;
    if (p < end && (*p == '+' || *p == '-'))
        out += *p++;
    int digits = 0;
    bool point = false;
    for (; p < end && (is_digit(*p) || *p == '.'); ++p) {
        if (*p == '.') {
            if (point)
                return {};
            point = true;
        } else {
            ++digits;
        }
        out += *p;
    }
    if (digits == 0)
        return {};
    if (p < end && (*p == 'E' || *p == 'e')) {
        out += 'e';
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            out += *p++;
        int exponent_digits = 0;
        for (; p < end && is_digit(*p); ++p, ++exponent_digits)
            out += *p;
        if (exponent_digits == 0)
            return {};
    }
    if (p != end)
        return {};
    return out;
}

} // namespace

QString Database_File_Name() {
    return QStringLiteral("Speedmetrix_DB.INI");
}

QString Database_Path() {
    return platform::executable_dir() + QLatin1Char('/') + Database_File_Name();
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

QString Format_Result_Number(long double value) {
    if (value == 0)
        value = 0; // no "-0"
    // to_chars is exact and locale-independent: "d.ddddddddddddddddde+XX", ties to even.
    char buffer[64];
    const auto [ptr, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 17);
    if (ec != std::errc())
        return QStringLiteral("0.00000000000000000E+0");
    const std::string_view text(buffer, static_cast<std::size_t>(ptr - buffer));
    const std::size_t e = text.find('e');
    if (e == std::string_view::npos) // infinity or NaN: cannot come from a run
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    std::string out(text.substr(0, e));
    out += 'E';
    out += text[e + 1]; // the exponent's sign, always present
    std::string_view exponent = text.substr(e + 2);
    while (exponent.size() > 1 && exponent.front() == '0')
        exponent.remove_prefix(1);
    out += exponent;
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

bool Parse_Result_Number(const QString& text, long double& value) {
    const std::string number = normalised_number(text);
    if (number.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long double parsed = strtold_l(number.c_str(), &end, c_numeric_locale());
    if (end != number.c_str() + number.size())
        return false;
    // ERANGE with an infinite result is an overflow; with a finite one it is an underflow to a
    // denormal or zero, which is still the nearest value.
    if (errno == ERANGE && std::isinf(parsed))
        return false;
    value = parsed;
    return true;
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

bool Write_Result_Set(const QString& path, const QString& name,
                      const engine::TBenchmark_Results& results) {
    if (!Is_Storable_Set_Name(name)) {
        platform::show_information(QStringLiteral("Information"), Unstorable_Name_Message());
        return false;
    }
    platform::Ini_Key_Values keys;
    keys.reserve(Result_Key_Count);
    for (int i = 0; i < Result_Key_Count; ++i)
        keys.emplace_back(Result_Key_Names()[static_cast<std::size_t>(i)],
                          Format_Result_Number(Result_Value(results, i)));
    if (!platform::Ini_Write_Strings(path, name, keys)) {
        platform::show_general_error(Unable_To_Write_Message(path));
        return false;
    }
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
