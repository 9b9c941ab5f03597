#include "app/MainForm1.h"
#include "graph/Chart.h"
#include "platform/Shape.h"
#include "test_support.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

using smx::app::TMainForm1;

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kLime = qRgb(0, 255, 0);
const QRgb kMarkBack = qRgb(255, 255, 128);

class Graph_Page : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form = std::make_unique<TMainForm1>();
        form->show();
        // Back to the reference client size, so every control has its design size.
        form->SetClientSize(659, 447);
        // The first show gives the graph this look (checked on its own below); applying it
        // again changes nothing, and keeps these tests about the drawing.
        form->Chart1->Apply_Fixed_Appearance();
        form->PageControl1->setCurrentIndex(1);
        form->Chart1->setLocale(QLocale::c());
    }

    void set(smx::engine::TBenchmark_Results& r, const char* name,
             std::array<long double, 7> rates) {
        r.Name = QString::fromLatin1(name);
        for (int i = 0; i < 7; ++i)
            r.rate(i) = rates[static_cast<std::size_t>(i)];
    }

    // The results page as the user sees it.
    QImage page() {
        QImage image(form->TabSheet2->size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        form->TabSheet2->render(&image);
        return image;
    }

    static int count(const QImage& img, QRgb colour, const QRect& area) {
        int n = 0;
        const QRect r = area.intersected(img.rect());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += img.pixel(x, y) == colour;
        return n;
    }

    // Marks of one series shown in the chart's part of the page.
    int marks_of(const QImage& img, int series) {
        int n = 0;
        for (const auto& bar : form->Chart1->compute_layout().bars)
            if (bar.series == series && bar.mark_shown)
                n += count(img, kMarkBack, bar.mark_box.translated(form->Chart1->pos())) > 0;
        return n;
    }

    QTemporaryDir dir;
    smx::test::Executable_In exe{dir.path()};
    std::unique_ptr<TMainForm1> form;
};

TEST_F(Graph_Page, FirstShowGivesTheGraphItsFixedLook) {
    form = std::make_unique<TMainForm1>();
    form->show();
    const auto* chart = form->Chart1;
    EXPECT_TRUE(chart->logarithmic());
    EXPECT_TRUE(chart->view_3d());
    EXPECT_FALSE(chart->back_wall_filled());
    EXPECT_EQ(chart->label_points(), 9);
    EXPECT_TRUE(chart->label_bold());
    EXPECT_EQ(form->Series1->marks().format, QStringLiteral("###,##0.#"));
    EXPECT_EQ(form->Series2->marks(), form->Series1->marks());
    EXPECT_TRUE(chart->title().isEmpty());
    EXPECT_TRUE(chart->footer().isEmpty());
}

TEST_F(Graph_Page, RedrawShowsBothSetsWithTheirNames) {
    set(form->Main_Results, "This PC", {2.1e9L, 8.5e8L, 5500, 12000, 85000, 15000, 3.2e7L});
    set(form->Compare_Results, "Office PC", {1.2e9L, 9.1e8L, 3300, 6000, 125000, 9000, 1.5e7L});
    form->Graph_Results_BitBtnClick();

    EXPECT_EQ(form->Series1->title(), QStringLiteral("This PC"));
    EXPECT_EQ(form->Main_Series_Label->text(), QStringLiteral("This PC"));
    EXPECT_EQ(form->Series2->title(), QStringLiteral("Office PC"));
    EXPECT_EQ(form->Compare_Series_Label->text(), QStringLiteral("Office PC"));
    ASSERT_EQ(form->Series1->count(), 7);
    // Bottom row first: Graphics in KPix/Sec ... Integer in MIops/Sec.
    EXPECT_DOUBLE_EQ(double(form->Series1->point(0).value), 32000);
    EXPECT_DOUBLE_EQ(double(form->Series1->point(6).value), 2100);
    EXPECT_DOUBLE_EQ(double(form->Series2->point(2).value), 125000);

    const QImage img = page();
    const QRect chart = form->Chart1->geometry();
    EXPECT_GT(count(img, kRed, chart), 1000);
    EXPECT_GT(count(img, kLime, chart), 1000);
    EXPECT_EQ(count(img, kRed, form->Shape1->geometry().adjusted(1, 1, -1, -1)),
              (41 - 2) * (17 - 2));

    // A second redraw replaces everything the first one drew.
    set(form->Main_Results, "Other", {0, 0, 0, 0, 0, 0, 0});
    form->Graph_Results_BitBtnClick();
    EXPECT_EQ(form->Series1->count(), 7);
    EXPECT_EQ(count(page(), kRed, chart), 0);
}

