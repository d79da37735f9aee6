// Lookups, adds and renames of db_func.

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/db_func_p.h"
#include "data/table_files.h"
#include "platform/ansi.h"

#include <QVector>

#include <limits>
#include <optional>

using namespace dbfunc;

namespace {

const QString kIdxID = QStringLiteral("idxID");

// A name as the column will store it: a longer one is cut to the column's size, so the
// duplicate test must compare that.
QString storedName(const Table &table, const QString &nameField, const QString &name)
{
    const int column = table.findFieldIndex(nameField);
    const int size = column >= 0 ? table.fieldAt(column).size : 0;
    return size > 0 && name.size() > size ? name.left(size) : name;
}

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

// A name looked up as it would be stored: no row holds more of it than its column takes.
int findIDByName(Table &table, const QString &indexName, const QString &nameField, const QString &name)
{
    return findID(table, indexName, {storedName(table, nameField, name)});
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

// Last ID in ID order plus 1, 1 for an empty table, -1 when the last ID is the largest
// integer (a negative ID would follow); leaves idxID active.
int nextID(Table &table)
{
    table.setIndexName(kIdxID);
    if (table.isEmpty())
        return 1;
    table.last();
    const int last = table.fieldByName(QStringLiteral("ID")).asInteger();
    return last == std::numeric_limits<int>::max() ? -1 : last + 1;
}

// Appends a row under the next free ID (fill sets its other fields), then saves; the new ID or
// -1. The table is open; it is left closed.
template <typename Fill, typename Save>
int appendWithNextID(Table &table, Fill &&fill, Save &&save)
{
    const int id = nextID(table);
    if (id < 0) {
        table.close();
        return -1;
    }
    RowsBackup before(table);
    table.append();
    table.fieldByName(QStringLiteral("ID")).setInteger(id);
    fill();
    table.post();
    // A row the file did not take is taken back: its ID stays free and its name can be added again.
    const bool saved = before.keepIf(save(table));
    table.close();
    return saved ? id : -1;
}

// Names that no row may carry: empty or only blanks (the saves drop such rows without their
// cascade), or with a character the table file cannot hold (every later save would fail).
bool acceptableName(const QString &name, bool mustHaveText)
{
    if (mustHaveText && name.trimmed().isEmpty())
        return false;
    return ansi::unencodable(name).isEmpty() && ansi::controlCharacterNames(name).isEmpty();
}

// Appends (ID, Name) unless the name is there already, then saves; the new ID or -1.
int addNamed(Table &table, const QString &nameIndex, const QString &nameField, const QString &name,
             bool (*save)(Table &))
{
    if (!acceptableName(name, !nameIndex.isEmpty()))
        return -1;
    return guarded(table, -1, [&] {
        TableGuard all(table, TableGuard::Filter);
        table.open();
        const QString stored = storedName(table, nameField, name);
        if (!nameIndex.isEmpty()) {
            table.setIndexName(nameIndex);
            if (table.findKey({stored})) {
                table.close();
                return -1;
            }
        }
        return appendWithNextID(table, [&] { table.fieldByName(nameField).setString(stored); }, save);
    });
}

bool rename(Table &table, const QString &nameIndex, const QString &nameField, const QString &oldName,
            const QString &newName, bool (*save)(Table &), bool mustHaveText = true)
{
    if (!acceptableName(newName, mustHaveText))
        return false;
    return guarded(table, false, [&] {
        // A filter left on would hide the duplicate and the save would write only the rows it shows.
        TableGuard all(table, TableGuard::Filter);
        table.open();
        table.setIndexName(nameIndex);
        RowsBackup before(table); // before the search: taking it moves the cursor
        const QString stored = storedName(table, nameField, newName);
        if (table.findKey({stored}) || !table.findKey({oldName})) {
            table.close();
            return false;
        }
        table.edit();
        table.fieldByName(nameField).setString(stored);
        table.post();
        const bool saved = before.keepIf(save(table));
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
    return findIDByName(dm1->cdsStations, QStringLiteral("idxStationName"), QStringLiteral("Station"), Name);
}

int GetLineIDByName(const QString &Name)
{
    return findIDByName(dm1->cdsLines, QStringLiteral("idxLineName"), QStringLiteral("Line"), Name);
}

int GetDayGroupIDByName(const QString &Group)
{
    return findIDByName(dm1->cdsDayGroups, QStringLiteral("idxGroup"), QStringLiteral("Group"), Group);
}

int GetLineMapIDByName(const QString &Name)
{
    return findIDByName(dm1->cdsLineMaps, QStringLiteral("idxMapName"), QStringLiteral("Name"), Name);
}

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
        TableGuard all(t, TableGuard::Filter);
        t.open();
        t.setIndexName(QStringLiteral("idxAll"));
        if (t.findKey({LineID, DayGroupID, Direction})) {
            t.close();
            return -1;
        }
        return appendWithNextID(
            t,
            [&] {
                t.fieldByName(QStringLiteral("LineID")).setInteger(LineID);
                t.fieldByName(QStringLiteral("DayGroupID")).setInteger(DayGroupID);
                t.fieldByName(QStringLiteral("Direction")).setInteger(Direction);
            },
            [](Table &table) { return writeTable(table, QStringLiteral("line_connections.ptf")); });
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
                  &saveLineMapsTable, false);
}

// ---------------------------------------------------------------- other routines

bool AddNewStation(int StationID)
{
    Table &t = dm1->cdsNewStations;
    return guarded(t, false, [&] {
        TableGuard all(t, TableGuard::Filter);
        t.open();
        RowsBackup before(t);
        t.append();
        t.fieldByName(QStringLiteral("StationID")).setInteger(StationID);
        t.post();
        const bool saved = before.keepIf(writeTable(t, QStringLiteral("newstations.ptf")));
        t.close();
        return saved;
    });
}

bool ClearNewStations()
{
    Table &t = dm1->cdsNewStations;
    std::optional<RowsBackup> before = backUpRows(t);
    // Emptied, the table still stands for a damaged file it could not read.
    const QString damaged = t.damagedFile();
    CreateEmptyNewStations();
    t.setDamagedFile(damaged);
    const bool saved = writeTable(t, QStringLiteral("newstations.ptf"));
    if (!saved)
        restoreRows(t, before);
    return saved;
}

bool SetLineGraphicColor(int LineID, int Red, int Green, int Blue)
{
    Table &t = dm1->cdsLineGraphic;
    return guarded(t, false, [&] {
        TableGuard all(t, TableGuard::Filter);
        t.open();
        t.setIndexName(QStringLiteral("idxLineID"));
        RowsBackup before(t);
        if (t.findKey({LineID}))
            t.edit();
        else
            t.append();
        t.fieldByName(QStringLiteral("LineID")).setInteger(LineID);
        t.fieldByName(QStringLiteral("ColorRed")).setInteger(Red);
        t.fieldByName(QStringLiteral("ColorGreen")).setInteger(Green);
        t.fieldByName(QStringLiteral("ColorBlue")).setInteger(Blue);
        t.post();
        const bool saved = before.keepIf(writeTable(t, QStringLiteral("line_graphic.ptf")));
        t.close();
        return saved;
    });
}

bool setLineStationIds(int LineID, const QVector<int> &StationIDs)
{
    Table &t = dm1->cdsLineStations;
    const bool wasActive = t.active();
    const bool saved = guarded(t, false, [&] {
        TableGuard all(t, TableGuard::Filter); // the file gets the rows of every line
        t.open();
        t.setIndexName(QStringLiteral("idxLineID"));
        RowsBackup before(t);
        while (t.findKey({LineID}))
            t.remove();
        for (int k = 0; k < StationIDs.size(); ++k) {
            t.append();
            t.fieldByName(QStringLiteral("LineID")).setInteger(LineID);
            t.fieldByName(QStringLiteral("LineStationNumber")).setInteger(k + 1);
            t.fieldByName(QStringLiteral("StationID")).setInteger(StationIDs[k]);
            t.post();
        }
        return before.keepIf(writeTable(t, QStringLiteral("line_stations.ptf")));
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
