#include "data/ptf_values.h"

#include "data/common_helpers.h"
#include "platform/table.h"

#include <limits>

namespace {

bool textToBoolean(const QString &text)
{
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    double d = 0;
    if (!parseFloat(text, d))
        throw TableError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
    return d != 0.0;
}

// A value on its way into a field: an item of a record line (its text as written and, for a
// number, its value), a text (a default, or the value of a text field), or a field of
// another table.
struct Source {
    QStringView text;
    const PtfTokens::Item *item = nullptr;
    const Field *field = nullptr;

    static Source ofItem(const PtfTokens &tokens, const PtfTokens::Item &item) { return {tokens.text(item), &item}; }
    static Source ofText(QStringView text) { return {text}; }
    static Source ofField(const Field &field) { return {QStringView(), nullptr, &field}; }
};

// The one conversion of a value into a field by the field's type; a value that does not
// convert throws. A file's Boolean is true exactly when it is the literal true; a text
// also takes false in any case and numbers.
void convertInto(Field &to, FieldType type, const Source &from)
{
    switch (type) {
    case FieldType::String:
        to.setString(from.field ? from.field->asString() : from.text.toString());
        return;
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::AutoInc: {
        if (from.field) {
            to.setInteger(from.field->asInteger());
            return;
        }
        int value = 0;
        bool ok = false;
        if (from.item && from.item->whole) {
            ok = from.item->number >= std::numeric_limits<int>::min() &&
                 from.item->number <= std::numeric_limits<int>::max();
            value = ok ? static_cast<int>(from.item->number) : 0;
        } else {
            ok = parseInteger(from.text.toString(), value);
        }
        if (!ok)
            throw TableError(QStringLiteral("'%1' is not a valid integer value").arg(from.text));
        to.setInteger(value);
        return;
    }
    case FieldType::Boolean:
        if (from.field)
            to.setBoolean(from.field->asBoolean());
        else if (from.item)
            to.setBoolean(from.text == u"true");
        else
            to.setBoolean(textToBoolean(from.text.toString()));
        return;
    case FieldType::Float: {
        if (from.field) {
            to.setFloat(from.field->asFloat());
            return;
        }
        double value = 0;
        if (from.item && from.item->kind == u'n')
            value = from.item->number;
        else if (!parseFloat(from.text.toString(), value))
            throw TableError(QStringLiteral("'%1' is not a valid floating point value").arg(from.text));
        to.setFloat(value);
        return;
    }
    case FieldType::Unknown:
        if (from.item)
            throw TableError(QStringLiteral("Field of unknown type"));
        return;
    }
}

} // namespace

// Sets a field of the row being appended from an item.
void setFieldFromItem(Field &field, FieldType type, const PtfTokens &tokens, const PtfTokens::Item &item)
{
    // Only the null literal clears: a quoted "null" is the text null. The new row is null already.
    if (item.kind != u'u')
        convertInto(field, type, Source::ofItem(tokens, item));
}

// Sets a field from text as the by-name routines do; a text that does not convert throws.
void setFieldFromText(Field field, const QString &text)
{
    convertInto(field, field.dataType(), Source::ofText(text));
}

// Copies a value converted by the target field's type; a null stays null (the row being
// appended is null already).
void copyValue(const Field &from, Field to)
{
    if (!from.isNull())
        convertInto(to, to.dataType(), Source::ofField(from));
}

// Copies a value into a field of another type: a null arrives as an empty text, 0 or false.
void copyConverted(const Field &from, Field to)
{
    if (from.isNull()) {
        setFieldFromText(to, to.dataType() == FieldType::String ? QString() : QStringLiteral("0"));
        return;
    }
    if (from.dataType() == FieldType::String)
        setFieldFromText(to, from.asString());
    else
        copyValue(from, to);
}

