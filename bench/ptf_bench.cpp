#include "data/table_files.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

// Table files are read and written whole; these measure the two shapes that matter: a trip
// table (few rows, many number columns) and a long station list (many rows of texts).

namespace {

QTemporaryDir &benchDir()
{
    static QTemporaryDir dir;
    return dir;
}

void makeTripTable(Table &t)
{
    t.fieldDefs().clear();
    t.addFieldDef(QStringLiteral("ID"), FieldType::Float);
    for (int s = 1; s <= 80; ++s)
        t.addFieldDef(QString::number(s), FieldType::Float);
    t.createDataSet();
    std::mt19937 rng(42);
    for (int trip = 1; trip <= 300; ++trip) {
        t.append();
        t.field(0).setFloat(trip);
        int minute = 300 + trip * 4;
        for (int s = 1; s <= 80; ++s) {
            minute += std::uniform_int_distribution<int>(1, 4)(rng);
            t.field(s).setFloat(rng() % 5 == 0 ? -1 : minute);
        }
        t.post();
    }
}

void defineStations(Table &t)
{
    t.fieldDefs().clear();
    t.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("Station"), FieldType::String, 64);
}

void makeStationTable(Table &t)
{
    defineStations(t);
    t.createDataSet();
    const QString names[] = {QStringLiteral("Hauptbahnhof"),        QStringLiteral(R"(Markt "Süd")"),
                             QStringLiteral(R"(Depot\Halle 3)"),    QStringLiteral("Überseering"),
                             QStringLiteral("Straße des 17. Juni"), QStringLiteral("Café l'Étoile")};
    for (int id = 1; id <= 15000; ++id) {
        t.append();
        t.field(0).setInteger(id);
        t.field(1).setString(names[id % 6] + QLatin1Char(' ') + QString::number(id));
        t.post();
    }
}

void setBytes(benchmark::State &state, const QString &file)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * QFileInfo(file).size());
}

void benchSave(benchmark::State &state, void (*make)(Table &), const QString &fileName)
{
    Table t;
    make(t);
    const QString file = benchDir().filePath(fileName);
    for (auto _ : state) {
        if (!SavePtfFile(file, QLatin1Char('"'), t))
            state.SkipWithError("save failed");
    }
    setBytes(state, file);
}

// Loads into a table set up by define (none: the loader makes the fields).
void benchLoad(benchmark::State &state, void (*make)(Table &), const QString &fileName,
               bool (*load)(const QString &, Table &), void (*define)(Table &))
{
    Table t;
    make(t);
    const QString file = benchDir().filePath(fileName);
    SavePtfFile(file, QLatin1Char('"'), t);
    Table back;
    if (define)
        define(back);
    for (auto _ : state) {
        if (!load(file, back))
            state.SkipWithError("load failed");
    }
    setBytes(state, file);
}

void BM_SaveTripTable(benchmark::State &state)
{
    benchSave(state, makeTripTable, QStringLiteral("tt_1.ptf"));
}

void BM_LoadTripTableStructure(benchmark::State &state)
{
    benchLoad(state, makeTripTable, QStringLiteral("tt_2.ptf"), LoadPtfFileStructure, nullptr);
}

void BM_SaveStationTable(benchmark::State &state)
{
    benchSave(state, makeStationTable, QStringLiteral("stations_1.ptf"));
}

void BM_LoadStationTable(benchmark::State &state)
{
    benchLoad(state, makeStationTable, QStringLiteral("stations_2.ptf"), LoadPtfFile, defineStations);
}

} // namespace

BENCHMARK(BM_SaveTripTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTripTableStructure)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveStationTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadStationTable)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
