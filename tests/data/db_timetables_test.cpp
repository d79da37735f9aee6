#include "data/data_module_1.h"
#include "data/db_timetables.h"
#include "data/main_globals.h"
#include "data/table_files.h"

#include "platform/ini_file.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

// Line 5 (A, B, C, ...) has line connections 1 (day group 1, direction 1) and 2 (day group 1,
// direction 2); line 6 (D, A) has none.
class TimetableFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ProjectDir = dir.path();
        dm1 = &module;
        Table &st = module.cdsStations;
        st.createDataSet();
        const std::map<int, QString> names{{A, "A"}, {B, "B"}, {C, "C"}, {D, "D"}, {X, "X"}};
        for (const auto &[id, name] : names) {
            st.append();
            st.fieldByName("ID").setInteger(id);
            st.fieldByName("Station").setString(name);
            st.post();
        }
        Table &lc = module.cdsLineConnections;
        lc.createDataSet();
        for (const QVector<int> &r : QVector<QVector<int>>{{1, 5, 1, 1}, {2, 5, 1, 2}}) {
            lc.append();
            lc.fieldByName("ID").setInteger(r[0]);
            lc.fieldByName("LineID").setInteger(r[1]);
            lc.fieldByName("DayGroupID").setInteger(r[2]);
            lc.fieldByName("Direction").setInteger(r[3]);
            lc.post();
        }
        Table &ls = module.cdsLineStations;
        ls.createDataSet();
        for (const QVector<int> &r : QVector<QVector<int>>{{5, 1, A}, {5, 2, B}, {5, 3, C}, {6, 1, D}, {6, 2, A}}) {
            ls.append();
            ls.fieldByName("LineID").setInteger(r[0]);
            ls.fieldByName("LineStationNumber").setInteger(r[1]);
            ls.fieldByName("StationID").setInteger(r[2]);
            ls.post();
        }
    }
    void TearDown() override
    {
        dm1 = nullptr;
        ProjectDir.clear();
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    void writeFile(const QString &name, const QStringList &lines)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const QString &line : lines)
            f.write(line.toLatin1() + "\r\n");
    }

    void writePtf(const QString &name, const QStringList &columns, const QStringList &records)
    {
        QStringList lines{"/* Portable Table Format 1.0 */", "porTables[porTables.length] = new Array("};
        QString names;
        for (const QString &c : columns)
            names += '"' + c + "\",";
        lines << names;
        for (const QString &r : records)
            lines << r + ',';
        lines << QString::number(columns.size()) + ");";
        writeFile(name, lines);
    }

    // Stop rows as (day group, direction, stations in position order), written in this order.
    void writeStopRows(int line, const QVector<std::tuple<int, int, QVector<int>>> &timetables)
    {
        QStringList records;
        for (const auto &[group, direction, stations] : timetables) {
            for (int i = 0; i < stations.size(); ++i)
                records << QStringLiteral("%1,%2,%3,%4").arg(stations[i]).arg(group).arg(direction).arg(i + 1);
        }
        writePtf(QStringLiteral("ttc_%1.ptf").arg(line), {"StationID", "DayGroupID", "Direction", "Position"}, records);
    }

    void writeTrips(int connection, int stopColumns, const QStringList &records)
    {
        QStringList columns{"ID"};
        for (int k = 1; k <= stopColumns; ++k)
            columns << QString::number(k);
        writePtf(QStringLiteral("tt_%1.ptf").arg(connection), columns, records);
    }

    // A table file as lines of values ("null" for null), its names line first.
    QStringList dump(const QString &name)
    {
        Table t;
        if (!QFile::exists(path(name)) || !LoadPtfFileStructure(path(name), t))
            return {"<unreadable>"};
        t.open();
        QStringList out, names;
        for (int c = 0; c < t.fieldCount(); ++c)
            names << t.fieldAt(c).name;
        out << names.join(',');
        for (t.first(); !t.eof(); t.next()) {
            QStringList values;
            for (int c = 0; c < t.fieldCount(); ++c)
                values << (t.field(c).isNull() ? QStringLiteral("null") : formatFloat(t.field(c).asFloat()));
            out << values.join(',');
        }
        return out;
    }
    QStringList trips(int connection) { return dump(QStringLiteral("tt_%1.ptf").arg(connection)); }

    // "position=station" of one timetable's stop rows, in position order.
    QString stopRows(int line, int group, int direction)
    {
        std::map<int, int> byPosition;
        const QStringList rows = dump(QStringLiteral("ttc_%1.ptf").arg(line));
        for (int i = 1; i < rows.size(); ++i) {
            const QStringList v = rows[i].split(',');
            if (v[1].toInt() == group && v[2].toInt() == direction)
                byPosition[v[3].toInt()] = v[0].toInt();
        }
        QStringList out;
        for (const auto &[position, station] : byPosition)
            out << QStringLiteral("%1=%2").arg(position).arg(station);
        return out.join(' ');
    }

    QByteArray bytes(const QString &name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QString distance1(int connection)
    {
        IniFile ini;
        if (!ini.load(path("distances.ini")))
            return "<no file>";
        return ini.readString(QString::number(connection), "distance1", "<none>");
    }

    QTemporaryDir dir;
    Tdm1 module;
    ScriptedDialogs dialogs;
};

} // namespace

