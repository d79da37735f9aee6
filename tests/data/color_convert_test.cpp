#include "data/color_convert.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(ColorConvert, PartsAndValues)
{
    int red = -1, green = -1, blue = -1;
    ColorToRGBParts(0xF0FBFF, red, green, blue);
    EXPECT_EQ(red, 0xFF);
    EXPECT_EQ(green, 0xFB);
    EXPECT_EQ(blue, 0xF0);
    EXPECT_EQ(RGBPartsToColor(red, green, blue), 0xF0FBFF);
    EXPECT_EQ(RGBPartsToColor(0, 0, 0), 0);
    EXPECT_EQ(RGBPartsToColor(1, 2, 3), 1 + 2 * 256 + 3 * 65536);
    EXPECT_THROW(RGBPartsToColor(0, 0, 40000), std::range_error);

    EXPECT_EQ(RGBToHexString(255, 128, 0), QStringLiteral("FF8000"));
    EXPECT_EQ(RGBToHexString(0, 0, 0), QStringLiteral("000000"));
    EXPECT_EQ(RGBToHexString(10, 171, 205), QStringLiteral("0AABCD"));
}
