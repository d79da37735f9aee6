#include "platform/file_change.h"
#include "platform/file_change_checks.h"
#include "platform/file_change_disk.h"

#include "platform/file_stamps.h"
#include "platform/file_change_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <iterator>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace change_disk;
using journal::encodeName;
using journal::kHeader;
const QByteArray kDone = QByteArrayLiteral("done\n");

FileChange *g_top = nullptr;
bool g_hardLinks = true;

// A name beside the file that nothing uses yet.
QString freeName(const QString &folder, const QString &rel, const QString &suffix)
{
    QString name = rel + suffix;
    for (int i = 2; pathExists(folder + QLatin1Char('/') + name); ++i)
        name = rel + suffix + QString::number(i);
    return name;
}

using Entry = journal::Entry;

const QString *g_home = nullptr;

} // namespace

struct FileChange::State
{
    QString folder;
    int journal = -1;
    bool broken = false;
    QString brokenReason;
    std::vector<Entry> entries;
    QHash<QString, int> byFile;
    QStringList scratch;
    bool committed = false;
    bool finished = false;
    QString error;
    QString failure;
    QString failedFile;
    QString failureFile;
    // What is not yet durable: journal lines, the journal's own name, names in folders (absolute
    // paths), the bytes of new files (absolute paths), and a kept old file among those names.
    bool journalUnsynced = false;
    bool journalNamed = false;
    QStringList unsyncedFolders;
    QStringList unsyncedFiles;
    bool keptUnsynced = false;
    // The files the change made, by the inode they were made with.
    QHash<QString, ino_t> madeInodes;
    QSet<QString> notKept;
    // Checked once, under the journal's lock: every file the program read is as it saw it.
    bool stampsChecked = false;
    QString refusal;
    change_checks::StrayFiles strays;

    QString abs(const QString &rel) const { return folder + QLatin1Char('/') + rel; }
    static QByteArray goneLine(const QString &rel) { return "gone\t" + encodeName(rel) + '\n'; }
    QString journalPath() const { return abs(FileChange::journalName()); }

    bool fail(const QString &reason)
    {
        error = reason;
        return false;
    }
    // The reason stays the system's own; the file it concerns is kept beside it.
    bool failFor(const QString &rel, const QString &reason)
    {
        failedFile = rel;
        return fail(reason);
    }

    bool append(const QByteArray &line)
    {
        // A line cut short by a failed write would run into the next one: the change then takes
        // no further file.
        if (broken)
            return fail(brokenReason);
        int err = 0;
        if (!diskWrite(journal, journalPath(), line, err)) {
            broken = true;
            brokenReason = systemReason(err);
            return fail(brokenReason);
        }
        journalUnsynced = true;
        stepDone();
        return true;
    }

    // The lines written so far made durable: one sync for all of them.
    bool syncJournal()
    {
        if (!journalUnsynced)
            return true;
        if (!diskSyncFile(journal, journalPath())) {
            broken = true;
            brokenReason = systemReason(errno);
            return fail(brokenReason);
        }
        journalUnsynced = false;
        return true;
    }

    // Called once the journal is open: its name is made durable before the change touches a file
    // of the folder, so that nothing the change does can outlast a power cut without it.
    bool nameJournal()
    {
        if (journalNamed)
            return true;
        noteFolderOf(journalPath());
        if (!syncUnsyncedFolders())
            return false;
        journalNamed = true;
        return true;
    }

    void noteFolderOf(const QString &path)
    {
        const QString dir = QFileInfo(path).absolutePath();
        if (!unsyncedFolders.contains(dir))
            unsyncedFolders << dir;
    }

    // One sync per folder whose names changed since its last: every kept file made so far is then
    // durable, and may be replaced.
    bool syncUnsyncedFolders()
    {
        QString reason;
        if (!syncFolders(unsyncedFolders, reason))
            return fail(reason);
        unsyncedFolders.clear();
        keptUnsynced = false;
        return true;
    }

    // The bytes of every file the change wrote made durable, each once however often it was written.
    bool syncUnsyncedFiles()
    {
        for (const QString &path : std::as_const(unsyncedFiles)) {
            int err = 0;
            if (!syncFileByName(path, err))
                return failFor(QDir(folder).relativeFilePath(path), systemReason(err));
        }
        unsyncedFiles.clear();
        return true;
    }

