#pragma once
#include <QComboBox>

namespace smx::app {

// The drive list: shows the drive table; reading gives a letter, writing selects by letter.
// A letter with no drive behind it still reads back as chosen.
class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    char Drive() const { return drive_; }
    void setDrive(char letter);
    // Reads the drive table again, keeping the chosen letter.
    void Refresh();

private:
    void Item_Chosen(int index);
    char drive_ = 'c';
};

} // namespace smx::app
