#include "linemap/line_course.h"

#include "linemap/linemap_canvas.h"
#include "linemap/linemap_render.h"
#include "course_sections.h"
#include "support/project_folder.h"

namespace {

// A plan of the given size with raster R; drawing in line mode of group 1.
class LineCourse : public ProjectFolder
{
protected:
    void plan(int width, int height, int raster)
    {
        s.Prefs.Width = width;
        s.Prefs.Height = height;
        s.Prefs.LineRasterWidth = raster;
        s.Prefs.LineDrawWidth = 3;
        s.Prefs.BackgroundColor = 0xFFFFFF;
        s.LineColor = 0x0000FF;
        s.PreviewWidth = width;
        s.PreviewHeight = height;
        s.Picture = NewPlanPicture(width, height);
        s.LineMode = true;
        s.StepSize = 1;
    }
    void startDrawing(int x, int y)
    {
        s.CursorX = s.SectionStartX = x;
        s.CursorY = s.SectionStartY = y;
        s.Degree = -1;
        s.CurrentGroupID = s.Sections.empty() ? 1 : s.Sections.back().GroupID + 1;
        s.DrawingOn = true;
    }
    void press(std::initializer_list<int> angles)
    {
        for (int a : angles)
            StepInDirection(s, a);
    }
    // Cursor, running section and the section list.
    QString dump() const
    {
        QString text = head();
        for (const QString &item : SectionListItems(s.Sections))
            text += QStringLiteral(" | [") + item + QLatin1Char(']');
        return text;
    }
    QString head() const
    {
        return QStringLiteral("cursor %1/%2 start %3/%4 deg %5")
                           .arg(s.CursorX)
                           .arg(s.CursorY)
                           .arg(s.SectionStartX)
                           .arg(s.SectionStartY)
                           .arg(s.Degree);
    }
    static TLineSection section(int group, int sx, int sy, int ex, int ey, int degree)
    {
        return sec(sx, sy, ex, ey, degree, group);
    }

