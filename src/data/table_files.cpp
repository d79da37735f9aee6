#include "data/table_files.h"

#include "platform/ansi.h"
#include "platform/dialog_service.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <vector>

namespace {

const QString kHeaderLine = QStringLiteral("/* Portable Table Format 1.0 */");
const QString kArrayLine = QStringLiteral("porTables[porTables.length] = new Array(");

// A damaged file must not take all memory or time: no project table comes near these limits
// (the largest, a station list of some ten thousand rows, is well under a megabyte).
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;
constexpr qint64 kMaxCells = 16 * 1024 * 1024;

void showLoadError(const QString &fileName)
{
    dialogs().showMessage(QStringLiteral("Error by load PTF-File: ") + fileName);
}

// ---------------------------------------------------------------- numbers

// Whole numbers, as the writer puts times, IDs and counts, are nearly every value of a file;
// they skip the general conversion, which gives the same results.
bool simpleWholeNumber(QStringView s, bool &negative, quint64 &magnitude)
{
    qsizetype i = 0;
    negative = !s.isEmpty() && s[0] == u'-';
    if (negative)
        ++i;
    const qsizetype digits = s.size() - i;
    if (digits < 1 || digits > 15)
        return false;
    magnitude = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
    }
    return true;
}

bool toDouble(QStringView s, double &value)
{
    bool negative = false;
    quint64 magnitude = 0;
    if (simpleWholeNumber(s, negative, magnitude)) {
        value = negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
        return true;
    }
    return parseFloat(s.toString(), value);
}

bool toInteger(QStringView s, int &value)
{
    bool negative = false;
    quint64 magnitude = 0;
    if (simpleWholeNumber(s, negative, magnitude)) {
        const qint64 v = negative ? -static_cast<qint64>(magnitude) : static_cast<qint64>(magnitude);
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            return false;
        value = static_cast<int>(v);
        return true;
    }
    return parseInteger(s.toString(), value);
}

// ---------------------------------------------------------------- writing

// A record line is built in one buffer that is kept from row to row. Each value makes room for
// its longest text first and then writes its characters without further checks.
class LineBuffer
{
public:
    void clear() { m_size = 0; }
    char16_t *room(qsizetype count)
    {
        if (m_size + count > static_cast<qsizetype>(m_data.size()))
            m_data.resize(std::max<size_t>(m_data.size() * 2, m_size + count));
        return m_data.data() + m_size;
    }
    void commit(const char16_t *end) { m_size = end - m_data.data(); }
    QString toString() const { return QString(reinterpret_cast<const QChar *>(m_data.data()), m_size); }

private:
    std::vector<char16_t> m_data;
    qsizetype m_size = 0;
};

// Room enough for any integer.
constexpr qsizetype kNumberRoom = 24;

char16_t *writeInteger(char16_t *out, qint64 value)
{
    char digits[kNumberRoom];
    const char *end = std::to_chars(digits, digits + kNumberRoom, value).ptr;
    return std::copy(static_cast<const char *>(digits), end, out);
}

void appendValue(LineBuffer &line, qint64 value)
{
    char16_t *p = writeInteger(line.room(kNumberRoom + 1), value);
    *p++ = u',';
    line.commit(p);
}

void appendValue(LineBuffer &line, double value)
{
    // Whole numbers (times, IDs) give the same text as formatFloat, without its general path.
    if (value > -1e15 && value < 1e15 && value == static_cast<double>(static_cast<qint64>(value)))
        return appendValue(line, static_cast<qint64>(value));
    const QString text = formatFloat(value);
    char16_t *p = line.room(text.size() + 1);
    p = std::copy_n(reinterpret_cast<const char16_t *>(text.constData()), text.size(), p);
    *p++ = u',';
    line.commit(p);
}

void appendValue(LineBuffer &line, QStringView literal)
{
    char16_t *p = std::copy_n(literal.utf16(), literal.size(), line.room(literal.size() + 1));
    *p++ = u',';
    line.commit(p);
}

