#pragma once

#include <QString>
#include <QStringList>

// The "file:///" address of a local path, as the loader page and the preview use it: every
// backslash becomes a slash and exactly one "file:///" stands before the path, whether it is
// "/home/p" or "C:/Data/P1". Nothing is percent-encoded; blanks stay as they are.
QString LocalFileAddress(const QString &path);

// The lines of webloader.htm for a frame that opens the given address.
QStringList WebLoaderPageLines(const QString &pageUrl);

// Writes webloader.htm into the project folder: a frameset whose frame opens the website
// template's start page with the project folder in the query. False when it cannot be written.
bool WriteWebLoaderPage();
