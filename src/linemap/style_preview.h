#pragma once

#include <QPoint>
#include <QString>

#include "data/db_linemap.h"

class QPainter;

// The style preview of the settings box: background, centred raster, a sample line of the
// selected direction class with two stations and their names, painted with the painter handed
// to it over Wp by Hp pixels. It keeps no state.

constexpr int kPreviewSize = 240;

// The two sample station names.
QString PreviewStationName(int Index); // 0 or 1

// Where a station name is written: the origin (top left of the unrotated text) for a name of
// Wt x Ht pixels at station point (X, Y) on a line of width LineWidth, for a direction class,
// side (Position), alignment (TextDirection) and rotation, including the offsets and, for a
// rotated name, the correction that keeps it beside the line. PreviewRow switches on the
// preview's own correction for NS, Position 1, rotation 45 (the plan draws that case
// uncorrected). The plan's station names use it too.
QPoint StationNameOrigin(int Cls, int Position, int TextDirection, int Rotation, int OffsetX, int OffsetY, int X,
                         int Y, int Wt, int Ht, int LineWidth, bool PreviewRow);
// Whether StationNameOrigin reads the name's width for these settings: a name that begins at
// its station's side of the line (the usual case) is placed without measuring it.
bool StationNameNeedsWidth(int Cls, int Position, int TextDirection);

void PaintPreview(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp = kPreviewSize,
                  int Hp = kPreviewSize);
void DrawPreviewRaster(QPainter &Canvas, const TLineMapPrefs &Prefs, int Wp, int Hp);
void DrawPreviewLine(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp);
void DrawPreviewStations(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp);
void DrawPreviewStationTexts(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp);
void DrawPreviewStationTextsRotated(QPainter &Canvas, const TLineMapPrefs &Prefs, int Cls, int Wp, int Hp);
void DrawPreviewTextRotated(QPainter &Canvas, int X, int Y, int Angle, const QString &Text);

// The x (or y) positions of the preview's raster lines for a size and raster width: centred,
// the raster width below 1 counting as 1.
QList<int> PreviewRasterPositions(int Size, int RasterWidth);