// The text in quotes, every backslash doubled and every quote character escaped.
void appendText(LineBuffer &line, const QString &text, char16_t quote)
{
    const char16_t *s = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    char16_t *p = line.room(2 * n + 3);
    *p++ = quote;
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t c = s[k];
        if (c == u'\\' || c == quote)
            *p++ = u'\\';
        *p++ = c;
    }
    *p++ = quote;
    *p++ = u',';
    line.commit(p);
}

// ---------------------------------------------------------------- tokenizer

// The items of value lines. Items are appended line after line and their unescaped texts share
// one buffer, so a whole file is tokenized once, without an allocation per value.
class PtfTokens
{
public:
    struct Item {
        double number; // the value of an 'n' item
        qsizetype start;
        qsizetype length;
        char16_t kind; // 's', 'b', 'u' or 'n'
        bool whole;    // an 'n' item of up to 15 digits, without point or exponent
    };

    void clear()
    {
        m_items.clear();
        m_used = 0;
    }
    void reserve(qsizetype characters, qsizetype items)
    {
        m_text.reserve(characters);
        m_items.reserve(items);
    }
    // Appends the items of one line; false on a syntax error, with the items before it kept.
    bool append(QStringView line);
    bool parse(QStringView line)
    {
        clear();
        return append(line);
    }
    void dropFrom(qsizetype item) { m_items.resize(item); }

    qsizetype count() const { return static_cast<qsizetype>(m_items.size()); }
    const Item &item(qsizetype i) const { return m_items[i]; }
    char16_t kind(qsizetype i) const { return m_items[i].kind; }
    QStringView text(qsizetype i) const { return text(m_items[i]); }
    QStringView text(const Item &item) const { return QStringView(m_text.data() + item.start, item.length); }

private:
    bool scan(const char16_t *in, qsizetype n, qsizetype &length);
    bool addPlainValue(qsizetype start, qsizetype end);

    std::vector<char16_t> m_text;
    qsizetype m_used = 0; // of m_text
    std::vector<Item> m_items;
};

// The common value, a whole number right before its comma, read straight from the line: the
// position of the comma, or -1 when the value takes the general path.
qsizetype scanWholeNumber(const char16_t *in, qsizetype from, qsizetype n, double &number)
{
    qsizetype k = from;
    const bool negative = in[k] == u'-';
    if (negative)
        ++k;
    const qsizetype first = k;
    quint64 magnitude = 0;
    while (k < n && k - first < 16 && in[k] >= u'0' && in[k] <= u'9') {
        magnitude = magnitude * 10 + (in[k] - u'0');
        ++k;
    }
    const qsizetype digits = k - first;
    if (digits < 1 || digits > 15 || k >= n || in[k] != u',')
        return -1;
    number = negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
    return k;
}

bool PtfTokens::append(QStringView line)
{
    // Unescaping never makes a text longer than the line it came from.
    const size_t needed = static_cast<size_t>(m_used + line.size());
    if (m_text.size() < needed)
        m_text.resize(needed);
    qsizetype length = m_used;
    const bool ok = scan(line.utf16(), line.size(), length);
    m_used = length;
    return ok;
}

bool PtfTokens::scan(const char16_t *in, qsizetype n, qsizetype &length)
{
    char16_t *out = m_text.data();
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
                // before anything else the backslash stays.
                const char16_t e = in[i++];
                if (e != u'\\' && e != u'"' && e != u'\'')
                    out[length++] = u'\\';
                out[length++] = e;
            }
            if (!closed)
                return true; // an unclosed string is dropped
            m_items.push_back(Item{0.0, start, length - start, u's', false});
            start = length;
            break;
        }
        default:
            if (length == start && ((c >= u'0' && c <= u'9') || c == u'-')) {
                double number = 0;
                const qsizetype comma = scanWholeNumber(in, i - 1, n, number);
                if (comma >= 0) {
                    const qsizetype size = comma - (i - 1);
                    m_items.push_back(Item{number, length, size, u'n', true});
                    for (qsizetype k = i - 1; k < comma; ++k)
                        out[length++] = in[k];
                    start = length;
                    i = comma + 1;
                    break;
                }
            }
            out[length++] = c;
            break;
        }
    }
    // A value without its comma is dropped.
    return true;
}

