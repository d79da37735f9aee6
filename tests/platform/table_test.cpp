#include "platform/table.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <algorithm>
#include <ctime>
#include <limits>
#include <ostream>
#include <random>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// Stations-like table: ID unique, a name index, a two-field index.
void defineTable(Table &t)
{
    t.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("Name"), FieldType::String, 8);
    t.addFieldDef(QStringLiteral("LineID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("Number"), FieldType::Smallint);
    t.addFieldDef(QStringLiteral("Active"), FieldType::Boolean);
    t.addFieldDef(QStringLiteral("Value"), FieldType::Float);
    t.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"), true);
    t.addIndexDef(QStringLiteral("idxName"), QStringLiteral("Name"));
    t.addIndexDef(QStringLiteral("idxLine"), QStringLiteral("LineID;Number"));
}

void addRow(Table &t, int id, const QString &name, int line = 0, int number = 0)
{
    t.append();
    t.fieldByName(QStringLiteral("ID")).setInteger(id);
    t.fieldByName(QStringLiteral("Name")).setString(name);
    t.fieldByName(QStringLiteral("LineID")).setInteger(line);
    t.fieldByName(QStringLiteral("Number")).setInteger(number);
    t.post();
}

// The IDs in walk order, from the first row.
QString walk(Table &t, const char *field = "ID")
{
    QStringList ids;
    for (t.first(); !t.eof(); t.next())
        ids << t.fieldByName(QString::fromLatin1(field)).asString();
    return ids.join(QLatin1Char(','));
}

class TableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        defineTable(t);
        t.createDataSet();
    }
    // IDs 1..6 appended in the order 4,2,6,1,5,3; lines 1 and 2 with numbers.
    void fill()
    {
        addRow(t, 4, QStringLiteral("Dora"), 2, 1);
        addRow(t, 2, QStringLiteral("Bert"), 1, 2);
        addRow(t, 6, QStringLiteral("Fritz"), 2, 3);
        addRow(t, 1, QStringLiteral("Anna"), 1, 1);
        addRow(t, 5, QStringLiteral("Emil"), 2, 2);
        addRow(t, 3, QStringLiteral("Bert"), 1, 3);
    }
    Table t{QStringLiteral("cdsTest")};
};

TEST_F(TableTest, FieldsHoldTypedValuesAndNullIsNotEmptyText)
{
    EXPECT_TRUE(t.active());
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(t.fieldCount(), 6);

    t.append();
    t.field(0).setInteger(7);
    t.fieldByName(QStringLiteral("name")).setString(QString()); // names without case
    t.fieldByName(QStringLiteral("Number")).setString(QStringLiteral("12"));
    t.fieldByName(QStringLiteral("Active")).setBoolean(true);
    t.fieldByName(QStringLiteral("Value")).setFloat(2.5);
    t.post();

    EXPECT_EQ(t.field(0).asInteger(), 7);
    EXPECT_FALSE(t.fieldByName(QStringLiteral("Name")).isNull()); // the empty text
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QString());
    EXPECT_TRUE(t.fieldByName(QStringLiteral("LineID")).isNull()); // never set
    EXPECT_EQ(t.fieldByName(QStringLiteral("LineID")).asInteger(), 0);
    EXPECT_EQ(t.fieldByName(QStringLiteral("Number")).asInteger(), 12);
    EXPECT_EQ(t.fieldByName(QStringLiteral("Active")).asString(), QStringLiteral("True"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("Value")).asString(), QStringLiteral("2.5"));
    EXPECT_EQ(t.fieldByName(QStringLiteral("Value")).dataType(), FieldType::Float);

    t.edit();
    t.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("Abcdefghijk"));
    t.fieldByName(QStringLiteral("Number")).setString(QString()); // empty text clears a number
    t.fieldByName(QStringLiteral("Active")).clear();
    EXPECT_THROW(t.fieldByName(QStringLiteral("Number")).setInteger(40000), TableError);
    EXPECT_THROW(t.fieldByName(QStringLiteral("LineID")).setString(QStringLiteral("x1")), TableError);
    EXPECT_THROW(t.fieldByName(QStringLiteral("Value")).setString(QStringLiteral("1,5")), TableError);
    t.post();
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Abcdefgh")); // cut to size 8
    EXPECT_TRUE(t.fieldByName(QStringLiteral("Number")).isNull());
    EXPECT_TRUE(t.fieldByName(QStringLiteral("Active")).isNull());

    EXPECT_THROW(t.fieldByName(QStringLiteral("Missing")), TableError);
    EXPECT_THROW(t.field(6), TableError);
    EXPECT_THROW(t.fieldByName(QStringLiteral("ID")).setInteger(1), TableError); // not editing
    EXPECT_THROW(t.setIndexName(QStringLiteral("idxNone")), TableError);
}

