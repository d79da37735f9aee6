#pragma once

#include <QVector>

#include "app/edit_timetable_model.h"

#include <QString>
#include <QStringList>

// Loading, saving, deleting and pasting of the timetable editor, without the window: the
// routines work on the editor's grid model and the project's tables, and tell the user of a
// failure themselves.

// The timetable the editor holds.
struct TimeTableChoice {
    int CurLineID = -1;
    int CurDayGroupID = -1;
    int CurDirection = 1;
    int CurLineConnectionID = -1; // -1 while the timetable has no line connection
    bool NewTimeTable = false;
    QVector<int> StopStationIDs; // the station of every stop row, as loaded
};

// The lines that have stations, in ID order.
QStringList TimeTableLineNames();
// The day groups, last in Days order first.
QStringList TimeTableDayGroupNames();

// Loads the chosen timetable into the grid; false (after a message) leaves the editor in
// choice mode. A line or day group that is not found is reported by name.
bool LoadTimeTableGrid(TimeTableModel &Model, TimeTableChoice &Choice, const QString &LineName,
                       const QString &DayGroupName, const QString &DirectionText);

enum class TimeTableSaveResult {
    Saved,
    Declined, // the pending entry was refused or the user did not save a timetable with errors
    Failed,   // a write failed; the files are as they were or consistently saved, the grid unchanged
};
// Writes intervals.ptf, the trip file, the stop-row file and the distances section,
// in this order, after everything has been computed.
TimeTableSaveResult SaveTimeTableGrid(TimeTableModel &Model, TimeTableChoice &Choice);

// Deletes the loaded timetable; true when it is gone (or was never saved).
bool DeleteTimeTableOfGrid(TimeTableChoice &Choice);

// Pastes the selected block of the work grid at the current cell; false when nothing was
// pasted (a refused pending entry, an empty selection).
bool PasteWorkBlock(TimeTableModel &Model, const StringGrid &Work);
