#pragma once

#include <QString>

// The project paths and titles of the main window's unit. Only the main window (start-up
// and the project commands) writes them; every subsystem reads them.
extern QString ProgramDir;               // folder of the executable, ending with "/"
extern QString ProductTitle;             // "Korvalin Pro"
extern QString ProgVersion;              // the program's version, "0.0.0" when there is none
extern QString ProgType;                 // the program-type text
extern QString DefaultProjectFile;       // ProgramDir + "default_project_pro.ppr"
extern QString DefaultPrefsFile;         // ProgramDir + "default_prefs.ptf"
extern QString DefaultDayGroupsFile;     // ProgramDir + "default_daygroups.ptf"
extern QString DefaultLineMapPrefsFile;  // ProgramDir + "line_map_prefs.ptf"
extern QString ProjectFileName;          // full path of the open *.ppr; empty = no project
extern QString ProjectDir;               // folder of ProjectFileName, no final separator
extern QString WebPreviewURL;            // address of the project's loader page

// The folder of a file name: its last path component removed, without a final separator.
QString ExtractProjectDir(const QString &fileName);
