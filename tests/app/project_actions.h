#pragma once

// The user's actions on the handbook's sample project, each driven as far as its final click and
// then made, in a child process so that every run starts from the same program state and may end
// as a full disk or a kill ends it. The parent opens a fresh copy of the project before each run
// and judges the files the child leaves.

#include "app/Main.h"
#include "data/data_module_1.h"
#include "platform/file_change.h"
#include "support/file_size_limit.h"
#include "support/project_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QListWidget>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>

// A step of an action's preparation that did not go as a user's would: the run is void.
struct ActionSetupError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ProjectAction {
    const char *name;
    // The files the action writes or removes, first to last: each gets a take-back row in which
    // its write fails.
    std::vector<const char *> writes;
    void (*prepare)(); // opens the windows and makes the edits, up to the final click
    bool (*commit)();  // the final click; true when the window shows the action done
    void (*arrange)(const QString &projectDir) = nullptr; // changes the copy before it is opened
    // A table the action reads anew from its file before it writes, and how: a failure leaves it
    // as its file holds it rather than as it was before the click.
    const char *rereadTable = nullptr;
    void (*reread)() = nullptr;
    // A file the action rebuilds section by section: with an input damaged, each section is as
    // before or as the intact run writes it.
    const char *rebuiltInParts = nullptr;
};

inline void PrintTo(const ProjectAction &action, std::ostream *os)
{
    *os << action.name;
}

// The dialogs of the test that runs: the preparations script their answers.
inline ScriptedDialogs *&actionDialogs()
{
    static ScriptedDialogs *dialogs = nullptr;
    return dialogs;
}

// What a child reports of one run.
struct ActionRun {
    bool ran = false;     // the child reported back
    QString setupError;   // the preparation failed: nothing was judged
    bool result = false;  // the window showed the action done
    QStringList messages; // the messages of the final click (of the preparation, when it failed)
    QString memoryBefore; // the tables and lists before the final click
    QString memoryAfter;  // and after it
    QString memoryReread; // after it, with the action's reread table read from its file
    int steps = 0;        // the disk steps of the changes made
    // Per message of the final click: the files that differed from the folder before it, or were
    // left of a change, while its box was up ("" when none).
    QStringList changedWhenTold;
};

// The tables of the data module and the lists of the windows shown, as text: what a failed action
// is to leave as it found it.
inline QString memorySnapshot()
{
    QStringList lines;
    for (Table *t : dm1->tables()) {
        QString rows;
        try {
            rows = dumpTable(*t);
        } catch (...) {
            rows = QStringLiteral("<unreadable>");
        }
        for (const QString &row : rows.split(QLatin1Char('\n')))
            lines << t->name() + QStringLiteral(": ") + row;
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        for (const QListWidget *list : window->findChildren<QListWidget *>()) {
            QStringList items;
            for (int i = 0; i < list->count(); ++i)
                items << list->item(i)->text() + (list->item(i)->isSelected() ? QStringLiteral("*") : QString());
            lines << window->objectName() + QLatin1Char('.') + list->objectName() + QStringLiteral(": ") +
                         items.join(QLatin1Char('|'));
        }
        for (const QComboBox *box : window->findChildren<QComboBox *>()) {
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            lines << window->objectName() + QLatin1Char('.') + box->objectName() + QStringLiteral(": ") +
                         items.join(QLatin1Char('|')) + QStringLiteral(" @") + QString::number(box->currentIndex());
        }
    }
    return lines.join(QLatin1Char('\n'));
}

// The lines of one snapshot that the other lacks ("-") or adds ("+"), empty for equal ones.
inline QString memoryChanges(const QString &before, const QString &after)
{
    QStringList a = before.split(QLatin1Char('\n'));
    QStringList b = after.split(QLatin1Char('\n'));
    QStringList changes;
    for (const QString &line : std::as_const(a)) {
        if (!b.removeOne(line))
            changes << QStringLiteral("-") + line;
    }
    for (const QString &line : std::as_const(b))
        changes << QStringLiteral("+") + line;
    return changes.join(QLatin1Char('\n'));
}

