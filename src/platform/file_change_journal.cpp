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
const QRegularExpression &changeFileName()
{
    static const QRegularExpression own(QStringLiteral("^(.+)\\.korvalin-(old|new|copy)([2-9]|[1-9]\\d+)?$"));
    return own;
}
} // namespace

bool isChangeFileName(const QString &name)
{
    return changeFileName().match(name).hasMatch();
}

QString baseOfChangeFile(const QString &name)
{
    const QRegularExpressionMatch m = changeFileName().match(name);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString shown(const QString &name)
{
    constexpr qsizetype kLongest = 80;
    if (name.size() <= kLongest)
        return name;
    return name.left(kLongest / 2 - 1) + QStringLiteral("…") + name.right(kLongest / 2 - 1);
}

QString listed(const QStringList &names)
{
    constexpr qsizetype kMost = 20;
    QStringList once;
    QSet<QString> seen;
    qsizetype more = 0;
    for (const QString &name : names) {
        if (seen.contains(name))
            continue;
        seen.insert(name);
        if (once.size() < kMost)
            once << shown(name);
        else
            ++more;
    }
    QString text = once.join(QStringLiteral(", "));
    if (more > 0)
        text += QStringLiteral(" and %1 more").arg(more);
    return text;
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
    QHash<QString, QSet<quint64>> ids;  // temporary and copy files the change made, by their inodes
    bool done = false;
    bool empty = false; // not one whole line: the change had not named a file yet
    bool cut = false;   // the last line is not whole
    QString fault;
    QStringList named;

    void refuse(const QString &why)
    {
        if (fault.isEmpty())
            fault = why;
    }
};

const char *const kKinds[] = {"keep", "new", "scratch", "gone", "id", "done"};

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
    for (const char *k : kKinds) {
        if (tab < 0 ? QByteArray(k).startsWith(kind) : kind == k)
            return !tail.contains('\0');
    }
    return false;
}

// An inode as the change writes it: decimal, no sign, no leading zero.
bool inodeField(const QByteArray &field, quint64 &inode)
{
    bool ok = false;
    inode = field.toULongLong(&ok);
    return ok && QByteArray::number(inode) == field;
}

class Parser
{
public:
    Parser(const QString &folder, const QString &journalName) : m_folder(folder), m_journalName(journalName) {}

