#include "data/timetable_files.h"

#include "data/data_module_1.h"
#include "data/project_change.h"
#include "data/db_func_p.h"
#include "data/table_files.h"
#include "platform/ansi.h"
#include "platform/file_stamps.h"
#include "platform/numbers.h"
#include "platform/table.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <vector>

using dbfunc::guarded;
using dbfunc::kQuote;
using dbfunc::projectFile;
using dbfunc::kID;
using dbfunc::kStationID;
using dbfunc::kDayGroupID;
using dbfunc::kDirection;
using dbfunc::kPosition;

namespace {

bool removeFile(const QString &fileName)
{
    return QFileInfo(fileName).isFile() && RemoveProjectFileInChange(fileName);
}

int roundedTripCell(double d)
{
    if (!std::isfinite(d))
        return -1;
    const double r = std::round(d);
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(r);
}

// Closes the table whatever state a failed step left it in: the table routines leave their
// tables closed.
void closeQuietly(Table &table)
{
    try {
        table.cancel();
        table.close();
    } catch (const std::exception &) {
    }
}

// The trip table as the file holds it: "ID", "1" .. "N", all Float.
bool writeTrips(const QString &fileName, int stopRows, const QVector<QVector<int>> &trips)
{
    Table &t = dm1->cdsTimeTable;
    try {
        // The file gets every trip, in the order appended.
        TableGuard all(t, QString(), TableGuard::Filter);
        t.close();
        t.fieldDefs().clear();
        t.addFieldDef(kID, FieldType::Float);
        for (int i = 1; i <= stopRows; ++i)
            t.addFieldDef(QString::number(i), FieldType::Float);
        t.createDataSet();
        for (int k = 0; k < trips.size(); ++k) {
            t.append();
            t.field(0).setFloat(k + 1);
            for (int i = 0; i < stopRows; ++i)
                t.field(i + 1).setFloat(trips[k][i]);
            t.post();
        }
        const bool ok = SavePtfFile(fileName, kQuote, t);
        t.close();
        return ok;
    } catch (const std::exception &) {
        closeQuietly(t);
        return false;
    }
}

// Replaces the stop rows of one day group and direction in cdsTimeTableConnections; the rows
// it replaced are returned in position order.
QVector<TimeTableStopRowRecord> replaceStopRows(int dayGroupID, int direction,
                                               const QVector<TimeTableStopRowRecord> &rows)
{
    QVector<TimeTableStopRowRecord> old;
    Table &t = dm1->cdsTimeTableConnections;
    try {
        t.open();
        {
            TableGuard all(t, TableGuard::Filter);
            t.setIndexName(QStringLiteral("idxDD"));
            while (t.findKey({dayGroupID, direction})) {
                TimeTableStopRowRecord r;
                r.stationID = t.fieldByName(kStationID).asInteger();
                r.position = t.fieldByName(kPosition).asInteger();
                old << r;
                t.remove();
            }
            std::sort(old.begin(), old.end(), [](const TimeTableStopRowRecord &a, const TimeTableStopRowRecord &b) {
                return a.position < b.position;
            });
            for (const TimeTableStopRowRecord &row : rows) {
                t.append();
                t.fieldByName(kStationID).setInteger(row.stationID);
                t.fieldByName(kDayGroupID).setInteger(dayGroupID);
                t.fieldByName(kDirection).setInteger(direction);
                t.fieldByName(kPosition).setInteger(row.position);
                t.post();
            }
        }
        t.close();
    } catch (const std::exception &) {
        closeQuietly(t);
    }
    return old;
}

} // namespace

QString TimeTableFileName(int LineConnectionID)
{
    return QStringLiteral("tt_%1.ptf").arg(LineConnectionID);
}

QString TimeTableConnectionsFileName(int LineID)
{
    return QStringLiteral("ttc_%1.ptf").arg(LineID);
}

QString TimeTableFilePath(int LineConnectionID)
{
    return projectFile(TimeTableFileName(LineConnectionID));
}

QString TimeTableConnectionsFilePath(int LineID)
{
    return projectFile(TimeTableConnectionsFileName(LineID));
}

