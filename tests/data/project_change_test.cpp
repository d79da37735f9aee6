#include "data/project_change.h"
#include "platform/file_change.h"
#include "support/killed_change.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Every name below the folder, no link followed: a file's bytes, else what it is.
std::map<QString, QByteArray> everything(const QString &root)
{
    std::map<QString, QByteArray> found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QByteArray what;
        if (info.isSymLink())
            what = "link to " + info.symLinkTarget().toUtf8();
        else if (info.isDir())
            what = "folder";
        else if (!info.isFile())
            what = "special";
        else {
            QFile f(path);
            what = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable");
        }
        found[QDir(root).relativeFilePath(path)] = what;
    }
    return found;
}

const QByteArray kGone = "<gone>";

// A project folder from elsewhere: its journal, and what it is to do to the files under the root
// (the project folder "p" and "outside" beside it).
struct HostileJournal
{
    const char *name;
    std::function<void(const QString &root)> arrange;
    const char *told;                          // a piece of the one message
    std::map<QString, QByteArray> changes = {}; // empty: nothing at all changes
};

void PrintTo(const HostileJournal &row, std::ostream *os)
{
    *os << row.name;
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QString journalIn(const QString &root)
{
    return root + "/p/" + FileChange::journalName();
}

// The lines with each "@name@" the inode of the file p/name ("1" where there is none): what a
// change of this folder would have written.
QByteArray withInodes(const QString &folder, QByteArray lines)
{
    for (qsizetype at = lines.indexOf('@'); at >= 0; at = lines.indexOf('@', at)) {
        const qsizetype end = lines.indexOf('@', at + 1);
        const QByteArray name = lines.mid(at + 1, end - at - 1);
        struct stat st;
        const QByteArray inode =
            ::lstat(QFile::encodeName(folder + "/" + QString::fromUtf8(name)).constData(), &st) == 0
                ? QByteArray::number(quint64(st.st_ino))
                : QByteArray("1");
        lines.replace(at, end - at + 1, inode);
    }
    return lines;
}

// A journal with the header and these lines, written once the files are there.
std::function<void(const QString &)> journal(const QByteArray &lines,
                                             std::function<void(const QString &)> more = nullptr)
{
    return [=](const QString &root) {
        if (more)
            more(root);
        put(journalIn(root), "KORVALIN-CHANGE 1\n" + withInodes(root + "/p", lines));
    };
}

void keptFile(const QString &root, const char *name, const QByteArray &bytes)
{
    put(root + "/p/" + name, bytes);
}

class HostileJournals : public ::testing::TestWithParam<HostileJournal>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path();
        ASSERT_TRUE(QDir().mkpath(m_root + "/p/images"));
        ASSERT_TRUE(QDir().mkpath(m_root + "/outside"));
        put(m_root + "/outside/secret.txt", "not the project's");
        put(m_root + "/outside/secret.txt.korvalin-old", "planted");
        put(m_root + "/p/a.ptf", "A of the user");
        put(m_root + "/p/b.ptf", "B of the user");
        put(m_root + "/p/images/line_map_1.jpg", "picture");
    }

    QTemporaryDir m_dir;
    QString m_root;
};

} // namespace

// Whatever the journal says, nothing outside the folder and no file of the user inside it is
// touched; a journal the program cannot have written stays, and the one message says why, which
// files it names and which kept files lie there.
TEST_P(HostileJournals, TouchNothingButWhatTheChangeProvesItsOwn)
{
    const HostileJournal &row = GetParam();
    row.arrange(m_root);
    std::map<QString, QByteArray> expected = everything(m_root);
    for (const auto &[name, bytes] : row.changes) {
        if (bytes == kGone)
            expected.erase(name);
        else
            expected[name] = bytes;
    }
    const QString told = RecoverInterruptedChange(m_root + "/p");
    EXPECT_EQ(everything(m_root), expected);
    EXPECT_TRUE(told.contains(QLatin1String(row.told))) << told.toStdString();
    if (row.changes.empty()) {
        EXPECT_TRUE(told.contains("Nothing was changed or removed")) << told.toStdString();
    }
    EXPECT_FALSE(told.contains("Unknown error")) << told.toStdString();
    // Told in bounded words, whatever the journal holds.
    EXPECT_LT(told.size(), 2500) << told.left(300).toStdString();
}

