#include "app/Forms.h"
#include "app/MainForm1.h"
#include "dialogs/AboutBox.h"
#include "graph/Chart.h"
#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"
#include "platform/Product.h"
#include "platform/Program_Files.h"
#include "temporary_home.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using smx::app::TMainForm1;
using smx::platform::Box_Kind;

namespace {

const char kCredit[] = "Courtesy of : Windows PC Speedmetrix v1.3f          WEB Page : ";

class Export_Commands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form = std::make_unique<TMainForm1>();
        form->show();
        set(form->Main_Results, "This PC",
            {123400000, 192000000, 915.5L, 1000, 51200, 800, 4567000});
        form->Graph_Results_BitBtnClick();
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    static void set(smx::engine::TBenchmark_Results& r, const char* name,
                    std::array<long double, 7> rates) {
        r.Name = QString::fromLatin1(name);
        for (int i = 0; i < 7; ++i)
            r.rate(i) = rates[static_cast<std::size_t>(i)];
    }

    // Near-black pixels: the check box's caption, which nothing else draws there.
    static int dark_pixels(const QImage& img, const QRect& area) {
        int n = 0;
        const QRect r = area.intersected(img.rect());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qGray(img.pixel(x, y)) < 60;
        return n;
    }

    // The footer's blue text.
    static int blue_pixels(const QImage& img, const QRect& area) {
        int n = 0;
        const QRect r = area.intersected(img.rect());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = img.pixel(x, y);
                n += c.blue() > c.red() + 60 && c.blue() > c.green() + 60;
            }
        return n;
    }

    QTemporaryDir dir;
    smx::test::Executable_In exe{dir.path()};
    smx::platform::Scripted_Responder responder;
    std::unique_ptr<TMainForm1> form;
};

TEST_F(Export_Commands, GraphPictureOfTheResultsPageWithTheCreditLineAndNoCheckBox) {
    form->PageControl1->setCurrentWidget(form->TabSheet1);
    QApplication::clipboard()->setText(QStringLiteral("earlier"));
    form->Copy_Graph_to_Windows_Clipboard_Option->trigger();

    // Everything is back, on the results page.
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet2);
    EXPECT_TRUE(form->Chart1->footer().isEmpty());
    EXPECT_TRUE(form->Chart1->title().isEmpty());
    EXPECT_TRUE(form->Show_Values_CheckBox->isVisible());
    ASSERT_EQ(responder.shown().size(), 1u);
    EXPECT_EQ(responder.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(responder.shown()[0].text,
              QStringLiteral("The Benchmark Results Graph has been copied to Windows' "
                             "Clipboard.\r\n\r\nYou can now paste this data into your own "
                             "documents or web pages."));

    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasImage());
    EXPECT_FALSE(data->hasText());
    const QImage picture = QApplication::clipboard()->image();
    EXPECT_EQ(picture.size(), QSize(form->PageControl1->width(), form->TabSheet1->height()));

    // Where the page lies in the picture: the page control's full width, from the page's top.
    const QPoint page_at(form->TabSheet2->mapTo(form->PageControl1, QPoint(0, 0)).x(), 0);
    const QRect check_box = form->Show_Values_CheckBox->geometry().translated(page_at);
    const QRect chart = form->Chart1->geometry().translated(page_at);
    const QImage shown = form->Results_Page_Picture(); // the page as it is now
    EXPECT_GT(dark_pixels(shown, check_box), 20);      // the check box is there to be seen
    EXPECT_EQ(dark_pixels(picture, check_box), 0);
    // The credit line sits under the graph, and not on the page any more.
    const QRect lower_chart(chart.left(), chart.top() + chart.height() * 3 / 4, chart.width(),
                            chart.height() / 4);
    EXPECT_GT(blue_pixels(picture, lower_chart), 100);
    EXPECT_EQ(blue_pixels(shown, lower_chart), 0);
    // The graph's bars are in it.
    int red = 0;
    for (int y = chart.top(); y <= chart.bottom(); ++y)
        for (int x = chart.left(); x <= chart.right(); ++x)
            red += picture.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_GT(red, 500);
}

TEST_F(Export_Commands, GraphPictureFollowsTheWindowsSize) {
    form->resize(form->width() + 200, form->height() + 100);
    QApplication::processEvents();
    form->Copy_Graph_to_Windows_Clipboard_OptionClick();
    EXPECT_EQ(QApplication::clipboard()->image().size(),
              QSize(form->PageControl1->width(), form->TabSheet1->height()));
    EXPECT_GT(form->PageControl1->width(), 545);
}

