#pragma once

#include <QString>

#include <cstdint>

#include "platform/dialog_service.h" // FontValue
#include "platform/table.h"

#include <initializer_list>

// The style settings of one line network plan and the row routines on the plan tables of dm1.
// None of them throws; they report by their result only, except that the reads of the shared
// tables report a damaged file themselves.

// The default placement of station names along lines of one direction class.
struct TStationDirectionPrefs {
    std::uint8_t Position = 0; // side of the line on which the name stands
    int OffsetX = 0;
    int OffsetY = 0;
    std::uint8_t TextDirection = 0; // 0 left, 1 centre, 2 right
    int Rotation = 0;               // 0, 45, -45, 90 or -90

    bool operator==(const TStationDirectionPrefs &) const = default;
};

// One row of cdsLineMapPrefs (without its LineMapID). Colours are colour values (red in the
// low byte); the fonts are plain values the plan windows turn into QFonts. Only StationFont and
// MultiStationFont keep their colour in the row.
struct TLineMapPrefs {
    QString Name; // the plan's name; kept in cdsLineMaps, not in the row
    int Width = 0;
    int Height = 0;
    int BackgroundColor = 0;
    bool BackgroundImageOn = false;
    QString BackgroundImage;
    int LineRasterWidth = 0;
    bool LineDefaultColor = false;
    int LineColor = 0;
    int LineDrawWidth = 0;
    bool LineTextPosStart = false;
    bool LineTextPosEnd = false;
    bool LineTextPosOther = false;
    FontValue LineTextFont;
    bool LineTextDefaultColor = false;
    int LineTextColor = 0;
    bool LineTextDefaultBackgroundColor = false;
    int LineTextBackgroundColor = 0;
    int LineTextDistance = 0;
    int VehicleColor = 0;
    FontValue StationFont;
    TStationDirectionPrefs WE;
    TStationDirectionPrefs NS;
    TStationDirectionPrefs NWSE;
    TStationDirectionPrefs SWNE;
    FontValue MultiStationFont;
    bool MultiStationRoundSelfPos = false;
    bool MultiStationTextInheritSelfPos = false;
    bool MultiStationRoundParallel = false;
    bool MultiStationAutoPos = false;
    std::uint8_t MultiStationPosition = 0; // 0 to 11
    std::uint8_t MultiStationAlign = 0;    // 0 to 2
    int MultiStationOffsetX = 0;
    int MultiStationOffsetY = 0;
    int MultiStationRotation = 0;

    bool operator==(const TLineMapPrefs &) const = default;
};

// --- the plan's style row in cdsLineMapPrefs; the writing ones save line_map_prefs.ptf, and
// when that write fails the row is as it was before (added, changed or deleted row taken back)
bool AddLineMapPrefs(int LineMapID, const TLineMapPrefs &Prefs);    // false when the row exists
bool UpdateLineMapPrefs(int LineMapID, const TLineMapPrefs &Prefs); // false when there is none
bool ReadLineMapPrefs(int LineMapID, TLineMapPrefs &Prefs);         // record unchanged when false
// The plan's row as ReadLineMapPrefs reads it; without one (no row, or a settings file that could
// not be read) the record gets the program template's settings for a new plan, or blank ones
// when the template cannot be read either, and keeps its Name: never another plan's values.
// Leaves the rows of cdsLineMapPrefs and its damaged mark as they are and writes nothing; false
// when the plan's row was not read.
bool ReadLineMapPrefsOrDefault(int LineMapID, TLineMapPrefs &Prefs);
bool DeleteLineMapPrefs(int LineMapID);                             // false when there is no row

// --- row routines on the tables in memory: no file is read or written
bool AddLineMapStation(int LineID, int LineSectionID, int StationID, int XPos, int YPos);
bool AddIndividualStationPrefs(int LineID, int IDType, int IDValue, int Position, int OffsetX, int OffsetY,
                               int TextDirection, int Rotation);
bool AddMultiStationPrefs(int StationID, int Position, int OffsetX, int OffsetY, int TextDirection, int Rotation);
bool AddLineTextVisible(int LineMapID, int LineID, bool Start, bool End, bool Other);
bool AddLineTextColor(int LineMapID, int LineID, bool DefaultColor, int ColorRed, int ColorGreen, int ColorBlue,
                      bool DefaultBackgroundColor, int BackgroundColorRed, int BackgroundColorGreen,
                      int BackgroundColorBlue);
bool AddLineTextOffset(int LineMapID, int LineID, int Position, int SectionID, int X, int Y);

