#include "linemap/linemap_render.h"

#include <unordered_map>
#include <utility>
#include <vector>

#include "data/data_module_1.h"
#include "linemap/plan_tables.h"
#include "platform/table.h"

namespace {

struct SectionLine
{
    int x1, y1, x2, y2;
};

} // namespace

std::uint32_t GetLineColor(const TLineMapPrefs &Prefs, int LineID)
{
    if (!Prefs.LineDefaultColor)
        return std::uint32_t(Prefs.LineColor);
    try {
        Table &g = dm1->cdsLineGraphic;
        {
            TableGuard keep(g);
            g.setIndexName(QStringLiteral("idxLineID"));
            if (g.findKey({LineID}))
                return PlanRgb(g.fieldByName(QStringLiteral("ColorRed")).asInteger(),
                           g.fieldByName(QStringLiteral("ColorGreen")).asInteger(),
                           g.fieldByName(QStringLiteral("ColorBlue")).asInteger());
        }
        Table &p = dm1->cdsPrefs;
        TableGuard keep(p);
        p.first();
        if (!p.eof()) {
            return PlanRgb(p.fieldByName(QStringLiteral("LineColorRed")).asInteger(),
                       p.fieldByName(QStringLiteral("LineColorGreen")).asInteger(),
                       p.fieldByName(QStringLiteral("LineColorBlue")).asInteger());
        }
    } catch (const TableError &) {
    }
    return 0;
}

void DrawBackground(QPainter &Canvas, const TLineMapEditorState &State)
{
    SetPlanBrush(Canvas, std::uint32_t(State.Prefs.BackgroundColor));
    SetPlanPen(Canvas, std::uint32_t(State.Prefs.BackgroundColor), 1);
    PlanRectangle(Canvas, 0, 0, State.Prefs.Width, State.Prefs.Height);
}

void DrawRaster(QPainter &Canvas, const TLineMapEditorState &State)
{
    const int R = RasterWidth(State.Prefs);
    const int W = State.PreviewWidth;
    const int H = State.PreviewHeight;
    SetPlanPen(Canvas, 0xC0C0C0, 1);
    for (int i = 0; i <= W / R; ++i)
        PlanLine(Canvas, i * R, 0, i * R, H);
    for (int j = 0; j <= H / R; ++j)
        PlanLine(Canvas, 0, j * R, W, j * R);
}

void DrawOtherLines(QPainter &Canvas, const TLineMapEditorState &State)
{
    Table &lines = dm1->cdsLineMapLines;
    Table &sections = dm1->cdsLineMapLineSections;
    const QString mapFilter = QStringLiteral("LineMapID = %1").arg(State.LineMapID);
    try {
        // One pass over the plan's sections, grouped by line in SectionID order; the lines are
        // then drawn in the order of their plan rows, as walking each line's filter would.
        std::unordered_map<int, std::vector<SectionLine>> byLine;
        {
            TableGuard keep(sections);
            sections.setIndexName(QStringLiteral("idxMapLineSection"));
            sections.setFilter(mapFilter);
            sections.setFiltered(true);
            const int cLine = sections.findFieldIndex(QStringLiteral("LineID"));
            const int cSX = sections.findFieldIndex(QStringLiteral("StartX"));
            const int cSY = sections.findFieldIndex(QStringLiteral("StartY"));
            const int cEX = sections.findFieldIndex(QStringLiteral("EndX"));
            const int cEY = sections.findFieldIndex(QStringLiteral("EndY"));
            for (sections.first(); !sections.eof(); sections.next())
                byLine[sections.field(cLine).asInteger()].push_back(
                    {sections.field(cSX).asInteger(), sections.field(cSY).asInteger(),
                     sections.field(cEX).asInteger(), sections.field(cEY).asInteger()});
        }

        TableGuard keep(lines);
        lines.setIndexName(QStringLiteral("idxMapLine"));
        lines.setFilter(mapFilter);
        lines.setFiltered(true);
        for (lines.first(); !lines.eof(); lines.next()) {
            const int lineID = lines.fieldByName(QStringLiteral("LineID")).asInteger();
            if (lineID == State.CurrentLineID)
                continue;
            const auto found = byLine.find(lineID);
            if (found == byLine.end())
                continue;
            std::uint32_t color;
            if (lines.fieldByName(QStringLiteral("DefaultColor")).asBoolean())
                color = GetLineColor(State.Prefs, lineID);
            else
                color = PlanRgb(lines.fieldByName(QStringLiteral("ColorRed")).asInteger(),
                            lines.fieldByName(QStringLiteral("ColorGreen")).asInteger(),
                            lines.fieldByName(QStringLiteral("ColorBlue")).asInteger());
            const int width = lines.fieldByName(QStringLiteral("DefaultWidth")).asBoolean()
                                  ? State.Prefs.LineDrawWidth
                                  : lines.fieldByName(QStringLiteral("DrawWidth")).asInteger();
            SetPlanPen(Canvas, color, width);
            for (const SectionLine &s : found->second)
                PlanLine(Canvas, s.x1, s.y1, s.x2, s.y2);
        }
    } catch (const TableError &) {
        // A table that cannot be walked draws nothing rather than stopping the redraw.
    }
}

