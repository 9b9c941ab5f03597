#include "app/Drive_Combo_Box.h"
#include "test_support.h"

#include <gtest/gtest.h>

using smx::app::TDriveComboBox;
using smx::platform::Drive;

TEST(Drive_List, ReadsLettersAndSelectsByLetter) {
    smx::test::Drive_Table table({Drive{'c', QStringLiteral("/home/u"), QStringLiteral("home")},
                                  Drive{'d', QStringLiteral("/"), QStringLiteral("ext4 vda")},
                                  Drive{'e', QStringLiteral("/tmp"), QStringLiteral("tmpfs")}});
    TDriveComboBox box;
    EXPECT_EQ(box.count(), 3);
    EXPECT_EQ(box.Drive(), 'c');
    EXPECT_TRUE(box.currentText().contains(QStringLiteral("/home/u")));
    box.setDrive('E');
    EXPECT_EQ(box.Drive(), 'e');
    EXPECT_EQ(box.currentIndex(), 2);
    // A letter with no drive still reads back as chosen.
    box.setDrive('q');
    EXPECT_EQ(box.Drive(), 'q');
    EXPECT_EQ(box.currentIndex(), -1);
    // The user's choice in the list is what reads back.
    box.setCurrentIndex(1);
    Q_EMIT box.activated(1);
    EXPECT_EQ(box.Drive(), 'd');
}