namespace {

const QByteArray kKeepA = "keep\ta.ptf\ta.ptf.korvalin-old\ta.ptf.korvalin-new\t@a.ptf@\n";

std::vector<HostileJournal> hostileJournals()
{
    return {
        {"SymlinkedFolderInAName",
         journal("keep\tsub/secret.txt\tsub/secret.txt.korvalin-old\tsub/secret.txt.korvalin-new\t1\n",
                 [](const QString &root) { ASSERT_EQ(::symlink("../outside", qPrintable(root + "/p/sub")), 0); }),
         "passes through a symbolic link (sub)"},
        {"NameUpOutOfTheFolder",
         journal("keep\t../outside/secret.txt\t../outside/secret.txt.korvalin-old\t../outside/secret.txt.korvalin-new\t1\n"),
         "the name ../outside/secret.txt (line 2) is not a file of the project folder"},
        {"NameUpWrittenInPercents",
         journal("keep\t%2E%2E/outside/secret.txt\t%2E%2E/outside/secret.txt.korvalin-old\tx.korvalin-new\t1\n"),
         "line 2 holds a name not written as this program writes names"},
        {"AbsoluteName",
         [](const QString &root) {
             const QByteArray secret = QFile::encodeName(root + "/outside/secret.txt");
             put(journalIn(root), "KORVALIN-CHANGE 1\nkeep\t" + secret + "\t" + secret + ".korvalin-old\t" + secret +
                                      ".korvalin-new\t1\n");
         },
         "is not a file of the project folder"},
        {"JournalNamesItself",
         journal("new\tkorvalin.journal\tkorvalin.journal.korvalin-new\n"),
         "the name korvalin.journal (line 2) is not a file of the project folder"},
        {"KeptNameNotTheChangesOwn", journal("keep\ta.ptf\tb.ptf\ta.ptf.korvalin-new\t1\n"),
         "the kept file b.ptf (line 2) is not the change's own name for a.ptf"},
        {"TemporaryNameNotTheChangesOwn", journal("keep\ta.ptf\ta.ptf.korvalin-old\tb.ptf\t1\n"),
         "the temporary file b.ptf (line 2) is not the change's own name for a.ptf"},
        {"CopyNameNotTheChangesOwn", journal(kKeepA + "scratch\tb.ptf\n"),
         "the copy b.ptf (line 3) is not the change's own name for a file it keeps"},
        {"FileNamedTwice",
         journal(kKeepA + "keep\ta.ptf\ta.ptf.korvalin-old2\ta.ptf.korvalin-new2\t1\n",
                 [](const QString &root) {
                     keptFile(root, "a.ptf.korvalin-old", "older");
                     keptFile(root, "a.ptf.korvalin-old2", "oldest");
                 }),
         "the name a.ptf is named twice (line 3)"},
        {"CompleteButItsFileMissing",
         journal("keep\tc.ptf\tc.ptf.korvalin-old\tc.ptf.korvalin-new\t@c.ptf.korvalin-old@\ndone\n",
                 [](const QString &root) { keptFile(root, "c.ptf.korvalin-old", "the only copy of C"); }),
         "the change is marked complete, but its file c.ptf is not there"},
        {"KeptFileWhoseFileIsMissing",
         journal("keep\tc.ptf\tc.ptf.korvalin-old\tc.ptf.korvalin-new\t@c.ptf.korvalin-old@\n",
                 [](const QString &root) { keptFile(root, "c.ptf.korvalin-old", "C"); }),
         "c.ptf is missing and the journal does not say it was removed"},
        {"NewFileTheChangeDidNotMake", journal("new\tb.ptf\tb.ptf.korvalin-new\n"),
         "the file b.ptf is there, but the journal does not show that the change made it"},
        {"NewFileMadeUnderAnotherInode",
         [](const QString &root) {
             put(journalIn(root), "KORVALIN-CHANGE 1\nnew\tb.ptf\tb.ptf.korvalin-new\nid\tb.ptf.korvalin-new\t1\n");
         },
         "the journal does not show that the change made it"},
        {"LargerThanAnyChange",
         [](const QString &root) {
             put(journalIn(root), "KORVALIN-CHANGE 1\n");
             ASSERT_EQ(::truncate(qPrintable(journalIn(root)), 32 * 1024 * 1024), 0);
         },
         "bytes) than any change of this program writes"},
        {"NameLongerThanTheSystemAllows", journal("new\t" + QByteArray(300, 'x') + "\t" + QByteArray(300, 'x') + ".korvalin-new\n"),
         "is longer than the system allows"},
        {"JournalIsALink",
         [](const QString &root) {
             put(root + "/outside/journal", "KORVALIN-CHANGE 1\nnew\tb.ptf\tb.ptf.korvalin-new\n");
             ASSERT_EQ(::symlink("../outside/journal", qPrintable(journalIn(root))), 0);
         },
         "it is a symbolic link"},
        {"JournalIsAPipe", [](const QString &root) { ASSERT_EQ(::mkfifo(qPrintable(journalIn(root)), 0644), 0); },
         "it is not a regular file"},
        {"JournalIsAFolder", [](const QString &root) { ASSERT_TRUE(QDir().mkpath(journalIn(root))); },
         "it is not a regular file"},
        {"EmptyWithAKeptFileLying",
         [](const QString &root) {
             put(journalIn(root), "");
             keptFile(root, "images/line_map_1.jpg.korvalin-old3", "old picture");
         },
         "it is empty. Nothing was changed or removed. These kept or temporary files of a change lie in the folder: "
         "images/line_map_1.jpg.korvalin-old3."},
        {"Garbage", [](const QString &root) { put(journalIn(root), "hello\nworld\n"); },
         "it does not begin as a journal of this program does"},
        {"ALineNoChangeWrites", journal(kKeepA + "rm\t-rf\n"), "line 3 is not a line of a journal of this program"},
        {"LinesAfterDone", journal(kKeepA + "done\nnew\tc.ptf\tc.ptf.korvalin-new\n"),
         "line 4 follows the line that marks the change complete"},
        // What a kill or a power cut leaves is acted on where it can be undone whole, and told.
        {"EmptyAndNothingLying", [](const QString &root) { put(journalIn(root), ""); },
         "interrupted before it changed any file",
         {{"p/korvalin.journal", kGone}}},
        {"CutShort",
         journal("keep\ta.ptf\ta.ptf.korvalin-old\ta.ptf.korvalin-new\t@a.ptf.korvalin-old@\n"
                 "id\ta.ptf.korvalin-new\t@a.ptf@\nkeep\tb.p",
                 [](const QString &root) {
                     keptFile(root, "a.ptf.korvalin-old", "A of the user");
                     QFile::remove(root + "/p/a.ptf");
                     put(root + "/p/a.ptf", "A half changed");
                 }),
         "These files are as they were before it: a.ptf. The last line of its journal was cut short",
         {{"p/korvalin.journal", kGone}, {"p/a.ptf.korvalin-old", kGone}, {"p/a.ptf", "A of the user"}}},
        // A journal shows each file it acts on to be its own by the inode: the user's files that
        // bear the change's names are never taken for the change's.
        {"KeepOfTheUsersFileBesideTheUsersKeptName",
         journal("keep\tnotes.txt\tnotes.txt.korvalin-old\tnotes.txt.korvalin-new\t@notes.txt@\n",
                 [](const QString &root) {
                     put(root + "/p/notes.txt", "the user's notes");
                     put(root + "/p/notes.txt.korvalin-old", "the user's older notes");
                 }),
         "the kept file notes.txt.korvalin-old is not the one the change kept of notes.txt"},
        {"NewFileBesideTheUsersTemporaryName",
         journal("new\tnotes.txt\tnotes.txt.korvalin-new\n",
                 [](const QString &root) { put(root + "/p/notes.txt.korvalin-new", "the user's draft"); }),
         "the temporary file notes.txt.korvalin-new is not the one the change made"},
        {"KeepOfPrefsBesideTheUsersKeptPrefs",
         journal("keep\tprefs.ptf\tprefs.ptf.korvalin-old\tprefs.ptf.korvalin-new\t@prefs.ptf.korvalin-old@\n"
                 "id\tprefs.ptf.korvalin-new\t1\n",
                 [](const QString &root) {
                     put(root + "/p/prefs.ptf", "the prefs");
                     put(root + "/p/prefs.ptf.korvalin-old", "the user's prefs");
                 }),
         "the file prefs.ptf is neither its old file nor one the change wrote"},
        {"ReplacedWithoutItsKeptFile",
         journal(kKeepA + "keep\tb.ptf\tb.ptf.korvalin-old\tb.ptf.korvalin-new\t1\nid\tb.ptf.korvalin-new\t@b.ptf@\n",
                 [](const QString &root) {
                     ASSERT_EQ(::link(qPrintable(root + "/p/a.ptf"), qPrintable(root + "/p/a.ptf.korvalin-old")), 0);
                 }),
         "the file b.ptf was replaced, but its kept file b.ptf.korvalin-old is not there"},
        {"KeptFileBesideThatTheJournalDoesNotName",
         journal("keep\ta.ptf\ta.ptf.korvalin-old2\ta.ptf.korvalin-new\t@a.ptf@\n",
                 [](const QString &root) { keptFile(root, "a.ptf.korvalin-old", "the user's"); }),
         "a.ptf.korvalin-old lies beside a.ptf, but the journal does not name it"},
        {"KeptFileOfLowestCountOne", journal("keep\ta.ptf\ta.ptf.korvalin-old1\ta.ptf.korvalin-new\t@a.ptf@\n"),
         "the kept file a.ptf.korvalin-old1 (line 2) is not the change's own name for a.ptf"},
        {"NewLineWithAnotherTemporaryName", journal("new\tc.ptf\tb.ptf\n"),
         "the temporary file b.ptf (line 2) is not the change's own name for c.ptf"},
        {"GoneForAFileNeverNamed", journal("gone\tb.ptf\n"), "line 2 refers to a file the journal does not name before"},
        {"InodeOfAFileNeverNamed", journal("id\tb.ptf.korvalin-new\t5\n"),
         "line 2 refers to a file the journal does not name before"},
        {"KeepWithoutTheInodeOfItsFile", journal("keep\ta.ptf\ta.ptf.korvalin-old\ta.ptf.korvalin-new\n"),
         "line 2 is not a line of a journal of this program"},
        {"FolderWhereTheTemporaryFileIs",
         journal(kKeepA, [](const QString &root) { ASSERT_TRUE(QDir().mkpath(root + "/p/a.ptf.korvalin-new")); }),
         "a.ptf.korvalin-new is not a regular file"},
        {"CutLineAfterDone", journal("new\tc.ptf\tc.ptf.korvalin-new\ndone\nkee"),
         "its last line is not one of a journal of this program"},
        {"CutLineWithAZeroInside", journal(kKeepA + QByteArray("keep\tb\0b", 8)),
         "its last line is not one of a journal of this program"},
        // Any size and any name: judged by the first fault, each file told once, a long name shortened.
        {"OneFileNamedAHundredThousandTimes",
         journal(QByteArray("new\tb.ptf\tb.ptf.korvalin-new\n").repeated(100000)),
         "the name b.ptf is named twice (line 3). Nothing was changed or removed. The journal names these files: "
         "b.ptf. No kept"},
        {"ThirtyFilesAndALineNoChangeWrites",
         [](const QString &root) {
             QByteArray lines = "KORVALIN-CHANGE 1\n";
             for (int i = 10; i < 40; ++i)
                 lines += "new\tf" + QByteArray::number(i) + ".ptf\tf" + QByteArray::number(i) + ".ptf.korvalin-new\n";
             put(journalIn(root), lines + "rm\n");
         },
         "f10.ptf, f11.ptf, f12.ptf, f13.ptf, f14.ptf, f15.ptf, f16.ptf, f17.ptf, f18.ptf, f19.ptf, f20.ptf, f21.ptf, "
         "f22.ptf, f23.ptf, f24.ptf, f25.ptf, f26.ptf, f27.ptf, f28.ptf, f29.ptf and 10 more."},
        {"ANameOfAHundredThousandCharacters",
         journal("new\t" + QByteArray(100000, 'x') + "\t" + QByteArray(100000, 'x') + ".korvalin-new\n"),
         "line 2 holds a name longer than the system allows"},
        {"CutInItsFirstLine", [](const QString &root) { put(journalIn(root), "KORVALIN-CHANGE 1\nkeep\ta.p"); },
         "interrupted before it changed any file (its journal was cut short in its first line)",
         {{"p/korvalin.journal", kGone}}},
        // An undone change names as made again only the files it made.
        {"NewFileNeverMade", journal("new\tT.ppr\tT.ppr.korvalin-new\n"),
         "it has been undone. These files are as they were before it: T.ppr.",
         {{"p/korvalin.journal", kGone}}},
        {"NewFileMadeAndWritten",
         journal("new\tc.ptf\tc.ptf.korvalin-new\nid\tc.ptf.korvalin-new\t@c.ptf@\n",
                 [](const QString &root) { put(root + "/p/c.ptf", "C of the change"); }),
         "it has been undone. The files it had made are gone again: c.ptf.",
         {{"p/korvalin.journal", kGone}, {"p/c.ptf", kGone}}},
        {"RemovedFileSaidSo",
         journal("keep\tc.ptf\tc.ptf.korvalin-old\tc.ptf.korvalin-new\t@c.ptf.korvalin-old@\ngone\tc.ptf\n",
                 [](const QString &root) { keptFile(root, "c.ptf.korvalin-old", "C"); }),
         "These files are as they were before it: c.ptf.",
         {{"p/korvalin.journal", kGone}, {"p/c.ptf.korvalin-old", kGone}, {"p/c.ptf", "C"}}},
    };
}

std::string rowName(const ::testing::TestParamInfo<HostileJournal> &info)
{
    return info.param.name;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, HostileJournals, ::testing::ValuesIn(hostileJournals()), rowName);

namespace {

QString g_journalToBlock;

// A folder takes the journal's name while recovery clears the kept files away: the journal
// cannot be removed then.
void blockJournal()
{
    if (g_journalToBlock.isEmpty())
        return;
    QFile::rename(g_journalToBlock, g_journalToBlock + ".moved");
    QDir().mkpath(g_journalToBlock + "/in");
    g_journalToBlock.clear();
}

} // namespace

// A completed change is told as completed also when its journal cannot be removed, with the
// system's reason.
TEST(RecoveredChange, ACompletedChangeWhoseJournalStaysIsToldAsCompleted)
{
    QTemporaryDir dir;
    put(dir.filePath("a.ptf"), "A1");
    put(dir.filePath("a.ptf.korvalin-old"), "A0");
    put(dir.filePath(FileChange::journalName()),
        "KORVALIN-CHANGE 1\n" +
            withInodes(dir.path(), "keep\ta.ptf\ta.ptf.korvalin-old\ta.ptf.korvalin-new\t@a.ptf.korvalin-old@\n"
                                   "id\ta.ptf.korvalin-new\t@a.ptf@\ndone\n"));
    g_journalToBlock = dir.filePath(FileChange::journalName());
    FileChange::setStepObserver(&blockJournal);
    const QString told = RecoverInterruptedChange(dir.path());
    FileChange::setStepObserver(nullptr);
    EXPECT_TRUE(told.startsWith("The last change of the project was interrupted after all its files were written; "
                                "it has been completed: a.ptf. Its journal korvalin.journal could not be removed (" +
                                QString::fromLocal8Bit(std::strerror(EISDIR)) + ")"))
        << told.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("a.ptf.korvalin-old")));
}

