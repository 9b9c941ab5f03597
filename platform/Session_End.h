#pragma once
#include <QObject>
#include <QPointer>
#include <functional>

class QTimer;
class QWidget;

namespace smx::platform {

// Ends the program through its main window's normal close once the session asks it to end,
// whatever is open: every modal dialog and message box is dismissed with its Cancel/No answer
// (OK for a box that has only OK), so the command that opened it ends as on that answer, and
// once no modal window is left the main window is asked to close. A close that the window
// defers (a run in progress) is asked again until it is done.
class Session_End : public QObject {
public:
    // `close_main_window` asks the main window to close; true once it has closed.
    Session_End(std::function<bool()> close_main_window, QObject* parent);

    // Starts ending the session; later calls change nothing.
    void begin();
    bool begun() const { return begun_; }

private:
    void step();

    std::function<bool()> close_main_window_;
    QTimer* timer_ = nullptr;
    bool begun_ = false;
    QPointer<QWidget> last_modal_;
    int attempts_ = 0;
    bool closing_ = false;
};

// One attempt at dismissing a modal window, `attempt` counting from 0 for the same window.
// First its Cancel/No answer: a message box's escape button (No for a question, OK for a box
// with only OK), or reject() for any other dialog. A dialog that still stands after three
// attempts gets accept(), then after three more is hidden, which ends its modal loop.
void dismiss_modal_window(QWidget* modal, int attempt);

} // namespace smx::platform
