#pragma once

#include <QString>
#include <QStringList>

#include "linemap/linemap_state.h"

// The widget-free steps of opening and closing the plan drawing editor. The window calls them
// when it is made, destroyed and shown, and does the control work itself.

// When the window is made: a fresh state (default Prefs with its fonts and direction records, an empty
// BackgroundPicture, StationTextPrefs and picture); ShowRaster off, the four other show flags on.
void LineMapFormCreate(TLineMapEditorState &State);
// When the window goes: frees what LineMapFormCreate made (the state returns to its empty form).
void LineMapFormDestroy(TLineMapEditorState &State);

// Opening a plan: the mode flags off, LineMapID := GetLineMapIDByName(PlanName),
// Prefs.Name := PlanName; the cursor, direction, step size and current line and station reset;
// the plan's style settings read from the project's line_map_prefs.ptf. False when the plan
// is not listed or has no settings row (the state is set as far as it could be).
bool LineMapOpenPrefs(TLineMapEditorState &State, const QString &PlanName);
// The Line names of all cdsLines rows in ID order for the window's line list, empty names
// skipped (unsorted; the list sorts itself).
QStringList LineMapLineNames();
// Loads lms_, lmisp_, lmimsp_<LineMapID>.ptf, or creates each table empty when
// its file is missing. The loaders report their own failures; a file that cannot be read leaves
// its table empty and marked, so no save writes over it.
void LineMapLoadPlanFiles(const TLineMapEditorState &State);
// Whether a table the plan is drawn from (the project's stations, lines, line colours and
// preferences, the plan's settings, the shared plan tables, its own three files) could not be
// read from its file: the picture would miss what that file holds.
bool LineMapDataDamaged(const TLineMapEditorState &State);
// The picture size (PreviewWidth/Height := Prefs.Width/Height) and the
// background: a ".bmp" background (any case) is loaded into BackgroundPicture; a missing or
// unreadable one, or one larger than PictureSizeAllowed takes, is reported with "Fehler beim
// laden der Datei: " and the path and the plan opens on its background colour; another
// extension clears Prefs.BackgroundImage in memory.
void LineMapLoadBackground(TLineMapEditorState &State);
// What showing the window does without it, in order: the style settings, the plan's files, the
// picture size and background, and the first redraw (the line list is the window's).
void LineMapFormShow(TLineMapEditorState &State, const QString &PlanName);
