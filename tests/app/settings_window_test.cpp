#include "app/Drive_Combo_Box.h"
#include "app/Forms.h"
#include "app/MainForm1.h"
#include "dialogs/Dialog_Dont_Show_Again_Form.h"
#include "engine/Run_Driver.h"
#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"
#include "platform/Program_Files.h"
#include "platform/Spin_Edit.h"
#include "settings/Settings.h"
#include "temporary_home.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>

namespace smx::app {
namespace {

using platform::Box_Answer;
using platform::Box_Kind;

// The program's own forms, with the files beside the executable in a fresh folder.
class Settings_Window : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<test::Executable_In> exe;
    std::unique_ptr<test::Drive_Table> drives;
    std::unique_ptr<platform::Scripted_Responder> boxes;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        exe = std::make_unique<test::Executable_In>(dir.path());
        drives = std::make_unique<test::Drive_Table>(std::vector<platform::Drive>{
            {'c', dir.path(), QStringLiteral("home")}, {'d', QStringLiteral("/"), QString()}});
        boxes = std::make_unique<platform::Scripted_Responder>();
    }
    void TearDown() override {
        destroy_forms();
        boxes.reset();
    }

    QString settings_path() const { return dir.filePath(QStringLiteral("Speedmetrix.ini")); }

    TMainForm1* start() {
        destroy_forms();
        TMainForm1* form = create_forms().MainForm1;
        form->show();
        return form;
    }
    // Closes the window as the user does; the settings are written on the way.
    void close(TMainForm1* form) {
        form->close();
        EXPECT_FALSE(form->isVisible());
    }
    void store(const QByteArray& settings) {
        QFile f(settings_path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(settings);
    }
    QByteArray stored() const {
        QFile f(settings_path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QCheckBox* dont_show_again() {
        return forms().Dialog_Dont_Show_Again_Form->Dont_Show_This_Again_CheckBox;
    }
    // A finished run of the integer test that nobody saved.
    static void run_integer_test(TMainForm1* form, test::Scripted_Ticks&) {
        form->Select_No_Tests_BitBtnClick();
        form->Integer_Arithmetic_CheckBox->setChecked(true);
        form->Integer_Loops_Millions_Of_SpinEdit->setValue(1);
        dont_show_again()->setChecked(true);
        form->Benchmark_BitBtnClick();
        ASSERT_FALSE(form->Benchmark_Results_Saved_CheckBox->isChecked());
        ASSERT_GT(form->Main_Results.Integer_Operations_Per_Sec, 0);
    }
};

TEST_F(Settings_Window, FirstStartWithoutAFileShowsTheDefaults) {
    TMainForm1* form = start();
    // The stored bounds are the frame's; the window system here gives every window one.
    ASSERT_NE(form->frameGeometry().size(), form->size());
    EXPECT_EQ(form->frameGeometry(), QRect(20, 20, 666, 502));
    for (QCheckBox* box : form->Test_CheckBoxes())
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet1);
    EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 1);
    EXPECT_EQ(form->Dynamic_Array_Size_In_Bytes_SpinEdit->Value(), 30000);
    EXPECT_EQ(form->DriveComboBox1->Drive(), 'c');
    EXPECT_FALSE(form->Always_On_Top_Option->isChecked());
    EXPECT_FALSE(dont_show_again()->isChecked());
    EXPECT_TRUE(form->Benchmark_Results_Saved_CheckBox->isChecked());
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(form->Main_Results.rate(i), 0);
        EXPECT_EQ(form->Compare_Results.rate(i), 0);
    }
    EXPECT_EQ(form->windowTitle(), TMainForm1::Program_Title());
    EXPECT_TRUE(boxes->shown().empty());
}

