// The bidirectional search: one tree from the start, one from the destination, station and
// line levels alternating, the side with the better estimate expanded in each step.

#include "query/query_p.h"

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/timetable_cells.h"
#include "platform/table.h"

#include <QTime>

#include <algorithm>

int SearchTree::add(int value, int parent)
{
    const int depth = parent < 0 ? 0 : Nodes[std::size_t(parent)].Depth + 1;
    Nodes.push_back(SearchNode{value, parent, depth});
    return int(Nodes.size()) - 1;
}

int CompareSearchEntries(const SearchEntry &Entry1, const SearchEntry &Entry2)
{
    if (Entry1.Estimate != Entry2.Estimate)
        return Entry1.Estimate < Entry2.Estimate ? -1 : 1;
    if (Entry1.Transfers != Entry2.Transfers)
        return Entry1.Transfers < Entry2.Transfers ? -1 : 1;
    return 0;
}

namespace {

// The station node two levels up: the station before the line on which this one was reached.
int stationAbove(const SearchTree &tree, int node)
{
    const int line = tree.Nodes[std::size_t(node)].Parent;
    return line < 0 ? -1 : tree.Nodes[std::size_t(line)].Parent;
}

} // namespace

bool IsOnPath(int StationID, const SearchTree &Tree, int Node)
{
    for (int n = Node; n >= 0; n = stationAbove(Tree, n))
        if (Tree.Nodes[std::size_t(n)].Value == StationID)
            return true;
    return false;
}

bool PathsIntersect(const SearchTree &TreeA, int NodeA, const SearchTree &TreeB, int NodeB)
{
    for (int a = TreeA.Nodes[std::size_t(NodeA)].Parent; a >= 0; a = stationAbove(TreeA, a))
        if (IsOnPath(TreeA.Nodes[std::size_t(a)].Value, TreeB, NodeB))
            return true;
    return false;
}

