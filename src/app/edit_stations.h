#pragma once

#include "ui_edit_stations.h"

#include <QDialog>

// The station editor, shown modally by the main window's stations button: lists, adds,
// renames and deletes stations, each change written to the table files at once.
class TfmEditStations : public QDialog, private Ui::TfmEditStations
{
    Q_OBJECT

public:
    explicit TfmEditStations(QWidget *parent = nullptr);

    void btNewStationClick();
    void btStationEditClick();
    void btStationDeleteClick();
    void btSaveClick();
    void btCancelClick();
    void btCloseClick();
    void cbStationNewLineClick();
    void leStationNameChange();

    // Closing is allowed only outside edit mode (title bar, Escape and Close alike).
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    friend void SetEnglishCaptions();

    void FormShow();
    void FormClose();
    void EditOn();
    void EditOff();
    void ClearStationEdit();
    void setEditMode(bool editing);
};

extern TfmEditStations *fmEditStations;
