#include "dialogs/AboutBox.h"
#include "dialogs/About_Pictures.h"
#include "platform/Bit_Button.h"
#include "platform/Executable.h"
#include "platform/Memory_Status.h"
#include "platform/Product.h"
#include "platform/Shell_Open.h"
#include "test_support.h"

#include <QDate>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using smx::dialogs::TAboutBox;

namespace {

QString meminfo_with_available(int available_kb) {
    return QStringLiteral(
               "MemTotal: 1000 kB\nMemAvailable: %1 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n")
        .arg(available_kb);
}

class About_Box : public ::testing::Test {
protected:
    void SetUp() override {
        smx::platform::set_meminfo_reader_override([this] {
            ++meminfo_reads;
            return meminfo_with_available(available_kb);
        });
        smx::platform::set_shell_opener_override(
            [this](const QUrl& url) { opened.push_back(url); });
        box = std::make_unique<TAboutBox>();
    }
    void TearDown() override {
        box.reset();
        smx::platform::set_meminfo_reader_override({});
        smx::platform::set_shell_opener_override({});
    }

    QStringList quotes() const {
        QStringList all;
        for (int i = 0; i < box->Quotes_From_Tarvo_ListBox->count(); ++i)
            all.append(box->Quotes_From_Tarvo_ListBox->item(i)->text());
        return all;
    }

    bool running() const {
        return box->Quote_Change_Timer->isActive() || box->Free_Resources_Timer->isActive() ||
               box->Tarvo_Logo_GIFImage->is_animating();
    }

    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3)); }

    QTemporaryDir dir;
    smx::test::Executable_In exe{dir.path(), QStringLiteral("speed.bench")};
    int available_kb = 630;
    int meminfo_reads = 0;
    std::vector<QUrl> opened;
    std::unique_ptr<TAboutBox> box;
};

