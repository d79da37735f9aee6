#pragma once

#include "platform/numbers.h"
#include "platform/table_storage.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <new>
#include <set>
#include <stdexcept>
#include <type_traits>
#include <vector>

// The in-memory table every part of the program keeps its data in: typed fields,
// named indexes that set the walk order and allow key search, "Field = value" filters
// and the row operations append/edit/post/delete. A closed table keeps its rows.
//
// Cursor rules (the table routines walk tables while editing and deleting):
// - post() leaves the cursor on the posted row, at its place in the active order;
// - cancel() of an append returns to the row that was current before;
// - remove() moves the cursor to the row that followed the deleted one in the active
//   order; when the deleted row was the last, eof() becomes true and the cursor stays
//   on the new last row; so `while (!t.eof()) { if (...) t.remove(); else t.next(); }`
//   visits every row once;
// - next() on the last row sets eof() and stays there; prior() on the first sets bof();
// - a post that changes the active index's key moves the row to its new place, and a walk
//   goes on from there (rows between the old and the new place are skipped or met again);
// - a row that a post puts outside the filter stays current until the cursor moves on;
// - navigation, key search, locate and a change of index or filter first post a pending
//   append or edit, so no change is left half made when the cursor moves on.

enum class FieldType { String, Smallint, Integer, AutoInc, Boolean, Float, Unknown };

struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // maximum length of a String field
};

struct IndexDef {
    QString name;
    QString fields; // field names separated by ";"
    bool unique = false;
};

class TableError : public std::runtime_error
{
public:
    explicit TableError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

class Table;

// A view of one field of the current row (or of the row being edited), or of one row that a
// read walk hands out (forEachRow); such a field can only be read.
class Field
{
public:
    Field(Table *table, int index) : m_table(table), m_index(index) {}

    const QString &fieldName() const;
    FieldType dataType() const;
    int size() const;
    int index() const { return m_index; }

    bool isNull() const;
    QVariant value() const; // invalid QVariant for null

    // Conversions never throw: text that is not a number reads as 0.
    QString asString() const;
    int asInteger() const;
    double asFloat() const;
    bool asBoolean() const;

    // Setting needs the table in edit or append state; the value is converted to the
    // field's type, and a String is cut to the field's size. An empty text clears a field
    // that is not a String field.
    void setValue(const QVariant &value);
    void setString(const QString &value);
    void setInteger(int value);
    void setFloat(double value);
    void setBoolean(bool value);
    void clear(); // set to null

private:
    friend class TableRow;
    Field(const Table *table, int index, const TableCell *cells)
        : m_table(const_cast<Table *>(table)), m_index(index), m_cells(cells)
    {
    }
    const TableCell &cell() const;
    TableCell &writableCell() const; // throws for a field of a read walk's row

    Table *m_table;
    int m_index;
    const TableCell *m_cells = nullptr; // the row of a read walk; null: the current row
};

// One stored row as a read walk hands it out; reading it moves no cursor.
class TableRow
{
public:
    Field field(int index) const;
    Field fieldByName(const QString &name) const; // throws TableError when missing
    int findFieldIndex(const QString &name) const;

private:
    friend class Table;
    TableRow(const Table &table, const TableCell *cells) : m_table(table), m_cells(cells) {}
    const Table &m_table;
    const TableCell *m_cells;
};

class Table
{
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Table(QString name = QString());
    ~Table();
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    const QString &name() const { return m_name; }

    // --- definitions (changed while the table is closed; createDataSet applies them)
    QVector<FieldDef> &fieldDefs() { return m_fieldDefs; }
    const QVector<FieldDef> &fieldDefs() const { return m_fieldDefs; }
    void addFieldDef(const QString &name, FieldType type, int size = 0);
    int fieldDefIndex(const QString &name) const; // case-insensitive, -1 when missing
    QVector<IndexDef> &indexDefs() { return m_indexDefs; }
    const QVector<IndexDef> &indexDefs() const { return m_indexDefs; }
    void addIndexDef(const QString &name, const QString &fields, bool unique = false);

