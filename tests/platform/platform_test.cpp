#include "platform/Bit_Button.h"
#include "platform/Design_Fonts.h"
#include "platform/Drives.h"
#include "platform/Message_Boxes.h"
#include "platform/Tick.h"
#include "test_support.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace smx::platform;

TEST(Tick, DifferencesSurviveTheWrapOfTheCounter) {
    EXPECT_EQ(tick_difference(5u, 0xFFFFFFF0u), 21u);
    EXPECT_EQ(tick_difference(1000u, 400u), 600u);
    smx::test::Scripted_Ticks ticks({0xFFFFFFFFu, 9u});
    const auto a = GetTickCount();
    const auto b = GetTickCount();
    EXPECT_EQ(tick_difference(b, a), 10u);
    EXPECT_EQ(ticks.calls(), 2);
}

TEST(Tick, RealClockCountsMilliseconds) {
    // A known sleep, measured against the standard library's steady clock: a clock in
    // microseconds or seconds would be off by a factor of a thousand.
    const auto steady_before = std::chrono::steady_clock::now();
    const auto a = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto b = GetTickCount();
    const auto steady_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - steady_before)
                               .count();
    const auto ticks = static_cast<long long>(tick_difference(b, a));
    EXPECT_GE(ticks, 199);
    // A loaded machine may sleep longer, but the ticks cannot exceed the real time that passed
    // around them (a tick of truncation at each end).
    EXPECT_LE(ticks, steady_ms + 2);
}

TEST(Drives, HomeIsCAndRealFilesystemsFollowInMountOrder) {
    const QString mounts =
        QStringLiteral("proc /proc proc rw 0 0\n"
                       "/dev/vda1 / ext4 rw 0 0\n"
                       "sysfs /sys sysfs rw 0 0\n"
                       "tmpfs /run tmpfs rw 0 0\n"
                       "tmpfs /tmp tmpfs rw 0 0\n"
                       "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                       "devpts /dev/pts devpts rw 0 0\n"
                       "/dev/sdb1 /media/My\\040Disk vfat rw 0 0\n"
                       "/dev/vda1 / ext4 rw 0 0\n"
                       // Not escapes: a sign, a letter, too few digits, above 0377.
                       "/dev/sdc1 /mnt/a\\-17b ext4 rw 0 0\n"
                       "/dev/sdc2 /mnt/\\+12x\\12 ext4 rw 0 0\n"
                       "/dev/sdc3 /mnt/\\0a9\\400\\134x ext4 rw 0 0\n");
    const auto drives = drives_from_mounts(mounts, QStringLiteral("/home/user/"));
    ASSERT_EQ(drives.size(), 7u);
    EXPECT_EQ(drives[4].root, QStringLiteral("/mnt/a\\-17b"));
    EXPECT_EQ(drives[5].root, QStringLiteral("/mnt/\\+12x\\12"));
    EXPECT_EQ(drives[6].root, QStringLiteral("/mnt/\\0a9\\400\\x"));
    EXPECT_EQ(drives[0].letter, 'c');
    EXPECT_EQ(drives[0].root, QStringLiteral("/home/user"));
    EXPECT_EQ(drives[1].letter, 'd');
    EXPECT_EQ(drives[1].root, QStringLiteral("/"));
    EXPECT_EQ(drives[1].label, QStringLiteral("ext4 vda1"));
    EXPECT_EQ(drives[2].root, QStringLiteral("/tmp"));
    EXPECT_EQ(drives[3].letter, 'f');
    EXPECT_EQ(drives[3].root, QStringLiteral("/media/My Disk"));
}

TEST(Drives, RamDisksTheUserMayWriteComeAfterTheOtherFilesystems) {
    const QString mounts = QStringLiteral("tmpfs /run tmpfs rw 0 0\n"
                                          "tmpfs /mnt/ram tmpfs rw 0 0\n"
                                          "/dev/vda1 / ext4 rw 0 0\n"
                                          "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                                          "tmpfs /dev/shm tmpfs rw 0 0\n"
                                          "tmpfs /tmp tmpfs rw 0 0\n"
                                          "tmpfs /media/locked tmpfs rw 0 0\n"
                                          "tmpfs /mnt/ram tmpfs rw 0 0\n"
                                          "tmpfs /media/My\\040RAM tmpfs rw 0 0\n"
                                          "/dev/sdb1 /media/usb vfat rw 0 0\n");
    QStringList asked;
    const auto drives =
        drives_from_mounts(mounts, QStringLiteral("/home/user"), [&](const QString& folder) {
            asked << folder;
            return folder != QLatin1String("/media/locked");
        });
    QStringList roots;
    for (const Drive& d : drives)
        roots << QString(QLatin1Char(d.letter)) + QLatin1Char(' ') + d.root;
    EXPECT_EQ(roots, (QStringList{"c /home/user", "d /", "e /tmp", "f /media/usb", "g /mnt/ram",
                                  "h /media/My RAM"}));
    // The system's own are never asked about.
    EXPECT_EQ(asked, (QStringList{"/mnt/ram", "/media/locked", "/media/My RAM"}));
}

