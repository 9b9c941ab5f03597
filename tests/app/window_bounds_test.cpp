#include "app/Window_Bounds.h"

#include <gtest/gtest.h>

namespace smx::app {
namespace {

// A window manager's frame: a thin border and a title bar. Maximised, it drops the border.
const QMargins kFrame(1, 20, 1, 5);
const QMargins kMaximised_Frame(0, 19, 0, 0);
const QRect kStored(100, 50, 700, 500);

// What the window manager does with a window placed by its frame's corner, before the fit: the
// frame goes to the corner and the client area, still of the size asked for, moves inside it.
QRect framed_unfitted(const QRect& asked, const QMargins& frame) {
    return QRect(asked.topLeft() + QPoint(frame.left(), frame.top()), asked.size());
}

TEST(Normal_Window_Bounds, AFramedWindowIsFittedToItsOuterBoundsAndWritesThemBack) {
    QRect stored = kStored;
    for (int cycle = 0; cycle < 3; ++cycle) {
        Normal_Window_Bounds bounds;
        // Set up before the window is on screen: no frame yet.
        bounds.Observe(QRect(400, 100, 659, 469), QMargins(), Qt::WindowNoState);
        bounds.Request(stored);
        EXPECT_TRUE(bounds.Fit_Pending());
        bounds.Observe(stored, QMargins(), Qt::WindowNoState);
        // Framed, not yet fitted: the client area is still the outer size.
        bounds.Observe(framed_unfitted(stored, kFrame), kFrame, Qt::WindowNoState);
        EXPECT_EQ(bounds.Outer(), stored);
        ASSERT_TRUE(bounds.Fit_Pending());
        const QRect client = bounds.Fitted_Client(kFrame);
        EXPECT_EQ(client, QRect(101, 70, 698, 475));
        bounds.Fitted(client, kFrame);
        EXPECT_FALSE(bounds.Fit_Pending());
        bounds.Observe(client, kFrame, Qt::WindowNoState);
        EXPECT_EQ(bounds.Outer(), kStored) << "cycle " << cycle;
        stored = bounds.Outer();
    }
}

TEST(Normal_Window_Bounds, WithoutAFrameTheClientAreaIsTheWindow) {
    Normal_Window_Bounds bounds;
    bounds.Request(QRect(20, 20, 666, 502));
    bounds.Observe(QRect(20, 20, 666, 502), QMargins(), Qt::WindowNoState);
    EXPECT_EQ(bounds.Fitted_Client(QMargins()), QRect(20, 20, 666, 502));
    bounds.Fitted(QRect(20, 20, 666, 502), QMargins());
    bounds.Observe(QRect(30, 40, 600, 400), QMargins(), Qt::WindowNoState);
    EXPECT_EQ(bounds.Outer(), QRect(30, 40, 600, 400));
}

// Bounds too small to use are fitted at the smallest usable size, at the same corner; only the
// dimension that is too small grows. The bounds observed afterwards are what was shown.
TEST(Normal_Window_Bounds, BoundsTooSmallAreFittedAtTheSmallestUsableSize) {
    const QSize smallest(330, 250);
    struct Case {
        QRect stored;
        QRect client;
    };
    for (const Case& c : {Case{QRect(100, 50, 0, 0), QRect(101, 70, 330, 250)},
                          Case{QRect(100, 50, 2, 502), QRect(101, 70, 330, 477)},
                          Case{QRect(100, 50, 2, 26), QRect(101, 70, 330, 250)},
                          Case{QRect(100, 50, 700, 500), QRect(101, 70, 698, 475)}}) {
        Normal_Window_Bounds bounds;
        bounds.Request(c.stored, smallest);
        const QRect client = bounds.Fitted_Client(kFrame);
        EXPECT_EQ(client, c.client) << c.stored.width() << " x " << c.stored.height();
        bounds.Fitted(client, kFrame);
        bounds.Observe(client, kFrame, Qt::WindowNoState);
        EXPECT_EQ(bounds.Outer(), client.marginsAdded(kFrame));
    }
    // Without a smallest size, the bounds are applied as they are.
    Normal_Window_Bounds bounds;
    bounds.Request(QRect(100, 50, 2, 502));
    EXPECT_EQ(bounds.Fitted_Client(QMargins()), QRect(100, 50, 2, 502));
}

TEST(Normal_Window_Bounds, BeforeTheFrameIsKnownTheProgramsOwnPlacingCounts) {
    Normal_Window_Bounds bounds;
    bounds.Request(kStored);
    // Moved and resized by the program before the window manager framed the window.
    bounds.Observe(QRect(60, 50, 640, 480), QMargins(), Qt::WindowNoState);
    EXPECT_EQ(bounds.Outer(), QRect(60, 50, 640, 480));
    EXPECT_EQ(bounds.Fitted_Client(kFrame), QRect(61, 70, 638, 455));
}

TEST(Normal_Window_Bounds, AMaximisedOrMinimisedWindowKeepsItsNormalBounds) {
    Normal_Window_Bounds bounds;
    bounds.Request(kStored);
    // Opened maximised: never seen normal, the stored bounds hold.
    bounds.Observe(QRect(0, 19, 1280, 1005), kMaximised_Frame, Qt::WindowMaximized);
    EXPECT_EQ(bounds.Outer(), kStored);
    EXPECT_TRUE(bounds.Fit_Pending());

    // Restored by the window manager, then fitted with the normal frame.
    bounds.Observe(QRect(101, 70, 1280, 1005), kFrame, Qt::WindowNoState);
    EXPECT_EQ(bounds.Outer(), kStored);
    bounds.Fitted(kStored.marginsRemoved(kFrame), kFrame);
    bounds.Observe(kStored.marginsRemoved(kFrame), kFrame, Qt::WindowNoState);
    EXPECT_EQ(bounds.Outer(), kStored);

    // Moved by the user, then maximised and minimised: the moved normal bounds stay.
    bounds.Observe(QRect(301, 220, 500, 300), kFrame, Qt::WindowNoState);
    const QRect moved(300, 200, 502, 325);
    EXPECT_EQ(bounds.Outer(), moved);
    bounds.Observe(QRect(0, 19, 1280, 1005), kMaximised_Frame, Qt::WindowMaximized);
    bounds.Observe(QRect(0, 19, 1280, 1005), kMaximised_Frame,
                   Qt::WindowMaximized | Qt::WindowMinimized);
    bounds.Observe(QRect(0, 0, 1280, 1024), QMargins(), Qt::WindowFullScreen);
    EXPECT_EQ(bounds.Outer(), moved);
}

TEST(Normal_Window_Bounds, NewBoundsOnAFramedWindowUseTheNormalFrame) {
    Normal_Window_Bounds bounds;
    bounds.Request(kStored);
    bounds.Fitted(kStored.marginsRemoved(kFrame), kFrame);
    bounds.Observe(kStored.marginsRemoved(kFrame), kFrame, Qt::WindowNoState);
    // Factory defaults while the window is still maximised: its frame is not the normal one.
    bounds.Request(QRect(20, 20, 666, 502));
    EXPECT_EQ(bounds.Fitted_Client(kMaximised_Frame), QRect(21, 40, 664, 477));
    // A window without a frame for a moment does not forget the frame it had.
    bounds.Fitted(QRect(21, 40, 664, 477), kFrame);
    bounds.Observe(QRect(21, 40, 664, 477), QMargins(), Qt::WindowNoState);
    bounds.Request(kStored);
    EXPECT_EQ(bounds.Fitted_Client(QMargins()), kStored.marginsRemoved(kFrame));
}

TEST(Normal_Window_Bounds, AWindowFittedToAFrameThatThenChangesIsFittedAgain) {
    // Restored from maximised: fitted while the frame reported is still the maximised one.
    Normal_Window_Bounds bounds;
    bounds.Request(kStored);
    const QRect early = bounds.Fitted_Client(kMaximised_Frame);
    bounds.Fitted(early, kMaximised_Frame);
    EXPECT_FALSE(bounds.Refit(early, kMaximised_Frame, Qt::WindowNoState));
    EXPECT_FALSE(bounds.Refit(early, kFrame, Qt::WindowMaximized));
    EXPECT_FALSE(bounds.Refit(early, QMargins(), Qt::WindowNoState));
    const auto again = bounds.Refit(early, kFrame, Qt::WindowNoState);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, kStored.marginsRemoved(kFrame));
    bounds.Observe(*again, kFrame, Qt::WindowNoState);
    EXPECT_EQ(bounds.Outer(), kStored);
    EXPECT_FALSE(bounds.Refit(*again, kFrame, Qt::WindowNoState));