    // Throws away all rows and makes the fields from the field definitions; the table
    // is open afterwards. Throws TableError for a field of unknown type.
    void createDataSet();
    // Empties the table but keeps its fields.
    void emptyDataSet();

    // --- state
    void open();
    void close();
    bool active() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    // --- fields of the created table
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    Field field(int index)
    {
        if (index < 0 || index >= m_fields.size())
            throwFieldIndex(index);
        return Field(this, index);
    }
    Field fieldByName(const QString &name);        // throws TableError when missing
    int findFieldIndex(const QString &name) const; // case-insensitive, -1 when missing
    const FieldDef &fieldAt(int index) const { return m_fields[index]; }

    // --- active index and key search
    void setIndexName(const QString &name); // empty: natural (append) order
    const QString &indexName() const { return m_indexName; }
    // Searches the active index for the leading key fields; moves there when found.
    bool findKey(const QVariantList &key);
    // Moves to the first row whose key is not below the given one.
    void findNearest(const QVariantList &key);
    // Linear search in the active order for the given field values.
    bool locate(const QStringList &fields, const QVariantList &values);

    // --- filter
    // "Field = value" comparisons ("<>" too), joined by "and" (binding first) and "or"; values
    // may be quoted with ' or ". Values take the field's type; a null matches no comparison.
    void setFilter(const QString &expression); // throws TableError when it does not parse
    const QString &filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // --- navigation (rows that the filter hides are skipped)
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const;
    int recordCount() const;

    // --- row operations
    void append();
    void insert(); // same as append: new rows take their place from the active order
    void edit();
    void post(); // throws TableError when a unique index already holds the key
    void cancel();
    void remove(); // the current row

    // All rows, whatever the filter.
    int rowCount() const { return m_rowCount; }

    // Reads every stored row, whatever the filter, in the order of the named index (empty: the
    // natural order), and moves neither the cursor nor the active index nor the filter, so a
    // window browsing the table keeps its place. A pending append or edit is not among the
    // rows read. The visit must not change this table; a visit that returns bool stops the
    // walk by returning false. A table never created has no rows; an index name the table
    // does not define throws TableError.
    template <typename Visit> void forEachRow(const QString &index, Visit &&visit) const
    {
        walkRows(index, [&](const TableRow &row) {
            if constexpr (std::is_same_v<std::invoke_result_t<Visit &, const TableRow &>, bool>) {
                return visit(row);
            } else {
                visit(row);
                return true;
            }
        });
    }

    // The file this table was last to be loaded from when that file exists but could not be
    // read (cut short, malformed); empty when the table holds what its file holds. The table
    // is empty then, and the table-file writer refuses to write it over that file, which would
    // lose the rows it could not read. An empty name clears the mark. When only some lines of
    // the file could not be read, the table holds the rows of the others, and firstLine
    // (counted from 1) and lineCount tell which lines were left out.
    void setDamagedFile(const QString &fileName, int firstLine = 0, int lineCount = 0)
    {
        m_damagedFile = fileName;
        m_damagedLine = fileName.isEmpty() ? 0 : firstLine;
        m_damagedLineCount = fileName.isEmpty() ? 0 : lineCount;
    }
    const QString &damagedFile() const { return m_damagedFile; }
    // The first line of the damaged file that was left out, 0 when the whole file was.
    int damagedLine() const { return m_damagedLine; }
    int damagedLineCount() const { return m_damagedLineCount; }

private:
    friend class Field;
    friend class TableRow;
    friend class TableGuard;
    struct Link {
        Link *prev;
        Link *next;
    };
    // A row and its cells, one block of the row pool; the links put it in the natural order.
    struct Row : Link {
        quint64 seq;
        TableCell *cells() { return std::launder(reinterpret_cast<TableCell *>(this + 1)); }
        const TableCell *cells() const { return std::launder(reinterpret_cast<const TableCell *>(this + 1)); }
    };
    struct IndexOrder {
        std::vector<int> columns;
        bool operator()(const Row *a, const Row *b) const;
    };
    using RowSet = std::set<Row *, IndexOrder, PoolAllocator<Row *>>;
    struct Index {
        IndexDef def;
        std::vector<int> columns;
        std::unique_ptr<RowSet> rows;
    };
    // A place in the active order: an iterator of the active index, or a row of the natural
    // ring, whose anchor stands for the end.
    class Place
    {
    public:
        Place() = default;
        Place(RowSet *set, RowSet::iterator it) : m_set(set), m_it(it) {}
        Place(Link *anchor, Link *link) : m_anchor(anchor), m_link(link) {}
        bool atEnd() const { return m_set ? m_it == m_set->end() : m_link == m_anchor; }
        bool atBegin() const { return m_set ? m_it == m_set->begin() : m_link == m_anchor->next; }
        Row *row() const { return m_set ? *m_it : static_cast<Row *>(m_link); }
        void next()
        {
            if (m_set)
                ++m_it;
            else
                m_link = m_link->next;
        }
        void prior()
        {
            if (m_set)
                --m_it;
            else
                m_link = m_link->prev;
        }