TEST_F(TableTest, CloseKeepsRowsAndCreateEmptiesButKeepsDefinitions)
{
    fill();
    t.close();
    EXPECT_FALSE(t.active());
    EXPECT_THROW(t.append(), TableError);
    t.open();
    EXPECT_EQ(t.recordCount(), 6);
    EXPECT_EQ(walk(t), QStringLiteral("4,2,6,1,5,3")); // natural order is append order

    t.setIndexName(QStringLiteral("idxID"));
    t.createDataSet();
    t.createDataSet();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_EQ(t.fieldCount(), 6);
    EXPECT_EQ(t.indexName(), QStringLiteral("idxID"));
    addRow(t, 1, QStringLiteral("A"));
    EXPECT_THROW(addRow(t, 1, QStringLiteral("B")), TableError); // the unique index is back
}

TEST_F(TableTest, IndexesSetTheWalkOrder)
{
    fill();
    t.setIndexName(QStringLiteral("idxID"));
    EXPECT_EQ(walk(t), QStringLiteral("1,2,3,4,5,6"));
    // Equal names keep the order in which they were added.
    t.setIndexName(QStringLiteral("IDXNAME"));
    EXPECT_EQ(walk(t), QStringLiteral("1,2,3,4,5,6"));
    t.setIndexName(QStringLiteral("idxLine"));
    EXPECT_EQ(walk(t), QStringLiteral("1,2,3,4,5,6"));
    t.setIndexName(QString());
    EXPECT_EQ(walk(t), QStringLiteral("4,2,6,1,5,3"));

    // Backwards, with bof and eof.
    t.setIndexName(QStringLiteral("idxID"));
    t.last();
    EXPECT_TRUE(t.eof());
    QStringList back;
    for (; !t.bof(); t.prior())
        back << t.field(0).asString();
    EXPECT_EQ(back.join(QLatin1Char(',')), QStringLiteral("6,5,4,3,2,1"));
    EXPECT_EQ(t.field(0).asInteger(), 1);
    t.next();
    EXPECT_FALSE(t.bof());
    EXPECT_EQ(t.field(0).asInteger(), 2);

    // An index added after creation takes the rows it finds; one on a missing field is refused.
    t.addIndexDef(QStringLiteral("idxNumber"), QStringLiteral("Number;ID"));
    t.setIndexName(QStringLiteral("idxNumber"));
    EXPECT_EQ(walk(t), QStringLiteral("1,4,2,5,3,6"));
    EXPECT_THROW(t.addIndexDef(QStringLiteral("idxBad"), QStringLiteral("Nope")), TableError);
    EXPECT_EQ(t.indexDefs().size(), 4);
    t.createDataSet(); // still creates: the refused index left no definition behind
}

TEST_F(TableTest, NumbersSortByValueAndNullsFirst)
{
    addRow(t, 10, QStringLiteral("x"));
    addRow(t, 9, QStringLiteral("y"));
    addRow(t, -3, QStringLiteral("z"));
    t.append();
    t.field(0).setInteger(100);
    t.post(); // Name null
    t.setIndexName(QStringLiteral("idxID"));
    EXPECT_EQ(walk(t), QStringLiteral("-3,9,10,100")); // not "10" before "9"
    t.setIndexName(QStringLiteral("idxName"));
    EXPECT_EQ(walk(t), QStringLiteral("100,10,9,-3"));
}

