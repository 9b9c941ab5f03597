#include "platform/File_Routines.h"
#include "platform/Message_Boxes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace smx::platform;

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

void make_file(const QString& path, const QByteArray& bytes = "data") {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

mode_t mode_of(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// A child process that holds the file open until it is killed.
class Holder {
public:
    explicit Holder(const QString& path) {
        process.start(S("/bin/sh"),
                      {S("-c"), S("exec 3<\"$1\"; echo held; exec sleep 30"), S("holder"), path});
        process.waitForReadyRead(5000);
        ok = process.readAll() == "held\n";
    }
    ~Holder() {
        process.kill();
        process.waitForFinished(5000);
    }
    QProcess process;
    bool ok = false;
};

// PATH pointing at one directory only, for the lifetime of the object.
class Path_Only {
public:
    explicit Path_Only(const QString& dir) : saved(qgetenv("PATH")) {
        qputenv("PATH", QFile::encodeName(dir));
    }
    ~Path_Only() { qputenv("PATH", saved); }
    QByteArray saved;
};

// A fake editor that records its arguments, NUL-separated, into `record`.
void make_fake_editor(const QString& dir, const QString& name, const QString& record) {
    const QString script = dir + QLatin1Char('/') + name;
    make_file(script, "#!/bin/sh\nfor a; do printf '%s\\0' \"$a\"; done > \"" +
                          QFile::encodeName(record) + "\"\n");
    ::chmod(QFile::encodeName(script).constData(), 0755);
}

QByteArray wait_for_file(const QString& path, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            QThread::msleep(50); // let the writer finish
            f.seek(0);
            return f.readAll();
        }
        QThread::msleep(20);
    }
    return "<nothing>";
}

} // namespace

TEST(Replace_All_Text, ReplacesEveryOccurrenceAndEnds) {
    EXPECT_EQ(Replace_All_Text(S("aXbXc"), S("X"), S("XX")), S("aXXbXXc"));
    EXPECT_EQ(Replace_All_Text(S("aXbXc"), S("X"), S("-")), S("a-b-c"));
    EXPECT_EQ(Replace_All_Text(Replace_All_Text(S("[Office PC]"), S("["), S("")), S("]"), S("")),
              S("Office PC"));
    EXPECT_EQ(Replace_All_Text(Replace_All_Text(S("[Lab] old"), S("["), S("")), S("]"), S("")),
              S("Lab old"));
    // A replacement that joins its neighbours into a new occurrence is replaced again.
    EXPECT_EQ(Replace_All_Text(S("aaabbb"), S("ab"), S("")), S(""));
    EXPECT_EQ(Replace_All_Text(S("xaab"), S("ab"), S("b")), S("xb"));
    EXPECT_EQ(Replace_All_Text(S("text"), S(""), S("x")), S("text"));
    EXPECT_EQ(Replace_All_Text(S(""), S("a"), S("aa")), S(""));
    EXPECT_EQ(Replace_All_Text(S("abc"), S("abc"), S("abcabc")), S("abcabc"));
    // The same result as replacing the first occurrence one at a time, on many small texts.
    auto one_at_a_time = [](QString text, const QString& search, const QString& replacement) {
        for (int i = 0; i < 1000; ++i) {
            const qsizetype at = text.indexOf(search);
            if (at < 0)
                break;
            text.replace(at, search.size(), replacement);
        }
        return text;
    };
    QRandomGenerator random(7);
    auto word = [&](int max) {
        QString w;
        for (int i = random.bounded(max + 1); i > 0; --i)
            w += QLatin1Char(random.bounded(2) ? 'a' : 'b');
        return w;
    };
    for (int i = 0; i < 3000; ++i) {
        const QString text = word(12), search = word(3), replacement = word(3);
        if (search.isEmpty() || replacement.contains(search))
            continue;
        ASSERT_EQ(Replace_All_Text(text, search, replacement),
                  one_at_a_time(text, search, replacement))
            << text.toStdString() << " " << search.toStdString() << " -> "
            << replacement.toStdString();
    }
    // Long texts are no problem.
    const QString many = QString(20000, QLatin1Char('x'));
    EXPECT_EQ(Replace_All_Text(many, S("x"), S("yz")).size(), 40000);
}

