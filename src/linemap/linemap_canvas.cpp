#include "linemap/linemap_canvas.h"

#include <algorithm>
#include <cstdlib>

#include "linemap/draw_geometry.h"

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
    if (width < 1 || height < 1)
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

void PlanLine(QPainter &painter, int x1, int y1, int x2, int y2)
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

void PlanRectangle(QPainter &painter, int x1, int y1, int x2, int y2)
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

void PlanEllipse(QPainter &painter, int x1, int y1, int x2, int y2)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    painter.drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void PlanFillRect(QPainter &painter, int x1, int y1, int x2, int y2)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    painter.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), painter.brush());
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
