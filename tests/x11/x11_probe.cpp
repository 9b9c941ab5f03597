// Drives the program's own windows on a real X server for scripts/x11-check.sh, which watches
// them from outside with xev and xprop. Talks over stdin/stdout, one line at a time:
//   probe: "controls <window id>"   script: "go" (once it watches that window)
//   probe: "run <start> <end> <count> <width>x<height> <main window paints>" (start and end
//          in realtime seconds)
//   probe: "steps <n>", then "step <time> (<x>,<y>)" for each move the program made
//   probe: "title <window id> <caption>" for each window, then "ready"
//   script: "done"
#include "app/Forms.h"
#include "app/MainForm1.h"
#include "dialogs/AboutBox.h"
#include "dialogs/Dialog_Dont_Show_Again_Form.h"
#include "engine/Graphics_2D_Form.h"
#include "engine/Windows_Graphics_Controls_Form.h"
#include "platform/Bit_Button.h"
#include "platform/Executable.h"
#include "platform/Spin_Edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <iostream>
#include <string>
#include <time.h>
#include <vector>

namespace {

double realtime_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void say(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

bool wait_for(const char* word) {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == word)
            return true;
    }
    return false;
}

// Counts the paints of one top-level window and its controls.
class Paint_Counter : public QObject {
public:
    explicit Paint_Counter(QWidget* window) : window_(window) {}
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_)
            ++count;
        return false;
    }

private:
    QWidget* window_;
};

// When the test moved its window, and where to: the moves the program makes, before the window
// system has carried them out.
struct Move_Recorder {
    struct Move {
        double time;
        QPoint to;
    };
    std::vector<Move> moves;
};

QString window_id(QWidget* window) {
    return QStringLiteral("0x") + QString::number(window->winId(), 16);
}

} // namespace

int main(int argc, char** argv) {
    using namespace smx;
    qputenv("QT_FONT_DPI", "96");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("speedmetrix"));
    // The program's files (settings, results) go to a folder of our own.
    QTemporaryDir home;
    platform::set_executable_path_override(home.path() + QStringLiteral("/speedmetrix"));

    app::Forms& forms = app::create_forms();
    app::TMainForm1* main_form = forms.MainForm1;
    main_form->show();
    if (!QTest::qWaitForWindowExposed(main_form))
        return 1;

    // A run of the controls test alone, without the information message, as a user starts it.
    for (QCheckBox* box : main_form->Test_CheckBoxes())
        box->setChecked(box == main_form->Graphics_Standard_Windows_Forms_Controls_CheckBox);
    forms.Dialog_Dont_Show_Again_Form->Dont_Show_This_Again_CheckBox->setChecked(true);
    auto* controls = forms.Windows_Graphics_Controls_Form;
    say(QStringLiteral("controls ") + window_id(controls));
    if (!wait_for("go"))
        return 1;
    // The main window under the sweep: each move uncovers a part of it, to be painted.
    Paint_Counter main_paints(main_form);
    Move_Recorder steps;
    const QMetaObject::Connection recording =
        QObject::connect(controls, &engine::TGraphics_Test_Dialog::Placing, [&steps](QPoint to) {
            steps.moves.push_back({realtime_seconds(), to});
        });
    const double start = realtime_seconds();
    app.installEventFilter(&main_paints);
    main_form->Benchmark_BitBtn->click();
    app.removeEventFilter(&main_paints);
    const double end = realtime_seconds();
    QObject::disconnect(recording);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    say(QStringLiteral("run %1 %2 %3 %4x%5 %6")
            .arg(start, 0, 'f', 6)
            .arg(end, 0, 'f', 6)
            .arg(controls->Num_Controls_Manipulated_SpinEdit->Value())
            .arg(screen.width())
            .arg(screen.height())
            .arg(main_paints.count));
    say(QStringLiteral("steps %1").arg(steps.moves.size()));
    for (const Move_Recorder::Move& move : steps.moves)
        say(QStringLiteral("step %1 (%2,%3)")
                .arg(move.time, 0, 'f', 6)
                .arg(move.to.x())
                .arg(move.to.y()));

    // Every window with the caption it is given: the main window's and the about box's by the
    // first show, the others as the run gives them theirs.
    forms.AboutBox->show();
    forms.Graphics_2D_Form->setWindowTitle(
        main_form->Graphics_2D_Bitmaps_and_Drawings_CheckBox->text());
    forms.Dialog_Dont_Show_Again_Form->setWindowTitle(QStringLiteral("Benchmark Information :"));
    QWidget* windows[] = {main_form, forms.AboutBox, controls, forms.Graphics_2D_Form,
                          forms.Dialog_Dont_Show_Again_Form};
    for (QWidget* window : windows)
        say(QStringLiteral("title ") + window_id(window) + QLatin1Char(' ') +
            window->windowTitle());
    QCoreApplication::processEvents();
    say(QStringLiteral("ready"));
    wait_for("done");
    // Leave without the close sequence, which would save settings and results.
    std::fflush(stdout);
    std::_Exit(0);
}
