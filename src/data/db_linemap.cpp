#include "data/db_linemap.h"
// Bodies follow; until then every routine reports failure.
bool AddLineMapPrefs(int LineMapID, const TLineMapPrefs &Prefs)
{
    (void)LineMapID;
    (void)Prefs;
    return false;
}

bool UpdateLineMapPrefs(int LineMapID, const TLineMapPrefs &Prefs)
{
    (void)LineMapID;
    (void)Prefs;
    return false;
}

bool ReadLineMapPrefs(int LineMapID, TLineMapPrefs &Prefs)
{
    (void)LineMapID;
    (void)Prefs;
    return false;
}

bool DeleteLineMapPrefs(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool AddLineMapStation(int LineID, int LineSectionID, int StationID, int XPos, int YPos)
{
    (void)LineID;
    (void)LineSectionID;
    (void)StationID;
    (void)XPos;
    (void)YPos;
    return false;
}

bool AddIndividualStationPrefs(int LineID, int IDType, int IDValue, int Position, int OffsetX, int OffsetY,
                               int TextDirection, int Rotation)
{
    (void)LineID;
    (void)IDType;
    (void)IDValue;
    (void)Position;
    (void)OffsetX;
    (void)OffsetY;
    (void)TextDirection;
    (void)Rotation;
    return false;
}

bool AddMultiStationPrefs(int StationID, int Position, int OffsetX, int OffsetY, int TextDirection, int Rotation)
{
    (void)StationID;
    (void)Position;
    (void)OffsetX;
    (void)OffsetY;
    (void)TextDirection;
    (void)Rotation;
    return false;
}

bool AddLineTextVisible(int LineMapID, int LineID, bool Start, bool End, bool Other)
{
    (void)LineMapID;
    (void)LineID;
    (void)Start;
    (void)End;
    (void)Other;
    return false;
}

bool AddLineTextColor(int LineMapID, int LineID, bool DefaultColor, int ColorRed, int ColorGreen, int ColorBlue,
                      bool DefaultBackgroundColor, int BackgroundColorRed, int BackgroundColorGreen,
                      int BackgroundColorBlue)
{
    (void)LineMapID;
    (void)LineID;
    (void)DefaultColor;
    (void)ColorRed;
    (void)ColorGreen;
    (void)ColorBlue;
    (void)DefaultBackgroundColor;
    (void)BackgroundColorRed;
    (void)BackgroundColorGreen;
    (void)BackgroundColorBlue;
    return false;
}

bool AddLineTextOffset(int LineMapID, int LineID, int Position, int SectionID, int X, int Y)
{
    (void)LineMapID;
    (void)LineID;
    (void)Position;
    (void)SectionID;
    (void)X;
    (void)Y;
    return false;
}

bool SetIndividualStationTextPosition(int LineID, int IDType, int IDValue, int Position, int TextDirection,
                                      int Rotation)
{
    (void)LineID;
    (void)IDType;
    (void)IDValue;
    (void)Position;
    (void)TextDirection;
    (void)Rotation;
    return false;
}

bool SetIndividualStationOffsetX(int LineID, int IDType, int IDValue, int OffsetX)
{
    (void)LineID;
    (void)IDType;
    (void)IDValue;
    (void)OffsetX;
    return false;
}

bool SetIndividualStationOffsetY(int LineID, int IDType, int IDValue, int OffsetY)
{
    (void)LineID;
    (void)IDType;
    (void)IDValue;
    (void)OffsetY;
    return false;
}

bool SetMultiStationTextPosition(int StationID, int Position, int TextDirection, int Rotation)
{
    (void)StationID;
    (void)Position;
    (void)TextDirection;
    (void)Rotation;
    return false;
}

bool SetMultiStationOffsetX(int StationID, int OffsetX)
{
    (void)StationID;
    (void)OffsetX;
    return false;
}

bool SetMultiStationOffsetY(int StationID, int OffsetY)
{
    (void)StationID;
    (void)OffsetY;
    return false;
}

int GetIndividualStationOffsetX(int LineID, int IDType, int IDValue)
{
    (void)LineID;
    (void)IDType;
    (void)IDValue;
    return -1;
}

int GetIndividualStationOffsetY(int LineID, int IDType, int IDValue)
{
    (void)LineID;
    (void)IDType;
    (void)IDValue;
    return -1;
}

int GetMultiStationOffsetX(int StationID)
{
    (void)StationID;
    return -1;
}

int GetMultiStationOffsetY(int StationID)
{
    (void)StationID;
    return -1;
}

int GetMultiStationTextDirection(int StationID)
{
    (void)StationID;
    return -1;
}

bool DeleteLineMapStationsOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteIndividualStationPrefs(int LineID, int IDType, int IDValue)
{
    (void)LineID;
    (void)IDType;
    (void)IDValue;
    return false;
}

bool DeleteIndividualStationPrefsOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteMultiStationPrefs(int StationID)
{
    (void)StationID;
    return false;
}

bool DeleteLineTextVisible(int LineMapID, int LineID)
{
    (void)LineMapID;
    (void)LineID;
    return false;
}

bool DeleteLineTextColor(int LineMapID, int LineID)
{
    (void)LineMapID;
    (void)LineID;
    return false;
}

bool DeleteLineTextOffset(int LineMapID, int LineID)
{
    (void)LineMapID;
    (void)LineID;
    return false;
}

bool DeleteLineTextOffsetAtPosition(int LineMapID, int LineID, int Position)
{
    (void)LineMapID;
    (void)LineID;
    (void)Position;
    return false;
}

bool DeleteLineTextVisibleOfMap(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteLineTextVisibleOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineTextColorOfMap(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteLineTextColorOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineTextOffsetOfMap(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteLineTextOffsetOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineMapLinesOfMap(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteLineMapLinesOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineMapLineSectionsOfMap(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteLineMapLineSectionsOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineMapLineIntersectionsOfMap(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteLineMapLineIntersectionsOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineMapStationsFile(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteIndividualStationPrefsFile(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteMultiStationPrefsFile(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteLineMapRecord(int LineMapID)
{
    (void)LineMapID;
    return false;
}

bool DeleteLineMap(int LineMapID)
{
    (void)LineMapID;
    return false;
}

