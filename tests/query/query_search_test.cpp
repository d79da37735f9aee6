#include "query/query_p.h"
#include "query_project.h"

#include "data/table_files.h"

#include <QFile>

#include <ostream>
#include <random>
#include <string>

namespace {

// A: Line 1 runs A B C D, Line 2 runs C E F; G is served by no line.
class QuerySearch : public QueryProject
{
protected:
    void SetUp() override
    {
        QueryProject::SetUp();
        addStations({"A", "B", "C", "D", "E", "F", "G"});
        m_line1 = addLine("Line 1", {"A", "B", "C", "D"});
        m_line2 = addLine("Line 2", {"C", "E", "F"});
        addTimetable(m_line1, 1, 1, {"A", "B", "C", "D"}, regularTrips(4, 480, 20, 3, 5));
        addTimetable(m_line1, 1, 2, {"D", "C", "B", "A"}, regularTrips(4, 490, 20, 3, 5));
        addTimetable(m_line2, 1, 1, {"C", "E", "F"},
                     {{485, 491, 497}, {495, 501, 507}, {505, 511, 517}, {525, 531, 537}});
        addTimetable(m_line2, 1, 2, {"F", "E", "C"}, regularTrips(3, 500, 30, 4, 6));
        addTimetable(m_line1, 2, 1, {"A", "B", "C", "D"}, regularTrips(4, 600, 60, 2, 7));
        stopClock();
        openQueryShowing();
    }
    int m_line1 = 0;
    int m_line2 = 0;
};

TEST_F(QuerySearch, DirectConnections)
{
    EXPECT_EQ(query("A", "D", 480), R"(Suchzeit: 00:00:00
Connections::

Arrival in 15 minutes
Line 1: A to D, departure: 08:00 arrival: 08:15

Arrival in 35 minutes
Line 1: A to D, departure: 08:20 arrival: 08:35

Arrival in 55 minutes
Line 1: A to D, departure: 08:40 arrival: 08:55)");
    EXPECT_EQ(query("C", "B", 500), R"(Suchzeit: 00:00:00
Connections::

Arrival in 20 minutes
Line 1: C to B, departure: 08:35 arrival: 08:40

Arrival in 40 minutes
Line 1: C to B, departure: 08:55 arrival: 09:00)");
    // Another day group reads its own timetable.
    EXPECT_EQ(query("A", "B", 480, "Sa"), R"(Suchzeit: 00:00:00
Connections::

Arrival in 127 minutes
Line 1: A to B, departure: 10:00 arrival: 10:07

Arrival in 187 minutes
Line 1: A to B, departure: 11:00 arrival: 11:07)");
}

TEST_F(QuerySearch, ConnectionWithAChange)
{
    EXPECT_EQ(query("A", "F", 480), R"(Suchzeit: 00:00:00
Connections::

Arrival in 27 minutes
Line 1: A to C, departure: 08:00 arrival: 08:10
Line 2: C to F, departure: 08:15 arrival: 08:27

Arrival in 37 minutes
Line 1: A to C, departure: 08:00 arrival: 08:10
Line 2: C to F, departure: 08:25 arrival: 08:37

Arrival in 57 minutes
Line 1: A to C, departure: 08:00 arrival: 08:10
Line 2: C to F, departure: 08:45 arrival: 08:57

Arrival in 57 minutes
Line 1: A to C, departure: 08:20 arrival: 08:30
Line 2: C to F, departure: 08:45 arrival: 08:57)");
    // Without changes only direct connections count; there are none.
    MaxTransfers = 0;
    EXPECT_EQ(query("A", "F", 480), "Suchzeit: 00:00:00\nConnections::");
    EXPECT_EQ(query("A", "D", 480).count(QStringLiteral("Arrival in")), 3);
    // One step expands only the start: the change is never reached.
    MaxTransfers = 3;
    SearchDepth = 1;
    EXPECT_EQ(query("A", "F", 480), "Suchzeit: 00:00:00\nConnections::");
    EXPECT_EQ(query("A", "D", 480).count(QStringLiteral("Arrival in")), 3);
    // The list holds at most MaxConnections.
    SearchDepth = 10;
    MaxConnections = 2;
    EXPECT_EQ(query("A", "F", 480).count(QStringLiteral("Arrival in")), 2);
    EXPECT_EQ(ArrivalBound, 37);
}

TEST_F(QuerySearch, NoConnection)
{
    const QString none = QStringLiteral("Suchzeit: 00:00:00\nConnections::");
    EXPECT_EQ(query("A", "A", 480), none);
    EXPECT_EQ(query("A", "G", 480), none);
    EXPECT_EQ(query("Nowhere", "D", 480), none);
    EXPECT_EQ(query("A", "", 480), none);
    EXPECT_EQ(query("A", "D", 480, "Holiday"), none); // no such day group
    EXPECT_EQ(query("A", "D", 1300), none);           // the last trip has gone
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(QuerySearch, CachesHoldWhileTheDayGroupStays)
{
    const QueryCounters before = queryCounters;
    query("A", "F", 480);
    const int stopRows = queryCounters.stopRowReads - before.stopRowReads;
    const int trips = queryCounters.tripReads - before.tripReads;
    EXPECT_EQ(stopRows, 2);
    EXPECT_EQ(trips, 2);
    MaxConnections = 5;
    SearchDepth = 20;
    query("A", "F", 480);
    query("C", "B", 480);
    EXPECT_EQ(queryCounters.stopRowReads - before.stopRowReads, 2);
    EXPECT_EQ(queryCounters.tripReads - before.tripReads, 3); // Line 1 in direction 2 is new
    query("A", "B", 480, "Sa");
    EXPECT_EQ(queryCounters.stopRowReads - before.stopRowReads, 3);
    EXPECT_EQ(queryCounters.tripReads - before.tripReads, 4);

    // A second showing with unchanged files builds no tables; a changed distances.ini does.
    closeQueryShowing();
    const int builds = queryCounters.tableBuilds;
    openQueryShowing();
    EXPECT_EQ(queryCounters.tableBuilds, builds);
    closeQueryShowing();
    addTimetable(m_line2, 2, 1, {"C", "E", "F"}, regularTrips(3, 600, 60, 2, 4));
    openQueryShowing();
    EXPECT_EQ(queryCounters.tableBuilds, builds + 1);
}

TEST_F(QuerySearch, TimeLimit)
{
    const QDateTime t0(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC);
    int calls = 0;
    // The first reading starts the search; every later one is two seconds on.
    setQueryClock([&] { return calls++ == 0 ? t0 : t0.addSecs(2); });
    MaxSearchTime = 1;
    EXPECT_EQ(query("A", "D", 480), "Suchzeit: 00:00:02\nSearch ended because of Search-Depth 1\nConnections::");
    calls = 0;
    SearchDepth = 1;
    EXPECT_EQ(query("A", "D", 480), "Suchzeit: 00:00:02\nConnections::");
    // "Unlimited" never ends a search by time.
    SearchDepth = 10;
    MaxSearchTime = SearchTimeSeconds(12);
    setQueryClock([&] { return calls++ == 0 ? t0 : t0.addSecs(3 * 3600 + 4); });
    calls = 0;
    const QString text = query("A", "D", 480);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Suchzeit: 03:00:04\nConnections::\n"))) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("Arrival in")), 3);
}

// Once the first connection has entered the list the clock jumps past the limit: the
// combinations of that route stop, what entered stays, and the search ends.
TEST_F(QuerySearch, TimeLimitDuringCombinations)
{
    addStations({"H", "K"});
    const int line3 = addLine("Line 3", {"F", "H"});
    const int line4 = addLine("Line 4", {"H", "K"});
    addTimetable(line3, 1, 1, {"F", "H"}, regularTrips(2, 480, 2, 60, 3));
    addTimetable(line4, 1, 1, {"H", "K"}, regularTrips(2, 484, 2, 60, 3));
    closeQueryShowing();
    openQueryShowing();
    MaxConnections = 1000;
    const int full = query("F", "K", 480).count(QStringLiteral("Arrival in"));
    EXPECT_GT(full, 1000 / 2);
    const QDateTime t0(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC);
    setQueryClock([t0] { return ResultList.isEmpty() ? t0 : t0.addSecs(61); });
    ResultList.clear();
    const QString text = query("F", "K", 480);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Suchzeit: 00:01:01\nSearch ended because of Search-Depth ")))
        << text.left(200).toStdString();
    EXPECT_LT(text.count(QStringLiteral("Arrival in")), full);
    EXPECT_GE(text.count(QStringLiteral("Arrival in")), 1);
}

// A loop line passes its first station again at its end: the leg from there must not arrive
// before it departs.
TEST_F(QueryProject, LoopLineLegsArriveAfterTheyDepart)
{
    addStations({"X", "Y", "Z"});
    const int loop = addLine("Ring", {"X", "Y", "Z", "X"});
    addTimetable(loop, 1, 1, {"X", "Y", "Z", "X"}, regularTrips(4, 480, 30, 2, 10));
    stopClock();
    openQueryShowing();
    EXPECT_EQ(query("X", "Z", 470), R"(Suchzeit: 00:00:00
Connections::

Arrival in 30 minutes
Ring: X to Z, departure: 08:00 arrival: 08:20

Arrival in 60 minutes
Ring: X to Z, departure: 08:30 arrival: 08:50)");
    EXPECT_EQ(query("X", "Y", 470), R"(Suchzeit: 00:00:00
Connections::

Arrival in 20 minutes
Ring: X to Y, departure: 08:00 arrival: 08:10

Arrival in 50 minutes
Ring: X to Y, departure: 08:30 arrival: 08:40)");
}

// A cell naming an interval that intervals.ptf lacks (or one outside a day) is no stop; the
// message comes once per query and value.
TEST_F(QueryProject, IntervalsThatNameNoInterval)
{
    addStations({"P", "Q", "R"});
    appendRows(m_module.cdsIntervals, {"ID", "Interval"}, {{2, 10.0}, {3, 2000.0}});
    const int line = addLine("Shuttle", {"P", "Q", "R"});
    addTimetable(line, 1, 1, {"P", "Q", "R"},
                 {{480, 485, 490},
                  {-2, -2, -2},
                  {510, 515, 520},
                  {-7, -7, -7},
                  {540, 545, 550},
                  {-3, -3, -3},
                  {570, 575, 580},
                  {-1200, 600, 605},
                  {-7, 9999, -7}});
    stopClock();
    openQueryShowing();
    MaxConnections = 20;
    const QString text = query("P", "R", 480);
    EXPECT_EQ(m_dialogs.messages,
              (QStringList{R"(Error: Value -7 for "all x minutes" in file intervals.ptf not found!)",
                           R"(Error: Value -3 for "all x minutes" in file intervals.ptf not found!)"}));
    QStringList departures;
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("Shuttle")))
            departures << line.mid(line.indexOf(QStringLiteral("departure: ")) + 11, 5);
    EXPECT_EQ(departures, (QStringList{"08:00", "08:10", "08:20", "08:30", "09:00", "09:30"}));
    m_dialogs.messages.clear();
    query("P", "Q", 480);
    EXPECT_EQ(m_dialogs.messages.size(), 2);
}

