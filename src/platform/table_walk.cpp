#include "platform/table.h"

// Walks over whole tables: the read walk that moves no cursor, and the guards of the routines
// that must move it.

// ---------------------------------------------------------------- read walks

void Table::walkRows(const QString &index, const std::function<bool(const TableRow &)> &visit) const
{
    const Index *order = nullptr;
    if (!index.isEmpty()) {
        for (const Index &idx : m_indexes) {
            if (idx.def.name.compare(index, Qt::CaseInsensitive) == 0)
                order = &idx;
        }
        if (!order) {
            bool known = false;
            for (const IndexDef &d : m_indexDefs)
                known = known || d.name.compare(index, Qt::CaseInsensitive) == 0;
            if (!known)
                throw TableError(QStringLiteral("Index '%1' not found in %2").arg(index, m_name));
            return; // defined but not built: the table was never created and holds no rows
        }
    }
    if (order) {
        for (const Row *row : *order->rows) {
            if (!visit(TableRow(*this, row->cells())))
                return;
        }
        return;
    }
    for (const Link *l = m_anchor.next; l != &m_anchor; l = l->next) {
        if (!visit(TableRow(*this, static_cast<const Row *>(l)->cells())))
            return;
    }
}

Field TableRow::field(int index) const
{
    if (index < 0 || index >= m_table.fieldCount())
        m_table.throwFieldIndex(index);
    return Field(&m_table, index, m_cells);
}

Field TableRow::fieldByName(const QString &name) const
{
    const int i = m_table.findFieldIndex(name);
    if (i < 0)
        throw TableError(QStringLiteral("Field '%1' not found in %2").arg(name, m_table.name()));
    return Field(&m_table, i, m_cells);
}

int TableRow::findFieldIndex(const QString &name) const
{
    return m_table.findFieldIndex(name);
}

// ---------------------------------------------------------------- guards

TableGuard::TableGuard(Table &table, unsigned restore)
    : m_table(table), m_restore(restore), m_wasOpen(table.active()), m_index(table.indexName()),
      m_filter(table.filter()), m_filtered(table.filtered()), m_row(table.m_current),
      m_rowSeq(table.m_current ? table.m_current->seq : 0), m_removals(table.m_removals), m_eof(table.eof()),
      m_bof(table.bof())
{
    if (!m_wasOpen)
        m_table.open(); // throws TableError for fields of an unknown type
    if (m_filtered)
        m_table.setFiltered(false);
}

// Delegating: should the index be unknown, the guard is made already and puts the table back.
TableGuard::TableGuard(Table &table, const QString &index, unsigned restore) : TableGuard(table, restore)
{
    m_table.setIndexName(index);
}

TableGuard::~TableGuard()
{
    putBack();
}

void TableGuard::putBack()
{
    Table &t = m_table;
    try {
        t.cancel();
        if ((m_restore & OpenState) && m_wasOpen && !t.active())
            t.open();
        if (m_restore & Filter) {
            if (t.filter() != m_filter) {
                t.setFiltered(false);
                t.setFilter(m_filter);
            }
            if (t.filtered() != m_filtered)
                t.setFiltered(m_filtered);
        }
        if ((m_restore & Index) && t.indexName().compare(m_index, Qt::CaseInsensitive) != 0)
            t.setIndexName(m_index);
        if (m_restore & Position) {
            Table::Row *row = nullptr;
            if (m_row && t.m_removals == m_removals) {
                row = m_row;
            } else if (m_row) { // rows went: the remembered one counts only if it is still linked
                for (Table::Link *l = t.m_anchor.next; l != &t.m_anchor && !row; l = l->next) {
                    if (static_cast<Table::Row *>(l)->seq == m_rowSeq)
                        row = static_cast<Table::Row *>(l);
                }
            }
            if (row && t.matchesFilter(row)) {
                t.m_current = row;
                t.m_eof = m_eof;
                t.m_bof = m_bof;
            } else {
                t.first();
            }
        }
        if ((m_restore & OpenState) && !m_wasOpen)
            t.close();
    } catch (const std::exception &) {
    }
}

namespace {

// Walks a table in its natural order over every row, whatever its index and filter; puts
// index, filter and open state back afterwards.
template <typename F>
void inNaturalOrder(Table &table, F &&body)
{
    table.cancel();
    const bool wasActive = table.active();
    const bool wasFiltered = table.filtered();
    const QString index = table.indexName();
    table.setFiltered(false);
    table.setIndexName(QString());
    table.open();
    body();
    table.setIndexName(index);
    table.setFiltered(wasFiltered);
    if (!wasActive)
        table.close();
}

} // namespace

RowsBackup::RowsBackup(Table &table) : m_table(table)
{
    inNaturalOrder(m_table, [&] {
        const int columns = m_table.fieldCount();
        for (m_table.first(); !m_table.eof(); m_table.next()) {
            QVariantList row;
            row.reserve(columns);
            for (int j = 0; j < columns; ++j)
                row.append(m_table.field(j).value());
            m_rows.push_back(std::move(row));
        }
    });
}

void RowsBackup::restore()
{
    m_table.cancel();
    m_table.emptyDataSet();
    inNaturalOrder(m_table, [&] {
        for (const QVariantList &row : m_rows) {
            m_table.append();
            for (int j = 0; j < row.size(); ++j)
                m_table.field(j).setValue(row[j]);
            m_table.post();
        }
    });
}

void replaceRowsFrom(Table &target, const Table &source)
{
    target.cancel();
    target.emptyDataSet();
    inNaturalOrder(target, [&] {
        std::vector<int> columns; // the source's column of every target field, -1 for none
        for (int j = 0; j < target.fieldCount(); ++j)
            columns.push_back(source.findFieldIndex(target.field(j).fieldName()));
        source.forEachRow(QString(), [&](const TableRow &row) {
            target.append();
            for (int j = 0; j < static_cast<int>(columns.size()); ++j) {
                if (columns[j] >= 0)
                    target.field(j).setValue(row.field(columns[j]).value());
            }
            target.post();
        });
    });
}
