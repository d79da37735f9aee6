#include "linemap/line_course_save.h"

#include <algorithm>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "data/color_convert.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "linemap/draw_geometry.h"
#include "linemap/line_course.h"
#include "linemap/linemap_canvas.h"
#include "linemap/plan_tables.h"

namespace {

bool sameStart(const TLineSection &a, const TLineSection &b)
{
    return a.StartX == b.StartX && a.StartY == b.StartY;
}

bool sameEnd(const TLineSection &a, const TLineSection &b)
{
    return a.EndX == b.EndX && a.EndY == b.EndY;
}

bool isEmpty(const TLineSection &s)
{
    return s.StartX == s.EndX && s.StartY == s.EndY;
}

// The course during normalisation: the sections and, beside each, the drawn section it came from.
struct WorkCourse
{
    TLineSectionArray s;
    std::vector<int> origin;

    int size() const { return int(s.size()); }
    int group(int i) const { return s[i].GroupID; }
    // A new group from section `from` on: every GroupID from there to the last grows by one.
    void bump(int from)
    {
        for (int k = from; k < size(); ++k)
            ++s[k].GroupID;
    }
    void split(int i, int x, int y)
    {
        SplitSection(s, i, x, y);
        origin.insert(origin.begin() + i + 1, origin[i]);
    }
};

int intField(Table &t, const char *name)
{
    return t.fieldByName(QLatin1String(name)).asInteger();
}

void setInt(Table &t, const char *name, int value)
{
    t.fieldByName(QLatin1String(name)).setInteger(value);
}

void setBool(Table &t, const char *name, bool value)
{
    t.fieldByName(QLatin1String(name)).setBoolean(value);
}

// The file a stopped save could not write, for the window's message.
QString g_failed;

// The tables a course save changes. Each is taken before its first change and let go once its
// file is written; a table whose write failed or was never reached gets its rows back when the
// save ends, so that every table holds what its file holds and no later save writes a change
// that was reported as failed.
class SaveRollback
{
public:
    SaveRollback() = default;
    SaveRollback(const SaveRollback &) = delete;
    SaveRollback &operator=(const SaveRollback &) = delete;
    ~SaveRollback()
    {
        for (auto &[table, rows] : m_taken) {
            try {
                rows->restore();
            } catch (const TableError &) {
            }
        }
    }
    void changing(Table &table)
    {
        for (const auto &entry : m_taken)
            if (entry.first == &table)
                return;
        m_taken.emplace_back(&table, std::make_unique<RowsBackup>(table));
    }
    void written(Table &table)
    {
        std::erase_if(m_taken, [&](const auto &entry) { return entry.first == &table; });
    }

private:
    std::vector<std::pair<Table *, std::unique_ptr<RowsBackup>>> m_taken;
};
SaveRollback *g_rollback = nullptr;

void changing(Table &table)
{
    if (g_rollback)
        g_rollback->changing(table);
}

// A save routine writes the rows its walk sees: the whole table, whatever filter is on.
template <typename F>
bool saveWhole(Table &table, F &&save)
{
    bool ok = false;
    {
        TableGuard keep(table);
        ok = save();
    }
    if (ok && g_rollback)
        g_rollback->written(table);
    return ok;
}

// The same for a save whose failure stops the chain.
template <typename F>
bool saveOrStop(Table &table, F &&save, const QString &fileName)
{
    if (saveWhole(table, save))
        return true;
    g_failed = fileName;
    return false;
}

// Deletes every row of the key on the named index.
void removeRows(Table &t, const QString &index, const QVariantList &key)
{
    t.setIndexName(index);
    while (t.findKey(key))
        t.remove();
}

std::vector<TCourseStationRow> stationRowsOfLine(int lineID)
{
    Table &t = dm1->cdsLineMapStations;
    TableGuard keep(t);
    std::vector<TCourseStationRow> rows;
    t.setIndexName(QString());
    for (t.first(); !t.eof(); t.next()) {
        if (intField(t, "LineID") != lineID)
            continue;
        rows.push_back({intField(t, "LineSectionID"), intField(t, "StationID"), intField(t, "XPos"), intField(t, "YPos")});
    }
    return rows;
}

void replaceStationRows(int lineID, const std::vector<TCourseStationRow> &rows)
{
    changing(dm1->cdsLineMapStations);
    DeleteLineMapStationsOfLine(lineID);
    for (const TCourseStationRow &r : rows)
        AddLineMapStation(lineID, r.LineSectionID, r.StationID, r.XPos, r.YPos);
}

bool placementLess(const TCoursePlacementRow &a, const TCoursePlacementRow &b)
{
    return std::tie(a.IDValue, a.Position, a.OffsetX, a.OffsetY, a.TextDirection, a.Rotation) <
           std::tie(b.IDValue, b.Position, b.OffsetX, b.OffsetY, b.TextDirection, b.Rotation);
}

// The line's section-scoped name placements (IDType 1), in IDValue order.
std::vector<TCoursePlacementRow> sectionPlacementsOfLine(int lineID)
{
    Table &t = dm1->cdsLineMapIndividualStationPrefs;
    TableGuard keep(t);
    std::vector<TCoursePlacementRow> rows;
    t.setIndexName(QString());
    for (t.first(); !t.eof(); t.next()) {
        if (intField(t, "LineID") != lineID || intField(t, "IDType") != 1)
            continue;
        rows.push_back({intField(t, "IDValue"), intField(t, "Position"), intField(t, "OffsetX"), intField(t, "OffsetY"),
                        intField(t, "TextDirection"), intField(t, "Rotation")});
    }
    std::sort(rows.begin(), rows.end(), placementLess);
    return rows;
}

void replaceSectionPlacements(int lineID, const std::vector<TCoursePlacementRow> &oldRows,
                              const std::vector<TCoursePlacementRow> &rows)
{
    changing(dm1->cdsLineMapIndividualStationPrefs);
    for (const TCoursePlacementRow &r : oldRows)
        DeleteIndividualStationPrefs(lineID, 1, r.IDValue);
    for (const TCoursePlacementRow &r : rows)
        AddIndividualStationPrefs(lineID, 1, r.IDValue, r.Position, r.OffsetX, r.OffsetY, r.TextDirection, r.Rotation);
    dm1->cdsLineMapIndividualStationPrefs.setIndexName(QStringLiteral("idxLineIDTypeValue"));
}

// The line's plan row, or the line taken off the plan when the course is empty.
bool saveLineRow(const TLineMapEditorState &s, const TLineCourseSaveChoices &c, bool hasCourse)
{
    Table &t = dm1->cdsLineMapLines;
    const QVariantList key{s.LineMapID, s.CurrentLineID};
    if (hasCourse) {
        changing(t);
        {
            TableGuard keep(t);
            t.setIndexName(QStringLiteral("idxMapLine"));
            if (t.findKey(key))
                t.edit();
            else
                t.append();
            int r = 0, g = 0, b = 0;
            setInt(t, "LineMapID", s.LineMapID);
            setInt(t, "LineID", s.CurrentLineID);
            setBool(t, "DefaultColor", c.DefaultColor);
            ColorToRGBParts(int(s.LineColor), r, g, b);
            setInt(t, "ColorRed", r);
            setInt(t, "ColorGreen", g);
            setInt(t, "ColorBlue", b);
            setBool(t, "DefaultWidth", c.DefaultWidth);
            setInt(t, "DrawWidth", s.LineWidth);
            setBool(t, "VehicleDefaultColor", c.VehicleDefaultColor);
            ColorToRGBParts(int(s.VehicleColor), r, g, b);
            setInt(t, "VehicleColorRed", r);
            setInt(t, "VehicleColorGreen", g);
            setInt(t, "VehicleColorBlue", b);
            t.post();
        }
        return saveOrStop(t, SaveLineMapLines, LineMapTableFile(LineMapTable::Lines).fileName);
    }

    // The per-plan files are read again so that they hold exactly what was last saved.
    // Only the plan row's save decides whether the removal went through.
    const int plan = s.LineMapID;
    if (LoadLineMapIndividualStationPrefs(plan)) {
        changing(dm1->cdsLineMapIndividualStationPrefs);
        DeleteIndividualStationPrefsOfLine(s.CurrentLineID);
        saveWhole(dm1->cdsLineMapIndividualStationPrefs, [plan] { return SaveLineMapIndividualStationPrefs(plan); });
    }
    if (LoadLineMapStations(plan)) {
        changing(dm1->cdsLineMapStations);
        DeleteLineMapStationsOfLine(s.CurrentLineID);
        saveWhole(dm1->cdsLineMapStations, [plan] { return SaveLineMapStations(plan); });
    }
    changing(dm1->cdsLineMapLineTextVisible);
    DeleteLineTextVisible(plan, s.CurrentLineID);
    saveWhole(dm1->cdsLineMapLineTextVisible, SaveLineMapLineTextVisible);
    changing(dm1->cdsLineMapLineTextColor);
    DeleteLineTextColor(plan, s.CurrentLineID);
    saveWhole(dm1->cdsLineMapLineTextColor, SaveLineMapLineTextColor);
    changing(dm1->cdsLineMapLineTextOffset);
    DeleteLineTextOffset(plan, s.CurrentLineID);
    saveWhole(dm1->cdsLineMapLineTextOffset, SaveLineMapLineTextOffset);
    bool found = false;
    changing(t);
    {
        TableGuard keep(t);
        t.setIndexName(QStringLiteral("idxMapLine"));
        found = t.findKey(key);
        if (found)
            removeRows(t, QStringLiteral("idxMapLine"), key);
    }
    return found ? saveOrStop(t, SaveLineMapLines, LineMapTableFile(LineMapTable::Lines).fileName) : true;
}

// The numbers that hang on the course: station rows and section placements follow their
// sections to the stored numbers. Each file is written only when something in it changed.
bool renumberStationsAndPlacements(const TLineMapEditorState &s, const TNormalisedCourse &course,
                                   TLineCourseSaveMemo &memo)
{
    const std::vector<TCourseStationRow> stations = stationRowsOfLine(s.CurrentLineID);
    if (!memo.Taken) {
        memo.Stations = stations;
        memo.Placements = sectionPlacementsOfLine(s.CurrentLineID);
        memo.PlacementsSaved = memo.Placements;
        memo.Taken = true;
    }
    std::vector<TCourseStationRow> renumbered = memo.Stations;
    for (TCourseStationRow &r : renumbered)
        r.LineSectionID = MapStationSection(course, r.LineSectionID, r.XPos, r.YPos);
    // The file's row order follows the index active when it was written; only the rows count.
    auto sorted = [](std::vector<TCourseStationRow> rows) {
        std::sort(rows.begin(), rows.end(), [](const TCourseStationRow &a, const TCourseStationRow &b) {
            return std::tie(a.StationID, a.LineSectionID, a.XPos, a.YPos) <
                   std::tie(b.StationID, b.LineSectionID, b.XPos, b.YPos);
        });
        return rows;
    };
    if (sorted(renumbered) != sorted(stations)) {
        replaceStationRows(s.CurrentLineID, renumbered);
        if (!saveOrStop(dm1->cdsLineMapStations, [&] { return SaveLineMapStations(s.LineMapID); },
                        LineMapTableFile(LineMapTable::Stations, s.LineMapID).fileName))
            return false;
    }

    const std::vector<TCoursePlacementRow> placements = sectionPlacementsOfLine(s.CurrentLineID);
    std::vector<TCoursePlacementRow> moved;
    for (const TCoursePlacementRow &r : memo.Placements) {
        for (int id : MapSectionPlacement(course, r.IDValue)) {
            TCoursePlacementRow copy = r;
            copy.IDValue = id;
            moved.push_back(copy);
        }
    }
    std::sort(moved.begin(), moved.end(), placementLess);
    // The placements live in memory between saves, so a write that failed is only known here.
    if (moved == memo.PlacementsSaved)
        return true;
    replaceSectionPlacements(s.CurrentLineID, placements, moved);
    if (!saveOrStop(dm1->cdsLineMapIndividualStationPrefs,
                    [&] { return SaveLineMapIndividualStationPrefs(s.LineMapID); }, LineMapTableFile(LineMapTable::StationNames, s.LineMapID).fileName))
        return false;
    memo.PlacementsSaved = moved;
    return true;
}

// The section rows; with every section deleted in this visit the line's station
// positions and name placements go as well.
bool saveSectionRows(const TLineMapEditorState &s, const TLineSectionArray &sections)
{
    bool flag = true;
    Table &t = dm1->cdsLineMapLineSections;
    changing(t);
    {
        TableGuard keep(t);
        removeRows(t, QStringLiteral("idxMapLine"), {s.LineMapID, s.CurrentLineID});
        for (int i = 0; i < int(sections.size()); ++i) {
            const TLineSection &sec = sections[i];
            t.append();
            setInt(t, "LineMapID", s.LineMapID);
            setInt(t, "LineID", s.CurrentLineID);
            setInt(t, "SectionID", i + 1);
            setInt(t, "GroupID", sec.GroupID);
            setInt(t, "LineDirection", 0);
            setInt(t, "StartX", sec.StartX);
            setInt(t, "StartY", sec.StartY);
            setInt(t, "EndX", sec.EndX);
            setInt(t, "EndY", sec.EndY);
            setInt(t, "Degree", sec.Degree);
            t.post();
        }
    }
    if (s.AllSectionsDeleted) {
        if (LoadLineMapStations(s.LineMapID)) {
            changing(dm1->cdsLineMapStations);
            flag = DeleteLineMapStationsOfLine(s.CurrentLineID);
            if (flag)
                flag = saveOrStop(dm1->cdsLineMapStations, [&] { return SaveLineMapStations(s.LineMapID); },
                                  LineMapTableFile(LineMapTable::Stations, s.LineMapID).fileName);
        }
        if (flag && LoadLineMapIndividualStationPrefs(s.LineMapID)) {
            changing(dm1->cdsLineMapIndividualStationPrefs);
            flag = DeleteIndividualStationPrefsOfLine(s.CurrentLineID);
            if (flag)
                flag = saveOrStop(dm1->cdsLineMapIndividualStationPrefs,
                                  [&] { return SaveLineMapIndividualStationPrefs(s.LineMapID); },
                                  LineMapTableFile(LineMapTable::StationNames, s.LineMapID).fileName);
        }
    }
    return flag && saveOrStop(t, SaveLineMapLineSections, LineMapTableFile(LineMapTable::Sections).fileName);
}

// The junction rows.
bool saveJunctionRows(const TLineMapEditorState &s, const TLineSectionArray &sections)
{
    Table &t = dm1->cdsLineMapLineConnections;
    changing(t);
    {
        TableGuard keep(t);
        removeRows(t, QStringLiteral("idxMapLine"), {s.LineMapID, s.CurrentLineID});
        for (const TLineConnection &c : LineJunctions(sections)) {
            t.append();
            setInt(t, "LineMapID", s.LineMapID);
            setInt(t, "LineID", s.CurrentLineID);
            setInt(t, "XPos", c.XPos);
            setInt(t, "YPos", c.YPos);
            setInt(t, "Section", c.Section);
            setInt(t, "Group", c.Group);
            setBool(t, "Ending", c.Ending);
            t.post();
        }
    }
    return saveOrStop(t, SaveLineMapLineIntersections, LineMapTableFile(LineMapTable::Intersections).fileName);
}

} // namespace

