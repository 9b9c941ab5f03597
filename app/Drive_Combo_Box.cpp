#include "app/Drive_Combo_Box.h"

#include "platform/Drives.h"

namespace smx::app {

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
    Refresh();
    connect(this, &QComboBox::activated, this, &TDriveComboBox::Item_Chosen);
}

void TDriveComboBox::Refresh() {
    const QSignalBlocker block(this);
    clear();
    for (const auto& drive : platform::drive_table()) {
        addItem(QStringLiteral("%1:  %2  [%3]")
                    .arg(QChar::fromLatin1(drive.letter), drive.root, drive.label),
                QVariant::fromValue(static_cast<int>(drive.letter)));
    }
    setDrive(drive_);
}

void TDriveComboBox::setDrive(char letter) {
    drive_ = platform::lower_drive_letter(letter);
    const int index = findData(QVariant::fromValue(static_cast<int>(drive_)));
    const QSignalBlocker block(this);
    setCurrentIndex(index); // -1 when the letter has no drive: nothing shown, letter kept
}

void TDriveComboBox::Item_Chosen(int index) {
    if (index >= 0)
        drive_ = static_cast<char>(itemData(index).toInt());
}

} // namespace smx::app
