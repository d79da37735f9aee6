#pragma once

#include "ui_showinfo.h"

#include <QDialog>

// The about box, shown modally by Help > Information.
class TAboutBox : public QDialog, private Ui::TAboutBox
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);

    void FormShow();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TAboutBox *AboutBox;

// The program's icon, shown by the about box, the main window and the desktop entry.
QIcon ProgramIconImage();
