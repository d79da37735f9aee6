#include "data/project_change.h"

#include "data/data_module_1.h"
#include "data/main_globals.h"
#include "data/table_files.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_change_journal.h"
#include "platform/file_stamps.h"
#include "platform/table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QFile>
#include <QFileInfo>

#include <exception>
#include <utility>

namespace {

// How long opening a project waits for a change of another copy of the program to end.
qint64 g_busyWaitMs = 5000;

ProjectChange *g_current = nullptr;
bool g_lastFailureTold = false;

bool isModuleTable(const Table *table)
{
    return dm1 && dm1->tables().contains(const_cast<Table *>(table));
}

} // namespace

ProjectChange::ProjectChange(const QString &folder) : m_files(folder.isEmpty() ? ProjectDir : folder)
{
    m_previous = g_current;
    g_current = this;
    if (!joined())
        g_lastFailureTold = false;
}

ProjectChange::~ProjectChange()
{
    if (!m_files.joined() && !m_files.committed())
        finish(false);
    if (g_current == this)
        g_current = m_previous;
}

void ProjectChange::tableWritten(Table &table, const QString &fileName)
{
    if (!isModuleTable(&table))
        return;
    // The action's outermost change reads the tables back.
    ProjectChange *outer = nullptr;
    for (ProjectChange *c = g_current; c; c = c->m_previous) {
        if (!c->joined() && c->m_files.covers(fileName)) {
            outer = c;
            break;
        }
    }
    if (!outer)
        return;
    for (const auto &[t, file] : outer->m_tables) {
        if (t == &table && file == fileName)
            return;
    }
    outer->m_tables.emplace_back(&table, fileName);
}

bool ProjectChange::finish(bool ok)
{
    if (m_files.joined())
        return ok;
    if (ok && m_files.commit())
        return true;
    // The first reason the action failed for is the one to tell; in an action of several files
    // it names the file it concerns.
    QString reason = m_files.failure();
    QString file = m_files.failureFile();
    if (ok) {
        reason = m_files.lastError();
        file = m_files.failedFile();
    }
    g_lastFailureTold = m_failureTold && !ok;
    m_files.undo();
    if (!m_keepTables)
        undoTables();
    if (!reason.isEmpty()) {
        ansi::setLastWriteError(reason);
        ansi::setLastWriteFile(QFileInfo(file).fileName());
    }
    return false;
}

void ProjectChange::noteFailure(const QString &reason, bool told)
{
    ProjectChange *outer = g_current;
    while (outer && outer->joined())
        outer = outer->m_previous;
    if (!outer)
        return;
    if (outer->m_files.failure().isEmpty())
        outer->m_failureTold = told;
    outer->m_files.noteFailure(reason);
}

void ProjectChange::noteDamaged(const QString &fileName, bool told)
{
    noteFailure(QStringLiteral("the file %1 is damaged").arg(QFileInfo(fileName).fileName()), told);
}

bool ProjectChange::lastFailureTold()
{
    return g_lastFailureTold;
}

void ProjectChange::forgetFailureTold()
{
    g_lastFailureTold = false;
}

void ProjectChange::undoTables()
{
    // The files hold what they held before the action: the tables read their rows back, so
    // the editors show what is on disk.
    const QDir folder(m_files.folder());
    const QStringList touched = m_files.touchedFiles();
    for (const auto &[table, file] : m_tables) {
        // A write that failed before it touched its file (its journal line could not be
        // written) left the file as it was, but not the rows its caller changed for it: they are
        // read back as well. Only a file that neither was there nor came to be has none to give.
        const bool touchedFile = touched.contains(folder.relativeFilePath(QFileInfo(file).absoluteFilePath()));
        if (!touchedFile && !QFileInfo::exists(file))
            continue;
        try {
            Table scratch(QStringLiteral("scratch"));
            // A file the action created is gone again: so are the table's rows.
            if (!QFileInfo::exists(file) || LoadPtfFileStructure(file, scratch)) {
                scratch.open();
                replaceRowsFrom(*table, scratch);
            }
        } catch (const std::exception &) {
        }
    }
    m_tables.clear();
}

bool RefuseDamagedFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    dialogs().showMessage(DamagedFileMessage(fileName));
    ProjectChange::noteDamaged(fileName, true);
    return true;
}

bool RefuseDamagedTables(std::initializer_list<const Table *> tables)
{
    for (const Table *t : tables) {
        if (!t->damagedFile().isEmpty())
            return RefuseDamagedFile(t->damagedFile());
    }
    return false;
}

void ReportFailedAction(const QString &message)
{
    if (!g_lastFailureTold)
        dialogs().showMessage(ansi::withWriteReason(message));
}

