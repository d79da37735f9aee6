// Golden images of stations, names, transfer stations and line labels.

#include "linemap/linemap_render_stations.h"

#include "data/db_func.h"
#include "golden_image.h"
#include "support/gui_environment.h"
#include "linemap/draw_geometry.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_render.h"
#include "linemap/plan_style_rules.h"
#include "linemap/station_text_choices.h"
#include "support/project_folder.h"

#include <QPainter>

namespace {

// Pictures with names may move a glyph edge by a pixel, as the renderer's do.
void expectNamesGolden(const QImage &picture, const QString &name)
{
    ExpectGolden(picture, name, 40, 1);
}

TLineMapPrefs goldenPrefs()
{
    TLineMapPrefs p;
    p.BackgroundColor = 0xFFFFFF;
    p.LineRasterWidth = 20;
    p.LineDrawWidth = 6;
    p.StationFont.name = QStringLiteral("DejaVu Sans");
    p.StationFont.size = 8;
    p.MultiStationFont = p.StationFont;
    p.MultiStationFont.bold = true;
    p.MultiStationFont.color = 0x800000; // navy
    return p;
}

// One cell per name choice: a line through the cell's centre in the choice table's direction
// and a named station on it.
QImage nameChoices(int Degree, int Columns, int CellW, int CellH)
{
    TLineMapEditorState s;
    s.Prefs = goldenPrefs();
    const int n = StationTextPositionItems(Degree).size();
    const int rows = (n + Columns - 1) / Columns;
    QImage image = NewPlanPicture(Columns * CellW, rows * CellH);
    QPainter canvas(&image);
    BeginPlanPainter(canvas);
    for (int i = 0; i < n; ++i) {
        const int cx = (i % Columns) * CellW + CellW / 2;
        const int cy = (i / Columns) * CellH + CellH / 2;
        const int dx = AngleDirX(Degree, 0) * CellW / 3;
        const int dy = AngleDirY(Degree, 0) * CellH / 3;
        SetPlanPen(canvas, 0x0000FF, s.Prefs.LineDrawWidth);
        PlanLine(canvas, cx - dx, cy - dy, cx + dx, cy + dy);
        int position = 0, textDirection = 0, rotation = 0;
        StationTextChoiceValues(Degree, i, position, textDirection, rotation);
        TStationTextPrefs &t = s.StationTextPrefs;
        t.X = cx;
        t.Y = cy;
        t.Degree = Degree;
        t.Position = std::uint8_t(position);
        t.TextDirection = std::uint8_t(textDirection);
        t.Rotation = rotation;
        t.StationName = QStringLiteral("Hauptbahnhof");
        DrawStation(canvas, s);
    }
    return image;
}

} // namespace

TEST(StationGolden, SymbolsAtThreeLineWidths)
{
    TLineMapPrefs p = goldenPrefs();
    QImage image = NewPlanPicture(120, 40);
    QPainter canvas(&image);
    BeginPlanPainter(canvas);
    const int widths[] = {3, 6, 9};
    for (int i = 0; i < 3; ++i) {
        p.LineDrawWidth = widths[i];
        SetPlanPen(canvas, 0x0000FF, widths[i]);
        PlanLine(canvas, 10 + i * 40, 20, 30 + i * 40, 20);
        DrawStationSymbol(canvas, p, 20 + i * 40, 20);
    }
    canvas.end();
    ExpectGolden(image, QStringLiteral("stations_symbols"));
}

TEST(StationGolden, NamesOfEveryChoice)
{
    expectNamesGolden(nameChoices(90, 4, 220, 200), QStringLiteral("stations_names_we"));
    expectNamesGolden(nameChoices(0, 3, 220, 160), QStringLiteral("stations_names_ns"));
    expectNamesGolden(nameChoices(135, 2, 200, 140), QStringLiteral("stations_names_nwse"));
    expectNamesGolden(nameChoices(45, 2, 200, 140), QStringLiteral("stations_names_swne"));
}

TEST(StationGolden, ParallelCapsulesOfTheFourClasses)
{
    TLineMapEditorState s;
    s.Prefs = goldenPrefs();
    TStationDrawLookup look;
    look.StationNames.insert(7, QStringLiteral("Markt"));
    QImage image = NewPlanPicture(520, 200);
    QPainter canvas(&image);
    BeginPlanPainter(canvas);
    struct Row
    {
        int degree, x1, y1, x2, y2;
    };
    // Two parallel lines per class and the placements standing across them.
    const Row rows[] = {{180, 40, 100, 80, 100}, {90, 170, 80, 170, 120}, {315, 260, 120, 300, 80},
                        {45, 400, 80, 440, 120}};
    for (const Row &r : rows) {
        SetPlanPen(canvas, 0x0000FF, s.Prefs.LineDrawWidth);
        const int dx = AngleDirX(r.degree, 0) * 50;
        const int dy = AngleDirY(r.degree, 0) * 50;
        PlanLine(canvas, r.x1 - dx, r.y1 - dy, r.x1 + dx, r.y1 + dy);
        PlanLine(canvas, r.x2 - dx, r.y2 - dy, r.x2 + dx, r.y2 + dy);
        DrawParallelMultiStation(canvas, s, look, std::min(r.x1, r.x2), std::max(r.x1, r.x2), std::min(r.y1, r.y2),
                                 std::max(r.y1, r.y2), r.degree, 1, 1, 7, QStringLiteral("Markt"));
    }
    canvas.end();
    expectNamesGolden(image, QStringLiteral("stations_parallel"));
}

