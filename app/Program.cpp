#include "app/Program.h"

#include "app/Batch_Options.h"
#include "app/Batch_Run.h"
#include "app/Forms.h"
#include "app/MainForm1.h"
#include "app/Report_Run.h"
#include "app/Test_Seam.h"
#include "platform/Session_End.h"
#include "platform/Termination.h"
#include "report/Report_Options.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>

namespace smx::app {
namespace {

// For the start-up benchmark: report the main window's first paint on stdout, then close.
class First_Paint_Reporter : public QObject {
public:
    explicit First_Paint_Reporter(TMainForm1* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == form_) {
            done_ = true;
            std::fputs("first-paint\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, form_, [f = form_] { f->close(); });
        }
        return false;
    }

private:
    TMainForm1* form_;
    bool done_ = false;
};

} // namespace

// Placement, centring and stay-on-top need a window system that lets programs place their
// windows; under Wayland that is XWayland, unless the user chose a platform.
void choose_platform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

int run_program(int argc, char** argv) {
    // Only the batch run, its help and the drive list read the command line; otherwise the
    // program is the window and ignores its arguments.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (batch::Wants_Help(arguments))
        return batch::Print_Help();
    if (batch::Wants_Drive_List(arguments))
        return batch::Print_Drive_List();
    if (report::Wants_Report(arguments))
        return batch::Run_Report(arguments);
    if (batch::Wants_Batch(arguments))
        return batch::Run_Batch(argc, argv, arguments);

    choose_platform();
    // The layout is designed in pixels at 96 dots per inch with fonts given in points.
    if (qEnvironmentVariableIsEmpty("QT_FONT_DPI"))
        qputenv("QT_FONT_DPI", "96");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("speedmetrix"));
    app.setQuitOnLastWindowClosed(false);

    Forms& f = create_forms();
    TMainForm1* main_form = f.MainForm1;
    // The end of the session (a signal, the session manager's quit) dismisses whatever dialog is
    // open, abandons a run, and closes the main window through its normal close.
    auto* session_end = new platform::Session_End([main_form] { return main_form->close(); }, &app);
    platform::install_termination_handler([session_end] { session_end->begin(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, session_end,
                     [session_end](QSessionManager&) {
                         platform::request_termination();
                         session_end->begin();
                     });
    if (Test_Seam::wanted())
        Test_Seam::install(main_form);

    if (qEnvironmentVariableIsSet("SPEEDMETRIX_QUIT_AFTER_FIRST_PAINT"))
        app.installEventFilter(new First_Paint_Reporter(main_form));

    main_form->show();
    const int status = app.exec();
    destroy_forms();
    return status;
}

} // namespace smx::app
