// Golden images of the plan renderer and the style preview.
#include "linemap/linemap_render.h"
#include "linemap/plan_style_rules.h"
#include "linemap/style_preview.h"
#include "linemap/linemap_records.h"

#include "data/db_func.h"
#include "golden_image.h"
#include "support/gui_environment.h"
#include "support/project_folder.h"

#include <QFontInfo>

namespace {

class Goldens : public ProjectFolder
{
protected:
    void SetUp() override
    {
        ProjectFolder::SetUp();
        CreateEmptyLineMapLines();
        CreateEmptyLineMapLineSections();
        CreateEmptyLineGraphic();
        s.LineMapID = 1;
        s.Prefs.Width = s.PreviewWidth = 240;
        s.Prefs.Height = s.PreviewHeight = 180;
        s.Prefs.BackgroundColor = 0xF0F8FF;
        s.Prefs.LineRasterWidth = 20;
        s.Prefs.LineDrawWidth = 6;
        s.Prefs.LineDefaultColor = true;
        s.ShowRaster = true;
    }
    TLineMapEditorState s;
};

TLineMapPrefs previewPrefs()
{
    TLineMapPrefs p;
    p.BackgroundColor = 0xFFFFFF;
    p.LineRasterWidth = 20;
    p.LineColor = 0x0000C0;
    p.LineDrawWidth = 8;
    p.StationFont.name = QStringLiteral("Arial");
    p.StationFont.size = 9;
    p.StationFont.color = 0x000000;
    return p;
}

QImage preview(const TLineMapPrefs &p, int cls)
{
    QImage image = NewPlanPicture(kPreviewSize, kPreviewSize);
    QPainter painter(&image);
    BeginPlanPainter(painter);
    PaintPreview(painter, p, cls);
    return image;
}

} // namespace

TEST(GoldenFonts, ArialIsLiberationSans)
{
    const QFontInfo info(PlanFont(previewPrefs().StationFont));
    EXPECT_EQ(info.family(), QStringLiteral("Liberation Sans"));
}

TEST_F(Goldens, RendererLinesJunctionsAndBackgrounds)
{
    appendRows(dm1->cdsLineGraphic, {"LineID", "ColorRed", "ColorGreen", "ColorBlue"}, {{1, 220, 0, 0}});
    appendRows(dm1->cdsLineMapLines,
               {"LineMapID", "LineID", "DefaultColor", "ColorRed", "ColorGreen", "ColorBlue", "DefaultWidth",
                "DrawWidth"},
               {{1, 1, true, 0, 0, 0, true, 0}, {1, 2, false, 0, 120, 0, false, 2}, {1, 3, false, 0, 0, 0, false, 1}});
    appendRows(dm1->cdsLineMapLineSections,
               {"LineMapID", "LineID", "SectionID", "GroupID", "StartX", "StartY", "EndX", "EndY", "Degree"},
               {{1, 1, 1, 1, 20, 20, 100, 20, 90},
                {1, 1, 2, 1, 100, 20, 160, 80, 135},
                {1, 2, 1, 1, 20, 140, 220, 140, 90},
                {1, 2, 2, 1, 40, 160, 40, 100, 0},
                {1, 3, 1, 1, 200, 20, 200, 160, 180}});
    s.CurrentLineID = 4;
    s.LineColor = 0xC000C0;
    s.LineWidth = 4;
    s.LineMode = true;
    s.Sections = {{1, 60, 60, 120, 60, 0, 90}, {1, 120, 60, 120, 120, 0, 180}, {2, 120, 60, 180, 60, 0, 90}};
    s.Connections = {{1, 1, true, 120, 60}, {2, 1, false, 120, 60}, {3, 2, false, 120, 60}};
    Redraw(s);
    ExpectGolden(s.Picture, QStringLiteral("render_lines"));

    s.LineMode = false;
    s.ShowLines = false;
    s.ShowRaster = false;
    Redraw(s);
    ExpectGolden(s.Picture, QStringLiteral("render_background_only"));

    s.ShowRaster = true;
    s.Prefs.BackgroundImageOn = true;
    s.BackgroundPicture = QImage(160, 100, QImage::Format_RGB32);
    s.BackgroundPicture.fill(QColor(255, 240, 200));
    Redraw(s);
    ExpectGolden(s.Picture, QStringLiteral("render_background_smaller"));
    s.BackgroundPicture = QImage(300, 220, QImage::Format_RGB32);
    s.BackgroundPicture.fill(QColor(200, 240, 255));
    Redraw(s);
    ExpectGolden(s.Picture, QStringLiteral("render_background_larger"));
}

