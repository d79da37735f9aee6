#include "platform/numbers.h"

#include <QByteArray>

#include <charconv>
#include <cmath>
#include <limits>

bool isNumericValue(const QVariant &v)
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

int compareValues(const QVariant &a, const QVariant &b)
{
    const bool an = !a.isValid(), bn = !b.isValid();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if (isNumericValue(a) && isNumericValue(b)) {
        if (a.typeId() == QMetaType::Int && b.typeId() == QMetaType::Int) {
            const int x = a.toInt(), y = b.toInt();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (isNumericValue(a) != isNumericValue(b)) {
        // A numeric key searched with text (or the reverse): compare as numbers when the
        // text is one, so FindKey({"5"}) finds the ID 5.
        double x = 0, y = 0;
        const bool ok = (isNumericValue(a) ? (x = a.toDouble(), true) : parseFloat(a.toString(), x)) &&
                        (isNumericValue(b) ? (y = b.toDouble(), true) : parseFloat(b.toString(), y));
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
    // Files written on Windows carry exponents without a plus sign and without leading zeros
    // ("1E-5", "1E20"); ours match them, so a file saved here reads the same there.
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
    qsizetype i = 0;
    const qsizetype n = t.size();
    bool negative = false;
    if (i < n && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        negative = t[i++] == QLatin1Char('-');
    if (i == n)
        return false;
    qint64 v = 0;
    for (; i < n; ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
        if (v > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
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
