#pragma once

#include <QLatin1String>
#include <QString>
#include <QVariantList>

#include "platform/table.h"

// The plan code reads and writes the shared tables that the editor's windows browse at the
// same time: it reads them with forEachRow, which moves no window's view, and changes them
// under a TableGuard.

// Reads every row of a table in the order of an index (an empty name: the stored order). A
// table that cannot be read, or a row that cannot, ends the reading with what was read so far.
template <typename Visit>
void ReadRows(const Table &T, const QString &Index, Visit visit)
{
    try {
        T.forEachRow(Index, visit);
    } catch (const TableError &) {
    }
}

// A column's position, looked up once before a walk rather than by name on every row.
inline int Column(const Table &T, const char *Name)
{
    return T.findFieldIndex(QLatin1String(Name));
}

inline int IntAt(const TableRow &T, int Index)
{
    return T.field(Index).asInteger();
}

inline bool BoolAt(const TableRow &T, int Index)
{
    return T.field(Index).asBoolean();
}

// Moves a table to the first row of Key on Index and leaves it there, unfiltered and on that
// index (the one the row routines of the plan tables search); a closed table is opened. False
// when there is no such row or the table cannot be read. No guard puts the table back: the
// caller reads or edits the row found, which a filter put back could hide or move away from.
inline bool SeekPlanRow(Table &T, const QString &Index, const QVariantList &Key)
{
    try {
        if (!T.active())
            T.open();
        T.setFiltered(false);
        T.setIndexName(Index);
        return T.findKey(Key);
    } catch (const TableError &) {
        return false;
    }
}

// A name placement row (station-name override or transfer name) as stored, values outside
// the choice tables included.
struct TNamePlacementRow
{
    int Position = 0, OffsetX = 0, OffsetY = 0, TextDirection = 0, Rotation = 0;
};

// SeekPlanRow on a table of name placements, also reading the row into *Row when given.
inline bool SeekNamePlacementRow(Table &T, const QString &Index, const QVariantList &Key,
                                 TNamePlacementRow *Row = nullptr)
{
    if (!SeekPlanRow(T, Index, Key))
        return false;
    if (!Row)
        return true;
    try {
        Row->Position = T.fieldByName(QStringLiteral("Position")).asInteger();
        Row->OffsetX = T.fieldByName(QStringLiteral("OffsetX")).asInteger();
        Row->OffsetY = T.fieldByName(QStringLiteral("OffsetY")).asInteger();
        Row->TextDirection = T.fieldByName(QStringLiteral("TextDirection")).asInteger();
        Row->Rotation = T.fieldByName(QStringLiteral("Rotation")).asInteger();
        return true;
    } catch (const TableError &) {
        return false;
    }
}
