#include "data/db_delete.h"

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/db_func_p.h"
#include "data/db_linemap.h"
#include "data/db_linemap_p.h"
#include "data/project_change.h"
#include "data/table_files.h"
#include "data/timetable_files.h"
#include "platform/file_stamps.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <initializer_list>
#include <set>

using namespace dbfunc;

namespace {

const QString kLineID = QStringLiteral("LineID");
const QString kLineMapID = QStringLiteral("LineMapID");

// A file read only when it is there is seen either way: the delete relies on its absence too.
bool fileExists(const QString &file)
{
    return FileStamps::seenThere(projectFile(file));
}

// A file that is not there counts as deleted.
bool removeProjectFile(const QString &file)
{
    return RemoveProjectFileInChange(projectFile(file));
}

// Every plan of the project: those listed in line_maps.ptf and those that still have rows in
// line_map_lines.ptf. False when either file is there but cannot be read.
bool collectPlans(std::set<int> &plans)
{
    if (fileExists(QStringLiteral("line_maps.ptf"))) {
        Table &maps = dm1->cdsLineMaps;
        const bool ok = guarded(maps, false, [&] {
            if (!LoadPtfFile(projectFile(QStringLiteral("line_maps.ptf")), maps))
                return false;
            maps.open();
            TableGuard all(maps, TableGuard::Filter);
            for (maps.first(); !maps.eof(); maps.next())
                plans.insert(maps.fieldByName(kID).asInteger());
            return true;
        });
        if (!ok)
            return false;
    }
    bool present = false;
    if (!loadSharedTable(SharedTable::Lines, present))
        return false;
    Table &lines = dm1->cdsLineMapLines;
    return guarded(lines, false, [&] {
        lines.open();
        TableGuard all(lines, TableGuard::Filter);
        lines.setIndexName(QStringLiteral("idxLineMapID"));
        for (lines.first(); !lines.eof(); lines.next())
            plans.insert(lines.fieldByName(kLineMapID).asInteger());
        return true;
    });
}

// Loads one of the plan's own files when it exists, lets `change` delete rows (it returns how
// many) and writes the file back when any went. The table is closed afterwards.
template <typename Change> bool editPlanFile(const PlanTable &which, int lineMapID, Change &&change)
{
    if (!FileStamps::seenThere(planFileName(which, lineMapID)))
        return true;
    Table &t = dm1->*which.table;
    bool ok = which.load(lineMapID);
    if (ok) {
        const int deleted = guarded(t, -1, [&] {
            t.open();
            TableGuard all(t, TableGuard::Filter);
            return change(t);
        });
        ok = deleted >= 0;
        if (deleted > 0) {
            // The stations keep the order the editor placed them in; the station-name files are
            // written in the order of their own index whatever this one is.
            guarded(t, [&] { t.setIndexName(QString()); });
            ok = which.save(lineMapID);
        }
    }
    guarded(t, [&] { t.close(); });
    return ok;
}

// Deletes the rows with the key from a table the project keeps loaded; -1 when that failed. A
// table never set up holds no rows.
int deleteLoadedRows(Table &t, const char *indexName, const QVariantList &key)
{
    return guarded(t, -1, [&] {
        if (t.fieldCount() == 0)
            return 0;
        t.open();
        return deleteRowsByKey(t, QLatin1String(indexName), key);
    });
}

bool saveLineStationsInOrder()
{
    guarded(dm1->cdsLineStations, [] { dm1->cdsLineStations.setIndexName(QStringLiteral("idxLineStations")); });
    return SaveLineStations();
}

// Lowers by one the number of every stop of the line behind the removed stop `number`.
void closeGap(Table &ls, int lineID, int number)
{
    // idxLineID does not hold the number, so editing it moves no row under the walk.
    ls.setIndexName(QStringLiteral("idxLineID"));
    if (!ls.findKey({lineID}))
        return;
    for (; !ls.eof() && ls.fieldByName(kLineID).asInteger() == lineID; ls.next()) {
        Field n = ls.fieldByName(QStringLiteral("LineStationNumber"));
        if (n.asInteger() > number) {
            ls.edit();
            n.setInteger(n.asInteger() - 1);
            ls.post();
        }
    }
}

// Reads the file into the scratch table; true when it is there but does not read whole.
bool unreadable(const QString &path, Table &scratch)
{
    return QFileInfo::exists(path) && !guarded(scratch, false, [&] { return LoadPtfFileStructure(path, scratch); });
}

// The IDs in a column of the scratch table as read last.
void collectIDs(Table &scratch, const QString &field, std::set<int> &ids)
{
    guarded(scratch, [&] {
        if (scratch.findFieldIndex(field) < 0)
            return;
        scratch.open();
        for (scratch.first(); !scratch.eof(); scratch.next())
            ids.insert(scratch.fieldByName(field).asInteger());
        scratch.close();
    });
}

} // namespace

