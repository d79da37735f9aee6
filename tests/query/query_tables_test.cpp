#include "query/query_p.h"
#include "query_project.h"
#include "query/closure_reference.h"

#include "support/special_files.h"

#include <random>

namespace {

class QueryTables : public QueryProject
{
protected:
    // Stations 1 .. highest (named S1, S2, ...).
    void stations(int highest)
    {
        QStringList names;
        for (int i = 1; i <= highest; ++i)
            names << QStringLiteral("S%1").arg(i);
        addStations(names);
    }
    void writeIni(const QByteArray &content) { ASSERT_TRUE(ansi::writeFileAtomically(path("distances.ini"), content)); }
    static int tm(int from, int to) { return TravelMinutes.at(from, to); }
    static int mt(int from, int to) { return MinTransfers.at(from, to); }
};

TEST_F(QueryTables, Distance1ChainsAndDistance2Triples)
{
    stations(14);
    writeIni("[1]\r\ndistance1=10,5,11,6,12\r\n[2]\r\ndistance1=13,9999,1,4,2\r\n"
             "[3]\r\ndistance1=3,50,4\r\ndistance2=3,4,20,5,5,7\r\n");
    ASSERT_TRUE(LoadDistances());
    EXPECT_EQ(TravelMinutes.size(), 15);
    EXPECT_EQ(tm(10, 11), 5);
    EXPECT_EQ(tm(10, 12), 11);
    EXPECT_EQ(tm(11, 12), 6);
    EXPECT_EQ(mt(10, 11), 0);
    EXPECT_EQ(mt(10, 12), 0);
    EXPECT_EQ(mt(11, 12), 0);
    EXPECT_EQ(tm(11, 10), 9999);
    EXPECT_EQ(tm(12, 10), 9999);
    EXPECT_EQ(mt(12, 10), 255);
    // A 9999 segment adds nothing to the sum and the station after it gets no entry.
    EXPECT_EQ(tm(13, 1), 9999);
    EXPECT_EQ(tm(13, 2), 4);
    EXPECT_EQ(tm(1, 2), 4);
    // distance2 lowers the time, the change count stays; it even sets the diagonal.
    EXPECT_EQ(tm(3, 4), 20);
    EXPECT_EQ(mt(3, 4), 0);
    EXPECT_EQ(tm(5, 5), 7);
    EXPECT_EQ(tm(6, 6), 0);
    EXPECT_EQ(mt(6, 6), 255);
}

TEST_F(QueryTables, ChainsThatShareAStationCloseOverIt)
{
    stations(12);
    writeIni("[1]\r\ndistance1=10,7,11\r\n[2]\r\ndistance1=11,8,12\r\n");
    LoadDistances();
    EXPECT_EQ(tm(10, 12), 15);
    EXPECT_EQ(mt(10, 12), 1);
    EXPECT_EQ(tm(12, 10), 9999);
    EXPECT_EQ(queryCounters.closurePasses, 2);
}

TEST_F(QueryTables, EmptyProjectAndMissingFile)
{
    LoadDistances();
    EXPECT_EQ(TravelMinutes.size(), 1);
    EXPECT_EQ(MinTransfers.size(), 1);
    BuildLineIndex();
    EXPECT_EQ(StationSlot.size(), 1);
    EXPECT_EQ(LineSlot.size(), 1);
}

// A damaged distances.ini never stops the showing: what can be read counts.
TEST_F(QueryTables, DamagedDistancesFileIsReadAsFarAsItGoes)
{
    stations(5);
    const int line = addLine("L1", {"S1", "S2", "S3"});
    appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"}, {{1, line, 1, 1}});
    writeIni("[x]\r\ndistance1=1,3,2\r\n" // no number: the section counts for the tables
             "[1]\r\ndistance1=1,abc,2\r\ndistance2=1,3,7,99,1,2,2,3,-5,2,4,70000\r\n"
             "newcross=4,x\r\n"                   // a piece that is no number: value skipped
             "[7]\r\ndistance1=3,4,500,2,5\r\n"); // 500 is no station; 7 no line connection
    ASSERT_TRUE(LoadDistances());
    EXPECT_EQ(tm(1, 2), 3);
    EXPECT_EQ(tm(1, 3), 7);
    EXPECT_EQ(tm(2, 3), 9999); // minutes below 0 count as 9999
    EXPECT_EQ(tm(2, 4), 9999);
    EXPECT_EQ(tm(3, 5), 6); // the sum runs on past a station outside the table
    EXPECT_EQ(tm(3, 4), 9999);
    EXPECT_EQ(tm(1, 5), 13);
    BuildLineIndex();
    EXPECT_EQ(m_dialogs.messages, QStringList{"Error in file lineconnections.ptf - record with ID 7 not found"});
    EXPECT_EQ(StationSlot[4], -1);
    // The file is named once, by its first line that does not read.
    EXPECT_EQ(takeDamagedFileMessages(),
              QStringList{"Error by load INI-File: " + path("distances.ini") + " (line 1 and 2 more)"});
}

class QueryTablesNoRegularFile : public QueryTables, public ::testing::WithParamInterface<SpecialFile>
{
};

// A distances.ini that is a pipe, a device or a folder is refused before it is opened: the
// showing goes on as for a project without the file.
TEST_P(QueryTablesNoRegularFile, DistancesFileIsReadAsMissing)
{
    stations(3);
    ASSERT_TRUE(makeSpecialFile(GetParam(), path("distances.ini")));
    EXPECT_TRUE(query::readDistancesFile().isEmpty());
    LoadDistances();
    EXPECT_EQ(TravelMinutes.size(), 4);
    EXPECT_EQ(tm(1, 2), 9999);
    BuildLineIndex();
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(EachKind, QueryTablesNoRegularFile, kSpecialFiles, specialFileName);

TEST_F(QueryTables, LineIndex)
{
    stations(6);
    const int l1 = addLine("L1", {"S1", "S2", "S3"});
    const int l2 = addLine("L2", {"S3", "S4", "S3"}); // S3 twice on L2
    const int l3 = addLine("L3", {"S5", "S2"});
    appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"},
               {{4, l1, 1, 1}, {5, l3, 1, 1}, {6, QVariant(), QVariant(), QVariant()}});
    writeIni("[4]\r\ndistance1=1,2,2,2,3\r\nnewcross=6,1,3\r\n[5]\r\nnewcross=5\r\n[6]\r\nnewcross=4\r\n");
    LoadDistances();
    BuildLineIndex();
    auto linesAt = [](int s) { return StationSlot[s] < 0 ? QList<int>{-1} : StationLines[StationSlot[s]]; };
    auto stationsOf = [](int l) { return LineSlot[l] < 0 ? QList<int>{-1} : LineStations[LineSlot[l]]; };
    EXPECT_EQ(linesAt(2), (QList<int>{l1, l3}));
    EXPECT_EQ(linesAt(3), (QList<int>{l1, l2}));
    EXPECT_EQ(linesAt(4), QList<int>{-1}); // one row, and the cleared connection adds nothing
    EXPECT_EQ(linesAt(6), QList<int>{l1}); // newcross gives a new entry
    EXPECT_EQ(linesAt(1), QList<int>{l1});
    EXPECT_EQ(linesAt(5), QList<int>{l3});
    EXPECT_EQ(stationsOf(l1), (QList<int>{2, 3, 6, 1}));
    EXPECT_EQ(stationsOf(l2), QList<int>{3});
    EXPECT_EQ(stationsOf(l3), (QList<int>{2, 5}));
    EXPECT_TRUE(m_dialogs.messages.isEmpty());

    // A second build starts afresh.
    BuildLineIndex();
    EXPECT_EQ(StationLines.size(), 5);
    EXPECT_EQ(linesAt(2), (QList<int>{l1, l3}));
}

TEST(QueryClosure, EqualsThePlainPassLoopOnRandomNetworks)
{
    std::mt19937 random(4711);
    for (int round = 0; round < 40; ++round) {
        // Mostly small tables, where every corner case shows, and now and then up to 300 stations.
        const int n = round % 8 == 7 ? 100 + int(random() % 201) : 2 + int(random() % 40);
        std::vector<int> t(std::size_t(n * n), 9999), m(std::size_t(n * n), 255);
        const int edges = int(random() % (3 * n));
        for (int e = 0; e < edges; ++e) {
            const int a = 1 + int(random() % (n - 1));
            const int b = 1 + int(random() % (n - 1));
            if (a == b)
                continue;
            t[a * n + b] = int(random() % 60);
            if (random() % 4)
                m[a * n + b] = 0;
        }
        for (int i = 1; i < n; ++i)
            t[i * n + i] = random() % 8 ? 0 : int(random() % 5);
        std::vector<std::int16_t> fast(t.begin(), t.end());
        std::vector<std::uint8_t> fastM(m.begin(), m.end());
        const int plainPasses = closure_reference::plainClosure(n, t, m);
        const int fastPasses = CloseTravelTables(n, fast, fastM);
        ASSERT_EQ(plainPasses, fastPasses) << "round " << round;
        ASSERT_EQ(std::vector<int>(fast.begin(), fast.end()), t) << "round " << round;
        ASSERT_EQ(std::vector<int>(fastM.begin(), fastM.end()), m) << "round " << round;
    }
}

// The chain as it reads: every station with every later one at the running sum, a 9999 segment
// adding nothing and giving the station after it no entry, sums stopping at 9999.
void plainChain(int n, const QVector<int> &p, std::vector<int> &t, std::vector<int> &m)
{
    for (int i = 0; i + 2 < p.size(); i += 2) {
        const int from = p[i];
        long long sum = 0;
        int minutes = 9999;
        for (int k = i + 1; k < p.size(); ++k) {
            if (k % 2 == 1) {
                minutes = p[k] < 0 || p[k] > 9999 ? 9999 : p[k];
                continue;
            }
            const int to = p[k];
            if (minutes != 9999)
                sum += minutes;
            if (from < 1 || from >= n || to < 1 || to >= n || minutes == 9999 || from == to)
                continue;
            if (t[std::size_t(from * n + to)] > sum) {
                t[std::size_t(from * n + to)] = int(sum);
                m[std::size_t(from * n + to)] = 0;
            }
        }
    }
}

TEST(QueryChains, LongChainsWithRepeatsReadAsEveryPairWould)
{
    std::mt19937 random(815);
    for (int round = 0; round < 20; ++round) {
        const int n = 3 + int(random() % 30);
        QVector<int> p;
        const int stops = 2 + int(random() % 400);
        for (int k = 0; k < stops; ++k) {
            if (k > 0) {
                const int r = int(random() % 20);
                p << (r == 0 ? 9999 : r == 1 ? -4 : r == 2 ? 4000 : r);
            }
            p << (random() % 25 ? 1 + int(random() % unsigned(n - 1)) : n + 5);
        }
        if (round % 2)
            p << 7; // minutes with no station after them
        std::vector<int> t(std::size_t(n * n), 9999), m(std::size_t(n * n), 255);
        for (int i = 0; i < n * n; i += 7)
            t[std::size_t(i)] = 40; // values from an earlier section
        TravelMinutes.resize(n, NoTravelTime);
        MinTransfers.resize(n, NoTransfers);
        std::copy(t.begin(), t.end(), TravelMinutes.cells().begin());
        query::applyDistanceChain(p);
        plainChain(n, p, t, m);
        ASSERT_EQ(std::vector<int>(TravelMinutes.cells().begin(), TravelMinutes.cells().end()), t) << round;
        ASSERT_EQ(std::vector<int>(MinTransfers.cells().begin(), MinTransfers.cells().end()), m) << round;
    }

    // A chain whose sum would pass the largest integer: it stops at "no travel time".
    QVector<int> p;
    for (int k = 0; k < 300000; ++k)
        p << 1 + k % 3 << 9998;
    p << 1;
    TravelMinutes.resize(4, NoTravelTime);
    MinTransfers.resize(4, NoTransfers);
    query::applyDistanceChain(p);
    EXPECT_EQ(TravelMinutes.at(1, 2), 9998);
    EXPECT_EQ(TravelMinutes.at(2, 3), 9998);
    EXPECT_EQ(TravelMinutes.at(3, 1), 9998);
    EXPECT_EQ(TravelMinutes.at(2, 1), 9999); // two segments already sum past it
    EXPECT_EQ(MinTransfers.at(2, 1), 255);
    for (std::int16_t v : TravelMinutes.cells())
        EXPECT_GE(v, 0);
}

// IDs that no table can be sized for leave their stations and lines out, with one message per
// file, and the showing goes on with the rest.
TEST_F(QueryTables, IdsBeyondTheBoundAreLeftOut)
{
    stations(10);
    appendRows(m_module.cdsStations, {"ID", "Station"}, {{20000, "Far"}, {2147483647, "Farthest"}});
    const int line = addLine("L1", {"S1", "S2", "Far"});
    addLine("L2", {"S2", "S3"});
    appendRows(m_module.cdsLines, {"ID", "Line"}, {{2147483647, "Wild"}});
    appendRows(m_module.cdsLineStations, {"LineID", "LineStationNumber", "StationID"},
               {{2147483647, 1, 1}, {2147483647, 2, 3}});
    appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"}, {{1, line, 1, 1}});
    // 11 is one past the highest station the search takes.
    writeIni("[1]\r\ndistance1=1,3,2,4,20000,5,2147483647\r\nnewcross=11,20000,2147483647\r\n");
    openQueryShowing();
    EXPECT_EQ(TravelMinutes.size(), 11);
    EXPECT_EQ(StationSlot.size(), 11);
    EXPECT_EQ(LineSlot.size(), 3);
    for (const QList<int> &stationsOfLine : std::as_const(LineStations))
        EXPECT_FALSE(stationsOfLine.contains(11));
    EXPECT_EQ(tm(1, 2), 3);
    EXPECT_EQ(m_dialogs.messages,
              (QStringList{"Stations with an ID above 16384 in file stations.ptf are left out of the timetable "
                           "information",
                           "Lines with an ID above 16384 in file lines.ptf are left out of the timetable information"}));
    EXPECT_EQ(servedStationNames(), (QStringList{"S1", "S2", "S3"}));
    EXPECT_EQ(runConnectionQuery("S1", "Far", "Mo-Fr", 480).count("Arrival in"), 0);
}

// One station numbered 12,000 among ten: the tables have a row for each station and for each
// ID that distances.ini names below it (in a chain or a triple, at either end), not one for every ID up to 12,000; every other ID reads
// as before, as a station without travel times.
TEST_F(QueryTables, SparseIDsSizeTheTablesByTheStations)
{
    stations(10);
    appendRows(m_module.cdsStations, {"ID", "Station"}, {{12000, "Far"}});
    // 9100 ends a chain and 9500 is only the target of a triple: both are places all the same.
    writeIni("[1]\r\ndistance1=1,4,9000,6,12000\r\n[2]\r\ndistance2=12000,2,30,12001,1,5\r\n"
             "[3]\r\ndistance1=3,8,9100\r\ndistance2=12000,9500,7\r\n");
    openQueryShowing();
    EXPECT_EQ(TravelMinutes.size(), 15);
    EXPECT_EQ(MinTransfers.size(), 15);
    EXPECT_EQ(TravelMinutes.cells().size(), 15u * 15u);
    EXPECT_EQ(tm(3, 9100), 8);
    EXPECT_EQ(tm(12000, 9500), 7);
    EXPECT_EQ(tm(1, 9500), 17); // closed over 12000
    EXPECT_EQ(TravelMinutes.idLimit(), 12001);
    EXPECT_EQ(StationSlot.size(), 12001);
    EXPECT_EQ(tm(1, 9000), 4);
    EXPECT_EQ(tm(1, 12000), 10);
    EXPECT_EQ(mt(1, 12000), 0);
    EXPECT_EQ(tm(12000, 2), 30);
    EXPECT_EQ(tm(1, 2), 40); // closed over 12000
    EXPECT_EQ(mt(1, 2), 255);
    EXPECT_EQ(tm(12001, 1), 9999); // beyond the highest station: skipped
    EXPECT_EQ(tm(12000, 12000), 0);
    EXPECT_EQ(tm(500, 500), 0);
    EXPECT_EQ(tm(500, 1), 9999);
    EXPECT_EQ(tm(1, 500), 9999);
    EXPECT_EQ(mt(500, 500), 255);
    EXPECT_EQ(tm(0, 0), 9999);
    EXPECT_EQ(tm(-1, -1), 9999);
    EXPECT_EQ(runConnectionQuery("S1", "Far", "Mo-Fr", 480).count("Arrival in"), 0);
}

// A line network of 1,000 stations as a city has them, and counts of changes near the byte's
// limit, where the count stops at 254.
TEST(QueryClosure, EqualsThePlainPassLoopOnALargeNetworkAndLongChains)
{
    closure_reference::Network net = closure_reference::generateNetwork(1000, 99);
    std::vector<std::int16_t> fast(net.minutes.begin(), net.minutes.end());
    std::vector<std::uint8_t> fastM(net.transfers.begin(), net.transfers.end());
    int progressCalls = 0;
    const int fastPasses =
        CloseTravelTables(net.n, fast, fastM, [&](int, int row, int rows) { progressCalls += row >= 1 && row <= rows; });
    const int plainPasses = closure_reference::plainClosure(net.n, net.minutes, net.transfers);
    EXPECT_EQ(plainPasses, fastPasses);
    EXPECT_TRUE(std::equal(fast.begin(), fast.end(), net.minutes.begin()));
    EXPECT_TRUE(std::equal(fastM.begin(), fastM.end(), net.transfers.begin()));
    EXPECT_GT(progressCalls, 0);

    // A ring of stations, each ride one change count from the next: counts pass 254, in one
    // strip of columns and in several.
    for (const int n : {301, 601}) {
        std::vector<int> t(std::size_t(n * n), 9999), m(std::size_t(n * n), 255);
        for (int i = 1; i < n; ++i) {
            const int next = i % (n - 1) + 1;
            t[std::size_t(i * n + next)] = 30;
            m[std::size_t(i * n + next)] = i % 3 ? 0 : 120;
            t[std::size_t(i * n + i)] = 0;
        }
        std::vector<std::int16_t> ringFast(t.begin(), t.end());
        std::vector<std::uint8_t> ringFastM(m.begin(), m.end());
        EXPECT_EQ(closure_reference::plainClosure(n, t, m), CloseTravelTables(n, ringFast, ringFastM)) << n;
        EXPECT_EQ(std::vector<int>(ringFast.begin(), ringFast.end()), t) << n;
        EXPECT_EQ(std::vector<int>(ringFastM.begin(), ringFastM.end()), m) << n;
        EXPECT_EQ(m[std::size_t(1 * n + n - 1)], 254) << n;
    }
}

TEST_F(QueryTables, TablesAreKeptWhileStationsAndFileAreUnchanged)
{
    stations(12);
    writeIni("[1]\r\ndistance1=10,7,11\r\n");
    LoadDistances();
    const int builds = queryCounters.tableBuilds;
    LoadDistances();
    EXPECT_EQ(queryCounters.tableBuilds, builds);
    EXPECT_EQ(tm(10, 11), 7);

    writeIni("[1]\r\ndistance1=10,6,11\r\n");
    LoadDistances();
    EXPECT_EQ(queryCounters.tableBuilds, builds + 1);
    EXPECT_EQ(tm(10, 11), 6);

    addStations({"S13"});
    LoadDistances();
    EXPECT_EQ(queryCounters.tableBuilds, builds + 2);
    EXPECT_EQ(TravelMinutes.size(), 14);
    EXPECT_EQ(tm(10, 11), 6);

    // Another project with as many stations and the same file, but other IDs: built anew.
    const QByteArray bytes = "[1]\r\ndistance1=1,5,2\r\n";
    query::loadDistances(bytes, {1, 2, 3});
    EXPECT_EQ(queryCounters.tableBuilds, builds + 3);
    query::loadDistances(bytes, {1, 2, 4});
    EXPECT_EQ(queryCounters.tableBuilds, builds + 4);
    EXPECT_EQ(TravelMinutes.idLimit(), 5);
    EXPECT_GT(TravelMinutes.indexOf(4), 0);
    EXPECT_EQ(TravelMinutes.indexOf(3), 0);
    EXPECT_EQ(tm(1, 2), 5);
}

} // namespace
