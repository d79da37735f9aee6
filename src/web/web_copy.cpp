#include "web/web_copy.h"

TfmWebCopy *fmWebCopy = nullptr;

TfmWebCopy::TfmWebCopy(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmWebCopy"));
}

void TfmWebCopy::setTimeTableGrid(const StringGrid *grid)
{
    timeTableGrid_ = grid;
}
