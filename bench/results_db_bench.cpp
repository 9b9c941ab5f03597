// The results database with 1,000 to 100,000 saved sets: the picker filled and shown, and the
// results commands (Save, Replace, Load, Compare, a Delete of 100 sets), in milliseconds, as
// the median of runs.
// Usage: bench_results_db [runs] [largest]   (uses QT_QPA_PLATFORM as set; offscreen when unset)
//
// The file lives in a temporary folder under /tmp; every write replaces it once (written,
// fsync'ed, renamed). The commands are timed with a picker that answers at once in file order,
// so that they show the database's own work; the real picker's filling, sorting and painting
// is the first row.
#include "Bench_Support.h"
#include "dialogs/Dialog_Item_Select_Form.h"
#include "platform/Ini_File.h"
#include "platform/Message_Boxes.h"
#include "results/Results_Commands.h"
#include "results/Results_Database.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using smx::dialogs::TDialog_Item_Select_Form;
using smx::engine::TBenchmark_Results;

double median_ms(int runs, const std::function<void()>& once,
                 const std::function<void()>& before = {}) {
    if (before)
        before();
    once(); // caches warm
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        QElapsedTimer t;
        t.start();
        once();
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

QString set_name(int i) {
    return QStringLiteral("Saved set %1").arg((i * 7919) % 100000, 5, 10, QLatin1Char('0'));
}

// A database of `count` sets in the program's own layout, written in one go.
QByteArray database_text(int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        text += '[' + set_name(i).toUtf8() + "]\n";
        for (int k = 0; k < smx::results::Result_Key_Count; ++k)
            text += smx::results::Result_Key_Names()[static_cast<std::size_t>(k)].toUtf8() + '=' +
                    smx::results::Format_Result_Number(1.0e6L * (i + 1) + k / 3.0L).toUtf8() + '\n';
    }
    return text;
}

void write_database(const QString& path, const QByteArray& text) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size())
        std::exit(1);
}

// The commands' host with a picker that keeps the file's order and answers at once: the entry
// `choose`, or for a multi-select picker every entry in `select`.
class Quick_Host : public smx::results::Results_Host {
public:
    explicit Quick_Host(QString path) : path_(std::move(path)) {}

    TBenchmark_Results main, compare;
    bool saved = true;
    int choose = 0;
    std::vector<int> select;

    TBenchmark_Results& main_results() override { return main; }
    TBenchmark_Results& compare_results() override { return compare; }
    bool results_saved() override { return saved; }
    void set_results_saved(bool s) override { saved = s; }
    void set_scratch_names(const QStringList& names) override { scratch_ = names; }
    void picker_fill(const QStringList& names) override { items_ = names; }
    void picker_set_title(const QString&) override {}
    void picker_set_sorted(bool) override {}
    void picker_set_multi_select(bool m) override { multi_ = m; }
    void picker_show() override {
        selected_.assign(static_cast<std::size_t>(items_.size()), false);
        if (multi_) {
            for (int i : select)
                selected_[static_cast<std::size_t>(i)] = true;
        }
    }
    int picker_result() override { return multi_ && !select.empty() ? select.front() : choose; }
    int picker_count() override { return static_cast<int>(items_.size()); }
    QString picker_item(int index) override { return items_.value(index); }
    bool picker_selected(int index) override { return selected_[static_cast<std::size_t>(index)]; }
    void redraw_graph() override {}
    QString database_path() override { return path_; }

private:
    QString path_;
    QStringList items_, scratch_;
    std::vector<bool> selected_;
    bool multi_ = false;
};

// The commands' host over the real picker, shown without a modal loop; the picker is answered
// by choosing the entry `choose` (in the order shown).
class Bench_Host : public smx::results::Results_Host {
public:
    Bench_Host(QString path, TDialog_Item_Select_Form& picker)
        : path_(std::move(path)), picker_(picker) {}

    TBenchmark_Results main, compare;
    bool saved = true;
    int choose = 0;

    TBenchmark_Results& main_results() override { return main; }
    TBenchmark_Results& compare_results() override { return compare; }
    bool results_saved() override { return saved; }
    void set_results_saved(bool s) override { saved = s; }
    void set_scratch_names(const QStringList& names) override { scratch_ = names; }
    void picker_fill(const QStringList& names) override {
        picker_.Clear_Items();
        picker_.Add_Items(names);
    }
    void picker_set_title(const QString& title) override { picker_.setWindowTitle(title); }
    void picker_set_sorted(bool sorted) override { picker_.Set_Sorted(sorted); }
    void picker_set_multi_select(bool m) override { picker_.Set_Multi_Select(m); }
    void picker_show() override {
        picker_.show();
        QApplication::processEvents(); // laid out and painted
        picker_.Set_Item_Selected(choose, true);
        picker_.OK_ButtonClick();
    }
    int picker_result() override { return picker_.Selected_Item(); }
    int picker_count() override { return picker_.Item_Count(); }
    QString picker_item(int index) override { return picker_.Item(index); }
    bool picker_selected(int index) override { return picker_.Item_Selected(index); }
    void redraw_graph() override {}
    QString database_path() override { return path_; }

private:
    QString path_;
    TDialog_Item_Select_Form& picker_;
    QStringList scratch_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const int largest = argc > 2 ? std::max(1000, atoi(argv[2])) : 100000;
    std::vector<int> sizes{1000, 10000, 100000};
    while (sizes.back() > largest)
        sizes.pop_back();

