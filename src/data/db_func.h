#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

// Timetable file maintenance and the distances file belong to the same family of routines.
#include "data/db_distances.h"
#include "data/db_distances_rebuild.h"
#include "data/db_timetables.h"
#include "data/db_linemap.h"
#include "data/db_delete.h"

// The table routines every editor calls: make a table empty, load it from its file in the
// project folder, save it, look rows up by name or ID, add rows with the next free ID and
// rename them. None of them throws: a failed load shows its message, a failed save returns
// false (some also show a message), a lookup that finds nothing returns -1 or "".

// --- create empty: all rows gone, defined fields kept; the per-plan and line-label tables are
// left open, the others closed.
void CreateEmptyStations();
void CreateEmptyLines();
void CreateEmptyNewStations();
void CreateEmptyLineStations();
void CreateEmptyLineConnections();
void CreateEmptyIntervals();
void CreateEmptyTimeTableConnections();
void CreateEmptyLineGraphic();
void CreateEmptyLineMaps();
void CreateEmptyLineMapPrefs();
bool CreateEmptyLineMapLines();
void CreateEmptyLineMapLineSections();
void CreateEmptyLineMapLineConnections();
void CreateEmptyLineMapStations();
void CreateEmptyLineMapIndividualStationPrefs();
void CreateEmptyLineMapIndividualMultiStationPrefs();
void CreateEmptyLineMapLineTextVisible();
void CreateEmptyLineMapLineTextColor();
void CreateEmptyLineMapLineTextOffset();

// --- master tables from the project folder; a failed load shows "... not found", the table
// is left closed.
void LoadStations();
void LoadLines();
void LoadNewStations(); // does nothing when the project has no newstations.ptf
void LoadLineStations();
void LoadLineConnections();
void LoadIntervals();
void LoadLineGraphic();
void LoadLineMaps();

// --- tables read from a given file
void LoadDayGroups(const QString &Path);
void LoadProjectFile(const QString &Path); // also sets PrjParams.MaxDriveMinutes
void LoadPrefs(const QString &Path);       // ProjectName defaults to the project file's name

// --- line-map tables
bool LoadLineMapPrefs(const QString &Path); // migrates files with the old offset column names
bool LoadLineMapLines();
bool LoadLineMapLineSections();
bool LoadLineMapLineIntersections();
bool LoadOrCreateLineMapLines();
// The full path of one of a plan's own files: "lms_", "lmisp_" or "lmimsp_" + ID + ".ptf".
QString LineMapFileName(const char *Prefix, int LineMapID);
bool LoadLineMapStations(int LineMapID);
bool LoadLineMapIndividualStationPrefs(int LineMapID);
bool LoadLineMapIndividualMultiStationPrefs(int LineMapID);
bool LoadLineMapLineTextVisible();
bool LoadLineMapLineTextColor();
bool LoadLineMapLineTextOffset();

void CloseLineMapStations();
void CloseLineMapIndividualStationPrefs();

// --- saves; each returns whether the file was written
// Whether the table failed to load from the project folder's file of that name: its saves are
// refused with a message that names the file, so a caller adds none naming it again.
bool ProjectFileDamaged(const Table &table, const QString &file);

bool SaveProjectFile(); // fills the header row first; writes ProjectFileName
class Table;
// Sets the header fields of the project table's first row as every save writes them (the
// table is left open); throws when the table has no row.
void FillProjectHeader(Table &Project);
bool SavePrefs();
bool SaveDayGroups();
bool SaveStations(); // drops stations with an empty name first
bool SaveLines();    // drops lines with an empty name first
bool SaveNewStations();
bool SaveLineStations();
bool SaveLineConnections();
bool SaveLineGraphic();
bool SaveLineMaps();
bool SaveLineMapPrefs();
bool SaveLineMapLines();
bool SaveLineMapLineSections();
bool SaveLineMapLineIntersections();
bool SaveLineMapStations(int LineMapID);
bool SaveLineMapIndividualStationPrefs(int LineMapID);
bool SaveLineMapIndividualMultiStationPrefs(int LineMapID);
bool SaveLineMapLineTextVisible();
bool SaveLineMapLineTextColor();
bool SaveLineMapLineTextOffset();

// The LastSave text of the project file: "yyyy-mm-dd hh:mm:ss".
QString FormatLastSave(const QDateTime &time);

// --- lookups: -1 or "" when nothing matches; names are compared exactly (case-sensitive)
int GetStationIDByName(const QString &Name);
int GetLineIDByName(const QString &Name);
int GetDayGroupIDByName(const QString &Group);
int GetLineMapIDByName(const QString &Name);
QString GetStationNameByID(int ID);
QString GetLineNameByID(int ID);
bool DayGroupInUse(int DayGroupID);

// --- adds: the new row's ID (last ID in ID order + 1), or -1 when the key exists or the
// file could not be written
int AddStation(const QString &Name);
int AddLine(const QString &Name);
int AddLineConnection(int LineID, int DayGroupID, int Direction);
int AddLineMap(const QString &Name); // the caller tests the name first

// --- renames: false when NewName exists, OldName does not, or the save failed
bool RenameStation(const QString &OldName, const QString &NewName);
bool RenameLine(const QString &OldName, const QString &NewName);
bool RenameLineMap(const QString &OldName, const QString &NewName);

// --- other routines that write their table's file
bool AddNewStation(int StationID);
bool ClearNewStations();
bool SetLineGraphicColor(int LineID, int Red, int Green, int Blue);
bool SetLineStations(int LineID, const QStringList &StationNames);
// The same with the station IDs already known; a table that was open stays open.
bool setLineStationIds(int LineID, const QVector<int> &StationIDs);
void SetPrefsProjectName(); // in memory only; the caller saves prefs.ptf
