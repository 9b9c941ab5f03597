#include "platform/Drives.h"
#include "platform/Message_Boxes.h"
#include "platform/Tick.h"
#include "test_support.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

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

TEST(Tick, RealClockMovesForward) {
    const auto a = GetTickCount();
    const auto b = GetTickCount();
    EXPECT_LT(tick_difference(b, a), 1000u);
}

TEST(Drives, HomeIsCAndRealFilesystemsFollowInMountOrder) {
    const QString mounts = QStringLiteral("proc /proc proc rw 0 0\n"
                                          "/dev/vda1 / ext4 rw 0 0\n"
                                          "sysfs /sys sysfs rw 0 0\n"
                                          "tmpfs /run tmpfs rw 0 0\n"
                                          "tmpfs /tmp tmpfs rw 0 0\n"
                                          "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                                          "devpts /dev/pts devpts rw 0 0\n"
                                          "/dev/sdb1 /media/My\\040Disk vfat rw 0 0\n"
                                          "/dev/vda1 / ext4 rw 0 0\n");
    const auto drives = drives_from_mounts(mounts, QStringLiteral("/home/user/"));
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[0].letter, 'c');
    EXPECT_EQ(drives[0].root, QStringLiteral("/home/user"));
    EXPECT_EQ(drives[1].letter, 'd');
    EXPECT_EQ(drives[1].root, QStringLiteral("/"));
    EXPECT_EQ(drives[1].label, QStringLiteral("ext4 vda1"));
    EXPECT_EQ(drives[2].root, QStringLiteral("/tmp"));
    EXPECT_EQ(drives[3].letter, 'f');
    EXPECT_EQ(drives[3].root, QStringLiteral("/media/My Disk"));
}

TEST(Drives, OverrideAndLookupIgnoreCase) {
    smx::test::Drive_Table table(
        {Drive{'c', QStringLiteral("/x"), {}}, Drive{'d', QStringLiteral("/y"), {}}});
    ASSERT_TRUE(find_drive('D'));
    EXPECT_EQ(find_drive('D')->root, QStringLiteral("/y"));
    EXPECT_FALSE(find_drive('e'));
}

TEST(Message_Boxes, ResponderRecordsEveryBoxAndAnswersInOrder) {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Title"));
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
