#include "app/edit_timetable_grid.h"

#include "app/edit_timetable_model.h"
#include "platform/dialog_service.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int FirstCol = TimeTableModel::FirstTripCol;
constexpr int FirstRow = TimeTableModel::FirstStopRow;
const QColor EvenRowColor(255, 251, 240);

} // namespace

TimeTableGridView::TimeTableGridView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
}

void TimeTableGridView::setModel(TimeTableModel *model)
{
    m_model = model;
    resetView();
}

void TimeTableGridView::setEditing(bool on)
{
    m_editing = on;
    m_inEdit = false;
    viewport()->update();
}

void TimeTableGridView::resetView()
{
    m_inEdit = false;
    m_selecting = false;
    m_dragCol = -1;
    updateScrollBars();
    ensureCurrentVisible();
    viewport()->update();
}

void TimeTableGridView::refresh()
{
    viewport()->update();
}

int TimeTableGridView::fixedWidth() const
{
    const StringGrid &g = m_model->sgTimeTable;
    return g.colWidth(0) + g.colWidth(1);
}

int TimeTableGridView::fixedHeight() const
{
    return 2 * m_model->sgTimeTable.defaultRowHeight();
}

int TimeTableGridView::visibleCols() const
{
    return std::max(1, (viewport()->width() - fixedWidth()) / m_model->sgTimeTable.defaultColWidth());
}

int TimeTableGridView::visibleRows() const
{
    return std::max(1, (viewport()->height() - fixedHeight()) / m_model->sgTimeTable.defaultRowHeight());
}

void TimeTableGridView::updateScrollBars()
{
    if (!m_model)
        return;
    const StringGrid &g = m_model->sgTimeTable;
    horizontalScrollBar()->setRange(0, std::max(0, g.colCount() - FirstCol - visibleCols()));
    horizontalScrollBar()->setPageStep(visibleCols());
    verticalScrollBar()->setRange(0, std::max(0, g.rowCount() - FirstRow - visibleRows()));
    verticalScrollBar()->setPageStep(visibleRows());
}

void TimeTableGridView::ensureCurrentVisible()
{
    if (!m_model)
        return;
    const StringGrid &g = m_model->sgTimeTable;
    const int colOffset = g.col() - FirstCol;
    const int rowOffset = g.row() - FirstRow;
    QScrollBar *h = horizontalScrollBar();
    QScrollBar *v = verticalScrollBar();
    if (colOffset < h->value())
        h->setValue(colOffset);
    else if (colOffset >= h->value() + visibleCols())
        h->setValue(colOffset - visibleCols() + 1);
    if (rowOffset < v->value())
        v->setValue(rowOffset);
    else if (rowOffset >= v->value() + visibleRows())
        v->setValue(rowOffset - visibleRows() + 1);
}

QRect TimeTableGridView::cellRect(int col, int row) const
{
    const StringGrid &g = m_model->sgTimeTable;
    int x = 0;
    if (col < FirstCol) {
        x = col == 0 ? 0 : g.colWidth(0);
    } else {
        const int left = FirstCol + horizontalScrollBar()->value();
        if (col < left)
            return QRect();
        x = fixedWidth();
        for (int c = left; c < col; ++c)
            x += g.colWidth(c);
    }
    const int h = g.defaultRowHeight();
    int y = 0;
    if (row < FirstRow) {
        y = row * h;
    } else {
        const int top = FirstRow + verticalScrollBar()->value();
        if (row < top)
            return QRect();
        y = fixedHeight() + (row - top) * h;
    }
    return QRect(x, y, g.colWidth(col), h);
}

bool TimeTableGridView::cellAt(const QPoint &pos, int &col, int &row) const
{
    if (!m_model || pos.x() < 0 || pos.y() < 0)
        return false;
    const StringGrid &g = m_model->sgTimeTable;
    if (pos.x() < g.colWidth(0)) {
        col = 0;
    } else if (pos.x() < fixedWidth()) {
        col = 1;
    } else {
        int x = fixedWidth();
        col = FirstCol + horizontalScrollBar()->value();
        while (col < g.colCount() && x + g.colWidth(col) <= pos.x())
            x += g.colWidth(col++);
    }
    const int h = g.defaultRowHeight();
    row = pos.y() < fixedHeight() ? pos.y() / h : FirstRow + verticalScrollBar()->value() + (pos.y() - fixedHeight()) / h;
    return col < g.colCount() && row < g.rowCount();
}

