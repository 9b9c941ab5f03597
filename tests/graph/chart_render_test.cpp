#include "graph/Chart.h"
#include "graph/Result_Rows.h"

#include <QImage>
#include <QLocale>
#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace smx::graph {
namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kLime = qRgb(0, 255, 0);
const QRgb kMarkBack = qRgb(255, 255, 128);

// Displayed values, top row first (the order of the tests), turned into stored rates.
Rates rates_shown_as(std::array<long double, 7> shown) {
    shown[0] *= 1e6L; // MIops
    shown[1] *= 1e6L; // MFops
    shown[6] *= 1e3L; // KPix
    return shown;
}

struct Band {
    QRgb colour;
    int top;
    int bottom; // exclusive
    int mid() const { return (top + bottom) / 2; }
};

class Chart_Render : public ::testing::Test {
protected:
    void SetUp() override {
        chart.setLocale(QLocale::c());
        chart.Apply_Fixed_Appearance();
    }

    void show(const Rates& main, const Rates& compare, bool marks = false) {
        chart.Series1->clear();
        chart.Series2->clear();
        add_result_points(*chart.Series1, main);
        add_result_points(*chart.Series2, compare);
        chart.Series1->set_marks_visible(marks);
        chart.Series2->assign_style(*chart.Series1);
    }

    QImage render() {
        QImage image(chart.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        chart.render(&image);
        return image;
    }

    // The leftmost column holding a bar's own colour: where the bars start.
    static int bars_left(const QImage& img) {
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if (img.pixel(x, y) == kRed || img.pixel(x, y) == kLime)
                    return x;
        return -1;
    }

    // Runs of pure red or lime, top to bottom, in one column.
    static std::vector<Band> bands(const QImage& img, int x) {
        std::vector<Band> out;
        for (int y = 0; y < img.height(); ++y) {
            const QRgb c = img.pixel(x, y);
            if (c != kRed && c != kLime)
                continue;
            if (!out.empty() && out.back().colour == c && out.back().bottom == y)
                ++out.back().bottom;
            else
                out.push_back(Band{c, y, y + 1});
        }
        return out;
    }

    // Length of the run of the band's colour along its middle line, from the bars' left edge.
    static int length(const QImage& img, const Band& b, int left) {
        int x = left;
        while (x < img.width() && img.pixel(x, b.mid()) == b.colour)
            ++x;
        return x - left;
    }

    static int count(const QImage& img, QRgb colour, QRect area = {}) {
        if (area.isNull())
            area = img.rect();
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += img.pixel(x, y) == colour;
        return n;
    }

    TChart chart;
};

TEST_F(Chart_Render, RowsReadInTestOrderWithRedAboveLimeAndLogLengths) {
    const std::array<long double, 7> main{1e6L, 10, 1e4L, 100, 1e5L, 1000, 31.6L};
    const std::array<long double, 7> compare{5, 2e5L, 50, 3e4L, 20, 500, 1000};
    show(rates_shown_as(main), rates_shown_as(compare));
    const QImage img = render();
    const int left = bars_left(img);
    ASSERT_GE(left, 0);

    const std::vector<Band> b = bands(img, left + 2);
    ASSERT_EQ(b.size(), 14u);
    const auto layout = chart.compute_layout();
    ASSERT_EQ(layout.rows.size(), 7u);
    const char* labels[] = {"Integer (MIops/Sec)", "Float (MFops/Sec)", "Memory (MB/Sec)",
                            "Sm Files (KB/Sec)",   "Lg Files (KB/Sec)", "Windows (Ctrls/Sec)",
                            "Graphics (KPix/Sec)"};
    const double full = length(img, b[0], left); // the top red bar holds the greatest value
    for (int row = 0; row < 7; ++row) {
        const Band& red = b[2 * row];
        const Band& lime = b[2 * row + 1];
        EXPECT_EQ(red.colour, kRed) << "row " << row;
        EXPECT_EQ(lime.colour, kLime) << "row " << row;
        EXPECT_LT(red.bottom, lime.top + 3) << "row " << row;
        // Each row's label sits level with its pair of bars.
        EXPECT_EQ(layout.rows[row].label, QString::fromLatin1(labels[row]));
        const int label_mid = layout.rows[row].label_rect.center().y();
        EXPECT_GT(label_mid, red.top) << labels[row];
        EXPECT_LT(label_mid, lime.bottom) << labels[row];
        // Lengths follow log(value) / log(greatest), within the bars' one-pixel frames.
        EXPECT_NEAR(length(img, red, left), full * std::log10(double(main[row])) / 6, 3)
            << labels[row];
        EXPECT_NEAR(length(img, lime, left), full * std::log10(double(compare[row])) / 6, 3)
            << labels[row];
    }
}

TEST_F(Chart_Render, EachRowsRedBarStandsInFrontOfTheLimeBarsTopFace) {
    // Lime longer than red, and the other way round: in both the lime bar's top face lies
    // behind the red bar above it, so the red front face shows whole.
    const std::array<long double, 7> main{10, 1e5L, 10, 1e5L, 10, 1e5L, 10};
    const std::array<long double, 7> compare{1e5L, 10, 1e5L, 10, 1e5L, 10, 1e5L};
    show(rates_shown_as(main), rates_shown_as(compare));
    for (const QSize size : {QSize(535, 367), QSize(1070, 734)}) {
        SCOPED_TRACE(size.width());
        chart.resize(size);
        const QImage img = render();
        const auto layout = chart.compute_layout();
        int red_bars = 0;
        for (const auto& bar : layout.bars) {
            if (bar.series != 0 || bar.front.isEmpty())
                continue;
            ++red_bars;
            // Inside the one-pixel outline.
            const QRect inside = bar.front.adjusted(1, 1, -2, -2);
            EXPECT_EQ(count(img, kRed, inside), inside.width() * inside.height())
                << "row " << bar.row_from_top;
        }
        EXPECT_EQ(red_bars, 7);
    }
}

TEST_F(Chart_Render, NoBarForZeroBelowOneOrExactlyOne) {
    show(rates_shown_as({0, 0.4L, 1, 1000, 0, 0, 0}), Rates{});
    const QImage img = render();
    const std::vector<Band> b = bands(img, bars_left(img) + 2);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].colour, kRed);
    const int label_mid = chart.compute_layout().rows[3].label_rect.center().y(); // Sm Files
    EXPECT_GT(label_mid, b[0].top);
    EXPECT_EQ(count(img, kLime), 0);
}

