#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// One change of several files of a folder, made all or nothing, as databases commit a
// transaction with a rollback journal. Before a file is first touched, the journal in the folder
// names it, its kept old state (a hard link to its old bytes, or a copy where links are not to
// be had) and the temporary file its new bytes are written to. The new bytes replace the file by
// a rename, so the old ones stay whole beside it. Committing marks the journal done and then
// clears it away; undoing renames every kept file back and removes the files the change created.
// A change killed midway leaves the journal: recoverFolder() finishes what was done and undoes
// what was not, and removes only the files the journal names and shows to be the change's own.
//
// The journal is also the folder's lock: while it is there, no second change starts; and while
// its change runs, the process holds a lock on it, so that recovery leaves a running change of
// another copy of the program alone.
class FileChange
{
public:
    // Starts a change of the files in the folder and its subfolders. A change started while
    // another one of the same folder runs joins it: its commit and undo are the outer one's.
    explicit FileChange(const QString &folder);
    ~FileChange(); // undoes what it did unless committed
    FileChange(const FileChange &) = delete;
    FileChange &operator=(const FileChange &) = delete;

    // The change that runs for the file's folder, nullptr for none.
    static FileChange *covering(const QString &path);

    // Single writes outside any change, into this folder (the open project's), are made as a
    // change of their own, so a write killed midway leaves nothing that the journal does not
    // name. The string is read at every write, so it follows the project that is open.
    static void setHomeFolder(const QString *folder);
    static QString homeFolder();

    // The writers of the program go through these: through the change that covers the file, else
    // as a change of its own in the home folder. handled is false for a file outside both, which
    // the caller then writes itself; error is the system's reason of a failed step.
    static bool writeFile(const QString &path, const QByteArray &bytes, bool &handled, QString &error);
    static bool removeFile(const QString &path, bool &handled, QString &error);

    // The first reason the change failed for (a failed write, a damaged input), kept for the
    // action's message; the first one noted stays.
    void noteFailure(const QString &reason, const QString &file = QString());
    QString failure() const;
    // The file the first failure concerns (folder-relative or a path), empty for none known.
    QString failureFile() const;
    // The file the last failed step concerned.
    QString failedFile() const;

    bool joined() const { return m_outer != nullptr; }
    // The change was refused before its first write (a file changed elsewhere, a name through a
    // link, a kept file of another change): every later step fails alike, and an action that
    // would tell each of them tells the first only.
    bool refused() const;
    const QString &folder() const;
    bool covers(const QString &path) const;

    // Replaces the file's bytes as part of the change (false with lastError() set; the file and
    // the change stay as they were). The bytes are made durable before the change counts as done.
    bool write(const QString &path, const QByteArray &bytes);
    // Removes the file as part of the change; a file that is not there counts as removed.
    bool remove(const QString &path);
    // Journals the files an action is about to write and keeps their old bytes, all at once: a
    // few syncs for all of them instead of two for each. A file named that is then not written
    // stays as it was. False with lastError() set, the change then taking no further file.
    bool keepAhead(const QStringList &paths);

    // Makes the change final. False, with everything undone, when it could not be.
    bool commit();
    // Puts every file back as it was before the change (the outer change's, when joined).
    void undo();
    bool committed() const;

    // The files the change wrote or removed so far, folder-relative, in the order first touched.
    QStringList touchedFiles() const;
    QString lastError() const;

    // What opening a folder found of an interrupted change. Refused: the journal is not one a
    // change of this program can have left (a name out of the folder or through a link, a name
    // not the change's own, a file in a state the change cannot leave, a journal too large, not
    // a regular file or unreadable); nothing was done. Undone with no files: the change had not
    // named a file yet.
    struct Recovery
    {
        enum Kind { None, Completed, Undone, Failed, Busy, Refused } kind = None;
        QStringList files;      // folder-relative, as the journal named them
        QString error;          // Failed: "file: the system's reason" for each; Refused: why
        QStringList notPutBack; // Failed: the files not as they were before the change
        QStringList lying;      // Refused: the change's own files (kept, temporary, copies) in the folder
        QString journalError;   // the journal could not be removed: the system's reason
        QStringList madeGone;   // Undone: the files the change had made, removed again
        bool cut = false;       // the journal's last line was cut short and was not acted on
    };
    static Recovery recoverFolder(const QString &folder);

    // Called after every step that changes the disk, for tests that end the process there.
    static void setStepObserver(void (*observer)());
    // Off: old files are kept as copies, as on a file system without hard links (for tests).
    static void setHardLinks(bool on);

    // Every call a change makes on the disk, in the order made (for tests that replay them as a
    // power cut could leave them, and count the syncs). Paths are absolute.
    struct DiskCall
    {
        enum Kind {
            Create,     // a new file (or one cut to nothing)
            Write,      // bytes added to the end of the file
            SyncFile,   // the file's bytes made durable
            SyncFolder, // the folder's names made durable
            Rename,     // path renamed to target, replacing it
            Link,       // target made a second name of path
            Unlink      // the name removed
        } kind;
        QString path;
        QString target;
        QByteArray bytes;
    };
    // The recorder sees each call before it is made; false makes the call fail (with EIO) unmade.
    using DiskRecorder = std::function<bool(const DiskCall &)>;
    static void setDiskRecorder(DiskRecorder recorder);

    // The journal's file name in the folder.
    static QString journalName();

private:
    struct State;
    FileChange *m_outer = nullptr; // the change this one joined
    std::unique_ptr<State> m_state;
    FileChange *m_previous = nullptr;
    State &state() const;
    // Before a step on the file: the change still runs and covers it; its folder-relative name.
    bool startStep(const QString &path, QString &rel) const;
};
