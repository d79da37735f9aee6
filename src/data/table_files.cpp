#include "data/table_files.h"

#include "data/project_change.h"

#include "data/common_helpers.h"

#include "data/ptf_tokens.h"
#include "data/ptf_values.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_stamps.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

const QString kHeaderLine = QStringLiteral("/* Portable Table Format 1.0 */");
const QString kArrayLine = QStringLiteral("porTables[porTables.length] = new Array(");

// A damaged file must not take all memory or time: no project table comes near these limits
// (the largest, a station list of some ten thousand rows, is well under a megabyte).
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;
constexpr qint64 kMaxCells = 16 * 1024 * 1024;

// One name for a file however its path is written, so a damaged file is known again.
QString fileKey(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// The record lines of a file that could not be read, lines of the file counted from 1.
struct LeftOut {
    int first = 0;
    int count = 0;

    void add(qsizetype lineIndex)
    {
        if (count++ == 0)
            first = static_cast<int>(std::min<qsizetype>(lineIndex + 1, std::numeric_limits<int>::max()));
    }
};

// After a load: a table whose file exists but did not load holds no row at all (never a part
// of that file, nor the rows of a file loaded before) and remembers the file, so that no save
// writes the rows it could not read away; a loaded or missing file clears the mark (a missing
// file leaves the rows to the caller, who makes the table empty where a project lacks it).
// A file read but for some record lines keeps the rows of the others, and the mark all the
// same: the next save would drop the lines left out for good.
void markLoad(Table &table, const QString &fileName, bool loaded, const LeftOut &leftOut = {})
{
    if (!loaded && leftOut.count > 0) {
        table.setDamagedFile(fileName, leftOut.first, leftOut.count);
        return;
    }
    const bool damaged = !loaded && QFileInfo::exists(fileName);
    if (damaged) {
        table.close();
        table.emptyDataSet();
    }
    table.setDamagedFile(damaged ? fileName : QString());
}

void showLoadError(const QString &fileName, const Table &table)
{
    dialogs().showMessage(PtfLoadErrorMessage(fileName, table));
    ProjectChange::noteDamaged(fileName, true);
}

// ---------------------------------------------------------------- reading

enum class ReadResult { Ok, Missing, Unreadable };

ReadResult readTableFile(const QString &fileName, QString &text)
{
    // Seen first: a file found missing that comes to be later was made elsewhere.
    FileStamps::noteRead(fileName);
    const QFileInfo info(fileName);
    if (!info.exists())
        return ReadResult::Missing;
    // Only regular files: a device or pipe could be read without end.
    if (!info.isFile() || info.size() > kMaxFileBytes)
        return ReadResult::Unreadable;
    if (!ansi::readText(fileName, text))
        return ReadResult::Unreadable;
    return ReadResult::Ok;
}

enum class Layout { Ok, TooShort, Damaged };

// The field count of the closing line "<count>);"; false when the line is not one.
bool readClosingLine(QStringView line, qsizetype &count)
{
    line = line.trimmed();
    if (!line.endsWith(u");"))
        return false;
    const QStringView digits = line.chopped(2);
    if (digits.isEmpty() || digits.size() > 9)
        return false;
    count = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        count = count * 10 + (c.unicode() - u'0');
    }
    return true;
}

// The writer ends every file with its closing line, so a file without one was cut short:
// taken as whole it would lose its missing rows for good at the next save. Blank lines at
// the very end (an editor adds them) are dropped first.
Layout checkLayout(std::vector<QStringView> &lines, qsizetype &fieldCount)
{
    while (!lines.empty() && lines.back().trimmed().isEmpty())
        lines.pop_back();
    if (lines.size() < 4)
        return Layout::TooShort;
    return readClosingLine(lines.back(), fieldCount) ? Layout::Ok : Layout::Damaged;
}

// Record lines are lines 3 .. n-2; the last line holds the field count.
void checkCellCount(const std::vector<QStringView> &lines, qsizetype columns)
{
    const qsizetype records = static_cast<qsizetype>(lines.size()) - 4;
    if (records * std::max<qsizetype>(columns, 1) > kMaxCells)
        throw TableError(QStringLiteral("Table file too large"));
}


