#include "app/edit_linestations.h"

TfmEditLineStations *fmEditLineStations = nullptr;

TfmEditLineStations::TfmEditLineStations(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmEditLineStations"));
}