namespace {

// One style preview a row: the station class, the name's position, its text direction and its
// rotation; the golden is "preview_" and the row's name.
struct PreviewCase {
    const char *name;
    int cls, position, textDirection, rotation;
};
// The row's name stands for it in the test list and in a failure.
void PrintTo(const PreviewCase &c, std::ostream *out) { *out << c.name; }

class GoldenPreviewRow : public ::testing::TestWithParam<PreviewCase>
{
};

} // namespace

TEST_P(GoldenPreviewRow, MatchesItsGolden)
{
    const PreviewCase &c = GetParam();
    TLineMapPrefs p = previewPrefs();
    StationPrefs(p, c.cls) = TStationDirectionPrefs{std::uint8_t(c.position), 0, 0, std::uint8_t(c.textDirection),
                                                    c.rotation};
    ExpectGolden(preview(p, c.cls), QStringLiteral("preview_") + QString::fromLatin1(c.name), 40, 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryClassAndRotation, GoldenPreviewRow,
    ::testing::Values(PreviewCase{"we_above_left_0", dcWE, 0, 0, 0}, PreviewCase{"we_above_centre_0", dcWE, 0, 1, 0},
                      PreviewCase{"we_above_left_45", dcWE, 0, 0, 45}, PreviewCase{"we_above_left_90", dcWE, 0, 0, 90},
                      PreviewCase{"we_above_right_-45", dcWE, 0, 2, -45},
                      PreviewCase{"we_above_right_-90", dcWE, 0, 2, -90},
                      PreviewCase{"we_below_left_-45", dcWE, 1, 0, -45},
                      PreviewCase{"we_below_left_-90", dcWE, 1, 0, -90},
                      PreviewCase{"we_below_right_45", dcWE, 1, 2, 45}, PreviewCase{"we_below_right_90", dcWE, 1, 2, 90},
                      PreviewCase{"ns_left_0", dcNS, 0, 0, 0}, PreviewCase{"ns_left_45", dcNS, 0, 0, 45},
                      PreviewCase{"ns_left_-45", dcNS, 0, 0, -45}, PreviewCase{"ns_right_45", dcNS, 1, 0, 45},
                      PreviewCase{"ns_right_-45", dcNS, 1, 0, -45}, PreviewCase{"nwse_above", dcNWSE, 0, 0, 0},
                      PreviewCase{"nwse_below", dcNWSE, 1, 0, 0}, PreviewCase{"swne_above", dcSWNE, 0, 0, 0},
                      PreviewCase{"swne_below", dcSWNE, 1, 0, 0}),
    // Test names allow letters, digits and underscores only: a minus sign is spelt "m".
    [](const ::testing::TestParamInfo<PreviewCase> &info) {
        std::string name = info.param.name;
        for (char &ch : name)
            if (ch == '-')
                ch = 'm';
        return name;
    });

TEST(GoldenPreview, ToleranceRasterWidthsAndOffsets)
{
    // The tolerance lets hinting pass but not a sample line moved by two pixels.
    {
        const QImage a = preview(previewPrefs(), dcNS);
        QImage moved = NewPlanPicture(kPreviewSize, kPreviewSize);
        QPainter painter(&moved);
        painter.drawImage(2, 0, a);
        painter.end();
        EXPECT_GT(UnmatchedPixels(a, moved, 1) + UnmatchedPixels(moved, a, 1), 40);
    }
    // Raster widths 25 and 7, thin line, offsets.
    TLineMapPrefs p = previewPrefs();
    p.LineRasterWidth = 25;
    p.LineDrawWidth = 1;
    p.WE.OffsetX = 10;
    p.WE.OffsetY = -6;
    ExpectGolden(preview(p, dcWE), QStringLiteral("preview_raster25_thin"), 40, 1);
    p.LineRasterWidth = 7;
    p.BackgroundColor = 0x203040;
    p.StationFont.color = 0xFFFFFF;
    ExpectGolden(preview(p, dcNS), QStringLiteral("preview_raster7_dark"), 40, 1);
}
