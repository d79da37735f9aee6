#pragma once

#include <QString>

#include <QPoint>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

// The plain records that the plan drawing engine and the drawing editor share. Coordinates are
// integer pixels of the plan picture, origin top left, y downwards. A Degree is a compass angle
// (0 up, 90 right, 180 down, 270 left) in steps of 45; -1 means no direction.

// One straight section of a line's course. Index i of a TLineSectionArray is the section with
// SectionID i + 1 in cdsLineMapLineSections.
struct TLineSection
{
    int GroupID = 0; // the group of consecutive connected sections it belongs to
    int StartX = 0;
    int StartY = 0;
    int EndX = 0;
    int EndY = 0;
    int Length = 0; // filled only in station mode
    int Degree = -1; // direction from start to end
};
using TLineSectionArray = std::vector<TLineSection>;

// One meeting end at a junction point of a line (a row of cdsLineMapLineConnections). Entries
// of one point stand next to each other.
struct TLineConnection
{
    int Section = 0; // SectionID of the section whose end meets there
    int Group = 0;   // its GroupID
    bool Ending = false; // true: the section's end point; false: its start point
    int XPos = 0;
    int YPos = 0;
};
using TLineConnectionArray = std::vector<TLineConnection>;

// One stop of the line edited in station mode.
struct TLineStation
{
    int StationID = 0;
    QString StationName;
    int LineSectionID = -1; // SectionID it stands on; -1 unplaced
    bool On = false;        // placed
    int XPos = -1;
    int YPos = -1;
};
using TLineStationArray = std::vector<TLineStation>;

// One transfer station listed in transfer-station mode.
struct TMultiStation
{
    int StationID = 0;
    QString StationName;
};
using TMultiStationArray = std::vector<TMultiStation>;

// The resolved name placement of the one station being drawn (one scratch record per editor).
struct TStationTextPrefs
{
    int X = 0;
    int Y = 0;
    int Degree = -1; // Degree of the station's section
    std::uint8_t Position = 0; // 0 or 1: the side of the line
    int OffsetX = 0;
    int OffsetY = 0;
    std::uint8_t TextDirection = 0; // 0 left, 1 centre, 2 right
    int Rotation = 0; // 0, 45, -45, 90 or -90
    QString StationName;
};

// The direction classes, numbered as the four TStationDirectionPrefs of TLineMapPrefs.
enum TDirectionClass : int {
    dcWE = 0,   // 90, 270
    dcNS = 1,   // 0, 180
    dcNWSE = 2, // 135, 315
    dcSWNE = 3, // 45, 225
};

// The direction class of a section Degree; -1 for a value that is none of the eight directions.
inline int DirectionClassOf(int Degree)
{
    switch (Degree) {
    case 90: case 270: return dcWE;
    case 0: case 180: return dcNS;
    case 135: case 315: return dcNWSE;
    case 45: case 225: return dcSWNE;
    default: return -1;
    }
}

// Rounding in plan drawing: half up, the integer part of v + 0.5, held within int (a value
// from a damaged file may make v as large as any double).
inline int Rnd(double v)
{
    const double r = std::trunc(v + 0.5);
    if (std::isnan(r))
        return 0;
    if (r >= double(INT_MAX))
        return INT_MAX;
    if (r <= double(INT_MIN))
        return INT_MIN;
    return static_cast<int>(r);
}

// Coordinates, offsets and widths read from the plan files may lie anywhere in the 32-bit range,
// so their sums and differences are formed in 64 bits (PlanInt) and held within int where an
// int point is kept; a point so held lies far outside any picture, which is all that matters
// of it.
using PlanInt = std::int64_t;

inline int ClampToInt(PlanInt v)
{
    return int(std::clamp<PlanInt>(v, INT_MIN, INT_MAX));
}

inline QPoint ClampedPoint(PlanInt x, PlanInt y)
{
    return QPoint(ClampToInt(x), ClampToInt(y));
}
