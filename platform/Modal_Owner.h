#pragma once

class QWidget;

namespace smx::platform {

// Every modal window (message boxes, the text-input box and the program's own dialogs) must
// stand above the window it belongs to, also when that window is kept on top of all others.
// Left alone, a modal window without a parent belongs to no window (the window system stacks it
// with the program's hidden group leader), and one on top of everything hides it.

// The window a modal window that is about to be shown belongs to: the modal window open
// beneath it, or else the active window, or else the program's visible main window (a
// top-level window that is not a dialog). Never the window itself; none when there is none.
QWidget* Modal_Owner_Of(const QWidget& modal);

// Makes `modal` a transient window of `owner`, kept on top exactly when the owner is.
void Stand_Above(QWidget& modal, QWidget& owner);

// Some window managers offer to minimise any window, whatever it asks for, and take the window it
// belongs to with it: a program blocked by a minimised modal window is left with nothing on
// screen. From now on, whenever `modal` is minimised while shown, it is shown again at once,
// with the windows it belongs to.
void Keep_Unminimised(QWidget& modal);

// From now on, every modal window is given its owner just before it is shown. Safe to call
// more than once.
void Keep_Modal_Windows_Above_Their_Owners();

} // namespace smx::platform
