#include "platform/file_change_journal.h"

#include "platform/file_change_disk.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace journal {

const QByteArray kHeader = QByteArrayLiteral("KORVALIN-CHANGE 1\n");

QByteArray encodeName(const QString &rel)
{
    return QUrl::toPercentEncoding(rel, "/");
}

namespace {

using change_disk::nativePath;
using change_disk::systemReason;

// The change's own name for a file beside it: the suffix, then nothing or a count from 2 on, as
// the change picks a name that nothing uses yet.
bool isOwnName(const QString &name, const QString &file, QLatin1StringView suffix)
{
    const QString base = file + suffix;
    if (name == base)
        return true;
    if (!name.startsWith(base))
        return false;
    const QString count = name.mid(base.size());
    bool ok = false;
    const int n = count.toInt(&ok);
    return ok && n >= 2 && QString::number(n) == count;
}

const QLatin1StringView kOld(".korvalin-old");
const QLatin1StringView kNew(".korvalin-new");
const QLatin1StringView kCopy(".korvalin-copy");

// What the lines of a journal say, and the first reason it is not one this program writes.
struct Parsed
{
    std::vector<Entry> entries;
    QStringList scratch;
    QSet<QString> gone;                 // files the change removed
    QHash<QString, QSet<quint64>> made; // files the change made, by the inodes it gave them
    bool done = false;
    bool empty = false; // not one whole line: the change had not named a file yet
    QString fault;
    QStringList named;

    void refuse(const QString &why)
    {
        if (fault.isEmpty())
            fault = why;
    }
};

// The start of a line of a journal, as a write cut short leaves it (zeros where its bytes had
// not reached the disk).
bool isCutLine(QByteArray tail)
{
    while (tail.endsWith('\0'))
        tail.chop(1);
    if (tail.isEmpty())
        return true;
    const qsizetype tab = tail.indexOf('\t');
    const QByteArray kind = tab < 0 ? tail : tail.left(tab);
    for (const char *k : {"keep", "new", "scratch", "gone", "made", "done"}) {
        if (tab < 0 ? QByteArray(k).startsWith(kind) : kind == k)
            return !tail.contains('\0');
    }
    return false;
}

class Parser
{
public:
    Parser(const QString &folder, const QString &journalName) : m_folder(folder), m_journalName(journalName) {}

    Parsed parse(const QByteArray &bytes)
    {
        const qsizetype end = bytes.lastIndexOf('\n') + 1; // the whole lines end here
        const QByteArray tail = bytes.mid(end);
        // Not one whole line after the header: the change had not named a file yet. The first
        // write of a journal holds the header and the first line.
        QByteArray start = bytes;
        while (start.endsWith('\0'))
            start.chop(1);
        if ((end == 0 && kHeader.startsWith(start)) ||
            (end == kHeader.size() && bytes.startsWith(kHeader) && isCutLine(tail))) {
            m_p.empty = true;
            return m_p;
        }
        if (!bytes.startsWith(kHeader)) {
            m_p.refuse(QStringLiteral("it does not begin as a journal of this program does"));
            return m_p;
        }
        const QList<QByteArray> lines = bytes.mid(kHeader.size(), end - kHeader.size() - 1).split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i)
            line(int(i) + 2, lines[i]);
        // A kill or a power cut can leave the last line cut short, or zeros where it had not yet
        // reached the disk: a line that is not whole was never acted on.
        if (!tail.isEmpty() && (m_p.done || !isCutLine(tail)))
            m_p.refuse(QStringLiteral("its last line is not one of a journal of this program"));
        return m_p;
    }

private:
    bool isFolderName(const QString &name) const
    {
        return !name.isEmpty() && QDir::cleanPath(name) == name && !QDir::isAbsolutePath(name) &&
               name != QLatin1String("..") && !name.startsWith(QLatin1String("../")) && name != m_journalName &&
               !name.contains(QChar(0));
    }

