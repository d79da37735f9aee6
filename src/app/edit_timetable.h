#pragma once

#include "app/edit_timetable_model.h"
#include "app/timetable_io.h"
#include "ui_edit_timetable.h"

#include <QDialog>

// The timetable editor, shown modally by the main window's timetable button: choose a line,
// a day group and a direction, edit that timetable in the grid, save, cancel or delete it.
// Loading, saving, deleting and pasting live in timetable_io, the grid's editing rhythm in
// TimeTableModel; the window switches between its choice and edit modes.
class TfmEditTimeTable : public QDialog, private Ui::TfmEditTimeTable
{
    Q_OBJECT

public:
    explicit TfmEditTimeTable(QWidget *parent = nullptr);
    ~TfmEditTimeTable() override;

    TimeTableModel &model() { return m_model; }
    const TimeTableChoice &choice() const { return m_choice; }

    void FormShow();
    void btTimeTableEditClick();
    void btSaveClick();
    void btCancelClick();
    void sbTimeTableDeleteClick();
    void bbWebCopyClick();
    void sbPasteClick();
    void sbCopyModeClick(bool down);
    void FormClose();
    bool FormCloseQuery() const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void enterEditMode();
    void leaveEditMode();

    TimeTableModel m_model;
    TimeTableChoice m_choice;

    friend void SetEnglishCaptions();
};

extern TfmEditTimeTable *fmEditTimeTable;
