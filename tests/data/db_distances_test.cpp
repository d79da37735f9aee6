#include "data/data_module_1.h"
#include "data/db_distances.h"
#include "data/main_globals.h"

#include "platform/ini_file.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

DistancesSection compute(const QVector<int> &stations, const QVector<QVector<int>> &trips)
{
    return ComputeDistances(stations, trips);
}

QString text(const DistancesSection &s)
{
    return s.distance1 + QLatin1Char('|') + s.distance2 + QLatin1Char('|') + s.newcross;
}

// A project folder with line connection 12 (line 3, day group 1, direction 1) and its two
// timetable files, written as the table file writer writes them.
class DistancesFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ProjectDir = dir.path();
        dm1 = &module;
        Table &lc = module.cdsLineConnections;
        lc.createDataSet();
        addConnection(12, 3, 1, 1);
        addConnection(3, 3, 1, 2);
    }
    void TearDown() override
    {
        dm1 = nullptr;
        ProjectDir.clear();
    }

    void addConnection(int id, int line, int group, int direction)
    {
        Table &lc = module.cdsLineConnections;
        lc.append();
        lc.fieldByName(QStringLiteral("ID")).setInteger(id);
        if (line >= 0) {
            lc.fieldByName(QStringLiteral("LineID")).setInteger(line);
            lc.fieldByName(QStringLiteral("DayGroupID")).setInteger(group);
            lc.fieldByName(QStringLiteral("Direction")).setInteger(direction);
        }
        lc.post();
    }

    void writeFile(const QString &name, const QString &content)
    {
        QString crlf = content;
        crlf.replace(QLatin1String("\n"), QLatin1String("\r\n"));
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(crlf.toLatin1());
    }

    QByteArray readFile(const QString &name)
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // Stop rows 10, 11, 12, 13 of day group 1, direction 1, and a direction-2 timetable that
    // must not get mixed in.
    void writeStopRows()
    {
        writeFile(QStringLiteral("ttc_3.ptf"), QStringLiteral(R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"StationID","DayGroupID","Direction","Position",
13,1,2,1,
10,1,1,1,
12,1,1,3,
11,1,1,2,
13,1,1,4,
10,1,2,2,
4);
)"));
    }

    void writeExampleTrips()
    {
        writeFile(QStringLiteral("tt_12.ptf"), QStringLiteral(R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"ID","1","2","3","4",
1,480,485,491,500,
2,600,-1,-1,612,
5);
)"));
    }

    QTemporaryDir dir;
    Tdm1 module;
    ScriptedDialogs dialogs;
};

} // namespace

TEST(ComputeDistances, WorkedExample)
{
    const DistancesSection s = compute({10, 11, 12, 13}, {{480, 485, 491, 500}, {600, -1, -1, 612}});
    EXPECT_EQ(s.distance1, QStringLiteral("10,5,11,6,12,9,13"));
    EXPECT_EQ(s.distance2, QStringLiteral("10,13,12"));
    EXPECT_EQ(s.newcross, QStringLiteral("10,13"));
}

TEST(ComputeDistances, MinimaMidnightAndPairsWithoutDirectTrips)
{
    // No trip has times in two adjacent columns: 9999 everywhere.
    EXPECT_EQ(text(compute({1, 2, 3}, {{480, -1, 500}, {-1, 490, -1}})),
              QStringLiteral("1,9999,2,9999,3|1,3,20|1,3,2"));
    // 491 then 5 crosses midnight: 954 minutes; the smaller of two trips wins.
    EXPECT_EQ(compute({1, 2}, {{491, 5}}).distance1, QStringLiteral("1,954,2"));
    EXPECT_EQ(compute({1, 2}, {{491, 5}, {600, 607}}).distance1, QStringLiteral("1,7,2"));
    // Times stored past midnight by the editor (1440 added) count as they stand.
    EXPECT_EQ(compute({1, 2}, {{1430, 1445}}).distance1, QStringLiteral("1,15,2"));
    // One stop row: the station alone.
    EXPECT_EQ(text(compute({5}, {{480}})), QStringLiteral("5||5"));
    // A trip shorter than the stop rows has no stop at the missing cells.
    EXPECT_EQ(text(compute({1, 2, 3}, {{100, 104}})), QStringLiteral("1,4,2,9999,3||1,2"));
}