// On a project whose distances.ini was built from its timetables, the cut of a leg that is not
// the last changes no result.
TEST_F(QueryProject, CutChangesNoResult)
{
    std::mt19937 random(99);
    const QStringList names = addRandomNetwork(random);
    stopClock();
    openQueryShowing();
    MaxConnections = 20;
    SearchDepth = 50;
    int found = 0;
    for (int q = 0; q < 30; ++q) {
        const QString from = names[int(random() % 16)];
        const QString to = names[int(random() % 16)];
        const int minute = 420 + int(random() % 300);
        query::cutLegsByEstimate = true;
        const QString cut = query(from, to, minute);
        query::cutLegsByEstimate = false;
        const QString uncut = query(from, to, minute);
        query::cutLegsByEstimate = true;
        EXPECT_EQ(cut, uncut) << from.toStdString() << " " << to.toStdString() << " " << minute;
        found += cut.count(QStringLiteral("Arrival in"));
    }
    EXPECT_GT(found, 30);
}

// Station IDs renumbered in order, however sparse: the tables hold the same values for every
// pair of stations and are sized by the stations, and every query answers as with the IDs 1 to 16.
struct Renumbering {
    const char *name;
    int (*id)(int number);
};
void PrintTo(const Renumbering &r, std::ostream *os)
{
    *os << r.name;
}

