#include "data/db_timetables.h"

#include "data/project_change.h"

#include "data/data_module_1.h"
#include "data/db_distances.h"
#include "data/db_func.h"
#include "data/db_func_p.h"
#include "data/table_files.h"
#include "data/timetable_files.h"

#include "platform/ansi.h"
#include "platform/file_stamps.h"
#include "platform/table.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <vector>

using dbfunc::kQuote;
using dbfunc::projectFile;
using dbfunc::kID;
using dbfunc::kStationID;
using dbfunc::kDayGroupID;
using dbfunc::kDirection;
using dbfunc::kPosition;

namespace {

// The ID of the line connection of (line, day group, direction); -1 when there is none.
int findLineConnection(int lineID, int dayGroupID, int direction)
{
    Table &lc = dm1->cdsLineConnections;
    // Searched among every row; the table is left open on idxAll, where the search put it.
    TableGuard all(lc, QStringLiteral("idxAll"), TableGuard::Filter);
    if (!lc.findKey({lineID, dayGroupID, direction}))
        return -1;
    return lc.fieldByName(kID).asInteger();
}

bool isStopRowOf(Table &ttc, int dayGroupID, int direction)
{
    Field g = ttc.fieldByName(kDayGroupID);
    Field d = ttc.fieldByName(kDirection);
    return !g.isNull() && !d.isNull() && g.asInteger() == dayGroupID && d.asInteger() == direction;
}

// Deletes the trips that serve no stop and numbers the others 1, 2, ... in their old ID order;
// the added columns then get -1 in every trip. An added column is still null while the trips are
// tested, so no trip is dropped in a pass that added a stop. The table's filter is off.
void renumberTrips(Table &trips, const QStringList &added)
{
    trips.setIndexName(QString());
    const int idColumn = trips.findFieldIndex(kID);
    if (idColumn < 0)
        throw TableError(QStringLiteral("Trip table without ID column"));
    QVector<int> addedColumns;
    for (const QString &name : added)
        addedColumns << trips.findFieldIndex(name);

    struct Trip {
        QVariant id;
        bool drop = true;
        int newId = 0;
    };
    std::vector<Trip> list;
    for (trips.first(); !trips.eof(); trips.next()) {
        Trip t;
        t.id = trips.field(idColumn).value();
        for (int c = 0; c < trips.fieldCount() && t.drop; ++c) {
            if (c == idColumn)
                continue;
            const Field cell = trips.field(c);
            t.drop = !cell.isNull() && TripCellValue(cell) == -1;
        }
        list.push_back(t);
    }
    std::vector<size_t> order(list.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return compareValues(list[a].id, list[b].id) < 0; });
    int next = 1;
    for (size_t i : order) {
        if (!list[i].drop)
            list[i].newId = next++;
    }

    size_t i = 0;
    for (trips.first(); !trips.eof() && i < list.size(); ++i) {
        const Trip &t = list[i];
        if (t.drop) {
            trips.remove(); // the cursor moves on to the next trip
            continue;
        }
        if (!addedColumns.isEmpty() || compareValues(t.id, QVariant(double(t.newId))) != 0) {
            trips.edit();
            trips.field(idColumn).setFloat(t.newId);
            for (int c : addedColumns) {
                if (c >= 0)
                    trips.field(c).setFloat(-1);
            }
            trips.post();
        }
        trips.next();
    }
}

// True when the list keeps every column of the table under its own name and type: the
// restructure would copy the table unchanged.
bool isIdentity(const Table &table, const QStringList &specLines)
{
    if (specLines.size() != table.fieldCount())
        return false;
    for (int c = 0; c < specLines.size(); ++c) {
        const QString &line = specLines[c];
        const QString &name = table.fieldAt(c).name;
        if (line != name && line != name + QLatin1Char(';') + name)
            return false;
    }
    return true;
}

