#include "platform/ansi.h"

#include "platform/file_change.h"
#include "platform/file_stamps.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>
#include <cstring>

namespace ansi {

namespace {

// 0x80..0x9F of Windows-1252. The five bytes the code page leaves undefined map to
// the C1 control characters of the same value, so they survive a round trip.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

char encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

bool canEncode(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return true;
    for (char16_t known : kHighTable) {
        if (known == c)
            return true;
    }
    return false;
}

QString unencodable(QStringView text)
{
    QString result;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (canEncode(c))
            continue;
        qsizetype len = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode()))
            len = 2;
        const QStringView one = text.mid(i, len);
        if (!result.contains(one))
            result.append(one);
        i += len - 1;
    }
    return result;
}

QStringList controlCharacterNames(QStringView text)
{
    QStringList names;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!isControl(c))
            continue;
        QString name;
        if (c == u'\n' || c == u'\r')
            name = QStringLiteral("line break");
        else if (c == u'\t')
            name = QStringLiteral("tab");
        else
            name = QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F: Qt's fast Latin-1 conversion does the
// bulk, and only the characters from 0x80 up are looked at one by one. Text is almost all
// ASCII, so the searches for them (and for line ends) test eight bytes at a time.

quint64 loadWord(const void *p)
{
    quint64 w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

qsizetype skipAsciiBytes(const unsigned char *in, qsizetype i, qsizetype n)
{
    while (n - i >= 8 && (loadWord(in + i) & 0x8080808080808080ULL) == 0)
        i += 8;
    while (i < n && in[i] < 0x80)
        ++i;
    return i;
}

qsizetype skipAsciiChars(const char16_t *in, qsizetype i, qsizetype n)
{
    while (n - i >= 4 && (loadWord(in + i) & 0xFF80FF80FF80FF80ULL) == 0)
        i += 4;
    while (i < n && in[i] < 0x80)
        ++i;
    return i;
}

// True when one of the four characters in w is c.
bool holdsChar(quint64 w, quint64 c)
{
    const quint64 x = w ^ (c * 0x0001000100010001ULL);
    return ((x - 0x0001000100010001ULL) & ~x & 0x8000800080008000ULL) != 0;
}

qsizetype findLineEnd(const char16_t *in, qsizetype i, qsizetype n)
{
    while (n - i >= 4) {
        const quint64 w = loadWord(in + i);
        if (holdsChar(w, u'\r') || holdsChar(w, u'\n'))
            break;
        i += 4;
    }
    while (i < n && in[i] != u'\r' && in[i] != u'\n')
        ++i;
    return i;
}

} // namespace

QString decode(const QByteArray &bytes)
{
    QString result = QString::fromLatin1(bytes);
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    QChar *out = nullptr;
    for (qsizetype i = skipAsciiBytes(in, 0, n); i < n; i = skipAsciiBytes(in, i + 1, n)) {
        if (in[i] < 0xA0) {
            if (!out)
                out = result.data();
            out[i] = QChar(kHighTable[in[i] - 0x80]);
        }
    }
    return result;
}

namespace {

// Strict: false at the first character the code page lacks; else that character becomes "?".
bool encodeInto(QStringView text, QByteArray &bytes, bool strict)
{
    bytes = text.toLatin1();
    const char16_t *in = text.utf16();
    const qsizetype n = text.size();
    char *out = nullptr;
    for (qsizetype i = skipAsciiChars(in, 0, n); i < n; i = skipAsciiChars(in, i + 1, n)) {
        if (strict && !canEncode(in[i]))
            return false;
        if (!out)
            out = bytes.data();
        out[i] = encodeChar(in[i]);
    }
    return true;
}

} // namespace

QByteArray encode(QStringView text)
{
    QByteArray result;
    encodeInto(text, result, false);
    return result;
}

bool encodeStrict(QStringView text, QByteArray &bytes)
{
    return encodeInto(text, bytes, true);
}

std::vector<QStringView> splitLineViews(QStringView text)
{
    std::vector<QStringView> lines;
    const char16_t *data = text.utf16();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = findLineEnd(data, 0, n); i < n; i = findLineEnd(data, start, n)) {
        lines.emplace_back(data + start, i - start);
        if (data[i] == u'\r' && i + 1 < n && data[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.emplace_back(data + start, n - start);
    return lines;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    for (QStringView line : splitLineViews(text))
        lines.append(line.toString());
    return lines;
}

bool isRegularFile(const QString &fileName)
{
    return QFileInfo(fileName).isFile();
}

bool readText(const QString &fileName, QString &text)
{
    // Seen before it is opened: a file replaced in between is told as changed, never missed.
    FileStamps::noteRead(fileName);
    if (!isRegularFile(fileName))
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    text = decode(bytes);
    return true;
}

bool readLines(const QString &fileName, QStringList &lines)
{
    QString text;
    if (!readText(fileName, text))
        return false;
    lines = splitLines(text);
    return true;
}

namespace {

QString &lastError()
{
    static QString error;
    return error;
}

QString &lastFile()
{
    static QString file;
    return file;
}

} // namespace

QString lastWriteError()
{
    return lastError();
}

void setLastWriteError(const QString &reason)
{
    lastError() = reason;
    lastFile().clear();
}

QString lastWriteFile()
{
    return lastFile();
}

void setLastWriteFile(const QString &fileName)
{
    lastFile() = fileName;
}

QString withReason(const QString &message, const QString &reason)
{
    return reason.isEmpty() ? message : message + QStringLiteral(": ") + reason;
}

QString withWriteReason(const QString &message)
{
    const QString &file = lastFile();
    if (lastWriteError().isEmpty() || file.isEmpty() || message.contains(file))
        return withReason(message, lastWriteError());
    return withReason(message, file + QStringLiteral(": ") + lastWriteError());
}

QString unencodableReason(QStringView text)
{
    return QStringLiteral("the characters %1 cannot be stored in Windows-1252").arg(unencodable(text));
}

bool writeFileAtomically(const QString &fileName, const QByteArray &bytes)
{
    setLastWriteError(QString());
    // A file of the project is written as part of the change it belongs to.
    bool handled = false;
    QString reason;
    const bool written = FileChange::writeFile(fileName, bytes, handled, reason);
    if (handled) {
        if (!written) {
            setLastWriteError(reason);
            setLastWriteFile(QFileInfo(fileName).fileName());
        }
        return written;
    }
    QSaveFile file(fileName);
    // Unbuffered: every write goes to the system here, so a full disk fails the write that hit
    // it instead of a flush inside commit(), whose error would not keep the old file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setLastWriteError(file.errorString());
        return false;
    }
    auto fail = [&] {
        const QString reason = file.errorString();
        setLastWriteError(reason.isEmpty() ? QStringLiteral("the file could not be written") : reason);
        file.cancelWriting();
        return false;
    };
    // A short write is tried again for the rest: the next one then fails with the system's reason.
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0)
            return fail();
        data += written;
        left -= written;
    }
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return fail();
    if (!file.commit()) {
        setLastWriteError(file.errorString());
        return false;
    }
    FileStamps::noteWritten(fileName);
    return true;
}

bool writeText(const QString &fileName, QStringView text)
{
    setLastWriteError(QString());
    QByteArray bytes;
    if (!encodeStrict(text, bytes)) {
        setLastWriteError(unencodableReason(text));
        return false;
    }
    return writeFileAtomically(fileName, bytes);
}

bool writeLines(const QString &fileName, const QStringList &lines)
{
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QString text;
    text.reserve(size);
    for (const QString &line : lines)
        text.append(line).append(u"\r\n");
    return writeText(fileName, text);
}

} // namespace ansi
