#pragma once

#include <QDialog>

// The project options and day-group editor, shown modally by the main window.
class TfmEditProject : public QDialog
{
    Q_OBJECT

public:
    explicit TfmEditProject(QWidget *parent = nullptr);
};

extern TfmEditProject *fmEditProject;
