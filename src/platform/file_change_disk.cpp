#include "platform/file_change_disk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace change_disk {

using journal::Entry;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

bool pathExists(const QString &path)
{
    struct stat st;
    return ::lstat(nativePath(path).constData(), &st) == 0;
}

namespace {
FileChange::DiskRecorder g_recorder;
void (*g_stepObserver)() = nullptr;
} // namespace

void setStepObserver(void (*observer)())
{
    g_stepObserver = observer;
}

void stepDone()
{
    if (g_stepObserver)
        g_stepObserver();
}

void setRecorder(FileChange::DiskRecorder recorder)
{
    g_recorder = std::move(recorder);
}

bool allowed(Call::Kind kind, const QString &path, const QString &target, const QByteArray &bytes)
{
    if (!g_recorder || g_recorder(Call{kind, path, target, bytes}))
        return true;
    errno = EIO;
    return false;
}

// A new file for writing; exclusive: one that is there already is an error.
int diskCreate(const QString &path, bool exclusive)
{
    if (!allowed(Call::Create, path))
        return -1;
    return ::open(nativePath(path).constData(),
                  O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL | O_APPEND : O_TRUNC), 0644);
}

bool diskSyncFile(int fd, const QString &path)
{
    return allowed(Call::SyncFile, path) && ::fdatasync(fd) == 0;
}

int diskRename(const QString &from, const QString &to)
{
    return allowed(Call::Rename, from, to) ? ::rename(nativePath(from).constData(), nativePath(to).constData()) : -1;
}

int diskLink(const QString &from, const QString &to)
{
    return allowed(Call::Link, from, to) ? ::link(nativePath(from).constData(), nativePath(to).constData()) : -1;
}

int diskUnlink(const QString &path)
{
    return allowed(Call::Unlink, path) ? ::unlink(nativePath(path).constData()) : -1;
}

// Makes the names in the folder durable: the entries made, renamed and removed in it so far.
bool diskSyncFolder(const QString &folder, int &error)
{
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool ok = fd >= 0 && allowed(Call::SyncFolder, folder) && ::fsync(fd) == 0;
    if (!ok)
        error = errno;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// Makes the bytes of the file that the name holds now durable; a name that is gone needs none.
bool syncFileByName(const QString &path, int &error)
{
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return errno == ENOENT;
    }
    const bool ok = diskSyncFile(fd, path);
    if (!ok)
        error = errno;
    ::close(fd);
    return ok;
}

// Writes all of the bytes to the descriptor, a short write tried again for the rest.
bool writeAll(int fd, const char *data, qint64 size, int &error)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool diskWrite(int fd, const QString &path, const QByteArray &bytes, int &error)
{
    if (!allowed(Call::Write, path, QString(), bytes)) {
        error = errno;
        return false;
    }
    return writeAll(fd, bytes.constData(), bytes.size(), error);
}

// Syncs each folder once; false with the system's error of the first that fails.
bool syncFolders(const QStringList &folders, QString &error)
{
    for (const QString &dir : folders) {
        int err = 0;
        if (!diskSyncFolder(dir, err)) {
            error = dir + QStringLiteral(": ") + systemReason(err);
            return false;
        }
    }
    return true;
}

// A new file with the bytes, made durable unless sync is false; false with the system's error,
// nothing left behind.
bool writeNewFile(const QString &path, const QByteArray &bytes, int &error, bool sync,
                  const std::function<bool(int fd)> &beforeBytes)
{
    const int fd = diskCreate(path, bool(beforeBytes));
    if (fd < 0) {
        error = errno;
        return false;
    }
    bool ok = (!beforeBytes || beforeBytes(fd)) && diskWrite(fd, path, bytes, error);
#ifdef SYNC_FILE_RANGE_WRITE
    // The bytes start on their way to the disk now, so that the sync before done, of all the
    // change's files one after the other, finds most of them there already. Only a hint.
    if (ok && !sync)
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    if (ok && sync && !diskSyncFile(fd, path)) {
        error = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (!ok)
        diskUnlink(path);
    return ok;
}

bool readWhole(const QString &path, QByteArray &bytes, int &error)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        error = EIO;
        return false;
    }
    bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        error = EIO;
        return false;
    }
    return true;
}

// Removes the file unless it is a folder; false only when a file stays.
bool removeIfThere(const QString &path)
{
    return diskUnlink(path) == 0 || errno == ENOENT || errno == EISDIR;
}


