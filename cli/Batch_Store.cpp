#include "cli/Batch_Store.h"

#include "platform/Ini_File.h"
#include "platform/Message_Boxes.h"
#include "platform/Program_Files.h"
#include "results/Results_Commands.h"
#include "results/Results_Database.h"
#include "settings/Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace smx::cli {
namespace {

// The save name box of the window takes at most this many characters.
constexpr int Max_Save_Name_Length = 255;

// The window's Save command run without a window: its two sets are the batch run's, and nothing
// is drawn or picked.
class Save_Host : public results::Results_Host {
public:
    explicit Save_Host(const engine::TBenchmark_Results& results) : main_(results) {}

    engine::TBenchmark_Results& main_results() override { return main_; }
    engine::TBenchmark_Results& compare_results() override { return compare_; }
    bool results_saved() override { return saved_; }
    void set_results_saved(bool saved) override { saved_ = saved; }
    void set_scratch_names(const QStringList&) override {}
    void picker_fill(const QStringList&) override {}
    void picker_set_title(const QString&) override {}
    void picker_set_sorted(bool) override {}
    void picker_set_multi_select(bool) override {}
    void picker_show() override {}
    int picker_result() override { return -1; }
    int picker_count() override { return 0; }
    QString picker_item(int) override { return {}; }
    bool picker_selected(int) override { return false; }
    void redraw_graph() override {}

private:
    engine::TBenchmark_Results main_;
    engine::TBenchmark_Results compare_; // unnamed: the report keeps its own comparison set
    bool saved_ = false;
};

} // namespace

engine::Run_Settings Read_Run_Settings(QString* error) {
    bool refused = false;
    const settings::Settings_Record r = settings::Clip_To_Spin_Edit_Bounds(
        settings::Read_Settings_File(settings::Settings_File_Path(), &refused));
    if (error)
        *error = refused ? results::Cannot_Open_Message(settings::Settings_File_Path()) +
                               QLatin1Char('.')
                         : QString();
    engine::Run_Settings s;
    s.ticked = r.Tests();
    s.repetitions = r.Number_Repetitions_SpinEdit;
    s.integer_loops_millions = r.Integer_Loops_Millions_Of_SpinEdit;
    s.float_loops_millions = r.Float_Loops_Millions_Of_SpinEdit;
    s.array_size = r.Dynamic_Array_Size_In_Bytes_SpinEdit;
    s.array_loops = r.Dynamic_Array_Number_Of_Loops_SpinEdit;
    s.small_files = r.Small_Files_Number_of_SpinEdit;
    s.small_file_kb = r.Small_File_Size_KB_of_Each_SpinEdit;
    s.large_files = r.Large_Files_Number_of_SpinEdit;
    s.large_file_kb = r.Large_File_Size_KB_of_Each_SpinEdit;
    s.drive_letter = r.DriveComboBox1;
    return s;
}

QString Save_Name_Refusal(const QString& name) {
    if (name.isEmpty())
        return results::Blank_Name_Message();
    if (name.size() > Max_Save_Name_Length)
        return QStringLiteral("The Save Name cannot be longer than %1 characters - save aborted.")
            .arg(Max_Save_Name_Length);
    if (!results::Is_Storable_Set_Name(name))
        return results::Unstorable_Name_Message();
    return {};
}

bool Saved_Set_Exists(const QString& name) {
    QStringList names;
    results::Read_Database_Section_Names(names, results::Database_Path(), true);
    return results::Find_Saved_Name(names, name) >= 0;
}

namespace {

// The same rule as the write's: a section of exactly that name, else the first whose name
// folds to the same text.
std::optional<QString> stored_section(const QStringList& sections, const QString& name) {
    const QString wanted = name.trimmed();
    if (sections.contains(wanted))
        return wanted;
    const QString folded = wanted.toCaseFolded();
    for (const QString& stored : sections)
        if (stored.trimmed().toCaseFolded() == folded)
            return stored;
    return std::nullopt;
}

} // namespace

