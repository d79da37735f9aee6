#pragma once

#include <QString>
#include <QVariant>

// Locale-independent numbers of the table files and of the values the user types. Kept apart
// from the table engine, so the tokenizer and the timetable model need no more than this.

// Order of stored values: null first, numbers by value, texts case-sensitive.
int compareValues(const QVariant &a, const QVariant &b);

// True for the variant types that hold a number (Booleans included).
bool isNumericValue(const QVariant &v);

// The general form of a number with up to 15 significant digits and a decimal point.
QString formatFloat(double value);

// Conversions that report failure instead of throwing. Blanks around the text are ignored; an
// integer is an optional sign and ASCII digits, nothing else (no embedded NUL, no other digits).
bool parseInteger(const QString &text, int &value);
// A decimal number with a point, optional sign and exponent; no "inf", "nan" or hexadecimal.
bool parseFloat(const QString &text, double &value);
