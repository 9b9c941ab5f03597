#pragma once
#include <QImage>
#include <QString>

namespace smx::platform {

// Each empties the clipboard first, so nothing of an earlier copy stays beside the new data.

// Plain text only, exactly as given (line ends included).
void Put_Text_On_Clipboard(const QString& text);
// A picture.
void Put_Image_On_Clipboard(const QImage& image);

} // namespace smx::platform
