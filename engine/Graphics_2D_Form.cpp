#include "engine/Graphics_2D_Form.h"

#include "engine/Graphics_Test_Steps.h"
#include "platform/Shape.h"
#include "platform/Spin_Edit.h"

#include <QTimer>
#include <array>

namespace smx::engine {
namespace {

using platform::TShape;

platform::TSpinEdit* make_hidden_counter(QWidget* parent, const QString& name, int value) {
    auto* spin = new platform::TSpinEdit(parent);
    spin->setObjectName(name);
    // Equal bounds: no clamping.
    spin->setMinValue(0);
    spin->setMaxValue(0);
    spin->setValue(value);
    spin->hide();
    return spin;
}

} // namespace

TGraphics_2D_Form::TGraphics_2D_Form(QWidget* parent)
    : TGraphics_Test_Dialog(parent, QSize(442, 262)) {
    setObjectName(QStringLiteral("Graphics_2D_Form"));

    const std::array<TShape::Kind, graphics::shape_count> kinds = {
        TShape::Kind::Rectangle, TShape::Kind::Circle,      TShape::Kind::Ellipse,
        TShape::Kind::RoundRect, TShape::Kind::RoundSquare, TShape::Kind::Square,
    };
    const std::array<TShape**, graphics::shape_count> shapes = {&Shape1, &Shape2, &Shape3,
                                                                &Shape4, &Shape5, &Shape6};
    for (int n = 1; n <= graphics::shape_count; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        auto* shape = new TShape(this);
        shape->setObjectName(QStringLiteral("Shape") + QString::number(n));
        shape->setShape(kinds[i]);
        shape->setBrushColor(QColor::fromRgba(graphics::colour_cycle[i]));
        shape->setGeometry(graphics::shape_design_bounds(n));
        *shapes[i] = shape;
    }

    Max_Repetitions_SpinEdit =
        make_hidden_counter(this, QStringLiteral("Max_Repetitions_SpinEdit"), 50);
    Num_Manipulations_per_Shape_SpinEdit =
        make_hidden_counter(this, QStringLiteral("Num_Manipulations_per_Shape_SpinEdit"), 0);
}

TShape* TGraphics_2D_Form::Find_Shape(int n) const {
    ++lookups_;
    return findChild<TShape*>(QStringLiteral("Shape") + QString::number(n),
                              Qt::FindDirectChildrenOnly);
}

void TGraphics_2D_Form::Set_Top(int n, int top) const {
    TShape* shape = Find_Shape(n);
    shape->move(shape->x(), top);
}

void TGraphics_2D_Form::Set_Left(int n, int left) const {
    TShape* shape = Find_Shape(n);
    shape->move(left, shape->y());
}

void TGraphics_2D_Form::Recolour(int n) const {
    // Each comparison and the change look the shape up afresh.
    if (const auto next =
            graphics::next_cycle_colour([&] { return Find_Shape(n)->brushColor().rgba(); }))
        Find_Shape(n)->setBrushColor(*next);
}

void TGraphics_2D_Form::FormActivate() {
    const Test_Run run(*this);
    if (!run)
        return;

    Centre_On_Screen();
    Pump_Messages();

    const int recorded_left = Find_Shape(1)->x();
    const int recorded_top = Find_Shape(1)->y();

    const int repetitions = Max_Repetitions_SpinEdit->Value();
    for (int r = 0; r < repetitions; ++r) {
        Num_Manipulations_per_Shape_SpinEdit->setValue(0);

        for (int n = 1; n <= graphics::shape_count; ++n) {
            const QPoint design = graphics::shape_design_bounds(n).topLeft();
            Set_Top(n, design.y());
            Set_Left(n, design.x());
        }
        Num_Manipulations_per_Shape_SpinEdit->setValue(
            Num_Manipulations_per_Shape_SpinEdit->Value() + 1);

        for (int n = 1; n <= graphics::shape_count; ++n) {
            Recolour(n);
            Pump_Messages();
        }
        Num_Manipulations_per_Shape_SpinEdit->setValue(
            Num_Manipulations_per_Shape_SpinEdit->Value() + 1);

        // Each shape takes the place of the next; the last takes the recorded place.
        for (int n = 1; n < graphics::shape_count; ++n) {
            Set_Top(n, Find_Shape(n + 1)->y());
            Set_Left(n, Find_Shape(n + 1)->x());
            Pump_Messages();
        }
        Set_Top(graphics::shape_count, recorded_top);
        Set_Left(graphics::shape_count, recorded_left);
        Num_Manipulations_per_Shape_SpinEdit->setValue(
            Num_Manipulations_per_Shape_SpinEdit->Value() + 1);

        Pump_Messages();
    }

    Timer1->start();
}

long double Test_Pixel_Count_Of(const TGraphics_2D_Form& form) {
    const std::array<QSize, graphics::shape_count> sizes = {
        form.Shape1->size(), form.Shape2->size(), form.Shape3->size(),
        form.Shape4->size(), form.Shape5->size(), form.Shape6->size(),
    };
    return graphics::pixel_count(sizes, form.Max_Repetitions_SpinEdit->Value(),
                                 form.Num_Manipulations_per_Shape_SpinEdit->Value());
}

} // namespace smx::engine
