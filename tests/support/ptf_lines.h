#pragma once

#include <QString>
#include <QStringList>

// The lines of a table file: the header, the quoted names, one line per row (values as they
// stand in the file, the final comma added) and the field count; a test that wants a damaged
// file gives a count of its own.
inline QStringList ptfLines(const QStringList &names, const QStringList &rows, int fieldCount = -1)
{
    QString nameLine;
    for (const QString &name : names)
        nameLine += QLatin1Char('"') + name + QStringLiteral("\",");
    QStringList lines{QStringLiteral("/* Portable Table Format 1.0 */"),
                      QStringLiteral("porTables[porTables.length] = new Array("), nameLine};
    for (const QString &row : rows)
        lines << row + QLatin1Char(',');
    lines << QString::number(fieldCount < 0 ? names.size() : fieldCount) + QStringLiteral(");");
    return lines;
}
