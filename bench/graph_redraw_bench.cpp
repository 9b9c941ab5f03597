// One redraw and paint of the results graph at its design size, as the median of many.
// Usage: bench_graph_redraw [runs]   (uses QT_QPA_PLATFORM as set; offscreen when unset)
//
// Rows: the chart widget alone (refill both series, then paint into an image), and the main
// window's redraw handler with the results page in view (refill, then the message pump paints).
#include "Bench_Support.h"
#include "app/MainForm1.h"
#include "graph/Chart.h"
#include "graph/Result_Rows.h"
#include "platform/Executable.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSysInfo>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const smx::graph::Rates kMain{2.1e9L, 8.5e8L, 5500, 12000, 85000, 15000, 3.2e7L};
const smx::graph::Rates kCompare{1.2e9L, 9.1e8L, 3300, 6000, 125000, 9000, 1.5e7L};

struct Stats {
    double min, median, p90;
};

Stats measure(int runs, const std::function<void()>& once) {
    once(); // fonts and caches warm
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        once();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2], ms[ms.size() * 9 / 10]};
}

void row(const char* what, const Stats& s) {
    std::printf("%-44s %8.3f %10.3f %8.3f\n", what, s.min, s.median, s.p90);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 300;

    std::printf("%-44s %8s %10s %8s\n", "graph redraw and paint, 535 x 367", "min ms", "median ms",
                "p90 ms");
    for (bool marks : {false, true}) {
        smx::graph::TChart chart;
        chart.Apply_Fixed_Appearance();
        QImage image(chart.size(), QImage::Format_RGB32);
        const Stats s = measure(runs, [&] {
            chart.Series1->clear();
            chart.Series2->clear();
            smx::graph::add_result_points(*chart.Series1, kMain);
            smx::graph::add_result_points(*chart.Series2, kCompare);
            chart.Series1->set_marks_visible(marks);
            chart.Series2->assign_style(*chart.Series1);
            chart.render(&image);
        });
        row(marks ? "chart alone, values shown" : "chart alone, values hidden", s);
    }

    // The handler as the program runs it; the executable's directory points at a scratch one.
    QTemporaryDir dir;
    qputenv("HOME", dir.path().toLocal8Bit());
    smx::platform::set_executable_path_override(dir.filePath(QStringLiteral("speedmetrix")));
    smx::app::TMainForm1 form;
    form.show();
    form.Chart1->Apply_Fixed_Appearance();
    form.PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    for (int i = 0; i < 7; ++i) {
        form.Main_Results.rate(i) = kMain[static_cast<std::size_t>(i)];
        form.Compare_Results.rate(i) = kCompare[static_cast<std::size_t>(i)];
    }
    form.Main_Results.Name = QStringLiteral("This PC");
    form.Compare_Results.Name = QStringLiteral("Office PC");
    for (bool marks : {false, true}) {
        form.Show_Values_CheckBox->setChecked(marks);
        const Stats s = measure(runs, [&] { form.Graph_Results_BitBtnClick(); });
        row(marks ? "Graph_Results_BitBtnClick, values shown"
                  : "Graph_Results_BitBtnClick, "
                    "values hidden",
            s);
    }
    std::printf("%d runs each; %s, %d logical CPUs, platform %s\n", runs,
                qPrintable(smx::bench::cpu_name()), QThread::idealThreadCount(),
                qPrintable(QGuiApplication::platformName()));
    return 0;
}
