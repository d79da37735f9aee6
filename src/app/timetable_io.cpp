#include "app/timetable_io.h"

#include "data/common_helpers.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "data/project_change.h"
#include "data/table_files.h"
#include "data/timetable_files.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_stamps.h"
#include "platform/table.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <exception>
#include <limits>

namespace {

const QChar Quote = QLatin1Char('"');
const QString kID = QStringLiteral("ID");

QString projectPath(const QString &file)
{
    return ProjectDir + QLatin1Char('/') + file;
}

void message(const QString &text)
{
    dialogs().showMessage(text);
}


bool isStopRowOf(Table &ttc, int dayGroupID, int direction)
{
    const Field group = ttc.fieldByName(QStringLiteral("DayGroupID"));
    const Field dir = ttc.fieldByName(QStringLiteral("Direction"));
    return !group.isNull() && !dir.isNull() && group.asInteger() == dayGroupID && dir.asInteger() == direction;
}

// The stations of the line in LineStationNumber order.
QVector<int> lineStationIDs(int lineID)
{
    QVector<int> ids;
    Table &ls = dm1->cdsLineStations;
    TableGuard walk(ls, QStringLiteral("idxLineStationNumber"), TableGuard::Filter);
    for (ls.first(); !ls.eof(); ls.next())
        if (ls.fieldByName(QStringLiteral("LineID")).asInteger() == lineID)
            ids << ls.fieldByName(QStringLiteral("StationID")).asInteger();
    return ids;
}

// (found this connection, the line has any connection)
int findLineConnection(int lineID, int dayGroupID, int direction, bool &lineHasAny)
{
    Table &lc = dm1->cdsLineConnections;
    TableGuard walk(lc, QStringLiteral("idxLineID"), TableGuard::Filter);
    lineHasAny = lc.findKey({lineID});
    lc.setIndexName(QStringLiteral("idxAll"));
    return lc.findKey({lineID, dayGroupID, direction}) ? lc.fieldByName(kID).asInteger() : -1;
}

void removeLineConnectionRow(int lineConnectionID)
{
    Table &lc = dm1->cdsLineConnections;
    TableGuard walk(lc, QStringLiteral("idxID"), TableGuard::Filter);
    if (lc.findKey({lineConnectionID}))
        lc.remove();
}

QHash<int, double> intervalsByID()
{
    QHash<int, double> intervals;
    Table &t = dm1->cdsIntervals;
    TableGuard walk(t, QString(), TableGuard::Filter);
    for (t.first(); !t.eof(); t.next())
        intervals.insert(t.fieldByName(kID).asInteger(), t.fieldByName(QStringLiteral("Interval")).asFloat());
    return intervals;
}

QString intervalCellText(double minutes)
{
    return QString::number(minutes, 'g', QLocale::FloatingPointShortest) + QStringLiteral(" Min");
}

// The text of a stored trip cell.
QString cellText(int value, const QHash<int, double> &intervals)
{
    if (value < -1) {
        // The lowest value names no interval: no ID is that high.
        if (value == std::numeric_limits<int>::min())
            return QString();
        const auto it = intervals.constFind(-value);
        return it == intervals.constEnd() ? QString() : intervalCellText(*it);
    }
    if (value == -1)
        return QStringLiteral("     ");
    if (value <= 2879)
        return MinutesToTime(value);
    return QString();
}

// The interval rows of the project with the ones a save adds. A new ID is the larger of the
// row count + 2 and the highest ID + 1, so it never meets an ID in use; past the largest ID a
// cell can hold, it is the lowest ID from 2 that no row uses.
class IntervalBook
{
public:
    IntervalBook()
    {
        Table &t = dm1->cdsIntervals;
        TableGuard walk(t, QString(), TableGuard::Filter);
        for (t.first(); !t.eof(); t.next()) {
            const int id = t.fieldByName(kID).asInteger();
            const double minutes = t.fieldByName(QStringLiteral("Interval")).asFloat();
            // A cell stores minus the ID, so a row below 2 cannot be named by one.
            if (id >= 2 && !m_byMinutes.contains(minutes))
                m_byMinutes.insert(minutes, id);
            m_used.insert(id);
            m_highest = std::max(m_highest, qint64(id));
            ++m_rows;
        }
    }
    int idFor(int minutes)
    {
        const auto it = m_byMinutes.constFind(double(minutes));
        if (it != m_byMinutes.constEnd())
            return *it;
        const int id = nextID();
        m_byMinutes.insert(double(minutes), id);
        m_added << qMakePair(id, minutes);
        m_used.insert(id);
        m_highest = std::max(m_highest, qint64(id));
        ++m_rows;
        return id;
    }
    const QVector<QPair<int, int>> &added() const { return m_added; }

private:
    int nextID() const
    {
        const qint64 next = std::max(m_rows + 2, m_highest + 1);
        if (next <= std::numeric_limits<int>::max())
            return int(next);
        int id = 2;
        while (m_used.contains(id))
            ++id;
        return id;
    }

