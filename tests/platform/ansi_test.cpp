#include "platform/ansi.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

QByteArray allBytes()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(static_cast<char>(b));
    return bytes;
}

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

TEST(Ansi, EveryByteRoundTripsThroughDecodeAndEncode)
{
    const QByteArray bytes = allBytes();
    const QString text = ansi::decode(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ansi::encode(text), bytes);

    // Windows-1252, not Latin-1, for the printable characters of 0x80..0x9F.
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0xFC], QChar(0x00FC));
    EXPECT_EQ(ansi::encode(QStringLiteral("Grün €")), QByteArray("Gr\xFCn \x80"));
    // A character the code page lacks becomes a question mark.
    EXPECT_EQ(ansi::encode(QString(QChar(0x4E2D))), QByteArray("?"));
}

TEST(Ansi, EveryByteRoundTripsThroughAFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("bytes.txt"));

    // CR and LF end lines, so they cannot stand inside one.
    QByteArray bytes = allBytes();
    bytes.remove(13, 1);
    bytes.remove(10, 1);
    const QStringList lines{ansi::decode(bytes), QString(), QStringLiteral("last")};
    ASSERT_TRUE(ansi::writeLines(name, lines));
    EXPECT_EQ(readFile(name), bytes + "\r\n\r\nlast\r\n");
    QStringList back;
    ASSERT_TRUE(ansi::readLines(name, back));
    EXPECT_EQ(back, lines);

    // Rewriting replaces the whole file, also with less.
    ASSERT_TRUE(ansi::writeLines(name, {QStringLiteral("x")}));
    EXPECT_EQ(readFile(name), QByteArray("x\r\n"));
    ASSERT_TRUE(ansi::writeLines(name, {}));
    EXPECT_EQ(readFile(name), QByteArray());
    EXPECT_TRUE(ansi::readLines(name, back));
    EXPECT_TRUE(back.isEmpty());

    // Failures are reported, and leave nothing behind.
    EXPECT_FALSE(ansi::writeLines(dir.filePath(QStringLiteral("missing/file.txt")), {QStringLiteral("x")}));
    EXPECT_FALSE(ansi::writeFileAtomically(dir.path(), "x")); // a folder
    EXPECT_FALSE(ansi::readLines(dir.filePath(QStringLiteral("none.txt")), back));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("bytes.txt")});
}

TEST(Ansi, CrLfAndLoneCrOrLfAllEndLines)
{
    auto split = [](const char *text) { return ansi::splitLines(QString::fromLatin1(text)).join(QLatin1Char('|')); };
    EXPECT_EQ(split("a\r\nb\rc\nd"), QStringLiteral("a|b|c|d"));
    EXPECT_EQ(split("a\r\n"), QStringLiteral("a")); // a final line end starts no line
    EXPECT_EQ(split("a\r\n\r\n"), QStringLiteral("a|"));
    EXPECT_EQ(split("a\r\r\nb"), QStringLiteral("a||b"));
    EXPECT_EQ(split("a\n\rb"), QStringLiteral("a||b"));
    EXPECT_EQ(split("\r\n"), QString());
    EXPECT_TRUE(ansi::splitLines(QString()).isEmpty());
    EXPECT_EQ(ansi::splitLines(QStringLiteral("\n")), QStringList{QString()});

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("mixed.txt"));
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("one\rtwo\nthree\r\nf\xF6ur");
    f.close();
    QStringList lines;
    ASSERT_TRUE(ansi::readLines(name, lines));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                                  QStringLiteral("föur")}));
}

