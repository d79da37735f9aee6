#include "data/db_linemap.h"

#include "data/project_change.h"

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/db_func_p.h"
#include "data/db_linemap_p.h"
#include "data/table_files.h"
#include "platform/dialog_service.h"
#include "platform/file_stamps.h"

#include <QFile>
#include <QFileInfo>

#include <initializer_list>
#include <optional>
#include <variant>

using namespace dbfunc;

namespace {

// ---------------------------------------------------------------- rows in memory

// One column of a row being built: a flag is set as a Boolean, a number as an Integer.
struct Cell {
    const char *field;
    std::variant<int, bool> value;
};

void setCells(Table &t, std::initializer_list<Cell> cells)
{
    for (const Cell &c : cells) {
        Field f = t.fieldByName(QLatin1String(c.field));
        if (const bool *flag = std::get_if<bool>(&c.value))
            f.setBoolean(*flag);
        else
            f.setInteger(std::get<int>(c.value));
    }
}

bool appendRow(Table &t, std::initializer_list<Cell> cells)
{
    return guarded(t, false, [&] {
        t.append();
        setCells(t, cells);
        t.post();
        return true;
    });
}

bool setRow(Table &t, const QVariantList &key, std::initializer_list<Cell> cells)
{
    return guarded(t, false, [&] {
        if (!t.findKey(key))
            return false;
        t.edit();
        setCells(t, cells);
        t.post();
        return true;
    });
}

int getField(Table &t, const QVariantList &key, const QString &field)
{
    return guarded(t, -1, [&] { return t.findKey(key) ? t.fieldByName(field).asInteger() : -1; });
}

bool deletePlanFile(const PlanTable &which, int lineMapID)
{
    const QString path = planFileName(which, lineMapID);
    return RemoveProjectFileInChange(path);
}

// One entry per SharedTable, in its order.
struct SharedTableFiles {
    const char *file;
    Table Tdm1::*table;
    void (*createEmpty)();
    bool (*load)();
    bool (*save)();
};

const SharedTableFiles &sharedFiles(SharedTable which)
{
    static const SharedTableFiles tables[] = {
        {"line_map_lines.ptf", &Tdm1::cdsLineMapLines, [] { CreateEmptyLineMapLines(); }, &LoadLineMapLines,
         &SaveLineMapLines},
        {"line_map_line_sections.ptf", &Tdm1::cdsLineMapLineSections, &CreateEmptyLineMapLineSections,
         &LoadLineMapLineSections, &SaveLineMapLineSections},
        {"line_map_line_intersections.ptf", &Tdm1::cdsLineMapLineConnections, &CreateEmptyLineMapLineConnections,
         &LoadLineMapLineIntersections, &SaveLineMapLineIntersections},
        {"line_map_line_text_visible.ptf", &Tdm1::cdsLineMapLineTextVisible, &CreateEmptyLineMapLineTextVisible,
         &LoadLineMapLineTextVisible, &SaveLineMapLineTextVisible},
        {"line_map_line_text_color.ptf", &Tdm1::cdsLineMapLineTextColor, &CreateEmptyLineMapLineTextColor,
         &LoadLineMapLineTextColor, &SaveLineMapLineTextColor},
        {"line_map_line_text_offset.ptf", &Tdm1::cdsLineMapLineTextOffset, &CreateEmptyLineMapLineTextOffset,
         &LoadLineMapLineTextOffset, &SaveLineMapLineTextOffset},
    };
    return tables[int(which)];
}

} // namespace

// ---------------------------------------------------------------- helpers shared with db_delete

