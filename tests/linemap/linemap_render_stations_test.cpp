#include "linemap/linemap_render_labels.h"
#include "linemap/linemap_render_stations.h"

#include "data/db_func.h"
#include "support/gui_environment.h"
#include "plan_pixels.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_render.h"
#include "support/project_folder.h"

#include <QPainter>

namespace {

QPoint origin(int degree, int position, int textDirection, int rotation, int offsetX = 0, int offsetY = 0)
{
    TStationTextPrefs t;
    t.X = 1000;
    t.Y = 2000;
    t.Degree = degree;
    t.Position = std::uint8_t(position);
    t.TextDirection = std::uint8_t(textDirection);
    t.Rotation = rotation;
    t.OffsetX = offsetX;
    t.OffsetY = offsetY;
    QPoint p(-5, -5);
    StationTextOrigin(t, 6, 60, 14, p);
    return p;
}

} // namespace

TEST(StationTextOrigin, HorizontalSections)
{
    EXPECT_EQ(origin(90, 0, 0, 0), QPoint(1000, 1983));
    EXPECT_EQ(origin(270, 0, 1, 0), QPoint(970, 1983));
    EXPECT_EQ(origin(90, 0, 2, 0), QPoint(940, 1983));
    EXPECT_EQ(origin(90, 1, 0, 0), QPoint(1000, 2003));
    EXPECT_EQ(origin(90, 0, 0, 45), QPoint(998, 1987));
    EXPECT_EQ(origin(90, 0, 0, 90), QPoint(993, 1997));
    EXPECT_EQ(origin(90, 1, 0, 0, 5, -2), QPoint(1005, 2001));
}

TEST(StationTextOrigin, VerticalAndDiagonalSections)
{
    EXPECT_EQ(origin(0, 0, 0, 0), QPoint(937, 1993));
    EXPECT_EQ(origin(180, 1, 0, 0), QPoint(1003, 1993));
    EXPECT_EQ(origin(0, 0, 0, 45), QPoint(945, 2037));
    EXPECT_EQ(origin(0, 0, 0, -45), QPoint(955, 1951));
    EXPECT_EQ(origin(0, 1, 0, -45), QPoint(1013, 1998));
    EXPECT_EQ(origin(135, 0, 0, 0), QPoint(1010, 1993));
    EXPECT_EQ(origin(315, 1, 2, 90), QPoint(930, 1993)); // alignment and rotation do not move it
    EXPECT_EQ(origin(45, 0, 0, 0), QPoint(930, 1993));
    EXPECT_EQ(origin(225, 1, 0, 0), QPoint(1010, 1993));
}

TEST(StationTextOrigin, ValuesOutsideTheTablesKeepTheBase)
{
    EXPECT_EQ(origin(90, 2, 0, 0), QPoint(-5, -5));
    EXPECT_EQ(origin(90, 0, 3, 0), QPoint(-5, -5));
    EXPECT_EQ(origin(-1, 0, 0, 0), QPoint(-5, -5));
    EXPECT_EQ(origin(30, 0, 0, 0), QPoint(-5, -5));
    EXPECT_EQ(origin(0, 0, 7, 0), QPoint(937, 1993)); // vertical sections do not read the alignment
}

TEST(MultiStationTextOrigin, TwelvePositions)
{
    // The box of two placements at (1000, 2000) and (1060, 2000), line width 6; W 60, H 14.
    auto at = [](int position, int align = 0, int rotation = 0) {
        return MultiStationTextOrigin(position, align, rotation, 0, 0, 997, 1997, 1063, 2003, 60, 14);
    };
    EXPECT_EQ(at(0), QPoint(1064, 1997));
    EXPECT_EQ(at(0, 0, -45), QPoint(1074, 1997)); // A = Rnd(Sqrt(98)) = 10
    EXPECT_EQ(at(1), QPoint(1064, 1993));
    EXPECT_EQ(at(2), QPoint(1064, 1989));
    EXPECT_EQ(at(3), QPoint(936, 1997));
    EXPECT_EQ(at(3, 2, 45), QPoint(997 - 1 - 10 - 42, 1997 + 42)); // B = Rnd(Sqrt(1800)) = 42
    EXPECT_EQ(at(4), QPoint(936, 1993));
    EXPECT_EQ(at(5), QPoint(936, 1989));
    EXPECT_EQ(at(6), QPoint(997, 1982));
    EXPECT_EQ(at(6, 0, 90), QPoint(997, 1996));
    EXPECT_EQ(at(7), QPoint(1030, 1982));
    EXPECT_EQ(at(7, 1), QPoint(1000, 1982));
    EXPECT_EQ(at(7, 2), QPoint(970, 1982));
    EXPECT_EQ(at(7, 1, 90), QPoint(1023, 1996));
    EXPECT_EQ(at(8), QPoint(1003, 1982));
    EXPECT_EQ(at(8, 2, -90), QPoint(1063, 1936));
    EXPECT_EQ(at(9), QPoint(997, 2004));
    EXPECT_EQ(at(10, 1), QPoint(1000, 2004));
    EXPECT_EQ(at(10, 2, 45), QPoint(1030 - 10 - 42, 2004 + 42));
    EXPECT_EQ(at(11), QPoint(1003, 2004));
    EXPECT_EQ(at(11, 2, 90), QPoint(1049, 2064));
    // Offsets in every case; an unknown position keeps the base beside the top right.
    EXPECT_EQ(MultiStationTextOrigin(9, 0, -90, 3, -4, 997, 1997, 1063, 2003, 60, 14), QPoint(1014, 2000));
    EXPECT_EQ(at(12, 0, 45), QPoint(1064, 1997));
}