TEST_F(TableTest, FindKeySearchesTheActiveIndexAlsoByPartialKey)
{
    fill();
    EXPECT_THROW(t.findKey({1}), TableError); // no active index

    t.setIndexName(QStringLiteral("idxID"));
    ASSERT_TRUE(t.findKey({5}));
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Emil"));
    EXPECT_TRUE(t.findKey({QStringLiteral("3")})); // text of a number
    EXPECT_EQ(t.field(0).asInteger(), 3);
    EXPECT_FALSE(t.findKey({7}));
    EXPECT_EQ(t.field(0).asInteger(), 3); // a failed search does not move
    EXPECT_FALSE(t.findKey({QStringLiteral("abc")}));

    t.setIndexName(QStringLiteral("idxName"));
    ASSERT_TRUE(t.findKey({QStringLiteral("Bert")}));
    EXPECT_EQ(t.field(0).asInteger(), 2); // the first of two
    t.next();
    EXPECT_EQ(t.field(0).asInteger(), 3);
    EXPECT_FALSE(t.findKey({QStringLiteral("bert")})); // case counts
    EXPECT_FALSE(t.findKey({QStringLiteral("Ber")}));  // no prefix match

    // A text longer than the field finds nothing, not the row holding its first characters.
    addRow(t, 7, QStringLiteral("Abcdefghij")); // stored cut to 8
    EXPECT_FALSE(t.findKey({QStringLiteral("Abcdefghij")}));
    EXPECT_FALSE(t.locate({QStringLiteral("Name")}, {QStringLiteral("Abcdefghij")}));
    t.setFilter(QStringLiteral("Name = 'Abcdefghij'"));
    t.setFiltered(true);
    EXPECT_TRUE(t.isEmpty());
    t.setFiltered(false);
    ASSERT_TRUE(t.findKey({QStringLiteral("Abcdefgh")}));
    t.remove();

    t.setIndexName(QStringLiteral("idxLine"));
    ASSERT_TRUE(t.findKey({2})); // first row of line 2 by number
    EXPECT_EQ(t.field(0).asInteger(), 4);
    ASSERT_TRUE(t.findKey({1, 3}));
    EXPECT_EQ(t.field(0).asInteger(), 3);
    EXPECT_FALSE(t.findKey({1, 4}));
    EXPECT_FALSE(t.findKey({3}));
    ASSERT_TRUE(t.findKey({2, 3, 99})); // more values than index fields
    EXPECT_EQ(t.field(0).asInteger(), 6);

    // Rows that the filter hides are not found.
    t.setFilter(QStringLiteral("Name <> 'Dora'"));
    t.setFiltered(true);
    ASSERT_TRUE(t.findKey({2}));
    EXPECT_EQ(t.field(0).asInteger(), 5);

    t.findNearest({1, 0});
    EXPECT_EQ(t.field(0).asInteger(), 1);
    EXPECT_TRUE(t.locate({QStringLiteral("Name"), QStringLiteral("LineID")}, {QStringLiteral("Bert"), 1}));
    EXPECT_EQ(t.field(0).asInteger(), 2);
    EXPECT_FALSE(t.locate({QStringLiteral("Name")}, {QStringLiteral("Dora")}));
}

TEST_F(TableTest, SearchWhileEditingPostsTheEditFirst)
{
    fill();
    t.setIndexName(QStringLiteral("idxID"));
    ASSERT_TRUE(t.findKey({2}));
    t.edit();
    t.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("Berta"));
    ASSERT_TRUE(t.findKey({5})); // must not write "Berta" over row 5
    EXPECT_EQ(t.state(), Table::State::Browse);
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Emil"));
    ASSERT_TRUE(t.findKey({2}));
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Berta"));

    t.append();
    t.field(0).setInteger(7);
    t.setIndexName(QStringLiteral("idxName")); // posts the new row
    EXPECT_EQ(t.recordCount(), 7);
    t.edit();
    t.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("Zoe"));
    t.setFilter(QStringLiteral("LineID = 1"));
    EXPECT_TRUE(t.locate({QStringLiteral("Name")}, {QStringLiteral("Zoe")}));
}

TEST_F(TableTest, FiltersCompareFieldsWithValues)
{
    fill();
    t.setIndexName(QStringLiteral("idxID"));
    auto filtered = [this](const QString &expression) {
        t.setFilter(expression);
        t.setFiltered(true);
        const QString ids = walk(t);
        EXPECT_EQ(t.recordCount(), ids.isEmpty() ? 0 : static_cast<int>(ids.count(QLatin1Char(',')) + 1));
        return ids;
    };
    EXPECT_EQ(filtered(QStringLiteral("LineID = 1")), QStringLiteral("1,2,3"));
    EXPECT_EQ(filtered(QStringLiteral("LineID = 2 and Number = 2")), QStringLiteral("5"));
    EXPECT_EQ(filtered(QStringLiteral("LineID=2 AND Number=2")), QStringLiteral("5"));
    EXPECT_EQ(filtered(QStringLiteral("ID = 1 or ID = 6")), QStringLiteral("1,6"));
    EXPECT_EQ(filtered(QStringLiteral("LineID = 1 and Number = 1 or LineID = 2 and Number = 3")),
              QStringLiteral("1,6"));
    EXPECT_EQ(filtered(QStringLiteral("LineID <> 1")), QStringLiteral("4,5,6"));
    EXPECT_EQ(filtered(QStringLiteral("Name = 'Bert'")), QStringLiteral("2,3"));
    EXPECT_EQ(filtered(QStringLiteral("Name = \"Bert\" and ID <> 2")), QStringLiteral("3"));
    EXPECT_EQ(filtered(QStringLiteral("LineID = '2' and Number = 1")), QStringLiteral("4"));
    EXPECT_EQ(filtered(QStringLiteral("LineID = 3")), QString());
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.isEmpty());

    // Quoted values with blanks and doubled quotes; texts compare as texts.
    addRow(t, 7, QStringLiteral("O'Neil"), 3);
    addRow(t, 8, QStringLiteral("05"), 3);
    addRow(t, 9, QStringLiteral("a b"), 3);
    EXPECT_EQ(filtered(QStringLiteral("Name = 'O''Neil'")), QStringLiteral("7"));
    EXPECT_EQ(filtered(QStringLiteral("Name = 5")), QString());
    EXPECT_EQ(filtered(QStringLiteral("Name = 05")), QStringLiteral("8"));
    EXPECT_EQ(filtered(QStringLiteral("Name = 'a b'")), QStringLiteral("9"));

    // A null matches neither "=" nor "<>".
    t.setFiltered(false);
    ASSERT_TRUE(t.findKey({9}));
    t.edit();
    t.fieldByName(QStringLiteral("LineID")).clear();
    t.post();
    EXPECT_EQ(filtered(QStringLiteral("LineID <> 1 and LineID <> 2")), QStringLiteral("7,8"));

    for (const char *bad : {"LineID", "LineID =", "LineID = 1 and", "LineID = 1 xor ID = 2", "Nope = 1", "LineID = abc",
                            "= 1", "LineID = 'open"}) {
        EXPECT_THROW(t.setFilter(QString::fromLatin1(bad)), TableError) << bad;
    }
    EXPECT_EQ(t.filter(), QStringLiteral("LineID <> 1 and LineID <> 2")); // a refused filter changes nothing

    t.setFilter(QString());
    EXPECT_EQ(t.recordCount(), 9);
    t.setFilter(QStringLiteral("LineID = 1"));
    t.setFiltered(false);
    EXPECT_EQ(t.recordCount(), 9);
}