namespace query {

namespace {

enum Side { StartSide = 0, TargetSide = 1 };

// The open entries of one side chained by station: first[station] and next[entry] are places in
// the open list, -1 ends a chain.
struct StationChains {
    std::vector<int> first;
    std::vector<int> next;
    bool stale = true;
};

int travel(int from, int to)
{
    return TravelMinutes.at(from, to);
}

// The search proper; the search-depth line, when the time limit ends it, goes into Text.
void search(int s, int d, QStringList &text)
{
    SearchTree trees[2];
    run.startTree = &trees[StartSide];
    run.targetTree = &trees[TargetSide];
    std::vector<SearchEntry> open[2];
    std::size_t head[2] = {0, 0};
    StationChains byStation[2];
    open[StartSide].push_back(SearchEntry{travel(s, d), 0, trees[StartSide].add(s, -1)});
    open[TargetSide].push_back(SearchEntry{travel(s, d), 0, trees[TargetSide].add(d, -1)});

    const auto ascending = [](const SearchEntry &a, const SearchEntry &b) { return CompareSearchEntries(a, b) < 0; };
    int step = 1;
    Side toggle = StartSide;
    while (step <= SearchDepth) {
        const int e0 = open[StartSide][head[StartSide]].Estimate;
        const int e1 = open[TargetSide][head[TargetSide]].Estimate;
        const Side side = e0 < e1 ? StartSide : e1 < e0 ? TargetSide : toggle;
        toggle = side == StartSide ? TargetSide : StartSide;
        const Side otherSide = toggle;

        std::vector<SearchEntry> &list = open[side];
        bool accepted = false;
        SearchEntry entry;
        while (head[side] < list.size()) {
            entry = list[head[side]++];
            const bool transfersOk = step == 1 ? entry.Transfers <= MaxTransfers : entry.Transfers < MaxTransfers;
            if (entry.Estimate <= ArrivalBound && transfersOk) {
                accepted = true;
                break;
            }
        }
        if (!accepted)
            break;

        SearchTree &tree = trees[side];
        const SearchTree &otherTree = trees[otherSide];
        const std::vector<SearchEntry> &other = open[otherSide];
        const int p = entry.Node;
        const int station = tree.Nodes[std::size_t(p)].Value;
        const bool isRoot = tree.Nodes[std::size_t(p)].Parent < 0;
        const int parentLine = isRoot ? 0 : tree.Nodes[std::size_t(tree.Nodes[std::size_t(p)].Parent)].Value;
        const int estimate = entry.Estimate;
        const int transfers = entry.Transfers;

        QList<int> lines;
        if (station < StationSlot.size() && StationSlot[station] != -1)
            lines = StationLines[StationSlot[station]];
        else if (firstLineOfStation.contains(station))
            lines << firstLineOfStation.value(station);

        QVector<int> lineNodes;
        for (int line : lines)
            if (line != parentLine)
                lineNodes << tree.add(line, p);

        // The other side's open list does not change while this side is expanded: its entries by
        // station, in list order, are built again only after that side has changed.
        StationChains &chains = byStation[otherSide];
        if (chains.stale) {
            chains.first.assign(std::size_t(TravelMinutes.idLimit()), -1);
            chains.next.assign(other.size(), -1);
            for (std::size_t i = other.size(); i-- > head[otherSide];) {
                const int st = otherTree.Nodes[std::size_t(other[i].Node)].Value;
                chains.next[i] = chains.first[std::size_t(st)];
                chains.first[std::size_t(st)] = int(i);
            }
            chains.stale = false;
        }
        byStation[side].stale = true;
        const std::size_t sortedEnd = list.size();

        for (int lineNode : lineNodes) {
            const int line = tree.Nodes[std::size_t(lineNode)].Value;
            QList<int> stations;
            if (line >= 0 && line < LineSlot.size() && LineSlot[line] != -1)
                stations = LineStations[LineSlot[line]];
            if (step == 1 && !stations.contains(d) && lineStationOrder.value(line).contains(d))
                stations << d;
            for (int st : stations) {
                if (!TravelMinutes.contains(st))
                    continue;
                const bool onPath = IsOnPath(st, tree, p);
                const bool skipMeeting = !isRoot && ((side == StartSide && st == d) || (side == TargetSide && st == s));
                if (!skipMeeting && !onPath) {
                    for (int i = chains.first[std::size_t(st)]; i >= 0; i = chains.next[std::size_t(i)]) {
                        const SearchEntry &o = other[std::size_t(i)];
                        const int oParent = otherTree.Nodes[std::size_t(o.Node)].Parent;
                        if (oParent >= 0 && otherTree.Nodes[std::size_t(oParent)].Value == line)
                            continue;
                        if (!PathsIntersect(tree, lineNode, otherTree, o.Node) &&
                            o.Transfers + transfers <= MaxTransfers) {
                            ConnectionCandidate candidate;
                            candidate.StartNode = side == StartSide ? lineNode : o.Node;
                            candidate.TargetNode = side == StartSide ? o.Node : lineNode;
                            candidate.Transfers = o.Transfers + transfers;
                            EvaluateConnection(candidate);
                        }
                        break;
                    }
                }
                const int changes = side == StartSide ? MinTransfers.at(st, d) : MinTransfers.at(s, st);
                if (changes + transfers + 1 <= MaxTransfers && !onPath && st != s && st != d) {
                    SearchEntry grown;
                    grown.Node = tree.add(st, lineNode);
                    grown.Transfers = transfers + 1;
                    grown.Estimate = side == StartSide ? estimate - travel(station, d) + travel(station, st) +
                                                             travel(st, d) + MinChangeMinutes
                                                       : estimate + 1 - travel(s, station) + travel(st, station) +
                                                             travel(s, st) + MinChangeMinutes;
                    list.push_back(grown);
                }
            }
        }

        // The entries left from earlier steps are in order already: only the new ones are sorted,
        // then merged in (the order of equal entries is free).
        std::sort(list.begin() + std::ptrdiff_t(sortedEnd), list.end(), ascending);
        std::inplace_merge(list.begin() + std::ptrdiff_t(head[side]), list.begin() + std::ptrdiff_t(sortedEnd),
                           list.end(), ascending);

        const bool emptyList = head[StartSide] >= open[StartSide].size() || head[TargetSide] >= open[TargetSide].size();
        if (emptyList || (open[StartSide][head[StartSide]].Estimate > ArrivalBound &&
                          open[TargetSide][head[TargetSide]].Estimate > ArrivalBound))
            step = SearchDepth;
        if (SearchTimeExceeded() || run.timeRanOut) {
            if (step < SearchDepth)
                text << QStringLiteral("Search ended because of Search-Depth ") + QString::number(step);
            step = SearchDepth;
        }
        ++step;
    }
    run.startTree = nullptr;
    run.targetTree = nullptr;
}

int dayGroupIDByText(const QString &text)
{
    int id = -1;
    try {
        Table &dg = dm1->cdsDayGroups;
        TableGuard keep(dg, QStringLiteral("idxText"));
        if (dg.findKey({text}) && !dg.fieldByName(QStringLiteral("ID")).isNull())
            id = dg.fieldByName(QStringLiteral("ID")).asInteger();
    } catch (const std::exception &) {
        return -1;
    }
    return id;
}

} // namespace

} // namespace query

using namespace query;

QString runConnectionQuery(const QString &StartStation, const QString &TargetStation, const QString &DayGroupText,
                           int QueryMinute)
{
    SearchStart = queryNow();
    const int s = GetStationIDByName(StartStation);
    const int d = GetStationIDByName(TargetStation);
    ArrivalBound = 720;
    QStringList text;
    ResultList.clear();

    run.start = s;
    run.target = d;
    run.queryTime = QueryMinute;
    run.dayGroup = dayGroupIDByText(DayGroupText);
    prepareTiming(run.dayGroup);
    // A name that is no station cannot index the tables: no connection.
    const bool known = s >= 1 && d >= 1 && TravelMinutes.contains(s) && TravelMinutes.contains(d) &&
                       s < StationSlot.size() && d < StationSlot.size();
    if (known)
        search(s, d, text);

    text << QStringLiteral("Connections::");
    for (const DetailConnectionItem &item : ResultList) {
        text << QString() << QStringLiteral("Arrival in %1 minutes").arg(item.ArrivalIn);
        for (const ConnectionLeg &leg : item.Legs)
            text << GetLineNameByID(leg.LineID) + QStringLiteral(": ") + GetStationNameByID(leg.FromStationID) +
                        QStringLiteral(" to ") + GetStationNameByID(leg.ToStationID) + QStringLiteral(", departure: ") +
                        MinutesToTime(leg.Departure) + QStringLiteral(" arrival: ") + MinutesToTime(leg.Arrival);
    }
    const qint64 elapsed = SearchStart.msecsTo(queryNow());
    text.prepend(QStringLiteral("Suchzeit: ") +
                 QTime(0, 0).addMSecs(int(elapsed % 86400000)).toString(QStringLiteral("hh:mm:ss")));
    return text.join(QLatin1Char('\n'));
}