    // A file the change makes under a name its journal gave (a temporary file, a copy), shown as
    // the change's own by its inode, durably, before a byte is written into it: recovery removes
    // only a file of that inode, or one still empty. The bytes are made durable when sync is set,
    // else by the sync before done. False with the system's reason; nothing left behind.
    bool makeOwnFile(const QString &rel, const QString &name, const QByteArray &bytes, bool sync)
    {
        int err = 0;
        bool journaled = true;
        const bool ok = writeNewFile(abs(name), bytes, err, sync, [&](int fd) {
            struct stat st;
            if (::fstat(fd, &st) != 0) {
                err = errno;
                return false;
            }
            journaled = append("id\t" + encodeName(name) + '\t' + QByteArray::number(quint64(st.st_ino)) + '\n') &&
                        syncJournal();
            return journaled;
        });
        if (!ok)
            return journaled ? failFor(rel, systemReason(err)) : (failedFile = rel, false);
        stepDone();
        return true;
    }

    // Why the file may not be touched, checked under the journal's lock before the change's first
    // write. Empty: none.
    QString reasonAgainst(const QString &rel)
    {
        if (!stampsChecked) {
            const QString changed = change_checks::changedElsewhere(folder, journalPath(), rel);
            if (!changed.isEmpty())
                return changed;
            stampsChecked = true;
        }
        if (!FileStamps::unchanged(abs(rel)))
            return FileStamps::changedElsewhereReason(journal::shown(rel), true);
        if (const QString link = change_checks::linkOnTheWay(folder, rel); !link.isEmpty())
            return link;
        return strays.besideOf(folder, rel);
    }

    // The journal of a change refused before it touched a file goes again, still locked.
    int refuse(const QString &rel, const QString &reason)
    {
        failFor(rel, reason);
        refusal = reason;
        if (entries.empty() && journal >= 0 && !journalNamed)
            closeJournal(true);
        return -1;
    }

    // The journal is locked before it has its name, and the name is given by a link, which fails
    // when a journal is there: no other copy of the program ever finds the journal of a running
    // change unlocked. The lock is let go by the system when the process ends.
    bool openJournal()
    {
        if (journal >= 0)
            return true;
        // The journal, made and given its header, as the calls a power cut may cut short.
        if (!allowed(Call::Create, journalPath()) || !allowed(Call::Write, journalPath(), QString(), kHeader))
            return fail(systemReason(errno));
        const int fd = takeJournal(folder, journalPath());
        if (fd < 0 && errno == EEXIST)
            return fail(QStringLiteral("another change of the project is under way or was interrupted (%1)")
                            .arg(FileChange::journalName()));
        if (fd < 0)
            return fail(systemReason(errno));
        journal = fd;
        return true;
    }

    void closeJournal(bool remove)
    {
        // Removed before its lock is let go, so that another copy that opens it meanwhile finds
        // it locked or gone. No sync after: a journal that comes back after a power cut is done
        // or was undone, and recovery merely clears it away again.
        if (remove)
            diskUnlink(journalPath());
        if (journal >= 0) {
            ::close(journal);
            journal = -1;
        }
    }

    // Journals the file before its first touch (the line not yet synced); the index of its entry,
    // -1 on failure. existed: the file was there, and its old bytes are to be kept.
    int declare(const QString &rel, bool forRemoval, bool &existed)
    {
        if (const auto it = byFile.constFind(rel); it != byFile.constEnd()) {
            existed = false; // kept already, or made by the change
            return *it;
        }
        failedFile = rel; // a journal that cannot take the file fails the file's write
        if (!refusal.isEmpty())
            return refuse(rel, refusal);
        // The checks come under the journal's lock: no other copy can change a file between
        // them and the first write.
        if (!openJournal())
            return -1;
        if (const QString reason = reasonAgainst(rel); !reason.isEmpty())
            return refuse(rel, reason);
        const QString path = abs(rel);
        struct stat st;
        existed = ::lstat(nativePath(path).constData(), &st) == 0;
        if (existed && S_ISDIR(st.st_mode)) {
            failFor(rel, systemReason(EISDIR));
            return -1;
        }
        Entry e;
        e.file = rel;
        e.temp = freeName(folder, rel, QStringLiteral(".korvalin-new"));
        if (existed) {
            e.backup = freeName(folder, rel, QStringLiteral(".korvalin-old"));
            // The journal names the kept file before it is made, and it only ever appears whole
            // (a rename or a link): a kept file that is there holds the old bytes.
            // A removal says so with it: recovery accepts a missing file only where the journal does.
            // With the inode of the old file: the kept file is that very file, or a copy the journal
            // names by its own inode.
            e.inode = quint64(st.st_ino);
            if (!append("keep\t" + encodeName(rel) + '\t' + encodeName(e.backup) + '\t' + encodeName(e.temp) + '\t' +
                        QByteArray::number(e.inode) + '\n' + (forRemoval ? goneLine(rel) : QByteArray())))
                return -1;
        } else if (!append("new\t" + encodeName(rel) + '\t' + encodeName(e.temp) + '\n')) {
            return -1;
        }
        entries.push_back(e);
        byFile.insert(rel, static_cast<int>(entries.size()) - 1);
        return static_cast<int>(entries.size()) - 1;
    }