TEST(TripCellValue, NullTextAndHugeNumbersAreNoStop)
{
    EXPECT_EQ(TripCellValue(QVariant()), -1);
    EXPECT_EQ(TripCellValue(QVariant(480.0)), 480);
    EXPECT_EQ(TripCellValue(QVariant(479.6)), 480);
    EXPECT_EQ(TripCellValue(QVariant(-3.0)), -3);
    EXPECT_EQ(TripCellValue(QVariant(5)), 5);
    EXPECT_EQ(TripCellValue(QVariant(QStringLiteral("12"))), 12);
    EXPECT_EQ(TripCellValue(QVariant(QStringLiteral("abc"))), -1);
    EXPECT_EQ(TripCellValue(QVariant(1e20)), -1);
    EXPECT_EQ(TripCellValue(QVariant(-1e20)), -1);
    EXPECT_EQ(TripCellValue(QVariant(std::nan(""))), -1);
    EXPECT_EQ(TripCellValue(QVariant(qlonglong(1) << 40)), -1);
    EXPECT_EQ(TripCellValue(QVariant(true)), -1);
}

TEST(PlanTimeTableRestructure, ListsForChangedStationLists)
{
    auto lines = [](const QVector<TimeTableStopRow> &rows, const QVector<int> &list) {
        return PlanTimeTableRestructure(rows, list).specLines.join(' ');
    };
    // B leaves: its column goes, C moves down.
    EXPECT_EQ(lines(stops({A, B, C}), {A, C}), "ID 1;1 3;2");
    // D is new: an empty Float column at the end.
    const TimeTableRestructure added = PlanTimeTableRestructure(stops({A, B, C}), {A, B, C, D});
    EXPECT_EQ(added.specLines.join(' '), "ID 1;1 2;2 3;3 ;4;6");
    EXPECT_EQ(added.added, QStringList{"4"});
    EXPECT_EQ(added.placed, (QVector<int>{A, B, C, D}));
    // Direction 2 walks the list backwards: stop rows B, A stay B, A.
    const TimeTableRestructure back = PlanTimeTableRestructure(stops({B, A}), {B, A});
    EXPECT_EQ(back.specLines.join(' '), "ID 1;1 2;2");
    EXPECT_EQ(back.placed, (QVector<int>{B, A}));
    // Arrival and departure rows of one station stay together.
    EXPECT_EQ(lines(stops({A, B, B, C}), {A, B, C}), "ID 1;1 2;2 3;3 4;4");
    // A station listed twice in a row gets one column.
    EXPECT_EQ(lines(stops({A, B}), {A, A, B}), "ID 1;1 2;2");
    // The rows can stand in any order; new stations in the middle and reordered stations.
    EXPECT_EQ(lines({{C, 3}, {A, 1}, {B, 2}}, {A, C, B}), "ID 1;1 3;2 2;3");
    EXPECT_EQ(lines(stops({A, B}), {A, X, B}), "ID 1;1 ;2;6 2;3");
    // A circle line keeps both visits of its first station apart.
    EXPECT_EQ(lines(stops({A, B, C, A}), {A, B, C, A}), "ID 1;1 2;2 3;3 4;4");
    EXPECT_EQ(lines(stops({A, B, C, A}), {A, B, C}), "ID 1;1 2;2 3;3");
}

