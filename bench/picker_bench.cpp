// The item picker with long lists: emptied, filled with names in no particular order, sorted and
// shown (painted); then, in multi-select mode, three entries chosen with OK and the selection
// state of every entry read back; in milliseconds, the median of runs at 1,000, 10,000 and
// 100,000 entries.
// Usage: bench_picker [runs]   (uses QT_QPA_PLATFORM as set; offscreen when unset)
#include "Bench_Support.h"
#include "dialogs/Dialog_Item_Select_Form.h"
#include "platform/Bit_Button.h"
#include "platform/Message_Boxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QListView>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace {

using smx::dialogs::TDialog_Item_Select_Form;

struct Times {
    double wall_ms;
    double cpu_ms;
};

double thread_cpu_ms() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Medians of the wall time (what the user waits) and of the thread's CPU time (which leaves out
// the time a shared machine gives the core to other processes).
Times median_ms(int runs, const std::function<void()>& once) {
    once(); // caches warm
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        const double cpu_start = thread_cpu_ms();
        t.start();
        once();
        wall.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        cpu.push_back(thread_cpu_ms() - cpu_start);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

// Names as people give them: mixed case, accented letters, digits, in no order.
QStringList names(int count) {
    static const char* const words[] = {"Zebra",   "äpfel", "Élan",  "office", "Ölfeld",  "laptop",
                                        "Desktop", "über",  "north", "Server", "édition", "alpha"};
    QStringList out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int k = static_cast<int>((static_cast<long long>(i) * 7919) % count);
        out << QString::fromUtf8(words[k % 12]) + QStringLiteral(" PC %1").arg(k);
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 11;
    const std::vector<int> sizes{1000, 10000, 100000};

    std::vector<Times> fill_show, choose;
    smx::platform::Scripted_Responder boxes;
    for (int count : sizes) {
        const QStringList list = names(count);
        TDialog_Item_Select_Form picker;
        fill_show.push_back(median_ms(runs, [&] {
            picker.Clear_Items();
            picker.Add_Items(list);
            picker.Set_Sorted(true);
            picker.show();
            QApplication::processEvents();
            picker.hide();
        }));
        // As the Delete command uses it: multi-select, three entries chosen and OK pressed in
        // the modal showing, then the selection state of every entry read back.
        picker.Set_Multi_Select(true);
        choose.push_back(median_ms(runs, [&] {
            QTimer::singleShot(0, &picker, [&] {
                for (int row : {count - 1, count / 2, 0})
                    picker.Set_Item_Selected(row, true);
                picker.OK_Button->click();
            });
            picker.exec();
            int selected = 0;
            for (int i = 0; i < picker.Item_Count(); ++i)
                selected += picker.Item_Selected(i) ? 1 : 0;
            if (picker.Selected_Item() != 0 || selected != 3)
                std::exit(2);
            picker.Item_ListBox->clearSelection();
        }));
        picker.Set_Multi_Select(false);
    }

    std::printf("%-44s", "median ms (wall / thread CPU), N entries");
    for (int count : sizes)
        std::printf(" %15s", qPrintable(QStringLiteral("N=%1").arg(count)));
    std::printf(" %15s\n", "growth 10k-100k");
    auto print = [&](const char* what, const std::vector<Times>& ms) {
        std::printf("%-44s", what);
        for (const Times& m : ms)
            std::printf(" %7.2f/%7.2f", m.wall_ms, m.cpu_ms);
        // CPU time per entry at 100,000 over that at 10,000: 1.00 is linear growth.
        std::printf(" %15.2f\n", (ms[2].cpu_ms / sizes[2]) / (ms[1].cpu_ms / sizes[1]));
    };
    print("emptied, filled, sorted and shown", fill_show);
    print("3 chosen with OK, every selection read", choose);
    std::printf("%d runs each; %s, %d logical CPUs, platform %s\n", runs,
                qPrintable(smx::bench::cpu_name()), QThread::idealThreadCount(),
                qPrintable(QGuiApplication::platformName()));
    return 0;
}
