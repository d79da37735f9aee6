#include "platform/table.h"

#include <QVarLengthArray>

#include <algorithm>

// ---------------------------------------------------------------- Table

bool Table::IndexOrder::operator()(const Row *a, const Row *b) const
{
    const TableCell *x = a->cells();
    const TableCell *y = b->cells();
    for (int c : columns) {
        const int r = compareCells(x[c], y[c]);
        if (r != 0)
            return r < 0;
    }
    return a->seq < b->seq;
}

Table::Table(QString name) : m_name(std::move(name))
{
    m_anchor.prev = m_anchor.next = &m_anchor;
    m_rowPool.reset(sizeof(Row));
}

Table::~Table()
{
    clearRows();
}

Table::Row *Table::newRow()
{
    static_assert(sizeof(Row) % alignof(TableCell) == 0 && alignof(TableCell) <= BlockPool::kAlignment,
                  "the cells follow the row header");
    Row *row = new (m_rowPool.allocate()) Row{{nullptr, nullptr}, 0};
    auto *cells = reinterpret_cast<TableCell *>(row + 1);
    for (qsizetype c = 0; c < m_fields.size(); ++c)
        new (cells + c) TableCell();
    return row;
}

void Table::freeRow(Row *row)
{
    TableCell *cells = row->cells();
    for (qsizetype c = 0; c < m_fields.size(); ++c)
        cells[c].~TableCell();
    m_rowPool.deallocate(row);
}

void Table::linkRow(Row *row)
{
    row->prev = m_anchor.prev;
    row->next = &m_anchor;
    m_anchor.prev->next = row;
    m_anchor.prev = row;
    ++m_rowCount;
    // New rows have the highest sequence number and often the highest key: the hint makes
    // appending a sorted file linear.
    for (Index &idx : m_indexes)
        idx.rows->insert(idx.rows->end(), row);
}

void Table::unlinkRow(Row *row)
{
    m_posOrder = nullptr;
    ++m_removals;
    for (Index &idx : m_indexes)
        idx.rows->erase(row);
    row->prev->next = row->next;
    row->next->prev = row->prev;
    --m_rowCount;
}

// Every row goes at once: the pools forget their blocks, and only cells holding texts are
// destroyed one by one.
void Table::clearRows()
{
    ++m_removals;
    for (Index &idx : m_indexes)
        idx.rows->clear();
    if (m_hasStrings) {
        for (Link *l = m_anchor.next; l != &m_anchor; l = l->next) {
            TableCell *cells = static_cast<Row *>(l)->cells();
            for (qsizetype c = 0; c < m_fields.size(); ++c)
                cells[c].~TableCell();
        }
    }
    if (m_buffer)
        freeRow(m_buffer);
    m_buffer = nullptr;
    m_anchor.prev = m_anchor.next = &m_anchor;
    m_rowCount = 0;
    m_rowPool.reset();
    m_nodePool.reset();
    m_current = nullptr;
    m_beforeAppend = nullptr;
    m_posOrder = nullptr;
    m_eof = m_bof = true;
}

std::unique_ptr<Table::RowSet> Table::makeIndexSet(const std::vector<int> &columns)
{
    auto set = std::make_unique<RowSet>(IndexOrder{columns}, PoolAllocator<Row *>(&m_nodePool));
    for (Link *l = m_anchor.next; l != &m_anchor; l = l->next)
        set->insert(set->end(), static_cast<Row *>(l));
    return set;
}

void Table::addFieldDef(const QString &name, FieldType type, int size)
{
    m_fieldDefs.append(FieldDef{name, type, size});
}

