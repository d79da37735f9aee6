#include "app/edit_timetable.h"

TfmEditTimeTable *fmEditTimeTable = nullptr;

TfmEditTimeTable::TfmEditTimeTable(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmEditTimeTable"));
}
