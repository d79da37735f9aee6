#pragma once

#include "platform/table.h"

#include <QString>
#include <QStringList>

// Reader and writer of the Portable Table Format: each table file is at the same time a
// JavaScript statement appending the table to the array porTables, so the website reads it.
// None of these routines throws: every failure is a false result.

// Writes the table (in its active index order) to the file, replacing it atomically: when the
// file cannot be written the result is false and the old file stays as it was. A text with a
// character that Windows-1252 cannot hold is refused the same way rather than written as "?"
// (ansi::lastWriteError() then tells why).
bool SavePtfFile(const QString &FileName, QChar QuoteChar, Table &table);

// Splits one line into items "s=text", "b=true|false", "u=null", "n=number"; false on a syntax
// error, with the items found before it left in the list.
bool ParsePtfValueLine(const QString &Line, QStringList &Items);

// Replaces the table's rows with the file's records, column by position; a table without field
// definitions gets them from the file. False without a message for a missing or too short file,
// with "Error by load PTF-File: <file>" for a damaged one. Leaves the table closed.
bool LoadPtfFile(const QString &FileName, Table &table);

// The same for the decoded text of a file: false for a text that is too short or damaged.
// A file is damaged when its last line (blank lines at the end not counted) is not the
// writer's closing line "<field count>);" (with the count of the names line, where that line
// is read): a file cut short is never taken as whole. A record line without any item is
// skipped.
bool LoadPtfText(const QString &Text, Table &table);

// Makes the table's fields from the file (trip tables), then loads the rows. Leaves the table
// closed; false without a message when the file cannot be read or is damaged.
bool LoadPtfFileStructure(const QString &FileName, Table &table);
bool LoadPtfStructureText(const QString &Text, Table &table);

// Loads by column name; Defaults are "Column=value" lines for columns the file lacks. Leaves the
// table closed; false (with the table emptied) when the file cannot be read or a value does not
// convert.
bool ImportPtfFile(const QString &FileName, Table &table, const QStringList *Defaults, bool AddMissing);

// Rebuilds the columns from "Old;New;Type;Size" lines and copies the rows; leaves the table open
// without indexes. False, with the table closed and unchanged, for a line that names no column
// of the table or does not make a valid column.
bool RestructureTable(Table &table, const QStringList &SpecLines);
