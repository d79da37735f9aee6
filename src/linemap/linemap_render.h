#pragma once

#include <QPainter>

#include <cstdint>

#include "linemap/linemap_canvas.h"
#include "linemap/linemap_state.h"

// The plan renderer: paints the whole picture of one line network plan from the style settings
// and editor state in TLineMapEditorState and the plan tables of dm1. It keeps no state of its
// own. The Draw routines paint with the painter handed to them (begun on State.Picture or on any
// other device of the plan's size); each sets the pen and brush it needs.

// Paints the whole plan afresh into State.Picture: a new picture of PreviewWidth by
// PreviewHeight (or, with the background shown, a copy of BackgroundPicture at its own size),
// then background, raster, other lines, labels, the edited line, stations and junction markers.
void Redraw(TLineMapEditorState &State);

// Fills (0, 0) .. (Prefs.Width, Prefs.Height) with the background colour.
void DrawBackground(QPainter &Canvas, const TLineMapEditorState &State);
// Silver raster lines every RasterWidth(Prefs) pixels over PreviewWidth by PreviewHeight.
void DrawRaster(QPainter &Canvas, const TLineMapEditorState &State);
// The courses of every line of the plan except CurrentLineID, from the tables.
void DrawOtherLines(QPainter &Canvas, const TLineMapEditorState &State);
// The edited line's Sections in LineColor and LineWidth.
void DrawCurrentLineSections(QPainter &Canvas, const TLineMapEditorState &State);
// One red marker per junction point of Connections; only in line or station mode.
void DrawLineConnections(QPainter &Canvas, const TLineMapEditorState &State);

// The effective colour of a line whose plan row asks for the default colour: the plan's own
// line colour, else the line's project colour, else the project's default line colour, else
// black. Also for the editor's handlers and the line labels.
std::uint32_t GetLineColor(const TLineMapPrefs &Prefs, int LineID);

// --- The drawing steps of line labels, stations and transfer stations, which Redraw calls at
// their places. They live in linemap_render_labels.cpp and linemap_render_stations.cpp.
void DrawLineTexts(QPainter &Canvas, TLineMapEditorState &State);           // labels of the other lines
void DrawCurrentLineText(QPainter &Canvas, TLineMapEditorState &State);     // label of the edited line
void DrawStations(QPainter &Canvas, TLineMapEditorState &State);            // stations and transfer stations
void DrawCurrentLineStations(QPainter &Canvas, TLineMapEditorState &State); // station mode's stops