TEST_F(About_Box, BeforeShowingNothingRunsAndTheTextsAreSet) {
    EXPECT_EQ(box->size(), QSize(622, 411));
    EXPECT_FALSE(box->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(box->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(box->Quote_Change_Timer->interval(), 10000);
    EXPECT_EQ(box->Free_Resources_Timer->interval(), 500);
    EXPECT_FALSE(running());
    EXPECT_EQ(box->Free_Resources_Label->text(), QStringLiteral("Free %"));
    EXPECT_EQ(box->Label3->text(), QStringLiteral("Free System Resources :"));
    EXPECT_EQ(box->Product_Name_Label->text(), QStringLiteral("Windows PC Speedmetrix v1.3f"));
    EXPECT_TRUE(box->Author_and_Date_Label->text().contains(QStringLiteral("Speedmetrix")));
    EXPECT_TRUE(box->Developed_Using_Label->text().contains(QStringLiteral("C++ and Qt 6")));
    EXPECT_TRUE(box->Notice_Label->text().endsWith(QLatin1Char(' ') +
                                                   QString::number(QDate::currentDate().year())));
    EXPECT_EQ(box->WEB_Button->text(), QString::fromLatin1(smx::platform::Product_Web_Address));
    EXPECT_FALSE(box->Email_Button->text().isEmpty());
    EXPECT_FALSE(box->Donation_Address_Label->isVisibleTo(box.get()));
    EXPECT_FALSE(box->Quotes_From_Tarvo_ListBox->isVisibleTo(box.get()));
    const QStringList q = quotes();
    ASSERT_EQ(q.size(), 4);
    EXPECT_EQ(q[0], QStringLiteral("I hope this program makes your work a little simpler, your "
                                   "play a little better, or your day a bit easier."));
    EXPECT_EQ(q[1], QStringLiteral("If you have any comments, suggestions, improvements, or "
                                   "feedback, please email me."));
    EXPECT_EQ(box->Badge_Image->toolTip(), QStringLiteral("Hey, don't poke me there !!"));
}

TEST_F(About_Box, ShowingStartsEverythingAndFillsTheLabelsAtOnce) {
    box->show();
    EXPECT_TRUE(box->Quote_Change_Timer->isActive());
    EXPECT_TRUE(box->Free_Resources_Timer->isActive());
    EXPECT_TRUE(box->Tarvo_Logo_GIFImage->is_animating());
    // Before any tick: a quote and the percentage are there.
    EXPECT_TRUE(quotes().contains(box->Quote_From_Tarvo_Label->text()));
    EXPECT_EQ(box->Free_Resources_Label->text(), QStringLiteral("63%"));
    // The address labels take the buttons' places, captions and hints.
    EXPECT_FALSE(box->Email_Button->isVisible());
    EXPECT_FALSE(box->WEB_Button->isVisible());
    EXPECT_EQ(box->Email_Address_Label->text(), box->Email_Button->text());
    EXPECT_EQ(box->WEB_Address_Label->text(), box->WEB_Button->text());
    EXPECT_EQ(box->Email_Address_Label->y(), box->Email_Button->y());
    EXPECT_EQ(box->WEB_Address_Label->y(), box->WEB_Button->y());
    EXPECT_EQ(box->Email_Address_Label->toolTip(),
              QStringLiteral("Click to send an E-Mail to Tarvo."));
    EXPECT_EQ(box->WEB_Address_Label->toolTip(),
              QStringLiteral("Click to visit Tarvo's WEB Page."));
    // The whole address shows, inside the box.
    const QRect web = box->WEB_Address_Label->geometry().translated(box->GroupBox1->pos());
    EXPECT_GE(box->WEB_Address_Label->width(),
              box->WEB_Address_Label->fontMetrics().horizontalAdvance(box->WEB_Button->text()));
    EXPECT_LE(web.right(), box->width());
    EXPECT_EQ(box->WEB_Address_Label->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(box->Badge_Image->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(About_Box, TicksChangeTheQuoteAndThePercentage) {
    int next = 0;
    box->Random_Index_Override = [&](int count) {
        if (next == 1) // one tick after the first showing is enough
            box->Quote_Change_Timer->stop();
        return next++ % count;
    };
    box->show();
    EXPECT_EQ(box->Quote_From_Tarvo_Label->text(), quotes()[0]);
    available_kb = 250;
    // Faster ticks, same handlers.
    box->Quote_Change_Timer->setInterval(10);
    box->Free_Resources_Timer->setInterval(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return next == 2; }, 2000));
    EXPECT_EQ(box->Quote_From_Tarvo_Label->text(), quotes()[1]);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return box->Free_Resources_Label->text() == QStringLiteral("25%"); }, 2000));
}

TEST_F(About_Box, TheRealChoiceReachesEveryQuote) {
    box->show();
    QSet<QString> seen;
    for (int i = 0; i < 400; ++i) {
        box->Quote_Change_TimerTimer();
        seen.insert(box->Quote_From_Tarvo_Label->text());
    }
    EXPECT_EQ(seen.size(), 4);
}

TEST_F(About_Box, EscapeEnterOkAndRejectStopEverythingAndShowingAgainRestarts) {
    for (int way = 0; way < 4; ++way) {
        box->show();
        ASSERT_TRUE(running()) << way;
        switch (way) {
        case 0: // Escape, whichever control has the focus
            box->OKButton->setFocus();
            QTest::keyClick(box->OKButton, Qt::Key_Escape);
            break;
        case 1:
            QTest::keyClick(box.get(), Qt::Key_Return);
            break;
        case 2:
            click(box->OKButton);
            break;
        case 3: // the end of the session closes open dialogs this way
            box->reject();
            break;
        }
        EXPECT_FALSE(box->isVisible()) << way;
        EXPECT_FALSE(box->Quote_Change_Timer->isActive()) << way;
        EXPECT_FALSE(box->Free_Resources_Timer->isActive()) << way;
        EXPECT_FALSE(box->Tarvo_Logo_GIFImage->is_animating()) << way;
    }
    const int reads = meminfo_reads;
    QTest::qWait(50);
    EXPECT_EQ(meminfo_reads, reads);
}

