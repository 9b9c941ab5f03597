// Modal windows and message boxes, shown for real (no scripted responder): who owns them, whether
// they stay on top with their owner, and how a message's lines are laid out.
#include "platform/Message_Boxes.h"
#include "platform/Modal_Owner.h"
#include "platform/Window_On_Top.h"
#include "test_support.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace smx::platform;

namespace {

// Runs `look` on the topmost modal window once it is up, then closes it; fails (and closes
// everything) rather than hanging when none comes up.
void on_next_modal(std::function<void(QWidget&)> look) {
    QTimer::singleShot(0, qApp, [look] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            ADD_FAILURE() << "no modal window came up";
            return;
        }
        look(*modal);
        smx::test::Close_Modal_Windows();
    });
    QTimer::singleShot(3000, qApp, [] {
        if (QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a modal window stayed open";
            smx::test::Close_Modal_Windows();
        }
    });
}

struct Main_Window {
    explicit Main_Window(bool on_top) {
        window.setWindowTitle(QStringLiteral("main"));
        window.resize(300, 200);
        Set_Window_Stays_On_Top(window, on_top);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
    }
    QMainWindow window;
};

bool on_top(const QWidget& w) {
    return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint) &&
           w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
}

QWindow* transient_parent_of(const QWidget& w) {
    return w.windowHandle() ? w.windowHandle()->transientParent() : nullptr;
}

} // namespace

TEST(Modal_Windows, AMessageBoxBelongsToTheMainWindowAndStaysOnTopWithIt) {
    Keep_Modal_Windows_Above_Their_Owners();
    Keep_Modal_Windows_Above_Their_Owners(); // a second call changes nothing
    for (const bool top : {true, false}) {
        SCOPED_TRACE(top);
        Main_Window main(top);
        bool looked = false;
        on_next_modal([&](QWidget& box) {
            looked = true;
            EXPECT_NE(qobject_cast<QMessageBox*>(&box), nullptr);
            EXPECT_EQ(transient_parent_of(box), main.window.windowHandle());
            EXPECT_EQ(on_top(box), top);
        });
        show_information(QStringLiteral("Information"), QStringLiteral("A message."));
        EXPECT_TRUE(looked);
    }
}

// The text-input box and the program's own dialogs alike; a dialog shown again after its owner
// has left the top drops the flag; a message box of a dialog belongs to that dialog.
TEST(Modal_Windows, DialogsAndTheBoxesOfDialogsStandAboveWhatTheyBelongTo) {
    Keep_Modal_Windows_Above_Their_Owners();
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("dialog"));
    for (const bool top : {true, false}) {
        SCOPED_TRACE(top);
        Main_Window main(top);
        bool looked_at_input = false;
        on_next_modal([&](QWidget& box) {
            looked_at_input = true;
            EXPECT_EQ(transient_parent_of(box), main.window.windowHandle());
            EXPECT_EQ(on_top(box), top);
        });
        EXPECT_FALSE(input_text(QStringLiteral("Save under what name ?"),
                                QStringLiteral("Save name :"), QStringLiteral("This PC")));
        EXPECT_TRUE(looked_at_input);

        bool looked_at_box = false;
        QTimer::singleShot(0, &dialog, [&] {
            ASSERT_TRUE(dialog.isVisible());
            EXPECT_EQ(transient_parent_of(dialog), main.window.windowHandle());
            EXPECT_EQ(on_top(dialog), top);
            on_next_modal([&](QWidget& box) {
                looked_at_box = true;
                EXPECT_NE(&box, &dialog);
                EXPECT_EQ(transient_parent_of(box), dialog.windowHandle());
                EXPECT_EQ(on_top(box), top);
            });
            show_error(QStringLiteral("Error"), QStringLiteral("Refused."));
            dialog.reject();
        });
        QTimer::singleShot(3000, &dialog, [&] {
            if (dialog.isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                smx::test::Close_Modal_Windows();
            }
        });
        dialog.exec();
        EXPECT_TRUE(looked_at_box);
    }
}