TEST(LineTextCorner, CornersBeyondTheEnds)
{
    EXPECT_EQ(LineTextCorner(false, 90, {100, 200}, 50, 14, 10), QPoint(40, 193));
    EXPECT_EQ(LineTextCorner(true, 45, {300, 100}, 50, 14, 10), QPoint(307, 100 - 14 - 7));
    EXPECT_EQ(LineTextCorner(false, 0, {100, 200}, 50, 14, 10), QPoint(75, 210));
    EXPECT_EQ(LineTextCorner(true, 0, {100, 200}, 50, 14, 10), QPoint(75, 176));
    EXPECT_EQ(LineTextCorner(false, 315, {100, 200}, 50, 14, 10), QPoint(107, 207));
    EXPECT_EQ(LineTextCorner(true, 225, {100, 200}, 50, 14, 10), QPoint(43, 207));
    EXPECT_EQ(LineTextCorner(true, 30, {100, 200}, 50, 14, 10), QPoint(100, 200));
    EXPECT_EQ(LineTextCorner(false, -1, {100, 200}, 50, 14, 10), QPoint(100, 200));
}

namespace {

// A plan of 1200 by 2200 pixels (room for the worked examples' points) on a white background.
class StationDrawing : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        CreateEmptyStations();
        CreateEmptyLines();
        CreateEmptyLineGraphic();
        CreateEmptyLineMapLines();
        CreateEmptyLineMapLineSections();
        CreateEmptyLineMapStations();
        CreateEmptyLineMapIndividualStationPrefs();
        CreateEmptyLineMapIndividualMultiStationPrefs();
        CreateEmptyLineMapLineTextVisible();
        CreateEmptyLineMapLineTextColor();
        CreateEmptyLineMapLineTextOffset();
        appendRows(dm1->cdsStations, {"ID", "Station"}, {{1, "Nord"}, {2, "Markt"}, {3, "Sued"}});
        s.LineMapID = 1;
        s.Prefs.Width = s.PreviewWidth = 1200;
        s.Prefs.Height = s.PreviewHeight = 2200;
        s.Prefs.BackgroundColor = 0xFFFFFF;
        s.Prefs.LineRasterWidth = 20;
        s.Prefs.LineDrawWidth = 6;
        s.Prefs.StationFont.name = QStringLiteral("DejaVu Sans");
        s.Prefs.StationFont.size = 8;
        s.Prefs.MultiStationFont = s.Prefs.StationFont;
    }
    void addSection(int line, int id, int sx, int sy, int ex, int ey, int degree)
    {
        appendRows(dm1->cdsLineMapLineSections,
                   {"LineMapID", "LineID", "SectionID", "GroupID", "StartX", "StartY", "EndX", "EndY", "Degree"},
                   {{1, line, id, 1, sx, sy, ex, ey, degree}});
    }
    void place(int line, int section, int station, int x, int y)
    {
        appendRows(dm1->cdsLineMapStations, {"LineID", "LineSectionID", "StationID", "XPos", "YPos"},
                   {{line, section, station, x, y}});
    }
    // Station 2 as a transfer between lines 1 and 2: on two vertical sections 60 apart (x 1000
    // and 1060, y 1900 to 2100), both stored with this Degree, at y 2000.
    void transferOnTwoVerticalSections(int degree)
    {
        addSection(1, 1, 1000, 1900, 1000, 2100, degree);
        addSection(2, 1, 1060, 1900, 1060, 2100, degree);
        place(1, 1, 2, 1000, 2000);
        place(2, 1, 2, 1060, 2000);
    }
    TLineMapEditorState s;
};

} // namespace

