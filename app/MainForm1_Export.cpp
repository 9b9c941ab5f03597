// Results export and the about box.
#include "app/Forms.h"
#include "app/MainForm1.h"
#include "dialogs/AboutBox.h"
#include "graph/Chart.h"
#include "platform/Clipboard.h"
#include "platform/Events.h"
#include "platform/File_Routines.h"
#include "platform/Message_Boxes.h"
#include "results/Results_Database.h"
#include "results/Results_Export.h"

#include <QAction>
#include <QCheckBox>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace smx::app {

void TMainForm1::Connect_Export_Handlers() {
    connect(Copy_Graph_to_Windows_Clipboard_Option, &QAction::triggered, this,
            &TMainForm1::Copy_Graph_to_Windows_Clipboard_OptionClick);
    connect(Copy_Results_Data_to_Windows_Clipboard_Option, &QAction::triggered, this,
            &TMainForm1::Copy_Results_Data_to_Windows_Clipboard_OptionClick);
    connect(View_Edit_Results_Data_Option, &QAction::triggered, this,
            &TMainForm1::View_Edit_Results_Data_OptionClick);
    connect(AboutOption, &QAction::triggered, this, &TMainForm1::AboutOptionClick);
}

QImage TMainForm1::Results_Page_Picture() const {
    // The page as the user would see it, painted off-screen, so a window lying over ours cannot
    // get into the picture: the page control's full width (its frame included) by the page's
    // height, from the page's top down.
    const int top = TabSheet2->mapTo(PageControl1, QPoint(0, 0)).y();
    const QRect source(0, top, PageControl1->width(), TabSheet1->height());
    QImage picture(source.size(), QImage::Format_RGB32);
    picture.fill(PageControl1->palette().color(QPalette::Window));
    PageControl1->render(&picture, QPoint(0, 0), QRegion(source));
    return picture;
}

void TMainForm1::Copy_Graph_to_Windows_Clipboard_OptionClick() {
    PageControl1->setCurrentWidget(TabSheet2);
    Chart1->set_title({});
    Chart1->set_footer({results::Credit_Line()});
    platform::process_messages();
    // The check box lies over the chart and is no part of the picture.
    Show_Values_CheckBox->hide();
    platform::process_messages();
    const QImage picture = Results_Page_Picture();
    Chart1->set_title({});
    Chart1->set_footer({});
    platform::Put_Image_On_Clipboard(picture);
    Show_Values_CheckBox->show();
    platform::process_messages();
    platform::show_information(
        platform::application_title(),
        QStringLiteral("The Benchmark Results Graph has been copied to Windows' Clipboard.\r\n\r\n"
                       "You can now paste this data into your own documents or web pages."));
}

void TMainForm1::Copy_Results_Data_to_Windows_Clipboard_OptionClick() {
    Memo1->clear();
    const QString decimal_point = QLocale().decimalPoint();
    const QChar separator = decimal_point.isEmpty() ? QLatin1Char('.') : decimal_point.front();
    const QStringList lines = results::Results_Data_Lines(Main_Results, Compare_Results, separator);
    for (const QString& line : lines)
        Memo1->appendPlainText(line);
    Memo1->selectAll();
    // The lines as they were put into the memo: its plain text turns a no-break space in a set's
    // name into a blank. CR LF after every line.
    platform::Put_Text_On_Clipboard(results::Join_Crlf_Lines(lines));
    platform::show_information(
        platform::application_title(),
        QStringLiteral("The Benchmark Results Data - with row and column headings - has been "
                       "copied to Windows' Clipboard in TAB separated format.\r\n\r\n"
                       "You can now paste this data into your own documents or spreadsheets or "
                       "web pages."));
}

void TMainForm1::View_Edit_Results_Data_OptionClick() {
    // Opened whether or not it exists yet: the editor starts a new file then.
    platform::View_File_With_Notepad(results::Database_Path());
}

void TMainForm1::AboutOptionClick() {
    if (dialogs::TAboutBox* about = forms().AboutBox)
        about->exec();
}

} // namespace smx::app
