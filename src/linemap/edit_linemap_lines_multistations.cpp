// Transfer-station mode of the plan drawing editor: the name placement of each transfer station.

#include "linemap/edit_linemap_lines.h"

#include "data/project_change.h"

#include <QSignalBlocker>

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "linemap/plan_style_rules.h"
#include "linemap/plan_tables.h"
#include "linemap/station_placement.h"
#include "linemap/station_text_choices.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/table.h"

namespace {

// Finds the station's transfer-name row and leaves the table on idxStationID, the index the
// Set and Get row routines search.
bool findMultiRow(int StationID, TNamePlacementRow *Row = nullptr)
{
    return SeekNamePlacementRow(dm1->cdsLineMapIndividualMultiStationPrefs, QStringLiteral("idxStationID"),
                                {StationID}, Row);
}

bool inTransferMode(const QTabWidget *Pages, const QWidget *Page)
{
    return Pages->currentWidget() == Page;
}

} // namespace

void TfmEditLineMapLines::bbEditMultiStationsClick()
{
    const QList<int> ids = TransferStationIDs();
    if (ids.isEmpty())
        return; // no transfer station on the plan: no mode, no message
    State.MultiStations.clear();
    {
        const QSignalBlocker block(lbMultiStations);
        lbMultiStations->clear();
        for (int id : ids) {
            const QString name = GetStationNameByID(id);
            lbMultiStations->addItem(name);
            State.MultiStations.push_back({id, name});
        }
        lbMultiStations->setCurrentRow(0);
    }
    State.CurrentMultiStationIndex = 0;
    State.CurrentStationID = ids.front();
    EnterMode(tsMultiStationPrefs);
    ShowMultiStationPrefs();
}

void TfmEditLineMapLines::lbMultiStationsClick()
{
    const int row = lbMultiStations->currentRow();
    if (!inTransferMode(pcPrefs, tsMultiStationPrefs) || row < 0 || row >= int(State.MultiStations.size()))
        return;
    State.CurrentMultiStationIndex = row;
    State.CurrentStationID = State.MultiStations[row].StationID;
    ShowMultiStationPrefs();
    RedrawWhole();
}

// The override's controls, shown only while the station has an override row.
void TfmEditLineMapLines::showMultiStationControls(bool Shown)
{
    for (QWidget *w : std::initializer_list<QWidget *>{
             lMultiStationPosition, cbMultiStationPosition, lMultiStationAlign, cbMultiStationAlign,
             lMultiStationDirection, cbMultiStationDirection, lMultiStationTextDistanceH,
             lMultiStationTextDistanceHPixel, eMultiStationTextDistanceH, lMultiStationTextDistanceV,
             lMultiStationTextDistanceVPixel, eMultiStationTextDistanceV})
        w->setVisible(Shown);
}

void TfmEditLineMapLines::ShowMultiStationPrefs()
{
    if (findMultiRow(State.CurrentStationID)) {
        cbMultiStationDefaultProperties->setChecked(false);
        FillMultiStationTextChoices();
    } else {
        cbMultiStationDefaultProperties->setChecked(true);
        for (QComboBox *box : {cbMultiStationPosition, cbMultiStationAlign, cbMultiStationDirection}) {
            const QSignalBlocker block(box);
            box->setCurrentIndex(-1);
        }
        showMultiStationControls(false);
        eMultiStationTextDistanceH->clear();
        eMultiStationTextDistanceV->clear();
    }
    gbMultiStationProperties->show();
}

void TfmEditLineMapLines::FillMultiStationTextChoices()
{
    TNamePlacementRow row;
    findMultiRow(State.CurrentStationID, &row);
    const bool known = row.Position >= 0 && row.Position <= 11;
    const int forced = MultiStationForcedAlign(row.Position);
    const int align = row.TextDirection >= 0 && row.TextDirection <= 2 ? row.TextDirection : -1;
    {
        const QSignalBlocker b1(cbMultiStationPosition);
        const QSignalBlocker b2(cbMultiStationAlign);
        const QSignalBlocker b3(cbMultiStationDirection);
        cbMultiStationPosition->setCurrentIndex(known ? row.Position : -1);
        if (forced >= 0) {
            cbMultiStationAlign->setCurrentIndex(forced);
            cbMultiStationAlign->setEnabled(false);
        } else {
            cbMultiStationAlign->setCurrentIndex(known ? align : -1);
            cbMultiStationAlign->setEnabled(known);
        }
        const QStringList items = MultiStationDirectionItems(row.Position, align);
        cbMultiStationDirection->clear();
        cbMultiStationDirection->addItems(items);
        const int item = MultiStationDirectionIndex(row.Position, row.Rotation);
        cbMultiStationDirection->setCurrentIndex(item < items.size() ? item : -1);
        cbMultiStationDirection->setEnabled(true);
    }
    showMultiStationControls(true);
    eMultiStationTextDistanceH->setText(QString::number(row.OffsetX));
    eMultiStationTextDistanceV->setText(QString::number(row.OffsetY));
}

