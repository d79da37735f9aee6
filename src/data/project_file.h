#pragma once

#include <QString>

#include <functional>

// The project file as a whole: whether a file is one, and the files of a new project.

// Only a project file opens as a project: a table file as the writer makes it, whose names are
// the project header's columns (an older file may lack the last ones), with at least one row.
// A stray binary file or a table file of another table (stations.ptf) is refused before
// anything of the open project is touched. Shows no message.
bool isProjectFile(const QString &fileName);

// Whether the folder holds files that make it a project's: a new project never goes among them,
// or two projects would share their table files.
bool folderHoldsProject(const QString &dir);

// A file of a new project that is not a table (the loader page): where it goes and the routine
// that writes it there, false when it could not (ansi::lastWriteError() telling why).
struct ProjectPageWrite {
    QString fileName;
    std::function<bool()> write;
};

// Writes a new project into the folder of its project file, as one step: the project file, its
// day groups and its preferences from the program folder's default files (the preferences'
// ProjectName set to the project file's name), then the page. A missing folder is made. The
// first failure removes every file written and every folder made, and sets the one message
// that tells why. The open project's tables and globals are not touched: the new project's
// tables are made apart from them.
bool writeNewProject(const QString &projectFileName, const ProjectPageWrite &page, QString &failure);
