#pragma once

#include <QDialog>

// The website creation window of the Project menu.
class TfmCreateWebsite : public QDialog
{
    Q_OBJECT

public:
    explicit TfmCreateWebsite(QWidget *parent = nullptr);
};

extern TfmCreateWebsite *fmCreateWebsite;