void TfmEditLineMapLines::cbMultiStationDefaultPropertiesMouseUp()
{
    if (!inTransferMode(pcPrefs, tsMultiStationPrefs))
        return;
    if (cbMultiStationDefaultProperties->isChecked()) {
        DeleteMultiStationPrefs(State.CurrentStationID);
    } else if (!findMultiRow(State.CurrentStationID)) {
        const TLineMapPrefs &p = State.Prefs;
        AddMultiStationPrefs(State.CurrentStationID, p.MultiStationPosition, p.MultiStationOffsetX,
                             p.MultiStationOffsetY, p.MultiStationAlign, p.MultiStationRotation);
    }
    ShowMultiStationPrefs();
}

void TfmEditLineMapLines::cbMultiStationPositionChange()
{
    const int position = cbMultiStationPosition->currentIndex();
    if (!inTransferMode(pcPrefs, tsMultiStationPrefs) || position < 0 || position > 11 ||
        !findMultiRow(State.CurrentStationID))
        return;
    int align = MultiStationForcedAlign(position);
    if (align < 0) {
        align = GetMultiStationTextDirection(State.CurrentStationID);
        if (align < 0 || align > 2)
            align = 0;
    }
    SetMultiStationTextPosition(State.CurrentStationID, position, align, 0);
    RedrawWhole();
    ShowMultiStationPrefs();
}

void TfmEditLineMapLines::cbMultiStationAlignChange()
{
    const int position = cbMultiStationPosition->currentIndex();
    const int align = cbMultiStationAlign->currentIndex();
    if (!inTransferMode(pcPrefs, tsMultiStationPrefs) || position < 0 || align < 0 ||
        !findMultiRow(State.CurrentStationID))
        return;
    SetMultiStationTextPosition(State.CurrentStationID, position, align, 0);
    RedrawWhole();
    ShowMultiStationPrefs();
}

void TfmEditLineMapLines::cbMultiStationDirectionChange()
{
    const int position = cbMultiStationPosition->currentIndex();
    const int align = cbMultiStationAlign->currentIndex();
    const int item = cbMultiStationDirection->currentIndex();
    if (!inTransferMode(pcPrefs, tsMultiStationPrefs) || position < 0 || align < 0 || item < 0 ||
        !findMultiRow(State.CurrentStationID))
        return;
    SetMultiStationTextPosition(State.CurrentStationID, position, align, MultiStationRotationOf(position, align, item));
    RedrawWhole();
    ShowMultiStationPrefs();
}

void TfmEditLineMapLines::multiStationOffsetExit(bool Horizontal)
{
    if (!inTransferMode(pcPrefs, tsMultiStationPrefs))
        return;
    QLineEdit *edit = Horizontal ? eMultiStationTextDistanceH : eMultiStationTextDistanceV;
    const QString text = edit->text().trimmed();
    const int id = State.CurrentStationID;
    if (text.isEmpty()) {
        findMultiRow(id);
        edit->setText(QString::number(Horizontal ? GetMultiStationOffsetX(id) : GetMultiStationOffsetY(id)));
    } else {
        int offset = 0;
        if (!ParseIntegerText(text, offset)) {
            dialogs().showMessage(QStringLiteral("'%1' is not a valid integer value").arg(text));
            return;
        }
        if (findMultiRow(id)) {
            if (Horizontal)
                SetMultiStationOffsetX(id, offset);
            else
                SetMultiStationOffsetY(id, offset);
        }
    }
    RedrawWhole();
}

void TfmEditLineMapLines::eMultiStationTextDistanceHExit() { multiStationOffsetExit(true); }
void TfmEditLineMapLines::eMultiStationTextDistanceVExit() { multiStationOffsetExit(false); }

void TfmEditLineMapLines::bbSaveMultiStationsClick()
{
    if (!inTransferMode(pcPrefs, tsMultiStationPrefs))
        return;
    // A file that could not be read is refused with its own message; the mode stays.
    if (RefuseDamagedFiles({LineMapTableFile(LineMapTable::TransferNames, State.LineMapID)}))
        return;
    ansi::setLastWriteError(QString());
    ProjectChange change;
    change.keepTablesOnUndo();
    if (!SaveLineMapIndividualMultiStationPrefs(State.LineMapID)) {
        change.finish(false);
        dialogs().showMessage(ansi::withWriteReason(
            QStringLiteral("Error saving the file %1").arg(LineMapTableFile(LineMapTable::TransferNames, State.LineMapID).fileName)));
        return; // the mode and the changes in memory stay
    }
    if (!FinishModeSave(change))
        return;
    {
        const QSignalBlocker block(lbMultiStations);
        lbMultiStations->clear();
    }
    lbLineSections2->clear();
    LeaveMode();
}

void TfmEditLineMapLines::bbCancelMultiStationsClick()
{
    if (!inTransferMode(pcPrefs, tsMultiStationPrefs))
        return;
    {
        const QSignalBlocker block(lbMultiStations);
        lbMultiStations->clear();
    }
    LoadLineMapIndividualMultiStationPrefs(State.LineMapID);
    LeaveMode();
}