    QHash<double, int> m_byMinutes;
    QSet<int> m_used;
    QVector<QPair<int, int>> m_added; // (ID, minutes)
    qint64 m_highest = 0;
    qint64 m_rows = 0;
};

bool writeIntervals(const QVector<QPair<int, int>> &added)
{
    Table &t = dm1->cdsIntervals;
    {
        TableGuard walk(t, QStringLiteral("IdxID"), TableGuard::Filter);
        for (const auto &[id, minutes] : added) {
            t.append();
            t.fieldByName(kID).setInteger(id);
            t.fieldByName(QStringLiteral("Interval")).setFloat(minutes);
            t.post();
        }
        t.first();
    }
    if (SavePtfFile(projectPath(QStringLiteral("intervals.ptf")), Quote, t))
        return true;
    // No trip file refers to the new rows yet: the table stays as the file is.
    TableGuard walk(t, QStringLiteral("IdxID"), TableGuard::Filter);
    for (const auto &[id, minutes] : added)
        if (t.findKey({id}))
            t.remove();
    return false;
}

// The cells of the trips loaded into cdsTimeTable, one per stop row; false when its columns are
// not those of the stop rows.
bool readTrips(int stopRows, QVector<QVector<int>> &cells)
{
    Table &tt = dm1->cdsTimeTable;
    bool fit = false;
    try {
        fit = ReadTripCells(tt, stopRows, cells, FurtherTripColumns::Ignored);
    } catch (const std::exception &) {
        fit = false;
    }
    try {
        tt.close();
    } catch (const std::exception &) {
    }
    return fit;
}

// The line connections and intervals are shared by every timetable: the path of the one whose
// file was there but could not be read, else empty.
QString damagedSharedFile()
{
    // The stations name the stop rows and the line's stations give a new timetable its rows:
    // read short, they would show stops without a name or a list that is not the line's.
    const std::pair<Table *, const char *> shared[] = {{&dm1->cdsLineConnections, "line_connections.ptf"},
                                                       {&dm1->cdsIntervals, "intervals.ptf"},
                                                       {&dm1->cdsStations, "stations.ptf"},
                                                       {&dm1->cdsLineStations, "line_stations.ptf"}};
    for (const auto &[table, file] : shared) {
        if (ProjectFileDamaged(*table, QLatin1String(file)))
            return projectPath(QLatin1String(file));
    }
    return QString();
}

} // namespace

QStringList TimeTableLineNames()
{
    QSet<int> withStations;
    {
        Table &ls = dm1->cdsLineStations;
        TableGuard walk(ls, QString(), TableGuard::Filter);
        for (ls.first(); !ls.eof(); ls.next())
            withStations.insert(ls.fieldByName(QStringLiteral("LineID")).asInteger());
    }
    QStringList names;
    Table &lines = dm1->cdsLines;
    TableGuard walk(lines, QStringLiteral("idxID"), TableGuard::Filter);
    for (lines.first(); !lines.eof(); lines.next()) {
        const QString name = lines.fieldByName(QStringLiteral("Line")).asString();
        if (!name.isEmpty() && withStations.contains(lines.fieldByName(kID).asInteger()))
            names << name;
    }
    return names;
}