    // Elsewhere, the window is not moved for its frame.
    EXPECT_FALSE(bounds.Refit(QRect(301, 220, 500, 300), kMaximised_Frame, Qt::WindowNoState));
}

TEST(Normal_Window_Bounds, OnlyShortlyAfterTheFitTheFrameChangingMovesTheWindow) {
    Normal_Window_Bounds bounds;
    bounds.Request(kStored);
    const QRect early = bounds.Fitted_Client(kMaximised_Frame);
    bounds.Fitted(early, kMaximised_Frame, 10'000);
    // The window manager reports an old place of the window in between.
    EXPECT_FALSE(
        bounds.Refit(QRect(101, 70, 1280, 1005), kMaximised_Frame, Qt::WindowNoState, 10'100));
    const auto again = bounds.Refit(early, kFrame, Qt::WindowNoState,
                                    10'000 + Normal_Window_Bounds::kRefit_Time_ms);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, kStored.marginsRemoved(kFrame));

    const QRect later = bounds.Fitted_Client(kFrame);
    bounds.Fitted(later, kFrame, 20'000);
    EXPECT_FALSE(bounds.Refit(later, kMaximised_Frame, Qt::WindowNoState,
                              20'001 + Normal_Window_Bounds::kRefit_Time_ms));
    EXPECT_FALSE(bounds.Refit(later, kMaximised_Frame, Qt::WindowNoState, 20'001));
}

} // namespace
} // namespace smx::app
