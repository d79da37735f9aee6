// Lookups, adds and renames of db_func.

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/db_func_p.h"
#include "data/table_files.h"

#include <QVector>

using namespace dbfunc;

namespace {

const QString kIdxID = QStringLiteral("idxID");

// The row whose key is found under the index: its ID, or -1.
int findID(Table &table, const QString &indexName, const QVariantList &key)
{
    return guarded(table, -1, [&] {
        table.open();
        table.setIndexName(indexName);
        const int id = table.findKey(key) ? table.fieldByName(QStringLiteral("ID")).asInteger() : -1;
        table.close();
        return id;
    });
}

QString findName(Table &table, const QString &nameField, int id)
{
    return guarded(table, QString(), [&] {
        table.open();
        table.setIndexName(kIdxID);
        const QString name = table.findKey({id}) ? table.fieldByName(nameField).asString() : QString();
        table.close();
        return name;
    });
}

// Last ID in ID order plus 1, 1 for an empty table; leaves idxID active.
int nextID(Table &table)
{
    table.setIndexName(kIdxID);
    if (table.isEmpty())
        return 1;
    table.last();
    return table.fieldByName(QStringLiteral("ID")).asInteger() + 1;
}

// Appends (ID, Name) unless the name is there already, then saves; the new ID or -1.
int addNamed(Table &table, const QString &nameIndex, const QString &nameField, const QString &name,
             bool (*save)(Table &))
{
    return guarded(table, -1, [&] {
        Unfiltered all(table);
        table.open();
        if (!nameIndex.isEmpty()) {
            table.setIndexName(nameIndex);
            if (table.findKey({name})) {
                table.close();
                return -1;
            }
        }
        const int id = nextID(table);
        table.append();
        table.fieldByName(QStringLiteral("ID")).setInteger(id);
        table.fieldByName(nameField).setString(name);
        table.post();
        const bool saved = save(table);
        table.close();
        return saved ? id : -1;
    });
}

bool rename(Table &table, const QString &nameIndex, const QString &nameField, const QString &oldName,
            const QString &newName, bool (*save)(Table &))
{
    return guarded(table, false, [&] {
        table.open();
        table.setIndexName(nameIndex);
        if (table.findKey({newName}) || !table.findKey({oldName})) {
            table.close();
            return false;
        }
        table.edit();
        table.fieldByName(nameField).setString(newName);
        table.post();
        const bool saved = save(table);
        table.close();
        return saved;
    });
}

bool writeTable(Table &table, const QString &file)
{
    return guarded(table, false, [&] { return SavePtfFile(projectFile(file), kQuote, table); });
}

bool saveStationsTable(Table &)
{
    dm1->cdsStations.setIndexName(kIdxID);
    return SaveStations();
}

bool saveLinesTable(Table &) { return SaveLines(); }

bool saveLineMapsTable(Table &table)
{
    table.setIndexName(kIdxID);
    return writeTable(table, QStringLiteral("line_maps.ptf"));
}

} // namespace

// ---------------------------------------------------------------- lookups

int GetStationIDByName(const QString &Name)
{
    return findID(dm1->cdsStations, QStringLiteral("idxStationName"), {Name});
}

int GetLineIDByName(const QString &Name) { return findID(dm1->cdsLines, QStringLiteral("idxLineName"), {Name}); }

int GetDayGroupIDByName(const QString &Group)
{
    return findID(dm1->cdsDayGroups, QStringLiteral("idxGroup"), {Group});
}

int GetLineMapIDByName(const QString &Name) { return findID(dm1->cdsLineMaps, QStringLiteral("idxMapName"), {Name}); }

QString GetStationNameByID(int ID) { return findName(dm1->cdsStations, QStringLiteral("Station"), ID); }

QString GetLineNameByID(int ID) { return findName(dm1->cdsLines, QStringLiteral("Line"), ID); }

bool DayGroupInUse(int DayGroupID)
{
    Table &t = dm1->cdsLineConnections;
    return guarded(t, false, [&] {
        t.open();
        t.setIndexName(QStringLiteral("idxDayGroupID"));
        const bool found = t.findKey({DayGroupID});
        t.close();
        return found;
    });
}

// ---------------------------------------------------------------- adds

int AddStation(const QString &Name)
{
    return addNamed(dm1->cdsStations, QStringLiteral("idxStationName"), QStringLiteral("Station"), Name,
                    &saveStationsTable);
}

int AddLine(const QString &Name)
{
    return addNamed(dm1->cdsLines, QStringLiteral("idxLineName"), QStringLiteral("Line"), Name, &saveLinesTable);
}

