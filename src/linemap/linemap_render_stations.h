#pragma once

#include <QHash>
#include <QPoint>
#include <QString>

#include <map>
#include <tuple>

#include "linemap/linemap_state.h"

class QPainter;

// Stations, their names and transfer stations on the plan picture. DrawStations and
// DrawCurrentLineStations (declared with the renderer) use these.

// What name placement reads from the plan tables, read once per redraw instead of once per
// station: section directions, station names, name overrides and transfer-name overrides.
struct TStationDrawLookup
{
    QHash<quint64, int> SectionDegree; // (LineID, SectionID) -> Degree of the plan's section row
    QHash<int, QString> StationNames;
    std::map<std::tuple<int, int, int>, TStationDirectionPrefs> Overrides; // (LineID, IDType, IDValue)
    QHash<int, TStationDirectionPrefs> MultiOverrides;                     // StationID -> transfer name row

    // The Degree of a placement's section; false when the plan has no such section row.
    bool DegreeOf(int LineID, int SectionID, int &Degree) const;
};
TStationDrawLookup ReadStationDrawLookup(int LineMapID);

// Fills State.StationTextPrefs for a station at (X, Y) on a section of a line: the section's
// Degree, the station's name, and the name placement of the first override found for the
// station, the section, the section's direction class, else the plan default of that class.
// A placement whose section row is missing is placed as on a horizontal section.
void LoadStationTextPrefs(TLineMapEditorState &State, const TStationDrawLookup &Lookup, int X, int Y, int StationID,
                          int SectionID, int LineID);
// The same, reading the tables for this one station.
void LoadStationTextPrefs(TLineMapEditorState &State, int X, int Y, int StationID, int SectionID, int LineID);

// The name's origin (top left of the unrotated text) for a name of W x H pixels; false, and P
// left as it was, for a Degree, Position or (horizontal) alignment outside the tables.
bool StationTextOrigin(const TStationTextPrefs &Text, int LineDrawWidth, int W, int H, QPoint &P);
// Sets the canvas up for the station name (station font and its colour, no background) and
// moves P to the name's origin for State.StationTextPrefs.
void ComputeStationTextOrigin(QPainter &Canvas, const TLineMapEditorState &State, QPoint &P);

// The white station circle, max(LineDrawWidth, 6) pixels across.
void DrawStationSymbol(QPainter &Canvas, const TLineMapPrefs &Prefs, int X, int Y);
// Symbol and name of State.StationTextPrefs.
void DrawStation(QPainter &Canvas, TLineMapEditorState &State);

// A capsule over placements standing in a row across parallel lines of the direction class of
// Degree, with the name beside the end the plan's side setting picks.
void DrawParallelMultiStation(QPainter &Canvas, TLineMapEditorState &State, const TStationDrawLookup &Lookup,
                              int MinX, int MaxX, int MinY, int MaxY, int Degree, int LineID, int SectionID,
                              int StationID, const QString &Name);
// A box (or a circle for placements on one point) around the placements, with the name at
// the station's transfer-name position or the plan's.
void DrawGeneralMultiStation(QPainter &Canvas, TLineMapEditorState &State, const TStationDrawLookup &Lookup,
                             int MinX, int MaxX, int MinY, int MaxY, int SectionID, int LineID, int StationID,
                             const QString &Name);

// The origin of a transfer-station name of W x H pixels around the box Left, Top, Right,
// Bottom: one of the twelve positions with its rotation and alignment variants, offsets
// added. A Position outside 0 to 11 keeps the origin of position 0 without variants.
QPoint MultiStationTextOrigin(int Position, int Align, int Rotation, int OffsetX, int OffsetY, PlanInt Left,
                              PlanInt Top, PlanInt Right, PlanInt Bottom, int W, int H);
