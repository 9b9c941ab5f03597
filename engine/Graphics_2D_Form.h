#pragma once
#include "engine/Graphics_Test_Dialog.h"

namespace smx::platform {
class TShape;
class TSpinEdit;
} // namespace smx::platform

namespace smx::engine {

// The window of the 2D drawing test: six shapes are recoloured and moved round, repeatedly.
class TGraphics_2D_Form : public TGraphics_Test_Dialog {
    Q_OBJECT
public:
    explicit TGraphics_2D_Form(QWidget* parent = nullptr);

    platform::TShape* Shape1 = nullptr;
    platform::TShape* Shape2 = nullptr;
    platform::TShape* Shape3 = nullptr;
    platform::TShape* Shape4 = nullptr;
    platform::TShape* Shape5 = nullptr;
    platform::TShape* Shape6 = nullptr;
    // How often the shapes are worked per display (50); never shown.
    platform::TSpinEdit* Max_Repetitions_SpinEdit = nullptr;
    // Manipulations of each shape in one repetition of the last display; never shown.
    platform::TSpinEdit* Num_Manipulations_per_Shape_SpinEdit = nullptr;

    void FormActivate() override;

    // Lookups of a shape by name since the window was made: one for every colour test, colour
    // change and position read or write.
    long long Shape_Lookups() const { return lookups_; }

private:
    // The shape named "Shape" + n, looked up by name every time: the lookup is part of the work
    // this test measures.
    platform::TShape* Find_Shape(int n) const;
    void Recolour(int n) const;
    // A position write: one lookup, the other coordinate kept.
    void Set_Top(int n, int top) const;
    void Set_Left(int n, int left) const;

    mutable long long lookups_ = 0;
};

// The pixels one display drew, as the run driver counts them: the shapes' areas times the
// repetitions times the manipulations per shape.
long double Test_Pixel_Count_Of(const TGraphics_2D_Form& form);

} // namespace smx::engine