TEST(Drives, LettersRunUpToZAndFurtherFilesystemsAreLeftOut) {
    QString mounts;
    for (int i = 1; i <= 30; ++i)
        mounts += QStringLiteral("/dev/sd%1 /mnt/m%1 ext4 rw 0 0\n").arg(i);
    const auto drives = drives_from_mounts(mounts, QStringLiteral("/home/user"));
    // c for the home directory, then d to z: 23 filesystems out of 30.
    ASSERT_EQ(drives.size(), 24u);
    for (std::size_t i = 1; i < drives.size(); ++i) {
        EXPECT_EQ(drives[i].letter, static_cast<char>('c' + i)) << i;
        EXPECT_EQ(drives[i].root, QStringLiteral("/mnt/m%1").arg(i)) << i;
    }
    EXPECT_EQ(drives.back().letter, 'z');
    EXPECT_EQ(drives.back().root, QStringLiteral("/mnt/m23"));
    // Exactly 23: all of them get a letter, the last one z.
    mounts.clear();
    for (int i = 1; i <= 23; ++i)
        mounts += QStringLiteral("/dev/sd%1 /mnt/m%1 ext4 rw 0 0\n").arg(i);
    const auto exact = drives_from_mounts(mounts, QStringLiteral("/home/user"));
    ASSERT_EQ(exact.size(), 24u);
    EXPECT_EQ(exact.back().letter, 'z');
}

TEST(Drives, OverrideAndLookupIgnoreCase) {
    smx::test::Drive_Table table(
        {Drive{'c', QStringLiteral("/x"), {}}, Drive{'d', QStringLiteral("/y"), {}}});
    ASSERT_TRUE(find_drive('D'));
    EXPECT_EQ(find_drive('D')->root, QStringLiteral("/y"));
    EXPECT_FALSE(find_drive('e'));
}

TEST(Message_Boxes, ResponderRecordsEveryBoxAndAnswersInOrder) {
    set_application_title(QStringLiteral("Title"));
    Scripted_Responder responder;
    responder.queue(Box_Answer::Yes);
    responder.queue(Box_Answer::Ok, QStringLiteral("My Set"));
    show_information(QStringLiteral("Info"), QStringLiteral("Hello"));
    EXPECT_EQ(ask_warning_question(QStringLiteral("Q"), QStringLiteral("Sure?")), Box_Answer::Yes);
    EXPECT_EQ(input_text(QStringLiteral("Save"), QStringLiteral("Name:")),
              QStringLiteral("My Set"));
    // Nothing queued: questions answer No and text input cancels, and both count as unanswered.
    EXPECT_EQ(ask_warning_question(QStringLiteral("Q"), QStringLiteral("Again?")), Box_Answer::No);
    EXPECT_FALSE(input_text(QStringLiteral("Save"), QStringLiteral("Name:")));
    show_general_error(QStringLiteral("Cannot create file /x/y"));
    EXPECT_EQ(responder.unanswered(), 2);
    ASSERT_EQ(responder.shown().size(), 6u);
    EXPECT_EQ(responder.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(responder.shown()[1].kind, Box_Kind::Warning_Question);
    EXPECT_EQ(responder.shown()[2].kind, Box_Kind::Text_Input);
    EXPECT_EQ(responder.shown()[5].kind, Box_Kind::Error);
    EXPECT_EQ(responder.shown()[5].title, QStringLiteral("Title"));
    EXPECT_EQ(responder.shown()[5].text, QStringLiteral("Cannot create file /x/y."));
}

namespace {
// Pixels of the button's rendering that are clearly of the given hue: red or green well above
// the other two channels.
int caption_pixels(QWidget& button, bool red) {
    QImage image(button.size(), QImage::Format_RGB32);
    button.render(&image);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int main = red ? c.red() : c.green();
            const int other = red ? std::max(c.green(), c.blue()) : std::max(c.red(), c.blue());
            if (main >= 100 && main - other >= 80)
                ++count;
        }
    }
    return count;
}
} // namespace

TEST(Bit_Button, DisabledCaptionIsGreyedLikeItsPicture) {
    for (const bool red : {true, false}) {
        SCOPED_TRACE(red ? "red" : "green");
        TBitBtn button;
        button.resize(90, 45);
        button.setText(red ? QStringLiteral("Save") : QStringLiteral("Compare"));
        QFont font(QStringLiteral("Times New Roman"), 11);
        font.setBold(true);
        button.setFont(font);
        button.setCaptionColor(red ? QColor(255, 0, 0) : QColor(0, 128, 0));
        // A plain glyph without the caption's hue, so only the caption counts.
        button.setGlyph(Glyph::Exit, QSize(16, 16));
        const int enabled = caption_pixels(button, red);
        EXPECT_GT(enabled, 20);
        button.setEnabled(false);
        EXPECT_EQ(caption_pixels(button, red), 0);
        button.setEnabled(true);
        EXPECT_EQ(caption_pixels(button, red), enabled);
    }
}

// A font wider than the design is narrowed until a text fits the design width, whatever family
// stands in; one that fits is left alone; and the forms' own families keep their design widths.
TEST(Design_Fonts, WiderFamiliesAreNarrowedToTheDesignWidth) {
    for (const char* family : {"DejaVu Serif", "DejaVu Sans", "Liberation Serif"}) {
        for (bool bold : {false, true}) {
            QFont font{QString::fromLatin1(family)};
            font.setPixelSize(1000);
            font.setBold(bold);
            const double natural = QFontMetricsF(font).horizontalAdvance(design_sample());
            for (double share : {0.75, 0.9, 1.2}) {
                const int stretch = stretch_to_width(font, natural * share);
                if (share >= 1) {
                    EXPECT_EQ(stretch, 100) << family;
                    continue;
                }
                EXPECT_LT(stretch, 100) << family << " " << share;
                QFont narrowed = font;
                narrowed.setStretch(stretch);
                const double width = QFontMetricsF(narrowed).horizontalAdvance(design_sample());
                EXPECT_LE(width, natural * share * 1.01) << family << " " << share;
                EXPECT_GE(width, natural * share * 0.9) << family << " " << share;
            }
        }
    }
    QFont other(QStringLiteral("DejaVu Sans Mono"));
    other.setPointSize(11);
    EXPECT_EQ(fit_design_widths(other), other);
}
