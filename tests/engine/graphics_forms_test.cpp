#include "engine/Graphics_2D_Form.h"
#include "engine/Graphics_Test_Steps.h"
#include "engine/Windows_Graphics_Controls_Form.h"
#include "platform/Shape.h"
#include "platform/Spin_Edit.h"
#include "platform/Termination.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace smx::engine {
namespace {

// What a whole controls test counts on a screen of the given size.
int controls_test_count(QSize screen, QSize window) {
    const int dx = screen.width() - window.width();
    const int dy = screen.height() - window.height();
    return 1795 + graphics::sweep([dx] { return dx; }, [dy] { return dy; }, [](int) {}, [](int) {});
}

// Runs the modal display as the run driver does. A display that has not ended after a generous
// limit fails the whole program instead of hanging it.
void exec_display(QDialog& dialog) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&dialog] {
        std::fprintf(stderr, "%s: display did not end by itself\n",
                     qPrintable(dialog.objectName()));
        std::_Exit(1);
    });
    watchdog.start(60000);
    dialog.exec();
}

// Counts paint events of a widget.
class Paint_Counter : public QObject {
public:
    explicit Paint_Counter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Substitutes the screen size for the lifetime of the object.
struct Screen_Size {
    explicit Screen_Size(QSize size) { graphics::set_screen_size_override(size); }
    ~Screen_Size() { graphics::set_screen_size_override(std::nullopt); }
};

QSize outer_size(const QWidget& window) {
    return window.frameGeometry().size();
}

// ---- Controls test ----

TEST(Controls_Form, CountsTheStepsAndLeavesTheControlsAsTheLastStepsSetThem) {
    TWindows_Graphics_Controls_Form form;
    for (int display = 1; display <= 2; ++display) {
        SCOPED_TRACE(display);
        exec_display(form);
        EXPECT_FALSE(form.isVisible());

        ASSERT_EQ(form.ListBox1->count(), 51);
        for (int i = 0; i <= 50; ++i)
            EXPECT_EQ(form.ListBox1->item(i)->text(),
                      QStringLiteral("This is Listbox Line %1").arg(i));
        EXPECT_EQ(form.Edit1->text(), QStringLiteral("Edit 25"));
        EXPECT_TRUE(form.Edit1->isEnabledTo(&form));
        EXPECT_FALSE(form.Panel1->isHidden());
        EXPECT_EQ(form.Panel1->text(), QStringLiteral("Benckmarking ..."));

        ASSERT_EQ(form.RadioGroup1->Item_Count(), 12);
        EXPECT_EQ(form.RadioGroup1->Items().front(), QStringLiteral("RadioButton 0"));
        EXPECT_EQ(form.RadioGroup1->Items().back(), QStringLiteral("RadioButton 11"));
        EXPECT_EQ(form.RadioGroup1->ItemIndex(), 11);

        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        ASSERT_EQ(outer_size(form), QSize(386, 336));
        EXPECT_EQ(form.pos(), graphics::centred_position(screen, QSize(386, 336)));
        const int count = form.Num_Controls_Manipulated_SpinEdit->Value();
        EXPECT_EQ(count, controls_test_count(screen, QSize(386, 336)));
        // The usual 11 by 11 sweep when both spans are at least 10 and not multiples of 10.
        const int dx = screen.width() - 386;
        const int dy = screen.height() - 336;
        if (dx >= 10 && dy >= 10 && dx % 10 != 0 && dy % 10 != 0) {
            EXPECT_EQ(count, 3115) << "screen " << screen.width() << "x" << screen.height();
        }
        EXPECT_FALSE(form.Timer1->isActive());
    }
}

TEST(Controls_Form, RadioItemsFillTwoColumnsTopToBottom) {
    TWindows_Graphics_Controls_Form form;
    exec_display(form);
    const TRadioGroup& group = *form.RadioGroup1;
    ASSERT_EQ(group.Item_Count(), 12);
    // Six rows: items 0-5 in the left column, 6-11 in the right, all inside the box.
    for (int i = 0; i < 12; ++i) {
        const QRect r = group.Button(i)->geometry();
        EXPECT_TRUE(group.rect().contains(r)) << i;
        EXPECT_EQ(r.x(), group.Button(i < 6 ? 0 : 6)->x()) << i;
        if (i % 6 != 0) {
            EXPECT_GT(r.y(), group.Button(i - 1)->y()) << i;
        }
    }
    EXPECT_GT(group.Button(6)->x(), group.Button(0)->x());
    EXPECT_EQ(group.Button(6)->y(), group.Button(0)->y());
}

TEST(Controls_Form, PaintsBetweenSteps) {
    TWindows_Graphics_Controls_Form form;
    Paint_Counter edit(form.Edit1);
    Paint_Counter panel(form.Panel1);
    Paint_Counter list(form.ListBox1->viewport());
    exec_display(form);
    // 26 texts and 26 enable flips; the panel shows 13 times; the first rows of each refill.
    EXPECT_GE(edit.count, 52);
    EXPECT_GE(panel.count, 13);
    EXPECT_GE(list.count, 26 * 9);
}

TEST(Controls_Form, TinyScreensDoNotHangTheSweep) {
    TWindows_Graphics_Controls_Form form;
    {
        // Spans of 4 pixels: a tenth would be 0.
        const Screen_Size tiny(QSize(390, 340));
        exec_display(form);
        EXPECT_EQ(form.Num_Controls_Manipulated_SpinEdit->Value(), 1795 + 4 * (10 + 4 * 10));
        EXPECT_EQ(form.pos(), QPoint(2, 2));
    }
    {
        // Smaller than the window: nothing to sweep. (Where a window may stand partly off the
        // screen is up to the window system.)
        const Screen_Size smaller(QSize(300, 300));
        exec_display(form);
        EXPECT_EQ(form.Num_Controls_Manipulated_SpinEdit->Value(), 1795);
    }
}

TEST(Controls_Form, PlacesFollowTheDesignedSizesGridWhateverTheWindowIsMeanwhile) {
    const QSize designed(386, 336);
    for (const QSize screen : {QSize(1024, 768), QSize(1026, 768), QSize(1280, 1024)}) {
        SCOPED_TRACE(screen.width());
        const Screen_Size substitute(screen);
        TWindows_Graphics_Controls_Form form;
        std::vector<QPoint> placed;
        QObject::connect(&form, &TGraphics_Test_Dialog::Placing, [&](QPoint at) {
            // A frame reported once the test runs makes the window bigger than designed.
            if (placed.empty())
                form.resize(400, 400);
            placed.push_back(at);
        });
        exec_display(form);

        // Centred (Top, then Left), each row's Top and its Lefts, centred again.
        const QPoint centre = graphics::centred_position(screen, designed);
        std::vector<QPoint> expected = {centre};
        QPoint at = centre;
        const int swept =
            graphics::sweep([&] { return screen.width() - designed.width(); },
                            [&] { return screen.height() - designed.height(); },
                            [&](int y) { expected.push_back(at = QPoint(at.x(), y)); },
                            [&](int x) { expected.push_back(at = QPoint(x, at.y())); });
        expected.push_back(QPoint(at.x(), centre.y()));
        expected.push_back(centre);
        ASSERT_FALSE(placed.empty());
        EXPECT_EQ(std::vector<QPoint>(placed.begin() + 1, placed.end()), expected);
        EXPECT_EQ(form.Num_Controls_Manipulated_SpinEdit->Value(), 1795 + swept);
    }
}

TEST(Controls_Form, ActivationDuringTheTestDoesNotStartItAgain) {
    TWindows_Graphics_Controls_Form form;
    int starts = 0;
    QObject::connect(form.Edit1, &QLineEdit::textChanged, [&](const QString& text) {
        if (text == QStringLiteral("Edit 0"))
            ++starts;
        if (text == QStringLiteral("Edit 3")) {
            // As if the user switched to another program and back.
            QEvent deactivate(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(&form, &deactivate);
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(&form, &activate);
        }
    });
    exec_display(form);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(form.ListBox1->count(), 51);
}

TEST(Controls_Form, RunsOncePerDisplay) {
    TWindows_Graphics_Controls_Form form;
    int texts = 0;
    QObject::connect(form.Edit1, &QLineEdit::textChanged, [&] { ++texts; });
    form.show();
    form.FormActivate();
    EXPECT_EQ(texts, 26);
    EXPECT_TRUE(form.Timer1->isActive());
    // Activated again while waiting for the timer: the test has already run for this display.
    form.FormActivate();
    EXPECT_EQ(texts, 26);
    QElapsedTimer waited;
    waited.start();
    while (form.isVisible() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Timer1->isActive());
    // A new display runs it again.
    exec_display(form);
    EXPECT_EQ(texts, 52);
}

TEST(Controls_Form, StartsEvenIfTheWindowSystemNeverActivatesIt) {
    TWindows_Graphics_Controls_Form form;
    struct Swallow_Activation : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            return event->type() == QEvent::WindowActivate;
        }
    } swallow;
    form.installEventFilter(&swallow);
    exec_display(form);
    EXPECT_EQ(form.Edit1->text(), QStringLiteral("Edit 25"));
    EXPECT_GT(form.Num_Controls_Manipulated_SpinEdit->Value(), 0);
}