QStringList TimeTableDayGroupNames()
{
    QStringList names;
    Table &t = dm1->cdsDayGroups;
    TableGuard walk(t, QStringLiteral("idxDays"), TableGuard::Filter);
    for (t.first(); !t.eof(); t.next())
        names.prepend(t.fieldByName(QStringLiteral("Group")).asString());
    return names;
}

bool LoadTimeTableGrid(TimeTableModel &Model, TimeTableChoice &Choice, const QString &LineName,
                       const QString &DayGroupName, const QString &DirectionText)
{
    TimeTableChoice c;
    c.CurLineID = GetLineIDByName(LineName);
    if (c.CurLineID < 0) {
        message(QStringLiteral("Line-File %1 not found").arg(QStringLiteral("lines.ptf")));
        return false;
    }
    c.CurDayGroupID = GetDayGroupIDByName(DayGroupName);
    if (c.CurDayGroupID < 0) {
        message(QStringLiteral("Error: Day-Value not found (File daygroups.ptf)"));
        return false;
    }
    c.CurDirection = DirectionText.trimmed() == QLatin1String("2") ? 2 : 1;

    // Without its line connections an existing timetable would open as new and its save write
    // over the files of another; without its intervals its interval trips would be lost.
    const QString damaged = damagedSharedFile();
    if (!damaged.isEmpty()) {
        message(QStringLiteral("Error by load PTF-File: ") + damaged);
        return false;
    }

    bool lineHasConnections = false;
    c.CurLineConnectionID = findLineConnection(c.CurLineID, c.CurDayGroupID, c.CurDirection, lineHasConnections);
    c.NewTimeTable = c.CurLineConnectionID < 0;

    // The stop rows of this line only: rows of a line loaded before must never reach its file.
    CreateEmptyTimeTableConnections();
    const QString ttcName = TimeTableConnectionsFileName(c.CurLineID);
    bool stopRowsRead = false;
    // Seen also when the line has none: the save writes the file over nothing another copy made.
    FileStamps::noteRead(projectPath(ttcName));
    if (lineHasConnections) {
        stopRowsRead = LoadTimeTableConnections(c.CurLineID);
        if (!stopRowsRead) {
            message(QStringLiteral("Error loading the file %1!").arg(ttcName));
            CreateEmptyTimeTableConnections();
            if (QFileInfo::exists(TimeTableConnectionsFilePath(c.CurLineID)))
                return false; // a save would write what could be read of it into the line's file
        }
    } else if (QFileInfo::exists(projectPath(ttcName))) {
        // The stop rows of a line without timetables belong to none and the save drops them,
        // but a file that cannot be read is not written over.
        if (!LoadTimeTableConnections(c.CurLineID)) {
            message(QStringLiteral("Error loading the file %1!").arg(ttcName));
            CreateEmptyTimeTableConnections();
            return false;
        }
        CreateEmptyTimeTableConnections();
    }

    QStringList stations;
    QVector<QVector<int>> tripCells;
    StringGrid &g = Model.sgTimeTable;
    if (!c.NewTimeTable) {
        if (!stopRowsRead) {
            message(QStringLiteral("Error loading the timetable connection file %1!").arg(ttcName));
            return false;
        }
        QVector<int> ids;
        {
            Table &ttc = dm1->cdsTimeTableConnections;
            TableGuard walk(ttc, QStringLiteral("idxPosition"), TableGuard::Filter);
            for (ttc.first(); !ttc.eof(); ttc.next())
                if (isStopRowOf(ttc, c.CurDayGroupID, c.CurDirection))
                    ids << ttc.fieldByName(QStringLiteral("StationID")).asInteger();
        }
        if (ids.isEmpty()) {
            message(QStringLiteral("Error loading the timetable connection file %1!").arg(ttcName));
            return false;
        }
        for (int id : ids)
            stations << GetStationNameByID(id);
        c.StopStationIDs = ids;
        // The trips as the connection search reads them: a file it would not take is not shown
        // as a timetable either.
        if (!LoadTimeTable(c.CurLineConnectionID) || !readTrips(int(ids.size()), tripCells)) {
            message(QStringLiteral("Error loading the timetable file %1!").arg(TimeTableFileName(c.CurLineConnectionID)));
            return false;
        }
    } else {
        // A new timetable starts from the line's stations; a saved one has its own stop rows.
        c.StopStationIDs = lineStationIDs(c.CurLineID);
        if (c.CurDirection == 2)
            std::reverse(c.StopStationIDs.begin(), c.StopStationIDs.end());
        for (int id : std::as_const(c.StopStationIDs))
            stations << GetStationNameByID(id);
    }

    const int stopRows = int(stations.size());
    const int tripCount = int(tripCells.size());
    // A file with more trips than the grid has columns widens the grid rather than losing trips.
    const int cols = std::max(TimeTableModel::ColCount, tripCount + TimeTableModel::FirstTripCol);
    if (g.colCount() != cols) {
        g.setColCount(cols);
        for (int col = TimeTableModel::FirstTripCol; col < cols; ++col)
            g.setCell(col, 0, QString::number(col - 1));
    }
    g.setRowCount(TimeTableModel::FirstStopRow + stopRows);
    ClearGridCells(g);
    for (int i = 0; i < stopRows; ++i)
        g.setCell(1, TimeTableModel::FirstStopRow + i, stations[i]);

    if (!tripCells.isEmpty()) {
        const QHash<int, double> intervals = intervalsByID();
        for (int k = 0; k < tripCount; ++k)
            for (int i = 0; i < stopRows; ++i)
                g.setCell(TimeTableModel::FirstTripCol + k, TimeTableModel::FirstStopRow + i,
                          cellText(tripCells[k][i], intervals));
    }

    Model.SetMarkers();
    Model.OldCellSaved = false;
    Model.EnterPressed = false;
    Model.FillDone = false;
    g.setCurrent(TimeTableModel::FirstTripCol, TimeTableModel::FirstStopRow);
    g.setSelection({TimeTableModel::FirstTripCol, TimeTableModel::FirstStopRow, TimeTableModel::FirstTripCol,
                    TimeTableModel::FirstStopRow});
    Model.EditOff();
    Choice = c;
    return true;
}

