#pragma once

#include "platform/string_grid.h"

#include <QString>
#include <QStringList>

// The station names of a timetable grid's stop rows (rows 2 and below, column 1).
QStringList TimeTableStationNames(const StringGrid &TimeTable);

// The tables of an HTML text, each from the "<" of its opening tag to the ">" of the first
// closing table tag behind it, in text order.
QStringList HTMLTables(const QString &Html);

// The table of the HTML text in which most of the station names occur (case-sensitive;
// empty names never count); the earlier one on equal counts. Empty when no name occurs
// in any table.
QString PickTimeTableTable(const QString &Html, const QStringList &StationNames);

// The work-grid actions at the grid's current row or column.
enum class WorkGridArea { Row = 0, Column = 1 };
enum class WorkGridAction { Insert = 0, Duplicate = 1, Delete = 2 };

// Inserts an empty row or column at the current one, duplicates it (the new one stands
// first and becomes current) or deletes it. An empty grid is left alone; the current
// cell stays inside the grid.
void PerformWorkGridAction(StringGrid &Grid, WorkGridArea Area, WorkGridAction Action);
