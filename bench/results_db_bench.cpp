// The results database with thousands of saved sets: the picker filled and shown, a Save, a
// Load, and the plain-text scan of the section names, in milliseconds, as the median of runs.
// Usage: bench_results_db [runs]   (uses QT_QPA_PLATFORM as set; offscreen when unset)
//
// The file lives in a temporary folder under /tmp; every Save replaces it twice (the erase of
// the old section, then the write at the end), each replacement written, fsync'ed and renamed.
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

double median_ms(int runs, const std::function<void()>& once) {
    once(); // caches warm
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
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
void write_database(const QString& path, int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        text += '[' + set_name(i).toUtf8() + "]\n";
        for (int k = 0; k < smx::results::Result_Key_Count; ++k)
            text += smx::results::Result_Key_Names()[static_cast<std::size_t>(k)].toUtf8() + '=' +
                    smx::results::Format_Result_Number(1.0e6L * (i + 1) + k / 3.0L).toUtf8() + '\n';
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size())
        std::exit(1);
}

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
    const std::vector<int> sizes{1000, 5000, 10000};

    struct Row {
        const char* what;
        std::vector<double> ms;
    };
    std::vector<Row> rows{{"picker filled and shown", {}},
                          {"Save (overwrite: erase, then write at the end)", {}},
                          {"Load (picker, choice, the set read)", {}},
                          {"Read_Database_Section_Names", {}}};

    smx::platform::Scripted_Responder boxes;
    for (int count : sizes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(smx::results::Database_File_Name());
        write_database(path, count);
        TDialog_Item_Select_Form picker;
        Bench_Host host(path, picker);
        host.choose = count - 1; // the last entry: the longest way through the sorted list

        rows[0].ms.push_back(median_ms(runs, [&] {
            host.picker_fill(smx::platform::Ini_Read_Section_Names(path));
            host.picker_set_sorted(true);
            picker.show();
            QApplication::processEvents();
            picker.hide();
        }));
        int n = 0;
        rows[1].ms.push_back(median_ms(runs, [&] {
            // A name from the middle of the file; it moves to the end each time.
            boxes.queue(smx::platform::Box_Answer::Ok, set_name(count / 2 + n++ % 50));
            boxes.queue(smx::platform::Box_Answer::Yes);
            if (!smx::results::Save_Command(host))
                std::exit(2);
        }));
        rows[2].ms.push_back(median_ms(runs, [&] {
            if (!smx::results::Load_Command(host))
                std::exit(3);
        }));
        rows[3].ms.push_back(median_ms(runs, [&] {
            QStringList names;
            smx::results::Read_Database_Section_Names(names, path, true);
            if (names.size() != count)
                std::exit(4);
        }));
        boxes.clear();
    }

    std::printf("%-48s", "median ms, database of N sets");
    for (int count : sizes)
        std::printf(" %8s", qPrintable(QStringLiteral("N=%1").arg(count)));
    std::printf(" %13s\n", "growth 1k-10k");
    for (const Row& r : rows) {
        std::printf("%-48s", r.what);
        for (double ms : r.ms)
            std::printf(" %8.2f", ms);
        // Time per set at 10,000 over time per set at 1,000: 1.00 is linear growth.
        std::printf(" %13.2f\n", (r.ms.back() / sizes.back()) / (r.ms.front() / sizes.front()));
    }
    std::printf("%d runs each; %s, %d logical CPUs, platform %s\n", runs,
                qPrintable(smx::bench::cpu_name()), QThread::idealThreadCount(),
                qPrintable(QGuiApplication::platformName()));
    return 0;
}
