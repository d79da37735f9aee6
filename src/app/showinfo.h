#pragma once

#include <QDialog>

// The about box, shown modally by Help > Information.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *parent = nullptr);
};

extern TAboutBox *AboutBox;
