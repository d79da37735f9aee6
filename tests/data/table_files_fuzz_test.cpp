#include "data/table_files.h"

#include "support/project_folder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

// Random and damaged input for the tokenizer and the readers: whatever comes in, they return
// a result (never throw, crash or hang), and what the writer wrote comes back unchanged.

namespace {

// Characters that matter to the format, and some that should not.
const char16_t kAlphabet[] = {u'"', u'\'', u'\\', u',',   u' ',   u'\t', u'0',  u'1', u'5', u'9', u'-',
                              u'+', u'.',  u'e',  u'E',   u'a',   u'n',  u'u',  u'l', u't', u'r', u'f',
                              u's', 0,     0xFC,  0x20AC, 0xD800, u'\r', u'\n', u';', u'(', u')'};

// Texts the writer stores unchanged: Windows-1252 characters except the control characters.
const char16_t kTextAlphabet[] = {u'"', u'\'', u'\\', u',', u' ', u';', u'A', u'z', u'0',   u'9',   u'-',
                                  u'.', u'~',  0x81,  0xA0, 0xC4, 0xDF,  0xFC, 0xFF, 0x20AC, 0x0160, 0x2122};

template <size_t N> QString randomText(std::mt19937 &rng, const char16_t (&alphabet)[N], int maxLength)
{
    const int length = std::uniform_int_distribution<int>(0, maxLength)(rng);
    QString s(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        s[i] = QChar(alphabet[std::uniform_int_distribution<size_t>(0, N - 1)(rng)]);
    return s;
}

QByteArray mutate(std::mt19937 &rng, QByteArray bytes)
{
    static const char kInsert[] = {'"', '\'', '\\', ',', ' ', '\r', '\n', '\0', '\xFF', '1', 'n', 't'};
    const int operations = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int k = 0; k < operations; ++k) {
        const qsizetype size = bytes.size();
        const qsizetype at = size ? std::uniform_int_distribution<qsizetype>(0, size - 1)(rng) : 0;
        switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
        case 0: // change a byte
            if (size)
                bytes[at] = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
            break;
        case 1: // insert a character that matters
            bytes.insert(at, kInsert[std::uniform_int_distribution<size_t>(0, sizeof kInsert - 1)(rng)]);
            break;
        case 2: // drop a piece
            bytes.remove(at, std::uniform_int_distribution<qsizetype>(1, 40)(rng));
            break;
        case 3: // cut the file off
            bytes.truncate(at);
            break;
        case 4: // repeat a piece
            bytes.insert(at, bytes.mid(at, std::uniform_int_distribution<qsizetype>(1, 200)(rng)));
            break;
        }
    }
    return bytes;
}

void defineStations(Table &t)
{
    t.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
    t.addFieldDef(QStringLiteral("Station"), FieldType::String, 64);
    t.addFieldDef(QStringLiteral("Dist"), FieldType::Float);
    t.addFieldDef(QStringLiteral("Open"), FieldType::Boolean);
}

} // namespace

TEST(PtfFuzz, TokenizerItemsAreAlwaysWellFormed)
{
    std::mt19937 rng(1101);
    QStringList items;
    for (int n = 0; n < 4000; ++n) {
        const QString line = randomText(rng, kAlphabet, n % 10 == 0 ? 2000 : 60);
        ParsePtfValueLine(line, items);
        for (const QString &item : items) {
            ASSERT_GE(item.size(), 2) << line.toStdString();
            ASSERT_EQ(item[1], QLatin1Char('='));
            const QString value = item.mid(2);
            switch (item[0].unicode()) {
            case u's':
                break;
            case u'b':
                ASSERT_TRUE(value == QLatin1String("true") || value == QLatin1String("false"));
                break;
            case u'u':
                ASSERT_EQ(value, QLatin1String("null"));
                break;
            case u'n': {
                double d = 0;
                ASSERT_TRUE(parseFloat(value, d)) << value.toStdString();
                break;
            }
            default:
                FAIL() << "unknown item " << item.toStdString();
            }
        }
    }
}

