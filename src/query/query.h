#pragma once

// The connection search: line index, travel-time tables, route timing and the search itself.
// Everything here is the state and the routines of the timetable information dialog without
// its widgets, so a test or a benchmark runs whole queries on a project folder.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// --- settings, set by the dialog's lists
extern int MaxConnections;   // 10
extern int MaxTransfers;     // 3, the selected index of the transfers list
extern int SearchDepth;      // 10 search steps
extern int MaxSearchTime;    // seconds, 60
extern int MinChangeMinutes; // 1
// Minutes after the query time that a connection may take; falls while the result list fills.
extern int ArrivalBound;
extern QDateTime SearchStart;

// The seconds of the search-time list, by index; -1 for an index outside the list.
int SearchTimeSeconds(int Index);

// The clock the time limit reads; a test installs its own so the limit runs out at once.
// An empty function restores the real clock.
void setQueryClock(std::function<QDateTime()> Clock);
QDateTime queryNow();
// Whole seconds since SearchStart.
qint64 SecondsSinceSearchStart();
// The whole seconds since SearchStart are more than MaxSearchTime: what ends a search.
bool SearchTimeExceeded();

// --- travel-time tables: square, read as [from][to] by station ID
// A row and a column for each station ID that occurs, in ID order from index 1 (index 0 stands
// for ID 0 and for every ID without a row), so the tables grow with the number of stations
// however high their IDs run. An ID up to the highest one that has no row reads as a station
// that no travel time names.
template <typename T> class SquareTable
{
public:
    // Rows for the IDs 1 .. n-1, each at its own number.
    void resize(int n, T value)
    {
        std::vector<int> ids;
        for (int id = 1; id < n; ++id)
            ids.push_back(id);
        resize(n, ids, value, value);
    }
    // Rows for the given IDs, ascending and each from 1 to below idLimit; an ID below idLimit
    // without a row reads absentDiagonal to itself and value to every other.
    void resize(int idLimit, const std::vector<int> &ids, T value, T absentDiagonal)
    {
        m_idLimit = std::max(idLimit, 0);
        m_value = value;
        m_absentDiagonal = absentDiagonal;
        m_index.assign(std::size_t(m_idLimit), 0);
        for (std::size_t i = 0; i < ids.size(); ++i)
            m_index[std::size_t(ids[i])] = int(i) + 1;
        m_n = int(ids.size()) + 1;
        m_cells.assign(std::size_t(m_n) * std::size_t(m_n), value);
    }
    // Rows and columns, index 0 among them.
    int size() const { return m_n; }
    // The IDs that can be looked up run from 0 to below this: the highest station ID + 1.
    int idLimit() const { return m_idLimit; }
    bool contains(int id) const { return id >= 0 && id < m_idLimit; }
    // The row and column of an ID; 0 when it has none.
    int indexOf(int id) const { return contains(id) ? m_index[std::size_t(id)] : 0; }
    T at(int from, int to) const
    {
        const int i = indexOf(from);
        const int j = indexOf(to);
        if (i > 0 && j > 0)
            return m_cells[std::size_t(i) * std::size_t(m_n) + std::size_t(j)];
        return from == to && from >= 1 && contains(from) ? m_absentDiagonal : m_value;
    }
    // A row by its index.
    T *row(int index) { return m_cells.data() + std::size_t(index) * std::size_t(m_n); }
    std::vector<T> &cells() { return m_cells; }
    const std::vector<T> &cells() const { return m_cells; }

private:
    int m_n = 0;
    int m_idLimit = 0;
    T m_value = T();
    T m_absentDiagonal = T();
    std::vector<int> m_index; // per ID below m_idLimit: its row, 0 for none
    std::vector<T> m_cells;
};

constexpr int NoTravelTime = 9999;
// The highest station or line ID the search takes: the line index and the timetable caches are
// indexed by ID. Stations and lines above it are left out.
constexpr int HighestSearchID = 16384;
constexpr int NoTransfers = 255;

// Smallest known minutes between two stations, 9999 when unknown; they never exceed 9999.
extern SquareTable<std::int16_t> TravelMinutes;
// Smallest known number of changes, 255 when unreachable; counts stop at 254.
extern SquareTable<std::uint8_t> MinTransfers;

// --- line index
extern QVector<int> StationSlot;         // per station ID: entry in StationLines, or -1
extern QVector<int> LineSlot;            // per line ID: entry in LineStations, or -1
extern QVector<QList<int>> StationLines; // lines to board at a station
extern QVector<QList<int>> LineStations; // stations of a line where a change is possible

// Builds TravelMinutes and MinTransfers from distances.ini. The tables are kept while the station
// IDs and the bytes of the file are unchanged.
bool LoadDistances();
void BuildLineIndex();
// The closure of both tables, pass after pass until no travel time changes; the number of
// passes. N is the tables' size; exposed so it can be compared with the plain loop. Progress,
// when given, hears now and then which row of which pass is being worked on.
int CloseTravelTables(int N, std::vector<std::int16_t> &Minutes, std::vector<std::uint8_t> &Transfers,
                      const std::function<void(int Pass, int Row, int Rows)> &Progress = {});

