#include "dialogs/AboutBox.h"

#include "dialogs/About_Pictures.h"
#include "platform/Bit_Button.h"
#include "platform/Design_Fonts.h"
#include "platform/Executable.h"
#include "platform/Memory_Status.h"
#include "platform/Product.h"
#include "platform/Shell_Open.h"

#include <QDate>
#include <QDateTime>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace smx::dialogs {
namespace {

constexpr int Client_Width = 622;
constexpr int Client_Height = 411;

const QColor kLinkBlue(0, 0, 255);

QFont font_of(const char* family, int pixels, bool bold = false, bool underline = false) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setUnderline(underline);
    return platform::fit_design_widths(font);
}

QFont times(int pixels = 15, bool bold = false, bool underline = false) {
    return font_of("Times New Roman", pixels, bold, underline);
}

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, int left, int top, int width, int height,
              const QFont& font) {
    auto* l = place(new QLabel(parent), name, left, top, width, height);
    l->setFont(font);
    return l;
}

// A label that sizes itself to its text, as the design's auto-sized labels do.
void set_auto_sized(QLabel* l, const QString& text) {
    l->setText(text);
    l->adjustSize();
}

void set_text_colour(QWidget* w, const QColor& colour) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, colour);
    w->setPalette(palette);
}

QFrame* bevel(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* f = place(new QFrame(parent), name, left, top, width, height);
    f->setFrameStyle(QFrame::Panel | QFrame::Raised);
    f->setLineWidth(1);
    return f;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    // A fixed dialog border with no title-bar buttons: OK, Enter or Escape close it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("About Windows PC Speedmetrix v1.3f ..."));
    setFont(font_of("System", 13));
    setFixedSize(Client_Width, Client_Height);

    GroupBox2 = place(new QGroupBox(this), "GroupBox2", 3, -4, 615, 77);
    Tarvo_Logo_Banner_Image = place(new TDrawn_Picture(About_Picture::Banner, GroupBox2),
                                    "Tarvo_Logo_Banner_Image", 2, 8, 611, 67);

    GroupBox1 = place(new QGroupBox(this), "GroupBox1", 3, 70, 615, 341);
    QWidget* g = GroupBox1;
    Bevel1 = bevel(g, "Bevel1", 5, 14, 184, 167);
    Tarvo_Logo_GIFImage = place(new TAnimated_Logo(g), "Tarvo_Logo_GIFImage", 12, 16, 173, 165);

    Quote_From_Tarvo_Label = label(g, "Quote_From_Tarvo_Label", 8, 184, 181, 119, times());
    Quote_From_Tarvo_Label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Quote_From_Tarvo_Label->setWordWrap(true);

    Quotes_From_Tarvo_ListBox = new QListWidget(g);
    Quotes_From_Tarvo_ListBox->setObjectName(QStringLiteral("Quotes_From_Tarvo_ListBox"));
    Quotes_From_Tarvo_ListBox->hide();
    Quotes_From_Tarvo_ListBox->addItems({
        QStringLiteral("I hope this program makes your work a little simpler, your play a little "
                       "better, or your day a bit easier."),
        QStringLiteral("If you have any comments, suggestions, improvements, or feedback, please "
                       "email me."),
        QStringLiteral("Useful software does not have to fill gigabytes of your disk: a small, "
                       "careful program can still do a great deal."),
        QStringLiteral("If Speedmetrix has been worth your while, a small donation through our "
                       "donation page helps keep it free and growing."),
    });

    Product_Name_Label = label(g, "Product_Name_Label", 205, 15, 400, 18, times(15, true));
    Product_Name_Label->setText(QStringLiteral("Windows PC Speedmetrix v1.3f"));
    Author_and_Date_Label = label(g, "Author_and_Date_Label", 205, 44, 400, 18, times(15, true));
    Developed_Using_Label = label(g, "Developed_Using_Label", 205, 73, 400, 18, times());
    Developed_Using_Label->setWordWrap(true);
    Notice_Label = label(g, "Notice_Label", 205, 102, 400, 18, times());

    Donation_Label = label(g, "Donation_Label", 206, 157, 312, 63, times(16, false, true));
    Donation_Label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Donation_Label->setWordWrap(true);
    set_text_colour(Donation_Label, kLinkBlue);
    Donation_Image = place(new TDrawn_Picture(About_Picture::Donation_Button, g), "Donation_Image",
                           532, 166, 62, 31);
    Donation_Address_Label = label(g, "Donation_Address_Label", 196, 216, 0, 0, times());
    Donation_Address_Label->hide();

    Comments_Label = label(g, "Comments_Label", 205, 230, 225, 18, times());
    Comments_Label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    WEB_Page_Label = label(g, "WEB_Page_Label", 205, 259, 225, 18, times());
    WEB_Page_Label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Email_Button = place(new QPushButton(g), "Email_Button", 438, 228, 169, 23);
    Email_Button->setFont(times());
    Email_Button->setAutoDefault(false);
    WEB_Button = place(new QPushButton(g), "WEB_Button", 438, 257, 169, 23);
    WEB_Button->setFont(times());
    WEB_Button->setAutoDefault(false);
    Email_Address_Label = label(g, "Email_Address_Label", 446, 228, 0, 0, times(16, true, true));
    set_text_colour(Email_Address_Label, kLinkBlue);
    WEB_Address_Label = label(g, "WEB_Address_Label", 447, 257, 0, 0, times(16, true, true));
    set_text_colour(WEB_Address_Label, kLinkBlue);

    Bevel3 = bevel(g, "Bevel3", 448, 288, 157, 48);
    Badge_Image =
        place(new TDrawn_Picture(About_Picture::Badge, g), "Badge_Image", 452, 292, 149, 41);
    Badge_Image->setToolTip(QStringLiteral("Hey, don't poke me there !!"));
    Badge_Label = label(g, "Badge_Label", 458, 296, 98, 32, font_of("Arial", 13));
    Badge_Label->setAlignment(Qt::AlignCenter);
    Badge_Label->setWordWrap(true);
    set_text_colour(Badge_Label, palette().color(QPalette::HighlightedText));
    Badge_Label->setText(QStringLiteral("Speed tested by Speedmetrix"));

    Label3 = label(g, "Label3", 23, 308, 0, 0, times());
    set_auto_sized(Label3, QStringLiteral("Free System Resources :"));
    Free_Resources_Label = label(g, "Free_Resources_Label", 179, 308, 0, 0, times());
    set_auto_sized(Free_Resources_Label, QStringLiteral("Free %"));

    OKButton = place(new platform::TBitBtn(g), "OKButton", 257, 288, 100, 48);
    OKButton->setText(QStringLiteral("OK"));
    OKButton->setFont(times(19, true));
    OKButton->setGlyph(platform::Glyph::Ok_Tick, QSize(20, 20));
    OKButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    Quote_Change_Timer = new QTimer(this);
    Quote_Change_Timer->setObjectName(QStringLiteral("Quote_Change_Timer"));
    Quote_Change_Timer->setInterval(10000);
    Free_Resources_Timer = new QTimer(this);
    Free_Resources_Timer->setObjectName(QStringLiteral("Free_Resources_Timer"));
    Free_Resources_Timer->setInterval(500);

    connect(Quote_Change_Timer, &QTimer::timeout, this, &TAboutBox::Quote_Change_TimerTimer);
    connect(Free_Resources_Timer, &QTimer::timeout, this, &TAboutBox::Free_Resources_TimerTimer);
    connect(OKButton, &QAbstractButton::clicked, this, &TAboutBox::OKButtonClick);
    connect(Email_Button, &QAbstractButton::clicked, this, &TAboutBox::Email_ButtonClick);
    connect(WEB_Button, &QAbstractButton::clicked, this, &TAboutBox::WEB_ButtonClick);
    // Pictures and labels have no click of their own: their releases are watched here.
    for (QWidget* w : std::initializer_list<QWidget*>{
             Email_Address_Label, WEB_Address_Label, Tarvo_Logo_Banner_Image, Tarvo_Logo_GIFImage,
             Badge_Image, Badge_Label, Donation_Label, Donation_Image})
        w->installEventFilter(this);

    Fill_Maker_Texts();
    FormCreate();
}

