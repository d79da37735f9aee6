#include "app/edit_project.h"

#include "data/main_globals.h"
#include "data/project_change.h"

#include <QFileInfo>

#include "data/common_helpers.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/prj_params.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "web/web_loader.h"
#include "widgets/line_edit_filters.h"

#include <QFocusEvent>
#include <QRegularExpression>
#include <QShowEvent>
#include <QSignalBlocker>

TfmEditProject *fmEditProject = nullptr;

namespace {

// The field's text as a stored number of minutes: digits only, and it must fit an int.
bool minutesOf(const QString &text, int &minutes)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (!digits.match(text).hasMatch())
        return false;
    bool ok = false;
    minutes = text.toInt(&ok);
    return ok;
}

} // namespace

TfmEditProject::TfmEditProject(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    FormCreate();
    connect(btSave, &QPushButton::clicked, this, &TfmEditProject::btSaveClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmEditProject::btCancelClick);
    connect(btClose, &QPushButton::clicked, this, &TfmEditProject::btCloseClick);
    connect(btAddDayGroup, &QPushButton::clicked, this, &TfmEditProject::btAddDayGroupClick);
    connect(btDeleteDayGroup, &QPushButton::clicked, this, &TfmEditProject::btDeleteDayGroupClick);
    connect(cbDayGroups, &QComboBox::activated, this, &TfmEditProject::cbDayGroupsSelect);
    connect(leDayGroup, &QLineEdit::textEdited, this, &TfmEditProject::leDayGroupChange);
    connect(leDayGroupText, &QLineEdit::textEdited, this, &TfmEditProject::leDayGroupTextChange);
    connect(lbDays, &QListWidget::itemSelectionChanged, this, &TfmEditProject::lbDaysChange);
    // Every key the digit filter lets through marks the window unsaved.
    connect(leMaxDriveMinutes, &QLineEdit::textEdited, this, &TfmEditProject::EditOn);
    connect(leMaxOverlapMinutes, &QLineEdit::textEdited, this, &TfmEditProject::EditOn);
    for (QCheckBox *cb : {cbPrjTarifZone, cbPrjTarifRing, cbPrjGeoPosition})
        connect(cb, &QCheckBox::clicked, this, &TfmEditProject::EditOn);
    connect(fLineColorChoice, &TFrameColorChoice::ColorChanged, this, &TfmEditProject::fLineColorChoiceColorChange);
    connect(fLineColorChoice, &TFrameColorChoice::ColorSelectChanged, this,
            &TfmEditProject::fLineColorChoicecobColorSelectChange);
}

void TfmEditProject::FormCreate()
{
    QStringList days;
    SplitString(QStringLiteral("Monday,Tuesday,Wednesday,Thursday,Friday,Saturday,Sunday"), days, QLatin1Char(','));
    lbDays->addItems(days);
    lbNewDays->addItems(days);
    pcRubrik->setTabVisible(pcRubrik->indexOf(tsStationOptions), false);
    installKeyFilter(leMaxDriveMinutes, KeyFilterKind::Digit);
    installKeyFilter(leMaxOverlapMinutes, KeyFilterKind::Digit);
    leMaxDriveMinutes->installEventFilter(this);
}

bool TfmEditProject::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == leMaxDriveMinutes && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            leMaxDriveMinutesExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TfmEditProject::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfmEditProject::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        FormHide();
    QDialog::hideEvent(event);
}

void TfmEditProject::FormShow()
{
    ReadPTFValues();
    SetFormValues();
    EditOff();
}

void TfmEditProject::FormHide()
{
    DayGroups.clear();
}

void TfmEditProject::EditOn()
{
    btSave->setVisible(true);
}
void TfmEditProject::EditOff()
{
    btSave->setVisible(false);
}
void TfmEditProject::fLineColorChoiceColorChange()
{
    EditOn();
}
void TfmEditProject::fLineColorChoicecobColorSelectChange()
{
    EditOn();
}
void TfmEditProject::btCloseClick()
{
    close();
}

