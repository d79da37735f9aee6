#pragma once

#include <QDialog>

// The plan drawing editor, opened from the plan list.
class TfmEditLineMapLines : public QDialog
{
    Q_OBJECT

public:
    explicit TfmEditLineMapLines(QWidget *parent = nullptr);
};

extern TfmEditLineMapLines *fmEditLineMapLines;
