// The results commands: Save, Replace, Delete, Load and Compare. The window lends the commands
// its two sets, its saved flag, its scratch list, the item picker and its graph; the commands
// themselves are smx::results'.
#include "app/Forms.h"
#include "app/MainForm1.h"
#include "dialogs/Dialog_Item_Select_Form.h"
#include "platform/Bit_Button.h"
#include "results/Results_Commands.h"

#include <QCheckBox>
#include <QListWidget>

namespace smx::app {
namespace {

class Main_Window_Results_Host : public results::Results_Host {
public:
    explicit Main_Window_Results_Host(TMainForm1& form)
        : f_(form), picker_(forms().Dialog_Item_Select_Form) {}

    engine::TBenchmark_Results& main_results() override { return f_.Main_Results; }
    engine::TBenchmark_Results& compare_results() override { return f_.Compare_Results; }
    bool results_saved() override { return f_.Benchmark_Results_Saved_CheckBox->isChecked(); }
    void set_results_saved(bool saved) override {
        f_.Benchmark_Results_Saved_CheckBox->setChecked(saved);
    }

    void set_scratch_names(const QStringList& names) override {
        f_.Temp_ListBox->clear();
        f_.Temp_ListBox->addItems(names);
    }

    // Without the program's picker (a window built on its own), nothing can be chosen.
    void picker_fill(const QStringList& names) override {
        if (picker_) {
            picker_->Clear_Items();
            picker_->Add_Items(names);
        }
    }
    void picker_set_title(const QString& title) override {
        if (picker_)
            picker_->setWindowTitle(title);
    }
    void picker_set_sorted(bool sorted) override {
        if (picker_)
            picker_->Set_Sorted(sorted);
    }
    void picker_set_multi_select(bool multi_select) override {
        if (picker_)
            picker_->Set_Multi_Select(multi_select);
    }
    void picker_show() override {
        if (picker_)
            picker_->exec();
    }
    int picker_result() override { return picker_ ? picker_->Selected_Item() : -1; }
    int picker_count() override { return picker_ ? picker_->Item_Count() : 0; }
    QString picker_item(int index) override { return picker_ ? picker_->Item(index) : QString(); }
    bool picker_selected(int index) override { return picker_ && picker_->Item_Selected(index); }

    void redraw_graph() override { f_.Graph_Results_BitBtnClick(); }

private:
    TMainForm1& f_;
    dialogs::TDialog_Item_Select_Form* picker_;
};

} // namespace

void TMainForm1::Connect_Results_Handlers() {
    connect(Save_Results_BitBtn, &QToolButton::clicked, this,
            &TMainForm1::Save_Results_BitBtnClick);
    connect(Replace_Existing_Saved_Results_BitBtn, &QToolButton::clicked, this,
            &TMainForm1::Replace_Existing_Saved_Results_BitBtnClick);
    connect(Delete_Saved_Results_BitBtn, &QToolButton::clicked, this,
            &TMainForm1::Delete_Saved_Results_BitBtnClick);
    connect(Load_Results_BitBtn, &QToolButton::clicked, this,
            &TMainForm1::Load_Results_BitBtnClick);
    connect(Load_Results_With_BitBtn, &QToolButton::clicked, this,
            &TMainForm1::Load_Results_With_BitBtnClick);
}

bool TMainForm1::Save_Main_Results(const QString& Name, bool Show_Message) {
    Main_Window_Results_Host host(*this);
    return results::Save_Main_Results(host, Name, Show_Message);
}

bool TMainForm1::Load_Main_Results(const QString& Name) {
    Main_Window_Results_Host host(*this);
    return results::Load_Main_Results(host, Name);
}

bool TMainForm1::Load_Compare_Results(const QString& Name) {
    Main_Window_Results_Host host(*this);
    return results::Load_Compare_Results(host, Name);
}

void TMainForm1::Load_Remembered_Results(const QString& Main_Name, const QString& Compare_Name) {
    Main_Window_Results_Host host(*this);
    results::Load_Remembered_Results(host, Main_Name, Compare_Name);
}

void TMainForm1::Save_Results_BitBtnClick() {
    Main_Window_Results_Host host(*this);
    results::Save_Command(host);
}

void TMainForm1::Replace_Existing_Saved_Results_BitBtnClick() {
    Main_Window_Results_Host host(*this);
    results::Replace_Command(host);
}

void TMainForm1::Delete_Saved_Results_BitBtnClick() {
    Main_Window_Results_Host host(*this);
    results::Delete_Command(host);
}

void TMainForm1::Load_Results_BitBtnClick() {
    Main_Window_Results_Host host(*this);
    results::Load_Command(host);
}

void TMainForm1::Load_Results_With_BitBtnClick() {
    Main_Window_Results_Host host(*this);
    results::Compare_Command(host);
}

} // namespace smx::app
