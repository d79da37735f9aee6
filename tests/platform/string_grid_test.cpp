#include "platform/string_grid.h"

#include "support/grid_rows.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// The cells as rows of "|"-joined texts, for whole-grid comparisons.
QString dump(const StringGrid &g)
{
    return gridRows(g).join(QLatin1Char('\n'));
}

TEST(StringGrid, ResizingKeepsTheCellsThatRemain)
{
    StringGrid g(3, 2);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            g.setCell(c, r, QStringLiteral("%1%2").arg(QChar(u'a' + c)).arg(r));
    EXPECT_EQ(dump(g), QStringLiteral("a0|b0|c0\na1|b1|c1"));

    g.setColCount(4);
    g.setRowCount(3);
    EXPECT_EQ(dump(g), QStringLiteral("a0|b0|c0|\na1|b1|c1|\n|||"));

    g.setColCount(2);
    EXPECT_EQ(dump(g), QStringLiteral("a0|b0\na1|b1\n|"));
    g.setRowCount(1);
    g.setColCount(3);
    g.setRowCount(2);
    EXPECT_EQ(dump(g), QStringLiteral("a0|b0|\n||")); // cut cells come back empty

    g.setColCount(-1);
    EXPECT_EQ(g.colCount(), 0);
    EXPECT_EQ(g.rowCount(), 2);
    g.setColCount(2);
    EXPECT_EQ(dump(g), QStringLiteral("|\n|"));
}

TEST(StringGrid, CellsOutsideTheGridReadEmptyAndIgnoreWrites)
{
    StringGrid g(2, 2);
    g.setCell(1, 1, QStringLiteral("x"));
    for (auto [c, r] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}, {100, 100}}) {
        g.setCell(c, r, QStringLiteral("bad"));
        EXPECT_EQ(g.cell(c, r), QString());
    }
    EXPECT_EQ(dump(g), QStringLiteral("|\n|x"));

    // Column widths: the default until one is set; out of range reads the default.
    g.setDefaultColWidth(40);
    g.setColWidth(1, 90);
    g.setColWidth(5, 10);
    EXPECT_EQ(g.colWidth(0), 40);
    EXPECT_EQ(g.colWidth(1), 90);
    EXPECT_EQ(g.colWidth(5), 40);
    g.setColCount(3);
    EXPECT_EQ(g.colWidth(1), 90);
    EXPECT_EQ(g.colWidth(2), 40);
}

} // namespace
