// The line index and the travel-time tables of the connection search.

#include "query/query_p.h"

#include "data/data_module_1.h"
#include "data/main_globals.h"
#include "data/table_files.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_stamps.h"
#include "platform/ini_file.h"
#include "platform/table.h"

#include <QFile>

#include <algorithm>
#include <exception>

SquareTable<std::int16_t> TravelMinutes;
SquareTable<std::uint8_t> MinTransfers;
QVector<int> StationSlot;
QVector<int> LineSlot;
QVector<QList<int>> StationLines;
QVector<QList<int>> LineStations;
QueryCounters queryCounters;

namespace query {

QHash<int, QVector<int>> lineStationOrder;
QHash<int, int> firstLineOfStation;

namespace {

// What the kept tables were built from.
struct TablesKey {
    bool built = false;
    std::vector<int> stations;
    QByteArray bytes;
};
TablesKey keptTables;

QByteArray parsedBytes;
bool parsedValid = false;
QVector<DistancesEntry> parsedSections;

QByteArray checkedBytes;
bool checkedValid = false;
QString checkedDamage;

int clampMinutes(int minutes)
{
    return minutes < 0 || minutes > NoTravelTime ? NoTravelTime : minutes;
}

} // namespace

// The "distance1" chain: every station paired with every later one, with the running sum. The
// walk from a station ends where the chain comes to that station again, since every later pair
// is then served as well by the later place with a sum no greater; and where the sum reaches
// "no travel time", which no pair can improve on. A long chain so costs its length times the
// stations in it, not its length squared.
void applyDistanceChain(const QVector<int> &p)
{
    const int count = p.size();
    QHash<int, int> placeOf; // station -> its next place in the chain, from the end
    QVector<int> nextPlace(count, count);
    for (int i = (count - 1) & ~1; i >= 0; i -= 2) {
        const auto it = placeOf.constFind(p[i]);
        if (it != placeOf.constEnd())
            nextPlace[i] = *it;
        placeOf.insert(p[i], i);
    }
    for (int i = 0; i + 2 < count; i += 2) {
        const int from = TravelMinutes.indexOf(p[i]);
        if (from < 1)
            continue;
        std::int16_t *travel = TravelMinutes.row(from);
        std::uint8_t *transfers = MinTransfers.row(from);
        int sum = 0;
        for (int k = i + 2; k < count && k < nextPlace[i]; k += 2) {
            const int minutes = clampMinutes(p[k - 1]);
            if (minutes == NoTravelTime)
                continue;
            sum = std::min(sum + minutes, int(NoTravelTime));
            if (sum == NoTravelTime)
                break;
            const int to = TravelMinutes.indexOf(p[k]);
            if (to < 1 || from == to)
                continue;
            if (travel[to] > sum) {
                travel[to] = std::int16_t(sum);
                transfers[to] = 0;
            }
        }
    }
}

namespace {

void applyTriples(const QVector<int> &p)
{
    for (int j = 0; j + 2 < p.size(); j += 3) {
        const int from = TravelMinutes.indexOf(p[j]);
        const int to = TravelMinutes.indexOf(p[j + 1]);
        if (from < 1 || to < 1)
            continue;
        const int minutes = clampMinutes(p[j + 2]);
        std::int16_t &cell = TravelMinutes.row(from)[to];
        if (cell > minutes)
            cell = std::int16_t(minutes);
    }
}

} // namespace

QString distancesFileName()
{
    return ProjectDir + QStringLiteral("/distances.ini");
}

QByteArray readDistancesFile(bool *read)
{
    const QString fileName = distancesFileName();
    if (read)
        *read = false;
    // Seen before it is opened, also when it is not there: a save relies on what the search saw.
    FileStamps::noteRead(fileName);
    if (!ansi::isRegularFile(fileName))
        return QByteArray();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes = file.readAll();
    if (read)
        *read = file.error() == QFileDevice::NoError;
    return bytes;
}

const QVector<DistancesEntry> &distancesSections(const QByteArray &bytes)
{
    if (parsedValid && bytes == parsedBytes)
        return parsedSections;
    IniFile ini;
    ini.fromText(ansi::decode(bytes));
    parsedSections.clear();
    for (const QString &name : ini.sections()) {
        DistancesEntry e;
        e.name = name;
        e.distance1 = ini.readString(name, QStringLiteral("distance1"));
        e.distance2 = ini.readString(name, QStringLiteral("distance2"));
        e.newcross = ini.readString(name, QStringLiteral("newcross"));
        parsedSections << e;
    }
    parsedBytes = bytes;
    parsedValid = true;
    return parsedSections;
}

QString distancesDamage(const QByteArray &bytes)
{
    if (checkedValid && bytes == checkedBytes)
        return checkedDamage;
    // The lines as the search reads them: a section named by its line connection's ID, and the
    // search's keys holding lists of decimal numbers. Other keys, blank lines and comments are
    // none of its business.
    int first = 0;
    int count = 0;
    QVector<int> ids;
    const QStringList lines = ansi::splitLines(ansi::decode(bytes));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        bool reads = true;
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) {
        } else if (line.startsWith(QLatin1Char('[')) && line.lastIndexOf(QLatin1Char(']')) > 0) {
            line.mid(1, line.lastIndexOf(QLatin1Char(']')) - 1).trimmed().toInt(&reads, 10);
        } else if (const qsizetype eq = line.indexOf(QLatin1Char('=')); eq > 0) {
            const QString key = line.left(eq).trimmed().toLower();
            if (key == QLatin1String("distance1") || key == QLatin1String("distance2") ||
                key == QLatin1String("newcross"))
                reads = parseIdList(line.mid(eq + 1).trimmed(), ids);
        } else {
            reads = false;
        }
        if (!reads && count++ == 0)
            first = int(i) + 1;
    }
    checkedDamage.clear();
    if (count > 0) {
        checkedDamage = QStringLiteral("Error by load INI-File: %1 (line %2").arg(distancesFileName()).arg(first);
        if (count > 1)
            checkedDamage += QStringLiteral(" and %1 more").arg(count - 1);
        checkedDamage += QLatin1Char(')');
    }
    checkedBytes = bytes;
    checkedValid = true;
    return checkedDamage;
}

