#include "platform/file_change_checks.h"

#include "platform/file_change_disk.h"
#include "platform/file_change_journal.h"
#include "platform/file_stamps.h"

#include <QDir>
#include <QStringList>

#include <sys/stat.h>

namespace change_checks {

QString changedElsewhere(const QString &folder, const QString &journalPath, const QString &rel)
{
    const QString changed = FileStamps::firstChangedUnder(folder, journalPath);
    if (changed.isEmpty())
        return QString();
    const QString name = QDir(folder).relativeFilePath(changed);
    return FileStamps::changedElsewhereReason(journal::shown(name), name == rel);
}

QString linkOnTheWay(const QString &folder, const QString &rel)
{
    // A folder on the way that is a link would take the change out of the project folder, where
    // its recovery does not follow it.
    const QStringList parts = rel.split(QLatin1Char('/'));
    QString path = folder;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        path += QLatin1Char('/') + parts[i];
        struct stat st;
        if (::lstat(change_disk::nativePath(path).constData(), &st) != 0)
            break;
        if (S_ISLNK(st.st_mode))
            return QStringLiteral("the name %1 passes through a symbolic link (%2); nothing was written through it")
                .arg(journal::shown(rel), journal::shown(QStringList(parts.mid(0, i + 1)).join(QLatin1Char('/'))));
    }
    return QString();
}

QString StrayFiles::besideOf(const QString &folder, const QString &rel)
{
    const qsizetype slash = rel.lastIndexOf(QLatin1Char('/'));
    const QString dir = slash < 0 ? QString() : rel.left(slash);
    auto it = m_byFolder.find(dir);
    if (it == m_byFolder.end()) {
        QHash<QString, QString> beside;
        const QString prefix = dir.isEmpty() ? QString() : dir + QLatin1Char('/');
        const QStringList names =
            QDir(dir.isEmpty() ? folder : folder + QLatin1Char('/') + dir)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &name : names) {
            if (journal::isChangeFileName(name) && !beside.contains(prefix + journal::baseOfChangeFile(name)))
                beside.insert(prefix + journal::baseOfChangeFile(name), prefix + name);
        }
        it = m_byFolder.insert(dir, beside);
    }
    const auto stray = it->constFind(rel);
    if (stray == it->constEnd())
        return QString();
    return QStringLiteral("a kept or temporary file of another change (%1) lies beside it; put it in order or remove "
                          "it, then save again")
        .arg(journal::shown(*stray));
}

} // namespace change_checks