TEST_F(TableTest, FilterSetBeforeTheFieldsExistAppliesToTheCreatedFields)
{
    Table u;
    u.setFilter(QStringLiteral("B = 2"));
    u.setFiltered(true);
    u.addFieldDef(QStringLiteral("A"), FieldType::Integer);
    u.addFieldDef(QStringLiteral("B"), FieldType::Integer);
    u.createDataSet();
    for (int i = 1; i <= 3; ++i) {
        u.append();
        u.field(0).setInteger(i);
        u.field(1).setInteger(i);
        u.post();
    }
    EXPECT_EQ(walk(u, "A"), QStringLiteral("2"));

    // New fields at other places: the filter follows the name.
    u.close();
    u.fieldDefs().clear();
    u.addFieldDef(QStringLiteral("B"), FieldType::Integer);
    u.addFieldDef(QStringLiteral("A"), FieldType::Integer);
    u.createDataSet();
    u.append();
    u.field(0).setInteger(2);
    u.field(1).setInteger(5);
    u.post();
    u.append();
    u.field(0).setInteger(5);
    u.field(1).setInteger(2);
    u.post();
    EXPECT_EQ(walk(u, "A"), QStringLiteral("5"));
}

TEST_F(TableTest, DeletingWhileWalkingVisitsEveryRowOnce)
{
    fill();
    t.setIndexName(QStringLiteral("idxID"));
    QStringList seen;
    t.first();
    while (!t.eof()) {
        const int id = t.field(0).asInteger();
        seen << QString::number(id);
        if (id % 2 == 0)
            t.remove();
        else
            t.next();
    }
    EXPECT_EQ(seen.join(QLatin1Char(',')), QStringLiteral("1,2,3,4,5,6"));
    EXPECT_EQ(walk(t), QStringLiteral("1,3,5"));

    // Deleting the last row: eof, and the cursor on the new last row.
    t.last();
    t.remove();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.field(0).asInteger(), 3);
    t.prior();
    EXPECT_EQ(t.field(0).asInteger(), 1);

    // Deleting everything from the front.
    t.first();
    while (!t.eof())
        t.remove();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_TRUE(t.bof());
    EXPECT_TRUE(t.field(0).isNull());
    EXPECT_THROW(t.remove(), TableError);
}

TEST_F(TableTest, DeletingUnderAFilterAndBySearch)
{
    fill();
    t.setIndexName(QStringLiteral("idxLine"));
    t.setFilter(QStringLiteral("LineID = 2"));
    t.setFiltered(true);
    ASSERT_TRUE(t.findKey({2, 2}));
    t.remove(); // the following row of the filter
    EXPECT_EQ(t.field(0).asInteger(), 6);
    t.remove(); // the last row of the filter
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.field(0).asInteger(), 4);
    t.remove();
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.isEmpty());
    t.setFiltered(false);
    EXPECT_EQ(walk(t), QStringLiteral("1,2,3"));

    // Search and delete until none is left.
    t.setIndexName(QStringLiteral("idxName"));
    int deleted = 0;
    while (t.findKey({QStringLiteral("Bert")})) {
        t.remove();
        ++deleted;
    }
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(walk(t), QStringLiteral("1"));
}

