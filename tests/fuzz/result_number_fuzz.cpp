// The stored-number reader on arbitrary text. What it accepts must be of the accepted form and
// a finite value; what it writes must read back and be written again as the same text.
#include "results/Result_Number.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

using namespace smx::results;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

// The accepted form, written out independently of the reader.
bool of_accepted_form(const std::string& text) {
    static const std::regex form(
        R"([ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*)");
    return std::regex_match(text, form);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    long double value = 12345;
    const bool accepted = Parse_Result_Number(text, value);
    const std::string ascii = text.toStdString();
    if (accepted) {
        check(of_accepted_form(ascii));
        check(std::isfinite(value));
    } else {
        check(value == 12345);
        // Only a value beyond the range of long double is refused in the accepted form.
        if (of_accepted_form(ascii))
            check(std::isinf(std::strtold(ascii.c_str(), nullptr)));
    }

    // Any finite value from the input's bytes is written so that it reads back to itself.
    long double raw = 0;
    if (size >= 10) {
        std::memcpy(&raw, data, 10);
        if (!std::isfinite(raw))
            return 0;
        const QString written = Format_Result_Number(raw);
        long double back = 0;
        check(Parse_Result_Number(written, back));
        check(Format_Result_Number(back) == written);
    }
    return 0;
}
