#include "app/Forms.h"

#include "app/MainForm1.h"
#include "dialogs/AboutBox.h"
#include "dialogs/Dialog_Dont_Show_Again_Form.h"
#include "dialogs/Dialog_Item_Select_Form.h"
#include "engine/Graphics_2D_Form.h"
#include "engine/Windows_Graphics_Controls_Form.h"

namespace smx::app {

Forms& forms() {
    static Forms instance;
    return instance;
}

Forms& create_forms() {
    Forms& f = forms();
    f.MainForm1 = new TMainForm1;
    f.AboutBox = new dialogs::TAboutBox;
    f.Graphics_2D_Form = new engine::TGraphics_2D_Form;
    f.Windows_Graphics_Controls_Form = new engine::TWindows_Graphics_Controls_Form;
    f.Dialog_Item_Select_Form = new dialogs::TDialog_Item_Select_Form;
    f.Dialog_Dont_Show_Again_Form = new dialogs::TDialog_Dont_Show_Again_Form;
    return f;
}

void destroy_forms() {
    Forms& f = forms();
    delete f.Dialog_Dont_Show_Again_Form;
    delete f.Dialog_Item_Select_Form;
    delete f.Windows_Graphics_Controls_Form;
    delete f.Graphics_2D_Form;
    delete f.AboutBox;
    delete f.MainForm1;
    f = Forms{};
}

} // namespace smx::app
