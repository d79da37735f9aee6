#include "web/web_copy.h"

#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/string_grid_model.h"
#include "web/html_scan.h"
#include "web/work_grid.h"

#include <QHeaderView>
#include <QPointer>
#include <QKeyEvent>
#include <QShowEvent>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>

TfmWebCopy *fmWebCopy = nullptr;

TfmWebCopy::TfmWebCopy(QWidget *parent) : QDialog(parent), sgWorkGrid(0, 0)
{
    setupUi(this);
    setModal(false);
    PageControl1->setCurrentWidget(tsTableGrid);

    sgWorkGrid.setFixedCols(0);
    sgWorkGrid.setFixedRows(0);
    sgWorkGrid.setDefaultColWidth(32);
    sgWorkGrid.setDefaultRowHeight(18);
    sgWorkGrid.setCurrent(0, 0);
    sgWorkGrid.setSelection({0, 0, 0, 0});
    workModel_ = new StringGridModel(sgWorkGrid, this);
    sgWorkGridView->setModel(workModel_);
    sgWorkGridView->horizontalHeader()->hide();
    sgWorkGridView->verticalHeader()->hide();
    sgWorkGridView->horizontalHeader()->setDefaultSectionSize(32);
    sgWorkGridView->verticalHeader()->setDefaultSectionSize(18);
    sgWorkGridView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    connect(btShowURL, &QPushButton::clicked, this, &TfmWebCopy::btShowURLClick);
    connect(btCopy, &QPushButton::clicked, this, &TfmWebCopy::btCopyClick);
    connect(btPaste, &QPushButton::clicked, this, &TfmWebCopy::btPasteClick);
    connect(btAction, &QPushButton::clicked, this, &TfmWebCopy::btActionClick);
    connect(sgWorkGridView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfmWebCopy::viewSelectionChanged);
    connect(sgWorkGridView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TfmWebCopy::viewSelectionChanged);
}

void TfmWebCopy::setTimeTableGrid(const StringGrid *grid)
{
    timeTableGrid_ = grid;
}

void TfmWebCopy::setOwnerWindow(QWindow *owner)
{
    owner_ = owner;
    if (owner)
        winId();
    applyOwner();
}

void TfmWebCopy::applyOwner()
{
    if (QWindow *own = windowHandle())
        own->setTransientParent(owner_);
}

bool TfmWebCopy::event(QEvent *event)
{
    const bool done = QDialog::event(event);
    if (event->type() == QEvent::WinIdChange)
        applyOwner();
    return done;
}

void TfmWebCopy::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// Keys that the page leaves are not the window's: Escape does not close it (nor does Enter
// press a button, as none is the default); only the window's own close does.
void TfmWebCopy::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfmWebCopy::FormShow()
{
    if (!wbWebCopy) {
        wbWebCopy = new QWebEngineView(pnlBrowser);
        wbWebCopy->setObjectName(QStringLiteral("wbWebCopy"));
        browserLayout->addWidget(wbWebCopy);
    }
    cbActionArea->setCurrentIndex(1);
    cbAction->setCurrentIndex(0);
}

void TfmWebCopy::btShowURLClick()
{
    if (wbWebCopy)
        wbWebCopy->load(QUrl::fromUserInput(leURL->text()));
}

void TfmWebCopy::btCopyClick()
{
    if (!wbWebCopy || wbWebCopy->url().isEmpty())
        return;
    // The page hands its document over later; until then a paste would still find the
    // clipboard's old text.
    btPaste->setEnabled(false);
    QPointer<TfmWebCopy> self(this);
    wbWebCopy->page()->runJavaScript(
        QStringLiteral("document.body ? document.body.outerHTML : null"), [self](const QVariant &result) {
            if (!self)
                return;
            if (result.typeId() == QMetaType::QString)
                dialogs().setClipboardText(ansi::decode(ansi::encode(result.toString())));
            self->btPaste->setEnabled(true);
        });
}

void TfmWebCopy::btPasteClick()
{
    if (!timeTableGrid_)
        return;
    const QString text = dialogs().clipboardText();
    if (text.isEmpty())
        return;
    const QString table = PickTimeTableTable(text, TimeTableStationNames(*timeTableGrid_));
    if (table.isEmpty())
        return;
    const QFontMetrics metrics = sgWorkGridView->fontMetrics();
    // The cell's margins are part of the width a text needs.
    const auto width = [&metrics](const QString &cell) { return metrics.horizontalAdvance(cell) + 8; };
    if (!HTMLTableToGrid(table, sgWorkGrid, width))
        return;
    sgWorkGrid.setCurrent(0, 0);
    sgWorkGrid.setSelection({0, 0, 0, 0});
    workGridChanged();
}

void TfmWebCopy::btActionClick()
{
    const int area = cbActionArea->currentIndex();
    const int action = cbAction->currentIndex();
    if (action < 0 || action > 2 || area < 0)
        return;
    PerformWorkGridAction(sgWorkGrid, area == 0 ? WorkGridArea::Row : WorkGridArea::Column,
                          static_cast<WorkGridAction>(action));
    sgWorkGrid.setSelection({sgWorkGrid.col(), sgWorkGrid.row(), sgWorkGrid.col(), sgWorkGrid.row()});
    workGridChanged();
}

void TfmWebCopy::workGridChanged()
{
    workModel_->reload();
    // A header that is drawn works out where each resized column stands on the screen,
    // which walks all columns before it: a page row of many thousand cells would take
    // minutes. Undrawn, the widths are taken one after the other and laid out once.
    QHeaderView *header = sgWorkGridView->horizontalHeader();
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    for (int c = 0; c < sgWorkGrid.colCount(); ++c)
        header->resizeSection(c, sgWorkGrid.colWidth(c));
    header->setUpdatesEnabled(updates);
    sgWorkGridView->viewport()->update();
    showCurrentCell();
}

void TfmWebCopy::showCurrentCell()
{
    if (sgWorkGrid.rowCount() == 0 || sgWorkGrid.colCount() == 0)
        return;
    const StringGrid::Selection sel = sgWorkGrid.selection();
    const QModelIndex current = workModel_->index(sgWorkGrid.row(), sgWorkGrid.col());
    const QItemSelection block(workModel_->index(sel.top, sel.left), workModel_->index(sel.bottom, sel.right));
    const QSignalBlocker blocker(sgWorkGridView->selectionModel());
    sgWorkGridView->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    sgWorkGridView->selectionModel()->select(block, QItemSelectionModel::ClearAndSelect);
}

void TfmWebCopy::viewSelectionChanged()
{
    const QModelIndex current = sgWorkGridView->selectionModel()->currentIndex();
    if (current.isValid())
        sgWorkGrid.setCurrent(current.column(), current.row());
    const QItemSelection selection = sgWorkGridView->selectionModel()->selection();
    if (selection.isEmpty()) {
        sgWorkGrid.setSelection({sgWorkGrid.col(), sgWorkGrid.row(), sgWorkGrid.col(), sgWorkGrid.row()});
        return;
    }
    StringGrid::Selection s{selection.first().left(), selection.first().top(), selection.first().right(),
                            selection.first().bottom()};
    for (const QItemSelectionRange &range : selection) {
        s.left = std::min(s.left, range.left());
        s.top = std::min(s.top, range.top());
        s.right = std::max(s.right, range.right());
        s.bottom = std::max(s.bottom, range.bottom());
    }
    sgWorkGrid.setSelection(s);
}
