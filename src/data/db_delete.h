#pragma once

#include <QString>
#include <QStringList>

// Deleting a station or a line takes everything that refers to it along: its rows in the line
// network plans, its line stations, the timetables and columns that served it, the line
// connections with their trip files and distances sections, the new-stations entry and the line
// colour. Each chain runs its steps in order and stops at the first false; the deleted item's
// own row goes last of its files, so a chain that stops leaves it listed to be deleted again.
// Missing files count as deleted. None of them shows a message or throws.

bool DeleteStationByName(const QString &Name); // false when there is no such station
bool DeleteStation(int StationID);
// The station chain's steps.
bool DeleteStationFromLineMaps(int StationID);
bool DeleteStationRecord(int StationID);
bool DeleteStationFromLines(int StationID);
bool DeleteNewStation(int StationID);

bool DeleteLineByName(const QString &Name); // false when there is no such line
bool DeleteLine(int LineID);
// The line chain's steps.
bool DeleteLineFromLineMaps(int LineID);
bool DeleteLineRecord(int LineID);
bool DeleteLineStationsOfLine(int LineID);    // its line stations, then its line connections
bool DeleteLineConnectionsOfLine(int LineID); // with their trip files, sections and ttc_ file
bool DeleteLineGraphic(int LineID);           // true when the line has no colour row

// Removes the line from every plan's lms_ and lmisp_ file; true when there are no plans.
bool DeleteLineFromLineMapStationTables(int LineID);
// Removes from every plan showing the line the station rows of stations no longer in the list
// (names in line order). Walks every plan; false when any load or write failed.
bool DeleteRemovedStationsFromLineMaps(int LineID, const QStringList &StationNames);

// The first file of the line network plans that is there but cannot be read, empty when there is
// none: line_maps.ptf and line_map_lines.ptf, which name the plans, then each plan's own files,
// and with AllShared the other files all plans share. A delete or a change of a line's stations
// that rewrites them checks them all before its first write. Shows nothing.
QString FirstDamagedPlanFile(bool AllShared);

// Blanks a line connection (line, day group and direction null; the ID stays taken) and writes
// line_connections.ptf; false when the connection is missing or the write failed.
bool ClearLineConnection(int LineConnectionID);