TEST_F(Settings_Window, EveryControlComesBackAsItWasClosed) {
    TMainForm1* form = start();
    form->move(40, 30);
    form->resize(700, 520);
    form->Always_On_Top_Option->setChecked(true);
    form->Select_No_Tests_BitBtnClick();
    form->Memory_Speed_CheckBox->setChecked(true);
    form->Number_Repetitions_SpinEdit->setValue(3);
    form->DriveComboBox1->setDrive('d');
    form->Show_Values_CheckBox->setChecked(true);
    dont_show_again()->setChecked(true);
    form->Large_File_Size_KB_of_Each_SpinEdit->setValue(20480);
    form->Float_Loops_Millions_Of_SpinEdit->setValue(5);
    form->PageControl1->setCurrentIndex(1);
    const settings::Settings_Record before = form->Settings_From_Controls();
    close(form);
    EXPECT_EQ(settings::Read_Settings_File(settings_path()), before);

    EXPECT_EQ(QRect(before.window_left_posn, before.window_top_posn, before.window_Width,
                    before.window_Height),
              QRect(QPoint(40, 30), QSize(700, 520) + form->frameGeometry().size() - form->size()));

    form = start();
    EXPECT_EQ(form->Settings_From_Controls(), before);
    EXPECT_EQ(form->pos(), QPoint(40, 30));
    EXPECT_EQ(form->size(), QSize(700, 520));
    EXPECT_TRUE(form->Memory_Speed_CheckBox->isChecked());
    EXPECT_FALSE(form->Integer_Arithmetic_CheckBox->isChecked());
    EXPECT_EQ(form->Float_Loops_Millions_Of_SpinEdit->Value(), 5);
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet2);
    EXPECT_TRUE(dont_show_again()->isChecked());
    // The controls were scaled to the restored size.
    EXPECT_GT(form->PageControl1->width(), 545);
}

TEST_F(Settings_Window, StoredValuesAreDecodedClippedAndWrittenBackNormalised) {
    store("[Speedmetrix]\n"
          "window_Width=0x300\n"
          "Number_Repetitions_SpinEdit=250\n"
          "Integer_Loops_Millions_Of_SpinEdit=5000\n"
          "Small_File_Size_KB_of_Each_SpinEdit=0\n"
          "Show_Values_CheckBox=word\n"
          "Dont_Show_This_Again_CheckBox=2\n"
          "DriveComboBox1=D\n"
          "PageControl1=7\n");
    TMainForm1* form = start();
    EXPECT_EQ(form->frameGeometry().width(), 768);
    EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 100);
    EXPECT_EQ(form->Integer_Loops_Millions_Of_SpinEdit->Value(), 2147);
    EXPECT_EQ(form->Small_File_Size_KB_of_Each_SpinEdit->Value(), 1);
    EXPECT_FALSE(form->Show_Values_CheckBox->isChecked());
    EXPECT_TRUE(dont_show_again()->isChecked());
    EXPECT_EQ(form->DriveComboBox1->Drive(), 'd');
    EXPECT_EQ(form->Selected_Page(), -1);
    EXPECT_NE(form->PageControl1->currentWidget(), form->TabSheet1);
    EXPECT_NE(form->PageControl1->currentWidget(), form->TabSheet2);
    close(form);
    const settings::Settings_Record saved = settings::Read_Settings_File(settings_path());
    EXPECT_EQ(saved.window_Width, 768);
    EXPECT_EQ(saved.Number_Repetitions_SpinEdit, 100);
    EXPECT_EQ(saved.PageControl1, -1);
    EXPECT_TRUE(stored().contains("\nDriveComboBox1=d\n"));
    EXPECT_TRUE(stored().contains("\nPageControl1=-1\n"));

    store("[Speedmetrix]\nNumber_Repetitions_SpinEdit=0\nShow_Values_CheckBox=2\n");
    form = start();
    EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 1);
    EXPECT_TRUE(form->Show_Values_CheckBox->isChecked());
    // A page chosen again after none was selected is saved as that page.
    form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(form->Selected_Page(), 0);
}

TEST_F(Settings_Window, AMaximisedWindowStoresItsNormalBoundsAndReopensMaximised) {
    TMainForm1* form = start();
    form->move(60, 50);
    form->resize(640, 480);
    const QRect normal = form->frameGeometry();
    ASSERT_EQ(normal.topLeft(), QPoint(60, 50));
    ASSERT_NE(normal.size(), QSize(640, 480));
    form->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(form->isMaximized());
    close(form);
    const settings::Settings_Record saved = settings::Read_Settings_File(settings_path());
    EXPECT_TRUE(saved.WindowState_wsMaximized);
    EXPECT_EQ(QRect(saved.window_left_posn, saved.window_top_posn, saved.window_Width,
                    saved.window_Height),
              normal);

    // Opened maximised and closed again: the same bounds, however often.
    for (int i = 0; i < 2; ++i) {
        form = start();
        QApplication::processEvents();
        ASSERT_TRUE(form->isMaximized());
        close(form);
        EXPECT_EQ(settings::Read_Settings_File(settings_path()), saved) << "cycle " << i;
    }

    form = start();
    QApplication::processEvents();
    EXPECT_TRUE(form->isMaximized());
    form->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(form->frameGeometry(), normal);
    EXPECT_EQ(form->size(), QSize(640, 480));
}

