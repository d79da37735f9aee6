#include "data/data_module_1.h"

Tdm1 *dm1 = nullptr;

namespace {

constexpr FieldType S = FieldType::String;
constexpr FieldType I = FieldType::Integer;
constexpr FieldType SI = FieldType::Smallint;
constexpr FieldType B = FieldType::Boolean;
constexpr FieldType F = FieldType::Float;

} // namespace

Tdm1::Tdm1()
{
    cdsStations.addFieldDef(QStringLiteral("ID"), I);
    cdsStations.addFieldDef(QStringLiteral("Station"), S, 64);
    cdsStations.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"), true);
    cdsStations.addIndexDef(QStringLiteral("idxStationName"), QStringLiteral("Station"));

    cdsLines.addFieldDef(QStringLiteral("ID"), I);
    cdsLines.addFieldDef(QStringLiteral("Line"), S, 64);
    cdsLines.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"), true);
    cdsLines.addIndexDef(QStringLiteral("idxLineName"), QStringLiteral("Line"));

    cdsNewStations.addFieldDef(QStringLiteral("StationID"), I);
    cdsNewStations.addIndexDef(QStringLiteral("idxID"), QStringLiteral("StationID"), true);

    cdsLineStations.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineStations.addFieldDef(QStringLiteral("LineStationNumber"), I);
    cdsLineStations.addFieldDef(QStringLiteral("StationID"), I);
    cdsLineStations.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));
    cdsLineStations.addIndexDef(QStringLiteral("idxLineStations"), QStringLiteral("LineID;LineStationNumber"));
    cdsLineStations.addIndexDef(QStringLiteral("idxStationID"), QStringLiteral("StationID"));
    cdsLineStations.addIndexDef(QStringLiteral("idxLineStationNumber"), QStringLiteral("LineStationNumber"));

    cdsDayGroups.addFieldDef(QStringLiteral("ID"), I);
    cdsDayGroups.addFieldDef(QStringLiteral("Group"), S, 32);
    cdsDayGroups.addFieldDef(QStringLiteral("Days"), S, 16);
    cdsDayGroups.addFieldDef(QStringLiteral("Text"), S, 32);
    cdsDayGroups.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"));
    cdsDayGroups.addIndexDef(QStringLiteral("idxDays"), QStringLiteral("Days"));
    cdsDayGroups.addIndexDef(QStringLiteral("idxGroup"), QStringLiteral("Group"));
    cdsDayGroups.addIndexDef(QStringLiteral("idxText"), QStringLiteral("Text"));

    cdsTimeTable.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"));

    cdsLineConnections.addFieldDef(QStringLiteral("ID"), I);
    cdsLineConnections.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineConnections.addFieldDef(QStringLiteral("DayGroupID"), I);
    cdsLineConnections.addFieldDef(QStringLiteral("Direction"), SI);
    cdsLineConnections.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"));
    cdsLineConnections.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));
    cdsLineConnections.addIndexDef(QStringLiteral("idxAll"), QStringLiteral("LineID;DayGroupID;Direction"));
    cdsLineConnections.addIndexDef(QStringLiteral("idxDayGroupID"), QStringLiteral("DayGroupID"));

    cdsTimeTableConnections.addFieldDef(QStringLiteral("StationID"), I);
    cdsTimeTableConnections.addFieldDef(QStringLiteral("DayGroupID"), I);
    cdsTimeTableConnections.addFieldDef(QStringLiteral("Direction"), I);
    cdsTimeTableConnections.addFieldDef(QStringLiteral("Position"), I);
    cdsTimeTableConnections.addIndexDef(QStringLiteral("idxSDD"), QStringLiteral("StationID;DayGroupID;Direction"));
    cdsTimeTableConnections.addIndexDef(QStringLiteral("idxStation"), QStringLiteral("StationID"));
    cdsTimeTableConnections.addIndexDef(QStringLiteral("idxPosition"), QStringLiteral("Position"));
    cdsTimeTableConnections.addIndexDef(QStringLiteral("idxDD"), QStringLiteral("DayGroupID;Direction"));

    cdsIntervals.addFieldDef(QStringLiteral("ID"), I);
    cdsIntervals.addFieldDef(QStringLiteral("Interval"), F);
    cdsIntervals.addIndexDef(QStringLiteral("IdxInterval"), QStringLiteral("Interval"));
    cdsIntervals.addIndexDef(QStringLiteral("IdxID"), QStringLiteral("ID"));

    cdsProject.addFieldDef(QStringLiteral("DataStandard"), S, 20);
    cdsProject.addFieldDef(QStringLiteral("DataVersion"), S, 20);
    cdsProject.addFieldDef(QStringLiteral("PTFVersion"), S, 20);
    cdsProject.addFieldDef(QStringLiteral("ProgName"), S, 32);
    cdsProject.addFieldDef(QStringLiteral("ProgVersion"), S, 8);
    cdsProject.addFieldDef(QStringLiteral("ProgType"), S, 20);
    cdsProject.addFieldDef(QStringLiteral("MaxDriveMinutes"), I);
    cdsProject.addFieldDef(QStringLiteral("LastSave"), S, 20);

    cdsShortDistances.addFieldDef(QStringLiteral("LineConnectionID"), I);
    cdsShortDistances.addFieldDef(QStringLiteral("Distances"), S, 100);

    cdsLineGraphic.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineGraphic.addFieldDef(QStringLiteral("ColorRed"), I);
    cdsLineGraphic.addFieldDef(QStringLiteral("ColorGreen"), I);
    cdsLineGraphic.addFieldDef(QStringLiteral("ColorBlue"), I);
    cdsLineGraphic.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));

    cdsPrefs.addFieldDef(QStringLiteral("ProjectName"), S, 20);
    cdsPrefs.addFieldDef(QStringLiteral("LineColorRed"), I);
    cdsPrefs.addFieldDef(QStringLiteral("LineColorGreen"), I);
    cdsPrefs.addFieldDef(QStringLiteral("LineColorBlue"), I);

    cdsLineMaps.addFieldDef(QStringLiteral("ID"), I);
    cdsLineMaps.addFieldDef(QStringLiteral("Name"), S, 64);
    cdsLineMaps.addIndexDef(QStringLiteral("idxID"), QStringLiteral("ID"), true);
    cdsLineMaps.addIndexDef(QStringLiteral("idxMapName"), QStringLiteral("Name"));

    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineMapID"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("Width"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("Height"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("BackgroundColorRed"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("BackgroundColorGreen"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("BackgroundColorBlue"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("BackgroundImageOn"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("BackgroundImage"), S, 128);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineRasterWidth"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineDefaultColor"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineColorRed"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineColorGreen"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineColorBlue"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineDrawWidth"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextPosStart"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextPosEnd"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextPosOther"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextFontCharset"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextFontName"), S, 20);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextFontSize"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextFontStyleBold"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextFontStyleItalic"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextFontStyleUnderline"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextFontStyleStrikeOut"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextDefaultColor"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextColorRed"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextColorGreen"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextColorBlue"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextDefaultBackgroundColor"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextBackgroundColorRed"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextBackgroundColorGreen"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextBackgroundColorBlue"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("LineTextDistance"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("VehicleColorRed"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("VehicleColorGreen"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("VehicleColorBlue"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontCharset"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontColorRed"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontColorGreen"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontColorBlue"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontName"), S, 64);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontSize"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontStyleBold"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontStyleItalic"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontStyleUnderline"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationFontStyleStrikeOut"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationWEPosition"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationWEOffsetX"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationWEOffsetY"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationWETextDirection"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationWERotation"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNSPosition"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNSOffsetX"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNSOffsetY"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNSTextDirection"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNSRotation"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNWSEPosition"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNWSEOffsetX"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNWSEOffsetY"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNWSETextDirection"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationNWSERotation"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationSWNEPosition"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationSWNEOffsetX"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationSWNEOffsetY"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationSWNETextDirection"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("StationSWNERotation"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontCharset"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontColorRed"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontColorGreen"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontColorBlue"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontName"), S, 20);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontSize"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontStyleBold"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontStyleItalic"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontStyleUnderline"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationFontStyleStrikeOut"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationRoundSelfPos"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationTextInheritSelfPos"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationRoundParallel"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationAutoPos"), B);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationPosition"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationAlign"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationOffsetX"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationOffsetY"), I);
    cdsLineMapPrefs.addFieldDef(QStringLiteral("MultiStationRotation"), I);
    cdsLineMapPrefs.addIndexDef(QStringLiteral("idxMapID"), QStringLiteral("LineMapID"));

    cdsLineMapLines.addFieldDef(QStringLiteral("LineMapID"), I);
    cdsLineMapLines.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineMapLines.addFieldDef(QStringLiteral("DefaultColor"), B);
    cdsLineMapLines.addFieldDef(QStringLiteral("ColorRed"), I);
    cdsLineMapLines.addFieldDef(QStringLiteral("ColorGreen"), I);
    cdsLineMapLines.addFieldDef(QStringLiteral("ColorBlue"), I);
    cdsLineMapLines.addFieldDef(QStringLiteral("DefaultWidth"), B);
    cdsLineMapLines.addFieldDef(QStringLiteral("DrawWidth"), I);
    cdsLineMapLines.addFieldDef(QStringLiteral("VehicleDefaultColor"), B);
    cdsLineMapLines.addFieldDef(QStringLiteral("VehicleColorRed"), I);
    cdsLineMapLines.addFieldDef(QStringLiteral("VehicleColorGreen"), I);
    cdsLineMapLines.addFieldDef(QStringLiteral("VehicleColorBlue"), I);
    cdsLineMapLines.addIndexDef(QStringLiteral("idxMapLine"), QStringLiteral("LineMapID;LineID"));
    cdsLineMapLines.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));
    cdsLineMapLines.addIndexDef(QStringLiteral("idxLineMapID"), QStringLiteral("LineMapID"));

    cdsLineMapLineSections.addFieldDef(QStringLiteral("LineMapID"), I);
    cdsLineMapLineSections.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineMapLineSections.addFieldDef(QStringLiteral("SectionID"), I);
    cdsLineMapLineSections.addFieldDef(QStringLiteral("GroupID"), I);
    cdsLineMapLineSections.addFieldDef(QStringLiteral("LineDirection"), I);
    cdsLineMapLineSections.addFieldDef(QStringLiteral("StartX"), I);
    cdsLineMapLineSections.addFieldDef(QStringLiteral("StartY"), I);
    cdsLineMapLineSections.addFieldDef(QStringLiteral("EndX"), I);
    cdsLineMapLineSections.addFieldDef(QStringLiteral("EndY"), I);
    cdsLineMapLineSections.addFieldDef(QStringLiteral("Degree"), I);
    cdsLineMapLineSections.addIndexDef(QStringLiteral("idxMapLine"), QStringLiteral("LineMapID;LineID"));
    cdsLineMapLineSections.addIndexDef(QStringLiteral("idxMapLineSection"),
                                       QStringLiteral("LineMapID;LineID;SectionID"));
    cdsLineMapLineSections.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));
    cdsLineMapLineSections.addIndexDef(QStringLiteral("idxLineMapID"), QStringLiteral("LineMapID"));

    cdsLineMapLineConnections.addFieldDef(QStringLiteral("LineMapID"), I);
    cdsLineMapLineConnections.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineMapLineConnections.addFieldDef(QStringLiteral("XPos"), I);
    cdsLineMapLineConnections.addFieldDef(QStringLiteral("YPos"), I);
    cdsLineMapLineConnections.addFieldDef(QStringLiteral("Section"), I);
    cdsLineMapLineConnections.addFieldDef(QStringLiteral("Group"), I);
    cdsLineMapLineConnections.addFieldDef(QStringLiteral("Ending"), B);
    cdsLineMapLineConnections.addIndexDef(QStringLiteral("idxMapLine"), QStringLiteral("LineMapID;LineID"));
    cdsLineMapLineConnections.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));
    cdsLineMapLineConnections.addIndexDef(QStringLiteral("idxLineMapID"), QStringLiteral("LineMapID"));
    cdsLineMapLineConnections.addIndexDef(QStringLiteral("idxPos"),
                                          QStringLiteral("LineMapID;LineID;Ending;XPos;YPos"));

    cdsLineMapStations.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineMapStations.addFieldDef(QStringLiteral("LineSectionID"), I);
    cdsLineMapStations.addFieldDef(QStringLiteral("StationID"), I);
    cdsLineMapStations.addFieldDef(QStringLiteral("XPos"), I);
    cdsLineMapStations.addFieldDef(QStringLiteral("YPos"), I);
    cdsLineMapStations.addIndexDef(QStringLiteral("idxStationID"), QStringLiteral("StationID"));
    cdsLineMapStations.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));

    cdsLineMapIndividualStationPrefs.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineMapIndividualStationPrefs.addFieldDef(QStringLiteral("IDType"), I);
    cdsLineMapIndividualStationPrefs.addFieldDef(QStringLiteral("IDValue"), I);
    cdsLineMapIndividualStationPrefs.addFieldDef(QStringLiteral("Position"), I);
    cdsLineMapIndividualStationPrefs.addFieldDef(QStringLiteral("OffsetX"), I);
    cdsLineMapIndividualStationPrefs.addFieldDef(QStringLiteral("OffsetY"), I);
    cdsLineMapIndividualStationPrefs.addFieldDef(QStringLiteral("TextDirection"), I);
    cdsLineMapIndividualStationPrefs.addFieldDef(QStringLiteral("Rotation"), I);
    cdsLineMapIndividualStationPrefs.addIndexDef(QStringLiteral("idxLineIDTypeValue"),
                                                 QStringLiteral("LineID;IDType;IDValue"));
    cdsLineMapIndividualStationPrefs.addIndexDef(QStringLiteral("idxTypeValue"), QStringLiteral("IDType;IDValue"));
    cdsLineMapIndividualStationPrefs.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));

    cdsLineMapIndividualMultiStationPrefs.addFieldDef(QStringLiteral("StationID"), I);
    cdsLineMapIndividualMultiStationPrefs.addFieldDef(QStringLiteral("Position"), I);
    cdsLineMapIndividualMultiStationPrefs.addFieldDef(QStringLiteral("OffsetX"), I);
    cdsLineMapIndividualMultiStationPrefs.addFieldDef(QStringLiteral("OffsetY"), I);
    cdsLineMapIndividualMultiStationPrefs.addFieldDef(QStringLiteral("TextDirection"), I);
    cdsLineMapIndividualMultiStationPrefs.addFieldDef(QStringLiteral("Rotation"), I);
    cdsLineMapIndividualMultiStationPrefs.addIndexDef(QStringLiteral("idxStationID"), QStringLiteral("StationID"));

    cdsLineMapLineTextVisible.addFieldDef(QStringLiteral("LineMapID"), I);
    cdsLineMapLineTextVisible.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineMapLineTextVisible.addFieldDef(QStringLiteral("Start"), B);
    cdsLineMapLineTextVisible.addFieldDef(QStringLiteral("End"), B);
    cdsLineMapLineTextVisible.addFieldDef(QStringLiteral("Other"), B);
    cdsLineMapLineTextVisible.addIndexDef(QStringLiteral("idxMapLine"), QStringLiteral("LineMapID;LineID"));
    cdsLineMapLineTextVisible.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));
    cdsLineMapLineTextVisible.addIndexDef(QStringLiteral("idxLineMapID"), QStringLiteral("LineMapID"));

    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("LineMapID"), I);
    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("DefaultColor"), B);
    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("ColorRed"), I);
    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("ColorGreen"), I);
    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("ColorBlue"), I);
    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("DefaultBackgroundColor"), B);
    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("BackgroundColorRed"), I);
    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("BackgroundColorGreen"), I);
    cdsLineMapLineTextColor.addFieldDef(QStringLiteral("BackgroundColorBlue"), I);
    cdsLineMapLineTextColor.addIndexDef(QStringLiteral("idxMapLine"), QStringLiteral("LineMapID;LineID"));
    cdsLineMapLineTextColor.addIndexDef(QStringLiteral("idxLineMapID"), QStringLiteral("LineMapID"));
    cdsLineMapLineTextColor.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));

    cdsLineMapLineTextOffset.addFieldDef(QStringLiteral("LineMapID"), I);
    cdsLineMapLineTextOffset.addFieldDef(QStringLiteral("LineID"), I);
    cdsLineMapLineTextOffset.addFieldDef(QStringLiteral("Position"), I);
    cdsLineMapLineTextOffset.addFieldDef(QStringLiteral("SectionID"), I);
    cdsLineMapLineTextOffset.addFieldDef(QStringLiteral("X"), I);
    cdsLineMapLineTextOffset.addFieldDef(QStringLiteral("Y"), I);
    cdsLineMapLineTextOffset.addIndexDef(QStringLiteral("idxMapLine"), QStringLiteral("LineMapID;LineID"));
    cdsLineMapLineTextOffset.addIndexDef(QStringLiteral("idxLineMapID"), QStringLiteral("LineMapID"));
    cdsLineMapLineTextOffset.addIndexDef(QStringLiteral("idxLineID"), QStringLiteral("LineID"));
    cdsLineMapLineTextOffset.addIndexDef(QStringLiteral("idxMapLinePosition"),
                                         QStringLiteral("LineMapID;LineID;Position"));
}

QVector<Table *> Tdm1::tables()
{
    return {&cdsStations,
            &cdsLines,
            &cdsNewStations,
            &cdsLineStations,
            &cdsDayGroups,
            &cdsTimeTable,
            &cdsLineConnections,
            &cdsTimeTableConnections,
            &cdsIntervals,
            &cdsProject,
            &cdsShortDistances,
            &cdsLineGraphic,
            &cdsPrefs,
            &cdsLineMaps,
            &cdsLineMapPrefs,
            &cdsLineMapLines,
            &cdsLineMapLineSections,
            &cdsLineMapLineConnections,
            &cdsLineMapStations,
            &cdsLineMapIndividualStationPrefs,
            &cdsLineMapIndividualMultiStationPrefs,
            &cdsLineMapLineTextVisible,
            &cdsLineMapLineTextColor,
            &cdsLineMapLineTextOffset};
}