// Opening a project while another copy of the program is making a change waits for the change to
// end, and then reads the whole project: nothing to tell.
TEST(RecoveredChange, OpeningWaitsForAChangeOfAnotherCopy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("stations.ptf"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        FileChange change(dir.path());
        const bool written = change.write(file, "new");
        const char one = 1;
        (void)!::write(ready[1], &one, 1);
        ::usleep(300 * 1000);
        std::_Exit(written && change.commit() ? 0 : 1);
    }
    char one = 0;
    ASSERT_EQ(::read(ready[0], &one, 1), 1);
    const QString told = RecoverInterruptedChange(dir.path());
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(told, QString());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("new"));
    ::close(ready[0]);
    ::close(ready[1]);
}

// A recovery that could not put every file back tells which ones are back and which are not, and
// never names a file not put back among those as they were.
TEST(RecoveredChange, AFailedUndoNamesTheFilesNotPutBackApart)
{
    QTemporaryDir dir;
    put(dir.filePath("a.ptf"), "A0");
    put(dir.filePath("b.ptf"), "B0");
    ASSERT_EQ(runKilledAtStep(
                  -1,
                  [&] {
                      FileChange c(dir.path());
                      return c.write(dir.filePath("a.ptf"), "A1") && c.write(dir.filePath("b.ptf"), "B1") &&
                             c.commit();
                  },
                  [&] {
                      QFile b(dir.filePath("b.ptf"));
                      return b.open(QIODevice::ReadOnly) && b.readAll() == "B1";
                  }),
              KilledRun::Killed);
    FileChange::setDiskRecorder([](const FileChange::DiskCall &call) {
        return !(call.kind == FileChange::DiskCall::Rename && call.path.endsWith("a.ptf.korvalin-old"));
    });
    const QString told = RecoverInterruptedChange(dir.path());
    FileChange::setDiskRecorder(nullptr);
    EXPECT_TRUE(told.startsWith("The last change of the project was interrupted and could not be undone: these "
                                "files could not be put back: a.ptf: "))
        << told.toStdString();
    EXPECT_TRUE(told.contains("These files are as they were before it: b.ptf.")) << told.toStdString();
    EXPECT_FALSE(told.contains("before it: a.ptf")) << told.toStdString();
    EXPECT_FALSE(told.contains("before it: b.ptf, a.ptf")) << told.toStdString();
    // The next opening puts the rest back.
    EXPECT_TRUE(RecoverInterruptedChange(dir.path()).contains("undone"));
    QFile a(dir.filePath("a.ptf"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), "A0");
}