bool parseIdList(const QString &value, QVector<int> &ids)
{
    ids.clear();
    if (value.isEmpty())
        return true;
    const QStringList pieces = value.split(QLatin1Char(','));
    ids.reserve(pieces.size());
    for (QString piece : pieces) {
        piece = piece.trimmed();
        if (piece.size() >= 2 && piece.startsWith(QLatin1Char('"')) && piece.endsWith(QLatin1Char('"')))
            piece = piece.mid(1, piece.size() - 2);
        bool ok = false;
        const int v = piece.toInt(&ok, 10);
        if (!ok)
            return false;
        ids << v;
    }
    return true;
}

std::vector<int> rowIDs(const Table &table, bool *beyond)
{
    std::vector<int> ids;
    bool above = false;
    try {
        const int idField = table.findFieldIndex(QStringLiteral("ID"));
        if (idField >= 0)
            table.forEachRow(QString(), [&](const TableRow &row) {
                const Field f = row.field(idField);
                if (f.isNull())
                    return;
                const int v = f.asInteger();
                if (v > HighestSearchID)
                    above = true;
                else if (v >= 1)
                    ids.push_back(v);
            });
    } catch (const std::exception &) {
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    if (beyond)
        *beyond = above;
    return ids;
}

int highestRowID(const Table &table, bool *beyond)
{
    const std::vector<int> ids = rowIDs(table, beyond);
    return ids.empty() ? 0 : ids.back();
}

} // namespace query

using namespace query;

bool LoadDistances()
{
    return loadDistances(readDistancesFile(), rowIDs(dm1->cdsStations));
}

void BuildLineIndex()
{
    buildLineIndex(readDistancesFile(), highestRowID(dm1->cdsStations) + 1, highestRowID(dm1->cdsLines) + 1);
}

