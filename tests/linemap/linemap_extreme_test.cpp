// Plans whose files hold values at the ends of the 32-bit range: the renderer, the cursor and
// the course and station routines must neither overflow (the sanitizer build checks that) nor
// draw or store nonsense.

#include "extreme_plan.h"
#include "support/gui_environment.h"
#include "linemap/draw_geometry.h"
#include "linemap/line_course.h"
#include "linemap/line_course_save.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_open.h"
#include "linemap/linemap_render.h"
#include "linemap/linemap_render_labels.h"
#include "linemap/linemap_render_stations.h"
#include "linemap/plan_style_rules.h"
#include "linemap/station_placement.h"
#include "linemap/style_preview.h"
#include "plan_pixels.h"

#include <QPainter>

using namespace extreme;

namespace {

constexpr int kAngles[] = {0, 45, 90, 135, 180, 225, 270, 315};

class ExtremePlan : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        writeFiles();
        if (HasFatalFailure())
            return;
        loadFiles();
        if (HasFatalFailure())
            return;
        CreateEmptyLineStations();
        appendRows(dm1->cdsLineStations, {"LineID", "LineStationNumber", "StationID"},
                   {{1, 1, 1}, {1, 2, 2}, {1, 3, 6}, {3, 1, 5}, {3, 2, 6}});
        LineMapFormShow(s, QStringLiteral("Extreme"));
    }

    // Every direction, each with the largest step, from where the cursor stands.
    void stepEverywhere(void (*step)(TLineMapEditorState &, int))
    {
        s.StepSize = 100;
        for (int angle : kAngles)
            for (int i = 0; i < 3; ++i)
                step(s, angle);
    }

    TLineMapEditorState s;
};

} // namespace

TEST_F(ExtremePlan, ValuesSurviveTheFilesAndThePlanOpens)
{
    ASSERT_EQ(s.LineMapID, kPlanID);
    const TLineMapPrefs stored = prefs();
    EXPECT_EQ(s.Prefs.LineDrawWidth, stored.LineDrawWidth);
    EXPECT_EQ(s.Prefs.LineTextDistance, stored.LineTextDistance);
    EXPECT_EQ(s.Prefs.WE, stored.WE);
    EXPECT_EQ(s.Prefs.NS, stored.NS);
    EXPECT_EQ(s.Prefs.MultiStationOffsetX, stored.MultiStationOffsetX);
    EXPECT_EQ(s.Prefs.MultiStationRotation, stored.MultiStationRotation);
    ASSERT_EQ(s.Picture.size(), QSize(400, 300));
    dm1->cdsLineMapLineSections.setIndexName("idxMapLineSection");
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineSections, {"LineID", "StartX", "EndX"}),
              "1,-2147483648,2147483647 | 1,2147483647,2147483647 | 2,-2147483247,2147483647 | "
              "3,-2147483647,2147483647");
}

TEST_F(ExtremePlan, LinesAcrossTheWholeRangeAreDrawnWhereTheyCrossThePicture)
{
    // Thin lines: the plan's own width of 1 for the edited line's course.
    s.ShowLines = false;
    s.ShowStations = false;
    s.ShowMultiStations = false;
    s.CurrentLineID = 2;
    LoadLineCourse(s);
    ASSERT_EQ(s.Sections.size(), 1u);
    s.LineColor = 0x00FF00;
    s.LineWidth = 1;
    Redraw(s);
    // The 45-degree line through (200, 150): exactly its diagonal, and nothing beside it.
    for (int d = -149; d <= 150; ++d) {
        EXPECT_EQ(px(s.Picture, 200 + d, 150 - d), 0x00FF00u) << d;
        if (200 + d + 1 < 400) {
            EXPECT_EQ(px(s.Picture, 200 + d + 1, 150 - d), 0xFFFFFFu) << d;
        }
    }
    EXPECT_EQ(countColor(s.Picture, qRgb(0, 255, 0)), 300);

    // L3 is one pixel wide (a width below 1), L1 and L2 wider than any picture: each covers it.
    s.ShowLines = true;
    s.CurrentLineID = -1;
    s.Sections.clear();
    s.Prefs.LineTextPosStart = s.Prefs.LineTextPosEnd = false;
    CreateEmptyLineMapLineTextVisible();
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 10, 280), 0x0000FFu); // L3, blue, over L2
    EXPECT_EQ(px(s.Picture, 10, 279), 0x008000u); // L2 covers all
    EXPECT_EQ(countColor(s.Picture, qRgb(0, 0, 255)), 400);
}

