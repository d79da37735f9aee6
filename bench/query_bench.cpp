// The connection search on a generated city network: 300 stations, 30 lines that share change
// stations, both directions, three day groups, 120 trips per timetable, some interval blocks.
// Beside it a small network of 11 stations whose last station has the ID given as argument:
// building its tables at a showing costs the same for any ID, under 1 ms. While the tables were
// sized by the highest station ID, it took 0.4 s with the ID 4,000 and 5.4 s with 12,000 on the
// same machine.

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "data/table_files.h"
#include "platform/ansi.h"
#include "query/query.h"
#include "support/ptf_lines.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>

namespace {

// A network: each line runs through `perLine` change stations (1 .. hubs) and as many stations of
// its own, alternating; the stations past them are served by no line.
struct Shape {
    int stations;
    int lines;
    int hubs;
    int perLine;
    int trips;
    int lastStationID; // the ID of the last station, 0: the station's own number
};
constexpr Shape City{300, 30, 40, 8, 120, 0};

void appendRow(Table &t, const QVariantList &values)
{
    t.open();
    t.append();
    for (int i = 0; i < values.size(); ++i)
        t.field(i).setValue(values[i]);
    t.post();
}

bool writePtf(const QString &file, const QStringList &names, const QStringList &rows)
{
    return ansi::writeLines(file, ptfLines(names, rows));
}

struct Project {
    QTemporaryDir dir;
    Tdm1 module;
    QVector<QPair<QString, QString>> queries;
    int revision = 0;

    explicit Project(const Shape &shape)
    {
        activate();
        std::mt19937 random(2026);
        auto id = [&](int s) { return s == shape.stations && shape.lastStationID > 0 ? shape.lastStationID : s; };
        for (int s = 1; s <= shape.stations; ++s)
            appendRow(module.cdsStations, {id(s), QStringLiteral("Station %1").arg(s)});
        appendRow(module.cdsDayGroups, {1, "1", "1111100", "Mo-Fr"});
        appendRow(module.cdsDayGroups, {2, "2", "0000010", "Sa"});
        appendRow(module.cdsDayGroups, {3, "3", "0000001", "So"});
        appendRow(module.cdsIntervals, {2, 10.0});
        int lc = 0;
        for (int l = 1; l <= shape.lines; ++l) {
            appendRow(module.cdsLines, {l, QStringLiteral("Line %1").arg(l)});
            QVector<int> stops;
            for (int k = 0; k < shape.perLine; ++k) {
                int hub = 1 + int(random() % shape.hubs);
                while (stops.contains(hub))
                    hub = 1 + int(random() % shape.hubs);
                stops << hub << shape.hubs + 1 + (l - 1) * shape.perLine + k;
            }
            for (int &s : stops)
                s = id(s);
            for (int k = 0; k < stops.size(); ++k)
                appendRow(module.cdsLineStations, {l, k + 1, stops[k]});
            QVector<int> minutes;
            for (int k = 0; k + 1 < stops.size(); ++k)
                minutes << 2 + int(random() % 3);
            QStringList stopRows;
            for (int dg = 1; dg <= 3; ++dg)
                for (int direction = 1; direction <= 2; ++direction) {
                    ++lc;
                    appendRow(module.cdsLineConnections, {lc, l, dg, direction});
                    QVector<int> order = stops;
                    if (direction == 2)
                        std::reverse(order.begin(), order.end());
                    for (int k = 0; k < order.size(); ++k)
                        stopRows << QStringLiteral("%1,%2,%3,%4").arg(order[k]).arg(dg).arg(direction).arg(k + 1);
                    QStringList names{"ID"};
                    for (int k = 1; k <= order.size(); ++k)
                        names << QString::number(k);
                    QStringList rows;
                    const int first = 300 + int(random() % 10);
                    // Every third line runs "all 10 minutes" between 09:00 and 12:00.
                    const bool block = l % 3 == 0;
                    int id = 0;
                    for (int t = 0; t < shape.trips; ++t) {
                        QStringList cells{QString::number(++id)};
                        const int start = first + t * 10;
                        if (block && start > 540 && start < 720) {
                            if (start - 10 <= 540) {
                                for (int k = 0; k < order.size(); ++k)
                                    cells << QStringLiteral("-2");
                                rows << cells.join(QLatin1Char(','));
                            } else {
                                --id;
                            }
                            continue;
                        }
                        int time = start;
                        for (int k = 0; k < order.size(); ++k) {
                            cells << QString::number(time);
                            if (k + 1 < order.size())
                                time += minutes[direction == 1 ? k : order.size() - 2 - k];
                        }
                        rows << cells.join(QLatin1Char(','));
                    }
                    writePtf(dir.filePath(QStringLiteral("tt_%1.ptf").arg(lc)), names, rows);
                }
            writePtf(dir.filePath(QStringLiteral("ttc_%1.ptf").arg(l)),
                     {"StationID", "DayGroupID", "Direction", "Position"}, stopRows);
        }
        for (int c = 1; c <= lc; ++c)
            BuildDistances(c);
        // From one line's own stations to another's, across the network.
        for (int q = 0; q < 8; ++q) {
            const int a = shape.hubs + 1 + int(random() % unsigned(shape.lines * shape.perLine));
            const int b = shape.hubs + 1 + int(random() % unsigned(shape.lines * shape.perLine));
            queries << qMakePair(QStringLiteral("Station %1").arg(a), QStringLiteral("Station %1").arg(b));
        }
    }