TEST_F(StationDrawing, NamePlacementResolvesStationSectionClassDefault)
{
    addSection(1, 1, 0, 100, 400, 100, 90);
    s.Prefs.WE.Position = 1;
    LoadStationTextPrefs(s, 100, 100, 2, 1, 1);
    EXPECT_EQ(s.StationTextPrefs.StationName, "Markt");
    EXPECT_EQ(s.StationTextPrefs.Degree, 90);
    EXPECT_EQ(s.StationTextPrefs.Position, 1); // the plan default of WE

    AddIndividualStationPrefs(1, 2, 0, 0, 0, 0, 2, 0); // class WE of line 1
    LoadStationTextPrefs(s, 100, 100, 2, 1, 1);
    EXPECT_EQ(s.StationTextPrefs.TextDirection, 2);
    AddIndividualStationPrefs(1, 1, 1, 0, 0, 0, 1, 0); // section 1 of line 1
    LoadStationTextPrefs(s, 100, 100, 2, 1, 1);
    EXPECT_EQ(s.StationTextPrefs.TextDirection, 1);
    AddIndividualStationPrefs(2, 0, 2, 1, 7, 0, 0, 0); // the station on another line: no effect
    LoadStationTextPrefs(s, 100, 100, 2, 1, 1);
    EXPECT_EQ(s.StationTextPrefs.TextDirection, 1);
    AddIndividualStationPrefs(1, 0, 2, 1, 9, 0, 0, 90); // the station on this line wins
    LoadStationTextPrefs(s, 100, 100, 2, 1, 1);
    EXPECT_EQ(s.StationTextPrefs.OffsetX, 9);
    EXPECT_EQ(s.StationTextPrefs.Rotation, 90);

    // A placement whose section row is missing is named as on a horizontal section.
    LoadStationTextPrefs(s, 100, 100, 3, 5, 1);
    EXPECT_EQ(s.StationTextPrefs.Degree, 90);
    EXPECT_EQ(s.StationTextPrefs.Position, 0); // class WE override of line 1
}

TEST_F(StationDrawing, SymbolSizeFollowsTheLineWidth)
{
    QImage image = NewPlanPicture(40, 40);
    {
        QPainter canvas(&image);
        BeginPlanPainter(canvas);
        s.Prefs.LineDrawWidth = 3;
        DrawStationSymbol(canvas, s.Prefs, 10, 20); // 6 across: x 7 .. 12
        s.Prefs.LineDrawWidth = 9;
        DrawStationSymbol(canvas, s.Prefs, 30, 20); // x 26 .. 34
    }
    EXPECT_EQ(px(image, 7, 20), 0u);
    EXPECT_EQ(px(image, 12, 20), 0u);
    EXPECT_EQ(px(image, 13, 20), 0xFFFFFFu);
    EXPECT_EQ(px(image, 6, 20), 0xFFFFFFu);
    EXPECT_EQ(px(image, 26, 20), 0u);
    EXPECT_EQ(px(image, 34, 20), 0u);
    EXPECT_EQ(px(image, 35, 20), 0xFFFFFFu);
}

TEST_F(StationDrawing, ParallelCapsuleAcrossVerticalLines)
{
    transferOnTwoVerticalSections(180);
    s.Prefs.MultiStationRoundParallel = true;
    Redraw(s);
    // Black edges at y 1997 and 2002, white inside, from x 1000 to 1060.
    EXPECT_EQ(px(s.Picture, 1030, 1997), 0u);
    EXPECT_EQ(px(s.Picture, 1030, 2002), 0u);
    EXPECT_EQ(px(s.Picture, 1030, 2000), 0xFFFFFFu);
    EXPECT_EQ(px(s.Picture, 1030, 1996), 0xFFFFFFu);

    // Not parallel: a rectangle (997, 1997) - (1063, 2003).
    s.Prefs.MultiStationRoundParallel = false;
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 997, 2000), 0u);
    EXPECT_EQ(px(s.Picture, 1062, 2000), 0u);
    EXPECT_EQ(px(s.Picture, 1030, 2002), 0u);
    EXPECT_EQ(px(s.Picture, 1030, 2001), 0xFFFFFFu);
}

