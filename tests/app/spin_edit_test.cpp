#include "platform/Events.h"
#include "platform/Spin_Edit.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <gtest/gtest.h>

using smx::platform::TSpinEdit;

namespace {

struct Field {
    QWidget window;
    TSpinEdit* spin;
    QLineEdit* other;
    Field(int min, int max, int step, int value) {
        spin = new TSpinEdit(&window);
        spin->setMinValue(min);
        spin->setMaxValue(max);
        spin->setIncrement(step);
        spin->setValue(value);
        other = new QLineEdit(&window);
        other->move(0, 40);
        window.show();
        spin->setFocus();
        QApplication::setActiveWindow(&window);
    }
    QLineEdit* edit() const { return spin->findChild<QLineEdit*>(); }
    void type_text(const QString& text) {
        edit()->clear();
        QTest::keyClicks(spin, text);
    }
    void leave() { other->setFocus(); }
};

} // namespace

TEST(Spin_Edit, WritingClampsUnlessTheBoundsAreEqual) {
    Field f(1, 2147, 100, 900);
    f.spin->setValue(0);
    EXPECT_EQ(f.spin->Value(), 1);
    f.spin->setValue(5000);
    EXPECT_EQ(f.spin->Value(), 2147);
    f.spin->setMinValue(7);
    f.spin->setMaxValue(7);
    f.spin->setValue(-40);
    EXPECT_EQ(f.spin->Value(), -40);
}

TEST(Spin_Edit, TextThatIsNotAWholeNumberReadsAsTheMinimum) {
    Field f(1, 2147483647, 10, 500);
    for (const char* text : {"", "-", "+", "1.5", "99999999999", "2147483648", "12a"}) {
        f.edit()->setText(QString::fromLatin1(text));
        EXPECT_EQ(f.spin->Value(), 1) << '"' << text << '"';
    }
    f.edit()->setText(QStringLiteral("+42"));
    EXPECT_EQ(f.spin->Value(), 42);
    f.edit()->setText(QStringLiteral("-3"));
    EXPECT_EQ(f.spin->Value(), -3); // reading does not clamp; leaving the field does
}

TEST(Spin_Edit, KeyFilterRefusesLettersWithABeep) {
    Field f(1, 2147, 100, 900);
    const int beeps = smx::platform::beep_count();
    f.type_text(QStringLiteral("4x2"));
    EXPECT_EQ(f.edit()->text(), QStringLiteral("42"));
    EXPECT_EQ(smx::platform::beep_count(), beeps + 1);
    QTest::keyClick(f.spin, Qt::Key_Return);
    EXPECT_EQ(smx::platform::beep_count(), beeps + 2);
    f.type_text(QStringLiteral("-+7"));
    EXPECT_EQ(f.edit()->text(), QStringLiteral("-+7"));
    EXPECT_EQ(smx::platform::beep_count(), beeps + 2);
    EXPECT_TRUE(TSpinEdit::accepts_typed_character(QLocale().decimalPoint().front()));
    EXPECT_FALSE(TSpinEdit::accepts_typed_character(QLatin1Char(' ')));
    EXPECT_TRUE(TSpinEdit::accepts_typed_character(QChar(8))); // backspace
}

TEST(Spin_Edit, ArrowsAndKeysStepWithClamping) {
    Field f(1, 2147, 100, 2100);
    QTest::keyClick(f.spin, Qt::Key_Up);
    EXPECT_EQ(f.spin->Value(), 2147);
    QTest::keyClick(f.spin, Qt::Key_Down);
    EXPECT_EQ(f.spin->Value(), 2047);
    f.edit()->setText(QStringLiteral("abc")); // reads as the minimum, so steps from 1
    f.spin->stepBy(1);
    EXPECT_EQ(f.spin->Value(), 101);
    Field big(1, 2147483647, 10, 2147483640);
    big.spin->stepBy(1);
    EXPECT_EQ(big.spin->Value(), 2147483647);
    big.spin->stepBy(1);
    EXPECT_EQ(big.spin->Value(), 2147483647);
}

TEST(Spin_Edit, LeavingTheFieldCorrectsOnlyWholeNumbers) {
    Field loops(1, 2147, 100, 900);
    loops.type_text(QStringLiteral("5000"));
    loops.leave();
    EXPECT_EQ(loops.edit()->text(), QStringLiteral("2147"));

    Field files(1, 2147483647, 10, 500);
    files.type_text(QString());
    files.leave();
    EXPECT_EQ(files.edit()->text(), QString());
    EXPECT_EQ(files.spin->Value(), 1);

    files.spin->setFocus();
    files.type_text(QStringLiteral("1.5"));
    files.leave();
    EXPECT_EQ(files.edit()->text(), QStringLiteral("1.5"));

    files.spin->setFocus();
    files.type_text(QStringLiteral("-8"));
    files.leave();
    EXPECT_EQ(files.edit()->text(), QStringLiteral("1"));
}
