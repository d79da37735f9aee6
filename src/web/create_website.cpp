#include "web/create_website.h"

TfmCreateWebsite *fmCreateWebsite = nullptr;

TfmCreateWebsite::TfmCreateWebsite(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmCreateWebsite"));
}
