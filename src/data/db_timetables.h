#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Field;
class Table;

// A line's timetables live in the project folder as one stop-row file per line
// (ttc_<LineID>.ptf: StationID, DayGroupID, Direction, Position) and one trip file per line
// connection (tt_<LineConnectionID>.ptf: "ID", then one Float column per stop row, "1" .. "N").
// These routines load them and keep them in step when the stations of a line change. None of
// them shows a message or throws: they report failure by their result only.

// Reads ttc_<LineID>.ptf into cdsTimeTableConnections; false when it is missing or unreadable.
bool LoadTimeTableConnections(int LineID);
// Reads tt_<LineConnectionID>.ptf into cdsTimeTable, fields made from the file. Cells saved
// without a value come back as -1 (no stop), every stop column as Float.
bool LoadTimeTable(int LineConnectionID);

// True when the file was there and is gone now.
bool DeleteTimeTableFile(int LineConnectionID);
bool DeleteTimeTableConnectionsFile(int LineID);

// Drops the stop rows of one day group and direction from the loaded cdsTimeTableConnections;
// writes nothing.
bool DeleteTimeTableConnections(int DayGroupID, int Direction);

// Removes stop column Position from the trip file of the line connection (LineID, DayGroupID,
// Direction); the columns after it move down by one. False, with no file touched, when the line
// connection or its trip file is missing, the file cannot be read or the column does not exist;
// a Position past the last column counts as already removed (true, nothing written).
bool DeleteTimeTableColumn(int LineID, int Direction, int DayGroupID, int Position);

// Removes a station from every timetable of a line: its columns, its stop rows (the later ones
// move up) and the rebuilt distances sections. True when the line has no stop-row file.
bool DeleteStationFromTimeTables(int LineID, int StationID);

// Makes every timetable of the line follow the new station list (names in line order), then
// replaces the line's rows in cdsLineStations and writes line_stations.ptf.
bool ApplyLineStationsToTimeTables(int LineID, const QStringList &StationNames);

// The stored value of a trip cell: a time 0..2879, -1 for no stop, below -1 an interval
// reference. A null cell, a text that is no number and a number beyond the integer range all
// read as -1.
int TripCellValue(const QVariant &value);
// The same for the current value of a field, read without making a QVariant.
int TripCellValue(const Field &field);

// Appends the cells of every trip of the open table, in the order it walks them, one per stop
// row. False, with nothing read, unless the table has exactly the columns "ID" and "1" .. "N"
// for StopRows N > 0: otherwise the cells would stand for the wrong stations. May throw.
bool ReadTripCells(Table &Trips, int StopRows, QVector<QVector<int>> &Cells);

// Turns every stop column of a trip table into Float and every unreadable cell into -1, so
// that a later restructure cannot make 00:00 of a cell that had no value. Rows keep their order.
void NormalizeTripTable(Table &table);

// How the stop columns of one timetable follow a new station list.
struct TimeTableStopRow {
    int stationID = 0;
    int position = 0;
};
struct TimeTableRestructure {
    QStringList specLines; // for RestructureTable: "ID", "old;new" and ";new;6" lines
    QVector<int> placed;   // the station of each new stop row, in position order
    QStringList added;     // names of the new, still empty columns
};
// StopRows are the stop rows of the timetable (any order); Stations the new list in travel order
// (reversed already for direction 2).
TimeTableRestructure PlanTimeTableRestructure(const QVector<TimeTableStopRow> &StopRows, const QVector<int> &Stations);
