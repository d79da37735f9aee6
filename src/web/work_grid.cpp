#include "web/work_grid.h"

#include "data/common_helpers.h"
#include "web/html_scan.h"

#include <algorithm>

QStringList TimeTableStationNames(const StringGrid &TimeTable)
{
    QStringList names;
    for (int row = 2; row < TimeTable.rowCount(); ++row)
        names << TimeTable.cell(1, row);
    return names;
}

QStringList HTMLTables(const QString &Html)
{
    QStringList tables;
    int pos = 1;
    for (;;) {
        int after = 0;
        const int start = FindElement(Html, pos, QStringLiteral("table"), after);
        if (start == 0)
            break;
        tables << Html.mid(start - 1, after - start);
        pos = after;
    }
    return tables;
}

QString PickTimeTableTable(const QString &Html, const QStringList &StationNames)
{
    QString best;
    int bestCount = 0;
    for (const QString &table : HTMLTables(Html)) {
        int count = 0;
        for (const QString &name : StationNames) {
            if (!name.isEmpty() && table.contains(name))
                ++count;
        }
        if (count > bestCount) {
            bestCount = count;
            best = table;
        }
    }
    return best;
}

void PerformWorkGridAction(StringGrid &Grid, WorkGridArea Area, WorkGridAction Action)
{
    if (Grid.rowCount() <= 0 || Grid.colCount() <= 0)
        return;
    const int col = std::clamp(Grid.col(), 0, Grid.colCount() - 1);
    const int row = std::clamp(Grid.row(), 0, Grid.rowCount() - 1);
    if (Area == WorkGridArea::Row) {
        switch (Action) {
        case WorkGridAction::Insert:
            GridInsertRow(Grid, row);
            break;
        case WorkGridAction::Duplicate:
            GridInsertRow(Grid, row);
            for (int c = 0; c < Grid.colCount(); ++c)
                Grid.setCell(c, row, Grid.cell(c, row + 1));
            break;
        case WorkGridAction::Delete:
            GridDeleteRow(Grid, row);
            break;
        }
    } else {
        switch (Action) {
        case WorkGridAction::Insert:
            GridInsertCol(Grid, col);
            break;
        case WorkGridAction::Duplicate:
            GridInsertCol(Grid, col);
            for (int r = 0; r < Grid.rowCount(); ++r)
                Grid.setCell(col, r, Grid.cell(col + 1, r));
            break;
        case WorkGridAction::Delete:
            GridDeleteCol(Grid, col);
            break;
        }
    }
    Grid.setCurrent(std::clamp(col, 0, std::max(0, Grid.colCount() - 1)),
                    std::clamp(row, 0, std::max(0, Grid.rowCount() - 1)));
}
