#include "data/db_func.h"

#include "data/project_change.h"

#include "data/data_module_1.h"
#include "data/db_func_p.h"
#include "data/main_globals.h"
#include "data/prj_params.h"
#include "data/table_files.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_stamps.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <limits>
#include <optional>

using namespace dbfunc;

namespace {

// An empty table holds what a missing file holds: nothing of it is lost by writing it.
void createEmpty(Table &table, bool leaveOpen)
{
    table.setDamagedFile(QString());
    guarded(table, [&] {
        table.close();
        table.createDataSet();
        if (!leaveOpen)
            table.close();
    });
}

bool loadFile(const QString &path, Table &table)
{
    return guarded(table, false, [&] { return LoadPtfFile(path, table); });
}

bool saveFile(const QString &path, Table &table)
{
    return guarded(table, false, [&] { return SavePtfFile(path, kQuote, table); });
}

// The reader names a file that is there but damaged, with its line: the loader's own words are
// for a file that is not there, so a damaged one gets one message, not a second "not found".
void loadMaster(Table &table, const QString &file, const QString &message, const QString &argument)
{
    if (!loadFile(projectFile(file), table) && table.damagedFile().isEmpty())
        dialogs().showMessage(message.arg(argument));
}

// A refused write of a damaged file has named the file already: a second message naming it
// would only repeat it.
void reportFailedSave(const Table &table, const QString &path, const QString &message)
{
    if (!TableFileDamaged(table, path))
        dialogs().showMessage(ansi::withWriteReason(message));
}

// Rows whose name is empty are dropped before the stations or lines are written; a failure
// while dropping them must not stop the save.
bool saveWithoutEmptyNames(Table &table, const QString &nameField, const QString &file)
{
    // The file holds every row, whatever filter an editor left on.
    TableGuard all(table, TableGuard::Filter);
    std::optional<RowsBackup> before = backUpRows(table);
    guarded(table, [&] {
        table.setIndexName(QStringLiteral("idxID"));
        table.open();
        table.first();
        while (!table.eof()) {
            if (table.fieldByName(nameField).asString().isEmpty())
                table.remove();
            else
                table.next();
        }
    });
    const bool saved = saveFile(projectFile(file), table);
    // The dropped rows stay in memory while the file still holds them.
    if (!saved)
        restoreRows(table, before);
    return saved;
}

// The per-plan and line-label tables are written closed and used open.
bool saveClosedAndReopen(Table &table, const QString &indexName, const QString &file)
{
    guarded(table, [&] {
        if (!indexName.isEmpty())
            table.setIndexName(indexName);
        table.close();
    });
    const bool ok = saveFile(projectFile(file), table);
    guarded(table, [&] { table.open(); });
    return ok;
}

QString planFile(const char *prefix, int lineMapID)
{
    return QLatin1String(prefix) + QString::number(lineMapID) + QStringLiteral(".ptf");
}

} // namespace

QString LineMapFileName(const char *Prefix, int LineMapID)
{
    return projectFile(planFile(Prefix, LineMapID));
}

