#include "app/Program.h"

#include "app/Forms.h"
#include "app/MainForm1.h"
#include "platform/Termination.h"

#include <QApplication>
#include <QSessionManager>

namespace smx::app {
namespace {

// Placement, centring and stay-on-top need a window system that lets programs place their
// windows; under Wayland that is XWayland, unless the user chose a platform.
void choose_platform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int run_program(int argc, char** argv) {
    choose_platform();
    // The layout is designed in pixels at 96 dots per inch with fonts given in points.
    if (qEnvironmentVariableIsEmpty("QT_FONT_DPI"))
        qputenv("QT_FONT_DPI", "96");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("speedmetrix"));
    app.setQuitOnLastWindowClosed(false);

    Forms& f = create_forms();
    TMainForm1* main_form = f.MainForm1;
    platform::install_termination_handler([main_form] { main_form->close(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, main_form,
                     [main_form](QSessionManager&) { main_form->close(); });

    main_form->show();
    const int status = app.exec();
    destroy_forms();
    return status;
}

} // namespace smx::app
