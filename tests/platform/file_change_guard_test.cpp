// What a change checks before its first write, under its journal's lock, and what holds its
// journal's lock: another copy of the program, a folder from elsewhere and the calls that reach the
// system.
#include "platform/file_change.h"
#include "platform/file_stamps.h"

#include "support/killed_change.h"
#include "support/power_cut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <functional>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int g_fileSyncs = 0;
int g_folderSyncs = 0;
// An open of a name that ends so fails, as when no descriptor is left.
const char *g_failOpenOf = nullptr;

} // namespace

extern "C" int open(const char *path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    const size_t n = g_failOpenOf ? std::strlen(g_failOpenOf) : 0;
    const size_t length = std::strlen(path);
    if (n && length >= n && std::strcmp(path + length - n, g_failOpenOf) == 0) {
        errno = EMFILE;
        return -1;
    }
    static const auto real = reinterpret_cast<int (*)(const char *, int, ...)>(dlsym(RTLD_NEXT, "open"));
    return real(path, flags, mode);
}

// The system's own calls, counted where they reach the system: a sync the change records but does
// not make is seen.
extern "C" int fdatasync(int fd)
{
    ++g_fileSyncs;
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"));
    return real(fd);
}

extern "C" int fsync(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
        ++g_folderSyncs;
    else
        ++g_fileSyncs;
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

bool journalThere(const QString &folder)
{
    return QFileInfo::exists(folder + QLatin1Char('/') + FileChange::journalName()) ||
           QFileInfo(folder + QLatin1Char('/') + FileChange::journalName()).isSymLink();
}

// A project folder "p" with two files, and a folder "outside" beside it.
class Guard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_dir = m_root.path() + QStringLiteral("/p");
        put(file("a.ptf"), "A0");
        put(file("b.ptf"), "B0");
        put(m_root.path() + QStringLiteral("/outside/x.jpg"), "not the project's");
        FileStamps::forgetAll();
    }
    void TearDown() override
    {
        FileStamps::forgetAll();
        FileChange::setDiskRecorder(nullptr);
    }

    QString file(const QString &name) const { return m_dir + QLatin1Char('/') + name; }
    power_cut::Files everything() const { return power_cut::filesUnder(m_root.path()); }

    // One write as a change of its own; its error, empty when it went through.
    QString writeAlone(const QString &name, const QByteArray &bytes)
    {
        FileChange change(m_dir);
        if (change.write(file(name), bytes) && change.commit())
            return QString();
        return change.failedFile() + QStringLiteral(": ") + change.lastError();
    }

    QTemporaryDir m_root;
    QString m_dir;
};

// ------------------------------------------------------------------ two copies of the program

// One copy is held at a disk call of its change while another copy saves the same file. Whichever
// way the race goes, a save told as accepted is never lost: the held copy's view of the file is
// older than the other's save, so it is refused unless it held the folder's lock before that save
// began, in which case the other one is refused.
struct HeldCopy
{
    const char *name;
    FileChange::DiskCall::Kind kind; // the held copy stops before its first call of this kind on the journal
    const char *line;                // ... whose bytes start so (empty: any)
    bool heldOneWins;
};

class TwoCopies : public Guard, public ::testing::WithParamInterface<HeldCopy>
{
};

