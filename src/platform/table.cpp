#include "platform/table.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool isNumeric(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::Double:
    case QMetaType::Bool:
    case QMetaType::LongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

int compareValues(const QVariant &a, const QVariant &b)
{
    const bool an = !a.isValid(), bn = !b.isValid();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if (isNumeric(a) && isNumeric(b)) {
        if (a.typeId() == QMetaType::Int && b.typeId() == QMetaType::Int) {
            const int x = a.toInt(), y = b.toInt();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (isNumeric(a) != isNumeric(b)) {
        // A numeric key searched with text (or the reverse): compare as numbers when the
        // text is one, so FindKey({"5"}) finds the ID 5.
        double x = 0, y = 0;
        const bool ok = (isNumeric(a) ? (x = a.toDouble(), true) : parseFloat(a.toString(), x)) &&
                        (isNumeric(b) ? (y = b.toDouble(), true) : parseFloat(b.toString(), y));
        if (ok)
            return x < y ? -1 : (x > y ? 1 : 0);
    }
    const int c = QString::compare(a.toString(), b.toString(), Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString formatFloat(double value)
{
    if (std::isnan(value) || std::isinf(value))
        return QStringLiteral("0");
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    QString s = QString::fromLatin1(buf);
    s.replace(QLatin1String("E+"), QLatin1String("E"));
    return s;
}

bool parseInteger(const QString &text, int &value)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 20)
        return false;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(v);
    return true;
}

bool parseFloat(const QString &text, double &value)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 400)
        return false;
    // Only digits, sign, point and exponent: no "inf", "nan" or hexadecimal forms.
    for (QChar c : t) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || u == '.' || u == '-' || u == '+' || u == 'e' || u == 'E'))
            return false;
    }
    const QByteArray latin = t.toLatin1();
    char *end = nullptr;
    const double v = std::strtod(latin.constData(), &end);
    if (end != latin.constData() + latin.size() || std::isinf(v) || std::isnan(v))
        return false;
    value = v;
    return true;
}

// ---------------------------------------------------------------- Field

const QString &Field::fieldName() const { return m_table->m_fields[m_index].name; }
FieldType Field::dataType() const { return m_table->m_fields[m_index].type; }
int Field::size() const { return m_table->m_fields[m_index].size; }

bool Field::isNull() const { return !m_table->currentValue(m_index).isValid(); }
QVariant Field::value() const { return m_table->currentValue(m_index); }

