#pragma once

#include "platform/table.h"

// The data module: every table of a project, alive for the whole run. Field and index
// definitions are fixed here and kept with the tables, so a table created anew gets them back.
class Tdm1
{
public:
    Tdm1();
    Tdm1(const Tdm1 &) = delete;
    Tdm1 &operator=(const Tdm1 &) = delete;

    Table cdsStations{QStringLiteral("cdsStations")};
    Table cdsLines{QStringLiteral("cdsLines")};
    Table cdsNewStations{QStringLiteral("cdsNewStations")};
    Table cdsLineStations{QStringLiteral("cdsLineStations")};
    Table cdsDayGroups{QStringLiteral("cdsDayGroups")};
    Table cdsTimeTable{QStringLiteral("cdsTimeTable")};
    Table cdsLineConnections{QStringLiteral("cdsLineConnections")};
    Table cdsTimeTableConnections{QStringLiteral("cdsTimeTableConnections")};
    Table cdsIntervals{QStringLiteral("cdsIntervals")};
    Table cdsProject{QStringLiteral("cdsProject")};
    Table cdsShortDistances{QStringLiteral("cdsShortDistances")};
    Table cdsLineGraphic{QStringLiteral("cdsLineGraphic")};
    Table cdsPrefs{QStringLiteral("cdsPrefs")};
    Table cdsLineMaps{QStringLiteral("cdsLineMaps")};
    Table cdsLineMapPrefs{QStringLiteral("cdsLineMapPrefs")};
    Table cdsLineMapLines{QStringLiteral("cdsLineMapLines")};
    Table cdsLineMapLineSections{QStringLiteral("cdsLineMapLineSections")};
    Table cdsLineMapLineConnections{QStringLiteral("cdsLineMapLineConnections")};
    Table cdsLineMapStations{QStringLiteral("cdsLineMapStations")};
    Table cdsLineMapIndividualStationPrefs{QStringLiteral("cdsLineMapIndividualStationPrefs")};
    Table cdsLineMapIndividualMultiStationPrefs{QStringLiteral("cdsLineMapIndividualMultiStationPrefs")};
    Table cdsLineMapLineTextVisible{QStringLiteral("cdsLineMapLineTextVisible")};
    Table cdsLineMapLineTextColor{QStringLiteral("cdsLineMapLineTextColor")};
    Table cdsLineMapLineTextOffset{QStringLiteral("cdsLineMapLineTextOffset")};

    // The 24 tables in the module's order.
    QVector<Table *> tables();
};

// The one data module, created at start-up (nullptr before).
extern Tdm1 *dm1;
