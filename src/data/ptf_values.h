#pragma once

#include "data/ptf_tokens.h"
#include "platform/table.h"

#include <QString>

// The one conversion of a value into a field by the field's type, for the table-file reader,
// the by-name import and the restructure. A value that does not convert throws TableError.

// Sets a field of the row being appended from an item of a record line; the null literal
// leaves it null.
void setFieldFromItem(Field &field, FieldType type, const PtfTokens &tokens, const PtfTokens::Item &item);
// Sets a field from text as the by-name routines do.
void setFieldFromText(Field field, const QString &text);
// Copies a value converted by the target field's type; a null stays null.
void copyValue(const Field &from, Field to);
// Copies a value into a field of another type: a null arrives as an empty text, 0 or false.
void copyConverted(const Field &from, Field to);
