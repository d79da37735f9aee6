#pragma once

#include <QDialog>

// The timetable information window, shown modally by the main window.
class TfmQuery : public QDialog
{
    Q_OBJECT

public:
    explicit TfmQuery(QWidget *parent = nullptr);
};

extern TfmQuery *fmQuery;