TEST_F(About_Box, ModalShowingClosesOnEscape) {
    QTimer::singleShot(0, box.get(), [this] {
        EXPECT_TRUE(running());
        QTest::keyClick(box->OKButton, Qt::Key_Escape);
    });
    QTimer::singleShot(3000, box.get(), [this] {
        if (box->isVisible()) {
            ADD_FAILURE() << "the box did not close";
            box->done(QDialog::Rejected);
        }
    });
    box->exec();
    EXPECT_FALSE(running());
}

TEST_F(About_Box, LinksOpenTheirTargetsAndTheBoxStaysOpen) {
    box->show();
    const QUrl web(QString::fromLatin1(smx::platform::Product_Web_Address));
    for (QWidget* w :
         std::vector<QWidget*>{box->WEB_Address_Label, box->Tarvo_Logo_Banner_Image,
                               box->Tarvo_Logo_GIFImage, box->Badge_Image, box->Badge_Label}) {
        opened.clear();
        click(w);
        ASSERT_EQ(opened.size(), 1u) << w->objectName().toStdString();
        EXPECT_EQ(opened[0], web) << w->objectName().toStdString();
    }
    opened.clear();
    click(box->Email_Address_Label);
    click(box->Donation_Label);
    click(box->Donation_Image);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opened[0].path(), box->Email_Button->text());
    // The subject ends with the executable's file name.
    EXPECT_EQ(opened[0].query(QUrl::FullyDecoded),
              QStringLiteral("subject=Shareware: speed.bench"));
    EXPECT_EQ(opened[1], QUrl(box->Donation_Address_Label->text()));
    EXPECT_EQ(opened[2], opened[1]);
    EXPECT_TRUE(opened[1].isValid());
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(running());
}

TEST_F(About_Box, TheMailSubjectCarriesAnyExecutableNameAsText) {
    for (const char* name : {"speed#1.bench", "what?.exe", "100%25 50%.exe", "a&subject=b+c.exe",
                             "na\u00efve speed.exe"}) {
        smx::platform::set_executable_path_override(dir.path() + QLatin1Char('/') +
                                                    QString::fromUtf8(name));
        opened.clear();
        box->Email_ButtonClick();
        ASSERT_EQ(opened.size(), 1u) << name;
        EXPECT_EQ(opened[0].path(), box->Email_Button->text()) << name;
        const QUrlQuery query(opened[0]);
        ASSERT_EQ(query.queryItems().size(), 1) << name;
        EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
                  QStringLiteral("Shareware: ") + QString::fromUtf8(name))
            << name;
        EXPECT_FALSE(opened[0].hasFragment()) << name;
    }
    smx::platform::set_executable_path_override(dir.path() + QStringLiteral("/speed.bench"));
}

TEST_F(About_Box, EmptyAddresses) {
    box->WEB_Button->setText(QString());
    box->Donation_Address_Label->setText(QString());
    box->Email_Button->setText(QString());
    box->show();
    click(box->WEB_Address_Label);
    click(box->Badge_Image);
    click(box->Donation_Image);
    EXPECT_TRUE(opened.empty());
    // With no address the mail program still opens, with no recipient.
    box->Email_ButtonClick();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opened[0].path(), QString());
}

TEST_F(About_Box, TheLogoMovesWhileShown) {
    box->show();
    QImage first(box->Tarvo_Logo_GIFImage->size(), QImage::Format_RGB32);
    box->Tarvo_Logo_GIFImage->render(&first);
    const int frame = box->Tarvo_Logo_GIFImage->frame();
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->Tarvo_Logo_GIFImage->frame() != frame; }, 2000));
    QImage later(first.size(), QImage::Format_RGB32);
    box->Tarvo_Logo_GIFImage->render(&later);
    EXPECT_NE(first, later);
}

} // namespace
