#pragma once

#include "ui_first_save_dlg.h"

#include <QDialog>

// The notice shown before the save dialog of File > New: a project gets its folder first.
class TDlgFirstSave : public QDialog, private Ui::TDlgFirstSave
{
    Q_OBJECT

public:
    explicit TDlgFirstSave(QWidget *parent = nullptr);

private:
    friend void SetEnglishCaptions();
};

extern TDlgFirstSave *DlgFirstSave;