namespace {

// The message for a plan file that exists but could not be read, for the loaders whose reader
// does not report it itself.
void reportDamaged(const QString &path, const Table &table)
{
    dialogs().showMessage(PtfLoadErrorMessage(path, table));
    ProjectChange::noteDamaged(path, true);
}

// A missing per-plan file gives an empty, open table; no rows of another plan or of a file
// loaded before stay in it. A file that exists but cannot be read is reported by the reader as damaged; the loader's
// own words are for a file that went missing meanwhile.
bool loadPlanTable(Table &table, const QString &path, void (*createEmptyTable)(), const QString &failMessage)
{
    guarded(table, [&] { table.close(); });
    // Seen as missing too: the empty table is written back over no file another copy made since.
    if (!FileStamps::seenThere(path)) {
        createEmptyTable();
        return true;
    }
    if (!loadFile(path, table)) {
        if (!QFileInfo::exists(path))
            dialogs().showMessage(failMessage);
        guarded(table, [&] { table.open(); });
        return false;
    }
    guarded(table, [&] { table.open(); });
    return true;
}

// Older per-plan station-name files call the offsets LineDistanceH/V. The columns are read by
// position, so a folder that cannot be written keeps the old names and still loads right.
void migrateIndividualPrefsNames(const QString &path)
{
    QStringList lines;
    if (!ansi::readLines(path, lines) || lines.size() < 3)
        return;
    if (!lines[2].contains(QLatin1String("LineDistanceH")))
        return;
    lines[2].replace(QLatin1String("LineDistanceH"), QLatin1String("OffsetX"));
    lines[2].replace(QLatin1String("LineDistanceV"), QLatin1String("OffsetY"));
    ansi::writeLines(path, lines);
}

bool loadIndividualPrefs(Table &table, const char *prefix, int lineMapID, void (*createEmptyTable)())
{
    const QString path = LineMapFileName(prefix, lineMapID);
    guarded(table, [&] { table.close(); });
    if (FileStamps::seenThere(path))
        migrateIndividualPrefsNames(path);
    return loadPlanTable(table, path, createEmptyTable, QStringLiteral("Fehler beim laden der Datei: ") + path);
}

bool loadLineText(Table &table, const QString &file, void (*createEmptyTable)())
{
    return loadPlanTable(table, projectFile(file), createEmptyTable,
                         QStringLiteral("Datei %1 nicht gefunden!").arg(file));
}

const QStringList &lineMapPrefsDefaults()
{
    static const QStringList defaults = {
        QStringLiteral("LineTextPosStart=true"),
        QStringLiteral("LineTextPosEnd=true"),
        QStringLiteral("LineTextPosOther=false"),
        QStringLiteral("LineTextFontCharset=1"),
        QStringLiteral("LineTextFontName=Arial"),
        QStringLiteral("LineTextFontSize=8"),
        QStringLiteral("LineTextFontStyleBold=false"),
        QStringLiteral("LineTextFontStyleItalic=false"),
        QStringLiteral("LineTextFontStyleUnderline=false"),
        QStringLiteral("LineTextFontStyleStrikeOut=false"),
        QStringLiteral("LineTextDefaultColor=true"),
        QStringLiteral("LineTextColorRed=0"),
        QStringLiteral("LineTextColorGreen=0"),
        QStringLiteral("LineTextColorBlue=0"),
        QStringLiteral("LineTextDefaultBackgroundColor=false"),
        QStringLiteral("LineTextBackgroundColorRed=255"),
        QStringLiteral("LineTextBackgroundColorGreen=255"),
        QStringLiteral("LineTextBackgroundColorBlue=255"),
        QStringLiteral("LineTextDistance=0"),
    };
    return defaults;
}

// Old plan settings named the station-name offsets "distances", measured the other way round
// on one axis per direction class.
bool migrateLineMapPrefsNames(QStringList &lines)
{
    if (lines.size() < 3 || !lines[2].contains(QLatin1String("StationWELineDistanceH")))
        return false;
    static const char *const renames[][2] = {
        {"StationWELineDistanceH", "StationWEOffsetX"},     {"StationWELineDistanceV", "StationWEOffsetY"},
        {"StationNSLineDistanceH", "StationNSOffsetX"},     {"StationNSLineDistanceV", "StationNSOffsetY"},
        {"StationNWSELineDistanceH", "StationNWSEOffsetX"}, {"StationNWSELineDistanceV", "StationNWSEOffsetY"},
        {"StationSWNELineDistanceH", "StationSWNEOffsetX"}, {"StationSWNELineDistanceV", "StationSWNEOffsetY"},
        {"MultiStationDistanceH", "MultiStationOffsetX"},   {"MultiStationDistanceV", "MultiStationOffsetY"},
    };
    for (const auto &r : renames)
        lines[2].replace(QLatin1String(r[0]), QLatin1String(r[1]));
    return true;
}

void negateWhen(Table &table, const char *positionField, int position, const char *offsetField)
{
    if (table.fieldByName(QLatin1String(positionField)).asInteger() != position)
        return;
    Field offset = table.fieldByName(QLatin1String(offsetField));
    if (offset.isNull())
        return;
    const int v = offset.asInteger();
    offset.setInteger(v == std::numeric_limits<int>::min() ? v : -v);
}

void turnMigratedOffsetSigns(Table &table)
{
    table.open();
    table.first();
    while (!table.eof()) {
        table.edit();
        negateWhen(table, "StationWEPosition", 1, "StationWEOffsetY");
        negateWhen(table, "StationNSPosition", 1, "StationNSOffsetX");
        negateWhen(table, "StationNWSEPosition", 1, "StationNWSEOffsetX");
        negateWhen(table, "StationSWNEPosition", 0, "StationSWNEOffsetX");
        table.post();
        table.next();
    }
}

// The file name and extension of a path written with either separator or after a drive colon.
QString fileNamePart(const QString &path)
{
    const qsizetype cut = std::max({path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')),
                                    path.lastIndexOf(QLatin1Char(':'))});
    return path.mid(cut + 1);
}

} // namespace

