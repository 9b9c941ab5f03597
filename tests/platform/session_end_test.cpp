#include "platform/Message_Boxes.h"
#include "platform/Session_End.h"
#include "platform/Termination.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace smx::platform;

namespace {

class Termination_State : public ::testing::Test {
protected:
    void SetUp() override { reset_termination_state_for_tests(); }
    void TearDown() override { reset_termination_state_for_tests(); }
};

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Numbered files in a temporary folder, as the disk test leaves them mid-run.
class Registered_Files : public Termination_State {
protected:
    QTemporaryDir dir;
    QString name(int n) const { return dir.filePath(QStringLiteral("T_%1.tmp").arg(n)); }
    QString victim() const { return dir.filePath(QStringLiteral("victim")); }
    void SetUp() override {
        Termination_State::SetUp();
        ASSERT_TRUE(dir.isValid());
        for (int n : {1, 2, 5}) {
            QFile f(name(n));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("ours");
        }
        QFile v(victim());
        ASSERT_TRUE(v.open(QIODevice::WriteOnly));
        v.write("keep");
        v.close();
        ASSERT_TRUE(QFile::link(victim(), name(3)));
        ASSERT_EQ(::mkfifo(native(name(4)).constData(), 0600), 0);
        register_numbered_temp_files(native(dir.filePath(QStringLiteral("T_"))), ".tmp");
        set_numbered_temp_file_count(4);
    }
    QStringList left() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }
};

TEST_F(Registered_Files, OnlyOurRegularFilesUpToTheCountAreRemoved) {
    remove_registered_temp_files();
    EXPECT_EQ(left(), (QStringList{"T_3.tmp", "T_4.tmp", "T_5.tmp", "victim"}));
    QFile v(victim());
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), QByteArray("keep"));

    // Nothing registered, nothing removed.
    unregister_numbered_temp_files();
    QFile again(name(1));
    ASSERT_TRUE(again.open(QIODevice::WriteOnly));
    again.close();
    remove_registered_temp_files();
    EXPECT_TRUE(QFile::exists(name(1)));
}