TEST_F(StationDrawing, PlacementWithoutSectionNeverFormsAParallelRow)
{
    addSection(1, 1, 1000, 1900, 1000, 2100, 180);
    place(1, 1, 2, 1000, 2000);
    place(2, 4, 2, 1060, 2000); // line 2 has no section 4
    s.Prefs.MultiStationRoundParallel = true;
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 997, 2000), 0u); // the box's left edge
    EXPECT_EQ(px(s.Picture, 1030, 2002), 0u);
}

TEST_F(StationDrawing, StationsHiddenAndShown)
{
    addSection(1, 1, 100, 100, 500, 100, 90);
    place(1, 1, 1, 200, 100);
    s.ShowStations = false;
    s.ShowMultiStations = true;
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 197, 100), 0xFFFFFFu); // a single station is a station: hidden
    s.ShowStations = true;
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 197, 100), 0u);
    // In station mode the edited line's rows are left out; its stops come from Stations.
    s.StationMode = true;
    s.CurrentLineID = 1;
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 197, 100), 0xFFFFFFu);
    TLineStation stop;
    stop.StationID = 1;
    stop.On = true;
    stop.LineSectionID = 1;
    stop.XPos = 300;
    stop.YPos = 100;
    s.Stations = {stop};
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 297, 100), 0u);
}

TEST_F(StationDrawing, OnePointCircleAndInheritedName)
{
    addSection(1, 1, 100, 300, 500, 300, 90);
    addSection(2, 1, 300, 100, 300, 500, 180);
    place(1, 1, 2, 300, 300);
    place(2, 1, 2, 300, 300);
    s.Prefs.MultiStationRoundSelfPos = true;
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 297, 300), 0u); // a circle of the symbol's size
    EXPECT_EQ(px(s.Picture, 297, 297), 0xFFFFFFu);
    s.Prefs.MultiStationRoundSelfPos = false;
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 297, 297), 0u); // a box
}

TEST_F(StationDrawing, LabelsFollowVisibilityColourAndOffsetRows)
{
    appendRows(dm1->cdsLines, {"ID", "Line"}, {{1, "U1"}});
    appendRows(dm1->cdsLineMapLines, {"LineMapID", "LineID", "DefaultColor", "DefaultWidth"}, {{1, 1, true, true}});
    addSection(1, 1, 100, 200, 300, 200, 90);
    addSection(1, 2, 300, 200, 300, 400, 180);
    s.Prefs.LineTextPosStart = true;
    s.Prefs.LineTextPosEnd = true;
    s.Prefs.LineTextDistance = 10;
    s.Prefs.LineTextBackgroundColor = 0x00FF00;
    s.Prefs.LineTextFont.size = 8;
    Redraw(s);
    // Start label left of (100, 200), ending 10 pixels before it; end label below (300, 400).
    EXPECT_EQ(px(s.Picture, 89, 200), 0x00FF00u);
    EXPECT_EQ(px(s.Picture, 91, 200), 0xFFFFFFu);
    EXPECT_EQ(px(s.Picture, 300, 412), 0x00FF00u);

    AddLineTextOffset(1, 1, 1, 1, 0, 50); // moves only the start label
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 89, 200), 0xFFFFFFu);
    EXPECT_EQ(px(s.Picture, 89, 250), 0x00FF00u);
    EXPECT_EQ(px(s.Picture, 300, 412), 0x00FF00u);

    AddLineTextColor(1, 1, false, 0, 0, 0, false, 0, 0, 255);
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 89, 250), qRgb(0, 0, 255) & 0xFFFFFFu); // the own background, blue

    AddLineTextVisible(1, 1, false, false, true);
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 89, 250), 0xFFFFFFu);
    EXPECT_EQ(px(s.Picture, 300, 412), 0xFFFFFFu);
}

TEST_F(StationDrawing, LabelsOfALineWithoutSectionsDrawNothing)
{
    appendRows(dm1->cdsLines, {"ID", "Line"}, {{1, "U1"}});
    appendRows(dm1->cdsLineMapLines, {"LineMapID", "LineID", "DefaultColor", "DefaultWidth"}, {{1, 1, true, true}});
    s.Prefs.LineTextPosStart = true;
    s.Prefs.LineTextBackgroundColor = 0x00FF00;
    Redraw(s);
    int green = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x)
            green += px(s.Picture, x, y) == 0x00FF00u;
    EXPECT_EQ(green, 0);
}