class SparseStationIDs : public QueryProject, public ::testing::WithParamInterface<Renumbering>
{
protected:
    struct Answers {
        QStringList texts;
        QStringList tables; // per pair of stations by number: minutes and changes
        int passes = 0;
        int tableSize = 0;
    };

    // A network of 16 stations and 7 lines, both directions, numbered by id; its tables and the
    // answers to 30 queries. Anything built before is thrown away first.
    Answers answers(int (*id)(int))
    {
        closeQueryShowing();
        for (Table *t :
             {&m_module.cdsStations, &m_module.cdsLines, &m_module.cdsLineStations, &m_module.cdsLineConnections}) {
            t->open();
            t->emptyDataSet();
        }
        QFile::remove(path("distances.ini"));
        takeFolderAsItIs();
        m_stations = m_lines = m_connections = 0;
        m_stopRows.clear();
        m_stationID = id;

        std::mt19937 random(7);
        const QStringList names = addRandomNetwork(random);
        openQueryShowing();
        Answers a;
        a.passes = queryCounters.closurePasses;
        a.tableSize = TravelMinutes.size();
        for (int i = 1; i <= 16; ++i)
            for (int j = 1; j <= 16; ++j)
                a.tables << QStringLiteral("%1-%2: %3 %4")
                                .arg(i)
                                .arg(j)
                                .arg(TravelMinutes.at(id(i), id(j)))
                                .arg(MinTransfers.at(id(i), id(j)));
        MaxConnections = 20;
        SearchDepth = 50;
        for (int q = 0; q < 30; ++q) {
            const QString from = names[int(random() % 16)];
            const QString to = names[int(random() % 16)];
            a.texts << query(from, to, 420 + int(random() % 300));
        }
        resetSettings();
        return a;
    }
};

