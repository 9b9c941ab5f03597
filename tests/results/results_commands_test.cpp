#include "platform/Ini_File.h"
#include "platform/Message_Boxes.h"
#include "results/Results_Commands.h"
#include "results/Results_Database.h"
#include "results_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>

using namespace smx::results;
using smx::engine::TBenchmark_Results;
using smx::platform::Box_Answer;
using smx::platform::Box_Kind;
using smx::platform::Scripted_Responder;
using smx::test::headers_of;
using smx::test::read_file;
using smx::test::sample_set;

namespace {

// A window stand-in: the two sets, the flag, the scratch list, and a picker that selects the
// names scripted for each showing (none: cancelled).
class Fake_Host : public Results_Host {
public:
    explicit Fake_Host(QString path) : path_(std::move(path)) {}

    TBenchmark_Results main = sample_set("This PC", 7);
    TBenchmark_Results compare = sample_set("Reference", 3);
    bool saved = false;
    QStringList scratch;
    std::vector<QStringList> choices; // one per showing
    // Or, where names alike must be told apart, the positions to select (in the order shown).
    std::vector<std::vector<int>> index_choices;
    struct Showing {
        QString title;
        bool sorted;
        bool multi_select;
        QStringList items;
    };
    std::vector<Showing> showings;
    bool multi_select = false;
    int redraws = 0;
    std::function<void()> on_redraw;

    TBenchmark_Results& main_results() override { return main; }
    TBenchmark_Results& compare_results() override { return compare; }
    bool results_saved() override { return saved; }
    void set_results_saved(bool s) override { saved = s; }
    void set_scratch_names(const QStringList& names) override { scratch = names; }
    void picker_fill(const QStringList& names) override {
        items_ = names;
        sort_if_sorted();
    }
    void picker_set_title(const QString& title) override { title_ = title; }
    void picker_set_sorted(bool sorted) override {
        sorted_ = sorted;
        sort_if_sorted();
    }
    void picker_set_multi_select(bool m) override { multi_select = m; }
    void picker_show() override {
        showings.push_back(Showing{title_, sorted_, multi_select, items_});
        const QStringList chosen = choices.empty() ? QStringList() : choices.front();
        if (!choices.empty())
            choices.erase(choices.begin());
        selected_.clear();
        result_ = -1;
        if (!index_choices.empty()) {
            selected_ = index_choices.front();
            index_choices.erase(index_choices.begin());
            if (!selected_.empty())
                result_ = *std::min_element(selected_.begin(), selected_.end());
            return;
        }
        for (int i = 0; i < items_.size(); ++i) {
            if (chosen.contains(items_[i])) {
                selected_.push_back(i);
                if (result_ < 0)
                    result_ = i;
            }
        }
    }
    int picker_result() override { return result_; }
    int picker_count() override { return static_cast<int>(items_.size()); }
    QString picker_item(int index) override { return items_.value(index); }
    bool picker_selected(int index) override {
        return std::find(selected_.begin(), selected_.end(), index) != selected_.end();
    }
    void redraw_graph() override {
        ++redraws;
        if (on_redraw)
            on_redraw();
    }
    QString database_path() override { return path_; }

private:
    void sort_if_sorted() {
        if (sorted_)
            std::stable_sort(items_.begin(), items_.end(), [](const QString& a, const QString& b) {
                return a.compare(b, Qt::CaseInsensitive) < 0;
            });
    }

