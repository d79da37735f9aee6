#include "platform/file_change.h"

#include "support/file_size_limit.h"
#include "support/killed_change.h"
#include "support/power_cut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Files = std::map<QString, QByteArray>;

// One change: files written (bytes) or removed (nullopt) in this order.
struct Step {
    const char *file;
    const char *bytes; // nullptr: the file is removed
};

struct ChangeCase {
    const char *name;
    std::vector<Step> steps;
    bool hardLinks = true; // false: old files kept as copies, as where links cannot be made
};

const Files kBefore{{"a.ptf", "A0"},
                    {"b.ptf", "B0"},
                    {"notes.txt.korvalin-old", "the user's"},
                    {"images/m.jpg", "M0"}};

class FileChangeTest : public ::testing::TestWithParam<ChangeCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const auto &[name, bytes] : kBefore)
            put(name, bytes);
        FileChange::setHardLinks(GetParam().hardLinks);
    }
    void TearDown() override { FileChange::setHardLinks(true); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    void put(const QString &name, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    Files files() const
    {
        return power_cut::filesUnder(m_dir.path());
    }

    Files after() const
    {
        Files result = kBefore;
        for (const Step &s : GetParam().steps) {
            if (s.bytes)
                result[s.file] = s.bytes;
            else
                result.erase(s.file);
        }
        return result;
    }

    bool run(FileChange &change) const
    {
        for (const Step &s : GetParam().steps) {
            const bool ok = s.bytes ? change.write(path(s.file), s.bytes) : change.remove(path(s.file));
            if (!ok)
                return false;
        }
        return true;
    }

    QTemporaryDir m_dir;
};

TEST_P(FileChangeTest, CommitWritesEveryFileAndLeavesNothingBeside)
{
    FileChange change(m_dir.path());
    ASSERT_TRUE(run(change));
    ASSERT_TRUE(change.commit());
    EXPECT_EQ(files(), after());
}

TEST_P(FileChangeTest, UndoPutsEveryFileBack)
{
    {
        FileChange change(m_dir.path());
        ASSERT_TRUE(run(change));
    } // not committed
    EXPECT_EQ(files(), kBefore);
}

TEST_P(FileChangeTest, AChangeThatJoinsEndsWithTheOuterOne)
{
    FileChange outer(m_dir.path());
    {
        FileChange inner(m_dir.path());
        EXPECT_TRUE(inner.joined());
        ASSERT_TRUE(run(inner));
        EXPECT_TRUE(inner.commit());
    }
    outer.undo();
    EXPECT_EQ(files(), kBefore);
}

// Killed at every step it makes on disk: opened again, the folder holds the files before the
// change or those after it, never a mix, and nothing of the change's own.
TEST_P(FileChangeTest, AKillAtAnyStepLeavesOneStateAfterRecovery)
{
    int killed = 0;
    for (int step = 1;; ++step) {
        for (const auto &[name, bytes] : kBefore)
            put(name, bytes);
        const KilledRun r = runKilledAtStep(step, [&] {
            FileChange change(m_dir.path());
            return run(change) && change.commit();
        });
        ASSERT_NE(r, KilledRun::Failed) << "step " << step;
        const FileChange::Recovery rec = FileChange::recoverFolder(m_dir.path());
        const Files now = files();
        EXPECT_TRUE(now == kBefore || now == after()) << "killed at step " << step;
        if (rec.kind == FileChange::Recovery::Undone) {
            EXPECT_EQ(now, kBefore) << "step " << step;
        } else if (rec.kind == FileChange::Recovery::Completed) {
            EXPECT_EQ(now, after()) << "step " << step;
        }
        EXPECT_NE(rec.kind, FileChange::Recovery::Failed) << rec.error.toStdString();
        if (r == KilledRun::Finished)
            break;
        ++killed;
        // Files that did not change hold their bytes again for the next round.
        for (const auto &[name, bytes] : files())
            if (!kBefore.count(name))
                QFile::remove(path(name));
    }
    EXPECT_GT(killed, 2);
}

// Cut off by a power cut after any disk call, with what was not yet synced lost in any way a
// POSIX file system may lose it, the folder recovers to the files before or after the change; a
// change that is undone, to the files before it.
TEST_P(FileChangeTest, EveryStateAPowerCutLeavesRecoversToOneState)
{
    const Files before = files();
    for (const bool commit : {false, true}) {
        SCOPED_TRACE(commit ? "committed" : "undone");
        power_cut::Calls calls;
        {
            power_cut::Recorder recorder;
            {
                FileChange change(m_dir.path());
                ASSERT_TRUE(run(change));
                ASSERT_TRUE(!commit || change.commit());
            }
            calls = recorder.calls;
        }
        if (!commit) {
            ASSERT_EQ(files(), before);
        }
        power_cut::Replay replay(m_dir.path(), before, files(), calls);
        const QStringList failures = replay.failures();
        EXPECT_EQ(failures.size(), 0) << failures.mid(0, 8).join(QLatin1Char('\n')).toStdString();
        EXPECT_GE(replay.statesChecked(), 4);
    }
}

// A full disk fails the write that hits it; the whole change is then undone, and no kept file
// stays, also for a file that the failed write never replaced.
TEST_P(FileChangeTest, AFullDiskUndoesTheWholeChange)
{
    const LimitedWrite w = writeWithFileSizeLimit(1024, [&](QString &reason) {
        FileChange change(m_dir.path());
        bool ok = run(change) && change.write(path("a.ptf"), QByteArray(4096, 'x'));
        reason = change.lastError();
        ok = ok && change.commit();
        return ok;
    });
    ASSERT_TRUE(w.ran);
    EXPECT_FALSE(w.result);
    EXPECT_TRUE(w.reason.contains(fileTooLargeText())) << w.reason.toStdString();
    EXPECT_EQ(files(), kBefore);
}

std::vector<ChangeCase> changeCases(bool hardLinks)
{
    std::vector<ChangeCase> cases{
        {"WriteOne", {{"a.ptf", "A1"}}},
        {"WriteNew", {{"c.ptf", "C1"}}},
        {"RemoveOne", {{"b.ptf", nullptr}}},
        {"WriteTwiceAndNew", {{"a.ptf", "A1"}, {"c.ptf", "C1"}, {"a.ptf", "A2"}}},
        {"RemoveThenWrite", {{"b.ptf", nullptr}, {"b.ptf", "B1"}, {"a.ptf", nullptr}}},
        {"WriteThenRemoveNew", {{"c.ptf", "C1"}, {"c.ptf", nullptr}, {"a.ptf", "A1"}}},
        {"WriteBoth", {{"a.ptf", "A1"}, {"b.ptf", "B1"}}},
        // A plan's image lies in a subfolder: its names are made durable there too.
        {"WriteInASubfolder", {{"images/m.jpg", "M1"}, {"a.ptf", "A1"}}},
        {"NewAndRemovedInASubfolder", {{"images/n.jpg", "N1"}, {"images/m.jpg", nullptr}}},
    };
    for (ChangeCase &c : cases)
        c.hardLinks = hardLinks;
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<ChangeCase> &info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Changes, FileChangeTest, ::testing::ValuesIn(changeCases(true)), caseName);
INSTANTIATE_TEST_SUITE_P(ChangesByCopy, FileChangeTest, ::testing::ValuesIn(changeCases(false)), caseName);

TEST(FileChange, AJournalLeftOverStopsTheNextChangeUntilTheFolderIsRecovered)
{
    QTemporaryDir dir;
    {
        QFile f(dir.filePath("a.ptf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("A0");
    }
    ASSERT_EQ(runKilledAtStep(3, [&] {
                  FileChange change(dir.path());
                  return change.write(dir.filePath("a.ptf"), "A1") && change.commit();
              }),
              KilledRun::Killed);
    {
        FileChange second(dir.path());
        EXPECT_FALSE(second.write(dir.filePath("b.ptf"), "B"));
        EXPECT_TRUE(second.lastError().contains(FileChange::journalName())) << second.lastError().toStdString();
    }
    const FileChange::Recovery r = FileChange::recoverFolder(dir.path());
    EXPECT_EQ(r.kind, FileChange::Recovery::Undone);
    EXPECT_EQ(r.files, QStringList{"a.ptf"});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ptf"});
    EXPECT_EQ(FileChange::recoverFolder(dir.path()).kind, FileChange::Recovery::None);
}

TEST(FileChange, AJournalMarkedDoneIsCompleted)
{
    QTemporaryDir dir;
    auto put = [&](const char *name, const char *bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    put("a.ptf", "A1");
    put("a.ptf.korvalin-old", "A0");
    struct stat old, now;
    ASSERT_EQ(::lstat(QFile::encodeName(dir.filePath("a.ptf.korvalin-old")).constData(), &old), 0);
    ASSERT_EQ(::lstat(QFile::encodeName(dir.filePath("a.ptf")).constData(), &now), 0);
    put(qPrintable(FileChange::journalName()),
        "KORVALIN-CHANGE 1\nkeep\ta.ptf\ta.ptf.korvalin-old\ta.ptf.korvalin-new\t" + QByteArray::number(quint64(old.st_ino)) +
            "\nid\ta.ptf.korvalin-new\t" + QByteArray::number(quint64(now.st_ino)) + "\ndone\n");
    const FileChange::Recovery r = FileChange::recoverFolder(dir.path());
    EXPECT_EQ(r.kind, FileChange::Recovery::Completed);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ptf"});
}

// One disk call fails: a change not yet done is undone, and a journal whose files are not all
// put back, or whose kept files are not surely gone, stays for the next opening, which then
// ends it as it should have ended.
struct FailedCall {
    const char *name;
    FileChange::DiskCall::Kind kind;
    const char *pathPart; // the failing call's path holds this
    enum Phase { Commit, Undo, RecoveryOfUndone, RecoveryOfDone } phase;
};

class FileChangeFailedCall : public ::testing::TestWithParam<FailedCall>
{
};

TEST_P(FileChangeFailedCall, LeavesTheOldFilesOrAJournalThatEndsTheChange)
{
    const FailedCall &row = GetParam();
    QTemporaryDir dir;
    auto put = [&](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    put("a.ptf", "A0");
    put("b.ptf", "B0");
    const Files before{{"a.ptf", "A0"}, {"b.ptf", "B0"}};
    const Files after{{"a.ptf", "A1"}, {"c.ptf", "C1"}};
    auto now = [&] {
        Files result;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::ReadOnly);
            result[name] = f.readAll();
        }
        return result;
    };
    bool failed = false;
    auto arm = [&] {
        FileChange::setDiskRecorder([&](const FileChange::DiskCall &call) {
            if (failed || call.kind != row.kind || !call.path.contains(QLatin1String(row.pathPart)))
                return true;
            failed = true;
            return false;
        });
    };
    auto change = [&](FileChange &c) {
        return c.write(dir.filePath("a.ptf"), "A1") && c.remove(dir.filePath("b.ptf")) &&
               c.write(dir.filePath("c.ptf"), "C1");
    };
    const QString journal = dir.filePath(FileChange::journalName());
    if (row.phase == FailedCall::Commit || row.phase == FailedCall::Undo) {
        {
            FileChange c(dir.path());
            ASSERT_TRUE(change(c));
            arm();
            if (row.phase == FailedCall::Commit) {
                EXPECT_FALSE(c.commit());
                EXPECT_FALSE(c.lastError().isEmpty());
            } else {
                c.undo();
                EXPECT_FALSE(c.lastError().isEmpty());
            }
        }
        FileChange::setDiskRecorder(nullptr);
        ASSERT_TRUE(failed);
        if (row.phase == FailedCall::Undo) {
            EXPECT_TRUE(QFile::exists(journal));
        }
        const FileChange::Recovery r = FileChange::recoverFolder(dir.path());
        EXPECT_NE(r.kind, FileChange::Recovery::Failed) << r.error.toStdString();
        EXPECT_EQ(now(), before);
        return;
    }
    // Recovery: a change killed with two files replaced, or once done.
    // Killed once the journal says done, or earlier with files replaced.
    const bool toDone = row.phase == FailedCall::RecoveryOfDone;
    ASSERT_EQ(runKilledAtStep(
                  toDone ? -1 : 6,
                  [&] {
                      FileChange c(dir.path());
                      return change(c) && c.commit();
                  },
                  [&] {
                      QFile j(journal);
                      return toDone && j.open(QIODevice::ReadOnly) && j.readAll().endsWith("done\n");
                  }),
              KilledRun::Killed);
    arm();
    FileChange::Recovery r = FileChange::recoverFolder(dir.path());
    FileChange::setDiskRecorder(nullptr);
    ASSERT_TRUE(failed);
    // A complete change is told as complete, with the journal that stays; any other failed.
    const bool done = row.phase == FailedCall::RecoveryOfDone;
    EXPECT_EQ(r.kind, done ? FileChange::Recovery::Completed : FileChange::Recovery::Failed);
    EXPECT_FALSE((done ? r.journalError : r.error).isEmpty());
    EXPECT_TRUE(QFile::exists(journal));
    r = FileChange::recoverFolder(dir.path());
    EXPECT_EQ(r.kind, done ? FileChange::Recovery::Completed : FileChange::Recovery::Undone);
    EXPECT_EQ(now(), done ? after : before);
}

using K = FileChange::DiskCall;
INSTANTIATE_TEST_SUITE_P(
    Calls, FileChangeFailedCall,
    ::testing::Values(FailedCall{"DataSyncBeforeDone", K::SyncFile, "a.ptf", FailedCall::Commit},
                      FailedCall{"FolderSyncBeforeDone", K::SyncFolder, "", FailedCall::Commit},
                      FailedCall{"JournalSyncOfDone", K::SyncFile, "korvalin.journal", FailedCall::Commit},
                      FailedCall{"PutBackInUndo", K::Rename, "korvalin-old", FailedCall::Undo},
                      FailedCall{"FolderSyncInUndo", K::SyncFolder, "", FailedCall::Undo},
                      FailedCall{"PutBackInRecovery", K::Rename, "korvalin-old", FailedCall::RecoveryOfUndone},
                      FailedCall{"FolderSyncInRecoveryOfUndone", K::SyncFolder, "", FailedCall::RecoveryOfUndone},
                      FailedCall{"FolderSyncInRecoveryOfDone", K::SyncFolder, "", FailedCall::RecoveryOfDone}),
    [](const ::testing::TestParamInfo<FailedCall> &info) { return std::string(info.param.name); });

// A write outside any change into the open project's folder is journaled as a change of its own.
TEST(FileChange, ASingleWriteIntoTheHomeFolderIsAChangeOfItsOwn)
{
    QTemporaryDir dir;
    const QString home = dir.path();
    FileChange::setHomeFolder(&home);
    bool handled = false, journaled = false;
    QString error;
    FileChange::setDiskRecorder([&](const FileChange::DiskCall &call) {
        journaled = journaled || call.path.endsWith(FileChange::journalName());
        return true;
    });
    EXPECT_TRUE(FileChange::writeFile(dir.filePath("a.ptf"), "A1", handled, error));
    FileChange::setDiskRecorder(nullptr);
    FileChange::setHomeFolder(nullptr);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(journaled);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ptf"});
}

// A journal that names itself as a kept file cannot make recovery put it over a user's file.
TEST(FileChange, RecoveryIgnoresAJournalNamingItself)
{
    QTemporaryDir dir;
    {
        QFile a(dir.filePath("a.ptf"));
        ASSERT_TRUE(a.open(QIODevice::WriteOnly));
        a.write("mine");
        QFile j(dir.filePath(FileChange::journalName()));
        ASSERT_TRUE(j.open(QIODevice::WriteOnly));
        j.write("KORVALIN-CHANGE 1\nkeep\ta.ptf\tkorvalin.journal\ta.ptf.korvalin-new\n");
    }
    FileChange::recoverFolder(dir.path());
    QFile a(dir.filePath("a.ptf"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), "mine");
}

// A change that another copy of the program is still making is not taken for an interrupted one.
TEST(FileChange, RecoveryLeavesAChangeThatIsStillRunning)
{
    QTemporaryDir dir;
    FileChange running(dir.path());
    ASSERT_TRUE(running.write(dir.filePath("a.ptf"), "A1"));
    const FileChange::Recovery r = FileChange::recoverFolder(dir.path());
    EXPECT_EQ(r.kind, FileChange::Recovery::Busy);
    EXPECT_TRUE(QFile::exists(dir.filePath(FileChange::journalName())));
    ASSERT_TRUE(running.commit());
    QFile a(dir.filePath("a.ptf"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), "A1");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ptf"});
}

// Two copies of the program on one folder: one makes change after change while the other opens
// the folder again and again. The journal of a running change is never taken for one that was
// interrupted: never acted on, never removed.
TEST(FileChange, ASecondCopyOpeningTheFolderNeverTakesTheJournalOfARunningChange)
{
    QTemporaryDir dir;
    const QByteArray journal = QFile::encodeName(dir.filePath(FileChange::journalName()));
    constexpr int kChanges = 1000;
    const pid_t changer = fork();
    ASSERT_GE(changer, 0);
    if (changer == 0) {
        int lost = 0;
        for (int i = 0; i < kChanges; ++i) {
            FileChange change(dir.path());
            const bool wrote = change.write(dir.filePath("a.ptf"), QByteArray::number(i));
            struct stat st;
            if (!wrote || ::lstat(journal.constData(), &st) != 0 || !change.commit())
                ++lost;
        }
        std::_Exit(std::min(lost, 100));
    }
    int actedOn = 0;
    int status = 0;
    while (waitpid(changer, &status, WNOHANG) == 0) {
        const FileChange::Recovery r = FileChange::recoverFolder(dir.path());
        if (r.kind != FileChange::Recovery::None && r.kind != FileChange::Recovery::Busy)
            ++actedOn;
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "changes whose journal was removed while they ran";
    EXPECT_EQ(actedOn, 0) << "running changes taken for interrupted ones";
    QFile a(dir.filePath("a.ptf"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), QByteArray::number(kChanges - 1));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ptf"});
}

} // namespace