TEST_F(Chart_Render, NoBarsWhenNothingExceedsOne) {
    show(rates_shown_as({1, 0.5L, 0, 0.9L, 1, 0, 0.2L}), rates_shown_as({0, 1, 0.99L, 0, 0, 0, 0}),
         true);
    const QImage img = render();
    EXPECT_EQ(count(img, kRed), 0);
    EXPECT_EQ(count(img, kLime), 0);
    // The marks still report the values.
    EXPECT_GT(count(img, kMarkBack), 0);
}

TEST_F(Chart_Render, MarksAppearOnBothSeriesTogetherAndMakeRoomForThemselves) {
    const Rates main = rates_shown_as({123.4L, 45, 5500, 12000, 85000, 15000, 4567});
    const Rates compare = rates_shown_as({98.7L, 60, 3300, 6000, 125000, 9000, 3210});
    show(main, compare, false);
    const QImage plain = render();
    EXPECT_EQ(count(plain, kMarkBack), 0);
    const int left = bars_left(plain);
    const std::vector<Band> plain_bands = bands(plain, left + 2);
    ASSERT_EQ(plain_bands.size(), 14u);
    const int longest_plain = length(plain, plain_bands[9], left); // lime Lg Files: 125,000

    show(main, compare, true);
    const QImage marked = render();
    const std::vector<Band> b = bands(marked, left + 2);
    ASSERT_EQ(b.size(), 14u);
    // The scale shrinks so that the widest mark fits right of the longest bar.
    EXPECT_LT(length(marked, b[9], left), longest_plain - 20);
    for (const Band& band : b) {
        const int end = left + length(marked, band, left);
        int first_mark = -1;
        int last_mark = -1;
        for (int x = end; x < marked.width(); ++x)
            if (marked.pixel(x, band.mid()) == kMarkBack) {
                if (first_mark < 0)
                    first_mark = x;
                last_mark = x;
            }
        ASSERT_GT(first_mark, 0) << "band at y " << band.top;
        // Joined by a connector, not touching the bar; framed inside the chart.
        EXPECT_GE(first_mark - end, 20) << "band at y " << band.top;
        EXPECT_LT(last_mark, marked.width() - 2);
    }

    // Hiding the marks of Series1 and copying its style hides both.
    show(main, compare, false);
    EXPECT_EQ(render(), plain);
}

