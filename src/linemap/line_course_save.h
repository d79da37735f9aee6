#pragma once

#include <QString>

#include <cstdint>
#include <vector>

#include "linemap/linemap_state.h"

// Storing a drawn line course: the normalisation that turns the drawn sections into the stored
// ones (empty sections dropped, one unbranched chain per group, sections split where another
// section starts or ends in their middle), the junction rows, and the save chain that writes
// the line's plan row, sections and junctions to the shared plan tables and their files.

// The compass direction from a section's start to its end (a multiple of 45); -1 when the
// section has no length.
int SectionDirection(const TLineSection &Section);
// Whether the course holds a section of any length. A course of zero-length sections only is
// empty: saving it takes the line off the plan.
bool CourseHasSections(const TLineSectionArray &Sections);

// The course as it is stored, and where each drawn section went.
struct TNormalisedCourse
{
    TLineSectionArray Sections;
    // Per drawn section (by index), the indexes in Sections of its parts in course order; empty
    // for a section that was dropped for having no length.
    std::vector<std::vector<int>> Parts;
};
TNormalisedCourse NormaliseLineCourse(const TLineSectionArray &Drawn);

// The SectionID that a station standing at (X, Y) on drawn section DrawnSectionID gets: the part
// of a split section its point lies on; for a dropped section the section that took its place
// (the last one when it was the last). A number outside the drawn course stays as it is.
int MapStationSection(const TNormalisedCourse &Course, int DrawnSectionID, int X, int Y);
// The SectionIDs that a name placement made for drawn section DrawnSectionID applies to: every
// part of a split section, none for a dropped one. A number outside the drawn course stays.
std::vector<int> MapSectionPlacement(const TNormalisedCourse &Course, int DrawnSectionID);

// The junction rows of a stored course: one per meeting end at every point where three or more
// section ends meet, the entries of one point next to each other. The course is not changed.
TLineConnectionArray LineJunctions(const TLineSectionArray &Sections);

// The line-mode check boxes the save stores with the line's plan row.
struct TLineCourseSaveChoices
{
    bool DefaultColor = true;
    bool DefaultWidth = true;
    bool VehicleDefaultColor = true;
};

// One station row of the line in the plan's station file, and one section-scoped name placement.
struct TCourseStationRow
{
    int LineSectionID = 0;
    int StationID = 0;
    int XPos = 0;
    int YPos = 0;
    bool operator==(const TCourseStationRow &) const = default;
};
struct TCoursePlacementRow
{
    int IDValue = 0;
    int Position = 0;
    int OffsetX = 0;
    int OffsetY = 0;
    int TextDirection = 0;
    int Rotation = 0;
    bool operator==(const TCoursePlacementRow &) const = default;
};

// The line's station rows and section placements as they stood before the first save of this
// visit to line mode renumbered them. A save that stopped after writing the renumbered files is
// tried again from these, so no number shifts twice. Cleared on entering line mode.
struct TLineCourseSaveMemo
{
    bool Taken = false;
    std::vector<TCourseStationRow> Stations;
    std::vector<TCoursePlacementRow> Placements;
    // The line's section placements as the file last written holds them.
    std::vector<TCoursePlacementRow> PlacementsSaved;
};

// Saves State.Sections as the course of State.CurrentLineID on plan State.LineMapID: the plan
// row, the station and name-placement renumbering, the sections and the junctions, each file
// written at once, stopping at the first failure (earlier files stay written). The drawn
// course in State is left as it is, so a stopped save can be tried again.
// True when every step succeeded; otherwise FailedFile names the file that could not be
// written (empty when a loader already reported its file).
bool SaveLineCourse(const TLineMapEditorState &State, const TLineCourseSaveChoices &Choices, TLineCourseSaveMemo &Memo,
                    QString *FailedFile = nullptr);

// The line's row of the plan in cdsLineMapLines.
struct TLineMapLineRow
{
    bool DefaultColor = true;
    std::uint32_t Color = 0;
    bool DefaultWidth = true;
    int DrawWidth = 0;
    bool VehicleDefaultColor = true;
    std::uint32_t VehicleColor = 0;
};
// False when the line has no row on the plan (it was never saved there); Row is then unchanged.
bool ReadLineMapLineRow(int LineMapID, int LineID, TLineMapLineRow &Row);
// The stored course of State.CurrentLineID on the plan: State.Sections in SectionID order and
// State.Connections from its junction rows.
void LoadLineCourse(TLineMapEditorState &State);
