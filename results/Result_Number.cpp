#include "results/Result_Number.h"

#include <QByteArray>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <string_view>

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

// to_chars text that strtold would take as beyond the range of long double.
bool reads_as_overflow(const std::string& text) {
    if (text.size() < 5 || text.compare(text.size() - 5, 5, "+4932") != 0)
        return false; // only the top decade can round past the largest value
    return std::isinf(strtold_l(text.c_str(), nullptr, c_numeric_locale()));
}

// The digits were rounded up from a value that fits, so one unit less in the last digit (with a
// borrow past zeros) is the same digits cut short: the largest 18-digit number not above it.
void cut_last_digit_towards_zero(std::string& mantissa) {
    for (std::size_t i = mantissa.size(); i-- > 0;) {
        char& c = mantissa[i];
        if (!is_digit(c))
            continue;
        if (c != '0') {
            --c;
            return;
        }
        c = '9';
    }
}

} // namespace

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
    // Within half a unit of the 18th digit of the largest long double, rounding up gives a
    // number the reader must refuse as out of range; the digits are cut short instead so that
    // everything written can be read back.
    if (reads_as_overflow(std::string(text)))
        cut_last_digit_towards_zero(out);
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

} // namespace smx::results
