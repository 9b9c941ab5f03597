#include "platform/Modal_Owner.h"

#include "platform/Window_On_Top.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace smx::platform {
namespace {

bool is_modal_window(const QWidget& widget) {
    return widget.isWindow() && (widget.isModal() || widget.testAttribute(Qt::WA_ShowModal)) &&
           widget.windowType() != Qt::Popup && widget.windowType() != Qt::ToolTip;
}

bool can_own(const QWidget* owner, const QWidget& modal) {
    return owner != nullptr && owner != &modal && owner->isVisible() && owner->isWindow() &&
           !modal.isAncestorOf(owner);
}

class Modal_Show_Watcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show)
            return false;
        if (watched->isWidgetType()) {
            // Owner found now, while the modal window beneath is still the active modal one.
            auto* widget = static_cast<QWidget*>(watched);
            if (is_modal_window(*widget) && widget->windowHandle() != nullptr) {
                if (QWidget* owner = Modal_Owner_Of(*widget))
                    pending_ = {widget->windowHandle(), widget, owner};
            }
        } else if (watched == pending_.window) {
            // The native window's own Show: the dialog has placed itself (centred on the
            // screen when it has no place of its own) and is about to be mapped, so the window
            // manager learns the owner and the stacking with the window itself.
            const Pending pending = std::exchange(pending_, {});
            if (pending.modal && pending.owner)
                Stand_Above(*pending.modal, *pending.owner);
        }
        return false;
    }

private:
    struct Pending {
        QPointer<QWindow> window;
        QPointer<QWidget> modal;
        QPointer<QWidget> owner;
    };
    Pending pending_;
};

} // namespace

QWidget* Modal_Owner_Of(const QWidget& modal) {
    // The modal window beneath this one: a message box of a dialog belongs to that dialog.
    if (QWidget* beneath = QApplication::activeModalWidget(); can_own(beneath, modal))
        return beneath;
    if (QWidget* active = QApplication::activeWindow(); can_own(active, modal))
        return active;
    const auto top_levels = QApplication::topLevelWidgets();
    for (QWidget* window : top_levels) {
        if (can_own(window, modal) && window->windowType() == Qt::Window &&
            !qobject_cast<QDialog*>(window))
            return window;
    }
    return nullptr;
}

void Stand_Above(QWidget& modal, QWidget& owner) {
    const bool owner_on_top = owner.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    Set_Window_Stays_On_Top(modal, owner_on_top);
    modal.winId(); // the native window, to hang on the owner's
    QWindow* window = modal.windowHandle();
    if (window == nullptr)
        return;
    window->setTransientParent(owner.windowHandle());
}

void Keep_Modal_Windows_Above_Their_Owners() {
    static QPointer<QObject> watcher;
    if (qApp == nullptr || watcher)
        return;
    watcher = new Modal_Show_Watcher(qApp);
    qApp->installEventFilter(watcher);
}

} // namespace smx::platform
