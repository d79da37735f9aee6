#pragma once

// Shared by the units of db_func only.

#include "data/main_globals.h"

#include "platform/table.h"

#include <QChar>
#include <QString>

#include <exception>

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

} // namespace dbfunc
