#include "app/Test_Seam.h"

#include "app/Drive_Combo_Box.h"
#include "platform/Spin_Edit.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace smx::app::Test_Seam {
namespace {

QWidget* find_widget(QWidget* main_window, const QString& name) {
    if (auto* found = main_window->findChild<QWidget*>(name))
        return found;
    const auto all = QApplication::allWidgets();
    for (QWidget* widget : all)
        if (widget->objectName() == name)
            return widget;
    return nullptr;
}

[[noreturn]] void refuse(const QString& what) {
    std::fprintf(stderr, "test seam: %s\n", qPrintable(what));
    std::exit(2);
}

void set_control(QWidget* main_window, const QString& name, const QString& value) {
    QWidget* widget = find_widget(main_window, name);
    bool ok = true;
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        ok = value == QLatin1String("1") || value == QLatin1String("0");
        box->setChecked(value == QLatin1String("1"));
    } else if (auto* spin = qobject_cast<platform::TSpinEdit*>(widget)) {
        const int number = value.toInt(&ok);
        spin->setValue(number);
        ok = ok && spin->Value() == number;
    } else if (auto* drives = qobject_cast<TDriveComboBox*>(widget)) {
        ok = value.size() == 1 && value.at(0).isLetter();
        if (ok)
            drives->setDrive(value.at(0).toLatin1());
    } else {
        refuse(QStringLiteral("no control %1").arg(name));
    }
    if (!ok)
        refuse(QStringLiteral("%1 cannot take %2").arg(name, value));
}

void act(QWidget* main_window) {
    const QString settings = qEnvironmentVariable("SPEEDMETRIX_TEST_SET");
    for (const QString& item : settings.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto eq = item.indexOf(QLatin1Char('='));
        if (eq <= 0)
            refuse(QStringLiteral("no name=value in %1").arg(item));
        set_control(main_window, item.left(eq).trimmed(), item.mid(eq + 1).trimmed());
    }
    const QString click = qEnvironmentVariable("SPEEDMETRIX_TEST_CLICK");
    if (click.isEmpty())
        return;
    auto* button = qobject_cast<QAbstractButton*>(find_widget(main_window, click));
    auto* entry = button ? nullptr : main_window->findChild<QAction*>(click);
    if (button == nullptr && entry == nullptr)
        refuse(QStringLiteral("no button or menu entry %1").arg(click));
    std::printf("clicked %s\n", qPrintable(click));
    std::fflush(stdout);
    if (button)
        button->click();
    else
        entry->trigger();
}

// As a user would: once the window is on screen (framed by a window manager, if there is one),
// or after a while without.
void act_once_on_screen(QWidget* main_window, int tries_left) {
    const QWindow* window = main_window->windowHandle();
    if (tries_left > 0 && (window == nullptr || !window->isExposed())) {
        QTimer::singleShot(50, main_window, [main_window, tries_left] {
            act_once_on_screen(main_window, tries_left - 1);
        });
        return;
    }
    act(main_window);
}

} // namespace

bool wanted() {
    return qEnvironmentVariableIsSet("SPEEDMETRIX_TEST_SET") ||
           qEnvironmentVariableIsSet("SPEEDMETRIX_TEST_CLICK");
}

void install(QWidget* main_window) {
    // Queued before the window is shown, so it runs once the first show is done.
    QTimer::singleShot(0, main_window, [main_window] { act_once_on_screen(main_window, 100); });
}

} // namespace smx::app::Test_Seam