TEST_F(Chart_Render, MarkTextsFollowTheLocale) {
    show(rates_shown_as({1234.56L, 1234, 0, 0, 0, 0, 0}), Rates{}, true);
    auto texts = [&] {
        std::vector<QString> out;
        for (const auto& bar : chart.compute_layout().bars)
            if (bar.series == 0 && bar.row_from_top < 2)
                out.push_back(bar.mark_text);
        return out;
    };
    // Points are added bottom up: Float comes before Integer.
    EXPECT_EQ(texts(), (std::vector<QString>{QStringLiteral("1,234"), QStringLiteral("1,234.6")}));
    const QImage english = render();

    chart.setLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(texts(), (std::vector<QString>{QStringLiteral("1.234"), QStringLiteral("1.234,6")}));
    const QImage german = render();
    EXPECT_NE(english, german);
    for (const auto& bar : chart.compute_layout().bars)
        if (bar.series == 1) {
            EXPECT_EQ(bar.mark_text, QStringLiteral("0"));
        }
}

TEST_F(Chart_Render, FixedAppearanceGivesDepthAndAnUnfilledBackWall) {
    TChart plain_chart;
    plain_chart.Series1->add(1000, QStringLiteral("A"), QColor(kRed));
    plain_chart.Series1->add(10, QStringLiteral("B"), QColor(kRed));
    QImage before(plain_chart.size(), QImage::Format_RGB32);
    plain_chart.render(&before);
    // A linear scale at first: 10 is a hundredth of 1000.
    const int left = bars_left(before);
    std::vector<Band> b = bands(before, left + 2);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_LT(length(before, b[0], left) * 20, length(before, b[1], left));
    auto layout = plain_chart.compute_layout();
    const QPoint open_wall(layout.plot.right() - 3, layout.plot.top() + 3);
    EXPECT_EQ(before.pixel(open_wall), qRgb(255, 255, 255));

    plain_chart.Apply_Fixed_Appearance();
    QImage after(plain_chart.size(), QImage::Format_RGB32);
    plain_chart.render(&after);
    b = bands(after, left + 2);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_NEAR(length(after, b[0], left) * 3, length(after, b[1], left), 6); // log: 1 to 3
    layout = plain_chart.compute_layout();
    EXPECT_GT(layout.depth_x, 0);
    EXPECT_EQ(after.pixel(layout.plot.right() - 3, layout.plot.top() + 3),
              plain_chart.palette().color(QPalette::Window).rgb());
    // The top face of a bar shows above its front, in a lighter shade of its colour.
    const QColor top_face = after.pixel(left + 6, b[1].top - 3);
    EXPECT_EQ(top_face.red(), 255);
    EXPECT_GT(top_face.green(), 0);
    EXPECT_TRUE(plain_chart.title().isEmpty());
    EXPECT_TRUE(plain_chart.footer().isEmpty());
}

