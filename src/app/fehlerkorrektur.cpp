#include "app/fehlerkorrektur.h"

TfmFehlerkorrektur *fmFehlerkorrektur = nullptr;

TfmFehlerkorrektur::TfmFehlerkorrektur(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmFehlerkorrektur"));
}