namespace dbfunc {

const PlanTable kPlanStations{"lms_", &Tdm1::cdsLineMapStations, &LoadLineMapStations, &SaveLineMapStations};
const PlanTable kPlanIndividualPrefs{"lmisp_", &Tdm1::cdsLineMapIndividualStationPrefs,
                                     &LoadLineMapIndividualStationPrefs, &SaveLineMapIndividualStationPrefs};
const PlanTable kPlanMultiPrefs{"lmimsp_", &Tdm1::cdsLineMapIndividualMultiStationPrefs,
                                &LoadLineMapIndividualMultiStationPrefs, &SaveLineMapIndividualMultiStationPrefs};

QString planFileName(const PlanTable &which, int lineMapID)
{
    return LineMapFileName(which.prefix, lineMapID);
}

int deleteRowsByKey(Table &table, const QString &indexName, const QVariantList &key)
{
    TableGuard all(table, TableGuard::Filter);
    table.setIndexName(indexName);
    int deleted = 0;
    while (table.findKey(key)) {
        table.remove();
        ++deleted;
    }
    return deleted;
}

bool loadSharedTable(SharedTable which, bool &present)
{
    const SharedTableFiles &s = sharedFiles(which);
    // Seen as missing too: the empty table is written over no file another copy made since.
    present = FileStamps::seenThere(projectFile(QLatin1String(s.file)));
    if (present)
        return s.load();
    // Whatever the table holds (another project's rows, a template) is not this project's.
    s.createEmpty();
    return true;
}

// The shared tables change only as this project's file says: the table is read from the file
// first, and a file that does not exist holds no rows and stays missing.
bool deleteSharedRows(SharedTable which, const QString &indexName, int id)
{
    bool present = false;
    if (!loadSharedTable(which, present))
        return false;
    if (!present)
        return true;
    Table &t = dm1->*sharedFiles(which).table;
    // A failed write leaves the rows in the table as the file still holds them.
    std::optional<RowsBackup> before;
    if (!guarded(t, false, [&] {
            before.emplace(t);
            t.open();
            deleteRowsByKey(t, indexName, {id});
            // The other rows keep the order the file had.
            t.setIndexName(QString());
            return true;
        }))
        return false;
    if (sharedFiles(which).save())
        return true;
    restoreRows(t, before);
    return false;
}

QVariantList rowValues(Table &table)
{
    QVariantList values;
    for (int i = 0; i < table.fieldCount(); ++i)
        values << table.field(i).value();
    return values;
}

void restoreRow(Table &table, const QVariantList &values)
{
    guarded(table, [&] {
        table.open();
        table.append();
        for (int i = 0; i < values.size() && i < table.fieldCount(); ++i) {
            if (values[i].isValid())
                table.field(i).setValue(values[i]);
        }
        table.post();
    });
}

bool deleteOwnRow(Table &t, int id, bool (*save)())
{
    QVariantList removed;
    const bool found = guarded(t, false, [&] {
        t.open();
        TableGuard all(t, TableGuard::Filter);
        t.setIndexName(QStringLiteral("idxID"));
        if (!t.findKey({id}))
            return false;
        removed = rowValues(t);
        t.remove();
        return true;
    });
    if (!found)
        return false;
    if (save())
        return true;
    restoreRow(t, removed);
    return false;
}

} // namespace dbfunc

// ---------------------------------------------------------------- adds

bool AddLineMapStation(int LineID, int LineSectionID, int StationID, int XPos, int YPos)
{
    return appendRow(dm1->cdsLineMapStations, {{"LineID", LineID},
                                               {"LineSectionID", LineSectionID},
                                               {"StationID", StationID},
                                               {"XPos", XPos},
                                               {"YPos", YPos}});
}

bool AddIndividualStationPrefs(int LineID, int IDType, int IDValue, int Position, int OffsetX, int OffsetY,
                               int TextDirection, int Rotation)
{
    return appendRow(dm1->cdsLineMapIndividualStationPrefs, {{"LineID", LineID},
                                                             {"IDType", IDType},
                                                             {"IDValue", IDValue},
                                                             {"Position", Position},
                                                             {"OffsetX", OffsetX},
                                                             {"OffsetY", OffsetY},
                                                             {"TextDirection", TextDirection},
                                                             {"Rotation", Rotation}});
}

bool AddMultiStationPrefs(int StationID, int Position, int OffsetX, int OffsetY, int TextDirection, int Rotation)
{
    return appendRow(dm1->cdsLineMapIndividualMultiStationPrefs, {{"StationID", StationID},
                                                                  {"Position", Position},
                                                                  {"OffsetX", OffsetX},
                                                                  {"OffsetY", OffsetY},
                                                                  {"TextDirection", TextDirection},
                                                                  {"Rotation", Rotation}});
}

bool AddLineTextVisible(int LineMapID, int LineID, bool Start, bool End, bool Other)
{
    return appendRow(dm1->cdsLineMapLineTextVisible,
                     {{"LineMapID", LineMapID}, {"LineID", LineID}, {"Start", Start}, {"End", End}, {"Other", Other}});
}

