// Route timing: a candidate route of the search against the timetables of its lines.

#include "query/query_p.h"

#include "data/common_helpers.h"
#include "data/data_module_1.h"
#include "data/table_files.h"
#include "data/timetable_files.h"
#include "platform/dialog_service.h"
#include "platform/table.h"

#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <exception>

QList<DetailConnectionItem> ResultList;

namespace query {

TTimeTableConnectionArray TimeTableConnectionCache;
TTimeTableArray TimeTableCache[2];
bool cutLegsByEstimate = true;
LineConnectionFields lineConnectionFields;

namespace {

int cachedDayGroup = -1; // the day group the trip caches were read for

constexpr int LastServiceMinute = 2879;

bool isTime(int v)
{
    return v >= 0 && v <= LastServiceMinute;
}

quint64 stopKey(int station, int dayGroup, int direction)
{
    return lineConnectionKey(station, dayGroup, direction);
}

// A timetable file that is there but could not be read is noted with the reader's message (its
// first line that does not read, when it has one): the timing does without it.
void noteUnreadTimetable(const QString &path)
{
    if (!QFileInfo::exists(path))
        return;
    Table scratch(QStringLiteral("scratch"));
    try {
        LoadPtfFileStructure(path, scratch);
    } catch (const std::exception &) {
    }
    noteDamagedFile(path, PtfLoadErrorMessage(path, scratch));
}

const StopRowTable &stopRowsOf(int line)
{
    std::unique_ptr<StopRowTable> &slot = TimeTableConnectionCache[std::size_t(line)];
    if (slot)
        return *slot;
    slot = std::make_unique<StopRowTable>();
    ++queryCounters.stopRowReads;
    QVector<TimeTableStopRowRecord> rows;
    if (!ReadStopRowFile(line, rows, true)) {
        noteUnreadTimetable(TimeTableConnectionsFilePath(line));
        return *slot;
    }
    for (const TimeTableStopRowRecord &r : rows) {
        if (r.direction != 1 && r.direction != 2)
            continue;
        ++slot->rowCounts[stopKey(0, r.dayGroupID, r.direction)];
        if (r.complete)
            slot->positions[stopKey(r.stationID, r.dayGroupID, r.direction)] << r.position;
    }
    for (QVector<int> &list : slot->positions)
        std::sort(list.begin(), list.end());
    slot->ok = true;
    return *slot;
}

// The trips are read as the timetable editor reads them: a file the editor shows is a timetable
// here too, and one it refuses is none.
TripTable &tripsOf(int line, int direction, int lineConnection, int stopRows)
{
    std::unique_ptr<TripTable> &slot = TimeTableCache[direction - 1][std::size_t(line)];
    if (slot)
        return *slot;
    slot = std::make_unique<TripTable>();
    ++queryCounters.tripReads;
    QVector<QVector<int>> trips;
    const TripFileRead read = ReadTripFile(lineConnection, stopRows, trips, FurtherTripColumns::Ignored);
    if (read == TripFileRead::Unreadable)
        noteUnreadTimetable(TimeTableFilePath(lineConnection));
    if (read != TripFileRead::Read)
        return *slot;
    for (int k = 0; k < stopRows; ++k) {
        QVector<int> cells;
        cells.reserve(trips.size());
        for (const QVector<int> &trip : trips)
            cells << trip[k];
        slot->columns.insert(k + 1, cells);
    }
    slot->ok = true;
    return *slot;
}

// A stored cell as the timing reads it: a time, minus an interval's minutes, or 9999 for no stop.
int decodeCell(int v)
{
    if (v == -1 || v < -999)
        return NoTravelTime;
    if (v >= -999 && v <= -2) {
        const auto it = run.intervals.constFind(-v);
        if (it != run.intervals.constEnd())
            return -*it;
        // Reported once per query: a timetable names the same interval in every trip.
        if (!run.reportedIntervals.contains(v)) {
            run.reportedIntervals.insert(v);
            dialogs().showMessage(
                QStringLiteral("Error: Value %1 for \"all x minutes\" in file intervals.ptf not found!").arg(v));
        }
        return NoTravelTime;
    }
    return v;
}

// A column decoded once per query: every candidate on the line reads the same cells, and the
// messages of a query come at the first reading.
const QVector<int> &decodedColumn(TripTable &trips, int position, const QVector<int> &cells)
{
    if (trips.decodedInQuery != run.queryNumber) {
        trips.decoded.clear();
        trips.decodedInQuery = run.queryNumber;
    }
    auto it = trips.decoded.find(position);
    if (it == trips.decoded.end()) {
        QVector<int> values;
        values.reserve(cells.size());
        for (int v : cells)
            values << decodeCell(v);
        it = trips.decoded.insert(position, values);
    }
    return *it;
}

// Whether a column's departures are in order, found once per table and column: the stored cells
// decide it, and an interval's minutes never count as a departure.
bool departuresInOrder(TripTable &trips, int position, const QVector<int> &decoded)
{
    auto it = trips.ordered.constFind(position);
    if (it == trips.ordered.constEnd())
        it = trips.ordered.insert(position, DeparturesInOrder(decoded));
    return *it;
}

bool timeRanOut()
{
    return SecondsSinceSearchStart() >= qint64(MaxSearchTime);
}

// The nodes of a route: the start tree from its root down to StartNode, then the target tree
// from TargetNode up to its root.
QVector<int> routeOf(const ConnectionCandidate &candidate)
{
    QVector<int> route;
    for (int n = candidate.StartNode; n >= 0; n = run.startTree->Nodes[std::size_t(n)].Parent)
        route.prepend(run.startTree->Nodes[std::size_t(n)].Value);
    for (int n = candidate.TargetNode; n >= 0; n = run.targetTree->Nodes[std::size_t(n)].Parent)
        route << run.targetTree->Nodes[std::size_t(n)].Value;
    return route;
}

int travel(int from, int to)
{
    return TravelMinutes.at(from, to);
}

} // namespace

void prepareTiming(int dayGroupID)
{
    if (dayGroupID != cachedDayGroup)
        DropTimeTableCaches();
    cachedDayGroup = dayGroupID;
    ++run.queryNumber;
    run.intervals.clear();
    run.reportedIntervals.clear();
    run.lineConnections.clear();
    run.timeRanOut = false;

    try {
        const Table &iv = dm1->cdsIntervals;
        const int id = iv.findFieldIndex(QStringLiteral("ID"));
        const int minutes = iv.findFieldIndex(QStringLiteral("Interval"));
        if (id >= 0 && minutes >= 0)
            iv.forEachRow(iv.indexName(), [&](const TableRow &row) {
                const Field i = row.field(id), m = row.field(minutes);
                if (i.isNull() || m.isNull() || run.intervals.contains(i.asInteger()))
                    return;
                // An interval outside one day names no usable step.
                const int x = m.asInteger();
                if (x >= 1 && x <= 1439)
                    run.intervals.insert(i.asInteger(), x);
            });
    } catch (const std::exception &) {
    }

    if (!lineConnectionFields.found)
        findLineConnectionFields();
    const LineConnectionFields &f = lineConnectionFields;
    if (f.id < 0 || f.line < 0 || f.dayGroup < 0 || f.direction < 0)
        return;
    try {
        dm1->cdsLineConnections.forEachRow(QStringLiteral("idxAll"), [&](const TableRow &lc) {
            const Field id = lc.field(f.id);
            const Field line = lc.field(f.line);
            const Field group = lc.field(f.dayGroup);
            const Field direction = lc.field(f.direction);
            if (id.isNull() || line.isNull() || group.isNull() || direction.isNull() ||
                (direction.asInteger() != 1 && direction.asInteger() != 2))
                return;
            const quint64 key = lineConnectionKey(line.asInteger(), group.asInteger(), direction.asInteger());
            if (!run.lineConnections.contains(key))
                run.lineConnections.insert(key, id.asInteger());
        });
    } catch (const std::exception &) {
    }
}

void findLineConnectionFields()
{
    const Table &lc = dm1->cdsLineConnections;
    lineConnectionFields.found = true;
    lineConnectionFields.id = lc.findFieldIndex(QStringLiteral("ID"));
    lineConnectionFields.line = lc.findFieldIndex(QStringLiteral("LineID"));
    lineConnectionFields.dayGroup = lc.findFieldIndex(QStringLiteral("DayGroupID"));
    lineConnectionFields.direction = lc.findFieldIndex(QStringLiteral("Direction"));
}

} // namespace query

