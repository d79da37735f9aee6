#pragma once

#include "platform/table.h"

#include <QString>
#include <QStringList>

// Reader and writer of the Portable Table Format: each table file is at the same time a
// JavaScript statement appending the table to the array porTables, so the website reads it.

// Writes the table (in its active index order) to the file, replacing it atomically.
bool SavePtfFile(const QString &FileName, QChar QuoteChar, Table &table);

// Splits one line into items "s=text", "b=true|false", "u=null", "n=number".
bool ParsePtfValueLine(const QString &Line, QStringList &Items);

// Replaces the table's rows with the file's records, column by position.
bool LoadPtfFile(const QString &FileName, Table &table);

// Makes the table's fields from the file (trip tables), then loads the rows.
bool LoadPtfFileStructure(const QString &FileName, Table &table);

// Loads by column name; Defaults are "Column=value" lines for columns the file lacks.
bool ImportPtfFile(const QString &FileName, Table &table, const QStringList *Defaults, bool AddMissing);

// Rebuilds the columns from "Old;New;Type;Size" lines and copies the rows.
bool RestructureTable(Table &table, const QStringList &SpecLines);