    private:
        RowSet *m_set = nullptr;
        RowSet::iterator m_it;
        Link *m_anchor = nullptr;
        Link *m_link = nullptr;
    };
    struct Condition {
        int column;
        bool notEqual;
        TableCell value;
    };
    struct FilterTerm { // conditions joined by "and"; terms joined by "or"
        std::vector<Condition> conditions;
    };
    // A row block handed back to the pool when it goes out of scope (search probes).
    class ScratchRow
    {
    public:
        explicit ScratchRow(Table &table) : m_table(table), m_row(table.newRow()) {}
        ~ScratchRow() { m_table.freeRow(m_row); }
        ScratchRow(const ScratchRow &) = delete;
        ScratchRow &operator=(const ScratchRow &) = delete;
        Row *get() const { return m_row; }

    private:
        Table &m_table;
        Row *m_row;
    };

    [[noreturn]] void throwFieldIndex(int index) const;
    void walkRows(const QString &index, const std::function<bool(const TableRow &)> &visit) const;
    void checkActive() const;
    void checkEditing() const;
    void checkBrowseMode(); // posts a pending append or edit
    std::vector<FilterTerm> parseFilter(const QString &expression) const;
    const TableCell &currentCell(int column) const
    {
        static const TableCell null;
        if (column < 0 || column >= m_fields.size())
            return null;
        if (m_state == State::Edit || m_state == State::Insert)
            return m_buffer->cells()[column];
        return m_current ? m_current->cells()[column] : null;
    }
    TableCell &bufferCell(int column); // throws unless editing
    // A value searched for (key, locate, filter) is not cut to the field's size: a longer
    // text must find nothing rather than a row that holds its first characters.
    enum class Purpose { Store, Search };
    TableCell convert(int column, const QVariant &value, Purpose purpose = Purpose::Store) const;
    bool matchesFilter(const Row *row) const;
    Place beginPlace();
    Place endPlace();
    Place placeOf(Row *row);
    const void *orderKey() const;
    Place firstVisible(Place place) const;
    void moveTo(Row *row);
    void setPosition(const Place &place);
    Place currentPosition();
    void resolveActiveIndex();
    Row *newRow(); // every cell null
    void freeRow(Row *row);
    void linkRow(Row *row);   // at the end of the natural order and into every index
    void unlinkRow(Row *row); // out of every order
    void checkUnique(const Row &candidate, const Row *self) const;
    static int compareRows(const Row *a, const Row *b, const std::vector<int> &columns);
    bool keyProbe(const Index &idx, const QVariantList &key, Row *probe) const;
    Index *activeIndex() const;
    Index *searchIndex(); // the active index for a key search; throws when there is none
    void clearRows();
    std::vector<int> columnsOf(const QString &fields) const;
    std::unique_ptr<RowSet> makeIndexSet(const std::vector<int> &columns);
    void rebuildIndexes();

    // First, so that they outlive the rows and index sets that live in them.
    BlockPool m_rowPool;
    BlockPool m_nodePool;

