// The station-name panel of station mode: name placement overrides for the current station,
// the current section, or all sections of the line in the current direction class.

#include "linemap/edit_linemap_lines.h"

#include <QSignalBlocker>

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "linemap/plan_style_rules.h"
#include "linemap/plan_tables.h"
#include "linemap/station_text_choices.h"
#include "platform/dialog_service.h"
#include "platform/table.h"

namespace {

// Finds the override row of a scope and leaves the table on idxLineIDTypeValue, the index the
// Set and Get row routines search.
bool findOverride(int LineID, int IDType, int IDValue, TNamePlacementRow *Row = nullptr)
{
    return SeekNamePlacementRow(dm1->cdsLineMapIndividualStationPrefs, QStringLiteral("idxLineIDTypeValue"),
                                {LineID, IDType, IDValue}, Row);
}

} // namespace

int TfmEditLineMapLines::stationScopeValue() const
{
    switch (m_stationTab) {
    case 0: return State.CurrentStationID;
    case 1: return State.CurrentSectionIndex + 1;
    default: return DirectionClassOf(State.Degree);
    }
}

// The override's controls, shown only while the scope has an override row.
void TfmEditLineMapLines::showStationTextControls(bool Shown)
{
    for (QWidget *w : std::initializer_list<QWidget *>{lStationTextPosition, cbStationTextPosition,
                                                       lStationTextDistanceH, lStationTextDistanceHPixel,
                                                       lStationTextDistanceV, lStationTextDistanceVPixel,
                                                       eStationTextDistanceH, eStationTextDistanceV})
        w->setVisible(Shown);
}

void TfmEditLineMapLines::ShowStationTextPrefs()
{
    if (findOverride(State.CurrentLineID, m_stationTab, stationScopeValue())) {
        cbStationDefaultProperties->setChecked(false);
        FillStationTextPositionChoices();
    } else {
        cbStationDefaultProperties->setChecked(true);
        {
            const QSignalBlocker block(cbStationTextPosition);
            cbStationTextPosition->setCurrentIndex(-1);
        }
        showStationTextControls(false);
        eStationTextDistanceH->clear();
        eStationTextDistanceV->clear();
    }
    tcIndividualProperties->show();
}

void TfmEditLineMapLines::FillStationTextPositionChoices()
{
    TNamePlacementRow row;
    findOverride(State.CurrentLineID, m_stationTab, stationScopeValue(), &row);
    {
        const QSignalBlocker block(cbStationTextPosition);
        cbStationTextPosition->clear();
        cbStationTextPosition->addItems(StationTextPositionItems(State.Degree));
        cbStationTextPosition->setCurrentIndex(
            StationTextChoiceIndex(State.Degree, row.Position, row.TextDirection, row.Rotation));
    }
    showStationTextControls(true);
    eStationTextDistanceH->setText(QString::number(row.OffsetX));
    eStationTextDistanceV->setText(QString::number(row.OffsetY));
}

void TfmEditLineMapLines::tcIndividualPropertiesChanging()
{
    // A typed offset belongs to the scope being left.
    if (eStationTextDistanceV->hasFocus() || eStationTextDistanceV->isModified())
        eStationTextDistanceVExit();
    if (eStationTextDistanceH->hasFocus() || eStationTextDistanceH->isModified())
        eStationTextDistanceHExit();
}

void TfmEditLineMapLines::tcIndividualPropertiesChange()
{
    if (State.StationMode)
        ShowStationTextPrefs();
}

void TfmEditLineMapLines::cbStationDefaultPropertiesMouseUp()
{
    if (!State.StationMode)
        return;
    const int value = stationScopeValue();
    if (cbStationDefaultProperties->isChecked()) {
        DeleteIndividualStationPrefs(State.CurrentLineID, m_stationTab, value);
        ShowStationTextPrefs();
        return;
    }
    const int cls = DirectionClassOf(State.Degree);
    const TStationDirectionPrefs &d = StationPrefs(State.Prefs, cls < 0 ? dcWE : cls);
    if (!findOverride(State.CurrentLineID, m_stationTab, value))
        AddIndividualStationPrefs(State.CurrentLineID, m_stationTab, value, d.Position, d.OffsetX, d.OffsetY,
                                  d.TextDirection, d.Rotation);
    FillStationTextPositionChoices();
}

void TfmEditLineMapLines::cbStationTextPositionChange()
{
    int position = 0;
    int textDirection = 0;
    int rotation = 0;
    if (!State.StationMode ||
        !StationTextChoiceValues(State.Degree, cbStationTextPosition->currentIndex(), position, textDirection, rotation))
        return;
    const int value = stationScopeValue();
    if (!findOverride(State.CurrentLineID, m_stationTab, value))
        return;
    SetIndividualStationTextPosition(State.CurrentLineID, m_stationTab, value, position, textDirection, rotation);
    RedrawWhole();
    ShowStationTextPrefs();
}

void TfmEditLineMapLines::stationOffsetExit(bool Horizontal)
{
    if (!State.StationMode)
        return;
    QLineEdit *edit = Horizontal ? eStationTextDistanceH : eStationTextDistanceV;
    const int value = stationScopeValue();
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        findOverride(State.CurrentLineID, m_stationTab, value); // the Get routines search the active index
        const int stored = Horizontal ? GetIndividualStationOffsetX(State.CurrentLineID, m_stationTab, value)
                                      : GetIndividualStationOffsetY(State.CurrentLineID, m_stationTab, value);
        edit->setText(QString::number(stored));
    } else {
        int offset = 0;
        if (!ParseIntegerText(text, offset)) {
            edit->setModified(false);
            dialogs().showMessage(QStringLiteral("'%1' is not a valid integer value").arg(text));
            return;
        }
        if (findOverride(State.CurrentLineID, m_stationTab, value)) {
            if (Horizontal)
                SetIndividualStationOffsetX(State.CurrentLineID, m_stationTab, value, offset);
            else
                SetIndividualStationOffsetY(State.CurrentLineID, m_stationTab, value, offset);
        }
        edit->setModified(false);
    }
    RedrawWhole();
}

void TfmEditLineMapLines::eStationTextDistanceHExit() { stationOffsetExit(true); }
void TfmEditLineMapLines::eStationTextDistanceVExit() { stationOffsetExit(false); }
