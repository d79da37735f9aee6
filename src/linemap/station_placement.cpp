#include "linemap/station_placement.h"

#include <QHash>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "linemap/draw_geometry.h"
#include "linemap/plan_tables.h"
#include "platform/table.h"

namespace {

bool sectionHolds(const TLineSection &s, int x, int y)
{
    return PointOnSegment(s.StartX, s.StartY, s.EndX, s.EndY, x, y, true);
}

struct StoredPlacement
{
    int sectionID, x, y;
};

} // namespace

int SectionLength(const TLineSection &Section)
{
    const std::int64_t dx = std::llabs(std::int64_t(Section.EndX) - Section.StartX);
    const std::int64_t dy = std::llabs(std::int64_t(Section.EndY) - Section.StartY);
    if (dx == 0)
        return ClampToInt(dy);
    if (dy == 0)
        return ClampToInt(dx);
    return Rnd(std::sqrt(2.0 * double(dx) * double(dy)));
}

int ComputeSectionLengths(TLineSectionArray &Sections)
{
    std::int64_t total = 0;
    for (TLineSection &s : Sections) {
        s.Length = SectionLength(s);
        total += s.Length;
    }
    return ClampToInt(total);
}

TLineStationArray BuildLineStops(int LineID, const TLineSectionArray &Sections)
{
    TLineStationArray stops;
    QHash<int, QList<StoredPlacement>> stored;
    try {
        Table &lms = dm1->cdsLineMapStations;
        TableGuard keep(lms);
        lms.setIndexName(QStringLiteral("idxStationID"));
        lms.setFilter(QStringLiteral("LineID = %1").arg(LineID));
        lms.setFiltered(true);
        for (lms.first(); !lms.eof(); lms.next())
            stored[lms.fieldByName(QStringLiteral("StationID")).asInteger()].append(
                {lms.fieldByName(QStringLiteral("LineSectionID")).asInteger(),
                 lms.fieldByName(QStringLiteral("XPos")).asInteger(),
                 lms.fieldByName(QStringLiteral("YPos")).asInteger()});
    } catch (const TableError &) {
        // No station table yet: every stop is unplaced.
    }

    QList<int> stationIDs;
    try {
        Table &ls = dm1->cdsLineStations;
        TableGuard keep(ls);
        ls.setIndexName(QStringLiteral("idxLineStationNumber"));
        ls.setFilter(QStringLiteral("LineID = %1").arg(LineID));
        ls.setFiltered(true);
        int previous = INT_MIN;
        for (ls.first(); !ls.eof(); ls.next()) {
            const int id = ls.fieldByName(QStringLiteral("StationID")).asInteger();
            if (id != previous)
                stationIDs << id;
            previous = id;
        }
    } catch (const TableError &) {
    }

    QHash<int, int> seen; // how often each station was listed so far
    for (int id : stationIDs) {
        TLineStation stop;
        stop.StationID = id;
        stop.StationName = GetStationNameByID(id);
        const int k = seen[id]++;
        const QList<StoredPlacement> rows = stored.value(id);
        if (k < rows.size()) {
            const StoredPlacement &p = rows[k];
            const bool onCourse = p.sectionID >= 1 && p.sectionID <= int(Sections.size());
            int section = onCourse ? p.sectionID - 1 : -1;
            if (!onCourse || !sectionHolds(Sections[section], p.x, p.y)) {
                section = -1;
                for (int i = 0; i < int(Sections.size()) && section < 0; ++i)
                    if (sectionHolds(Sections[i], p.x, p.y))
                        section = i;
            }
            if (section >= 0) {
                stop.On = true;
                stop.LineSectionID = section + 1;
                stop.XPos = p.x;
                stop.YPos = p.y;
            }
        }
        stops.push_back(stop);
    }
    return stops;
}

TDistributionStart DistributeStops(const TLineSectionArray &Sections, int TotalLength, TLineStationArray &Stations,
                                   int RasterWidth, bool Reverse)
{
    TDistributionStart first;
    const int n = int(Stations.size());
    if (n == 0 || Sections.empty())
        return first;
    const int R = RasterWidth < 1 ? 1 : RasterWidth;
    const double spacing = n > 1 ? (double(TotalLength) - 1) / (n - 1) : 0.0;
    const int last = int(Sections.size()) - 1;

    std::int64_t px = Sections[0].StartX;
    std::int64_t py = Sections[0].StartY;
    int s = 0;
    std::int64_t pos = 0;
    for (int k = 0; k < n; ++k) {
        const int index = Reverse ? n - 1 - k : k;
        TLineStation &stop = Stations[index];
        if (!stop.On) {
            stop.On = true;
            stop.LineSectionID = s + 1;
            stop.XPos = ClampToInt(px);
            stop.YPos = ClampToInt(py);
            if (first.StationIndex < 0)
                first = {index, s, stop.XPos, stop.YPos};
        }
        const auto t = std::int64_t(std::trunc((k + 1) * spacing + 0.5));
        while (s < last && Sections[s].Length < t - pos) {
            pos += Sections[s].Length;
            ++s;
        }
        std::int64_t d = t - pos;
        const TLineSection &sec = Sections[s];
        if (sec.Degree % 90 != 0)
            d = std::int64_t(std::trunc(std::sqrt(double(d) * double(d) / 2)));
        d = ((R / 2) + d) / R * R;
        px = sec.StartX + AngleDirX(sec.Degree, 0) * d;
        py = sec.StartY + AngleDirY(sec.Degree, 0) * d;
    }
    return first;
}

QList<int> TransferStationIDs()
{
    QList<int> ids;
    try {
        Table &lms = dm1->cdsLineMapStations;
        TableGuard keep(lms);
        lms.setIndexName(QStringLiteral("idxStationID"));
        int previous = INT_MIN;
        int count = 0;
        for (lms.first(); !lms.eof(); lms.next()) {
            const int id = lms.fieldByName(QStringLiteral("StationID")).asInteger();
            count = id == previous ? count + 1 : 1;
            previous = id;
            if (count == 2)
                ids << id;
        }
    } catch (const TableError &) {
    }
    try {
        Table &msp = dm1->cdsLineMapIndividualMultiStationPrefs;
        TableGuard keep(msp);
        msp.setIndexName(QStringLiteral("idxStationID"));
        for (msp.first(); !msp.eof(); msp.next()) {
            const int id = msp.fieldByName(QStringLiteral("StationID")).asInteger();
            if (!ids.contains(id))
                ids << id;
        }
    } catch (const TableError &) {
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}