bool AddLineTextColor(int LineMapID, int LineID, bool DefaultColor, int ColorRed, int ColorGreen, int ColorBlue,
                      bool DefaultBackgroundColor, int BackgroundColorRed, int BackgroundColorGreen,
                      int BackgroundColorBlue)
{
    return appendRow(dm1->cdsLineMapLineTextColor, {{"LineMapID", LineMapID},
                                                    {"LineID", LineID},
                                                    {"DefaultColor", DefaultColor},
                                                    {"ColorRed", ColorRed},
                                                    {"ColorGreen", ColorGreen},
                                                    {"ColorBlue", ColorBlue},
                                                    {"DefaultBackgroundColor", DefaultBackgroundColor},
                                                    {"BackgroundColorRed", BackgroundColorRed},
                                                    {"BackgroundColorGreen", BackgroundColorGreen},
                                                    {"BackgroundColorBlue", BackgroundColorBlue}});
}

bool AddLineTextOffset(int LineMapID, int LineID, int Position, int SectionID, int X, int Y)
{
    return appendRow(dm1->cdsLineMapLineTextOffset, {{"LineMapID", LineMapID},
                                                     {"LineID", LineID},
                                                     {"Position", Position},
                                                     {"SectionID", SectionID},
                                                     {"X", X},
                                                     {"Y", Y}});
}

// ---------------------------------------------------------------- set and get on the active index

bool SetIndividualStationTextPosition(int LineID, int IDType, int IDValue, int Position, int TextDirection,
                                      int Rotation)
{
    return setRow(dm1->cdsLineMapIndividualStationPrefs, {LineID, IDType, IDValue},
                  {{"Position", Position}, {"TextDirection", TextDirection}, {"Rotation", Rotation}});
}

bool SetIndividualStationOffsetX(int LineID, int IDType, int IDValue, int OffsetX)
{
    return setRow(dm1->cdsLineMapIndividualStationPrefs, {LineID, IDType, IDValue}, {{"OffsetX", OffsetX}});
}

bool SetIndividualStationOffsetY(int LineID, int IDType, int IDValue, int OffsetY)
{
    return setRow(dm1->cdsLineMapIndividualStationPrefs, {LineID, IDType, IDValue}, {{"OffsetY", OffsetY}});
}

bool SetMultiStationTextPosition(int StationID, int Position, int TextDirection, int Rotation)
{
    return setRow(dm1->cdsLineMapIndividualMultiStationPrefs, {StationID},
                  {{"Position", Position}, {"TextDirection", TextDirection}, {"Rotation", Rotation}});
}

bool SetMultiStationOffsetX(int StationID, int OffsetX)
{
    return setRow(dm1->cdsLineMapIndividualMultiStationPrefs, {StationID}, {{"OffsetX", OffsetX}});
}

bool SetMultiStationOffsetY(int StationID, int OffsetY)
{
    return setRow(dm1->cdsLineMapIndividualMultiStationPrefs, {StationID}, {{"OffsetY", OffsetY}});
}

int GetIndividualStationOffsetX(int LineID, int IDType, int IDValue)
{
    return getField(dm1->cdsLineMapIndividualStationPrefs, {LineID, IDType, IDValue}, QStringLiteral("OffsetX"));
}

int GetIndividualStationOffsetY(int LineID, int IDType, int IDValue)
{
    return getField(dm1->cdsLineMapIndividualStationPrefs, {LineID, IDType, IDValue}, QStringLiteral("OffsetY"));
}

int GetMultiStationOffsetX(int StationID)
{
    return getField(dm1->cdsLineMapIndividualMultiStationPrefs, {StationID}, QStringLiteral("OffsetX"));
}

int GetMultiStationOffsetY(int StationID)
{
    return getField(dm1->cdsLineMapIndividualMultiStationPrefs, {StationID}, QStringLiteral("OffsetY"));
}

int GetMultiStationTextDirection(int StationID)
{
    return getField(dm1->cdsLineMapIndividualMultiStationPrefs, {StationID}, QStringLiteral("TextDirection"));
}

// ---------------------------------------------------------------- deletes in memory

