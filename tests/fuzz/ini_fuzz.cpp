// The INI reader on arbitrary bytes: parse, list, read every key, then write a key (and erase a
// section) and parse again. A written key must read back as written, and nothing else may
// change its value.
#include "platform/Ini_File.h"

#include <cstdint>
#include <cstdlib>

using namespace smx::platform;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Ini_Document doc(bytes);
    const QStringList names = doc.section_names();
    // Erasing one entry of the list exactly removes that entry and no other, whatever else the
    // text holds (duplicates, names alike but for case, a byte-order mark, junk lines).
    if (!names.isEmpty()) {
        const qsizetype chosen = static_cast<qsizetype>((size / 7) % names.size());
        int occurrence = 0;
        for (qsizetype i = 0; i < chosen; ++i)
            occurrence += names[i] == names[chosen] ? 1 : 0;
        Ini_Document erased(bytes);
        check(erased.erase_exact_sections({{names[chosen], occurrence}}) == 1);
        QStringList expected = names;
        expected.removeAt(chosen);
        check(Ini_Document(erased.bytes()).section_names() == expected);
        check(erased.bytes().startsWith(bytes.left(doc.bom_size())));
    }
    for (const QString& name : names) {
        check(doc.has_section(name));
        for (const auto& [key, value] : doc.section(name))
            check(doc.value(name, key) == value);
    }

    // A section and a key from the text itself when it has some, and a value from its end.
    const QString section = names.isEmpty() ? QStringLiteral("s") : names[size % names.size()];
    const Ini_Key_Values keys = doc.section(section);
    const QString key =
        keys.empty() ? QStringLiteral("Fuzz_Key") : keys[size % keys.size()].first.toUpper();
    QString value = QString::fromUtf8(bytes.right(24));
    value.remove(QLatin1Char('\n')).remove(QLatin1Char('\r')).remove(QChar(0));
    if (!Ini_Document::is_writable_section_name(section) ||
        !Ini_Document::is_writable_key_name(key))
        return 0;

    Ini_Document written(bytes);
    check(written.set_values(section, {{key, value}}));
    const Ini_Document reread(written.bytes());
    check(reread.value(section, key) == value);
    check(reread.section_names().size() == names.size() + (doc.has_section(section) ? 0 : 1));
    for (const auto& [other, old_value] : keys)
        if (other.trimmed().toCaseFolded() != key.trimmed().toCaseFolded())
            check(reread.value(section, other) == old_value);

    Ini_Document erased(written.bytes());
    check(erased.erase_section(section));
    check(!Ini_Document(erased.bytes()).has_section(section));
    return 0;
}
