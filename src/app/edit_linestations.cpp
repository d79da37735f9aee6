#include "app/edit_linestations.h"

#include "data/project_change.h"

#include "app/editor_data.h"
#include "app/work_buttons.h"
#include "widgets/editor_lists.h"
#include "data/data_module_1.h"
#include "data/db_delete.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "data/table_files.h"
#include "data/timetable_files.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_stamps.h"

#include <QFileInfo>
#include <QShowEvent>

TfmEditLineStations *fmEditLineStations = nullptr;

TfmEditLineStations::TfmEditLineStations(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    connect(btStationEdit, &QPushButton::clicked, this, &TfmEditLineStations::btStationEditClick);
    connect(rbAllStations, &QRadioButton::clicked, this, &TfmEditLineStations::rbAllStationsClick);
    connect(rbNewStations, &QRadioButton::clicked, this, &TfmEditLineStations::rbNewStationsClick);
    connect(btSelectAllStations, &QPushButton::clicked, this, &TfmEditLineStations::btSelectAllStationsClick);
    connect(btStationToLine, &QPushButton::clicked, this, &TfmEditLineStations::btStationToLineClick);
    connect(btStationUp, &QPushButton::clicked, this, &TfmEditLineStations::btStationUpClick);
    connect(btStationDown, &QPushButton::clicked, this, &TfmEditLineStations::btStationDownClick);
    connect(btDeleteStation, &QPushButton::clicked, this, &TfmEditLineStations::btDeleteStationClick);
    connect(btSave, &QPushButton::clicked, this, &TfmEditLineStations::btSaveClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmEditLineStations::btCancelClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::close);
    gbLineAssign->setVisible(false);
}

void TfmEditLineStations::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfmEditLineStations::FormShow()
{
    FillSortedNames(lbLines, NamesInIdOrder(dm1->cdsLines, QStringLiteral("Line")));
    FillStationList();
    btCancelClick();
}

void TfmEditLineStations::done(int result)
{
    if (!gbLineAssign->isHidden())
        btCancelClick();
    QDialog::done(result);
}

void TfmEditLineStations::EditOn()
{
    btSave->setVisible(true);
}
void TfmEditLineStations::EditOff()
{
    btSave->setVisible(false);
}

void TfmEditLineStations::FillStationList()
{
    lbStations->clear();
    if (rbNewStations->isChecked()) {
        lbStations->addItems(NewStationNames());
        return;
    }
    FillSortedNames(lbStations, NamesInIdOrder(dm1->cdsStations, QStringLiteral("Station")));
}

void TfmEditLineStations::rbAllStationsClick()
{
    FillStationList();
}
void TfmEditLineStations::rbNewStationsClick()
{
    FillStationList();
}

void TfmEditLineStations::FillLineStationList()
{
    lbLineStations->clear();
    const QString line = SelectedListName(lbLines);
    if (line.isEmpty())
        return;
    const int lineID = GetLineIDByName(line);
    if (lineID != -1)
        lbLineStations->addItems(LineStationNamesOf(lineID));
}

void TfmEditLineStations::btStationEditClick()
{
    const QString line = SelectedListName(lbLines);
    if (line.isEmpty())
        return;
    lbLines->setEnabled(false);
    btStationEdit->setVisible(false);
    lLineName->setText(QStringLiteral("Line ") + line);
    FillLineStationList();
    gbLineAssign->setVisible(true);
    EditOff();
    btClose->setVisible(false);
}

void TfmEditLineStations::selectStop(int row)
{
    lbLineStations->setCurrentRow(row);
    if (QListWidgetItem *item = lbLineStations->item(row))
        item->setSelected(true);
}

