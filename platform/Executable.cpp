#include "platform/Executable.h"

#include <QFileInfo>

namespace smx::platform {
namespace {
QString& override_path() {
    static QString path;
    return path;
}
} // namespace

QString executable_path() {
    if (!override_path().isEmpty())
        return override_path();
    static const QString real = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return real;
}

QString executable_dir() {
    return QFileInfo(executable_path()).absolutePath();
}

QString executable_file_name() {
    return QFileInfo(executable_path()).fileName();
}

void set_executable_path_override(const QString& path) {
    override_path() = path;
}

} // namespace smx::platform
