#pragma once

#include "ui_edit_lines.h"

#include <QDialog>

// The line editor, shown modally by the main window's lines button: lists, adds, renames and
// deletes lines and gives a line its own colour or the project's default colour.
class ProjectChange;

class TfmEditLines : public QDialog, private Ui::TfmEditLines
{
    Q_OBJECT

public:
    explicit TfmEditLines(QWidget *parent = nullptr);

    void btNewLineClick();
    void btLineEditClick();
    void btLineDeleteClick();
    void btSaveClick();
    void btCancelClick();
    void leLineNameChange();
    void cbStandardColorClick();
    void fLineColorChoiceeHexColorChange();
    void FrameLineColorChoicecobColorSelectChange();

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
    void ClearLineEdit();
    void ShowLineStations();
    void setEditMode(bool editing);
    bool saveColor(int lineID, ProjectChange &change);
};

extern TfmEditLines *fmEditLines;