void TfmEditLineStations::btStationToLineClick()
{
    bool any = false;
    for (int i = 0; i < lbStations->count(); ++i) {
        if (!lbStations->item(i)->isSelected())
            continue;
        any = true;
        const QString name = lbStations->item(i)->text();
        const int after = SelectedListRow(lbLineStations);
        if (lbLineStations->count() > 0 && after >= 0) {
            lbLineStations->insertItem(after + 1, name);
            selectStop(after + 1);
        } else {
            lbLineStations->addItem(name);
            selectStop(lbLineStations->count() - 1);
        }
    }
    if (any)
        EditOn();
    lbStations->setFocus();
}

void TfmEditLineStations::btSelectAllStationsClick()
{
    lbStations->selectAll();
}

void TfmEditLineStations::btStationUpClick()
{
    const int row = SelectedListRow(lbLineStations);
    if (row > 0) {
        lbLineStations->insertItem(row - 1, lbLineStations->takeItem(row));
        selectStop(row - 1);
    }
    EditOn();
}

void TfmEditLineStations::btStationDownClick()
{
    const int row = SelectedListRow(lbLineStations);
    if (row >= 0 && row < lbLineStations->count() - 1) {
        lbLineStations->insertItem(row + 1, lbLineStations->takeItem(row));
        selectStop(row + 1);
    }
    EditOn();
}

void TfmEditLineStations::btDeleteStationClick()
{
    const int row = SelectedListRow(lbLineStations);
    if (row >= 0) {
        delete lbLineStations->takeItem(row);
        if (lbLineStations->count() > 0)
            selectStop(qMin(row, lbLineStations->count() - 1));
    }
    EditOn();
}

bool TfmEditLineStations::saveStations(int lineID, const QStringList &stations)
{
    // Read without the rows of a damaged file, every line would seem to have no stations; the
    // stations name the stops, and the line's timetables are found by its connections.
    if (RefuseDamagedTables({&dm1->cdsLineStations, &dm1->cdsStations, &dm1->cdsLineConnections}))
        return false;
    const bool hadStations = LineHasStations(lineID);
    // The line's timetables and the plans showing it are read before anything is written: a
    // damaged one found midway would leave a change to undo.
    if (hadStations && (RefuseDamagedFile(FirstDamagedPlanFile(false)) ||
                        (!stations.isEmpty() && RefuseDamagedFile(DamagedTimeTableFileOfLine(lineID)))))
        return false;
    if (stations.isEmpty()) {
        if (!hadStations)
            return true;
        return DeleteLineFromLineMapStationTables(lineID) && DeleteLineStationsOfLine(lineID);
    }
    if (hadStations) {
        if (FileStamps::seenThere(ProjectDir + QStringLiteral("/line_maps.ptf")) &&
            !DeleteRemovedStationsFromLineMaps(lineID, stations))
            return false;
        if (LineHasConnections(lineID))
            return ApplyLineStationsToTimeTables(lineID, stations);
        return SetLineStations(lineID, stations);
    }
    RowsBackup before(dm1->cdsLineStations);
    return before.keepIf(AppendLineStations(lineID, stations) && SaveLineStations());
}

void TfmEditLineStations::btSaveClick()
{
    const QString line = SelectedListName(lbLines);
    const int lineID = GetLineIDByName(line);
    QStringList stations;
    for (int i = 0; i < lbLineStations->count(); ++i)
        stations << lbLineStations->item(i)->text();
    ansi::setLastWriteError(QString());
    // The line's stations, its timetables, distances and plans change together or not at all.
    ProjectChange change;
    if (lineID != -1 && !change.finish(saveStations(lineID, stations))) {
        ReportFailedSave(dm1->cdsLineStations, QStringLiteral("line_stations.ptf"));
        // A failed save keeps assigning, so the stations asked for are not lost from sight.
        return;
    }

    // Save leaves assigning as Cancel does.
    btCancelClick();
    showWorkButton(WorkButton::EditTimeTable);
    showWorkButton(WorkButton::EditLineNetworkPlans);
}

void TfmEditLineStations::btCancelClick()
{
    gbLineAssign->setVisible(false);
    lbLines->setEnabled(true);
    btStationEdit->setVisible(true);
    btStationEdit->setFocus();
    btClose->setVisible(true);
}