int TripCellValue(const QVariant &value)
{
    double d = 0;
    switch (value.typeId()) {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::LongLong: {
        const qlonglong v = value.toLongLong();
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            return -1;
        return static_cast<int>(v);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        d = value.toDouble();
        break;
    case QMetaType::QString:
        if (!parseFloat(value.toString(), d))
            return -1;
        break;
    default: // null, Boolean: no time
        return -1;
    }
    return roundedTripCell(d);
}

int TripCellValue(const Field &field)
{
    // A stored value has its field's type; only a text needs the general conversion.
    if (field.isNull())
        return -1;
    switch (field.dataType()) {
    case FieldType::Float:
        return roundedTripCell(field.asFloat());
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::AutoInc:
        return field.asInteger();
    case FieldType::Boolean:
        return -1;
    case FieldType::String:
    case FieldType::Unknown:
        break;
    }
    return TripCellValue(field.value());
}

bool ReadTripCells(const Table &Trips, int StopRows, QVector<QVector<int>> &Cells, FurtherTripColumns Further)
{
    if (StopRows <= 0 || Trips.fieldCount() < StopRows + 1)
        return false;
    if (Further == FurtherTripColumns::Refused && Trips.fieldCount() != StopRows + 1)
        return false;
    QVector<int> columns(StopRows);
    for (int k = 0; k < StopRows; ++k) {
        columns[k] = Trips.findFieldIndex(QString::number(k + 1));
        if (columns[k] < 0)
            return false;
    }
    Trips.forEachRow(QString(), [&](const TableRow &trip) {
        QVector<int> cells(StopRows);
        for (int k = 0; k < StopRows; ++k)
            cells[k] = TripCellValue(trip.field(columns[k]));
        Cells << std::move(cells);
    });
    return true;
}

void NormalizeTripTable(Table &table)
{
    TableGuard all(table, QString(), TableGuard::Filter);
    const int idColumn = table.findFieldIndex(kID);
    const int columns = table.fieldCount();
    bool retype = false;
    for (int c = 0; c < columns; ++c)
        retype = retype || (c != idColumn && table.fieldAt(c).type != FieldType::Float);

    if (!retype) {
        for (table.first(); !table.eof(); table.next()) {
            bool editing = false;
            for (int c = 0; c < columns; ++c) {
                if (c == idColumn || !table.field(c).isNull())
                    continue;
                if (!editing) {
                    table.edit();
                    editing = true;
                }
                table.field(c).setFloat(-1);
            }
            if (editing)
                table.post();
        }
        return;
    }

    // A column that held no number in the file was read as text: make it Float again.
    std::vector<std::vector<QVariant>> rows;
    for (table.first(); !table.eof(); table.next()) {
        std::vector<QVariant> row(columns);
        for (int c = 0; c < columns; ++c) {
            const QVariant v = table.field(c).value();
            row[c] = c == idColumn ? v : QVariant(double(TripCellValue(v)));
        }
        rows.push_back(std::move(row));
    }
    QVector<FieldDef> defs;
    for (int c = 0; c < columns; ++c) {
        FieldDef d = table.fieldAt(c);
        if (c != idColumn) {
            d.type = FieldType::Float;
            d.size = 0;
        }
        defs << d;
    }
    table.close();
    table.fieldDefs() = defs;
    table.createDataSet();
    for (const std::vector<QVariant> &row : rows) {
        table.append();
        for (int c = 0; c < columns; ++c)
            table.field(c).setValue(row[c]);
        table.post();
    }
}

bool LoadTimeTableConnections(int LineID)
{
    Table &t = dm1->cdsTimeTableConnections;
    return dbfunc::guarded(t, false, [&] { return LoadPtfFile(TimeTableConnectionsFilePath(LineID), t); });
}

bool LoadTimeTable(int LineConnectionID)
{
    const QString file = TimeTableFilePath(LineConnectionID);
    // Seen also when missing: a save that rests on its absence is refused once another copy made it.
    FileStamps::noteRead(file);
    if (!QFileInfo(file).isFile())
        return false;
    Table &t = dm1->cdsTimeTable;
    return dbfunc::guarded(t, false, [&] {
        if (!LoadPtfFileStructure(file, t)) {
            ProjectChange::noteDamaged(file);
            return false;
        }
        NormalizeTripTable(t);
        t.close();
        return true;
    });
}

QString DamagedTimeTableFileOfLine(int LineID)
{
    auto damaged = [](const QString &file) {
        Table scratch(QStringLiteral("scratch"));
        return FileStamps::seenThere(file) && !LoadPtfFileStructure(file, scratch);
    };
    const QString stopRows = TimeTableConnectionsFilePath(LineID);
    if (damaged(stopRows))
        return stopRows;
    QVector<int> connections;
    dbfunc::guarded(dm1->cdsLineConnections, [&] {
        dm1->cdsLineConnections.forEachRow(QString(), [&](const TableRow &row) {
            const Field line = row.fieldByName(QStringLiteral("LineID"));
            if (!line.isNull() && line.asInteger() == LineID)
                connections << row.fieldByName(kID).asInteger();
        });
    });
    for (int id : std::as_const(connections)) {
        if (damaged(TimeTableFilePath(id)))
            return TimeTableFilePath(id);
    }
    return QString();
}

bool DeleteTimeTableFile(int LineConnectionID)
{
    return removeFile(TimeTableFilePath(LineConnectionID));
}

bool DeleteTimeTableConnectionsFile(int LineID)
{
    return removeFile(TimeTableConnectionsFilePath(LineID));
}

TripFileRead ReadTripFile(int LineConnectionID, int StopRows, QVector<QVector<int>> &Trips,
                          FurtherTripColumns Further)
{
    const QString path = TimeTableFilePath(LineConnectionID);
    if (!QFileInfo(path).isFile())
        return TripFileRead::Unreadable;
    Table t;
    if (!guarded(t, false, [&] { return LoadPtfFileStructure(path, t); }))
        return TripFileRead::Unreadable;
    QVector<QVector<int>> cells;
    const bool fit = guarded(t, false, [&] {
        t.open();
        return ReadTripCells(t, StopRows, cells, Further);
    });
    if (!fit)
        return TripFileRead::Unfit;
    Trips << cells;
    return TripFileRead::Read;
}

bool ReadStopRowFile(int LineID, QVector<TimeTableStopRowRecord> &Rows, bool Quiet)
{
    const QString path = TimeTableConnectionsFilePath(LineID);
    FileStamps::noteRead(path);
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    Table t;
    t.fieldDefs() = dm1->cdsTimeTableConnections.fieldDefs();
    QVector<TimeTableStopRowRecord> rows;
    // The same reading rule without the reader's message; no stop-row file comes near the size
    // of the largest table file the reader takes.
    auto quietly = [&] {
        QString text;
        return info.size() <= 32 * 1024 * 1024 && ansi::readText(path, text) && LoadPtfText(text, t);
    };
    const bool read = guarded(t, false, [&] {
        if (!(Quiet ? quietly() : LoadPtfFile(path, t)))
            return false;
        t.open();
        const Field station = t.fieldByName(kStationID);
        const Field group = t.fieldByName(kDayGroupID);
        const Field direction = t.fieldByName(kDirection);
        const Field position = t.fieldByName(kPosition);
        for (t.first(); !t.eof(); t.next()) {
            // A stop row without day group or direction belongs to no timetable.
            if (group.isNull() || direction.isNull())
                continue;
            TimeTableStopRowRecord r;
            r.stationID = station.asInteger();
            r.dayGroupID = group.asInteger();
            r.direction = direction.asInteger();
            r.position = position.asInteger();
            r.complete = !station.isNull() && !position.isNull();
            rows << r;
        }
        return true;
    });
    if (read)
        Rows << rows;
    return read;
}

int StopRowCount(const QVector<TimeTableStopRowRecord> &Rows, int DayGroupID, int Direction)
{
    return int(std::count_if(Rows.begin(), Rows.end(), [&](const TimeTableStopRowRecord &r) {
        return r.dayGroupID == DayGroupID && r.direction == Direction;
    }));
}

bool WriteTimeTableConnections(int LineID)
{
    Table &t = dm1->cdsTimeTableConnections;
    bool ok = false;
    try {
        t.open();
        {
            TableGuard all(t, TableGuard::Filter);
            t.setIndexName(QStringLiteral("idxStation"));
            ok = SavePtfFile(TimeTableConnectionsFilePath(LineID), kQuote, t);
        }
        t.close();
    } catch (const std::exception &) {
        closeQuietly(t);
        ok = false;
    }
    return ok;
}

TimeTableWrite WriteTimeTable(int LineID, int LineConnectionID, int DayGroupID, int Direction,
                              const QVector<int> &Stations, const QVector<QVector<int>> &Trips)
{
    const QString tripFile = TimeTableFilePath(LineConnectionID);
    // Trip file and stop rows change together or not at all.
    ProjectChange change;
    if (!writeTrips(tripFile, int(Stations.size()), Trips))
        return TimeTableWrite::TripFileFailed;

    QVector<TimeTableStopRowRecord> rows;
    for (int i = 0; i < Stations.size(); ++i) {
        TimeTableStopRowRecord r;
        r.stationID = Stations[i];
        r.dayGroupID = DayGroupID;
        r.direction = Direction;
        r.position = i + 1;
        r.complete = true;
        rows << r;
    }
    const QVector<TimeTableStopRowRecord> oldRows = replaceStopRows(DayGroupID, Direction, rows);
    if (!WriteTimeTableConnections(LineID)) {
        replaceStopRows(DayGroupID, Direction, oldRows);
        change.finish(false);
        return TimeTableWrite::StopRowFileFailed;
    }
    if (!change.finish(true))
        return TimeTableWrite::TripFileFailed;
    return TimeTableWrite::Written;
}