QString FirstDamagedPlanFile(bool AllShared)
{
    Table scratch(QStringLiteral("scratch"));
    std::set<int> plans;
    const QString maps = projectFile(QStringLiteral("line_maps.ptf"));
    if (unreadable(maps, scratch))
        return maps;
    if (QFileInfo::exists(maps))
        collectIDs(scratch, kID, plans);
    const QString lines = LineMapTableFile(LineMapTable::Lines).fileName;
    if (unreadable(lines, scratch))
        return lines;
    if (QFileInfo::exists(lines))
        collectIDs(scratch, kLineMapID, plans);
    if (AllShared) {
        for (const LineMapTable shared : {LineMapTable::Sections, LineMapTable::Intersections,
                                          LineMapTable::TextVisible, LineMapTable::TextColor,
                                          LineMapTable::TextOffset}) {
            const QString file = LineMapTableFile(shared).fileName;
            if (unreadable(file, scratch))
                return file;
        }
    }
    for (const int plan : plans) {
        for (const LineMapTable own :
             {LineMapTable::Stations, LineMapTable::StationNames, LineMapTable::TransferNames}) {
            const QString file = LineMapTableFile(own, plan).fileName;
            if (unreadable(file, scratch))
                return file;
        }
    }
    return QString();
}

// ---------------------------------------------------------------- station chain

bool DeleteStationByName(const QString &Name)
{
    const int id = GetStationIDByName(Name);
    return id >= 0 && DeleteStation(id);
}

namespace {

std::set<int> linesOfStation(int StationID)
{
    std::set<int> lines;
    guarded(dm1->cdsLineStations, [&] {
        dm1->cdsLineStations.forEachRow(QString(), [&](const TableRow &row) {
            if (row.fieldByName(kStationID).asInteger() == StationID)
                lines.insert(row.fieldByName(kLineID).asInteger());
        });
    });
    return lines;
}

// The station's lines with timetables and the tables a station delete reads: all readable.
bool stationDeleteInputsReadable(const std::set<int> &lines)
{
    if (RefuseDamagedTables({&dm1->cdsStations, &dm1->cdsNewStations, &dm1->cdsLineStations,
                             &dm1->cdsLineConnections}))
        return false;
    for (int line : lines) {
        if (RefuseDamagedFile(DamagedTimeTableFileOfLine(line)))
            return false;
    }
    return !RefuseDamagedFile(FirstDamagedPlanFile(false));
}

// The files a station delete rewrites whatever the plans hold: the station tables and the
// timetables of its lines, kept all at once.
bool keepStationDeleteFilesAhead(const std::set<int> &lines)
{
    QStringList files{projectFile(QStringLiteral("stations.ptf")), projectFile(QStringLiteral("newstations.ptf")),
                      projectFile(QStringLiteral("line_stations.ptf"))};
    guarded(dm1->cdsLineConnections, [&] {
        dm1->cdsLineConnections.forEachRow(QString(), [&](const TableRow &row) {
            const Field line = row.fieldByName(kLineID);
            if (!line.isNull() && lines.count(line.asInteger()))
                files << TimeTableFilePath(row.fieldByName(kID).asInteger());
        });
    });
    for (int line : lines)
        files << TimeTableConnectionsFilePath(line);
    return KeepFilesAhead(files);
}

} // namespace

bool DeleteStation(int StationID)
{
    // One change: a chain that stops leaves every file as it was, the station listed for another
    // try.
    const std::set<int> lines = linesOfStation(StationID);
    return InOneChange([&] {
        return stationDeleteInputsReadable(lines) && keepStationDeleteFilesAhead(lines) &&
               DeleteStationFromLineMaps(StationID) &&
               DeleteStationFromLines(StationID) &&
               DeleteNewStation(StationID) && DeleteStationRecord(StationID);
    });
}

bool DeleteStationFromLineMaps(int StationID)
{
    // Every plan is visited, not only those of the lines that hold the station now: a station
    // taken off a line earlier can still have a transfer-station row.
    std::set<int> plans;
    if (!collectPlans(plans))
        return false;
    for (int plan : plans) {
        const bool ok =
            editPlanFile(kPlanStations, plan,
                         [&](Table &t) { return deleteRowsByKey(t, QStringLiteral("idxStationID"), {StationID}); }) &&
            editPlanFile(kPlanIndividualPrefs, plan,
                         [&](Table &t) {
                             return deleteRowsByKey(t, QStringLiteral("idxTypeValue"), {0, StationID});
                         }) &&
            editPlanFile(kPlanMultiPrefs, plan,
                         [&](Table &t) { return deleteRowsByKey(t, QStringLiteral("idxStationID"), {StationID}); });
        if (!ok)
            return false;
    }
    return true;
}