namespace {

// The journal's file, locked and holding the header, under no name yet (or, where a file system
// has no unnamed files, under a name of its own); -1 with errno set.
int lockedJournalFile(const QString &folder, const QString &journal, bool unnamed, QByteArray &temp)
{
#ifdef O_TMPFILE
    int fd = unnamed ? ::open(nativePath(folder).constData(), O_WRONLY | O_TMPFILE | O_APPEND | O_CLOEXEC, 0644) : -1;
#else
    Q_UNUSED(unnamed);
    int fd = -1;
#endif
    for (int i = 0; fd < 0 && i < 100; ++i) {
        temp = nativePath(QStringLiteral("%1-%2-%3").arg(journal).arg(::getpid()).arg(i));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return -1;
    int err = 0;
    if (::flock(fd, LOCK_EX) != 0 || !writeAll(fd, journal::kHeader.constData(), journal::kHeader.size(), err)) {
        err = err ? err : errno;
        ::close(fd);
        if (!temp.isEmpty())
            ::unlink(temp.constData());
        errno = err;
        return -1;
    }
    return fd;
}

// Gives the journal's file the journal's name; fails with EEXIST when a journal is there.
bool linkJournalName(int fd, const QByteArray &temp, const QByteArray &name)
{
    if (!temp.isEmpty()) {
        const bool ok = ::link(temp.constData(), name.constData()) == 0;
        const int err = errno;
        ::unlink(temp.constData());
        errno = err;
        return ok;
    }
#ifdef AT_EMPTY_PATH
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    return errno != EEXIST && ::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0;
#else
    errno = ENOTSUP;
    return false;
#endif
}

} // namespace

int takeJournal(const QString &folder, const QString &journal)
{
    const QByteArray name = nativePath(journal);
    QByteArray temp;
    int fd = lockedJournalFile(folder, journal, true, temp);
    bool named = fd >= 0 && linkJournalName(fd, temp, name);
    if (fd >= 0 && !named && errno != EEXIST && temp.isEmpty()) {
        // An unnamed file cannot be named here (no /proc): one of a name of its own, then.
        ::close(fd);
        fd = lockedJournalFile(folder, journal, false, temp);
        named = fd >= 0 && linkJournalName(fd, temp, name);
    }
    if (fd >= 0 && !named) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

QString cleanFolder(const QString &folder)
{
    return folder.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}



QStringList foldersOf(const QString &folder, const std::vector<Entry> &entries)
{
    QSet<QString> seen;
    QStringList folders{folder};
    for (const Entry &e : entries) {
        const QString dir = QFileInfo(folder + QLatin1Char('/') + e.file).absolutePath();
        if (dir != folder && !seen.contains(dir)) {
            seen.insert(dir);
            folders << dir;
        }
    }
    return folders;
}

// Puts every touched file back, last touched first; false when a kept file could not be put
// back (the journal must then stay for another try).
bool undoEntries(const QString &folder, const std::vector<Entry> &entries, const QStringList &scratch,
                 QString &error)
{
    bool ok = true;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const QString file = folder + QLatin1Char('/') + it->file;
        if (!it->backup.isEmpty()) {
            const QString backup = folder + QLatin1Char('/') + it->backup;
            // No kept file: the change had not yet touched this one. A file still linked to its
            // kept one was never replaced, and a rename between two links of one file does nothing.
            struct stat kept, now;
            if (::lstat(nativePath(backup).constData(), &kept) != 0) {
                // nothing kept: nothing to put back
            } else if (::lstat(nativePath(file).constData(), &now) == 0 && kept.st_dev == now.st_dev
                       && kept.st_ino == now.st_ino) {
                removeIfThere(backup);
            } else if (diskRename(backup, file) != 0) {
                error += (error.isEmpty() ? QString() : QStringLiteral("; ")) + it->file + QStringLiteral(": ") +
                         systemReason(errno);
                ok = false;
            }
        } else if (!removeIfThere(file)) {
            error += (error.isEmpty() ? QString() : QStringLiteral("; ")) + it->file + QStringLiteral(": ") +
                     systemReason(errno);
            ok = false;
        }
        removeIfThere(folder + QLatin1Char('/') + it->temp);
    }
    for (const QString &name : scratch)
        removeIfThere(folder + QLatin1Char('/') + name);
    // The files put back must stay so after a power cut before the journal that names them goes.
    if (ok && !syncFolders(foldersOf(folder, entries), error))
        ok = false;
    return ok;
}

void clearEntries(const QString &folder, const std::vector<Entry> &entries, const QStringList &scratch)
{
    for (const Entry &e : entries) {
        if (!e.backup.isEmpty())
            removeIfThere(folder + QLatin1Char('/') + e.backup);
        removeIfThere(folder + QLatin1Char('/') + e.temp);
        stepDone();
    }
    for (const QString &name : scratch)
        removeIfThere(folder + QLatin1Char('/') + name);
}

} // namespace change_disk
