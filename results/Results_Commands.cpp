#include "results/Results_Commands.h"

#include "platform/Ini_File.h"
#include "platform/Message_Boxes.h"
#include "results/Results_Database.h"

#include <QHash>
#include <QSet>
#include <vector>

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

using Exact_Section = platform::Ini_Document::Exact_Section;

// The database read once for the command. False (after saying so) when it is there but cannot
// be read.
bool read_database(platform::Ini_File& database) {
    if (database.read())
        return true;
    platform::show_general_error(Cannot_Open_Message(database.path()));
    return false;
}

// After a dialog, which may have stood for long: the file as it is now.
bool refresh_database(platform::Ini_File& database) {
    if (database.refresh())
        return true;
    platform::show_general_error(Cannot_Open_Message(database.path()));
    return false;
}

// Fills the picker from the database's sections and shows it; false (after saying so) when
// there is nothing to pick or the file cannot be read.
bool pick_from_database(Results_Host& host, platform::Ini_File& database, const QString& title,
                        bool multi_select) {
    if (!read_database(database))
        return false;
    host.picker_fill(database.document().section_names());
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

// The section of the file that the picker's entry at `index` stands for. The picker lists every
// section once; entries of exactly the same name look alike, so the n-th of them in the list is
// the n-th of them in the file.
Exact_Section section_of_entry(Results_Host& host, int index) {
    Exact_Section section{host.picker_item(index), 0};
    for (int i = 0; i < index; ++i)
        if (host.picker_item(i) == section.name)
            ++section.occurrence;
    return section;
}

// Every selected entry of the multi-select picker as its section.
std::vector<Exact_Section> selected_sections(Results_Host& host) {
    const int count = host.picker_count();
    std::vector<int> chosen;
    QSet<QString> names;
    for (int i = 0; i < count; ++i) {
        if (host.picker_selected(i)) {
            chosen.push_back(i);
            names.insert(host.picker_item(i));
        }
    }
    // Only the chosen names need counting, up to the last chosen entry.
    std::vector<Exact_Section> selected;
    QHash<QString, int> seen;
    std::size_t next = 0;
    for (int i = 0; next < chosen.size(); ++i) {
        const QString name = host.picker_item(i);
        if (!names.contains(name))
            continue;
        const int occurrence = seen[name]++;
        if (i == chosen[next]) {
            selected.push_back(Exact_Section{name, occurrence});
            ++next;
        }
    }
    return selected;
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

// The set written under a name that is already stored: exactly the section it replaces is
// erased in the same replacement of the file as the write, so that a refused or interrupted
// write never loses the old set. That replacement comes first, as the erase would: when it is
// refused, the set keeps its name and the comparison and the graph stay as they were.
bool overwrite_main_results(Results_Host& host, platform::Ini_File& database,
                            const Exact_Section& replaced) {
    const QString& name = replaced.name;
    if (!Put_Result_Set_At_End(database.document(), name, replaced, host.main_results()) ||
        !database.write()) {
        platform::show_general_error(Unable_To_Write_Message(database.path()));
        return false;
    }
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

bool Load_Remembered_Results(Results_Host& host, const QString& main_name,
                             const QString& compare_name) {
    platform::Ini_File database(host.database_path());
    if ((!main_name.isEmpty() || !compare_name.isEmpty()) && !read_database(database))
        return false;
    const bool main_loaded = Load_Result_Set(database.document(), main_name, host.main_results());
    if (main_loaded)
        host.set_results_saved(true);
    const bool compare_loaded =
        Load_Result_Set(database.document(), compare_name, host.compare_results());
    return main_loaded && compare_loaded;
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
    // One read serves the existence check and the write; a file that cannot be read is never
    // replaced by a guess at its content.
    platform::Ini_File database(host.database_path());
    if (!database.read()) {
        platform::show_general_error(Unable_To_Write_Message(database.path()));
        return false;
    }
    QStringList names;
    Scan_Database_Section_Names(names, database.document().bytes());
    host.set_scratch_names(names);
    if (Find_Saved_Name(names, name) >= 0) {
        if (!ask(Overwrite_Question(name))) {
            inform(Save_Aborted_Message());
            return false;
        }
        if (!database.refresh()) {
            platform::show_general_error(Unable_To_Write_Message(database.path()));
            return false;
        }
        // The section a load of the name reads: the last of exactly that name.
        return overwrite_main_results(
            host, database,
            Exact_Set_Section(database.document(), name).value_or(Exact_Section{name, -1}));
    }
    update_comparison_if_same_name(host);
    host.redraw_graph();
    if (!Put_Result_Set(database.document(), name, main) || !database.write()) {
        platform::show_general_error(Unable_To_Write_Message(database.path()));
        return false;
    }
    host.set_results_saved(true);
    inform(Saved_Confirmation_Message(name));
    return true;
}

bool Replace_Command(Results_Host& host) {
    platform::Ini_File database(host.database_path());
    if (!pick_from_database(host, database, QStringLiteral("Replace which Benchmark Results :"),
                            false))
        return false;
    const int index = host.picker_result();
    if (index < 0 || index >= host.picker_count())
        return false;
    const Exact_Section chosen = section_of_entry(host, index);
    // A hand-edited name that could not be written back keeps its set.
    if (!Is_Rewritable_Section_Name(chosen.name)) {
        inform(Unrewritable_Section_Message(chosen.name));
        return false;
    }
    if (!refresh_database(database))
        return false;
    return overwrite_main_results(host, database, chosen);
}

bool Delete_Command(Results_Host& host) {
    platform::Ini_File database(host.database_path());
    if (!pick_from_database(host, database, QStringLiteral("Delete which Benchmark Results :"),
                            true))
        return false;
    bool deleted = false;
    if (host.picker_result() >= 0) {
        // Every chosen section goes in one replacement of the file, however many there are.
        const std::vector<Exact_Section> chosen = selected_sections(host);
        if (!refresh_database(database)) {
            host.picker_set_multi_select(false);
            return false;
        }
        deleted = database.document().erase_exact_sections(chosen) == 0 || database.write();
        if (deleted)
            inform(Deleted_Message());
        else
            platform::show_general_error(Unable_To_Write_Message(database.path()));
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
    platform::Ini_File database(host.database_path());
    if (!pick_from_database(host, database, QStringLiteral("Please select a Benchmark Results :"),
                            false))
        return false;
    QString name;
    const bool chosen = chosen_name(host, name);
    if (chosen) {
        host.main_results().Name = name;
        // A bad value stops the command before the redraw.
        if (!refresh_database(database) ||
            !Load_Result_Set(database.document(), name, host.main_results()))
            return false;
        host.set_results_saved(true);
    }
    host.redraw_graph();
    return chosen;
}

bool Compare_Command(Results_Host& host) {
    platform::Ini_File database(host.database_path());
    if (!pick_from_database(host, database, QStringLiteral("Compare Benchmark Results with :"),
                            false))
        return false;
    QString name;
    const bool chosen = chosen_name(host, name);
    if (chosen) {
        host.compare_results().Name = name;
        if (!refresh_database(database) ||
            !Load_Result_Set(database.document(), name, host.compare_results()))
            return false;
    }
    host.redraw_graph();
    return chosen;
}

} // namespace smx::results
