#pragma once

#include "platform/string_grid.h"

#include <QString>
#include <QStringList>

#include <functional>

// A small tag scanner for the tables of timetable pages: it knows tags, comments and
// double-quoted text outside tags, but no entities, nesting, colspan or rowspan.
// Positions are 1-based character positions in the text; 0 means "not found".

// Scans from Start for the next tag. Name is the lower-cased tag name, TagStart the
// position of its "<", TagEnd that of its ">". A comment ("<!--" followed by a blank or
// ">") is skipped up to the next "-->"; outside tags a double quote hides every tag up
// to the next double quote.
bool ScanNextTag(const QString &Text, int Start, QString &Name, int &TagStart, int &TagEnd);

// Fills List from a tag text running from its "<" to its ">": first "tagname=" and the
// name, then one line per attribute ("name=value" or the bare name), lower-cased and
// without quotes.
void ParseTagAttributes(const QString &TagText, QStringList &List);

// ScanNextTag from Start and, when a tag is found, its attributes into List. Returns the
// tag's start (0 when none is left); NextPos is the position after its ">".
int ReadNextTag(const QString &Text, int Start, QStringList &List, int &NextPos);

// The next "<" at or after Start and the next ">" after it, without any quote or comment
// handling. Returns the position of the "<" (0 when either is missing); Inner is the
// trimmed text between them, NextPos the position after the ">".
int ExtractNextTag(const QString &Text, int Start, QString &Inner, int &NextPos);

// The next tag named Name (compared lower-cased) from Start.
bool FindTag(const QString &Text, int Start, const QString &Name, int &TagEnd, int &TagStart);

// The next element named Name from Start: the start of its opening tag (0 when the
// opening or the closing tag is missing); After is the position after the first closing
// tag behind the opening one (nested elements of the same name are not counted).
int FindElement(const QString &Text, int Start, const QString &Name, int &After);

// The text with every "<" ... ">" that ExtractNextTag finds removed.
QString StripTags(const QString &Text);

// Measures a cell text for the auto width of HTMLTableToGrid.
using TextWidthFunction = std::function<int(const QString &)>;

// The largest grid a table may fill; a page table beyond it is refused, since the work grid
// and its view must stay usable.
constexpr qint64 MaxTableGridCells = 1000000;

// Fills Grid from the first table in TableText: one grid row per "tr", one cell per "td"
// or "th" within it, the cell text with its tags stripped (not trimmed). With TextWidth,
// a column grows to the widest of its texts. A table beyond MaxTableGridCells leaves the
// grid as it was and gives false.
bool HTMLTableToGrid(const QString &TableText, StringGrid &Grid, const TextWidthFunction &TextWidth);
