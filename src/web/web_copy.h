#pragma once

#include "platform/string_grid.h"

#include <QDialog>

// The web-copy window that the timetable editor shows beside itself.
class TfmWebCopy : public QDialog
{
    Q_OBJECT

public:
    explicit TfmWebCopy(QWidget *parent = nullptr);

    // The work grid that holds a table taken from a page; the timetable editor pastes
    // its selected block.
    StringGrid sgWorkGrid;
};

extern TfmWebCopy *fmWebCopy;