void TimeTableGridView::paintEvent(QPaintEvent *)
{
    if (!m_model)
        return;
    QPainter p(viewport());
    const StringGrid &g = m_model->sgTimeTable;
    const StringGrid::Selection sel = g.selection();
    const int h = g.defaultRowHeight();
    const int left = FirstCol + horizontalScrollBar()->value();
    const int top = FirstRow + verticalScrollBar()->value();
    const int width = viewport()->width();
    const int height = viewport()->height();
    p.fillRect(viewport()->rect(), palette().base());

    QVector<int> rows{0, 1};
    for (int r = top, y = fixedHeight(); r < g.rowCount() && y < height; ++r, y += h)
        rows << r;
    QVector<int> cols{0, 1};
    for (int c = left, x = fixedWidth(); c < g.colCount() && x < width; x += g.colWidth(c), ++c)
        cols << c;

    for (int row : rows) {
        const bool stopRow = row >= FirstRow;
        const bool doubled = stopRow && row + 1 < g.rowCount() && g.cell(1, row) == g.cell(1, row + 1);
        for (int col : cols) {
            const QRect r = cellRect(col, row);
            if (r.isEmpty())
                continue;
            const bool fixed = col < FirstCol || row < FirstRow;
            const QString text = g.cell(col, row);
            const bool current = col == g.col() && row == g.row();
            const bool selected = !fixed && col >= sel.left && col <= sel.right && row >= sel.top && row <= sel.bottom;
            QColor textColor = palette().color(QPalette::Text);
            if (fixed) {
                p.fillRect(r, palette().button());
                textColor = palette().color(QPalette::ButtonText);
            } else if ((selected || current) && !(current && m_inEdit)) {
                p.fillRect(r, palette().highlight());
                textColor = palette().color(QPalette::HighlightedText);
            } else if (m_editing && row % 2 == 0) {
                p.fillRect(r, EvenRowColor);
            }
            if (!fixed && m_editing && TimeTableModel::GetTimeStringState(text) == TimeTableModel::StateInvalid)
                textColor = Qt::red;
            p.setPen(textColor);
            p.drawText(r.adjusted(2, 2, -1, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            if (current && m_inEdit && hasFocus()) {
                const int x = r.left() + 2 + fontMetrics().horizontalAdvance(text.left(m_caret));
                p.drawLine(x, r.top() + 2, x, r.bottom() - 2);
            }
            p.setPen(palette().color(QPalette::Mid));
            p.drawLine(r.topRight(), r.bottomRight());
            p.drawLine(r.bottomLeft(), r.bottomRight());
            if (doubled && col >= 1 && m_editing) {
                // A station that stands twice: a double line under its first row.
                p.setPen(palette().color(QPalette::WindowText));
                p.drawLine(r.left(), r.bottom() - 2, r.right(), r.bottom() - 2);
                p.drawLine(r.left(), r.bottom() - 1, r.right(), r.bottom() - 1);
            }
        }
    }
}

void TimeTableGridView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TimeTableGridView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TimeTableGridView::afterMove()
{
    m_inEdit = false;
    StringGrid &g = m_model->sgTimeTable;
    g.setSelection({g.col(), g.row(), g.col(), g.row()});
    ensureCurrentVisible();
    viewport()->update();
}

void TimeTableGridView::moveTo(int col, int row)
{
    StringGrid &g = m_model->sgTimeTable;
    col = std::clamp(col, FirstCol, g.colCount() - 1);
    row = std::clamp(row, FirstRow, g.rowCount() - 1);
    if (m_editing)
        m_model->SelectCell(col, row);
    else
        g.setCurrent(col, row);
    afterMove();
}

void TimeTableGridView::typeText(const QString &text)
{
    StringGrid &g = m_model->sgTimeTable;
    for (QChar ch : text) {
        if (!m_model->KeyPress(ch))
            continue;
        QString cell = g.cell(g.col(), g.row());
        if (!m_inEdit) { // the first key replaces the text, as the in-place editor selects it all
            cell.clear();
            m_caret = 0;
            m_inEdit = true;
        }
        if (ch == QChar(8)) {
            if (m_caret > 0)
                cell.remove(--m_caret, 1);
        } else {
            cell.insert(m_caret++, ch);
        }
        g.setCell(g.col(), g.row(), cell);
    }
    viewport()->update();
}

bool TimeTableGridView::event(QEvent *event)
{
    // Tab moves between cells; Ctrl+Tab leaves the grid for the buttons.
    if (event->type() == QEvent::KeyPress && m_model) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            if (key->modifiers() & Qt::ControlModifier) {
                focusNextPrevChild(!back);
                return true;
            }
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TimeTableGridView::keyPressEvent(QKeyEvent *event)
{
    if (!m_model) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    StringGrid &g = m_model->sgTimeTable;
    const int col = g.col();
    const int row = g.row();
    const int lastCol = g.colCount() - 1;
    const int lastRow = g.rowCount() - 1;
    const QString text = g.cell(col, row);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_editing) {
            m_model->KeyPress(QChar(13)); // moves the cursor itself
            afterMove();
        }
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier)) {
            if (col > FirstCol)
                moveTo(col - 1, row);
            else if (row > FirstRow)
                moveTo(lastCol, row - 1);
        } else if (col < lastCol) {
            moveTo(col + 1, row);
        } else if (row < lastRow) {
            moveTo(FirstCol, row + 1);
        }
        return;
    case Qt::Key_Left:
        if (m_inEdit && m_caret > 0) {
            --m_caret;
            viewport()->update();
        } else if (col > FirstCol) {
            moveTo(col - 1, row);
        }
        return;
    case Qt::Key_Right:
        if (m_inEdit && m_caret < text.size()) {
            ++m_caret;
            viewport()->update();
        } else if (col < lastCol) {
            moveTo(col + 1, row);
        }
        return;
    case Qt::Key_Up:
        if (row > FirstRow)
            moveTo(col, row - 1);
        return;
    case Qt::Key_Down:
        if (row < lastRow)
            moveTo(col, row + 1);
        return;
    case Qt::Key_PageUp:
        if (row > FirstRow)
            moveTo(col, row - visibleRows());
        return;
    case Qt::Key_PageDown:
        if (row < lastRow)
            moveTo(col, row + visibleRows());
        return;
    case Qt::Key_Delete:
        if (!m_editing)
            return;
        m_model->DeleteKeyDown();
        if (!m_inEdit) { // the in-place editor has the whole text selected
            g.setCell(col, row, QString());
            m_caret = 0;
            m_inEdit = true;
        } else if (m_caret < text.size()) {
            g.setCell(col, row, QString(text).remove(m_caret, 1));
        }
        viewport()->update();
        return;
    case Qt::Key_Backspace:
        if (m_editing)
            typeText(QString(QChar(8)));
        return;
    default:
        break;
    }
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed[0].isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (m_editing && printable) {
        typeText(typed);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TimeTableGridView::mousePressEvent(QMouseEvent *event)
{
    int col = 0, row = 0;
    if (!m_model || event->button() != Qt::LeftButton || !cellAt(event->position().toPoint(), col, row))
        return;
    setFocus(Qt::MouseFocusReason);
    if (col == 0 && row >= FirstRow) {
        if (m_editing && m_model->EndEntry()) {
            m_model->MarkerClick(row);
            resetView();
        }
        return;
    }
    if (row == 0 && col >= FirstCol) {
        m_dragCol = col;
        return;
    }
    if (col < FirstCol || row < FirstRow)
        return;
    moveTo(col, row);
    StringGrid &g = m_model->sgTimeTable;
    m_selecting = g.col() == col && g.row() == row;
    m_anchorCol = g.col();
    m_anchorRow = g.row();
}

void TimeTableGridView::mouseMoveEvent(QMouseEvent *event)
{
    int col = 0, row = 0;
    if (!m_selecting || !cellAt(event->position().toPoint(), col, row))
        return;
    col = std::max(col, int(FirstCol));
    row = std::max(row, int(FirstRow));
    m_model->sgTimeTable.setSelection({std::min(col, m_anchorCol), std::min(row, m_anchorRow),
                                       std::max(col, m_anchorCol), std::max(row, m_anchorRow)});
    viewport()->update();
}

void TimeTableGridView::mouseReleaseEvent(QMouseEvent *event)
{
    m_selecting = false;
    const int from = m_dragCol;
    m_dragCol = -1;
    int col = 0, row = 0;
    if (from < 0 || !cellAt(event->position().toPoint(), col, row) || col < FirstCol || col == from)
        return;
    // A trip dragged by its number; a pending entry is ended first, as it would move with it.
    if (m_editing && !m_model->EndEntry())
        return;
    m_model->MoveTripColumn(from, col);
    resetView();
}
