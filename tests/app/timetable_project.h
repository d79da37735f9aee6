#pragma once

#include "data/data_module_1.h"
#include "data/main_globals.h"
#include "support/project_folder.h"

#include <QDir>
#include <QFile>

// The project the timetable tests work on: stations 1 Market, 2 Church, 3 Harbour, 4 Mill,
// 5 Bridge; line 1 "Red" (Market, Church, Harbour), line 2 "Blue" (Mill, Church, Bridge),
// line 3 "Green" without stations; day groups 1 "Weekdays" (12345) and 2 "Saturday" (6); no
// line connection and no interval yet.
inline void fillTimeTableProject(Tdm1 &dm)
{
    appendRows(dm.cdsStations, {"ID", "Station"},
               {{1, "Market"}, {2, "Church"}, {3, "Harbour"}, {4, "Mill"}, {5, "Bridge"}});
    appendRows(dm.cdsLines, {"ID", "Line"}, {{1, "Red"}, {2, "Blue"}, {3, "Green"}});
    appendRows(dm.cdsLineStations, {"LineID", "LineStationNumber", "StationID"},
               {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}, {2, 1, 4}, {2, 2, 2}, {2, 3, 5}});
    appendRows(dm.cdsDayGroups, {"ID", "Group", "Days", "Text"},
               {{1, "Weekdays", "12345", "Mo-Fr"}, {2, "Saturday", "6", "Sa"}});
    dm.cdsLineConnections.createDataSet();
    dm.cdsLineConnections.close();
    dm.cdsIntervals.createDataSet();
    dm.cdsIntervals.close();
    dm.cdsTimeTableConnections.createDataSet();
    dm.cdsTimeTableConnections.close();
}

// What every table file the editor writes starts with, in projectText's line ends.
inline const QString Header =
    QStringLiteral("/* Portable Table Format 1.0 */\nporTables[porTables.length] = new Array(\n");

// A file of the project as text, lines joined by "\n" ("<missing>" when there is none).
inline QString projectText(const QString &file)
{
    QFile f(ProjectDir + QLatin1Char('/') + file);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<missing>");
    return QString::fromLatin1(f.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// A write fails when a directory stands where the file is to be.
inline void blockFile(const QString &file)
{
    QFile::remove(ProjectDir + QLatin1Char('/') + file);
    ASSERT_TRUE(QDir(ProjectDir).mkdir(file));
    takeFolderAsItIs();
}

inline void unblockFile(const QString &file)
{
    ASSERT_TRUE(QDir(ProjectDir + QLatin1Char('/') + file).removeRecursively());
    takeFolderAsItIs();
}