bool PtfTokens::addPlainValue(qsizetype start, qsizetype end)
{
    const char16_t *t = m_text.data();
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
    default: {
        bool negative = false;
        quint64 magnitude = 0;
        if (simpleWholeNumber(value, negative, magnitude)) {
            item.whole = true;
            item.number = negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
        } else if (!parseFloat(value.toString(), item.number)) {
            return false;
        }
        break;
    }
    }
    m_items.push_back(item);
    return true;
}

// ---------------------------------------------------------------- reading

enum class ReadResult { Ok, Missing, TooShort, Unreadable };

ReadResult readTableFile(const QString &fileName, QStringList &lines)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return ReadResult::Missing;
    // Only regular files: a device or pipe could be read without end.
    if (!info.isFile() || info.size() > kMaxFileBytes)
        return ReadResult::Unreadable;
    if (!ansi::readLines(fileName, lines))
        return ReadResult::Unreadable;
    return lines.size() < 4 ? ReadResult::TooShort : ReadResult::Ok;
}

// Record lines are lines 3 .. n-2; the last line holds the field count.
qsizetype recordCount(const QStringList &lines) { return lines.size() - 4; }

void checkCellCount(const QStringList &lines, qsizetype columns)
{
    if (recordCount(lines) * std::max<qsizetype>(columns, 1) > kMaxCells)
        throw TableError(QStringLiteral("Table file too large"));
}

// The record lines of a file, tokenized once for both passes of a loader. A line that does not
// parse keeps no items and is skipped by both.
class PtfRecords
{
public:
    struct Line {
        qsizetype first;
        qsizetype count;
        bool ok;
    };

    explicit PtfRecords(const QStringList &lines)
    {
        const qsizetype last = lines.size() - 1;
        qsizetype characters = 0;
        for (qsizetype l = 3; l < last; ++l)
            characters += lines[l].size();
        m_tokens.reserve(characters, characters / 4);
        m_lines.reserve(std::max<qsizetype>(last - 3, 0));
        for (qsizetype l = 3; l < last; ++l) {
            const qsizetype first = m_tokens.count();
            const bool ok = m_tokens.append(lines[l]);
            if (!ok)
                m_tokens.dropFrom(first);
            m_lines.push_back(Line{first, m_tokens.count() - first, ok});
        }
    }

    const std::vector<Line> &lines() const { return m_lines; }
    const PtfTokens &tokens() const { return m_tokens; }

private:
    PtfTokens m_tokens;
    std::vector<Line> m_lines;
};

// Sets a field of the row being appended from an item.
void setFieldFromItem(Field field, FieldType type, const PtfTokens &tokens, const PtfTokens::Item &item)
{
    // Only the null literal clears: a quoted "null" is the text null. The new row is null already.
    if (item.kind == u'u')
        return;
    switch (type) {
    case FieldType::String:
        field.setString(tokens.text(item).toString());
        break;
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::AutoInc: {
        int value = 0;
        if (item.whole && item.number >= std::numeric_limits<int>::min() &&
            item.number <= std::numeric_limits<int>::max())
            value = static_cast<int>(item.number);
        else if (item.whole || !toInteger(tokens.text(item), value))
            throw TableError(QStringLiteral("'%1' is not a valid integer value").arg(tokens.text(item)));
        field.setInteger(value);
        break;
    }
    case FieldType::Boolean:
        field.setBoolean(tokens.text(item) == u"true");
        break;
    case FieldType::Float: {
        double value = item.number;
        if (item.kind != u'n' && !toDouble(tokens.text(item), value))
            throw TableError(QStringLiteral("'%1' is not a valid floating point value").arg(tokens.text(item)));
        field.setFloat(value);
        break;
    }
    case FieldType::Unknown:
        throw TableError(QStringLiteral("Field of unknown type"));
    }
}