// How often the expensive work ran (tests and the benchmark look at these).
struct QueryCounters {
    int tableBuilds = 0;   // TravelMinutes and MinTransfers built anew
    int closurePasses = 0; // of the last build
    int stopRowReads = 0;  // stop-row files read into the cache
    int tripReads = 0;     // trip files read into the cache
};
extern QueryCounters queryCounters;

// --- route timing
struct ConnectionLeg {
    int LineID = 0;
    int FromStationID = 0;
    int ToStationID = 0;
    int Departure = 0;
    int Arrival = 0;
    bool operator==(const ConnectionLeg &) const = default;
};

struct DetailConnectionItem {
    QVector<ConnectionLeg> Legs;
    int FirstDeparture = 0;
    int ArrivalIn = 0;
    int Transfers = 0;
};

// The connections of the current search, best first.
extern QList<DetailConnectionItem> ResultList;

struct TripPair {
    int Departure = 0;
    int Arrival = 0;
    bool operator==(const TripPair &) const = default;
};

// What the pair collection of one leg needs besides its cells.
struct LegWindow {
    int QueryTime = 0;   // qt
    int Window = 0;      // W = qt + ArrivalBound
    bool LastLeg = true; // the leg ends at the destination
    int CutEstimate = 0; // least minutes from the leg's start to the destination; 9999 cuts nothing
    int MinArrival = 0;  // the earliest useful arrival (qt on the first leg)
    // The explicit departures stand in ascending order: the first one past the window ends the
    // leg. Otherwise such a row is only passed over, as a later row may still depart in time.
    bool Ordered = true;
};
// True when the explicit departures (0 to 2879) of a decoded column never fall from row to row.
bool DeparturesInOrder(const QVector<int> &Dep);
// The last explicit trip, carried from leg to leg of one timing.
struct LastTrip {
    int Departure = 0;
    int Arrival = 0;
};
// The trip pairs of one leg from its decoded departure and arrival cells (rows in table order).
QVector<TripPair> CollectTripPairs(const QVector<int> &Dep, const QVector<int> &Arr, const LegWindow &Leg,
                                   LastTrip &Last);

// Offers one connection to ResultList: inserted unless the list is full with no worse item or
// it already holds the same connection; ArrivalBound follows a full list. True when inserted.
bool OfferConnection(const DetailConnectionItem &Item);
// Every combination of one pair per leg with the changes kept, in odometer order, offered to
// ResultList. Combinations that cannot be valid or cannot enter the list are skipped. False
// when the time limit ran out during the combinations.
bool CombineLegPairs(const QVector<ConnectionLeg> &Legs, const QVector<QVector<TripPair>> &Pairs, int QueryTime,
                     int Transfers);

// Both trip caches and the stop-row cache emptied; the arrays keep their size.
void DropTimeTableCaches();

// --- the search
struct SearchNode {
    int Value = 0;   // a station ID at even depth, a line ID at odd depth
    int Parent = -1; // index in the same tree, -1 at the root
    int Depth = 0;
};
struct SearchTree {
    std::vector<SearchNode> Nodes;
    int add(int value, int parent);
};
struct SearchEntry {
    int Estimate = 0;
    int Transfers = 0;
    int Node = 0; // a station-level node of the side's tree
};
struct ConnectionCandidate {
    int StartNode = 0;  // in the start tree
    int TargetNode = 0; // in the target tree
    int Transfers = 0;
};

int CompareSearchEntries(const SearchEntry &Entry1, const SearchEntry &Entry2);
bool IsOnPath(int StationID, const SearchTree &Tree, int Node);
bool PathsIntersect(const SearchTree &TreeA, int NodeA, const SearchTree &TreeB, int NodeB);
// Times one candidate route of the current search against the timetables.
void EvaluateConnection(const ConnectionCandidate &Candidate);

// --- the dialog's work without its widgets
// The show: tables opened, tables and index built, caches sized. Progress hears from the
// closure of the tables when they are built anew.
void openQueryShowing(const std::function<void(int Pass, int Row, int Rows)> &Progress = {});
// The hide: caches dropped, the tables closed.
void closeQueryShowing();
// The stations that at least one line serves, in name order; the day groups' texts.
QStringList servedStationNames();
QStringList dayGroupTexts();
// One query; the whole result text (lines joined by "\n"), ResultList filled.
QString runConnectionQuery(const QString &StartStation, const QString &TargetStation, const QString &DayGroupText,
                           int QueryMinute);
// Everything the dialog kept released, as when it is destroyed.
void releaseQueryState();
// The files the search read and found damaged (a timetable, line_connections.ptf, distances.ini),
// or missing (distances.ini of a project with timetables), each by one message that names it, in the order found: every file once from one showing to the
// next. The search answers from what it could read; the dialog takes these and tells them.
QStringList takeDamagedFileMessages();
