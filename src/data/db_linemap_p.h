#pragma once

// Shared by db_linemap and db_delete only.

#include "data/data_module_1.h"
#include "platform/table.h"

#include <QString>
#include <QVariant>

namespace dbfunc {

// Deletes every row with the key on the named index, whatever filter is on; the number deleted.
// May throw TableError (callers guard).
int deleteRowsByKey(Table &table, const QString &indexName, const QVariantList &key);

// The six line-map tables shared by all plans.
enum class SharedTable { Lines, Sections, Intersections, TextVisible, TextColor, TextOffset };
// Reads the table from this project's file; a missing file leaves it empty (present false).
bool loadSharedTable(SharedTable which, bool &present);
// Loads the table, deletes the rows with the ID on the index and writes the file; true without a
// write when the project has no such file.
bool deleteSharedRows(SharedTable which, const QString &indexName, int id);

// One of a plan's own files (lms_, lmisp_, lmimsp_<LineMapID>.ptf) and its table.
struct PlanTable {
    const char *prefix;
    Table Tdm1::*table;
    bool (*load)(int lineMapID);
    bool (*save)(int lineMapID);
};
extern const PlanTable kPlanStations;
extern const PlanTable kPlanIndividualPrefs;
extern const PlanTable kPlanMultiPrefs;
// The path of the plan's file in the project folder.
QString planFileName(const PlanTable &which, int lineMapID);

// Whether cdsLineMapPrefs holds a row for the plan.
bool hasLineMapPrefsRow(int lineMapID);

// The current row's values, and a row appended again from them (a delete whose write failed).
QVariantList rowValues(Table &table);
void restoreRow(Table &table, const QVariantList &values);
// Deletes the row with the key on idxID and writes the table's file; on a failed write the row
// comes back, so table and file still agree and the delete can be repeated. False when there is
// no such row.
bool deleteOwnRow(Table &t, int id, bool (*save)());

} // namespace dbfunc