TEST_F(Settings_Window, AWindowStoredWhollyOffEveryScreenIsBroughtBack) {
    const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect all = QGuiApplication::primaryScreen()->virtualGeometry();
    store(QStringLiteral("[Speedmetrix]\nwindow_left_posn=%1\nwindow_top_posn=%2\n")
              .arg(all.right() + 100)
              .arg(all.bottom() + 100)
              .toLatin1());
    TMainForm1* form = start();
    EXPECT_EQ(form->frameGeometry(), QRect(primary.topLeft() + QPoint(20, 20), QSize(666, 502)));
    close(form);

    // Partly off the screen is where the user put it.
    store(QStringLiteral("[Speedmetrix]\nwindow_left_posn=%1\nwindow_top_posn=-100\n")
              .arg(all.right() - 50)
              .toLatin1());
    form = start();
    EXPECT_EQ(form->pos(), QPoint(all.right() - 50, -100));
}

// A stored size the window cannot be shown at, or not used at, opens at the smallest usable
// size, menu bar and buttons in reach, and that size is written back; a smaller dimension is
// raised alone. A usable size stays as stored.
TEST_F(Settings_Window, AStoredSizeTooSmallToUseOpensAtTheSmallestUsableSize) {
    struct Case {
        int width, height;
    };
    for (const Case c :
         {Case{0, 0}, Case{2, 502}, Case{1, 1}, Case{2, 26}, Case{-50, 300}, Case{500, 400}}) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(c.width).arg(c.height).toStdString());
        store(QStringLiteral("[Speedmetrix]\nwindow_left_posn=40\nwindow_top_posn=30\n"
                             "window_Width=%1\nwindow_Height=%2\n")
                  .arg(c.width)
                  .arg(c.height)
                  .toLatin1());
        TMainForm1* form = start();
        const QSize smallest = form->Smallest_Usable_Size();
        // The menu bar, and the controls at half their designed size.
        EXPECT_EQ(smallest.width(), 659 / 2);
        EXPECT_EQ(smallest.height(), form->menuBar()->height() + 447 / 2);
        EXPECT_LT(smallest.width(), 666);
        EXPECT_LT(smallest.height(), 502);
        // The smallest size is the window's own, the frame comes on top.
        const QSize frame = form->frameGeometry().size() - form->geometry().size();
        const QSize expected = QSize(c.width, c.height).expandedTo(smallest + frame);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->frameGeometry(), QRect(QPoint(40, 30), expected));
        EXPECT_TRUE(form->Benchmark_BitBtn->isVisible());
        EXPECT_GT(form->Benchmark_BitBtn->width(), 0);
        EXPECT_GT(form->Benchmark_BitBtn->height(), 0);
        close(form);
        const settings::Settings_Record saved = settings::Read_Settings_File(settings_path());
        EXPECT_EQ(QSize(saved.window_Width, saved.window_Height), expected);
    }
}

// Only a window off every screen moves; only a size beyond the usable area shrinks, to it.
TEST(Window_Position, OnlyAWindowOffEveryScreenMovesAndOnlyOneTooLargeShrinks) {
    const QList<settings::Screen_Area> screens{
        {QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1050)},
        {QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 1024)}};
    const int max = INT_MAX, min = INT_MIN;
    struct Stored {
        int left, top, width, height;
    };
    struct Case {
        Stored stored;
        QRect opens;
    };
    const Case cases[] = {
        {{3000, 900, 666, 502}, {3000, 900, 666, 502}},
        {{-600, -400, 666, 502}, {-600, -400, 666, 502}},
        {{3200, 0, 666, 502}, {20, 50, 666, 502}},
        {{-666, 0, 666, 502}, {20, 50, 666, 502}},
        {{100, 1080, 666, 502}, {20, 50, 666, 502}},
        {{100, 100, 0, 0}, {100, 100, 0, 0}},
        {{100, 100, -5, min}, {100, 100, 0, 0}},
        {{100, 100, max, 502}, {0, 100, 1920, 502}},
        {{100, 100, 666, 1000000}, {100, 30, 666, 1050}},
        {{100, 100, max, max}, {0, 30, 1920, 1050}},
        {{2000, 100, 5000, 502}, {1920, 100, 1280, 502}},
        {{max, 20, 666, 502}, {20, 50, 666, 502}},
        {{min, min, 666, 502}, {20, 50, 666, 502}},
        {{max, max, max, max}, {0, 30, 1920, 1050}},
        {{-1000000, 100, max, 502}, {0, 100, 1920, 502}},
    };
    for (const Case& c : cases) {
        const auto [left, top, width, height] = c.stored;
        EXPECT_EQ(settings::Window_Bounds_On_Screens(left, top, width, height, screens), c.opens)
            << left << ' ' << top << ' ' << width << ' ' << height;
    }
    EXPECT_EQ(settings::Window_Bounds_On_Screens(5, 5, max, max, {}), QRect(20, 20, 666, 502));
}