// A window manager may minimise a dialog (and the window it belongs to) whatever the dialog
// asks for: message boxes, the text-input box and the dialogs that ask for it come back at once,
// with their owner.
TEST(Modal_Windows, AMinimisedBoxOrDialogComesBackWithItsOwner) {
    Keep_Modal_Windows_Above_Their_Owners();
    Main_Window main(false);
    QDialog dialog;
    Keep_Unminimised(dialog);
    const std::function<void()> shows[] = {
        [] { show_information(QStringLiteral("Information"), QStringLiteral("A message.")); },
        [] { input_text(QStringLiteral("Save under what name ?"), QStringLiteral("Save name :")); },
        [&] { dialog.exec(); },
    };
    for (const auto& show : shows) {
        bool looked = false;
        on_next_modal([&](QWidget& modal) {
            looked = true;
            main.window.setWindowState(Qt::WindowMinimized);
            modal.setWindowState(Qt::WindowMinimized);
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    return !(modal.windowState() & Qt::WindowMinimized) &&
                           !(main.window.windowState() & Qt::WindowMinimized);
                },
                1000))
                << modal.windowTitle().toStdString();
        });
        show();
        EXPECT_TRUE(looked);
    }
}

TEST(Modal_Windows, TheOwnerIsNeverTheWindowItselfNorAHiddenOne) {
    QDialog modal;
    QMainWindow hidden;
    EXPECT_EQ(Modal_Owner_Of(modal), nullptr);
    Main_Window main(false);
    EXPECT_EQ(Modal_Owner_Of(modal), &main.window);
    modal.show();
    QApplication::setActiveWindow(&modal);
    EXPECT_EQ(Modal_Owner_Of(modal), &main.window);
    modal.hide();
}

// The lines of a message stand as written: a long line is not wrapped at a space onto lines of
// its own, and the box is as wide as its longest line.
TEST(Message_Boxes, AMessagesOwnLineBreaksStandAndTheBoxFitsItsLongestLine) {
    const QString first = QStringLiteral("The directory / path settings required to make this "
                                         "program (speedmetrix)");
    const QString second = QStringLiteral("run automatically at Windows Start-up do not match "
                                          "where the program ");
    const QString text = first + QStringLiteral("\r\n") + second + QStringLiteral("\r\n") +
                         QStringLiteral("is currently being run from.") +
                         QStringLiteral("\r\n\r\n Old      = /a/b\r\n Current = /c/d");
    bool looked = false;
    on_next_modal([&](QWidget& box) {
        looked = true;
        auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        const QFontMetrics metrics(label->font());
        const int longest =
            std::max(metrics.horizontalAdvance(first), metrics.horizontalAdvance(second.trimmed()));
        EXPECT_GE(label->width(), longest);
        // Six lines, none of them broken in two.
        EXPECT_LT(label->height(), 7 * metrics.lineSpacing()) << label->height();
        EXPECT_GE(label->height(), 6 * metrics.lineSpacing() - 6);
        EXPECT_LE(box.width(), box.screen()->availableGeometry().width());
        // The spaces of the text are kept ("Old      =").
        EXPECT_TRUE(label->text().contains(QStringLiteral(" Old      = /a/b")));
    });
    EXPECT_EQ(ask_warning_question(QStringLiteral("Question"), text), Box_Answer::No);
    EXPECT_TRUE(looked);

    // A message's markup is shown as written.
    looked = false;
    on_next_modal([&](QWidget& box) {
        looked = true;
        auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->text().contains(QStringLiteral("&lt;b&gt;not bold&lt;/b&gt;")));
    });
    show_information(QStringLiteral("Information"), QStringLiteral("<b>not bold</b>"));
    EXPECT_TRUE(looked);
}

