#include "linemap/edit_linemap_lines.h"

TfmEditLineMapLines *fmEditLineMapLines = nullptr;

TfmEditLineMapLines::TfmEditLineMapLines(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmEditLineMapLines"));
}
