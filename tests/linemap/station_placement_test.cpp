#include "linemap/station_placement.h"
#include "linemap/station_text_choices.h"

#include "data/db_func.h"
#include "course_sections.h"
#include "support/gui_environment.h"
#include "support/project_folder.h"

namespace {

TLineStationArray unplaced(int n)
{
    TLineStationArray stops(n);
    for (int i = 0; i < n; ++i)
        stops[i].StationID = i + 1;
    return stops;
}

QList<int> offsetsAlong(const TLineStationArray &stops)
{
    QList<int> xs;
    for (const TLineStation &s : stops)
        xs << s.XPos;
    return xs;
}

} // namespace

TEST(SectionLength, StraightDiagonalAndHuge)
{
    EXPECT_EQ(SectionLength(sec(0, 0, 100, 0, 90)), 100);
    EXPECT_EQ(SectionLength(sec(0, 50, 0, 10, 0)), 40);
    EXPECT_EQ(SectionLength(sec(0, 100, 100, 0, 45)), 141); // Trunc(Sqrt(20000) + 0.5)
    // 2 * 100000 * 100000 does not fit 32 bits.
    EXPECT_EQ(SectionLength(sec(0, 0, 100000, 100000, 135)), 141421);
    EXPECT_EQ(SectionLength(sec(-2000000000, 0, 2000000000, 0, 90)), INT_MAX);
    TLineSectionArray course{sec(0, 0, 100, 0, 90), sec(100, 0, 100, 50, 180)};
    EXPECT_EQ(ComputeSectionLengths(course), 150);
    EXPECT_EQ(course[1].Length, 50);
}

TEST(DistributeStops, FiveStopsOnOneSectionSnapToTheRaster)
{
    TLineSectionArray course{sec(0, 0, 100, 0, 90)};
    const int total = ComputeSectionLengths(course);
    TLineStationArray stops = unplaced(5);
    const TDistributionStart first = DistributeStops(course, total, stops, 10, false);
    // Spacing 24.75: distances 0, 25, 50, 74, 99 snap to 0, 30, 50, 70, 100.
    EXPECT_EQ(offsetsAlong(stops), QList<int>({0, 30, 50, 70, 100}));
    for (const TLineStation &s : stops) {
        EXPECT_TRUE(s.On);
        EXPECT_EQ(s.LineSectionID, 1);
        EXPECT_EQ(s.YPos, 0);
    }
    EXPECT_EQ(first.StationIndex, 0);
    EXPECT_EQ(first.SectionIndex, 0);
}

TEST(DistributeStops, DiagonalDistanceBecomesAnAxisOffset)
{
    TLineSectionArray course{sec(0, 100, 100, 0, 45)};
    const int total = ComputeSectionLengths(course); // 141: spacing 70 for three stops
    TLineStationArray stops = unplaced(3);
    DistributeStops(course, total, stops, 10, false);
    // 70 along the diagonal is Trunc(Sqrt(2450)) = 49 on each axis, 50 on the raster.
    EXPECT_EQ(stops[1].XPos, 50);
    EXPECT_EQ(stops[1].YPos, 50);
    EXPECT_EQ(stops[2].XPos, 100);
    EXPECT_EQ(stops[2].YPos, 0);
}

TEST(DistributeStops, ReverseWalksOnAndPlacedStopsKeepTheirSlot)
{
    TLineSectionArray course{sec(0, 0, 100, 0, 90), sec(100, 0, 100, 100, 180)};
    const int total = ComputeSectionLengths(course);
    TLineStationArray stops = unplaced(3);
    stops[1].On = true; // already placed: keeps its point and uses up the middle slot
    stops[1].LineSectionID = 1;
    stops[1].XPos = 40;
    stops[1].YPos = 0;
    const TDistributionStart first = DistributeStops(course, total, stops, 20, true);
    // Walking from the last stop: it stands at the start, the first stop at the course's end.
    EXPECT_EQ(stops[2].XPos, 0);
    EXPECT_EQ(stops[2].YPos, 0);
    EXPECT_EQ(stops[1].XPos, 40);
    EXPECT_EQ(stops[0].XPos, 100);
    EXPECT_EQ(stops[0].YPos, 100);
    EXPECT_EQ(stops[0].LineSectionID, 2);
    EXPECT_EQ(first.StationIndex, 2);
}

