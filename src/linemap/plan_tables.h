#pragma once

#include <QLatin1String>
#include <QString>
#include <QVariantList>

#include "platform/table.h"

// The plan code reads and writes the shared tables that the editor's windows browse at the
// same time. KeepTableView opens a closed table (a closed table keeps its rows) and shows all
// of its rows; when it goes out of scope the table gets its index, filter and open state back,
// so that neither a redraw nor a save moves a window's view. With CancelEdit it also drops an
// edit or append that a failed write left half done.
constexpr bool kCancelEdit = true;

class KeepTableView
{
public:
    explicit KeepTableView(Table &table, bool CancelEdit = false)
        : m_table(table), m_index(table.indexName()), m_filter(table.filter()), m_filtered(table.filtered()),
          m_wasOpen(table.active()), m_cancelEdit(CancelEdit)
    {
        if (!m_wasOpen)
            m_table.open(); // throws TableError for a table that was never created
        m_table.setFiltered(false);
    }
    ~KeepTableView()
    {
        try {
            if (m_cancelEdit)
                m_table.cancel();
            m_table.setFiltered(false);
            m_table.setFilter(m_filter);
            m_table.setFiltered(m_filtered);
            m_table.setIndexName(m_index);
            if (!m_wasOpen)
                m_table.close();
        } catch (const TableError &) {
        }
    }
    KeepTableView(const KeepTableView &) = delete;
    KeepTableView &operator=(const KeepTableView &) = delete;

private:
    Table &m_table;
    QString m_index;
    QString m_filter;
    bool m_filtered;
    bool m_wasOpen;
    bool m_cancelEdit;
};

// Visits every row of a table in the order of an index (an empty name: the stored order),
// keeping its view as above. A table that was never created has no rows to visit.
template <typename Visit>
void WalkTable(Table &T, const QString &Index, Visit visit)
{
    try {
        KeepTableView keep(T);
        T.setIndexName(Index);
        for (T.first(); !T.eof(); T.next())
            visit(T);
    } catch (const TableError &) {
    }
}

// A column's position, looked up once before a walk rather than by name on every row.
inline int Column(const Table &T, const char *Name)
{
    return T.findFieldIndex(QLatin1String(Name));
}

inline int IntAt(Table &T, int Index)
{
    return T.field(Index).asInteger();
}

inline bool BoolAt(Table &T, int Index)
{
    return T.field(Index).asBoolean();
}

// Moves a table to the first row of Key on Index and leaves it there, unfiltered and on that
// index (the one the row routines of the plan tables search); a closed table is opened. False
// when there is no such row or the table cannot be read.
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
