#include "data/data_module_1.h"

#include "data/main_globals.h"
#include "platform/file_change.h"

#include <initializer_list>

Tdm1 *dm1 = nullptr;

namespace {

constexpr FieldType S = FieldType::String;
constexpr FieldType I = FieldType::Integer;
constexpr FieldType SI = FieldType::Smallint;
constexpr FieldType B = FieldType::Boolean;
constexpr FieldType F = FieldType::Float;

constexpr bool Unique = true;

struct FieldEntry {
    const char *name;
    FieldType type;
    int size = 0; // of a String field
};

struct IndexEntry {
    const char *name;
    const char *fields; // separated by ";"
    bool unique = false;
};

struct TableEntry {
    Table Tdm1::*table;
    std::initializer_list<FieldEntry> fields;
    std::initializer_list<IndexEntry> indexes;
};

// Every table in the module's order with its fields in file column order, then its indexes.
// The trip table's fields come from each file it reads; it only brings its index.
constexpr TableEntry kCatalogue[] = {
    {&Tdm1::cdsStations, {{"ID", I}, {"Station", S, 64}}, {{"idxID", "ID", Unique}, {"idxStationName", "Station"}}},
    {&Tdm1::cdsLines, {{"ID", I}, {"Line", S, 64}}, {{"idxID", "ID", Unique}, {"idxLineName", "Line"}}},
    {&Tdm1::cdsNewStations, {{"StationID", I}}, {{"idxID", "StationID", Unique}}},
    {&Tdm1::cdsLineStations,
     {{"LineID", I}, {"LineStationNumber", I}, {"StationID", I}},
     {{"idxLineID", "LineID"},
      {"idxLineStations", "LineID;LineStationNumber"},
      {"idxStationID", "StationID"},
      {"idxLineStationNumber", "LineStationNumber"}}},
    {&Tdm1::cdsDayGroups,
     {{"ID", I}, {"Group", S, 32}, {"Days", S, 16}, {"Text", S, 32}},
     {{"idxID", "ID"}, {"idxDays", "Days"}, {"idxGroup", "Group"}, {"idxText", "Text"}}},
    {&Tdm1::cdsTimeTable, {}, {{"idxID", "ID"}}},
    {&Tdm1::cdsLineConnections,
     {{"ID", I}, {"LineID", I}, {"DayGroupID", I}, {"Direction", SI}},
     {{"idxID", "ID"},
      {"idxLineID", "LineID"},
      {"idxAll", "LineID;DayGroupID;Direction"},
      {"idxDayGroupID", "DayGroupID"}}},
    {&Tdm1::cdsTimeTableConnections,
     {{"StationID", I}, {"DayGroupID", I}, {"Direction", I}, {"Position", I}},
     {{"idxSDD", "StationID;DayGroupID;Direction"},
      {"idxStation", "StationID"},
      {"idxPosition", "Position"},
      {"idxDD", "DayGroupID;Direction"}}},
    {&Tdm1::cdsIntervals, {{"ID", I}, {"Interval", F}}, {{"IdxInterval", "Interval"}, {"IdxID", "ID"}}},
    {&Tdm1::cdsProject,
     {{"DataStandard", S, 20},
      {"DataVersion", S, 20},
      {"PTFVersion", S, 20},
      {"ProgName", S, 32},
      {"ProgVersion", S, 8},
      {"ProgType", S, 20},
      {"MaxDriveMinutes", I},
      {"LastSave", S, 20}},
     {}},
    {&Tdm1::cdsShortDistances, {{"LineConnectionID", I}, {"Distances", S, 100}}, {}},
    {&Tdm1::cdsLineGraphic,
     {{"LineID", I}, {"ColorRed", I}, {"ColorGreen", I}, {"ColorBlue", I}},
     {{"idxLineID", "LineID"}}},
    {&Tdm1::cdsPrefs, {{"ProjectName", S, 20}, {"LineColorRed", I}, {"LineColorGreen", I}, {"LineColorBlue", I}}, {}},
    {&Tdm1::cdsLineMaps, {{"ID", I}, {"Name", S, 64}}, {{"idxID", "ID", Unique}, {"idxMapName", "Name"}}},
    {&Tdm1::cdsLineMapPrefs,
     {{"LineMapID", I},
      {"Width", I},
      {"Height", I},
      {"BackgroundColorRed", I},
      {"BackgroundColorGreen", I},
      {"BackgroundColorBlue", I},
      {"BackgroundImageOn", B},
      {"BackgroundImage", S, 128},
      {"LineRasterWidth", I},
      {"LineDefaultColor", B},
      {"LineColorRed", I},
      {"LineColorGreen", I},
      {"LineColorBlue", I},
      {"LineDrawWidth", I},
      {"LineTextPosStart", B},
      {"LineTextPosEnd", B},
      {"LineTextPosOther", B},
      {"LineTextFontCharset", I},
      {"LineTextFontName", S, 20},
      {"LineTextFontSize", I},
      {"LineTextFontStyleBold", B},
      {"LineTextFontStyleItalic", B},
      {"LineTextFontStyleUnderline", B},
      {"LineTextFontStyleStrikeOut", B},
      {"LineTextDefaultColor", B},
      {"LineTextColorRed", I},
      {"LineTextColorGreen", I},
      {"LineTextColorBlue", I},
      {"LineTextDefaultBackgroundColor", B},
      {"LineTextBackgroundColorRed", I},
      {"LineTextBackgroundColorGreen", I},
      {"LineTextBackgroundColorBlue", I},
      {"LineTextDistance", I},
      {"VehicleColorRed", I},
      {"VehicleColorGreen", I},
      {"VehicleColorBlue", I},
      {"StationFontCharset", I},
      {"StationFontColorRed", I},
      {"StationFontColorGreen", I},
      {"StationFontColorBlue", I},
      {"StationFontName", S, 64},
      {"StationFontSize", I},
      {"StationFontStyleBold", B},
      {"StationFontStyleItalic", B},
      {"StationFontStyleUnderline", B},
      {"StationFontStyleStrikeOut", B},
      {"StationWEPosition", I},
      {"StationWEOffsetX", I},
      {"StationWEOffsetY", I},
      {"StationWETextDirection", I},
      {"StationWERotation", I},
      {"StationNSPosition", I},
      {"StationNSOffsetX", I},
      {"StationNSOffsetY", I},
      {"StationNSTextDirection", I},
      {"StationNSRotation", I},
      {"StationNWSEPosition", I},
      {"StationNWSEOffsetX", I},
      {"StationNWSEOffsetY", I},
      {"StationNWSETextDirection", I},
      {"StationNWSERotation", I},
      {"StationSWNEPosition", I},
      {"StationSWNEOffsetX", I},
      {"StationSWNEOffsetY", I},
      {"StationSWNETextDirection", I},
      {"StationSWNERotation", I},
      {"MultiStationFontCharset", I},
      {"MultiStationFontColorRed", I},
      {"MultiStationFontColorGreen", I},
      {"MultiStationFontColorBlue", I},
      {"MultiStationFontName", S, 20},
      {"MultiStationFontSize", I},
      {"MultiStationFontStyleBold", B},
      {"MultiStationFontStyleItalic", B},
      {"MultiStationFontStyleUnderline", B},
      {"MultiStationFontStyleStrikeOut", B},
      {"MultiStationRoundSelfPos", B},
      {"MultiStationTextInheritSelfPos", B},
      {"MultiStationRoundParallel", B},
      {"MultiStationAutoPos", B},
      {"MultiStationPosition", I},
      {"MultiStationAlign", I},
      {"MultiStationOffsetX", I},
      {"MultiStationOffsetY", I},
      {"MultiStationRotation", I}},
     {{"idxMapID", "LineMapID"}}},
    {&Tdm1::cdsLineMapLines,
     {{"LineMapID", I},
      {"LineID", I},
      {"DefaultColor", B},
      {"ColorRed", I},
      {"ColorGreen", I},
      {"ColorBlue", I},
      {"DefaultWidth", B},
      {"DrawWidth", I},
      {"VehicleDefaultColor", B},
      {"VehicleColorRed", I},
      {"VehicleColorGreen", I},
      {"VehicleColorBlue", I}},
     {{"idxMapLine", "LineMapID;LineID"}, {"idxLineID", "LineID"}, {"idxLineMapID", "LineMapID"}}},
    {&Tdm1::cdsLineMapLineSections,
     {{"LineMapID", I},
      {"LineID", I},
      {"SectionID", I},
      {"GroupID", I},
      {"LineDirection", I},
      {"StartX", I},
      {"StartY", I},
      {"EndX", I},
      {"EndY", I},
      {"Degree", I}},
     {{"idxMapLine", "LineMapID;LineID"},
      {"idxMapLineSection", "LineMapID;LineID;SectionID"},
      {"idxLineID", "LineID"},
      {"idxLineMapID", "LineMapID"}}},
    {&Tdm1::cdsLineMapLineConnections,
     {{"LineMapID", I}, {"LineID", I}, {"XPos", I}, {"YPos", I}, {"Section", I}, {"Group", I}, {"Ending", B}},
     {{"idxMapLine", "LineMapID;LineID"},
      {"idxLineID", "LineID"},
      {"idxLineMapID", "LineMapID"},
      {"idxPos", "LineMapID;LineID;Ending;XPos;YPos"}}},
    {&Tdm1::cdsLineMapStations,
     {{"LineID", I}, {"LineSectionID", I}, {"StationID", I}, {"XPos", I}, {"YPos", I}},
     {{"idxStationID", "StationID"}, {"idxLineID", "LineID"}}},
    {&Tdm1::cdsLineMapIndividualStationPrefs,
     {{"LineID", I},
      {"IDType", I},
      {"IDValue", I},
      {"Position", I},
      {"OffsetX", I},
      {"OffsetY", I},
      {"TextDirection", I},
      {"Rotation", I}},
     {{"idxLineIDTypeValue", "LineID;IDType;IDValue"}, {"idxTypeValue", "IDType;IDValue"}, {"idxLineID", "LineID"}}},
    {&Tdm1::cdsLineMapIndividualMultiStationPrefs,
     {{"StationID", I}, {"Position", I}, {"OffsetX", I}, {"OffsetY", I}, {"TextDirection", I}, {"Rotation", I}},
     {{"idxStationID", "StationID"}}},
    {&Tdm1::cdsLineMapLineTextVisible,
     {{"LineMapID", I}, {"LineID", I}, {"Start", B}, {"End", B}, {"Other", B}},
     {{"idxMapLine", "LineMapID;LineID"}, {"idxLineID", "LineID"}, {"idxLineMapID", "LineMapID"}}},
    {&Tdm1::cdsLineMapLineTextColor,
     {{"LineMapID", I},
      {"LineID", I},
      {"DefaultColor", B},
      {"ColorRed", I},
      {"ColorGreen", I},
      {"ColorBlue", I},
      {"DefaultBackgroundColor", B},
      {"BackgroundColorRed", I},
      {"BackgroundColorGreen", I},
      {"BackgroundColorBlue", I}},
     {{"idxMapLine", "LineMapID;LineID"}, {"idxLineMapID", "LineMapID"}, {"idxLineID", "LineID"}}},
    {&Tdm1::cdsLineMapLineTextOffset,
     {{"LineMapID", I}, {"LineID", I}, {"Position", I}, {"SectionID", I}, {"X", I}, {"Y", I}},
     {{"idxMapLine", "LineMapID;LineID"},
      {"idxLineMapID", "LineMapID"},
      {"idxLineID", "LineID"},
      {"idxMapLinePosition", "LineMapID;LineID;Position"}}},
};

} // namespace

Tdm1::Tdm1()
{
    // Every write into the open project's folder is journaled, also one made outside an action.
    FileChange::setHomeFolder(&ProjectDir);
    for (const TableEntry &entry : kCatalogue) {
        Table &table = this->*entry.table;
        for (const FieldEntry &f : entry.fields)
            table.addFieldDef(QLatin1String(f.name), f.type, f.size);
        for (const IndexEntry &i : entry.indexes)
            table.addIndexDef(QLatin1String(i.name), QLatin1String(i.fields), i.unique);
    }
}

QVector<Table *> Tdm1::tables()
{
    QVector<Table *> all;
    for (const TableEntry &entry : kCatalogue)
        all << &(this->*entry.table);
    return all;
}
