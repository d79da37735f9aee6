#include "query/query_p.h"
#include "query_project.h"
#include "query/closure_reference.h"

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
    static int tm(int from, int to) { return TravelMinutes[from][to]; }
    static int mt(int from, int to) { return MinTransfers[from][to]; }
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
}

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

    // A ring of stations, each ride one change count from the next: counts pass 254.
    const int n = 301;
    std::vector<int> t(std::size_t(n * n), 9999), m(std::size_t(n * n), 255);
    for (int i = 1; i < n; ++i) {
        const int next = i % (n - 1) + 1;
        t[std::size_t(i * n + next)] = 30;
        m[std::size_t(i * n + next)] = i % 3 ? 0 : 120;
        t[std::size_t(i * n + i)] = 0;
    }
    std::vector<std::int16_t> ringFast(t.begin(), t.end());
    std::vector<std::uint8_t> ringFastM(m.begin(), m.end());
    EXPECT_EQ(closure_reference::plainClosure(n, t, m), CloseTravelTables(n, ringFast, ringFastM));
    EXPECT_EQ(std::vector<int>(ringFast.begin(), ringFast.end()), t);
    EXPECT_EQ(std::vector<int>(ringFastM.begin(), ringFastM.end()), m);
    EXPECT_EQ(m[std::size_t(1 * n + 300)], 254);
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
}

} // namespace
