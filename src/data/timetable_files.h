#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

class Field;
class Table;

// The timetable files of a line. They live in the project folder as one stop-row file per line
// (ttc_<LineID>.ptf: StationID, DayGroupID, Direction, Position) and one trip file per line
// connection (tt_<LineConnectionID>.ptf: "ID", then one Float column per stop row, "1" .. "N").
// Every reader and writer of these files goes through here: the timetable editor, the table
// routines that keep the files in step, the distances build and repair and the connection
// search all judge a file by the same rule. None of these routines shows a message of its own
// or throws: they report failure by their result.

// The file names, and the same files in the project folder.
QString TimeTableFileName(int LineConnectionID);
QString TimeTableConnectionsFileName(int LineID);
QString TimeTableFilePath(int LineConnectionID);
QString TimeTableConnectionsFilePath(int LineID);

// Reads ttc_<LineID>.ptf into cdsTimeTableConnections; false when it is missing or unreadable.
bool LoadTimeTableConnections(int LineID);
// Reads tt_<LineConnectionID>.ptf into cdsTimeTable, fields made from the file. Cells saved
// without a value come back as -1 (no stop), every stop column as Float.
bool LoadTimeTable(int LineConnectionID);

// The first of the line's timetable files (its stop rows, then the trips of each of its line
// connections) that is there but cannot be read, empty when there is none: an action that
// rewrites them checks them all before its first write.
QString DamagedTimeTableFileOfLine(int LineID);

// True when the file was there and is gone now.
bool DeleteTimeTableFile(int LineConnectionID);
bool DeleteTimeTableConnectionsFile(int LineID);

// The stored value of a trip cell: a time 0..2879, -1 for no stop, below -1 an interval
// reference. A null cell, a text that is no number and a number beyond the integer range all
// read as -1.
int TripCellValue(const QVariant &value);
// The same for the current value of a field, read without making a QVariant.
int TripCellValue(const Field &field);

// The rule every reader of a trip file keeps: the cells of stop row k are those of the column
// named "k", for k = 1 .. N, N > 0 the number of stop rows; a file that lacks one of them is no
// timetable, since its cells would stand for the wrong stations. The timetable editor and the
// connection search ignore any further column (a file from elsewhere stays readable and the
// editor's next save drops it); the distances are built only from a file with exactly "ID" and
// "1" .. "N", as a mismatch there means stop rows and trips went out of step.
enum class FurtherTripColumns { Refused, Ignored };
// Appends the cells of every trip of the table by that rule, whatever its filter, in the order
// the rows are stored (the file's), one per stop row; the table's cursor, index and filter stay
// as they are. False, with nothing read, when the columns do not fit. May throw.
bool ReadTripCells(const Table &Trips, int StopRows, QVector<QVector<int>> &Cells,
                   FurtherTripColumns Further = FurtherTripColumns::Refused);

// Turns every stop column of a trip table into Float and every unreadable cell into -1, so
// that a later restructure cannot make 00:00 of a cell that had no value. Rows keep their order;
// the table is left open, on its stored order, with the filter it had.
void NormalizeTripTable(Table &table);

enum class TripFileRead {
    Read,
    Unreadable, // missing, or not a table file
    Unfit,      // read, but its columns are not those of the stop rows (ReadTripCells)
};
// The trips of tt_<LineConnectionID>.ptf in file order, one cell per stop row, without touching
// cdsTimeTable. Trips is left as it was unless the file is read.
TripFileRead ReadTripFile(int LineConnectionID, int StopRows, QVector<QVector<int>> &Trips,
                          FurtherTripColumns Further = FurtherTripColumns::Refused);

// One row of a stop-row file that belongs to a timetable: its day group and direction are set.
struct TimeTableStopRowRecord {
    int stationID = 0;
    int dayGroupID = 0;
    int direction = 0;
    int position = 0;
    bool complete = false; // station and position are set as well
};
// The rows of ttc_<LineID>.ptf in file order, its columns read as cdsTimeTableConnections has
// them, without touching that table; rows without day group or direction are left out. False
// when the file is missing or cannot be read (a damaged file is reported by the table reader,
// unless the caller names it in a report of its own: Quiet).
bool ReadStopRowFile(int LineID, QVector<TimeTableStopRowRecord> &Rows, bool Quiet = false);
// The stop rows of one timetable among them: the N of its trip file's columns "1" .. "N".
int StopRowCount(const QVector<TimeTableStopRowRecord> &Rows, int DayGroupID, int Direction);

// Writes cdsTimeTableConnections (every row, station order) to ttc_<LineID>.ptf.
bool WriteTimeTableConnections(int LineID);

enum class TimeTableWrite { Written, TripFileFailed, StopRowFileFailed };
// Saves one timetable: its trips into tt_<LineConnectionID>.ptf (trip k gets ID k + 1, cell i goes
// to column "i + 1"), then Stations as its stop rows (Position 1 .. N) in place of the rows of
// (DayGroupID, Direction) in cdsTimeTableConnections, written to ttc_<LineID>.ptf. A trip file
// that cannot be written is left as it was; when the stop-row file cannot be written, the table
// gets its rows back and the trip file its previous content (or goes, when there was none), so
// no trip file is left beside stop rows that do not fit it.
TimeTableWrite WriteTimeTable(int LineID, int LineConnectionID, int DayGroupID, int Direction,
                              const QVector<int> &Stations, const QVector<QVector<int>> &Trips);
