#include "data/db_timetables.h"

#include "data/table_files.h"
#include "platform/ini_file.h"
#include "support/file_size_limit.h"
#include "support/project_folder.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <map>

namespace {

constexpr int A = 1, B = 2, C = 3, D = 4, X = 9;

QVector<TimeTableStopRow> stops(const QVector<int> &stations)
{
    QVector<TimeTableStopRow> rows;
    for (int i = 0; i < stations.size(); ++i)
        rows << TimeTableStopRow{stations[i], i + 1};
    return rows;
}

// Line 5 (A, B, C) has line connections 1 (day group 1, direction 1) and 2 (day group 1,
// direction 2); line 6 (D, A) has none.
class TimetableFiles : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        appendRows(m_module.cdsStations, {"ID", "Station"}, {{A, "A"}, {B, "B"}, {C, "C"}, {D, "D"}, {X, "X"}});
        appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"},
                   {{1, 5, 1, 1}, {2, 5, 1, 2}});
        appendRows(m_module.cdsLineStations, {"LineID", "LineStationNumber", "StationID"},
                   {{5, 1, A}, {5, 2, B}, {5, 3, C}, {6, 1, D}, {6, 2, A}});
    }

    // Stop rows as (day group, direction, stations in position order), written in this order.
    void writeStopRows(int line, const QVector<std::tuple<int, int, QVector<int>>> &timetables)
    {
        QStringList records;
        for (const auto &[group, direction, stations] : timetables) {
            for (int i = 0; i < stations.size(); ++i)
                records << QStringLiteral("%1,%2,%3,%4").arg(stations[i]).arg(group).arg(direction).arg(i + 1);
        }
        writePtf(path(QStringLiteral("ttc_%1.ptf").arg(line)), {"StationID", "DayGroupID", "Direction", "Position"},
                 records);
    }

    void writeTrips(int connection, int stopColumns, const QStringList &records)
    {
        QStringList columns{"ID"};
        for (int k = 1; k <= stopColumns; ++k)
            columns << QString::number(k);
        writePtf(path(QStringLiteral("tt_%1.ptf").arg(connection)), columns, records);
    }

    // A table file as lines: its names, then the values of each row ("null" for null).
    QStringList dump(const QString &name)
    {
        Table t;
        if (!LoadPtfFileStructure(path(name), t))
            return {"<unreadable>"};
        QStringList names;
        for (const FieldDef &f : t.fieldDefs())
            names << f.name;
        return QStringList{names.join(',')} + dumpRows(t, names).split(" | ");
    }
    QStringList trips(int connection) { return dump(QStringLiteral("tt_%1.ptf").arg(connection)); }

    // "position=station" of one timetable's stop rows, in position order.
    QString stopRows(int line, int group, int direction)
    {
        std::map<int, int> byPosition;
        for (const QString &row : dump(QStringLiteral("ttc_%1.ptf").arg(line)).mid(1)) {
            const QStringList v = row.split(',');
            if (v[1].toInt() == group && v[2].toInt() == direction)
                byPosition[v[3].toInt()] = v[0].toInt();
        }
        QStringList out;
        for (const auto &[position, station] : byPosition)
            out << QStringLiteral("%1=%2").arg(position).arg(station);
        return out.join(' ');
    }

    QString distance1(int connection) const
    {
        return IniFile(path("distances.ini")).readString(QString::number(connection), "distance1");
    }
};

} // namespace

TEST(TripCellValue, NullTextAndHugeNumbersAreNoStop)
{
    EXPECT_EQ(TripCellValue(QVariant(480.0)), 480);
    EXPECT_EQ(TripCellValue(QVariant(479.6)), 480);
    EXPECT_EQ(TripCellValue(QVariant(-3.0)), -3);
    EXPECT_EQ(TripCellValue(QVariant(5)), 5);
    EXPECT_EQ(TripCellValue(QVariant("12")), 12);
    for (const QVariant &v : {QVariant(), QVariant("abc"), QVariant(1e20), QVariant(-1e20), QVariant(std::nan("")),
                              QVariant(qlonglong(1) << 40), QVariant(true)})
        EXPECT_EQ(TripCellValue(v), -1) << v.toString().toStdString();
}