    TLineMapEditorState s;
};

TEST_F(LineCourse, StepsAreClippedAtThePlanEdge)
{
    plan(400, 300, 20);
    int dx = 0, dy = 0;
    s.CursorX = 0;
    s.CursorY = 0;
    DirectionStep(s, 315, dx, dy);
    ClipStep(s, dx, dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);

    startDrawing(0, 0);
    press({315});
    EXPECT_EQ(dump(), "cursor 0/0 start 0/0 deg 315");

    // The top edge cuts the diagonal step and it keeps its 45 degrees.
    s.CursorX = 30;
    s.CursorY = 10;
    DirectionStep(s, 315, dx, dy);
    ClipStep(s, dx, dy);
    EXPECT_EQ(QString("%1 %2").arg(dx).arg(dy), "-10 -10");
    s.CursorX = 10;
    s.CursorY = 30;
    DirectionStep(s, 45, dx, dy);
    ClipStep(s, dx, dy);
    EXPECT_EQ(QString("%1 %2").arg(dx).arg(dy), "20 -20");

    // A plan whose width is no raster multiple ends at its last raster point when drawing.
    plan(510, 300, 20);
    s.CursorX = 500;
    s.CursorY = 100;
    DirectionStep(s, 90, dx, dy);
    ClipStep(s, dx, dy);
    EXPECT_EQ(dx, 0);
    DirectionStep(s, 135, dx, dy);
    ClipStep(s, dx, dy);
    EXPECT_EQ(QString("%1 %2").arg(dx).arg(dy), "0 0");

    // Moving the cursor freely stops at the plan's own edge.
    s.DrawingOn = false;
    s.StepSize = 5;
    press({90});
    EXPECT_EQ(s.CursorX, 510);
    press({180, 180, 180});
    EXPECT_EQ(s.CursorY, 300);
    press({0, 0, 0, 0, 270});
    EXPECT_EQ(QString("%1/%2").arg(s.CursorX).arg(s.CursorY), "410/0");
}

TEST_F(LineCourse, DrawingAndTakingBackFromTheLeftEdge)
{
    plan(400, 300, 20);
    startDrawing(0, 100);
    press({90, 90, 90});
    EXPECT_EQ(dump(), "cursor 60/100 start 0/100 deg 90");
    press({180, 180});
    EXPECT_EQ(dump(), "cursor 60/140 start 60/100 deg 180 | [1 | 0/100 => 60/100 (90°)]");
    press({0});
    EXPECT_EQ(dump(), "cursor 60/120 start 60/100 deg 180 | [1 | 0/100 => 60/100 (90°)]");
    // Landing on the bend takes the right run back into the running section.
    press({0});
    EXPECT_EQ(dump(), "cursor 60/100 start 0/100 deg 90");
    // A turn with a running section appends it again.
    press({0});
    EXPECT_EQ(dump(), "cursor 60/80 start 60/100 deg 0 | [1 | 0/100 => 60/100 (90°)]");
    // The picture holds the running section in the line colour over the white plan.
    EXPECT_EQ(s.Picture.pixel(30, 100) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(LineCourse, TurnsAndReversesOnAnEmptyRunningSection)
{
    plan(400, 300, 20);
    // Nothing drawn yet in the group: the reverse moves the cursor back, the direction stays.
    startDrawing(100, 100);
    press({90, 270, 270});
    EXPECT_EQ(dump(), "cursor 80/100 start 100/100 deg 90");

    // Turning back onto the last section of the group: the turn continues that section.
    s.Sections.clear();
    startDrawing(100, 100);
    press({90, 90, 180, 0});
    EXPECT_EQ(dump(), "cursor 140/100 start 100/100 deg 90");
    // Running section empty after the take-back, then the section's own direction goes on.
    s.Sections = {section(1, 100, 100, 140, 100, 90)};
    s.CursorX = s.SectionStartX = 140;
    s.CursorY = s.SectionStartY = 100;
    s.Degree = 180;
    press({90});
    EXPECT_EQ(dump(), "cursor 160/100 start 100/100 deg 90");
    // ... and its opposite moves back along it with its own direction, past its start.
    s.Sections = {section(1, 100, 100, 140, 100, 90)};
    s.CursorX = s.SectionStartX = 140;
    s.CursorY = s.SectionStartY = 100;
    s.Degree = 180;
    s.StepSize = 5;
    press({270});
    EXPECT_EQ(dump(), "cursor 40/100 start 100/100 deg 90");

    // Sections of an earlier stroke are never taken back.
    s.StepSize = 1;
    s.Sections = {section(1, 0, 0, 100, 0, 90)};
    startDrawing(100, 0);
    press({270});
    EXPECT_EQ(dump(), "cursor 80/0 start 100/0 deg 270 | [1 | 0/0 => 100/0 (90°)]");
    press({90, 90});
    EXPECT_EQ(s.Sections.size(), 1u);
    EXPECT_EQ(s.CurrentGroupID, 2);
}

TEST_F(LineCourse, SelectAndSplitSections)
{
    plan(400, 300, 20);
    s.Sections = {section(1, 40, 60, 140, 60, 90), section(1, 40, 60, 60, 60, 90), section(3, 100, 100, 100, 20, 0),
                  section(4, 0, 0, 60, 60, 135)};
    SelectSection(s, 0);
    EXPECT_EQ(head(), "cursor 80/60 start 40/60 deg 90");
    SelectSection(s, 1);
    EXPECT_EQ(head(), "cursor 40/60 start 40/60 deg 90");
    SelectSection(s, 2);
    EXPECT_EQ(head(), "cursor 100/60 start 100/100 deg 0");
    EXPECT_EQ(s.CurrentGroupID, 3);
    EXPECT_EQ(s.CurrentSectionIndex, 2);
    SelectSection(s, 3);
    EXPECT_EQ(head(), "cursor 20/20 start 0/0 deg 135");

    TLineSectionArray course = {section(1, 0, 60, 100, 60, 90), section(2, 100, 60, 100, 100, 180)};
    SplitSection(course, 0, 40, 60);
    EXPECT_EQ(SectionListItems(course).join(" ; "),
              "1 | 0/60 => 40/60 (90°) ; 2 | 40/60 => 100/60 (90°) ; 3 | 100/60 => 100/100 (180°)");
}

TEST_F(LineCourse, StationCursorMovesAlongTheCourse)
{
    plan(400, 300, 20);
    s.LineMode = false;
    s.StationMode = true;
    s.Sections = {section(1, 0, 0, 100, 0, 90), section(1, 100, 0, 100, 60, 180), section(2, 200, 0, 240, 0, 90)};
    s.Stations.resize(1);
    s.CurrentStationIndex = 0;
    SelectSection(s, 0);
    StationCursorOn(s);
    auto where = [&] {
        return QString("%1/%2 on %3 deg %4 stop %5@%6/%7")
            .arg(s.CursorX)
            .arg(s.CursorY)
            .arg(s.CurrentSectionIndex)
            .arg(s.Degree)
            .arg(s.Stations[0].LineSectionID)
            .arg(s.Stations[0].XPos)
            .arg(s.Stations[0].YPos);
    };
    EXPECT_EQ(where(), "40/0 on 0 deg 90 stop -1@-1/-1");
    s.StepSize = 2;
    press({90});
    EXPECT_EQ(where(), "80/0 on 0 deg 90 stop 1@80/0");
    press({90}); // cut at the end point
    EXPECT_EQ(where(), "100/0 on 0 deg 90 stop 1@100/0");
    press({90, 0, 135}); // the section's own direction at its end, and off the course
    EXPECT_EQ(where(), "100/0 on 0 deg 90 stop 1@100/0");
    press({180}); // the next section's direction goes on at the bend
    EXPECT_EQ(where(), "100/40 on 1 deg 180 stop 2@100/40");
    press({180});
    EXPECT_EQ(where(), "100/60 on 1 deg 180 stop 2@100/60");
    press({180}); // the next section belongs to another group
    EXPECT_EQ(where(), "100/60 on 1 deg 180 stop 2@100/60");
    s.StepSize = 5;
    press({0}); // back to the bend, and over onto the section before
    EXPECT_EQ(where(), "100/0 on 0 deg 90 stop 1@100/0");
    press({0});
    EXPECT_EQ(where(), "100/0 on 0 deg 90 stop 1@100/0");
    press({270, 270});
    EXPECT_EQ(where(), "0/0 on 0 deg 90 stop 1@0/0");

    // At a section's start the reverse of it switches to the section before without moving; the
    // reverse of the one before moves back along it.
    SelectSection(s, 1);
    s.CursorY = 0;
    s.StepSize = 1;
    press({0});
    EXPECT_EQ(where(), "100/0 on 0 deg 90 stop 1@100/0");
    SelectSection(s, 1);
    s.CursorY = 0;
    press({270});
    EXPECT_EQ(where(), "80/0 on 0 deg 90 stop 1@80/0");

    // Without the station cursor nothing moves outside line mode.
    StationCursorOff(s);
    press({90});
    EXPECT_EQ(where(), "80/0 on 0 deg 90 stop 1@80/0");
}

TEST_F(LineCourse, CursorDrawnTwiceRestoresThePicture)
{
    plan(200, 100, 20);
    s.ShowRaster = true;
    s.Sections = {section(1, 0, 40, 200, 40, 90)};
    Redraw(s);
    const QImage before = s.Picture.copy();
    s.CursorX = 40;
    s.CursorY = 40;
    DrawCursor(s);
    EXPECT_NE(s.Picture, before);
    // Black on white and on the red line both turn.
    EXPECT_EQ(s.Picture.pixel(41, 33) & 0xFFFFFF, 0u);
    EXPECT_NE(s.Picture.pixel(46, 40), before.pixel(46, 40));
    EraseCursor(s);
    EXPECT_EQ(s.Picture, before);

    // At the plan's corner the cross is cut by the picture's edge and still restores.
    s.CursorX = 0;
    s.CursorY = 0;
    DrawCursor(s);
    EraseCursor(s);
    EXPECT_EQ(s.Picture, before);
}

TEST_F(LineCourse, ClicksSnapToRasterPointsInsideThePlan)
{
    plan(410, 300, 20);
    int x = 0, y = 0;
    auto click = [&](int cx, int cy) {
        SnapClickToRaster(s, cx, cy, x, y);
        return QString("%1/%2").arg(x).arg(y);
    };
    EXPECT_EQ(click(3 + 2 * 20, 3 + 5 * 20), "40/100");
    EXPECT_EQ(click(3 + 40 + 9, 3), "40/0");  // 1 pixel left of the halfway point
    EXPECT_EQ(click(3 + 40 + 10, 3), "60/0"); // the halfway point
    EXPECT_EQ(click(0, 0), "0/0");
    EXPECT_EQ(click(409, 299), "400/300");
    plan(101, 51, 2);
    EXPECT_EQ(click(0, 0), "0/0"); // the formula alone gives -2
    EXPECT_EQ(click(100, 50), "98/48");
    EXPECT_EQ(click(105, 55), "100/50");
    plan(100, 50, 1);
    EXPECT_EQ(click(0, 1), "0/0");
    EXPECT_EQ(click(99, 49), "96/46");
    EXPECT_EQ(click(104, 54), "100/50");
    plan(100, 50, 0); // a stored raster width of 0 counts as 1
    EXPECT_EQ(click(50, 20), "47/17");
}

// One section of each direction selected on a plan with raster 20: the cursor stands on the
// raster point at or just before its middle, the running section starts at its start.
struct SelectedSection {
    const char *name;
    int sx, sy, ex, ey, degree;
    const char *head;
};
void PrintTo(const SelectedSection &c, std::ostream *out) { *out << c.name; }

class SectionSelected : public LineCourse, public ::testing::WithParamInterface<SelectedSection>
{
};

TEST_P(SectionSelected, PutsTheCursorAtItsMiddleAndStartsAtItsStart)
{
    const SelectedSection &c = GetParam();
    plan(400, 300, 20);
    s.Sections = {section(1, 0, 280, 20, 280, 90), section(4, c.sx, c.sy, c.ex, c.ey, c.degree)};
    SelectSection(s, 1);
    EXPECT_EQ(head(), QString::fromLatin1(c.head));
    EXPECT_EQ(s.CurrentSectionIndex, 1);
    EXPECT_EQ(s.CurrentGroupID, 4);
}

INSTANTIATE_TEST_SUITE_P(
    EveryDirection, SectionSelected,
    ::testing::Values(SelectedSection{"Right", 40, 60, 140, 60, 90, "cursor 80/60 start 40/60 deg 90"},
                      SelectedSection{"RightOneStep", 40, 60, 60, 60, 90, "cursor 40/60 start 40/60 deg 90"},
                      SelectedSection{"Left", 140, 60, 40, 60, 270, "cursor 100/60 start 140/60 deg 270"},
                      SelectedSection{"Up", 100, 100, 100, 20, 0, "cursor 100/60 start 100/100 deg 0"},
                      SelectedSection{"Down", 100, 20, 100, 120, 180, "cursor 100/60 start 100/20 deg 180"},
                      SelectedSection{"DownThreeSteps", 100, 0, 100, 60, 180, "cursor 100/20 start 100/0 deg 180"},
                      SelectedSection{"DownOneStep", 100, 0, 100, 20, 180, "cursor 100/0 start 100/0 deg 180"},
                      SelectedSection{"DownRight", 0, 0, 60, 60, 135, "cursor 20/20 start 0/0 deg 135"},
                      SelectedSection{"DownLeft", 60, 0, 0, 60, 225, "cursor 40/20 start 60/0 deg 225"},
                      SelectedSection{"UpLeft", 60, 60, 0, 0, 315, "cursor 40/40 start 60/60 deg 315"},
                      SelectedSection{"UpRight", 0, 60, 60, 0, 45, "cursor 20/40 start 0/60 deg 45"}),
    [](const ::testing::TestParamInfo<SelectedSection> &info) { return std::string(info.param.name); });

// From (200, 140) one step in `bend`, then two steps in `run`, then the reverse of `run` with a
// step of `back` raster widths: a step that reaches the run's start lands on it, and the run
// before (the bend's) is taken back into the running section.
struct TakenBackRun {
    const char *name;
    int bend, run, back;
    const char *dump;
};
void PrintTo(const TakenBackRun &c, std::ostream *out) { *out << c.name; }

class RunTakenBack : public LineCourse, public ::testing::WithParamInterface<TakenBackRun>
{
};

TEST_P(RunTakenBack, LandsOnItsStartAtTheFurthest)
{
    const TakenBackRun &c = GetParam();
    plan(400, 300, 20);
    startDrawing(200, 140);
    press({c.bend, c.run, c.run});
    s.StepSize = c.back;
    press({(c.run + 180) % 360});
    EXPECT_EQ(dump(), QString::fromUtf8(c.dump));
}

INSTANTIATE_TEST_SUITE_P(
    EveryDirection, RunTakenBack,
    ::testing::Values(
        TakenBackRun{"Down", 270, 180, 5, "cursor 180/140 start 200/140 deg 270"},
        TakenBackRun{"DownOneStep", 270, 180, 1,
                     "cursor 180/160 start 180/140 deg 180 | [1 | 200/140 => 180/140 (270°)]"},
        TakenBackRun{"Up", 90, 0, 5, "cursor 220/140 start 200/140 deg 90"},
        TakenBackRun{"UpOneStep", 90, 0, 1, "cursor 220/120 start 220/140 deg 0 | [1 | 200/140 => 220/140 (90°)]"},
        TakenBackRun{"Right", 180, 90, 5, "cursor 200/160 start 200/140 deg 180"},
        TakenBackRun{"Left", 0, 270, 5, "cursor 200/120 start 200/140 deg 0"},
        TakenBackRun{"DownRight", 225, 135, 5, "cursor 180/160 start 200/140 deg 225"}),
    [](const ::testing::TestParamInfo<TakenBackRun> &info) { return std::string(info.param.name); });

} // namespace
