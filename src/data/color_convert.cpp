#include "data/color_convert.h"

#include <cstdint>
#include <limits>
#include <stdexcept>

void ColorToRGBParts(int Color, int &Red, int &Green, int &Blue)
{
    Red = Color & 0xFF;
    Green = (Color >> 8) & 0xFF;
    Blue = (Color >> 16) & 0xFF;
}

int RGBPartsToColor(int Red, int Green, int Blue)
{
    const std::int64_t value = std::int64_t(Red) + std::int64_t(Green) * 256 + std::int64_t(Blue) * 65536;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw std::range_error("RGBPartsToColor out of range");
    return int(value);
}

QString RGBToHexString(int Red, int Green, int Blue)
{
    auto hex = [](int part) { return QStringLiteral("%1").arg(uint(part), 2, 16, QLatin1Char('0')).toUpper(); };
    return hex(Red) + hex(Green) + hex(Blue);
}
