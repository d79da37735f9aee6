#include "platform/string_grid_model.h"

#include "support/app_environment.h"

TEST(StringGridModel, ViewEditsReachTheGridAndFixedCellsStayReadOnly)
{
    StringGrid grid(4, 3);
    grid.setFixedCols(2);
    grid.setFixedRows(1);
    grid.setCell(1, 2, QStringLiteral("Hauptbahnhof"));
    StringGridModel model(grid);

    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(2, 1), Qt::DisplayRole).toString(), QStringLiteral("Hauptbahnhof"));
    EXPECT_FALSE(model.flags(model.index(2, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, 3)) & Qt::ItemIsEditable);
    ASSERT_TRUE(model.flags(model.index(1, 2)) & Qt::ItemIsEditable);

    EXPECT_TRUE(model.setData(model.index(1, 2), QStringLiteral("07:05"), Qt::EditRole));
    EXPECT_EQ(grid.cell(2, 1), QStringLiteral("07:05"));

    grid.setRowCount(5);
    model.reload();
    EXPECT_EQ(model.rowCount(), 5);
}
