#include "platform/string_grid.h"

#include <algorithm>

StringGrid::StringGrid(int colCount, int rowCount)
{
    setColCount(colCount);
    setRowCount(rowCount);
}

void StringGrid::setColCount(int count)
{
    count = std::max(0, count);
    if (count == m_colCount)
        return;
    QVector<QString> cells(static_cast<qsizetype>(count) * m_rowCount);
    const int keep = std::min(count, m_colCount);
    for (int r = 0; r < m_rowCount; ++r)
        for (int c = 0; c < keep; ++c)
            cells[static_cast<qsizetype>(r) * count + c] = std::move(m_cells[index(c, r)]);
    m_cells = std::move(cells);
    m_colCount = count;
    m_colWidths.resize(count, -1);
}

void StringGrid::setRowCount(int count)
{
    count = std::max(0, count);
    m_cells.resize(static_cast<qsizetype>(count) * m_colCount);
    m_rowCount = count;
}

QString StringGrid::cell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= m_colCount || row >= m_rowCount)
        return QString();
    return m_cells[index(col, row)];
}

void StringGrid::setCell(int col, int row, const QString &text)
{
    if (col < 0 || row < 0 || col >= m_colCount || row >= m_rowCount)
        return;
    m_cells[index(col, row)] = text;
}

void StringGrid::setDefaultColWidth(int width)
{
    m_defaultColWidth = width;
}

int StringGrid::colWidth(int col) const
{
    if (col < 0 || col >= m_colWidths.size() || m_colWidths[col] < 0)
        return m_defaultColWidth;
    return m_colWidths[col];
}

void StringGrid::setColWidth(int col, int width)
{
    if (col >= 0 && col < m_colWidths.size())
        m_colWidths[col] = width;
}

void StringGrid::setCurrent(int col, int row)
{
    m_col = col;
    m_row = row;
}
