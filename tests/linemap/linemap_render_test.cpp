#include "linemap/linemap_render.h"

#include "data/db_func.h"
#include "support/gui_environment.h"
#include "plan_pixels.h"
#include "support/project_folder.h"

namespace {

class Renderer : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        CreateEmptyLineMapLines();
        CreateEmptyLineMapLineSections();
        CreateEmptyLineMapLineConnections();
        CreateEmptyLineGraphic();
        s.LineMapID = 3;
        s.Prefs.Width = s.PreviewWidth = 400;
        s.Prefs.Height = s.PreviewHeight = 300;
        s.Prefs.BackgroundColor = 0xFFFF00; // cyan
        s.Prefs.LineRasterWidth = 20;
        s.Prefs.LineDrawWidth = 4;
        s.Prefs.LineDefaultColor = true;
        s.ShowRaster = false;
    }

    void addLine(int mapID, int lineID, bool defaultColor, int r, int g, int b, bool defaultWidth, int width)
    {
        appendRows(dm1->cdsLineMapLines,
                   {"LineMapID", "LineID", "DefaultColor", "ColorRed", "ColorGreen", "ColorBlue", "DefaultWidth",
                    "DrawWidth"},
                   {{mapID, lineID, defaultColor, r, g, b, defaultWidth, width}});
    }
    void addSection(int mapID, int lineID, int sectionID, int sx, int sy, int ex, int ey)
    {
        appendRows(dm1->cdsLineMapLineSections,
                   {"LineMapID", "LineID", "SectionID", "GroupID", "StartX", "StartY", "EndX", "EndY", "Degree"},
                   {{mapID, lineID, sectionID, 1, sx, sy, ex, ey, 90}});
    }

    TLineMapEditorState s;
};

} // namespace

TEST_F(Renderer, BackgroundOnlyAndRaster)
{
    Redraw(s);
    ASSERT_EQ(s.Picture.size(), QSize(400, 300));
    EXPECT_EQ(countColor(s.Picture, qRgb(0, 255, 255)), 400 * 300);

    s.ShowRaster = true;
    Redraw(s);
    // 21 vertical lines at x = 0 .. 400 (the last outside the picture) and 16 horizontal ones.
    int vertical = 0;
    for (int x = 0; x < 400; ++x)
        vertical += px(s.Picture, x, 150 + 7) == 0xC0C0C0;
    EXPECT_EQ(vertical, 20);
    int horizontal = 0;
    for (int y = 0; y < 300; ++y)
        horizontal += px(s.Picture, 7, y) == 0xC0C0C0;
    EXPECT_EQ(horizontal, 15);
    EXPECT_EQ(px(s.Picture, 0, 7), 0xC0C0C0u);
    EXPECT_EQ(px(s.Picture, 380, 299), 0xC0C0C0u);

    // A raster width below 1 counts as 1 instead of dividing by zero.
    s.Prefs.LineRasterWidth = 0;
    Redraw(s);
    EXPECT_EQ(countColor(s.Picture, qRgb(0xC0, 0xC0, 0xC0)), 400 * 300);
}