bool DeleteStationRecord(int StationID)
{
    return deleteOwnRow(dm1->cdsStations, StationID, &SaveStations);
}

bool DeleteStationFromLines(int StationID)
{
    Table &ls = dm1->cdsLineStations;
    int deleted = 0;
    bool ok = true;
    std::set<int> timetablesDone; // one pass takes every stop of the station off a line's timetables
    try {
        if (ls.fieldCount() == 0)
            return true;
        ls.open();
        TableGuard all(ls, TableGuard::Filter);
        while (ok) {
            ls.setIndexName(QStringLiteral("idxStationID"));
            if (!ls.findKey({StationID}))
                break;
            const int lineID = ls.fieldByName(kLineID).asInteger();
            const int number = ls.fieldByName(QStringLiteral("LineStationNumber")).asInteger();
            ls.remove();
            ++deleted;
            closeGap(ls, lineID, number);
            if (timetablesDone.insert(lineID).second)
                ok = DeleteStationFromTimeTables(lineID, StationID);
        }
    } catch (const std::exception &) {
        ls.cancel();
        ok = false;
    }
    if (deleted == 0)
        return ok;
    // The timetables already handled lost their columns: the stop lists must follow them.
    const bool written = saveLineStationsInOrder();
    return ok && written;
}

bool DeleteNewStation(int StationID)
{
    const int found = deleteLoadedRows(dm1->cdsNewStations, "idxID", {StationID});
    if (found < 0)
        return false;
    return found == 0 || SaveNewStations();
}

// ---------------------------------------------------------------- line chain

bool DeleteLineByName(const QString &Name)
{
    const int id = GetLineIDByName(Name);
    return id >= 0 && DeleteLine(id);
}

bool DeleteLine(int LineID)
{
    // One change: a chain that stops leaves every file as it was, the line listed for another try.
    // The line's own timetable files are only removed: they are no input that must be read.
    return InOneChange([&] {
        return !RefuseDamagedTables({&dm1->cdsLines, &dm1->cdsLineStations, &dm1->cdsLineConnections,
                                     &dm1->cdsLineGraphic}) &&
               !RefuseDamagedFile(FirstDamagedPlanFile(true)) &&
               DeleteLineFromLineMaps(LineID) && DeleteLineStationsOfLine(LineID) && DeleteLineGraphic(LineID) &&
               DeleteLineRecord(LineID);
    });
}

bool DeleteLineFromLineMaps(int LineID)
{
    return DeleteLineFromLineMapStationTables(LineID) && DeleteLineTextVisibleOfLine(LineID) &&
           DeleteLineTextColorOfLine(LineID) && DeleteLineTextOffsetOfLine(LineID) &&
           DeleteLineMapLineIntersectionsOfLine(LineID) && DeleteLineMapLineSectionsOfLine(LineID) &&
           DeleteLineMapLinesOfLine(LineID);
}

bool DeleteLineFromLineMapStationTables(int LineID)
{
    std::set<int> plans;
    if (!collectPlans(plans))
        return false;
    for (int plan : plans) {
        const bool ok =
            editPlanFile(kPlanIndividualPrefs, plan,
                         [&](Table &t) { return deleteRowsByKey(t, QStringLiteral("idxLineID"), {LineID}); }) &&
            editPlanFile(kPlanStations, plan,
                         [&](Table &t) { return deleteRowsByKey(t, QStringLiteral("idxLineID"), {LineID}); });
        if (!ok)
            return false;
    }
    return true;
}

bool DeleteLineRecord(int LineID)
{
    return deleteOwnRow(dm1->cdsLines, LineID, &SaveLines);
}

bool DeleteLineStationsOfLine(int LineID)
{
    const int deleted = deleteLoadedRows(dm1->cdsLineStations, "idxLineID", {LineID});
    if (deleted < 0)
        return false;
    if (deleted > 0 && !saveLineStationsInOrder())
        return false;
    return DeleteLineConnectionsOfLine(LineID);
}

