#pragma once

#include "data/db_func.h"
#include "query/query.h"
#include "support/project_folder.h"

#include <QMap>

#include <functional>
#include <random>

// A project for connection queries, written by the test itself: stations, lines with their
// stations, day groups, timetables (stop rows, trips, line connections) and distances.ini made
// by BuildDistances, as the timetable editor leaves them.
class QueryProject : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        resetSettings();
        appendRows(m_module.cdsDayGroups, {"ID", "Group", "Days", "Text"},
                   {{1, "1", "1111100", "Mo-Fr"}, {2, "2", "0000010", "Sa"}, {3, "3", "0000001", "So"}});
    }
    void TearDown() override
    {
        closeQueryShowing();
        releaseQueryState();
        setQueryClock({});
        ProjectFolder::TearDown();
    }

    static void resetSettings()
    {
        MaxConnections = 10;
        MaxTransfers = 3;
        SearchDepth = 10;
        MaxSearchTime = 60;
        MinChangeMinutes = 1;
    }

    // Stations numbered 1, 2, ... in the order given; the number is the ID unless m_stationID
    // renumbers it.
    void addStations(const QStringList &names)
    {
        QList<QVariantList> rows;
        for (const QString &name : names) {
            ++m_stations;
            rows << QVariantList{m_stationID ? m_stationID(m_stations) : m_stations, name};
        }
        appendRows(m_module.cdsStations, {"ID", "Station"}, rows);
    }
    int station(const QString &name) const { return GetStationIDByName(name); }

    // A line with its stations in line order; the new line's ID.
    int addLine(const QString &name, const QStringList &stations)
    {
        const int id = ++m_lines;
        appendRows(m_module.cdsLines, {"ID", "Line"}, {{id, name}});
        QList<QVariantList> rows;
        for (int k = 0; k < stations.size(); ++k)
            rows << QVariantList{id, k + 1, station(stations[k])};
        appendRows(m_module.cdsLineStations, {"LineID", "LineStationNumber", "StationID"}, rows);
        return id;
    }

    // A timetable of the line: its stop rows (station names in travel order) and its trips (one
    // stored cell per stop row). Writes the files and the distances section; the line connection ID.
    int addTimetable(int line, int dayGroup, int direction, const QStringList &stops,
                     const QVector<QVector<int>> &trips)
    {
        const int lc = ++m_connections;
        appendRows(m_module.cdsLineConnections, {"ID", "LineID", "DayGroupID", "Direction"},
                   {{lc, line, dayGroup, direction}});
        QStringList &stopRows = m_stopRows[line];
        for (int k = 0; k < stops.size(); ++k)
            stopRows << QStringLiteral("%1,%2,%3,%4").arg(station(stops[k])).arg(dayGroup).arg(direction).arg(k + 1);
        writePtf(path(QStringLiteral("ttc_%1.ptf").arg(line)), {"StationID", "DayGroupID", "Direction", "Position"},
                 stopRows);
        QStringList names{"ID"};
        for (int k = 1; k <= stops.size(); ++k)
            names << QString::number(k);
        QStringList rows;
        for (int t = 0; t < trips.size(); ++t) {
            QStringList cells{QString::number(t + 1)};
            for (int v : trips[t])
                cells << QString::number(v);
            rows << cells.join(QLatin1Char(','));
        }
        writePtf(path(QStringLiteral("tt_%1.ptf").arg(lc)), names, rows);
        EXPECT_TRUE(BuildDistances(lc));
        return lc;
    }

    // Trips every `every` minutes from `first`, `count` of them, `step` minutes between stops.
    static QVector<QVector<int>> regularTrips(int stops, int first, int every, int count, int step)
    {
        QVector<QVector<int>> trips;
        for (int t = 0; t < count; ++t) {
            QVector<int> cells;
            for (int k = 0; k < stops; ++k)
                cells << first + t * every + k * step;
            trips << cells;
        }
        return trips;
    }

    // One showing of the dialog and one query, the whole result text.
    QString query(const QString &from, const QString &to, int minute, const QString &dayGroup = "Mo-Fr")
    {
        return runConnectionQuery(from, to, dayGroup, minute);
    }

    // A clock that stands still: every "Suchzeit" reads 00:00:00.
    void stopClock()
    {
        const QDateTime t0(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC);
        setQueryClock([t0] { return t0; });
    }

    int (*m_stationID)(int number) = nullptr;
    int m_stations = 0;
    int m_lines = 0;
    int m_connections = 0;
    QMap<int, QStringList> m_stopRows;

    // A network of 16 stations "N1".."N16" and 7 lines of five stops each, drawn from the random
    // source, with a timetable in both directions; gives the station names.
    QStringList addRandomNetwork(std::mt19937 &random)
    {
        QStringList names;
        for (int i = 1; i <= 16; ++i)
            names << QStringLiteral("N%1").arg(i);
        addStations(names);
        for (int l = 0; l < 7; ++l) {
            QStringList stops;
            while (stops.size() < 5) {
                const QString s = names[int(random() % 16)];
                if (!stops.contains(s))
                    stops << s;
            }
            const int line = addLine(QStringLiteral("L%1").arg(l + 1), stops);
            const QStringList back(stops.rbegin(), stops.rend());
            addTimetable(line, 1, 1, stops,
                         regularTrips(5, 400 + int(random() % 30), 15 + int(random() % 20), 30, 3 + l));
            addTimetable(line, 1, 2, back,
                         regularTrips(5, 410 + int(random() % 30), 15 + int(random() % 20), 30, 2 + l));
        }
        return names;
    }
};