bool query::loadDistances(const QByteArray &bytes, const std::vector<int> &stationIDs,
                          const std::function<void(int Pass, int Row, int Rows)> &progress)
{
    // The closure is cubic in the stations: tables built from the same file for the same
    // stations come out the same, so they are kept.
    if (keptTables.built && keptTables.stations == stationIDs && keptTables.bytes == bytes)
        return true;

    // Every ID up to the highest station's reads as before; those that no station and no travel
    // time names stay out of the tables (they would only add rows of "no travel time"), so the
    // tables grow with the stations, not with their IDs. An ID of distances.ini that is no
    // station still counts as a place to change at.
    const int idLimit = (stationIDs.empty() ? 0 : stationIDs.back()) + 1;
    std::vector<char> occurs(std::size_t(idLimit), 0);
    auto note = [&](int id) {
        if (id >= 1 && id < idLimit)
            occurs[std::size_t(id)] = 1;
    };
    for (int id : stationIDs)
        note(id);
    // The chains and triples in file order; a damaged value is skipped, the rest of the file
    // still counts.
    struct Values {
        QVector<int> chain;
        QVector<int> triples;
    };
    std::vector<Values> values;
    for (const DistancesEntry &section : distancesSections(bytes)) {
        Values v;
        if (section.distance1.isEmpty() || !parseIdList(section.distance1, v.chain))
            v.chain.clear();
        if (section.distance2.isEmpty() || !parseIdList(section.distance2, v.triples))
            v.triples.clear();
        for (int i = 0; i < v.chain.size(); i += 2)
            note(v.chain[i]);
        for (int j = 0; j + 2 < v.triples.size(); j += 3) {
            note(v.triples[j]);
            note(v.triples[j + 1]);
        }
        if (!v.chain.isEmpty() || !v.triples.isEmpty())
            values.push_back(std::move(v));
    }
    std::vector<int> ids;
    for (int id = 1; id < idLimit; ++id)
        if (occurs[std::size_t(id)])
            ids.push_back(id);

    TravelMinutes.resize(idLimit, ids, NoTravelTime, 0);
    MinTransfers.resize(idLimit, ids, NoTransfers, NoTransfers);
    for (const Values &v : values) {
        if (!v.chain.isEmpty())
            applyDistanceChain(v.chain);
        if (!v.triples.isEmpty())
            applyTriples(v.triples);
    }
    const int n = TravelMinutes.size();
    for (int i = 1; i < n; ++i)
        if (TravelMinutes.row(i)[i] == NoTravelTime)
            TravelMinutes.row(i)[i] = 0;
    queryCounters.closurePasses = CloseTravelTables(n, TravelMinutes.cells(), MinTransfers.cells(), progress);
    ++queryCounters.tableBuilds;
    keptTables.built = true;
    keptTables.stations = stationIDs;
    keptTables.bytes = bytes;
    return true;
}

