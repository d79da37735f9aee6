#include "data/db_distances_rebuild.h"

#include "data/db_func.h"
#include "plan_project.h"
#include "platform/ini_file.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// The plan project's connections 1 to 3 have timetables and sections, 4 is a deleted timetable
// that kept its old section. Added: 5 (line L2, day group 2) whose trip file is missing, with an
// old section; 6 on a line that has no stop-row file; a stale section 7 of no connection.
class Rebuild : public PlanProject
{
protected:
    void SetUp() override
    {
        PlanProject::SetUp();
        appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"},
                   {{5, L2, 2, 1}, {6, 13, 1, 1}});
        IniFile ini(path("distances.ini"));
        for (const char *name : {"1", "2", "3"})
            m_built[name] = {ini.readString(name, "distance1"), ini.readString(name, "distance2"),
                             ini.readString(name, "newcross")};
        // Old and stale sections before and between the current ones.
        IniFile old;
        old.writeString("7", "distance1", "1,5,2");
        old.writeString("3", "distance1", "stale");
        old.writeString("4", "distance1", "4,9,1");
        old.writeString("5", "distance1", "4,7,1");
        old.writeString("1", "distance1", "stale");
        old.writeString("1", "distance2", "stale");
        old.writeString("2", "distance1", "stale");
        ASSERT_TRUE(old.save(path("distances.ini")));
    }

    QString value(const QString &section, const QString &key) const
    {
        return IniFile(path("distances.ini")).readString(section, key, "<none>");
    }

    std::map<QString, QStringList> m_built;
};

} // namespace

TEST_F(Rebuild, RebuildsEveryReadableConnectionAndReportsTheOthers)
{
    QVector<QPair<int, int>> progress;
    const DistancesRebuildReport report =
        RebuildDistancesFile([&](int done, int total) { progress << qMakePair(done, total); });

    ASSERT_TRUE(report.written);
    EXPECT_FALSE(report.success);
    EXPECT_EQ(report.rebuilt, (QVector<int>{1, 2, 3}));
    EXPECT_EQ(report.removed, (QStringList{"7", "4"}));
    ASSERT_EQ(report.failed.size(), 2);
    EXPECT_EQ(DistancesFailureText(report.failed[0]), "lcid = 5 (Linie L2, Tagesgruppe 2, Richtung 1): tt_5.ptf");
    EXPECT_EQ(DistancesFailureText(report.failed[1]), "lcid = 6 (Linie 13, Tagesgruppe 1, Richtung 1): ttc_13.ptf");
    EXPECT_EQ(progress, (QVector<QPair<int, int>>{{1, 6}, {2, 6}, {3, 6}, {4, 6}, {5, 6}, {6, 6}}));

    // The failed connection keeps its old section, first; then the rebuilt ones in ID order,
    // each as BuildDistances writes it, stale keys gone.
    EXPECT_EQ(sections(), (QStringList{"5", "1", "2", "3"}));
    EXPECT_EQ(value("5", "distance1"), "4,7,1");
    for (const char *name : {"1", "2", "3"}) {
        EXPECT_EQ(value(name, "distance1"), m_built[name][0]) << name;
        EXPECT_EQ(value(name, "distance2"), m_built[name][1].isEmpty() ? "<none>" : m_built[name][1]) << name;
        EXPECT_EQ(value(name, "newcross"), m_built[name][2].isEmpty() ? "<none>" : m_built[name][2]) << name;
    }
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join('\n').toStdString();
}

TEST_F(Rebuild, SuccessOnlyWhenNothingFailed)
{
    // Columns that do not fit the stop rows fail without a file to name.
    writePtf(path("tt_5.ptf"), {"ID", "1", "2", "3"}, {"1,1,2,3"});
    writePtf(path("ttc_11.ptf"), {"StationID", "DayGroupID", "Direction", "Position"},
             {"4,1,1,1", "1,1,1,2", "4,2,1,1", "1,2,1,2"});
    m_module.cdsLineConnections.open();
    m_module.cdsLineConnections.setIndexName("idxID");
    ASSERT_TRUE(m_module.cdsLineConnections.findKey({6}));
    m_module.cdsLineConnections.remove();

    DistancesRebuildReport report = RebuildDistancesFile();
    ASSERT_EQ(report.failed.size(), 1);
    EXPECT_EQ(report.failed[0].file, "");
    EXPECT_FALSE(report.success);

    writePtf(path("tt_5.ptf"), {"ID", "1", "2"}, {"1,600,615"});
    report = RebuildDistancesFile();
    EXPECT_TRUE(report.success);
    EXPECT_TRUE(report.failed.isEmpty());
    EXPECT_EQ(sections(), (QStringList{"1", "2", "3", "5"}));
    EXPECT_EQ(value("5", "distance1"), "4,15,1");

    // A stop-row file with a line that does not read: both its connections fail, naming it, and
    // keep their sections.
    writePtf(path("ttc_11.ptf"), {"StationID", "DayGroupID", "Direction", "Position"},
             {"4,1,1,1", "1,1,1,2", "4,2,1,1", "1,2,1,2", "x,1,1,3"});
    report = RebuildDistancesFile();
    ASSERT_EQ(report.failed.size(), 2);
    EXPECT_EQ(report.failed[0].file, "ttc_11.ptf");
    EXPECT_EQ(report.failed[1].file, "ttc_11.ptf");
    EXPECT_FALSE(report.success);
    EXPECT_EQ(value("3", "distance1"), m_built["3"][0]);
    EXPECT_EQ(value("5", "distance1"), "4,15,1");
    // The table keeps the index it had.
    EXPECT_EQ(m_module.cdsLineConnections.indexName(), "idxID");
}

