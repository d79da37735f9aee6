// Distances rebuild and station-list application for one line with four timetables
// (two day groups, both directions) of 200 trips over 60 stop rows each. Times in ms.

#include "data/data_module_1.h"
#include "data/db_distances.h"
#include "data/db_timetables.h"
#include "data/main_globals.h"
#include "data/table_files.h"

#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kLineID = 1;
constexpr int kStops = 60;
constexpr int kTrips = 200;

struct Project {
    QTemporaryDir dir;
    Tdm1 module;
    QStringList stationNames;
};

void fail(const char *what)
{
    std::fprintf(stderr, "setup failed: %s\n", what);
    std::exit(1);
}

void writeTrips(const QString &file, int offset)
{
    Table tt(QStringLiteral("bench"));
    tt.addFieldDef(QStringLiteral("ID"), FieldType::Float);
    for (int k = 1; k <= kStops; ++k)
        tt.addFieldDef(QString::number(k), FieldType::Float);
    tt.createDataSet();
    for (int i = 0; i < kTrips; ++i) {
        tt.append();
        tt.field(0).setFloat(i + 1);
        for (int k = 1; k <= kStops; ++k) {
            // Every seventh trip passes every fifth stop; late trips run past midnight.
            const bool passes = i % 7 == 0 && k % 5 == 0 && k < kStops;
            tt.field(k).setFloat(passes ? -1 : offset + 300 + i * 6 + k * 2);
        }
        tt.post();
    }
    if (!SavePtfFile(file, QLatin1Char('"'), tt))
        fail("trip file");
}

Project &project()
{
    static std::unique_ptr<Project> p;
    if (p)
        return *p;
    p = std::make_unique<Project>();
    if (!p->dir.isValid())
        fail("temporary folder");
    ProjectDir = p->dir.path();
    dm1 = &p->module;

    Table &st = dm1->cdsStations;
    st.createDataSet();
    for (int s = 1; s <= kStops; ++s) {
        st.append();
        st.fieldByName(QStringLiteral("ID")).setInteger(s);
        st.fieldByName(QStringLiteral("Station")).setString(QStringLiteral("Station %1").arg(s));
        st.post();
        p->stationNames << QStringLiteral("Station %1").arg(s);
    }
    dm1->cdsLineStations.createDataSet();

    Table &lc = dm1->cdsLineConnections;
    Table &ttc = dm1->cdsTimeTableConnections;
    lc.createDataSet();
    ttc.createDataSet();
    int id = 0;
    for (int group = 1; group <= 2; ++group) {
        for (int direction = 1; direction <= 2; ++direction) {
            ++id;
            lc.append();
            lc.fieldByName(QStringLiteral("ID")).setInteger(id);
            lc.fieldByName(QStringLiteral("LineID")).setInteger(kLineID);
            lc.fieldByName(QStringLiteral("DayGroupID")).setInteger(group);
            lc.fieldByName(QStringLiteral("Direction")).setInteger(direction);
            lc.post();
            for (int k = 1; k <= kStops; ++k) {
                ttc.append();
                ttc.fieldByName(QStringLiteral("StationID")).setInteger(direction == 1 ? k : kStops + 1 - k);
                ttc.fieldByName(QStringLiteral("DayGroupID")).setInteger(group);
                ttc.fieldByName(QStringLiteral("Direction")).setInteger(direction);
                ttc.fieldByName(QStringLiteral("Position")).setInteger(k);
                ttc.post();
            }
            writeTrips(ProjectDir + QStringLiteral("/tt_%1.ptf").arg(id), id * 3);
        }
    }
    if (!SavePtfFile(ProjectDir + QStringLiteral("/ttc_%1.ptf").arg(kLineID), QLatin1Char('"'), ttc))
        fail("stop-row file");
    return *p;
}

void BM_BuildDistances(benchmark::State &state)
{
    project();
    for (auto _ : state) {
        if (!BuildDistances(1))
            state.SkipWithError("BuildDistances failed");
    }
}
BENCHMARK(BM_BuildDistances)->Unit(benchmark::kMillisecond);

void BM_ApplyLineStationsToTimeTables(benchmark::State &state)
{
    Project &p = project();
    for (auto _ : state) {
        // The same list again: every timetable is rewritten unchanged, so each round does the same work.
        if (!ApplyLineStationsToTimeTables(kLineID, p.stationNames))
            state.SkipWithError("ApplyLineStationsToTimeTables failed");
    }
}
BENCHMARK(BM_ApplyLineStationsToTimeTables)->Unit(benchmark::kMillisecond);

void BM_ApplyChangedStationList(benchmark::State &state)
{
    Project &p = project();
    QStringList shorter = p.stationNames;
    shorter.removeAt(kStops / 2);
    bool remove = true;
    for (auto _ : state) {
        // Rounds take a station off the line and put it back: every timetable is restructured.
        if (!ApplyLineStationsToTimeTables(kLineID, remove ? shorter : p.stationNames))
            state.SkipWithError("ApplyLineStationsToTimeTables failed");
        remove = !remove;
    }
    ApplyLineStationsToTimeTables(kLineID, p.stationNames);
}
BENCHMARK(BM_ApplyChangedStationList)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
