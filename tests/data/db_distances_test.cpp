#include "data/db_distances.h"

#include "support/project_folder.h"

namespace {

// The section of the stop rows' stations and the trips as "distance1|distance2|newcross".
QString section(const QVector<int> &stations, const QVector<QVector<int>> &trips)
{
    const DistancesSection s = ComputeDistances(stations, trips);
    return s.distance1 + QLatin1Char('|') + s.distance2 + QLatin1Char('|') + s.newcross;
}

TEST(ComputeDistances, MinimaSkipRunsAndWhereTripsJoinTheLine)
{
    EXPECT_EQ(section({10, 11, 12, 13}, {{480, 485, 491, 500}, {600, -1, -1, 612}}),
              "10,5,11,6,12,9,13|10,13,12|10,13");
    // No trip has times in two adjacent columns: 9999 everywhere.
    EXPECT_EQ(section({1, 2, 3}, {{480, -1, 500}, {-1, 490, -1}}), "1,9999,2,9999,3|1,3,20|1,3,2");
    // 491 then 5 passes midnight; the faster of two trips wins; times stored past midnight
    // (1440 added) count as they stand.
    EXPECT_EQ(section({1, 2}, {{491, 5}}), "1,954,2||1");
    EXPECT_EQ(section({1, 2}, {{491, 5}, {600, 607}}), "1,7,2||1");
    EXPECT_EQ(section({1, 2}, {{1430, 1445}}), "1,15,2||1");
    // Two stops in the same minute are no day apart, also across a stop not served.
    EXPECT_EQ(section({1, 2, 3}, {{480, 480, 490}}), "1,0,2,10,3||1");
    EXPECT_EQ(section({1, 2, 3}, {{480, -1, 480}}), "1,9999,2,9999,3|1,3,0|1,3");
    // One stop row; a trip shorter than the stop rows.
    EXPECT_EQ(section({5}, {{480}}), "5||5");
    EXPECT_EQ(section({1, 2, 3}, {{100, 104}}), "1,4,2,9999,3||1,2");
    // Two pairs of stop rows with the same stations (a circle line) give two triples, in the
    // order first met; a later, faster trip lowers the first.
    EXPECT_EQ(section({7, 8, 9, 7, 8, 9},
                      {{100, -1, 110, -1, -1, -1}, {-1, -1, -1, 200, -1, 230}, {300, -1, 305, 306, 307, 308}}),
              "7,9999,8,9999,9,1,7,1,8,1,9|7,9,5,7,9,30|7,9");
}

TEST(ComputeDistances, DoubledStationsTripEndsAndIntervalReferences)
{
    // Station 2 stands in rows 2 and 3: a gap ending at row 3 counts to row 2, next to row 1,
    // so no skip run; a gap starting at row 2 counts from row 3.
    EXPECT_EQ(section({1, 2, 2, 3}, {{100, -1, 110, 120}}), "1,9999,2,9999,2,10,3||1");
    EXPECT_EQ(section({1, 2, 2, 3, 4}, {{100, 105, -1, -1, 130}}), "1,5,2,9999,2,9999,3,9999,4|2,4,25|1,2,4");
    // Ending before the last stop joins the station of the last time; ending at the last does not.
    EXPECT_EQ(section({1, 2, 3}, {{100, 110, -1}}), "1,10,2,9999,3||1,2");
    EXPECT_EQ(section({1, 2, 3}, {{100, 110, 120}}), "1,10,2,10,3||1");
    // An interval reference between times skips like -1, but only -1 after a time leaves the line.
    EXPECT_EQ(section({1, 2, 3}, {{100, -5, 120}}), "1,9999,2,9999,3|1,3,20|1,3");
    EXPECT_EQ(section({1, 2, 3}, {{100, -1, 120}}), "1,9999,2,9999,3|1,3,20|1,3");
    EXPECT_EQ(section({1, 2, 3, 4}, {{100, 105, -5, -5}}), "1,5,2,9999,3,9999,4||1");
    EXPECT_EQ(section({1, 2, 3, 4}, {{100, 105, -1, -1}}), "1,5,2,9999,3,9999,4||1,2");
    // A trip that starts on an interval reference starts at its first time.
    EXPECT_EQ(section({1, 2, 3}, {{-3, 200, 210}}), "1,9999,2,10,3||2");
}

// Line connection 12 (line 3, day group 1, direction 1) and 3 (line 3, day group 1, direction 2).
class DistancesFile : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"},
                   {{12, 3, 1, 1}, {3, 3, 1, 2}});
    }

    // Stop rows 10, 11, 12, 13 of day group 1, direction 1, out of order, and a direction-2
    // timetable that must not get mixed in.
    void writeStopRows()
    {
        writePtf(path("ttc_3.ptf"), {"StationID", "DayGroupID", "Direction", "Position"},
                 {"13,1,2,1", "10,1,1,1", "12,1,1,3", "11,1,1,2", "13,1,1,4", "10,1,2,2"});
    }
    void writeTrips(const QString &file, const QStringList &rows, int stopColumns = 4)
    {
        QStringList names{"ID"};
        for (int k = 1; k <= stopColumns; ++k)
            names << QString::number(k);
        writePtf(path(file), names, rows);
    }
    void writeIni(const QByteArray &content) { ASSERT_TRUE(ansi::writeFileAtomically(path("distances.ini"), content)); }
};

