#include "linemap/edit_line_network_plans.h"

#include "data/project_change.h"

#include <QFileInfo>
#include <QPixmap>
#include <QShowEvent>

#include "data/common_helpers.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "data/table_files.h"
#include "linemap/edit_linemap_lines.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_export.h"
#include "linemap/linemap_records.h"
#include "linemap/plan_style_rules.h"
#include "linemap/style_preview.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_stamps.h"
#include "platform/table.h"
#include "widgets/editor_lists.h"
#include "widgets/line_edit_filters.h"

TfmEditLineNetworkPlans *fmEditLineNetworkPlans = nullptr;

namespace {

QString projectPrefsFile()
{
    return LineMapTableFile(LineMapTable::Prefs).fileName;
}

// A save writes the plan list and the settings: when the list could not be read from its file,
// that file is reported and the save writes nothing.
bool planListDamaged()
{
    return RefuseDamagedFiles({{&dm1->cdsLineMaps, ProjectDir + QStringLiteral("/line_maps.ptf")}});
}

} // namespace

TfmEditLineNetworkPlans::TfmEditLineNetworkPlans(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    FormCreate();

    connect(btNewLineMap, &QPushButton::clicked, this, &TfmEditLineNetworkPlans::btNewLineMapClick);
    connect(btLineMapEdit, &QPushButton::clicked, this, &TfmEditLineNetworkPlans::btLineMapEditClick);
    connect(btLineMapDelete, &QPushButton::clicked, this, &TfmEditLineNetworkPlans::btLineMapDeleteClick);
    connect(bbLineMapWork, &QPushButton::clicked, this, &TfmEditLineNetworkPlans::bbLineMapWorkClick);
    connect(btSave, &QPushButton::clicked, this, &TfmEditLineNetworkPlans::btSaveClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmEditLineNetworkPlans::btCancelClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::close);

    connect(eMapName, &QLineEdit::editingFinished, this, &TfmEditLineNetworkPlans::eMapNameExit);
    connect(eMapWidth, &QLineEdit::editingFinished, this, &TfmEditLineNetworkPlans::eMapWidthExit);
    connect(eMapHeight, &QLineEdit::editingFinished, this, &TfmEditLineNetworkPlans::eMapHeightExit);
    connect(eLineRasterWidth, &QLineEdit::editingFinished, this, &TfmEditLineNetworkPlans::eLineRasterWidthExit);
    connect(eLineWidth, &QLineEdit::editingFinished, this, &TfmEditLineNetworkPlans::eLineWidthExit);
    connect(eLineTextDistance, &QLineEdit::editingFinished, this, &TfmEditLineNetworkPlans::eLineTextDistanceExit);
    connect(eMultiStationDistanceH, &QLineEdit::editingFinished, this,
            &TfmEditLineNetworkPlans::eMultiStationDistanceHExit);
    connect(eMultiStationDistanceV, &QLineEdit::editingFinished, this,
            &TfmEditLineNetworkPlans::eMultiStationDistanceVExit);
    connect(eStationTextDistanceH, &QLineEdit::editingFinished, this,
            &TfmEditLineNetworkPlans::eStationTextDistanceHExit);
    connect(eStationTextDistanceV, &QLineEdit::editingFinished, this,
            &TfmEditLineNetworkPlans::eStationTextDistanceVExit);

    connect(cobBackgroundColor, &ColorBox::colorChanged, this, &TfmEditLineNetworkPlans::cobBackgroundColorChange);
    connect(cobLineColor, &ColorBox::colorChanged, this, &TfmEditLineNetworkPlans::cobLineColorChange);
    connect(cobVehicleColor, &ColorBox::colorChanged, this, &TfmEditLineNetworkPlans::cobVehicleColorChange);
    connect(cobLineTextColor, &ColorBox::colorChanged, this, &TfmEditLineNetworkPlans::cobLineTextColorChange);
    connect(cobLineTextBackgroundColor, &ColorBox::colorChanged, this,
            &TfmEditLineNetworkPlans::cobLineTextBackgroundColorChange);

    connect(cbBackgroundImageOn, &QCheckBox::clicked, this, &TfmEditLineNetworkPlans::cbBackgroundImageOnClick);
    connect(sbBackgroundImage, &QToolButton::clicked, this, &TfmEditLineNetworkPlans::sbBackgroundImageClick);
    connect(cbLineDefaultColor, &QCheckBox::clicked, this, &TfmEditLineNetworkPlans::cbLineDefaultColorClick);
    connect(cbLineTextStart, &QCheckBox::clicked, this, &TfmEditLineNetworkPlans::cbLineTextStartClick);
    connect(cbLineTextEnd, &QCheckBox::clicked, this, &TfmEditLineNetworkPlans::cbLineTextEndClick);
    connect(cbLineTextOther, &QCheckBox::clicked, this, &TfmEditLineNetworkPlans::cbLineTextOtherClick);
    connect(cbLineTextDefaultColor, &QCheckBox::clicked, this, &TfmEditLineNetworkPlans::cbLineTextDefaultColorClick);
    connect(cbLineTextDefaultBackgroundColor, &QCheckBox::clicked, this,
            &TfmEditLineNetworkPlans::cbLineTextDefaultBackgroundColorClick);
    connect(sbLineTextFont, &QToolButton::clicked, this, &TfmEditLineNetworkPlans::sbLineTextFontClick);
    connect(sbStationFont, &QToolButton::clicked, this, &TfmEditLineNetworkPlans::sbStationFontClick);
    connect(sbMultiStationFont, &QToolButton::clicked, this, &TfmEditLineNetworkPlans::sbMultiStationFontClick);
    connect(bbLineWE, &QToolButton::clicked, this, &TfmEditLineNetworkPlans::bbLineWEClick);
    connect(bbLineNS, &QToolButton::clicked, this, &TfmEditLineNetworkPlans::bbLineNSClick);
    connect(bbLineNWSE, &QToolButton::clicked, this, &TfmEditLineNetworkPlans::bbLineNWSEClick);
    connect(bbLineSWNE, &QToolButton::clicked, this, &TfmEditLineNetworkPlans::bbLineSWNEClick);
    connect(rgStationPositionItem0, &QRadioButton::clicked, this, [this] { rgStationPositionClick(0); });
    connect(rgStationPositionItem1, &QRadioButton::clicked, this, [this] { rgStationPositionClick(1); });
    connect(cbStationAlign, &QComboBox::activated, this, &TfmEditLineNetworkPlans::cbStationAlignChange);
    connect(cbStationDirection, &QComboBox::activated, this, &TfmEditLineNetworkPlans::cbStationDirectionChange);
    connect(cbMultiStationRoundSelfPos, &QCheckBox::clicked, this,
            &TfmEditLineNetworkPlans::cbMultiStationRoundSelfPosClick);
    connect(cbMultiStationTextInheritSelfPos, &QCheckBox::clicked, this,
            &TfmEditLineNetworkPlans::cbMultiStationTextInheritSelfPosClick);
    connect(cbMultiStationRoundParallel, &QCheckBox::clicked, this,
            &TfmEditLineNetworkPlans::cbMultiStationRoundParallelClick);
    connect(cbMultiStationAutoPos, &QCheckBox::clicked, this, &TfmEditLineNetworkPlans::cbMultiStationAutoPosClick);
    connect(cbMultiStationPosition, &QComboBox::activated, this,
            &TfmEditLineNetworkPlans::cbMultiStationPositionChange);
    connect(cbMultiStationAlign, &QComboBox::activated, this, &TfmEditLineNetworkPlans::cbMultiStationAlignChange);
    connect(cbMultiStationDirection, &QComboBox::activated, this,
            &TfmEditLineNetworkPlans::cbMultiStationDirectionChange);
}