using namespace query;

void DropTimeTableCaches()
{
    for (auto &slot : TimeTableConnectionCache)
        slot.reset();
    for (auto &cache : TimeTableCache)
        for (auto &slot : cache)
            slot.reset();
}

bool DeparturesInOrder(const QVector<int> &Dep)
{
    int last = -1;
    for (int v : Dep) {
        if (!isTime(v))
            continue;
        if (v < last)
            return false;
        last = v;
    }
    return true;
}

QVector<TripPair> CollectTripPairs(const QVector<int> &Dep, const QVector<int> &Arr, const LegWindow &Leg,
                                   LastTrip &Last)
{
    QVector<TripPair> pairs;
    const int qt = Leg.QueryTime;
    const int w = Leg.Window;
    int ivD = 0;
    int ivA = 0;
    // An interval block needs an explicit trip of this leg to start from.
    bool explicitTrip = false;
    const int rows = std::min(Dep.size(), Arr.size());
    for (int i = 0; i < rows; ++i) {
        const int dep = Dep[i];
        const int arr = Arr[i];
        if (!isTime(dep)) {
            if (dep < 0) {
                ivD = -dep;
                ivA = arr < 0 ? -arr : arr;
            }
            continue;
        }
        const bool pending = ivD != 0 && ivA != 0;
        if (!pending) {
            if (dep < qt) {
                Last.Departure = dep;
                if (isTime(arr))
                    Last.Arrival = arr;
                explicitTrip = true;
                continue;
            }
            const bool beyond = Leg.LastLeg ? dep > w : Leg.CutEstimate != NoTravelTime && dep + Leg.CutEstimate > w;
            if (beyond) {
                if (Leg.Ordered)
                    break;
                // Too late for this leg, but still the last explicit trip for a block after it.
                Last.Departure = dep;
                if (isTime(arr))
                    Last.Arrival = arr;
                explicitTrip = true;
                continue;
            }
        }
        if (isTime(arr)) {
            int step = 0;
            if (explicitTrip && ivD >= 1 && ivD <= 9998 && ivA >= 1 && ivA <= 9998) {
                try {
                    step = LeastCommonMultiple(ivD, ivA);
                } catch (const std::exception &) {
                    step = 0;
                }
            }
            if (step > 0) {
                int lastDep = Last.Departure + step;
                int lastArr = Last.Arrival + step;
                while (lastDep <= dep) {
                    if (lastDep < qt - 1) {
                    } else if (lastDep > w) {
                        break;
                    } else if (lastArr >= qt && lastArr <= w) {
                        pairs << TripPair{lastDep, lastArr};
                    }
                    lastDep += step;
                    lastArr += step;
                }
            } else if (arr <= w && arr >= Leg.MinArrival) {
                pairs << TripPair{dep, arr};
            }
            Last.Arrival = arr;
        }
        ivD = 0;
        ivA = 0;
        Last.Departure = dep;
        explicitTrip = true;
    }
    return pairs;
}

