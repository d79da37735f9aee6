#include "linemap/edit_line_network_plans.h"

TfmEditLineNetworkPlans *fmEditLineNetworkPlans = nullptr;

TfmEditLineNetworkPlans::TfmEditLineNetworkPlans(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmEditLineNetworkPlans"));
}
