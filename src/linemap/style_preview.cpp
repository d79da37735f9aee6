#include "linemap/style_preview.h"

#include <QList>
#include <QPainter>

#include <cmath>

#include "linemap/draw_geometry.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_records.h"
#include "linemap/linemap_state.h"
#include "linemap/plan_style_rules.h"

QString PreviewStationName(int Index)
{
    return Index == 0 ? QStringLiteral("Hauptbahnhof") : QStringLiteral("Marktplatz");
}

namespace {

double TH(double a, double b)
{
    return TriangleHeight(a, b, 45);
}

double DE(double v)
{
    return DiagonalExcess(v);
}

int halfDiag(double v) // Rnd(sqrt(v² / 2))
{
    return Rnd(std::sqrt(v * v / 2));
}

struct Sample
{
    QPoint lineFrom, lineTo, point1, point2;
};

Sample sampleOf(int Cls, int Wp, int Hp)
{
    switch (Cls) {
    case dcNS:
        return {{Wp / 2, 0}, {Wp / 2, Hp}, {Wp / 2, Hp / 3}, {Wp / 2, 2 * (Hp / 3)}};
    case dcNWSE:
        return {{0, 0}, {Wp, Hp}, {Wp / 3, Hp / 3}, {2 * (Wp / 3), 2 * (Hp / 3)}};
    case dcSWNE:
        return {{0, Hp}, {Wp, 0}, {Wp / 3, 2 * (Hp / 3)}, {2 * (Wp / 3), Hp / 3}};
    default:
        return {{0, Hp / 2}, {Wp, Hp / 2}, {Wp / 3, Hp / 2}, {2 * (Wp / 3), Hp / 2}};
    }
}

// The station points that name 1 and name 2 belong to: SWNE names the upper right one first.
std::pair<QPoint, QPoint> namePoints(int Cls, int Wp, int Hp)
{
    const Sample s = sampleOf(Cls, Wp, Hp);
    if (Cls == dcSWNE)
        return {s.point2, s.point1};
    return {s.point1, s.point2};
}

void prepareTextCanvas(QPainter &Canvas, const TLineMapPrefs &Prefs)
{
    Canvas.setFont(PlanFont(Prefs.StationFont));
    SetPlanPen(Canvas, Prefs.StationFont.color, 1);
    Canvas.setBrush(Qt::NoBrush);
    Canvas.setBackgroundMode(Qt::TransparentMode);
}

} // namespace

QPoint StationNameOrigin(int Cls, int Position, int TextDirection, int Rotation, int OffsetX, int OffsetY, int X,
                         int Y, int Wt, int Ht, int LineWidth, bool PreviewRow)
{
    // The point and the offsets come from the plan files and may lie anywhere in the range:
    // everything is summed in 64 bits and the origin held within int at the end.
    const PlanInt x = PlanInt(X) + OffsetX;
    const PlanInt y = PlanInt(Y) + OffsetY;
    const PlanInt w = Wt;
    const PlanInt ht = Ht;
    const PlanInt h = LineWidth / 2;
    PlanInt x0 = 0;
    PlanInt y0 = 0;
    switch (Cls) {
    case dcNS:
        x0 = Position == 0 ? x - w - h : x + h;
        y0 = y - ht / 2;
        break;
    case dcNWSE:
        x0 = Position == 0 ? x + ht / 2 + h : x - ht / 2 - w - h;
        y0 = y - ht / 2;
        break;
    case dcSWNE:
        x0 = Position == 0 ? x - ht / 2 - w - h : x + ht / 2 + h;
        y0 = y - ht / 2;
        break;
    default: {
        const PlanInt a = TextDirection == 1 ? w / 2 : (TextDirection == 2 ? w : 0);
        x0 = x - a;
        y0 = Position == 0 ? y - ht - h : y + h;
        break;
    }
    }
    if (Rotation == 0)
        return ClampedPoint(x0, y0);

    const double quarter = Ht / 4.0;
    const double threeQuarters = Ht / 4.0 * 3;
    if (Cls == dcWE && Position == 0 && TextDirection == 0) {
        if (Rotation == 45)
            return ClampedPoint(x0 - halfDiag(quarter), y0 + Rnd(TH(DE(Ht), Ht)));
        if (Rotation == 90)
            return ClampedPoint(x0 - ht / 2, y0 + ht);
    } else if (Cls == dcWE && Position == 0 && TextDirection == 2) {
        if (Rotation == -45)
            return ClampedPoint(x0 + halfDiag(quarter) + Rnd(TH(DE(Wt), Wt)), y0 - halfDiag(Wt) + Rnd(TH(DE(Ht), Wt)));
        if (Rotation == -90)
            return ClampedPoint(x0 + ht / 2 + w, y0 - w + ht);
    } else if (Cls == dcWE && Position == 1 && TextDirection == 0) {
        if (Rotation == -45)
            return ClampedPoint(x0 + halfDiag(threeQuarters), y0);
        if (Rotation == -90)
            return ClampedPoint(x0 + ht / 2, y0);
    } else if (Cls == dcWE && Position == 1 && TextDirection == 2) {
        if (Rotation == 45)
            return ClampedPoint(x0 + Rnd(TH(DE(Wt), Wt)) - halfDiag(threeQuarters), y0 + halfDiag(Wt));
        if (Rotation == 90)
            return ClampedPoint(x0 + w - ht / 2, y0 + w);
    } else if (Cls == dcNS && Position == 0) {
        if (Rotation == 45)
            return ClampedPoint(x0 + Rnd(TH(DE(Wt), Wt)) - halfDiag(Ht), y0 + halfDiag(Wt) + halfDiag(quarter));
        if (Rotation == -45)
            return ClampedPoint(x0 + Rnd(TH(DE(Wt), Wt)), y0 + ht / 2 - halfDiag(Wt) - halfDiag(threeQuarters));
    } else if (Cls == dcNS && Position == 1) {
        if (Rotation == 45 && PreviewRow)
            return ClampedPoint(x0, y0 + ht / 2 - halfDiag(threeQuarters));
        if (Rotation == -45)
            return ClampedPoint(x0 + halfDiag(Ht), y0 + ht / 2 - halfDiag(quarter));
    }
    return ClampedPoint(x0, y0);
}