TEST(StationGolden, TransferBoxesAtTwelvePositionsWithTheirRotations)
{
    TLineMapEditorState s;
    s.Prefs = goldenPrefs();
    TStationDrawLookup look;
    struct Cell
    {
        int position, align, rotation;
    };
    QList<Cell> cells;
    for (int position = 0; position < 12; ++position) {
        const int forced = MultiStationForcedAlign(position);
        for (int align : forced >= 0 ? QList<int>{forced} : QList<int>{0, 1, 2})
            for (int item = 0; item < MultiStationDirectionItems(position, align).size(); ++item)
                cells << Cell{position, align, MultiStationRotationOf(position, align, item)};
    }
    const int columns = 6;
    const int cellW = 260, cellH = 200;
    QImage image = NewPlanPicture(columns * cellW, int((cells.size() + columns - 1) / columns) * cellH);
    QPainter canvas(&image);
    BeginPlanPainter(canvas);
    for (int i = 0; i < cells.size(); ++i) {
        const int x = (i % columns) * cellW + cellW / 2 - 20;
        const int y = (i / columns) * cellH + cellH / 2;
        TStationDirectionPrefs setting;
        setting.Position = std::uint8_t(cells[i].position);
        setting.TextDirection = std::uint8_t(cells[i].align);
        setting.Rotation = cells[i].rotation;
        look.MultiOverrides.insert(i + 1, setting);
        DrawGeneralMultiStation(canvas, s, look, x, x + 40, y, y + 20, 1, 1, i + 1, QStringLiteral("Umstieg"));
    }
    canvas.end();
    expectNamesGolden(image, QStringLiteral("stations_transfer_boxes"));
}

TEST(StationGolden, CircleForPlacementsOnOnePoint)
{
    TLineMapEditorState s;
    s.Prefs = goldenPrefs();
    s.Prefs.MultiStationRoundSelfPos = true;
    s.Prefs.MultiStationPosition = 1;
    TStationDrawLookup look;
    QImage image = NewPlanPicture(160, 80);
    QPainter canvas(&image);
    BeginPlanPainter(canvas);
    SetPlanPen(canvas, 0x0000FF, 6);
    PlanLine(canvas, 20, 40, 140, 40);
    PlanLine(canvas, 40, 10, 40, 70);
    DrawGeneralMultiStation(canvas, s, look, 40, 40, 40, 40, 1, 1, 1, QStringLiteral("Kreuz"));
    canvas.end();
    expectNamesGolden(image, QStringLiteral("stations_one_point"));
}

namespace {

class LabelGolden : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        CreateEmptyLines();
        CreateEmptyLineGraphic();
        CreateEmptyLineMapLines();
        CreateEmptyLineMapLineSections();
        CreateEmptyLineMapStations();
        CreateEmptyLineMapLineTextVisible();
        CreateEmptyLineMapLineTextColor();
        CreateEmptyLineMapLineTextOffset();
        s.LineMapID = 1;
        s.Prefs = goldenPrefs();
        s.Prefs.Width = s.PreviewWidth = 720;
        s.Prefs.Height = s.PreviewHeight = 360;
        s.Prefs.LineTextPosStart = true;
        s.Prefs.LineTextPosEnd = true;
        s.Prefs.LineTextDistance = 8;
        s.Prefs.LineTextFont.size = 8;
        s.Prefs.LineTextDefaultColor = false;
        s.Prefs.LineTextColor = 0xFFFFFF;
        s.Prefs.LineTextDefaultBackgroundColor = true;
        s.Prefs.LineColor = 0x008000;
        // Eight lines, one per direction, each one section in its cell.
        for (int i = 0; i < 8; ++i) {
            const int degree = i * 45;
            const int cx = (i % 4) * 180 + 90;
            const int cy = (i / 4) * 180 + 90;
            const int dx = AngleDirX(degree, 0) * 30;
            const int dy = AngleDirY(degree, 0) * 30;
            appendRows(dm1->cdsLines, {"ID", "Line"}, {{i + 1, QStringLiteral("L%1").arg(degree)}});
            appendRows(dm1->cdsLineMapLines, {"LineMapID", "LineID", "DefaultColor", "DefaultWidth"},
                       {{1, i + 1, true, true}});
            appendRows(dm1->cdsLineMapLineSections,
                       {"LineMapID", "LineID", "SectionID", "GroupID", "StartX", "StartY", "EndX", "EndY", "Degree"},
                       {{1, i + 1, 1, 1, cx - dx, cy - dy, cx + dx, cy + dy, degree}});
        }
    }
    TLineMapEditorState s;
};

} // namespace

TEST_F(LabelGolden, BothEndsInEightDirectionsWithAndWithoutOffsets)
{
    Redraw(s);
    expectNamesGolden(s.Picture, QStringLiteral("labels_eight_directions"));
    for (int line = 1; line <= 8; ++line) {
        AddLineTextOffset(1, line, 1, 1, 6, -4);
        AddLineTextOffset(1, line, 2, 1, -5, 7);
    }
    Redraw(s);
    expectNamesGolden(s.Picture, QStringLiteral("labels_eight_directions_offsets"));
}