TEST_F(TableTest, EditOfTheActiveKeyMovesTheRow)
{
    fill();
    t.setIndexName(QStringLiteral("idxID"));
    ASSERT_TRUE(t.findKey({2}));
    t.edit();
    t.field(0).setInteger(10);
    t.post();
    EXPECT_EQ(t.field(0).asInteger(), 10); // the cursor stays on the posted row
    EXPECT_TRUE(t.findKey({10}));
    EXPECT_FALSE(t.findKey({2}));
    EXPECT_EQ(walk(t), QStringLiteral("1,3,4,5,6,10"));
    t.setIndexName(QStringLiteral("idxName"));
    ASSERT_TRUE(t.findKey({QStringLiteral("Bert")}));
    EXPECT_EQ(t.field(0).asInteger(), 10); // keeps its place among equal names

    // Lowering the numbers of a line while walking it in number order keeps the order.
    t.setIndexName(QStringLiteral("idxLine"));
    t.setFilter(QStringLiteral("LineID = 2"));
    t.setFiltered(true);
    for (t.first(); !t.eof(); t.next()) {
        t.edit();
        t.fieldByName(QStringLiteral("Number")).setInteger(t.fieldByName(QStringLiteral("Number")).asInteger() - 1);
        t.post();
    }
    EXPECT_EQ(walk(t, "Number"), QStringLiteral("0,1,2"));

    // Next after a post that moved the row forward goes on from the new place.
    t.setFiltered(false);
    t.setIndexName(QStringLiteral("idxID"));
    t.first();
    t.edit();
    t.field(0).setInteger(7);
    t.next();
    EXPECT_EQ(t.field(0).asInteger(), 10);
}

TEST_F(TableTest, CancelRestoresRowAndCursor)
{
    fill();
    t.setIndexName(QStringLiteral("idxID"));
    ASSERT_TRUE(t.findKey({3}));
    t.append();
    t.field(0).setInteger(99);
    EXPECT_EQ(t.field(0).asInteger(), 99);
    t.cancel();
    EXPECT_EQ(t.recordCount(), 6);
    EXPECT_EQ(t.field(0).asInteger(), 3);

    t.edit();
    t.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("X"));
    t.field(0).setInteger(50);
    t.cancel();
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Bert"));
    EXPECT_TRUE(t.findKey({3}));
    EXPECT_FALSE(t.findKey({50}));

    // Delete while appending throws the new row away; close drops a pending edit.
    t.append();
    t.remove();
    EXPECT_EQ(t.recordCount(), 6);
    t.edit();
    t.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("Y"));
    t.close();
    t.open();
    EXPECT_TRUE(t.findKey({3}));
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Bert"));

    // Edit on an empty table appends.
    Table u;
    defineTable(u);
    u.createDataSet();
    u.edit();
    EXPECT_EQ(u.state(), Table::State::Insert);
}

// The IDs a read walk visits in the given order.
QString readIDs(const Table &t, const QString &index)
{
    QStringList ids;
    t.forEachRow(index, [&](const TableRow &row) { ids << row.fieldByName(QStringLiteral("ID")).asString(); });
    return ids.join(QLatin1Char(','));
}

TEST_F(TableTest, ReadWalkSeesEveryRowAndMovesNothing)
{
    fill();
    t.setIndexName(QStringLiteral("idxName"));
    t.setFilter(QStringLiteral("LineID = 2"));
    t.setFiltered(true);
    ASSERT_TRUE(t.findKey({QStringLiteral("Emil")}));
    t.next();
    ASSERT_EQ(t.field(0).asInteger(), 6);

    // Every row, whatever the filter, in the order asked for.
    EXPECT_EQ(readIDs(t, QStringLiteral("idxID")), QStringLiteral("1,2,3,4,5,6"));
    EXPECT_EQ(readIDs(t, QStringLiteral("idxLine")), QStringLiteral("1,2,3,4,5,6"));
    EXPECT_EQ(readIDs(t, QString()), QStringLiteral("4,2,6,1,5,3"));
    EXPECT_EQ(readIDs(t, QStringLiteral("IDXNAME")), QStringLiteral("1,2,3,4,5,6"));

    // A visit that answers false stops the walk.
    int visited = 0;
    t.forEachRow(QStringLiteral("idxID"), [&](const TableRow &row) {
        ++visited;
        return row.field(0).asInteger() < 3;
    });
    EXPECT_EQ(visited, 3);

    // Cursor, index and filter stand as before; the walk goes on from the row it stood on.
    EXPECT_EQ(t.field(0).asInteger(), 6);
    EXPECT_FALSE(t.eof());
    EXPECT_EQ(t.indexName(), QStringLiteral("idxName"));
    EXPECT_TRUE(t.filtered());
    EXPECT_EQ(t.filter(), QStringLiteral("LineID = 2"));
    t.next();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(walk(t), QStringLiteral("4,5,6"));
}

