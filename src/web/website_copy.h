#pragma once

#include <QString>
#include <QVector>

// One file of a website: where it comes from and its path relative to the website folder.
struct WebsiteFile
{
    QString Source;
    QString Target;
};

// The files a website is made of, in the order they are copied: the project's "*.ptf"
// files, its "images" folder with everything in it and its "*.ppr" files, then the
// template's "*.htm", "*.js", "*.css" and "*.ico" files. A source that matches nothing
// adds nothing.
QVector<WebsiteFile> WebsiteFiles(const QString &ProjectFolder, const QString &TemplateFolder, bool ProjectFiles,
                                  bool HtmlFiles);

// The copy of the website creation into the folder text DirName (taken untrimmed): it
// shows "Bitte Verzeichnis auswählen!" for a text that is blank or no absolute path, does
// nothing when neither kind of file is wanted, asks before it creates the folder and
// before it replaces files (No copies nothing), never copies a file onto itself and
// reports the files it could not copy as "Fehler beim Kopieren (N)". Returns the number
// of files copied.
int CopyWebsite(const QString &DirName, bool ProjectFiles, bool HtmlFiles);