bool OfferConnection(const DetailConnectionItem &Item)
{
    if (MaxConnections < 1)
        return false;
    bool inserted = false;
    if (ResultList.size() < MaxConnections || ResultList.last().ArrivalIn > Item.ArrivalIn) {
        // The list is sorted by ArrivalIn: an identical connection stands among the equal ones.
        auto equalBegin = std::lower_bound(ResultList.begin(), ResultList.end(), Item.ArrivalIn,
                                           [](const DetailConnectionItem &d, int a) { return d.ArrivalIn < a; });
        for (auto it = equalBegin; it != ResultList.end() && it->ArrivalIn == Item.ArrivalIn; ++it)
            if (it->Legs == Item.Legs)
                return false;
        auto at = equalBegin;
        while (at != ResultList.end() && at->ArrivalIn == Item.ArrivalIn && at->Transfers <= Item.Transfers)
            ++at;
        ResultList.insert(at, Item);
        if (ResultList.size() > MaxConnections)
            ResultList.removeLast();
        inserted = true;
    }
    if (ResultList.size() == MaxConnections)
        ArrivalBound = ResultList.last().ArrivalIn;
    return inserted;
}

bool CombineLegPairs(const QVector<ConnectionLeg> &Legs, const QVector<QVector<TripPair>> &Pairs, int QueryTime,
                     int Transfers)
{
    const int m = std::min(Legs.size(), Pairs.size());
    if (m == 0)
        return true;
    for (int j = 0; j < m; ++j)
        if (Pairs[j].isEmpty())
            return true;

    // best[j][i]: the earliest final arrival of any valid completion through pair i of leg j
    // (INT_MAX for none). With it the odometer skips, in its own order, exactly the combinations
    // that could not be valid or could not enter the list, so the list comes out the same.
    struct Level {
        QVector<int> best;
        QVector<int> depSorted;  // departures ascending
        QVector<int> suffixBest; // min of best from that place in depSorted on
    };
    QVector<Level> levels(m);
    auto bestFrom = [&](int j, int t) {
        const Level &l = levels[j];
        const auto it = std::lower_bound(l.depSorted.begin(), l.depSorted.end(), t);
        return it == l.depSorted.end() ? INT_MAX : l.suffixBest[int(it - l.depSorted.begin())];
    };
    for (int j = m - 1; j >= 0; --j) {
        Level &l = levels[j];
        const QVector<TripPair> &p = Pairs[j];
        l.best.resize(p.size());
        QVector<int> order(p.size());
        for (int i = 0; i < p.size(); ++i) {
            order[i] = i;
            l.best[i] = j == m - 1 ? p[i].Arrival : bestFrom(j + 1, p[i].Arrival + MinChangeMinutes);
        }
        std::sort(order.begin(), order.end(), [&](int a, int b) { return p[a].Departure < p[b].Departure; });
        l.depSorted.resize(p.size());
        l.suffixBest.resize(p.size());
        int running = INT_MAX;
        for (int k = p.size() - 1; k >= 0; --k) {
            l.depSorted[k] = p[order[k]].Departure;
            running = std::min(running, l.best[order[k]]);
            l.suffixBest[k] = running;
        }
    }

    QVector<int> chosen(m, 0);
    unsigned visited = 0;
    bool stopped = false;
    auto full = [] { return ResultList.size() >= MaxConnections; };
    std::function<void(int, int)> choose = [&](int j, int prevArrival) {
        const QVector<TripPair> &p = Pairs[j];
        for (int i = 0; i < p.size() && !stopped; ++i) {
            // The limit holds here too, by the rule that ends the search (the whole seconds
            // passed it): a route of many legs can make millions of combinations.
            if ((++visited & 1023u) == 0 && SearchTimeExceeded()) {
                stopped = true;
                return;
            }
            if (j > 0 && p[i].Departure < prevArrival + MinChangeMinutes)
                continue;
            const int best = levels[j].best[i];
            if (best == INT_MAX || (full() && qint64(best) - QueryTime >= ResultList.last().ArrivalIn))
                continue;
            chosen[j] = i;
            if (j + 1 < m) {
                choose(j + 1, p[i].Arrival);
                continue;
            }
            DetailConnectionItem item;
            item.Legs = Legs.mid(0, m);
            for (int k = 0; k < m; ++k) {
                item.Legs[k].Departure = Pairs[k][chosen[k]].Departure;
                item.Legs[k].Arrival = Pairs[k][chosen[k]].Arrival;
            }
            item.FirstDeparture = item.Legs.first().Departure;
            item.ArrivalIn = item.Legs.last().Arrival - QueryTime;
            item.Transfers = Transfers;
            OfferConnection(item);
        }
    };
    choose(0, 0);
    return !stopped;
}

