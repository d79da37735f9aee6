#pragma once

#include <QString>
#include <QStringList>

#include "linemap/linemap_state.h"

// Drawing a line's course with the direction buttons: the cross cursor on the raster, the
// running section, taking the course back, the station cursor along a drawn course, and the
// section list items. Every routine works on the editor state and paints on State.Picture;
// only the take-back paths repaint the whole plan (Redraw), the others draw over the picture.
//
// Angles are the eight compass directions 0, 45, ..., 315 (0 up, clockwise).

// The step of one direction click: StepSize raster widths in the direction of Angle.
void DirectionStep(const TLineMapEditorState &State, int Angle, int &dx, int &dy);
// Shortens a step from the cursor so that it stays on the plan; a diagonal step keeps its
// 45 degrees, and a step may shrink to nothing.
void ClipStep(const TLineMapEditorState &State, int &dx, int &dy);

// One direction click: draws while drawing is on, moves along the line with the station cursor
// (and carries the current stop in station mode), else moves the cursor in line mode.
void StepInDirection(TLineMapEditorState &State, int Angle);
// Extends the running section, turns, or takes the course back.
void DrawInDirection(TLineMapEditorState &State, int Angle);
// Moves the station cursor along the current group of the course; it never leaves the course.
void MoveAlongLine(TLineMapEditorState &State, int Angle);
// Moves the cursor freely, held inside the plan.
void MoveCursor(TLineMapEditorState &State, int Angle);

// The running section (section start to cursor, Degree) becomes a section of CurrentGroupID.
void AppendSection(TLineMapEditorState &State);
// Splits section Index at (X, Y): it ends there and a new section of GroupID + 1 runs on to its
// old end; every later section moves up one place and its GroupID grows by 1.
void SplitSection(TLineSectionArray &Sections, int Index, int X, int Y);
// Makes section Index current: the cursor on the raster point at or just before its middle, the
// section start, Degree and CurrentGroupID from the section. Draws nothing.
void SelectSection(TLineMapEditorState &State, int Index);

// The section list item: "1 | 40/60 => 100/60 (90°)".
QString SectionListItem(const TLineSection &Section);
QStringList SectionListItems(const TLineSectionArray &Sections);

// The running section in the edited line's colour and the plan's line width.
void DrawSegment(TLineMapEditorState &State);
// The cross cursor, inverting the pixels under it: drawing it twice restores the picture.
void DrawCursor(TLineMapEditorState &State);
void EraseCursor(TLineMapEditorState &State);
void StationCursorOn(TLineMapEditorState &State);
void StationCursorOff(TLineMapEditorState &State);

// The raster point for a click at (X, Y) on the picture, held inside the plan.
void SnapClickToRaster(const TLineMapEditorState &State, int X, int Y, int &RasterX, int &RasterY);