TEST_F(TableTest, ReadWalkRowsAreReadOnlyAndPendingChangesAreNotRead)
{
    fill();
    ASSERT_TRUE(t.active());
    t.setIndexName(QStringLiteral("idxID"));
    ASSERT_TRUE(t.findKey({2}));
    t.edit();
    t.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("Xaver"));
    QStringList names;
    t.forEachRow(QStringLiteral("idxID"), [&](const TableRow &row) {
        names << row.fieldByName(QStringLiteral("Name")).asString();
        EXPECT_THROW(row.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("Z")), TableError);
        EXPECT_THROW(row.field(0).clear(), TableError);
    });
    EXPECT_EQ(names.join(QLatin1Char(',')), QStringLiteral("Anna,Bert,Bert,Dora,Emil,Fritz"));
    EXPECT_EQ(t.state(), Table::State::Edit); // the edit goes on
    t.post();
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Xaver"));

    t.forEachRow(QString(), [&](const TableRow &row) {
        EXPECT_THROW(row.field(6), TableError);
        EXPECT_THROW(row.fieldByName(QStringLiteral("Nope")), TableError);
        EXPECT_EQ(row.findFieldIndex(QStringLiteral("lineid")), 2);
        return false;
    });
    EXPECT_THROW(readIDs(t, QStringLiteral("idxNope")), TableError);

    // A closed table keeps its rows and is read as it is; one never created has none.
    t.close();
    EXPECT_EQ(readIDs(t, QStringLiteral("idxID")), QStringLiteral("1,2,3,4,5,6"));
    EXPECT_FALSE(t.active());
    Table never;
    defineTable(never);
    EXPECT_EQ(readIDs(never, QStringLiteral("idxID")), QString());
    EXPECT_EQ(readIDs(never, QString()), QString());
    EXPECT_FALSE(never.active());
}

TEST_F(TableTest, GuardPutsIndexFilterAndPositionBack)
{
    fill();
    t.setIndexName(QStringLiteral("idxName"));
    t.setFilter(QStringLiteral("LineID = 1"));
    t.setFiltered(true);
    ASSERT_TRUE(t.findKey({QStringLiteral("Bert")}));
    t.next();
    ASSERT_EQ(t.field(0).asInteger(), 3);
    {
        TableGuard guard(t, QStringLiteral("idxID"));
        EXPECT_FALSE(t.filtered());
        EXPECT_EQ(t.indexName(), QStringLiteral("idxID"));
        EXPECT_EQ(walk(t), QStringLiteral("1,2,3,4,5,6"));
        ASSERT_TRUE(t.findKey({4}));
        t.edit();
        t.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("Doris"));
        t.post();
        t.setFilter(QStringLiteral("LineID = 2"));
        t.setFiltered(true);
        t.setIndexName(QStringLiteral("idxLine"));
        ASSERT_TRUE(t.findKey({2, 3}));
        addRow(t, 7, QStringLiteral("Gustav"), 1, 4);
    }
    EXPECT_EQ(t.indexName(), QStringLiteral("idxName"));
    EXPECT_EQ(t.filter(), QStringLiteral("LineID = 1"));
    EXPECT_TRUE(t.filtered());
    EXPECT_EQ(t.field(0).asInteger(), 3); // the second Bert, as before
    EXPECT_FALSE(t.eof());
    t.next();
    EXPECT_EQ(t.field(0).asInteger(), 7); // the walk goes on in the restored order and filter
    EXPECT_EQ(walk(t), QStringLiteral("1,2,3,7"));

    // A cursor past the last row comes back there.
    t.last();
    t.next();
    ASSERT_TRUE(t.eof());
    {
        TableGuard guard(t);
        t.first();
    }
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.field(0).asInteger(), 7);
}

TEST_F(TableTest, GuardGoesToTheFirstRowWhenItsRowWasDeleted)
{
    fill();
    t.setIndexName(QStringLiteral("idxID"));
    ASSERT_TRUE(t.findKey({4}));
    {
        TableGuard guard(t, QStringLiteral("idxName"));
        ASSERT_TRUE(t.findKey({QStringLiteral("Dora")}));
        t.remove();
        // A new row may take the deleted row's memory: it is not the row the cursor stood on.
        addRow(t, 8, QStringLiteral("Hugo"));
    }
    EXPECT_EQ(t.indexName(), QStringLiteral("idxID"));
    EXPECT_EQ(t.field(0).asInteger(), 1);
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(walk(t), QStringLiteral("1,2,3,5,6,8"));

    // The table made anew: the rows are others even where their values are the same.
    ASSERT_TRUE(t.findKey({2}));
    {
        TableGuard guard(t);
        t.createDataSet();
        fill();
    }
    EXPECT_EQ(t.field(0).asInteger(), 1);

    // A row that the filter hides now is not gone back to.
    t.setFilter(QStringLiteral("LineID = 2"));
    t.setFiltered(true);
    ASSERT_TRUE(t.findKey({6}));
    {
        TableGuard guard(t);
        ASSERT_TRUE(t.findKey({6}));
        t.edit();
        t.fieldByName(QStringLiteral("LineID")).setInteger(1);
        t.post();
    }
    EXPECT_EQ(t.field(0).asInteger(), 4);
    EXPECT_EQ(walk(t), QStringLiteral("4,5"));
}

