#include "data/db_distances_rebuild.h"

#include "data/data_module_1.h"
#include "data/db_distances.h"
#include "data/db_func.h"
#include "data/db_func_p.h"
#include "data/db_timetables.h"
#include "data/main_globals.h"
#include "data/table_files.h"
#include "data/timetable_files.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_stamps.h"
#include "platform/ini_file.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <exception>

using namespace dbfunc;

namespace {

struct Connection {
    int id = 0;
    bool cleared = false;
    int lineID = 0;
    int dayGroupID = 0;
    int direction = 0;
};

// One line's stop rows, read once however many of its connections are rebuilt.
struct LineStops {
    bool read = false;
    QVector<TimeTableStopRowRecord> rows;
};

QVector<Connection> connectionsInIdOrder()
{
    QVector<Connection> list;
    Table &lc = dm1->cdsLineConnections;
    const bool wasActive = lc.active();
    const QString oldIndex = lc.indexName();
    guarded(lc, [&] {
        lc.open();
        TableGuard all(lc, TableGuard::Filter);
        lc.setIndexName(QStringLiteral("idxID"));
        for (lc.first(); !lc.eof(); lc.next()) {
            Field line = lc.fieldByName(QStringLiteral("LineID"));
            Field group = lc.fieldByName(QStringLiteral("DayGroupID"));
            Field direction = lc.fieldByName(QStringLiteral("Direction"));
            Connection c;
            c.id = lc.fieldByName(QStringLiteral("ID")).asInteger();
            c.cleared = line.isNull() || group.isNull() || direction.isNull();
            c.lineID = line.asInteger();
            c.dayGroupID = group.asInteger();
            c.direction = direction.asInteger();
            list << c;
        }
        lc.setIndexName(oldIndex);
    });
    if (!wasActive)
        guarded(lc, [&] { lc.close(); });
    return list;
}

LineStops readStopRows(int lineID)
{
    LineStops stops;
    // The repair's report names the file of every timetable it could not rebuild.
    stops.read = ReadStopRowFile(lineID, stops.rows, true);
    // Rows of equal position keep their file order, as the position index walks them.
    std::stable_sort(stops.rows.begin(), stops.rows.end(),
                     [](const TimeTableStopRowRecord &a, const TimeTableStopRowRecord &b) {
                         return a.position < b.position;
                     });
    return stops;
}

QString dayGroupName(int dayGroupID)
{
    Table &t = dm1->cdsDayGroups;
    return guarded(t, QString(), [&] {
        TableGuard all(t, TableGuard::Filter);
        t.open();
        for (t.first(); !t.eof(); t.next()) {
            if (t.fieldByName(QStringLiteral("ID")).asInteger() == dayGroupID)
                return t.fieldByName(QStringLiteral("Group")).asString();
        }
        return QString();
    });
}

} // namespace

DistancesRebuildReport RebuildDistancesFile(const DistancesProgress &Progress)
{
    DistancesRebuildReport report;
    if (ProjectDir.isEmpty())
        return report;

    // Without the line connections every section would count as stale and be erased.
    const QString connectionsFile = projectFile(QStringLiteral("line_connections.ptf"));
    if (TableFileDamaged(dm1->cdsLineConnections, connectionsFile)) {
        dialogs().showMessage(DamagedFileMessage(connectionsFile));
        return report;
    }
    const QVector<Connection> connections = connectionsInIdOrder();
    const QString file = projectFile(QStringLiteral("distances.ini"));
    IniFile ini;
    try {
        // A file that is there but cannot be read would lose every kept section. Seen also when
        // missing: one that another copy creates meanwhile is not written over.
        if (FileStamps::seenThere(file) && !ini.load(file))
            return report;
    } catch (const std::exception &) {
        return report;
    }

    QHash<int, LineStops> stopsByLine;
    QVector<QPair<int, DistancesSection>> sections;
    QSet<QString> current; // sections that name a line connection
    const int total = connections.size();
    for (int i = 0; i < total; ++i) {
        const Connection &c = connections[i];
        if (!c.cleared) {
            current.insert(QString::number(c.id));
            auto failed = [&](const QString &failedFile) {
                report.failed << DistancesRebuildFailure{c.id, c.lineID, c.dayGroupID, c.direction, failedFile};
            };
            auto it = stopsByLine.find(c.lineID);
            if (it == stopsByLine.end())
                it = stopsByLine.insert(c.lineID, readStopRows(c.lineID));
            QVector<QVector<int>> trips;
            if (!it->read) {
                failed(TimeTableConnectionsFileName(c.lineID));
            } else {
                QVector<int> stations;
                for (const TimeTableStopRowRecord &r : it->rows) {
                    if (r.dayGroupID == c.dayGroupID && r.direction == c.direction)
                        stations << r.stationID;
                }
                switch (ReadTripFile(c.id, stations.size(), trips)) {
                case TripFileRead::Unreadable:
                    failed(TimeTableFileName(c.id));
                    break;
                case TripFileRead::Unfit:
                    failed(QString());
                    break;
                case TripFileRead::Read:
                    sections << qMakePair(c.id, ComputeDistances(stations, trips));
                    break;
                }
            }
        }
        if (Progress)
            Progress(i + 1, total);
    }

    try {
        for (const QString &name : ini.sections()) {
            if (!name.isEmpty() && !current.contains(name)) {
                ini.eraseSection(name);
                report.removed << name;
            }
        }
        // As one build after the other would leave them: each rebuilt section moves to the end.
        for (const auto &[id, section] : sections)
            PutDistancesSection(ini, id, section);
        report.written = ini.save(file);
        if (!report.written)
            report.writeError = ansi::lastWriteError();
    } catch (const std::exception &) {
        report.written = false;
    }
    if (report.written) {
        for (const auto &entry : sections)
            report.rebuilt << entry.first;
    }
    report.success = report.written && report.failed.isEmpty();
    return report;
}

QString DistancesFailureText(const DistancesRebuildFailure &Failure)
{
    QString line = GetLineNameByID(Failure.lineID);
    if (line.isEmpty())
        line = QString::number(Failure.lineID);
    QString group = dayGroupName(Failure.dayGroupID);
    if (group.isEmpty())
        group = QString::number(Failure.dayGroupID);
    QString text = QStringLiteral("lcid = %1 (Linie %2, Tagesgruppe %3, Richtung %4)")
                       .arg(Failure.lineConnectionID)
                       .arg(line, group)
                       .arg(Failure.direction);
    if (!Failure.file.isEmpty())
        text += QStringLiteral(": ") + Failure.file;
    return text;
}