TEST_F(Graph_Page, ShowValuesTogglesMarksOnBothSeriesAtOnce) {
    set(form->Main_Results, "This PC", {2.1e9L, 8.5e8L, 5500, 12000, 85000, 15000, 3.2e7L});
    set(form->Compare_Results, "Office PC", {1.2e9L, 9.1e8L, 3300, 6000, 125000, 9000, 1.5e7L});
    form->Graph_Results_BitBtnClick();
    ASSERT_FALSE(form->Show_Values_CheckBox->isChecked());
    EXPECT_EQ(count(page(), kMarkBack, form->Chart1->geometry()), 0);

    form->Show_Values_CheckBox->click();
    QImage img = page();
    EXPECT_EQ(marks_of(img, 0), 7);
    EXPECT_EQ(marks_of(img, 1), 7);

    // A stale look on the comparison series is overwritten by the redraw.
    form->Series2->set_marks_visible(false);
    form->Graph_Results_BitBtnClick();
    EXPECT_EQ(marks_of(page(), 1), 7);

    form->Show_Values_CheckBox->click();
    EXPECT_EQ(count(page(), kMarkBack, form->Chart1->geometry()), 0);
}

TEST_F(Graph_Page, NoComparisonSetLeavesTheLimeSwatchAndZeroMarks) {
    set(form->Main_Results, "This PC", {2.1e9L, 8.5e8L, 5500, 12000, 85000, 15000, 3.2e7L});
    form->Compare_Results = {};
    form->Show_Values_CheckBox->setChecked(true);
    form->Graph_Results_BitBtnClick();

    EXPECT_TRUE(form->Compare_Series_Label->text().isEmpty());
    const QImage img = page();
    EXPECT_EQ(count(img, kLime, form->Chart1->geometry()), 0);
    EXPECT_TRUE(form->Shape2->isVisible());
    EXPECT_EQ(count(img, kLime, form->Shape2->geometry().adjusted(1, 1, -1, -1)),
              (41 - 2) * (17 - 2));
    for (const auto& bar : form->Chart1->compute_layout().bars)
        if (bar.series == 1) {
            EXPECT_EQ(bar.mark_text, QStringLiteral("0"));
        }
    EXPECT_EQ(marks_of(img, 1), 7);
}

TEST_F(Graph_Page, RedrawPaintsWithoutWaitingForTheEventLoop) {
    QCoreApplication::processEvents();
    struct Paint_Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    form->Chart1->installEventFilter(&counter);
    set(form->Main_Results, "This PC", {2.1e9L, 8.5e8L, 5500, 12000, 85000, 15000, 3.2e7L});
    form->Graph_Results_BitBtnClick();
    EXPECT_GE(counter.paints, 1);
    form->Chart1->removeEventFilter(&counter);
}

class Graph_Page_Sizes : public Graph_Page, public ::testing::WithParamInterface<QSize> {};

TEST_P(Graph_Page_Sizes, MarksAndLabelsStayClearOfTheCheckBoxAndInsideTheChart) {
    set(form->Main_Results, "This PC", {2.1e9L, 8.5e8L, 5500, 12000, 1250000, 15000, 3.2e7L});
    set(form->Compare_Results, "Office PC", {1.2e9L, 9.1e8L, 3300, 6000, 125000, 9000, 1.5e7L});
    form->Show_Values_CheckBox->setChecked(true);
    form->Graph_Results_BitBtnClick();
    form->SetClientSize(GetParam().width(), GetParam().height());

    const auto* chart = form->Chart1;
    const auto layout = chart->compute_layout();
    const QRect box = form->Show_Values_CheckBox->geometry().translated(-chart->pos());
    for (const auto& row : layout.rows)
        EXPECT_TRUE(chart->rect().contains(row.label_rect)) << row.label.toStdString();
    for (const auto& bar : layout.bars) {
        EXPECT_TRUE(chart->rect().contains(bar.mark_box)) << bar.mark_text.toStdString();
        EXPECT_FALSE(bar.mark_box.intersects(box)) << bar.mark_text.toStdString();
        EXPECT_FALSE(bar.front.intersects(box)) << bar.mark_text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Window, Graph_Page_Sizes,
                         ::testing::Values(QSize(659, 447), QSize(1318, 894), QSize(330, 224),
                                           QSize(1318, 447), QSize(659, 894), QSize(900, 600)));

} // namespace