TimeTableSaveResult SaveTimeTableGrid(TimeTableModel &Model, TimeTableChoice &Choice)
{
    if (!Model.EndEntry())
        return TimeTableSaveResult::Declined;
    if (Model.CheckTimeTable().errors > 0 &&
        !dialogs().askYesNo(QStringLiteral("The timetable includes errors - Save anyway?")))
        return TimeTableSaveResult::Declined;

    // Everything is computed before the first write.
    const StringGrid &g = Model.sgTimeTable;
    const int stopRows = g.rowCount() - TimeTableModel::FirstStopRow;
    // A stop row is its station's ID as loaded, never the name shown: two stations may share a
    // name, and one may have lost it.
    const QVector<int> stations = Choice.StopStationIDs;
    if (stations.size() != stopRows) {
        message(QStringLiteral("Error saving the timetable file %1").arg(TimeTableFileName(Choice.CurLineConnectionID)));
        return TimeTableSaveResult::Failed;
    }

    IntervalBook intervals;
    QVector<QVector<int>> trips;
    for (int col = TimeTableModel::FirstTripCol; col < g.colCount(); ++col) {
        QVector<int> cells(stopRows, -1);
        bool serves = false;
        int previous = 0;
        for (int i = 0; i < stopRows; ++i) {
            const QString text = g.cell(col, TimeTableModel::FirstStopRow + i);
            if (text.isEmpty())
                continue;
            switch (TimeTableModel::GetTimeStringState(text)) {
            case TimeTableModel::StateTime: {
                int minutes = TimeTableModel::TimeToMinutes(text.trimmed());
                if (minutes < previous)
                    minutes += 1440;
                previous = minutes;
                cells[i] = minutes;
                serves = true;
                break;
            }
            case TimeTableModel::StateInterval: {
                const int minutes = TimeTableModel::StringToInterval(text);
                if (minutes < 0)
                    message(QStringLiteral("Error by interval: %1").arg(text));
                else
                    cells[i] = -intervals.idFor(minutes);
                serves = true;
                break;
            }
            default: // empty, and invalid when saved anyway: no stop
                break;
            }
        }
        if (serves)
            trips << cells;
    }
    const DistancesSection distances = ComputeDistances(stations, trips);

    // A table that could not be read stops the save before its first write.
    const QString damaged = damagedSharedFile();
    if (!damaged.isEmpty()) {
        message(DamagedFileMessage(damaged));
        return TimeTableSaveResult::Failed;
    }
    // Every failure from here on is told with the reason of this save's own writes. The files of
    // the save change together: a failure puts every one back, and the tables with them.
    ansi::setLastWriteError(QString());
    ProjectChange change;
    auto failed = [&](const QString &text) {
        change.finish(false);
        ReportFailedAction(text);
        return TimeTableSaveResult::Failed;
    };

    // The files the save rewrites keep their old bytes all at once.
    QStringList files{ProjectDir + QStringLiteral("/line_connections.ptf"), ProjectDir + QStringLiteral("/distances.ini"),
                      TimeTableConnectionsFilePath(Choice.CurLineID)};
    if (!Choice.NewTimeTable)
        files << TimeTableFilePath(Choice.CurLineConnectionID);
    QString notKept;
    if (!KeepFilesAhead(files, &notKept)) {
        // Told as the write of that file would have been.
        const QString name = QFileInfo(notKept).fileName();
        if (name == QLatin1String("line_connections.ptf"))
            return failed(QStringLiteral("Error saving the lineconnections, file %1").arg(name));
        if (name == QLatin1String("distances.ini"))
            return failed(QStringLiteral("Error saving the file %1").arg(name));
        if (name == TimeTableConnectionsFileName(Choice.CurLineID))
            return failed(QStringLiteral("Error saving the timetable connection file %1!").arg(name));
        return failed(QStringLiteral("Error saving the timetable file %1").arg(name));
    }

    bool connectionAdded = false;
    if (Choice.NewTimeTable) {
        bool lineHasAny = false;
        const bool existed = findLineConnection(Choice.CurLineID, Choice.CurDayGroupID, Choice.CurDirection,
                                                lineHasAny) >= 0;
        const int id = AddLineConnection(Choice.CurLineID, Choice.CurDayGroupID, Choice.CurDirection);
        if (id < 0) {
            if (!existed) { // the row of a failed write stays out of memory
                const int left = findLineConnection(Choice.CurLineID, Choice.CurDayGroupID, Choice.CurDirection,
                                                    lineHasAny);
                if (left >= 0)
                    removeLineConnectionRow(left);
            }
            return failed(QStringLiteral("Error saving the lineconnections, file %1").arg(QStringLiteral("line_connections.ptf")));
        }
        Choice.CurLineConnectionID = id;
        connectionAdded = true;
    }
    // A failed save takes a new connection back (the change puts its file and row back), so
    // none stays without its trip file.
    const TimeTableChoice before = Choice;
    auto failedAfterConnection = [&](const QString &text) {
        if (connectionAdded)
            Choice.CurLineConnectionID = -1;
        Choice.NewTimeTable = before.NewTimeTable;
        return failed(text);
    };

    // A trip file must never refer to an interval that is not on disk.
    if (!writeIntervals(intervals.added()))
        return failedAfterConnection(QStringLiteral("Error saving the interval-file %1!").arg(QStringLiteral("intervals.ptf")));

    const QString tripFile = TimeTableFileName(Choice.CurLineConnectionID);
    switch (WriteTimeTable(Choice.CurLineID, Choice.CurLineConnectionID, Choice.CurDayGroupID, Choice.CurDirection,
                           stations, trips)) {
    case TimeTableWrite::Written:
        break;
    case TimeTableWrite::TripFileFailed:
        return failedAfterConnection(QStringLiteral("Error saving the timetable file %1").arg(tripFile));
    case TimeTableWrite::StopRowFileFailed:
        return failedAfterConnection(QStringLiteral("Error saving the timetable connection file %1!")
                                         .arg(TimeTableConnectionsFileName(Choice.CurLineID)));
    }
    if (!WriteDistancesSection(Choice.CurLineConnectionID, distances))
        return failedAfterConnection(QStringLiteral("Error saving the file %1").arg(QStringLiteral("distances.ini")));
    if (!change.finish(true)) {
        if (connectionAdded)
            Choice.CurLineConnectionID = -1;
        ReportFailedAction(QStringLiteral("Error saving the timetable file %1").arg(tripFile));
        return TimeTableSaveResult::Failed;
    }
    Choice.NewTimeTable = false;
    Model.EditOff();
    return TimeTableSaveResult::Saved;
}