int SectionDirection(const TLineSection &Section)
{
    // The signs of the differences only: compared, not subtracted, as the ends may lie at
    // opposite ends of the range.
    const int dx = (Section.EndX > Section.StartX) - (Section.EndX < Section.StartX);
    const int dy = (Section.EndY > Section.StartY) - (Section.EndY < Section.StartY);
    if (dx == 0)
        return dy < 0 ? 0 : (dy > 0 ? 180 : -1);
    if (dy == 0)
        return dx > 0 ? 90 : 270;
    if (dx > 0)
        return dy < 0 ? 45 : 135;
    return dy > 0 ? 225 : 315;
}

bool CourseHasSections(const TLineSectionArray &Sections)
{
    return std::any_of(Sections.begin(), Sections.end(), [](const TLineSection &s) { return !isEmpty(s); });
}

TNormalisedCourse NormaliseLineCourse(const TLineSectionArray &Drawn)
{
    WorkCourse w;
    for (int i = 0; i < int(Drawn.size()); ++i) {
        if (isEmpty(Drawn[i]))
            continue;
        TLineSection sec = Drawn[i];
        // A take-back past the start of a stroke, or a step cut at a plan edge off the raster,
        // leaves a running direction that the section does not have.
        sec.Degree = SectionDirection(sec);
        w.s.push_back(sec);
        w.origin.push_back(i);
    }

    // Continuity: a new group wherever a section does not start at the end of the one before.
    int g = 1;
    for (int i = 0; i < w.size(); ++i) {
        if (i > 0 && (w.s[i].StartX != w.s[i - 1].EndX || w.s[i].StartY != w.s[i - 1].EndY))
            ++g;
        w.s[i].GroupID = g;
    }

    // Shared start and end points break the chains there.
    for (int i = 0; i < w.size(); ++i) {
        for (int j = i + 1; j < w.size(); ++j) {
            if (sameStart(w.s[i], w.s[j])) {
                if (i > 0 && w.group(i) == w.group(i - 1))
                    w.bump(i);
                if (w.group(j) == w.group(j - 1))
                    w.bump(j);
            }
            if (sameEnd(w.s[i], w.s[j])) {
                if (w.group(i) == w.group(i + 1))
                    w.bump(i + 1);
                if (j + 1 < w.size() && w.group(j) == w.group(j + 1))
                    w.bump(j + 1);
            }
        }
    }

    // A section that another one starts or ends in the middle of is split there.
    for (int i = 0; i < w.size(); ++i) {
        for (int j = 0; j < w.size(); ++j) {
            if (j == i)
                continue;
            const int sx = w.s[j].StartX;
            const int sy = w.s[j].StartY;
            if (PointOnSegment(w.s[i].StartX, w.s[i].StartY, w.s[i].EndX, w.s[i].EndY, sx, sy, false)) {
                w.split(i, sx, sy);
                if (j > i)
                    ++j;
                if (j > 0 && w.group(j) == w.group(j - 1))
                    w.bump(j);
            }
            const int ex = w.s[j].EndX;
            const int ey = w.s[j].EndY;
            if (PointOnSegment(w.s[i].StartX, w.s[i].StartY, w.s[i].EndX, w.s[i].EndY, ex, ey, false)) {
                w.split(i, ex, ey);
                if (j > i)
                    ++j;
                if (j + 1 < w.size() && w.group(j) == w.group(j + 1))
                    w.bump(j + 1);
            }
        }
    }

    TNormalisedCourse result;
    result.Parts.resize(Drawn.size());
    for (int k = 0; k < w.size(); ++k)
        result.Parts[w.origin[k]].push_back(k);
    result.Sections = std::move(w.s);
    return result;
}

