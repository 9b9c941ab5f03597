#include "app/Desktop_Integration.h"

#include "platform/Message_Boxes.h"
#include "platform/Program_Files.h"
#include "platform/Registry.h"

#include <QFileInfo>

namespace smx::app::desktop {
namespace {

using platform::Root_Key;

QString file_name(const QString& exe_path) {
    return QFileInfo(exe_path).fileName();
}

// Paths compare as the Windows registry did: ASCII letters without regard to case.
QString ascii_upper(QString text) {
    for (QChar& c : text)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return text;
}

} // namespace

bool Auto_Run_Enable(const QString& exe_path) {
    const QString name = file_name(exe_path);
    if (!platform::Registry_Write_String(Root_Key::HKEY_LOCAL_MACHINE, platform::Run_Key, name,
                                         exe_path))
        return false;
    platform::show_information(platform::application_title(),
                               QStringLiteral("This program (") + name +
                                   QStringLiteral(") will now run automatically at Windows "
                                                  "Start-Up."));
    return true;
}

bool Auto_Run_Disable(const QString& exe_path) {
    const QString name = file_name(exe_path);
    if (!platform::Registry_Delete_Value(Root_Key::HKEY_LOCAL_MACHINE, platform::Run_Key, name))
        return false;
    platform::show_information(platform::application_title(),
                               QStringLiteral("This program (") + name +
                                   QStringLiteral(") will now no-longer run automatically at "
                                                  "Windows Start-Up."));
    return true;
}

QString Auto_Run_Location_Question(const QString& file_name, const QString& stored,
                                   const QString& current) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("The directory / path settings required to make this program (") +
           file_name + QStringLiteral(")") + crlf +
           QStringLiteral("run automatically at Windows Start-up do not match where the program ") +
           crlf + QStringLiteral("is currently being run from.") + crlf + crlf +
           QStringLiteral(" Old      = ") + stored + crlf + QStringLiteral(" Current = ") +
           current + crlf + crlf +
           QStringLiteral("Do you want to update the Windows Registry to reflect the programs "
                          "current locaton ?");
}

bool Auto_Run_Check_Location(const QString& exe_path) {
    const QString name = file_name(exe_path);
    const QString stored =
        platform::Registry_Read_String(Root_Key::HKEY_LOCAL_MACHINE, platform::Run_Key, name);
    if (stored.isEmpty())
        return false;
    if (ascii_upper(stored) == ascii_upper(exe_path))
        return true;
    if (platform::ask_warning_question(platform::application_title(),
                                       Auto_Run_Location_Question(name, stored, exe_path)) ==
        platform::Box_Answer::Yes)
        Auto_Run_Enable(exe_path);
    return true;
}

QString Readme_Path(const QString& exe_path) {
    const QFileInfo info(exe_path);
    return info.absolutePath() + QLatin1Char('/') + platform::Readme_File_Name(info.fileName());
}

} // namespace smx::app::desktop
