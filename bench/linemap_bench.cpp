// Drawing and exporting a generated plan: Redraw + ExportLineMapImage against libjpeg alone
// compressing the same pixels to memory. Prints both in ms (median of several runs) and their ratio.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "linemap/linemap_export.h"
#include "linemap/linemap_render.h"
#include "platform/table.h"

namespace {

void fillPlan(int lineMapID)
{
    CreateEmptyLineMapLines();
    CreateEmptyLineMapLineSections();
    CreateEmptyLineMapStations();
    CreateEmptyLineGraphic();
    CreateEmptyStations(); // the placements' names, drawn beside them
    Table &lines = dm1->cdsLineMapLines;
    Table &sections = dm1->cdsLineMapLineSections;
    Table &graphic = dm1->cdsLineGraphic;
    Table &stations = dm1->cdsLineMapStations;
    lines.open();
    sections.open();
    graphic.open();
    stations.open();
    int stationID = 1;
    for (int line = 1; line <= 30; ++line) {
        lines.append();
        lines.fieldByName(QStringLiteral("LineMapID")).setInteger(lineMapID);
        lines.fieldByName(QStringLiteral("LineID")).setInteger(line);
        lines.fieldByName(QStringLiteral("DefaultColor")).setBoolean(line % 2 == 0);
        lines.fieldByName(QStringLiteral("ColorRed")).setInteger(line * 8);
        lines.fieldByName(QStringLiteral("ColorGreen")).setInteger(255 - line * 8);
        lines.fieldByName(QStringLiteral("ColorBlue")).setInteger(100);
        lines.fieldByName(QStringLiteral("DefaultWidth")).setBoolean(line % 3 != 0);
        lines.fieldByName(QStringLiteral("DrawWidth")).setInteger(4 + line % 5);
        lines.post();
        graphic.append();
        graphic.fieldByName(QStringLiteral("LineID")).setInteger(line);
        graphic.fieldByName(QStringLiteral("ColorRed")).setInteger(200);
        graphic.fieldByName(QStringLiteral("ColorGreen")).setInteger(line * 7);
        graphic.fieldByName(QStringLiteral("ColorBlue")).setInteger(30);
        graphic.post();
        // A staircase course of six sections per line across the plan.
        int x = 40 + (line * 47) % 600;
        int y = 40 + (line * 31) % 500;
        for (int section = 1; section <= 6; ++section) {
            const int dx = section % 2 ? 160 : 80;
            const int dy = section % 2 ? 0 : 80;
            sections.append();
            sections.fieldByName(QStringLiteral("LineMapID")).setInteger(lineMapID);
            sections.fieldByName(QStringLiteral("LineID")).setInteger(line);
            sections.fieldByName(QStringLiteral("SectionID")).setInteger(section);
            sections.fieldByName(QStringLiteral("GroupID")).setInteger(1);
            sections.fieldByName(QStringLiteral("StartX")).setInteger(x);
            sections.fieldByName(QStringLiteral("StartY")).setInteger(y);
            sections.fieldByName(QStringLiteral("EndX")).setInteger(x + dx);
            sections.fieldByName(QStringLiteral("EndY")).setInteger(y + dy);
            sections.fieldByName(QStringLiteral("Degree")).setInteger(dy ? 135 : 90);
            sections.post();
            if (stationID <= 300)
                for (int k = 0; k < 2 && stationID <= 300; ++k, ++stationID) {
                    stations.append();
                    stations.fieldByName(QStringLiteral("LineID")).setInteger(line);
                    stations.fieldByName(QStringLiteral("LineSectionID")).setInteger(section);
                    stations.fieldByName(QStringLiteral("StationID")).setInteger(stationID);
                    stations.fieldByName(QStringLiteral("XPos")).setInteger(x + k * dx / 2);
                    stations.fieldByName(QStringLiteral("YPos")).setInteger(y + k * dy / 2);
                    stations.post();
                    dm1->cdsStations.open();
                    dm1->cdsStations.append();
                    dm1->cdsStations.fieldByName(QStringLiteral("ID")).setInteger(stationID);
                    dm1->cdsStations.fieldByName(QStringLiteral("Station")).setString(QStringLiteral("Station %1").arg(stationID));
                    dm1->cdsStations.post();
                }
            x += dx;
            y += dy;
        }
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    Tdm1 module;
    dm1 = &module;
    ProjectDir = dir.path();

    TLineMapEditorState state;
    state.LineMapID = 1;
    state.Prefs.Width = state.PreviewWidth = 1600;
    state.Prefs.Height = state.PreviewHeight = 1200;
    state.Prefs.BackgroundColor = 0xFFFFFF;
    state.Prefs.LineRasterWidth = 20;
    state.Prefs.LineDrawWidth = 6;
    state.Prefs.LineDefaultColor = true;
    state.ShowRaster = true;
    fillPlan(state.LineMapID);

    const int runs = 9;
    std::vector<double> drawExport, drawOnly, jpegOnly;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        Redraw(state);
        const double drawn = t.nsecsElapsed() / 1e6;
        if (!ExportLineMapImage(state)) {
            std::fprintf(stderr, "export failed\n");
            return 1;
        }
        drawExport.push_back(t.nsecsElapsed() / 1e6);
        drawOnly.push_back(drawn);

        QByteArray out;
        t.restart();
        if (!EncodeJpeg(state.Picture, out, 90)) {
            std::fprintf(stderr, "libjpeg failed\n");
            return 1;
        }
        jpegOnly.push_back(t.nsecsElapsed() / 1e6);
    }
    const double a = median(drawExport);
    const double b = median(jpegOnly);
    std::printf("plan 1600 x 1200, 30 lines, 180 sections, 300 station placements, raster on (median of %d)\n", runs);
    std::printf("Redraw + ExportLineMapImage: %.1f ms (Redraw alone %.1f ms)\n", a, median(drawOnly));
    std::printf("libjpeg to memory, quality 90: %.1f ms\n", b);
    std::printf("ratio: %.2f\n", a / b);
    dm1 = nullptr;
    return 0;
}
