#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The journal of a change as the change unit writes it and as recovery reads it. A journal in a
// project folder is input like any other file: the folder may come from elsewhere. Recovery acts
// on one only when every line is one that a change of this program writes for this folder and
// the files in the folder are in a state that such a change can leave; anything else is told and
// left as it is. Used by FileChange alone.
namespace journal {

extern const QByteArray kHeader;
// No change writes more: a line per file touched, and a change touches some thousands of files at
// the very most. A larger one is refused before it is read.
constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

QByteArray encodeName(const QString &rel);

struct Entry
{
    QString file;
    QString backup; // empty when the file was not there before the change
    QString temp;
};

struct Reading
{
    enum Verdict { NoJournal, Busy, Act, Refuse } verdict = NoJournal;
    std::vector<Entry> entries;
    QStringList scratch; // further files of the change's own that go with it
    bool done = false;
    QString refusal;     // Refuse: why the journal is not acted on
    QStringList named;   // the files it names, as far as it could be read
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
