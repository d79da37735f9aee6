#pragma once

#include "platform/string_grid.h"

#include <QDialog>

// The web-copy window that the timetable editor shows beside itself.
class TfmWebCopy : public QDialog
{
    Q_OBJECT

public:
    explicit TfmWebCopy(QWidget *parent = nullptr);

    // The timetable grid whose station names pick the table to load from a page; the
    // editor that shows this window hands it over (null: no grid, no pick).
    void setTimeTableGrid(const StringGrid *grid);

    // The work grid that holds a table taken from a page; the timetable editor pastes
    // its selected block.
    StringGrid sgWorkGrid;

private:
    const StringGrid *timeTableGrid_ = nullptr;
};

extern TfmWebCopy *fmWebCopy;
