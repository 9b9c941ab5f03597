#include "platform/Shell_Open.h"

#include <QDesktopServices>

namespace smx::platform {
namespace {
Shell_Opener& opener_override() {
    static Shell_Opener opener;
    return opener;
}
} // namespace

QUrl Shell_Url(const QString& target) {
    // A target without a scheme is taken as the user would type it: a path, or a web host.
    return QUrl::fromUserInput(target);
}

void Open_With_Shell(const QString& target) {
    if (target.isEmpty())
        return;
    const QUrl url = Shell_Url(target);
    if (opener_override()) {
        opener_override()(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

void set_shell_opener_override(Shell_Opener opener) {
    opener_override() = std::move(opener);
}

} // namespace smx::platform