TEST(ComputeDistances, DoubledStationsNarrowTheGap)
{
    // Station 2 stands in rows 2 and 3: a gap from row 1 ending at row 3 is counted to row 2,
    // which lies next to row 1, so no skip entry and no newcross entry is made.
    EXPECT_EQ(text(compute({1, 2, 2, 3}, {{100, -1, 110, 120}})), QStringLiteral("1,9999,2,9999,2,10,3||1"));
    // A gap starting at row 2 is counted from row 3: rows 3 to 5 are still apart.
    EXPECT_EQ(text(compute({1, 2, 2, 3, 4}, {{100, 105, -1, -1, 130}})),
              QStringLiteral("1,5,2,9999,2,9999,3,9999,4|2,4,25|1,2,4"));
}

TEST(ComputeDistances, TripEndsAndIntervalReferences)
{
    // Ending before the last stop adds the station of the last time; ending at the last column
    // adds nothing for the end.
    EXPECT_EQ(compute({1, 2, 3}, {{100, 110, -1}}).newcross, QStringLiteral("1,2"));
    EXPECT_EQ(compute({1, 2, 3}, {{100, 110, 120}}).newcross, QStringLiteral("1"));
    // An interval reference between two times makes the same skip entry as -1 ...
    EXPECT_EQ(compute({1, 2, 3}, {{100, -5, 120}}).distance2, QStringLiteral("1,3,20"));
    EXPECT_EQ(compute({1, 2, 3}, {{100, -1, 120}}).distance2, QStringLiteral("1,3,20"));
    // ... but only -1 right after a time marks where the trip leaves the line.
    EXPECT_EQ(compute({1, 2, 3, 4}, {{100, 105, -5, -5}}).newcross, QStringLiteral("1"));
    EXPECT_EQ(compute({1, 2, 3, 4}, {{100, 105, -1, -1}}).newcross, QStringLiteral("1,2"));
    // A trip that starts on an interval reference starts at its first time.
    EXPECT_EQ(compute({1, 2, 3}, {{-3, 200, 210}}).newcross, QStringLiteral("2"));
}

TEST(ComputeDistances, SkipPairsKeepFirstMetOrderAndTheirMinimum)
{
    // A circle line: two different pairs of stop rows with the same two stations give two
    // triples, in the order first met; a later, faster trip lowers the first one.
    const DistancesSection s = compute(
        {7, 8, 9, 7, 8, 9}, {{100, -1, 110, -1, -1, -1}, {-1, -1, -1, 200, -1, 230}, {300, -1, 305, 306, 307, 308}});
    EXPECT_EQ(s.distance2, QStringLiteral("7,9,5,7,9,30"));
    EXPECT_EQ(s.newcross, QStringLiteral("7,9"));
    EXPECT_EQ(s.distance1, QStringLiteral("7,9999,8,9999,9,1,7,1,8,1,9"));
}