bool DeleteTimeTableOfGrid(TimeTableChoice &Choice)
{
    if (Choice.NewTimeTable)
        return true;
    const QString ttName = TimeTableFileName(Choice.CurLineConnectionID);
    if (!QFileInfo(TimeTableFilePath(Choice.CurLineConnectionID)).isFile()) {
        message(QStringLiteral("Timetable-File %1 not found!").arg(ttName));
        return false;
    }
    const QString ttcFile = TimeTableConnectionsFilePath(Choice.CurLineID);
    if (!QFileInfo(ttcFile).isFile()) {
        message(QStringLiteral("Timetable-Connection-File %1 not found!").arg(ttcFile));
        return false;
    }
    // The connection, the stop rows, the trip file and the distances go together or not at all;
    // a failure leaves the timetable whole.
    ansi::setLastWriteError(QString());
    ProjectChange change;
    auto failed = [&](const QString &text) {
        change.finish(false);
        // The stop rows in memory follow their file again.
        LoadTimeTableConnections(Choice.CurLineID);
        ReportFailedAction(text);
        return false;
    };
    const int lineConnectionID = Choice.CurLineConnectionID;
    if (!ClearLineConnection(lineConnectionID))
        return failed(QStringLiteral("Error saving the lineconnections, file %1").arg(QStringLiteral("line_connections.ptf")));
    DeleteTimeTableConnections(Choice.CurDayGroupID, Choice.CurDirection);
    if (!WriteTimeTableConnections(Choice.CurLineID))
        return failed(QStringLiteral("Error saving the timetable connection file %1!")
                          .arg(TimeTableConnectionsFileName(Choice.CurLineID)));
    if (!DeleteTimeTableFile(lineConnectionID))
        return failed(QStringLiteral("Error deleting the timetable file %1").arg(ttName));
    if (!EraseDistancesSection(lineConnectionID))
        return failed(QStringLiteral("Error saving the file %1").arg(QStringLiteral("distances.ini")));
    if (!change.finish(true))
        return failed(QStringLiteral("Error deleting the timetable file %1").arg(ttName));
    Choice.NewTimeTable = true;
    Choice.CurLineConnectionID = -1;
    return true;
}

