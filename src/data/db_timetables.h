#pragma once

#include "data/timetable_files.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Field;
class Table;

// Keeping a line's timetables in step when the stations of the line change. The files
// themselves, their names, reading rule and writes, belong to timetable_files.

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
