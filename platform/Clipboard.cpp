#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace smx::platform {

void Put_Text_On_Clipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // Plain text alone: a rich-text copy would let spreadsheets paste markup instead of cells.
    clipboard->setText(text);
}

void Put_Image_On_Clipboard(const QImage& image) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(image);
}

} // namespace smx::platform
