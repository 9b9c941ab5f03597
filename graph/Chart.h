#pragma once
#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace smx::graph {

// What a value mark shows.
enum class TMark_Style { Value, Label };

// The value marks of a series: small framed boxes right of each bar's end, joined to it by a
// connector line.
struct TSeries_Marks {
    bool visible = false;
    TMark_Style style = TMark_Style::Value;
    double font_points = 8;
    QString format = QStringLiteral("#,##0.###");
    QColor back_color = QColor(255, 255, 128);
    int arrow_length = 20; // connector length in pixels at the chart's design size
    friend bool operator==(const TSeries_Marks&, const TSeries_Marks&) = default;
};

struct TBar_Point {
    long double value = 0;
    QString label;
    QColor color;
};

// A bar series of the chart: one point per row, kept in the order in which they were added
// (the first point is the bottom row). It holds no geometry; the chart lays it out.
class TBarSeries : public QObject {
    Q_OBJECT
public:
    TBarSeries(const QColor& color, QObject* parent);

    QString title() const { return title_; }
    void set_title(const QString& title);
    QColor color() const { return color_; }
    void set_color(const QColor& color);

    void clear();
    void add(long double value, const QString& label, const QColor& color);
    int count() const { return static_cast<int>(points_.size()); }
    const TBar_Point& point(int index) const { return points_.at(static_cast<std::size_t>(index)); }

    const TSeries_Marks& marks() const { return marks_; }
    void set_marks(const TSeries_Marks& marks);
    void set_marks_visible(bool visible);

    // Bars start at the origin value when use_origin is set, else at the axis start.
    bool use_origin() const { return use_origin_; }
    long double origin() const { return origin_; }
    void set_origin(bool use, long double origin);

    // Takes over the look that both sets must share: marks and bar origin. Points, colour and
    // title stay this series' own.
    void assign_style(const TBarSeries& other);

    // The text of a point's mark in the given locale.
    QString mark_text(int index, const QLocale& locale) const;

Q_SIGNALS:
    void changed();

private:
    QString title_;
    QColor color_;
    std::vector<TBar_Point> points_;
    TSeries_Marks marks_;
    bool use_origin_ = false;
    long double origin_ = 0;
};

// The results graph: horizontal bars in rows, on a shared value axis, painted by hand. It shows
// only what its series hold; the chart's own legend and value axis are never drawn.
class TChart : public QWidget {
    Q_OBJECT
public:
    // The size the chart is designed at; fonts and the connector scale with the chart from here.
    static constexpr QSize Design_Size{535, 367};

    explicit TChart(QWidget* parent = nullptr);

    TBarSeries* Series1 = nullptr; // red: the current set
    TBarSeries* Series2 = nullptr; // lime: the comparison set

    // The graph's fixed look, applied once before it is first drawn: no title or footer,
    // logarithmic value axis, bold 9-point row labels, 35 % bars from the origin 0, value marks
    // of 8 points formatted "###,##0.#", 3-D bars and walls 15 % deep, unfilled back wall.
    void Apply_Fixed_Appearance();

    QStringList title() const { return title_; }
    void set_title(const QStringList& lines);
    QStringList footer() const { return footer_; }
    void set_footer(const QStringList& lines);

    bool logarithmic() const { return logarithmic_; }
    void set_logarithmic(bool on);
    bool view_3d() const { return view_3d_; }
    void set_view_3d(bool on);
    // Depth of the 3-D look, in percent of one row's share of the chart's height.
    int depth_percent() const { return depth_percent_; }
    void set_depth_percent(int percent);
    bool back_wall_filled() const { return back_wall_filled_; }
    void set_back_wall_filled(bool filled);
    // Thickness of each bar, in percent of one row's share of the plot height.
    double bar_width_percent() const { return bar_width_percent_; }
    void set_bar_width_percent(double percent);
    double label_points() const { return label_points_; }
    bool label_bold() const { return label_bold_; }
    void set_label_font(double points, bool bold);

    std::vector<TBarSeries*> series() const { return {Series1, Series2}; }

    // Where everything goes at the chart's current size. Painting draws exactly this.
    struct Bar_Place {
        int series = 0;
        int point = 0;
        int row_from_top = 0;
        QRect front;        // the bar's front face; empty when the bar has no length
        QPoint mark_anchor; // where the connector leaves the bar's end
        QRect mark_box;
        QString mark_text;
        bool mark_shown = false;
    };
    struct Row_Place {
        QString label;
        QRect label_rect;
    };
    struct Layout {
        double font_scale = 1;
        QRect plot; // front face of the plot area
        int depth_x = 0;
        int depth_y = 0;
        int span = 0; // pixels from the axis start to the right end of the scale
        long double axis_max = 0;
        QRect title_rect;
        QRect footer_rect;
        double footer_points = 0;
        std::vector<Row_Place> rows; // top row first
        std::vector<Bar_Place> bars;
    };
    Layout compute_layout() const;

    QSize sizeHint() const override { return Design_Size; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont scaled_font(double points, bool bold, double scale) const;

    QStringList title_;
    QStringList footer_;
    bool logarithmic_ = false;
    bool view_3d_ = false;
    int depth_percent_ = 15;
    bool back_wall_filled_ = true;
    double bar_width_percent_ = 70;
    double label_points_ = 8;
    bool label_bold_ = false;
};

} // namespace smx::graph
