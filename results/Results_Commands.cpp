#include "results/Results_Commands.h"

#include "platform/Ini_File.h"
#include "platform/Message_Boxes.h"
#include "results/Results_Database.h"

namespace smx::results {
namespace {

using platform::Box_Answer;

const QString kInformation = QStringLiteral("Information");
const QString kWarning = QStringLiteral("Warning");

void inform(const QString& text) {
    platform::show_information(kInformation, text);
}

bool ask(const QString& text) {
    return platform::ask_warning_question(kWarning, text) == Box_Answer::Yes;
}

void copy_values(const engine::TBenchmark_Results& from, engine::TBenchmark_Results& to) {
    for (int i = 0; i < Result_Key_Count; ++i)
        Result_Value(to, i) = Result_Value(from, i);
}

// Saving under the comparison set's name shows at once what is being stored under it.
void update_comparison_if_same_name(Results_Host& host) {
    if (host.main_results().Name == host.compare_results().Name)
        copy_values(host.main_results(), host.compare_results());
}

// Fills the picker from the database's sections and shows it; false (after saying so) when
// there is nothing to pick.
bool pick_from_database(Results_Host& host, const QString& title, bool multi_select) {
    host.picker_fill(platform::Ini_Read_Section_Names(host.database_path()));
    if (host.picker_count() == 0) {
        inform(No_Saved_Results_Message());
        return false;
    }
    host.picker_set_title(title);
    host.picker_set_sorted(true);
    if (multi_select)
        host.picker_set_multi_select(true);
    host.picker_show();
    return true;
}

// The name the single-selection picker was closed with, if any.
bool chosen_name(Results_Host& host, QString& name) {
    const int index = host.picker_result();
    if (index < 0 || index >= host.picker_count())
        return false;
    name = host.picker_item(index);
    return true;
}

} // namespace

QString Results_Host::database_path() {
    return Database_Path();
}

QString Save_Aborted_Message() {
    return QStringLiteral("Save aborted - at your request.");
}

QString Blank_Name_Message() {
    return QStringLiteral("The Save Name cannot be blank - save aborted.");
}

QString Overwrite_Question(const QString& name) {
    return QStringLiteral("Warning ...  A section called \"") + name +
           QStringLiteral("\" already exists in the \"") + Database_File_Name() +
           QStringLiteral("\" file.  ") +
           QStringLiteral("Do you want to overwrite the existing section's data ?");
}

QString No_Saved_Results_Message() {
    return QStringLiteral("Sorry, there are no previously saved benchmark results.");
}

QString Deleted_Message() {
    return QStringLiteral("Selected results deleted, as requested.");
}

QString Unsaved_Results_Question() {
    return QStringLiteral("Warning ...  The current benchmark results have NOT been saved.  Do "
                          "you want to save these results ?");
}

namespace {

// The set written under a name that is already stored: the old section is erased in the same
// replacement of the file as the write, so that a refused or interrupted write never loses the
// old set. That replacement comes first, as the erase would: when it is refused, the set keeps
// its name and the comparison and the graph stay as they were.
bool overwrite_main_results(Results_Host& host, const QString& name) {
    if (!Write_Result_Set_At_End(host.database_path(), name, host.main_results()))
        return false;
    host.main_results().Name = name;
    update_comparison_if_same_name(host);
    host.redraw_graph();
    host.set_results_saved(true);
    inform(Saved_Confirmation_Message(name));
    return true;
}

} // namespace

bool Save_Main_Results(Results_Host& host, const QString& name, bool show_message) {
    if (!Write_Result_Set(host.database_path(), name, host.main_results()))
        return false;
    host.set_results_saved(true);
    if (show_message)
        inform(Saved_Confirmation_Message(name));
    return true;
}

bool Load_Main_Results(Results_Host& host, const QString& name) {
    if (!Load_Result_Set(host.database_path(), name, host.main_results()))
        return false;
    host.set_results_saved(true);
    return true;
}

bool Load_Compare_Results(Results_Host& host, const QString& name) {
    return Load_Result_Set(host.database_path(), name, host.compare_results());
}

bool Save_Command(Results_Host& host) {
    engine::TBenchmark_Results& main = host.main_results();
    const auto typed = platform::input_text(QStringLiteral("Save under what name ?"),
                                            QStringLiteral("Save name :"), main.Name, 255);
    if (!typed) {
        inform(Save_Aborted_Message());
        return false;
    }
    // The typed name is the set's name from now on, even if the save goes no further.
    main.Name = *typed;
    const QString name = main.Name;
    if (name.isEmpty()) {
        inform(Blank_Name_Message());
        return false;
    }
    if (!Is_Storable_Set_Name(name)) {
        inform(Unstorable_Name_Message());
        return false;
    }
    const QString path = host.database_path();
    QStringList names;
    Read_Database_Section_Names(names, path, true);
    host.set_scratch_names(names);
    if (Find_Saved_Name(names, name) >= 0) {
        if (!ask(Overwrite_Question(name))) {
            inform(Save_Aborted_Message());
            return false;
        }
        return overwrite_main_results(host, name);
    }
    update_comparison_if_same_name(host);
    host.redraw_graph();
    return Save_Main_Results(host, name, true);
}

bool Replace_Command(Results_Host& host) {
    if (!pick_from_database(host, QStringLiteral("Replace which Benchmark Results :"), false))
        return false;
    QString name;
    if (!chosen_name(host, name))
        return false;
    // A hand-edited name that could not be written back keeps its set.
    if (!Is_Storable_Set_Name(name)) {
        inform(Unstorable_Name_Message());
        return false;
    }
    return overwrite_main_results(host, name);
}

bool Delete_Command(Results_Host& host) {
    if (!pick_from_database(host, QStringLiteral("Delete which Benchmark Results :"), true))
        return false;
    bool deleted = false;
    if (host.picker_result() >= 0) {
        deleted = true;
        const QString path = host.database_path();
        for (int i = host.picker_count() - 1; i >= 0; --i) {
            if (host.picker_selected(i) && !Erase_Database_Section(path, host.picker_item(i))) {
                deleted = false;
                break;
            }
        }
        if (deleted)
            inform(Deleted_Message());
    }
    host.picker_set_multi_select(false);
    return deleted;
}

bool Load_Command(Results_Host& host) {
    if (!host.results_saved()) {
        if (ask(Unsaved_Results_Question())) {
            Save_Command(host);
            if (!host.results_saved())
                return false;
        }
    }
    if (!pick_from_database(host, QStringLiteral("Please select a Benchmark Results :"), false))
        return false;
    QString name;
    const bool chosen = chosen_name(host, name);
    if (chosen) {
        host.main_results().Name = name;
        // A bad value stops the command before the redraw.
        if (!Load_Main_Results(host, name))
            return false;
    }
    host.redraw_graph();
    return chosen;
}

bool Compare_Command(Results_Host& host) {
    if (!pick_from_database(host, QStringLiteral("Compare Benchmark Results with :"), false))
        return false;
    QString name;
    const bool chosen = chosen_name(host, name);
    if (chosen) {
        host.compare_results().Name = name;
        if (!Load_Compare_Results(host, name))
            return false;
    }
    host.redraw_graph();
    return chosen;
}

} // namespace smx::results