QString Field::asString() const
{
    const QVariant &v = m_table->currentValue(m_index);
    if (!v.isValid())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Double:
        return formatFloat(v.toDouble());
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

int Field::asInteger() const
{
    const QVariant &v = m_table->currentValue(m_index);
    if (!v.isValid())
        return 0;
    switch (v.typeId()) {
    case QMetaType::Int:
        return v.toInt();
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::Double: {
        const double d = std::round(v.toDouble());
        if (d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max())
            return static_cast<int>(d);
        return 0;
    }
    default: {
        int i = 0;
        return parseInteger(v.toString(), i) ? i : 0;
    }
    }
}

double Field::asFloat() const
{
    const QVariant &v = m_table->currentValue(m_index);
    if (!v.isValid())
        return 0.0;
    if (isNumeric(v))
        return v.toDouble();
    double d = 0;
    return parseFloat(v.toString(), d) ? d : 0.0;
}

bool Field::asBoolean() const
{
    const QVariant &v = m_table->currentValue(m_index);
    if (!v.isValid())
        return false;
    if (isNumeric(v))
        return v.toDouble() != 0.0;
    return v.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void Field::setValue(const QVariant &value)
{
    m_table->checkEditing();
    m_table->bufferValue(m_index) = m_table->convert(m_index, value);
}
void Field::setString(const QString &value) { setValue(QVariant(value)); }
void Field::setInteger(int value) { setValue(QVariant(value)); }
void Field::setFloat(double value) { setValue(QVariant(value)); }
void Field::setBoolean(bool value) { setValue(QVariant(value)); }
void Field::clear() { setValue(QVariant()); }

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

Table::~Table() { clearRows(); }

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
    m_indexDefs.append(IndexDef{name, fields, unique});
    if (!m_fields.isEmpty()) {
        Index idx;
        idx.def = m_indexDefs.last();
        idx.columns = columnsOf(fields);
        idx.rows = std::make_unique<RowSet>(IndexOrder{this, idx.columns});
        for (Row *r : *m_rows)
            idx.rows->insert(r);
        m_indexes.push_back(std::move(idx));
    }
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

QVariant &Table::bufferValue(int column) { return m_buffer.values[column]; }

QVariant Table::convert(int column, const QVariant &value) const
{
    if (!value.isValid())
        return QVariant();
    const FieldDef &f = m_fields[column];
    switch (f.type) {
    case FieldType::String: {
        QString s = value.typeId() == QMetaType::Double ? formatFloat(value.toDouble())
                    : value.typeId() == QMetaType::Bool ? (value.toBool() ? QStringLiteral("True")
                                                                          : QStringLiteral("False"))
                                                        : value.toString();
        if (f.size > 0 && s.size() > f.size)
            s.truncate(f.size);
        return s;
    }
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::AutoInc: {
        int i = 0;
        if (value.typeId() == QMetaType::Int) {
            i = value.toInt();
        } else if (isNumeric(value)) {
            const double d = value.toDouble();
            if (d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
                throw TableError(QStringLiteral("Value out of range for field '%1'").arg(f.name));
            i = static_cast<int>(d);
        } else if (!parseInteger(value.toString(), i)) {
            throw TableError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
        }
        if (f.type == FieldType::Smallint && (i < -32768 || i > 32767))
            throw TableError(QStringLiteral("Value %1 out of range for field '%2'").arg(i).arg(f.name));
        return i;
    }
    case FieldType::Boolean:
        if (isNumeric(value))
            return value.toDouble() != 0.0;
        return value.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    case FieldType::Float: {
        if (isNumeric(value))
            return value.toDouble();
        double d = 0;
        if (!parseFloat(value.toString(), d))
            throw TableError(QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
        return d;
    }
    case FieldType::Unknown:
        break;
    }
    return QVariant();
}

Table::Index *Table::activeIndex() const
{
    if (m_indexName.isEmpty())
        return nullptr;
    for (const Index &idx : m_indexes) {
        if (idx.def.name.compare(m_indexName, Qt::CaseInsensitive) == 0)
            return const_cast<Index *>(&idx);
    }
    return nullptr;
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
    m_indexName = name;
    if (m_state == State::Browse)
        first();
}

int Table::compareKeys(const Row *row, const std::vector<int> &columns, const QVariantList &key) const
{
    const int n = std::min<int>(static_cast<int>(columns.size()), static_cast<int>(key.size()));
    for (int i = 0; i < n; ++i) {
        const int r = compareValues(row->values[columns[i]], key[i]);
        if (r != 0)
            return r;
    }
    return 0;
}

bool Table::findKey(const QVariantList &key)
{
    checkActive();
    Index *idx = activeIndex();
    if (!idx)
        throw TableError(QStringLiteral("No index active in %1").arg(m_name));
    Row probe;
    probe.seq = 0;
    probe.values.assign(m_fields.size(), QVariant());
    const int n = std::min<int>(static_cast<int>(idx->columns.size()), static_cast<int>(key.size()));
    for (int i = 0; i < n; ++i)
        probe.values[idx->columns[i]] = key[i];
    for (auto it = idx->rows->lower_bound(&probe); it != idx->rows->end(); ++it) {
        if (compareKeys(*it, idx->columns, key) != 0)
            break;
        if (matchesFilter(*it)) {
            moveTo(*it);
            return true;
        }
    }
    return false;
}

void Table::findNearest(const QVariantList &key)
{
    checkActive();
    Index *idx = activeIndex();
    if (!idx)
        throw TableError(QStringLiteral("No index active in %1").arg(m_name));
    Row probe;
    probe.values.assign(m_fields.size(), QVariant());
    const int n = std::min<int>(static_cast<int>(idx->columns.size()), static_cast<int>(key.size()));
    for (int i = 0; i < n; ++i)
        probe.values[idx->columns[i]] = key[i];
    auto it = firstVisible(idx->rows->lower_bound(&probe));
    if (it == idx->rows->end())
        last();
    else
        moveTo(*it);
}

bool Table::locate(const QStringList &fields, const QVariantList &values)
{
    checkActive();
    std::vector<int> cols;
    for (const QString &f : fields) {
        const int c = findFieldIndex(f);
        if (c < 0)
            throw TableError(QStringLiteral("Field '%1' not found in %2").arg(f, m_name));
        cols.push_back(c);
    }
    for (Row *r : order()) {
        if (!matchesFilter(r))
            continue;
        bool all = true;
        for (size_t i = 0; i < cols.size() && all && i < static_cast<size_t>(values.size()); ++i)
            all = compareValues(r->values[cols[i]], values[i]) == 0;
        if (all) {
            moveTo(r);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- filter

void Table::setFilter(const QString &expression)
{
    std::vector<FilterTerm> terms;
    static const QRegularExpression token(
        QStringLiteral(R"(\s*(?:('(?:[^']|'')*')|("(?:[^"]|"")*")|(<>|=)|([^\s='"<>]+)))"));
    QStringList tokens;
    QList<int> kinds; // 0 quoted, 1 operator, 2 word
    qsizetype pos = 0;
    const QString expr = expression.trimmed();
    while (pos < expr.size()) {
        const auto m = token.match(expr, pos, QRegularExpression::NormalMatch,
                                   QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch() || m.capturedLength() == 0)
            throw TableError(QStringLiteral("Filter expression not understood: %1").arg(expression));
        if (m.capturedLength(1) > 0 || m.capturedLength(2) > 0) {
            QString q = m.capturedLength(1) > 0 ? m.captured(1) : m.captured(2);
            const QChar qc = q.front();
            q = q.mid(1, q.size() - 2);
            q.replace(QString(2, qc), QString(qc));
            tokens << q;
            kinds << 0;
        } else if (m.capturedLength(3) > 0) {
            tokens << m.captured(3);
            kinds << 1;
        } else {
            tokens << m.captured(4);
            kinds << 2;
        }
        pos = m.capturedEnd();
        while (pos < expr.size() && expr[pos].isSpace())
            ++pos;
    }
    if (!tokens.isEmpty()) {
        terms.emplace_back();
        int i = 0;
        while (true) {
            if (i + 2 >= tokens.size())
                throw TableError(QStringLiteral("Filter expression not understood: %1").arg(expression));
            if (kinds[i] != 2 || kinds[i + 1] != 1)
                throw TableError(QStringLiteral("Filter expression not understood: %1").arg(expression));
            const int col = findFieldIndex(tokens[i]);
            if (col < 0 && !m_fields.isEmpty())
                throw TableError(QStringLiteral("Field '%1' not found in %2").arg(tokens[i], m_name));
            Condition c{col, tokens[i + 1] == QLatin1String("<>"), QVariant(tokens[i + 2])};
            if (kinds[i + 2] == 2) {
                double d = 0;
                if (parseFloat(tokens[i + 2], d))
                    c.value = d;
            }
            terms.back().conditions.push_back(c);
            i += 3;
            if (i >= tokens.size())
                break;
            const QString joiner = tokens[i].toLower();
            if (kinds[i] != 2 || (joiner != QLatin1String("and") && joiner != QLatin1String("or")) ||
                i + 1 >= tokens.size())
                throw TableError(QStringLiteral("Filter expression not understood: %1").arg(expression));
            if (joiner == QLatin1String("or"))
                terms.emplace_back();
            ++i;
        }
    }
    m_filterText = expression;
    m_filterTerms = std::move(terms);
    if (m_filtered && m_state == State::Browse)
        first();
}

void Table::setFiltered(bool on)
{
    m_filtered = on;
    if (m_state == State::Browse)
        first();
}

bool Table::matchesFilter(const Row *row) const
{
    if (!m_filtered || m_filterTerms.empty())
        return true;
    for (const FilterTerm &term : m_filterTerms) {
        bool all = true;
        for (const Condition &c : term.conditions) {
            if (c.column < 0 || c.column >= static_cast<int>(row->values.size())) {
                all = false;
                break;
            }
            const QVariant &v = row->values[c.column];
            if (!v.isValid()) { // a null equals nothing and differs from nothing
                all = false;
                break;
            }
            const bool equal = compareValues(v, c.value) == 0;
            if (equal == c.notEqual) {
                all = false;
                break;
            }
        }
        if (all)
            return true;
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

void Table::first()
{
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    auto it = firstVisible(order().begin());
    if (it == order().end()) {
        m_current = nullptr;
        m_eof = m_bof = true;
        return;
    }
    m_current = *it;
    m_eof = false;
    m_bof = true;
}

void Table::last()
{
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    RowSet &o = order();
    for (auto it = o.rbegin(); it != o.rend(); ++it) {
        if (matchesFilter(*it)) {
            m_current = *it;
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
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    if (!m_current) {
        m_eof = true;
        return;
    }
    RowSet &o = order();
    auto it = o.find(m_current);
    if (it != o.end())
        it = firstVisible(std::next(it));
    if (it == o.end()) {
        m_eof = true;
        return;
    }
    m_current = *it;
    m_eof = m_bof = false;
}

void Table::prior()
{
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    if (!m_current) {
        m_bof = true;
        return;
    }
    RowSet &o = order();
    auto it = o.find(m_current);
    while (it != o.begin()) {
        --it;
        if (matchesFilter(*it)) {
            m_current = *it;
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

void Table::insert() { append(); }

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
            bool same = true;
            for (int c : idx.columns)
                same = same && compareValues((*it)->values[c], candidate.values[c]) == 0;
            if (!same)
                break;
            if (*it != self)
                throw TableError(QStringLiteral("Key violation in %1 (index %2)").arg(m_name, idx.def.name));
        }
    }
}

void Table::indexInsert(Row *row)
{
    m_rows->insert(row);
    for (Index &idx : m_indexes)
        idx.rows->insert(row);
}

void Table::indexErase(Row *row)
{
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
