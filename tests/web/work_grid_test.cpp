#include "web/work_grid.h"

#include "support/grid_rows.h"

#include <gtest/gtest.h>

namespace {

QString table(const QStringList &names)
{
    QString html = QStringLiteral("<table>");
    for (const QString &n : names)
        html += QStringLiteral("<tr><td>") + n + QStringLiteral("</td><td>08:00</td></tr>");
    return html + QStringLiteral("</table>");
}

StringGrid timeTable(const QStringList &names)
{
    StringGrid g(4, 2 + int(names.size()));
    g.setCell(1, 1, "Stations");
    for (int i = 0; i < names.size(); ++i)
        g.setCell(1, 2 + i, names[i]);
    return g;
}

QStringList rows(const StringGrid &g)
{
    return gridRows(g, QLatin1Char(','));
}

StringGrid grid3x3()
{
    StringGrid g(3, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            g.setCell(c, r, QString(QChar('a' + r)) + QString::number(c));
    return g;
}

} // namespace

TEST(TablePick, TheTableWithMostStationNamesWinsAndTheEarlierOnEqualCounts)
{
    const StringGrid tt = timeTable({"Nord", "Mitte", "Süd", ""});
    EXPECT_EQ(TimeTableStationNames(tt), QStringList({"Nord", "Mitte", "Süd", ""}));
    const QString first = table({"Nord", "Mitte", "Süd"});
    const QString second = table({"Süd", "Mitte", "Nord"});
    const QString html = QStringLiteral("<p>") + table({"Nord"}) + first + QStringLiteral("text") + second;
    EXPECT_EQ(PickTimeTableTable(html, TimeTableStationNames(tt)), first);
    EXPECT_EQ(HTMLTables(html).size(), 3);
}

TEST(TablePick, ATableWithoutAnyStationNameIsNeverPicked)
{
    const StringGrid tt = timeTable({"Nord", "Mitte"});
    EXPECT_TRUE(PickTimeTableTable(table({"Ost", "nord"}), TimeTableStationNames(tt)).isEmpty());
    EXPECT_TRUE(PickTimeTableTable(QStringLiteral("no table"), TimeTableStationNames(tt)).isEmpty());
    EXPECT_TRUE(PickTimeTableTable(table({"Nord"}), TimeTableStationNames(timeTable({})))
                    .isEmpty());
    // Empty names never count, even though every text contains them.
    EXPECT_TRUE(PickTimeTableTable(table({"x"}), {QString(), QString()}).isEmpty());
}

TEST(WorkGridAction, DuplicatingARowGivesTwoEqualRowsWithTheCursorOnTheNewOne)
{
    StringGrid g = grid3x3();
    g.setCurrent(1, 1);
    PerformWorkGridAction(g, WorkGridArea::Row, WorkGridAction::Duplicate);
    EXPECT_EQ(rows(g), QStringList({"a0,a1,a2", "b0,b1,b2", "b0,b1,b2", "c0,c1,c2"}));
    EXPECT_EQ(g.row(), 1);
}

TEST(WorkGridAction, InsertDuplicateAndDeleteColumns)
{
    StringGrid g = grid3x3();
    g.setCurrent(2, 0);
    PerformWorkGridAction(g, WorkGridArea::Column, WorkGridAction::Insert);
    EXPECT_EQ(rows(g).first(), "a0,a1,,a2");
    PerformWorkGridAction(g, WorkGridArea::Column, WorkGridAction::Delete);
    g.setCurrent(0, 0);
    PerformWorkGridAction(g, WorkGridArea::Column, WorkGridAction::Duplicate);
    EXPECT_EQ(rows(g).first(), "a0,a0,a1,a2");
    g.setCurrent(0, 2);
    PerformWorkGridAction(g, WorkGridArea::Row, WorkGridAction::Insert);
    EXPECT_EQ(rows(g), QStringList({"a0,a0,a1,a2", "b0,b0,b1,b2", ",,,", "c0,c0,c1,c2"}));
}

TEST(WorkGridAction, AnEmptyGridIsLeftAloneAndTheCursorStaysInside)
{
    StringGrid empty(0, 0);
    for (auto area : {WorkGridArea::Row, WorkGridArea::Column})
        for (auto action : {WorkGridAction::Insert, WorkGridAction::Duplicate, WorkGridAction::Delete})
            PerformWorkGridAction(empty, area, action);
    EXPECT_EQ(empty.rowCount(), 0);
    EXPECT_EQ(empty.colCount(), 0);

    StringGrid g = grid3x3();
    g.setCurrent(2, 2);
    PerformWorkGridAction(g, WorkGridArea::Row, WorkGridAction::Delete);
    EXPECT_EQ(g.row(), 1);
    PerformWorkGridAction(g, WorkGridArea::Column, WorkGridAction::Delete);
    EXPECT_EQ(g.col(), 1);
    // A cursor left outside by an earlier, larger table acts on the last row.
    g.setCurrent(9, 9);
    PerformWorkGridAction(g, WorkGridArea::Row, WorkGridAction::Delete);
    EXPECT_EQ(rows(g), QStringList({"a0,a1"}));
    PerformWorkGridAction(g, WorkGridArea::Row, WorkGridAction::Delete);
    EXPECT_EQ(g.rowCount(), 0);
    EXPECT_EQ(g.row(), 0);
    PerformWorkGridAction(g, WorkGridArea::Row, WorkGridAction::Insert);
    EXPECT_EQ(g.rowCount(), 0);
}