TEST(Controls_Form, ClosedByHandDuringTheTestTheTimerDoesNotKeepTicking) {
    TWindows_Graphics_Controls_Form form;
    QObject::connect(form.Edit1, &QLineEdit::textChanged, [&](const QString& text) {
        if (text == QStringLiteral("Edit 5"))
            form.close();
    });
    exec_display(form);
    EXPECT_FALSE(form.isVisible());
    // The test went on to the end on the hidden window and then started the timer; its first
    // tick finds the window gone and stops it.
    QElapsedTimer waited;
    waited.start();
    while (form.Timer1->isActive() && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.Edit1->text(), QStringLiteral("Edit 25"));
}

// A stop asked for during a display (a close of the main window, the end of the session) ends
// the test at its next step and closes the window at once, without the closing timer.
TEST(Graphics_Forms, StopEndsTheDisplayAtTheNextStep) {
    TWindows_Graphics_Controls_Form controls;
    QObject::connect(controls.Edit1, &QLineEdit::textChanged, [](const QString& text) {
        if (text == QStringLiteral("Edit 5"))
            platform::request_stop();
    });
    exec_display(controls);
    EXPECT_FALSE(controls.isVisible());
    EXPECT_EQ(controls.Edit1->text(), QStringLiteral("Edit 5"));
    EXPECT_FALSE(controls.Timer1->isActive());
    platform::clear_stop_request();

    TGraphics_2D_Form two_d;
    QTimer::singleShot(0, [] { QTimer::singleShot(0, [] { platform::request_stop(); }); });
    exec_display(two_d);
    EXPECT_FALSE(two_d.isVisible());
    EXPECT_LT(two_d.Num_Manipulations_per_Shape_SpinEdit->Value(), 3);
    EXPECT_FALSE(two_d.Timer1->isActive());
    platform::clear_stop_request();
}

