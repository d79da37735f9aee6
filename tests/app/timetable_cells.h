#pragma once

#include "app/edit_timetable_model.h"

#include <QLatin1Char>

// Trips and stops are counted from 1 as the user sees them: trip t is grid column t + 1, stop s
// is grid row s + 1; a trip's stop cells are written as one text, separated by "|".

inline QString tripCells(const StringGrid &g, int t)
{
    QStringList cells;
    for (int r = TimeTableModel::FirstStopRow; r < g.rowCount(); ++r)
        cells << g.cell(t + 1, r);
    return cells.join(QLatin1Char('|'));
}

// Sets the trip's stop cells from the first stop on; the stops after the last text keep theirs.
inline void setTripCells(StringGrid &g, int t, const QString &cells)
{
    const QStringList list = cells.split(QLatin1Char('|'));
    for (int i = 0; i < list.size(); ++i)
        g.setCell(t + 1, TimeTableModel::FirstStopRow + i, list[i]);
}