// Long texts are searched eight bytes at a time for line ends and characters from 0x80 up:
// wherever such a character stands, the result is that of one character at a time.
TEST(Ansi, SpecialCharactersAtEveryPlaceOfALongText)
{
    const QByteArray all = allBytes();
    for (int at = 0; at < 40; ++at) {
        for (const char special : {'\r', '\n', '\x80', '\x9F', '\xA0', '\xFC', '\xFF'}) {
            QByteArray bytes(40, 'a');
            bytes[at] = special;
            bytes[39 - at / 2] = '\x8A'; // a second one further on
            const QString text = ansi::decode(bytes);
            ASSERT_EQ(text.size(), bytes.size());
            for (qsizetype i = 0; i < bytes.size(); ++i)
                ASSERT_EQ(text[i], ansi::decode(QByteArray(1, bytes[i]))[0]) << at << ' ' << i;
            ASSERT_EQ(ansi::encode(text), bytes) << at;

            // CR LF, lone CR and lone LF end lines; a final line end starts none.
            const QString lines = text + QStringLiteral("\r\n") + text;
            QStringList expectedLines = lines.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
            if (lines.endsWith(QLatin1Char('\r')) || lines.endsWith(QLatin1Char('\n')))
                expectedLines.removeLast();
            QStringList fromViews;
            for (QStringView v : ansi::splitLineViews(lines))
                fromViews << v.toString();
            ASSERT_EQ(fromViews, expectedLines) << at;
            ASSERT_EQ(ansi::splitLines(lines), expectedLines) << at;
        }
    }
    // Characters outside the code page anywhere in a long text become question marks.
    QString wide(37, QLatin1Char('b'));
    wide[0] = QChar(0x4E2D);
    wide[17] = QChar(0x20AC);
    wide[36] = QChar(0x0100);
    QByteArray expected(37, 'b');
    expected[0] = '?';
    expected[17] = '\x80';
    expected[36] = '?';
    EXPECT_EQ(ansi::encode(wide), expected);
    EXPECT_EQ(ansi::decode(all + all).mid(256), ansi::decode(all));
}

TEST(Ansi, TheCodecNamesWhatItCannotEncodeAndTheWritersRefuseIt)
{
    EXPECT_TRUE(ansi::unencodable(QStringLiteral("Straße Äpfel € „x“ ™")).isEmpty());
    EXPECT_EQ(ansi::unencodable(QStringLiteral("Łódź")), QStringLiteral("Łź"));
    EXPECT_EQ(ansi::unencodable(QStringLiteral("東京 東")), QStringLiteral("東京"));
    // A character outside the basic plane is named whole, not as two halves.
    EXPECT_EQ(ansi::unencodable(QStringLiteral("a🚉b🚉")), QStringLiteral("🚉"));
    for (int b = 0; b < 256; ++b)
        EXPECT_TRUE(ansi::canEncode(ansi::decode(QByteArray(1, char(b)))[0].unicode())) << b;

    QByteArray bytes;
    EXPECT_TRUE(ansi::encodeStrict(QStringLiteral("Ä€ß"), bytes));
    EXPECT_EQ(bytes, QByteArray("\xC4\x80\xDF"));
    EXPECT_FALSE(ansi::encodeStrict(QStringLiteral("Линия"), bytes));

    QTemporaryDir dir;
    const QString name = dir.filePath("t.txt");
    ASSERT_TRUE(ansi::writeLines(name, {QStringLiteral("Ä€ß")}));
    EXPECT_FALSE(ansi::writeLines(name, {QStringLiteral("Łódź")}));
    EXPECT_TRUE(ansi::lastWriteError().contains(QStringLiteral("Łź"))) << ansi::lastWriteError().toStdString();
    EXPECT_FALSE(ansi::writeText(name, QStringLiteral("大阪")));
    EXPECT_EQ(readFile(name), QByteArray("\xC4\x80\xDF\r\n"));

    // A folder in the way: the system's reason is kept for the message.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_FALSE(ansi::writeLines(dir.filePath("folder"), {QStringLiteral("x")}));
    EXPECT_FALSE(ansi::lastWriteError().isEmpty());
    EXPECT_EQ(ansi::withWriteReason(QStringLiteral("Error saving the file folder")),
              QStringLiteral("Error saving the file folder: ") + ansi::lastWriteError());
    // The next write that succeeds leaves no reason behind, so no later message names the old one.
    ASSERT_TRUE(ansi::writeLines(name, {QStringLiteral("y")}));
    EXPECT_EQ(ansi::lastWriteError(), QString());
    EXPECT_EQ(ansi::withWriteReason(QStringLiteral("Error saving the file t.txt")),
              QStringLiteral("Error saving the file t.txt"));
    EXPECT_FALSE(ansi::writeFileAtomically(dir.filePath("folder"), "x"));
    ASSERT_TRUE(ansi::writeFileAtomically(name, "z"));
    EXPECT_EQ(ansi::lastWriteError(), QString());
}

} // namespace