// Every file under the folder by its relative path, with its bytes. The time of the last save in
// the project file is left out: two runs of one action are seconds apart.
using FolderFiles = std::map<QString, QByteArray>;

inline FolderFiles folderFiles(const QString &folder)
{
    static const QRegularExpression lastSave(QStringLiteral("\"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\""));
    FolderFiles files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray bytes = fileBytes(path);
        if (path.endsWith(QLatin1String(".ppr")))
            bytes = QString::fromLatin1(bytes).replace(lastSave, QStringLiteral("\"<time>\"")).toLatin1();
        files[QDir(folder).relativeFilePath(path)] = bytes;
    }
    return files;
}

// The files of the change unit that a finished or undone change must not leave behind.
inline QStringList leftovers(const FolderFiles &files)
{
    QStringList found;
    for (const auto &[name, bytes] : files) {
        if (name.contains(QLatin1String(".korvalin-")) || QFileInfo(name).fileName() == FileChange::journalName())
            found << name;
    }
    return found;
}

// The files whose bytes differ between two states, a file there in only one of them included.
inline QStringList differingFiles(const FolderFiles &a, const FolderFiles &b)
{
    QStringList names;
    for (const auto &[name, bytes] : a) {
        const auto it = b.find(name);
        if (it == b.end() || it->second != bytes)
            names << name;
    }
    for (const auto &[name, bytes] : b) {
        if (!a.count(name))
            names << name;
    }
    names.sort();
    return names;
}

namespace project_actions_detail {
inline int &stepCount()
{
    static int steps = 0;
    return steps;
}
// The file whose write is to fail, and the folder made to stop it.
inline QString &blockedFile()
{
    static QString file;
    return file;
}
inline QString &blocker()
{
    static QString folder;
    return folder;
}
// Once the journal names the blocked file, a folder takes the name its kept old bytes or its
// new ones are to get: the file's write fails there, while it can still be read.
inline void countStep()
{
    ++stepCount();
    if (blockedFile().isEmpty() || !blocker().isEmpty())
        return;
    const QByteArray journal = fileBytes(ProjectDir + QLatin1Char('/') + FileChange::journalName());
    QList<QByteArray> lines = journal.split('\n');
    // A removal's line says so on the line after it.
    if (lines.size() >= 2 && lines[lines.size() - 2].startsWith("gone\t"))
        lines.removeAt(lines.size() - 2);
    if (lines.size() < 2)
        return;
    const QList<QByteArray> fields = lines[lines.size() - 2].split('\t');
    if (fields.size() < 3 || (fields[0] != "keep" && fields[0] != "new") ||
        QUrl::fromPercentEncoding(fields[1]) != blockedFile())
        return;
    blocker() = ProjectDir + QLatin1Char('/') + QUrl::fromPercentEncoding(fields[2]);
    QDir().mkpath(blocker());
}
} // namespace project_actions_detail