int MapStationSection(const TNormalisedCourse &Course, int DrawnSectionID, int X, int Y)
{
    const int drawn = int(Course.Parts.size());
    if (DrawnSectionID < 1 || DrawnSectionID > drawn)
        return DrawnSectionID;
    const int d = DrawnSectionID - 1;
    const std::vector<int> &parts = Course.Parts[d];
    if (parts.empty()) {
        for (int e = d + 1; e < drawn; ++e)
            if (!Course.Parts[e].empty())
                return Course.Parts[e].front() + 1;
        for (int e = d - 1; e >= 0; --e)
            if (!Course.Parts[e].empty())
                return Course.Parts[e].back() + 1;
        return DrawnSectionID;
    }
    for (int p : parts) {
        const TLineSection &s = Course.Sections[p];
        if (PointOnSegment(s.StartX, s.StartY, s.EndX, s.EndY, X, Y, true))
            return p + 1;
    }
    return parts.front() + 1;
}

std::vector<int> MapSectionPlacement(const TNormalisedCourse &Course, int DrawnSectionID)
{
    if (DrawnSectionID < 1 || DrawnSectionID > int(Course.Parts.size()))
        return {DrawnSectionID};
    const int d = DrawnSectionID - 1;
    std::vector<int> ids;
    for (int p : Course.Parts[d])
        ids.push_back(p + 1);
    return ids;
}

