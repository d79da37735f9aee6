#pragma once

#include <QString>

#include <cstdint>

class QPainter;

// Small pure routines shared by the plan engine, the course save and the style preview.

// Horizontal step sign of a compass angle (0 up, clockwise): 0 and 180 give 0, 1..179 give +1,
// 181..359 give -1; any other value gives Default.
int AngleDirX(int Angle, int Default);
// Vertical step sign in screen coordinates (y down): 0..89 and 271..359 give -1, 90 and 270
// give 0, 91..269 give +1; any other value gives Default.
int AngleDirY(int Angle, int Default);
// The height over side B of the triangle with sides A and B enclosing Gamma degrees
// (A * sin(Gamma) for a proper triangle). A degenerate triangle (B or the third side 0) gives 0.
double TriangleHeight(double A, double B, double Gamma);
// How much longer the diagonal of a square of side X is than its side.
double DiagonalExcess(double X);
// Sign of the cross product (B - A) x (C - A): +1, -1, or 0 when collinear. Computed without overflow for any int input.
int PointOrientation(int Ax, int Ay, int Bx, int By, int Cx, int Cy);
// Whether C lies on the segment A-B, with or without its end points.
bool PointOnSegment(int Ax, int Ay, int Bx, int By, int Cx, int Cy, bool IncludeEnds);
// Coordinates up to this size reach the painter as they are; nothing drawn beyond it can reach
// a picture, and neither the painter's shapes nor its text layout hold such positions.
constexpr std::int64_t kPlanPaintLimit = 1 << 22;

// Writes Text with the painter's font and pen turned Angle degrees counter-clockwise about
// (X, Y), the top left corner of the unrotated text cell (baseline at Y + ascent).
void TextOutAngle(QPainter &Canvas, int X, int Y, int Angle, const QString &Text);
// The same for a caller that knows the font's ascent on the painter's picture.
void TextOutAngle(QPainter &Canvas, int X, int Y, int Angle, const QString &Text, int Ascent);