TEST_F(DistancesFile, BuildWritesTheWorkedExampleByteForByte)
{
    writeStopRows();
    writeExampleTrips();
    ASSERT_TRUE(BuildDistances(12));
    EXPECT_EQ(readFile(QStringLiteral("distances.ini")),
              QByteArray("[12]\r\ndistance1=10,5,11,6,12,9,13\r\ndistance2=10,13,12\r\nnewcross=10,13\r\n"));
    // Building twice gives the same file.
    ASSERT_TRUE(BuildDistances(12));
    EXPECT_EQ(readFile(QStringLiteral("distances.ini")),
              QByteArray("[12]\r\ndistance1=10,5,11,6,12,9,13\r\ndistance2=10,13,12\r\nnewcross=10,13\r\n"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(DistancesFile, RebuildReplacesTheWholeSectionOnly)
{
    writeStopRows();
    writeFile(QStringLiteral("tt_12.ptf"), QStringLiteral(R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"ID","1","2","3","4",
1,480,485,491,500,
5);
)"));
    writeFile(QStringLiteral("distances.ini"), QStringLiteral("[12]\ndistance1=1,2,3\ndistance2=1,3,4\nnewcross=1,3\n"
                                                              "[7]\ndistance1=5,9999,6\n"));
    ASSERT_TRUE(BuildDistances(12));
    IniFile ini;
    ASSERT_TRUE(ini.load(dir.filePath(QStringLiteral("distances.ini"))));
    EXPECT_EQ(ini.sections(), (QStringList{QStringLiteral("7"), QStringLiteral("12")}));
    EXPECT_EQ(ini.keys(QStringLiteral("12")), (QStringList{QStringLiteral("distance1"), QStringLiteral("newcross")}));
    EXPECT_EQ(ini.readString(QStringLiteral("12"), QStringLiteral("distance1")), QStringLiteral("10,5,11,6,12,9,13"));
    EXPECT_EQ(ini.readString(QStringLiteral("12"), QStringLiteral("newcross")), QStringLiteral("10"));
    EXPECT_EQ(ini.readString(QStringLiteral("7"), QStringLiteral("distance1")), QStringLiteral("5,9999,6"));
}

TEST_F(DistancesFile, NullAndOutOfRangeCellsAreNoStop)
{
    writeStopRows();
    // A cell saved without a value is no stop, never 00:00; so is a number beyond any time.
    writeFile(QStringLiteral("tt_12.ptf"), QStringLiteral(R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"ID","1","2","3","4",
1,480,null,495,1E+20,
5);
)"));
    ASSERT_TRUE(BuildDistances(12));
    IniFile ini;
    ASSERT_TRUE(ini.load(dir.filePath(QStringLiteral("distances.ini"))));
    EXPECT_EQ(ini.readString(QStringLiteral("12"), QStringLiteral("distance1")),
              QStringLiteral("10,9999,11,9999,12,9999,13"));
    EXPECT_EQ(ini.readString(QStringLiteral("12"), QStringLiteral("distance2")), QStringLiteral("10,12,15"));
    EXPECT_EQ(ini.readString(QStringLiteral("12"), QStringLiteral("newcross")), QStringLiteral("10,12"));
}

TEST_F(DistancesFile, RefusesWithoutWritingAnything)
{
    const QByteArray before("[12]\r\ndistance1=1,2,3\r\n");
    writeFile(QStringLiteral("distances.ini"), QString::fromLatin1(before).remove(QLatin1Char('\r')));
    auto unchanged = [&] { return readFile(QStringLiteral("distances.ini")) == before; };

    // No line connection 99; line connection 12 without timetable files.
    EXPECT_FALSE(BuildDistances(99));
    EXPECT_FALSE(BuildDistances(12));
    writeStopRows();
    EXPECT_FALSE(BuildDistances(12));
    EXPECT_TRUE(unchanged());

    // Three stop columns for four stop rows.
    writeFile(QStringLiteral("tt_12.ptf"), QStringLiteral(R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"ID","1","2","3",
1,480,485,491,
4);
)"));
    EXPECT_FALSE(BuildDistances(12));
    EXPECT_TRUE(unchanged());

    // A timetable without stop rows: line connection 3 has none in direction 2 of day group 2.
    addConnection(20, 3, 2, 2);
    writeFile(QStringLiteral("tt_20.ptf"), QStringLiteral(R"(/* Portable Table Format 1.0 */
porTables[porTables.length] = new Array(
"ID",
1,
1);
)"));
    EXPECT_FALSE(BuildDistances(20));
    EXPECT_TRUE(unchanged());

    // A cleared line connection refers to no line.
    addConnection(21, -1, 0, 0);
    writeExampleTrips();
    QFile::copy(dir.filePath(QStringLiteral("tt_12.ptf")), dir.filePath(QStringLiteral("tt_21.ptf")));
    EXPECT_FALSE(BuildDistances(21));
    EXPECT_TRUE(unchanged());
}

TEST_F(DistancesFile, EraseRemovesOneSection)
{
    // No file: nothing to erase, and no file appears.
    EXPECT_TRUE(EraseDistancesSection(12));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("distances.ini"))));

    writeFile(QStringLiteral("distances.ini"), QStringLiteral("[12]\ndistance1=1,2,3\nnewcross=1\n[7]\ndistance1=5\n"));
    EXPECT_TRUE(EraseDistancesSection(12));
    EXPECT_TRUE(EraseDistancesSection(40));
    IniFile ini;
    ASSERT_TRUE(ini.load(dir.filePath(QStringLiteral("distances.ini"))));
    EXPECT_EQ(ini.sections(), QStringList{QStringLiteral("7")});
    EXPECT_EQ(ini.readString(QStringLiteral("7"), QStringLiteral("distance1")), QStringLiteral("5"));
}
