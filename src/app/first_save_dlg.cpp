#include "app/first_save_dlg.h"

TDlgFirstSave *DlgFirstSave = nullptr;

TDlgFirstSave::TDlgFirstSave(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}
