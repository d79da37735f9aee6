#pragma once

#include "platform/string_grid.h"

#include <QStringList>

// Each row of the grid as one text, its cells joined by the separator, for whole-grid comparisons.
inline QStringList gridRows(const StringGrid &g, QChar separator = QLatin1Char('|'))
{
    QStringList rows;
    for (int r = 0; r < g.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < g.colCount(); ++c)
            cells << g.cell(c, r);
        rows << cells.join(separator);
    }
    return rows;
}
