#pragma once

// A plan whose files hold coordinates, offsets and widths at the ends of the 32-bit range, as a
// damaged or hand-edited project may: the files are written into the project folder and read
// back through the program's own loaders, so the values reach the drawing engine as they would
// from disk.

#include "data/db_func.h"
#include "data/db_linemap.h"
#include "data/main_globals.h"
#include "support/project_folder.h"
#include "shared_plan_tables.h"

#include <climits>

namespace extreme {

constexpr int kMax = INT_MAX;
constexpr int kMin = INT_MIN;
constexpr int kPlanID = 1;

// 400 by 300 pixels on a raster of 20, so that the picture exists and everything is drawn on
// it; the line width, label distance and every default offset at the limits.
inline TLineMapPrefs prefs()
{
    TLineMapPrefs p;
    p.Width = 400;
    p.Height = 300;
    p.BackgroundColor = 0xFFFFFF;
    p.LineRasterWidth = 20;
    p.LineDefaultColor = false;
    p.LineColor = 0x0000FF;
    p.LineDrawWidth = kMax;
    p.LineTextPosStart = true;
    p.LineTextPosEnd = true;
    p.LineTextDistance = kMax;
    p.WE = {0, kMax, kMin, 2, -45};
    p.NS = {1, kMin, kMax, 0, -45};
    p.NWSE = {0, kMax, kMax, 0, 0};
    p.SWNE = {1, kMin, kMin, 0, 0};
    p.MultiStationRoundParallel = true;
    p.MultiStationPosition = 4;
    p.MultiStationAlign = 2;
    p.MultiStationOffsetX = kMin;
    p.MultiStationOffsetY = kMax;
    p.MultiStationRotation = kMin;
    return p;
}

// Stations A to F; lines L1 to L3 on the plan, L1 of width kMax, L3 of width kMin. L1 runs
// along y = 150 from one end of the range to the other and turns up at x = kMax; L2 runs up
// right at 45 degrees through (200, 150) between points near the two corners of the range; L3
// is a section from the far left to the far right, stored with the direction of a section
// running left.
inline void writeFiles()
{
    CreateEmptyStations();
    CreateEmptyLines();
    for (const char *name : {"A", "B", "C", "D", "E", "F"})
        AddStation(QString::fromLatin1(name));
    for (const char *name : {"L1", "L2", "L3"})
        AddLine(QString::fromLatin1(name));

    CreateEmptyLineMaps();
    CreateEmptyLineMapPrefs();
    CreateEmptySharedPlanTables();
    CreateEmptyLineMapStations();
    CreateEmptyLineMapIndividualStationPrefs();
    CreateEmptyLineMapIndividualMultiStationPrefs();
    ASSERT_EQ(AddLineMap(QStringLiteral("Extreme")), kPlanID);
    ASSERT_TRUE(AddLineMapPrefs(kPlanID, prefs()));

    appendRows(dm1->cdsLineMapLines,
               {"LineMapID", "LineID", "DefaultColor", "ColorRed", "ColorGreen", "ColorBlue", "DefaultWidth",
                "DrawWidth", "VehicleDefaultColor"},
               {{kPlanID, 1, false, 255, 0, 0, false, kMax, true},
                {kPlanID, 2, false, 0, 128, 0, true, 0, true},
                {kPlanID, 3, false, 0, 0, 255, false, kMin, true}});
    const int k = kMax - 200; // L2 runs from (200 - k, 150 + k) to (200 + k, 150 - k)
    appendRows(dm1->cdsLineMapLineSections,
               {"LineMapID", "LineID", "SectionID", "GroupID", "StartX", "StartY", "EndX", "EndY", "Degree"},
               {{kPlanID, 1, 1, 1, kMin, 150, kMax, 150, 90},
                {kPlanID, 1, 2, 1, kMax, 150, kMax, kMin, 0},
                {kPlanID, 2, 1, 1, 200 - k, 150 + k, 200 + k, 150 - k, 45},
                {kPlanID, 3, 1, 1, kMin + 1, 280, kMax, 280, 270}});
    appendRows(dm1->cdsLineMapLineConnections, {"LineMapID", "LineID", "XPos", "YPos", "Section", "Group", "Ending"},
               {{kPlanID, 1, kMin, kMax, 1, 1, true},
                {kPlanID, 1, kMin, kMax, 2, 1, false},
                {kPlanID, 1, kMax, kMin, 2, kMax, true}});
    AddLineTextVisible(kPlanID, 2, true, true, false);
    AddLineTextOffset(kPlanID, 1, 1, 0, kMax, kMin);
    AddLineTextOffset(kPlanID, 1, 2, 0, kMin, kMax);
    AddLineTextOffset(kPlanID, 2, 2, 0, kMax, kMax);

    // A on L1 at the right end; B on L1 and L2 at opposite corners (a box over the whole
    // range); C twice on the diagonal at opposite corners (a parallel row across the whole
    // range); D on one point of three lines; E alone at the far left; F stacked on the two
    // horizontal lines, one at each end of the range.
    for (const QVariantList &r : QList<QVariantList>{{1, 1, 1, kMax, 150},
                                                     {1, 1, 2, kMin, 150},
                                                     {2, 1, 2, 200 + k, 150 - k},
                                                     {2, 1, 3, 200 - k, 150 + k},
                                                     {2, 1, 3, 200 + k, 150 - k},
                                                     {1, 2, 4, kMax, kMin},
                                                     {2, 1, 4, kMax, kMin},
                                                     {3, 1, 4, kMax, kMin},
                                                     {3, 1, 5, kMin + 1, 280},
                                                     {1, 1, 6, 100, kMin},
                                                     {3, 1, 6, 100, kMax}})
        ASSERT_TRUE(AddLineMapStation(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt(), r[4].toInt()));
    ASSERT_TRUE(AddIndividualStationPrefs(1, 0, 1, 1, kMax, kMax, 2, 45));
    ASSERT_TRUE(AddIndividualStationPrefs(1, 1, 2, 0, kMin, kMin, 2, -90));
    ASSERT_TRUE(AddIndividualStationPrefs(2, 2, 3, 0, kMin, kMax, 0, kMin));
    ASSERT_TRUE(AddIndividualStationPrefs(3, 2, 0, 0, kMax, kMin, 1, kMax));
    ASSERT_TRUE(AddMultiStationPrefs(2, 10, kMax, kMin, 2, 45));
    ASSERT_TRUE(AddMultiStationPrefs(4, 3, kMin, kMax, 0, 45));

    for (bool saved : {SaveLineMaps(), SaveLineMapPrefs(), SaveLineMapLines(), SaveLineMapLineSections(),
                       SaveLineMapLineIntersections(), SaveLineMapLineTextVisible(), SaveLineMapLineTextColor(),
                       SaveLineMapLineTextOffset(), SaveLineMapStations(kPlanID),
                       SaveLineMapIndividualStationPrefs(kPlanID), SaveLineMapIndividualMultiStationPrefs(kPlanID)})
        ASSERT_TRUE(saved);
}

// The plan tables emptied and read again from the files written above.
inline void loadFiles()
{
    CreateEmptyLineMapLines();
    CreateEmptyLineMapLineSections();
    CreateEmptyLineMapLineConnections();
    CreateEmptyLineMapStations();
    CreateEmptyLineMapIndividualStationPrefs();
    CreateEmptyLineMapIndividualMultiStationPrefs();
    ASSERT_TRUE(LoadLineMapLines());
    ASSERT_TRUE(LoadLineMapLineSections());
    ASSERT_TRUE(LoadLineMapLineIntersections());
    ASSERT_TRUE(LoadLineMapLineTextVisible());
    ASSERT_TRUE(LoadLineMapLineTextColor());
    ASSERT_TRUE(LoadLineMapLineTextOffset());
    ASSERT_TRUE(LoadLineMapStations(kPlanID));
    ASSERT_TRUE(LoadLineMapIndividualStationPrefs(kPlanID));
    ASSERT_TRUE(LoadLineMapIndividualMultiStationPrefs(kPlanID));
}

} // namespace extreme
