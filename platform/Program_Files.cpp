#include "platform/Program_Files.h"

#include "platform/Executable.h"
#include "platform/Xdg_Dirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#ifndef SMX_DOC_DIR_FROM_BIN
#error "SMX_DOC_DIR_FROM_BIN: the documentation folder relative to the program's, set by the build"
#endif

namespace smx::platform {
namespace {

std::optional<bool>& writable_override() {
    static std::optional<bool> writable;
    return writable;
}

QString beside_executable(const QString& name) {
    return executable_dir() + QLatin1Char('/') + name;
}

QString readme_path() {
    const QString name = Readme_File_Name(executable_file_name());
    const QString beside = beside_executable(name);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString installed = Installed_Doc_Dir() + QLatin1Char('/') + name;
    // With neither, the editor is still given the usual place and says what it finds there.
    return QFileInfo(installed).isFile() ? installed : beside;
}

} // namespace

bool Files_Beside_Executable() {
    if (writable_override())
        return *writable_override();
    return ::access(QFile::encodeName(executable_dir()).constData(), W_OK) == 0;
}

QString Program_Config_Dir() {
    return Config_Home() + QStringLiteral("/speedmetrix");
}

QString Program_Data_Dir() {
    return Data_Home() + QStringLiteral("/speedmetrix");
}

QString Installed_Doc_Dir() {
    return QDir::cleanPath(executable_dir() + QLatin1Char('/') +
                           QStringLiteral(SMX_DOC_DIR_FROM_BIN));
}

QString Readme_File_Name(const QString& executable_file_name) {
    return executable_file_name.left(executable_file_name.indexOf(QLatin1Char('.'))) +
           QStringLiteral(".txt");
}

QString Program_File_Path(Program_File file) {
    switch (file) {
    case Program_File::Settings:
        return Files_Beside_Executable()
                   ? beside_executable(QLatin1String(Settings_File_Name))
                   : Program_Config_Dir() + QLatin1Char('/') + QLatin1String(Settings_File_Name);
    case Program_File::Results_Database:
        return Files_Beside_Executable()
                   ? beside_executable(QLatin1String(Results_Database_File_Name))
                   : Program_Data_Dir() + QLatin1Char('/') +
                         QLatin1String(Results_Database_File_Name);
    case Program_File::Readme:
        return readme_path();
    }
    return {};
}

bool Make_Program_Folder(const QString& dir) {
    const QString clean = QDir::cleanPath(dir);
    if (QFileInfo(clean).isDir())
        return true;
    if (clean != Program_Config_Dir() && clean != Program_Data_Dir())
        return false;
    // Each missing folder on the way, the base folder included, is the user's alone.
    QStringList missing;
    for (QString at = clean; !QFileInfo::exists(at); at = QFileInfo(at).absolutePath())
        missing.prepend(at);
    for (const QString& folder : missing)
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    return QFileInfo(clean).isDir();
}

bool Folder_Takes_New_Files(const QString& dir) {
    QString at = QDir::cleanPath(dir);
    if (!QFileInfo::exists(at)) {
        if (at != Program_Config_Dir() && at != Program_Data_Dir())
            return false;
        while (!QFileInfo::exists(at))
            at = QFileInfo(at).absolutePath();
    }
    return QFileInfo(at).isDir() && ::access(QFile::encodeName(at).constData(), W_OK | X_OK) == 0;
}

void set_executable_dir_writable_override(std::optional<bool> writable) {
    writable_override() = writable;
}

} // namespace smx::platform