void DrawCurrentLineSections(QPainter &Canvas, const TLineMapEditorState &State)
{
    SetPlanPen(Canvas, State.LineColor, State.LineWidth);
    for (const TLineSection &s : State.Sections)
        PlanLine(Canvas, s.StartX, s.StartY, s.EndX, s.EndY);
}

void DrawLineConnections(QPainter &Canvas, const TLineMapEditorState &State)
{
    if (!State.LineMode && !State.StationMode)
        return;
    int lastX = -1;
    int lastY = -1;
    const int h = State.Prefs.LineDrawWidth / 2;
    SetPlanPen(Canvas, 0, 1);
    SetPlanBrush(Canvas, 0x0000FF);
    for (const TLineConnection &c : State.Connections) {
        if (c.XPos == lastX && c.YPos == lastY)
            continue;
        lastX = c.XPos;
        lastY = c.YPos;
        const PlanInt x = c.XPos;
        const PlanInt y = c.YPos;
        PlanRectangle(Canvas, x - h - 2, y - h - 2, x + h + 2, y + h + 2);
    }
}

void Redraw(TLineMapEditorState &State)
{
    QImage picture;
    const bool withImage = State.ShowImage && State.Prefs.BackgroundImageOn && !State.BackgroundPicture.isNull();
    if (withImage) {
        // The background bitmap governs the picture's size, smaller or larger than the plan.
        picture = State.BackgroundPicture.convertToFormat(QImage::Format_RGB32);
        SetPlanResolution(picture);
    } else {
        // The background covers the whole picture when the plan is at least the picture's size;
        // the last picture's memory is then painted over instead of allocated afresh.
        const bool covered = State.Prefs.Width >= State.PreviewWidth && State.Prefs.Height >= State.PreviewHeight;
        if (covered && State.Picture.size() == QSize(State.PreviewWidth, State.PreviewHeight) &&
            State.Picture.format() == QImage::Format_RGB32) {
            picture = std::move(State.Picture);
            SetPlanResolution(picture);
        } else {
            picture = NewPlanPicture(State.PreviewWidth, State.PreviewHeight, !covered);
        }
    }
    State.Picture = std::move(picture);
    if (State.Picture.isNull())
        return; // no plan opened, or a size no memory holds: nothing to draw on

    QPainter canvas(&State.Picture);
    BeginPlanPainter(canvas);
    if (!withImage)
        DrawBackground(canvas, State);
    if (State.ShowRaster)
        DrawRaster(canvas, State);
    if (State.ShowLines) {
        DrawOtherLines(canvas, State);
        DrawLineTexts(canvas, State);
    }
    DrawCurrentLineSections(canvas, State);
    if (State.CurrentLineID > 0)
        DrawCurrentLineText(canvas, State);
    if (State.ShowStations || State.ShowMultiStations) {
        DrawStations(canvas, State);
        if (State.StationMode)
            DrawCurrentLineStations(canvas, State);
    }
    DrawLineConnections(canvas, State);
}