TEST_F(DistancesFile, BuildWritesTheSectionByteForByteAndTheSameAgain)
{
    writeStopRows();
    writeTrips("tt_12.ptf", {"1,480,485,491,500", "2,600,-1,-1,612"});
    const QByteArray expected("[12]\r\ndistance1=10,5,11,6,12,9,13\r\ndistance2=10,13,12\r\nnewcross=10,13\r\n");
    ASSERT_TRUE(BuildDistances(12));
    EXPECT_EQ(bytes("distances.ini"), expected);
    ASSERT_TRUE(BuildDistances(12));
    EXPECT_EQ(bytes("distances.ini"), expected);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // A rebuild replaces the whole section, moves it to the end and leaves the others alone.
    writeTrips("tt_12.ptf", {"1,480,485,491,500"});
    writeIni("[12]\r\ndistance1=1,2,3\r\ndistance2=1,3,4\r\nnewcross=1,3\r\n[7]\r\ndistance1=5,9999,6\r\n");
    ASSERT_TRUE(BuildDistances(12));
    EXPECT_EQ(bytes("distances.ini"),
              "[7]\r\ndistance1=5,9999,6\r\n[12]\r\ndistance1=10,5,11,6,12,9,13\r\nnewcross=10\r\n");
}

TEST_F(DistancesFile, NullAndOutOfRangeCellsAreNoStop)
{
    writeStopRows();
    // A cell saved without a value is no stop, never 00:00; so is a number beyond any time.
    writeTrips("tt_12.ptf", {"1,480,null,495,1E+20"});
    ASSERT_TRUE(BuildDistances(12));
    EXPECT_EQ(bytes("distances.ini"),
              "[12]\r\ndistance1=10,9999,11,9999,12,9999,13\r\ndistance2=10,12,15\r\nnewcross=10,12\r\n");
}

TEST_F(DistancesFile, RefusesWithoutWritingAnything)
{
    const QByteArray before("[12]\r\ndistance1=1,2,3\r\n");
    writeIni(before);

    // No line connection 99; line connection 12 without its timetable files.
    EXPECT_FALSE(BuildDistances(99));
    EXPECT_FALSE(BuildDistances(12));
    writeStopRows();
    EXPECT_FALSE(BuildDistances(12));
    // Three stop columns for four stop rows.
    writeTrips("tt_12.ptf", {"1,480,485,491"}, 3);
    EXPECT_FALSE(BuildDistances(12));
    // A timetable without stop rows: line 3 has none in day group 2.
    appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"}, {{20, 3, 2, 2}});
    writeTrips("tt_20.ptf", {"1"}, 0);
    EXPECT_FALSE(BuildDistances(20));
    // A cleared line connection refers to no line.
    appendRows(m_module.cdsLineConnections, {"ID"}, {{21}});
    writeTrips("tt_21.ptf", {"1,480,485,491,500"});
    EXPECT_FALSE(BuildDistances(21));
    EXPECT_EQ(bytes("distances.ini"), before);
}

TEST_F(DistancesFile, EraseRemovesOneSection)
{
    // No file: nothing to erase, and no file appears.
    EXPECT_TRUE(EraseDistancesSection(12));
    EXPECT_FALSE(QFile::exists(path("distances.ini")));

    writeIni("[12]\r\ndistance1=1,2,3\r\nnewcross=1\r\n[7]\r\ndistance1=5\r\n");
    EXPECT_TRUE(EraseDistancesSection(12));
    EXPECT_TRUE(EraseDistancesSection(40));
    EXPECT_EQ(bytes("distances.ini"), "[7]\r\ndistance1=5\r\n");
}

} // namespace