TEST_F(StationDrawing, DiagonalRowMustBeSquareToBeParallel)
{
    addSection(1, 1, 0, 300, 300, 0, 45);
    addSection(2, 1, 0, 340, 340, 0, 45);
    s.Prefs.MultiStationRoundParallel = true;
    place(1, 1, 2, 100, 200);
    place(2, 1, 2, 140, 220); // bounding box 40 x 20: not a row across the lines
    Redraw(s);
    EXPECT_EQ(px(s.Picture, 97, 210), 0u); // the box's left edge
    EXPECT_EQ(px(s.Picture, 142, 210), 0u); // and its right edge
}

TEST_F(StationDrawing, TransferHiddenShowsOneNameAndEverySymbol)
{
    addSection(1, 1, 100, 100, 500, 100, 90);
    addSection(2, 1, 100, 200, 500, 200, 90);
    addSection(3, 1, 100, 300, 500, 300, 90);
    for (int line = 1; line <= 3; ++line)
        place(line, 1, 2, 300, line * 100);
    s.ShowMultiStations = false;
    Redraw(s);
    int nameRows = 0; // rows just above each symbol that hold text pixels
    for (int line = 1; line <= 3; ++line) {
        EXPECT_EQ(px(s.Picture, 297, line * 100), 0u) << line;
        bool text = false;
        for (int y = line * 100 - 16; y < line * 100 - 4; ++y)
            for (int x = 300; x < 340; ++x)
                text = text || px(s.Picture, x, y) == 0u;
        nameRows += text;
    }
    EXPECT_EQ(nameRows, 1);
}

TEST_F(StationDrawing, LabelOffsetRowsOfOtherPositionsAreIgnored)
{
    appendRows(dm1->cdsLines, {"ID", "Line"}, {{1, "U1"}});
    appendRows(dm1->cdsLineMapLines, {"LineMapID", "LineID", "DefaultColor", "DefaultWidth"}, {{1, 1, true, true}});
    addSection(1, 1, 100, 200, 300, 200, 90);
    addSection(1, 2, 300, 200, 300, 400, 180);
    s.Prefs.LineTextPosStart = true;
    s.Prefs.LineTextPosEnd = true;
    s.Prefs.LineTextDistance = 10;
    s.Prefs.LineTextBackgroundColor = 0x00FF00;
    s.Prefs.LineTextFont.size = 8;
    // Rows of Position 0 and 3 (a damaged file) stand before and after the end label's row.
    appendRows(dm1->cdsLineMapLineTextOffset, {"LineMapID", "LineID", "Position", "SectionID", "X", "Y"},
               {{1, 1, 0, 0, 200, 0}, {1, 1, 2, 0, 0, 50}, {1, 1, 3, 0, -200, 0}, {1, 1, -1, 0, 0, -150}});
    Redraw(s);
    // The end label below (300, 400) moved by the Position 2 row only; the start label stays.
    EXPECT_EQ(px(s.Picture, 300, 462), 0x00FF00u);
    EXPECT_EQ(px(s.Picture, 300, 412), 0xFFFFFFu);
    EXPECT_EQ(px(s.Picture, 500, 412), 0xFFFFFFu);
    EXPECT_EQ(px(s.Picture, 100, 412), 0xFFFFFFu);
    EXPECT_EQ(px(s.Picture, 89, 200), 0x00FF00u);
    EXPECT_EQ(px(s.Picture, 89, 50), 0xFFFFFFu);
}

TEST_F(StationDrawing, TransferOnSectionsOutsideTheEightDirectionsIsABox)
{
    // Two parallel sections stored with a Degree no course has (a damaged file).
    transferOnTwoVerticalSections(30);
    s.Prefs.MultiStationRoundParallel = true;
    Redraw(s);
    // The general box (997, 1997) - (1063, 2003), the name right of its top (Position 0).
    EXPECT_EQ(px(s.Picture, 997, 2000), 0u);
    EXPECT_EQ(px(s.Picture, 1062, 2000), 0u);
    EXPECT_EQ(px(s.Picture, 1030, 1997), 0u);
    EXPECT_EQ(px(s.Picture, 1030, 2000), 0xFFFFFFu);
    int name = 0;
    for (int y = 1997; y < 2020; ++y)
        for (int x = 1064; x < 1140; ++x)
            name += px(s.Picture, x, y) != 0xFFFFFFu;
    EXPECT_GT(name, 20);
    // Nothing is drawn left of the box, where no name of this setting goes.
    for (int x = 900; x < 996; ++x)
        EXPECT_EQ(px(s.Picture, x, 2000), 0xFFFFFFu) << x;
}