TEST_F(TableTest, GuardDropsAnUnpostedChangeAndRestoresOnlyWhatItIsTold)
{
    fill();
    t.setIndexName(QStringLiteral("idxID"));
    t.setFilter(QStringLiteral("LineID = 2"));
    t.setFiltered(true);
    t.close();
    try {
        TableGuard guard(t, QStringLiteral("idxName"));
        EXPECT_TRUE(t.active());
        t.append();
        t.field(0).setInteger(9);
        throw TableError(QStringLiteral("write failed"));
    } catch (const TableError &) {
    }
    EXPECT_FALSE(t.active());
    EXPECT_EQ(t.state(), Table::State::Inactive);
    EXPECT_EQ(t.rowCount(), 6);
    EXPECT_EQ(t.indexName(), QStringLiteral("idxID"));

    // Filter only: the index and the cursor stay where the routine left them.
    t.open();
    {
        TableGuard guard(t, TableGuard::Filter);
        t.setIndexName(QStringLiteral("idxName"));
        ASSERT_TRUE(t.findKey({QStringLiteral("Anna")}));
    }
    EXPECT_EQ(t.indexName(), QStringLiteral("idxName"));
    EXPECT_TRUE(t.filtered());
    EXPECT_EQ(t.field(0).asInteger(), 4); // the filter switched back on starts from the first row

    // An index the table does not know: nothing has changed.
    ASSERT_TRUE(t.findKey({QStringLiteral("Fritz")}));
    EXPECT_THROW(TableGuard(t, QStringLiteral("idxNope")), TableError);
    EXPECT_EQ(t.indexName(), QStringLiteral("idxName"));
    EXPECT_TRUE(t.filtered());
    EXPECT_EQ(t.field(0).asInteger(), 6);
}

TEST_F(TableTest, UniqueViolationLeavesTheTableUnchanged)
{
    fill();
    t.setIndexName(QStringLiteral("idxName"));
    ASSERT_TRUE(t.findKey({QStringLiteral("Emil")}));
    t.append();
    t.field(0).setInteger(4);
    t.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("Dup"));
    EXPECT_THROW(t.post(), TableError);
    EXPECT_EQ(t.state(), Table::State::Insert); // the caller decides: fix the key or cancel
    t.cancel();
    EXPECT_EQ(t.recordCount(), 6);
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Emil"));
    t.setIndexName(QStringLiteral("idxID"));
    EXPECT_EQ(walk(t, "Name"), QStringLiteral("Anna,Bert,Bert,Dora,Emil,Fritz"));

    ASSERT_TRUE(t.findKey({5}));
    t.edit();
    t.field(0).setInteger(1);
    EXPECT_THROW(t.post(), TableError);
    t.cancel();
    EXPECT_EQ(walk(t), QStringLiteral("1,2,3,4,5,6"));
    ASSERT_TRUE(t.findKey({5}));
    t.edit();
    t.fieldByName(QStringLiteral("Name")).setString(QStringLiteral("Emma")); // own key again is fine
    t.post();
    EXPECT_EQ(t.fieldByName(QStringLiteral("Name")).asString(), QStringLiteral("Emma"));

    // A non-unique index takes equal keys.
    t.setIndexName(QStringLiteral("idxLine"));
    addRow(t, 7, QStringLiteral("Gus"), 1, 1);
    EXPECT_EQ(t.recordCount(), 7);
}