TLineConnectionArray LineJunctions(const TLineSectionArray &Sections)
{
    struct End
    {
        int section;
        bool ending;
    };
    const int n = int(Sections.size());
    // Ends already counted at a junction found earlier; index 2 * section + (end point ? 1 : 0).
    std::vector<bool> consumed(2 * std::size_t(n), false);
    auto x = [&](const End &e) { return e.ending ? Sections[e.section].EndX : Sections[e.section].StartX; };
    auto y = [&](const End &e) { return e.ending ? Sections[e.section].EndY : Sections[e.section].StartY; };
    auto row = [&](const End &e, int px, int py) {
        TLineConnection c;
        c.Section = e.section + 1;
        c.Group = Sections[e.section].GroupID;
        c.Ending = e.ending;
        c.XPos = px;
        c.YPos = py;
        return c;
    };

    TLineConnectionArray rows;
    for (int i = 0; i < n; ++i) {
        for (bool ending : {false, true}) {
            const End own{i, ending};
            if (consumed[2 * i + (ending ? 1 : 0)])
                continue;
            const int px = x(own);
            const int py = y(own);
            std::vector<End> candidates;
            if (!ending)
                candidates.push_back({i, true});
            for (int k = i + 1; k < n; ++k) {
                candidates.push_back({k, false});
                candidates.push_back({k, true});
            }
            int count = 1;
            int written = 1;
            End first{-1, false};
            for (const End &c : candidates) {
                const std::size_t ci = 2 * std::size_t(c.section) + (c.ending ? 1 : 0);
                if (consumed[ci] || x(c) != px || y(c) != py)
                    continue;
                ++count;
                consumed[ci] = true;
                if (first.section < 0)
                    first = c;
                if (count > 2 && count > written) {
                    if (count == 3) {
                        rows.push_back(row(own, px, py));
                        rows.push_back(row(first, px, py));
                    }
                    rows.push_back(row(c, px, py));
                    written = count;
                }
            }
        }
    }
    return rows;
}

