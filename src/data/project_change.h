#pragma once

#include "platform/file_change.h"

#include <QString>
#include <QStringList>

#include <initializer_list>

#include <utility>
#include <vector>

class Table;

// One action of the user changes the project as a whole: every file it writes or removes is
// written in one change, which is committed when the action succeeded and undone when it did
// not, the tables of the data module included, so that files and tables agree again. Actions
// nest: the routines an action calls join its change, and only the action ends it.
//
// An action reads and checks its inputs first: a file it needs that is there but could not be
// read stops it before anything is written, with the damaged-file message.
class ProjectChange
{
public:
    explicit ProjectChange(const QString &folder = QString()); // the open project's by default
    ~ProjectChange(); // undoes unless finished
    ProjectChange(const ProjectChange &) = delete;
    ProjectChange &operator=(const ProjectChange &) = delete;

    // Ends the action: commits its change when ok, else undoes it. True when the action's
    // files are on disk (always false for !ok). A joined change ends with its action.
    bool finish(bool ok);
    bool joined() const { return m_files.joined(); }
    // An editor whose mode holds the unsaved edits in the tables keeps them there when the change
    // is undone: the mode stays, and its Cancel reads the files back.
    void keepTablesOnUndo() { m_keepTables = true; }

    // Noted by the table writer: a table of the data module written to the file, to be read back
    // from it should the change be undone.
    static void tableWritten(Table &table, const QString &fileName);
    // The reason the running action fails for, when it is no failed write: the first one noted
    // is told with the action's message.
    // told: a message has named it already, so the action's own message is not to repeat it.
    static void noteFailure(const QString &reason, bool told = false);
    // An input of the action that is there but cannot be read.
    static void noteDamaged(const QString &fileName, bool told = false);
    // Whether the last action that failed was stopped by a failure that a message has told
    // already (a damaged file): its caller then shows no message of its own.
    static bool lastFailureTold();
    // A new write starts: what an earlier action told does not count for it.
    static void forgetFailureTold();

private:
    void undoTables();

    FileChange m_files;
    ProjectChange *m_previous = nullptr;
    bool m_failureTold = false;
    bool m_keepTables = false;
    std::vector<std::pair<Table *, QString>> m_tables;
};

// Stops an action on a damaged input before its first write: shows the damaged-file message for
// the file and notes it as told; false (nothing shown) for an empty name.
bool RefuseDamagedFile(const QString &fileName);
// The same for the first of these tables of the module whose file is there but was not read.
bool RefuseDamagedTables(std::initializer_list<const Table *> tables);

// Tells that an action failed: the message with the reason of its failure ("<message>: <file>:
// <reason>"), nothing when a damaged file stopped it and a message has named that already.
void ReportFailedAction(const QString &message);

// Runs the action as one change; its result is whether it succeeded and is on disk.
template <typename F> bool InOneChange(F &&action)
{
    ProjectChange change;
    return change.finish(action());
}

// Removes a file of the project as part of the change running (or as a change of its own); a
// file that is not there counts as removed. False with ansi::lastWriteError() set.
bool RemoveProjectFileInChange(const QString &path);

// Keeps the old bytes of the files the running action is about to write, all at once (see
// FileChange::keepAhead); true with no action running. A failure is noted as the action's, and
// failedFile is the path of the file whose old bytes could not be kept.
bool KeepFilesAhead(const QStringList &paths, QString *failedFile = nullptr);

// Opening a project: finishes or undoes a change that was interrupted, and gives the one message
// that tells the user what was done (empty when there was nothing to do). A change another copy
// of the program is making is waited for a while; one still running then is left as it is, and
// busy (when asked for) is set: its files are half changed, and no project is to be read or made
// over them.
QString RecoverInterruptedChange(const QString &projectDir, bool *busy = nullptr);
// How long that wait lasts at the most; returns the wait it replaces (tests shorten it).
qint64 SetChangeWaitMs(qint64 ms);
