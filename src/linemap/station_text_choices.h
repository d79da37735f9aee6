#pragma once

#include <QString>
#include <QStringList>

// The choice lists of the station-name and transfer-station panels of the drawing editor,
// without widgets. Each list item stands for stored values; the tables are read both ways:
// item to values when the user chooses, values to item when a stored row is shown.

// --- station names beside a line: the items by the Degree of the current section. A Degree
// that is none of the eight directions (or -1) has no items.
QStringList StationTextPositionItems(int Degree);
// The stored values of an item; false for an item the Degree's list does not hold.
bool StationTextChoiceValues(int Degree, int Item, int &Position, int &TextDirection, int &Rotation);
// The item that stored values select; values a column does not compare for that class are not
// looked at. -1 when no item matches (values read from a file outside the lists).
int StationTextChoiceIndex(int Degree, int Position, int TextDirection, int Rotation);

// --- transfer-station names (the twelve positions of the plan's transfer rules)
// The alignment a position forces: 0 left or 2 right; -1 for the free positions 7 and 10 and
// for a position outside 0 to 11.
int MultiStationForcedAlign(int Position);
// The direction items of a position and alignment; none for a position outside 0 to 11.
QStringList MultiStationDirectionItems(int Position, int Align);
// The direction item a stored rotation selects for a position; -1 when none does.
int MultiStationDirectionIndex(int Position, int Rotation);
