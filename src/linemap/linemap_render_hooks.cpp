#include "linemap/linemap_render.h"

// The station, transfer-station and line-label drawing steps of a redraw. They draw nothing yet.

void DrawLineTexts(QPainter &, TLineMapEditorState &)
{
}

void DrawCurrentLineText(QPainter &, TLineMapEditorState &)
{
}

void DrawStations(QPainter &, TLineMapEditorState &)
{
}

void DrawCurrentLineStations(QPainter &, TLineMapEditorState &)
{
}
