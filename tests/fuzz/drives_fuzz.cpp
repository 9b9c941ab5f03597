// The drive table from arbitrary mounts text: c is always the home directory, the other letters
// follow from d without a gap up to z at most, and no mount point gets two letters. Qt's own
// checks are on in this build, so a bad character code handed to QChar ends the run too.
#include "platform/Drives.h"

#include <QSet>
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
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<Drive> drives = drives_from_mounts(text, QStringLiteral("/home/user/"));
    check(!drives.empty() && drives.size() <= 24);
    check(drives[0].letter == 'c' && drives[0].root == QStringLiteral("/home/user"));
    QSet<QString> roots;
    for (std::size_t i = 1; i < drives.size(); ++i) {
        check(drives[i].letter == static_cast<char>('c' + i));
        check(!roots.contains(drives[i].root));
        roots.insert(drives[i].root);
        check(!drives[i].label.isEmpty());
        // A line break in a mount point comes only from its escape: lines are never run together.
        check(drives[i].root.count(QLatin1Char('\n')) <= text.count(QStringLiteral("\\012")));
    }
    return 0;
}