    QString m_name;
    QVector<FieldDef> m_fieldDefs;
    QVector<IndexDef> m_indexDefs;
    QVector<FieldDef> m_fields;
    bool m_hasStrings = false; // of m_fields: only then do rows hold cells that need destroying
    std::vector<Index> m_indexes;
    Link m_anchor; // the natural (append) order is a ring through every row
    int m_rowCount = 0;
    QString m_indexName;
    int m_activeIndex = -1; // into m_indexes
    // The current row's place in the active index, remembered so a walk costs no search per
    // step; m_posOrder null when unknown.
    const void *m_posOrder = nullptr;
    Place m_pos;
    Row *m_posRow = nullptr;
    QString m_filterText;
    std::vector<FilterTerm> m_filterTerms;
    bool m_filtered = false;
    State m_state = State::Inactive;
    Row *m_current = nullptr;
    bool m_eof = true;
    bool m_bof = true;
    // The row being appended or the values of the row being edited; all null in between.
    Row *m_buffer = nullptr;
    Row *m_beforeAppend = nullptr;
    quint64 m_nextSeq = 1; // never reused, not even by createDataSet: a guard finds its row by it
    quint64 m_removals = 0; // rows unlinked so far: while unchanged, a remembered row still exists
    QString m_damagedFile;
    int m_damagedLine = 0;
    int m_damagedLineCount = 0;
};

// For a routine that must change a table's index, filter or cursor to walk or change every
// row: opens the table, switches its filter off and sets the given index; when it goes out of
// scope, an append or edit the routine left unposted is dropped and the table gets back what
// it is told to restore (all by default): its filter and filter switch, its index, the row the
// cursor stood on and its open state. When that row is gone, or hidden by the filter now, the
// cursor goes to the first row. Routines whose callers expect the order or cursor they leave
// behind restore only the filter.
class TableGuard
{
public:
    enum Restore : unsigned { Filter = 1, Index = 2, Position = 4, OpenState = 8, All = 15 };

    explicit TableGuard(Table &table, unsigned restore = All);
    TableGuard(Table &table, const QString &index, unsigned restore = All);
    ~TableGuard();
    TableGuard(const TableGuard &) = delete;
    TableGuard &operator=(const TableGuard &) = delete;

private:
    void putBack();

    Table &m_table;
    unsigned m_restore;
    bool m_wasOpen;
    QString m_index;
    QString m_filter;
    bool m_filtered;
    Table::Row *m_row;
    quint64 m_rowSeq;
    quint64 m_removals;
    bool m_eof;
    bool m_bof;
};

// The rows of a table as they stood before a change, put back when the change could not be
// written: a change whose file kept its old bytes must not stay in memory, where the next
// save of the table would write it after all, and the editors' lists would no longer agree
// with the table. The rows come back in their natural order; the active index, the filter
// and the open state stay as they are.
class RowsBackup
{
public:
    explicit RowsBackup(Table &table);
    void restore();
    // Puts the rows back unless saved; gives saved.
    bool keepIf(bool saved)
    {
        if (!saved)
            restore();
        return saved;
    }

private:
    Table &m_table;
    std::vector<QVariantList> m_rows;
};

// Puts the rows of the source in place of the target's, its fields matched by name (a field the
// source lacks stays null); the target keeps its fields, indexes, filter and open state.
void replaceRowsFrom(Table &target, const Table &source);

// Walks of whole tables ask these for every cell.
inline const QString &Field::fieldName() const
{
    return m_table->m_fields[m_index].name;
}
inline FieldType Field::dataType() const
{
    return m_table->m_fields[m_index].type;
}
inline int Field::size() const
{
    return m_table->m_fields[m_index].size;
}
inline const TableCell &Field::cell() const
{
    return m_cells ? m_cells[m_index] : m_table->currentCell(m_index);
}
inline bool Field::isNull() const
{
    return cell().isNull();
}
inline double Field::asFloat() const
{
    const TableCell &v = cell();
    if (v.isNumeric())
        return v.number();
    double d = 0;
    return v.kind() == TableCell::Kind::String && parseFloat(v.string(), d) ? d : 0.0;
}
