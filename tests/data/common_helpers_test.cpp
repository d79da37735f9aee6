#include "data/common_helpers.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const QChar Backspace(8);

QChar filtered(void (*filter)(QChar &), QChar key)
{
    filter(key);
    return key;
}

QChar decimal(const QString &text, QChar key)
{
    DecimalKeyFilter(text, key);
    return key;
}

// The grid as text, one line per row, cells separated by "|".
QString dump(const StringGrid &grid)
{
    QStringList rows;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.colCount(); ++c)
            cells << grid.cell(c, r);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

StringGrid numberedGrid(int cols, int rows)
{
    StringGrid grid(cols, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid.setCell(c, r, QString::number(r) + QString::number(c));
    return grid;
}

} // namespace

TEST(KeyFilters, SimpleFilters)
{
    int focusMoves = 0;
    QChar key(13);
    EnterToNextControl([&] { ++focusMoves; }, key);
    EXPECT_TRUE(key.isNull());
    key = QLatin1Char('x');
    EnterToNextControl([&] { ++focusMoves; }, key);
    EXPECT_EQ(key, QLatin1Char('x'));
    EXPECT_EQ(focusMoves, 1);

    EXPECT_EQ(filtered(DigitKeyFilter, QLatin1Char('7')), QLatin1Char('7'));
    EXPECT_EQ(filtered(DigitKeyFilter, Backspace), Backspace);
    EXPECT_TRUE(filtered(DigitKeyFilter, QLatin1Char('-')).isNull());

    EXPECT_EQ(decimal(QStringLiteral("12"), QLatin1Char('.')), QLatin1Char(','));
    EXPECT_TRUE(decimal(QStringLiteral("1,2"), QLatin1Char(',')).isNull());
    EXPECT_TRUE(decimal(QStringLiteral("1,2"), QLatin1Char('.')).isNull());
    EXPECT_EQ(decimal(QStringLiteral("1,2"), Backspace), Backspace);

    EXPECT_EQ(filtered(HexKeyFilter, QLatin1Char('c')), QLatin1Char('C'));
    EXPECT_EQ(filtered(HexKeyFilter, QLatin1Char('F')), QLatin1Char('F'));
    EXPECT_TRUE(filtered(HexKeyFilter, QLatin1Char('g')).isNull());
}

TEST(KeyFilters, IntegerKeyFilter)
{
    // The field after the key as "text|caret|key", the key "0" when dropped.
    auto after = [](const char *text, int caret, int selStart, int selLength, char key) {
        EditField edit{QString::fromLatin1(text), caret, selStart, selLength};
        QChar k = QLatin1Char(key);
        IntegerKeyFilter(edit.text, &edit, k);
        EXPECT_FALSE(edit.hasSelectedText());
        return QStringLiteral("%1|%2|%3").arg(edit.text).arg(edit.cursorPosition).arg(k.isNull() ? QChar('0') : k);
    };
    EXPECT_EQ(after("12", 2, 0, 0, '-'), QStringLiteral("12|0|-"));   // the minus goes in front
    EXPECT_EQ(after("-12", 3, 0, 0, '-'), QStringLiteral("-12|3|0")); // only once
    EXPECT_EQ(after("-12", 3, 0, 0, 'x'), QStringLiteral("-12|3|0"));
    EXPECT_EQ(after("-12", 0, 0, 0, '5'), QStringLiteral("-12|1|5"));   // never in front of the minus
    EXPECT_EQ(after("-1234", 4, 2, 2, '9'), QStringLiteral("-14|2|9")); // the selection goes first
    EXPECT_EQ(after("-12", 3, 0, 3, '4'), QStringLiteral("|0|4"));
    EXPECT_EQ(after("12345", 4, 1, 3, '\b'), QStringLiteral("15|1|0")); // backspace deletes the selection only

    QChar key = QLatin1Char('-');
    IntegerKeyFilter(QStringLiteral("3"), nullptr, key);
    EXPECT_EQ(key, QLatin1Char('-'));
}

