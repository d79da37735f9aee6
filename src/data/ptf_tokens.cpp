#include "data/ptf_tokens.h"

#include "platform/ansi.h"
#include "platform/numbers.h"

#include <cstring>
#include <utility>

namespace {

// Room enough for any integer and its comma.
constexpr qsizetype kNumberRoom = 24;

char *writeInteger(char *out, qint64 value)
{
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                     "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                     "8081828384858687888990919293949596979899";
    quint64 m = static_cast<quint64>(value);
    if (value < 0) {
        *out++ = '-';
        m = 0 - m;
    }
    // Written backwards from the end, which the digit count gives; times and IDs have few digits.
    int count = m < 10 ? 1 : m < 100 ? 2 : m < 1000 ? 3 : 4;
    for (quint64 limit = 10000; count < 20 && m >= limit; limit *= 10)
        ++count;
    char *const end = out + count;
    char *p = end;
    while (m >= 100) {
        const unsigned pair = static_cast<unsigned>(m % 100) * 2;
        m /= 100;
        *--p = kPairs[pair + 1];
        *--p = kPairs[pair];
    }
    if (m >= 10) {
        *--p = kPairs[m * 2 + 1];
        *--p = kPairs[m * 2];
    } else {
        *--p = static_cast<char>('0' + m);
    }
    return end;
}

// Where the characters of a string that stand for themselves end: at the quote character, a
// backslash or the end of the line. Texts are long runs of them, tested four at a time.
qsizetype plainRun(const char16_t *in, qsizetype i, qsizetype n, char16_t quote)
{
    auto holds = [](quint64 w, quint64 c) {
        const quint64 x = w ^ (c * 0x0001000100010001ULL);
        return ((x - 0x0001000100010001ULL) & ~x & 0x8000800080008000ULL) != 0;
    };
    while (n - i >= 4) {
        quint64 w;
        std::memcpy(&w, in + i, sizeof w);
        if (holds(w, quote) || holds(w, u'\\'))
            break;
        i += 4;
    }
    while (i < n && in[i] != quote && in[i] != u'\\')
        ++i;
    return i;
}

} // namespace

// ---------------------------------------------------------------- PtfTokens

bool PtfTokens::append(QStringView line)
{
    // Unescaping never makes a text longer than the line it came from.
    const size_t needed = static_cast<size_t>(m_used + line.size());
    if (static_cast<size_t>(m_text.size()) < needed)
        m_text.resize(static_cast<qsizetype>(needed));
    qsizetype length = m_used;
    m_dropped = false;
    const bool ok = scan(line.utf16(), line.size(), length);
    m_used = length;
    return ok;
}

bool PtfTokens::scan(const char16_t *in, qsizetype n, qsizetype &length)
{
    auto *out = reinterpret_cast<char16_t *>(m_text.data());
    qsizetype start = length; // of the current text
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = in[i++];
        switch (c) {
        case u' ':
            break; // blanks outside quotes vanish, also inside a value
        case u',':
            if (!addPlainValue(start, length))
                return false;
            start = length;
            break;
        case u'\\':
            return false;
        case u'"':
        case u'\'': {
            // Inside a string only its own quote character and the backslash mean something.
            const char16_t quote = c;
            bool closed = false;
            while (i < n) {
                const qsizetype plain = plainRun(in, i, n, quote);
                std::copy(in + i, in + plain, out + length);
                length += plain - i;
                i = plain;
                if (i == n)
                    break;
                const char16_t d = in[i++];
                if (d == quote) {
                    closed = true;
                    break;
                }
                if (d != u'\\') {
                    out[length++] = d;
                    continue;
                }
                if (i == n)
                    break;
                // Two backslashes give one and a backslash makes a quote character plain text;
                // before anything else, a blank included, the backslash stays.
                const char16_t e = in[i++];
                if (e != u'\\' && e != u'"' && e != u'\'')
                    out[length++] = u'\\';
                out[length++] = e;
            }
            if (!closed) {
                m_dropped = true; // an unclosed string is dropped
                return true;
            }
            m_items.push_back(Item{0.0, start, length - start, u's', false});
            start = length;
            break;
        }
        default:
            if (length == start && ((c >= u'0' && c <= u'9') || c == u'-')) {
                // The common value, a whole number right before its comma, read in one go; when it
                // is not one, the characters written here are written again below.
                qsizetype k = i - 1;
                char16_t *o = out + length;
                const bool negative = c == u'-';
                if (negative)
                    *o++ = in[k++];
                const qsizetype first = k;
                const qsizetype limit = std::min(n, first + 16);
                quint64 magnitude = 0;
                while (k < limit) {
                    const unsigned digit = in[k] - u'0';
                    if (digit > 9)
                        break;
                    magnitude = magnitude * 10 + digit;
                    *o++ = in[k++];
                }
                const qsizetype digits = k - first;
                if (digits >= 1 && digits <= 15 && k < n && in[k] == u',') {
                    const double number = negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
                    m_items.push_back(Item{number, length, k - (i - 1), u'n', true});
                    length += k - (i - 1);
                    start = length;
                    i = k + 1;
                    break;
                }
            }
            out[length++] = c;
            break;
        }
    }
    // A value without its comma is dropped; blanks and control characters alone are no value.
    const auto *t = reinterpret_cast<const char16_t *>(m_text.constData());
    m_dropped = std::any_of(t + start, t + length, [](char16_t c) { return c > 32; });
    return true;
}

