#include "data/db_distances.h"

#include "data/project_change.h"
#include "platform/ansi.h"
#include "platform/file_stamps.h"

#include "data/data_module_1.h"
#include "data/db_func_p.h"
#include "data/db_timetables.h"

#include "platform/ini_file.h"
#include "platform/table.h"

#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <exception>

namespace {

const QString kDistance1 = QStringLiteral("distance1");
const QString kDistance2 = QStringLiteral("distance2");
const QString kNewcross = QStringLiteral("newcross");
constexpr int kNoDirectTrip = 9999;

QString distancesFile()
{
    return dbfunc::projectFile(QStringLiteral("distances.ini"));
}

// Minutes from t1 to the later cell t2; a trip that passed midnight has the smaller time second.
int travelMinutes(int t1, int t2)
{
    const qint64 m = t1 <= t2 ? qint64(t2) - t1 : qint64(t2) + 1440 - t1;
    return int(m); // both are times >= 0, so m lies between 0 and INT_MAX
}

QString joinNumbers(const QVector<int> &values)
{
    QStringList parts;
    parts.reserve(values.size());
    for (int v : values)
        parts << QString::number(v);
    return parts.join(QLatin1Char(','));
}

struct ConnectionKey {
    int lineID = 0;
    int dayGroupID = 0;
    int direction = 0;
};

// Reads the line connection without disturbing a caller's open state or filter.
bool readLineConnection(int lineConnectionID, ConnectionKey &key)
{
    Table &lc = dm1->cdsLineConnections;
    const bool wasActive = lc.active();
    const bool found = dbfunc::guarded(lc, false, [&] {
        TableGuard all(lc, TableGuard::Filter);
        lc.open();
        lc.setIndexName(QStringLiteral("idxID"));
        if (!lc.findKey({lineConnectionID}))
            return false;
        Field line = lc.fieldByName(QStringLiteral("LineID"));
        Field group = lc.fieldByName(QStringLiteral("DayGroupID"));
        Field direction = lc.fieldByName(QStringLiteral("Direction"));
        key = ConnectionKey{line.asInteger(), group.asInteger(), direction.asInteger()};
        // a cleared line connection belongs to no line
        return !line.isNull() && !group.isNull() && !direction.isNull();
    });
    if (!wasActive)
        lc.close();
    return found;
}

// The stations of the stop rows in position order and the cells of every trip in file order.
bool readTimeTable(const ConnectionKey &key, QVector<int> &stations, QVector<QVector<int>> &trips)
{
    Table &ttc = dm1->cdsTimeTableConnections;
    Table &tt = dm1->cdsTimeTable;
    try {
        ttc.forEachRow(QStringLiteral("idxPosition"), [&](const TableRow &row) {
            const Field group = row.fieldByName(QStringLiteral("DayGroupID"));
            const Field direction = row.fieldByName(QStringLiteral("Direction"));
            if (!group.isNull() && !direction.isNull() && group.asInteger() == key.dayGroupID &&
                direction.asInteger() == key.direction)
                stations << row.fieldByName(QStringLiteral("StationID")).asInteger();
        });
        ttc.close();

        const bool fit = ReadTripCells(tt, stations.size(), trips);
        tt.close();
        return fit;
    } catch (const std::exception &) {
        ttc.close();
        tt.close();
        return false;
    }
}

} // namespace