TEST(PtfFuzz, WrittenTextsComeBackUnchanged)
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::mt19937 rng(1102);
    const QString file = dir.filePath(QStringLiteral("t.ptf"));
    for (int round = 0; round < 20; ++round) {
        Table t;
        defineStations(t);
        t.createDataSet();
        QStringList texts;
        for (int r = 0; r < 100; ++r) {
            texts << randomText(rng, kTextAlphabet, 40);
            t.append();
            t.field(0).setInteger(r);
            t.field(1).setString(texts.last());
            t.field(2).setFloat(std::uniform_real_distribution<double>(-1e6, 1e6)(rng));
            t.field(3).setBoolean(r % 2 == 0);
            t.post();
        }
        ASSERT_TRUE(SavePtfFile(file, QLatin1Char('"'), t));
        Table back;
        defineStations(back);
        ASSERT_TRUE(LoadPtfFile(file, back));
        back.open();
        t.first();
        for (int r = 0; r < 100; ++r, back.next(), t.next()) {
            ASSERT_FALSE(back.eof());
            ASSERT_EQ(back.field(1).asString(), texts[r]) << r;
            // Fifteen significant digits survive.
            ASSERT_NEAR(back.field(2).asFloat(), t.field(2).asFloat(), 1e-8);
        }
        // The tokenizer alone gives the same texts.
        QStringList items;
        const QStringList lines = QString::fromLatin1(fileBytes(file)).split(QStringLiteral("\r\n"));
        ASSERT_TRUE(ParsePtfValueLine(lines[3], items));
        ASSERT_EQ(items.size(), 4);
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(PtfFuzz, ReadersSurviveDamagedFiles)
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::mt19937 rng(1103);
    const QString file = dir.filePath(QStringLiteral("s.ptf"));

    Table model;
    defineStations(model);
    model.createDataSet();
    for (int r = 0; r < 30; ++r) {
        model.append();
        model.field(0).setInteger(r);
        if (r % 5)
            model.field(1).setString(QStringLiteral(R"(Halt "%1" \ Süd's)").arg(r));
        model.field(2).setFloat(r * 0.25 - 3);
        model.field(3).setBoolean(r % 3 == 0);
        model.post();
    }
    ASSERT_TRUE(SavePtfFile(file, QLatin1Char('"'), model));
    const QByteArray valid = fileBytes(file);

    int loaded = 0;
    for (int n = 0; n < 1500; ++n) {
        QByteArray bytes = n % 10 == 9 ? randomText(rng, kAlphabet, 600).toUtf8() : mutate(rng, valid);
        writeFileBytes(file, bytes);
        Table withFields, withoutFields, structure, imported;
        defineStations(withFields);
        defineStations(imported);
        bool ok = false;
        ASSERT_NO_THROW(ok = LoadPtfFile(file, withFields));
        loaded += ok ? 1 : 0;
        EXPECT_FALSE(withFields.active());
        ASSERT_NO_THROW(LoadPtfFile(file, withoutFields));
        bool structureOk = false, importOk = false;
        ASSERT_NO_THROW(structureOk = LoadPtfFileStructure(file, structure));
        EXPECT_FALSE(structure.active());
        const QStringList defaults{QStringLiteral("Open=true")};
        ASSERT_NO_THROW(importOk = ImportPtfFile(file, imported, &defaults, n % 2 == 0));
        if (ok) {
            ASSERT_LE(withFields.rowCount(), bytes.count('\n') + bytes.count('\r') + 1);
        }
        // Whatever rows a file that did not load whole left, they are never written over it.
        ASSERT_EQ(TableFileDamaged(withFields, file), !ok);
        ASSERT_EQ(TableFileDamaged(structure, file), !structureOk);
        ASSERT_EQ(TableFileDamaged(imported, file), !importOk);
    }
    // Damage is reported with the reader's two messages only, the second naming the first line
    // left out where the others were read.
    const QRegularExpression loadError(
        QStringLiteral("^Error by load PTF-File: %1( \\(line \\d+( and \\d+ more)?\\))?$")
            .arg(QRegularExpression::escape(file)));
    for (const QString &m : dialogs.messages)
        ASSERT_TRUE(m == QLatin1String("PTF Load Error") || loadError.match(m).hasMatch()) << m.toStdString();
    EXPECT_GT(loaded, 0);
    EXPECT_FALSE(dialogs.messages.isEmpty());
}

TEST(PtfFuzz, LongLinesNulBytesAndUnbalancedQuotes)
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    const QString file = dir.filePath(QStringLiteral("l.ptf"));
    QElapsedTimer timer;
    timer.start();

    // A text of two million characters loads and widens its column.
    QByteArray big = "/* Portable Table Format 1.0 */\r\na\r\n\"ID\",\"Station\",\"Dist\",\"Open\",\r\n1,\"";
    big += QByteArray(2'000'000, 'x');
    big += "\",null,true,\r\n4);\r\n";
    writeFileBytes(file, big);
    Table t;
    defineStations(t);
    ASSERT_TRUE(LoadPtfFile(file, t));
    t.open();
    EXPECT_EQ(t.field(1).asString().size(), 2'000'000);
    EXPECT_EQ(t.fieldDefs()[1].size, 2'000'016);

    // An opening quote that never closes swallows the rest of its line, however long.
    // Its row loads as far as it goes, but the file is not read whole.
    QByteArray open = big;
    open.replace("\",null", ",null");
    writeFileBytes(file, open);
    dialogs.messages.clear();
    EXPECT_FALSE(LoadPtfFile(file, t));
    EXPECT_EQ(t.rowCount(), 1);
    EXPECT_EQ(dialogs.messages, QStringList{"Error by load PTF-File: " + file + " (line 4)"});

    // NUL bytes are characters like any other.
    const char raw[] = "a\r\nb\r\n\"ID\",\"Station\",\r\n7,\"a\0b\",\r\n\0x\0,\r\n2);\r\n";
    writeFileBytes(file, QByteArray(raw, sizeof raw - 1));
    Table s;
    s.addFieldDef(QStringLiteral("ID"), FieldType::Integer);
    s.addFieldDef(QStringLiteral("Station"), FieldType::String, 20);
    EXPECT_FALSE(LoadPtfFile(file, s));
    s.open();
    EXPECT_EQ(s.field(1).asString(), QString::fromLatin1("a\0b", 3));
    EXPECT_EQ(s.rowCount(), 1); // "x" between NULs is no number: the line is left out
    EXPECT_EQ(s.damagedLine(), 5);

    // A thousand lines of nothing but commas, quotes and backslashes.
    QByteArray junk = "a\r\nb\r\n\"A\",\r\n";
    for (int i = 0; i < 1000; ++i)
        junk += QByteArray(i % 7 == 0 ? "\\\\\"," : ",,,'\"'\"\\\",") + "\r\n";
    junk += "1);\r\n";
    writeFileBytes(file, junk);
    Table j;
    ASSERT_NO_THROW(LoadPtfFile(file, j));
    ASSERT_NO_THROW(LoadPtfFileStructure(file, j));
    EXPECT_LT(timer.elapsed(), 20000);
}
