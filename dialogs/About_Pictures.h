#pragma once
#include <QTimer>
#include <QWidget>

namespace smx::dialogs {

// The about box's pictures, drawn rather than loaded: each is painted on its own design grid
// and stretched to the control's size.
enum class About_Picture { Banner, Badge, Donation_Button };

class TDrawn_Picture : public QWidget {
    Q_OBJECT
public:
    TDrawn_Picture(About_Picture picture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    About_Picture picture_;
};

// The animated logo: a speed dial whose needle sweeps up and back, looping for as long as it
// runs. Stopped, it holds its current frame.
class TAnimated_Logo : public QWidget {
    Q_OBJECT
public:
    static constexpr int Frame_Count = 48;
    static constexpr int Frame_Interval_Ms = 40;

    explicit TAnimated_Logo(QWidget* parent);

    void start();
    void stop();
    bool is_animating() const { return timer_.isActive(); }
    int frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    int frame_ = 0;
};

} // namespace smx::dialogs