// Random appends, key edits, deletes and walks, checked against a plain list of rows.
TEST(TableModel, RandomChangesKeepEveryOrderAndTheCursorRight)
{
    struct Row {
        int id, group, seq;
    };
    std::vector<Row> model;
    Table t;
    t.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("G"), FieldType::Integer);
    t.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"), true);
    t.addIndexDef(QStringLiteral("idxG"), QStringLiteral("G"));
    t.createDataSet();
    const QStringList orders{QString(), QStringLiteral("idxID"), QStringLiteral("idxG")};
    auto sorted = [&](const QString &order) {
        std::vector<Row> rows = model;
        std::stable_sort(rows.begin(), rows.end(), [&](const Row &a, const Row &b) {
            if (order == QLatin1String("idxID"))
                return a.id < b.id;
            if (order == QLatin1String("idxG"))
                return a.group != b.group ? a.group < b.group : a.seq < b.seq;
            return a.seq < b.seq;
        });
        return rows;
    };
    std::mt19937 random(17);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    int seq = 0;
    for (int step = 0; step < 3000; ++step) {
        const int op = pick(10);
        const int id = pick(300);
        const bool exists = std::any_of(model.begin(), model.end(), [&](const Row &r) { return r.id == id; });
        if (op < 4 && !exists) {
            const int group = pick(8);
            t.append();
            t.field(0).setInteger(id);
            t.field(1).setInteger(group);
            t.post();
            model.push_back({id, group, seq++});
            ASSERT_EQ(t.field(0).asInteger(), id);
        } else if (op < 7) {
            t.setIndexName(orders[pick(3)]);
            const QString order = t.indexName();
            t.setIndexName(QStringLiteral("idxID"));
            const bool found = t.findKey({id});
            ASSERT_EQ(found, exists);
            t.setIndexName(order); // back to the order of the walk: the cursor goes to the first row
            if (!found || !t.locate({QStringLiteral("ID")}, {id}))
                continue;
            auto it = std::find_if(model.begin(), model.end(), [&](const Row &r) { return r.id == id; });
            if (op == 4) { // delete: the cursor goes to the following row of the order
                const std::vector<Row> before = sorted(order);
                const auto at = std::find_if(before.begin(), before.end(), [&](const Row &r) { return r.id == id; });
                t.remove();
                model.erase(it);
                if (at + 1 == before.end()) {
                    ASSERT_TRUE(t.eof());
                } else {
                    ASSERT_FALSE(t.eof());
                    ASSERT_EQ(t.field(0).asInteger(), (at + 1)->id);
                }
            } else { // new group, or a new unused ID
                t.edit();
                const int group = pick(8);
                t.field(1).setInteger(group);
                it->group = group;
                const int newId = 1000 + step;
                if (op == 6) {
                    t.field(0).setInteger(newId);
                    it->id = newId;
                }
                t.post();
                ASSERT_EQ(t.field(0).asInteger(), it->id);
            }
        } else { // a few steps of a walk, forwards and back, from the current row
            for (int k = 0; k < 3 && !t.eof(); ++k)
                pick(2) ? t.next() : t.prior();
        }
        if (step % 100 == 0 || step == 2999) {
            for (const QString &order : orders) {
                t.setIndexName(order);
                QStringList expected;
                for (const Row &r : sorted(order))
                    expected << QString::number(r.id);
                ASSERT_EQ(walk(t), expected.join(QLatin1Char(','))) << step;
            }
        }
    }
    EXPECT_GT(model.size(), 50u);
}

// A table keyed by ID, filled with the given keys in their order.
void fillByID(Table &t, const std::vector<int> &keys, int count)
{
    t.fieldDefs().clear();
    t.indexDefs().clear();
    t.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("Text"), FieldType::String, 20);
    t.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"), true);
    t.createDataSet();
    t.setIndexName(QStringLiteral("idxID"));
    for (int i = 0; i < count; ++i) {
        t.append();
        t.field(0).setInteger(keys[i]);
        t.field(1).setString(QString::number(keys[i]));
        t.post();
    }
}

// The processor time this thread spent on filling count rows, the least of three runs: other
// work on the machine neither adds to it nor makes it jump.
qint64 fillNanos(const std::vector<int> &keys, int count)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 3; ++run) {
        Table t;
        timespec from{}, to{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &from);
        fillByID(t, keys, count);
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &to);
        best = std::min<qint64>(best, (to.tv_sec - from.tv_sec) * 1'000'000'000LL + to.tv_nsec - from.tv_nsec);
    }
    return best;
}

TEST(TableVolume, HundredThousandRowsInRandomKeyOrder)
{
    constexpr int n = 100000;
    std::vector<int> keys(n);
    for (int i = 0; i < n; ++i)
        keys[i] = i * 3 + 1;
    std::mt19937 random(4711);
    std::shuffle(keys.begin(), keys.end(), random);

    // A tenth of the rows and then all of them: appends that keep the index in order take
    // about ten times as long for ten times the rows (a little more), appends whose cost grows
    // with the table's size a hundred times.
    const qint64 tenth = std::max<qint64>(fillNanos(keys, n / 10), 1'000'000);
    const qint64 all = fillNanos(keys, n);
    EXPECT_LT(all, 40 * tenth) << tenth / 1000 << " us for a tenth, " << all / 1000 << " us for all";

    Table t;
    fillByID(t, keys, n);
    ASSERT_EQ(t.recordCount(), n);

    int count = 0;
    int previous = 0;
    bool ordered = true;
    for (t.first(); !t.eof(); t.next()) {
        const int k = t.field(0).asInteger();
        ordered = ordered && k > previous;
        previous = k;
        ++count;
    }
    EXPECT_EQ(count, n);
    EXPECT_TRUE(ordered);

    int found = 0;
    for (int k : keys)
        found += t.findKey({k}) && t.field(1).asInteger() == k ? 1 : 0;
    EXPECT_EQ(found, n);
    EXPECT_FALSE(t.findKey({2}));
    t.append();
    t.field(0).setInteger(keys[0]);
    EXPECT_THROW(t.post(), TableError);
    t.cancel();
    EXPECT_EQ(t.recordCount(), n);
}

} // namespace