// Stored bounds beyond what the screen can show open the window at the largest that fits the
// screen's usable area, and that is what the close writes back.
TEST_F(Settings_Window, AStoredSizeTooLargeOpensAtTheLargestThatFits) {
    const QRect usable = QGuiApplication::primaryScreen()->availableGeometry();
    const auto shown = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    for (const char* stored : {"window_Width=2147483647\nwindow_Height=2147483647",
                               "window_Width=666\nwindow_Height=1000000",
                               "window_left_posn=2147483647\nwindow_Width=2147483647",
                               "window_Width=-5\nwindow_Height=-2147483648"}) {
        SCOPED_TRACE(stored);
        store(QByteArray("[Speedmetrix]\n") + stored + '\n');
        TMainForm1* form = start();
        QApplication::processEvents();
        EXPECT_TRUE(usable.contains(form->frameGeometry()))
            << shown(form->frameGeometry()).toStdString();
        close(form);
        const settings::Settings_Record saved = settings::Read_Settings_File(settings_path());
        const QRect written(saved.window_left_posn, saved.window_top_posn, saved.window_Width,
                            saved.window_Height);
        EXPECT_TRUE(usable.contains(written)) << shown(written).toStdString();
    }
}

TEST_F(Settings_Window, AnUnsavedRunIsAutoSavedAndShownAtTheNextStart) {
    TMainForm1* form = start();
    test::Scripted_Ticks ticks({0, 0, 250, 250});
    run_integer_test(form, ticks);
    const long double rate = form->Main_Results.Integer_Operations_Per_Sec;
    close(form);
    EXPECT_TRUE(boxes->shown().empty()) << boxes->shown().front().text.toStdString();
    const settings::Settings_Record saved = settings::Read_Settings_File(settings_path());
    EXPECT_EQ(saved.Selected_INI_Section, QStringLiteral("Auto-Saved Data"));
    EXPECT_TRUE(stored().contains("\nBenchmark_Results_Saved_CheckBox=1\n"));

    form = start();
    EXPECT_EQ(form->Main_Results.Name, QStringLiteral("Auto-Saved Data"));
    EXPECT_NEAR(static_cast<double>(form->Main_Results.Integer_Operations_Per_Sec),
                static_cast<double>(rate), static_cast<double>(rate) * 1e-9);
    EXPECT_TRUE(form->Benchmark_Results_Saved_CheckBox->isChecked());
}

