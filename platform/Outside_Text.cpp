#include "platform/Outside_Text.h"

#include "platform/Ini_File.h"

namespace smx::platform {

std::optional<QByteArray> Read_Outside_Text_File(const QString& path) {
    Ini_File_Content content = Ini_Read_File(path, Outside_Text_Max_Size);
    if (content.status != Ini_Read_Status::Read)
        return std::nullopt;
    return std::move(content.bytes);
}

} // namespace smx::platform
