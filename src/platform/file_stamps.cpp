#include "platform/file_stamps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>

namespace {

// Every copy of the program, like most programs that save, writes a file anew and renames it
// into place: a new inode. Size and modification time catch a file rewritten in place. The change
// time is left out: another copy keeps a file's old bytes as a hard link while it writes, which
// changes the time without changing a byte, and its undone change would be taken for a change.
struct Stamp
{
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    qint64 mtimeNs = 0;
    // Its contents went into the tables: a save relies on it even where it writes another file.
    bool read = false;

    bool sameFile(const Stamp &o) const
    {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size && mtimeNs == o.mtimeNs;
    }
};

QHash<QString, Stamp> &stamps()
{
    static QHash<QString, Stamp> seen;
    return seen;
}

QString key(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

qint64 nanoseconds(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// A name that cannot be looked at (a folder on the way denies it) counts as absent: a later look
// that finds a file there differs.
Stamp stampOf(const QString &path)
{
    Stamp s;
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = nanoseconds(st.st_mtim);
    return s;
}

} // namespace

namespace FileStamps {

void noteRead(const QString &path)
{
    if (path.isEmpty())
        return;
    const QString name = key(path);
    const auto it = stamps().find(name);
    if (it != stamps().end()) {
        it->read = true; // what it wrote itself, now read: still as it last saw it
        return;
    }
    Stamp s = stampOf(name);
    s.read = true;
    stamps().insert(name, s);
}

bool seenThere(const QString &path)
{
    noteRead(path);
    return QFileInfo::exists(path);
}

void noteWritten(const QString &path)
{
    if (path.isEmpty())
        return;
    const QString name = key(path);
    Stamp s = stampOf(name);
    const auto it = stamps().constFind(name);
    s.read = it != stamps().constEnd() && it->read;
    stamps().insert(name, s);
}

bool unchanged(const QString &path)
{
    const QString name = key(path);
    const auto it = stamps().constFind(name);
    return it == stamps().constEnd() || it->sameFile(stampOf(name));
}

QString firstChangedUnder(const QString &folder, const QString &except)
{
    const QString prefix = key(folder) + QLatin1Char('/');
    const QString skipped = except.isEmpty() ? QString() : key(except);
    for (auto it = stamps().cbegin(); it != stamps().cend(); ++it) {
        if (it->read && it.key().startsWith(prefix) && it.key() != skipped && !it->sameFile(stampOf(it.key())))
            return it.key();
    }
    return QString();
}

void forgetAll()
{
    stamps().clear();
}

void forgetUnder(const QString &folder)
{
    const QString prefix = key(folder) + QLatin1Char('/');
    stamps().removeIf([&prefix](const auto &it) { return it.key().startsWith(prefix); });
}

QString changedElsewhereReason(const QString &file, bool written)
{
    return QStringLiteral("the project was changed elsewhere: another program changed %1%2 after this copy read "
                          "or saved it. Nothing of this save was written; open the project again to go on.")
        .arg(file, written ? QString() : QStringLiteral(", which this save relies on,"));
}

} // namespace FileStamps
