#include "graphics_reference.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

namespace smx::bench {
namespace {

QSize screen() {
    return QGuiApplication::primaryScreen()->geometry().size();
}

// After each step: events through, the change painted now, the display server caught up.
void pump(QWidget* window) {
    QCoreApplication::processEvents();
    QEvent paint(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window, &paint);
    QGuiApplication::sync();
}

// Shows the dialog modally, runs `steps` once it is on screen with its designed outer size (the
// frame the window system adds taken from the client area), and closes it on the tick of a 25 ms
// timer started after them.
void modal_display(QDialog& dialog, QSize outer, const std::function<void()>& steps) {
    QTimer::singleShot(0, &dialog, [&] {
        const QDeadlineTimer limit(1000);
        while (!dialog.windowHandle()->isExposed() && !limit.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        const QSize client = outer - (dialog.frameGeometry().size() - dialog.size());
        if (client != dialog.size())
            dialog.resize(client);
        steps();
        QTimer::singleShot(25, &dialog, &QDialog::accept);
    });
    dialog.exec();
}

// A move as the tests make it: the top edge set, then the left edge.
void move(QWidget& w, QPoint to) {
    w.move(w.x(), to.y());
    w.move(to.x(), w.y());
}

void centre(QWidget& w) {
    const QSize s = screen();
    move(w, {(s.width() - w.frameGeometry().width()) / 2,
             (s.height() - w.frameGeometry().height()) / 2});
}

class Row_Height : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& i) const override {
        return {QStyledItemDelegate::sizeHint(o, i).width(), 13};
    }
};

struct Controls_Window {
    QDialog window;
    QGroupBox* group = nullptr;
    QLineEdit* edit = nullptr;
    QListWidget* list = nullptr;
    QLabel* panel = nullptr;
    std::vector<QRadioButton*> buttons;

    Controls_Window() {
        window.resize(386, 336);
        window.setWindowTitle(QStringLiteral("Graphics: Standard Windows Forms / Controls"));
        QFont font(QStringLiteral("MS Sans Serif"), 8);
        font.setStyleHint(QFont::SansSerif);
        window.setFont(font);
        group = new QGroupBox(QStringLiteral("RadioGroup1"), &window);
        edit = new QLineEdit(QStringLiteral("Edit1"), &window);
        list = new QListWidget(&window);
        panel = new QLabel(QStringLiteral("Benckmarking ..."), &window);
        group->setGeometry(8, 38, 361, 123);
        edit->setGeometry(16, 166, 121, 21);
        list->setGeometry(168, 166, 205, 127);
        list->setUniformItemSizes(true);
        list->setItemDelegate(new Row_Height(list));
        panel->setGeometry(16, 190, 129, 105);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setAlignment(Qt::AlignCenter);
    }