// Appends one row per record line that parses; the table is open. The lines that do not parse,
// or whose end gives no item, are counted in leftOut.
void loadRecords(const PtfRecords &records, Table &table, LeftOut &leftOut)
{
    // A field stands for its column in whatever row is current, so one per column will do.
    std::vector<Field> fields;
    std::vector<FieldType> types;
    for (int j = 0; j < table.fieldCount(); ++j) {
        fields.push_back(table.field(j));
        types.push_back(table.fieldAt(j).type);
    }
    const qsizetype columns = table.fieldCount();
    const PtfTokens &tokens = records.tokens();
    const std::vector<PtfRecords::Line> &lines = records.lines();
    for (size_t k = 0; k < lines.size(); ++k) {
        const PtfRecords::Line &line = lines[k];
        if (!line.ok || line.dropped)
            leftOut.add(static_cast<qsizetype>(k) + PtfRecords::kFirstRecordLine);
        // A line that yields no item (a blank line) is no record, as one that does not parse.
        if (!line.ok || line.count == 0)
            continue;
        if (line.count > columns)
            throw TableError(QStringLiteral("More values than fields in %1").arg(table.name()));
        table.append();
        for (qsizetype i = 0; i < line.count; ++i)
            setFieldFromItem(fields[i], types[i], tokens, tokens.item(line.first + i));
        table.post();
    }
}

bool makeStringDefs(QStringView namesLine, QVector<FieldDef> &defs)
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

// The pieces of a line split at ";": an empty last piece does not count.
QStringList specPieces(const QString &line)
{
    QStringList pieces;
    SplitString(line, pieces, QLatin1Char(';'));
    return pieces;
}

