#include "linemap/draw_geometry.h"
#include "linemap/linemap_canvas.h"

#include "support/gui_environment.h"
#include "plan_pixels.h"

#include <QPainter>

#include <cmath>
#include <limits>

TEST(DrawGeometry, AngleDirections)
{
    EXPECT_EQ(AngleDirX(0, 7), 0);
    EXPECT_EQ(AngleDirX(45, 7), 1);
    EXPECT_EQ(AngleDirX(180, 7), 0);
    EXPECT_EQ(AngleDirX(181, 7), -1);
    EXPECT_EQ(AngleDirX(359, 7), -1);
    EXPECT_EQ(AngleDirX(360, 7), 7);
    EXPECT_EQ(AngleDirX(-45, 7), 7);
    EXPECT_EQ(AngleDirY(0, 5), -1);
    EXPECT_EQ(AngleDirY(90, 5), 0);
    EXPECT_EQ(AngleDirY(135, 5), 1);
    EXPECT_EQ(AngleDirY(270, 5), 0);
    EXPECT_EQ(AngleDirY(315, 5), -1);
    EXPECT_EQ(AngleDirY(-1, 5), 5);
}

TEST(DrawGeometry, TrianglesIncludingDegenerateOnes)
{
    EXPECT_NEAR(TriangleHeight(10, 20, 45), 7.0711, 1e-3);
    EXPECT_NEAR(TriangleHeight(10, 3, 45), 7.0711, 1e-3);
    EXPECT_NEAR(DiagonalExcess(10), 4.1421, 1e-3);
    // An empty station name has width 0: the height is 0, never NaN.
    EXPECT_EQ(TriangleHeight(10, 0, 45), 0.0);
    EXPECT_EQ(TriangleHeight(0, 0, 45), 0.0);
    EXPECT_FALSE(std::isnan(TriangleHeight(0, 10, 45)));
    EXPECT_NEAR(TriangleHeight(0, 10, 45), 0.0, 1e-9);
}

TEST(DrawGeometry, OrientationAndSegments)
{
    EXPECT_EQ(PointOrientation(0, 0, 10, 0, 5, 5), 1);
    EXPECT_EQ(PointOrientation(0, 0, 10, 0, 5, -5), -1);
    EXPECT_EQ(PointOrientation(0, 0, 10, 0, 20, 0), 0);
    // Products beyond 32 bits keep their sign.
    const int big = std::numeric_limits<int>::max();
    EXPECT_EQ(PointOrientation(0, 0, big, 0, 0, big), 1);
    EXPECT_EQ(PointOrientation(-big, -big, big, big, big, -big), -1);

    EXPECT_TRUE(PointOnSegment(0, 0, 10, 0, 10, 0, true));
    EXPECT_FALSE(PointOnSegment(0, 0, 10, 0, 10, 0, false));
    EXPECT_TRUE(PointOnSegment(0, 0, 10, 0, 5, 0, true));
    EXPECT_TRUE(PointOnSegment(0, 0, 10, 0, 5, 0, false));
    EXPECT_FALSE(PointOnSegment(0, 0, 10, 0, 5, 1, true));
    EXPECT_TRUE(PointOnSegment(4, 0, 4, 8, 4, 3, false));
    EXPECT_FALSE(PointOnSegment(4, 0, 4, 8, 4, 8, false));
    EXPECT_TRUE(PointOnSegment(10, 10, 0, 0, 5, 5, false));
    EXPECT_FALSE(PointOnSegment(3, 3, 3, 3, 3, 3, false));
    EXPECT_TRUE(PointOnSegment(3, 3, 3, 3, 3, 3, true));
}

TEST(PlanCanvas, PixelConventions)
{
    QImage image = NewPlanPicture(40, 30);
    ASSERT_EQ(image.dotsPerMeterX(), 3780);
    QPainter p(&image);
    BeginPlanPainter(p);
    // A line covers its start, not its end.
    SetPlanPen(p, 0x0000FF, 1);
    PlanLine(p, 2, 2, 12, 2);
    EXPECT_EQ(image.pixel(2, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(11, 2) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(12, 2) & 0xFFFFFF, 0xFFFFFFu);
    PlanLine(p, 30, 5, 30, 15);
    EXPECT_EQ(image.pixel(30, 14) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(30, 15) & 0xFFFFFF, 0xFFFFFFu);
    // A rectangle from (x1, y1) to (x2, y2) covers x1 .. x2 - 1 and y1 .. y2 - 1, outline included.
    SetPlanPen(p, 0, 1);
    SetPlanBrush(p, 0x00FF00);
    PlanRectangle(p, 10, 10, 16, 14);
    p.end();
    EXPECT_EQ(countColor(image.copy(10, 10, 6, 4), qRgb(0, 0, 0)), 2 * 6 + 2 * 2);
    EXPECT_EQ(countColor(image.copy(10, 10, 6, 4), qRgb(0, 255, 0)), 4 * 2);
    EXPECT_EQ(image.pixel(16, 10) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(10, 14) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(9, 9) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(PlanCanvas, ColoursFontsAndRotatedText)
{
    EXPECT_EQ(PlanColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(PlanColorValue(QColor(1, 2, 3)), 0x030201u);
    FontValue f;
    f.name = QStringLiteral("Arial");
    f.size = 12;
    // 12 points at 96 dpi are 16 pixels.
    EXPECT_EQ(PlanFont(f).pointSize(), 12);
    const QSize extent = PlanTextExtent(PlanFont(f), QStringLiteral("Hauptbahnhof"));
    EXPECT_GT(extent.width(), 60);
    EXPECT_GE(extent.height(), 16);
    EXPECT_LE(extent.height(), 20);

    // Text turned 90 degrees counter-clockwise runs upwards from its point.
    QImage image = NewPlanPicture(100, 100);
    QPainter p(&image);
    BeginPlanPainter(p);
    p.setFont(PlanFont(f));
    SetPlanPen(p, 0, 1);
    TextOutAngle(p, 50, 90, 90, QStringLiteral("Bahnhof"));
    p.end();
    int minX = 100, maxX = -1, minY = 100, maxY = -1;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_GE(minX, 50);
    EXPECT_LE(maxX, 50 + extent.height());
    EXPECT_LE(maxY, 90);
    EXPECT_LT(minY, 90 - extent.width() / 2);
}
