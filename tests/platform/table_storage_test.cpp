#include "platform/table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <set>
#include <vector>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// The IDs in walk order, from the first row.
QString walk(Table &t)
{
    QStringList ids;
    for (t.first(); !t.eof(); t.next())
        ids << t.field(0).asString();
    return ids.join(QLatin1Char(','));
}

// Every load throws all rows away at once and the next one fills the freed memory again; texts
// handed out before must outlive their rows, and a table whose columns change between loads
// must keep each value in its column.
TEST(TableStorage, ReloadedTablesKeepTheirRowsAndHandedOutTextsSurvive)
{
    Table t(QStringLiteral("cdsReload"));
    QStringList keptTexts;
    QVariantList keptValues;
    for (int round = 0; round < 40; ++round) {
        const bool extraColumn = round % 3 == 1; // a column more: longer rows
        if (round % 2 == 1 && extraColumn == (t.fieldCount() == 3)) {
            t.emptyDataSet(); // same fields, rows gone
            t.open();
        } else {
            t.close();
            t.fieldDefs().clear();
            t.indexDefs().clear();
            t.setIndexName(QString());
            t.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
            if (extraColumn)
                t.addFieldDef(QStringLiteral("Extra"), FieldType::Float);
            t.addFieldDef(QStringLiteral("Name"), FieldType::String, 40);
            t.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"), true);
            t.addIndexDef(QStringLiteral("idxName"), QStringLiteral("Name"));
            t.createDataSet();
        }
        ASSERT_EQ(t.rowCount(), 0) << round;
        const int name = t.findFieldIndex(QStringLiteral("Name"));

        const int n = 10 + (round * 37) % 150;
        auto text = [&](int id) { return QStringLiteral("Straße %1 «%2»").arg(n - id).arg(round); };
        for (int id = 1; id <= n; ++id) {
            t.append();
            t.field(0).setInteger(id);
            if (extraColumn)
                t.fieldByName(QStringLiteral("Extra")).setFloat(id / 4.0);
            if (id % 7 != 0) // some names stay null
                t.field(name).setString(text(id));
            t.post();
        }
        // Every third row goes and new ones take the freed blocks; a name edit moves a row in
        // idxName only.
        t.setIndexName(QStringLiteral("idxID"));
        for (t.first(); !t.eof();) {
            if (t.field(0).asInteger() % 3 == 0)
                t.remove();
            else
                t.next();
        }
        for (int id = n + 1; id <= n + n / 3; ++id) {
            t.append();
            t.field(0).setInteger(id);
            t.field(name).setString(text(id));
            t.post();
        }
        if (t.findKey({1})) {
            t.edit();
            t.field(name).setString(QStringLiteral("Aaa"));
            t.post();
        }

        QStringList expectedIds;
        QStringList expectedNames;
        for (int id = 1; id <= n + n / 3; ++id) {
            if (id <= n && id % 3 == 0)
                continue;
            expectedIds << QString::number(id);
            if (id == 1)
                expectedNames << QStringLiteral("Aaa");
            else if (id > n || id % 7 != 0)
                expectedNames << text(id);
        }
        ASSERT_EQ(walk(t), expectedIds.join(QLatin1Char(','))) << round;
        QStringList names;
        for (t.first(); !t.eof(); t.next()) {
            if (!t.field(name).isNull())
                names << t.field(name).asString();
        }
        ASSERT_EQ(names, (QStringList{QStringLiteral("Aaa")} + expectedNames.mid(1))) << round;
        if (extraColumn) {
            ASSERT_TRUE(t.findKey({8}));
            EXPECT_EQ(t.fieldByName(QStringLiteral("Extra")).asFloat(), 2.0);
        }
        t.setIndexName(QStringLiteral("idxName"));
        t.first();
        while (!t.eof() && t.field(name).isNull()) // nulls first
            t.next();
        EXPECT_EQ(t.field(name).asString(), QStringLiteral("Aaa")) << round;
        expectedNames.sort();
        names.clear();
        for (; !t.eof(); t.next())
            names << t.field(name).asString();
        ASSERT_EQ(names, expectedNames) << round;

        ASSERT_TRUE(t.findKey({text(2)}));
        keptTexts << t.field(name).asString();
        keptValues << t.field(name).value();
    }
    t.createDataSet();
    t.close();
    for (int round = 0; round < 40; ++round) {
        const int n = 10 + (round * 37) % 150;
        const QString expected = QStringLiteral("Straße %1 «%2»").arg(n - 2).arg(round);
        EXPECT_EQ(keptTexts[round], expected);
        EXPECT_EQ(keptValues[round].toString(), expected);
    }
}

// Blocks never overlap, freed ones come back first, and after a reset to a bigger size the chunks
// too small for it are passed over.
TEST(TableStorage, BlockPoolHandsOutSeparateBlocksAndReusesThem)
{
    BlockPool pool;
    pool.reset(12);
    EXPECT_EQ(pool.blockSize(), 16u);
    std::vector<unsigned char *> blocks;
    for (int i = 0; i < 100; ++i) {
        blocks.push_back(static_cast<unsigned char *>(pool.allocate()));
        std::memset(blocks.back(), i, 16);
    }
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(blocks[i][0] + blocks[i][15], 2 * i) << i;
    pool.deallocate(blocks[7]);
    pool.deallocate(blocks[42]);
    EXPECT_EQ(pool.allocate(), blocks[42]);
    EXPECT_EQ(pool.allocate(), blocks[7]);

    pool.reset(1000);
    std::vector<unsigned char *> big;
    for (int i = 0; i < 40; ++i) {
        big.push_back(static_cast<unsigned char *>(pool.allocate()));
        std::memset(big.back(), i, 1000);
    }
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(big[i][0] + big[i][999], 2 * i) << i;

    // A set's nodes: the first one sets the size.
    BlockPool nodes;
    nodes.reset(0);
    std::set<int, std::less<int>, PoolAllocator<int>> set{std::less<int>(), PoolAllocator<int>(&nodes)};
    for (int i = 0; i < 1000; ++i)
        set.insert((i * 7919) % 1000);
    EXPECT_GT(nodes.blockSize(), sizeof(int));
    EXPECT_EQ(set.size(), 1000u);
    EXPECT_EQ(*set.begin(), 0);
    EXPECT_EQ(*set.rbegin(), 999);
}

} // namespace
