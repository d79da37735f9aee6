#pragma once

#include <QDialog>

// The station editor, shown modally by the main window's stations button.
class TfmEditStations : public QDialog
{
    Q_OBJECT

public:
    explicit TfmEditStations(QWidget *parent = nullptr);
};

extern TfmEditStations *fmEditStations;