TfmEditLineNetworkPlans::~TfmEditLineNetworkPlans() = default; // FormDestroy: the record goes with the window

void TfmEditLineNetworkPlans::FormCreate()
{
    cbMultiStationPosition->addItems(MultiStationPositionItems());
    cbMultiStationAlign->addItems(MultiStationAlignItems());
    m_prefs = TLineMapPrefs();

    for (QLineEdit *e : {eMapWidth, eMapHeight, eLineRasterWidth, eLineWidth})
        installKeyFilter(e, KeyFilterKind::Digit);
    for (QLineEdit *e : {eLineTextDistance, eStationTextDistanceH, eStationTextDistanceV, eMultiStationDistanceH,
                         eMultiStationDistanceV})
        installKeyFilter(e, KeyFilterKind::Integer);
    eBackgroundImage->setReadOnly(true);
    eLineTextFont->setReadOnly(true);
    eStationFont->setReadOnly(true);
    eMultiStationFont->setReadOnly(true);
    cbLineTextOther->setVisible(false);
    cbLineTextOther->setEnabled(false);
    cbMultiStationAutoPos->setVisible(false);
    cbMultiStationAutoPos->setEnabled(false);
    // A click on a class button takes the focus like any other control, so that an offset typed
    // for the class shown is stored (the edit's exit) before the button shows another class.
    for (QToolButton *b : {bbLineWE, bbLineNS, bbLineNWSE, bbLineSWNE})
        b->setFocusPolicy(Qt::StrongFocus);
    iBackgroundImage->setScaledContents(false);
    pbPreview->setFixedSize(kPreviewSize, kPreviewSize);
    pbPreview->onPaint = [this](QPainter &painter) { painter.drawImage(0, 0, PreviewImage()); };
    gbLineMapEdit->setVisible(false);
    btSave->setVisible(false);
}

