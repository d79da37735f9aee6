#pragma once

#include "app/editor_data.h"
#include "ui_edit_project.h"

#include <QDialog>
#include <QVector>

// The project options and day-group editor, shown modally by the main window: the default
// line colour, the maximum driving time and the day groups. It has no edit mode: Save writes
// every value, Cancel reloads them, hiding the window drops what was not saved.
class TfmEditProject : public QDialog, private Ui::TfmEditProject
{
    Q_OBJECT

public:
    explicit TfmEditProject(QWidget *parent = nullptr);

    // The day groups while the window is shown, in the order of cbDayGroups.
    QVector<TDayGroup> DayGroups;
    int SelectedDayGroup = -1;

    void ReadPTFValues();
    void SetFormValues();

    void btSaveClick();
    void btCancelClick();
    void btCloseClick();
    void btAddDayGroupClick();
    void btDeleteDayGroupClick();
    void cbDayGroupsSelect();
    void leDayGroupChange();
    void leDayGroupTextChange();
    void lbDaysChange();
    void leMaxDriveMinutesExit();
    void fLineColorChoiceColorChange();
    void fLineColorChoicecobColorSelectChange();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend void SetEnglishCaptions();

    void FormCreate();
    void FormShow();
    void FormHide();
    void EditOn();
    void EditOff();
    void showDays(QListWidget *list, const QString &days);
    QString daysOf(const QListWidget *list) const;
    void showDayGroupFields(bool shown);
};

extern TfmEditProject *fmEditProject;