#include "support/file_size_limit.h"

namespace {

// A full disk: every writer of this unit refuses the write, keeps the old bytes and leaves no
// temporary file, also when the old file is far below the limit and only the new text is not.
struct FullDiskCase {
    const char *what;
    std::function<bool(const QString &name)> write;
};
void PrintTo(const FullDiskCase &c, std::ostream *out) { *out << c.what; }

// A folder with the old file t.ptf in it.
class OldFileInAFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old);
    }

    QTemporaryDir dir;
    const QString name = dir.filePath("t.ptf");
    const QByteArray old{"old contents\r\n"};
};

class FullDisk : public OldFileInAFolder, public ::testing::WithParamInterface<FullDiskCase>
{
};

TEST_P(FullDisk, FailsTheWriteAndKeepsTheOldFile)
{
    const QStringList before = folderEntries(dir.path());
    EXPECT_TRUE(failedForFileSize(writeOnFullDisk(4096, [&] { return GetParam().write(name); })));
    EXPECT_EQ(readFile(name), old);
    EXPECT_EQ(folderEntries(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWriter, FullDisk,
    ::testing::Values(
        FullDiskCase{"RawBytes",
                     [](const QString &name) { return ansi::writeFileAtomically(name, QByteArray(64 * 1024, 'x')); }},
        FullDiskCase{"Text",
                     [](const QString &name) { return ansi::writeText(name, QString(64 * 1024, QLatin1Char('y'))); }},
        FullDiskCase{"Lines",
                     [](const QString &name) {
                         const QString bigText(64 * 1024, QLatin1Char('y'));
                         return ansi::writeLines(name, {bigText, bigText});
                     }},
        // Past the limit by a little only: the last short write must be seen too.
        FullDiskCase{"JustTooBig",
                     [](const QString &name) { return ansi::writeFileAtomically(name, QByteArray(4097, 'z')); }}),
    [](const ::testing::TestParamInfo<FullDiskCase> &info) { return std::string(info.param.what); });

// Within the limit the same child writes.
TEST_F(OldFileInAFolder, AWriteWithinTheSizeLimitReplacesIt)
{
    const QStringList before = folderEntries(dir.path());
    const LimitedWrite fits = writeWithFileSizeLimit(4096, [&](QString &) {
        return ansi::writeFileAtomically(name, QByteArray(4096, 'z'));
    });
    ASSERT_TRUE(fits.ran);
    EXPECT_TRUE(fits.result);
    EXPECT_EQ(readFile(name), QByteArray(4096, 'z'));
    EXPECT_EQ(folderEntries(dir.path()), before);
}

} // namespace

#include "support/special_files.h"

namespace {

class NoRegularFile : public ::testing::TestWithParam<SpecialFile>
{
};

// A name that a project gives may be a pipe, a device or a folder: the text readers refuse it
// without opening it, and a link to a regular file is read as that file.
TEST_P(NoRegularFile, IsRefusedByTheTextReaders)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("t.ptf");
    ASSERT_TRUE(makeSpecialFile(GetParam(), name));
    EXPECT_FALSE(ansi::isRegularFile(name));
    QString text = "kept";
    EXPECT_FALSE(ansi::readText(name, text));
    EXPECT_EQ(text, "kept");
    QStringList lines{"kept"};
    EXPECT_FALSE(ansi::readLines(name, lines));
    EXPECT_EQ(lines, QStringList{"kept"});

    const QString target = dir.filePath("target.ptf");
    ASSERT_TRUE(ansi::writeText(target, u"a\r\nb\r\n"));
    const QString link = dir.filePath("link.ptf");
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_TRUE(ansi::isRegularFile(link));
    EXPECT_TRUE(ansi::readLines(link, lines));
    EXPECT_EQ(lines, (QStringList{"a", "b"}));
}

INSTANTIATE_TEST_SUITE_P(EachKind, NoRegularFile, kSpecialFiles, specialFileName);

} // namespace
