// Where the time of a graphics test goes: the harness (showing the window, the wait for the
// 25 ms closing timer, hiding) against the test's own steps.
// Usage: bench_graphics_harness [displays]   (uses QT_QPA_PLATFORM as set; offscreen when unset)
//
// Each display is the run driver's: a modal exec() of the window, timed whole. An event filter
// splits it: the queued activation call that starts the test is taken over by the filter, which
// calls the same handler itself and times it; the closing timer's tick and the return of exec()
// mark the rest. Figures are medians in milliseconds.
#include "Bench_Support.h"
#include "engine/Graphics_2D_Form.h"
#include "engine/Windows_Graphics_Controls_Form.h"
#include "platform/Tick.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSysInfo>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using smx::engine::TGraphics_Test_Dialog;

struct Phases {
    double show = 0;  // exec() called .. test starts
    double steps = 0; // the activation handler
    double wait = 0;  // test done .. closing tick
    double hide = 0;  // closing tick .. exec() returns
    double total = 0; // the whole modal display, as the driver times it
    unsigned ticks = 0;
    bool exposed_at_start = false;
};

// Times the phases of one display from outside the window.
class Phase_Clock : public QObject {
public:
    Phase_Clock(TGraphics_Test_Dialog& form, Phases& phases) : form_(form), phases_(phases) {
        form_.installEventFilter(this);
        form_.Timer1->installEventFilter(this);
        clock_.start();
    }
    ~Phase_Clock() override {
        form_.removeEventFilter(this);
        form_.Timer1->removeEventFilter(this);
    }
    double now() const { return clock_.nsecsElapsed() / 1e6; }

    double started = -1, finished = -1, ticked = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &form_ && event->type() == QEvent::MetaCall && started < 0) {
            // The queued start of the test: run the same handler here, between two readings.
            phases_.exposed_at_start = form_.windowHandle() && form_.windowHandle()->isExposed();
            started = now();
            form_.FormActivate();
            finished = now();
            return true;
        }
        if (watched == form_.Timer1 && event->type() == QEvent::Timer && ticked < 0)
            ticked = now();
        return false;
    }

private:
    TGraphics_Test_Dialog& form_;
    Phases& phases_;
    QElapsedTimer clock_;
};

Phases one_display(TGraphics_Test_Dialog& form) {
    Phases p;
    Phase_Clock clock(form, p);
    const std::uint32_t tick0 = smx::platform::GetTickCount();
    const double t0 = clock.now();
    form.exec();
    const double t1 = clock.now();
    p.ticks = smx::platform::tick_difference(smx::platform::GetTickCount(), tick0);
    p.total = t1 - t0;
    if (clock.started >= 0 && clock.finished >= 0 && clock.ticked >= 0) {
        p.show = clock.started - t0;
        p.steps = clock.finished - clock.started;
        p.wait = clock.ticked - clock.finished;
        p.hide = t1 - clock.ticked;
    }
    return p;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void report(const char* name, TGraphics_Test_Dialog& form, int displays) {
    one_display(form); // fonts, styles and the window itself warm
    std::vector<double> show, steps, wait, hide, total, ticks;
    int exposed = 0;
    for (int i = 0; i < displays; ++i) {
        const Phases p = one_display(form);
        show.push_back(p.show);
        steps.push_back(p.steps);
        wait.push_back(p.wait);
        hide.push_back(p.hide);
        total.push_back(p.total);
        ticks.push_back(p.ticks);
        exposed += p.exposed_at_start ? 1 : 0;
    }
    const double m_total = median(total);
    const double m_steps = median(steps);
    std::printf("%-10s %8.2f %8.2f %8.2f %8.2f %8.2f %8.0f %9.1f%% %3d/%d\n", name, median(show),
                m_steps, median(wait), median(hide), m_total, median(ticks),
                m_total > 0 ? 100.0 * (m_total - m_steps) / m_total : 0.0, exposed, displays);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int displays = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    std::printf("CPU: %s\nPlatform: %s, screen %dx%d, %d displays each (medians, ms)\n\n",
                qPrintable(smx::bench::cpu_name()), qPrintable(QGuiApplication::platformName()),
                screen.width(), screen.height(), displays);
    std::printf("%-10s %8s %8s %8s %8s %8s %8s %10s %7s\n", "window", "show", "steps", "wait",
                "hide", "total", "ticks", "harness", "exposed");

    smx::engine::TWindows_Graphics_Controls_Form controls;
    controls.setWindowTitle(QStringLiteral("Graphics: Standard Windows Forms / Controls"));
    report("controls", controls, displays);

    smx::engine::TGraphics_2D_Form drawing;
    drawing.setWindowTitle(QStringLiteral("Graphics: 2D Bitmaps and Drawings"));
    report("2d", drawing, displays);
    return 0;
}
