#pragma once

// Shared by the units of db_func only.

#include "data/main_globals.h"

#include "platform/ansi.h"
#include "platform/table.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QVector>

#include <QChar>
#include <QString>

#include <algorithm>
#include <exception>
#include <optional>

namespace dbfunc {

inline const QChar kQuote = QLatin1Char('"');

// Field names the timetable and delete routines look rows up by.
inline const QString kID = QStringLiteral("ID");
inline const QString kStationID = QStringLiteral("StationID");
inline const QString kDayGroupID = QStringLiteral("DayGroupID");
inline const QString kDirection = QStringLiteral("Direction");
inline const QString kPosition = QStringLiteral("Position");

inline QString projectFile(const QString &file) { return ProjectDir + QLatin1Char('/') + file; }

// Runs a table routine so that no table error leaves it: a failing step gives the fallback
// result, which is what the routine reports for a failure anyway.
// A row left half-edited by the failure is dropped.
template <typename R, typename F>
R guarded(Table &table, R fallback, F &&body)
{
    try {
        return body();
    } catch (const std::exception &) {
        table.cancel();
        return fallback;
    }
}

template <typename F>
void guarded(Table &table, F &&body)
{
    try {
        body();
    } catch (const std::exception &) {
        table.cancel();
    }
}

// The rows before a change that is taken back when its write fails; none when they could not
// be taken, and then nothing is put back.
inline std::optional<RowsBackup> backUpRows(Table &table)
{
    std::optional<RowsBackup> before;
    guarded(table, [&] { before.emplace(table); });
    return before;
}

inline void restoreRows(Table &table, std::optional<RowsBackup> &before)
{
    if (before)
        guarded(table, [&] { before->restore(); });
}

// Reads a plan settings file into a table with the fields of cdsLineMapPrefs, by column name.
// A file with the old column names is read from a renamed copy and its offsets corrected in the
// table; RewriteMigrated writes the corrected table over the file. Shows nothing: NoCopy when
// the renamed copy could not be made (the table is as it was), Unreadable when the file is
// missing or damaged (the table as ImportPtfFile leaves it: empty, or with the rows of the lines
// that could be read).
enum class PrefsImport { Read, NoCopy, Unreadable };
PrefsImport importLineMapPrefs(const QString &Path, Table &t, bool RewriteMigrated);

} // namespace dbfunc
