#include "platform/Default_Application.h"
#include "platform/Desktop_Entry.h"
#include "platform/File_Routines.h"
#include "platform/Message_Boxes.h"
#include "qt_printers.h"
#include "temporary_home.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace smx::platform;

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

void write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

// A home folder and system folders of its own, a desktop and a PATH that holds only the
// programs a test makes: nothing of the real machine's associations gets in.
class Default_Application : public ::testing::Test {
protected:
    smx::test::Temporary_Home home;
    QString bin, sys_config, sys_data, record;
    QByteArray saved_path;

    void SetUp() override {
        for (const char* name : {"XDG_CONFIG_DIRS", "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"})
            saved_[name] = qgetenv(name);
        bin = home.scratch() + S("/bin");
        sys_config = home.scratch() + S("/etc/xdg");
        sys_data = home.scratch() + S("/usr/share");
        record = home.scratch() + S("/argv");
        QDir().mkpath(bin);
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(sys_config));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(sys_data));
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        saved_path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin));
        for (const char* program : {"notes-a", "notes-b", "notes-c"})
            make_program(S(program));
    }
    void TearDown() override {
        qputenv("PATH", saved_path);
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name.c_str());
            else
                qputenv(name.c_str(), value);
        }
    }
    // A program that records its arguments, NUL-separated.
    void make_program(const QString& name) {
        write(bin + QLatin1Char('/') + name,
              "#!/bin/sh\nfor a; do printf '%s\\0' \"$a\"; done > \"" + QFile::encodeName(record) +
                  ".tmp\"; /bin/mv \"" + QFile::encodeName(record) + ".tmp\" \"" +
                  QFile::encodeName(record) + "\"\n");
        ::chmod(QFile::encodeName(bin + QLatin1Char('/') + name).constData(), 0755);
    }
    // An application entry in the applications folder of `data_dir`.
    static QString app(const QString& data_dir, const QString& file, const QByteArray& exec,
                       const QByteArray& extra = {}) {
        const QString path = data_dir + S("/applications/") + file;
        write(path, "[Desktop Entry]\nType=Application\nName=Notes\nExec=" + exec + "\n" + extra);
        return path;
    }
    static QString found() { return Default_Application_Entry(S("text/plain")); }

private:
    std::map<std::string, QByteArray> saved_;
};

TEST_F(Default_Application, TheListsCountInTheirOrder) {
    const QString a = app(sys_data, S("a.desktop"), "notes-a %U");
    const QString b = app(sys_data, S("b.desktop"), "notes-b %f");
    const QString c = app(home.home() + S("/.local/share"), S("c.desktop"), "notes-c");
    EXPECT_EQ(found(), QString());

    struct Step {
        QString list;
        QByteArray text;
        QString expected;
    };
    // Each step adds a list that counts more than every list before it.
    const Step steps[] = {
        {sys_data + S("/applications/mimeinfo.cache"), "[MIME Cache]\ntext/plain=b.desktop;\n", b},
        {sys_data + S("/applications/mimeapps.list"),
         "[Added Associations]\ntext/plain=a.desktop;\n", a},
        {sys_data + S("/applications/defaults.list"),
         "[Default Applications]\ntext/plain=b.desktop\n", b},
        {sys_data + S("/applications/mimeapps.list"),
         "[Default Applications]\ntext/plain=a.desktop\n", a},
        {sys_data + S("/applications/gnome-mimeapps.list"),
         "[Default Applications]\ntext/plain=c.desktop\n", c},
        {home.home() + S("/.local/share/applications/mimeapps.list"),
         "[Default Applications]\ntext/plain=b.desktop\n", b},
        {sys_config + S("/mimeapps.list"), "[Default Applications]\ntext/plain=c.desktop\n", c},
        {sys_config + S("/ubuntu-mimeapps.list"), "[Default Applications]\ntext/plain=a.desktop\n",
         a},
        {home.home() + S("/.config/mimeapps.list"),
         "[Default Applications]\ntext/html=a.desktop\ntext/plain = c.desktop;a.desktop;\n", c},
    };
    for (const Step& step : steps) {
        write(step.list, step.text);
        EXPECT_EQ(found(), step.expected) << step.list.toStdString();
    }
    EXPECT_EQ(Default_Application_Entry(S("text/html")), a);
    EXPECT_EQ(Default_Application_Entry(S("text/plai")), QString());
}

