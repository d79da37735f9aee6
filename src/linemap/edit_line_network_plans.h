#pragma once

#include <QDialog>

// The list of line network plans, shown modally by the main window.
class TfmEditLineNetworkPlans : public QDialog
{
    Q_OBJECT

public:
    explicit TfmEditLineNetworkPlans(QWidget *parent = nullptr);
};

extern TfmEditLineNetworkPlans *fmEditLineNetworkPlans;