// ---- 2D test ----

QRgb colour_of(const platform::TShape* shape) {
    return shape->brushColor().rgba();
}

constexpr QRgb white = 0xFFFFFFFF, red = 0xFFFF0000, lime = 0xFF00FF00, blue = 0xFF0000FF,
               olive = 0xFF808000, yellow = 0xFFFFFF00;

TEST(Graphics_2D_Form, DesignShapes) {
    TGraphics_2D_Form form;
    using Kind = platform::TShape::Kind;
    const platform::TShape* shapes[] = {form.Shape1, form.Shape2, form.Shape3,
                                        form.Shape4, form.Shape5, form.Shape6};
    const Kind kinds[] = {Kind::Rectangle, Kind::Circle,      Kind::Ellipse,
                          Kind::RoundRect, Kind::RoundSquare, Kind::Square};
    const QRgb colours[] = {white, red, lime, blue, olive, yellow};
    const QRect bounds[] = {QRect(28, 44, 105, 65),  QRect(172, 48, 65, 65),
                            QRect(276, 48, 129, 65), QRect(32, 146, 85, 65),
                            QRect(168, 146, 65, 65), QRect(308, 146, 65, 65)};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(shapes[i]->objectName(), QStringLiteral("Shape%1").arg(i + 1));
        EXPECT_EQ(shapes[i]->shape(), kinds[i]);
        EXPECT_EQ(colour_of(shapes[i]), colours[i]);
        EXPECT_EQ(shapes[i]->geometry(), bounds[i]);
    }
    EXPECT_EQ(form.Max_Repetitions_SpinEdit->Value(), 50);
    EXPECT_EQ(form.Num_Manipulations_per_Shape_SpinEdit->Value(), 0);
    EXPECT_EQ(form.Timer1->interval(), 25);
    EXPECT_FALSE(form.Timer1->isActive());
}

TEST(Graphics_2D_Form, FirstDisplayFromTheDesign) {
    TGraphics_2D_Form form;
    Paint_Counter painted(form.Shape1);
    exec_display(form);

    EXPECT_EQ(form.Num_Manipulations_per_Shape_SpinEdit->Value(), 3);
    EXPECT_EQ(Test_Pixel_Count_Of(form), 5011500.0L);
    // 50 steps round a cycle of 6: two steps on.
    EXPECT_EQ(colour_of(form.Shape1), lime);
    EXPECT_EQ(colour_of(form.Shape2), blue);
    EXPECT_EQ(colour_of(form.Shape3), olive);
    EXPECT_EQ(colour_of(form.Shape4), yellow);
    EXPECT_EQ(colour_of(form.Shape5), white);
    EXPECT_EQ(colour_of(form.Shape6), red);
    // Each shape stands where the next one's design put it; the last where Shape1 began.
    EXPECT_EQ(form.Shape1->pos(), QPoint(172, 48));
    EXPECT_EQ(form.Shape2->pos(), QPoint(276, 48));
    EXPECT_EQ(form.Shape3->pos(), QPoint(32, 146));
    EXPECT_EQ(form.Shape4->pos(), QPoint(168, 146));
    EXPECT_EQ(form.Shape5->pos(), QPoint(308, 146));
    EXPECT_EQ(form.Shape6->pos(), QPoint(28, 44));

    EXPECT_EQ(outer_size(form), QSize(442, 262));
    EXPECT_EQ(form.pos(),
              graphics::centred_position(QGuiApplication::primaryScreen()->geometry().size(),
                                         QSize(442, 262)));
    // Every recolouring of Shape1 is painted before the next.
    EXPECT_GE(painted.count, 50);
    EXPECT_FALSE(form.Timer1->isActive());
}

