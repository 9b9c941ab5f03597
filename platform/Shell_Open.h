#pragma once
#include <QString>
#include <QUrl>
#include <functional>

namespace smx::platform {

// Hands a web address, a "mailto:" link or a file to the desktop's default handler (browser,
// mail program, viewer). An empty target opens nothing. Nothing is reported: the desktop shows
// its own complaint when it has no handler.
void Open_With_Shell(const QString& target);

// The address Open_With_Shell hands to the desktop for a target.
QUrl Shell_Url(const QString& target);

// Tests see what would be opened instead of starting programs; an empty function restores the
// desktop.
using Shell_Opener = std::function<void(const QUrl&)>;
void set_shell_opener_override(Shell_Opener opener);

} // namespace smx::platform
