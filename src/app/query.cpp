#include "app/query.h"

TfmQuery *fmQuery = nullptr;

TfmQuery::TfmQuery(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmQuery"));
}
