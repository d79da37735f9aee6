#pragma once

#include "platform/file_change.h"
#include "platform/file_change_journal.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The disk calls of a change. Every call that changes the disk goes through these, so that a test
// can record the calls (and replay them as a power cut could leave them) or make one of them fail:
// a call the recorder refuses fails with EIO and is not made.
namespace change_disk {

using Call = FileChange::DiskCall;

void setRecorder(FileChange::DiskRecorder recorder);
// Called after every step that changes the disk, for tests that end the process there.
void setStepObserver(void (*observer)());
void stepDone();
// Asks the recorder; false (errno EIO) when the call is not to be made.
bool allowed(Call::Kind kind, const QString &path, const QString &target = QString(), const QByteArray &bytes = {});

QString systemReason(int error);
QByteArray nativePath(const QString &path);
bool pathExists(const QString &path);

// A new file for writing; exclusive: one that is there already is an error. -1 with errno set.
int diskCreate(const QString &path, bool exclusive);
bool diskSyncFile(int fd, const QString &path);
int diskRename(const QString &from, const QString &to);
int diskLink(const QString &from, const QString &to);
int diskUnlink(const QString &path);
// Makes the names in the folder durable: the entries made, renamed and removed in it so far.
bool diskSyncFolder(const QString &folder, int &error);
// Makes the bytes of the file that the name holds now durable; a name that is gone needs none.
bool syncFileByName(const QString &path, int &error);
// Writes all of the bytes to the descriptor, a short write tried again for the rest.
bool writeAll(int fd, const char *data, qint64 size, int &error);
bool diskWrite(int fd, const QString &path, const QByteArray &bytes, int &error);
// Syncs each folder once; false with "<folder>: <the system's reason>" of the first that fails.
bool syncFolders(const QStringList &folders, QString &error);
// A new file with the bytes, made durable unless sync is false; false with the system's error,
// nothing left behind.
// With beforeBytes: the file is made anew (one that is there is an error), and the function is
// given it before its first byte; false from it fails the write, error left as the function set it.
bool writeNewFile(const QString &path, const QByteArray &bytes, int &error, bool sync,
                  const std::function<bool(int fd)> &beforeBytes = {});
// The bytes of the file.
bool readWhole(const QString &path, QByteArray &bytes, int &error);
// Removes the file unless it is a folder; false only when a file stays.
bool removeIfThere(const QString &path);

// The journal of a change, made and locked before it takes its name (a link, which fails when a
// journal is there: no other copy of the program ever finds the journal of a running change
// unlocked); its descriptor, or -1 with errno set (EEXIST: a journal is there).
int takeJournal(const QString &folder, const QString &journal);

// The folder of a change as one name: absolute and clean; empty for none.
QString cleanFolder(const QString &folder);
// The folder and every subfolder of it that holds a file of the entries.
QStringList foldersOf(const QString &folder, const std::vector<journal::Entry> &entries);
// Puts every touched file back, last touched first, and syncs their folders; false (error: each
// file with the system's reason) when one could not be put back: the journal must then stay.
bool undoEntries(const QString &folder, const std::vector<journal::Entry> &entries, const QStringList &scratch,
                 QString &error);
// Clears away the kept and temporary files of a completed change.
void clearEntries(const QString &folder, const std::vector<journal::Entry> &entries, const QStringList &scratch);

} // namespace change_disk
