#pragma once

#include <QString>

// Colour values as the tables and the drawing code keep them: red in the lowest byte, then
// green, then blue (Red + Green*256 + Blue*65536).

// Splits a colour value into its three parts, each 0 to 255.
void ColorToRGBParts(int Color, int &Red, int &Green, int &Blue);
// Joins three parts into a colour value. Throws std::range_error when the value does not
// fit in an int.
int RGBPartsToColor(int Red, int Green, int Blue);
// The parts as two upper-case hexadecimal digits each, red first: 255, 128, 0 give "FF8000".
QString RGBToHexString(int Red, int Green, int Blue);