TEST(DistributeStops, SingleStopNoStopsNoCourse)
{
    TLineSectionArray course{sec(20, 40, 120, 40, 90)};
    const int total = ComputeSectionLengths(course);
    TLineStationArray one = unplaced(1);
    EXPECT_EQ(DistributeStops(course, total, one, 20, false).StationIndex, 0);
    EXPECT_TRUE(one[0].On);
    EXPECT_EQ(one[0].XPos, 20);
    EXPECT_EQ(one[0].YPos, 40);

    TLineStationArray none;
    EXPECT_EQ(DistributeStops(course, total, none, 20, false).StationIndex, -1);
    TLineStationArray two = unplaced(2);
    EXPECT_EQ(DistributeStops({}, 0, two, 20, false).StationIndex, -1);
    EXPECT_FALSE(two[0].On);
    // A raster width of 0 counts as 1.
    TLineStationArray three = unplaced(3);
    DistributeStops(course, total, three, 0, false);
    EXPECT_EQ(three[1].XPos, 70);
}

class LineStops : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        CreateEmptyStations();
        CreateEmptyLineStations();
        CreateEmptyLineMapStations();
        CreateEmptyLineMapIndividualMultiStationPrefs();
        appendRows(dm1->cdsStations, {"ID", "Station"}, {{1, "A"}, {2, "B"}, {3, "C"}});
        course = {sec(0, 0, 100, 0, 90), sec(100, 0, 100, 100, 180)};
    }
    void lineStations(int line, QList<int> ids)
    {
        QList<QVariantList> rows;
        for (int i = 0; i < ids.size(); ++i)
            rows << QVariantList{line, i + 1, ids[i]};
        appendRows(dm1->cdsLineStations, {"LineID", "LineStationNumber", "StationID"}, rows);
    }
    void placed(int line, int section, int station, int x, int y)
    {
        appendRows(dm1->cdsLineMapStations, {"LineID", "LineSectionID", "StationID", "XPos", "YPos"},
                   {{line, section, station, x, y}});
    }
    TLineSectionArray course;
};

TEST_F(LineStops, StationInARowIsListedOnce)
{
    lineStations(1, {1, 2, 2, 3});
    const TLineStationArray stops = BuildLineStops(1, course);
    ASSERT_EQ(stops.size(), 3u);
    EXPECT_EQ(stops[0].StationName, "A");
    EXPECT_EQ(stops[1].StationName, "B");
    EXPECT_EQ(stops[2].StationName, "C");
    EXPECT_FALSE(stops[0].On);
    EXPECT_EQ(stops[0].XPos, -1);
}

TEST_F(LineStops, StationTwiceOnALineTakesItsKthRow)
{
    lineStations(1, {1, 2, 1});
    placed(1, 1, 1, 20, 0);
    placed(1, 2, 1, 100, 60);
    placed(2, 1, 2, 40, 0); // another line's placement is not this line's
    const TLineStationArray stops = BuildLineStops(1, course);
    ASSERT_EQ(stops.size(), 3u);
    EXPECT_TRUE(stops[0].On);
    EXPECT_EQ(stops[0].XPos, 20);
    EXPECT_FALSE(stops[1].On);
    EXPECT_TRUE(stops[2].On);
    EXPECT_EQ(stops[2].LineSectionID, 2);
    EXPECT_EQ(stops[2].YPos, 60);
}

TEST_F(LineStops, PlacementOffItsSectionIsAttachedOrUnplaced)
{
    lineStations(1, {1, 2, 3});
    placed(1, 7, 1, 100, 40);  // no section 7: section 2 holds the point
    placed(1, 1, 2, 100, 80);  // section 1 no longer holds it: section 2 does
    placed(1, 2, 3, 300, 300); // no section holds it
    const TLineStationArray stops = BuildLineStops(1, course);
    EXPECT_TRUE(stops[0].On);
    EXPECT_EQ(stops[0].LineSectionID, 2);
    EXPECT_EQ(stops[1].LineSectionID, 2);
    EXPECT_FALSE(stops[2].On);
    EXPECT_EQ(stops[2].LineSectionID, -1);
}

// A stored section number outside the course, as a damaged file may hold it: the placement goes
// to the section that holds its point.
class PlacementOnANumberOffTheCourse : public LineStops, public ::testing::WithParamInterface<int>
{
};

