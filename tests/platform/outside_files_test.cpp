#include "platform/Default_Application.h"
#include "platform/File_Routines.h"
#include "platform/Message_Boxes.h"
#include "platform/Outside_Text.h"
#include "platform/Registry.h"
#include "platform/Shortcuts.h"
#include "platform/Xdg_Dirs.h"
#include "qt_printers.h"
#include "temporary_home.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

// Something other than a plain text file where the program reads or writes a file of the
// desktop's: every reader takes its quiet default at once, without blocking or reading without
// end, and every writer refuses it, leaving it as it was.
namespace {

using namespace smx::platform;
using smx::test::Temporary_Home;

using smx::test::Special_File;

// Something other than a plain text file; none for a huge regular file.
struct Hostile_Case {
    std::optional<Special_File> special;
    const char* label;
};

const Hostile_Case kHostile[] = {
    {Special_File::Fifo, "fifo"},
    {Special_File::Dev_Zero_Link, "link to /dev/zero"},
    {Special_File::Dev_Urandom_Link, "link to /dev/urandom"},
    {Special_File::Dangling_Link, "dangling link"},
    {Special_File::Directory, "directory"},
    {std::nullopt, "huge file"},
};

// Plants the thing at `path`. A huge file begins with `text`, which a reader that ignored the
// cap would find; a dangling link points at `path` + ".target".
void plant(const Hostile_Case& kind, const QString& path, const QByteArray& text) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    if (kind.special) {
        smx::test::make_special_file(path, *kind.special);
        return;
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(text), text.size());
    ASSERT_TRUE(f.resize(Outside_Text_Max_Size + 1)); // sparse: costs no disk
}

struct Entry {
    mode_t mode = 0;
    ino_t inode = 0;
    bool operator==(const Entry&) const = default;
};
Entry entry_at(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_mode, st.st_ino};
}

// Runs `call`, and fails (instead of hanging) when it does not end within seconds: a reader or
// writer stuck on a FIFO is let go by opening its other end.
template <typename T> T within_seconds(const QString& fifo, std::function<T()> call) {
    auto result = std::async(std::launch::async, std::move(call));
    if (result.wait_for(std::chrono::seconds(5)) == std::future_status::ready)
        return result.get();
    ADD_FAILURE() << "still at work after 5 s";
    const QByteArray p = QFile::encodeName(fifo);
    const int reader = ::open(p.constData(), O_RDONLY | O_NONBLOCK);
    const int writer = ::open(p.constData(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
    T value = result.get();
    if (reader >= 0)
        ::close(reader);
    return value;
}

class Outside_Files : public ::testing::TestWithParam<Hostile_Case> {
protected:
    Temporary_Home home;
    Scripted_Responder boxes;
    QString config() const { return home.home() + QStringLiteral("/.config"); }
    QString autostart_entry() const { return Run_Value_File(QStringLiteral("speedmetrix")); }
};

TEST_P(Outside_Files, EveryReaderTakesItsQuietDefaultAtOnce) {
    const Hostile_Case& kind = GetParam();
    // The MIME lists of the user only; the system's are out of the way.
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(home.scratch() + QStringLiteral("/none")));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(home.scratch() + QStringLiteral("/none")));
    struct Reader {
        const char* name;
        QString path;
        QByteArray text; // what a huge file begins with
        std::function<QString()> read;
        QString quiet_default;
    };
    const QString home_dir = home.home();
    const Reader readers[] = {
        {"autostart entry", autostart_entry(), "[Desktop Entry]\nExec=/opt/x/speedmetrix\n",
         [] {
             return Registry_Read_String(Root_Key::HKEY_LOCAL_MACHINE, Run_Key,
                                         QStringLiteral("speedmetrix"));
         },
         QString()},
        {"user-dirs.dirs", config() + QStringLiteral("/user-dirs.dirs"),
         "XDG_DESKTOP_DIR=\"$HOME/Elsewhere\"\n", [] { return Desktop_Dir(); },
         home_dir + QStringLiteral("/Desktop")},
        {"mimeapps.list", config() + QStringLiteral("/mimeapps.list"),
         "[Default Applications]\ntext/plain=ed.desktop\n",
         [] { return Default_Application_Entry(QStringLiteral("text/plain")); }, QString()},
        {"text file", home.scratch() + QStringLiteral("/meminfo"), "MemTotal: 1000 kB\n",
         [p = home.scratch() + QStringLiteral("/meminfo")] {
             const auto text = Read_Outside_Text_File(p);
             return text ? QString::fromLatin1(*text) : QStringLiteral("(none)");
         },
         QStringLiteral("(none)")},
    };
    for (const Reader& r : readers) {
        SCOPED_TRACE(r.name);
        plant(kind, r.path, r.text);
        const Entry before = entry_at(r.path);
        EXPECT_EQ(within_seconds<QString>(r.path, r.read), r.quiet_default);
        EXPECT_EQ(entry_at(r.path), before);
    }
    EXPECT_TRUE(boxes.shown().empty());
    qunsetenv("XDG_CONFIG_DIRS");
    qunsetenv("XDG_DATA_DIRS");
}

// The autostart entry and a shortcut are refused where a data file would be refused: anything
// but a regular file, or a link leading nowhere. A huge regular file is simply replaced.
TEST_P(Outside_Files, EveryWriterRefusesWhatIsNoRegularFile) {
    const Hostile_Case& kind = GetParam();
    const bool replaced = !kind.special;
    const QString shortcut = home.home() + QStringLiteral("/Desktop/speedmetrix.desktop");
    struct Writer {
        const char* name;
        QString path;
        std::function<void()> write;
        QString refusal;
    };
    const Writer writers[] = {
        {"autostart entry", autostart_entry(),
         [] {
             Registry_Write_String(Root_Key::HKEY_LOCAL_MACHINE, Run_Key,
                                   QStringLiteral("speedmetrix"),
                                   QStringLiteral("/opt/x/speedmetrix"));
         },
         QStringLiteral("Failed to set data for 'speedmetrix'.")},
        {"shortcut", shortcut,
         [] {
             Create_Shortcut(QStringLiteral("/opt/x/speedmetrix"), QStringLiteral("Desktop"), {});
         },
         QStringLiteral("Cannot create file ") + shortcut + QLatin1Char('.')},
    };
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.name);
        boxes.clear();
        plant(kind, w.path, "x");
        const Entry before = entry_at(w.path);
        within_seconds<bool>(w.path, [&] {
            w.write();
            return true;
        });
        if (replaced) {
            EXPECT_TRUE(boxes.shown().empty());
            EXPECT_LT(QFileInfo(w.path).size(), 1000);
            // Nothing beside the entry: no lock file, no temporary file.
            const QFileInfo entry(w.path);
            EXPECT_EQ(entry.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                      QStringList{entry.fileName()});
            continue;
        }
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, w.refusal);
        EXPECT_EQ(entry_at(w.path), before);
        EXPECT_FALSE(QFileInfo::exists(w.path + QStringLiteral(".target")));
    }
}

INSTANTIATE_TEST_SUITE_P(Each, Outside_Files, ::testing::ValuesIn(kHostile), [](const auto& info) {
    std::string name;
    for (const char c : std::string(info.param.label))
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name;
});

} // namespace