namespace {

int indexOfName(const QVector<FieldDef> &fields, const QString &name)
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

int Table::fieldDefIndex(const QString &name) const
{
    return indexOfName(m_fieldDefs, name);
}

void Table::addIndexDef(const QString &name, const QString &fields, bool unique)
{
    if (!m_fields.isEmpty()) {
        Index idx;
        idx.def = IndexDef{name, fields, unique};
        idx.columns = columnsOf(fields); // throws before anything changed
        idx.rows = makeIndexSet(idx.columns);
        m_indexes.push_back(std::move(idx));
        resolveActiveIndex();
    }
    m_indexDefs.append(IndexDef{name, fields, unique});
}

std::vector<int> Table::columnsOf(const QString &fields) const
{
    std::vector<int> cols;
    for (const QString &f : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int c = findFieldIndex(f.trimmed());
        if (c < 0)
            throw TableError(QStringLiteral("Field '%1' not found").arg(f.trimmed()));
        cols.push_back(c);
    }
    return cols;
}

void Table::createDataSet()
{
    for (const FieldDef &d : m_fieldDefs) {
        if (d.type == FieldType::Unknown)
            throw TableError(QStringLiteral("Field '%1' is of an unknown type").arg(d.name));
    }
    m_state = State::Inactive;
    clearRows();
    m_fields = m_fieldDefs;
    m_hasStrings =
        std::any_of(m_fields.cbegin(), m_fields.cend(), [](const FieldDef &d) { return d.type == FieldType::String; });
    m_rowPool.reset(sizeof(Row) + static_cast<size_t>(m_fields.size()) * sizeof(TableCell));
    rebuildIndexes();
    // A filter names fields; the new fields may stand at other places.
    try {
        m_filterTerms = parseFilter(m_filterText);
    } catch (const TableError &) {
        m_filterTerms.assign(1, FilterTerm{{Condition{-1, false, TableCell()}}}); // shows no row
    }
    if (!m_indexName.isEmpty() && !activeIndex())
        m_indexName.clear();
    m_state = State::Browse;
}

void Table::rebuildIndexes()
{
    m_indexes.clear();
    for (const IndexDef &d : m_indexDefs) {
        Index idx;
        idx.def = d;
        idx.columns = columnsOf(d.fields);
        idx.rows = makeIndexSet(idx.columns);
        m_indexes.push_back(std::move(idx));
    }
    resolveActiveIndex();
}

void Table::emptyDataSet()
{
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    clearRows();
}

void Table::open()
{
    if (m_state != State::Inactive)
        return;
    if (m_fields.isEmpty() && !m_fieldDefs.isEmpty())
        createDataSet();
    m_state = State::Browse;
    first();
}

void Table::close()
{
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    m_state = State::Inactive;
}

void Table::throwFieldIndex(int index) const
{
    throw TableError(QStringLiteral("Field index %1 out of range in %2").arg(index).arg(m_name));
}

Field Table::fieldByName(const QString &name)
{
    const int i = findFieldIndex(name);
    if (i < 0)
        throw TableError(QStringLiteral("Field '%1' not found in %2").arg(name, m_name));
    return Field(this, i);
}

int Table::findFieldIndex(const QString &name) const
{
    return indexOfName(m_fields, name);
}

void Table::checkActive() const
{
    if (m_state == State::Inactive)
        throw TableError(QStringLiteral("Cannot perform this operation on a closed dataset (%1)").arg(m_name));
}

void Table::checkEditing() const
{
    if (m_state != State::Edit && m_state != State::Insert)
        throw TableError(QStringLiteral("Dataset not in edit or insert mode (%1)").arg(m_name));
}

TableCell &Table::bufferCell(int column)
{
    checkEditing();
    // A field kept from before the table was made anew may point past its fields.
    if (column < 0 || column >= m_fields.size())
        throwFieldIndex(column);
    return m_buffer->cells()[column];
}

Table::Index *Table::activeIndex() const
{
    return m_activeIndex >= 0 ? const_cast<Index *>(&m_indexes[m_activeIndex]) : nullptr;
}

// Called whenever the index name or the built indexes change; walks ask for the order often.
void Table::resolveActiveIndex()
{
    m_activeIndex = -1;
    m_posOrder = nullptr;
    if (m_indexName.isEmpty())
        return;
    for (size_t i = 0; i < m_indexes.size(); ++i) {
        if (m_indexes[i].def.name.compare(m_indexName, Qt::CaseInsensitive) == 0) {
            m_activeIndex = static_cast<int>(i);
            return;
        }
    }
}

Table::Place Table::beginPlace()
{
    if (Index *idx = activeIndex())
        return Place(idx->rows.get(), idx->rows->begin());
    return Place(&m_anchor, m_anchor.next);
}

Table::Place Table::endPlace()
{
    if (Index *idx = activeIndex())
        return Place(idx->rows.get(), idx->rows->end());
    return Place(&m_anchor, &m_anchor);
}

Table::Place Table::placeOf(Row *row)
{
    if (Index *idx = activeIndex())
        return Place(idx->rows.get(), idx->rows->find(row));
    return Place(&m_anchor, row);
}

const void *Table::orderKey() const
{
    if (Index *idx = activeIndex())
        return idx->rows.get();
    return &m_anchor;
}

void Table::setIndexName(const QString &name)
{
    if (!name.isEmpty()) {
        bool known = false;
        for (const IndexDef &d : m_indexDefs)
            known = known || d.name.compare(name, Qt::CaseInsensitive) == 0;
        if (!known)
            throw TableError(QStringLiteral("Index '%1' not found in %2").arg(name, m_name));
    }
    checkBrowseMode();
    m_indexName = name;
    resolveActiveIndex();
    if (m_state == State::Browse)
        first();
}

void Table::checkBrowseMode()
{
    // A search or a change of order while a row is being edited would move the cursor
    // away from it, and the later post would write the edited values over another row.
    if (m_state == State::Edit || m_state == State::Insert)
        post();
}

bool Table::keyProbe(const Index &idx, const QVariantList &key, Row *probe) const
{
    const size_t n = std::min(idx.columns.size(), static_cast<size_t>(key.size()));
    for (size_t i = 0; i < n; ++i) {
        try {
            probe->cells()[idx.columns[i]] = convert(idx.columns[i], key[static_cast<qsizetype>(i)], Purpose::Search);
        } catch (const TableError &) {
            return false; // a key that the field cannot hold is in no row
        }
    }
    return true;
}

int Table::compareRows(const Row *a, const Row *b, const std::vector<int> &columns)
{
    const TableCell *x = a->cells();
    const TableCell *y = b->cells();
    for (int c : columns) {
        const int r = compareCells(x[c], y[c]);
        if (r != 0)
            return r;
    }
    return 0;
}

Table::Index *Table::searchIndex()
{
    checkActive();
    checkBrowseMode();
    Index *idx = activeIndex();
    if (!idx)
        throw TableError(QStringLiteral("No index active in %1").arg(m_name));
    return idx;
}

bool Table::findKey(const QVariantList &key)
{
    Index *idx = searchIndex();
    ScratchRow probe(*this);
    if (!keyProbe(*idx, key, probe.get()))
        return false;
    const size_t n = std::min(idx->columns.size(), static_cast<size_t>(key.size()));
    const std::vector<int> keyColumns(idx->columns.begin(), idx->columns.begin() + static_cast<ptrdiff_t>(n));
    for (auto it = idx->rows->lower_bound(probe.get()); it != idx->rows->end(); ++it) {
        if (compareRows(*it, probe.get(), keyColumns) != 0)
            break;
        if (matchesFilter(*it)) {
            setPosition(Place(idx->rows.get(), it));
            m_eof = m_bof = false;
            return true;
        }
    }
    return false;
}

void Table::findNearest(const QVariantList &key)
{
    Index *idx = searchIndex();
    ScratchRow probe(*this);
    if (!keyProbe(*idx, key, probe.get()))
        return;
    const Place it = firstVisible(Place(idx->rows.get(), idx->rows->lower_bound(probe.get())));
    if (it.atEnd()) {
        last();
    } else {
        setPosition(it);
        m_eof = m_bof = false;
    }
}

bool Table::locate(const QStringList &fields, const QVariantList &values)
{
    checkActive();
    checkBrowseMode();
    std::vector<int> cols;
    std::vector<TableCell> wanted;
    for (qsizetype i = 0; i < fields.size() && i < values.size(); ++i) {
        const int c = findFieldIndex(fields[i]);
        if (c < 0)
            throw TableError(QStringLiteral("Field '%1' not found in %2").arg(fields[i], m_name));
        cols.push_back(c);
        try {
            wanted.push_back(convert(c, values[i], Purpose::Search));
        } catch (const TableError &) {
            return false;
        }
    }
    for (Place p = beginPlace(); !p.atEnd(); p.next()) {
        Row *r = p.row();
        if (!matchesFilter(r))
            continue;
        bool all = true;
        for (size_t i = 0; i < cols.size() && all; ++i)
            all = compareCells(r->cells()[cols[i]], wanted[i]) == 0;
        if (all) {
            moveTo(r);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- navigation

Table::Place Table::firstVisible(Place place) const
{
    while (!place.atEnd() && !matchesFilter(place.row()))
        place.next();
    return place;
}

void Table::moveTo(Row *row)
{
    m_current = row;
    m_eof = m_bof = false;
}

void Table::setPosition(const Place &place)
{
    m_current = place.row();
    m_pos = place;
    m_posOrder = orderKey();
    m_posRow = m_current;
}

// The current row's place in the active order; remembered, so a walk costs no search per step.
Table::Place Table::currentPosition()
{
    if (!activeIndex())
        return Place(&m_anchor, m_current);
    if (m_posOrder != orderKey() || m_posRow != m_current) {
        m_pos = placeOf(m_current);
        m_posOrder = orderKey();
        m_posRow = m_current;
    }
    return m_pos;
}

void Table::first()
{
    checkBrowseMode();
    const Place it = firstVisible(beginPlace());
    if (it.atEnd()) {
        m_current = nullptr;
        m_eof = m_bof = true;
        return;
    }
    setPosition(it);
    m_eof = false;
    m_bof = true;
}

void Table::last()
{
    checkBrowseMode();
    for (Place it = endPlace(); !it.atBegin();) {
        it.prior();
        if (matchesFilter(it.row())) {
            setPosition(it);
            m_eof = true;
            m_bof = false;
            return;
        }
    }
    m_current = nullptr;
    m_eof = m_bof = true;
}

void Table::next()
{
    checkBrowseMode();
    if (!m_current) {
        m_eof = true;
        return;
    }
    Place it = currentPosition();
    if (!it.atEnd()) {
        it.next();
        it = firstVisible(it);
    }
    if (it.atEnd()) {
        m_eof = true;
        return;
    }
    setPosition(it);
    m_eof = m_bof = false;
}

void Table::prior()
{
    checkBrowseMode();
    if (!m_current) {
        m_bof = true;
        return;
    }
    Place it = currentPosition();
    while (!it.atBegin()) {
        it.prior();
        if (matchesFilter(it.row())) {
            setPosition(it);
            m_eof = m_bof = false;
            return;
        }
    }
    m_bof = true;
}

bool Table::isEmpty() const
{
    if (!m_filtered || m_filterTerms.empty())
        return m_rowCount == 0;
    for (const Link *l = m_anchor.next; l != &m_anchor; l = l->next) {
        if (matchesFilter(static_cast<const Row *>(l)))
            return false;
    }
    return true;
}

int Table::recordCount() const
{
    if (!m_filtered || m_filterTerms.empty())
        return m_rowCount;
    int n = 0;
    for (const Link *l = m_anchor.next; l != &m_anchor; l = l->next)
        n += matchesFilter(static_cast<const Row *>(l)) ? 1 : 0;
    return n;
}

// ---------------------------------------------------------------- row operations

void Table::append()
{
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    m_beforeAppend = m_current;
    if (!m_buffer)
        m_buffer = newRow();
    m_state = State::Insert;
}

void Table::insert()
{
    append();
}

void Table::edit()
{
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (!m_current) // an empty table has no row to edit: the edit starts a new one
        return append();
    if (!m_buffer)
        m_buffer = newRow();
    const TableCell *from = m_current->cells();
    TableCell *to = m_buffer->cells();
    for (qsizetype c = 0; c < m_fields.size(); ++c)
        to[c] = from[c];
    m_state = State::Edit;
}

void Table::checkUnique(const Row &candidate, const Row *self) const
{
    for (const Index &idx : m_indexes) {
        if (!idx.def.unique)
            continue;
        // The candidate's sequence number is 0, so the search finds the first row of its key.
        Row *probe = const_cast<Row *>(&candidate);
        for (auto it = idx.rows->lower_bound(probe); it != idx.rows->end(); ++it) {
            if (compareRows(*it, probe, idx.columns) != 0)
                break;
            if (*it != self)
                throw TableError(QStringLiteral("Key violation in %1 (index %2)").arg(m_name, idx.def.name));
        }
    }
}

void Table::post()
{
    if (m_state == State::Insert) {
        checkUnique(*m_buffer, nullptr);
        // The buffer becomes the row; the next append takes a fresh block.
        Row *row = m_buffer;
        m_buffer = nullptr;
        row->seq = m_nextSeq++;
        linkRow(row);
        m_state = State::Browse;
        m_beforeAppend = nullptr;
        moveTo(row);
    } else if (m_state == State::Edit) {
        checkUnique(*m_buffer, m_current);
        // Only the indexes whose key changes move the row; it keeps its natural place.
        QVarLengthArray<bool, 8> moved(static_cast<qsizetype>(m_indexes.size()));
        for (size_t i = 0; i < m_indexes.size(); ++i) {
            Index &idx = m_indexes[i];
            moved[i] = compareRows(m_current, m_buffer, idx.columns) != 0;
            if (moved[i]) {
                idx.rows->erase(m_current);
                m_posOrder = nullptr;
            }
        }
        TableCell *to = m_current->cells();
        TableCell *from = m_buffer->cells();
        for (qsizetype c = 0; c < m_fields.size(); ++c)
            to[c] = std::move(from[c]); // leaves the buffer null
        for (size_t i = 0; i < m_indexes.size(); ++i) {
            if (moved[i])
                m_indexes[i].rows->insert(m_current);
        }
        m_state = State::Browse;
        moveTo(m_current);
    }
}

void Table::cancel()
{
    if (m_state == State::Insert) {
        m_current = m_beforeAppend;
        m_beforeAppend = nullptr;
        m_eof = m_bof = (m_current == nullptr);
    }
    if (m_state == State::Insert || m_state == State::Edit)
        m_state = State::Browse;
    if (m_buffer) {
        TableCell *cells = m_buffer->cells();
        for (qsizetype c = 0; c < m_fields.size(); ++c)
            cells[c].clear();
    }
}

void Table::remove()
{
    checkActive();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    if (!m_current)
        throw TableError(QStringLiteral("Cannot delete from an empty dataset (%1)").arg(m_name));
    Row *gone = m_current;
    const Place it = placeOf(gone);
    Row *following = nullptr;
    Row *preceding = nullptr;
    if (!it.atEnd()) {
        Place n = it;
        n.next();
        n = firstVisible(n);
        if (!n.atEnd())
            following = n.row();
        for (Place p = it; !p.atBegin();) {
            p.prior();
            if (matchesFilter(p.row())) {
                preceding = p.row();
                break;
            }
        }
    }
    unlinkRow(gone);
    freeRow(gone);
    if (following) {
        moveTo(following);
    } else if (preceding) {
        m_current = preceding;
        m_eof = true;
        m_bof = false;
    } else {
        m_current = nullptr;
        m_eof = m_bof = true;
    }
}
