#pragma once

#include <QList>

#include "linemap/linemap_state.h"

// Station placement of the drawing editor's station mode, without widgets: section lengths,
// the line's stop list with its stored placements, and the even distribution of the unplaced
// stops along the course.

// The section's length in pixels: |dy| for a vertical, |dx| for a horizontal section, else the
// diagonal, the square root of 2 |dx| |dy| rounded half up. Computed in 64 bits, so huge coordinates give the
// right length (held at INT_MAX).
int SectionLength(const TLineSection &Section);
// Fills every section's Length; the result is their sum (held at INT_MAX).
int ComputeSectionLengths(TLineSectionArray &Sections);

// The stops of a line in the order of its stations (cdsLineStations), a station following
// itself in a row taken once, each with its name and its stored placement on the plan
// (cdsLineMapStations). A station listed k times on the line takes its k-th stored row. A
// stored placement whose section is not on the course, or whose section no longer holds its
// point, goes to the first section that holds the point, else the stop is listed unplaced.
TLineStationArray BuildLineStops(int LineID, const TLineSectionArray &Sections);

// Where the distribution put the first stop it placed.
struct TDistributionStart
{
    int StationIndex = -1; // index in the stop array; -1 when no stop was placed
    int SectionIndex = -1; // the section it stands on (index into Sections)
    int X = 0;
    int Y = 0;
};

// Distributes the unplaced stops evenly along the course: stop k (from the last stop backwards
// when Reverse) gets the point k spacings from the course's start, spacing = (TotalLength - 1)
// / (n - 1), measured along the sections and snapped to the raster (RasterWidth counts a width
// below 1 as 1). Placed stops keep their place and use up their slot. A single stop goes to
// the start of the course; without stops or sections nothing happens.
TDistributionStart DistributeStops(const TLineSectionArray &Sections, int TotalLength, TLineStationArray &Stations,
                                   int RasterWidth, bool Reverse);

// The plan's transfer stations in ascending StationID order: every station placed twice or
// more on the plan (cdsLineMapStations), and every station with a transfer-name row
// (cdsLineMapIndividualMultiStationPrefs).
QList<int> TransferStationIDs();
