#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The journal of a change as the change unit writes it and as recovery reads it. A journal in a
// project folder is input like any other file: the folder may come from elsewhere. Recovery acts
// on one only when every line is one that a change of this program writes for this folder and
// the files in the folder are in a state that such a change can leave; anything else is told and
// left as it is. Used by FileChange alone; its listing of names by the message that tells a
// recovery.
namespace journal {

extern const QByteArray kHeader;
// No change writes more: a line per file touched, and a change touches some thousands of files at
// the very most. A larger one is refused before it is read.
constexpr qint64 kMaxBytes = 16 * 1024 * 1024;
// Nor names more files: a journal that does is refused at the first line past it, so that judging
// one takes a moment however it was made.
constexpr int kMaxFiles = 20000;

QByteArray encodeName(const QString &rel);

struct Entry
{
    QString file;
    QString backup; // empty when the file was not there before the change
    QString temp;
    quint64 inode = 0; // the file's inode before the change (with a backup)
};

// The own names a change gives the files beside a file: kept, temporary and copy, each with
// nothing or a count from 2 on after it. Where one of them lies beside a file that a change is to
// touch, the change does not start: its journal would not account for every file of its own.
bool isChangeFileName(const QString &name);
// The file a name of the change's own lies beside (empty for a name that is none).
QString baseOfChangeFile(const QString &name);

// A name as a message shows it: a long one is shortened in its middle.
QString shown(const QString &name);
// Names as a message lists them: each once, at most twenty, then how many more.
QString listed(const QStringList &names);

struct Reading
{
    enum Verdict { NoJournal, Busy, Act, Refuse } verdict = NoJournal;
    std::vector<Entry> entries;
    QStringList scratch; // further files of the change's own that go with it
    bool done = false;
    QString refusal;     // Refuse: why the journal is not acted on
    QStringList named;   // the files it names, as far as it could be read
    QStringList madeGone; // Act, not done: the files the change had made, removed again
    bool cut = false;    // its last line was cut short (by a kill or a power cut) and is not acted on
    QStringList lying;   // Refuse: the change's own files (kept, temporary, copies) that lie in the folder
    int fd = -1;         // Act: the journal, open and locked until release()
};

// Opens the folder's journal without following a link, locks it, makes sure the file locked is
// still the one the folder names, and reads and checks it. A journal locked by a running change
// is Busy.
Reading read(const QString &folder, const QString &journalName);

// Lets go of the journal's lock. A journal to be removed is removed before, so that no other copy
// of the program finds it unlocked.
void release(Reading &reading);

// After an undo: the files of the entries that are not as they were before the change (a kept
// file still beside its file, a file the change made still there).
QStringList notPutBack(const QString &folder, const std::vector<Entry> &entries);

} // namespace journal