    QString path_;
    QStringList items_;
    QString title_;
    bool sorted_ = false;
    std::vector<int> selected_;
    int result_ = -1;
};

class Results_Commands : public ::testing::Test {
protected:
    void store(std::initializer_list<const char*> names) {
        long double seed = 100;
        for (const char* name : names)
            ASSERT_TRUE(Write_Result_Set(path, QString::fromUtf8(name), sample_set(name, seed++)));
    }
    // The sets as a hand-edited file can hold them: names alike in all but case, and duplicates.
    void store_as_text(std::initializer_list<const char*> names) {
        QString text;
        long double seed = 100;
        for (const char* name : names) {
            const TBenchmark_Results set = sample_set(name, seed++);
            text += QLatin1Char('[') + QString::fromUtf8(name) + QStringLiteral("]\n");
            for (int i = 0; i < Result_Key_Count; ++i)
                text += Result_Key_Names()[static_cast<std::size_t>(i)] + QLatin1Char('=') +
                        Format_Result_Number(Result_Value(set, i)) + QLatin1Char('\n');
        }
        smx::test::write_file(path, text);
    }
    QStringList texts() const {
        QStringList t;
        for (const auto& box : responder.shown())
            t << box.text;
        return t;
    }
    static bool same_values(const TBenchmark_Results& a, const TBenchmark_Results& b) {
        for (int i = 0; i < Result_Key_Count; ++i)
            if (Result_Value(a, i) != Result_Value(b, i))
                return false;
        return true;
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
    Fake_Host host{path};
    Scripted_Responder responder;
};

} // namespace

TEST_F(Results_Commands, SaveCreatesTheFileAndConfirms) {
    responder.queue(Box_Answer::Ok, QStringLiteral("This PC"));
    EXPECT_TRUE(Save_Command(host));
    const auto& input = responder.shown().at(0);
    EXPECT_EQ(input.kind, Box_Kind::Text_Input);
    EXPECT_EQ(input.title, QStringLiteral("Save under what name ?"));
    EXPECT_EQ(input.text, QStringLiteral("Save name :"));
    EXPECT_EQ(input.initial, QStringLiteral("This PC"));
    EXPECT_EQ(texts().mid(1), (QStringList{Saved_Confirmation_Message("This PC")}));
    EXPECT_EQ(responder.shown().at(1).title, QStringLiteral("Information"));
    EXPECT_EQ(headers_of(path), (QStringList{"[This PC]"}));
    EXPECT_TRUE(host.saved);
    EXPECT_EQ(host.redraws, 1);
    TBenchmark_Results back;
    ASSERT_TRUE(Read_Result_Set(path, QStringLiteral("This PC"), back));
    EXPECT_TRUE(same_values(back, host.main));

    // The field takes at most 255 characters.
    responder.queue(Box_Answer::Ok, QString(300, QLatin1Char('x')));
    EXPECT_TRUE(Save_Command(host));
    EXPECT_EQ(host.main.Name, QString(255, QLatin1Char('x')));
}

TEST_F(Results_Commands, SavingAnExistingNameAsksAndTheRewrittenSetMovesToTheEnd) {
    store({"This PC", "Other"});
    responder.queue(Box_Answer::Ok, QStringLiteral("This PC"));
    responder.queue(Box_Answer::Yes);
    EXPECT_TRUE(Save_Command(host));
    EXPECT_EQ(responder.shown().at(1).kind, Box_Kind::Warning_Question);
    EXPECT_EQ(responder.shown().at(1).title, QStringLiteral("Warning"));
    EXPECT_EQ(responder.shown().at(1).text,
              QStringLiteral("Warning ...  A section called \"This PC\" already exists in the "
                             "\"Speedmetrix_DB.INI\" file.  Do you want to overwrite the existing "
                             "section's data ?"));
    EXPECT_EQ(host.scratch, (QStringList{"This PC", "Other"}));
    EXPECT_EQ(headers_of(path), (QStringList{"[Other]", "[This PC]"}));
    TBenchmark_Results back;
    ASSERT_TRUE(Read_Result_Set(path, QStringLiteral("This PC"), back));
    EXPECT_TRUE(same_values(back, host.main));
    EXPECT_TRUE(host.saved);
}

TEST_F(Results_Commands, AbandonedSavesWriteNothingAndKeepTheTypedName) {
    store({"This PC", "Other"});
    const QString before = read_file(path);
    const QString aborted = Save_Aborted_Message();
    struct Case {
        Box_Answer answer;
        QString typed;
        QString message;
        QString name_after;
    };
    const Case cases[] = {
        {Box_Answer::Cancel, {}, aborted, QStringLiteral("This PC")},
        {Box_Answer::Ok, {}, Blank_Name_Message(), {}},
        {Box_Answer::Ok, QStringLiteral("Other"), aborted, QStringLiteral("Other")}, // declined
        {Box_Answer::Ok, QStringLiteral("   "), Unstorable_Name_Message(), QStringLiteral("   ")},
        {Box_Answer::Ok, QStringLiteral("a[b]"), Unstorable_Name_Message(), QStringLiteral("a[b]")},
        {Box_Answer::Ok, QStringLiteral("two\nlines"), Unstorable_Name_Message(),
         QStringLiteral("two\nlines")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        host.main.Name = QStringLiteral("This PC");
        responder.clear();
        responder.queue(c.answer, c.typed);
        if (c.typed == QStringLiteral("Other"))
            responder.queue(Box_Answer::No);
        EXPECT_FALSE(Save_Command(host));
        EXPECT_EQ(texts().back(), c.message);
        EXPECT_EQ(responder.shown().back().kind, Box_Kind::Information);
        EXPECT_EQ(responder.shown().back().title, QStringLiteral("Information"));
        EXPECT_EQ(host.main.Name, c.name_after);
        EXPECT_FALSE(host.saved);
        EXPECT_EQ(host.redraws, 0);
        EXPECT_EQ(read_file(path), before);
    }
}

TEST_F(Results_Commands, ACaseDifferentNameIsNotAskedAboutAndLandsInTheSameSection) {
    store({"Lab"});
    responder.queue(Box_Answer::Ok, QStringLiteral("LAB"));
    EXPECT_TRUE(Save_Command(host));
    EXPECT_EQ(texts().mid(1), (QStringList{Saved_Confirmation_Message("LAB")}));
    EXPECT_EQ(headers_of(path), (QStringList{"[Lab]"}));
}

// Characters outside the Basic Multilingual Plane are pairs of surrogates, saved as typed.
TEST_F(Results_Commands, ANameWithCharactersBeyondTheBasicPlaneIsSaved) {
    const QString name = QString::fromUtf8("Lab \U0001F680 \U0001D400\U00020000");
    responder.queue(Box_Answer::Ok, name);
    EXPECT_TRUE(Save_Command(host));
    EXPECT_EQ(texts().back(), Saved_Confirmation_Message(name));
    EXPECT_EQ(headers_of(path), (QStringList{QLatin1Char('[') + name + QLatin1Char(']')}));
}

TEST_F(Results_Commands, SavingUnderTheComparisonNameShowsTheNewValuesAtTheRedraw) {
    host.compare.Name = QStringLiteral("Reference");
    host.on_redraw = [&] { EXPECT_TRUE(same_values(host.compare, host.main)); };
    responder.queue(Box_Answer::Ok, QStringLiteral("Reference"));
    EXPECT_TRUE(Save_Command(host));
    EXPECT_EQ(host.redraws, 1);

    // Another name leaves the comparison alone.
    const TBenchmark_Results compare = host.compare;
    host.main = sample_set("x", 11);
    host.on_redraw = nullptr;
    responder.queue(Box_Answer::Ok, QStringLiteral("Elsewhere"));
    EXPECT_TRUE(Save_Command(host));
    EXPECT_TRUE(same_values(host.compare, compare));
}

TEST_F(Results_Commands, ARefusedWriteKeepsTheFlagAndShowsNoConfirmation) {
    Fake_Host refused(dir.filePath(QStringLiteral("gone/Speedmetrix_DB.INI")));
    responder.queue(Box_Answer::Ok, QStringLiteral("This PC"));
    EXPECT_FALSE(Save_Command(refused));
    EXPECT_EQ(texts().mid(1), (QStringList{QStringLiteral("Unable to write to ") +
                                           refused.database_path() + QLatin1Char('.')}));
    EXPECT_FALSE(refused.saved);
    EXPECT_EQ(refused.redraws, 1); // the redraw comes before the write
}

TEST_F(Results_Commands, PickingCommandsOnAnEmptyDatabaseSaySoAndStop) {
    host.saved = true;
    for (auto command : {Replace_Command, Delete_Command, Load_Command, Compare_Command}) {
        responder.clear();
        EXPECT_FALSE(command(host));
        EXPECT_EQ(texts(), (QStringList{No_Saved_Results_Message()}));
    }
    EXPECT_TRUE(host.showings.empty());
    EXPECT_EQ(host.redraws, 0);
    EXPECT_FALSE(host.multi_select);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(Results_Commands, ReplaceRewritesTheChosenSetAtTheEndWithoutAQuestion) {
    store({"beta", "Alpha", "gamma"});
    host.compare.Name = QStringLiteral("Alpha");
    host.choices = {{}, {QStringLiteral("Alpha")}};
    const QString before = read_file(path);
    EXPECT_FALSE(Replace_Command(host)); // cancelled
    EXPECT_EQ(read_file(path), before);
    EXPECT_EQ(host.redraws, 0);
    EXPECT_FALSE(host.saved);

    EXPECT_TRUE(Replace_Command(host));
    const auto& shown = host.showings.back();
    EXPECT_EQ(shown.title, QStringLiteral("Replace which Benchmark Results :"));
    EXPECT_TRUE(shown.sorted);
    EXPECT_FALSE(shown.multi_select);
    EXPECT_EQ(shown.items, (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(headers_of(path), (QStringList{"[beta]", "[gamma]", "[Alpha]"}));
    EXPECT_EQ(host.main.Name, QStringLiteral("Alpha"));
    EXPECT_TRUE(same_values(host.compare, host.main));
    EXPECT_TRUE(host.saved);
    EXPECT_EQ(host.redraws, 1);
    EXPECT_EQ(texts(), (QStringList{Saved_Confirmation_Message("Alpha")}));

    // Hand-edited names with brackets are replaced under the name they are read back by; one
    // that could not be written back keeps its set, and Replace says why in its own words.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("[x]y]\nElapsed_Time_MSec=5\n[[a]\nElapsed_Time_MSec=6\n[t\tab]\n");
    file.close();
    for (const char* bracketed : {"x]y", "[a"}) {
        const QString name = QString::fromLatin1(bracketed);
        host.choices = {{name}};
        host.main = sample_set("This PC", 321);
        responder.clear();
        EXPECT_TRUE(Replace_Command(host)) << bracketed;
        EXPECT_EQ(texts(), (QStringList{Saved_Confirmation_Message(name)}));
        EXPECT_EQ(headers_of(path).back(), QLatin1Char('[') + name + QLatin1Char(']'));
        TBenchmark_Results back;
        ASSERT_TRUE(Read_Result_Set(path, name, back));
        EXPECT_TRUE(same_values(back, host.main)) << bracketed;
    }
    const QString edited = read_file(path);
    host.choices = {{QStringLiteral("t\tab")}};
    responder.clear();
    EXPECT_FALSE(Replace_Command(host));
    EXPECT_EQ(texts(), (QStringList{Unrewritable_Section_Message(QStringLiteral("t\tab"))}));
    EXPECT_TRUE(texts().front().contains(QLatin1String("\"t\\tab\"")));
    EXPECT_TRUE(texts().front().endsWith(QLatin1String("replace aborted.")));
    EXPECT_EQ(read_file(path), edited);
}

TEST_F(Results_Commands, DeleteErasesEverySelectedSetWithOneConfirmation) {
    store({"one", "two", "three", "four", "five"});
    const TBenchmark_Results main = host.main;
    host.choices = {{}, {QStringLiteral("one"), QStringLiteral("three"), QStringLiteral("five")}};
    EXPECT_FALSE(Delete_Command(host)); // cancelled
    EXPECT_EQ(headers_of(path).size(), 5);
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_FALSE(host.multi_select);

    EXPECT_TRUE(Delete_Command(host));
    EXPECT_EQ(host.showings.back().title, QStringLiteral("Delete which Benchmark Results :"));
    EXPECT_TRUE(host.showings.back().multi_select);
    EXPECT_TRUE(host.showings.back().sorted);
    EXPECT_FALSE(host.multi_select);
    EXPECT_EQ(headers_of(path), (QStringList{"[two]", "[four]"}));
    EXPECT_EQ(texts(), (QStringList{Deleted_Message()}));
    EXPECT_TRUE(same_values(host.main, main));
    EXPECT_FALSE(host.saved);
    EXPECT_EQ(host.redraws, 0);
}

TEST_F(Results_Commands, LoadAsksAboutUnsavedResultsFirst) {
    store({"Lab"});
    // No: the chosen set replaces the unsaved one.
    responder.queue(Box_Answer::No);
    host.choices = {{QStringLiteral("Lab")}};
    EXPECT_TRUE(Load_Command(host));
    EXPECT_EQ(texts(), (QStringList{Unsaved_Results_Question()}));
    EXPECT_EQ(host.showings.back().title, QStringLiteral("Please select a Benchmark Results :"));
    EXPECT_EQ(host.main.Name, QStringLiteral("Lab"));
    EXPECT_TRUE(same_values(host.main, sample_set("Lab", 100)));
    EXPECT_TRUE(host.saved);
    EXPECT_EQ(host.redraws, 1);

    // Yes, then the name dialog cancelled: the load ends there.
    host.saved = false;
    host.main = sample_set("This PC", 7);
    responder.clear();
    responder.queue(Box_Answer::Yes);
    responder.queue(Box_Answer::Cancel);
    EXPECT_FALSE(Load_Command(host));
    EXPECT_EQ(texts().back(), Save_Aborted_Message());
    EXPECT_EQ(host.showings.size(), 1u);
    EXPECT_EQ(host.redraws, 1);
    EXPECT_EQ(host.main.Name, QStringLiteral("This PC"));

    // Yes and saved: the new set is offered too; the picker cancelled still redraws.
    responder.clear();
    responder.queue(Box_Answer::Yes);
    responder.queue(Box_Answer::Ok, QStringLiteral("Fresh"));
    EXPECT_FALSE(Load_Command(host));
    EXPECT_EQ(host.showings.back().items, (QStringList{"Fresh", "Lab"}));
    EXPECT_EQ(host.main.Name, QStringLiteral("Fresh"));
    EXPECT_TRUE(host.saved);
    EXPECT_EQ(host.redraws, 3); // the save's and the load's

    // Saved results: no question.
    responder.clear();
    EXPECT_FALSE(Load_Command(host));
    EXPECT_TRUE(texts().isEmpty());
}

TEST_F(Results_Commands, ABadValueStopsLoadAndCompareBeforeTheRedraw) {
    smx::test::write_file(path, QStringLiteral("[Bad]\nInteger_Operations_Per_Sec=12\n"
                                               "Floating_Point_Operations_Per_Sec=1.0.0\n"));
    host.saved = true;
    host.choices = {{QStringLiteral("Bad")}, {QStringLiteral("Bad")}};
    host.saved = false;
    responder.queue(Box_Answer::No);
    EXPECT_FALSE(Load_Command(host));
    EXPECT_EQ(texts().back(), QStringLiteral("'1.0.0' is not a valid floating point value."));
    EXPECT_EQ(host.main.Integer_Operations_Per_Sec, 12);
    EXPECT_FALSE(host.saved);
    EXPECT_EQ(host.redraws, 0);

    EXPECT_FALSE(Compare_Command(host));
    EXPECT_EQ(host.compare.Name, QStringLiteral("Bad"));
    EXPECT_EQ(host.compare.Integer_Operations_Per_Sec, 12);
    EXPECT_EQ(host.redraws, 0);
}

TEST_F(Results_Commands, CompareLoadsTheComparisonAndLeavesTheFlag) {
    store({"Lab", "Home"});
    const TBenchmark_Results main = host.main;
    host.choices = {{QStringLiteral("Lab")}, {}};
    EXPECT_TRUE(Compare_Command(host));
    EXPECT_EQ(host.showings.back().title, QStringLiteral("Compare Benchmark Results with :"));
    EXPECT_EQ(host.compare.Name, QStringLiteral("Lab"));
    EXPECT_TRUE(same_values(host.compare, sample_set("Lab", 100)));
    EXPECT_TRUE(same_values(host.main, main));
    EXPECT_FALSE(host.saved);
    EXPECT_EQ(host.redraws, 1);
    EXPECT_FALSE(Compare_Command(host)); // cancelled: redrawn from unchanged sets
    EXPECT_EQ(host.compare.Name, QStringLiteral("Lab"));
    EXPECT_EQ(host.redraws, 2);
}

TEST_F(Results_Commands, TheDatabaseRoutinesOfTheWindow) {
    // The close's automatic save is silent.
    EXPECT_TRUE(Save_Main_Results(host, QStringLiteral("Auto-Saved Data"), false));
    EXPECT_TRUE(host.saved);
    EXPECT_TRUE(texts().isEmpty());

    // Loading an empty name or an unknown one: zeros, elapsed time kept for the empty name,
    // and the main set marked saved; the comparison never touches the flag.
    for (const char* name : {"", "Unknown"}) {
        host.main = sample_set("kept", 4);
        host.saved = false;
        EXPECT_TRUE(Load_Main_Results(host, QString::fromLatin1(name)));
        EXPECT_TRUE(host.saved);
        EXPECT_EQ(host.main.Name, QStringLiteral("kept"));
        EXPECT_EQ(host.main.Windows_Graphics_Pixels_Per_Sec, 0);
        EXPECT_EQ(host.main.Elapsed_Time_MSec, name[0] ? 0 : 4000);
    }
    host.saved = false;
    EXPECT_TRUE(Load_Compare_Results(host, QStringLiteral("Auto-Saved Data")));
    EXPECT_FALSE(host.saved);
    EXPECT_EQ(host.compare.Integer_Operations_Per_Sec,
              sample_set("", 7).Integer_Operations_Per_Sec);
}

// The overwrite erases the old set and writes the new one in one replacement of the file: when
// that replacement is refused after the question was answered, the old set is still there, and
// as after a refused erase, the comparison, the graph and (for Replace) the set's name are as
// they were.
TEST_F(Results_Commands, AnOverwriteThatCannotBeWrittenKeepsTheOldSet) {
    store({"Lab", "Other"});
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner));
    const QString before = read_file(path);
    host.compare = sample_set("Other", 500);
    const TBenchmark_Results compare = host.compare;
    responder.queue(Box_Answer::Ok, QStringLiteral("Lab"));
    responder.queue(Box_Answer::Yes);
    EXPECT_FALSE(Save_Command(host));
    host.choices = {{QStringLiteral("Other")}};
    EXPECT_FALSE(Replace_Command(host));
    EXPECT_EQ(read_file(path), before);
    EXPECT_FALSE(host.saved);
    EXPECT_EQ(host.main.Name, QStringLiteral("Lab"));
    EXPECT_TRUE(same_values(host.compare, compare));
    EXPECT_EQ(host.redraws, 0);
    const QString refused = QStringLiteral("Unable to write to ") + path + QLatin1Char('.');
    EXPECT_EQ(texts().filter(refused).size(), 2);
}

namespace {

// Counts the replacements of files (renames into place) while it lives.
class Counted_Replacements {
public:
    Counted_Replacements() : previous_(smx::platform::Ini_Use_System_Calls(counting())) {
        count = 0;
    }
    ~Counted_Replacements() { smx::platform::Ini_Use_System_Calls(previous_); }
    static inline int count = 0;

private:
    static smx::platform::Ini_File_System_Calls counting() {
        smx::platform::Ini_File_System_Calls calls = smx::platform::Ini_Real_System_Calls();
        calls.renameat = [](int a, const char* b, int c, const char* d) {
            ++count;
            return smx::platform::Ini_Real_System_Calls().renameat(a, b, c, d);
        };
        return calls;
    }
    smx::platform::Ini_File_System_Calls previous_;
};

QString value_of_first_key(const QString& path, int header) {
    const QStringList lines = smx::test::lines_of(path);
    int seen = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(QLatin1Char('[')) && ++seen == header)
            return lines.value(i + 1);
    return {};
}

} // namespace

TEST_F(Results_Commands, DeleteErasesExactlyTheChosenEntriesInOneReplacement) {
    store_as_text({"Office PC", "office pc", "Lab", "Lab", "Other", "Lab"});
    const QString first_lab = value_of_first_key(path, 2);
    const QString third_lab = value_of_first_key(path, 5);
    // Shown sorted: Lab, Lab, Lab, Office PC, office pc, Other. The second Lab, "office pc".
    host.index_choices = {{1, 4}};
    Counted_Replacements replacements;
    EXPECT_TRUE(Delete_Command(host));
    ASSERT_EQ(host.showings.size(), 1u);
    EXPECT_EQ(host.showings[0].items,
              (QStringList{QStringLiteral("Lab"), QStringLiteral("Lab"), QStringLiteral("Lab"),
                           QStringLiteral("Office PC"), QStringLiteral("office pc"),
                           QStringLiteral("Other")}));
    EXPECT_EQ(headers_of(path), (QStringList{QStringLiteral("[Office PC]"), QStringLiteral("[Lab]"),
                                             QStringLiteral("[Other]"), QStringLiteral("[Lab]")}));
    EXPECT_EQ(value_of_first_key(path, 1), first_lab);
    EXPECT_EQ(value_of_first_key(path, 3), third_lab);
    EXPECT_EQ(replacements.count, 1);
    EXPECT_EQ(texts(), QStringList{Deleted_Message()});

    // Many at once are still one replacement of the file.
    host.index_choices = {{0, 1, 2, 3}};
    EXPECT_TRUE(Delete_Command(host));
    EXPECT_TRUE(headers_of(path).isEmpty());
    EXPECT_EQ(replacements.count, 2);
}

TEST_F(Results_Commands, ReplaceAndOverwriteEraseExactlyTheSectionTheyReplace) {
    store_as_text({"office pc", "Lab", "Office PC", "Lab"});
    const QString lower_case = value_of_first_key(path, 0);
    const QString first_lab = value_of_first_key(path, 1);
    // Shown sorted: Lab, Lab, office pc, Office PC. Replace the second Lab.
    host.index_choices = {{1}};
    host.main = sample_set("This PC", 900);
    EXPECT_TRUE(Replace_Command(host));
    EXPECT_EQ(headers_of(path),
              (QStringList{QStringLiteral("[office pc]"), QStringLiteral("[Lab]"),
                           QStringLiteral("[Office PC]"), QStringLiteral("[Lab]")}));
    EXPECT_EQ(value_of_first_key(path, 1), first_lab);
    EXPECT_EQ(value_of_first_key(path, 3), QStringLiteral("Integer_Operations_Per_Sec=") +
                                               Format_Result_Number(Result_Value(host.main, 0)));

    // Saving over "Office PC" leaves "office pc" alone.
    responder.queue(Box_Answer::Ok, QStringLiteral("Office PC"));
    responder.queue(Box_Answer::Yes);
    EXPECT_TRUE(Save_Command(host));
    EXPECT_EQ(headers_of(path),
              (QStringList{QStringLiteral("[office pc]"), QStringLiteral("[Lab]"),
                           QStringLiteral("[Lab]"), QStringLiteral("[Office PC]")}));
    EXPECT_EQ(value_of_first_key(path, 0), lower_case);
}

TEST_F(Results_Commands, AByteOrderMarkHidesNoSetAndStaysInFront) {
    store({"Office PC", "Lab"});
    const QByteArray bom = "\xEF\xBB\xBF";
    const QByteArray stored = read_file(path).toUtf8();
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bom + stored);
    }
    host.choices = {{QStringLiteral("Office PC")}};
    EXPECT_TRUE(Compare_Command(host));
    EXPECT_EQ(host.showings.at(0).items,
              (QStringList{QStringLiteral("Lab"), QStringLiteral("Office PC")}));

