#include "data/data_module_1.h"

#include <gtest/gtest.h>

namespace {

QString typeName(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return QStringLiteral("String");
    case FieldType::Smallint:
        return QStringLiteral("Smallint");
    case FieldType::Integer:
        return QStringLiteral("Integer");
    case FieldType::AutoInc:
        return QStringLiteral("AutoInc");
    case FieldType::Boolean:
        return QStringLiteral("Boolean");
    case FieldType::Float:
        return QStringLiteral("Float");
    case FieldType::Unknown:
        break;
    }
    return QStringLiteral("Unknown");
}

// One line per table, then one per field (with its size when it has one) and one per index, each
// in the order the module defines them.
QString catalogue(Tdm1 &module)
{
    QStringList lines;
    for (Table *table : module.tables()) {
        lines << table->name();
        for (const FieldDef &f : table->fieldDefs())
            lines << QStringLiteral("  %1 %2%3").arg(f.name, typeName(f.type),
                                                     f.size ? QStringLiteral("(%1)").arg(f.size) : QString());
        for (const IndexDef &i : table->indexDefs())
            lines << QStringLiteral("  index %1 (%2)%3")
                         .arg(i.name, i.fields, i.unique ? QStringLiteral(" unique") : QString());
    }
    return lines.join(QLatin1Char('\n'));
}

// The tables' files carry these columns in this order, and the routines find rows through these
// indexes: a field moved, retyped, resized or renamed changes the table's file.
const char *const kCatalogue = R"(cdsStations
  ID Integer
  Station String(64)
  index idxID (ID) unique
  index idxStationName (Station)
cdsLines
  ID Integer
  Line String(64)
  index idxID (ID) unique
  index idxLineName (Line)
cdsNewStations
  StationID Integer
  index idxID (StationID) unique
cdsLineStations
  LineID Integer
  LineStationNumber Integer
  StationID Integer
  index idxLineID (LineID)
  index idxLineStations (LineID;LineStationNumber)
  index idxStationID (StationID)
  index idxLineStationNumber (LineStationNumber)
cdsDayGroups
  ID Integer
  Group String(32)
  Days String(16)
  Text String(32)
  index idxID (ID)
  index idxDays (Days)
  index idxGroup (Group)
  index idxText (Text)
cdsTimeTable
  index idxID (ID)
cdsLineConnections
  ID Integer
  LineID Integer
  DayGroupID Integer
  Direction Smallint
  index idxID (ID)
  index idxLineID (LineID)
  index idxAll (LineID;DayGroupID;Direction)
  index idxDayGroupID (DayGroupID)
cdsTimeTableConnections
  StationID Integer
  DayGroupID Integer
  Direction Integer
  Position Integer
  index idxSDD (StationID;DayGroupID;Direction)
  index idxStation (StationID)
  index idxPosition (Position)
  index idxDD (DayGroupID;Direction)
cdsIntervals
  ID Integer
  Interval Float
  index IdxInterval (Interval)
  index IdxID (ID)
cdsProject
  DataStandard String(20)
  DataVersion String(20)
  PTFVersion String(20)
  ProgName String(32)
  ProgVersion String(8)
  ProgType String(20)
  MaxDriveMinutes Integer
  LastSave String(20)
cdsShortDistances
  LineConnectionID Integer
  Distances String(100)
cdsLineGraphic
  LineID Integer
  ColorRed Integer
  ColorGreen Integer
  ColorBlue Integer
  index idxLineID (LineID)
cdsPrefs
  ProjectName String(20)
  LineColorRed Integer
  LineColorGreen Integer
  LineColorBlue Integer
cdsLineMaps
  ID Integer
  Name String(64)
  index idxID (ID) unique
  index idxMapName (Name)