bool DeleteLineConnectionsOfLine(int LineID)
{
    const QString file = QStringLiteral("line_connections.ptf");
    if (fileExists(file)) {
        Table &lc = dm1->cdsLineConnections;
        if (!guarded(lc, false, [&] { return LoadPtfFile(projectFile(file), lc); }))
            return false;
        int deleted = 0;
        bool ok = true;
        try {
            lc.open();
            TableGuard all(lc, TableGuard::Filter);
            lc.setIndexName(QStringLiteral("idxLineID"));
            while (ok && lc.findKey({LineID})) {
                const int id = lc.fieldByName(kID).asInteger();
                if (!removeProjectFile(TimeTableFileName(id))) {
                    ok = false;
                    break;
                }
                lc.remove();
                ++deleted;
                ok = EraseDistancesSection(id);
            }
        } catch (const std::exception &) {
            lc.cancel();
            ok = false;
        }
        if (deleted > 0) {
            const bool written = guarded(lc, false, [&] {
                lc.setIndexName(QStringLiteral("idxID"));
                return SavePtfFile(projectFile(file), kQuote, lc);
            });
            ok = ok && written;
        }
        if (!ok)
            return false;
    }
    return removeProjectFile(TimeTableConnectionsFileName(LineID));
}

bool DeleteLineGraphic(int LineID)
{
    const int deleted = deleteLoadedRows(dm1->cdsLineGraphic, "idxLineID", {LineID});
    if (deleted < 0)
        return false;
    return deleted == 0 || SaveLineGraphic();
}

// ---------------------------------------------------------------- changed station lists

bool DeleteRemovedStationsFromLineMaps(int LineID, const QStringList &StationNames)
{
    std::set<int> kept;
    for (const QString &name : StationNames)
        kept.insert(GetStationIDByName(name));

    bool present = false;
    if (!loadSharedTable(SharedTable::Lines, present))
        return false;
    std::set<int> plans;
    Table &lines = dm1->cdsLineMapLines;
    if (!guarded(lines, false, [&] {
            lines.open();
            TableGuard all(lines, TableGuard::Filter);
            lines.setIndexName(QStringLiteral("idxLineID"));
            if (lines.findKey({LineID})) {
                for (; !lines.eof() && lines.fieldByName(kLineID).asInteger() == LineID; lines.next())
                    plans.insert(lines.fieldByName(kLineMapID).asInteger());
            }
            return true;
        }))
        return false;

    // Deletes the line's rows whose station is no longer on it; `accept` picks the rows in question.
    auto removeGone = [&](const QString &stationField, auto accept) {
        return [&, stationField, accept](Table &t) {
            t.setIndexName(QStringLiteral("idxLineID"));
            int deleted = 0;
            if (!t.findKey({LineID}))
                return 0;
            while (!t.eof() && t.fieldByName(kLineID).asInteger() == LineID) {
                if (accept(t) && !kept.count(t.fieldByName(stationField).asInteger())) {
                    t.remove();
                    ++deleted;
                } else {
                    t.next();
                }
            }
            return deleted;
        };
    };
    auto anyRow = [](Table &) { return true; };
    auto stationRow = [](Table &t) {
        Field type = t.fieldByName(QStringLiteral("IDType"));
        return !type.isNull() && type.asInteger() == 0;
    };

    // Every plan is walked even after a failure; the result tells whether all went well.
    bool ok = true;
    for (int plan : plans) {
        ok = editPlanFile(kPlanIndividualPrefs, plan, removeGone(QStringLiteral("IDValue"), stationRow)) && ok;
        ok = editPlanFile(kPlanStations, plan, removeGone(kStationID, anyRow)) && ok;
    }
    guarded(lines, [&] { lines.close(); });
    return ok;
}

// ---------------------------------------------------------------- timetable delete

bool ClearLineConnection(int LineConnectionID)
{
    Table &lc = dm1->cdsLineConnections;
    QVariantList before;
    const bool cleared = guarded(lc, false, [&] {
        lc.open();
        TableGuard all(lc, TableGuard::Filter);
        lc.setIndexName(QStringLiteral("idxID"));
        if (!lc.findKey({LineConnectionID}))
            return false;
        before = rowValues(lc);
        lc.edit();
        lc.fieldByName(kLineID).clear();
        lc.fieldByName(QStringLiteral("DayGroupID")).clear();
        lc.fieldByName(QStringLiteral("Direction")).clear();
        lc.post();
        return true;
    });
    if (!cleared)
        return false;
    const bool written = guarded(lc, false, [&] {
        lc.setIndexName(QStringLiteral("idxID"));
        return SavePtfFile(projectFile(QStringLiteral("line_connections.ptf")), kQuote, lc);
    });
    if (written)
        return true;
    // The file still holds the connection; so does the table.
    guarded(lc, [&] {
        lc.setIndexName(QStringLiteral("idxID"));
        if (lc.findKey({LineConnectionID})) {
            lc.edit();
            for (int i = 0; i < before.size() && i < lc.fieldCount(); ++i) {
                if (before[i].isValid())
                    lc.field(i).setValue(before[i]);
                else
                    lc.field(i).clear();
            }
            lc.post();
        }
    });
    return false;
}
