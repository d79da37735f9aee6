#include "platform/table.h"

#include <algorithm>

// ---------------------------------------------------------------- Table

bool Table::IndexOrder::operator()(const Row *a, const Row *b) const
{
    for (int c : columns) {
        const int r = compareValues(a->values[c], b->values[c]);
        if (r != 0)
            return r < 0;
    }
    return a->seq < b->seq;
}

Table::Table(QString name) : m_name(std::move(name))
{
    m_rows = std::make_unique<RowSet>(IndexOrder{this, {}});
}

Table::~Table()
{
    clearRows();
}

void Table::clearRows()
{
    for (Index &idx : m_indexes)
        idx.rows->clear();
    if (m_rows) {
        for (Row *r : *m_rows)
            delete r;
        m_rows->clear();
    }
    m_current = nullptr;
    m_beforeAppend = nullptr;
    m_posSet = nullptr;
    m_eof = m_bof = true;
}

void Table::addFieldDef(const QString &name, FieldType type, int size)
{
    m_fieldDefs.append(FieldDef{name, type, size});
}

int Table::fieldDefIndex(const QString &name) const
{
    for (int i = 0; i < m_fieldDefs.size(); ++i) {
        if (m_fieldDefs[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void Table::addIndexDef(const QString &name, const QString &fields, bool unique)
{
    if (!m_fields.isEmpty()) {
        Index idx;
        idx.def = IndexDef{name, fields, unique};
        idx.columns = columnsOf(fields); // throws before anything changed
        idx.rows = std::make_unique<RowSet>(IndexOrder{this, idx.columns});
        for (Row *r : *m_rows)
            idx.rows->insert(r);
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
    m_nextSeq = 1;
    rebuildIndexes();
    // A filter names fields; the new fields may stand at other places.
    try {
        m_filterTerms = parseFilter(m_filterText);
    } catch (const TableError &) {
        m_filterTerms.assign(1, FilterTerm{{Condition{-1, false, QVariant()}}}); // shows no row
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
        idx.rows = std::make_unique<RowSet>(IndexOrder{this, idx.columns});
        for (Row *r : *m_rows)
            idx.rows->insert(r);
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

Field Table::field(int index)
{
    if (index < 0 || index >= m_fields.size())
        throw TableError(QStringLiteral("Field index %1 out of range in %2").arg(index).arg(m_name));
    return Field(this, index);
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
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
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

const QVariant &Table::currentValue(int column) const
{
    static const QVariant null;
    if (column < 0 || column >= m_fields.size())
        return null;
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer.values[column];
    if (!m_current)
        return null;
    return m_current->values[column];
}

QVariant &Table::bufferValue(int column)
{
    return m_buffer.values[column];
}

Table::Index *Table::activeIndex() const
{
    return m_activeIndex >= 0 ? const_cast<Index *>(&m_indexes[m_activeIndex]) : nullptr;
}

// Called whenever the index name or the built indexes change; walks ask for the order often.
void Table::resolveActiveIndex()
{
    m_activeIndex = -1;
    m_posSet = nullptr;
    if (m_indexName.isEmpty())
        return;
    for (size_t i = 0; i < m_indexes.size(); ++i) {
        if (m_indexes[i].def.name.compare(m_indexName, Qt::CaseInsensitive) == 0) {
            m_activeIndex = static_cast<int>(i);
            return;
        }
    }
}

Table::RowSet &Table::order() const
{
    if (Index *idx = activeIndex())
        return *idx->rows;
    return *m_rows;
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

bool Table::keyProbe(const Index &idx, const QVariantList &key, Row &probe) const
{
    probe.seq = 0;
    probe.values.assign(m_fields.size(), QVariant());
    const size_t n = std::min(idx.columns.size(), static_cast<size_t>(key.size()));
    for (size_t i = 0; i < n; ++i) {
        try {
            probe.values[idx.columns[i]] = convert(idx.columns[i], key[static_cast<qsizetype>(i)], Purpose::Search);
        } catch (const TableError &) {
            return false; // a key that the field cannot hold is in no row
        }
    }
    return true;
}

int Table::compareRows(const Row *a, const Row *b, const std::vector<int> &columns)
{
    for (int c : columns) {
        const int r = compareValues(a->values[c], b->values[c]);
        if (r != 0)
            return r;
    }
    return 0;
}

bool Table::findKey(const QVariantList &key)
{
    checkActive();
    checkBrowseMode();
    Index *idx = activeIndex();
    if (!idx)
        throw TableError(QStringLiteral("No index active in %1").arg(m_name));
    Row probe;
    if (!keyProbe(*idx, key, probe))
        return false;
    const size_t n = std::min(idx->columns.size(), static_cast<size_t>(key.size()));
    const std::vector<int> keyColumns(idx->columns.begin(), idx->columns.begin() + static_cast<ptrdiff_t>(n));
    for (auto it = idx->rows->lower_bound(&probe); it != idx->rows->end(); ++it) {
        if (compareRows(*it, &probe, keyColumns) != 0)
            break;
        if (matchesFilter(*it)) {
            setPosition(it);
            m_eof = m_bof = false;
            return true;
        }
    }
    return false;
}

void Table::findNearest(const QVariantList &key)
{
    checkActive();
    checkBrowseMode();
    Index *idx = activeIndex();
    if (!idx)
        throw TableError(QStringLiteral("No index active in %1").arg(m_name));
    Row probe;
    if (!keyProbe(*idx, key, probe))
        return;
    auto it = firstVisible(idx->rows->lower_bound(&probe));
    if (it == idx->rows->end()) {
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
    QVariantList wanted;
    for (qsizetype i = 0; i < fields.size() && i < values.size(); ++i) {
        const int c = findFieldIndex(fields[i]);
        if (c < 0)
            throw TableError(QStringLiteral("Field '%1' not found in %2").arg(fields[i], m_name));
        cols.push_back(c);
        try {
            wanted.append(convert(c, values[i], Purpose::Search));
        } catch (const TableError &) {
            return false;
        }
    }
    for (Row *r : order()) {
        if (!matchesFilter(r))
            continue;
        bool all = true;
        for (size_t i = 0; i < cols.size() && all; ++i)
            all = compareValues(r->values[cols[i]], wanted[static_cast<qsizetype>(i)]) == 0;
        if (all) {
            moveTo(r);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- navigation

Table::RowSet::iterator Table::firstVisible(RowSet::iterator it) const
{
    RowSet &o = order();
    while (it != o.end() && !matchesFilter(*it))
        ++it;
    return it;
}

void Table::moveTo(Row *row)
{
    m_current = row;
    m_eof = m_bof = false;
}

void Table::setPosition(RowSet::iterator it)
{
    m_current = *it;
    m_pos = it;
    m_posSet = &order();
    m_posRow = m_current;
}

// The current row's place in the active order; remembered, so a walk costs no search per step.
Table::RowSet::iterator Table::currentPosition()
{
    RowSet &o = order();
    if (m_posSet != &o || m_posRow != m_current) {
        m_pos = o.find(m_current);
        m_posSet = &o;
        m_posRow = m_current;
    }
    return m_pos;
}

void Table::first()
{
    checkBrowseMode();
    auto it = firstVisible(order().begin());
    if (it == order().end()) {
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
    RowSet &o = order();
    for (auto it = o.end(); it != o.begin();) {
        --it;
        if (matchesFilter(*it)) {
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
    RowSet &o = order();
    auto it = currentPosition();
    if (it != o.end())
        it = firstVisible(std::next(it));
    if (it == o.end()) {
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
    RowSet &o = order();
    auto it = currentPosition();
    while (it != o.begin()) {
        --it;
        if (matchesFilter(*it)) {
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
        return m_rows->empty();
    for (const Row *r : *m_rows) {
        if (matchesFilter(r))
            return false;
    }
    return true;
}

int Table::recordCount() const
{
    if (!m_filtered || m_filterTerms.empty())
        return static_cast<int>(m_rows->size());
    int n = 0;
    for (const Row *r : *m_rows)
        n += matchesFilter(r) ? 1 : 0;
    return n;
}

// ---------------------------------------------------------------- row operations

void Table::append()
{
    checkActive();
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    m_beforeAppend = m_current;
    m_buffer.seq = 0;
    m_buffer.values.assign(m_fields.size(), QVariant());
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
    if (!m_current) // an empty table edits a new row, as the dataset of old did
        return append();
    m_buffer.seq = m_current->seq;
    m_buffer.values = m_current->values;
    m_state = State::Edit;
}

void Table::checkUnique(const Row &candidate, const Row *self) const
{
    for (const Index &idx : m_indexes) {
        if (!idx.def.unique)
            continue;
        Row probe;
        probe.seq = 0;
        probe.values = candidate.values;
        for (auto it = idx.rows->lower_bound(&probe); it != idx.rows->end(); ++it) {
            if (compareRows(*it, &probe, idx.columns) != 0)
                break;
            if (*it != self)
                throw TableError(QStringLiteral("Key violation in %1 (index %2)").arg(m_name, idx.def.name));
        }
    }
}

void Table::indexInsert(Row *row)
{
    // New rows have the highest sequence number: the hint makes appending a whole file linear.
    m_rows->insert(m_rows->end(), row);
    for (Index &idx : m_indexes)
        idx.rows->insert(row);
}

void Table::indexErase(Row *row)
{
    m_posSet = nullptr;
    for (Index &idx : m_indexes)
        idx.rows->erase(row);
    m_rows->erase(row);
}

void Table::post()
{
    if (m_state == State::Insert) {
        checkUnique(m_buffer, nullptr);
        auto *row = new Row;
        row->seq = m_nextSeq++;
        row->values = std::move(m_buffer.values);
        indexInsert(row);
        m_state = State::Browse;
        m_beforeAppend = nullptr;
        moveTo(row);
    } else if (m_state == State::Edit) {
        checkUnique(m_buffer, m_current);
        indexErase(m_current);
        m_current->values = std::move(m_buffer.values);
        indexInsert(m_current);
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
    m_buffer.values.clear();
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
    RowSet &o = order();
    auto it = o.find(gone);
    Row *following = nullptr;
    Row *preceding = nullptr;
    if (it != o.end()) {
        auto n = firstVisible(std::next(it));
        if (n != o.end())
            following = *n;
        for (auto p = it; p != o.begin();) {
            --p;
            if (matchesFilter(*p)) {
                preceding = *p;
                break;
            }
        }
    }
    indexErase(gone);
    delete gone;
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
