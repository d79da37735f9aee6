#include "linemap/linemap_canvas.h"

#include <QPolygon>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

#include "linemap/draw_geometry.h"
#include "linemap/linemap_export.h"

namespace {

// 96 dots per inch in dots per metre.
constexpr int kDotsPerMeter96 = 3780;

// A picture of the plans' resolution to measure text on where no plan picture is at hand.
QImage planProbe()
{
    QImage probe(1, 1, QImage::Format_RGB32);
    SetPlanResolution(probe);
    return probe;
}

// Coordinates up to kPlanPaintLimit go to the painter unchanged, so ordinary plans are drawn
// exactly as ever; beyond it (never within a picture) a shape is first cut to the area around
// the picture where a pen of kMaxPlanPenWidth can still reach it.
bool withinPaintLimit(std::initializer_list<std::int64_t> values)
{
    return std::all_of(values.begin(), values.end(),
                       [](std::int64_t v) { return v >= -kPlanPaintLimit && v <= kPlanPaintLimit; });
}

// The area outside of which nothing drawn with the painter's pen shows on its picture.
struct PaintArea
{
    std::int64_t left, top, right, bottom;
};

PaintArea paintArea(const QPainter &painter)
{
    const std::int64_t margin = std::int64_t(painter.pen().width()) + 2;
    const QPaintDevice *device = painter.device();
    const std::int64_t w = device ? device->width() : 0;
    const std::int64_t h = device ? device->height() : 0;
    return {-margin, -margin, w + margin, h + margin};
}

// Cuts the segment to the area (in doubles, exact for the 45-degree steps of a course, whose
// cuts fall on whole pixels); false when nothing of it lies inside.
bool clipSegment(const PaintArea &a, std::int64_t &x1, std::int64_t &y1, std::int64_t &x2, std::int64_t &y2)
{
    const double dx = double(x2) - double(x1);
    const double dy = double(y2) - double(y1);
    double t0 = 0;
    double t1 = 1;
    // Each edge as p·t <= q: the part of the segment on the inner side of it.
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(x1) - double(a.left), double(a.right) - double(x1), double(y1) - double(a.top),
                         double(a.bottom) - double(y1)};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double sx = double(x1);
    const double sy = double(y1);
    if (t1 < 1) {
        x2 = std::llround(sx + t1 * dx);
        y2 = std::llround(sy + t1 * dy);
    }
    if (t0 > 0) {
        x1 = std::llround(sx + t0 * dx);
        y1 = std::llround(sy + t0 * dy);
    }
    return true;
}

// Cuts a box to the area; false when nothing of it lies inside.
bool clipBox(const PaintArea &a, std::int64_t &x1, std::int64_t &y1, std::int64_t &x2, std::int64_t &y2)
{
    x1 = std::max(x1, a.left);
    y1 = std::max(y1, a.top);
    x2 = std::min(x2, a.right);
    y2 = std::min(y2, a.bottom);
    return x1 < x2 && y1 < y2;
}

} // namespace

QColor PlanColor(std::uint32_t color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

std::uint32_t PlanColorValue(const QColor &color)
{
    return std::uint32_t(color.red()) | (std::uint32_t(color.green()) << 8) | (std::uint32_t(color.blue()) << 16);
}

void SetPlanResolution(QImage &image)
{
    image.setDotsPerMeterX(kDotsPerMeter96);
    image.setDotsPerMeterY(kDotsPerMeter96);
}

QImage NewPlanPicture(int width, int height, bool fillWhite)
{
    // A plan larger than the largest background picture is not drawn: the memory of such a
    // size may be granted and only run out while it is painted.
    if (!PictureSizeAllowed(width, height))
        return QImage();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) // too large for memory
        return image;
    if (fillWhite)
        image.fill(Qt::white);
    SetPlanResolution(image);
    return image;
}

void BeginPlanPainter(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setPen(PlanPen(0, 1));
    painter.setBrush(QBrush(Qt::white, Qt::SolidPattern));
    painter.setBackgroundMode(Qt::TransparentMode);
}

