#pragma once

#include <QAbstractScrollArea>

class TimeTableModel;

// The timetable editor's grid control over TimeTableModel::sgTimeTable. The two fixed
// columns (marker, station) and rows (trip numbers, "Stations") stay in place while the
// trips and stops scroll. Every key and click goes to the model's editing rhythm: typing
// goes into the current cell as in-place editing does, and every move leaves the cell
// through SelectCell, so an entry is interpreted, refused with a beep, or accepted.
class TimeTableGridView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TimeTableGridView(QWidget *parent = nullptr);

    void setModel(TimeTableModel *model);
    // Off while the copy mode's button is down: clicks and keys then only select.
    void setEditing(bool on);
    bool editing() const { return m_editing; }

    // After a load, a marker click or a column move: counts changed, scroll to the cursor.
    void resetView();
    // The cells changed, not their counts.
    void refresh();

    // Cell under a point of the viewport; false outside the cells.
    bool cellAt(const QPoint &pos, int &col, int &row) const;
    // The cell's rectangle in viewport coordinates (empty when it is scrolled out).
    QRect cellRect(int col, int row) const;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int fixedWidth() const;
    int fixedHeight() const;
    int visibleCols() const; // whole trip columns that fit
    int visibleRows() const; // whole stop rows that fit
    void updateScrollBars();
    void ensureCurrentVisible();
    // Moves the cursor through the model; the selection follows a successful move.
    void moveTo(int col, int row);
    void typeText(const QString &text);
    void afterMove();

    TimeTableModel *m_model = nullptr;
    bool m_editing = true;
    // In-place editing of the current cell: the first key replaces the text, the caret then
    // moves within it.
    bool m_inEdit = false;
    int m_caret = 0;
    // Mouse: a range selection from the anchor, or a trip column dragged by its number.
    bool m_selecting = false;
    int m_anchorCol = 0;
    int m_anchorRow = 0;
    int m_dragCol = -1;
};