TEST_P(TwoCopies, NoSaveToldAsAcceptedIsLost)
{
    const HeldCopy &row = GetParam();
    FileStamps::noteRead(file("a.ptf"));
    int toParent[2], toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t held = fork();
    ASSERT_GE(held, 0);
    if (held == 0) {
        bool waited = false;
        FileChange::setDiskRecorder([&](const FileChange::DiskCall &call) {
            if (!waited && call.kind == row.kind && call.path.endsWith(FileChange::journalName()) &&
                call.bytes.startsWith(row.line)) {
                waited = true;
                char c = 1;
                (void)!::write(toParent[1], &c, 1);
                (void)!::read(toChild[0], &c, 1);
            }
            return true;
        });
        FileChange change(m_dir);
        const bool ok = change.write(file("a.ptf"), "held") && change.commit();
        std::_Exit(ok ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(::read(toParent[0], &c, 1), 1);
    const QString other = writeAlone(QStringLiteral("a.ptf"), "other");
    ASSERT_EQ(::write(toChild[1], &c, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(held, &status, 0), held);
    ASSERT_TRUE(WIFEXITED(status));
    const bool heldAccepted = WEXITSTATUS(status) == 0;
    EXPECT_NE(heldAccepted, other.isEmpty()) << "both or neither accepted: " << other.toStdString();
    EXPECT_EQ(heldAccepted, row.heldOneWins) << other.toStdString();
    EXPECT_EQ(bytesOf(file("a.ptf")), heldAccepted ? QByteArray("held") : QByteArray("other"));
    EXPECT_FALSE(journalThere(m_dir));
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        ::close(fd);
}

INSTANTIATE_TEST_SUITE_P(
    Races, TwoCopies,
    ::testing::Values(HeldCopy{"BeforeItsJournal", FileChange::DiskCall::Create, "", false},
                      HeldCopy{"BetweenItsCheckAndItsFirstWrite", FileChange::DiskCall::Write, "keep", true}),
    [](const ::testing::TestParamInfo<HeldCopy> &info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ what a save relied on

// Another program does something to r.ptf, a file this copy read (or only wrote), before this
// copy saves w.ptf.
struct Relied
{
    const char *name;
    enum Seen { Written, Read, WrittenThenRead } seen; // what this copy did with r.ptf
    std::function<void(const QString &r)> elsewhere; // what the other program does
    bool refused;
};

class ReliedOn : public Guard, public ::testing::WithParamInterface<Relied>
{
};

TEST_P(ReliedOn, ASaveIsRefusedWhenAFileItReadChangedElsewhere)
{
    const Relied &row = GetParam();
    put(file("r.ptf"), "R0");
    if (QByteArray(row.name).contains("Created"))
        QFile::remove(file("r.ptf"));
    if (row.seen != Relied::Read)
        FileStamps::noteWritten(file("r.ptf"));
    if (row.seen != Relied::Written)
        FileStamps::noteRead(file("r.ptf"));
    row.elsewhere(file("r.ptf"));
    const power_cut::Files before = everything();
    const QString error = writeAlone(QStringLiteral("w.ptf"), "W1");
    EXPECT_EQ(!error.isEmpty(), row.refused) << error.toStdString();
    EXPECT_FALSE(journalThere(m_dir));
    if (row.refused) {
        EXPECT_EQ(everything(), before);
        EXPECT_TRUE(error.startsWith(QLatin1String("w.ptf: the project was changed elsewhere: another program changed "
                                                   "r.ptf, which this save relies on,")))
            << error.toStdString();
    } else {
        EXPECT_EQ(bytesOf(file("w.ptf")), "W1");
    }
}

void rewritten(const QString &path)
{
    QFile::remove(path);
    put(path, "R1 of the other copy");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReliedOn,
    ::testing::Values(Relied{"ReadAndRewritten", Relied::Read, rewritten, true},
                      Relied{"ReadAndRemoved", Relied::Read, [](const QString &r) { QFile::remove(r); }, true},
                      Relied{"FoundMissingAndCreated", Relied::Read, [](const QString &r) { put(r, "new"); }, true},
                      Relied{"ReadAndLeftAlone", Relied::Read, [](const QString &) {}, false},
                      Relied{"OnlyWrittenAndRewritten", Relied::Written, rewritten, false},
                      Relied{"WrittenThenReadAndRewritten", Relied::WrittenThenRead, rewritten, true}),
    [](const ::testing::TestParamInfo<Relied> &info) { return std::string(info.param.name); });

// ------------------------------------------------------------------ a folder from elsewhere

// A name of the change that passes through a link, or a kept or temporary file of another change
// beside the file: refused before the first write, with one reason, nothing written anywhere and
// no journal left; the change's other files are not touched either.
struct Refusal
{
    const char *name;
    std::function<void(const QString &root)> arrange;
    const char *file; // written by the change, after a.ptf
    const char *reason;
};

class FolderFromElsewhere : public Guard, public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(FolderFromElsewhere, RefusesBeforeItsFirstWrite)
{
    const Refusal &row = GetParam();
    row.arrange(m_root.path());
    const power_cut::Files before = everything();
    FileChange change(m_dir);
    const bool ok = change.write(file(QLatin1String(row.file)), "new") && change.commit();
    EXPECT_FALSE(ok);
    EXPECT_EQ(change.failedFile(), QLatin1String(row.file));
    EXPECT_TRUE(change.lastError().contains(QLatin1String(row.reason))) << change.lastError().toStdString();
    EXPECT_EQ(everything(), before);
    EXPECT_FALSE(journalThere(m_dir));
}

INSTANTIATE_TEST_SUITE_P(
    Names, FolderFromElsewhere,
    ::testing::Values(
        Refusal{"SubfolderIsALink",
                [](const QString &root) { ASSERT_EQ(::symlink("../outside", qPrintable(root + "/p/images")), 0); },
                "images/x.jpg", "passes through a symbolic link (images)"},
        Refusal{"DeeperFolderIsALink",
                [](const QString &root) {
                    QDir().mkpath(root + "/p/web");
                    ASSERT_EQ(::symlink("../../outside", qPrintable(root + "/p/web/images")), 0);
                },
                "web/images/x.jpg", "passes through a symbolic link (web/images)"},
        Refusal{"KeptFileOfAnotherChange", [](const QString &root) { put(root + "/p/a.ptf.korvalin-old", "older"); },
                "a.ptf", "a kept or temporary file of another change (a.ptf.korvalin-old) lies beside it"},
        Refusal{"CountedTemporaryFileOfAnotherChange",
                [](const QString &root) { put(root + "/p/a.ptf.korvalin-new3", "half"); }, "a.ptf",
                "a kept or temporary file of another change (a.ptf.korvalin-new3)"},
        Refusal{"CopyOfAnotherChangeInASubfolder",
                [](const QString &root) { put(root + "/p/images/m.jpg.korvalin-copy", "copy"); }, "images/m.jpg",
                "a kept or temporary file of another change (images/m.jpg.korvalin-copy)"}),
    [](const ::testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

// A data file that is itself a link is replaced by a file; its target stays as it was, also when
// the change is killed at any step and the folder recovered: the link is then back, or the file.
TEST_F(Guard, ADataFileThatIsALinkIsReplacedAndItsTargetStays)
{
    const QString target = m_root.path() + QStringLiteral("/outside/x.jpg");
    auto arrange = [&] {
        QFile::remove(file("a.ptf"));
        ASSERT_EQ(::symlink("../outside/x.jpg", qPrintable(file("a.ptf"))), 0);
    };
    int killed = 0;
    for (int step = 1;; ++step) {
        arrange();
        const KilledRun r = runKilledAtStep(step, [&] {
            FileChange change(m_dir);
            return change.write(file("a.ptf"), "A1") && change.write(file("b.ptf"), "B1") && change.commit();
        });
        ASSERT_NE(r, KilledRun::Failed) << "step " << step;
        const FileChange::Recovery rec = FileChange::recoverFolder(m_dir);
        EXPECT_TRUE(rec.kind == FileChange::Recovery::None || rec.kind == FileChange::Recovery::Undone ||
                    rec.kind == FileChange::Recovery::Completed)
            << "step " << step << ": " << rec.error.toStdString();
        EXPECT_EQ(bytesOf(target), "not the project's") << "step " << step;
        const bool isNew = !QFileInfo(file("a.ptf")).isSymLink();
        EXPECT_EQ(bytesOf(file("a.ptf")), isNew ? QByteArray("A1") : QByteArray("not the project's"));
        EXPECT_EQ(bytesOf(file("b.ptf")), isNew ? QByteArray("B1") : QByteArray("B0")) << "step " << step;
        EXPECT_EQ(QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList({"a.ptf", "b.ptf"}))
            << "step " << step;
        put(file("b.ptf"), "B0");
        if (r == KilledRun::Finished)
            break;
        ++killed;
    }
    EXPECT_GT(killed, 4);
}

// ------------------------------------------------------------------ the journal's lock

// The journal is removed while its lock is held: another copy never finds it unlocked and takes a
// finished change for an interrupted one.
enum class Ending { Commit, Undo, RecoveryOfDone, RecoveryOfUndone };

class JournalLock : public Guard, public ::testing::WithParamInterface<Ending>
{
};

TEST_P(JournalLock, IsHeldWhenTheJournalGoes)
{
    const Ending ending = GetParam();
    const QString journal = file(FileChange::journalName());
    auto change = [&](FileChange &c) { return c.write(file("a.ptf"), "A1") && c.write(file("c.ptf"), "C1"); };
    if (ending == Ending::RecoveryOfDone || ending == Ending::RecoveryOfUndone) {
        const bool done = ending == Ending::RecoveryOfDone;
        ASSERT_EQ(runKilledAtStep(
                      done ? -1 : 8,
                      [&] {
                          FileChange c(m_dir);
                          return change(c) && c.commit();
                      },
                      [&] { return done && bytesOf(journal).endsWith("done\n"); }),
                  KilledRun::Killed);
    }
    int removals = 0, unlocked = 0;
    FileChange::setDiskRecorder([&](const FileChange::DiskCall &call) {
        if (call.kind != FileChange::DiskCall::Unlink || call.path != journal)
            return true;
        ++removals;
        const int fd = ::open(QFile::encodeName(journal).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ++unlocked;
        if (fd >= 0)
            ::close(fd);
        return true;
    });
    if (ending == Ending::Commit || ending == Ending::Undo) {
        FileChange c(m_dir);
        ASSERT_TRUE(change(c));
        if (ending == Ending::Commit) {
            ASSERT_TRUE(c.commit());
        } else {
            c.undo();
        }
    } else {
        const FileChange::Recovery r = FileChange::recoverFolder(m_dir);
        EXPECT_EQ(r.kind, ending == Ending::RecoveryOfDone ? FileChange::Recovery::Completed
                                                           : FileChange::Recovery::Undone);
    }
    FileChange::setDiskRecorder(nullptr);
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(unlocked, 0);
    EXPECT_FALSE(journalThere(m_dir));
}

std::string endingName(const ::testing::TestParamInfo<Ending> &info)
{
    static const char *names[] = {"Commit", "Undo", "RecoveryOfDone", "RecoveryOfUndone"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Endings, JournalLock,
                         ::testing::Values(Ending::Commit, Ending::Undo, Ending::RecoveryOfDone,
                                           Ending::RecoveryOfUndone),
                         endingName);

// ------------------------------------------------------------------ the calls that reach the system

// Every sync the change records is made, and no other: the power-cut rows replay the recorded
// calls, so these must be the calls the system saw.
struct SyncCase
{
    const char *name;
    bool hardLinks;
    bool commit;
};

class SyncsMade : public Guard, public ::testing::WithParamInterface<SyncCase>
{
};

TEST_P(SyncsMade, AreTheSyncsRecorded)
{
    FileChange::setHardLinks(GetParam().hardLinks);
    int recordedFile = 0, recordedFolder = 0;
    FileChange::setDiskRecorder([&](const FileChange::DiskCall &call) {
        recordedFile += call.kind == FileChange::DiskCall::SyncFile;
        recordedFolder += call.kind == FileChange::DiskCall::SyncFolder;
        return true;
    });
    put(file("images/m.jpg"), "M0");
    g_fileSyncs = g_folderSyncs = 0;
    {
        FileChange c(m_dir);
        ASSERT_TRUE(c.write(file("a.ptf"), "A1") && c.remove(file("b.ptf")) && c.write(file("images/m.jpg"), "M1"));
        if (GetParam().commit) {
            ASSERT_TRUE(c.commit());
        }
    }
    const int fileSyncs = g_fileSyncs, folderSyncs = g_folderSyncs;
    FileChange::setDiskRecorder(nullptr);
    FileChange::setHardLinks(true);
    EXPECT_GT(recordedFile, 0);
    EXPECT_GT(recordedFolder, 0);
    EXPECT_EQ(fileSyncs, recordedFile);
    EXPECT_EQ(folderSyncs, recordedFolder);
}

INSTANTIATE_TEST_SUITE_P(Changes, SyncsMade,
                         ::testing::Values(SyncCase{"Committed", true, true}, SyncCase{"Undone", true, false},
                                           SyncCase{"CommittedByCopies", false, true},
                                           SyncCase{"UndoneByCopies", false, false}),
                         [](const ::testing::TestParamInfo<SyncCase> &info) { return std::string(info.param.name); });

// A sync whose file or folder cannot be opened fails the commit: the change is undone, or its
// journal stays for the next opening to undo; it is never told as done.
class SyncOpenFails : public Guard, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(SyncOpenFails, FailsTheCommit)
{
    const power_cut::Files before = everything();
    {
        FileChange c(m_dir);
        ASSERT_TRUE(c.write(file("a.ptf"), "A1") && c.write(file("c.ptf"), "C1"));
        g_failOpenOf = GetParam();
        EXPECT_FALSE(c.commit());
        g_failOpenOf = nullptr;
        EXPECT_FALSE(c.lastError().isEmpty());
    }
    const FileChange::Recovery r = FileChange::recoverFolder(m_dir);
    EXPECT_NE(r.kind, FileChange::Recovery::Completed);
    EXPECT_EQ(everything(), before);
}

INSTANTIATE_TEST_SUITE_P(Opens, SyncOpenFails, ::testing::Values("/p/a.ptf", "/p"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.index == 0 ? "OfAFile" : "OfTheFolder");
                         });

} // namespace