TEST(IntArrays, IndexOfAndSort)
{
    QList<int> values{5, 3, 9, 3, -1};
    EXPECT_EQ(IntArrayIndexOf(values, 3), 1);
    EXPECT_EQ(IntArrayIndexOf(values, 7), -1);
    EXPECT_EQ(IntArrayIndexOf({}, 7), -1);
    SortIntArray(values);
    EXPECT_EQ(values, (QList<int>{-1, 3, 3, 5, 9}));
    QList<int> empty;
    SortIntArray(empty);
    EXPECT_TRUE(empty.isEmpty());
}

TEST(Strings, SplitStringAndUpperFirst)
{
    QStringList list{QStringLiteral("kept")};
    EXPECT_EQ(SplitString(QStringLiteral(";5;6"), list, QLatin1Char(';')), 3);
    EXPECT_EQ(list, (QStringList{QStringLiteral("kept"), QString(), QStringLiteral("5"), QStringLiteral("6")}));

    list.clear();
    EXPECT_EQ(SplitString(QStringLiteral("a;;b"), list, QLatin1Char(';')), 3);
    EXPECT_EQ(list, (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    list.clear();
    EXPECT_EQ(SplitString(QStringLiteral("a;b;"), list, QLatin1Char(';')), 2);
    EXPECT_EQ(SplitString(QString(), list, QLatin1Char(';')), 0);
    EXPECT_EQ(list.size(), 2);

    EXPECT_EQ(UpperFirst(QStringLiteral("above")), QStringLiteral("Above"));
    EXPECT_EQ(UpperFirst(QString()), QString());
}

TEST(StringGrids, ClearInsertDelete)
{
    StringGrid grid = numberedGrid(3, 3);
    ClearGridCells(grid);
    EXPECT_EQ(dump(grid), QStringLiteral("00|01|02\n10||\n20||"));

    grid = numberedGrid(2, 3);
    GridInsertRow(grid, 1);
    EXPECT_EQ(dump(grid), QStringLiteral("00|01\n|\n10|11\n20|21"));
    GridDeleteRow(grid, 1);
    EXPECT_EQ(dump(grid), QStringLiteral("00|01\n10|11\n20|21"));
    GridInsertRow(grid, 3); // after the last row
    EXPECT_EQ(dump(grid), QStringLiteral("00|01\n10|11\n20|21\n|"));

    grid = numberedGrid(3, 2);
    GridInsertCol(grid, 0);
    EXPECT_EQ(dump(grid), QStringLiteral("|00|01|02\n|10|11|12"));

    grid = numberedGrid(5, 2);
    GridDeleteCol(grid, 4);
    EXPECT_EQ(dump(grid), QStringLiteral("00|01|02|03\n10|11|12|13"));
    grid = numberedGrid(5, 2);
    GridDeleteCol(grid, 0);
    EXPECT_EQ(dump(grid), QStringLiteral("01|02|03|04\n11|12|13|14"));

    GridDeleteRow(grid, 7);
    GridDeleteCol(grid, -1);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.colCount(), 4);
}

TEST(Arithmetic, LeastCommonMultiple)
{
    EXPECT_EQ(LeastCommonMultiple(4, 6), 12);
    EXPECT_EQ(LeastCommonMultiple(6, 4), 12);
    EXPECT_EQ(LeastCommonMultiple(5, 5), 5);
    EXPECT_EQ(LeastCommonMultiple(1, 7), 7);
    EXPECT_EQ(LeastCommonMultiple(9998, 9997), 9998 * 9997);
    EXPECT_THROW(LeastCommonMultiple(2147483647, 2147483646), std::range_error);
    EXPECT_THROW(LeastCommonMultiple(0, 5), std::invalid_argument);
    EXPECT_THROW(LeastCommonMultiple(5, -3), std::invalid_argument);
}