int AddLineMap(const QString &Name)
{
    return addNamed(dm1->cdsLineMaps, QString(), QStringLiteral("Name"), Name, &saveLineMapsTable);
}

int AddLineConnection(int LineID, int DayGroupID, int Direction)
{
    Table &t = dm1->cdsLineConnections;
    return guarded(t, -1, [&] {
        Unfiltered all(t);
        t.open();
        t.setIndexName(QStringLiteral("idxAll"));
        if (t.findKey({LineID, DayGroupID, Direction})) {
            t.close();
            return -1;
        }
        const int id = nextID(t);
        t.append();
        t.fieldByName(QStringLiteral("ID")).setInteger(id);
        t.fieldByName(QStringLiteral("LineID")).setInteger(LineID);
        t.fieldByName(QStringLiteral("DayGroupID")).setInteger(DayGroupID);
        t.fieldByName(QStringLiteral("Direction")).setInteger(Direction);
        t.post();
        const bool saved = writeTable(t, QStringLiteral("line_connections.ptf"));
        t.close();
        return saved ? id : -1;
    });
}

// ---------------------------------------------------------------- renames

bool RenameStation(const QString &OldName, const QString &NewName)
{
    return rename(dm1->cdsStations, QStringLiteral("idxStationName"), QStringLiteral("Station"), OldName, NewName,
                  &saveStationsTable);
}

bool RenameLine(const QString &OldName, const QString &NewName)
{
    return rename(dm1->cdsLines, QStringLiteral("idxLineName"), QStringLiteral("Line"), OldName, NewName,
                  &saveLinesTable);
}

bool RenameLineMap(const QString &OldName, const QString &NewName)
{
    return rename(dm1->cdsLineMaps, QStringLiteral("idxMapName"), QStringLiteral("Name"), OldName, NewName,
                  &saveLineMapsTable);
}

// ---------------------------------------------------------------- other routines

bool AddNewStation(int StationID)
{
    Table &t = dm1->cdsNewStations;
    return guarded(t, false, [&] {
        t.open();
        t.append();
        t.fieldByName(QStringLiteral("StationID")).setInteger(StationID);
        t.post();
        const bool saved = writeTable(t, QStringLiteral("newstations.ptf"));
        t.close();
        return saved;
    });
}

bool ClearNewStations()
{
    CreateEmptyNewStations();
    return writeTable(dm1->cdsNewStations, QStringLiteral("newstations.ptf"));
}

bool SetLineGraphicColor(int LineID, int Red, int Green, int Blue)
{
    Table &t = dm1->cdsLineGraphic;
    return guarded(t, false, [&] {
        t.open();
        t.setIndexName(QStringLiteral("idxLineID"));
        if (t.findKey({LineID}))
            t.edit();
        else
            t.append();
        t.fieldByName(QStringLiteral("LineID")).setInteger(LineID);
        t.fieldByName(QStringLiteral("ColorRed")).setInteger(Red);
        t.fieldByName(QStringLiteral("ColorGreen")).setInteger(Green);
        t.fieldByName(QStringLiteral("ColorBlue")).setInteger(Blue);
        t.post();
        const bool saved = writeTable(t, QStringLiteral("line_graphic.ptf"));
        t.close();
        return saved;
    });
}

bool setLineStationIds(int LineID, const QVector<int> &StationIDs)
{
    Table &t = dm1->cdsLineStations;
    const bool wasActive = t.active();
    const bool saved = guarded(t, false, [&] {
        Unfiltered all(t); // the file gets the rows of every line
        t.open();
        t.setIndexName(QStringLiteral("idxLineID"));
        while (t.findKey({LineID}))
            t.remove();
        for (int k = 0; k < StationIDs.size(); ++k) {
            t.append();
            t.fieldByName(QStringLiteral("LineID")).setInteger(LineID);
            t.fieldByName(QStringLiteral("LineStationNumber")).setInteger(k + 1);
            t.fieldByName(QStringLiteral("StationID")).setInteger(StationIDs[k]);
            t.post();
        }
        return writeTable(t, QStringLiteral("line_stations.ptf"));
    });
    if (!wasActive)
        t.close();
    return saved;
}

bool SetLineStations(int LineID, const QStringList &StationNames)
{
    QVector<int> ids;
    ids.reserve(StationNames.size());
    for (const QString &name : StationNames)
        ids.append(GetStationIDByName(name));
    const bool saved = setLineStationIds(LineID, ids);
    dm1->cdsLineStations.close();
    return saved;
}