// The field type numbers that a structure file names its field types by.
bool fieldTypeFromNumber(const QString &text, FieldType &type)
{
    int n = 0;
    if (!parseInteger(text, n))
        return false;
    static constexpr std::pair<int, FieldType> kTypes[] = {
        {1, FieldType::String},  {2, FieldType::Smallint}, {3, FieldType::Integer},
        {5, FieldType::Boolean}, {6, FieldType::Float},    {14, FieldType::AutoInc}};
    for (const auto &[number, known] : kTypes) {
        if (number == n) {
            type = known;
            return true;
        }
    }
    return false;
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

bool ReadPtfColumnNames(const QString &Text, QStringList &Names)
{
    Names.clear();
    const std::vector<QStringView> lines = ansi::splitLineViews(Text);
    if (lines.size() < 4 || lines[0] != kHeaderLine || lines[1] != kArrayLine)
        return false;
    PtfTokens tokens;
    if (!tokens.parse(lines[2]))
        return false;
    QStringList names;
    names.reserve(tokens.count());
    for (qsizetype i = 0; i < tokens.count(); ++i) {
        if (tokens.kind(i) != u's')
            return false;
        names.append(tokens.text(i).toString());
    }
    Names = names;
    return true;
}

QString DamagedFileMessage(const QString &FileName)
{
    return QStringLiteral("The file %1 is damaged and was left unchanged.").arg(FileName);
}

bool TableFileDamaged(const Table &table, const QString &FileName)
{
    return !table.damagedFile().isEmpty() && fileKey(table.damagedFile()) == fileKey(FileName);
}

bool SavePtfFile(const QString &FileName, QChar QuoteChar, Table &table)
{
    // The table lacks the rows of the file it could not read: written over that file it
    // would lose them for good. The message says why, so no reason is left for a
    // caller's message to say it again.
    ansi::setLastWriteError(QString());
    ProjectChange::forgetFailureTold();
    if (TableFileDamaged(table, FileName)) {
        dialogs().showMessage(DamagedFileMessage(FileName));
        ProjectChange::noteDamaged(FileName, true);
        return false;
    }
    const bool wasActive = table.active();
    PtfFileBuilder text;
    // The first text holding a control character: "the field "Station" of the row with ID 11",
    // "the name of column 2", so the refusal tells the user which entry to change.
    QString controlPlace;
    try {
        const QVector<FieldDef> &defs = table.fieldDefs();
        text.addLine(kHeaderLine);
        text.addLine(kArrayLine);
        const char16_t quote = QuoteChar.unicode();
        // Names are escaped as texts are, so the reader gets back a name holding a quote.
        for (qsizetype j = 0; j < defs.size(); ++j) {
            text.addText(defs[j].name, quote);
            if (controlPlace.isEmpty() && text.controlTexts() > 0)
                controlPlace = QStringLiteral("the name of column %1").arg(j + 1);
        }
        text.endLine();

        table.open();
        table.first();
        const int columns = static_cast<int>(defs.size());
        std::vector<Field> fields; // one per column stands for it in every row
        std::vector<FieldType> types;
        for (int j = 0; j < columns; ++j) {
            fields.push_back(table.field(j)); // throws when the definitions outnumber the fields
            types.push_back(fields.back().dataType());
        }
        const int idColumn = table.findFieldIndex(QStringLiteral("ID"));
        for (int row = 1; !table.eof(); ++row) {
            for (int j = 0; j < columns; ++j) {
                const Field &field = fields[j];
                if (field.isNull()) {
                    text.addNull();
                    continue;
                }
                // The stored value has the field's type, so these read it without a conversion.
                switch (types[j]) {
                case FieldType::String: {
                    const qsizetype before = text.controlTexts();
                    text.addText(field.asString(), quote);
                    if (controlPlace.isEmpty() && text.controlTexts() != before) {
                        const bool hasID = idColumn >= 0 && idColumn < columns && !fields[idColumn].isNull();
                        const QString rowName = hasID ? QStringLiteral("the row with ID ") + fields[idColumn].asString()
                                                      : QStringLiteral("row %1").arg(row);
                        controlPlace = QStringLiteral("the field \"%1\" of %2").arg(defs[j].name, rowName);
                    }
                    break;
                }
                case FieldType::Smallint:
                case FieldType::Integer:
                case FieldType::AutoInc:
                    text.addInteger(field.asInteger());
                    break;
                case FieldType::Boolean:
                    text.addBoolean(field.asBoolean());
                    break;
                case FieldType::Float:
                    text.addFloat(field.asFloat());
                    break;
                case FieldType::Unknown:
                    break; // nothing, not even the comma
                }
            }
            text.endLine();
            table.next();
        }
        text.addLine(QString::number(columns) + QStringLiteral(");"));
    } catch (const std::exception &) {
        if (!wasActive)
            table.close();
        return false;
    }
    if (!wasActive)
        table.close();
    // A "?" in place of a character would change the text for good: keep the old file.
    if (text.lossy()) {
        ansi::setLastWriteError(QStringLiteral("a text holds characters that Windows-1252 cannot store"));
        return false;
    }
    if (!text.controls().isEmpty()) {
        ansi::setLastWriteError(text.controlReason(controlPlace));
        return false;
    }
    ProjectChange::tableWritten(table, FileName);
    return ansi::writeFileAtomically(FileName, text.take());
}

namespace {

// Fields made from the names line: the first record sets the types; a null there leaves the
// column a text column, so that a file whose first row has a null still loads.
void typeByFirstRecord(const PtfRecords &records, QVector<FieldDef> &defs)
{
    const PtfTokens &tokens = records.tokens();
    for (const PtfRecords::Line &line : records.lines()) {
        if (!line.ok || line.count == 0)
            continue;
        for (qsizetype i = 0; i < line.count && i < defs.size(); ++i) {
            const char16_t kind = tokens.item(line.first + i).kind;
            if (kind == u'b')
                defs[i].type = FieldType::Boolean;
            else if (kind == u'n')
                defs[i].type = FieldType::Float;
        }
        return;
    }
}

// A text longer than its column makes the column wider rather than being cut.
void widenTextColumns(const PtfRecords &records, QVector<FieldDef> &defs)
{
    const PtfTokens &tokens = records.tokens();
    for (const PtfRecords::Line &line : records.lines()) {
        for (qsizetype i = 0; i < line.count && i < defs.size(); ++i) {
            if (defs[i].type == FieldType::String)
                widenTo(defs[i], tokens.item(line.first + i).length);
        }
    }
}

// Trip tables: a column is Float or Boolean from its first number or Boolean literal; a column
// of texts and nulls only stays a text column as wide as its longest text + 16.
void typeByFirstValues(const PtfRecords &records, QVector<FieldDef> &defs)
{
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
}

// The rows of a file into a table with its fields: made anew from the file with remakeFields
// (trip tables, whose indexes go too), else from the names line when the table has none. The
// table is left closed. Damaged: the table is closed and holds the rows posted before the
// error, none when the error came before the first. Ok with record lines left out: the table
// holds the rows of all the others.
Layout loadLines(std::vector<QStringView> lines, Table &table, bool remakeFields, LeftOut &leftOut)
{
    leftOut = LeftOut{};
    qsizetype fieldCount = 0;
    const Layout layout = checkLayout(lines, fieldCount);
    if (layout == Layout::TooShort)
        return layout;
    bool created = false;
    try {
        table.close();
        QVector<FieldDef> &defs = table.fieldDefs();
        if (remakeFields) {
            defs.clear();
            table.setIndexName(QString());
            table.indexDefs().clear();
        }
        if (layout == Layout::Damaged)
            throw TableError(QStringLiteral("Table file without its closing line"));
        const bool fromFile = defs.isEmpty();
        if (fromFile) {
            if (!makeStringDefs(lines[2], defs))
                throw TableError(QStringLiteral("Names line does not parse"));
            if (defs.size() != fieldCount)
                throw TableError(QStringLiteral("Field count does not match the names"));
        }
        checkCellCount(lines, defs.size());
        const PtfRecords records(lines);
        if (remakeFields) {
            typeByFirstValues(records, defs);
        } else {
            if (fromFile)
                typeByFirstRecord(records, defs);
            widenTextColumns(records, defs);
        }
        table.createDataSet();
        created = true;
        loadRecords(records, table, leftOut);
        table.close();
        return Layout::Ok;
    } catch (const std::exception &) {
        if (!created)
            table.emptyDataSet();
        table.close();
        leftOut = LeftOut{};
        return Layout::Damaged;
    }
}

// Reads a file into the table and marks it: true when every line was read.
bool loadFile(const QString &fileName, Table &table, bool remakeFields, ReadResult &read)
{
    QString text;
    read = readTableFile(fileName, text);
    LeftOut leftOut;
    const bool loaded = read == ReadResult::Ok &&
                        loadLines(ansi::splitLineViews(text), table, remakeFields, leftOut) == Layout::Ok &&
                        leftOut.count == 0;
    markLoad(table, fileName, loaded, leftOut);
    return loaded;
}

} // namespace

QString PtfLoadErrorMessage(const QString &FileName, const Table &table)
{
    QString message = QStringLiteral("Error by load PTF-File: ") + FileName;
    if (table.damagedLine() > 0 && TableFileDamaged(table, FileName)) {
        message += QStringLiteral(" (line %1").arg(table.damagedLine());
        if (table.damagedLineCount() > 1)
            message += QStringLiteral(" and %1 more").arg(table.damagedLineCount() - 1);
        message += QLatin1Char(')');
    }
    return message;
}

bool LoadPtfText(const QString &Text, Table &table)
{
    LeftOut leftOut;
    return loadLines(ansi::splitLineViews(Text), table, false, leftOut) == Layout::Ok && leftOut.count == 0;
}

bool LoadPtfStructureText(const QString &Text, Table &table)
{
    LeftOut leftOut;
    return loadLines(ansi::splitLineViews(Text), table, true, leftOut) == Layout::Ok && leftOut.count == 0;
}

bool LoadPtfFile(const QString &FileName, Table &table)
{
    ReadResult read = ReadResult::Missing;
    const bool loaded = loadFile(FileName, table, false, read);
    // A file that exists but did not load is told as damaged, a file cut short included, and
    // one with lines that could not be read by the first of them.
    if (!loaded && read != ReadResult::Missing)
        showLoadError(FileName, table);
    return loaded;
}

bool LoadPtfFileStructure(const QString &FileName, Table &table)
{
    ReadResult read = ReadResult::Missing;
    return loadFile(FileName, table, true, read);
}

bool ImportPtfFile(const QString &FileName, Table &table, const QStringList *Defaults, bool AddMissing)
{
    Table source(QStringLiteral("PtfImport"));
    bool result = false;
    LeftOut leftOut;
    try {
        table.close();
        table.createDataSet();
        result = LoadPtfFileStructure(FileName, source);
        // A file read but for some lines gives the rows of the others, and the mark.
        if (!result && source.damagedLine() > 0)
            leftOut = LeftOut{source.damagedLine(), source.damagedLineCount()};
        if (result || leftOut.count > 0) {
            QVector<FieldDef> &defs = table.fieldDefs();
            const QVector<FieldDef> &sourceDefs = source.fieldDefs();
            // Names compare without case, as the lookups below do; adding a column that differs
            // only in case would make it unreachable by name.
            QHash<QString, int> known;
            for (int i = static_cast<int>(defs.size()) - 1; i >= 0; --i)
                known.insert(defs[i].name.toCaseFolded(), i); // the first of a name wins, as in fieldDefIndex
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
        leftOut = LeftOut{};
    }
    table.close();
    source.close();
    markLoad(table, FileName, result, leftOut);
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
        // Column j of the new table takes column sources[j] of the old one (-1: added, null).
        std::vector<std::pair<Field, Field>> copies;
        for (int j = 0; j < static_cast<int>(sources.size()); ++j) {
            if (sources[j] >= 0)
                copies.emplace_back(table.field(sources[j]), rebuilt.field(j));
        }
        for (table.first(); !table.eof(); table.next()) {
            rebuilt.append();
            for (const auto &[from, to] : copies)
                copyConverted(from, to);
            rebuilt.post();
        }
        // Every row converted: only now is the table itself changed.
        table.close();
        table.fieldDefs() = rebuilt.fieldDefs();
        table.setIndexName(QString());
        table.indexDefs().clear();
        table.createDataSet();
        copies.clear();
        for (int j = 0; j < rebuilt.fieldCount(); ++j)
            copies.emplace_back(rebuilt.field(j), table.field(j));
        for (rebuilt.first(); !rebuilt.eof(); rebuilt.next()) {
            table.append();
            for (const auto &[from, to] : copies)
                copyValue(from, to);
            table.post();
        }
        table.first();
        return true;
    } catch (const std::exception &) {
        table.close();
        return false;
    }
}