TEST_F(Settings_Window, FactoryDefaultsAskFirstAndThenStartAfresh) {
    store("[Speedmetrix]\nwindow_left_posn=70\nMemory_Speed_CheckBox=0\n"
          "Number_Repetitions_SpinEdit=9\nPageControl1=1\nAlways_on_Top_Option=1\n");
    TMainForm1* form = start();
    test::Scripted_Ticks ticks({0, 0, 250, 250});
    run_integer_test(form, ticks);
    form->showMaximized();

    // No changes nothing.
    boxes->queue(Box_Answer::No);
    form->Restore_Factory_Defaults_Option->trigger();
    ASSERT_EQ(boxes->shown().size(), 1u);
    const platform::Shown_Box& question = boxes->shown()[0];
    EXPECT_EQ(question.kind, Box_Kind::Warning_Question);
    EXPECT_EQ(question.title, TMainForm1::Program_Title());
    const QStringList lines = question.text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5) << question.text.toStdString();
    for (int i : {0, 1, 2, 4})
        EXPECT_TRUE(lines[i].endsWith(QLatin1Char('.')) || lines[i].endsWith(QLatin1Char('?')))
            << lines[i].toStdString();
    EXPECT_TRUE(lines[3].isEmpty());
    EXPECT_TRUE(QFile::exists(settings_path()));
    EXPECT_TRUE(form->isMaximized());
    EXPECT_FALSE(form->Benchmark_Results_Saved_CheckBox->isChecked());
    EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 9);

    boxes->queue(Box_Answer::Yes);
    form->Restore_Factory_Defaults_Option->trigger();
    EXPECT_FALSE(QFile::exists(settings_path()));
    EXPECT_FALSE(form->isMaximized());
    EXPECT_EQ(form->frameGeometry(), QRect(20, 20, 666, 502));
    EXPECT_TRUE(form->Memory_Speed_CheckBox->isChecked());
    EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 1);
    EXPECT_EQ(form->PageControl1->currentWidget(), form->TabSheet1);
    EXPECT_FALSE(form->Always_On_Top_Option->isChecked());
    // The unsaved run is gone and is not auto-saved at the close.
    EXPECT_TRUE(form->Benchmark_Results_Saved_CheckBox->isChecked());
    EXPECT_EQ(form->Main_Results.Integer_Operations_Per_Sec, 0);
    close(form);
    EXPECT_EQ(settings::Read_Settings_File(settings_path()), settings::Settings_Record{});
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Speedmetrix_DB.INI"))));
}

// The real question box: Yes is the default button, Escape answers No and Enter Yes.
TEST_F(Settings_Window, FactoryDefaultsQuestionEscapeMeansNoAndEnterYes) {
    TMainForm1* form = start();
    form->Number_Repetitions_SpinEdit->setValue(5);
    boxes.reset();
    for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
        bool default_is_yes = false;
        bool answered = false;
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            default_is_yes = box->defaultButton() == box->button(QMessageBox::Yes) &&
                             box->button(QMessageBox::Yes) != nullptr;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(box->focusWidget() ? box->focusWidget() : box, &press);
            answered = true;
        });
        form->Restore_Factory_Defaults_Option->trigger();
        EXPECT_TRUE(answered);
        EXPECT_TRUE(default_is_yes);
        EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), key == Qt::Key_Escape ? 5 : 1);
    }
    boxes = std::make_unique<platform::Scripted_Responder>();
}

TEST_F(Settings_Window, ASettingsFileHeldOpenElsewhereSurvivesFactoryDefaults) {
    store("[Speedmetrix]\nNumber_Repetitions_SpinEdit=9\n");
    QProcess holder;
    holder.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\"; echo held; sleep 60"),
                  settings_path()});
    ASSERT_TRUE(holder.waitForReadyRead(5000));
    TMainForm1* form = start();
    form->Number_Repetitions_SpinEdit->setValue(4);
    boxes->queue(Box_Answer::Yes);
    form->Restore_Factory_Defaults_Option->trigger();
    EXPECT_TRUE(QFile::exists(settings_path()));
    // The sequence ran again on the old values, without a message.
    EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 9);
    EXPECT_EQ(boxes->shown().size(), 1u);
    holder.kill();
    holder.waitForFinished();
}

TEST_F(Settings_Window, ARefusedWriteIsReportedAndTheWindowStillCloses) {
    // A folder where the file should be: no write can replace it, whoever the user is.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Speedmetrix.ini")));
    // As in a new process: no title set yet when the settings file is read.
    smx::platform::set_application_title({});
    TMainForm1* form = start();
    // The first show cannot read it either, and says so under the program's title; the window
    // starts with the defaults.
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].kind, Box_Kind::Error);
    EXPECT_EQ(boxes->shown()[0].title, QStringLiteral("Windows PC Speedmetrix v1.3f"));
    EXPECT_EQ(boxes->shown()[0].text,
              QStringLiteral("Cannot open file ") + settings_path() + QLatin1Char('.'));
    EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 1);
    close(form);
    ASSERT_EQ(boxes->shown().size(), 2u);
    EXPECT_EQ(boxes->shown()[1].kind, Box_Kind::Error);
    EXPECT_EQ(boxes->shown()[1].text,
              QStringLiteral("Unable to write to ") + settings_path() + QLatin1Char('.'));
    EXPECT_TRUE(QFileInfo(settings_path()).isDir());
}