bool SaveLineCourse(const TLineMapEditorState &State, const TLineCourseSaveChoices &Choices, TLineCourseSaveMemo &Memo,
                    QString *FailedFile)
{
    g_failed.clear();
    if (FailedFile)
        FailedFile->clear();
    const bool hasCourse = CourseHasSections(State.Sections);
    // A file that could not be read is not written over: its table holds none of the courses,
    // stations and names of the other lines. The save writes none of its files then.
    auto file = [&](LineMapTable table) { return LineMapTableFile(table, State.LineMapID); };
    if (RefuseDamagedFiles({file(LineMapTable::Lines), file(LineMapTable::Sections),
                            file(LineMapTable::Intersections), file(LineMapTable::Stations),
                            file(LineMapTable::StationNames)}))
        return false;
    if (!hasCourse && RefuseDamagedFiles({file(LineMapTable::TextVisible), file(LineMapTable::TextColor),
                                          file(LineMapTable::TextOffset)}))
        return false;
    // A line in the default colour stores the colour it is drawn in: read without the line's own
    // colour, that would be the plan's default in its place.
    if (hasCourse && Choices.DefaultColor &&
        RefuseDamagedFiles({{&dm1->cdsLineGraphic, ProjectDir + QStringLiteral("/line_graphic.ptf")}}))
        return false;

    SaveRollback rollback;
    g_rollback = &rollback;
    bool ok = false;
    try {
        // The station positions are read again from disk before anything is renumbered.
        if (saveLineRow(State, Choices, hasCourse) && LoadLineMapStations(State.LineMapID)) {
            const TNormalisedCourse course = NormaliseLineCourse(State.Sections);
            ok = (State.AllSectionsDeleted || !hasCourse || renumberStationsAndPlacements(State, course, Memo)) &&
                 saveSectionRows(State, course.Sections) && saveJunctionRows(State, course.Sections);
        }
    } catch (const TableError &) {
        // A table that refuses a row stops the chain like a failed write.
        ok = false;
    }
    g_rollback = nullptr;
    if (FailedFile)
        *FailedFile = ok ? QString() : g_failed;
    return ok;
}