bool PtfTokens::addPlainValue(qsizetype start, qsizetype end)
{
    const auto *t = reinterpret_cast<const char16_t *>(m_text.constData());
    while (start < end && t[start] <= 32)
        ++start;
    while (end > start && t[end - 1] <= 32)
        --end;
    if (start == end)
        return true; // the comma after a string, or an empty value
    const QStringView value(t + start, end - start);
    Item item{0.0, start, end - start, u'n', false};
    switch (t[start]) {
    case u't':
    case u'f':
    case u'n':
        // Only the three literals start with one of these letters.
        if (value == u"true" || value == u"false")
            item.kind = u'b';
        else if (value == u"null")
            item.kind = u'u';
        else
            return false;
        break;
    default:
        if (!parseFloat(value.toString(), item.number))
            return false;
        break;
    }
    m_items.push_back(item);
    return true;
}

// ---------------------------------------------------------------- PtfRecords

PtfRecords::PtfRecords(const std::vector<QStringView> &lines)
{
    const qsizetype last = static_cast<qsizetype>(lines.size()) - 1;
    qsizetype characters = 0;
    for (qsizetype l = kFirstRecordLine; l < last; ++l)
        characters += lines[l].size();
    m_tokens.reserve(characters, characters / 4);
    m_lines.reserve(std::max<qsizetype>(last - kFirstRecordLine, 0));
    for (qsizetype l = kFirstRecordLine; l < last; ++l) {
        const qsizetype first = m_tokens.count();
        const bool ok = m_tokens.append(lines[l]);
        if (!ok)
            m_tokens.dropFrom(first);
        m_lines.push_back(Line{first, m_tokens.count() - first, ok, ok && m_tokens.dropped()});
    }
}

// ---------------------------------------------------------------- PtfFileBuilder

char *PtfFileBuilder::encode(const char16_t *in, qsizetype n, char *out)
{
    for (qsizetype k = 0; k < n; ++k) {
        if (in[k] < 0x80) {
            *out++ = static_cast<char>(in[k]);
            continue;
        }
        // Above ASCII the code page gives "?" only for a character it lacks.
        *out = ansi::encodeChar(in[k]);
        m_lossy |= *out++ == '?';
    }
    return out;
}

void PtfFileBuilder::addLine(QStringView line)
{
    char *p = encode(line.utf16(), line.size(), room(line.size() + 2));
    *p++ = '\r';
    *p++ = '\n';
    m_size = p - m_data.data();
}

void PtfFileBuilder::endLine()
{
    char *p = room(2);
    *p++ = '\r';
    *p++ = '\n';
    m_size = p - m_data.data();
}

QByteArray PtfFileBuilder::take()
{
    m_data.truncate(m_size);
    m_size = 0;
    m_lossy = false;
    m_controls.clear();
    m_controlTexts = 0;
    m_firstControlText.clear();
    return std::exchange(m_data, QByteArray());
}

void PtfFileBuilder::addLiteral(std::string_view literal)
{
    commit(std::copy_n(literal.data(), literal.size(), room(static_cast<qsizetype>(literal.size()) + 1)));
}

void PtfFileBuilder::addInteger(qint64 value)
{
    commit(writeInteger(room(kNumberRoom), value));
}

void PtfFileBuilder::addFloat(double value)
{
    // Whole numbers (times, IDs) have the text of formatFloat without its general path.
    if (value > -1e15 && value < 1e15 && value == static_cast<double>(static_cast<qint64>(value)))
        return addInteger(static_cast<qint64>(value));
    const QString text = formatFloat(value);
    commit(encode(reinterpret_cast<const char16_t *>(text.constData()), text.size(), room(text.size() + 1)));
}

void PtfFileBuilder::addText(QStringView text, char16_t quote)
{
    const char16_t *s = text.utf16();
    const qsizetype n = text.size();
    char *p = room(2 * n + 3);
    *p++ = ansi::encodeChar(quote);
    bool control = false;
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t c = s[k];
        if (c == u'\\' || c == quote)
            *p++ = '\\';
        if (c < 0x80) {
            if (ansi::isControl(c)) {
                control = true;
                if (!m_controls.contains(QChar(c)))
                    m_controls.append(QChar(c));
            }
            *p++ = static_cast<char>(c);
        } else {
            p = encode(&c, 1, p);
        }
    }
    *p++ = ansi::encodeChar(quote);
    if (control && m_controlTexts++ == 0)
        m_firstControlText = text.toString();
    commit(p);
}

namespace {

// "a tab", "a line break and a tab", "the control character U+001B".
QString controlCharacterPhrase(QStringView text)
{
    QStringList phrases;
    for (const QString &name : ansi::controlCharacterNames(text))
        phrases << (name.startsWith(QLatin1String("U+")) ? QStringLiteral("the control character ") + name
                                                         : QStringLiteral("a ") + name);
    const QString last = phrases.isEmpty() ? QString() : phrases.takeLast();
    return phrases.isEmpty() ? last : phrases.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

} // namespace

QString PtfFileBuilder::controlReason(const QString &place) const
{
    QString reason = (place.isEmpty() ? QStringLiteral("a text") : place) + QStringLiteral(" holds ") +
                     controlCharacterPhrase(m_firstControlText) + QStringLiteral(", which a table file cannot store");
    if (m_controlTexts == 2)
        reason += QStringLiteral(" (as does one more text)");
    else if (m_controlTexts > 2)
        reason += QStringLiteral(" (as do %1 more texts)").arg(m_controlTexts - 1);
    return reason;
}
