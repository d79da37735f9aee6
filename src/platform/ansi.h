#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Table and INI files are Windows-1252 text with CR LF line ends, so that projects
// made on Windows open unchanged. Every byte value maps to one character and back.
namespace ansi {

QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text);

// Splits at CR LF, lone CR or lone LF; a final line end does not start another line.
QStringList splitLines(const QString &text);

// Reads a whole text file; false when it cannot be opened or read.
bool readLines(const QString &fileName, QStringList &lines);

// Writes every line followed by CR LF into a temporary file beside the target and
// renames it over the target, so a failed write never leaves a half-written file.
bool writeLines(const QString &fileName, const QStringList &lines);

// The same atomic replacement for raw bytes.
bool writeFileAtomically(const QString &fileName, const QByteArray &bytes);

} // namespace ansi