    int steps() {
        QWidget* w = &window;
        int count = 20;
        centre(window);
        pump(w);
        for (QRadioButton* b : buttons)
            delete b;
        buttons.clear();
        count += 1;
        // Two columns of six rows below the caption.
        const int caption = group->fontMetrics().height();
        const int row = (123 - caption - 5) / 6;
        const int top = caption + 1 + (123 - caption - 5) % 6 / 2;
        for (int i = 0; i <= 11; ++i) {
            auto* b = new QRadioButton(QStringLiteral("RadioButton ") + QString::number(i), group);
            b->setGeometry((i / 6) * 175 + 8, (i % 6) * row + top, 175, row);
            b->show();
            buttons.push_back(b);
            ++count;
        }
        for (int pass = 0; pass < 26; ++pass)
            for (int i = 0; i <= 11; ++i) {
                buttons[static_cast<std::size_t>(i)]->setChecked(true);
                ++count;
                pump(w);
            }
        for (int i = 0; i <= 25; ++i) {
            edit->setText(QStringLiteral("Edit ") + QString::number(i));
            ++count;
            pump(w);
        }
        for (int pass = 0; pass < 26; ++pass) {
            edit->setEnabled(!edit->isEnabled());
            ++count;
            pump(w);
        }
        for (int pass = 0; pass < 26; ++pass) {
            list->clear();
            ++count;
            for (int i = 0; i <= 50; ++i) {
                list->addItem(QStringLiteral("This is Listbox Line ") + QString::number(i));
                ++count;
                pump(w);
            }
        }
        for (int pass = 0; pass < 26; ++pass) {
            panel->setVisible(panel->isHidden());
            ++count;
            pump(w);
        }
        const QSize s = screen();
        const int dx = s.width() - window.frameGeometry().width();
        const int dy = s.height() - window.frameGeometry().height();
        for (int y = 0; y < dy; y += std::max(1, dy / 10)) {
            window.move(window.x(), y);
            pump(w);
            count += 10;
            for (int x = 0; x < dx; x += std::max(1, dx / 10)) {
                window.move(x, window.y());
                count += 10;
                pump(w);
            }
        }
        centre(window);
        count += 20;
        pump(w);
        return count;
    }
};

class Shape : public QWidget {
public:
    enum Kind { Rectangle, Circle, Ellipse, RoundRect, RoundSquare, Square };
    Shape(QWidget* parent, Kind kind, int colour_index)
        : QWidget(parent), colour(colour_index), kind_(kind) {}
    int colour; // index in the cycle

protected:
    void paintEvent(QPaintEvent*) override {
        static constexpr std::array<QRgb, 6> cycle = {0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00,
                                                      0xFF0000FF, 0xFF808000, 0xFFFFFF00};
        QPainter p(this);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor::fromRgba(cycle[static_cast<std::size_t>(colour)]));
        QRect r(0, 0, width() - 1, height() - 1);
        if (kind_ == Square || kind_ == RoundSquare || kind_ == Circle) {
            const int side = std::min(r.width(), r.height());
            r = QRect((width() - 1 - side) / 2, (height() - 1 - side) / 2, side, side);
        }
        const int corner = std::min(r.width(), r.height()) / 4;
        if (kind_ == Rectangle || kind_ == Square)
            p.drawRect(r);
        else if (kind_ == RoundRect || kind_ == RoundSquare)
            p.drawRoundedRect(r, corner, corner);
        else
            p.drawEllipse(r);
    }

private:
    Kind kind_;
};

struct Drawing_Window {
    QDialog window;
    static constexpr std::array<QRect, 6> design = {
        QRect(28, 44, 105, 65), QRect(172, 48, 65, 65),  QRect(276, 48, 129, 65),
        QRect(32, 146, 85, 65), QRect(168, 146, 65, 65), QRect(308, 146, 65, 65)};
    std::array<Shape*, 6> shapes{};

    Drawing_Window() {
        window.resize(442, 262);
        window.setWindowTitle(QStringLiteral("Graphics: 2D Bitmaps and Drawings"));
        for (int n = 0; n < 6; ++n) {
            shapes[static_cast<std::size_t>(n)] =
                new Shape(&window, static_cast<Shape::Kind>(n), n);
            shapes[static_cast<std::size_t>(n)]->setGeometry(design[static_cast<std::size_t>(n)]);
        }
    }

    long long steps() {
        QWidget* w = &window;
        centre(window);
        pump(w);
        const QPoint recorded = shapes[0]->pos();
        constexpr int repetitions = 50;
        for (int r = 0; r < repetitions; ++r) {
            for (std::size_t n = 0; n < 6; ++n)
                move(*shapes[n], design[n].topLeft());
            for (Shape* s : shapes) {
                s->colour = (s->colour + 1) % 6;
                s->update();
                pump(w);
            }
            for (std::size_t n = 0; n < 5; ++n) {
                move(*shapes[n], shapes[n + 1]->pos());
                pump(w);
            }
            move(*shapes[5], recorded);
            pump(w);
        }
        long long area = 0;
        for (const QRect& d : design)
            area += static_cast<long long>(d.width()) * d.height();
        return area * repetitions * 3;
    }
};

} // namespace

int Reference_Controls_Display() {
    // Made once and kept, like the test's windows (never destroyed: it would outlive the
    // application object).
    static auto* w = new Controls_Window;
    int count = 0;
    modal_display(w->window, {386, 336}, [&] { count = w->steps(); });
    return count;
}

long long Reference_2D_Display() {
    static auto* w = new Drawing_Window;
    long long pixels = 0;
    modal_display(w->window, {442, 262}, [&] { pixels = w->steps(); });
    return pixels;
}

} // namespace smx::bench