TEST_P(PlacementOnANumberOffTheCourse, GoesToTheSectionHoldingItsPoint)
{
    lineStations(1, {1});
    placed(1, GetParam(), 1, 100, 40);
    const TLineStationArray stops = BuildLineStops(1, course);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_TRUE(stops[0].On);
    EXPECT_EQ(stops[0].LineSectionID, 2);
}

INSTANTIATE_TEST_SUITE_P(Numbers, PlacementOnANumberOffTheCourse,
                         ::testing::Values(0, -1, 3, 65535, 2147483647, -2147483647, -2147483647 - 1),
                         [](const ::testing::TestParamInfo<int> &info) {
                             const long long v = info.param;
                             return v < 0 ? "Minus" + std::to_string(-v) : std::to_string(v);
                         });

TEST_F(LineStops, TransferStationsFromPlacementsAndOverrides)
{
    placed(1, 1, 3, 0, 0);
    placed(2, 1, 3, 20, 0);
    placed(1, 1, 1, 40, 0);
    placed(3, 1, 3, 40, 0);
    EXPECT_EQ(TransferStationIDs(), QList<int>({3}));
    AddMultiStationPrefs(2, 0, 0, 0, 0, 0); // placed once, but with an override row
    AddMultiStationPrefs(3, 0, 0, 0, 0, 0);
    EXPECT_EQ(TransferStationIDs(), QList<int>({2, 3}));
}

TEST(StationTextChoices, ItemsReadBothWays)
{
    EXPECT_EQ(StationTextPositionItems(90).size(), 14);
    EXPECT_EQ(StationTextPositionItems(180).value(4), "right of line, diagonal up");
    EXPECT_EQ(StationTextPositionItems(315), QStringList({"above the line", "below line"}));
    EXPECT_TRUE(StationTextPositionItems(-1).isEmpty());

    int p = -1, d = -1, r = -1;
    ASSERT_TRUE(StationTextChoiceValues(270, 11, p, d, r)); // below, right aligned, horizontal
    EXPECT_EQ(std::make_tuple(p, d, r), std::make_tuple(1, 2, 0));
    ASSERT_TRUE(StationTextChoiceValues(0, 4, p, d, r));
    EXPECT_EQ(r, 45);
    ASSERT_TRUE(StationTextChoiceValues(0, 1, p, d, r));
    EXPECT_EQ(r, -45);
    EXPECT_FALSE(StationTextChoiceValues(45, 2, p, d, r));

    EXPECT_EQ(StationTextChoiceIndex(90, 1, 2, 0), 11);
    EXPECT_EQ(StationTextChoiceIndex(90, 0, 1, 45), 3);  // a centred name: rotation not compared
    EXPECT_EQ(StationTextChoiceIndex(0, 1, 2, 45), 4);   // vertical: alignment not compared
    EXPECT_EQ(StationTextChoiceIndex(225, 1, 2, 90), 1); // diagonal: only the side
    EXPECT_EQ(StationTextChoiceIndex(90, 0, 0, 30), -1);
    EXPECT_EQ(StationTextChoiceIndex(90, 7, 0, 0), -1);
    EXPECT_EQ(StationTextChoiceIndex(-1, 0, 0, 0), -1);
}

TEST(StationTextChoices, TransferDirections)
{
    EXPECT_EQ(MultiStationForcedAlign(4), 2);
    EXPECT_EQ(MultiStationForcedAlign(9), 0);
    EXPECT_EQ(MultiStationForcedAlign(7), -1);
    EXPECT_EQ(MultiStationForcedAlign(12), -1);
    EXPECT_EQ(MultiStationDirectionItems(7, 1), QStringList({"horizontal", "vertical"}));
    EXPECT_EQ(MultiStationDirectionItems(10, 2), QStringList({"horizontal", "diagonal"}));
    EXPECT_EQ(MultiStationDirectionItems(1, 0).value(2), "diagonal down");
    EXPECT_TRUE(MultiStationDirectionItems(40, 0).isEmpty());
    EXPECT_EQ(MultiStationDirectionIndex(3, -45), 1); // "Left Top", "diagonal up"
    EXPECT_EQ(MultiStationDirectionIndex(0, -45), 2);
    EXPECT_EQ(MultiStationDirectionIndex(7, 90), 1);
    EXPECT_EQ(MultiStationDirectionIndex(11, 90), 2);
    EXPECT_EQ(MultiStationDirectionIndex(6, 30), -1);
    EXPECT_EQ(MultiStationDirectionIndex(-3, 0), -1);
}