    // Keeps the old bytes of a declared file beside it, once its journal line is durable. A file
    // whose old bytes could not be kept takes no write, nor does any later file of the change.
    bool keepOld(int index, bool forRemoval)
    {
        const Entry &e = entries[size_t(index)];
        const QString path = abs(e.file);
        const QString backup = abs(e.backup);
        bool ok = true;
        if (forRemoval) {
            // The file itself becomes the kept one: a rename is all a removal needs.
            ok = diskRename(path, backup) == 0 || failFor(e.file, systemReason(errno));
        } else if (!(g_hardLinks && diskLink(path, backup) == 0)) {
            // No links here: a copy, made under a name of its own until it is whole.
            const QString copy = freeName(folder, e.file, QStringLiteral(".korvalin-copy"));
            ok = append("scratch\t" + encodeName(copy) + '\n') && syncJournal();
            QByteArray old;
            int err = 0;
            if (ok) {
                scratch << copy;
                ok = readWhole(path, old, err) || failFor(e.file, systemReason(err));
            }
            // The copy is the old state the change may have to put back: durable before it is kept.
            ok = ok && makeOwnFile(e.file, copy, old, true);
            if (ok) {
                stepDone();
                ok = diskRename(abs(copy), backup) == 0 || failFor(e.file, systemReason(errno));
            }
        }
        if (!ok) {
            stopAt(e.file);
            return false;
        }
        keptUnsynced = true;
        noteFolderOf(path);
        stepDone();
        return true;
    }

    // Journals the file before its first touch and keeps its old bytes beside it; the index of
    // its entry, -1 on failure.
    int touch(const QString &rel, bool forRemoval)
    {
        bool existed = false;
        const int i = declare(rel, forRemoval, existed);
        if (i < 0)
            return -1;
        // The lines, and the journal's name, are durable before any name they speak of is made.
        if (!syncJournal() || !nameJournal()) {
            stopAt(rel);
            return -1;
        }
        return !existed || keepOld(i, forRemoval) ? i : -1;
    }

    // Files declared ahead of their writes, their old bytes kept with one sync of the journal and
    // one of each folder for all of them, where one file at a time would take two syncs each.
    bool keepAhead(const QStringList &rels)
    {
        std::vector<int> kept;
        for (const QString &rel : rels) {
            bool existed = false;
            const int i = declare(rel, false, existed);
            if (i < 0)
                return false;
            if (existed)
                kept.push_back(i);
        }
        if (!syncJournal() || !nameJournal()) {
            for (const int i : kept)
                stopAt(entries[size_t(i)].file);
            return false;
        }
        for (const int i : kept) {
            if (!keepOld(i, false))
                return false;
        }
        return syncUnsyncedFolders();
    }

    // A file whose old bytes are not kept takes no write: neither it nor any later file. Whatever
    // holds its kept name is not the change's to put back.
    void stopAt(const QString &rel)
    {
        byFile.remove(rel);
        notKept.insert(rel);
        if (!broken) {
            broken = true;
            brokenReason = error;
        }
    }
};

FileChange::FileChange(const QString &folder)
{
    const QString clean = cleanFolder(folder);
    for (FileChange *c = g_top; c; c = c->m_previous) {
        if (c->folder() == clean) {
            m_outer = c->m_outer ? c->m_outer : c;
            break;
        }
    }
    if (!m_outer) {
        m_state = std::make_unique<State>();
        m_state->folder = clean;
    }
    m_previous = g_top;
    g_top = this;
}