TEST_F(TimetableFiles, LoadReadsNullCellsAsNoStop)
{
    EXPECT_FALSE(LoadTimeTableConnections(5));
    EXPECT_FALSE(LoadTimeTable(1));

    writeStopRows(5, {{1, 1, {A, B, C}}});
    // Column 3 holds only nulls, so the reader makes it a text column.
    writeTrips(1, 3, {"1,480,null,null", "2,500,510,null"});
    ASSERT_TRUE(LoadTimeTableConnections(5));
    EXPECT_EQ(module.cdsTimeTableConnections.rowCount(), 3);
    ASSERT_TRUE(LoadTimeTable(1));
    Table &tt = module.cdsTimeTable;
    tt.open();
    EXPECT_EQ(tt.fieldAt(3).type, FieldType::Float);
    tt.first();
    EXPECT_EQ(tt.fieldByName("2").asInteger(), -1);
    EXPECT_EQ(tt.fieldByName("3").asInteger(), -1);
    tt.next();
    EXPECT_EQ(tt.fieldByName("2").asInteger(), 510);
    EXPECT_EQ(tt.fieldByName("3").asInteger(), -1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(TimetableFiles, DeleteFilesAndStopRows)
{
    writeStopRows(5, {{1, 1, {A, B}}, {1, 2, {B, A}}});
    writeTrips(1, 2, {"1,480,485"});
    EXPECT_TRUE(DeleteTimeTableFile(1));
    EXPECT_FALSE(QFile::exists(path("tt_1.ptf")));
    EXPECT_FALSE(DeleteTimeTableFile(1));

    const QByteArray before = bytes("ttc_5.ptf");
    ASSERT_TRUE(LoadTimeTableConnections(5));
    EXPECT_TRUE(DeleteTimeTableConnections(1, 2));
    Table &ttc = module.cdsTimeTableConnections;
    ttc.open();
    ttc.setIndexName("");
    int rows = 0;
    for (ttc.first(); !ttc.eof(); ttc.next(), ++rows)
        EXPECT_EQ(ttc.fieldByName("Direction").asInteger(), 1);
    EXPECT_EQ(rows, 2);
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
    EXPECT_EQ(bytes("tt_1.ptf"), before);

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
}

TEST_F(TimetableFiles, DeleteStationStandingTwice)
{
    writeStopRows(5, {{1, 1, {A, B, X, X, C}}});
    writeTrips(1, 5, {"1,480,485,490,491,500"});
    ASSERT_TRUE(DeleteStationFromTimeTables(5, X));
    EXPECT_EQ(stopRows(5, 1, 1), "1=1 2=2 3=3");
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2,3", "1,480,485,500"}));
    EXPECT_EQ(distance1(1), "1,5,2,15,3");
}

TEST_F(TimetableFiles, DeleteStationFailureIsReported)
{
    // A line whose timetables were never saved has nothing to lose.
    EXPECT_TRUE(DeleteStationFromTimeTables(5, X));
    EXPECT_FALSE(QFile::exists(path("ttc_5.ptf")));

    // The direction-2 trip file is missing: the direction-1 timetable is done and its stop rows
    // written, but the result says that the station is still there.
    writeStopRows(5, {{1, 1, {A, X, C}}, {1, 2, {C, X, A}}});
    writeTrips(1, 3, {"1,480,485,490"});
    EXPECT_FALSE(DeleteStationFromTimeTables(5, X));
    EXPECT_EQ(stopRows(5, 1, 1), "1=1 2=3");
    EXPECT_EQ(stopRows(5, 1, 2), "1=3 2=9 3=1");
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2", "1,480,490"}));
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

TEST_F(TimetableFiles, ApplyWithoutTimetablesOrWithAMissingTripFile)
{
    // Line 6 has no line connection: only its station rows change.
    ASSERT_TRUE(ApplyLineStationsToTimeTables(6, {"D", "B"}));
    EXPECT_EQ(dump("line_stations.ptf"),
              (QStringList{"LineID,LineStationNumber,StationID", "5,1,1", "5,2,2", "5,3,3", "6,1,4", "6,2,2"}));
    EXPECT_FALSE(QFile::exists(path("ttc_6.ptf")));
    EXPECT_FALSE(QFile::exists(path("distances.ini")));
    QFile::remove(path("line_stations.ptf"));

    // The direction-2 trip file is missing: direction 1 already follows the list, the station
    // rows of the line do not.
    writeStopRows(5, {{1, 1, {A, B, C}}, {1, 2, {C, B, A}}});
    writeTrips(1, 3, {"1,480,485,490"});
    EXPECT_FALSE(ApplyLineStationsToTimeTables(5, {"A", "C"}));
    EXPECT_EQ(trips(1), (QStringList{"ID,1,2", "1,480,490"}));
    EXPECT_FALSE(QFile::exists(path("line_stations.ptf")));
}