void TfmEditProject::ReadPTFValues()
{
    DayGroups = ReadDayGroups();
    SelectedDayGroup = DayGroups.isEmpty() ? -1 : 0;
    for (TDayGroup &g : DayGroups)
        g.InUse = DayGroupInUse(g.ID);
    const RgbColor color = PrefsLineColor();
    fLineColorChoice->SetRGBColor(color.red, color.green, color.blue);
    PrjParams.MaxDriveMinutes = ProjectMaxDriveMinutes(PrjParams.MaxDriveMinutes);
}

void TfmEditProject::showDays(QListWidget *list, const QString &days)
{
    const QSignalBlocker block(list);
    for (int i = 0; i < list->count() && i < 7; ++i)
        list->item(i)->setSelected(days.size() > i && days[i] == QLatin1Char('1'));
}

QString TfmEditProject::daysOf(const QListWidget *list) const
{
    QString days;
    for (int i = 0; i < 7; ++i)
        days += i < list->count() && list->item(i)->isSelected() ? QLatin1Char('1') : QLatin1Char('0');
    return days;
}

// The selected day group's fields; its delete button is left to the callers, as it shows only
// for a group not in use.
void TfmEditProject::showDayGroupFields(bool shown)
{
    for (QWidget *w : std::initializer_list<QWidget *>{cbDayGroups, leDayGroup, leDayGroupLabel, leDayGroupText,
                                                       leDayGroupTextLabel, lbDays})
        w->setVisible(shown);
}

void TfmEditProject::SetFormValues()
{
    leMaxDriveMinutes->setText(QString::number(PrjParams.MaxDriveMinutes));
    const QSignalBlocker block(cbDayGroups);
    cbDayGroups->clear();
    if (SelectedDayGroup < 0 || SelectedDayGroup >= DayGroups.size()) {
        SelectedDayGroup = -1;
        showDayGroupFields(false);
        btDeleteDayGroup->setVisible(false);
        return;
    }
    for (const TDayGroup &g : DayGroups)
        cbDayGroups->addItem(g.Group);
    cbDayGroups->setCurrentIndex(SelectedDayGroup);
    const TDayGroup &g = DayGroups[SelectedDayGroup];
    leDayGroup->setText(g.Group);
    leDayGroupText->setText(g.Text);
    showDays(lbDays, g.Days);
    showDayGroupFields(true);
    btDeleteDayGroup->setVisible(!g.InUse);
}

void TfmEditProject::btSaveClick()
{
    // The timetable editor finds day groups by name and the connection search by text: two
    // groups sharing either would be mixed up, so nothing is written while they do.
    const QString doubled = DuplicateDayGroup(DayGroups);
    if (!doubled.isNull()) {
        dialogs().showMessage(QStringLiteral("Day group %s already exists!").replace(QStringLiteral("%s"), doubled));
        return;
    }
    // The three files are written whole from their tables: one that could not be read stops the
    // save before the first write.
    if (RefuseDamagedTables({&dm1->cdsPrefs, &dm1->cdsProject, &dm1->cdsDayGroups}))
        return;
    // The first write that fails ends the save, with every file and table as before it and the
    // window still editing; its routine has told which file.
    ProjectChange change;
    {
        RowsBackup before(dm1->cdsPrefs);
        if (SetPrefsLineColor({fLineColorChoice->Red, fLineColorChoice->Green, fLineColorChoice->Blue}) &&
            !before.keepIf(SavePrefs()))
            return;
    }
    int minutes = 0;
    if (minutesOf(leMaxDriveMinutes->text(), minutes)) {
        RowsBackup before(dm1->cdsProject);
        if (SetProjectMaxDriveMinutes(minutes) && !before.keepIf(SaveProjectFile()))
            return;
    }
    {
        RowsBackup before(dm1->cdsDayGroups);
        if (WriteDayGroupRows(DayGroups) && !before.keepIf(SaveDayGroups()))
            return;
    }
    if (!WriteWebLoaderPage()) {
        dialogs().showMessage(ansi::withWriteReason(
            QStringLiteral("Error saving the file %s").replace(QStringLiteral("%s"), QStringLiteral("webloader.htm"))));
        return;
    }
    if (!change.finish(true)) {
        dialogs().showMessage(ansi::withWriteReason(QStringLiteral("Error saving the file %s").replace(
            QStringLiteral("%s"), QFileInfo(ProjectFileName).fileName())));
        return;
    }
    EditOff();
}