void query::buildLineIndex(const QByteArray &bytes, int stationSize, int lineSize)
{
    StationSlot.fill(-1, stationSize);
    LineSlot.fill(-1, lineSize);
    // Only slot-reachable entries are current, so the lists start empty at every build.
    StationLines.clear();
    LineStations.clear();
    lineStationOrder.clear();
    firstLineOfStation.clear();

    auto addUnique = [](QList<int> &list, int value) {
        if (!list.contains(value))
            list << value;
    };

    // The line-station rows in one walk each, in the orders the index reads them.
    QHash<int, QVector<int>> linesAt; // station -> LineID of every row, idxStationID order
    Table &ls = dm1->cdsLineStations;
    try {
        const int lineField = ls.findFieldIndex(QStringLiteral("LineID"));
        const int stationField = ls.findFieldIndex(QStringLiteral("StationID"));
        if (lineField >= 0 && stationField >= 0) {
            ls.forEachRow(QStringLiteral("idxStationID"), [&](const TableRow &row) {
                const Field line = row.field(lineField);
                const Field station = row.field(stationField);
                if (line.isNull() || station.isNull())
                    return;
                linesAt[station.asInteger()] << line.asInteger();
                if (!firstLineOfStation.contains(station.asInteger()))
                    firstLineOfStation.insert(station.asInteger(), line.asInteger());
            });
            ls.forEachRow(QStringLiteral("idxLineStations"), [&](const TableRow &row) {
                const Field line = row.field(lineField);
                const Field station = row.field(stationField);
                if (!line.isNull() && !station.isNull())
                    lineStationOrder[line.asInteger()] << station.asInteger();
            });
        }
    } catch (const std::exception &) {
    }

    // Stations in ID order; each one served by two rows or more enters the index.
    QVector<int> stations;
    Table &st = dm1->cdsStations;
    try {
        const int idField = st.findFieldIndex(QStringLiteral("ID"));
        if (idField >= 0) {
            st.forEachRow(QStringLiteral("idxID"), [&](const TableRow &row) {
                const Field id = row.field(idField);
                if (!id.isNull())
                    stations << id.asInteger();
            });
        }
    } catch (const std::exception &) {
    }
    st.close();

    for (int s : stations) {
        if (s < 1 || s >= stationSize)
            continue;
        const QVector<int> rows = linesAt.value(s);
        if (rows.size() < 2)
            continue;
        StationSlot[s] = StationLines.size();
        StationLines.append(QList<int>());
        for (int line : rows) {
            if (line < 1 || line >= lineSize)
                continue;
            addUnique(StationLines[StationSlot[s]], line);
            if (LineSlot[line] == -1) {
                LineSlot[line] = LineStations.size();
                LineStations.append(QList<int>());
            }
            addUnique(LineStations[LineSlot[line]], s);
        }
    }

    // A damaged line_connections.ptf lacks rows that distances.ini still names: the file is told
    // once, not each section whose row it lost.
    const QString connectionsDamaged = dm1->cdsLineConnections.damagedFile();
    if (!connectionsDamaged.isEmpty())
        noteDamagedFile(connectionsDamaged, PtfLoadErrorMessage(connectionsDamaged, dm1->cdsLineConnections));
    const QString distancesDamaged = distancesDamage(bytes);
    if (!distancesDamaged.isEmpty())
        noteDamagedFile(distancesFileName(), distancesDamaged);

    // The line of every line connection, null when its timetable was deleted.
    QHash<int, int> lineOfConnection; // ID -> LineID, -1 for a cleared row
    try {
        dm1->cdsLineConnections.forEachRow(QStringLiteral("idxID"), [&](const TableRow &lc) {
            const Field id = lc.fieldByName(QStringLiteral("ID"));
            const Field line = lc.fieldByName(QStringLiteral("LineID"));
            if (!id.isNull() && !lineOfConnection.contains(id.asInteger()))
                lineOfConnection.insert(id.asInteger(), line.isNull() ? -1 : line.asInteger());
        });
    } catch (const std::exception &) {
    }

    QVector<int> ids;
    for (const DistancesEntry &section : distancesSections(bytes)) {
        bool isNumber = false;
        const int c = section.name.trimmed().toInt(&isNumber, 10);
        if (!isNumber)
            continue;
        const auto found = lineOfConnection.constFind(c);
        if (found == lineOfConnection.constEnd()) {
            if (connectionsDamaged.isEmpty())
                dialogs().showMessage(
                QStringLiteral("Error in file lineconnections.ptf - record with ID %1 not found").arg(c));
            continue;
        }
        const int line = *found;
        if (line < 1 || line >= lineSize || section.newcross.isEmpty() || !parseIdList(section.newcross, ids))
            continue;
        for (int t : ids) {
            if (t < 1 || t >= stationSize)
                continue;
            if (StationSlot[t] >= 0) {
                addUnique(StationLines[StationSlot[t]], line);
            } else {
                StationSlot[t] = StationLines.size();
                StationLines.append(QList<int>{line});
            }
            if (LineSlot[line] >= 0) {
                addUnique(LineStations[LineSlot[line]], t);
            } else {
                LineSlot[line] = LineStations.size();
                LineStations.append(QList<int>{t});
            }
        }
    }
}
