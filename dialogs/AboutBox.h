#pragma once
#include <QDialog>
#include <QRandomGenerator>
#include <functional>

class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace smx::platform {
class TBitBtn;
}

namespace smx::dialogs {

class TDrawn_Picture;
class TAnimated_Logo;

// The about box: product name, the maker's lines, a quote that changes every ten seconds, the
// share of free memory updated twice a second, an animated logo, and links to the web page, an
// e-mail and the donation page. Created once and shown modally as often as asked; every way of
// closing it (OK, Enter, Escape, a programmatic reject) stops its timers and the animation.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QGroupBox* GroupBox2 = nullptr;
    TDrawn_Picture* Tarvo_Logo_Banner_Image = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QFrame* Bevel1 = nullptr;
    TAnimated_Logo* Tarvo_Logo_GIFImage = nullptr;
    QLabel* Quote_From_Tarvo_Label = nullptr;
    QListWidget* Quotes_From_Tarvo_ListBox = nullptr;
    QLabel* Product_Name_Label = nullptr;
    QLabel* Author_and_Date_Label = nullptr;
    QLabel* Developed_Using_Label = nullptr;
    QLabel* Notice_Label = nullptr;
    QLabel* Donation_Label = nullptr;
    TDrawn_Picture* Donation_Image = nullptr;
    QLabel* Donation_Address_Label = nullptr;
    QLabel* Comments_Label = nullptr;
    QLabel* WEB_Page_Label = nullptr;
    QPushButton* Email_Button = nullptr;
    QPushButton* WEB_Button = nullptr;
    QLabel* Email_Address_Label = nullptr;
    QLabel* WEB_Address_Label = nullptr;
    QFrame* Bevel3 = nullptr;
    TDrawn_Picture* Badge_Image = nullptr;
    QLabel* Badge_Label = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Free_Resources_Label = nullptr;
    platform::TBitBtn* OKButton = nullptr;
    QTimer* Quote_Change_Timer = nullptr;
    QTimer* Free_Resources_Timer = nullptr;

    // The maker's lines and addresses; the notice ends with the current year.
    void Fill_Maker_Texts();

    // Handlers.
    void FormCreate();
    void FormActivate();
    // True when the key was taken (Escape, Enter); other keys go on to the controls.
    bool FormKeyDown(int Key);
    void Quote_Change_TimerTimer();
    void Free_Resources_TimerTimer();
    void Email_ButtonClick();
    void WEB_ButtonClick();
    void Donation_LabelClick();
    void OKButtonClick();

    // The text for Free_Resources_Label, such as "63%"; empty when the system does not say.
    static QString Free_Memory_Percent();

    // Tests fix the quote choice: given the number of quotes, returns the index to show.
    std::function<int(int)> Random_Index_Override;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Stop_Timers_And_Animation();
    void Seed_Random();

    QRandomGenerator random_;
    bool key_preview_ = false;
};

} // namespace smx::dialogs
