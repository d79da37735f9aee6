#include "query/query_p.h"

#include "data/data_module_1.h"
#include "platform/dialog_service.h"
#include "platform/name_order.h"
#include "platform/table.h"

#include <QSet>

#include <algorithm>
#include <utility>

#include <exception>

int MaxConnections = 10;
int MaxTransfers = 3;
int SearchDepth = 10;
int MaxSearchTime = 60;
int MinChangeMinutes = 1;
int ArrivalBound = 720;
QDateTime SearchStart;

namespace query {
QueryRun run;
}

using namespace query;

namespace {

std::function<QDateTime()> searchClock;

// The damaged files noted since the showing began, and the messages not yet taken.
QSet<QString> damagedNoted;
QStringList damagedUntold;

const int searchTimes[] = {1, 5, 15, 30, 60, 120, 300, 600, 1800, 3600, 7200, 18000, 2147483647};

void closeTable(Table &table)
{
    try {
        table.close();
    } catch (const std::exception &) {
    }
}

} // namespace

int SearchTimeSeconds(int Index)
{
    const int count = int(sizeof(searchTimes) / sizeof(searchTimes[0]));
    return Index >= 0 && Index < count ? searchTimes[Index] : -1;
}

void setQueryClock(std::function<QDateTime()> Clock)
{
    searchClock = std::move(Clock);
}

QDateTime queryNow()
{
    return searchClock ? searchClock() : QDateTime::currentDateTimeUtc();
}

qint64 SecondsSinceSearchStart()
{
    return SearchStart.msecsTo(queryNow()) / 1000;
}

bool SearchTimeExceeded()
{
    return SecondsSinceSearchStart() > qint64(MaxSearchTime);
}

void query::noteDamagedFile(const QString &fileName, const QString &message)
{
    if (damagedNoted.contains(fileName))
        return;
    damagedNoted.insert(fileName);
    damagedUntold << message;
}

QStringList takeDamagedFileMessages()
{
    return std::exchange(damagedUntold, QStringList());
}

void openQueryShowing(const std::function<void(int Pass, int Row, int Rows)> &Progress)
{
    // Each showing reads the files anew: a file still damaged is told again.
    damagedNoted.clear();
    damagedUntold.clear();
    for (Table *t : {&dm1->cdsLineStations, &dm1->cdsLineConnections, &dm1->cdsDayGroups, &dm1->cdsIntervals}) {
        try {
            t->open();
        } catch (const std::exception &) {
        }
    }
    // IDs beyond what the search is sized for come only from a damaged or foreign file.
    auto idsOf = [](const Table &table, const QString &text) {
        bool beyond = false;
        std::vector<int> ids = rowIDs(table, &beyond);
        if (beyond)
            dialogs().showMessage(text.arg(HighestSearchID));
        return ids;
    };
    const std::vector<int> stations = idsOf(dm1->cdsStations, QStringLiteral("Stations with an ID above %1 in file "
                                                                             "stations.ptf are left out of the "
                                                                             "timetable information"));
    const std::vector<int> lines = idsOf(dm1->cdsLines, QStringLiteral("Lines with an ID above %1 in file lines.ptf "
                                                                       "are left out of the timetable information"));
    const int stationSize = (stations.empty() ? 0 : stations.back()) + 1;
    const int lineSize = (lines.empty() ? 0 : lines.back()) + 1;
    findLineConnectionFields();
    bool distancesRead = false;
    const QByteArray distances = readDistancesFile(&distancesRead);
    // Without the file every query of a project with timetables answers nothing: the user is told
    // why, as of a damaged one. A project without timetables has no file yet and lacks nothing.
    if (!distancesRead && dm1->cdsLineConnections.rowCount() > 0)
        noteDamagedFile(distancesFileName(), QStringLiteral("INI-File %1 not found").arg(distancesFileName()));
    loadDistances(distances, stations, Progress);
    buildLineIndex(distances, stationSize, lineSize);
    const std::size_t cacheSize = std::size_t(lineSize);
    if (TimeTableConnectionCache.size() != cacheSize) {
        TimeTableConnectionCache.resize(cacheSize);
        for (TTimeTableArray &cache : TimeTableCache)
            cache.resize(cacheSize);
    }
}

void closeQueryShowing()
{
    lineConnectionFields = LineConnectionFields();
    DropTimeTableCaches();
    closeTable(dm1->cdsLineStations);
    closeTable(dm1->cdsLineConnections);
    closeTable(dm1->cdsDayGroups);
    closeTable(dm1->cdsIntervals);
}

QStringList servedStationNames()
{
    QStringList names;
    Table &st = dm1->cdsStations;
    try {
        st.forEachRow(QStringLiteral("idxStationName"), [&](const TableRow &row) {
            const Field id = row.fieldByName(QStringLiteral("ID"));
            if (!id.isNull() && id.asInteger() < StationSlot.size() && firstLineOfStation.contains(id.asInteger()))
                names << row.fieldByName(QStringLiteral("Station")).asString();
        });
    } catch (const std::exception &) {
    }
    closeTable(st);
    std::stable_sort(names.begin(), names.end(), NameLess);
    return names;
}

QStringList dayGroupTexts()
{
    QStringList texts;
    try {
        dm1->cdsDayGroups.forEachRow(QStringLiteral("idxGroup"), [&](const TableRow &dg) {
            texts << dg.fieldByName(QStringLiteral("Text")).asString();
        });
    } catch (const std::exception &) {
    }
    return texts;
}

void releaseQueryState()
{
    ResultList.clear();
    StationLines.clear();
    LineStations.clear();
}
