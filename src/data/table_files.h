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
// (ansi::lastWriteError() then tells why). So is a text holding a control character, which
// would break its line; the reason then names the first such entry by its field and its row's
// ID (or its row number where the table has no ID), so that the user can rename it.
// A table marked as loaded from a damaged file is never written over that file: the result is
// false, the file keeps its bytes, and the message "The file <file> is damaged and was left
// unchanged." is shown here, so callers add no message of their own that names the file.
bool SavePtfFile(const QString &FileName, QChar QuoteChar, Table &table);

// True when the table failed to load from this very file (Table::damagedFile): a save of it
// there is refused. Lets a save that writes several files stop before the first.
bool TableFileDamaged(const Table &table, const QString &FileName);
// The message of a refused write: "The file <file> is damaged and was left unchanged."
QString DamagedFileMessage(const QString &FileName);

// Splits one line into items "s=text", "b=true|false", "u=null", "n=number"; false on a syntax
// error, with the items found before it left in the list.
bool ParsePtfValueLine(const QString &Line, QStringList &Items);

// The column names of a table file's text that begins as the writer begins every file: its two
// first lines, then a names line of quoted texts, with at least one line after it. False, with
// no names and no message, for any other text. Says nothing about the records.
bool ReadPtfColumnNames(const QString &Text, QStringList &Names);

// Replaces the table's rows with the file's records, column by position; a table without field
// definitions gets them from the file. False without a message for a missing file, with
// "Error by load PTF-File: <file>" (PtfLoadErrorMessage) for one that exists but is damaged or
// too short. Leaves the table closed. A file that exists but does not load leaves the table
// empty and marked with the file (Table::damagedFile); a success or a missing file clears the
// mark, and a missing file leaves the rows as they were. A file whose record lines all load but
// some that do not parse, or whose end gives no item (a value without its comma, a string
// never closed), is damaged too: the result is false and the table marked, but it keeps the rows
// of the other lines, and the mark names the first line left out. The same holds for
// LoadPtfFileStructure and ImportPtfFile below (which show no message of their own;
// ImportPtfFile always empties the table first).
bool LoadPtfFile(const QString &FileName, Table &table);

// "Error by load PTF-File: <file>", with the first line left out when the table is marked with
// lines of that file it could not read: "... (line 14)", "... (line 14 and 2 more)".
QString PtfLoadErrorMessage(const QString &FileName, const Table &table);

// The same for the decoded text of a file: false for a text that is too short or damaged.
// A file is damaged when its last line (blank lines at the end not counted) is not the
// writer's closing line "<field count>);" (with the count of the names line, where that line
// is read): a file cut short is never taken as whole. A record line without any item is
// skipped; one that does not read whole makes the result false, with the other rows loaded.
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
