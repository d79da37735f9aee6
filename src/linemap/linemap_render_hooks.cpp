#include "linemap/linemap_render.h"

// The station, transfer-station and line-label drawing steps of a redraw live beside their
// helpers: DrawStations and DrawCurrentLineStations in linemap_render_stations.cpp,
// DrawLineTexts and DrawCurrentLineText in linemap_render_labels.cpp.
