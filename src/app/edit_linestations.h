#pragma once

#include "ui_edit_linestations.h"

#include <QDialog>

// The line-stations editor, shown modally by the main window's assign button: sets the
// ordered stops of one line and carries a change over into the plans and timetables.
class TfmEditLineStations : public QDialog, private Ui::TfmEditLineStations
{
    Q_OBJECT

public:
    explicit TfmEditLineStations(QWidget *parent = nullptr);

    void btStationEditClick();
    void rbAllStationsClick();
    void rbNewStationsClick();
    void btSelectAllStationsClick();
    void btStationToLineClick();
    void btStationUpClick();
    void btStationDownClick();
    void btDeleteStationClick();
    void btSaveClick();
    void btCancelClick();

    // Closing drops unsaved changes as Cancel does.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    friend void SetEnglishCaptions();

    void FormShow();
    void FillStationList();
    void FillLineStationList();
    void EditOn();
    void EditOff();
    bool saveStations(int lineID, const QStringList &stations);
    void selectStop(int row);
};

extern TfmEditLineStations *fmEditLineStations;