    // The project the search reads from now on.
    void activate()
    {
        if (dm1 && dm1 != &module)
            closeQueryShowing();
        dm1 = &module;
        ProjectDir = dir.path();
        ProjectFileName = dir.filePath(QStringLiteral("city.ppr"));
    }

    // Another byte in distances.ini: the next showing must build its tables anew.
    void touchDistances()
    {
        QFile f(dir.filePath(QStringLiteral("distances.ini")));
        f.open(QIODevice::Append);
        f.write(QByteArray("; ") + QByteArray::number(++revision) + "\r\n");
    }
};

Project &project()
{
    static Project p(City);
    p.activate();
    return p;
}

// 11 stations, two lines through three of five change stations, the last station numbered as given.
Project &smallProject(int lastStationID)
{
    static std::map<int, std::unique_ptr<Project>> projects;
    std::unique_ptr<Project> &p = projects[lastStationID];
    if (!p)
        p = std::make_unique<Project>(Shape{11, 2, 5, 3, 60, lastStationID});
    p->activate();
    return *p;
}

void defaults()
{
    MaxConnections = 10;
    MaxTransfers = 3;
    SearchDepth = 10;
    MaxSearchTime = 60;
    MinChangeMinutes = 1;
}

// Every round a showing whose tables are built anew: distances.ini looks changed.
void showRebuilt(benchmark::State &state, Project &p)
{
    for (auto _ : state) {
        state.PauseTiming();
        closeQueryShowing();
        p.touchDistances();
        state.ResumeTiming();
        openQueryShowing();
    }
}

void BM_ShowingBuildsTables(benchmark::State &state)
{
    showRebuilt(state, project());
    state.counters["passes"] = queryCounters.closurePasses;
}

void BM_ShowingSparseIDs(benchmark::State &state)
{
    showRebuilt(state, smallProject(int(state.range(0))));
    state.counters["stations"] = TravelMinutes.size() - 1;
}

void BM_ShowingWithUnchangedFiles(benchmark::State &state)
{
    project();
    openQueryShowing();
    for (auto _ : state) {
        closeQueryShowing();
        openQueryShowing();
    }
}

void BM_FirstQueryAfterShowing(benchmark::State &state)
{
    Project &p = project();
    defaults();
    int q = 0;
    int found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        closeQueryShowing();
        openQueryShowing();
        const auto &pair = p.queries[q++ % p.queries.size()];
        state.ResumeTiming();
        found += runConnectionQuery(pair.first, pair.second, QStringLiteral("Mo-Fr"), 480)
                     .count(QStringLiteral("Arrival in"));
    }
    state.counters["connections"] = double(found) / double(state.iterations());
}

void BM_RepeatedQuery(benchmark::State &state)
{
    Project &p = project();
    defaults();
    closeQueryShowing();
    openQueryShowing();
    int q = 0;
    int found = 0;
    for (const auto &pair : p.queries) // every timetable the queries need is in the caches
        runConnectionQuery(pair.first, pair.second, QStringLiteral("Mo-Fr"), 480);
    for (auto _ : state) {
        const auto &pair = p.queries[q++ % p.queries.size()];
        found += runConnectionQuery(pair.first, pair.second, QStringLiteral("Mo-Fr"), 480)
                     .count(QStringLiteral("Arrival in"));
    }
    state.counters["connections"] = double(found) / double(state.iterations());
}

// The widest limits a user can choose short of "Unlimited": 1000 steps, 9 changes, 1000 connections.
void BM_DeepQuery(benchmark::State &state)
{
    Project &p = project();
    defaults();
    SearchDepth = 1000;
    MaxTransfers = 9;
    MaxConnections = 1000;
    closeQueryShowing();
    openQueryShowing();
    int q = 0;
    int found = 0;
    for (auto _ : state) {
        const auto &pair = p.queries[q++ % p.queries.size()];
        found += runConnectionQuery(pair.first, pair.second, QStringLiteral("Mo-Fr"), 480)
                     .count(QStringLiteral("Arrival in"));
    }
    state.counters["connections"] = double(found) / double(state.iterations());
    defaults();
}

} // namespace

BENCHMARK(BM_ShowingBuildsTables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowingSparseIDs)->Arg(11)->Arg(4000)->Arg(12000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowingWithUnchangedFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstQueryAfterShowing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepeatedQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeepQuery)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
