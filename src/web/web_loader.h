#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The "file:///" address of a local path, as the loader page and the preview use it: every
// backslash becomes a slash and exactly one "file:///" stands before the path, whether it is
// "/home/p" or "C:/Data/P1". Nothing is percent-encoded; blanks stay as they are.
QString LocalFileAddress(const QString &path);

// A folder path as it may stand in the loader page's frame address: "%", '"', "#", "&" and "?"
// are percent-escaped, so no folder name can end the attribute or be read as a part of the
// address, and so is every character outside printable ASCII, by its UTF-8 bytes. Blanks
// stay as they are.
QString EscapePageAddress(const QString &address);

// The frame's address: the template's start page with the project folder in the query; the
// open project's folder without an argument.
QString PageURL(const QString &projectDir);
QString PageURL();

// A "file:///" address as the file at its path (a "#" or "%" of a folder name stays part of
// the name); any other text is taken as a browser's address bar takes it.
QUrl LocalAddressToUrl(const QString &address);

// The lines of webloader.htm for a frame that opens the given address.
QStringList WebLoaderPageLines(const QString &pageUrl);

// Where the loader page of a project folder goes.
QString WebLoaderPageFile(const QString &projectDir);

// Writes webloader.htm into the project folder: a frameset whose frame opens the website
// template's start page with the project folder in the query. False when it cannot be written.
// Without an argument, into the open project's folder.
bool WriteWebLoaderPage(const QString &projectDir);
bool WriteWebLoaderPage();