TEST_F(Renderer, OtherLinesCurrentLineAndColours)
{
    appendRows(dm1->cdsLineGraphic, {"LineID", "ColorRed", "ColorGreen", "ColorBlue"}, {{1, 200, 0, 0}});
    addLine(3, 1, true, 0, 0, 0, true, 0);     // project colour, plan width 4
    addLine(3, 2, false, 0, 0, 200, false, 1); // own colour and width
    addLine(3, 5, true, 0, 0, 0, true, 0);     // no project colour, no preferences row: black
    addLine(4, 6, false, 0, 200, 0, false, 1); // another plan
    addSection(3, 1, 1, 20, 20, 100, 20);
    addSection(3, 1, 2, 100, 20, 100, 80);
    addSection(3, 2, 1, 20, 200, 200, 200);
    addSection(3, 5, 1, 20, 250, 200, 250);
    addSection(4, 6, 1, 20, 150, 200, 150);
    addSection(3, 7, 1, 300, 20, 300, 200); // the edited line, stored too

    s.CurrentLineID = 7;
    s.LineColor = 0x00FF00;
    s.LineWidth = 1;
    s.Sections = {{1, 350, 40, 350, 100, 0, 180}};
    Redraw(s);
    const QImage &p = s.Picture;
    EXPECT_EQ(px(p, 60, 20), qRgb(200, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(px(p, 60, 21), qRgb(200, 0, 0) & 0xFFFFFF); // width 4
    EXPECT_EQ(px(p, 100, 50), qRgb(200, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(px(p, 60, 200), qRgb(0, 0, 200) & 0xFFFFFF);
    EXPECT_EQ(px(p, 60, 201), 0x00FFFFu); // width 1
    EXPECT_EQ(px(p, 60, 250), 0u);
    EXPECT_EQ(px(p, 60, 150), 0x00FFFFu); // other plan
    EXPECT_EQ(px(p, 300, 100), 0x00FFFFu); // the edited line's stored course is not drawn
    EXPECT_EQ(px(p, 350, 70), 0x00FF00u);  // but its Sections are

    // The project's default line colour applies when the line has no colour of its own.
    appendRows(dm1->cdsPrefs, {"LineColorRed", "LineColorGreen", "LineColorBlue"}, {{0, 128, 0}});
    EXPECT_EQ(GetLineColor(s.Prefs, 5), 0x008000u);
    EXPECT_EQ(GetLineColor(s.Prefs, 1), 200u);
    s.Prefs.LineDefaultColor = false;
    s.Prefs.LineColor = 0x123456;
    EXPECT_EQ(GetLineColor(s.Prefs, 1), 0x123456u);

    // With the lines hidden only the edited line remains.
    s.ShowLines = false;
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 60, 20), 0x00FFFFu);
    EXPECT_EQ(px(s.Picture, 350, 70), 0x00FF00u);
    // The tables are left unfiltered.
    EXPECT_FALSE(dm1->cdsLineMapLines.filtered());
    EXPECT_FALSE(dm1->cdsLineMapLineSections.filtered());
}

TEST_F(Renderer, OneMarkerPerJunctionPointInModesOnly)
{
    s.Connections = {{1, 1, true, 100, 100}, {2, 1, false, 100, 100}, {3, 2, false, 100, 100},
                     {4, 2, true, 200, 100}, {5, 2, false, 200, 100}};
    Redraw(s);
    EXPECT_EQ(countColor(s.Picture, qRgb(255, 0, 0)), 0);
    s.LineMode = true;
    Redraw(s);
    // h = 4 div 2 = 2: the marker covers XPos - 4 .. XPos + 3, filled red inside a black outline.
    EXPECT_EQ(countColor(s.Picture, qRgb(255, 0, 0)), 2 * 6 * 6);
    EXPECT_EQ(px(s.Picture, 96, 96), 0u);
    EXPECT_EQ(px(s.Picture, 103, 103), 0u);
    EXPECT_EQ(px(s.Picture, 104, 104), 0x00FFFFu);
    EXPECT_EQ(px(s.Picture, 100, 100), 0xFF0000u);
}

TEST_F(Renderer, BackgroundPictureGovernsThePictureSize)
{
    s.Prefs.BackgroundImageOn = true;
    s.BackgroundPicture = QImage(100, 80, QImage::Format_RGB32);
    s.BackgroundPicture.fill(QColor(10, 20, 30));
    Redraw(s);
    EXPECT_EQ(s.Picture.size(), QSize(100, 80));
    EXPECT_EQ(px(s.Picture, 50, 50), qRgb(10, 20, 30) & 0xFFFFFF);

    s.BackgroundPicture = QImage(600, 500, QImage::Format_RGB32);
    s.BackgroundPicture.fill(QColor(10, 20, 30));
    s.ShowRaster = true;
    Redraw(s);
    EXPECT_EQ(s.Picture.size(), QSize(600, 500));
    // The raster covers the plan's area.
    EXPECT_EQ(px(s.Picture, 20, 250), 0xC0C0C0u);
    EXPECT_EQ(px(s.Picture, 20, 350), qRgb(10, 20, 30) & 0xFFFFFF);

    s.ShowImage = false;
    Redraw(s);
    EXPECT_EQ(s.Picture.size(), QSize(400, 300));

    // No plan opened: no picture, no crash.
    TLineMapEditorState empty;
    Redraw(empty);
    EXPECT_TRUE(empty.Picture.isNull());
}

namespace {

// A plan size as its settings row may hold it, and whether a picture is drawn.
struct PlanSize {
    const char *name;
    int width;
    int height;
    bool drawn;
};

class PlanPictureSize : public Renderer, public ::testing::WithParamInterface<PlanSize>
{
};

} // namespace

// A plan larger than the export can store, or than the largest background picture, gets no
// picture (nothing of its size is allocated); every other size is drawn at that size.
TEST_P(PlanPictureSize, IsDrawnOnlyWithinTheLargestPicture)
{
    s.Prefs.Width = s.PreviewWidth = GetParam().width;
    s.Prefs.Height = s.PreviewHeight = GetParam().height;
    Redraw(s);
    if (GetParam().drawn) {
        EXPECT_EQ(s.Picture.size(), QSize(GetParam().width, GetParam().height));
        EXPECT_EQ(px(s.Picture, GetParam().width - 1, GetParam().height - 1), qRgb(0, 255, 255) & 0xFFFFFF);
    } else {
        EXPECT_TRUE(s.Picture.isNull());
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlanPictureSize,
                         ::testing::Values(PlanSize{"Sample", 540, 740, true}, PlanSize{"WidestSide", 65500, 2, true},
                                           PlanSize{"NoWidth", 0, 740, false},
                                           PlanSize{"NegativeHeight", 540, -1, false},
                                           PlanSize{"SideBeyondJpeg", 65501, 1, false},
                                           PlanSize{"AreaBeyondTheLargestPicture", 8193, 8192, false},
                                           PlanSize{"Both65535", 65535, 65535, false},
                                           PlanSize{"HeightAtTheIntLimit", 540, 2147483647, false},
                                           PlanSize{"WidthAtTheIntLimit", 2147483647, 2147483647, false}),
                         [](const ::testing::TestParamInfo<PlanSize> &info) { return std::string(info.param.name); });