bool RemoveProjectFileInChange(const QString &path)
{
    bool handled = false;
    QString error;
    const bool removed = FileChange::removeFile(path, handled, error);
    if (handled) {
        if (!removed) {
            ansi::setLastWriteError(error);
            ansi::setLastWriteFile(QFileInfo(path).fileName());
        }
        return removed;
    }
    QFile file(path);
    if (!file.exists())
        return true;
    if (file.remove()) {
        // Gone by this copy's hand: a later save neither takes the absence for another's change
        // nor misses another copy making the file anew.
        FileStamps::noteWritten(path);
        return true;
    }
    ansi::setLastWriteError(file.errorString());
    return false;
}

namespace {

// What became of the journal after the change was completed or undone.
QString journalLeft(const FileChange::Recovery &r)
{
    if (r.journalError.isEmpty())
        return QString();
    return QStringLiteral(" Its journal %1 could not be removed (%2): remove it by hand, no change of the project "
                          "can be saved while it is there.")
        .arg(FileChange::journalName(), r.journalError);
}

} // namespace

bool KeepFilesAhead(const QStringList &paths, QString *failedFile)
{
    FileChange *change = paths.isEmpty() ? nullptr : FileChange::covering(paths.first());
    if (!change || change->keepAhead(paths))
        return true;
    change->noteFailure(change->lastError(), change->failedFile());
    if (failedFile)
        *failedFile = change->folder() + QLatin1Char('/') + change->failedFile();
    return false;
}

qint64 SetChangeWaitMs(qint64 ms)
{
    return std::exchange(g_busyWaitMs, ms);
}

QString RecoverInterruptedChange(const QString &projectDir, bool *busy)
{
    FileChange::Recovery r = FileChange::recoverFolder(projectDir);
    // A change another copy is making takes a moment: the project is read once it is whole.
    QElapsedTimer waited;
    waited.start();
    while (r.kind == FileChange::Recovery::Busy && waited.elapsed() < g_busyWaitMs) {
        QThread::msleep(20);
        r = FileChange::recoverFolder(projectDir);
    }
    if (busy)
        *busy = r.kind == FileChange::Recovery::Busy;
    switch (r.kind) {
    case FileChange::Recovery::None:
        return QString();
    case FileChange::Recovery::Completed:
        return QStringLiteral("The last change of the project was interrupted after all its files were written; "
                              "it has been completed: %1.")
                   .arg(journal::listed(r.files)) +
               journalLeft(r);
    case FileChange::Recovery::Undone: {
        if (r.files.isEmpty())
            return QStringLiteral("The last change of the project was interrupted before it changed any file%1; no "
                                  "file needed to be put back.")
                       .arg(r.cut ? QStringLiteral(" (its journal was cut short in its first line)") : QString()) +
                   journalLeft(r);
        QStringList asBefore = r.files;
        for (const QString &file : r.madeGone)
            asBefore.removeAll(file);
        QString text = QStringLiteral("The last change of the project was interrupted before it was complete; it has "
                                      "been undone.");
        if (!asBefore.isEmpty())
            text += QStringLiteral(" These files are as they were before it: %1.").arg(journal::listed(asBefore));
        if (!r.madeGone.isEmpty())
            text += QStringLiteral(" The files it had made are gone again: %1.").arg(journal::listed(r.madeGone));
        if (r.cut)
            text += QStringLiteral(" The last line of its journal was cut short and was not acted on.");
        return text + journalLeft(r);
    }
    case FileChange::Recovery::Busy:
        return QStringLiteral("Another copy of the program is changing the project right now; its change was "
                              "left as it is.");
    case FileChange::Recovery::Refused: {
        QString text = QStringLiteral("The project folder holds a change journal (%1) that no change of this program "
                                      "can have left: %2. Nothing was changed or removed.")
                           .arg(FileChange::journalName(), r.error);
        if (!r.files.isEmpty())
            text += QStringLiteral(" The journal names these files: %1.").arg(journal::listed(r.files));
        text += r.lying.isEmpty()
                    ? QStringLiteral(" No kept or temporary file of a change lies in the folder.")
                    : QStringLiteral(" These kept or temporary files of a change lie in the folder: %1.")
                          .arg(journal::listed(r.lying));
        return text + QStringLiteral(" Put the files in order by hand and remove the journal; until then no change "
                                     "of the project can be saved.");
    }
    case FileChange::Recovery::Failed:
        break;
    }
    QStringList back;
    for (const QString &file : r.files) {
        if (!r.notPutBack.contains(file))
            back << file;
    }
    QString text = QStringLiteral("The last change of the project was interrupted and could not be undone: these "
                                  "files could not be put back: %1.")
                       .arg(r.error);
    if (!back.isEmpty())
        text += QStringLiteral(" These files are as they were before it: %1.").arg(journal::listed(back));
    return text + QStringLiteral(" The journal %1 stays, so that the next opening of the project tries again.")
                      .arg(FileChange::journalName());
}