std::optional<QString> Section_A_Save_Would_Replace(const QString& name) {
    return stored_section(platform::Ini_Read_Section_Names(results::Database_Path()), name);
}

QString Save_Name_Exists_Message(const QString& stored_name) {
    return QStringLiteral("A section called \"") + stored_name +
           QStringLiteral("\" already exists in the \"") + results::Database_File_Name() +
           QStringLiteral("\" file; nothing was run or written. Add --overwrite to replace it.");
}

QString Database_Write_Refusal() {
    const QString path = results::Database_Path();
    const QByteArray native = QFile::encodeName(path);
    // What a write needs: a file that can be read and replaced (a read-only one refuses, also
    // for a user whose rights would override it), in a folder that takes a new file.
    bool writable = true;
    struct stat st {};
    if (::stat(native.constData(), &st) == 0)
        writable = S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) != 0 &&
                   ::access(native.constData(), R_OK | W_OK) == 0;
    else if (errno != ENOENT)
        writable = false;
    if (writable && !platform::Folder_Takes_New_Files(QFileInfo(path).absolutePath()))
        writable = false;
    // A file in another encoding (UTF-16, say) is never written into: refused before the run.
    if (writable) {
        const platform::Ini_File_Content content = platform::Ini_Read_File(path);
        writable = content.status != platform::Ini_Read_Status::Read ||
                   platform::Ini_Is_Program_Text(content.bytes);
    }
    return writable ? QString() : results::Unable_To_Write_Message(path) + QLatin1Char('.');
}

bool Save_Set(const QString& name, bool overwrite, const engine::TBenchmark_Results& results,
              QStringList& messages) {
    Save_Host host(results);
    platform::Scripted_Responder answers;
    answers.queue(platform::Box_Answer::Ok, name);
    answers.queue(overwrite ? platform::Box_Answer::Yes : platform::Box_Answer::No);
    const bool saved = results::Save_Command(host) && host.results_saved();
    for (const platform::Shown_Box& box : answers.shown())
        if (box.kind == platform::Box_Kind::Information || box.kind == platform::Box_Kind::Error)
            messages << box.text;
    return saved;
}

QString Database_Refusal() {
    const QString path = results::Database_Path();
    if (platform::Ini_Read_File(path).status == platform::Ini_Read_Status::Refused)
        return results::Cannot_Open_Message(path) + QLatin1Char('.');
    return {};
}

namespace {

// A file with no saved set in it that is no text either (NUL bytes, or not UTF-8): something
// else stands where the database should be.
bool is_binary(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError();
}

} // namespace

std::optional<engine::TBenchmark_Results> Load_Compare_Set(const QString& name, QString& error) {
    const QString path = results::Database_Path();
    // One read serves the existence check and the set's values.
    const platform::Ini_File_Content content = platform::Ini_Read_File(path);
    if (content.status == platform::Ini_Read_Status::Refused) {
        error = results::Cannot_Open_Message(path) + QLatin1Char('.');
        return std::nullopt;
    }
    QStringList names;
    results::Scan_Database_Section_Names(names, content.bytes);
    if (names.isEmpty() && is_binary(content.bytes)) {
        error = QStringLiteral("The file ") + path +
                QStringLiteral(" cannot be read as a results database: it holds no saved set "
                               "and is not text.");
        return std::nullopt;
    }
    // The name is matched as a save matches it (the database does not tell case or surrounding
    // blanks apart), so --compare finds whatever --save of the same name would replace; the set
    // keeps its stored spelling.
    const auto stored = stored_section(names, name);
    if (!stored) {
        error = QStringLiteral("There is no saved set called \"") + name +
                QStringLiteral("\" in the \"") + results::Database_File_Name() +
                QStringLiteral("\" file.");
        return std::nullopt;
    }
    engine::TBenchmark_Results set;
    set.Name = *stored;
    QString bad_text;
    if (!results::Read_Result_Set(platform::Ini_Document(content.bytes), *stored, set, &bad_text)) {
        error = results::Invalid_Number_Message(bad_text) + QLatin1Char('.');
        return std::nullopt;
    }
    return set;
}

} // namespace smx::cli
