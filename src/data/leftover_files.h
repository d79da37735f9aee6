#pragma once

#include <QString>
#include <QStringList>

// A save that is killed midway leaves the temporary file it was writing beside its target
// (the target stays whole). Opening a project removes such leftovers of this program's own
// writers, and nothing else: a table file, the project file, distances.ini or webloader.htm
// followed by a dot and six letters or digits (the atomic writer's names), and a plan image
// followed by a dot, a process number and ".tmp" in the images folder (the image export's).

// True when the file name (without folder) is one such leftover in the project folder, for
// the project file of that name, or in its images folder.
bool isLeftoverWriteFile(const QString &fileName, const QString &projectFileName);
bool isLeftoverImageFile(const QString &fileName);

// Removes the leftovers from the project folder and its images folder; returns the names
// removed (images ones with "images/" before them), for a test to see.
QStringList removeLeftoverWriteFiles(const QString &projectDir, const QString &projectFileName);
