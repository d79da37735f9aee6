#include "data/db_delete.h"
// Bodies follow; until then every routine reports failure.
bool DeleteStationByName(const QString &Name)
{
    (void)Name;
    return false;
}

bool DeleteStation(int StationID)
{
    (void)StationID;
    return false;
}

bool DeleteStationFromLineMaps(int StationID)
{
    (void)StationID;
    return false;
}

bool DeleteStationRecord(int StationID)
{
    (void)StationID;
    return false;
}

bool DeleteStationFromLines(int StationID)
{
    (void)StationID;
    return false;
}

bool DeleteNewStation(int StationID)
{
    (void)StationID;
    return false;
}

bool DeleteLineByName(const QString &Name)
{
    (void)Name;
    return false;
}

bool DeleteLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineFromLineMaps(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineRecord(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineStationsOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineConnectionsOfLine(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineGraphic(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteLineFromLineMapStationTables(int LineID)
{
    (void)LineID;
    return false;
}

bool DeleteRemovedStationsFromLineMaps(int LineID, const QStringList &StationNames)
{
    (void)LineID;
    (void)StationNames;
    return false;
}

bool ClearLineConnection(int LineConnectionID)
{
    (void)LineConnectionID;
    return false;
}

