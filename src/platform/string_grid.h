#pragma once

#include <QString>
#include <QVector>

// A grid of texts without any widget: the timetable editor, the web-copy window and the
// HTML table import work on it, and a view shows it. Cells are addressed column first,
// as in the program's grids: cell(col, row).
class StringGrid
{
public:
    StringGrid(int colCount = 5, int rowCount = 5);

    int colCount() const { return m_colCount; }
    int rowCount() const { return m_rowCount; }
    void setColCount(int count); // new cells are empty; cut cells are gone
    void setRowCount(int count);
    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }
    void setFixedCols(int count) { m_fixedCols = count; }
    void setFixedRows(int count) { m_fixedRows = count; }

    // Cells outside the grid read as empty and ignore writes.
    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString &text);

    int defaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int width);
    int colWidth(int col) const;
    void setColWidth(int col, int width);
    int defaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int height) { m_defaultRowHeight = height; }

    // The current cell and the selected block (inclusive), as in the grid window.
    int col() const { return m_col; }
    int row() const { return m_row; }
    void setCurrent(int col, int row);
    struct Selection {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    Selection selection() const { return m_selection; }
    void setSelection(const Selection &selection) { m_selection = selection; }

private:
    int index(int col, int row) const { return row * m_colCount + col; }

    int m_colCount = 0;
    int m_rowCount = 0;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    QVector<QString> m_cells; // row-major
    QVector<int> m_colWidths;
    int m_col = 1;
    int m_row = 1;
    Selection m_selection{1, 1, 1, 1};
};
