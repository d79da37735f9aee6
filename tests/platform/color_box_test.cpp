#include "platform/color_box.h"

#include "support/scripted_dialogs.h"

#include <QSignalSpy>

TEST(ColorBox, ListsTheCustomEntryAndTheSixteenStandardColours)
{
    ColorBox box;
    ASSERT_EQ(box.count(), 17);
    EXPECT_FALSE(box.hasColor());
    EXPECT_EQ(ColorBox::standardColor(9), 0x0000FFu); // red, in the low byte
    EXPECT_EQ(box.itemText(10), "Rot");
    EXPECT_FALSE(box.itemIcon(1).isNull());

    box.setColorValue(0xFF0000); // blue
    EXPECT_EQ(box.currentText(), "Blau");
    box.setColorValue(0x123456); // no standard colour: the custom entry shows it
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_EQ(box.colorValue(), 0x123456u);
    box.clearColor();
    EXPECT_FALSE(box.hasColor());
}

TEST(ColorBox, UserChoicesAreSignalledAndACancelledDialogChangesNothing)
{
    ScriptedDialogs d;
    ColorBox box;
    QSignalSpy changed(&box, &ColorBox::colorChanged);
    box.setColorValue(0x00FFFF);
    EXPECT_EQ(changed.count(), 0);

    emit box.activated(box.findText("Gelb")); // the colour shown already
    EXPECT_EQ(changed.count(), 0);
    emit box.activated(box.findText("Weiß"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.takeFirst().at(0).value<std::uint32_t>(), 0xFFFFFFu);

    d.colors.push_back(std::nullopt);
    emit box.activated(0);
    EXPECT_EQ(box.currentText(), "Weiß");
    EXPECT_EQ(changed.count(), 0);

    d.colors.push_back(0x0A0B0Cu);
    emit box.activated(0);
    EXPECT_EQ(box.colorValue(), 0x0A0B0Cu);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(d.colorDialogs, 2);
}