TEST_F(Default_Application, EntriesThatCannotOpenAFileHereArePassedOver) {
    const QString good = app(sys_data, S("good.desktop"), "notes-a %F");
    app(sys_data, S("hidden.desktop"), "notes-b", "Hidden=true\n");
    app(sys_data, S("terminal.desktop"), "notes-b", "Terminal=true\n");
    app(sys_data, S("missing.desktop"), "no-such-editor %f");
    app(sys_data, S("tryexec.desktop"), "notes-b", "TryExec=no-such-editor\n");
    app(sys_data, S("broken.desktop"), "\"notes-b");
    write(sys_data + S("/applications/link.desktop"), "[Desktop Entry]\nType=Link\nURL=x\n");
    const QString nested = app(sys_data, S("kde/notes.desktop"), "notes-c");
    write(home.home() + S("/.config/mimeapps.list"),
          "[Default Applications]\ntext/plain=gone.desktop;hidden.desktop;terminal.desktop;"
          "missing.desktop;tryexec.desktop;broken.desktop;link.desktop;good.desktop;\n");
    EXPECT_EQ(found(), good);
    // A "-" in the id may stand for a subfolder.
    write(home.home() + S("/.config/mimeapps.list"),
          "[Default Applications]\ntext/plain=hidden.desktop;kde-notes.desktop\n");
    EXPECT_EQ(found(), nested);
}

TEST_F(Default_Application, TheCommandGivesTheFileAsOneArgument) {
    app(sys_data, S("a.desktop"), "notes-a --new-window %U");
    write(sys_config + S("/mimeapps.list"), "[Default Applications]\ntext/plain=a.desktop\n");
    const QString file = S("/tmp/my results/Speedmetrix_DB.INI");
    const auto command = Default_Application_Command(S("text/plain"), file);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(*command, (QStringList{bin + S("/notes-a"), S("--new-window"), file}));
    EXPECT_FALSE(Default_Application_Command(S("text/html"), file).has_value());
}

TEST_F(Default_Application, TheViewerStartsTheDefaultWhenNoKnownEditorIsThere) {
    app(sys_data, S("a.desktop"), "notes-a --new-window %f");
    write(sys_data + S("/applications/mimeapps.list"),
          "[Default Applications]\ntext/plain=a.desktop\n");
    Scripted_Responder responder;
    const QString awkward = S("/tmp/dir with blanks/\"quoted\" $HOME; *.INI");
    View_File_With_Notepad(awkward);
    smx::test::wait_for_file(record);
    QFile argv(record);
    ASSERT_TRUE(argv.open(QIODevice::ReadOnly));
    EXPECT_EQ(argv.readAll(), QByteArray("--new-window\0", 13) + awkward.toUtf8() + '\0');
    EXPECT_TRUE(responder.shown().empty());

    View_File_With_Notepad(S(""));
    ASSERT_EQ(responder.shown().size(), 1u);
    EXPECT_EQ(responder.shown()[0].text, S("No Log File to View."));

    // With the default's program gone there is nothing to start.
    QFile::remove(bin + S("/notes-a"));
    responder.clear();
    View_File_With_Notepad(awkward);
    ASSERT_EQ(responder.shown().size(), 1u);
    EXPECT_EQ(responder.shown()[0].text, S("Windows Notepad could not be found."));
}

} // namespace

// A default chosen for plain text (the user's own, or the desktop's) comes before a known editor
// on PATH; what a program merely announces comes after it.
TEST_F(Default_Application, AChosenDefaultComesBeforeAKnownEditor) {
    make_program(S("gedit"));
    app(sys_data, S("a.desktop"), "notes-a --new-window %f");
    const QByteArray file = "/tmp/Speedmetrix_DB.INI";
    const struct {
        QString list;
        const char* group;
        bool by_default;
    } rows[] = {
        {home.home() + S("/.config/mimeapps.list"), "Default Applications", true},
        {sys_data + S("/applications/defaults.list"), "Default Applications", true},
        {home.home() + S("/.config/mimeapps.list"), "Added Associations", false},
    };
    Scripted_Responder responder;
    for (const auto& row : rows) {
        write(row.list, QByteArray("[") + row.group + "]\ntext/plain=a.desktop\n");
        QFile::remove(record);
        View_File_With_Notepad(QString::fromLatin1(file));
        smx::test::wait_for_file(record);
        QFile argv(record);
        ASSERT_TRUE(argv.open(QIODevice::ReadOnly));
        EXPECT_EQ(argv.readAll(),
                  (row.by_default ? QByteArray("--new-window\0", 13) : "") + file + '\0')
            << row.list.toStdString() << " " << row.group;
        QFile::remove(row.list);
    }
    EXPECT_TRUE(responder.shown().empty());
}