FileChange::~FileChange()
{
    if (!m_outer && !m_state->finished)
        undo();
    // Changes end in the order they began.
    if (g_top == this)
        g_top = m_previous;
}

FileChange::State &FileChange::state() const
{
    return m_outer ? *m_outer->m_state : *m_state;
}

FileChange *FileChange::covering(const QString &path)
{
    for (FileChange *c = g_top; c; c = c->m_previous) {
        if (c->covers(path))
            return c;
    }
    return nullptr;
}

void FileChange::setStepObserver(void (*observer)())
{
    change_disk::setStepObserver(observer);
}

void FileChange::setHardLinks(bool on)
{
    g_hardLinks = on;
}

void FileChange::setDiskRecorder(DiskRecorder recorder)
{
    change_disk::setRecorder(std::move(recorder));
}

void FileChange::setHomeFolder(const QString *folder)
{
    g_home = folder;
}

QString FileChange::homeFolder()
{
    return g_home ? *g_home : QString();
}

QString FileChange::journalName()
{
    return QStringLiteral("korvalin.journal");
}

const QString &FileChange::folder() const
{
    return state().folder;
}

bool FileChange::covers(const QString &path) const
{
    if (folder().isEmpty())
        return false; // no folder: nothing to change
    const QString rel = QDir(folder()).relativeFilePath(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    return !rel.isEmpty() && !rel.startsWith(QLatin1String("../")) && rel != QLatin1String("..")
        && !QDir::isAbsolutePath(rel) && rel != journalName();
}

bool FileChange::startStep(const QString &path, QString &rel) const
{
    State &s = state();
    if (s.finished)
        return s.fail(QStringLiteral("the change is already finished"));
    if (!covers(path))
        return s.fail(QStringLiteral("the file is not in the folder of the change"));
    rel = QDir(s.folder).relativeFilePath(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    return true;
}

bool FileChange::write(const QString &path, const QByteArray &bytes)
{
    State &s = state();
    QString rel;
    if (!startStep(path, rel))
        return false;
    const int i = s.touch(rel, false);
    if (i < 0)
        return false;
    const QString file = s.abs(rel);
    const QString temp = s.abs(s.entries[i].temp);
    int err = 0;
    // A file the change made is written again in place: the journal shows it as the change's own
    // already, and a power cut before done removes it whatever it holds.
    if (const auto made = s.madeInodes.constFind(rel); made != s.madeInodes.constEnd()) {
        struct stat st;
        if (::lstat(nativePath(file).constData(), &st) == 0 && st.st_ino == *made) {
            if (!writeNewFile(file, bytes, err, false))
                return s.failFor(rel, systemReason(err));
            FileStamps::noteWritten(path);
            stepDone();
            return true;
        }
    }
    // The bytes are synced with the others before the journal says done: a power cut before
    // then undoes the change, whatever the file holds.
    if (!s.makeOwnFile(rel, s.entries[i].temp, bytes, false))
        return false;
    // The old file is replaced only once the name it is kept under is durable.
    if (s.keptUnsynced && !s.syncUnsyncedFolders()) {
        s.failedFile = rel;
        removeIfThere(temp);
        return false;
    }
    if (diskRename(temp, file) != 0) {
        err = errno;
        removeIfThere(temp);
        return s.failFor(rel, systemReason(err));
    }
    s.noteFolderOf(file);
    if (!s.unsyncedFiles.contains(file))
        s.unsyncedFiles << file;
    if (s.entries[i].backup.isEmpty()) {
        struct stat st;
        if (::lstat(nativePath(file).constData(), &st) == 0)
            s.madeInodes.insert(rel, st.st_ino);
    }
    FileStamps::noteWritten(path);
    stepDone();
    return true;
}

namespace {

// Runs one step of a writer through the change that covers the file (joining it), else as a change
// of its own in the home folder; handled false for a file outside both.
template <typename Step> bool inCoveringChange(const QString &path, bool &handled, QString &error, Step &&step)
{
    auto run = [&](FileChange &change) {
        handled = true;
        const bool ok = step(change) && change.commit();
        if (!ok) {
            error = change.lastError();
            change.noteFailure(error, change.failedFile());
        }
        return ok;
    };
    if (FileChange *c = FileChange::covering(path)) {
        FileChange joined(c->folder());
        return run(joined);
    }
    handled = false;
    const QString home = FileChange::homeFolder();
    if (home.isEmpty())
        return false;
    FileChange own(home);
    return own.covers(path) ? run(own) : false;
}

} // namespace

bool FileChange::writeFile(const QString &path, const QByteArray &bytes, bool &handled, QString &error)
{
    return inCoveringChange(path, handled, error, [&](FileChange &c) { return c.write(path, bytes); });
}

bool FileChange::removeFile(const QString &path, bool &handled, QString &error)
{
    return inCoveringChange(path, handled, error, [&](FileChange &c) { return c.remove(path); });
}

void FileChange::noteFailure(const QString &reason, const QString &file)
{
    State &s = state();
    if (s.failure.isEmpty()) {
        s.failure = reason;
        s.failureFile = file;
    }
}

bool FileChange::refused() const
{
    return !state().refusal.isEmpty();
}

QString FileChange::failureFile() const
{
    return state().failureFile;
}

QString FileChange::failedFile() const
{
    return state().failedFile;
}

QString FileChange::failure() const
{
    return state().failure;
}

bool FileChange::remove(const QString &path)
{
    State &s = state();
    QString rel;
    if (!startStep(path, rel))
        return false;
    const bool first = !s.byFile.contains(rel);
    if (first && !pathExists(path))
        return true;
    const int i = s.touch(rel, true);
    if (i < 0)
        return false;
    // A first touch moved the file aside already; a later one removes what the change wrote.
    if (!first && (!s.append(State::goneLine(rel)) || !s.syncJournal() || !removeIfThere(s.abs(rel))))
        return s.failFor(rel, s.broken ? s.error : systemReason(errno));
    s.noteFolderOf(s.abs(rel));
    FileStamps::noteWritten(path);
    stepDone();
    return true;
}

bool FileChange::keepAhead(const QStringList &paths)
{
    State &s = state();
    QStringList rels;
    for (const QString &path : paths) {
        QString rel;
        if (!startStep(path, rel))
            return false;
        // A file not there has no old bytes to keep: its first write journals it.
        if (!rels.contains(rel) && pathExists(s.abs(rel)))
            rels << rel;
    }
    return s.keepAhead(rels);
}

bool FileChange::commit()
{
    if (m_outer)
        return !m_outer->m_state->finished || m_outer->m_state->committed;
    State &s = *m_state;
    if (s.finished)
        return s.committed;
    if (s.journal < 0) {
        s.finished = s.committed = true; // nothing was touched
        return true;
    }
    // Every new file's bytes and every name durable before the journal says done: a change
    // marked done is never undone.
    if (!s.syncUnsyncedFiles() || !s.syncUnsyncedFolders() || !s.append(kDone) || !s.syncJournal()) {
        const QString reason = s.error;
        undo();
        s.error = reason;
        return false;
    }
    clearEntries(s.folder, s.entries, s.scratch);
    for (const Entry &e : s.entries)
        s.noteFolderOf(s.abs(e.file));
    // The kept files are gone for good before the journal that names them goes; should that not
    // be sure, the journal stays and the next opening clears them away. The files are in place.
    s.finished = s.committed = true;
    s.closeJournal(s.syncUnsyncedFolders());
    return true;
}

void FileChange::undo()
{
    if (m_outer) {
        m_outer->undo();
        return;
    }
    State &s = *m_state;
    if (s.finished)
        return;
    s.finished = true;
    if (s.journal < 0)
        return;
    QString error;
    std::vector<Entry> kept;
    std::copy_if(s.entries.cbegin(), s.entries.cend(), std::back_inserter(kept),
                 [&s](const Entry &e) { return !s.notKept.contains(e.file); });
    const bool ok = undoEntries(s.folder, kept, s.scratch, error);
    // What was seen last is what the change wrote; the old bytes put back are the program's own.
    for (const Entry &e : s.entries)
        FileStamps::noteWritten(s.abs(e.file));
    // A file that could not be put back keeps the journal, so the next opening tries again.
    s.closeJournal(ok);
    if (!ok)
        s.error = error;
}

bool FileChange::committed() const
{
    return state().committed;
}

QStringList FileChange::touchedFiles() const
{
    QStringList files;
    for (const Entry &e : state().entries)
        files << e.file;
    return files;
}

QString FileChange::lastError() const
{
    return state().error;
}
