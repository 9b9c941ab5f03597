// The plain-text scan of the results database's section names on arbitrary bytes, against the
// rule written out here: each line (LF or CR LF) that starts with "[" and is not exactly "[]"
// gives that line without any "[" or "]", in file order; a leading UTF-8 byte-order mark is no
// part of the first line.
#include "results/Results_Database.h"

#include <cstdint>
#include <cstdlib>

using namespace smx::results;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList expected;
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the split's empty piece after a final line break
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[') && line != "[]")
            expected << QString::fromUtf8(line).remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    }
    QStringList names;
    Scan_Database_Section_Names(names, bytes);
    if (names != expected)
        std::abort();
    for (const QString& name : names)
        if (name.contains(QLatin1Char('\n')))
            std::abort();
    return 0;
}
