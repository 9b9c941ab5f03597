// The settings file's value decoders on arbitrary text, against the rules written out here
// independently: an integer is decimal with an optional sign, or hexadecimal after "0x", "0X" or
// "$", blanks around it ignored, and only within the signed 32-bit range; a boolean is such an
// integer, true when not zero; a drive is the first character when it is an ASCII letter.
#include "settings/Settings.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

using namespace smx;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

std::optional<int> reference_integer(const QString& text) {
    static const std::regex form(R"(([+-]?)(?:(0[xX]|\$)([0-9a-fA-F]+)|([0-9]+)))");
    const std::string t = text.trimmed().toStdString();
    std::smatch m;
    if (!std::regex_match(t, m, form))
        return std::nullopt;
    const bool hex = m[2].matched;
    std::string digits = hex ? m[3].str() : m[4].str();
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.size() > 10)
        return std::nullopt;
    const long long magnitude = digits.empty() ? 0 : std::stoll(digits, nullptr, hex ? 16 : 10);
    const long long value = m[1].str() == "-" ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<char> reference_drive(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    const char16_t c = text.front().unicode();
    if (c >= u'A' && c <= u'Z')
        return static_cast<char>(c - u'A' + 'a');
    if (c >= u'a' && c <= u'z')
        return static_cast<char>(c);
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<int> integer = settings::Parse_Settings_Integer(text);
    check(integer == reference_integer(text));
    if (integer) {
        // What a save writes reads back as the same value.
        check(settings::Parse_Settings_Integer(QString::number(*integer)) == integer);
        check(settings::Parse_Settings_Boolean(text) == (*integer != 0));
    } else {
        check(!settings::Parse_Settings_Boolean(text));
    }
    check(settings::Parse_Settings_Drive(text) == reference_drive(text));
    return 0;
}