namespace {

bool deleteInMemory(Table &t, const char *indexName, const QVariantList &key)
{
    return guarded(t, false, [&] {
        deleteRowsByKey(t, QLatin1String(indexName), key);
        return true;
    });
}

} // namespace

bool DeleteLineMapStationsOfLine(int LineID)
{
    return deleteInMemory(dm1->cdsLineMapStations, "idxLineID", {LineID});
}

bool DeleteIndividualStationPrefs(int LineID, int IDType, int IDValue)
{
    return deleteInMemory(dm1->cdsLineMapIndividualStationPrefs, "idxLineIDTypeValue", {LineID, IDType, IDValue});
}

bool DeleteIndividualStationPrefsOfLine(int LineID)
{
    return deleteInMemory(dm1->cdsLineMapIndividualStationPrefs, "idxLineID", {LineID});
}

bool DeleteMultiStationPrefs(int StationID)
{
    return deleteInMemory(dm1->cdsLineMapIndividualMultiStationPrefs, "idxStationID", {StationID});
}

bool DeleteLineTextVisible(int LineMapID, int LineID)
{
    return deleteInMemory(dm1->cdsLineMapLineTextVisible, "idxMapLine", {LineMapID, LineID});
}

bool DeleteLineTextColor(int LineMapID, int LineID)
{
    return deleteInMemory(dm1->cdsLineMapLineTextColor, "idxMapLine", {LineMapID, LineID});
}

bool DeleteLineTextOffset(int LineMapID, int LineID)
{
    return deleteInMemory(dm1->cdsLineMapLineTextOffset, "idxMapLine", {LineMapID, LineID});
}

bool DeleteLineTextOffsetAtPosition(int LineMapID, int LineID, int Position)
{
    return deleteInMemory(dm1->cdsLineMapLineTextOffset, "idxMapLinePosition", {LineMapID, LineID, Position});
}

// ---------------------------------------------------------------- deletes that write their file

bool DeleteLineTextVisibleOfMap(int LineMapID)
{
    return deleteSharedRows(SharedTable::TextVisible, QStringLiteral("idxLineMapID"), LineMapID);
}

bool DeleteLineTextVisibleOfLine(int LineID)
{
    return deleteSharedRows(SharedTable::TextVisible, QStringLiteral("idxLineID"), LineID);
}

bool DeleteLineTextColorOfMap(int LineMapID)
{
    return deleteSharedRows(SharedTable::TextColor, QStringLiteral("idxLineMapID"), LineMapID);
}

bool DeleteLineTextColorOfLine(int LineID)
{
    return deleteSharedRows(SharedTable::TextColor, QStringLiteral("idxLineID"), LineID);
}

bool DeleteLineTextOffsetOfMap(int LineMapID)
{
    return deleteSharedRows(SharedTable::TextOffset, QStringLiteral("idxLineMapID"), LineMapID);
}

bool DeleteLineTextOffsetOfLine(int LineID)
{
    return deleteSharedRows(SharedTable::TextOffset, QStringLiteral("idxLineID"), LineID);
}

bool DeleteLineMapLinesOfMap(int LineMapID)
{
    return deleteSharedRows(SharedTable::Lines, QStringLiteral("idxLineMapID"), LineMapID);
}

bool DeleteLineMapLinesOfLine(int LineID)
{
    return deleteSharedRows(SharedTable::Lines, QStringLiteral("idxLineID"), LineID);
}

bool DeleteLineMapLineSectionsOfMap(int LineMapID)
{
    return deleteSharedRows(SharedTable::Sections, QStringLiteral("idxLineMapID"), LineMapID);
}

bool DeleteLineMapLineSectionsOfLine(int LineID)
{
    return deleteSharedRows(SharedTable::Sections, QStringLiteral("idxLineID"), LineID);
}

bool DeleteLineMapLineIntersectionsOfMap(int LineMapID)
{
    return deleteSharedRows(SharedTable::Intersections, QStringLiteral("idxLineMapID"), LineMapID);
}

bool DeleteLineMapLineIntersectionsOfLine(int LineID)
{
    return deleteSharedRows(SharedTable::Intersections, QStringLiteral("idxLineID"), LineID);
}

// ---------------------------------------------------------------- plan files and the whole plan