void TfmEditLineNetworkPlans::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfmEditLineNetworkPlans::FormShow()
{
    lbMaps->clear();
    Table &t = dm1->cdsLineMaps;
    try {
        const bool wasOpen = t.active();
        t.open();
        t.setIndexName(QStringLiteral("idxID"));
        for (t.first(); !t.eof(); t.next())
            AddSortedName(lbMaps, t.fieldByName(QStringLiteral("Name")).asString());
        if (!wasOpen)
            t.close();
    } catch (const TableError &) {
    }
    m_class = dcWE;
    listMode();
}

void TfmEditLineNetworkPlans::FormClose()
{
    lbMaps->clear();
}

void TfmEditLineNetworkPlans::done(int result)
{
    if (btClose->isHidden())
        return;
    FormClose();
    QDialog::done(result);
}

QString TfmEditLineNetworkPlans::SelectedLineMapName() const
{
    const QListWidgetItem *item = lbMaps->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void TfmEditLineNetworkPlans::listMode()
{
    gbLineMapEdit->setVisible(false);
    lbMaps->setEnabled(true);
    for (QPushButton *b : {btNewLineMap, btLineMapEdit, btLineMapDelete, bbLineMapWork, btClose})
        b->setVisible(true);
}

void TfmEditLineNetworkPlans::settingsMode()
{
    lbMaps->setEnabled(false);
    for (QPushButton *b : {btNewLineMap, btLineMapEdit, btLineMapDelete, bbLineMapWork})
        b->setVisible(false);
    gbLineMapEdit->setVisible(true);
    ClearModified();
    btClose->setVisible(false);
}

void TfmEditLineNetworkPlans::ClearModified()
{
    m_modified = false;
    btSave->setVisible(false);
}

void TfmEditLineNetworkPlans::SetModified()
{
    m_modified = true;
    btSave->setVisible(true);
}

// The project's own settings rows: a cancelled New leaves the template's rows in memory.
void TfmEditLineNetworkPlans::reloadProjectPrefs()
{
    if (FileStamps::seenThere(projectPrefsFile()))
        LoadLineMapPrefs(projectPrefsFile());
    else
        CreateEmptyLineMapPrefs();
}

// Before a save: the project's settings as its file holds them. False when the file cannot be
// read, which is told once: by the loader, or for a file already known to be damaged by the
// refusal to write over it. The save then writes nothing.
bool TfmEditLineNetworkPlans::reloadPrefsForSave()
{
    Table &t = dm1->cdsLineMapPrefs;
    if (QFileInfo::exists(projectPrefsFile()) && TableFileDamaged(t, projectPrefsFile()))
        return !RefuseDamagedFiles({{&t, projectPrefsFile()}});
    reloadProjectPrefs();
    return !TableFileDamaged(t, projectPrefsFile());
}

// Writes the record as the plan's settings row: updates a row that is there (also one left over
// under a new plan's ID) and adds one that is missing.
bool TfmEditLineNetworkPlans::writePrefsRow(int LineMapID)
{
    TLineMapPrefs probe;
    const bool exists = ReadLineMapPrefs(LineMapID, probe);
    return exists ? UpdateLineMapPrefs(LineMapID, m_prefs) : AddLineMapPrefs(LineMapID, m_prefs);
}

void TfmEditLineNetworkPlans::btNewLineMapClick()
{
    lbMaps->clearSelection();
    lbMaps->setCurrentItem(nullptr);
    settingsMode();
    // The template's rows stand in for no file of the project: a project settings file that
    // could not be read stays marked, so no save writes them over it.
    const QString damaged = dm1->cdsLineMapPrefs.damagedFile();
    LoadLineMapPrefs(DefaultLineMapPrefsFile);
    dm1->cdsLineMapPrefs.setDamagedFile(damaged);
    ReadLineMapPrefsOrDefault(1, m_prefs);
    m_prefs.Name = QStringLiteral("Map ") + QString::number(lbMaps->count() + 1);
    ShowLineMapPrefs();
}

void TfmEditLineNetworkPlans::btLineMapEditClick()
{
    const QString name = SelectedLineMapName();
    if (name.isEmpty())
        return;
    eMapName->setText(name);
    m_prefs.Name = name;
    const int id = GetLineMapIDByName(name);
    settingsMode();
    reloadProjectPrefs();
    ReadLineMapPrefsOrDefault(id, m_prefs);
    ShowLineMapPrefs();
}

void TfmEditLineNetworkPlans::btSaveClick()
{
    const QString name = eMapName->text();
    const QString oldName = SelectedLineMapName();
    bool openEditor = false;
    const QString errorSaving = QStringLiteral("Error saving the file %1");
    // The name field's own check runs only when it loses the focus.
    if (!CheckAnsiText(name))
        return;

    if (oldName.isEmpty()) {
        for (int i = 0; i < lbMaps->count(); ++i)
            if (lbMaps->item(i)->text().compare(name, Qt::CaseInsensitive) == 0) {
                dialogs().showMessage(QStringLiteral("Linemap already exists"));
                return;
            }
        // The project's settings are read before the plan is added, so that a damaged file
        // stops the save before anything is written.
        if (!reloadPrefsForSave() || planListDamaged())
            return;
        ansi::setLastWriteError(QString());
        // A plan is added wholly or not at all: its list row and its settings row are one change.
        ProjectChange change;
        const int id = AddLineMap(name);
        if (id < 0) {
            change.finish(false);
            dialogs().showMessage(ansi::withWriteReason(errorSaving.arg(ProjectDir + QStringLiteral("/line_maps.ptf"))));
            return;
        }
        if (!writePrefsRow(id) || !change.finish(true)) {
            change.finish(false);
            dialogs().showMessage(ansi::withWriteReason(errorSaving.arg(projectPrefsFile())));
            return;
        }
        QSignalBlocker block(lbMaps);
        AddSortedName(lbMaps, name);
        lbMaps->clearSelection();
        lbMaps->setCurrentItem(nullptr);
    } else {
        const int id = GetLineMapIDByName(oldName);
        if (!reloadPrefsForSave() || planListDamaged())
            return;
        ansi::setLastWriteError(QString());
        // The new name and the settings are saved together or not at all.
        ProjectChange change;
        if (name != oldName && !RenameLineMap(oldName, name)) {
            change.finish(false);
            dialogs().showMessage(
                ansi::withWriteReason(QStringLiteral("Error changing the mapname %1 in %2").arg(oldName, name)));
            return;
        }
        if (!writePrefsRow(id) || !change.finish(true)) {
            change.finish(false);
            dialogs().showMessage(ansi::withWriteReason(errorSaving.arg(projectPrefsFile())));
            return;
        }
        if (name != oldName) {
            delete lbMaps->takeItem(lbMaps->currentRow());
            QListWidgetItem *renamed = lbMaps->item(AddSortedName(lbMaps, name));
            lbMaps->setCurrentItem(renamed);
            renamed->setSelected(true);
        }
        openEditor = true;
    }

    listMode();
    btNewLineMap->setFocus();
    if (openEditor && fmEditLineMapLines) {
        fmEditLineMapLines->exec();
        // The image of a changed plan follows its new settings; a failed export was reported.
        fmEditLineMapLines->ExportLineMapImage();
    }
}

void TfmEditLineNetworkPlans::btCancelClick()
{
    listMode();
}

void TfmEditLineNetworkPlans::btLineMapDeleteClick()
{
    const QString name = SelectedLineMapName();
    if (name.isEmpty())
        return;
    if (!dialogs().askYesNo(QStringLiteral("Do you really want delete the linemap %1").arg(name)))
        return;
    const int id = GetLineMapIDByName(name);
    delete lbMaps->takeItem(lbMaps->currentRow());
    // The list would pass the selection on to the neighbour; no plan is chosen after a delete.
    lbMaps->clearSelection();
    lbMaps->setCurrentItem(nullptr);
    // The delete reads the project's settings itself.
    ansi::setLastWriteError(QString());
    if (!DeleteLineMap(id)) {
        ReportFailedAction(QStringLiteral("Error deleting the linemap %1").arg(name));
        // A plan that is still listed in the table (its file) stays in the list, chosen as before.
        if (GetLineMapIDByName(name) >= 0) {
            QSignalBlocker block(lbMaps);
            QListWidgetItem *kept = lbMaps->item(AddSortedName(lbMaps, name));
            lbMaps->setCurrentItem(kept);
            kept->setSelected(true);
        }
    }
}

void TfmEditLineNetworkPlans::bbLineMapWorkClick()
{
    if (SelectedLineMapName().isEmpty() || !fmEditLineMapLines)
        return;
    fmEditLineMapLines->exec();
}
