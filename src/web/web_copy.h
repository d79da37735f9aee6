#pragma once

#include <QDialog>

// The web-copy window that the timetable editor shows beside itself.
class TfmWebCopy : public QDialog
{
    Q_OBJECT

public:
    explicit TfmWebCopy(QWidget *parent = nullptr);
};

extern TfmWebCopy *fmWebCopy;
