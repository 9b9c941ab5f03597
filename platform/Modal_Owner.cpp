#include "platform/Modal_Owner.h"

#include "platform/Window_On_Top.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>
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

QWidget* widget_of(const QWindow* window) {
    const auto top_levels = QApplication::topLevelWidgets();
    for (QWidget* widget : top_levels)
        if (widget->windowHandle() == window)
            return widget;
    return nullptr;
}

void show_unminimised(QWidget& modal) {
    if (!modal.isVisible())
        return;
    // The windows it belongs to first, so that it comes back on top of them.
    const QWindow* handle = modal.windowHandle();
    for (const QWindow* owner = handle ? handle->transientParent() : nullptr; owner != nullptr;
         owner = owner->transientParent()) {
        if (QWidget* widget = widget_of(owner);
            widget != nullptr && (widget->windowState() & Qt::WindowMinimized))
            widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
    }
    modal.setWindowState(modal.windowState() & ~Qt::WindowMinimized);
    modal.raise();
    modal.activateWindow();
}

class Unminimiser : public QObject {
public:
    explicit Unminimiser(QWidget& modal) : QObject(&modal), modal_(modal) {
        modal.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &modal_ && event->type() == QEvent::WindowStateChange &&
            (modal_.windowState() & Qt::WindowMinimized) && modal_.isVisible()) {
            // Once the window system has finished minimising it.
            QTimer::singleShot(0, &modal_, [modal = &modal_] { show_unminimised(*modal); });
        }
        return false;
    }

private:
    QWidget& modal_;
};

} // namespace

void Keep_Unminimised(QWidget& modal) {
    static const char kept[] = "smx_kept_unminimised";
    if (modal.property(kept).toBool())
        return;
    modal.setProperty(kept, true);
    new Unminimiser(modal);
}

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