    responder.queue(Box_Answer::Ok, QStringLiteral("Office PC"));
    responder.queue(Box_Answer::Yes);
    EXPECT_TRUE(Save_Command(host));
    EXPECT_EQ(texts().at(1), Overwrite_Question(QStringLiteral("Office PC")));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray now = f.readAll();
    EXPECT_TRUE(now.startsWith(bom + "[Lab]\n")) << now.left(40).toHex().toStdString();
    EXPECT_EQ(now.count("[Office PC]"), 1);
}

TEST_F(Results_Commands, ASectionWithoutANameIsNoSavedSet) {
    smx::test::write_file(path, QStringLiteral("[]\nInteger_Operations_Per_Sec=1\n"));
    host.saved = true;
    EXPECT_FALSE(Load_Command(host));
    EXPECT_TRUE(host.showings.empty());
    EXPECT_EQ(texts(), QStringList{No_Saved_Results_Message()});

    store({"A"});
    host.choices = {{QStringLiteral("A")}};
    EXPECT_TRUE(Delete_Command(host));
    EXPECT_EQ(host.showings.at(0).items, QStringList{QStringLiteral("A")});
    EXPECT_EQ(headers_of(path), QStringList{QStringLiteral("[]")});
}

TEST_F(Results_Commands, ADatabaseThatIsNoRegularFileIsRefusedAtOnce) {
    const QByteArray p = QFile::encodeName(path);
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kind);
        if (kind == 0)
            ASSERT_EQ(::mkfifo(p.constData(), 0666), 0);
        else if (kind == 1)
            ASSERT_EQ(::symlink("/dev/zero", p.constData()), 0);
        else
            ASSERT_EQ(::mkdir(p.constData(), 0755), 0);
        struct stat before {};
        ASSERT_EQ(::lstat(p.constData(), &before), 0);
        const QString cannot_open = Cannot_Open_Message(path) + QLatin1Char('.');
        for (bool (*command)(Results_Host&) :
             {&Replace_Command, &Delete_Command, &Load_Command, &Compare_Command}) {
            responder.clear();
            host.saved = true;
            host.choices = {{QStringLiteral("Lab")}};
            EXPECT_FALSE(command(host));
            EXPECT_EQ(texts(), QStringList{cannot_open});
        }
        EXPECT_TRUE(host.showings.empty());
        responder.clear();
        responder.queue(Box_Answer::Ok, QStringLiteral("Lab"));
        EXPECT_FALSE(Save_Command(host));
        EXPECT_EQ(texts().mid(1), QStringList{Unable_To_Write_Message(path) + QLatin1Char('.')});
        EXPECT_FALSE(Load_Main_Results(host, QStringLiteral("Lab")));
        struct stat after {};
        ASSERT_EQ(::lstat(p.constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        ::unlink(p.constData());
    }
}