TEST_F(ExtremePlan, EveryDrawingStepRunsInEveryMode)
{
    s.ShowRaster = true;
    for (bool multi : {true, false}) {
        s.ShowMultiStations = multi;
        Redraw(s);
    }
    EXPECT_FALSE(s.Picture.isNull());

    // Line mode on L1: every section selected, the station cursor moved along it, the free
    // cursor moved, and drawing from points at the ends of the range.
    s.CurrentLineID = 1;
    s.LineMode = true;
    LoadLineCourse(s);
    ASSERT_EQ(s.Sections.size(), 2u);
    ASSERT_EQ(s.Connections.size(), 3u);
    Redraw(s);
    for (int i = 0; i < int(s.Sections.size()); ++i) {
        SelectSection(s, i);
        stepEverywhere(MoveAlongLine);
    }
    for (QPoint p : {QPoint(kMax, kMax), QPoint(kMin, kMin), QPoint(kMax, kMin), QPoint(200, 150)}) {
        s.CursorX = p.x();
        s.CursorY = p.y();
        stepEverywhere(MoveCursor);
        EXPECT_TRUE(s.CursorX >= 0 && s.CursorX <= 400 && s.CursorY >= 0 && s.CursorY <= 300);
        s.CursorX = p.x();
        s.CursorY = p.y();
        s.DrawingOn = true;
        s.Degree = -1;
        ++s.CurrentGroupID;
        stepEverywhere(DrawInDirection);
        AppendSection(s);
        s.DrawingOn = false;
    }
    for (TLineSection &sec : s.Sections)
        sec.Degree = SectionDirection(sec);
    Redraw(s);
    int x = 0, y = 0;
    SnapClickToRaster(s, kMax, kMin, x, y);
    EXPECT_EQ(QPoint(x, y), QPoint(400, 0));
    for (const QString &item : SectionListItems(s.Sections))
        EXPECT_FALSE(item.isEmpty());

    // Station mode on L1: its stops built from the stored places, spread, drawn and moved.
    s.LineMode = false;
    s.StationMode = true;
    LoadLineCourse(s);
    const int total = ComputeSectionLengths(s.Sections);
    EXPECT_EQ(total, kMax);
    s.Stations = BuildLineStops(1, s.Sections);
    ASSERT_EQ(s.Stations.size(), 3u);
    EXPECT_TRUE(s.Stations[0].On); // A at the right end of the first section
    EXPECT_TRUE(s.Stations[1].On); // B at its left end
    for (TLineStation &stop : s.Stations)
        stop.On = false;
    DistributeStops(s.Sections, total, s.Stations, RasterWidth(s.Prefs), false);
    DistributeStops(s.Sections, total, s.Stations, RasterWidth(s.Prefs), true);
    Redraw(s);
    s.CurrentStationIndex = 0;
    SelectSection(s, 0);
    StationCursorOn(s);
    stepEverywhere(StepInDirection);
    StationCursorOff(s);
    Redraw(s);
}

TEST_F(ExtremePlan, RasterAndPlanSizeAtTheLimits)
{
    s.Prefs.LineRasterWidth = kMax;
    s.LineMode = true;
    s.CurrentLineID = 1;
    LoadLineCourse(s);
    for (QPoint p : {QPoint(kMax, kMax), QPoint(kMin, kMin), QPoint(0, 0)}) {
        s.CursorX = p.x();
        s.CursorY = p.y();
        stepEverywhere(MoveCursor);
        s.DrawingOn = true;
        s.Degree = -1;
        stepEverywhere(DrawInDirection);
        s.DrawingOn = false;
    }
    for (int i = 0; i < int(s.Sections.size()); ++i) {
        SelectSection(s, i);
        stepEverywhere(MoveAlongLine);
    }
    s.ShowRaster = true;
    Redraw(s);

    // A plan as wide and high as the range holds no picture; the cursor still stays on it.
    s.Prefs.Width = s.Prefs.Height = kMax;
    s.PreviewWidth = s.PreviewHeight = kMax;
    s.Prefs.LineRasterWidth = 20;
    Redraw(s);
    EXPECT_TRUE(s.Picture.isNull());
    s.CursorX = kMax - 5;
    s.CursorY = 5;
    stepEverywhere(MoveCursor);
    s.DrawingOn = true;
    s.Degree = -1;
    stepEverywhere(DrawInDirection);
    EXPECT_TRUE(s.CursorX >= 0 && s.CursorY >= 0);
}

