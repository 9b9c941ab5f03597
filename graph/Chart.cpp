#include "graph/Chart.h"

#include "graph/Graph_Geometry.h"
#include "graph/Series_Colours.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

namespace smx::graph {
namespace {

const QString kChartFont = QStringLiteral("Arial");
const QColor kWallFrame(128, 128, 128);
const QColor kWallFill(224, 224, 224);
const QColor kFooterText(0, 0, 128);

int round_px(double v) {
    return static_cast<int>(std::lround(v));
}

// Fonts smaller than this are not drawn at all: at such sizes the text is unreadable anyway
// and would only smear over the bars.
constexpr double kSmallestPoints = 1.0;

} // namespace

// ---------------------------------------------------------------------------------------------
// TBarSeries

TBarSeries::TBarSeries(const QColor& color, QObject* parent) : QObject(parent), color_(color) {}

void TBarSeries::set_title(const QString& title) {
    title_ = title;
    Q_EMIT changed();
}

void TBarSeries::set_color(const QColor& color) {
    color_ = color;
    Q_EMIT changed();
}

void TBarSeries::clear() {
    points_.clear();
    Q_EMIT changed();
}

void TBarSeries::add(long double value, const QString& label, const QColor& color) {
    points_.push_back(TBar_Point{value, label, color});
    Q_EMIT changed();
}

void TBarSeries::set_marks(const TSeries_Marks& marks) {
    marks_ = marks;
    Q_EMIT changed();
}

void TBarSeries::set_marks_visible(bool visible) {
    marks_.visible = visible;
    Q_EMIT changed();
}

void TBarSeries::set_origin(bool use, long double origin) {
    use_origin_ = use;
    origin_ = origin;
    Q_EMIT changed();
}

void TBarSeries::assign_style(const TBarSeries& other) {
    marks_ = other.marks_;
    use_origin_ = other.use_origin_;
    origin_ = other.origin_;
    Q_EMIT changed();
}

QString TBarSeries::mark_text(int index, const QLocale& locale) const {
    const TBar_Point& p = point(index);
    if (marks_.style == TMark_Style::Label)
        return p.label;
    return format_number(p.value, marks_.format, locale);
}

// ---------------------------------------------------------------------------------------------
// TChart

TChart::TChart(QWidget* parent) : QWidget(parent) {
    Series1 = new TBarSeries(Series_Colour(0), this);
    Series1->setObjectName(QStringLiteral("Series1"));
    Series2 = new TBarSeries(Series_Colour(1), this);
    Series2->setObjectName(QStringLiteral("Series2"));
    for (TBarSeries* s : series())
        connect(s, &TBarSeries::changed, this, qOverload<>(&QWidget::update));
    resize(Design_Size);
}

void TChart::Apply_Fixed_Appearance() {
    title_.clear();
    footer_.clear();
    logarithmic_ = true;
    label_points_ = 9;
    label_bold_ = true;
    bar_width_percent_ = 35;
    view_3d_ = true;
    depth_percent_ = 15;
    back_wall_filled_ = false;
    TSeries_Marks marks = Series1->marks();
    marks.style = TMark_Style::Value;
    marks.font_points = 8;
    marks.format = QStringLiteral("###,##0.#");
    marks.back_color = QColor(255, 255, 128);
    marks.arrow_length = 20;
    for (TBarSeries* s : series()) {
        TSeries_Marks m = marks;
        m.visible = s->marks().visible;
        s->set_marks(m);
        s->set_origin(true, 0);
    }
    update();
}

void TChart::set_title(const QStringList& lines) {
    title_ = lines;
    update();
}

void TChart::set_footer(const QStringList& lines) {
    footer_ = lines;
    update();
}

void TChart::set_logarithmic(bool on) {
    logarithmic_ = on;
    update();
}

void TChart::set_view_3d(bool on) {
    view_3d_ = on;
    update();
}

void TChart::set_depth_percent(int percent) {
    depth_percent_ = std::clamp(percent, 0, 100);
    update();
}

void TChart::set_back_wall_filled(bool filled) {
    back_wall_filled_ = filled;
    update();
}

void TChart::set_bar_width_percent(double percent) {
    bar_width_percent_ = std::clamp(percent, 0.0, 100.0);
    update();
}

void TChart::set_label_font(double points, bool bold) {
    label_points_ = points;
    label_bold_ = bold;
    update();
}

QFont TChart::scaled_font(double points, bool bold, double scale) const {
    QFont font(kChartFont);
    font.setPointSizeF(std::max(points * scale, 0.1));
    font.setBold(bold);
    return font;
}

TChart::Layout TChart::compute_layout() const {
    Layout L;
    const int w = width();
    const int h = height();
    L.font_scale = std::min(double(w) / Design_Size.width(), double(h) / Design_Size.height());
    const double f = L.font_scale;
    auto* device = const_cast<TChart*>(this);
    const int gap = std::max(1, round_px(4 * f));

    // Room at the top keeps the plot clear of the "Show Values" box that lies over the
    // chart's top right corner; it scales with the window just as that box does.
    int left = round_px(0.01 * w);
    int top = round_px(0.06 * h);
    int right = w - round_px(0.015 * w);
    int bottom = h - round_px(0.02 * h);

    if (!title_.isEmpty() && 10 * f >= kSmallestPoints) {
        const QFontMetrics fm(scaled_font(10, true, f), device);
        const int th = fm.lineSpacing() * static_cast<int>(title_.size());
        L.title_rect = QRect(left, top, std::max(0, right - left), th);
        top += th + gap;
    }
    if (!footer_.isEmpty()) {
        // The footer carries a long credit line: it shrinks rather than being cut off.
        double points = 8 * f;
        int widest = 0;
        for (const QString& line : footer_)
            widest = std::max(
                widest,
                QFontMetrics(scaled_font(points, false, 1), device).horizontalAdvance(line));
        if (widest > right - left && widest > 0)
            points *= double(right - left) / widest * 0.98;
        if (points >= kSmallestPoints) {
            const QFontMetrics fm(scaled_font(points, false, 1), device);
            const int fh = fm.lineSpacing() * static_cast<int>(footer_.size());
            L.footer_rect = QRect(left, bottom - fh, std::max(0, right - left), fh);
            L.footer_points = points;
            bottom -= fh + gap;
        }
    }

    const std::vector<TBarSeries*> all = series();
    const int series_count = static_cast<int>(all.size());
    int rows = 0;
    for (const TBarSeries* s : all)
        rows = std::max(rows, s->count());

    const int depth =
        view_3d_ ? round_px(depth_percent_ / 100.0 * std::max(0, bottom - top) / std::max(rows, 1))
                 : 0;
    L.depth_x = depth;
    L.depth_y = depth;

    // Row labels: taken from the first series that has a point in the row.
    const bool labels_drawn = label_points_ * f >= kSmallestPoints;
    const QFontMetrics label_fm(scaled_font(label_points_, label_bold_, f), device);
    int label_width = 0;
    L.rows.resize(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        const int point = rows - 1 - row;
        for (const TBarSeries* s : all) {
            if (point < s->count()) {
                L.rows[static_cast<std::size_t>(row)].label = s->point(point).label;
                break;
            }
        }
        if (labels_drawn)
            label_width = std::max(
                label_width,
                label_fm.horizontalAdvance(L.rows[static_cast<std::size_t>(row)].label) + 1);
    }

    const int plot_left = left + (label_width > 0 ? label_width + gap : 0);
    const int plot_top = top + L.depth_y;
    L.plot = QRect(plot_left, plot_top, std::max(0, right - L.depth_x - plot_left),
                   std::max(0, bottom - plot_top));

    // Marks and the room the widest of them needs to the right of the scale's end.
    const QLocale loc = locale();
    int widest_box = 0;
    bool any_mark = false;
    struct Mark_Metrics {
        QString text;
        QSize box;
        bool shown = false;
    };
    std::vector<std::vector<Mark_Metrics>> marks(all.size());
    for (std::size_t si = 0; si < all.size(); ++si) {
        const TBarSeries& s = *all[si];
        const TSeries_Marks& m = s.marks();
        const bool shown = m.visible && m.font_points * f >= kSmallestPoints;
        const QFontMetrics fm(scaled_font(m.font_points, false, f), device);
        const int pad = std::max(1, round_px(2 * f));
        marks[si].resize(static_cast<std::size_t>(s.count()));
        for (int i = 0; i < s.count(); ++i) {
            Mark_Metrics& mm = marks[si][static_cast<std::size_t>(i)];
            mm.text = s.mark_text(i, loc);
            mm.shown = shown;
            if (!shown)
                continue;
            mm.box = QSize(fm.horizontalAdvance(mm.text) + 2 * pad + 1, fm.height() + 2);
            widest_box = std::max(widest_box, mm.box.width());
            any_mark = true;
        }
    }
    int arrow = 0;
    for (const TBarSeries* s : all)
        arrow = std::max(arrow, round_px(s->marks().arrow_length * f));
    const int mark_room = any_mark ? L.depth_x / 2 + arrow + widest_box + 1 : 0;
    L.span = std::max(0, L.plot.width() - mark_room);

    std::vector<long double> values;
    for (const TBarSeries* s : all)
        for (int i = 0; i < s->count(); ++i)
            values.push_back(s->point(i).value);
    L.axis_max = axis_maximum(values);

    const Row_Layout rl = row_layout(L.plot.height(), rows, series_count, bar_width_percent_);
    for (int row = 0; row < rows; ++row) {
        const double pair_top = bar_top(rl, plot_top, row, 0);
        const double pair_bottom = bar_top(rl, plot_top, row, series_count);
        Row_Place& rp = L.rows[static_cast<std::size_t>(row)];
        if (labels_drawn) {
            const int mid = round_px((pair_top + pair_bottom) / 2);
            rp.label_rect =
                QRect(left, mid - label_fm.height() / 2, label_width, label_fm.height());
        }
    }
    for (int si = 0; si < series_count; ++si) {
        const TBarSeries& s = *all[static_cast<std::size_t>(si)];
        const int x_origin =
            plot_left +
            (s.use_origin() ? bar_length(s.origin(), L.axis_max, L.span, logarithmic_) : 0);
        for (int i = 0; i < s.count(); ++i) {
            Bar_Place b;
            b.series = si;
            b.point = i;
            b.row_from_top = rows - 1 - i;
            const double y = bar_top(rl, plot_top, b.row_from_top, si);
            const int y0 = round_px(y);
            const int y1 = round_px(y + rl.bar_thickness);
            const int x_end =
                plot_left + bar_length(s.point(i).value, L.axis_max, L.span, logarithmic_);
            if (x_end != x_origin && y1 > y0)
                b.front = QRect(std::min(x_origin, x_end), y0, std::abs(x_end - x_origin), y1 - y0);
            b.mark_anchor = QPoint(x_end + L.depth_x / 2, (y0 + y1) / 2 - L.depth_y / 2);
            const Mark_Metrics& mm =
                marks[static_cast<std::size_t>(si)][static_cast<std::size_t>(i)];
            b.mark_text = mm.text;
            b.mark_shown = mm.shown;
            if (mm.shown)
                b.mark_box =
                    QRect(b.mark_anchor.x() + arrow, b.mark_anchor.y() - mm.box.height() / 2,
                          mm.box.width(), mm.box.height());
            L.bars.push_back(b);
        }
    }
    return L;
}

void TChart::changeEvent(QEvent* event) {
    // Mark texts follow the locale's digit grouping and decimal characters.
    if (event->type() == QEvent::LocaleChange)
        update();
    QWidget::changeEvent(event);
}

void TChart::paintEvent(QPaintEvent*) {
    const Layout L = compute_layout();
    const double f = L.font_scale;
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));

    if (!L.title_rect.isEmpty()) {
        p.setFont(scaled_font(10, true, f));
        p.setPen(Qt::black);
        p.drawText(L.title_rect, Qt::AlignHCenter | Qt::AlignTop, title_.join(QLatin1Char('\n')));
    }
    if (!L.footer_rect.isEmpty()) {
        p.setFont(scaled_font(L.footer_points, false, 1));
        p.setPen(kFooterText);
        p.drawText(L.footer_rect, Qt::AlignHCenter | Qt::AlignBottom,
                   footer_.join(QLatin1Char('\n')));
    }

    const QRect& plot = L.plot;
    const int dx = L.depth_x;
    const int dy = L.depth_y;
    const int pl = plot.x();
    const int pt = plot.y();
    const int pr = plot.x() + plot.width();
    const int pb = plot.y() + plot.height();

    // Walls: the back wall stands one depth behind the plot and is only framed, unless asked.
    const QRect back(pl + dx, pt - dy, plot.width(), plot.height());
    p.setPen(kWallFrame);
    p.setBrush(back_wall_filled_ ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
    p.drawRect(back.adjusted(0, 0, -1, -1));
    if (dx > 0 || dy > 0) {
        p.setBrush(kWallFill);
        p.drawPolygon(QPolygon(
            {QPoint(pl, pt), QPoint(pl + dx, pt - dy), QPoint(pl + dx, pb - dy), QPoint(pl, pb)}));
        p.drawPolygon(QPolygon(
            {QPoint(pl, pb), QPoint(pl + dx, pb - dy), QPoint(pr + dx, pb - dy), QPoint(pr, pb)}));
    }

    // Bars from the bottom row up, and within a row from the lowest bar up, so that each bar's
    // top face disappears behind the bar in front of it.
    std::vector<const Bar_Place*> order;
    for (const Bar_Place& b : L.bars)
        order.push_back(&b);
    std::stable_sort(order.begin(), order.end(), [](const Bar_Place* a, const Bar_Place* b) {
        if (a->row_from_top != b->row_from_top)
            return a->row_from_top > b->row_from_top;
        return a->series > b->series;
    });
    const std::vector<TBarSeries*> all = series();
    const QPen outline(QColor(0, 0, 0), 1);
    for (const Bar_Place* b : order) {
        if (b->front.isEmpty())
            continue;
        const QColor colour =
            all[static_cast<std::size_t>(b->series)]->point(b->point).color.isValid()
                ? all[static_cast<std::size_t>(b->series)]->point(b->point).color
                : all[static_cast<std::size_t>(b->series)]->color();
        const QRect& r = b->front;
        const int x0 = r.x();
        const int x1 = r.x() + r.width();
        const int y0 = r.y();
        const int y1 = r.y() + r.height();
        p.setPen(outline);
        if (dx > 0 || dy > 0) {
            p.setBrush(colour.lighter(150));
            p.drawPolygon(QPolygon({QPoint(x0, y0), QPoint(x0 + dx, y0 - dy),
                                    QPoint(x1 + dx, y0 - dy), QPoint(x1, y0)}));
            p.setBrush(colour.darker(150));
            p.drawPolygon(QPolygon({QPoint(x1, y0), QPoint(x1 + dx, y0 - dy),
                                    QPoint(x1 + dx, y1 - dy), QPoint(x1, y1)}));
        }
        p.setBrush(colour);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }

    if (label_points_ * f >= kSmallestPoints) {
        p.setFont(scaled_font(label_points_, label_bold_, f));
        p.setPen(Qt::black);
        for (const Row_Place& row : L.rows)
            p.drawText(row.label_rect, Qt::AlignRight | Qt::AlignVCenter, row.label);
    }

    for (const Bar_Place& b : L.bars) {
        if (!b.mark_shown)
            continue;
        const TSeries_Marks& m = all[static_cast<std::size_t>(b.series)]->marks();
        p.setPen(QPen(QColor(0, 0, 0), 1));
        p.drawLine(b.mark_anchor, QPoint(b.mark_box.x(), b.mark_anchor.y()));
        p.setBrush(m.back_color);
        p.drawRect(b.mark_box.adjusted(0, 0, -1, -1));
        p.setFont(scaled_font(m.font_points, false, f));
        p.drawText(b.mark_box, Qt::AlignCenter, b.mark_text);
    }
}

} // namespace smx::graph