TEST_F(Results_Commands, ANulByteInAValueIsShownEscaped) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("[Lab]\nInteger_Operations_Per_Sec=1\0\x01x\n", 38));
    f.close();
    host.choices = {{QStringLiteral("Lab")}};
    EXPECT_FALSE(Compare_Command(host));
    EXPECT_EQ(texts(), QStringList{QStringLiteral("'1\\0\\x01x' is not a valid floating point "
                                                  "value.")});
}

TEST_F(Results_Commands, TheRememberedSetsComeFromOneReadOfTheDatabase) {
    store({"Lab", "Office PC"});
    host.main.Elapsed_Time_MSec = 42;
    EXPECT_TRUE(Load_Remembered_Results(host, QStringLiteral("Office PC"), QStringLiteral("lab")));
    TBenchmark_Results office;
    ASSERT_TRUE(Read_Result_Set(path, QStringLiteral("Office PC"), office));
    EXPECT_TRUE(same_values(host.main, office));
    EXPECT_EQ(Result_Value(host.compare, 0), Result_Value(sample_set("Lab", 100), 0));
    EXPECT_TRUE(host.saved);
    EXPECT_TRUE(texts().isEmpty());

    // A file that cannot be read is said once, not once per set.
    QFile::remove(path);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Speedmetrix_DB.INI")));
    host.saved = false;
    EXPECT_FALSE(Load_Remembered_Results(host, QStringLiteral("Lab"), QStringLiteral("Lab")));
    EXPECT_EQ(texts(), QStringList{Cannot_Open_Message(path) + QLatin1Char('.')});
    EXPECT_FALSE(host.saved);
    // Nothing to load reads nothing.
    responder.clear();
    EXPECT_TRUE(Load_Remembered_Results(host, QString(), QString()));
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_TRUE(host.saved);
}

