#include "platform/file_stamps.h"

#include "platform/ansi.h"
#include "platform/file_change.h"
#include "support/power_cut.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

using Files = std::map<QString, QByteArray>;

// What another program does to a file after this one read it.
enum class Elsewhere { Rewritten, RewrittenSameSize, RewrittenInPlace, Removed, Created };

struct ElsewhereCase {
    const char *name;
    const char *file; // a.ptf and b.ptf are there when read, c.ptf is missing
    Elsewhere how;
    bool hardLinks = true;
};

void PrintTo(const ElsewhereCase &c, std::ostream *os)
{
    *os << c.name << (c.hardLinks ? "" : " by copy");
}

class StampedFolder
{
public:
    StampedFolder()
    {
        FileStamps::forgetAll();
        put("a.ptf", "A0");
        put("b.ptf", "B0");
    }
    ~StampedFolder() { FileStamps::forgetAll(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    void put(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // Every file of the folder (the journal and kept files included) with its bytes.
    Files files() const
    {
        return power_cut::filesUnder(m_dir.path());
    }
    void readAll() const
    {
        QString text;
        for (const char *name : {"a.ptf", "b.ptf", "c.ptf"})
            ansi::readText(path(QLatin1String(name)), text);
    }
    // The program's save: a, b and c written as one change.
    bool save(const QByteArray &suffix, QString *refused = nullptr) const
    {
        FileChange change(m_dir.path());
        const bool ok = change.write(path("a.ptf"), "A" + suffix) && change.write(path("b.ptf"), "B" + suffix) &&
                        change.write(path("c.ptf"), "C" + suffix) && change.commit();
        if (!ok && refused && change.lastError() == FileStamps::changedElsewhereReason())
            *refused = change.failedFile();
        return ok;
    }
    // Another program's save, as every copy of this one makes it: new bytes renamed into place.
    void replace(const QString &name, const QByteArray &bytes)
    {
        put(name + ".other", bytes);
        ASSERT_EQ(::rename(QFile::encodeName(path(name + ".other")).constData(), QFile::encodeName(path(name)).constData()),
                  0);
    }
    void changeElsewhere(const QString &name, Elsewhere how)
    {
        switch (how) {
        case Elsewhere::Rewritten:
            replace(name, "another copy's longer bytes");
            break;
        case Elsewhere::RewrittenSameSize:
            replace(name, "X0");
            break;
        case Elsewhere::RewrittenInPlace: {
            // The same inode and size; an editor that saves in place a moment later.
            struct stat st;
            ASSERT_EQ(::lstat(QFile::encodeName(path(name)).constData(), &st), 0);
            put(name, "X0");
            const struct timespec times[2] = {st.st_atim, {st.st_mtim.tv_sec + 1, st.st_mtim.tv_nsec}};
            ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path(name)).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
            break;
        }
        case Elsewhere::Removed:
            ASSERT_TRUE(QFile::remove(path(name)));
            break;
        case Elsewhere::Created:
            put(name, "C from elsewhere");
            break;
        }
    }

private:
    QTemporaryDir m_dir;
};

class ChangedElsewhere : public ::testing::TestWithParam<ElsewhereCase>
{
protected:
    void SetUp() override { FileChange::setHardLinks(GetParam().hardLinks); }
    void TearDown() override { FileChange::setHardLinks(true); }
};

} // namespace

// A file changed on disk after the program read it stops the change at that file: the files the
// change wrote before it are put back, and every file is as the other program left it.
TEST_P(ChangedElsewhere, TheSaveIsRefusedAndEveryFileIsAsTheOtherProgramLeftIt)
{
    StampedFolder folder;
    folder.readAll();
    folder.changeElsewhere(QLatin1String(GetParam().file), GetParam().how);
    ASSERT_FALSE(HasFatalFailure());
    const Files left = folder.files();
    QString refused;
    EXPECT_FALSE(folder.save("1", &refused));
    EXPECT_EQ(refused, QLatin1String(GetParam().file));
    EXPECT_EQ(folder.files(), left);
    // Refused again until the program reads the folder anew.
    EXPECT_FALSE(folder.save("2"));
    FileStamps::forgetAll();
    folder.readAll();
    EXPECT_TRUE(folder.save("3"));
}

// The program's own saves follow one another, also after one that was undone, one that was
// refused and one that removed a file; a file it never read or wrote is not checked.
TEST_P(ChangedElsewhere, TheProgramsOwnSavesAreNeverTakenForAnotherProgramsChange)
{
    StampedFolder folder;
    EXPECT_TRUE(folder.save("1")); // nothing read yet
    folder.readAll();
    EXPECT_TRUE(folder.save("2"));
    EXPECT_TRUE(folder.save("3"));
    {
        FileChange undone(folder.path(""));
        ASSERT_TRUE(undone.write(folder.path("a.ptf"), "A-undone"));
        ASSERT_TRUE(undone.remove(folder.path("b.ptf")));
        ASSERT_TRUE(undone.write(folder.path("d.ptf"), "D-undone"));
    } // not committed: undone
    EXPECT_TRUE(folder.save("4"));

    // A save refused for one file leaves the others it had written as they were, and the next
    // save of those goes through.
    folder.changeElsewhere(QLatin1String(GetParam().file), GetParam().how);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_FALSE(folder.save("5"));
    const QString other = QLatin1String(GetParam().file) == QLatin1String("a.ptf") ? "b.ptf" : "a.ptf";
    {
        FileChange change(folder.path(""));
        EXPECT_TRUE(change.write(folder.path(other), "6") && change.commit()) << change.lastError().toStdString();
    }
    {
        FileChange change(folder.path(""));
        EXPECT_TRUE(change.remove(folder.path(other)) && change.commit()) << change.lastError().toStdString();
    }
    {
        FileChange change(folder.path(""));
        EXPECT_TRUE(change.write(folder.path(other), "7") && change.commit()) << change.lastError().toStdString();
    }
}

namespace {

std::vector<ElsewhereCase> elsewhereCases(bool hardLinks)
{
    std::vector<ElsewhereCase> cases{
        {"FirstRewritten", "a.ptf", Elsewhere::Rewritten},
        {"SecondRewritten", "b.ptf", Elsewhere::Rewritten},
        {"RewrittenSameSize", "b.ptf", Elsewhere::RewrittenSameSize},
        {"RewrittenInPlace", "b.ptf", Elsewhere::RewrittenInPlace},
        {"Removed", "b.ptf", Elsewhere::Removed},
        {"CreatedWhereMissing", "c.ptf", Elsewhere::Created},
    };
    for (ElsewhereCase &c : cases)
        c.hardLinks = hardLinks;
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<ElsewhereCase> &info)
{
    return info.param.name;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Links, ChangedElsewhere, ::testing::ValuesIn(elsewhereCases(true)), caseName);
INSTANTIATE_TEST_SUITE_P(Copies, ChangedElsewhere, ::testing::ValuesIn(elsewhereCases(false)), caseName);
