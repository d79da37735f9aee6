#pragma once

#include <QDialog>

// The line editor, shown modally by the main window's lines button.
class TfmEditLines : public QDialog
{
    Q_OBJECT

public:
    explicit TfmEditLines(QWidget *parent = nullptr);
};

extern TfmEditLines *fmEditLines;