void TAboutBox::Fill_Maker_Texts() {
    Author_and_Date_Label->setText(QStringLiteral("Speedmetrix  -  released in 2026"));
    Developed_Using_Label->setText(QStringLiteral("Developed using C++ and Qt 6"));
    Notice_Label->setText(QStringLiteral("Free to use and to share.  (C) Speedmetrix ") +
                          QString::number(QDate::currentDate().year()));
    Comments_Label->setText(QStringLiteral("Comments and suggestions :"));
    WEB_Page_Label->setText(QStringLiteral("Visit our WEB Page :"));
    Email_Button->setText(QStringLiteral("mail@speedmetrix.org"));
    WEB_Button->setText(QString::fromLatin1(platform::Product_Web_Address));
    Donation_Address_Label->setText(QStringLiteral("https://speedmetrix.org/donate"));
    Donation_Label->setText(
        QStringLiteral("If you like this program, please consider a small donation: click here."));
}

void TAboutBox::Seed_Random() {
    random_.seed(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
}

void TAboutBox::FormCreate() {
    Seed_Random();
}

void TAboutBox::FormActivate() {
    Seed_Random();
    Quote_Change_Timer->start();
    Free_Resources_Timer->start();
    Tarvo_Logo_GIFImage->start();
    // Once at once, so a quote and the memory figure show before the first tick.
    Quote_Change_TimerTimer();
    Free_Resources_TimerTimer();

    Email_Button->setToolTip(QStringLiteral("Click to send an E-Mail to Tarvo."));
    WEB_Button->setToolTip(QStringLiteral("Click to visit Tarvo's WEB Page."));
    Email_Button->hide();
    WEB_Button->hide();
    // The address labels take the buttons' places as underlined links.
    const std::pair<QLabel*, QPushButton*> links[] = {{Email_Address_Label, Email_Button},
                                                      {WEB_Address_Label, WEB_Button}};
    for (const auto& [link, button] : links) {
        link->setToolTip(button->toolTip());
        link->move(link->x(), button->y());
        set_auto_sized(link, button->text());
    }

    for (QWidget* w : std::initializer_list<QWidget*>{
             Email_Address_Label, WEB_Address_Label, Badge_Label, Badge_Image, Tarvo_Logo_GIFImage,
             Tarvo_Logo_Banner_Image, Bevel3, Bevel1, Donation_Label, Donation_Image})
        w->setCursor(Qt::PointingHandCursor);
    Bevel3->lower();
    Bevel1->lower();

    // Key preview: Escape and Enter reach the box before the control with the focus.
    if (!key_preview_) {
        key_preview_ = true;
        for (QWidget* w : findChildren<QWidget*>())
            w->installEventFilter(this);
    }
}

void TAboutBox::Quote_Change_TimerTimer() {
    const int count = Quotes_From_Tarvo_ListBox->count();
    if (count == 0)
        return;
    const int index = Random_Index_Override ? Random_Index_Override(count)
                                            : static_cast<int>(random_.bounded(count));
    Quote_From_Tarvo_Label->setText(Quotes_From_Tarvo_ListBox->item(index)->text());
}

QString TAboutBox::Free_Memory_Percent() {
    const auto percent = platform::Free_Memory_Percent_Now();
    if (!percent)
        return {};
    return QString::number(*percent) + QLatin1Char('%');
}

void TAboutBox::Free_Resources_TimerTimer() {
    // A system that does not tell keeps the last figure rather than showing a wrong one.
    const QString text = Free_Memory_Percent();
    if (!text.isEmpty())
        set_auto_sized(Free_Resources_Label, text);
}

void TAboutBox::Email_ButtonClick() {
    // The name is text of the subject: a "#", "?", "&", "%" or "+" in it is no part of the
    // link's own syntax.
    platform::Open_With_Shell(
        QStringLiteral("mailto:") + Email_Button->text() + QStringLiteral("?subject=Shareware: ") +
        QString::fromLatin1(QUrl::toPercentEncoding(platform::executable_file_name())));
}

void TAboutBox::WEB_ButtonClick() {
    platform::Open_With_Shell(WEB_Button->text());
}

void TAboutBox::Donation_LabelClick() {
    platform::Open_With_Shell(Donation_Address_Label->text());
}

void TAboutBox::OKButtonClick() {
    Stop_Timers_And_Animation();
    accept();
}

bool TAboutBox::FormKeyDown(int Key) {
    if (Key == Qt::Key_Escape) {
        OKButtonClick();
        return true;
    }
    // Enter presses the default button.
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
        OKButton->click();
        return true;
    }
    return false;
}

void TAboutBox::Stop_Timers_And_Animation() {
    Quote_Change_Timer->stop();
    Free_Resources_Timer->stop();
    Tarvo_Logo_GIFImage->stop();
}

void TAboutBox::done(int result) {
    // Every close ends here, the end of the session's reject() included.
    Stop_Timers_And_Animation();
    QDialog::done(result);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormActivate();
}

void TAboutBox::hideEvent(QHideEvent* event) {
    Stop_Timers_And_Animation();
    QDialog::hideEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        if (FormKeyDown(static_cast<QKeyEvent*>(event)->key()))
            return true;
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Email_Address_Label) {
            Email_ButtonClick();
        } else if (watched == WEB_Address_Label || watched == Tarvo_Logo_Banner_Image ||
                   watched == Tarvo_Logo_GIFImage || watched == Badge_Image ||
                   watched == Badge_Label) {
            WEB_ButtonClick();
        } else if (watched == Donation_Label || watched == Donation_Image) {
            Donation_LabelClick();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyDown(event->key()))
        QDialog::keyPressEvent(event);
}

} // namespace smx::dialogs
