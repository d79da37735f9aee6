#pragma once

#include <QPair>
#include <QString>
#include <QVector>

class IniFile;

// distances.ini in the project folder holds one section per line connection, named by its ID:
// "distance1" (stations of the stop rows with the shortest minutes between neighbours),
// "distance2" (stations and minutes of runs that pass stops without serving them) and
// "newcross" (stations where trips begin, end or rejoin the line). The connection search reads it
// instead of every timetable.

// Rebuilds the section of the line connection from its stop rows and trips. False, with the file
// left as it was, when the line connection is missing or cleared, a timetable file cannot be
// read, the timetable has no stop row or its columns do not match its stop rows, or the file
// cannot be written.
bool BuildDistances(int LineConnectionID);

// Removes the section of the line connection; false when distances.ini cannot be read or written.
bool EraseDistancesSection(int LineConnectionID);

// The three values of one section; an empty one is not written.
struct DistancesSection {
    QString distance1;
    QString distance2;
    QString newcross;
};

// Stations holds the StationID of each stop row in position order; each trip holds one stored
// cell per stop row (time, -1 no stop, below -1 interval reference; a missing cell is no stop).
DistancesSection ComputeDistances(const QVector<int> &Stations, const QVector<QVector<int>> &Trips);

// Replaces the section of the line connection with the given values (erased first, so it then
// stands after the other sections); the file is replaced atomically.
bool WriteDistancesSection(int LineConnectionID, const DistancesSection &Section);
// The same for several line connections (ID, section), in this order, with one write of the file.
bool WriteDistancesSections(const QVector<QPair<int, DistancesSection>> &Sections);
// Replaces the section in the loaded file, as the writes above do; may throw.
void PutDistancesSection(IniFile &Ini, int LineConnectionID, const DistancesSection &Section);