bool StationNameNeedsWidth(int Cls, int Position, int TextDirection)
{
    switch (Cls) {
    case dcNS:
    case dcSWNE:
        return Position == 0;
    case dcNWSE:
        return Position != 0;
    default:
        return TextDirection == 1 || TextDirection == 2;
    }
}

QList<int> PreviewRasterPositions(int Size, int RasterWidth)
{
    const int R = RasterWidth < 1 ? 1 : RasterWidth;
    int start = (Size % R) / 2;
    if ((Size / R) % 2 == 1)
        start += R / 2;
    QList<int> positions;
    for (int i = 0; i <= Size / R; ++i)
        positions << start + R * i;
    return positions;
}

void DrawPreviewRaster(QPainter &Canvas, const TLineMapPrefs &Prefs, int Wp, int Hp)
{
    SetPlanPen(Canvas, 0xC0C0C0, 1);
    const int R = RasterWidth(Prefs);
    for (int x : PreviewRasterPositions(Wp, R))
        PlanLine(Canvas, x, 0, x, Hp);
    for (int y : PreviewRasterPositions(Hp, R))
        PlanLine(Canvas, 0, y, Wp, y);
}

void DrawPreviewLine(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp)
{
    const Sample s = sampleOf(Cls, Wp, Hp);
    SetPlanPen(Canvas, std::uint32_t(Prefs.LineColor), Prefs.LineDrawWidth);
    PlanLine(Canvas, s.lineFrom.x(), s.lineFrom.y(), s.lineTo.x(), s.lineTo.y());
}

void DrawPreviewStations(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp)
{
    const Sample s = sampleOf(Cls, Wp, Hp);
    const int h = Prefs.LineDrawWidth / 2;
    SetPlanPen(Canvas, 0, 1);
    SetPlanBrush(Canvas, 0xFFFFFF);
    for (const QPoint &p : {s.point1, s.point2})
        PlanEllipse(Canvas, p.x() - h, p.y() - h, p.x() + h, p.y() + h);
}

namespace {

// The two sample names at the origins of the class's placement, turned by Rotation.
void drawPreviewNames(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp, int Rotation)
{
    prepareTextCanvas(Canvas, Prefs);
    const TStationDirectionPrefs &p = StationPrefs(Prefs, Cls);
    const auto [first, second] = namePoints(Cls, Wp, Hp);
    const QPoint points[] = {first, second};
    for (int i = 0; i < 2; ++i) {
        const QString name = PreviewStationName(i);
        const QSize ext = PlanTextExtent(Canvas.font(), name);
        const QPoint o = StationNameOrigin(Cls, p.Position, p.TextDirection, Rotation, p.OffsetX, p.OffsetY,
                                           points[i].x(), points[i].y(), ext.width(), ext.height(),
                                           Prefs.LineDrawWidth, true);
        if (Rotation == 0)
            PlanTextOut(Canvas, o.x(), o.y(), name);
        else
            DrawPreviewTextRotated(Canvas, o.x(), o.y(), Rotation, name);
    }
}

} // namespace

void DrawPreviewStationTexts(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp)
{
    drawPreviewNames(Canvas, Prefs, Cls, Wp, Hp, 0);
}

void DrawPreviewTextRotated(QPainter &Canvas, int X, int Y, int Angle, const QString &Text)
{
    TextOutAngle(Canvas, X, Y, Angle, Text);
}

void DrawPreviewStationTextsRotated(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp)
{
    drawPreviewNames(Canvas, Prefs, Cls, Wp, Hp, StationPrefs(Prefs, Cls).Rotation);
}

void PaintPreview(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp)
{
    Canvas.setRenderHint(QPainter::Antialiasing, false);
    Canvas.setRenderHint(QPainter::TextAntialiasing, false);
    SetPlanBrush(Canvas, std::uint32_t(Prefs.BackgroundColor));
    PlanFillRect(Canvas, 0, 0, 300, 300);
    DrawPreviewRaster(Canvas, Prefs, Wp, Hp);
    DrawPreviewLine(Canvas, Prefs, Cls, Wp, Hp);
    DrawPreviewStations(Canvas, Prefs, Cls, Wp, Hp);
    if (StationPrefs(Prefs, Cls).Rotation == 0)
        DrawPreviewStationTexts(Canvas, Prefs, Cls, Wp, Hp);
    else
        DrawPreviewStationTextsRotated(Canvas, Prefs, Cls, Wp, Hp);
}