bool PasteWorkBlock(TimeTableModel &Model, const StringGrid &Work)
{
    if (!Model.EndEntry())
        return false;
    StringGrid::Selection s = Work.selection();
    s.left = std::max(s.left, 0);
    s.top = std::max(s.top, 0);
    s.right = std::min(s.right, Work.colCount() - 1);
    s.bottom = std::min(s.bottom, Work.rowCount() - 1);
    if (s.right < s.left || s.bottom < s.top)
        return false;

    StringGrid &g = Model.sgTimeTable;
    const int startCol = g.col();
    const int startRow = g.row();
    const int lastCol = g.colCount() - 1;
    const int lastRow = g.rowCount() - 1;
    for (int c = s.left; c <= s.right && startCol + (c - s.left) <= lastCol; ++c)
        for (int r = s.top; r <= s.bottom && startRow + (r - s.top) <= lastRow; ++r)
            g.setCell(startCol + (c - s.left), startRow + (r - s.top), Work.cell(c, r).trimmed());

    // The move below interprets the pasted text of the current cell; refused, it keeps it.
    Model.OldCellText = g.cell(startCol, startRow);
    Model.OldCellSaved = true;
    Model.EditOn();
    Model.EnterPressed = false;
    Model.FillDone = false;
    Model.SelectCell(std::min(startCol + (s.right - s.left + 1), lastCol), TimeTableModel::FirstStopRow);
    Model.EnterPressed = false;
    Model.FillDone = false;
    return true;
}
