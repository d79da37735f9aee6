#pragma once

// Reading plan pictures in the renderer tests: a pixel as its RGB colour, alpha left out.

#include <QImage>

inline QRgb px(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

inline int countColor(const QImage &image, QRgb color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += px(image, x, y) == (color & 0xFFFFFF);
    return n;
}