    struct Row {
        const char* what;
        std::vector<double> ms;
    };
    std::vector<Row> rows{{"picker filled, sorted and shown (real picker)", {}},
                          {"Save (overwrite: scan, erase, write at the end)", {}},
                          {"Save (a new name: scan, write at the end)", {}},
                          {"Replace (list, choice, erase, write at the end)", {}},
                          {"Load (list, choice, the set read)", {}},
                          {"Compare (list, choice, the set read)", {}},
                          {"Delete 100 sets (list, choice, one write)", {}},
                          {"Read_Database_Section_Names", {}}};

    smx::platform::Scripted_Responder boxes;
    for (int count : sizes) {
        // The largest files take long per run: fewer runs there.
        const int n_runs = count >= 100000 ? std::max(1, runs / 3) : runs;
        QTemporaryDir dir;
        const QString path = dir.filePath(smx::results::Database_File_Name());
        const QByteArray text = database_text(count);
        write_database(path, text);
        {
            TDialog_Item_Select_Form picker;
            Bench_Host host(path, picker);
            rows[0].ms.push_back(median_ms(n_runs, [&] {
                host.picker_fill(smx::platform::Ini_Read_Section_Names(path));
                host.picker_set_sorted(true);
                picker.show();
                QApplication::processEvents();
                picker.hide();
            }));
        }
        Quick_Host host(path);
        host.choose = count / 2;
        int n = 0;
        rows[1].ms.push_back(median_ms(n_runs, [&] {
            // A name from the middle of the file; it moves to the end each time.
            boxes.queue(smx::platform::Box_Answer::Ok, set_name(count / 2 + n++ % 50));
            boxes.queue(smx::platform::Box_Answer::Yes);
            if (!smx::results::Save_Command(host))
                std::exit(2);
        }));
        rows[2].ms.push_back(median_ms(
            n_runs,
            [&] {
                boxes.queue(smx::platform::Box_Answer::Ok, QStringLiteral("A new name"));
                if (!smx::results::Save_Command(host))
                    std::exit(3);
            },
            [&] { write_database(path, text); }));
        rows[3].ms.push_back(median_ms(n_runs, [&] {
            if (!smx::results::Replace_Command(host))
                std::exit(4);
        }));
        rows[4].ms.push_back(median_ms(n_runs, [&] {
            if (!smx::results::Load_Command(host))
                std::exit(5);
        }));
        rows[5].ms.push_back(median_ms(n_runs, [&] {
            if (!smx::results::Compare_Command(host))
                std::exit(6);
        }));
        host.select.clear();
        for (int i = 0; i < 100; ++i)
            host.select.push_back(i * (count / 100));
        rows[6].ms.push_back(median_ms(
            n_runs,
            [&] {
                if (!smx::results::Delete_Command(host))
                    std::exit(7);
            },
            [&] { write_database(path, text); }));
        write_database(path, text);
        rows[7].ms.push_back(median_ms(n_runs, [&] {
            QStringList names;
            smx::results::Read_Database_Section_Names(names, path, true);
            if (names.size() != count)
                std::exit(8);
        }));
        boxes.clear();
    }

    std::printf("| median ms, database of N sets |");
    for (int count : sizes)
        std::printf(" N=%d |", count);
    std::printf(" growth |\n|---|");
    for (std::size_t i = 0; i <= sizes.size(); ++i)
        std::printf("---|");
    std::printf("\n");
    for (const Row& r : rows) {
        std::printf("| %s |", r.what);
        for (double ms : r.ms)
            std::printf(" %.2f |", ms);
        // Time per set at the largest size over time per set at the size before: 1.00 is linear.
        const std::size_t k = r.ms.size();
        const double growth =
            k < 2 ? 1.0 : (r.ms[k - 1] / sizes[k - 1]) / (r.ms[k - 2] / sizes[k - 2]);
        std::printf(" %.2f |\n", growth);
    }
    std::printf("%d runs each (%d at 100,000 sets); %s, %d logical CPUs, platform %s\n", runs,
                std::max(1, runs / 3), qPrintable(smx::bench::cpu_name()),
                QThread::idealThreadCount(), qPrintable(QGuiApplication::platformName()));
    return 0;
}