TEST(File_Name_Without_Extension, RemovesEveryOccurrenceOfTheLastExtension) {
    EXPECT_EQ(File_Name_Without_Extension(S("/x/my.bench.exe")), S("my.bench"));
    EXPECT_EQ(File_Name_Without_Extension(S("/x/speedmetrix")), S("speedmetrix"));
    EXPECT_EQ(File_Name_Without_Extension(S("/x.d/speedmetrix")), S("speedmetrix"));
    EXPECT_EQ(File_Name_Without_Extension(S("/x/a.exe.exe")), S("a"));
    EXPECT_EQ(File_Name_Without_Extension(S("/x/a.exe.b.exe")), S("a.b"));
    // Case counts: ".EXE" is other text than ".exe".
    EXPECT_EQ(File_Name_Without_Extension(S("/x/a.EXE.exe")), S("a.EXE"));
    // The extension is the text from the last "." on, whatever stands before it.
    EXPECT_EQ(File_Name_Without_Extension(S("/x/.hidden")), S(""));
    EXPECT_EQ(File_Name_Without_Extension(S("/x/my.benchmark.bench")), S("mymark"));
    EXPECT_EQ(File_Name_Without_Extension(S("name.txt")), S("name"));
    EXPECT_EQ(File_Name_Without_Extension(S("/x/trailing.")), S("trailing"));
}