TEST_F(Rebuild, NothingIsWrittenWithoutAProjectOrWhenTheFileIsBlocked)
{
    const QByteArray before = bytes("distances.ini");
    const QString dir = ProjectDir;
    ProjectDir.clear();
    DistancesRebuildReport report = RebuildDistancesFile();
    EXPECT_FALSE(report.written);
    EXPECT_FALSE(report.success);
    ProjectDir = dir;
    EXPECT_EQ(bytes("distances.ini"), before);

    // Without the line connections every section would look stale: none is touched.
    const QByteArray connections = cutShort("line_connections.ptf");
    LoadLineConnections();
    m_dialogs.messages.clear();
    report = RebuildDistancesFile();
    EXPECT_FALSE(report.written);
    EXPECT_FALSE(report.success);
    EXPECT_EQ(bytes("distances.ini"), before);
    EXPECT_EQ(bytes("line_connections.ptf"), connections);
    EXPECT_EQ(m_dialogs.messages.filter("line_connections.ptf").size(), 1);

    blockFile("distances.ini");
    report = RebuildDistancesFile();
    EXPECT_FALSE(report.written);
    EXPECT_FALSE(report.success);
    EXPECT_TRUE(report.rebuilt.isEmpty());
}

// The rebuild reads each timetable once: ten times the timetables take about ten times as long.
// Both sizes are measured in one run, so a busy machine slows both; the factor leaves room for
// noise but not for work that grows with the square of the timetables.
TEST_F(Rebuild, TimeGrowsWithTheNumberOfTimetables)
{
    constexpr int kStops = 20, kTrips = 40;
    const auto addLines = [this](int first, int count) {
        QList<QVariantList> rows;
        for (int line = first; line < first + count; ++line) {
            QStringList stops;
            for (int connection = 0; connection < 3; ++connection) {
                const int id = 100 + line * 3 + connection;
                rows << QVariantList{id, 100 + line, connection + 1, 1};
                QStringList columns{"ID"};
                QStringList trips;
                for (int k = 1; k <= kStops; ++k) {
                    columns << QString::number(k);
                    stops << QStringLiteral("%1,%2,1,%3").arg(k).arg(connection + 1).arg(k);
                }
                for (int trip = 0; trip < kTrips; ++trip) {
                    QStringList cells{QString::number(trip + 1)};
                    for (int k = 0; k < kStops; ++k)
                        cells << QString::number((k + trip) % 7 == 3 ? -1 : 300 + trip * 10 + k * 2);
                    trips << cells.join(',');
                }
                writePtf(path(QStringLiteral("tt_%1.ptf").arg(id)), columns, trips);
            }
            writePtf(path(QStringLiteral("ttc_%1.ptf").arg(100 + line)),
                     {"StationID", "DayGroupID", "Direction", "Position"}, stops);
        }
        appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"}, rows);
    };
    const auto timedRebuild = [](DistancesRebuildReport &report) {
        QElapsedTimer timer;
        timer.start();
        report = RebuildDistancesFile();
        return std::max<qint64>(timer.nsecsElapsed(), 1'000'000);
    };

    DistancesRebuildReport report;
    addLines(0, 5);
    // The fastest of three runs: the first also warms the file cache, and a run slowed by
    // another process does not count.
    const qint64 small = std::min({timedRebuild(report), timedRebuild(report), timedRebuild(report)});
    EXPECT_EQ(report.rebuilt.size(), 18);
    addLines(5, 45);
    const qint64 large = std::min({timedRebuild(report), timedRebuild(report), timedRebuild(report)});
    RecordProperty("rebuild_150_ms", int(large / 1'000'000));
    EXPECT_EQ(report.rebuilt.size(), 153);
    EXPECT_LT(large, 40 * small) << small / 1000 << " us for 15 timetables, " << large / 1000 << " us for 150";
    // Spot check against the one-by-one build.
    const QString rebuilt = value("150", "distance1");
    ASSERT_TRUE(BuildDistances(150));
    EXPECT_EQ(value("150", "distance1"), rebuilt);
}