    // The name of a field, or why it is none this program writes for the folder.
    bool name(int at, const QByteArray &field, QString &result)
    {
        if (field.size() > 3 * PATH_MAX) {
            m_p.refuse(QStringLiteral("line %1 holds a name longer than the system allows").arg(at));
            return false;
        }
        result = QUrl::fromPercentEncoding(field);
        if (encodeName(result) != field) {
            m_p.refuse(QStringLiteral("line %1 holds a name not written as this program writes names").arg(at));
            return false;
        }
        if (!isFolderName(result)) {
            m_p.refuse(QStringLiteral("the name %1 (line %2) is not a file of the project folder").arg(result).arg(at));
            return false;
        }
        const QStringList parts = result.split(QLatin1Char('/'));
        const bool partTooLong = std::any_of(parts.cbegin(), parts.cend(),
                                             [](const QString &p) { return nativePath(p).size() > NAME_MAX; });
        if (partTooLong || nativePath(m_folder + QLatin1Char('/') + result).size() >= PATH_MAX) {
            m_p.refuse(QStringLiteral("the name %1 (line %2) is longer than the system allows").arg(result).arg(at));
            return false;
        }
        if (m_all.contains(result)) {
            m_p.refuse(QStringLiteral("the name %1 is named twice (line %2)").arg(result).arg(at));
            return false;
        }
        return true;
    }

    // Names that only refer back to a file named before.
    bool namedBefore(int at, const QByteArray &field, QString &result)
    {
        result = QUrl::fromPercentEncoding(field);
        if (encodeName(result) == field && m_files.contains(result))
            return true;
        m_p.refuse(QStringLiteral("line %1 refers to a file the journal does not name before").arg(at));
        return false;
    }

    void ownName(int at, const QString &name, const QString &file, QLatin1StringView suffix, const char *what)
    {
        if (!isOwnName(name, file, suffix))
            m_p.refuse(QStringLiteral("the %1 %2 (line %3) is not the change's own name for %4")
                           .arg(QLatin1String(what), name)
                           .arg(at)
                           .arg(file));
    }

    // The names of fields first to last, each checked and taken; false at the first that is none.
    bool names(int at, const QList<QByteArray> &fields, QStringList &result)
    {
        for (qsizetype i = 1; i < fields.size(); ++i) {
            QString n;
            if (!name(at, fields[i], n))
                return false;
            m_all.insert(n);
            result << n;
        }
        return true;
    }

    void line(int at, const QByteArray &text)
    {
        const QList<QByteArray> f = text.split('\t');
        const QByteArray &kind = f[0];
        if (m_p.done)
            m_p.refuse(QStringLiteral("line %1 follows the line that marks the change complete").arg(at));
        // The file a line names is told even when the line is refused.
        if ((kind == "keep" || kind == "new") && f.size() > 1)
            m_p.named << QUrl::fromPercentEncoding(f[1]);
        QStringList n;
        QString a;
        if (kind == "keep" && f.size() == 4) {
            if (names(at, f, n)) {
                ownName(at, n[1], n[0], kOld, "kept file");
                ownName(at, n[2], n[0], kNew, "temporary file");
                m_files.insert(n[0]);
                m_kept << n[0];
                m_p.entries.push_back({n[0], n[1], n[2]});
            }
        } else if (kind == "new" && f.size() == 3) {
            if (names(at, f, n)) {
                ownName(at, n[1], n[0], kNew, "temporary file");
                m_files.insert(n[0]);
                m_p.entries.push_back({n[0], QString(), n[1]});
            }
        } else if (kind == "scratch" && f.size() == 2) {
            if (names(at, f, n)) {
                if (std::none_of(m_kept.cbegin(), m_kept.cend(),
                                 [&](const QString &file) { return isOwnName(n[0], file, kCopy); }))
                    m_p.refuse(QStringLiteral("the copy %1 (line %2) is not the change's own name for a file it keeps")
                                   .arg(n[0])
                                   .arg(at));
                m_p.scratch << n[0];
            }
        } else if (kind == "gone" && f.size() == 2) {
            if (namedBefore(at, f[1], a))
                m_p.gone.insert(a);
        } else if (kind == "made" && f.size() == 3) {
            bool ok = false;
            const quint64 inode = f[2].toULongLong(&ok);
            if (!ok || QByteArray::number(inode) != f[2])
                m_p.refuse(QStringLiteral("line %1 is not a line of a journal of this program").arg(at));
            else if (namedBefore(at, f[1], a))
                m_p.made[a].insert(inode);
        } else if (kind == "done" && f.size() == 1) {
            m_p.done = true;
        } else {
            m_p.refuse(QStringLiteral("line %1 is not a line of a journal of this program").arg(at));
        }
    }