DistancesSection ComputeDistances(const QVector<int> &Stations, const QVector<QVector<int>> &Trips)
{
    const int n = Stations.size();
    QVector<int> shortest(n > 1 ? n - 1 : 0, kNoDirectTrip);
    struct Skip {
        int a;
        int b;
        int minutes;
    };
    QVector<Skip> skips;
    QHash<qint64, int> skipIndex; // (a, b) -> entry in skips
    QVector<int> newcross;
    auto addNewcross = [&](int station) {
        if (!newcross.contains(station))
            newcross << station;
    };

    for (const QVector<int> &trip : Trips) {
        int lastCol = -1;
        int lastTime = 0;
        bool havePrevious = false;
        int previous = -1;
        for (int k = 0; k < n; ++k) {
            const int v = k < trip.size() ? trip[k] : -1;
            if (v >= 0) {
                if (havePrevious && previous >= 0) {
                    const int m = travelMinutes(lastTime, v);
                    if (m < shortest[k - 1])
                        shortest[k - 1] = m;
                } else if (lastCol < 0) {
                    addNewcross(Stations[k]);
                } else {
                    // A station standing in two rows (arrival, departure) does not make a gap.
                    int a = lastCol;
                    if (Stations[a] == Stations[a + 1])
                        ++a;
                    int b = k;
                    if (Stations[b] == Stations[b - 1])
                        --b;
                    if (b - a >= 2) {
                        addNewcross(Stations[a]);
                        addNewcross(Stations[b]);
                        const int m = travelMinutes(lastTime, v);
                        const qint64 pair = (qint64(a) << 32) | quint32(b);
                        auto it = skipIndex.constFind(pair);
                        if (it == skipIndex.constEnd()) {
                            skipIndex.insert(pair, skips.size());
                            skips.append(Skip{a, b, m});
                        } else if (m < skips[*it].minutes) {
                            skips[*it].minutes = m;
                        }
                    }
                }
                lastTime = v;
                lastCol = k;
            } else if (v == -1) {
                // the trip leaves the line here (an interval reference does not count)
                if (lastCol >= 0 && havePrevious && previous >= 0)
                    addNewcross(Stations[k - 1]);
            }
            previous = v;
            havePrevious = true;
        }
    }

    DistancesSection section;
    if (n > 0) {
        QVector<int> d1;
        d1.reserve(2 * n - 1);
        d1 << Stations[0];
        for (int k = 0; k + 1 < n; ++k)
            d1 << shortest[k] << Stations[k + 1];
        section.distance1 = joinNumbers(d1);
    }
    QVector<int> d2;
    for (const Skip &s : skips)
        d2 << Stations[s.a] << Stations[s.b] << s.minutes;
    section.distance2 = joinNumbers(d2);
    section.newcross = joinNumbers(newcross);
    return section;
}

void PutDistancesSection(IniFile &Ini, int LineConnectionID, const DistancesSection &Section)
{
    const QString name = QString::number(LineConnectionID);
    Ini.eraseSection(name);
    Ini.writeString(name, kDistance1, Section.distance1);
    if (!Section.distance2.isEmpty())
        Ini.writeString(name, kDistance2, Section.distance2);
    if (!Section.newcross.isEmpty())
        Ini.writeString(name, kNewcross, Section.newcross);
}

namespace {

// The file is read before it is written: one that cannot be read stops the write, and the action
// is told why.
bool loadForWrite(IniFile &ini, const QString &file)
{
    if (ini.load(file))
        return true;
    const QString reason = QStringLiteral("the file %1 cannot be read").arg(QFileInfo(file).fileName());
    ansi::setLastWriteError(reason);
    ProjectChange::noteFailure(reason);
    return false;
}

} // namespace

bool WriteDistancesSections(const QVector<QPair<int, DistancesSection>> &Sections)
{
    try {
        const QString file = distancesFile();
        // Seen also when missing: a file another copy creates meanwhile is not written over.
        FileStamps::noteRead(file);
        IniFile ini;
        if (QFileInfo::exists(file) && !loadForWrite(ini, file))
            return false;
        for (const auto &[id, section] : Sections)
            PutDistancesSection(ini, id, section);
        return ini.save(file);
    } catch (const std::exception &) {
        return false;
    }
}

bool WriteDistancesSection(int LineConnectionID, const DistancesSection &Section)
{
    return WriteDistancesSections({{LineConnectionID, Section}});
}

bool BuildDistances(int LineConnectionID)
{
    ConnectionKey key;
    if (!readLineConnection(LineConnectionID, key))
        return false;
    if (!LoadTimeTableConnections(key.lineID) || !LoadTimeTable(LineConnectionID))
        return false;
    QVector<int> stations;
    QVector<QVector<int>> trips;
    if (!readTimeTable(key, stations, trips))
        return false;
    return WriteDistancesSection(LineConnectionID, ComputeDistances(stations, trips));
}

bool EraseDistancesSection(int LineConnectionID)
{
    try {
        const QString file = distancesFile();
        if (!FileStamps::seenThere(file))
            return true;
        IniFile ini;
        if (!loadForWrite(ini, file))
            return false;
        const QString name = QString::number(LineConnectionID);
        if (!ini.sectionExists(name))
            return true;
        ini.eraseSection(name);
        return ini.save(file);
    } catch (const std::exception &) {
        return false;
    }
}