// ---------------------------------------------------------------- create empty

void CreateEmptyStations() { createEmpty(dm1->cdsStations, false); }
void CreateEmptyLines() { createEmpty(dm1->cdsLines, false); }
void CreateEmptyNewStations() { createEmpty(dm1->cdsNewStations, false); }
void CreateEmptyLineStations() { createEmpty(dm1->cdsLineStations, false); }
void CreateEmptyLineConnections() { createEmpty(dm1->cdsLineConnections, false); }
void CreateEmptyIntervals() { createEmpty(dm1->cdsIntervals, false); }
void CreateEmptyTimeTableConnections() { createEmpty(dm1->cdsTimeTableConnections, false); }
void CreateEmptyLineGraphic() { createEmpty(dm1->cdsLineGraphic, false); }
void CreateEmptyLineMaps() { createEmpty(dm1->cdsLineMaps, false); }
void CreateEmptyLineMapPrefs() { createEmpty(dm1->cdsLineMapPrefs, false); }
bool CreateEmptyLineMapLines()
{
    createEmpty(dm1->cdsLineMapLines, false);
    return true;
}
void CreateEmptyLineMapLineSections() { createEmpty(dm1->cdsLineMapLineSections, false); }
void CreateEmptyLineMapLineConnections() { createEmpty(dm1->cdsLineMapLineConnections, false); }
void CreateEmptyLineMapStations() { createEmpty(dm1->cdsLineMapStations, true); }
void CreateEmptyLineMapIndividualStationPrefs() { createEmpty(dm1->cdsLineMapIndividualStationPrefs, true); }
void CreateEmptyLineMapIndividualMultiStationPrefs()
{
    createEmpty(dm1->cdsLineMapIndividualMultiStationPrefs, true);
}
void CreateEmptyLineMapLineTextVisible() { createEmpty(dm1->cdsLineMapLineTextVisible, true); }
void CreateEmptyLineMapLineTextColor() { createEmpty(dm1->cdsLineMapLineTextColor, true); }
void CreateEmptyLineMapLineTextOffset() { createEmpty(dm1->cdsLineMapLineTextOffset, true); }

// ---------------------------------------------------------------- master loads

void LoadStations()
{
    loadMaster(dm1->cdsStations, QStringLiteral("stations.ptf"), QStringLiteral("Station-File %1 not found"),
               QStringLiteral("stations.ptf"));
}

void LoadLines()
{
    loadMaster(dm1->cdsLines, QStringLiteral("lines.ptf"), QStringLiteral("Line-File %1 not found"),
               QStringLiteral("lines.ptf"));
}

void LoadNewStations()
{
    if (!FileStamps::seenThere(projectFile(QStringLiteral("newstations.ptf"))))
        return;
    loadMaster(dm1->cdsNewStations, QStringLiteral("newstations.ptf"),
               QStringLiteral("File %1 (new stations) not found"), QStringLiteral("(newstations.ptf)"));
}

void LoadLineStations()
{
    loadMaster(dm1->cdsLineStations, QStringLiteral("line_stations.ptf"),
               QStringLiteral("File %1 (lines-stations connections) not found"), QStringLiteral("line_stations.ptf"));
}

void LoadLineConnections()
{
    loadMaster(dm1->cdsLineConnections, QStringLiteral("line_connections.ptf"),
               QStringLiteral("File %1 (line-connections) not found"), QStringLiteral("line_connections.ptf"));
}

void LoadIntervals()
{
    loadMaster(dm1->cdsIntervals, QStringLiteral("intervals.ptf"), QStringLiteral("Interval-File %1 not found"),
               QStringLiteral("intervals.ptf"));
}

void LoadLineGraphic()
{
    loadMaster(dm1->cdsLineGraphic, QStringLiteral("line_graphic.ptf"),
               QStringLiteral("File %1 (line-graphic) not found"), QStringLiteral("line_graphic.ptf"));
}

void LoadLineMaps()
{
    loadMaster(dm1->cdsLineMaps, QStringLiteral("line_maps.ptf"), QStringLiteral("File %1 (line-maps) not found"),
               QStringLiteral("line_maps.ptf"));
}

void LoadDayGroups(const QString &Path)
{
    if (!loadFile(Path, dm1->cdsDayGroups) && dm1->cdsDayGroups.damagedFile().isEmpty())
        dialogs().showMessage(QStringLiteral("Daygroups-File %1 not found").arg(QStringLiteral("daygroups.ptf")));
}

