#pragma once

#include <QDialog>

// The editor of the stations of each line, shown modally by the main window.
class TfmEditLineStations : public QDialog
{
    Q_OBJECT

public:
    explicit TfmEditLineStations(QWidget *parent = nullptr);
};

extern TfmEditLineStations *fmEditLineStations;