bool DeleteLineMapStationsFile(int LineMapID)
{
    return deletePlanFile(kPlanStations, LineMapID);
}
bool DeleteIndividualStationPrefsFile(int LineMapID)
{
    return deletePlanFile(kPlanIndividualPrefs, LineMapID);
}
bool DeleteMultiStationPrefsFile(int LineMapID)
{
    return deletePlanFile(kPlanMultiPrefs, LineMapID);
}

bool DeleteLineMapRecord(int LineMapID)
{
    // On a failed write the file still lists the plan; so does the table, and the plan can be
    // deleted again.
    return deleteOwnRow(dm1->cdsLineMaps, LineMapID, &SaveLineMaps);
}

bool DeleteLineMap(int LineMapID)
{
    // The inputs are read inside the change: a damaged one is told once, by its loader or its
    // refusal, and the caller's failure message does not repeat it.
    return InOneChange([&] {
        // A New that was cancelled leaves the template's rows in cdsLineMapPrefs; writing them
        // would replace every plan's settings. The project's own file decides, a missing one
        // holds no row.
        const QString prefsFile = projectFile(QStringLiteral("line_map_prefs.ptf"));
        if (FileStamps::seenThere(prefsFile)) {
            if (!LoadLineMapPrefs(prefsFile))
                return false;
        } else {
            CreateEmptyLineMapPrefs();
        }
        const bool hasPrefsRow = hasLineMapPrefsRow(LineMapID);
        // Every shared table is read before anything goes: a damaged one stops the delete while
        // the plan is still whole, rather than half-way through its files.
        for (SharedTable which : {SharedTable::Lines, SharedTable::Sections, SharedTable::Intersections,
                                  SharedTable::TextVisible, SharedTable::TextColor, SharedTable::TextOffset}) {
            bool present = false;
            if (!loadSharedTable(which, present))
                return false;
        }
        if (RefuseDamagedFiles({{&dm1->cdsLineMaps, projectFile(QStringLiteral("line_maps.ptf"))}}))
            return false;
        return DeleteMultiStationPrefsFile(LineMapID) && DeleteIndividualStationPrefsFile(LineMapID) &&
               DeleteLineMapStationsFile(LineMapID) && DeleteLineMapLineIntersectionsOfMap(LineMapID) &&
               DeleteLineMapLineSectionsOfMap(LineMapID) && DeleteLineTextVisibleOfMap(LineMapID) &&
               DeleteLineTextColorOfMap(LineMapID) && DeleteLineTextOffsetOfMap(LineMapID) &&
               DeleteLineMapLinesOfMap(LineMapID) && (!hasPrefsRow || DeleteLineMapPrefs(LineMapID)) &&
               DeleteLineMapRecord(LineMapID);
    });
}

// ---------------------------------------------------------------- failed writes and damaged files

TTableFile LineMapTableFile(LineMapTable Which, int LineMapID)
{
    auto shared = [](SharedTable table) {
        const SharedTableFiles &f = sharedFiles(table);
        return TTableFile{&(dm1->*f.table), projectFile(QLatin1String(f.file))};
    };
    auto own = [&](const PlanTable &table) { return TTableFile{&(dm1->*table.table), planFileName(table, LineMapID)}; };
    switch (Which) {
    case LineMapTable::Prefs:
        return {&dm1->cdsLineMapPrefs, projectFile(QStringLiteral("line_map_prefs.ptf"))};
    case LineMapTable::Lines: return shared(SharedTable::Lines);
    case LineMapTable::Sections: return shared(SharedTable::Sections);
    case LineMapTable::Intersections: return shared(SharedTable::Intersections);
    case LineMapTable::TextVisible: return shared(SharedTable::TextVisible);
    case LineMapTable::TextColor: return shared(SharedTable::TextColor);
    case LineMapTable::TextOffset: return shared(SharedTable::TextOffset);
    case LineMapTable::Stations: return own(kPlanStations);
    case LineMapTable::StationNames: return own(kPlanIndividualPrefs);
    case LineMapTable::TransferNames: return own(kPlanMultiPrefs);
    }
    return {nullptr, QString()};
}

bool RefuseDamagedFiles(std::initializer_list<TTableFile> files)
{
    for (const TTableFile &f : files) {
        if (f.table && TableFileDamaged(*f.table, f.fileName))
            return RefuseDamagedFile(f.fileName);
    }
    return false;
}
