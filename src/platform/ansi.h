#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// Table and INI files are Windows-1252 text with CR LF line ends, so that projects
// made on Windows open unchanged. Every byte value maps to one character and back.
namespace ansi {

QString decode(const QByteArray &bytes);
QByteArray encode(QStringView text);
// One character; '?' for a character the code page lacks.
char encodeChar(char16_t c);
// True when the code page holds the character.
bool canEncode(char16_t c);
// The characters of the text that the code page lacks, each once, in order of first
// appearance (a character outside the basic plane stays whole); empty when all fit.
QString unencodable(QStringView text);
// Encodes the text; false (bytes undefined) when a character does not fit, so nothing
// is ever silently replaced on its way to a file.
bool encodeStrict(QStringView text, QByteArray &bytes);

// The control characters U+0000..U+001F and U+007F: a name or text holding one would break a
// table file's line or the website reading it, so no text field may hold them.
inline bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7F;
}
// Names the control characters of the text as a reader knows them ("line break" for CR and LF,
// "tab", else "U+001B"), each name once, in order of first appearance; empty when there is none.
QStringList controlCharacterNames(QStringView text);

// Splits at CR LF, lone CR or lone LF; a final line end does not start another line.
QStringList splitLines(const QString &text);
// The same lines as views into the text, which must outlive them.
std::vector<QStringView> splitLineViews(QStringView text);

// True when the name is that of a regular file, after links. A name from a project may name a
// pipe or a device, whose read waits for ever or never ends, or a folder: every reader of a
// project's files asks this before it opens one, and refuses what is not.
bool isRegularFile(const QString &fileName);

// Reads a whole text file; false when it cannot be opened or read, or is no regular file.
bool readLines(const QString &fileName, QStringList &lines);
// The whole file as one text, for readers that take its lines as views.
bool readText(const QString &fileName, QString &text);

// Writes every line followed by CR LF into a temporary file beside the target and
// renames it over the target, so a failed write never leaves a half-written file. Text
// that the code page cannot hold is refused, as by writeText.
bool writeLines(const QString &fileName, const QStringList &lines);

// The same for a text that holds its own line ends. A text with a character the code page
// lacks is refused (false, the file untouched) rather than written with a "?" for it.
bool writeText(const QString &fileName, QStringView text);

// The same atomic replacement for raw bytes.
bool writeFileAtomically(const QString &fileName, const QByteArray &bytes);

// Why the last write of this unit failed (the system's text), for a message that names
// the reason; a writer that refuses text itself sets it too.
QString lastWriteError();
// Sets the reason; the file it concerns is cleared with it.
void setLastWriteError(const QString &reason);
// The name of the file the last failed write concerns, for a message that does not name it.
QString lastWriteFile();
void setLastWriteFile(const QString &fileName);
// A failed write's message with its reason: "<message>: <reason>", the message alone when no
// reason is known.
QString withReason(const QString &message, const QString &reason);
// The same with the reason of the last write, which every writer clears when it starts, so
// it never tells of an earlier write. A message that does not name the file the write concerns
// gets its name before the reason: "<message>: <file>: <reason>".
QString withWriteReason(const QString &message);
// The reason given when a text holds characters the code page lacks.
QString unencodableReason(QStringView text);

} // namespace ansi