TEST(File_Open_State, TellsClosedOpenMissingAndOthers) {
    QTemporaryDir dir;
    // A long path is looked at like any other.
    const QString sub = dir.filePath(QString(150, QLatin1Char('d')));
    ASSERT_TRUE(QDir().mkpath(sub));
    const QString path = sub + S("/file with blanks.ini");
    make_file(path);
    EXPECT_EQ(Get_File_Open_State(path), S("CLOSED"));
    {
        // Our own descriptors do not make it "OPEN".
        QFile own(path);
        ASSERT_TRUE(own.open(QIODevice::ReadWrite));
        EXPECT_EQ(Get_File_Open_State(path), S("CLOSED"));
    }
    {
        Holder holder(path);
        ASSERT_TRUE(holder.ok);
        EXPECT_EQ(Get_File_Open_State(path), S("OPEN"));
        EXPECT_FALSE(Delete_File_If_Closed(path));
        EXPECT_TRUE(QFile::exists(path));
    }
    EXPECT_EQ(Get_File_Open_State(path), S("CLOSED"));

    EXPECT_EQ(Get_File_Open_State(S("")), S(""));
    EXPECT_EQ(Get_File_Open_State(dir.filePath(S("missing"))), S(""));
    EXPECT_EQ(Get_File_Open_State(dir.filePath(S("no/such/dir"))), S(""));
    EXPECT_EQ(Get_File_Open_State(sub), S("ERROR"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_EQ(Get_File_Open_State(path), S("ERROR"));
}

TEST(File_Open_State, AFolderThatCannotBeEnteredIsNotFound) {
    QTemporaryDir dir;
    const QString closed = dir.filePath(S("closed"));
    ASSERT_TRUE(QDir().mkpath(closed));
    make_file(closed + S("/f"));
    ASSERT_EQ(::chmod(QFile::encodeName(closed).constData(), 0), 0);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    QString state;
    if (::geteuid() != 0) {
        state = Get_File_Open_State(closed + S("/f"));
    } else {
        // Root enters every folder: ask as an ordinary user.
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            ::_exit(Get_File_Open_State(closed + S("/f")) == S("NOT FOUND") ? 1 : 0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        state = WIFEXITED(status) && WEXITSTATUS(status) == 1 ? S("NOT FOUND") : S("other");
    }
    EXPECT_EQ(state, S("NOT FOUND"));
    ::chmod(QFile::encodeName(closed).constData(), 0755);
}

// Reached but not readable: access is denied, which is an error, not a missing file. Cleared
// of its attributes, such a file can be deleted.
TEST(File_Open_State, AFileThatMayNotBeReadIsAnError) {
    QTemporaryDir dir;
    const QString path = dir.filePath(S("f"));
    make_file(path);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0220), 0);
    if (::geteuid() != 0) {
        EXPECT_EQ(Get_File_Open_State(path), S("ERROR"));
    } else {
        // Root reads every file: ask as an ordinary user who may write the file but not read it.
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            ::_exit(Get_File_Open_State(path) == S("ERROR") ? 1 : 0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    EXPECT_TRUE(Set_File_Attributes(path, false, false, false, false));
    EXPECT_EQ(mode_of(path), 0600u);
}

TEST(File_Attributes, ReadOnlyIsTheOnlyOneThatCanBeSet) {
    QTemporaryDir dir;
    const QString path = dir.filePath(S("f"));
    make_file(path);
    ::chmod(QFile::encodeName(path).constData(), 0664);
    EXPECT_TRUE(Set_File_Attributes(path, true, false, false, false));
    EXPECT_EQ(mode_of(path), 0444u);
    EXPECT_TRUE(Set_File_Attributes(path, true, false, false, false));
    EXPECT_TRUE(Set_File_Attributes(path, false, false, false, false));
    EXPECT_EQ(mode_of(path), 0644u);
    EXPECT_FALSE(Set_File_Attributes(path, false, true, false, false));
    EXPECT_FALSE(Set_File_Attributes(path, false, false, true, false));
    EXPECT_FALSE(Set_File_Attributes(path, false, false, false, true));
    EXPECT_FALSE(Set_File_Attributes(dir.filePath(S("missing")), false, false, false, false));
}

TEST(Delete_File_If_Closed, DeletesAReadOnlyFileNobodyHoldsAndKeepsAHeldOneAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(S("settings.ini"));
    make_file(path);
    ::chmod(QFile::encodeName(path).constData(), 0444);
    {
        Holder holder(path);
        ASSERT_TRUE(holder.ok);
        EXPECT_FALSE(Delete_File_If_Closed(path));
        EXPECT_EQ(mode_of(path), 0444u);
    }
    EXPECT_TRUE(Delete_File_If_Closed(path));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(Delete_File_If_Closed(path));
    EXPECT_FALSE(Delete_File_If_Closed(S("")));
    // A directory is not a file to delete.
    EXPECT_FALSE(Delete_File_If_Closed(dir.path()));
    EXPECT_TRUE(QFileInfo::exists(dir.path()));
}

TEST(View_File_With_Notepad, StartsTheFirstEditorFoundWithThePathAsOneArgument) {
    QTemporaryDir bin;
    QTemporaryDir out;
    const QString record = out.filePath(S("argv"));
    make_fake_editor(bin.path(), S("mousepad"), out.filePath(S("wrong editor")));
    make_fake_editor(bin.path(), S("gedit"), record);
    Path_Only path_only(bin.path());
    Scripted_Responder responder;

    const QString awkward = S("/tmp/dir with blanks/\"quoted\" 'single' $HOME; *.INI");
    View_File_With_Notepad(awkward);
    EXPECT_EQ(wait_for_file(record), awkward.toUtf8() + '\0');
    EXPECT_TRUE(responder.shown().empty());
    EXPECT_FALSE(QFile::exists(out.filePath(S("wrong editor"))));

    QFile::remove(record);
    View_File_With_Notepad(S("-n"));
    EXPECT_EQ(wait_for_file(record), QByteArray("./-n") + '\0');

    QFile::remove(record);
    View_File_With_Notepad(S(""));
    ASSERT_EQ(responder.shown().size(), 1u);
    EXPECT_EQ(responder.shown()[0].kind, Box_Kind::Information);
    EXPECT_EQ(responder.shown()[0].title, S("Information"));
    EXPECT_EQ(responder.shown()[0].text, S("No Log File to View."));
    QThread::msleep(200);
    EXPECT_FALSE(QFile::exists(record));
}

TEST(View_File_With_Notepad, SaysSoWhenNoEditorIsFound) {
    QTemporaryDir empty_bin;
    Path_Only path_only(empty_bin.path());
    Scripted_Responder responder;
    View_File_With_Notepad(S("/tmp/x.ini"));
    View_File_With_Notepad(S(""));
    ASSERT_EQ(responder.shown().size(), 2u);
    for (const auto& box : responder.shown()) {
        EXPECT_EQ(box.kind, Box_Kind::Information);
        EXPECT_EQ(box.title, S("Information"));
        EXPECT_EQ(box.text, S("Windows Notepad could not be found."));
    }
}
