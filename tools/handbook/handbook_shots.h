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

// Opens the sample project and grabs the program's windows in the order the handbook
// shows them.
QList<HandbookShot> TakeHandbookShots(const QString &projectFile);
