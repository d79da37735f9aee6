#include "linemap/draw_geometry.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

int AngleDirX(int Angle, int Default)
{
    if (Angle < 0 || Angle >= 360)
        return Default;
    if (Angle == 0 || Angle == 180)
        return 0;
    return Angle < 180 ? 1 : -1;
}

int AngleDirY(int Angle, int Default)
{
    if (Angle < 0 || Angle >= 360)
        return Default;
    if (Angle == 90 || Angle == 270)
        return 0;
    return (Angle > 90 && Angle < 270) ? 1 : -1;
}

double TriangleHeight(double A, double B, double Gamma)
{
    const double cosG = std::cos(2 * std::numbers::pi * Gamma / 360);
    const double C = std::sqrt(std::max(0.0, A * A + B * B - 2 * A * B * cosG));
    // An empty name gives a side of 0; the height is then 0 rather than the NaN of 0 / 0.
    if (B == 0 || C == 0)
        return 0;
    double x = (A * A - B * B - C * C) / (-2 * B * C);
    x = std::clamp(x, -1.0, 1.0); // rounding may push it a hair outside ArcCos's range
    const double Alpha = std::atan2(std::sqrt(1 - x * x), x);
    return std::sin(Alpha) * C;
}

double DiagonalExcess(double X)
{
    return std::sqrt(2 * X * X) - X;
}

int PointOrientation(int Ax, int Ay, int Bx, int By, int Cx, int Cy)
{
    // Differences of 32-bit values need 33 bits, their products 66: compare the two products
    // in 128 bits so that no plan coordinate, however large, overflows.
    const __int128 l = __int128(std::int64_t(Bx) - Ax) * (std::int64_t(Cy) - Ay);
    const __int128 r = __int128(std::int64_t(Cx) - Ax) * (std::int64_t(By) - Ay);
    return l > r ? 1 : (l < r ? -1 : 0);
}

bool PointOnSegment(int Ax, int Ay, int Bx, int By, int Cx, int Cy, bool IncludeEnds)
{
    if (PointOrientation(Ax, Ay, Bx, By, Cx, Cy) != 0)
        return false;
    if (IncludeEnds) {
        const bool xs = Bx > Ax ? (Ax <= Cx && Cx <= Bx) : (Bx <= Cx && Cx <= Ax);
        const bool ys = Ay < By ? (Ay <= Cy && Cy <= By) : (By <= Cy && Cy <= Ay);
        return xs && ys;
    }
    bool xs;
    if (Bx == Ax && Ay != By)
        xs = true;
    else
        xs = Bx > Ax ? (Ax < Cx && Cx < Bx) : (Bx < Cx && Cx < Ax);
    if (!xs)
        return false;
    if (Ay == By && Bx != Ax)
        return true;
    return Ay < By ? (Ay < Cy && Cy < By) : (By < Cy && Cy < Ay);
}

void TextOutAngle(QPainter &Canvas, int X, int Y, int Angle, const QString &Text)
{
    TextOutAngle(Canvas, X, Y, Angle, Text, QFontMetrics(Canvas.font(), Canvas.device()).ascent());
}

void TextOutAngle(QPainter &Canvas, int X, int Y, int Angle, const QString &Text, int Ascent)
{
    // A name or label can only be so long: written this far away it cannot reach any picture.
    const std::int64_t baseline = std::int64_t(Y) + Ascent;
    if (X < -kPlanPaintLimit || X > kPlanPaintLimit || baseline < -kPlanPaintLimit || baseline > kPlanPaintLimit)
        return;
    // Only the transform and the background mode change here, and only they are put back:
    // saving the painter's whole state would cost more than writing a short name.
    const Qt::BGMode mode = Canvas.backgroundMode();
    Canvas.setBackgroundMode(Qt::TransparentMode);
    if (Angle == 0) {
        Canvas.drawText(X, int(baseline), Text);
    } else {
        const QTransform old = Canvas.transform();
        Canvas.translate(X, Y);
        // Screen y grows downwards, so a counter-clockwise turn is a negative Qt rotation.
        Canvas.rotate(-double(Angle));
        Canvas.drawText(0, Ascent, Text);
        Canvas.setTransform(old);
    }
    Canvas.setBackgroundMode(mode);
}