    Parsed parse(const QByteArray &bytes)
    {
        const qsizetype end = bytes.lastIndexOf('\n') + 1; // the whole lines end here
        const QByteArray tail = bytes.mid(end);
        m_p.cut = !tail.isEmpty();
        // Not one whole line after the header: the change had not named a file yet. The first
        // write of a journal holds the header and the first line.
        QByteArray start = bytes;
        while (start.endsWith('\0'))
            start.chop(1);
        if ((end == 0 && kHeader.startsWith(start)) ||
            (end == kHeader.size() && bytes.startsWith(kHeader) && isCutLine(tail))) {
            m_p.empty = true;
            m_p.cut = !start.isEmpty() && start != kHeader;
            return m_p;
        }
        if (!bytes.startsWith(kHeader)) {
            m_p.refuse(QStringLiteral("it does not begin as a journal of this program does"));
            return m_p;
        }
        // Line by line, stopping at the first that is none this program writes: a journal is read
        // in time linear in its size, and a forged one is judged by its first fault.
        qsizetype from = kHeader.size();
        for (int at = 2; from < end && m_p.fault.isEmpty(); ++at) {
            // A change writes a few lines for each file it touches.
            if (at > 8 * kMaxFiles) {
                m_p.refuse(QStringLiteral("it has more lines (line %1) than any change of this program writes").arg(at));
                break;
            }
            const qsizetype next = bytes.indexOf('\n', from);
            line(at, bytes.mid(from, next - from));
            from = next + 1;
        }
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
            m_p.refuse(
                QStringLiteral("the name %1 (line %2) is not a file of the project folder").arg(shown(result)).arg(at));
            return false;
        }
        const QStringList parts = result.split(QLatin1Char('/'));
        const bool partTooLong = std::any_of(parts.cbegin(), parts.cend(),
                                             [](const QString &p) { return nativePath(p).size() > NAME_MAX; });
        if (partTooLong || nativePath(m_folder + QLatin1Char('/') + result).size() >= PATH_MAX) {
            m_p.refuse(
                QStringLiteral("the name %1 (line %2) is longer than the system allows").arg(shown(result)).arg(at));
            return false;
        }
        if (m_all.contains(result)) {
            m_p.refuse(QStringLiteral("the name %1 is named twice (line %2)").arg(shown(result)).arg(at));
            return false;
        }
        return true;
    }

    // Names that only refer back to one named before, of the kind given.
    bool namedBefore(int at, const QByteArray &field, const QSet<QString> &kind, QString &result)
    {
        result = QUrl::fromPercentEncoding(field);
        if (encodeName(result) == field && kind.contains(result))
            return true;
        m_p.refuse(QStringLiteral("line %1 refers to a file the journal does not name before").arg(at));
        return false;
    }

    void ownName(int at, const QString &name, const QString &file, QLatin1StringView suffix, const char *what)
    {
        if (!isOwnName(name, file, suffix))
            m_p.refuse(QStringLiteral("the %1 %2 (line %3) is not the change's own name for %4")
                           .arg(QLatin1String(what), shown(name))
                           .arg(at)
                           .arg(shown(file)));
    }

    // The names of fields first to last, each checked and taken; false at the first that is none.
    bool names(int at, const QList<QByteArray> &fields, qsizetype count, QStringList &result)
    {
        if (m_all.size() >= 3 * kMaxFiles) {
            m_p.refuse(QStringLiteral("it names more files (line %1) than any change of this program touches").arg(at));
            return false;
        }
        for (qsizetype i = 1; i <= count; ++i) {
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
        if (m_p.done) {
            m_p.refuse(QStringLiteral("line %1 follows the line that marks the change complete").arg(at));
            return;
        }
        // The file a line names is told even when the line is refused.
        if ((kind == "keep" || kind == "new") && f.size() > 1)
            m_p.named << QUrl::fromPercentEncoding(f[1]);
        QStringList n;
        QString a;
        quint64 inode = 0;
        if (kind == "keep" && f.size() == 5) {
            if (!inodeField(f[4], inode))
                m_p.refuse(QStringLiteral("line %1 is not a line of a journal of this program").arg(at));
            else if (names(at, f, 3, n)) {
                ownName(at, n[1], n[0], kOld, "kept file");
                ownName(at, n[2], n[0], kNew, "temporary file");
                m_files.insert(n[0]);
                m_made.insert(n[2]);
                m_kept << n[0];
                m_p.entries.push_back({n[0], n[1], n[2], inode});
            }
        } else if (kind == "new" && f.size() == 3) {
            if (names(at, f, 2, n)) {
                ownName(at, n[1], n[0], kNew, "temporary file");
                m_files.insert(n[0]);
                m_made.insert(n[1]);
                m_p.entries.push_back({n[0], QString(), n[1], 0});
            }
        } else if (kind == "scratch" && f.size() == 2) {
            if (names(at, f, 1, n)) {
                if (std::none_of(m_kept.cbegin(), m_kept.cend(),
                                 [&](const QString &file) { return isOwnName(n[0], file, kCopy); }))
                    m_p.refuse(QStringLiteral("the copy %1 (line %2) is not the change's own name for a file it keeps")
                                   .arg(shown(n[0]))
                                   .arg(at));
                m_made.insert(n[0]);
                m_p.scratch << n[0];
            }
        } else if (kind == "gone" && f.size() == 2) {
            if (namedBefore(at, f[1], m_files, a))
                m_p.gone.insert(a);
        } else if (kind == "id" && f.size() == 3) {
            if (!inodeField(f[2], inode))
                m_p.refuse(QStringLiteral("line %1 is not a line of a journal of this program").arg(at));
            else if (namedBefore(at, f[1], m_made, a))
                m_p.ids[a].insert(inode);
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
    QSet<QString> m_made;  // the temporary and copy files it names, which it makes itself
    QStringList m_kept;    // those it kept the old state of
};

// The state of a name below the folder, none of its parts followed when it is a link.
struct OnDisk
{
    bool there = false;
    quint64 inode = 0;
    qint64 size = 0;
    QString fault; // a part is a link or not a folder, or the name is no regular file
};

// A data file may itself be a link (the change replaces the link, never its target), so the last
// part of a file's or kept file's name may be one; no other part of any name.
OnDisk onDisk(const QString &folder, const QString &rel, bool lastMayBeLink = false)
{
    OnDisk result;
    QString path = folder;
    const QStringList parts = rel.contains(QLatin1Char('/')) ? rel.split(QLatin1Char('/')) : QStringList{rel};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        path += QLatin1Char('/') + parts[i];
        struct stat st;
        if (::lstat(nativePath(path).constData(), &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                result.fault = QStringLiteral("%1: %2").arg(shown(rel), systemReason(errno));
            return result;
        }
        const bool last = i + 1 == parts.size();
        if (S_ISLNK(st.st_mode) && !(last && lastMayBeLink)) {
            result.fault = QStringLiteral("the name %1 passes through a symbolic link (%2)")
                               .arg(shown(rel), shown(QStringList(parts.mid(0, i + 1)).join(QLatin1Char('/'))));
            return result;
        }
        if (!last && !S_ISDIR(st.st_mode))
            return result; // a file where a folder would be: the name is not there
        if (last && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
            result.fault = QStringLiteral("%1 is not a regular file").arg(shown(rel));
            return result;
        }
        if (last) {
            result.there = true;
            result.inode = st.st_ino;
            result.size = st.st_size;
        }
    }
    return result;
}

// The files beside the named ones that bear the change's own names for them, but that the
// journal does not name: a change does not start beside such a file, so none of its journals
// leaves one.
QString unnamedOwnFile(const QString &folder, const Parsed &p)
{
    QSet<QString> named(p.scratch.cbegin(), p.scratch.cend());
    QSet<QString> files, dirs;
    for (const Entry &e : p.entries) {
        named << e.backup << e.temp;
        files << e.file;
        const qsizetype slash = e.file.lastIndexOf(QLatin1Char('/'));
        dirs << (slash < 0 ? QString() : e.file.left(slash));
    }
    for (const QString &dir : std::as_const(dirs)) {
        const QString prefix = dir.isEmpty() ? QString() : dir + QLatin1Char('/');
        const QStringList list =
            QDir(dir.isEmpty() ? folder : folder + QLatin1Char('/') + dir)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &entry : list) {
            const QString rel = prefix + entry;
            if (!named.contains(rel) && files.contains(baseOfChangeFile(rel)))
                return QStringLiteral("%1 lies beside %2, but the journal does not name it")
                    .arg(shown(rel), shown(baseOfChangeFile(rel)));
        }
    }
    return QString();
}

// Whether the files are in a state that the change the journal records can have left, every
// file that recovery is to put back, keep or remove being shown by its inode to be the change's
// own. madeGone: the files the change made, which undoing it removes. acting: the entries of which
// a name is there, the only ones recovery has anything to do for.
QString stateFault(const QString &folder, const Parsed &p, QStringList &madeGone, std::vector<Entry> &acting)
{
    QHash<QString, OnDisk> disk;
    auto at = [&](const QString &rel, bool lastMayBeLink = false) -> const OnDisk & {
        auto it = disk.find(rel);
        if (it == disk.end())
            it = disk.insert(rel, onDisk(folder, rel, lastMayBeLink));
        return *it;
    };
    for (const Entry &e : p.entries) {
        for (const QString *name : {&e.file, &e.backup}) {
            if (!name->isEmpty() && !at(*name, true).fault.isEmpty())
                return at(*name).fault;
        }
        if (!at(e.temp).fault.isEmpty())
            return at(e.temp).fault;
    }
    for (const QString &name : p.scratch) {
        if (!at(name).fault.isEmpty())
            return at(name).fault;
    }
    // A file the change made itself: named by its inode, or still empty (made, and a power cut
    // came before the journal's line with its inode was durable; no byte is written before).
    auto own = [&](const QString &name) {
        const OnDisk &d = at(name);
        return !d.there || p.ids.value(name).contains(d.inode) || d.size == 0;
    };
    for (const QString &name : p.scratch) {
        if (!own(name))
            return QStringLiteral("the copy %1 is not the one the change made").arg(shown(name));
    }
    for (const Entry &e : p.entries) {
        const OnDisk &file = at(e.file);
        const bool gone = p.gone.contains(e.file);
        const QSet<quint64> written = p.ids.value(e.temp);
        if (!own(e.temp))
            return QStringLiteral("the temporary file %1 is not the one the change made").arg(shown(e.temp));
        if (e.backup.isEmpty()) {
            if (file.there && !written.contains(file.inode))
                return QStringLiteral("the file %1 is there, but the journal does not show that the change made it")
                    .arg(shown(e.file));
            if (!p.done && file.there)
                madeGone << e.file;
            if (p.done && !file.there && !gone)
                return QStringLiteral("the change is marked complete, but its file %1 is not there").arg(shown(e.file));
            continue;
        }
        // The kept file is the old file itself (a second link, or the file moved aside), or a copy
        // of it that the change made.
        const OnDisk &kept = at(e.backup);
        QSet<quint64> keptIds{e.inode};
        for (const QString &copy : p.scratch) {
            if (isOwnName(copy, e.file, kCopy))
                keptIds.unite(p.ids.value(copy));
        }
        if (kept.there && !keptIds.contains(kept.inode))
            return QStringLiteral("the kept file %1 is not the one the change kept of %2")
                .arg(shown(e.backup), shown(e.file));
        // The file is its old one (never replaced, or put back from its kept file), or one the
        // change wrote.
        const bool replaced = file.there && !keptIds.contains(file.inode);
        if (replaced && !written.contains(file.inode))
            return QStringLiteral("the file %1 is neither its old file nor one the change wrote").arg(shown(e.file));
        if (p.done) {
            if (!file.there && !gone)
                return QStringLiteral("the change is marked complete, but its file %1 is not there").arg(shown(e.file));
            continue;
        }
        if (kept.there && !file.there && !gone)
            return QStringLiteral("the kept file %1 lies there, but %2 is missing and the journal does not say it "
                                  "was removed")
                .arg(shown(e.backup), shown(e.file));
        if (!kept.there && !file.there)
            return QStringLiteral("neither %1 nor its kept file %2 is there").arg(shown(e.file), shown(e.backup));
        // A file is replaced only once its old state is kept beside it.
        if (!kept.there && replaced)
            return QStringLiteral("the file %1 was replaced, but its kept file %2 is not there")
                .arg(shown(e.file), shown(e.backup));
    }
    for (const Entry &e : p.entries) {
        if (at(e.file).there || at(e.temp).there || (!e.backup.isEmpty() && at(e.backup).there))
            acting.push_back(e);
    }
    return unnamedOwnFile(folder, p);
}

// The files in the folder and below it that bear the names the change gives its own files.
QStringList lyingFiles(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    for (int seen = 0; it.hasNext() && seen < 100000; ++seen) {
        const QString path = it.next();
        if (isChangeFileName(path))
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
    r.cut = p.cut;
    if (p.empty) {
        // Nothing named, nothing changed: only files of a change that lie in the folder would
        // say otherwise.
        if (!lyingFiles(folder).isEmpty())
            return refuse(folder, p.cut ? QStringLiteral("it was cut short in its first line")
                                        : QStringLiteral("it is empty"),
                          r);
        r.verdict = Reading::Act;
        return r;
    }
    std::vector<Entry> acting;
    if (p.fault.isEmpty())
        p.refuse(stateFault(folder, p, r.madeGone, acting));
    if (!p.fault.isEmpty())
        return refuse(folder, p.fault, r);
    r.verdict = Reading::Act;
    if (p.done)
        r.madeGone.clear();
    r.entries = std::move(acting);
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
