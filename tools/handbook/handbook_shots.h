#pragma once

#include <QImage>
#include <QList>
#include <QString>

// One picture of the handbook: its name (the image's name in the text) and the grab.
struct HandbookShot
{
    QString name;
    QImage image;
};

// Opens the sample project and grabs the program's windows. A step that cannot be done (a
// control or list entry missing) is returned as a shot with a null image named by the problem.
QList<HandbookShot> TakeHandbookShots(const QString &projectFile);