    QString m_folder;
    QString m_journalName;
    Parsed m_p;
    QSet<QString> m_all;   // every name of a file, a kept, temporary or copy file
    QSet<QString> m_files; // the files the change touched
    QStringList m_kept;    // those it kept the old state of
};

// The state of a name below the folder, none of its parts followed when it is a link.
struct OnDisk
{
    bool there = false;
    quint64 inode = 0;
    QString fault; // a part is a link or not a folder, or the name is no regular file
};

OnDisk onDisk(const QString &folder, const QString &rel)
{
    OnDisk result;
    QString path = folder;
    const QStringList parts = rel.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        path += QLatin1Char('/') + parts[i];
        struct stat st;
        if (::lstat(nativePath(path).constData(), &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                result.fault = QStringLiteral("%1: %2").arg(rel, systemReason(errno));
            return result;
        }
        const bool last = i + 1 == parts.size();
        if (S_ISLNK(st.st_mode)) {
            result.fault = QStringLiteral("the name %1 passes through a symbolic link (%2)")
                               .arg(rel, QStringList(parts.mid(0, i + 1)).join(QLatin1Char('/')));
            return result;
        }
        if (!last && !S_ISDIR(st.st_mode))
            return result; // a file where a folder would be: the name is not there
        if (last && !S_ISREG(st.st_mode)) {
            result.fault = QStringLiteral("%1 is not a regular file").arg(rel);
            return result;
        }
        if (last) {
            result.there = true;
            result.inode = st.st_ino;
        }
    }
    return result;
}

// Whether the files are in a state that the change the journal records can have left.
QString stateFault(const QString &folder, const Parsed &p)
{
    QHash<QString, OnDisk> disk;
    auto at = [&](const QString &rel) -> const OnDisk & {
        auto it = disk.find(rel);
        if (it == disk.end())
            it = disk.insert(rel, onDisk(folder, rel));
        return *it;
    };
    QStringList names = p.scratch;
    for (const Entry &e : p.entries)
        names << e.file << e.backup << e.temp;
    for (const QString &name : std::as_const(names)) {
        if (!name.isEmpty() && !at(name).fault.isEmpty())
            return at(name).fault;
    }
    for (const Entry &e : p.entries) {
        const bool file = at(e.file).there;
        const bool gone = p.gone.contains(e.file);
        if (p.done) {
            if (!file && !gone)
                return QStringLiteral("the change is marked complete, but its file %1 is not there").arg(e.file);
        } else if (!e.backup.isEmpty()) {
            const bool kept = at(e.backup).there;
            if (kept && !file && !gone)
                return QStringLiteral("the kept file %1 lies there, but %2 is missing and the journal does not say it "
                                      "was removed")
                    .arg(e.backup, e.file);
            if (!kept && !file)
                return QStringLiteral("neither %1 nor its kept file %2 is there").arg(e.file, e.backup);
        } else if (file && !p.made.value(e.file).contains(at(e.file).inode)) {
            return QStringLiteral("the file %1 is there, but the journal does not show that the change made it")
                .arg(e.file);
        }
    }
    return QString();
}

// The files in the folder and below it that bear the names the change gives its own files.
QStringList lyingFiles(const QString &folder)
{
    static const QRegularExpression own(QStringLiteral("\\.korvalin-(old|new|copy)\\d*$"));
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    for (int seen = 0; it.hasNext() && seen < 100000; ++seen) {
        const QString path = it.next();
        if (own.match(path).hasMatch())
            found << QDir(folder).relativeFilePath(path);
    }
    found.sort();
    return found;
}

