#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QSize>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "platform/dialog_service.h" // FontValue

// The drawing conventions of every plan picture, shared by the renderer, the editor's engine
// and the style preview, so that all of them paint the same pixels:
// - no antialiasing;
// - a rectangle or ellipse from (x1, y1) to (x2, y2) covers x1 .. x2 - 1 and y1 .. y2 - 1,
//   outline included;
// - a line from P to Q covers P but not Q;
// - pens wider than 1 have round caps and joins;
// - colours are colour values, red in the low byte;
// - font sizes are points at 96 dpi on every picture;
// - a text's extent is its advance width by the font height;
// - coordinates may lie anywhere in (and, as sums, beyond) the 32-bit range: what lies far
//   outside the picture is cut away before the painter sees it, and a pen is never wider than
//   kMaxPlanPenWidth.

// The widest pen the painter takes (it ignores wider ones and keeps the last width): a wider
// stored width draws at this width.
constexpr int kMaxPlanPenWidth = (1 << 15) - 1;

// The QColor of a colour value (red in the low byte).
QColor PlanColor(std::uint32_t color);
// The colour value of a QColor.
std::uint32_t PlanColorValue(const QColor &color);
// The colour value of the red, green and blue columns of a table row (each taken modulo 256).
constexpr std::uint32_t PlanRgb(int red, int green, int blue)
{
    return std::uint32_t(red & 0xFF) | (std::uint32_t(green & 0xFF) << 8) | (std::uint32_t(blue & 0xFF) << 16);
}

// A fresh picture of the given size at 96 dpi, filled white (the empty bitmap's colour) unless
// the caller paints all of it anyway. Sizes below 1, larger than PictureSizeAllowed takes, or
// too large for memory give a null image.
QImage NewPlanPicture(int width, int height, bool fillWhite = true);
// Sets an image's resolution to 96 dpi, so that font points map to plan pixels alike everywhere.
void SetPlanResolution(QImage &image);
// Prepares a painter for plan drawing: antialiasing off, default pen (black, 1), white solid
// brush, default font. Call once after QPainter::begin.
void BeginPlanPainter(QPainter &painter);

// A solid pen of a plan colour and width (width below 1 counts as 1, above kMaxPlanPenWidth
// as kMaxPlanPenWidth).
QPen PlanPen(std::uint32_t color, int width);
void SetPlanPen(QPainter &painter, std::uint32_t color, int width);
void SetPlanBrush(QPainter &painter, std::uint32_t color); // solid brush

// Drawing with the conventions above, using the painter's pen and brush.
void PlanLine(QPainter &painter, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
void PlanRectangle(QPainter &painter, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
void PlanEllipse(QPainter &painter, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
// A closed polygon with the painter's pen and brush.
void PlanPolygon(QPainter &painter, std::initializer_list<std::pair<std::int64_t, std::int64_t>> points);
// Fills x1 .. x2 - 1, y1 .. y2 - 1 with the brush colour, no outline.
void PlanFillRect(QPainter &painter, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);

// The QFont of a stored font value (size in points; the picture's 96 dpi turns it into pixels).
QFont PlanFont(const FontValue &font);
// A text's extent on a plan picture: advance width by font height.
QSize PlanTextExtent(const QFont &font, const QString &text);
// The metrics of the painter's font on its picture, for a drawing that measures or writes many
// texts in one font; a painter on no picture measures as the plan's 96-dpi pictures do.
QFontMetrics PlanFontMetrics(const QPainter &painter);
// Writes unrotated text with its top left corner at (x, y) (baseline at y + ascent) in the
// painter's pen colour, transparent background.
void PlanTextOut(QPainter &painter, int x, int y, const QString &text);
