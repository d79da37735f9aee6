#include "platform/table.h"

#include <cmath>
#include <limits>

// Values: their order, their text forms, the fields that read and set them, and the
// conversion of a value to a field's type.

// ---------------------------------------------------------------- Field

TableCell &Field::writableCell() const
{
    if (m_cells)
        throw TableError(QStringLiteral("Field '%1' of %2 is read only in a read walk")
                             .arg(fieldName(), m_table->name()));
    return m_table->bufferCell(m_index);
}

QVariant Field::value() const
{
    return cell().toVariant();
}

QString Field::asString() const
{
    const TableCell &v = cell();
    switch (v.kind()) {
    case TableCell::Kind::Null:
        break;
    case TableCell::Kind::Integer:
        return QString::number(v.integer());
    case TableCell::Kind::Float:
        return formatFloat(v.number());
    case TableCell::Kind::Boolean:
        return v.boolean() ? QStringLiteral("True") : QStringLiteral("False");
    case TableCell::Kind::String:
        return v.string();
    }
    return QString();
}

int Field::asInteger() const
{
    const TableCell &v = cell();
    switch (v.kind()) {
    case TableCell::Kind::Null:
        break;
    case TableCell::Kind::Integer:
        return v.integer();
    case TableCell::Kind::Boolean:
        return v.boolean() ? 1 : 0;
    case TableCell::Kind::Float: {
        const double d = std::round(v.number());
        if (d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max())
            return static_cast<int>(d);
        return 0;
    }
    case TableCell::Kind::String: {
        int i = 0;
        return parseInteger(v.string(), i) ? i : 0;
    }
    }
    return 0;
}

bool Field::asBoolean() const
{
    const TableCell &v = cell();
    if (v.isNull())
        return false;
    if (v.isNumeric())
        return v.number() != 0.0;
    return v.string().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void Field::setValue(const QVariant &value)
{
    TableCell &cell = writableCell();
    cell = m_table->convert(m_index, value);
}
// Loading a table file sets every value through these: a value of the field's own type needs
// no conversion (the result is the one convert() gives).
void Field::setString(const QString &value)
{
    TableCell &cell = writableCell();
    const FieldDef &f = m_table->fieldAt(m_index);
    if (f.type != FieldType::String || (f.size > 0 && value.size() > f.size))
        cell = m_table->convert(m_index, QVariant(value));
    else
        cell.setString(value);
}
void Field::setInteger(int value)
{
    TableCell &cell = writableCell();
    const FieldType type = m_table->fieldAt(m_index).type;
    if (type != FieldType::Integer && type != FieldType::AutoInc)
        cell = m_table->convert(m_index, QVariant(value));
    else
        cell.setInteger(value);
}
void Field::setFloat(double value)
{
    TableCell &cell = writableCell();
    if (m_table->fieldAt(m_index).type != FieldType::Float)
        cell = m_table->convert(m_index, QVariant(value));
    else
        cell.setFloat(value);
}
void Field::setBoolean(bool value)
{
    TableCell &cell = writableCell();
    if (m_table->fieldAt(m_index).type != FieldType::Boolean)
        cell = m_table->convert(m_index, QVariant(value));
    else
        cell.setBoolean(value);
}
void Field::clear()
{
    writableCell().clear();
}

// ---------------------------------------------------------------- conversion

TableCell Table::convert(int column, const QVariant &value, Purpose purpose) const
{
    if (!value.isValid())
        return TableCell();
    const FieldDef &f = m_fields[column];
    // An emptied edit field means "no value": an empty text clears a field that is not a text field.
    if (f.type != FieldType::String && value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
        return TableCell();
    switch (f.type) {
    case FieldType::String: {
        QString s = value.typeId() == QMetaType::Double ? formatFloat(value.toDouble())
                    : value.typeId() == QMetaType::Bool
                        ? (value.toBool() ? QStringLiteral("True") : QStringLiteral("False"))
                        : value.toString();
        if (purpose == Purpose::Store && f.size > 0 && s.size() > f.size)
            s.truncate(f.size);
        return TableCell(std::move(s));
    }
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::AutoInc: {
        int i = 0;
        if (value.typeId() == QMetaType::Int) {
            i = value.toInt();
        } else if (isNumericValue(value)) {
            const double d = value.toDouble();
            if (d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
                throw TableError(QStringLiteral("Value out of range for field '%1'").arg(f.name));
            i = static_cast<int>(d);
        } else if (!parseInteger(value.toString(), i)) {
            throw TableError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
        }
        if (f.type == FieldType::Smallint && (i < -32768 || i > 32767))
            throw TableError(QStringLiteral("Value %1 out of range for field '%2'").arg(i).arg(f.name));
        return TableCell(i);
    }
    case FieldType::Boolean:
        if (isNumericValue(value))
            return TableCell(value.toDouble() != 0.0);
        return TableCell(value.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0);
    case FieldType::Float: {
        if (isNumericValue(value))
            return TableCell(value.toDouble());
        double d = 0;
        if (!parseFloat(value.toString(), d))
            throw TableError(QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
        return TableCell(d);
    }
    case FieldType::Unknown:
        break;
    }
    return TableCell();
}
