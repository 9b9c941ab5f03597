#include "platform/Clipboard.h"
#include "platform/Memory_Status.h"
#include "platform/Shell_Open.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>
#include <vector>

using namespace smx::platform;

namespace {

QString meminfo(const char* mem_total, const char* mem_available, const char* swap_total,
                const char* swap_free) {
    return QStringLiteral("MemTotal:       %1 kB\n"
                          "MemFree:          123456 kB\n"
                          "MemAvailable:   %2 kB\n"
                          "Buffers:          100 kB\n"
                          "SwapTotal:      %3 kB\n"
                          "SwapFree:       %4 kB\n"
                          "HugePages_Total:       0\n")
        .arg(QLatin1String(mem_total), QLatin1String(mem_available), QLatin1String(swap_total),
             QLatin1String(swap_free));
}

struct Opened {
    Opened() {
        set_shell_opener_override([this](const QUrl& url) { urls.push_back(url); });
    }
    ~Opened() { set_shell_opener_override({}); }
    std::vector<QUrl> urls;
};

} // namespace

TEST(Memory_Status, AvailableAndFreeSwapAgainstMemoryAndSwap) {
    // (600 + 400) / (1000 + 1000) = 50 %; swap counts on both sides.
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("1000", "600", "1000", "400")), 50);
    // No swap at all.
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("16000000", "10080000", "0", "0")), 63);
    // Rounded to the nearest whole percent, halves up.
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("1000", "625", "0", "0")), 63);
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("1000", "624", "0", "0")), 62);
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("1000", "1000", "0", "0")), 100);
}

TEST(Memory_Status, OldKernelsAndUnreadableTexts) {
    // Before MemAvailable existed, free memory stands in for it.
    EXPECT_EQ(Free_Memory_Percent_Of(QStringLiteral("MemTotal: 1000 kB\nMemFree: 250 kB\n")), 25);
    EXPECT_EQ(Free_Memory_Percent_Of(QString()), std::nullopt);
    EXPECT_EQ(Free_Memory_Percent_Of(QStringLiteral("garbage\n: 12\n")), std::nullopt);
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("0", "0", "0", "0")), std::nullopt);
    // Figures that are no whole numbers of kilobytes, or that contradict each other.
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("nan", "1", "0", "0")), std::nullopt);
    // An unreadable MemAvailable is as good as none: MemFree (123456 kB) stands in.
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("200000", "inf", "0", "0")), 62);
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("200000", "-600", "0", "0")), 62);
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("1000", "3000", "0", "0")), 100);
    EXPECT_EQ(Free_Memory_Percent_Of(meminfo("1e3", "500", "0", "0")), std::nullopt);
}

TEST(Memory_Status, ReadsTheInjectedTextThenTheRealSystem) {
    set_meminfo_reader_override([] { return meminfo("2000", "500", "0", "0"); });
    EXPECT_EQ(Free_Memory_Percent_Now(), 25);
    set_meminfo_reader_override({});
    const auto real = Free_Memory_Percent_Now();
    ASSERT_TRUE(real.has_value());
    EXPECT_GE(*real, 0);
    EXPECT_LE(*real, 100);
}

TEST(Shell_Open, HandsTheTargetToTheDesktopAndNothingForAnEmptyOne) {
    Opened opened;
    Open_With_Shell(QString());
    EXPECT_TRUE(opened.urls.empty());
    Open_With_Shell(QStringLiteral("https://speedmetrix.org"));
    Open_With_Shell(QStringLiteral("mailto:a@b.org?subject=Shareware: speed bench"));
    // No recipient still makes a mail link: the mail program opens with an empty "To".
    Open_With_Shell(QStringLiteral("mailto:?subject=Shareware: x"));
    ASSERT_EQ(opened.urls.size(), 3u);
    EXPECT_EQ(opened.urls[0], QUrl(QStringLiteral("https://speedmetrix.org")));
    EXPECT_EQ(opened.urls[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opened.urls[1].path(), QStringLiteral("a@b.org"));
    EXPECT_EQ(opened.urls[1].query(QUrl::FullyDecoded),
              QStringLiteral("subject=Shareware: speed bench"));
    EXPECT_EQ(opened.urls[2].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opened.urls[2].path(), QString());
    EXPECT_EQ(opened.urls[2].query(QUrl::FullyDecoded), QStringLiteral("subject=Shareware: x"));
}

TEST(Clipboard, TextGoesAsPlainTextOnlyAndReplacesAPicture) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    Put_Image_On_Clipboard(image);
    EXPECT_EQ(clipboard->image().size(), QSize(4, 3));
    Put_Text_On_Clipboard(QStringLiteral("a\tb\r\n"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("a\tb\r\n"));
    EXPECT_FALSE(clipboard->mimeData()->hasImage());
    EXPECT_FALSE(clipboard->mimeData()->hasHtml());
    Put_Image_On_Clipboard(image);
    EXPECT_FALSE(clipboard->mimeData()->hasText());
}