TEST_F(ExtremePlan, SectionsAcrossTheRangeKeepTheirDirection)
{
    // From the far left to the far right is a step right (90), though the difference of the
    // two x values does not fit 32 bits; the same for the other directions.
    auto direction = [](int sx, int sy, int ex, int ey) {
        TLineSection sec;
        sec.StartX = sx;
        sec.StartY = sy;
        sec.EndX = ex;
        sec.EndY = ey;
        return SectionDirection(sec);
    };
    EXPECT_EQ(direction(kMin + 1, 280, kMax, 280), 90);
    EXPECT_EQ(direction(kMax, 280, kMin, 280), 270);
    EXPECT_EQ(direction(0, kMax, 0, kMin), 0);
    EXPECT_EQ(direction(0, kMin, 0, kMax), 180);
    EXPECT_EQ(direction(kMin, kMax, kMax, kMin), 45);
    EXPECT_EQ(direction(kMin, kMin, kMax, kMax), 135);
    EXPECT_EQ(direction(kMax, kMin, kMin, kMax), 225);
    EXPECT_EQ(direction(kMax, kMax, kMin, kMin), 315);

    // L3's course saved again is stored running right.
    s.CurrentLineID = 3;
    s.LineMode = true;
    LoadLineCourse(s);
    ASSERT_EQ(s.Sections.size(), 1u);
    TLineCourseSaveChoices choices;
    TLineCourseSaveMemo memo;
    ASSERT_TRUE(SaveLineCourse(s, choices, memo));
    dm1->cdsLineMapLineSections.setIndexName("idxMapLineSection");
    EXPECT_EQ(dumpRows(dm1->cdsLineMapLineSections, {"LineID", "StartX", "EndX", "Degree"}),
              "1,-2147483648,2147483647,90 | 1,2147483647,2147483647,0 | 2,-2147483247,2147483647,45 | "
              "3,-2147483647,2147483647,90");
}

