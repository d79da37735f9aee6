#include "app/edit_timetable.h"

#include "web/web_copy.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QWindow>

TfmEditTimeTable *fmEditTimeTable = nullptr;

TfmEditTimeTable::TfmEditTimeTable(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setObjectName(QStringLiteral("fmEditTimeTable"));
    // The copy mode is never offered: the grid always edits.
    sbCopyMode->setVisible(false);
    sbCopyMode->setEnabled(false);
    pTimeTableEdit->setVisible(false);
    btSave->setVisible(false);
    m_model.SaveButtonVisible = [this](bool visible) { btSave->setVisible(visible); };
    sgTimeTable->setModel(&m_model);

    connect(btTimeTableEdit, &QPushButton::clicked, this, &TfmEditTimeTable::btTimeTableEditClick);
    connect(btSave, &QPushButton::clicked, this, &TfmEditTimeTable::btSaveClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmEditTimeTable::btCancelClick);
    connect(sbTimeTableDelete, &QPushButton::clicked, this, &TfmEditTimeTable::sbTimeTableDeleteClick);
    connect(bbWebCopy, &QPushButton::clicked, this, &TfmEditTimeTable::bbWebCopyClick);
    connect(sbPaste, &QPushButton::clicked, this, &TfmEditTimeTable::sbPasteClick);
    connect(sbCopyMode, &QToolButton::toggled, this, &TfmEditTimeTable::sbCopyModeClick);
    connect(btClose, &QPushButton::clicked, this, &QWidget::close);
}

TfmEditTimeTable::~TfmEditTimeTable()
{
    if (fmWebCopy && windowHandle() && fmWebCopy->ownerWindow() == windowHandle())
        fmWebCopy->setOwnerWindow(nullptr);
}

void TfmEditTimeTable::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfmEditTimeTable::FormShow()
{
    cbLines->clear();
    cbLines->addItems(TimeTableLineNames());
    cbLines->setCurrentIndex(cbLines->count() > 0 ? 0 : -1);
    btTimeTableEdit->setVisible(cbLines->count() > 0);
    cbDays->clear();
    cbDays->addItems(TimeTableDayGroupNames());
    cbDays->setCurrentIndex(cbDays->count() > 0 ? 0 : -1);
    if (pLineChoice->isEnabled())
        cbLines->setFocus();
}

void TfmEditTimeTable::btTimeTableEditClick()
{
    if (!LoadTimeTableGrid(m_model, m_choice, cbLines->currentText(), cbDays->currentText(),
                           cbDirection->currentText()))
        return;
    enterEditMode();
}

void TfmEditTimeTable::enterEditMode()
{
    pTimeTableEdit->setVisible(true);
    pLineChoice->setEnabled(false);
    btTimeTableEdit->setEnabled(false);
    btClose->setVisible(false);
    sgTimeTable->resetView();
    sgTimeTable->setFocus();
}

void TfmEditTimeTable::leaveEditMode()
{
    pTimeTableEdit->setVisible(false);
    pLineChoice->setEnabled(true);
    btTimeTableEdit->setEnabled(true);
    btClose->setVisible(true);
    cbLines->setFocus();
}

void TfmEditTimeTable::btSaveClick()
{
    const TimeTableSaveResult result = SaveTimeTableGrid(m_model, m_choice);
    sgTimeTable->refresh();
    if (result == TimeTableSaveResult::Saved) {
        leaveEditMode();
        return;
    }
    // Declined or failed: the grid stays for another try or for Cancel.
    sgTimeTable->setFocus();
}

void TfmEditTimeTable::btCancelClick()
{
    leaveEditMode();
}

void TfmEditTimeTable::sbTimeTableDeleteClick()
{
    DeleteTimeTableOfGrid(m_choice);
    leaveEditMode();
}

void TfmEditTimeTable::bbWebCopyClick()
{
    if (!fmWebCopy)
        return;
    fmWebCopy->setTimeTableGrid(&m_model.sgTimeTable);
    if (!fmWebCopy->isVisible()) {
        // Owned by this window through its window handle only: a window this modal one owns
        // takes input while it runs, and the browser inside stays out of this window's widgets,
        // whose drawing surface it would otherwise take over (and break when this one is
        // shown again).
        if (QWindow *own = window()->windowHandle())
            fmWebCopy->setOwnerWindow(own);
        fmWebCopy->move(frameGeometry().topRight());
    }
    fmWebCopy->show();
    fmWebCopy->raise();
}

void TfmEditTimeTable::sbPasteClick()
{
    if (!fmWebCopy)
        return;
    PasteWorkBlock(m_model, fmWebCopy->sgWorkGrid);
    sgTimeTable->resetView();
    sgTimeTable->setFocus();
}

void TfmEditTimeTable::sbCopyModeClick(bool down)
{
    sgTimeTable->setEditing(!down);
    m_model.EnterPressed = false;
    m_model.FillDone = false;
}

bool TfmEditTimeTable::FormCloseQuery() const
{
    return !btClose->isHidden();
}

void TfmEditTimeTable::FormClose()
{
    if (fmWebCopy && fmWebCopy->isVisible())
        fmWebCopy->close();
}

void TfmEditTimeTable::reject()
{
    if (FormCloseQuery()) // Escape closes only in choice mode
        QDialog::reject();
}

void TfmEditTimeTable::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfmEditTimeTable::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        FormClose();
}