// After a set is stored under a name in a hand-edited file with names alike in all but case or
// exactly alike, every entry of that name in the Load and Compare pickers, and the remembered
// names of the next start, read it back. How: Save with "Yes", Replace of the entry at `entry`
// (in the order shown), or the close's silent save.
TEST_F(Results_Commands, WhatIsStoredUnderANameIsWhatEveryEntryOfItReads) {
    const struct {
        std::initializer_list<const char*> file;
        const char* name;
        char how; // 'S'ave, 'R'eplace, 'C'lose
        int entry;
    } cases[] = {
        {{"ALPHA", "Alpha", "Office"}, "Alpha", 'S', 0},
        {{"ALPHA", "Alpha", "Office"}, "Alpha", 'R', 1},
        {{"Office", "Lab", "Office"}, "Office", 'S', 0},
        {{"Office", "Lab", "Office"}, "Office", 'R', 1},
        {{"Office", "Lab", "Office"}, "Office", 'R', 2},
        {{"alpha", "ALPHA"}, "Alpha", 'S', 0}, // no such name yet: not asked
        {{"Lab", "lab", "Lab"}, "Lab", 'C', 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ' ' + c.how + std::to_string(c.entry));
        store_as_text(c.file);
        const QString name = QString::fromUtf8(c.name);
        host.main = sample_set("This PC", 7000);
        const TBenchmark_Results stored = host.main;
        if (c.how == 'S') {
            responder.queue(Box_Answer::Ok, name);
            if (std::find(c.file.begin(), c.file.end(), std::string_view(c.name)) != c.file.end())
                responder.queue(Box_Answer::Yes);
            ASSERT_TRUE(Save_Command(host));
            EXPECT_EQ(responder.unanswered(), 0);
        } else if (c.how == 'R') {
            host.index_choices = {{c.entry}};
            ASSERT_TRUE(Replace_Command(host));
            ASSERT_EQ(host.main.Name, name);
        } else {
            ASSERT_TRUE(Save_Main_Results(host, name, false));
        }
        host.saved = true;
        host.index_choices = {{}};
        Load_Command(host); // cancelled: only to see the entries
        const QStringList entries = host.showings.back().items;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i] != name)
                continue;
            host.index_choices = {{i}, {i}};
            host.main = host.compare = sample_set("before", 1);
            ASSERT_TRUE(Load_Command(host) && Compare_Command(host));
            EXPECT_TRUE(same_values(host.main, stored) && same_values(host.compare, stored)) << i;
        }
        host.main = host.compare = sample_set("before", 1);
        ASSERT_TRUE(Load_Remembered_Results(host, name, name));
        EXPECT_TRUE(same_values(host.main, stored) && same_values(host.compare, stored));
    }
}