// Appends one row per record line that parses; the table is open.
void loadRecords(const PtfRecords &records, Table &table)
{
    std::vector<FieldType> types;
    for (int j = 0; j < table.fieldCount(); ++j)
        types.push_back(table.fieldAt(j).type);
    const qsizetype columns = table.fieldCount();
    const PtfTokens &tokens = records.tokens();
    for (const PtfRecords::Line &line : records.lines()) {
        if (!line.ok)
            continue;
        if (line.count > columns)
            throw TableError(QStringLiteral("More values than fields in %1").arg(table.name()));
        table.append();
        for (qsizetype i = 0; i < line.count; ++i) {
            const int j = static_cast<int>(i);
            setFieldFromItem(table.field(j), types[j], tokens, tokens.item(line.first + i));
        }
        table.post();
    }
}

bool makeStringDefs(const QString &namesLine, QVector<FieldDef> &defs)
{
    PtfTokens tokens;
    if (!tokens.parse(namesLine)) {
        dialogs().showMessage(QStringLiteral("PTF Load Error"));
        return false;
    }
    defs.reserve(tokens.count());
    for (qsizetype i = 0; i < tokens.count(); ++i)
        defs.append(FieldDef{tokens.text(i).toString(), FieldType::String, 16});
    return true;
}

void widenTo(FieldDef &def, qsizetype textLength)
{
    const qsizetype wanted = textLength + 16;
    if (def.size < wanted)
        def.size = static_cast<int>(std::min<qsizetype>(wanted, std::numeric_limits<int>::max()));
}

// ---------------------------------------------------------------- conversions by name

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

// Sets a field from text as the by-name routines do; a text that does not convert throws.
void setFieldFromText(Field field, const QString &text)
{
    switch (field.dataType()) {
    case FieldType::String:
        field.setString(text);
        break;
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::AutoInc: {
        int value = 0;
        if (!parseInteger(text, value))
            throw TableError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        field.setInteger(value);
        break;
    }
    case FieldType::Boolean:
        field.setBoolean(textToBoolean(text));
        break;
    case FieldType::Float: {
        double value = 0;
        if (!parseFloat(text, value))
            throw TableError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
        field.setFloat(value);
        break;
    }
    case FieldType::Unknown:
        break;
    }
}

// Copies a value into a field of another type: a null arrives as an empty text, 0 or false.
void copyConverted(Field from, Field to)
{
    if (from.isNull()) {
        switch (to.dataType()) {
        case FieldType::String:
            to.setString(QString());
            break;
        case FieldType::Smallint:
        case FieldType::Integer:
        case FieldType::AutoInc:
            to.setInteger(0);
            break;
        case FieldType::Boolean:
            to.setBoolean(false);
            break;
        case FieldType::Float:
            to.setFloat(0.0);
            break;
        case FieldType::Unknown:
            break;
        }
        return;
    }
    if (from.dataType() == FieldType::String) {
        setFieldFromText(to, from.asString());
        return;
    }
    switch (to.dataType()) {
    case FieldType::String:
        to.setString(from.asString());
        break;
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::AutoInc:
        to.setInteger(from.asInteger());
        break;
    case FieldType::Boolean:
        to.setBoolean(from.asBoolean());
        break;
    case FieldType::Float:
        to.setFloat(from.asFloat());
        break;
    case FieldType::Unknown:
        break;
    }
}

// The pieces of a line split at ";": an empty last piece does not count.
QStringList specPieces(const QString &line)
{
    QStringList pieces = line.split(QLatin1Char(';'));
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    return pieces;
}