void EvaluateConnection(const ConnectionCandidate &Candidate)
{
    if (run.dayGroup < 0 || !run.startTree || !run.targetTree)
        return;
    const QVector<int> route = routeOf(Candidate);
    if (route.size() < 3 || route.size() % 2 == 0)
        return;
    const int m = (route.size() - 1) / 2;
    const int dg = run.dayGroup;
    const int qt = run.queryTime;
    const int destination = route.last();

    QVector<ConnectionLeg> legs(m);
    QVector<QVector<int>> deps(m), arrs(m);
    QVector<bool> ordered(m, true);
    for (int k = 0; k < m; ++k) {
        ConnectionLeg &leg = legs[k];
        leg.LineID = route[2 * k + 1];
        leg.FromStationID = route[2 * k];
        leg.ToStationID = route[2 * k + 2];
        const int line = leg.LineID;
        if (line < 1 || line >= LineSlot.size() || std::size_t(line) >= TimeTableConnectionCache.size())
            return;
        const QVector<int> order = lineStationOrder.value(line);
        const int fromPlace = order.indexOf(leg.FromStationID);
        const int toPlace = order.indexOf(leg.ToStationID);
        if (fromPlace < 0 || toPlace < 0)
            return;
        const int direction = fromPlace < toPlace ? 1 : 2;
        const int lc = run.lineConnections.value(lineConnectionKey(line, dg, direction), -1);
        if (lc < 0)
            return;
        const StopRowTable &stops = stopRowsOf(line);
        if (!stops.ok)
            return;
        TripTable &trips = tripsOf(line, direction, lc, stops.rowCounts.value(stopKey(0, dg, direction)));
        if (!trips.ok)
            return;
        const QVector<int> fromRows = stops.positions.value(stopKey(leg.FromStationID, dg, direction));
        const QVector<int> toRows = stops.positions.value(stopKey(leg.ToStationID, dg, direction));
        if (fromRows.isEmpty() || toRows.isEmpty())
            return;
        // On a line that passes a station twice the leg must still arrive after it departs.
        const auto arrival = std::upper_bound(toRows.begin(), toRows.end(), fromRows.first());
        if (arrival == toRows.end())
            return;
        const int arrivalColumn = *arrival;
        const int departureColumn = *(std::lower_bound(fromRows.begin(), fromRows.end(), arrivalColumn) - 1);
        const auto depCells = trips.columns.constFind(departureColumn);
        const auto arrCells = trips.columns.constFind(arrivalColumn);
        if (depCells == trips.columns.constEnd() || arrCells == trips.columns.constEnd())
            return;
        deps[k] = decodedColumn(trips, departureColumn, *depCells);
        arrs[k] = decodedColumn(trips, arrivalColumn, *arrCells);
        ordered[k] = departuresInOrder(trips, departureColumn, deps[k]);
        if (timeRanOut())
            return;
    }

    QVector<QVector<TripPair>> pairs(m);
    LastTrip last;
    for (int k = 0; k < m; ++k) {
        LegWindow leg;
        leg.QueryTime = qt;
        leg.Window = qt + ArrivalBound;
        leg.LastLeg = k == m - 1;
        // A lower bound of the travel still needed from this leg's start to the destination.
        leg.CutEstimate = cutLegsByEstimate ? travel(legs[k].FromStationID, destination) : NoTravelTime;
        leg.MinArrival = k == 0 ? qt : qt + travel(route.first(), legs[k].FromStationID);
        leg.Ordered = ordered[k];
        pairs[k] = CollectTripPairs(deps[k], arrs[k], leg, last);
        if (timeRanOut())
            return;
    }
    for (const QVector<TripPair> &p : pairs)
        if (p.isEmpty())
            return;
    if (!CombineLegPairs(legs, pairs, qt, Candidate.Transfers))
        run.timeRanOut = true;
}
