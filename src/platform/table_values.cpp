#include "platform/table.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

// Values: their order, their text forms, the fields that read and set them, and the
// conversion of a value to a field's type.

namespace {

bool isNumeric(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

int compareValues(const QVariant &a, const QVariant &b)
{
    const bool an = !a.isValid(), bn = !b.isValid();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if (isNumeric(a) && isNumeric(b)) {
        if (a.typeId() == QMetaType::Int && b.typeId() == QMetaType::Int) {
            const int x = a.toInt(), y = b.toInt();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (isNumeric(a) != isNumeric(b)) {
        // A numeric key searched with text (or the reverse): compare as numbers when the
        // text is one, so FindKey({"5"}) finds the ID 5.
        double x = 0, y = 0;
        const bool ok = (isNumeric(a) ? (x = a.toDouble(), true) : parseFloat(a.toString(), x)) &&
                        (isNumeric(b) ? (y = b.toDouble(), true) : parseFloat(b.toString(), y));
        if (ok)
            return x < y ? -1 : (x > y ? 1 : 0);
    }
    const int c = QString::compare(a.toString(), b.toString(), Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString formatFloat(double value)
{
    if (std::isnan(value) || std::isinf(value))
        return QStringLiteral("0");
    // to_chars, unlike printf, ignores the C locale, which Qt sets from the environment.
    char buf[40];
    const auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    QString s = QString::fromLatin1(buf, written.ptr - buf).toUpper();
    // The old program wrote exponents without a plus sign and without leading zeros.
    const qsizetype e = s.indexOf(QLatin1Char('E'));
    if (e >= 0) {
        QString mantissa = s.left(e);
        QString exponent = s.mid(e + 1);
        const bool negative = exponent.startsWith(QLatin1Char('-'));
        if (negative || exponent.startsWith(QLatin1Char('+')))
            exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.front() == QLatin1Char('0'))
            exponent.remove(0, 1);
        s = mantissa + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    return s;
}

bool parseInteger(const QString &text, int &value)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 20)
        return false;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(v);
    return true;
}

bool parseFloat(const QString &text, double &value)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 400)
        return false;
    // Only digits, sign, point and exponent: no "inf", "nan" or hexadecimal forms.
    for (QChar c : t) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || u == '.' || u == '-' || u == '+' || u == 'e' || u == 'E'))
            return false;
    }
    // from_chars reads a decimal point whatever the C locale; it takes no plus sign.
    const QByteArray latin = t.toLatin1();
    const char *begin = latin.constData();
    const char *end = begin + latin.size();
    if (*begin == '+' && begin + 1 < end && begin[1] != '-' && begin[1] != '+')
        ++begin;
    double v = 0;
    const auto read = std::from_chars(begin, end, v);
    if (read.ec != std::errc() || read.ptr != end || std::isinf(v) || std::isnan(v))
        return false;
    value = v;
    return true;
}

// ---------------------------------------------------------------- Field

QVariant Field::value() const
{
    return m_table->currentCell(m_index).toVariant();
}

QString Field::asString() const
{
    const TableCell &v = m_table->currentCell(m_index);
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
    const TableCell &v = m_table->currentCell(m_index);
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
    const TableCell &v = m_table->currentCell(m_index);
    if (v.isNull())
        return false;
    if (v.isNumeric())
        return v.number() != 0.0;
    return v.string().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

void Field::setValue(const QVariant &value)
{
    TableCell &cell = m_table->bufferCell(m_index);
    cell = m_table->convert(m_index, value);
}
// Loading a table file sets every value through these: a value of the field's own type needs
// no conversion (the result is the one convert() gives).
void Field::setString(const QString &value)
{
    TableCell &cell = m_table->bufferCell(m_index);
    const FieldDef &f = m_table->fieldAt(m_index);
    if (f.type != FieldType::String || (f.size > 0 && value.size() > f.size))
        cell = m_table->convert(m_index, QVariant(value));
    else
        cell.setString(value);
}
void Field::setInteger(int value)
{
    TableCell &cell = m_table->bufferCell(m_index);
    const FieldType type = m_table->fieldAt(m_index).type;
    if (type != FieldType::Integer && type != FieldType::AutoInc)
        cell = m_table->convert(m_index, QVariant(value));
    else
        cell.setInteger(value);
}
void Field::setFloat(double value)
{
    TableCell &cell = m_table->bufferCell(m_index);
    if (m_table->fieldAt(m_index).type != FieldType::Float)
        cell = m_table->convert(m_index, QVariant(value));
    else
        cell.setFloat(value);
}
void Field::setBoolean(bool value)
{
    TableCell &cell = m_table->bufferCell(m_index);
    if (m_table->fieldAt(m_index).type != FieldType::Boolean)
        cell = m_table->convert(m_index, QVariant(value));
    else
        cell.setBoolean(value);
}
void Field::clear()
{
    m_table->bufferCell(m_index).clear();
}

// ---------------------------------------------------------------- conversion

TableCell Table::convert(int column, const QVariant &value, Purpose purpose) const
{
    if (!value.isValid())
        return TableCell();
    const FieldDef &f = m_fields[column];
    // As in the old dataset, an empty text clears a field that is not a text field.
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
        } else if (isNumeric(value)) {
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
        if (isNumeric(value))
            return TableCell(value.toDouble() != 0.0);
        return TableCell(value.toString().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0);
    case FieldType::Float: {
        if (isNumeric(value))
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
