#pragma once
#include "engine/Benchmark_Results.h"

#include <QString>
#include <QStringList>

namespace smx::results {

// What the five results commands need from the window that runs them: the two sets, the saved
// flag, the scratch list, the item picker and the graph. The order of the steps, the questions,
// the messages and the database work are the commands' own.
class Results_Host {
public:
    virtual ~Results_Host() = default;

    virtual engine::TBenchmark_Results& main_results() = 0;
    virtual engine::TBenchmark_Results& compare_results() = 0;
    virtual bool results_saved() = 0;
    virtual void set_results_saved(bool saved) = 0;

    // The hidden scratch list that holds the names found by the save's existence check.
    virtual void set_scratch_names(const QStringList& names) = 0;

    // The item picker: its list (emptied and refilled), title and switches, its modal showing,
    // and its outcome: the index into the list in the order shown, or -1 when nothing was
    // chosen.
    virtual void picker_fill(const QStringList& names) = 0;
    virtual void picker_set_title(const QString& title) = 0;
    virtual void picker_set_sorted(bool sorted) = 0;
    virtual void picker_set_multi_select(bool multi_select) = 0;
    virtual void picker_show() = 0;
    virtual int picker_result() = 0;
    virtual int picker_count() = 0;
    virtual QString picker_item(int index) = 0;
    virtual bool picker_selected(int index) = 0;

    virtual void redraw_graph() = 0;

    // The database file; beside the executable unless a host says otherwise.
    virtual QString database_path();
};

// The database routines that act on the host's sets and saved flag. Each returns false after
// showing its own error.
bool Save_Main_Results(Results_Host& host, const QString& name, bool show_message);
bool Load_Main_Results(Results_Host& host, const QString& name);
bool Load_Compare_Results(Results_Host& host, const QString& name);
// Load_Main_Results and then Load_Compare_Results, from one read of the database: a file that
// cannot be read is reported once. False when either load failed.
bool Load_Remembered_Results(Results_Host& host, const QString& main_name,
                             const QString& compare_name);

// The five commands. Each returns true when it completed what the user asked for, false when
// it was abandoned, refused or failed.
bool Save_Command(Results_Host& host);
bool Replace_Command(Results_Host& host);
bool Delete_Command(Results_Host& host);
bool Load_Command(Results_Host& host);
bool Compare_Command(Results_Host& host);

// Texts of the commands.
QString Save_Aborted_Message();
QString Blank_Name_Message();
QString Overwrite_Question(const QString& name);
QString No_Saved_Results_Message();
QString Deleted_Message();
QString Unsaved_Results_Question();

} // namespace smx::results
