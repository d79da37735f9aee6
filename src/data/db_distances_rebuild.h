#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Rebuilds distances.ini for the whole project at once (the repair window's run): every line
// connection's section is computed from its timetable files as BuildDistances computes it, and
// the file is written once, atomically. Shows nothing and never throws.

// A line connection whose section could not be rebuilt; its old section, if any, is kept.
struct DistancesRebuildFailure {
    int lineConnectionID = 0;
    int lineID = 0;
    int dayGroupID = 0;
    int direction = 0;
    QString file; // the file that could not be read ("tt_5.ptf"); empty when the files were read
                  // but do not fit (no stop rows, columns that do not match the stop rows)
};

struct DistancesRebuildReport {
    QVector<DistancesRebuildFailure> failed; // in ID order
    QVector<int> rebuilt;                    // IDs whose section was written, in ID order
    QStringList removed;                     // sections dropped: cleared or unknown connections
    bool written = false;                    // distances.ini was written
    QString writeError;                      // the system's reason when writing it failed
    bool success = false;                    // written, and no connection failed
};

// Called after each line connection: how many are done, of how many.
using DistancesProgress = std::function<void(int done, int total)>;

// Cleared line connections (line, day group or direction null) are skipped and their sections
// removed, as is any section that names no line connection. The kept sections stay first in
// their old order, then come the rebuilt ones in ID order. Nothing is written when no project is
// open or the existing file cannot be read.
DistancesRebuildReport RebuildDistancesFile(const DistancesProgress &Progress = {});

// One line of the failure report: "lcid = 5 (Linie L1, Tagesgruppe Mo-Fr, Richtung 1): tt_5.ptf".
QString DistancesFailureText(const DistancesRebuildFailure &Failure);