bool ReadLineMapLineRow(int LineMapID, int LineID, TLineMapLineRow &Row)
{
    Table &t = dm1->cdsLineMapLines;
    try {
        TableGuard keep(t);
        t.setIndexName(QStringLiteral("idxMapLine"));
        if (!t.findKey({LineMapID, LineID}))
            return false;
        auto color = [&](const char *r, const char *g, const char *b) {
            return PlanRgb(intField(t, r), intField(t, g), intField(t, b));
        };
        Row.DefaultColor = t.fieldByName(QStringLiteral("DefaultColor")).asBoolean();
        Row.Color = color("ColorRed", "ColorGreen", "ColorBlue");
        Row.DefaultWidth = t.fieldByName(QStringLiteral("DefaultWidth")).asBoolean();
        Row.DrawWidth = intField(t, "DrawWidth");
        Row.VehicleDefaultColor = t.fieldByName(QStringLiteral("VehicleDefaultColor")).asBoolean();
        Row.VehicleColor = color("VehicleColorRed", "VehicleColorGreen", "VehicleColorBlue");
        return true;
    } catch (const TableError &) {
        return false;
    }
}

void LoadLineCourse(TLineMapEditorState &State)
{
    State.Sections.clear();
    State.Connections.clear();
    const QString filter = QStringLiteral("LineMapID = %1 AND LineID = %2").arg(State.LineMapID).arg(State.CurrentLineID);
    try {
        Table &t = dm1->cdsLineMapLineSections;
        TableGuard keep(t);
        t.setIndexName(QStringLiteral("idxMapLineSection"));
        t.setFilter(filter);
        t.setFiltered(true);
        for (t.first(); !t.eof(); t.next()) {
            TLineSection sec;
            sec.GroupID = intField(t, "GroupID");
            sec.StartX = intField(t, "StartX");
            sec.StartY = intField(t, "StartY");
            sec.EndX = intField(t, "EndX");
            sec.EndY = intField(t, "EndY");
            sec.Degree = intField(t, "Degree");
            State.Sections.push_back(sec);
        }
    } catch (const TableError &) {
    }
    try {
        Table &t = dm1->cdsLineMapLineConnections;
        TableGuard keep(t);
        t.setIndexName(QStringLiteral("idxMapLine"));
        t.setFilter(filter);
        t.setFiltered(true);
        for (t.first(); !t.eof(); t.next()) {
            TLineConnection c;
            c.Section = intField(t, "Section");
            c.Group = intField(t, "Group");
            c.Ending = t.fieldByName(QStringLiteral("Ending")).asBoolean();
            c.XPos = intField(t, "XPos");
            c.YPos = intField(t, "YPos");
            State.Connections.push_back(c);
        }
    } catch (const TableError &) {
    }
}
