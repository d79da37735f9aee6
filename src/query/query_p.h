#pragma once

// Shared by the units of the connection search only.

#include "query/query.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

class Table;

namespace query {

// One section of distances.ini as the search reads it.
struct DistancesEntry {
    QString name;
    QString distance1;
    QString distance2;
    QString newcross;
};

// The sections of distances.ini in file order, parsed once per content of the file.
const QVector<DistancesEntry> &distancesSections(const QByteArray &bytes);
// The message naming distances.ini when a line of these bytes does not read (a section name or a
// value of the search's keys that is no list of decimal numbers, a line that is neither a section,
// a key nor a comment); empty when every line reads.
QString distancesDamage(const QByteArray &bytes);
// A file the search found damaged, with the message naming it: noted for the dialog to tell,
// once a showing.
void noteDamagedFile(const QString &fileName, const QString &message);
// distances.ini in the project folder.
QString distancesFileName();
// The bytes of distances.ini in the project folder; empty when it is missing. read, when given,
// tells whether the file was there and read.
QByteArray readDistancesFile(bool *read = nullptr);
// LoadDistances and BuildLineIndex on bytes read already and on the station IDs and sizes found
// already (highest station or line ID + 1): the showing reads the file and walks the tables once
// for both.
bool loadDistances(const QByteArray &bytes, const std::vector<int> &stationIDs,
                   const std::function<void(int Pass, int Row, int Rows)> &progress = {});
void buildLineIndex(const QByteArray &bytes, int stationSize, int lineSize);

// One "distance1" chain into TravelMinutes and MinTransfers (station IDs without a row skipped).
void applyDistanceChain(const QVector<int> &pieces);

// The pieces of a comma-separated value as decimal integers; false when a piece is none.
bool parseIdList(const QString &value, QVector<int> &ids);

// The table's IDs from 1 up to HighestSearchID, ascending, each once; beyond, when given, tells
// whether the table holds IDs above that.
std::vector<int> rowIDs(const Table &table, bool *beyond = nullptr);
// The highest of them, 0 for none.
int highestRowID(const Table &table, bool *beyond = nullptr);

// What the showing knows of the line-station rows beyond the line index: each line's stations in
// line order and the first line listed for each station (both built with the index).
extern QHash<int, QVector<int>> lineStationOrder;
extern QHash<int, int> firstLineOfStation;

// One line's stop rows (its stop-row file): the positions of each (station, day group,
// direction), ascending, and the number of stop rows of each timetable (station 0, day group,
// direction). A file that could not be read stays in the cache as not ok, so it is read once.
struct StopRowTable {
    bool ok = false;
    QHash<quint64, QVector<int>> positions;
    QHash<quint64, int> rowCounts;
};
// The trips of one line connection (its trip file): the stored cells of each stop column by its
// position, trips in file order.
struct TripTable {
    bool ok = false;
    QHash<int, QVector<int>> columns;
    QHash<int, QVector<int>> decoded; // columns as the timing reads them, for one query
    QHash<int, bool> ordered;         // per column: its departures never fall from row to row
    int decodedInQuery = -1;
};
// Indexed by line ID, sized highest line ID + 1 at each showing; an empty slot holds nothing.
using TTimeTableConnectionArray = std::vector<std::unique_ptr<StopRowTable>>;
using TTimeTableArray = std::vector<std::unique_ptr<TripTable>>;
extern TTimeTableConnectionArray TimeTableConnectionCache;
extern TTimeTableArray TimeTableCache[2]; // direction 1 and direction 2
// The cut of a leg that is not the last; off only to compare results with the uncut timing.
extern bool cutLegsByEstimate;

// The state of the query that runs now.
struct QueryRun {
    int start = -1;
    int target = -1;
    int dayGroup = -1; // -1: not found, the timing gives nothing
    int queryTime = 0;
    const SearchTree *startTree = nullptr;
    const SearchTree *targetTree = nullptr;
    QHash<int, int> intervals;           // interval ID -> minutes, only the usable ones
    QSet<int> reportedIntervals;         // interval values already reported in this query
    QHash<quint64, int> lineConnections; // (line, day group, direction) -> line connection ID
    bool timeRanOut = false;             // the time limit cut the combinations
    int queryNumber = 0;                 // counts the queries, so per-query decodings are told apart
};
extern QueryRun run;

// A key of (ID, day group, direction); only directions 1 and 2 are timetables.
inline quint64 lineConnectionKey(int id, int dayGroup, int direction)
{
    return (quint64(quint32(id)) << 33) ^ (quint64(quint32(dayGroup)) << 1) ^ quint64(direction == 2);
}

// Prepares the run's lookups for a query on the day group (dropping the trip caches when the
// day group is another than theirs).
void prepareTiming(int dayGroupID);

// Where the fields of cdsLineConnections that prepareTiming reads stand; -1 for one the table
// lacks. Found at each showing (and by a query that runs without one), not for every row of every
// query: a name lookup costs more than the rest of the row.
struct LineConnectionFields {
    bool found = false;
    int id = -1;
    int line = -1;
    int dayGroup = -1;
    int direction = -1;
};
extern LineConnectionFields lineConnectionFields;
void findLineConnectionFields();

} // namespace query