TEST_F(Export_Commands, DataTextWithTwoColumnsAssembledInTheMemo) {
    set(form->Compare_Results, "Office PC", {98700000, 0, 0, 0, 0, 0, 3210000});
    QImage image(3, 3, QImage::Format_RGB32);
    QApplication::clipboard()->setImage(image);
    form->Copy_Results_Data_to_Windows_Clipboard_Option->trigger();

    const std::string expected =
        "\tThis PC\tOffice PC\r\n"
        "Integer (MIops/sec)\t1.23400000000000000E+2\t9.87000000000000000E+1\r\n"
        "Float (MFops/Sec)\t1.92000000000000000E+2\t0.00000000000000000E+0\r\n"
        "Memory (MB/Sec)\t9.15500000000000000E+2\t0.00000000000000000E+0\r\n"
        "Sm Files (KB/Sec)\t1.00000000000000000E+3\t0.00000000000000000E+0\r\n"
        "Lg Files (KB/Sec)\t5.12000000000000000E+4\t0.00000000000000000E+0\r\n"
        "Windows (Ctrls/Sec)\t8.00000000000000000E+2\t0.00000000000000000E+0\r\n"
        "Graphics (KPix/Sec)\t4.56700000000000000E+3\t3.21000000000000000E+3\r\n" +
        std::string(kCredit) + smx::platform::Product_Web_Address + "\r\n";
    const QMimeData* data = QApplication::clipboard()->mimeData();
    EXPECT_EQ(data->text().toStdString(), expected);
    EXPECT_FALSE(data->hasImage());
    EXPECT_FALSE(data->hasHtml());
    // The memo holds the nine lines; the next copy starts it afresh.
    EXPECT_EQ(form->Memo1->blockCount(), 9);
    EXPECT_EQ(form->Memo1->document()->firstBlock().text(), QStringLiteral("\tThis PC\tOffice PC"));
    ASSERT_EQ(responder.shown().size(), 1u);
    EXPECT_EQ(responder.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(responder.shown()[0].text,
              QStringLiteral("The Benchmark Results Data - with row and column headings - has "
                             "been copied to Windows' Clipboard in TAB separated format.\r\n\r\n"
                             "You can now paste this data into your own documents or "
                             "spreadsheets or web pages."));

    form->Compare_Results = {};
    // A no-break space in the name stays one.
    form->Main_Results.Name = QStringLiteral("This\u00a0PC");
    form->Copy_Results_Data_to_Windows_Clipboard_OptionClick();
    EXPECT_EQ(form->Memo1->blockCount(), 9);
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 10); // nine lines, each ended
    EXPECT_EQ(lines[0], QStringLiteral("\tThis\u00a0PC"));
    EXPECT_EQ(lines[1], QStringLiteral("Integer (MIops/sec)\t1.23400000000000000E+2"));
    EXPECT_EQ(lines[9], QString());
}

TEST_F(Export_Commands, DataTextUsesTheUsersDecimalComma) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    form->Copy_Results_Data_to_Windows_Clipboard_OptionClick();
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[1], QStringLiteral("Integer (MIops/sec)\t1,23400000000000000E+2"));
    EXPECT_EQ(lines[7], QStringLiteral("Graphics (KPix/Sec)\t4,56700000000000000E+3"));
    // The web address keeps its dots.
    EXPECT_TRUE(lines[8].endsWith(QLatin1String(smx::platform::Product_Web_Address)));
}

TEST_F(Export_Commands, ViewEditOpensTheResultsDatabaseInTheEditorEvenWhenMissing) {
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("argv"));
    const QString editor = bin.filePath(QStringLiteral("gedit"));
    QFile script(editor);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s' \"$*\" > \"" + QFile::encodeName(record) +
                 ".tmp\"\n/bin/mv \"" + QFile::encodeName(record) + ".tmp\" \"" +
                 QFile::encodeName(record) + "\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray saved_path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    form->View_Edit_Results_Data_Option->trigger();
    qputenv("PATH", saved_path);

    smx::test::wait_for_file(record);
    QFile argv(record);
    ASSERT_TRUE(argv.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(argv.readAll()),
              dir.path() + QStringLiteral("/Speedmetrix_DB.INI"));
    EXPECT_TRUE(responder.shown().empty());
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/Speedmetrix_DB.INI")));
}

TEST_F(Export_Commands, ViewEditOpensTheUsersDatabaseForACopyInAFolderTheUserCannotWrite) {
    smx::test::Temporary_Home home;
    smx::platform::set_executable_dir_writable_override(false);
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("argv"));
    QFile script(bin.filePath(QStringLiteral("kwrite")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s' \"$*\" > \"" + QFile::encodeName(record) +
                 ".tmp\"\n/bin/mv \"" + QFile::encodeName(record) + ".tmp\" \"" +
                 QFile::encodeName(record) + "\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray saved_path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    form->View_Edit_Results_Data_Option->trigger();
    qputenv("PATH", saved_path);
    smx::platform::set_executable_dir_writable_override(std::nullopt);

    smx::test::wait_for_file(record);
    QFile argv(record);
    ASSERT_TRUE(argv.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(argv.readAll()),
              home.home() + QStringLiteral("/.local/share/speedmetrix/Speedmetrix_DB.INI"));
    EXPECT_TRUE(responder.shown().empty());
}

TEST_F(Export_Commands, AboutShowsTheAboutBoxModally) {
    smx::app::Forms& forms = smx::app::forms();
    const smx::app::Forms saved = forms;
    smx::dialogs::TAboutBox about;
    forms.AboutBox = &about;
    bool was_modal = false;
    QTimer::singleShot(0, &about, [&] {
        was_modal = QApplication::activeModalWidget() == &about;
        QTest::keyClick(about.OKButton, Qt::Key_Escape);
    });
    QTimer::singleShot(3000, &about, [&] {
        if (about.isVisible()) {
            ADD_FAILURE() << "the about box did not close";
            about.reject();
        }
    });
    form->AboutOption->trigger();
    forms = saved;
    EXPECT_TRUE(was_modal);
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(about.Quote_Change_Timer->isActive());
}

} // namespace