TEST_P(SparseStationIDs, AnswerAsWithDenseIDs)
{
    stopClock();
    const Answers dense = answers([](int number) { return number; });
    const Answers sparse = answers(GetParam().id);
    EXPECT_EQ(sparse.tableSize, 17);
    EXPECT_EQ(sparse.passes, dense.passes);
    EXPECT_EQ(sparse.tables, dense.tables);
    EXPECT_EQ(sparse.texts, dense.texts);
    EXPECT_GT(dense.texts.join(QString()).count(QStringLiteral("Arrival in")), 30);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Renumberings, SparseStationIDs,
    ::testing::Values(Renumbering{"LastAt12000", [](int n) { return n == 16 ? 12000 : n; }},
                      Renumbering{"Thousands", [](int n) { return 1000 * n; }},
                      Renumbering{"UpToTheBound", [](int n) { return n >= 15 ? 16368 + n : 3 * n; }},
                      Renumbering{"GrowingGaps", [](int n) { return 50 * n * n; }}),
    [](const ::testing::TestParamInfo<Renumbering> &info) { return std::string(info.param.name); });

} // namespace

namespace {

// A file the search reads, damaged: cut short, or with a line that does not read.
struct DamagedSearchFile {
    const char *file;
    bool cutShort;
};

void PrintTo(const DamagedSearchFile &row, std::ostream *os)
{
    *os << row.file << (row.cutShort ? ", cut short" : ", a line that does not read");
}

// Line 1 runs A B C, line 2 A C, each with a timetable: A to C is answered by both.
class DamagedFileOfTheSearch : public QueryProject, public ::testing::WithParamInterface<DamagedSearchFile>
{
protected:
    void SetUp() override
    {
        QueryProject::SetUp();
        addStations({"A", "B", "C"});
        const int line1 = addLine("Line 1", {"A", "B", "C"});
        const int line2 = addLine("Line 2", {"A", "C"});
        addTimetable(line1, 1, 1, {"A", "B", "C"}, regularTrips(3, 480, 20, 3, 5));
        addTimetable(line2, 1, 1, {"A", "C"}, regularTrips(2, 490, 30, 2, 25));
        ASSERT_TRUE(SaveLineConnections());
        stopClock();
    }

