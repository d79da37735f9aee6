#pragma once

#include <QImage>

#include <cstdint>

#include "data/db_linemap.h"
#include "linemap/linemap_records.h"

// The raster width that every division uses: a stored width below 1 (a hand-made file, a row
// left unfilled) counts as 1, so no routine divides by zero. Use it wherever the raster width
// is divided by or stepped with.
inline int RasterWidth(const TLineMapPrefs &Prefs)
{
    return Prefs.LineRasterWidth < 1 ? 1 : Prefs.LineRasterWidth;
}

// The drawing editor's state, owned by the window (TfmEditLineMapLines) and read and written by
// the plan engine. The window keeps one and hands it to the renderer, the export and the
// opening routines. Records are held by value; clearing an array frees them.
struct TLineMapEditorState
{
    int LineMapID = -1; // the open plan (cdsLineMaps)
    int CursorX = 0;
    int CursorY = 0;
    int SectionStartX = 0;
    int SectionStartY = 0;
    TLineMapPrefs Prefs; // style settings of the open plan
    std::int16_t Degree = -1; // current drawing direction; -1 none
    int StepSize = 1; // raster steps per direction click
    int CurrentLineID = -1;
    int CurrentStationID = -1;
    std::uint32_t LineColor = 0; // colour value, red in the low byte
    int LineWidth = 1;
    std::uint32_t VehicleColor = 0;
    int CurrentGroupID = 1;
    QImage BackgroundPicture; // copy of the background picture made when the plan is opened
    TLineSectionArray Sections; // the edited line's course
    TLineStationArray Stations; // the edited line's stops (station mode)
    TMultiStationArray MultiStations; // the plan's transfer stations (transfer mode)
    int TotalLength = 0;
    int CurrentSectionIndex = -1;
    int CurrentStationIndex = -1;
    int CurrentMultiStationIndex = -1;
    TStationTextPrefs StationTextPrefs; // scratch record of one station's name placement
    TLineConnectionArray Connections; // the edited line's junction points
    bool ShowRaster = false;
    bool ShowImage = true;
    bool ShowLines = true;
    bool ShowStations = true;
    bool ShowMultiStations = true;
    bool DrawingOn = false;
    bool StationMoveCursor = false;
    bool LineMode = false;
    bool StationMode = false;
    bool AllSectionsDeleted = false;

    // The plan picture (iPreview's bitmap): what the renderer last painted and the export
    // saves. Its size is the plan's, or the background bitmap's when that is shown.
    QImage Picture;
    // The picture control's client size, set when the plan is opened (the plan's Width and
    // Height); Redraw makes a fresh picture of this size.
    int PreviewWidth = 0;
    int PreviewHeight = 0;
};
