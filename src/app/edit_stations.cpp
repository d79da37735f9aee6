#include "app/edit_stations.h"

TfmEditStations *fmEditStations = nullptr;

TfmEditStations::TfmEditStations(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmEditStations"));
}