// ---------------------------------------------------------------- project file and preferences

void LoadProjectFile(const QString &Path)
{
    Table &t = dm1->cdsProject;
    if (!loadFile(Path, t) && t.damagedFile().isEmpty())
        dialogs().showMessage(QStringLiteral("Project-File %1 not found").arg(Path));
    // Whatever the reader left decides the limit; no row or a null gives 0.
    guarded(t, [&] {
        t.open();
        t.first();
        PrjParams.MaxDriveMinutes = t.fieldByName(QStringLiteral("MaxDriveMinutes")).asInteger();
        t.close();
    });
}

QString FormatLastSave(const QDateTime &time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

void FillProjectHeader(Table &Project)
{
    Project.open();
    Project.first();
    Project.edit();
    Project.fieldByName(QStringLiteral("DataStandard")).setString(QStringLiteral("Korvalin Pro"));
    Project.fieldByName(QStringLiteral("DataVersion")).setString(QStringLiteral("1.0"));
    Project.fieldByName(QStringLiteral("PTFVersion")).setString(QStringLiteral("1.0"));
    Project.fieldByName(QStringLiteral("ProgName")).setString(ProductTitle);
    Project.fieldByName(QStringLiteral("ProgVersion")).setString(ProgVersion);
    Project.fieldByName(QStringLiteral("ProgType")).setString(ProgType);
    Project.fieldByName(QStringLiteral("LastSave")).setString(FormatLastSave(QDateTime::currentDateTime()));
    Project.post();
}

bool ProjectFileDamaged(const Table &table, const QString &file)
{
    return TableFileDamaged(table, projectFile(file));
}

bool SaveProjectFile()
{
    Table &t = dm1->cdsProject;
    guarded(t, [&] { FillProjectHeader(t); });
    const bool ok = saveFile(ProjectFileName, t);
    if (!ok)
        reportFailedSave(t, ProjectFileName, QStringLiteral("Error saving the project file %1").arg(ProjectFileName));
    return ok;
}

void LoadPrefs(const QString &Path)
{
    // A preferences file without a ProjectName column takes the project file's name.
    const QStringList defaults = {QStringLiteral("ProjectName=") + fileNamePart(ProjectFileName)};
    Table &t = dm1->cdsPrefs;
    if (!guarded(t, false, [&] { return ImportPtfFile(Path, t, &defaults, false); })) {
        // The reader says nothing of a file that is there but damaged; the user is told which,
        // once: "not found" is for a file that is not there.
        if (!t.damagedFile().isEmpty())
            dialogs().showMessage(PtfLoadErrorMessage(Path, t));
        else
            dialogs().showMessage(QStringLiteral("Preferences file (%1) not found").arg(QStringLiteral("prefs.ptf")));
    }
}

bool SavePrefs()
{
    const bool ok = saveFile(projectFile(QStringLiteral("prefs.ptf")), dm1->cdsPrefs);
    if (!ok)
        reportFailedSave(dm1->cdsPrefs, projectFile(QStringLiteral("prefs.ptf")),
                         QStringLiteral("Error saving the preferences file %1").arg(QStringLiteral("prefs.ptf")));
    return ok;
}

void SetPrefsProjectName()
{
    Table &t = dm1->cdsPrefs;
    guarded(t, [&] {
        t.open();
        t.first();
        t.edit();
        t.fieldByName(QStringLiteral("ProjectName")).setString(fileNamePart(ProjectFileName));
        t.post();
        t.close();
    });
}

// ---------------------------------------------------------------- saves

bool SaveDayGroups()
{
    const QString path = projectFile(QStringLiteral("daygroups.ptf"));
    const bool ok = saveFile(path, dm1->cdsDayGroups);
    if (!ok)
        reportFailedSave(dm1->cdsDayGroups, path, QStringLiteral("Error saving the daygroup-file %1").arg(path));
    return ok;
}

bool SaveStations()
{
    return saveWithoutEmptyNames(dm1->cdsStations, QStringLiteral("Station"), QStringLiteral("stations.ptf"));
}

bool SaveLines() { return saveWithoutEmptyNames(dm1->cdsLines, QStringLiteral("Line"), QStringLiteral("lines.ptf")); }

bool SaveNewStations() { return saveFile(projectFile(QStringLiteral("newstations.ptf")), dm1->cdsNewStations); }
bool SaveLineStations() { return saveFile(projectFile(QStringLiteral("line_stations.ptf")), dm1->cdsLineStations); }

bool SaveLineConnections()
{
    const QString path = projectFile(QStringLiteral("line_connections.ptf"));
    const bool ok = saveFile(path, dm1->cdsLineConnections);
    if (!ok)
        reportFailedSave(dm1->cdsLineConnections, path,
                         QStringLiteral("Error saving the lineconnections, file %1").arg(path));
    return ok;
}

bool SaveLineGraphic() { return saveFile(projectFile(QStringLiteral("line_graphic.ptf")), dm1->cdsLineGraphic); }
bool SaveLineMaps() { return saveFile(projectFile(QStringLiteral("line_maps.ptf")), dm1->cdsLineMaps); }
bool SaveLineMapPrefs() { return saveFile(projectFile(QStringLiteral("line_map_prefs.ptf")), dm1->cdsLineMapPrefs); }
bool SaveLineMapLines() { return saveFile(projectFile(QStringLiteral("line_map_lines.ptf")), dm1->cdsLineMapLines); }

bool SaveLineMapLineSections()
{
    return saveFile(projectFile(QStringLiteral("line_map_line_sections.ptf")), dm1->cdsLineMapLineSections);
}

bool SaveLineMapLineIntersections()
{
    return saveFile(projectFile(QStringLiteral("line_map_line_intersections.ptf")), dm1->cdsLineMapLineConnections);
}

bool SaveLineMapStations(int LineMapID)
{
    return saveClosedAndReopen(dm1->cdsLineMapStations, QString(), planFile("lms_", LineMapID));
}

bool SaveLineMapIndividualStationPrefs(int LineMapID)
{
    return saveClosedAndReopen(dm1->cdsLineMapIndividualStationPrefs, QStringLiteral("idxLineIDTypeValue"),
                               planFile("lmisp_", LineMapID));
}

bool SaveLineMapIndividualMultiStationPrefs(int LineMapID)
{
    return saveClosedAndReopen(dm1->cdsLineMapIndividualMultiStationPrefs, QStringLiteral("idxStationID"),
                               planFile("lmimsp_", LineMapID));
}

bool SaveLineMapLineTextVisible()
{
    return saveClosedAndReopen(dm1->cdsLineMapLineTextVisible, QStringLiteral("idxMapLine"),
                               QStringLiteral("line_map_line_text_visible.ptf"));
}

bool SaveLineMapLineTextColor()
{
    return saveClosedAndReopen(dm1->cdsLineMapLineTextColor, QStringLiteral("idxMapLine"),
                               QStringLiteral("line_map_line_text_color.ptf"));
}

bool SaveLineMapLineTextOffset()
{
    return saveClosedAndReopen(dm1->cdsLineMapLineTextOffset, QStringLiteral("idxMapLine"),
                               QStringLiteral("line_map_line_text_offset.ptf"));
}

// ---------------------------------------------------------------- line-map loads

namespace dbfunc {

PrefsImport importLineMapPrefs(const QString &Path, Table &t, bool RewriteMigrated)
{
    // A file with the old column names is imported from a renamed copy; the file itself is
    // rewritten only after the offsets are corrected, so names and values change together.
    QString source = Path;
    std::optional<QTemporaryDir> scratch;
    QStringList lines;
    const bool migrated = FileStamps::seenThere(Path) && ansi::readLines(Path, lines) && migrateLineMapPrefsNames(lines);
    if (migrated) {
        scratch.emplace();
        source = scratch->filePath(QStringLiteral("line_map_prefs.ptf"));
        if (!scratch->isValid() || !ansi::writeLines(source, lines))
            return PrefsImport::NoCopy;
    }

    if (!guarded(t, false, [&] { return ImportPtfFile(source, t, &lineMapPrefsDefaults(), false); }))
        return PrefsImport::Unreadable;
    if (migrated) {
        guarded(t, [&] {
            turnMigratedOffsetSigns(t);
            // A folder that cannot be written (the program folder) keeps the old file; the
            // table is migrated all the same and the next load migrates the file again.
            if (RewriteMigrated)
                SavePtfFile(Path, kQuote, t);
        });
        guarded(t, [&] { t.close(); });
    }
    return PrefsImport::Read;
}

} // namespace dbfunc

bool LoadLineMapPrefs(const QString &Path)
{
    Table &t = dm1->cdsLineMapPrefs;
    const QString failMessage =
        QStringLiteral("File %1 (line-map-preferences) not found").arg(QStringLiteral("line_map_prefs.ptf"));

    switch (importLineMapPrefs(Path, t, true)) {
    case PrefsImport::Read:
        return true;
    case PrefsImport::NoCopy:
        dialogs().showMessage(failMessage);
        return false;
    case PrefsImport::Unreadable:
        break;
    }
    // A file that is there but cannot be read holds the settings of every plan: the table is
    // marked with it (not with the copy read), so no save writes it over them.
    if (QFileInfo::exists(Path)) {
        // A file with the old column names was read from a copy: the lines left out are the same.
        t.setDamagedFile(Path, t.damagedLine(), t.damagedLineCount());
        reportDamaged(Path, t);
    } else {
        dialogs().showMessage(failMessage);
    }
    return false;
}

bool LoadLineMapLines()
{
    static const QStringList defaults = {QStringLiteral("VehicleDefaultColor=true"),
                                         QStringLiteral("VehicleColorRed=0"), QStringLiteral("VehicleColorGreen=0"),
                                         QStringLiteral("VehicleColorBlue=0")};
    Table &t = dm1->cdsLineMapLines;
    const QString path = projectFile(QStringLiteral("line_map_lines.ptf"));
    if (!guarded(t, false, [&] { return ImportPtfFile(path, t, &defaults, false); })) {
        if (QFileInfo::exists(path))
            reportDamaged(path, t);
        else
            dialogs().showMessage(QStringLiteral("File %1 not found").arg(QStringLiteral("line_map_lines.ptf")));
        return false;
    }
    return true;
}

namespace {

// The reader reports a file that is there but damaged; only a missing one is told here.
bool loadSharedPlanTable(Table &table, const char *file)
{
    const QString path = projectFile(QLatin1String(file));
    if (loadFile(path, table))
        return true;
    if (!QFileInfo::exists(path))
        dialogs().showMessage(QStringLiteral("File %1 not found").arg(QLatin1String(file)));
    return false;
}

} // namespace

bool LoadLineMapLineSections()
{
    return loadSharedPlanTable(dm1->cdsLineMapLineSections, "line_map_line_sections.ptf");
}

bool LoadLineMapLineIntersections()
{
    return loadSharedPlanTable(dm1->cdsLineMapLineConnections, "line_map_line_intersections.ptf");
}

bool LoadOrCreateLineMapLines()
{
    if (!FileStamps::seenThere(projectFile(QStringLiteral("line_map_lines.ptf"))))
        return CreateEmptyLineMapLines();
    return LoadLineMapLines();
}

bool LoadLineMapStations(int LineMapID)
{
    const QString path = projectFile(planFile("lms_", LineMapID));
    return loadPlanTable(dm1->cdsLineMapStations, path, &CreateEmptyLineMapStations,
                         QStringLiteral("Fehler beim laden der Datei: ") + path);
}

bool LoadLineMapIndividualStationPrefs(int LineMapID)
{
    return loadIndividualPrefs(dm1->cdsLineMapIndividualStationPrefs, "lmisp_", LineMapID,
                               &CreateEmptyLineMapIndividualStationPrefs);
}

bool LoadLineMapIndividualMultiStationPrefs(int LineMapID)
{
    return loadIndividualPrefs(dm1->cdsLineMapIndividualMultiStationPrefs, "lmimsp_", LineMapID,
                               &CreateEmptyLineMapIndividualMultiStationPrefs);
}

bool LoadLineMapLineTextVisible()
{
    return loadLineText(dm1->cdsLineMapLineTextVisible, QStringLiteral("line_map_line_text_visible.ptf"),
                        &CreateEmptyLineMapLineTextVisible);
}

bool LoadLineMapLineTextColor()
{
    return loadLineText(dm1->cdsLineMapLineTextColor, QStringLiteral("line_map_line_text_color.ptf"),
                        &CreateEmptyLineMapLineTextColor);
}

bool LoadLineMapLineTextOffset()
{
    return loadLineText(dm1->cdsLineMapLineTextOffset, QStringLiteral("line_map_line_text_offset.ptf"),
                        &CreateEmptyLineMapLineTextOffset);
}

void CloseLineMapStations()
{
    guarded(dm1->cdsLineMapStations, [] { dm1->cdsLineMapStations.close(); });
}

void CloseLineMapIndividualStationPrefs()
{
    guarded(dm1->cdsLineMapIndividualStationPrefs, [] { dm1->cdsLineMapIndividualStationPrefs.close(); });
}