// Every box is readable in full and centred, frame and all, on the screen: a line wider than the
// screen is broken at a blank, a word wider than a line inside the word, and the box is never
// narrower than its title.
TEST(Message_Boxes, EveryTextIsReadableInFullAndTheFrameIsCentred) {
    struct Row {
        QString title;
        QString text;
    };
    const QString name = QString(120, QLatin1Char('W')) + QLatin1Char(' ') + QString(134, 'M');
    const Row rows[] = {
        {QStringLiteral("Windows PC Speedmetrix v1.3f"),
         QStringLiteral(
             "The Benchmark Results Data - with row and column headings - has been copied "
             "to Windows' Clipboard in TAB separated format.\r\n\r\nYou can now paste "
             "this data into your own documents or spreadsheets or web pages.")},
        {QStringLiteral("Information"),
         QStringLiteral("The benchmark data has been saved to the \"") + name +
             QStringLiteral("\" section in the \"Speedmetrix_DB.INI\" file. ")},
        {QStringLiteral("Windows PC Speedmetrix v1.3f"), QStringLiteral("Refused.")},
    };
    Main_Window main(false);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.left(40).toStdString());
        bool looked = false;
        on_next_modal([&](QWidget& box) {
            looked = true;
            QTest::qWait(50); // the frame is known and the box centred again if it must be
            auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            ASSERT_NE(label, nullptr);
            const QRect work = box.screen()->availableGeometry();
            const QRect frame = box.frameGeometry();
            EXPECT_TRUE(work.contains(frame)) << frame.width() << " wide on " << work.width();
            EXPECT_LE(std::abs(frame.center().x() - work.center().x()), 1);
            EXPECT_LE(std::abs(frame.center().y() - work.center().y()), 1);
            EXPECT_TRUE(QRect(QPoint(), box.size()).contains(label->geometry()));
            // Every line fits the label, and together they are the text.
            const QFontMetricsF metrics(label->font());
            const QStringList lines =
                QTextDocumentFragment::fromHtml(label->text()).toPlainText().split('\n');
            for (const QString& line : lines)
                EXPECT_LE(metrics.horizontalAdvance(line), label->width()) << line.toStdString();
            QString shown = lines.join(QString());
            QString written = row.text;
            shown.remove(QLatin1Char(' '));
            written.remove(QLatin1Char(' ')).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
            EXPECT_EQ(shown, written);
            QFont bold = box.font();
            bold.setBold(true);
            EXPECT_GT(box.width(), QFontMetrics(bold).horizontalAdvance(row.title) + 60);
        });
        show_error(row.title, row.text);
        EXPECT_TRUE(looked);
    }
}

// The lines of a box: the text's own breaks stand, a line is broken at a blank (the blank
// dropped) or, a word wider than the line, inside it; none is wider than asked.
TEST(Message_Boxes, WrapBoxTextBreaksAtBlanksAndInsideWordsTooLong) {
    struct Row {
        QString text;
        int width_in_chars;
        QStringList lines;
    };
    QFont font(QStringLiteral("Liberation Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(12);
    const QFontMetricsF metrics(font);
    const double char_width = metrics.horizontalAdvance(QLatin1Char('a'));
    const Row rows[] = {
        {QStringLiteral("short"), 20, {QStringLiteral("short")}},
        {QStringLiteral("one two\r\n\r\nthree"),
         20,
         {QStringLiteral("one two"), QString(), QStringLiteral("three")}},
        {QStringLiteral("aaaa bbbb cccc"),
         10,
         {QStringLiteral("aaaa bbbb"), QStringLiteral("cccc")}},
        {QStringLiteral("abcdefghijkl mn opq"),
         5,
         {QStringLiteral("abcde"), QStringLiteral("fghij"), QStringLiteral("kl mn"),
          QStringLiteral("opq")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        const int width = static_cast<int>(std::ceil(row.width_in_chars * char_width)) + 1;
        const QStringList lines = Wrap_Box_Text(row.text, font, width);
        EXPECT_EQ(lines, row.lines);
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), width);
    }
}
