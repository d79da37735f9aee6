#include "app/edit_lines.h"

TfmEditLines *fmEditLines = nullptr;

TfmEditLines::TfmEditLines(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmEditLines"));
}
