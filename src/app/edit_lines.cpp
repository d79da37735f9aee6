#include "app/edit_lines.h"

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

TfmEditLines *fmEditLines = nullptr;

TfmEditLines::TfmEditLines(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    connect(btNewLine, &QPushButton::clicked, this, &TfmEditLines::btNewLineClick);
    connect(btLineEdit, &QPushButton::clicked, this, &TfmEditLines::btLineEditClick);
    connect(btLineDelete, &QPushButton::clicked, this, &TfmEditLines::btLineDeleteClick);
    connect(btSave, &QPushButton::clicked, this, &TfmEditLines::btSaveClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmEditLines::btCancelClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::close);
    connect(leLineName, &QLineEdit::textEdited, this, &TfmEditLines::leLineNameChange);
    connect(cbStandardColor, &QCheckBox::clicked, this, &TfmEditLines::cbStandardColorClick);
    connect(fLineColorChoice, &TFrameColorChoice::ColorChanged, this, &TfmEditLines::fLineColorChoiceeHexColorChange);
    connect(fLineColorChoice, &TFrameColorChoice::ColorSelectChanged, this,
            &TfmEditLines::FrameLineColorChoicecobColorSelectChange);
    gbLineEdit->setVisible(false);
    stLineEdit->setVisible(false);
}

void TfmEditLines::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfmEditLines::FormShow()
{
    FillSortedNames(lbLines, NamesInIdOrder(dm1->cdsLines, QStringLiteral("Line")));
    setEditMode(false);
}

void TfmEditLines::FormClose()
{
    lbLines->clear();
}

void TfmEditLines::done(int result)
{
    if (btClose->isHidden())
        return;
    FormClose();
    QDialog::done(result);
}

void TfmEditLines::EditOn()
{
    btSave->setVisible(true);
}
void TfmEditLines::EditOff()
{
    btSave->setVisible(false);
}
void TfmEditLines::ClearLineEdit()
{
    leLineName->clear();
}
void TfmEditLines::leLineNameChange()
{
    EditOn();
}
void TfmEditLines::fLineColorChoiceeHexColorChange()
{
    EditOn();
}
void TfmEditLines::FrameLineColorChoicecobColorSelectChange()
{
    EditOn();
}

void TfmEditLines::cbStandardColorClick()
{
    pLineColorChoice->setVisible(!cbStandardColor->isChecked());
    EditOn();
}

void TfmEditLines::ShowLineStations()
{
    lbLineStations->clear();
    const int lineID = GetLineIDByName(SelectedListName(lbLines));
    if (lineID != -1)
        lbLineStations->addItems(LineStationNamesOf(lineID));
}

void TfmEditLines::setEditMode(bool editing)
{
    SetListEditMode(editing, lbLines, {btNewLine, btLineEdit, btLineDelete}, {gbLineEdit, stLineEdit}, btClose);
    if (editing)
        EditOff();
}

void TfmEditLines::btNewLineClick()
{
    ClearListSelection(lbLines);
    ClearLineEdit();
    lbLineStations->clear();
    cbStandardColor->setChecked(true);
    pLineColorChoice->setVisible(false);
    setEditMode(true);
    leLineName->setFocus();
}

void TfmEditLines::btLineEditClick()
{
    const QString name = SelectedListName(lbLines);
    if (name.isEmpty())
        return;
    leLineName->setText(name);
    const int lineID = GetLineIDByName(name);
    ShowLineStations();
    setEditMode(true);
    const std::optional<RgbColor> color = LineGraphicColorOf(lineID);
    if (color)
        fLineColorChoice->SetRGBColor(color->red, color->green, color->blue);
    cbStandardColor->setChecked(!color);
    pLineColorChoice->setVisible(bool(color));
}

void TfmEditLines::btSaveClick()
{
    const QString name = leLineName->text();
    // A line without a name would be dropped by the next save of lines.ptf, leaving its
    // stations, timetables and colour to whichever line gets its ID next.
    if (name.trimmed().isEmpty()) {
        dialogs().showMessage(QStringLiteral("A line name must be given!"));
        return;
    }
    if (!CheckAnsiText(name))
        return;

    // The line and its colour are saved together or not at all, every file checked before the
    // first of them is written; a failed save keeps editing.
    const int selected = SelectedListRow(lbLines);
    const QString oldName = selected >= 0 ? lbLines->item(selected)->text() : QString();
    if (((selected < 0 || name != oldName) && RefuseDamagedTables({&dm1->cdsLines})) ||
        RefuseDamagedTables({&dm1->cdsLineGraphic}))
        return;
    ProjectChange change;
    int lineID = -1;
    if (selected >= 0) {
        lineID = GetLineIDByName(oldName);
        if (name != oldName) {
            ansi::setLastWriteError(QString());
            if (!RenameLine(oldName, name)) {
                change.finish(false);
                ReportFailedSave(dm1->cdsLines, QStringLiteral("lines.ptf"),
                                 QStringLiteral("Error changing the line %1 in %2").arg(oldName, name));
                return;
            }
        }
    } else {
        if (FindListName(lbLines, name) >= 0) {
            dialogs().showMessage(QStringLiteral("Line already exists"));
            return;
        }
        ansi::setLastWriteError(QString());
        lineID = AddLine(name);
        if (lineID == -1) {
            change.finish(false);
            ReportFailedSave(dm1->cdsLines, QStringLiteral("lines.ptf"), QStringLiteral("Error saving the line"));
            return;
        }
    }
    if (lineID != -1 && !saveColor(lineID, change))
        return;
    if (!change.finish(true)) {
        dialogs().showMessage(ansi::withWriteReason(QStringLiteral("Error saving the line")));
        return;
    }
    if (selected < 0 || name != oldName) {
        if (selected >= 0)
            RemoveListRow(lbLines, selected);
        AddSortedName(lbLines, name);
    }

    ClearLineEdit();
    setEditMode(false);
    btNewLine->setFocus();
    if (lineID == -1)
        return;
    showWorkButton(WorkButton::AssignStations);
}

bool TfmEditLines::saveColor(int lineID, ProjectChange &change)
{
    Table &colors = dm1->cdsLineGraphic;
    RowsBackup before(colors);
    ansi::setLastWriteError(QString());
    bool saved = true;
    if (!cbStandardColor->isChecked())
        saved = SetLineGraphicColor(lineID, fLineColorChoice->Red, fLineColorChoice->Green, fLineColorChoice->Blue);
    else
        RemoveLineGraphicRow(lineID);
    // The first failed write ends it, and the colours stay as the file holds them.
    saved = before.keepIf(saved && SaveLineGraphic());
    if (!saved) {
        change.finish(false);
        ReportFailedSave(colors, QStringLiteral("line_graphic.ptf"));
    }
    return saved;
}

void TfmEditLines::btCancelClick()
{
    setEditMode(false);
}

void TfmEditLines::btLineDeleteClick()
{
    const int row = SelectedListRow(lbLines);
    if (row < 0 || btClose->isHidden())
        return;
    const QString name = lbLines->item(row)->text();
    if (!dialogs().askYesNo(
            QStringLiteral("Do you really want delete the line %s").replace(QStringLiteral("%s"), name) +
            QStringLiteral("?")))
        return;
    ansi::setLastWriteError(QString());
    if (DeleteLineByName(name))
        RemoveListRow(lbLines, row);
    else
        ReportFailedAction(QStringLiteral("Error deleting the line %s").replace(QStringLiteral("%s"), name));
}