// The distances section of a timetable as BuildDistances reads it back from the files just
// written: stations of the stop rows, cells of the trips in ID order.
DistancesSection distancesOf(Table &trips, const QVector<int> &stations)
{
    const int n = stations.size();
    QVector<int> columns(n);
    for (int k = 0; k < n; ++k)
        columns[k] = trips.findFieldIndex(QString::number(k + 1));
    QVector<QVector<int>> cells;
    for (trips.first(); !trips.eof(); trips.next()) {
        QVector<int> trip(n, -1);
        for (int k = 0; k < n; ++k)
            trip[k] = columns[k] < 0 ? -1 : TripCellValue(trips.field(columns[k]));
        cells << trip;
    }
    return ComputeDistances(stations, cells);
}

// One timetable of the line follows the new station list: trip file first, then its stop rows.
// The stop rows of the line are read only once (loadStopRows); afterwards the table holds what
// was written. Section gets the rebuilt distances; it stays empty when there is no stop row left.
bool applyStationsToTimeTable(int lineID, int lineConnectionID, int dayGroupID, int direction,
                              const QVector<int> &stations, bool loadStopRows, DistancesSection &section,
                              bool &stopRowsTouched)
{
    if (loadStopRows && !LoadTimeTableConnections(lineID))
        return false;
    if (!LoadTimeTable(lineConnectionID))
        return false;
    Table &ttc = dm1->cdsTimeTableConnections;
    Table &tt = dm1->cdsTimeTable;
    try {
        // Every stop row and every trip is read, changed and written; the tables are left open,
        // the stop rows on idxStation and the trips on idxID.
        TableGuard allStopRows(ttc, QStringLiteral("idxStation"), TableGuard::Filter);
        TableGuard allTrips(tt, TableGuard::Filter);
        QVector<TimeTableStopRow> stopRows;
        for (ttc.first(); !ttc.eof(); ttc.next()) {
            if (isStopRowOf(ttc, dayGroupID, direction))
                stopRows << TimeTableStopRow{ttc.fieldByName(kStationID).asInteger(),
                                             ttc.fieldByName(kPosition).asInteger()};
        }
        QVector<int> travel = stations;
        if (direction == 2)
            std::reverse(travel.begin(), travel.end());
        const TimeTableRestructure plan = PlanTimeTableRestructure(stopRows, travel);

        if (!isIdentity(tt, plan.specLines) && !RestructureTable(tt, plan.specLines))
            return false;
        renumberTrips(tt, plan.added);
        tt.addIndexDef(QStringLiteral("idxID"), kID);
        tt.setIndexName(QStringLiteral("idxID"));
        if (!SavePtfFile(TimeTableFilePath(lineConnectionID), kQuote, tt))
            return false;
        section = plan.placed.isEmpty() ? DistancesSection() : distancesOf(tt, plan.placed);

        ttc.first();
        while (!ttc.eof()) {
            if (isStopRowOf(ttc, dayGroupID, direction))
                ttc.remove();
            else
                ttc.next();
        }
        for (int k = 0; k < plan.placed.size(); ++k) {
            ttc.append();
            ttc.fieldByName(kStationID).setInteger(plan.placed[k]);
            ttc.fieldByName(kDayGroupID).setInteger(dayGroupID);
            ttc.fieldByName(kDirection).setInteger(direction);
            ttc.fieldByName(kPosition).setInteger(k + 1);
            ttc.post();
        }
        stopRowsTouched = true;
        return SavePtfFile(TimeTableConnectionsFilePath(lineID), kQuote, ttc);
    } catch (const std::exception &) {
        tt.cancel();
        ttc.cancel();
        return false;
    }
}

} // namespace