TEST(Graphics_2D_Form, LaterDisplaysCarryColoursAndTheRecordedPlaceOver) {
    TGraphics_2D_Form form;
    exec_display(form);
    exec_display(form);
    // Four steps on from the design colours; Shape6 takes Shape1's place at the start.
    EXPECT_EQ(colour_of(form.Shape1), olive);
    EXPECT_EQ(colour_of(form.Shape6), blue);
    EXPECT_EQ(form.Shape1->pos(), QPoint(172, 48));
    EXPECT_EQ(form.Shape6->pos(), QPoint(172, 48));
    EXPECT_EQ(form.Num_Manipulations_per_Shape_SpinEdit->Value(), 3);
    EXPECT_EQ(Test_Pixel_Count_Of(form), 5011500.0L);
}

TEST(Graphics_2D_Form, RepetitionCountDecidesTheWork) {
    TGraphics_2D_Form form;
    // A colour outside the cycle is left alone.
    form.Shape3->setBrushColor(QColor(10, 20, 30));
    form.Max_Repetitions_SpinEdit->setValue(1);
    exec_display(form);
    EXPECT_EQ(form.Num_Manipulations_per_Shape_SpinEdit->Value(), 3);
    EXPECT_EQ(Test_Pixel_Count_Of(form), 33410.0L * 3);
    EXPECT_EQ(colour_of(form.Shape1), red);
    EXPECT_EQ(colour_of(form.Shape3), QColor(10, 20, 30).rgba());
    EXPECT_EQ(colour_of(form.Shape6), white);

    // No repetitions: nothing moves or changes colour, the counter keeps its last value, and the
    // window still closes.
    form.Max_Repetitions_SpinEdit->setValue(0);
    const QPoint shape1 = form.Shape1->pos();
    exec_display(form);
    EXPECT_EQ(form.Num_Manipulations_per_Shape_SpinEdit->Value(), 3);
    EXPECT_EQ(Test_Pixel_Count_Of(form), 0.0L);
    EXPECT_EQ(colour_of(form.Shape1), red);
    EXPECT_EQ(form.Shape1->pos(), shape1);
}

// The lookup by name is part of the measured work, once for every colour test, colour change
// and position read or write: no more, no fewer.
TEST(Graphics_2D_Form, LooksEachShapeUpOncePerReadOrWrite) {
    TGraphics_2D_Form form;
    form.Max_Repetitions_SpinEdit->setValue(1);
    long long colour_work = 0;
    for (QRgb colour : graphics::colour_cycle) {
        const auto next = graphics::next_cycle_colour([&] {
            ++colour_work;
            return colour;
        });
        colour_work += next ? 1 : 0;
    }
    exec_display(form);
    // The recorded place of Shape1 (two reads); per shape, Top and Left set back to the design
    // (two writes); then the recolouring; then Top and Left of the next shape read and written for
    // five shapes, and the last shape's two writes.
    EXPECT_EQ(form.Shape_Lookups(), 2 + 6 * 2 + colour_work + 5 * 4 + 2);
}

TEST(Graphics_2D_Form, ActivationDuringTheTestDoesNotStartItAgain) {
    TGraphics_2D_Form form;
    form.Max_Repetitions_SpinEdit->setValue(5);
    int recolours = 0;
    struct Spy : QObject {
        int* count;
        TGraphics_2D_Form* form;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint && ++*count == 2) {
                QEvent activate(QEvent::WindowActivate);
                QCoreApplication::sendEvent(form, &activate);
            }
            return false;
        }
    } spy;
    spy.count = &recolours;
    spy.form = &form;
    form.Shape1->installEventFilter(&spy);
    exec_display(form);
    // Five steps on, as if only one test ran; a nested second run would make it ten.
    EXPECT_EQ(colour_of(form.Shape1), yellow);
    EXPECT_EQ(colour_of(form.Shape2), white);
}

} // namespace
} // namespace smx::engine