TEST_F(Registered_Files, SecondSignalRemovesThemAndEndsAtOnce) {
    install_termination_handler([] {});
    // The first signal is only noted; the second, before the event loop has handled the first,
    // ends the process by its own default action.
    EXPECT_EXIT(
        {
            std::raise(SIGTERM);
            if (!termination_requested() || !stop_requested())
                std::_Exit(3);
            std::raise(SIGTERM);
            std::_Exit(4);
        },
        ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(left(), (QStringList{"T_3.tmp", "T_4.tmp", "T_5.tmp", "victim"}));
}

// The cleaner a stop hands a long run's files to: it starts at the number given, keeps to our own
// regular files, and holds none of the program's files open while it works. A million missing
// names before the last file keep it busy for a while.
TEST_F(Registered_Files, BackgroundRemovalHoldsNothingOpenAndKeepsToOurFiles) {
    constexpr int last = 1000000;
    QFile far(name(last));
    ASSERT_TRUE(far.open(QIODevice::WriteOnly));
    far.close();
    set_numbered_temp_file_count(last);
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    ASSERT_TRUE(remove_registered_temp_files_in_background(2));
    ::close(pipe_ends[1]);
    char byte;
    EXPECT_EQ(::read(pipe_ends[0], &byte, 1), 0); // at once, unless the cleaner holds the pipe
    ::close(pipe_ends[0]);
    EXPECT_TRUE(QFile::exists(name(last))) << "the cleaner had ended before the pipe was closed";
    QElapsedTimer waited;
    waited.start();
    while (QFile::exists(name(last)) && waited.elapsed() < 60000)
        QThread::msleep(20);
    EXPECT_EQ(left(), (QStringList{"T_1.tmp", "T_3.tmp", "T_4.tmp", "victim"}));
}

// A start that is no window's gives the signals back their default actions, and a signal
// caught before that is not lost either.
TEST_F(Termination_State, DefaultActionsComeBackAndTakeASignalCaughtBefore) {
    EXPECT_EXIT(
        {
            install_termination_signals();
            std::raise(SIGHUP);
            if (!termination_requested())
                std::_Exit(3);
            restore_default_termination_signals();
            std::_Exit(4);
        },
        ::testing::KilledBySignal(SIGHUP), "");
    EXPECT_EXIT(
        {
            install_termination_signals();
            restore_default_termination_signals();
            std::raise(SIGINT);
            std::_Exit(5);
        },
        ::testing::KilledBySignal(SIGINT), "");
}

TEST_F(Termination_State, StopByCloseIsClearedButTheEndOfTheSessionStays) {
    EXPECT_FALSE(stop_requested());
    request_stop();
    EXPECT_TRUE(stop_requested());
    EXPECT_FALSE(termination_requested());
    clear_stop_request();
    EXPECT_FALSE(stop_requested());
    request_termination();
    clear_stop_request();
    EXPECT_TRUE(stop_requested());
    EXPECT_TRUE(termination_requested());
}

// A dialog without a Cancel answer: reject() does nothing, as for a box with only OK.
class Ok_Only_Dialog : public QDialog {
public:
    void reject() override {}
};

// Runs `command` from an event loop standing in for the program's main loop, begins the end of
// the session `after_ms` later, and records what happens in order.
struct Session_Script {
    QStringList events;
    int closes_refused = 0; // the main window defers this many closes (a run in progress)
    int close_boxes = 0;    // the close shows this many error boxes (files it cannot write)

    void run(const std::function<void()>& command, int after_ms = 100) {
        QEventLoop main_loop;
        Session_End end(
            [&] {
                if (closes_refused > 0) {
                    --closes_refused;
                    events << QStringLiteral("close deferred");
                    return false;
                }
                for (int i = 0; i < close_boxes; ++i) {
                    show_general_error(QStringLiteral("Unable to write to %1").arg(i));
                    events << QStringLiteral("close box answered");
                }
                events << QStringLiteral("closed");
                main_loop.quit();
                return true;
            },
            nullptr);
        QTimer::singleShot(0, [&] {
            command();
            events << QStringLiteral("command ended");
        });
        QTimer::singleShot(after_ms, [&] { end.begin(); });
        // A box left open would hold the test in its modal loop for ever: fail the program.
        QTimer::singleShot(5000, &main_loop, [] {
            std::fprintf(stderr, "the end of the session did not close the window\n");
            std::_Exit(1);
        });
        QElapsedTimer clock;
        clock.start();
        main_loop.exec();
        elapsed_ms = clock.elapsed();
    }
    qint64 elapsed_ms = 0;
};

TEST_F(Termination_State, BoxesGetTheirCancelAnswerAndTheCommandEndsBeforeTheClose) {
    Session_Script script;
    script.run([&] {
        const Box_Answer answer =
            ask_warning_question(QStringLiteral("t"), QStringLiteral("Sure?"));
        script.events << (answer == Box_Answer::No ? QStringLiteral("no") : QStringLiteral("yes"));
        show_information(QStringLiteral("t"), QStringLiteral("then this"));
        script.events << QStringLiteral("ok");
        const auto text =
            input_text(QStringLiteral("t"), QStringLiteral("Name"), QStringLiteral("x"));
        script.events << (text ? QStringLiteral("text") : QStringLiteral("cancel"));
        Ok_Only_Dialog dialog;
        script.events << (dialog.exec() == QDialog::Accepted ? QStringLiteral("accepted")
                                                             : QStringLiteral("rejected"));
    });
    EXPECT_EQ(script.events,
              (QStringList{"no", "ok", "cancel", "accepted", "command ended", "closed"}));
    EXPECT_LT(script.elapsed_ms, 2000);
}

TEST_F(Termination_State, DeferredCloseIsAskedAgain) {
    Session_Script script;
    script.closes_refused = 3;
    script.run([] {}, 0);
    EXPECT_EQ(script.events, (QStringList{"command ended", "close deferred", "close deferred",
                                          "close deferred", "closed"}));
}

} // namespace

// The boxes of the close itself (the results database, then the settings file, refused) come
// after every earlier box has gone, and are answered the same way.
TEST_F(Termination_State, BoxesThatTheCloseOpensAreAnsweredToo) {
    Session_Script script;
    script.close_boxes = 2;
    script.run([] { show_information(QStringLiteral("t"), QStringLiteral("open before")); });
    EXPECT_EQ(script.events,
              (QStringList{"command ended", "close box answered", "close box answered", "closed"}));
    EXPECT_LT(script.elapsed_ms, 2000);
}