TEST_F(Settings_Window, AnUnsavedRunIsKeptEvenWhenTheSettingsCannotBeWritten) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Speedmetrix.ini")));
    TMainForm1* form = start();
    test::Scripted_Ticks ticks({0, 0, 250, 250});
    run_integer_test(form, ticks);
    close(form);
    EXPECT_EQ(boxes->shown().size(), 2u); // cannot open it at the start, nor write it at the close
    QFile db(dir.filePath(QStringLiteral("Speedmetrix_DB.INI")));
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    EXPECT_TRUE(db.readAll().contains("[Auto-Saved Data]"));
}

// The run cannot be kept, so the settings must not name "Auto-Saved Data" as the current set:
// the next start would show the older set of that name as this run.
TEST_F(Settings_Window, AnUnsavedRunThatCannotBeStoredLeavesNoSetNamed) {
    const QString db = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
    const QByteArray older = "[Auto-Saved Data]\nElapsed_Time_MSec=1.00000000000000000E+0000\n";
    {
        QFile f(db);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(older);
    }
    ASSERT_TRUE(QFile::setPermissions(db, QFileDevice::ReadOwner));
    TMainForm1* form = start();
    test::Scripted_Ticks ticks({0, 0, 250, 250});
    run_integer_test(form, ticks);
    close(form);
    ASSERT_EQ(boxes->shown().size(), 1u);
    EXPECT_EQ(boxes->shown()[0].text,
              QStringLiteral("Unable to write to ") + db + QLatin1Char('.'));
    const settings::Settings_Record saved = settings::Read_Settings_File(settings_path());
    EXPECT_EQ(saved.Selected_INI_Section, QString());
    EXPECT_TRUE(stored().contains("\nSelected_INI_Section=\n")) << stored().constData();
    QFile f(db);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), older);
}

// An installed copy: its folder is not the user's to write, so the run and the settings go to the
// user's own folders, and nothing is said about it.
TEST_F(Settings_Window, ACopyInAFolderTheUserCannotWriteKeepsTheFilesInTheUsersFolders) {
    test::Temporary_Home home;
    platform::set_executable_dir_writable_override(false);
    const QString config = home.home() + QStringLiteral("/.config/speedmetrix/Speedmetrix.ini");
    const QString data =
        home.home() + QStringLiteral("/.local/share/speedmetrix/Speedmetrix_DB.INI");
    TMainForm1* form = start();
    test::Scripted_Ticks ticks({0, 0, 250, 250});
    run_integer_test(form, ticks);
    form->Number_Repetitions_SpinEdit->setValue(7);
    close(form);
    EXPECT_TRUE(boxes->shown().empty());
    QFile db(data);
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    EXPECT_TRUE(db.readAll().contains("[Auto-Saved Data]"));
    QFile settings(config);
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray text = settings.readAll();
    EXPECT_TRUE(text.contains("Number_Repetitions_SpinEdit=7\n"));
    EXPECT_TRUE(text.contains("Selected_INI_Section=Auto-Saved Data\n"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    // The next start reads them back, and factory defaults remove the user's settings file.
    form = start();
    EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 7);
    EXPECT_EQ(form->Main_Results.Name, QStringLiteral("Auto-Saved Data"));
    EXPECT_GT(form->Main_Results.Integer_Operations_Per_Sec, 0);
    boxes->queue(Box_Answer::Yes);
    form->Restore_Factory_Defaults_Option->trigger();
    EXPECT_FALSE(QFile::exists(config));
    EXPECT_EQ(form->Number_Repetitions_SpinEdit->Value(), 1);
    platform::set_executable_dir_writable_override(std::nullopt);
}

// The batch progress and report name the tests as the window's check boxes do.
TEST(Batch_Captions, AreTheCheckBoxes) {
    Forms& f = create_forms();
    const auto boxes = f.MainForm1->Test_CheckBoxes();
    ASSERT_EQ(boxes.size(), static_cast<std::size_t>(engine::Test_Id_Count));
    for (int i = 0; i < engine::Test_Id_Count; ++i)
        EXPECT_EQ(settings::Test_Captions()[i], boxes[i]->text());
    destroy_forms();
}

} // namespace
} // namespace smx::app