TEST_F(ExtremePlan, OriginsAreHeldInTheRangeAndShapesReachThePictureOnlyWhereTheyCoverIt)
{
    // Placements and offsets whose sums leave the range give origins held at its ends.
    TStationTextPrefs t;
    t.X = kMax;
    t.Y = kMin;
    t.OffsetX = kMax;
    t.OffsetY = kMin;
    for (int degree : kAngles)
        for (int position : {0, 1})
            for (int align : {0, 1, 2})
                for (int rotation : {0, 45, -45, 90, -90}) {
                    t.Degree = degree;
                    t.Position = std::uint8_t(position);
                    t.TextDirection = std::uint8_t(align);
                    t.Rotation = rotation;
                    QPoint p;
                    ASSERT_TRUE(StationTextOrigin(t, kMax, 60, 14, p));
                    EXPECT_EQ(p, QPoint(kMax, kMin)) << degree << " " << position << " " << align << " " << rotation;
                }
    EXPECT_EQ(LineTextCorner(false, 90, QPoint(kMin, kMax), kMax, kMax, kMax), QPoint(kMin, kMax - kMax / 2));
    EXPECT_EQ(LineTextCorner(true, 315, QPoint(kMin, kMin), kMax, kMax, kMax), QPoint(kMin, kMin));
    // A box over the whole range: its centre is computed without overflowing.
    EXPECT_EQ(MultiStationTextOrigin(0, 0, 0, kMax, kMax, kMin, kMin, kMax, kMax, 60, 14), QPoint(kMax, -1));
    EXPECT_EQ(MultiStationTextOrigin(3, 0, 0, kMax, kMax, kMin, kMin, kMax, kMax, 60, 14), QPoint(-62, -1));
    EXPECT_EQ(MultiStationTextOrigin(10, 1, 0, kMax, kMax, kMin, kMin, kMax, kMax, 60, 14), QPoint(kMax - 31, kMax));
    for (int position = 0; position < 12; ++position)
        for (int align : {0, 1, 2})
            for (int rotation : {0, 45, -45, 90, -90})
                MultiStationTextOrigin(position, align, rotation, kMin, kMin, kMin, kMin, kMax, kMax, kMax, kMax);

    // Drawn on a small picture, none of them reaches it: only the background remains.
    QImage picture = NewPlanPicture(50, 50);
    QPainter canvas(&picture);
    BeginPlanPainter(canvas);
    for (QPoint at : {QPoint(kMax, kMax), QPoint(kMin, kMin), QPoint(kMin, kMax)})
        DrawStationSymbol(canvas, s.Prefs, at.x(), at.y());
    TextOutAngle(canvas, kMax, kMin, kMin, QStringLiteral("far"));
    TextOutAngle(canvas, kMin, kMax, 45, QStringLiteral("far"));
    canvas.end();
    EXPECT_EQ(countColor(picture, qRgb(255, 255, 255)), 50 * 50);

    // A symbol of the widest line on the picture: a white circle far larger than the picture,
    // whose outline lies far outside it, so the whole picture turns white.
    picture.fill(Qt::black);
    QPainter again(&picture);
    BeginPlanPainter(again);
    DrawStationSymbol(again, s.Prefs, 25, 25);
    again.end();
    EXPECT_EQ(countColor(picture, qRgb(255, 255, 255)), 50 * 50);
}

TEST_F(ExtremePlan, StylePreviewOfExtremeSettings)
{
    QImage picture = NewPlanPicture(kPreviewSize, kPreviewSize);
    TLineMapPrefs p = prefs();
    for (int cls = 0; cls < 4; ++cls) {
        QPainter canvas(&picture);
        PaintPreview(canvas, p, cls);
    }
    p.LineRasterWidth = kMax;
    p.LineDrawWidth = kMin;
    for (int cls = 0; cls < 4; ++cls) {
        QPainter canvas(&picture);
        PaintPreview(canvas, p, cls);
    }
    EXPECT_FALSE(PreviewRasterPositions(kPreviewSize, kMax).isEmpty());
}

TEST(ExtremeSettings, SideAndSignRulesHoldTheLowestOffset)
{
    // The settings editor shows some offsets negated and flips them with the side: the lowest
    // int has no positive counterpart and is held at the highest.
    TLineMapPrefs p = prefs(); // NS: right (1), offsets kMin / kMax, rotation -45
    EXPECT_EQ(StationClassView(p, dcNS).ShownH, kMin);
    StationPositionRule(p, dcNS, 0);
    EXPECT_EQ(p.NS.OffsetX, kMax);
    EXPECT_EQ(p.NS.Rotation, 45);
    EXPECT_EQ(StationClassView(p, dcNS).ShownH, -kMax);
    StationOffsetRule(p, dcNS, true, kMin);
    EXPECT_EQ(p.NS.OffsetX, kMax);
    StationOffsetTextRule(p, dcNS, true, QStringLiteral("-2147483648"));
    EXPECT_EQ(p.NS.OffsetX, kMax);

    // WE: above (0), offsets kMax / kMin; a stored rotation of kMin.
    p.WE.Rotation = kMin;
    EXPECT_EQ(StationClassView(p, dcWE).ShownV, kMax);
    StationPositionRule(p, dcWE, 1);
    EXPECT_EQ(p.WE.OffsetY, kMax);
    EXPECT_EQ(p.WE.Rotation, kMax);
    p.NS.Rotation = kMin;
    StationPositionRule(p, dcNS, 1);
    EXPECT_EQ(p.NS.Rotation, kMax);
    for (int cls = 0; cls < 4; ++cls)
        for (int item = 0; item < 3; ++item) {
            StationAlignRule(p, cls, item);
            StationDirectionRule(p, cls, item);
            StationClassView(p, cls);
        }
}
