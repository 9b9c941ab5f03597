#include "app/Program.h"

#include "app/Forms.h"
#include "app/MainForm1.h"
#include "app/Test_Seam.h"
#include "cli/Batch_Options.h"
#include "cli/Batch_Run.h"
#include "cli/Report_Run.h"
#include "platform/Display_Platform.h"
#include "platform/Modal_Owner.h"
#include "platform/Product.h"
#include "platform/Session_End.h"
#include "platform/Termination.h"

#include <QApplication>
#include <QIcon>
#include <QSessionManager>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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

// A standard stream closed by whoever started the program (`speedmetrix --batch >&-`) keeps its
// number, taken by /dev/null opened for reading only: otherwise the next file or socket the
// program opens gets that number (the termination signals' own socket among them) and the
// output lands there. Writes to it fail as to a closed stream, so the exit status says so.
void hold_closed_standard_streams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        const int held = ::open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

// One argument of the command line, which is UTF-8 on this system. The bytes of a sequence that
// is not UTF-8 each become a lone surrogate (U+DC80 to U+DCFF) instead of U+FFFD, so that the
// name checks still see them and refuse the argument, rather than store a name the user never
// typed.
QString decode_argument(const char* argument) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(argument);
    const qsizetype size = static_cast<qsizetype>(std::strlen(argument));
    QString out;
    out.reserve(size);
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        int length = 0;
        char32_t code = 0;
        char32_t lowest = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
            lowest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
            lowest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
            lowest = 0x10000;
        }
        bool valid = length > 0 && i + length <= size;
        for (int k = 1; valid && k < length; ++k) {
            valid = (bytes[i + k] & 0xC0) == 0x80;
            code = (code << 6) | (bytes[i + k] & 0x3F);
        }
        // No over-long forms, no encoded surrogates, nothing beyond U+10FFFF.
        valid = valid && code >= lowest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            out += QChar(static_cast<char16_t>(0xDC00 + lead));
            ++i;
            continue;
        }
        const char32_t one[] = {code};
        out += QString::fromUcs4(one, 1);
        i += length;
    }
    return out;
}

} // namespace

void set_program_icon(QApplication& app) {
    // Every window, the dialogs and message boxes included, shows the program's icon; the
    // desktop entry's name lets Wayland compositors and docks match the window to the entry.
    QIcon icon;
    for (int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/org.speedmetrix.Speedmetrix-%1.png").arg(size),
                     QSize(size, size));
    app.setWindowIcon(icon);
    app.setDesktopFileName(QLatin1String(platform::Product_Icon_Name));
}

int run_program(int argc, char** argv) {
    hold_closed_standard_streams();
    // From the start a termination signal is never lost: one that comes while the window starts
    // waits until the main window has had its first show, and then closes it.
    platform::install_termination_signals();
    // End-to-end tests time their signals from here.
    if (qEnvironmentVariableIsSet("SPEEDMETRIX_TEST_REPORT_START")) {
        std::fputs("started\n", stdout);
        std::fflush(stdout);
    }
    // The command line chooses what the program does; without a mode switch it is the window,
    // which takes no option of the program's. An argument that looks like an option and is none
    // stops the program here, before any window or display is touched.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << decode_argument(argv[i]);
    const cli::Mode mode = cli::Mode_Of(arguments);
    const QString error = cli::Argument_Error(arguments, mode);
    if (mode != cli::Mode::Window || !error.isEmpty())
        platform::restore_default_termination_signals();
    if (!error.isEmpty())
        return cli::Argument_Error_Exit(error);
    switch (mode) {
    case cli::Mode::Help:
        return cli::Print_Help();
    case cli::Mode::Version:
        return cli::Print_Version();
    case cli::Mode::Drive_List:
        return cli::Print_Drive_List();
    case cli::Mode::Report:
        return cli::Run_Report(arguments);
    case cli::Mode::Batch:
        return cli::Run_Batch(argc, argv, arguments);
    case cli::Mode::Window:
        break;
    }

    platform::choose_platform();
    // The layout is designed in pixels at 96 dots per inch with fonts given in points. A desktop
    // scaled up (Xft.dpi, QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS) scales the whole window
    // through the device pixel ratio, in steps finer than whole numbers (150 % as well), while
    // the layout and the font metrics stay those of 96 dots per inch in logical pixels.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("speedmetrix"));
    set_program_icon(app);
    app.setQuitOnLastWindowClosed(false);
    platform::Keep_Modal_Windows_Above_Their_Owners();

    Forms& f = create_forms();
    TMainForm1* main_form = f.MainForm1;
    // The end of the session (a signal, the session manager's quit) dismisses whatever dialog is
    // open, abandons a run, and closes the main window through its normal close.
    // Until the first show has ended (it may pump events) the close waits: closing a window
    // that is still being set up would leave it on screen with nothing left to end the program.
    bool first_show_over = false;
    auto* session_end = new platform::Session_End(
        [main_form, &first_show_over] { return first_show_over && main_form->close(); }, &app);
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
    first_show_over = true;
    const int status = app.exec();
    destroy_forms();
    return status;
}

} // namespace smx::app