// Prepares and makes the action in a child under the file-size limit. The write of a blocked file
// (relative to the project folder) fails.
inline ActionRun runAction(const ProjectAction &action, rlim_t limit = RLIM_INFINITY, const QString &blocked = {})
{
    const LimitedWrite w = writeWithFileSizeLimit(limit, [&](QString &out) {
        ActionRun run;
        project_actions_detail::stepCount() = 0;
        FileChange::setStepObserver(&project_actions_detail::countStep);
        try {
            action.prepare();
            run.memoryBefore = memorySnapshot();
            project_actions_detail::blockedFile() = blocked;
            const qsizetype shown = actionDialogs()->messages.size();
            const FolderFiles before = folderFiles(ProjectDir);
            actionDialogs()->onMessage = [&](const QString &) {
                const FolderFiles now = folderFiles(ProjectDir);
                QStringList changed = differingFiles(before, now);
                for (const QString &left : leftovers(now))
                    if (!changed.contains(left))
                        changed << left;
                run.changedWhenTold << changed.join(QStringLiteral(", "));
            };
            run.result = action.commit();
            actionDialogs()->onMessage = nullptr;
            run.messages = actionDialogs()->messages.mid(shown);
            run.memoryAfter = memorySnapshot();
            if (action.reread) {
                action.reread();
                run.memoryReread = memorySnapshot();
            }
            if (!blocked.isEmpty()) {
                if (project_actions_detail::blocker().isEmpty())
                    throw ActionSetupError("never wrote " + blocked.toStdString());
                QDir().rmdir(project_actions_detail::blocker());
            }
        } catch (const std::exception &e) {
            actionDialogs()->onMessage = nullptr;
            run.setupError = QString::fromStdString(e.what());
            run.messages = actionDialogs()->messages; // those that told why, if any
        }
        run.steps = project_actions_detail::stepCount();
        QByteArray payload;
        QDataStream s(&payload, QIODevice::WriteOnly);
        s << run.setupError << run.result << run.messages << run.memoryBefore << run.memoryAfter << run.memoryReread
          << run.steps << run.changedWhenTold;
        out = QString::fromLatin1(payload.toBase64());
        return true;
    });
    ActionRun run;
    if (!w.ran)
        return run;
    QByteArray payload = QByteArray::fromBase64(w.reason.toLatin1());
    QDataStream s(&payload, QIODevice::ReadOnly);
    s >> run.setupError >> run.result >> run.messages >> run.memoryBefore >> run.memoryAfter >> run.memoryReread >>
        run.steps >> run.changedWhenTold;
    run.ran = s.status() == QDataStream::Ok;
    return run;
}

// What the tables and lists are to hold after the action failed: what they held before it (the
// reread table as its file holds it, if asked). The trip and stop-row tables hold one timetable at a time,
// read anew by whatever uses them: only one that held a timetable before the click must hold it
// still.
inline QString memoryExpected(const ProjectAction &action, const ActionRun &run, bool reread)
{
    const QStringList before = run.memoryBefore.split(QLatin1Char('\n'));
    QStringList fromAfter;
    for (const char *work : {"cdsTimeTable", "cdsTimeTableConnections"}) {
        const QString prefix = QLatin1String(work) + QStringLiteral(": ");
        if (before.filter(QRegularExpression(QStringLiteral("^") + prefix)) == QStringList{prefix})
            fromAfter << prefix;
    }
    auto from = [](const QString &memory, const QString &prefix) {
        return memory.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^") + prefix));
    };
    QStringList lines;
    for (const QString &line : before) {
        const bool replaced =
            std::any_of(fromAfter.begin(), fromAfter.end(), [&](const QString &p) { return line.startsWith(p); }) ||
            (reread && line.startsWith(QLatin1String(action.rereadTable) + QStringLiteral(": ")));
        if (!replaced)
            lines << line;
    }
    for (const QString &prefix : std::as_const(fromAfter))
        lines << from(run.memoryAfter, prefix);
    if (reread)
        lines << from(run.memoryReread, QLatin1String(action.rereadTable) + QStringLiteral(": "));
    return lines.join(QLatin1Char('\n'));
}

// A failed action left the tables and lists as they were, the reread table as before or as its
// file holds it.
inline ::testing::AssertionResult memoryTakenBack(const ProjectAction &action, const ActionRun &run)
{
    const QString changes = memoryChanges(memoryExpected(action, run, false), run.memoryAfter);
    if (changes.isEmpty() ||
        (action.rereadTable && memoryChanges(memoryExpected(action, run, true), run.memoryAfter).isEmpty()))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "tables and lists changed:\n" << changes.toStdString();
}

// The state without one file, to compare the others.
inline FolderFiles without(FolderFiles files, const QString &name)
{
    files.erase(name);
    return files;
}
