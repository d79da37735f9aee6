#include "linemap/linemap_open.h"

#include <QFileInfo>
#include <QVector>

#include <algorithm>

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/db_linemap.h"
#include "data/table_files.h"
#include "data/main_globals.h"
#include "linemap/linemap_export.h"
#include "linemap/linemap_render.h"
#include "linemap/plan_tables.h"
#include "platform/dialog_service.h"
#include "platform/table.h"

void LineMapFormCreate(TLineMapEditorState &State)
{
    State = TLineMapEditorState();
    State.ShowRaster = false;
    State.ShowImage = true;
    State.ShowLines = true;
    State.ShowStations = true;
    State.ShowMultiStations = true;
}

void LineMapFormDestroy(TLineMapEditorState &State)
{
    State = TLineMapEditorState();
}

bool LineMapOpenPrefs(TLineMapEditorState &State, const QString &PlanName)
{
    State.LineMode = false;
    State.StationMode = false;
    State.LineMapID = GetLineMapIDByName(PlanName);
    State.Prefs.Name = PlanName;

    State.Degree = -1;
    State.CursorX = 0;
    State.CursorY = 0;
    State.SectionStartX = 0;
    State.SectionStartY = 0;
    State.StepSize = 1;
    State.CurrentLineID = -1;
    State.CurrentStationID = -1;
    State.DrawingOn = false;
    State.StationMoveCursor = false;

    const bool loaded = LoadLineMapPrefs(LineMapTableFile(LineMapTable::Prefs).fileName);
    const bool read = ReadLineMapPrefsOrDefault(State.LineMapID, State.Prefs);
    return loaded && read;
}

QStringList LineMapLineNames()
{
    QStringList names;
    Table &t = dm1->cdsLines;
    const int cName = Column(t, "Line");
    ReadRows(t, QStringLiteral("idxID"), [&](const TableRow &row) {
        const QString name = row.field(cName).asString();
        if (!name.isEmpty())
            names << name;
    });
    return names;
}

void LineMapLoadPlanFiles(const TLineMapEditorState &State)
{
    // Each loader creates its table empty when the file is missing and leaves it empty when the
    // file cannot be read, so no rows of the plan opened before stay.
    LoadLineMapStations(State.LineMapID);
    LoadLineMapIndividualStationPrefs(State.LineMapID);
    LoadLineMapIndividualMultiStationPrefs(State.LineMapID);
}

bool LineMapDataDamaged(const TLineMapEditorState &State)
{
    auto shared = [](const char *file) { return ProjectDir + QLatin1Char('/') + QLatin1String(file); };
    // The project's own tables give the picture its station and line names and its colours.
    QVector<TTableFile> files = {
        {&dm1->cdsStations, shared("stations.ptf")},
        {&dm1->cdsLines, shared("lines.ptf")},
        {&dm1->cdsLineGraphic, shared("line_graphic.ptf")},
        {&dm1->cdsPrefs, shared("prefs.ptf")},
    };
    // And every plan table it is drawn from.
    for (LineMapTable table : {LineMapTable::Prefs, LineMapTable::Lines, LineMapTable::Sections,
                               LineMapTable::Intersections, LineMapTable::TextVisible, LineMapTable::TextColor,
                               LineMapTable::TextOffset, LineMapTable::Stations, LineMapTable::StationNames,
                               LineMapTable::TransferNames})
        files << LineMapTableFile(table, State.LineMapID);
    return std::any_of(files.cbegin(), files.cend(),
                       [](const TTableFile &f) { return TableFileDamaged(*f.table, f.fileName); });
}

void LineMapLoadBackground(TLineMapEditorState &State)
{
    State.PreviewWidth = State.Prefs.Width;
    State.PreviewHeight = State.Prefs.Height;
    State.BackgroundPicture = QImage();
    const QString name = State.Prefs.BackgroundImage.trimmed();
    if (!State.Prefs.BackgroundImageOn || name.isEmpty())
        return;
    if (QFileInfo(name).suffix().toLower() != QLatin1String("bmp")) {
        // The editor shows only bitmaps; the name is dropped in memory, the stored row keeps it.
        State.Prefs.BackgroundImage.clear();
        return;
    }
    QImage image = ReadPictureFile(name, "BMP");
    if (image.isNull()) {
        // A missing, damaged or oversized bitmap is reported; the plan opens on its background
        // colour.
        dialogs().showMessage(QStringLiteral("Fehler beim laden der Datei: ") + name);
        return;
    }
    SetPlanResolution(image);
    State.BackgroundPicture = image;
}

void LineMapFormShow(TLineMapEditorState &State, const QString &PlanName)
{
    LineMapOpenPrefs(State, PlanName);
    LineMapLoadPlanFiles(State);
    LineMapLoadBackground(State);
    Redraw(State);
}