// Walks of trip tables read cells through their fields: the same values as from a QVariant.
TEST(TripCellValue, FieldsOfEveryTypeReadAsTheirValue)
{
    Table t;
    t.addFieldDef(QStringLiteral("F"), FieldType::Float);
    t.addFieldDef(QStringLiteral("I"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("S"), FieldType::String, 20);
    t.addFieldDef(QStringLiteral("B"), FieldType::Boolean);
    t.createDataSet();
    const QVariantList rows[] = {{479.6, 5, QStringLiteral("12"), true},
                                 {1e20, -7, QStringLiteral("abc"), false},
                                 {QVariant(), QVariant(), QVariant(), QVariant()},
                                 {-3.0, 0, QStringLiteral(" 2.5e2 "), true}};
    for (const QVariantList &row : rows) {
        t.append();
        for (int c = 0; c < row.size(); ++c)
            t.field(c).setValue(row[c]);
        t.post();
        for (int c = 0; c < row.size(); ++c)
            EXPECT_EQ(TripCellValue(t.field(c)), TripCellValue(t.field(c).value()))
                << c << ' ' << row[c].toString().toStdString();
    }
    t.first();
    EXPECT_EQ(TripCellValue(t.field(0)), 480);
    EXPECT_EQ(TripCellValue(t.field(2)), 12);
}

TEST(PlanTimeTableRestructure, ListsForChangedStationLists)
{
    const struct {
        QVector<TimeTableStopRow> rows;
        QVector<int> list;
        const char *expected;
    } cases[] = {
        {stops({A, B, C}), {A, C}, "ID 1;1 3;2"},                  // B leaves: C moves down
        {stops({A, B, C}), {A, B, C, D}, "ID 1;1 2;2 3;3 ;4;6"},   // D is new: an empty Float column
        {stops({B, A}), {B, A}, "ID 1;1 2;2"},                     // direction 2, walked backwards
        {stops({A, B, B, C}), {A, B, C}, "ID 1;1 2;2 3;3 4;4"},    // arrival and departure stay together
        {stops({A, B}), {A, A, B}, "ID 1;1 2;2"},                  // twice in a row: one column
        {{{C, 3}, {A, 1}, {B, 2}}, {A, C, B}, "ID 1;1 3;2 2;3"},   // rows in any order, reordered
        {stops({A, B}), {A, X, B}, "ID 1;1 ;2;6 2;3"},             // new in the middle
        {stops({A, B, C, A}), {A, B, C, A}, "ID 1;1 2;2 3;3 4;4"}, // a circle keeps both visits
        {stops({A, B, C, A}), {A, B, C}, "ID 1;1 2;2 3;3"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PlanTimeTableRestructure(c.rows, c.list).specLines.join(' '), c.expected) << c.expected;

    const TimeTableRestructure added = PlanTimeTableRestructure(stops({A, B, C}), {A, B, C, D});
    EXPECT_EQ(added.added, QStringList{"4"});
    EXPECT_EQ(added.placed, (QVector<int>{A, B, C, D}));
}

TEST_F(TimetableFiles, LoadReadsNullCellsAsNoStop)
{
    EXPECT_FALSE(LoadTimeTableConnections(5));
    EXPECT_FALSE(LoadTimeTable(1));

    writeStopRows(5, {{1, 1, {A, B, C}}});
    // Column 3 holds only nulls, so the reader would make it a text column.
    writeTrips(1, 3, {"1,480,null,null", "2,500,510,null"});
    ASSERT_TRUE(LoadTimeTableConnections(5));
    EXPECT_EQ(m_module.cdsTimeTableConnections.rowCount(), 3);
    ASSERT_TRUE(LoadTimeTable(1));
    Table &tt = m_module.cdsTimeTable;
    tt.open();
    EXPECT_EQ(tt.fieldAt(3).type, FieldType::Float);
    tt.close();
    EXPECT_EQ(dumpRows(tt, {"ID", "1", "2", "3"}), "1,480,-1,-1 | 2,500,510,-1");
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(TimetableFiles, DeleteFilesAndStopRows)
{
    writeStopRows(5, {{1, 1, {A, B}}, {1, 2, {B, A}}});
    writeTrips(1, 2, {"1,480,485"});
    EXPECT_TRUE(DeleteTimeTableFile(1));
    EXPECT_FALSE(QFile::exists(path("tt_1.ptf")));
    EXPECT_FALSE(DeleteTimeTableFile(1));

    // Only the table changes; the caller writes the file.
    const QByteArray before = bytes("ttc_5.ptf");
    ASSERT_TRUE(LoadTimeTableConnections(5));
    EXPECT_TRUE(DeleteTimeTableConnections(1, 2));
    m_module.cdsTimeTableConnections.setIndexName("");
    EXPECT_EQ(dumpRows(m_module.cdsTimeTableConnections, {"Direction"}), "1 | 1");
    EXPECT_EQ(bytes("ttc_5.ptf"), before);

    EXPECT_TRUE(DeleteTimeTableConnectionsFile(5));
    EXPECT_FALSE(DeleteTimeTableConnectionsFile(5));
}

TEST_F(TimetableFiles, DeleteColumnMovesLaterColumnsDown)
{
    writeTrips(1, 4, {"1,480,485,490,495", "2,500,505,null,515"});
    ASSERT_TRUE(DeleteTimeTableColumn(5, 1, 1, 2));
    // The null cell became -1 (no stop), not 00:00.
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2,3", "1,480,490,495", "2,500,-1,515"}));

    // No column 4 any more: false, file untouched; a position past every column counts as gone.
    const QByteArray before = bytes("tt_1.ptf");
    EXPECT_FALSE(DeleteTimeTableColumn(5, 1, 1, 4));
    EXPECT_FALSE(DeleteTimeTableColumn(5, 1, 1, 0));
    EXPECT_TRUE(DeleteTimeTableColumn(5, 1, 1, 9));
    // No line connection of day group 7; line connection 2 without trip file.
    EXPECT_FALSE(DeleteTimeTableColumn(5, 1, 7, 1));
    EXPECT_FALSE(DeleteTimeTableColumn(5, 2, 1, 1));
    EXPECT_FALSE(QFile::exists(path("tt_2.ptf")));
    EXPECT_EQ(bytes("tt_1.ptf"), before);
}

TEST_F(TimetableFiles, DeleteStationClosesTheGapInEveryTimetable)
{
    writeStopRows(5, {{1, 1, {A, B, X, C, D}}, {1, 2, {D, C, X, B, A}}});
    writeTrips(1, 5, {"1,480,485,490,495,500", "2,600,-1,610,-1,620"});
    writeTrips(2, 5, {"1,700,705,710,715,720"});
    ASSERT_TRUE(DeleteStationFromTimeTables(5, X));
    EXPECT_EQ(stopRows(5, 1, 1), "1=1 2=2 3=3 4=4");
    EXPECT_EQ(stopRows(5, 1, 2), "1=4 2=3 3=2 4=1");
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2,3,4", "1,480,485,495,500", "2,600,-1,-1,620"}));
    EXPECT_EQ(trips(2), (QStringList{"ID,1,2,3,4", "1,700,705,715,720"}));
    EXPECT_EQ(distance1(1), "1,5,2,10,3,5,4");
    EXPECT_EQ(distance1(2), "4,5,3,10,2,5,1");

    // A station standing twice loses both its rows.
    writeStopRows(5, {{1, 1, {A, B, X, X, C}}});
    writeTrips(1, 5, {"1,480,485,490,491,500"});
    ASSERT_TRUE(DeleteStationFromTimeTables(5, X));
    EXPECT_EQ(stopRows(5, 1, 1), "1=1 2=2 3=3");
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2,3", "1,480,485,500"}));
    EXPECT_EQ(distance1(1), "1,5,2,15,3");
}

TEST_F(TimetableFiles, ApplyRemovedStationDropsColumnAndEmptyTrips)
{
    writeStopRows(5, {{1, 1, {A, B, C}}, {1, 2, {C, B, A}}});
    writeTrips(1, 3, {"1,480,485,490", "2,-1,500,-1", "3,600,-1,610"});
    writeTrips(2, 3, {"1,700,705,710", "2,-1,720,-1"});
    ASSERT_TRUE(ApplyLineStationsToTimeTables(5, {"A", "C"}));

    // The trip that served only B is gone; the next one takes its number.
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2", "1,480,490", "2,600,610"}));
    EXPECT_EQ(trips(2), (QStringList{"ID,1,2", "1,700,710"}));
    EXPECT_EQ(stopRows(5, 1, 1), "1=1 2=3");
    EXPECT_EQ(stopRows(5, 1, 2), "1=3 2=1");
    EXPECT_EQ(distance1(1), "1,10,3");
    EXPECT_EQ(distance1(2), "3,10,1");
    // line_stations.ptf holds the new list of line 5 and the unchanged line 6.
    EXPECT_EQ(dump("line_stations.ptf"),
              (QStringList{"LineID,LineStationNumber,StationID", "5,1,1", "5,2,3", "6,1,4", "6,2,1"}));
}

TEST_F(TimetableFiles, ATripFileCutShortIsNeverRewrittenShort)
{
    writeStopRows(5, {{1, 1, {A, B, C}}, {1, 2, {C, B, A}}});
    QStringList records;
    for (int trip = 1; trip <= 94; ++trip)
        records << QStringLiteral("%1,%2,%3,%4").arg(trip).arg(300 + trip).arg(305 + trip).arg(310 + trip);
    writeTrips(1, 3, records);
    writeTrips(2, 3, {"1,700,705,710"});
    // Cut in half, as a full disk or a broken copy leaves it.
    QByteArray half = bytes("tt_1.ptf");
    half.truncate(half.size() / 2);
    {
        QFile f(path("tt_1.ptf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(half);
    }
    EXPECT_FALSE(ApplyLineStationsToTimeTables(5, {"A", "C"}));
    EXPECT_EQ(bytes("tt_1.ptf"), half);
}

TEST_F(TimetableFiles, ApplyNewStationAddsEmptyStopAndKeepsEveryTrip)
{
    writeStopRows(5, {{1, 1, {A, B, C}}, {1, 2, {C, B, A}}});
    writeTrips(1, 3, {"1,480,485,null", "2,-1,-1,-1"});
    writeTrips(2, 3, {"1,700,705,710"});
    ASSERT_TRUE(ApplyLineStationsToTimeTables(5, {"A", "B", "C", "D"}));

    EXPECT_EQ(trips(1), (QStringList{"ID,1,2,3,4", "1,480,485,-1,-1", "2,-1,-1,-1,-1"}));
    // Direction 2 runs D, C, B, A: the new stop comes first.
    EXPECT_EQ(trips(2), (QStringList{"ID,1,2,3,4", "1,-1,700,705,710"}));
    EXPECT_EQ(stopRows(5, 1, 1), "1=1 2=2 3=3 4=4");
    EXPECT_EQ(stopRows(5, 1, 2), "1=4 2=3 3=2 4=1");
    EXPECT_EQ(distance1(2), "4,9999,3,5,2,5,1");
}

TEST_F(TimetableFiles, LinesWithoutTimetablesOrWithAMissingTripFile)
{
    // Nothing saved yet: nothing to lose; without line connections only the station rows change.
    EXPECT_TRUE(DeleteStationFromTimeTables(5, X));
    EXPECT_FALSE(QFile::exists(path("ttc_5.ptf")));
    ASSERT_TRUE(ApplyLineStationsToTimeTables(6, {"D", "B"}));
    EXPECT_EQ(dump("line_stations.ptf"),
              (QStringList{"LineID,LineStationNumber,StationID", "5,1,1", "5,2,2", "5,3,3", "6,1,4", "6,2,2"}));
    EXPECT_FALSE(QFile::exists(path("ttc_6.ptf")));
    EXPECT_FALSE(QFile::exists(path("distances.ini")));
    QFile::remove(path("line_stations.ptf"));
    takeFolderAsItIs();

    // The direction-2 trip file is missing. The station delete has done direction 1 and says the
    // work is not done.
    writeStopRows(5, {{1, 1, {A, X, C}}, {1, 2, {C, X, A}}});
    writeTrips(1, 3, {"1,480,485,490"});
    EXPECT_FALSE(DeleteStationFromTimeTables(5, X));
    EXPECT_EQ(stopRows(5, 1, 1), "1=1 2=3");
    EXPECT_EQ(stopRows(5, 1, 2), "1=3 2=9 3=1");
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2", "1,480,490"}));

    // A new station list is applied to all timetables or to none: direction 1 stays as it was.
    writeStopRows(5, {{1, 1, {A, B, C}}, {1, 2, {C, B, A}}});
    writeTrips(1, 3, {"1,480,485,490"});
    const QByteArray stopRowsBefore = bytes("ttc_5.ptf");
    EXPECT_FALSE(ApplyLineStationsToTimeTables(5, {"A", "C"}));
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2,3", "1,480,485,490"}));
    EXPECT_EQ(bytes("ttc_5.ptf"), stopRowsBefore);
    EXPECT_FALSE(QFile::exists(path("line_stations.ptf")));
}

// Any write of the change that fails puts back every file written before it and the line's
// rows in memory; nothing says the change was made.
TEST_F(TimetableFiles, AFailedWriteTakesTheWholeStationListChangeBack)
{
    writeStopRows(5, {{1, 1, {A, B, C}}, {1, 2, {C, B, A}}});
    writeTrips(1, 3, {"1,480,485,490"});
    QStringList many;
    for (int trip = 1; trip <= 200; ++trip)
        many << QStringLiteral("%1,%2,%3,%4").arg(trip).arg(300 + trip).arg(305 + trip).arg(310 + trip);
    writeTrips(2, 3, many);
    IniFile old;
    old.writeString("1", "distance1", "1,5,2,5,3");
    ASSERT_TRUE(old.save(path("distances.ini")));
    writePtf(path("line_stations.ptf"), {"LineID", "LineStationNumber", "StationID"},
             {"5,1,1", "5,2,2", "5,3,3", "6,1,4", "6,2,1"});
    const QStringList files{"tt_1.ptf", "tt_2.ptf", "ttc_5.ptf", "distances.ini", "line_stations.ptf"};
    std::map<QString, QByteArray> before;
    for (const QString &file : files)
        before[file] = bytes(file);
    const QString rowsBefore = dumpRows(m_module.cdsLineStations, {"LineID", "LineStationNumber", "StationID"});
    auto expectUnchanged = [&](const char *when) {
        for (const QString &file : files)
            EXPECT_EQ(bytes(file), before[file]) << when << ": " << file.toStdString();
        EXPECT_EQ(dumpRows(m_module.cdsLineStations, {"LineID", "LineStationNumber", "StationID"}), rowsBefore) << when;
    };

    // The last write, the line's stations, fails: the timetables and distances go back.
    ASSERT_TRUE(QFile::remove(path("line_stations.ptf")));
    ASSERT_TRUE(QDir().mkdir(path("line_stations.ptf")));
    takeFolderAsItIs();
    EXPECT_FALSE(ApplyLineStationsToTimeTables(5, {"A", "B", "C", "D"}));
    ASSERT_TRUE(QDir(path("line_stations.ptf")).removeRecursively());
    writeFileBytes(path("line_stations.ptf"), before["line_stations.ptf"]);
    takeFolderAsItIs();
    expectUnchanged("line stations blocked");
    // The stop rows in memory are those of the file again.
    EXPECT_EQ(dumpRows(m_module.cdsTimeTableConnections, {"StationID"}).count('|'), 5);

    // The distances fail after both timetables were written.
    ASSERT_TRUE(QFile::remove(path("distances.ini")));
    ASSERT_TRUE(QDir().mkdir(path("distances.ini")));
    takeFolderAsItIs();
    EXPECT_FALSE(ApplyLineStationsToTimeTables(5, {"A", "B", "C", "D"}));
    ASSERT_TRUE(QDir(path("distances.ini")).removeRecursively());
    writeFileBytes(path("distances.ini"), before["distances.ini"]);
    takeFolderAsItIs();
    expectUnchanged("distances blocked");

    // A full disk takes the larger second trip file, after the first and the stop rows were
    // written.
    const QStringList entries = folderEntries(path(""));
    const LimitedWrite w = writeOnFullDisk(rlim_t(before["tt_2.ptf"].size() + 64),
                                           [&] { return ApplyLineStationsToTimeTables(5, {"A", "B", "C", "D"}); });
    ASSERT_TRUE(w.ran);
    EXPECT_FALSE(w.result);
    expectUnchanged("full disk");
    EXPECT_EQ(folderEntries(path("")), entries);

    // With room and every file writable the same change is made.
    ASSERT_TRUE(ApplyLineStationsToTimeTables(5, {"A", "B", "C", "D"}));
    EXPECT_EQ(stopRows(5, 1, 2), "1=4 2=3 3=2 4=1");
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2,3,4", "1,480,485,490,-1"}));
}