// Set and Get search the table's active index (the caller keeps idxLineIDTypeValue on
// cdsLineMapIndividualStationPrefs and idxStationID on cdsLineMapIndividualMultiStationPrefs).
// Set: false when the row is missing. Get: -1 when the row is missing.
bool SetIndividualStationTextPosition(int LineID, int IDType, int IDValue, int Position, int TextDirection,
                                      int Rotation);
bool SetIndividualStationOffsetX(int LineID, int IDType, int IDValue, int OffsetX);
bool SetIndividualStationOffsetY(int LineID, int IDType, int IDValue, int OffsetY);
bool SetMultiStationTextPosition(int StationID, int Position, int TextDirection, int Rotation);
bool SetMultiStationOffsetX(int StationID, int OffsetX);
bool SetMultiStationOffsetY(int StationID, int OffsetY);
int GetIndividualStationOffsetX(int LineID, int IDType, int IDValue);
int GetIndividualStationOffsetY(int LineID, int IDType, int IDValue);
int GetMultiStationOffsetX(int StationID);
int GetMultiStationOffsetY(int StationID);
int GetMultiStationTextDirection(int StationID);

// Row deletes in memory only; each sets its index, true.
bool DeleteLineMapStationsOfLine(int LineID);
bool DeleteIndividualStationPrefs(int LineID, int IDType, int IDValue);
bool DeleteIndividualStationPrefsOfLine(int LineID);
bool DeleteMultiStationPrefs(int StationID);
bool DeleteLineTextVisible(int LineMapID, int LineID);
bool DeleteLineTextColor(int LineMapID, int LineID);
bool DeleteLineTextOffset(int LineMapID, int LineID);
bool DeleteLineTextOffsetAtPosition(int LineMapID, int LineID, int Position);

// Row deletes on the shared tables that write their file; the result is the write's. Each reads
// the table from the project's file first (a failed read is the result), so rows of another
// project or a template never reach the file; a file that does not exist holds no rows and stays
// missing (true). A failed write puts the deleted rows back.
bool DeleteLineTextVisibleOfMap(int LineMapID);
bool DeleteLineTextVisibleOfLine(int LineID);
bool DeleteLineTextColorOfMap(int LineMapID);
bool DeleteLineTextColorOfLine(int LineID);
bool DeleteLineTextOffsetOfMap(int LineMapID);
bool DeleteLineTextOffsetOfLine(int LineID);
bool DeleteLineMapLinesOfMap(int LineMapID);
bool DeleteLineMapLinesOfLine(int LineID);
bool DeleteLineMapLineSectionsOfMap(int LineMapID);
bool DeleteLineMapLineSectionsOfLine(int LineID);
bool DeleteLineMapLineIntersectionsOfMap(int LineMapID);
bool DeleteLineMapLineIntersectionsOfLine(int LineID);

// The plan's three per-plan files (lms_, lmisp_, lmimsp_<LineMapID>.ptf): true when the file is
// missing or was deleted.
bool DeleteLineMapStationsFile(int LineMapID);
bool DeleteIndividualStationPrefsFile(int LineMapID);
bool DeleteMultiStationPrefsFile(int LineMapID);

// Deletes the plan's cdsLineMaps row and writes line_maps.ptf; the write's result (false when
// there is no such row).
bool DeleteLineMapRecord(int LineMapID);

// Deletes a whole plan: its three files, its rows in the six shared tables, its style row and its
// list row, stopping at the first failure. A plan whose data was never written is deleted all
// the same; its image is kept. A shared file, the settings or the plan list that cannot be read
// stops it before anything is deleted.
bool DeleteLineMap(int LineMapID);

// ---------------------------------------------------------------- failed writes and damaged files

// A table and the file a save writes it to.
struct TTableFile {
    Table *table;
    QString fileName;
};
// The plan tables and the files in the project folder they are read from and written to; a
// plan's own tables (station positions, station names, transfer names) have one file per plan.
enum class LineMapTable {
    Prefs, Lines, Sections, Intersections, TextVisible, TextColor, TextOffset,
    Stations, StationNames, TransferNames
};
TTableFile LineMapTableFile(LineMapTable Which, int LineMapID = -1);

// A save that writes several files asks first: when one of the tables failed to load from the
// file it is to be written to, that file is reported as damaged and left unchanged (in the
// writer's words, once) and the result is true, so the save writes none of its files.
bool RefuseDamagedFiles(std::initializer_list<TTableFile> files);
