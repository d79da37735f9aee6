#include "app/edit_project.h"

TfmEditProject *fmEditProject = nullptr;

TfmEditProject::TfmEditProject(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmEditProject"));
}
