#include "app/edit_stations.h"

#include "data/project_change.h"

#include "app/editor_data.h"
#include "app/work_buttons.h"
#include "widgets/editor_lists.h"
#include "data/common_helpers.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"

#include <QShowEvent>

TfmEditStations *fmEditStations = nullptr;

TfmEditStations::TfmEditStations(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    connect(btNewStation, &QPushButton::clicked, this, &TfmEditStations::btNewStationClick);
    connect(btStationEdit, &QPushButton::clicked, this, &TfmEditStations::btStationEditClick);
    connect(btStationDelete, &QPushButton::clicked, this, &TfmEditStations::btStationDeleteClick);
    connect(btSave, &QPushButton::clicked, this, &TfmEditStations::btSaveClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmEditStations::btCancelClick);
    connect(btClose, &QPushButton::clicked, this, &TfmEditStations::btCloseClick);
    connect(cbStationNewLine, &QCheckBox::clicked, this, &TfmEditStations::cbStationNewLineClick);
    connect(leStationName, &QLineEdit::textEdited, this, &TfmEditStations::leStationNameChange);
    gbStationEdit->setVisible(false);
    stStationEdit->setVisible(false);
}

void TfmEditStations::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfmEditStations::FormShow()
{
    FillSortedNames(lbStations, NamesInIdOrder(dm1->cdsStations, QStringLiteral("Station")));
    cbStationNewLineClear->setVisible(false);
    // Every show starts in browsing.
    setEditMode(false);
}

void TfmEditStations::FormClose()
{
    lbStations->clear();
}

void TfmEditStations::done(int result)
{
    if (btClose->isHidden())
        return;
    FormClose();
    QDialog::done(result);
}

void TfmEditStations::btCloseClick()
{
    close();
}

void TfmEditStations::EditOn()
{
    btSave->setVisible(true);
}
void TfmEditStations::EditOff()
{
    btSave->setVisible(false);
}
void TfmEditStations::ClearStationEdit()
{
    leStationName->clear();
}
void TfmEditStations::leStationNameChange()
{
    EditOn();
}

void TfmEditStations::cbStationNewLineClick()
{
    cbStationNewLineClear->setVisible(cbStationNewLine->isChecked());
}

void TfmEditStations::setEditMode(bool editing)
{
    SetListEditMode(editing, lbStations, {btNewStation, btStationEdit, btStationDelete}, {gbStationEdit, stStationEdit},
                    btClose);
    if (editing)
        EditOff();
}

void TfmEditStations::btNewStationClick()
{
    cbStationNewLine->setVisible(true);
    cbStationNewLineClear->setChecked(false);
    cbStationNewLineClear->setVisible(cbStationNewLine->isChecked());
    ClearListSelection(lbStations);
    ClearStationEdit();
    setEditMode(true);
    leStationName->setFocus();
}

void TfmEditStations::btStationEditClick()
{
    const QString name = SelectedListName(lbStations);
    if (name.isEmpty())
        return;
    cbStationNewLine->setVisible(false);
    cbStationNewLineClear->setVisible(false);
    leStationName->setText(name);
    setEditMode(true);
}

void TfmEditStations::btSaveClick()
{
    const QString name = leStationName->text().trimmed();
    leStationName->setText(name);
    if (name.isEmpty()) {
        dialogs().showMessage(QStringLiteral("A station name must be given!"));
        return;
    }
    if (!CheckAnsiText(name))
        return;

    const int selected = SelectedListRow(lbStations);
    if (selected >= 0) {
        const QString oldName = lbStations->item(selected)->text();
        if (oldName != name) {
            ansi::setLastWriteError(QString());
            if (RenameStation(oldName, name)) {
                RemoveListRow(lbStations, selected);
                AddSortedName(lbStations, name);
            } else {
                ReportFailedSave(dm1->cdsStations, QStringLiteral("stations.ptf"),
                                 QStringLiteral("Error changing the station") + oldName + QStringLiteral(" in ") +
                                     name + QStringLiteral("!"));
                return; // a failed save keeps editing
            }
        }
    } else {
        if (FindListName(lbStations, name) >= 0) {
            dialogs().showMessage(QStringLiteral("Station already exists!"));
            return;
        }
        // The station and its place in the list of new stations are saved together or not at all,
        // and both files are checked before the first of them is written.
        if (RefuseDamagedTables({&dm1->cdsStations}) ||
            (cbStationNewLine->isChecked() && RefuseDamagedTables({&dm1->cdsNewStations})))
            return; // a refused save keeps editing
        ansi::setLastWriteError(QString());
        ProjectChange change;
        const int id = AddStation(name);
        if (id == -1) {
            change.finish(false);
            ReportFailedSave(dm1->cdsStations, QStringLiteral("stations.ptf"),
                             QStringLiteral("Error saving the station"));
            return; // a failed save keeps editing
        }
        if (cbStationNewLine->isChecked()) {
            // The first failed write ends it: a damaged file has been named by it already.
            const bool saved = (!cbStationNewLineClear->isChecked() || ClearNewStations()) && AddNewStation(id) &&
                               SaveNewStations();
            if (!saved) {
                change.finish(false);
                ReportFailedSave(dm1->cdsNewStations, QStringLiteral("newstations.ptf"));
                return;
            }
        }
        if (!change.finish(true)) {
            dialogs().showMessage(ansi::withWriteReason(QStringLiteral("Error saving the station")));
            return;
        }
        AddSortedName(lbStations, name);
    }
    setEditMode(false);
    btNewStation->setFocus();
    showWorkButton(WorkButton::EditLines);
}

void TfmEditStations::btCancelClick()
{
    setEditMode(false);
}

void TfmEditStations::btStationDeleteClick()
{
    if (btClose->isHidden())
        return;
    const int row = SelectedListRow(lbStations);
    if (row < 0)
        return;
    const QString name = lbStations->item(row)->text();
    if (!dialogs().askYesNo(
            QStringLiteral("Do you really want delete the station %s").replace(QStringLiteral("%s"), name)))
        return;
    ansi::setLastWriteError(QString());
    if (DeleteStationByName(name))
        RemoveListRow(lbStations, row);
    else
        ReportFailedAction(QStringLiteral("Error deleting the station: ") + name + QStringLiteral(" !"));
}