void TfmEditProject::btCancelClick()
{
    // Cancel reloads the window's values from the tables, as showing it does.
    FormShow();
}

void TfmEditProject::leMaxDriveMinutesExit()
{
    int minutes = 0;
    if (minutesOf(leMaxDriveMinutes->text(), minutes))
        PrjParams.MaxDriveMinutes = minutes;
    else
        leMaxDriveMinutes->setText(QString::number(PrjParams.MaxDriveMinutes));
}

void TfmEditProject::btAddDayGroupClick()
{
    const QString name = leNewDaysName->text().trimmed();
    const QString text = leNewDaysText->text().trimmed();
    if (lbNewDays->selectedItems().isEmpty() || name.isEmpty() || text.isEmpty()) {
        dialogs().beep();
        return;
    }
    if (!CheckAnsiText(name) || !CheckAnsiText(text))
        return;
    for (const TDayGroup &g : DayGroups)
        if (g.Group == name || g.Text == text)
            return;
    EditOn();
    TDayGroup g;
    g.Group = name;
    g.Text = text;
    g.Days = daysOf(lbNewDays);
    g.InUse = false;
    g.ID = DayGroups.isEmpty() ? 1 : DayGroups.last().ID + 1;
    DayGroups.append(g);
    showDays(lbDays, g.Days);

    SelectedDayGroup = int(DayGroups.size()) - 1;
    {
        const QSignalBlocker block(cbDayGroups);
        cbDayGroups->addItem(name);
        cbDayGroups->setCurrentIndex(SelectedDayGroup);
    }
    showDayGroupFields(true);
    btDeleteDayGroup->setVisible(true);
    leDayGroup->setText(name);
    leDayGroupText->setText(text);
    leNewDaysName->clear();
    leNewDaysText->clear();
}

void TfmEditProject::btDeleteDayGroupClick()
{
    if (SelectedDayGroup < 0 || SelectedDayGroup >= DayGroups.size() || DayGroups[SelectedDayGroup].InUse)
        return;
    if (!dialogs().askYesNo(QStringLiteral("Really delete the day-group??")))
        return;
    DayGroups.removeAt(SelectedDayGroup);
    EditOn();
    if (DayGroups.isEmpty())
        SelectedDayGroup = -1;
    else if (SelectedDayGroup >= DayGroups.size())
        SelectedDayGroup = int(DayGroups.size()) - 1;
    SetFormValues();
}

void TfmEditProject::cbDayGroupsSelect()
{
    SelectedDayGroup = cbDayGroups->currentIndex();
    SetFormValues();
}

void TfmEditProject::leDayGroupChange()
{
    if (SelectedDayGroup < 0 || SelectedDayGroup >= DayGroups.size())
        return;
    TDayGroup &g = DayGroups[SelectedDayGroup];
    const QString name = leDayGroup->text().trimmed();
    if (name.isEmpty() || !CheckAnsiText(name)) {
        leDayGroup->setText(g.Group);
        return;
    }
    g.Group = name;
    cbDayGroups->setItemText(SelectedDayGroup, name);
    EditOn();
}

void TfmEditProject::leDayGroupTextChange()
{
    if (SelectedDayGroup < 0 || SelectedDayGroup >= DayGroups.size())
        return;
    TDayGroup &g = DayGroups[SelectedDayGroup];
    const QString text = leDayGroupText->text().trimmed();
    if (text.isEmpty() || !CheckAnsiText(text)) {
        leDayGroupText->setText(g.Text);
        return;
    }
    g.Text = text;
    EditOn();
}

void TfmEditProject::lbDaysChange()
{
    if (SelectedDayGroup < 0 || SelectedDayGroup >= DayGroups.size())
        return;
    DayGroups[SelectedDayGroup].Days = daysOf(lbDays);
    EditOn();
}
