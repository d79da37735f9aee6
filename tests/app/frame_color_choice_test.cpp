#include "app/frame_color_choice.h"

#include "support/app_environment.h"
#include "platform/color_box.h"
#include "support/scripted_dialogs.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Frame {
    TFrameColorChoice f;
    QLineEdit *red = f.findChild<QLineEdit *>("eRedColor");
    QLineEdit *green = f.findChild<QLineEdit *>("eGreenColor");
    QLineEdit *blue = f.findChild<QLineEdit *>("eBlueColor");
    QLineEdit *hex = f.findChild<QLineEdit *>("eHexColor");
    ColorBox *box = f.findChild<ColorBox *>("cobColorSelect");

    QString fields() const
    {
        return QStringLiteral("%1 %2 %3 %4").arg(red->text(), green->text(), blue->text(), hex->text());
    }
    QString values() const { return QStringLiteral("%1 %2 %3 %4").arg(f.Red).arg(f.Green).arg(f.Blue).arg(f.HexColor); }
    // The user replaces a field's text and leaves it.
    void type(QLineEdit *field, const QString &text)
    {
        field->selectAll();
        QTest::keyClicks(field, text);
        if (field == red)
            f.eRedColorExit();
        else if (field == green)
            f.eGreenColorExit();
        else if (field == blue)
            f.eBlueColorExit();
        else
            f.eHexColorExit();
    }
};

} // namespace

TEST(FrameColorChoice, StartsBlackWithLimitedFields)
{
    Frame fr;
    ASSERT_TRUE(fr.red && fr.green && fr.blue && fr.hex && fr.box);
    EXPECT_EQ(fr.fields(), "0 0 0 000000");
    EXPECT_EQ(fr.red->maxLength(), 3);
    EXPECT_EQ(fr.hex->maxLength(), 6);
}

TEST(FrameColorChoice, HexAndPartsFollowEachOther)
{
    ScriptedDialogs d;
    Frame fr;
    fr.f.FrameEnter();
    fr.type(fr.hex, "0f8"); // the hex filter makes it upper case
    EXPECT_EQ(fr.fields(), "0 255 136 00FF88");
    EXPECT_EQ(fr.values(), "0 255 136 00FF88");
    EXPECT_EQ(fr.box->colorValue(), 0x88FF00u);

    fr.f.SetRGBColor(0, 0, 0);
    fr.type(fr.red, "18");
    EXPECT_EQ(fr.fields(), "18 0 0 120000");
    EXPECT_EQ(fr.values(), "18 0 0 120000");
    EXPECT_EQ(fr.box->colorValue(), 18u);
    EXPECT_EQ(d.beeps, 0);
}

TEST(FrameColorChoice, RefusedInputBeepsAndRestoresTheLastGoodText)
{
    ScriptedDialogs d;
    Frame fr;
    fr.f.SetRGBColor(10, 20, 30);
    fr.type(fr.red, "256");
    EXPECT_EQ(d.beeps, 1);
    EXPECT_EQ(fr.fields(), "10 20 30 0A141E");
    EXPECT_EQ(fr.values(), "10 20 30 0A141E");

    // Empty, with the comma the decimal filter passes, or pasted letters: refused alike.
    fr.green->setText("");
    fr.f.eGreenColorExit();
    fr.type(fr.blue, "1,5");
    fr.blue->setText("ab");
    fr.f.eBlueColorExit();
    EXPECT_EQ(d.beeps, 4);
    EXPECT_EQ(fr.fields(), "10 20 30 0A141E");

    // A hex text of neither 3 nor 6 digits, or with letters beyond F (pasted).
    fr.type(fr.hex, "12");
    fr.hex->setText("12345G");
    fr.f.eHexColorExit();
    EXPECT_EQ(d.beeps, 6);
    EXPECT_EQ(fr.values(), "10 20 30 0A141E");
    EXPECT_EQ(fr.fields(), "10 20 30 0A141E");
}

TEST(FrameColorChoice, EnteringWithoutAChangeKeepsTheGivenColour)
{
    Frame fr;
    fr.f.SetRGBColor(200, 100, 50);
    fr.f.FrameEnter();
    EXPECT_EQ(fr.values(), "200 100 50 C86432");
    fr.f.eRedColorExit();
    fr.f.eHexColorExit();
    EXPECT_EQ(fr.values(), "200 100 50 C86432");

    Frame hexFirst;
    hexFirst.f.SetHexColor("00FF88");
    hexFirst.f.FrameEnter();
    EXPECT_EQ(hexFirst.values(), "0 255 136 00FF88");
    EXPECT_EQ(hexFirst.fields(), "0 255 136 00FF88");
}

TEST(FrameColorChoice, ColourBoxSetsTheFieldsAndOnlyUserEditsAreSignalled)
{
    ScriptedDialogs d;
    Frame fr;
    QSignalSpy edits(&fr.f, &TFrameColorChoice::ColorChanged);
    QSignalSpy picks(&fr.f, &TFrameColorChoice::ColorSelectChanged);
    fr.f.SetRGBColor(1, 2, 3);
    EXPECT_EQ(edits.count() + picks.count(), 0);

    // Red is the tenth standard colour (after the custom entry at the top).
    const int redRow = fr.box->findText("Rot");
    ASSERT_GT(redRow, 0);
    emit fr.box->activated(redRow);
    EXPECT_EQ(fr.fields(), "255 0 0 FF0000");
    EXPECT_EQ(picks.count(), 1);

    d.colors.push_back(0x336699u);
    emit fr.box->activated(0);
    EXPECT_EQ(fr.values(), "153 102 51 996633");
    d.colors.push_back(std::nullopt); // cancelled: nothing changes
    emit fr.box->activated(0);
    EXPECT_EQ(fr.values(), "153 102 51 996633");
    EXPECT_EQ(picks.count(), 2);

    QTest::keyClicks(fr.blue, "9");
    EXPECT_EQ(edits.count(), 1);
}

TEST(FrameColorChoice, NoColourEmptiesAndHidesAndAClickMakesItBlack)
{
    Frame fr;
    fr.f.show();
    fr.f.SetNoColor();
    EXPECT_EQ(fr.values(), "-1 -1 -1 ");
    EXPECT_EQ(fr.fields(), "   ");
    EXPECT_TRUE(fr.f.isHidden());
    EXPECT_FALSE(fr.box->hasColor());
    fr.f.cobColorSelectClick();
    EXPECT_EQ(fr.values(), "0 0 0 000000");
    EXPECT_EQ(fr.fields(), "0 0 0 000000");
}

TEST(FrameColorChoice, FocusEntersTheFrameAndLeavingAFieldChecksIt)
{
    ScriptedDialogs d;
    QWidget host;
    auto *frame = new TFrameColorChoice(&host);
    auto *other = new QLineEdit(&host);
    other->move(0, 120);
    host.show();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    auto *red = frame->findChild<QLineEdit *>("eRedColor");
    red->setFocus();
    EXPECT_EQ(frame->tag(), 1);
    red->selectAll();
    QTest::keyClicks(red, "300");
    other->setFocus();
    EXPECT_EQ(d.beeps, 1);
    EXPECT_EQ(red->text(), "0");
    EXPECT_TRUE(red->hasFocus());
    QTest::keyClicks(red, "\r"); // Enter moves on; "0" is left unchanged
    EXPECT_FALSE(red->hasFocus());
    EXPECT_EQ(frame->HexColor, "000000");
}