TEST_F(Chart_Render, FooterAppearsUnderTheGraphAndLeavesNoTrace) {
    show(rates_shown_as({100, 100, 100, 100, 100, 100, 100}), Rates{});
    const QImage before = render();
    chart.set_footer({QStringLiteral("Courtesy of : Windows PC Speedmetrix v1.3f          WEB Page "
                                     ": https://speedmetrix.example.org/")});
    const QImage with_footer = render();
    const auto layout = chart.compute_layout();
    ASSERT_FALSE(layout.footer_rect.isEmpty());
    EXPECT_GE(layout.footer_rect.left(), 0);
    EXPECT_LE(layout.footer_rect.right(), chart.width());
    int blue = 0;
    for (int y = layout.footer_rect.top(); y <= layout.footer_rect.bottom(); ++y)
        for (int x = 0; x < with_footer.width(); ++x) {
            const QColor c = with_footer.pixel(x, y);
            blue += c.blue() > c.red() + 60 && c.blue() > c.green() + 60;
        }
    EXPECT_GT(blue, 100);
    // The bars make room for it.
    EXPECT_LT(layout.plot.bottom(), layout.footer_rect.top());
    chart.set_footer({});
    EXPECT_EQ(render(), before);
}

class Chart_Sizes : public Chart_Render, public ::testing::WithParamInterface<QSize> {};

TEST_P(Chart_Sizes, LabelsMarksAndBarsStayInsideTheChart) {
    show(rates_shown_as({2100, 850, 5500, 12000, 85000, 15000, 32000}),
         rates_shown_as({1200, 910, 3300, 6000, 1250000, 9000, 15000}), true);
    chart.resize(GetParam());
    const auto layout = chart.compute_layout();
    const QRect whole = chart.rect();
    ASSERT_EQ(layout.rows.size(), 7u);
    for (const auto& row : layout.rows) {
        EXPECT_TRUE(whole.contains(row.label_rect)) << row.label.toStdString();
        EXPECT_LT(row.label_rect.right(), layout.plot.left());
    }
    for (std::size_t i = 0; i < layout.bars.size(); ++i) {
        const auto& bar = layout.bars[i];
        EXPECT_TRUE(whole.contains(bar.mark_box)) << i;
        if (!bar.front.isEmpty()) {
            EXPECT_TRUE(layout.plot.contains(bar.front)) << i;
        }
        for (std::size_t j = i + 1; j < layout.bars.size(); ++j)
            EXPECT_FALSE(bar.mark_box.intersects(layout.bars[j].mark_box)) << i << " " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Scaled, Chart_Sizes,
                         ::testing::Values(QSize(535, 367), QSize(1070, 734), QSize(268, 184),
                                           QSize(1070, 367), QSize(535, 734), QSize(400, 300),
                                           QSize(1600, 1100)));

TEST_F(Chart_Render, TinySizesDropTextButKeepBarsInside) {
    show(rates_shown_as({2100, 850, 5500, 12000, 85000, 15000, 32000}), Rates{}, true);
    for (QSize size : {QSize(0, 0), QSize(10, 7), QSize(53, 36)}) {
        chart.resize(size);
        const auto layout = chart.compute_layout();
        for (const auto& bar : layout.bars) {
            EXPECT_FALSE(bar.mark_shown) << size.width();
            if (!bar.front.isEmpty()) {
                EXPECT_TRUE(chart.rect().contains(bar.front)) << size.width();
            }
        }
        for (const auto& row : layout.rows)
            EXPECT_TRUE(row.label_rect.isEmpty()) << size.width();
        if (!size.isEmpty())
            render();
    }
}

TEST_F(Chart_Render, DesignSizeKeepsTheTopRightCornerFree) {
    // The "Show Values" box lies over the chart's top right corner, down to y = 21.
    show(rates_shown_as({125000, 850, 5500, 12000, 85000, 15000, 32000}), Rates{}, true);
    const QImage img = render();
    const QRect corner(436, 0, chart.width() - 436, 22);
    EXPECT_EQ(count(img, kMarkBack, corner), 0);
    EXPECT_EQ(count(img, kRed, corner), 0);
    EXPECT_GT(count(img, kMarkBack), 0);
}

} // namespace
} // namespace smx::graph
