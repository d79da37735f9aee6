#pragma once

#include "platform/table.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// Table reads and row changes of the master-data editors, kept apart from their windows so
// they run without a display. None of them throws: a damaged table gives what could be read.

// The non-empty names of a table's rows in ID order (stations: "Station", lines: "Line").
QStringList NamesInIdOrder(Table &table, const QString &nameField);
// The names of the stations of cdsNewStations, in ID order, empty ones left out.
QStringList NewStationNames();
// The names of a line's stops in stop order; stations without a name are left out.
QStringList LineStationNamesOf(int LineID);
// Whether cdsLineStations / cdsLineConnections hold a row of the line.
bool LineHasStations(int LineID);
bool LineHasConnections(int LineID);
// Appends the line's stops in list order, numbered from 1 (memory only).
bool AppendLineStations(int LineID, const QStringList &StationNames);

struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;
};
// The line's own colour from cdsLineGraphic; none when the line uses the default colour.
std::optional<RgbColor> LineGraphicColorOf(int LineID);
// Removes the line's colour row in memory; the caller saves line_graphic.ptf.
void RemoveLineGraphicRow(int LineID);

// The first row of cdsPrefs (default line colour) and cdsProject (MaxDriveMinutes).
RgbColor PrefsLineColor();
bool SetPrefsLineColor(const RgbColor &color);
bool SetProjectMaxDriveMinutes(int minutes);
int ProjectMaxDriveMinutes(int fallback);

// Tells that a save of the project's table file (a name in the project folder) failed: the
// message, by default "Error saving the file <file>", with the reason of the failed write.
// Nothing for a damaged file, nor when the action was stopped by a damaged file that a message
// has named already.
void ReportFailedSave(const Table &table, const QString &file, const QString &message = QString());
// The same message, for a caller that tells it later; empty for a damaged file.
QString FailedSaveMessage(const Table &table, const QString &file, const QString &message = QString());

// A day group as the project editor holds it while the user edits.
struct TDayGroup {
    int ID = 0;
    QString Group;
    QString Days = QStringLiteral("0000000"); // Monday first; "1" = runs that day
    QString Text;
    bool InUse = false;
};

// The day groups in ID order, rows without an ID left out; Days always seven characters.
QVector<TDayGroup> ReadDayGroups();
// Replaces cdsDayGroups' rows by the groups, in their order (memory only).
bool WriteDayGroupRows(const QVector<TDayGroup> &groups);
// The first name or text that two groups share, empty when all are distinct.
QString DuplicateDayGroup(const QVector<TDayGroup> &groups);
// Days padded with "0" to seven characters (a short text lacks the last days).
QString NormalizedDays(const QString &days);