// Field type numbers of the old database layer.
bool fieldTypeFromNumber(const QString &text, FieldType &type)
{
    int n = 0;
    if (!parseInteger(text, n))
        return false;
    switch (n) {
    case 1:
        type = FieldType::String;
        return true;
    case 2:
        type = FieldType::Smallint;
        return true;
    case 3:
        type = FieldType::Integer;
        return true;
    case 5:
        type = FieldType::Boolean;
        return true;
    case 6:
        type = FieldType::Float;
        return true;
    case 14:
        type = FieldType::AutoInc;
        return true;
    default:
        return false;
    }
}

bool restructureDefs(const Table &table, const QStringList &specLines, QVector<FieldDef> &defs,
                     std::vector<int> &sources)
{
    for (const QString &line : specLines) {
        const QStringList pieces = specPieces(line);
        if (pieces.isEmpty())
            return false;
        const QString oldName = pieces[0];
        const QString newName = pieces.size() > 1 ? pieces[1] : QString();
        const bool typeGiven = pieces.size() > 2 && !pieces[2].isEmpty();
        const bool sizeGiven = pieces.size() > 3 && !pieces[3].isEmpty();
        FieldDef def;
        int source = -1;
        if (oldName.isEmpty() && newName.isEmpty())
            return false;
        if (!oldName.isEmpty()) {
            source = table.findFieldIndex(oldName);
            if (source < 0)
                return false;
            def = table.fieldAt(source);
            def.name = newName.isEmpty() ? oldName : newName;
            if (!newName.isEmpty() && typeGiven && !fieldTypeFromNumber(pieces[2], def.type))
                return false;
        } else {
            if (pieces.size() < 3 || !fieldTypeFromNumber(pieces[2], def.type))
                return false;
            def.name = newName;
            def.size = 0;
        }
        if (!newName.isEmpty() && sizeGiven && !parseInteger(pieces[3], def.size))
            return false;
        defs.append(def);
        sources.push_back(source);
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------- public routines

bool ParsePtfValueLine(const QString &Line, QStringList &Items)
{
    Items.clear();
    PtfTokens tokens;
    const bool ok = tokens.parse(Line);
    Items.reserve(tokens.count());
    for (qsizetype i = 0; i < tokens.count(); ++i) {
        QString item;
        item.reserve(tokens.text(i).size() + 2);
        item.append(QChar(tokens.kind(i))).append(QLatin1Char('=')).append(tokens.text(i));
        Items.append(item);
    }
    return ok;
}

bool SavePtfFile(const QString &FileName, QChar QuoteChar, Table &table)
{
    const bool wasActive = table.active();
    QStringList lines;
    try {
        const QVector<FieldDef> &defs = table.fieldDefs();
        lines.reserve(table.rowCount() + 4);
        lines << kHeaderLine << kArrayLine;
        QString names;
        for (const FieldDef &def : defs)
            names.append(QuoteChar).append(def.name).append(QuoteChar).append(QLatin1Char(','));
        lines << names;

        table.open();
        table.first();
        const int columns = static_cast<int>(defs.size());
        std::vector<FieldType> types;
        for (int j = 0; j < columns; ++j)
            types.push_back(table.field(j).dataType()); // throws when the definitions outnumber the fields
        const char16_t quote = QuoteChar.unicode();
        LineBuffer line;
        while (!table.eof()) {
            line.clear();
            for (int j = 0; j < columns; ++j) {
                const Field field = table.field(j);
                // The stored value has the field's type; the conversions are only a safety net.
                const QVariant value = field.value();
                if (!value.isValid()) {
                    appendValue(line, u"null");
                    continue;
                }
                const int typeId = value.typeId();
                switch (types[j]) {
                case FieldType::String:
                    appendText(line,
                               typeId == QMetaType::QString ? *static_cast<const QString *>(value.constData())
                                                            : field.asString(),
                               quote);
                    break;
                case FieldType::Smallint:
                case FieldType::Integer:
                case FieldType::AutoInc:
                    appendValue(line, static_cast<qint64>(typeId == QMetaType::Int
                                                              ? *static_cast<const int *>(value.constData())
                                                              : field.asInteger()));
                    break;
                case FieldType::Boolean:
                    appendValue(line, field.asBoolean() ? QStringView(u"true") : QStringView(u"false"));
                    break;
                case FieldType::Float:
                    appendValue(line, typeId == QMetaType::Double ? *static_cast<const double *>(value.constData())
                                                                  : field.asFloat());
                    break;
                case FieldType::Unknown:
                    break; // nothing, not even the comma
                }
            }
            lines << line.toString();
            table.next();
        }
        lines << QString::number(columns) + QStringLiteral(");");
    } catch (const std::exception &) {
        if (!wasActive)
            table.close();
        return false;
    }
    if (!wasActive)
        table.close();
    return ansi::writeLines(FileName, lines);
}

bool LoadPtfFile(const QString &FileName, Table &table)
{
    QStringList lines;
    switch (readTableFile(FileName, lines)) {
    case ReadResult::Missing:
    case ReadResult::TooShort:
        return false;
    case ReadResult::Unreadable:
        showLoadError(FileName);
        return false;
    case ReadResult::Ok:
        break;
    }
    bool created = false;
    try {
        table.close();
        QVector<FieldDef> &defs = table.fieldDefs();
        if (defs.isEmpty()) {
            if (!makeStringDefs(lines[2], defs))
                throw TableError(QStringLiteral("Names line does not parse"));
            // The first record sets the types; a null there leaves the column a text column, so
            // that a file whose first row has a null still loads.
            PtfTokens first;
            if (first.parse(lines[3])) {
                for (qsizetype i = 0; i < first.count() && i < defs.size(); ++i) {
                    if (first.kind(i) == u'b')
                        defs[i].type = FieldType::Boolean;
                    else if (first.kind(i) == u'n')
                        defs[i].type = FieldType::Float;
                }
            }
        }
        checkCellCount(lines, defs.size());
        const PtfRecords records(lines);
        // A text longer than its column makes the column wider rather than being cut.
        const PtfTokens &tokens = records.tokens();
        for (const PtfRecords::Line &line : records.lines()) {
            for (qsizetype i = 0; i < line.count && i < defs.size(); ++i) {
                if (defs[i].type == FieldType::String)
                    widenTo(defs[i], tokens.item(line.first + i).length);
            }
        }
        table.close();
        table.createDataSet();
        created = true;
        loadRecords(records, table);
        table.close();
        return true;
    } catch (const std::exception &) {
        if (!created)
            table.emptyDataSet();
        table.close();
        showLoadError(FileName);
        return false;
    }
}

bool LoadPtfFileStructure(const QString &FileName, Table &table)
{
    QStringList lines;
    if (readTableFile(FileName, lines) != ReadResult::Ok)
        return false;
    bool created = false;
    try {
        table.close();
        QVector<FieldDef> &defs = table.fieldDefs();
        defs.clear();
        table.setIndexName(QString());
        table.indexDefs().clear();
        if (!makeStringDefs(lines[2], defs)) {
            table.emptyDataSet();
            return false;
        }
        checkCellCount(lines, defs.size());
        const PtfRecords records(lines);
        // A column is Float or Boolean from its first number or Boolean literal; a column of
        // texts and nulls only stays a text column as wide as its longest text + 16.
        const PtfTokens &tokens = records.tokens();
        qsizetype textColumns = defs.size();
        for (auto line = records.lines().cbegin(); line != records.lines().cend() && textColumns > 0; ++line) {
            for (qsizetype i = 0; i < line->count && i < defs.size(); ++i) {
                FieldDef &def = defs[i];
                if (def.type != FieldType::String)
                    continue;
                const PtfTokens::Item &item = tokens.item(line->first + i);
                if (item.kind == u'b' || item.kind == u'n') {
                    def.type = item.kind == u'b' ? FieldType::Boolean : FieldType::Float;
                    --textColumns;
                } else if (item.kind == u's') {
                    widenTo(def, item.length);
                }
            }
        }
        table.createDataSet();
        created = true;
        loadRecords(records, table);
        table.close();
        return true;
    } catch (const std::exception &) {
        if (!created)
            table.emptyDataSet();
        table.close();
        return false;
    }
}

bool ImportPtfFile(const QString &FileName, Table &table, const QStringList *Defaults, bool AddMissing)
{
    Table source(QStringLiteral("PtfImport"));
    bool result = false;
    try {
        table.close();
        table.createDataSet();
        result = LoadPtfFileStructure(FileName, source);
        if (result) {
            QVector<FieldDef> &defs = table.fieldDefs();
            const QVector<FieldDef> &sourceDefs = source.fieldDefs();
            // Names compare without case, as the lookups below do; adding a column that differs
            // only in case would make it unreachable by name.
            QHash<QString, int> known;
            for (int i = 0; i < defs.size(); ++i)
                known.insert(defs[i].name.toCaseFolded(), i);
            if (AddMissing) {
                bool added = false;
                for (const FieldDef &def : sourceDefs) {
                    const QString key = def.name.toCaseFolded();
                    if (!known.contains(key)) {
                        known.insert(key, static_cast<int>(defs.size()));
                        defs.append(def);
                        added = true;
                    }
                }
                if (added) {
                    table.close();
                    table.createDataSet();
                }
            }
            // Column j of the file goes into field target[j] of the table (-1: none).
            std::vector<int> target;
            QSet<QString> fileColumns;
            for (const FieldDef &def : sourceDefs) {
                const QString key = def.name.toCaseFolded();
                target.push_back(known.value(key, -1));
                fileColumns.insert(key);
            }
            // Defaults fill the table's columns that the file lacks, in every row.
            std::vector<std::pair<int, QString>> defaults;
            if (Defaults) {
                for (int i = 0; i < defs.size(); ++i) {
                    const QString key = defs[i].name.toCaseFolded();
                    if (fileColumns.contains(key))
                        continue;
                    for (const QString &line : *Defaults) {
                        const qsizetype eq = line.indexOf(QLatin1Char('='));
                        if (eq >= 0 && QStringView(line).left(eq).compare(defs[i].name, Qt::CaseInsensitive) == 0) {
                            defaults.emplace_back(i, line.mid(eq + 1));
                            break;
                        }
                    }
                }
            }
            table.open();
            source.open();
            for (source.first(); !source.eof(); source.next()) {
                table.append();
                for (int j = 0; j < source.fieldCount(); ++j) {
                    if (target[j] >= 0)
                        copyConverted(source.field(j), table.field(target[j]));
                }
                for (const auto &[column, value] : defaults)
                    setFieldFromText(table.field(column), value);
                table.post();
            }
        }
    } catch (const std::exception &) {
        result = false;
    }
    table.close();
    source.close();
    return result;
}

bool RestructureTable(Table &table, const QStringList &SpecLines)
{
    try {
        table.close();
        Table rebuilt(table.name());
        std::vector<int> sources;
        if (!restructureDefs(table, SpecLines, rebuilt.fieldDefs(), sources))
            return false;
        rebuilt.createDataSet();
        table.open();
        for (table.first(); !table.eof(); table.next()) {
            rebuilt.append();
            for (int j = 0; j < static_cast<int>(sources.size()); ++j) {
                if (sources[j] >= 0)
                    copyConverted(table.field(sources[j]), rebuilt.field(j));
            }
            rebuilt.post();
        }
        // Every row converted: only now is the table itself changed.
        table.close();
        table.fieldDefs() = rebuilt.fieldDefs();
        table.setIndexName(QString());
        table.indexDefs().clear();
        table.createDataSet();
        for (rebuilt.first(); !rebuilt.eof(); rebuilt.next()) {
            table.append();
            for (int j = 0; j < rebuilt.fieldCount(); ++j)
                table.field(j).setValue(rebuilt.field(j).value());
            table.post();
        }
        table.first();
        return true;
    } catch (const std::exception &) {
        table.close();
        return false;
    }
}