QPen PlanPen(std::uint32_t color, int width)
{
    QPen pen(PlanColor(color));
    pen.setStyle(Qt::SolidLine);
    width = std::min(width, kMaxPlanPenWidth);
    if (width <= 1) {
        // A one-pixel line leaves out its end point, as the drawing code expects.
        pen.setWidth(1);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setWidth(width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

void SetPlanPen(QPainter &painter, std::uint32_t color, int width)
{
    painter.setPen(PlanPen(color, width));
}

void SetPlanBrush(QPainter &painter, std::uint32_t color)
{
    painter.setBrush(QBrush(PlanColor(color), Qt::SolidPattern));
}

namespace {

void drawLine(QPainter &painter, int x1, int y1, int x2, int y2)
{
    if (x1 == x2 && y1 == y2) {
        // A line of no length covers nothing with a thin pen; a wide round pen leaves a dot.
        if (painter.pen().width() > 1)
            painter.drawPoint(x1, y1);
        return;
    }
    const QPen pen = painter.pen();
    if (pen.width() <= 1 && pen.style() == Qt::SolidLine && (x1 == x2 || y1 == y2)) {
        // Thin straight lines (the raster) as one-pixel fills: the same pixels, start included
        // and end left out, without the line stepper's cost.
        const QRect run = x1 == x2 ? QRect(x1, std::min(y1, y2 + 1), 1, std::abs(y2 - y1))
                                   : QRect(std::min(x1, x2 + 1), y1, std::abs(x2 - x1), 1);
        painter.fillRect(run, pen.color());
        return;
    }
    painter.drawLine(x1, y1, x2, y2);
}

void drawRectangle(QPainter &painter, int x1, int y1, int x2, int y2)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    if (painter.brush().style() != Qt::NoBrush)
        painter.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), painter.brush());
    if (painter.pen().style() != Qt::NoPen) {
        painter.save();
        painter.setBrush(Qt::NoBrush);
        QPen pen = painter.pen();
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        painter.drawRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
        painter.restore();
    }
}

} // namespace

void PlanLine(QPainter &painter, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    if (!withinPaintLimit({x1, y1, x2, y2}) && !clipSegment(paintArea(painter), x1, y1, x2, y2))
        return;
    drawLine(painter, int(x1), int(y1), int(x2), int(y2));
}

void PlanRectangle(QPainter &painter, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    if (!withinPaintLimit({x1, y1, x2, y2}) && !clipBox(paintArea(painter), x1, y1, x2, y2))
        return;
    drawRectangle(painter, int(x1), int(y1), int(x2), int(y2));
}

void PlanEllipse(QPainter &painter, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    if (withinPaintLimit({x1, y1, x2, y2})) {
        painter.drawEllipse(QRect(int(x1), int(y1), int(x2 - x1 - 1), int(y2 - y1 - 1)));
        return;
    }
    // An ellipse too large to cut: drawn in floating point when its box meets the picture.
    std::int64_t l = x1, t = y1, r = x2, b = y2;
    if (clipBox(paintArea(painter), l, t, r, b))
        painter.drawEllipse(QRectF(double(x1), double(y1), double(x2 - x1 - 1), double(y2 - y1 - 1)));
}

void PlanPolygon(QPainter &painter, std::initializer_list<std::pair<std::int64_t, std::int64_t>> points)
{
    const bool near = std::all_of(points.begin(), points.end(),
                                  [](const auto &p) { return withinPaintLimit({p.first, p.second}); });
    if (near) {
        QPolygon polygon;
        for (const auto &p : points)
            polygon << QPoint(int(p.first), int(p.second));
        painter.drawPolygon(polygon);
        return;
    }
    // Corners far outside the picture: in floating point, so the painter cuts the shape
    // itself rather than the corners being moved.
    QPolygonF polygon;
    for (const auto &p : points)
        polygon << QPointF(double(p.first), double(p.second));
    painter.drawPolygon(polygon);
}

void PlanFillRect(QPainter &painter, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    if (!withinPaintLimit({x1, y1, x2, y2}) && !clipBox(paintArea(painter), x1, y1, x2, y2))
        return;
    if (x2 <= x1 || y2 <= y1)
        return;
    painter.fillRect(QRect(int(x1), int(y1), int(x2 - x1), int(y2 - y1)), painter.brush());
}

QFont PlanFont(const FontValue &font)
{
    QFont f(font.name.isEmpty() ? QStringLiteral("Arial") : font.name);
    f.setPointSize(font.size > 0 ? font.size : 8);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QSize PlanTextExtent(const QFont &font, const QString &text)
{
    QImage probe = planProbe();
    const QFontMetrics fm(font, &probe);
    return QSize(fm.horizontalAdvance(text), fm.height());
}

QFontMetrics PlanFontMetrics(const QPainter &painter)
{
    if (painter.device())
        return QFontMetrics(painter.font(), painter.device());
    QImage probe = planProbe();
    return QFontMetrics(painter.font(), &probe);
}

void PlanTextOut(QPainter &painter, int x, int y, const QString &text)
{
    TextOutAngle(painter, x, y, 0, text);
}