cdsLineMapPrefs
  LineMapID Integer
  Width Integer
  Height Integer
  BackgroundColorRed Integer
  BackgroundColorGreen Integer
  BackgroundColorBlue Integer
  BackgroundImageOn Boolean
  BackgroundImage String(128)
  LineRasterWidth Integer
  LineDefaultColor Boolean
  LineColorRed Integer
  LineColorGreen Integer
  LineColorBlue Integer
  LineDrawWidth Integer
  LineTextPosStart Boolean
  LineTextPosEnd Boolean
  LineTextPosOther Boolean
  LineTextFontCharset Integer
  LineTextFontName String(20)
  LineTextFontSize Integer
  LineTextFontStyleBold Boolean
  LineTextFontStyleItalic Boolean
  LineTextFontStyleUnderline Boolean
  LineTextFontStyleStrikeOut Boolean
  LineTextDefaultColor Boolean
  LineTextColorRed Integer
  LineTextColorGreen Integer
  LineTextColorBlue Integer
  LineTextDefaultBackgroundColor Boolean
  LineTextBackgroundColorRed Integer
  LineTextBackgroundColorGreen Integer
  LineTextBackgroundColorBlue Integer
  LineTextDistance Integer
  VehicleColorRed Integer
  VehicleColorGreen Integer
  VehicleColorBlue Integer
  StationFontCharset Integer
  StationFontColorRed Integer
  StationFontColorGreen Integer
  StationFontColorBlue Integer
  StationFontName String(64)
  StationFontSize Integer
  StationFontStyleBold Boolean
  StationFontStyleItalic Boolean
  StationFontStyleUnderline Boolean
  StationFontStyleStrikeOut Boolean
  StationWEPosition Integer
  StationWEOffsetX Integer
  StationWEOffsetY Integer
  StationWETextDirection Integer
  StationWERotation Integer
  StationNSPosition Integer
  StationNSOffsetX Integer
  StationNSOffsetY Integer
  StationNSTextDirection Integer
  StationNSRotation Integer
  StationNWSEPosition Integer
  StationNWSEOffsetX Integer
  StationNWSEOffsetY Integer
  StationNWSETextDirection Integer
  StationNWSERotation Integer
  StationSWNEPosition Integer
  StationSWNEOffsetX Integer
  StationSWNEOffsetY Integer
  StationSWNETextDirection Integer
  StationSWNERotation Integer
  MultiStationFontCharset Integer
  MultiStationFontColorRed Integer
  MultiStationFontColorGreen Integer
  MultiStationFontColorBlue Integer
  MultiStationFontName String(20)
  MultiStationFontSize Integer
  MultiStationFontStyleBold Boolean
  MultiStationFontStyleItalic Boolean
  MultiStationFontStyleUnderline Boolean
  MultiStationFontStyleStrikeOut Boolean
  MultiStationRoundSelfPos Boolean
  MultiStationTextInheritSelfPos Boolean
  MultiStationRoundParallel Boolean
  MultiStationAutoPos Boolean
  MultiStationPosition Integer
  MultiStationAlign Integer
  MultiStationOffsetX Integer
  MultiStationOffsetY Integer
  MultiStationRotation Integer
  index idxMapID (LineMapID)
cdsLineMapLines
  LineMapID Integer
  LineID Integer
  DefaultColor Boolean
  ColorRed Integer
  ColorGreen Integer
  ColorBlue Integer
  DefaultWidth Boolean
  DrawWidth Integer
  VehicleDefaultColor Boolean
  VehicleColorRed Integer
  VehicleColorGreen Integer
  VehicleColorBlue Integer
  index idxMapLine (LineMapID;LineID)
  index idxLineID (LineID)
  index idxLineMapID (LineMapID)
cdsLineMapLineSections
  LineMapID Integer
  LineID Integer
  SectionID Integer
  GroupID Integer
  LineDirection Integer
  StartX Integer
  StartY Integer
  EndX Integer
  EndY Integer
  Degree Integer
  index idxMapLine (LineMapID;LineID)
  index idxMapLineSection (LineMapID;LineID;SectionID)
  index idxLineID (LineID)
  index idxLineMapID (LineMapID)
cdsLineMapLineConnections
  LineMapID Integer
  LineID Integer
  XPos Integer
  YPos Integer
  Section Integer
  Group Integer
  Ending Boolean
  index idxMapLine (LineMapID;LineID)
  index idxLineID (LineID)
  index idxLineMapID (LineMapID)
  index idxPos (LineMapID;LineID;Ending;XPos;YPos)
cdsLineMapStations
  LineID Integer
  LineSectionID Integer
  StationID Integer
  XPos Integer
  YPos Integer
  index idxStationID (StationID)
  index idxLineID (LineID)
cdsLineMapIndividualStationPrefs
  LineID Integer
  IDType Integer
  IDValue Integer
  Position Integer
  OffsetX Integer
  OffsetY Integer
  TextDirection Integer
  Rotation Integer
  index idxLineIDTypeValue (LineID;IDType;IDValue)
  index idxTypeValue (IDType;IDValue)
  index idxLineID (LineID)
cdsLineMapIndividualMultiStationPrefs
  StationID Integer
  Position Integer
  OffsetX Integer
  OffsetY Integer
  TextDirection Integer
  Rotation Integer
  index idxStationID (StationID)
cdsLineMapLineTextVisible
  LineMapID Integer
  LineID Integer
  Start Boolean
  End Boolean
  Other Boolean
  index idxMapLine (LineMapID;LineID)
  index idxLineID (LineID)
  index idxLineMapID (LineMapID)
cdsLineMapLineTextColor
  LineMapID Integer
  LineID Integer
  DefaultColor Boolean
  ColorRed Integer
  ColorGreen Integer
  ColorBlue Integer
  DefaultBackgroundColor Boolean
  BackgroundColorRed Integer
  BackgroundColorGreen Integer
  BackgroundColorBlue Integer
  index idxMapLine (LineMapID;LineID)
  index idxLineMapID (LineMapID)
  index idxLineID (LineID)
cdsLineMapLineTextOffset
  LineMapID Integer
  LineID Integer
  Position Integer
  SectionID Integer
  X Integer
  Y Integer
  index idxMapLine (LineMapID;LineID)
  index idxLineMapID (LineMapID)
  index idxLineID (LineID)
  index idxMapLinePosition (LineMapID;LineID;Position))";

TEST(DataModule, EveryTableKeepsItsFieldsAndIndexesInOrder)
{
    Tdm1 module;
    EXPECT_EQ(catalogue(module).toStdString(), kCatalogue);
}

} // namespace