TimeTableRestructure PlanTimeTableRestructure(const QVector<TimeTableStopRow> &StopRows, const QVector<int> &Stations)
{
    // Rows of one station stand together, in position order, so "the next row of the station"
    // is its next stop row along the trip.
    QVector<TimeTableStopRow> rows = StopRows;
    std::stable_sort(rows.begin(), rows.end(), [](const TimeTableStopRow &a, const TimeTableStopRow &b) {
        return a.stationID != b.stationID ? a.stationID < b.stationID : a.position < b.position;
    });
    const int rowCount = rows.size();
    QVector<bool> used(rowCount, false);

    TimeTableRestructure plan;
    plan.specLines << kID;
    int matched = 0;
    bool havePrevious = false;
    int previous = 0;
    for (int station : Stations) {
        int found = -1;
        if ((!havePrevious || previous != station) && matched < rowCount) {
            auto it = std::lower_bound(rows.begin(), rows.end(), station,
                                       [](const TimeTableStopRow &r, int s) { return r.stationID < s; });
            // A station that a circle line serves twice takes its next unused stop row.
            for (int i = int(it - rows.begin()); i < rowCount && rows[i].stationID == station; ++i) {
                if (!used[i] && rows[i].position > 0) {
                    found = i;
                    break;
                }
            }
        }
        if (found >= 0) {
            const int p = rows[found].position;
            used[found] = true;
            plan.placed << station;
            plan.specLines << QStringLiteral("%1;%2").arg(p).arg(plan.placed.size());
            int count = 1;
            // Arrival and departure rows of one station stand next to each other and stay together.
            const int second = found + 1;
            if (second < rowCount && rows[second].stationID == station && !used[second] &&
                qint64(rows[second].position) == qint64(p) + 1) {
                used[second] = true;
                plan.placed << station;
                plan.specLines << QStringLiteral("%1;%2").arg(rows[second].position).arg(plan.placed.size());
                count = 2;
            }
            matched += count;
        } else if (!plan.placed.isEmpty() && plan.placed.last() == station) {
            // the same station twice in a row in the list gets no column of its own
        } else {
            plan.placed << station;
            const QString name = QString::number(plan.placed.size());
            plan.added << name;
            plan.specLines << QStringLiteral(";%1;6").arg(name);
        }
        havePrevious = true;
        previous = station;
    }
    return plan;
}

bool DeleteTimeTableConnections(int DayGroupID, int Direction)
{
    Table &t = dm1->cdsTimeTableConnections;
    dbfunc::guarded(t, [&] {
        t.open();
        t.setIndexName(QStringLiteral("idxDD"));
        while (t.findKey({DayGroupID, Direction}))
            t.remove();
    });
    return true;
}

bool DeleteTimeTableColumn(int LineID, int Direction, int DayGroupID, int Position)
{
    const int lineConnectionID =
        dbfunc::guarded(dm1->cdsLineConnections, -1, [&] { return findLineConnection(LineID, DayGroupID, Direction); });
    if (lineConnectionID < 0)
        return false;
    const QString file = TimeTableFilePath(lineConnectionID);
    if (!QFileInfo(file).isFile())
        return false;
    Table trips(QStringLiteral("cdsTimeTableColumns"));
    try {
        if (!LoadPtfFileStructure(file, trips))
            return false;
        const int dropped = trips.findFieldIndex(QString::number(Position));
        if (dropped < 0) // a stop row past the last column has no column left to remove
            return Position > trips.fieldCount();
        NormalizeTripTable(trips);
        QStringList restructure;
        for (int j = 0; j < trips.fieldCount(); ++j) {
            const QString name = trips.fieldAt(j).name;
            if (j < dropped)
                restructure << name;
            else if (j > dropped)
                restructure << name + QLatin1Char(';') + QString::number(j - 1);
        }
        if (!RestructureTable(trips, restructure))
            return false;
        trips.addIndexDef(QStringLiteral("idxID"), kID);
        trips.setIndexName(QStringLiteral("idxID"));
        return SavePtfFile(file, kQuote, trips);
    } catch (const std::exception &) {
        return false;
    }
}