Reading refuse(const QString &folder, const QString &why, Reading r = Reading())
{
    if (r.fd >= 0)
        ::close(r.fd);
    r.fd = -1;
    r.verdict = Reading::Refuse;
    r.refusal = why;
    r.lying = lyingFiles(folder);
    r.entries.clear();
    r.scratch.clear();
    return r;
}

// The journal's bytes; false with the system's reason.
bool readAll(int fd, qint64 size, QByteArray &bytes, QString &error)
{
    bytes.resize(size);
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = systemReason(errno);
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return true;
}

} // namespace

Reading read(const QString &folder, const QString &journalName)
{
    Reading r;
    const QString path = folder + QLatin1Char('/') + journalName;
    const QByteArray native = nativePath(path);
    // The lock is the file's, the name the folder's: a journal removed and made anew between the
    // opening and the lock is not the one locked, and the reading starts again.
    for (int attempt = 0;; ++attempt) {
        struct stat named;
        if (::lstat(native.constData(), &named) != 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                return r; // no journal, or no folder
            return refuse(folder, QStringLiteral("it cannot be read: %1").arg(systemReason(errno)));
        }
        if (!S_ISREG(named.st_mode))
            return refuse(folder, S_ISLNK(named.st_mode) ? QStringLiteral("it is a symbolic link")
                                                         : QStringLiteral("it is not a regular file"));
        r.fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (r.fd < 0) {
            if (errno == ENOENT && attempt < 100)
                continue;
            return refuse(folder, QStringLiteral("it cannot be read: %1").arg(systemReason(errno)));
        }
        struct stat opened;
        if (::fstat(r.fd, &opened) != 0 || !S_ISREG(opened.st_mode))
            return refuse(folder, QStringLiteral("it is not a regular file"), r);
        if (::flock(r.fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(r.fd);
            r.fd = -1;
            if (err == EWOULDBLOCK) {
                r.verdict = Reading::Busy;
                return r;
            }
            return refuse(folder, QStringLiteral("it cannot be locked: %1").arg(systemReason(err)));
        }
        struct stat now;
        if (::lstat(native.constData(), &now) == 0 && now.st_dev == opened.st_dev && now.st_ino == opened.st_ino)
            break;
        ::close(r.fd);
        r.fd = -1;
        if (attempt >= 100) {
            r.verdict = Reading::Busy;
            return r;
        }
    }
    struct stat st;
    if (::fstat(r.fd, &st) != 0)
        return refuse(folder, QStringLiteral("it cannot be read: %1").arg(systemReason(errno)), r);
    if (st.st_size > kMaxBytes)
        return refuse(folder,
                      QStringLiteral("it is larger (%1 bytes) than any change of this program writes").arg(st.st_size),
                      r);
    QByteArray bytes;
    QString error;
    if (!readAll(r.fd, st.st_size, bytes, error))
        return refuse(folder, QStringLiteral("it cannot be read: %1").arg(error), r);
    Parsed p = Parser(folder, journalName).parse(bytes);
    r.named = p.named;
    if (p.empty) {
        // Nothing named, nothing changed: only files of a change that lie in the folder would
        // say otherwise.
        if (!lyingFiles(folder).isEmpty())
            return refuse(folder, QStringLiteral("it is empty"), r);
        r.verdict = Reading::Act;
        return r;
    }
    if (p.fault.isEmpty())
        p.refuse(stateFault(folder, p));
    if (!p.fault.isEmpty())
        return refuse(folder, p.fault, r);
    r.verdict = Reading::Act;
    r.entries = std::move(p.entries);
    r.scratch = p.scratch;
    r.done = p.done;
    return r;
}

void release(Reading &reading)
{
    if (reading.fd >= 0)
        ::close(reading.fd);
    reading.fd = -1;
}

QStringList notPutBack(const QString &folder, const std::vector<Entry> &entries)
{
    QStringList files;
    for (const Entry &e : entries) {
        const OnDisk file = onDisk(folder, e.file);
        if (e.backup.isEmpty() ? file.there : onDisk(folder, e.backup).there)
            files << e.file;
    }
    return files;
}

} // namespace journal
