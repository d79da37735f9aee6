#pragma once

#include <QDialog>

// The timetable editor, shown modally by the main window's timetable button.
class TfmEditTimeTable : public QDialog
{
    Q_OBJECT

public:
    explicit TfmEditTimeTable(QWidget *parent = nullptr);
};

extern TfmEditTimeTable *fmEditTimeTable;
