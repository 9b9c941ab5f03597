#include "app/Forms.h"
#include "app/MainForm1.h"
#include "dialogs/Dialog_Item_Select_Form.h"
#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"
#include "results/Results_Database.h"
#include "test_support.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace smx::app {
namespace {

using platform::Box_Answer;

// The program's forms and a main window whose database lives in a temporary folder; the
// picker is answered by `in_picker` once it is shown.
class Results_Buttons : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        create_forms();
        form = std::make_unique<TMainForm1>();
        form->show();
    }
    void TearDown() override {
        form.reset();
        destroy_forms();
    }

    static dialogs::TDialog_Item_Select_Form* picker() { return forms().Dialog_Item_Select_Form; }

    void in_picker(std::function<void(dialogs::TDialog_Item_Select_Form&)> act) {
        QTimer::singleShot(0, picker(), [act] {
            ASSERT_TRUE(picker()->isVisible());
            act(*picker());
        });
        QTimer::singleShot(3000, picker(), [] {
            if (picker()->isVisible()) {
                ADD_FAILURE() << "the picker did not close";
                picker()->reject();
            }
        });
    }

    void store(const char* name, long double value) {
        engine::TBenchmark_Results r;
        r.Integer_Operations_Per_Sec = value;
        ASSERT_TRUE(
            results::Write_Result_Set(results::Database_Path(), QString::fromLatin1(name), r));
    }

    static void choose_row(dialogs::TDialog_Item_Select_Form& p, int row,
                           Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(
            p.Item_ListBox->viewport(), Qt::LeftButton, modifiers,
            p.Item_ListBox->visualRect(p.Item_ListBox->model()->index(row, 0)).center());
    }

    QTemporaryDir dir;
    test::Executable_In executable{dir.path()};
    platform::Scripted_Responder boxes;
    std::unique_ptr<TMainForm1> form;
};

} // namespace

TEST_F(Results_Buttons, SaveThenLoadThroughTheButtonsAndThePicker) {
    form->Main_Results.Name = QStringLiteral("This PC");
    form->Main_Results.Integer_Operations_Per_Sec = 123;
    form->Benchmark_Results_Saved_CheckBox->setChecked(false);
    boxes.queue(Box_Answer::Ok, QStringLiteral("beta"));
    form->Save_Results_BitBtn->click();
    EXPECT_TRUE(form->Benchmark_Results_Saved_CheckBox->isChecked());
    EXPECT_EQ(form->Main_Series_Label->text(), QStringLiteral("beta"));
    EXPECT_TRUE(form->Temp_ListBox->count() == 0);
    store("Alpha", 1);
    store("gamma", 3);

    form->Main_Results.Integer_Operations_Per_Sec = 0;
    in_picker([](dialogs::TDialog_Item_Select_Form& p) {
        EXPECT_EQ(p.windowTitle(), QStringLiteral("Please select a Benchmark Results :"));
        EXPECT_EQ(p.Item(0), QStringLiteral("Alpha"));
        choose_row(p, 1);
        p.OK_Button->click();
    });
    form->Load_Results_BitBtn->click();
    EXPECT_EQ(form->Main_Results.Name, QStringLiteral("beta"));
    EXPECT_EQ(form->Main_Results.Integer_Operations_Per_Sec, 123);
    EXPECT_EQ(form->Main_Series_Label->text(), QStringLiteral("beta"));

    // Compare: the comparison set changes, the current one does not.
    in_picker([](dialogs::TDialog_Item_Select_Form& p) {
        EXPECT_EQ(p.windowTitle(), QStringLiteral("Compare Benchmark Results with :"));
        choose_row(p, 2);
        p.OK_Button->click();
    });
    form->Load_Results_With_BitBtn->click();
    EXPECT_EQ(form->Compare_Results.Name, QStringLiteral("gamma"));
    EXPECT_EQ(form->Compare_Results.Integer_Operations_Per_Sec, 3);
    EXPECT_EQ(form->Compare_Series_Label->text(), QStringLiteral("gamma"));
    EXPECT_EQ(form->Main_Results.Name, QStringLiteral("beta"));

    // The existence check leaves the names it found in the scratch list, and only those.
    for (const char* name : {"delta", "epsilon"}) {
        boxes.queue(Box_Answer::Ok, QString::fromLatin1(name));
        form->Save_Results_BitBtn->click();
    }
    EXPECT_EQ(form->Temp_ListBox->count(), 4);
}

TEST_F(Results_Buttons, DeleteAndReplaceThroughThePicker) {
    for (const char* name : {"one", "two", "three"})
        store(name, 1);
    in_picker([](dialogs::TDialog_Item_Select_Form& p) {
        EXPECT_TRUE(p.Multi_Select());
        choose_row(p, 0);                      // one
        choose_row(p, 2, Qt::ControlModifier); // two
        p.OK_Button->click();
    });
    form->Delete_Saved_Results_BitBtn->click();
    EXPECT_FALSE(picker()->Multi_Select());
    EXPECT_EQ(boxes.shown().back().text, QStringLiteral("Selected results deleted, as requested."));
    QStringList names;
    results::Read_Database_Section_Names(names, results::Database_Path(), true);
    EXPECT_EQ(names, (QStringList{"three"}));

    form->Main_Results.Integer_Operations_Per_Sec = 77;
    in_picker([](dialogs::TDialog_Item_Select_Form& p) {
        choose_row(p, 0); // a double-click's first press and release
        QTest::mouseDClick(
            p.Item_ListBox->viewport(), Qt::LeftButton, {},
            p.Item_ListBox->visualRect(p.Item_ListBox->model()->index(0, 0)).center());
    });
    form->Replace_Existing_Saved_Results_BitBtn->click();
    EXPECT_EQ(form->Main_Results.Name, QStringLiteral("three"));
    engine::TBenchmark_Results back;
    ASSERT_TRUE(results::Read_Result_Set(results::Database_Path(), QStringLiteral("three"), back));
    EXPECT_EQ(back.Integer_Operations_Per_Sec, 77);
}

TEST_F(Results_Buttons, TheWindowsDatabaseRoutinesKeepTheSavedFlag) {
    form->Main_Results.Integer_Operations_Per_Sec = 5;
    form->Benchmark_Results_Saved_CheckBox->setChecked(false);
    EXPECT_TRUE(form->Save_Main_Results(QStringLiteral("Auto-Saved Data"), false));
    EXPECT_TRUE(form->Benchmark_Results_Saved_CheckBox->isChecked());
    EXPECT_TRUE(boxes.shown().empty());

    form->Benchmark_Results_Saved_CheckBox->setChecked(false);
    EXPECT_TRUE(form->Load_Compare_Results(QStringLiteral("Auto-Saved Data")));
    EXPECT_EQ(form->Compare_Results.Integer_Operations_Per_Sec, 5);
    EXPECT_FALSE(form->Benchmark_Results_Saved_CheckBox->isChecked());

    QFile file(results::Database_Path());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("[Bad]\nInteger_Operations_Per_Sec=x\n");
    file.close();
    EXPECT_FALSE(form->Load_Main_Results(QStringLiteral("Bad")));
    EXPECT_FALSE(form->Benchmark_Results_Saved_CheckBox->isChecked());
    EXPECT_TRUE(form->Load_Main_Results(QStringLiteral("Auto-Saved Data")));
    EXPECT_TRUE(form->Benchmark_Results_Saved_CheckBox->isChecked());
}

} // namespace smx::app