    // The file as the search is to find it, and as it is when only what reads of it is there.
    void damage(const QByteArray &intact, QByteArray &damaged, QByteArray &rest) const
    {
        const bool ini = QLatin1String(GetParam().file) == QLatin1String("distances.ini");
        const qsizetype lastLine = intact.lastIndexOf('\n', intact.size() - 3) + 1;
        if (ini && GetParam().cutShort) {
            // Cut after a comma of a value: the value no longer reads.
            const qsizetype line = intact.lastIndexOf('\n', intact.lastIndexOf(',')) + 1;
            damaged = intact.left(intact.indexOf(',', line) + 1);
            rest = intact.left(line);
        } else if (GetParam().cutShort) {
            damaged = intact.left(lastLine); // the closing line goes
            rest = QByteArray();             // the reader takes nothing of it
        } else {
            damaged = intact;
            damaged.insert(ini ? intact.size() : lastLine,
                           ini ? "not a line of the file\r\n" : "9,\"never closed,\r\n");
            // The other rows of a table the program keeps; a timetable file is read whole or not.
            const bool keptTable = QLatin1String(GetParam().file) == QLatin1String("line_connections.ptf");
            rest = ini || keptTable ? intact : QByteArray();
        }
    }

    // Puts the bytes in place (none: the file goes), reads the table kept in memory from them,
    // and answers A to C; the messages of the reading are dropped.
    QString answer(const QByteArray &bytes, bool removed)
    {
        const QString file = path(QLatin1String(GetParam().file));
        if (removed)
            QFile::remove(file);
        else
            writeFileBytes(file, bytes);
        if (QLatin1String(GetParam().file) == QLatin1String("line_connections.ptf")) {
            if (removed)
                CreateEmptyLineConnections();
            else
                LoadLineConnections();
        }
        m_dialogs.messages.clear();
        openQueryShowing();
        const QString text = query("A", "C", 470);
        closeQueryShowing();
        return text;
    }
};

} // namespace

// The search tells the damaged file once, by a message that names it, and answers from what it
// could read: as it answers when only that is there.
TEST_P(DamagedFileOfTheSearch, IsToldOnceAndTheAnswerComesFromTheRest)
{
    const QString name = QLatin1String(GetParam().file);
    const QByteArray intact = bytes(name);
    ASSERT_FALSE(intact.isEmpty()) << "the project has no " << name.toStdString();
    QByteArray damaged, rest;
    damage(intact, damaged, rest);
    const bool restIsNone = rest.isEmpty() && name != QLatin1String("distances.ini");
    const QString expected = answer(rest, restIsNone);
    EXPECT_EQ(takeDamagedFileMessages(), QStringList());
    if (restIsNone) {
        EXPECT_NE(expected, answer(intact, false)) << "the file adds nothing to the answer";
        takeDamagedFileMessages();
    }

    const QString text = answer(damaged, false);
    QStringList messages = m_dialogs.messages + takeDamagedFileMessages();
    EXPECT_EQ(text, expected);
    ASSERT_EQ(messages.size(), 1) << messages.join(" | ").toStdString();
    EXPECT_TRUE(messages[0].endsWith(path(name)) || messages[0].contains(path(name) + " (line "))
        << messages[0].toStdString();
    // Told once a showing: another query of the same showing says nothing more.
    openQueryShowing();
    query("A", "C", 470);
    query("A", "C", 480);
    EXPECT_EQ(takeDamagedFileMessages().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFile, DamagedFileOfTheSearch,
    ::testing::Values(DamagedSearchFile{"tt_1.ptf", true}, DamagedSearchFile{"tt_1.ptf", false},
                      DamagedSearchFile{"ttc_1.ptf", true}, DamagedSearchFile{"ttc_1.ptf", false},
                      DamagedSearchFile{"line_connections.ptf", true},
                      DamagedSearchFile{"line_connections.ptf", false}, DamagedSearchFile{"distances.ini", true},
                      DamagedSearchFile{"distances.ini", false}),
    [](const ::testing::TestParamInfo<DamagedSearchFile> &info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
        return name + (info.param.cutShort ? "CutShort" : "LineUnread");
    });
