#pragma once

// Comparing plan pictures with their golden images in tests/data/files/linemap. A missing
// golden fails; only with KORVALIN_WRITE_GOLDENS=1 in the environment is it written instead (to be
// reviewed before it is committed), as that folder's README says.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

inline bool NearColor(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 40 && std::abs(qGreen(a) - qGreen(b)) <= 40 &&
           std::abs(qBlue(a) - qBlue(b)) <= 40;
}

// Pixels of `a` that have no close colour within `radius` pixels in `b`: glyph hinting moves
// edges by a pixel and passes; a moved or missing line leaves whole runs unmatched.
inline int UnmatchedPixels(const QImage &a, const QImage &b, int radius)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            bool found = false;
            for (int dy = -radius; dy <= radius && !found; ++dy)
                for (int dx = -radius; dx <= radius && !found; ++dx) {
                    const int bx = x + dx, by = y + dy;
                    found = bx >= 0 && by >= 0 && bx < b.width() && by < b.height() && NearColor(p, b.pixel(bx, by));
                }
            n += !found;
        }
    return n;
}

// Pictures without text compare exactly (radius 0); text may move a pixel (radius 1). A picture
// that fails is saved beside the temporary files as <name>-actual.png.
inline void ExpectGolden(const QImage &image, const QString &name, int allowed = 0, int radius = 0)
{
    const QString dir = QStringLiteral(KORVALIN_TEST_DATA_DIR "/linemap");
    const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    const QImage actual = image.convertToFormat(QImage::Format_RGB32);
    if (!QFileInfo::exists(file)) {
        if (qEnvironmentVariableIntValue("KORVALIN_WRITE_GOLDENS") != 1) {
            ADD_FAILURE() << "missing golden image " << file.toStdString()
                          << " (KORVALIN_WRITE_GOLDENS=1 writes it)";
            return;
        }
        ASSERT_TRUE(QDir().mkpath(dir));
        ASSERT_TRUE(actual.save(file, "PNG"));
        std::printf("wrote golden image %s\n", qPrintable(file));
        return;
    }
    const QImage golden = QImage(file).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(golden.size(), actual.size()) << name.toStdString();
    const int missing = UnmatchedPixels(actual, golden, radius) + UnmatchedPixels(golden, actual, radius);
    if (missing > allowed)
        actual.save(QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral("-actual.png"), "PNG");
    EXPECT_LE(missing, allowed) << name.toStdString() << " differs from its golden image";
}