bool DeleteStationFromTimeTables(int LineID, int StationID)
{
    // A line whose timetables were never saved has nothing to remove; seen so, as read.
    if (!FileStamps::seenThere(TimeTableConnectionsFilePath(LineID)))
        return true;
    if (!LoadTimeTableConnections(LineID))
        return false;
    Table &ttc = dm1->cdsTimeTableConnections;
    QVector<int> noted;
    int deleted = 0;
    bool ok = true;
    bool written = false;
    try {
        // Every stop row is searched, renumbered and written; the table is left open on idxSDD.
        TableGuard all(ttc, QStringLiteral("idxStation"), TableGuard::Filter);
        try {
            while (ok && ttc.findKey({StationID})) {
                const int direction = ttc.fieldByName(kDirection).asInteger();
                const int dayGroupID = ttc.fieldByName(kDayGroupID).asInteger();
                const int position = ttc.fieldByName(kPosition).asInteger();
                ok = DeleteTimeTableColumn(LineID, direction, dayGroupID, position);
                if (ok) {
                    const int id = dbfunc::guarded(dm1->cdsLineConnections, -1,
                                                   [&] { return findLineConnection(LineID, dayGroupID, direction); });
                    ok = id >= 0;
                    if (ok && !noted.contains(id))
                        noted << id;
                }
                if (!ok)
                    break;
                ttc.remove();
                ++deleted;
                for (ttc.first(); !ttc.eof(); ttc.next()) {
                    if (!isStopRowOf(ttc, dayGroupID, direction))
                        continue;
                    Field p = ttc.fieldByName(kPosition);
                    if (!p.isNull() && p.asInteger() > position) {
                        ttc.edit();
                        p.setInteger(p.asInteger() - 1);
                        ttc.post();
                    }
                }
            }
        } catch (const std::exception &) {
            ttc.cancel();
            ok = false;
        }
        if (deleted == 0)
            return ok;

        // The trip files already lost their columns: the stop rows must follow them even when a
        // later timetable failed.
        written = dbfunc::guarded(ttc, false, [&] {
            ttc.setIndexName(QStringLiteral("idxSDD"));
            return SavePtfFile(TimeTableConnectionsFilePath(LineID), kQuote, ttc);
        });
    } catch (const std::exception &) { // the table could not be opened
        return false;
    }
    if (written) {
        for (int id : noted)
            written = BuildDistances(id) && written;
    }
    return ok && written;
}

bool ApplyLineStationsToTimeTables(int LineID, const QStringList &StationNames)
{
    QVector<int> stations;
    for (const QString &name : StationNames)
        stations << GetStationIDByName(name);

    Table &lc = dm1->cdsLineConnections;
    struct Connection {
        int id;
        int dayGroupID;
        int direction;
    };
    QVector<Connection> connections;
    bool ok = dbfunc::guarded(lc, false, [&] {
        lc.forEachRow(QStringLiteral("idxID"), [&](const TableRow &row) {
            const Field line = row.fieldByName(QStringLiteral("LineID"));
            const Field group = row.fieldByName(kDayGroupID);
            const Field direction = row.fieldByName(kDirection);
            if (line.isNull() || group.isNull() || direction.isNull() || line.asInteger() != LineID)
                return;
            connections << Connection{row.fieldByName(kID).asInteger(), group.asInteger(), direction.asInteger()};
        });
        return true;
    });

    // The sections are rebuilt from the tables just written (what BuildDistances would read back)
    // and only once every timetable follows the list; all of them go into the file in one write.
    // A failure at any step puts back every file written before it: the timetables, their stop
    // rows, the distances and the line's stations then all still follow the old list.
    ProjectChange change;
    // Every timetable of the line is read before the first of them is written.
    if (RefuseDamagedFile(DamagedTimeTableFileOfLine(LineID)))
        ok = false;
    bool stopRowsTouched = false;
    QVector<QPair<int, DistancesSection>> sections;
    for (const Connection &c : connections) {
        if (!ok)
            break;
        DistancesSection section;
        ok = applyStationsToTimeTable(LineID, c.id, c.dayGroupID, c.direction, stations, sections.isEmpty(), section,
                                      stopRowsTouched);
        sections.append({c.id, section});
    }
    if (ok) {
        // A timetable left without stop rows has no section: the run fails as a whole.
        for (const auto &entry : sections)
            ok = ok && !entry.second.distance1.isEmpty();
        if (ok && !sections.isEmpty() &&
            !WriteDistancesSections(sections))
            ok = false;
    }
    // The line's rows in memory are taken back by the write itself when it fails.
    if (ok)
        ok = setLineStationIds(LineID, stations);
    if (!ok) {
        // The stop rows in memory were changed only where their file was to be written: they
        // then follow the file again, not the list that was refused.
        change.finish(false);
        if (stopRowsTouched)
            LoadTimeTableConnections(LineID);
    } else {
        ok = change.finish(true);
    }

    dbfunc::guarded(lc, [&] {
        lc.close();
        dm1->cdsTimeTableConnections.close();
        dm1->cdsTimeTable.close();
    });
    return ok;
}
