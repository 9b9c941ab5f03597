#pragma once

namespace smx::engine {
class TGraphics_2D_Form;
class TWindows_Graphics_Controls_Form;
} // namespace smx::engine
namespace smx::dialogs {
class TAboutBox;
class TDialog_Item_Select_Form;
class TDialog_Dont_Show_Again_Form;
} // namespace smx::dialogs

namespace smx::app {

class TMainForm1;

// The six windows of the program, created once at start in this order and kept until exit.
struct Forms {
    TMainForm1* MainForm1 = nullptr;
    dialogs::TAboutBox* AboutBox = nullptr;
    engine::TGraphics_2D_Form* Graphics_2D_Form = nullptr;
    engine::TWindows_Graphics_Controls_Form* Windows_Graphics_Controls_Form = nullptr;
    dialogs::TDialog_Item_Select_Form* Dialog_Item_Select_Form = nullptr;
    dialogs::TDialog_Dont_Show_Again_Form* Dialog_Dont_Show_Again_Form = nullptr;
};

// The program's forms. Tests that build a main window on its own get a set of their own
// from create_forms().
Forms& forms();
// Creates the six forms in their order and registers them as the program's forms.
Forms& create_forms();
// Destroys the forms created by create_forms(), last first.
void destroy_forms();

} // namespace smx::app
