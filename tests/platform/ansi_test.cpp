#include "platform/ansi.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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

} // namespace
