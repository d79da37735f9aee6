#pragma once

#include <QHash>
#include <QString>

// What a change checks of a file before its first write, under its journal's lock: that the
// project is as this copy saw it, that the name reaches no farther than the folder, and that no
// file of another change lies beside it, whose recovery the new journal could not tell apart.
// Each gives the reason against the file, empty for none. Used by FileChange alone.
namespace change_checks {

// A file this copy read that another program changed since (the journal itself passed over): a
// save relies on every file of the project that went into its tables.
QString changedElsewhere(const QString &folder, const QString &journalPath, const QString &rel);

// A folder on the way that is a symbolic link. Only the last part may be a link: the file's own
// link is replaced by the file, its target left as it is.
QString linkOnTheWay(const QString &folder, const QString &rel);

// The kept, temporary and copy files of another change, by the file they lie beside; each folder
// of the change is looked at once.
class StrayFiles
{
public:
    QString besideOf(const QString &folder, const QString &rel);

private:
    QHash<QString, QHash<QString, QString>> m_byFolder; // folder-relative folder: file -> first such file
};

} // namespace change_checks
