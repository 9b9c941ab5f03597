#include "platform/Memory_Status.h"
#include "platform/Outside_Text.h"

#include "platform/File_Routines.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace smx::platform {
namespace {

std::function<QString()>& reader_override() {
    static std::function<QString()> reader;
    return reader;
}

QString read_meminfo() {
    if (reader_override())
        return reader_override()();
    const auto text = Read_Outside_Text_File(QStringLiteral("/proc/meminfo"));
    return text ? QString::fromLatin1(*text) : QString();
}

} // namespace

std::optional<int> Free_Memory_Percent_Of(const QString& meminfo_text) {
    // Lines read "MemTotal:       16318412 kB"; every figure used here is in kilobytes.
    QHash<QString, double> kb;
    for (const QString& line : meminfo_text.split(QLatin1Char('\n'))) {
        const int colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QStringList fields = line.mid(colon + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // Whole numbers only: "nan", "inf" or "-5" are no amount of memory.
        bool ok = false;
        const qulonglong value = fields.isEmpty() ? 0 : fields.first().toULongLong(&ok);
        if (ok)
            kb.insert(line.left(colon).trimmed(), static_cast<double>(value));
    }
    if (!kb.contains(QStringLiteral("MemTotal")))
        return std::nullopt;
    // Kernels before 3.14 have no MemAvailable; free memory is the nearest they offer.
    const double available =
        kb.value(QStringLiteral("MemAvailable"), kb.value(QStringLiteral("MemFree")));
    const double free = available + kb.value(QStringLiteral("SwapFree"));
    const double total =
        kb.value(QStringLiteral("MemTotal")) + kb.value(QStringLiteral("SwapTotal"));
    if (total <= 0)
        return std::nullopt;
    // A text whose figures contradict each other still gives a share.
    return static_cast<int>(std::lround(std::clamp(free / total, 0.0, 1.0) * 100.0));
}

std::optional<int> Free_Memory_Percent_Now() {
    return Free_Memory_Percent_Of(read_meminfo());
}

void set_meminfo_reader_override(std::function<QString()> reader) {
    reader_override() = std::move(reader);
}

} // namespace smx::platform
