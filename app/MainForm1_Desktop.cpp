// Desktop integration: always on top, auto-run, shortcuts and the readme.
#include "app/Desktop_Integration.h"
#include "app/MainForm1.h"
#include "platform/Executable.h"
#include "platform/File_Routines.h"
#include "platform/Message_Boxes.h"
#include "platform/Program_Files.h"
#include "platform/Shortcuts.h"
#include "platform/Window_On_Top.h"

#include <QAction>
#include <QSignalBlocker>

namespace smx::app {

void TMainForm1::Connect_Desktop_Handlers() {
    // A checkable entry flips its own tick before its handler runs; the tick must change only
    // when the command succeeds, so the flip is taken back first.
    auto untick_then = [this](QAction* entry, void (TMainForm1::*handler)()) {
        connect(entry, &QAction::triggered, this, [this, entry, handler](bool checked) {
            {
                const QSignalBlocker block(entry);
                entry->setChecked(!checked);
            }
            (this->*handler)();
        });
    };
    untick_then(Always_On_Top_Option, &TMainForm1::Always_On_Top_OptionClick);
    untick_then(Auto_Run_at_Windows_Startup_Option,
                &TMainForm1::Auto_Run_at_Windows_Startup_OptionClick);
    connect(Create_Shortcut_on_Desktop_Option, &QAction::triggered, this,
            &TMainForm1::Create_Shortcut_on_Desktop_OptionClick);
    connect(Create_Shortcut_on_Start_Menu_Option, &QAction::triggered, this,
            &TMainForm1::Create_Shortcut_on_Start_Menu_OptionClick);
    connect(Create_Shortcut_on_Start_Programs_Menu_Option, &QAction::triggered, this,
            &TMainForm1::Create_Shortcut_on_Start_Programs_Menu_OptionClick);
    connect(Create_Shortcut_on_SendTo_Menu_Option, &QAction::triggered, this,
            &TMainForm1::Create_Shortcut_on_SendTo_Menu_OptionClick);
    connect(Delete_All_Shortcuts_Option, &QAction::triggered, this,
            &TMainForm1::Delete_All_Shortcuts_OptionClick);
}

bool TMainForm1::Toggle_Always_On_Top() {
    const bool on = !Always_On_Top_Option->isChecked();
    if (!platform::Set_Window_Stays_On_Top(*this, on)) {
        platform::show_information(platform::application_title(),
                                   QStringLiteral("This desktop does not let a program keep its "
                                                  "window above all others."));
        return false;
    }
    Always_On_Top_Option->setChecked(on);
    return true;
}

bool TMainForm1::Auto_Run_Enable() {
    return desktop::Auto_Run_Enable(platform::executable_path());
}

bool TMainForm1::Auto_Run_Disable() {
    return desktop::Auto_Run_Disable(platform::executable_path());
}

bool TMainForm1::Auto_Run_Check_Location() {
    return desktop::Auto_Run_Check_Location(platform::executable_path());
}

void TMainForm1::Always_On_Top_OptionClick() {
    Toggle_Always_On_Top();
}

void TMainForm1::Auto_Run_at_Windows_Startup_OptionClick() {
    if (Auto_Run_at_Windows_Startup_Option->isChecked()) {
        if (Auto_Run_Disable())
            Auto_Run_at_Windows_Startup_Option->setChecked(false);
    } else if (Auto_Run_Enable()) {
        Auto_Run_at_Windows_Startup_Option->setChecked(true);
    }
}

void TMainForm1::Create_Shortcut_on_Desktop_OptionClick() {
    platform::Create_Shortcut(platform::executable_path(), QStringLiteral("Desktop"), {});
}

void TMainForm1::Create_Shortcut_on_Start_Menu_OptionClick() {
    platform::Create_Shortcut(platform::executable_path(), QStringLiteral("Start Menu"), {});
}

void TMainForm1::Create_Shortcut_on_Start_Programs_Menu_OptionClick() {
    platform::Create_Shortcut(platform::executable_path(), QStringLiteral("Start Menu"),
                              QStringLiteral("Programs"));
}

void TMainForm1::Create_Shortcut_on_SendTo_Menu_OptionClick() {
    platform::Create_Shortcut(platform::executable_path(), QStringLiteral("SendTo"), {});
}

void TMainForm1::Delete_All_Shortcuts_OptionClick() {
    platform::Delete_All_Shortcuts(platform::executable_path(), true);
}

void TMainForm1::View_Readme_File() {
    platform::View_File_With_Notepad(platform::Program_File_Path(platform::Program_File::Readme));
}

} // namespace smx::app
