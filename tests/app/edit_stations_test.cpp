#include "app/edit_stations.h"

#include "data/db_func.h"
#include "data/table_files.h"
#include "support/editor_test_support.h"
#include "support/file_size_limit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

class StationEditor : public EditorProject
{
protected:
    void SetUp() override
    {
        EditorProject::SetUp();
        w = fmEditStations;
        w->show();
    }
    void TearDown() override
    {
        w->hide();
        EditorProject::TearDown();
    }
    void press(const QString &name) { EditorProject::press<QPushButton>(w, name); }
    QListWidget *list() { return child<QListWidget>(w, "lbStations"); }
    QStringList listed() { return texts(list()); }
    void select(const QString &name) { EditorProject::select(list(), name); }
    void typeName(const QString &text)
    {
        auto *e = child<QLineEdit>(w, "leStationName");
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 128;
        if (ascii) {
            QTest::keyClicks(e, text);
        } else { // the test keyboard types ASCII only; this is a paste
            e->insert(text);
            emit e->textEdited(e->text());
        }
    }
    void add(const QString &name)
    {
        press("btNewStation");
        typeName(name);
        press("btSave");
    }
    bool editing() { return shown(w, "gbStationEdit") && !shown(w, "btClose"); }

    TfmEditStations *w = nullptr;
};

} // namespace

TEST_F(StationEditor, EntersTrimmedNamesSortedWithoutRegardToCaseAndWritesThemAtOnce)
{
    EXPECT_FALSE(workButtonShown("sbEditLines"));
    press("btNewStation");
    EXPECT_TRUE(editing());
    EXPECT_TRUE(shown(w, "stStationEdit"));
    EXPECT_FALSE(shown(w, "btSave"));
    typeName("  Markt  ");
    EXPECT_TRUE(shown(w, "btSave"));
    press("btSave");
    EXPECT_FALSE(editing());
    EXPECT_TRUE(workButtonShown("sbEditLines"));
    add("bahnhof");
    add("Zoo");
    EXPECT_EQ(listed(), QStringList({"bahnhof", "Markt", "Zoo"}));
    EXPECT_EQ(rows("stations.ptf"), QStringList({R"(1,"Markt",)", R"(2,"bahnhof",)", R"(3,"Zoo",)"}));
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(StationEditor, BlankDoubledAndUnstorableNamesKeepEditMode)
{
    add("Markt");
    press("btNewStation");
    typeName("   ");
    press("btSave");
    typeName("MARKT");
    press("btSave");
    typeName(QString::fromUtf8("Łódź"));
    press("btSave");
    ASSERT_EQ(d.messages.size(), 3);
    EXPECT_EQ(d.messages[0], "A station name must be given!");
    EXPECT_EQ(d.messages[1], "Station already exists!");
    EXPECT_TRUE(d.messages[2].contains(QString::fromUtf8("Ł"))) << d.messages[2].toStdString();
    EXPECT_TRUE(editing());
    EXPECT_EQ(rows("stations.ptf"), QStringList{R"(1,"Markt",)"});

    // Neither the title bar nor Escape closes the window in edit mode; Cancel writes nothing.
    w->close();
    w->reject();
    EXPECT_TRUE(w->isVisible());
    press("btCancel");
    EXPECT_FALSE(editing());
    EXPECT_EQ(listed(), QStringList{"Markt"});
}

// A name pasted with a line break or a tab is refused with a message naming it; nothing is
// written, neither for a new station nor for a rename.
TEST_F(StationEditor, NamesWithControlCharactersAreRefusedAndNothingIsWritten)
{
    add("Markt");
    const QByteArray before = fileBytes(file("stations.ptf"));
    press("btNewStation");
    typeName(QString::fromUtf8("Nord\nSüd"));
    press("btSave");
    ASSERT_EQ(d.messages.size(), 1);
    EXPECT_TRUE(d.messages[0].contains("line break")) << d.messages[0].toStdString();
    EXPECT_TRUE(editing());
    press("btCancel");
    EXPECT_EQ(listed(), QStringList{"Markt"});

    select("Markt");
    press("btStationEdit");
    typeName(QString::fromUtf8("Markt\tPlätze")); // typed as a paste, so the tab stays in the text
    press("btSave");
    ASSERT_EQ(d.messages.size(), 2);
    EXPECT_TRUE(d.messages[1].contains("tab")) << d.messages[1].toStdString();
    EXPECT_TRUE(editing());
    press("btCancel");
    EXPECT_EQ(listed(), QStringList{"Markt"});
    EXPECT_EQ(fileBytes(file("stations.ptf")), before);

    // The table routines refuse such a name as well, should a caller skip the check.
    EXPECT_EQ(AddStation(QString::fromUtf8("Nord\r\nSüd")), -1);
    EXPECT_FALSE(RenameStation("Markt", QString::fromUtf8("Markt\n")));
    EXPECT_EQ(fileBytes(file("stations.ptf")), before);
}

// A name read from another program's file may hold a tab: the save that it blocks names the
// station, which can then be renamed.
TEST_F(StationEditor, AStoredNameWithATabIsNamedAndCanBeRenamed)
{
    add("A");
    QByteArray stored = fileBytes(file("stations.ptf"));
    stored.replace("2);", "11,\"Bahnhof\tWest\",\r\n2);");
    writeFileBytes(file("stations.ptf"), stored);
    takeFolderAsItIs();
    w->hide();
    LoadStations();
    w->show();
    d.messages.clear();
    add("C");
    EXPECT_EQ(d.messages, QStringList{"Error saving the station: the field \"Station\" of the row with ID 11 holds "
                                      "a tab, which a table file cannot store"});
    press("btCancel");
    EXPECT_EQ(fileBytes(file("stations.ptf")), stored);

    select("Bahnhof\tWest");
    press("btStationEdit");
    typeName("Bahnhof West");
    press("btSave");
    add("C");
    EXPECT_EQ(rows("stations.ptf"), QStringList({R"(1,"A",)", R"(11,"Bahnhof West",)", R"(12,"C",)"}));
}

TEST_F(StationEditor, RenamesAlsoByCaseAndWritesNothingForTheSameName)
{
    add("Markt");
    select("Markt");
    press("btStationEdit");
    EXPECT_FALSE(shown(w, "cbStationNewLine"));
    EXPECT_EQ(child<QLineEdit>(w, "leStationName")->text(), "Markt");
    const QByteArray before = fileBytes(file("stations.ptf"));
    press("btCancel");
    select("Markt");
    press("btStationEdit");
    typeName("Markt");
    press("btSave");
    EXPECT_FALSE(editing());
    EXPECT_EQ(fileBytes(file("stations.ptf")), before);

    select("Markt");
    press("btStationEdit");
    typeName("MARKT");
    press("btSave");
    EXPECT_EQ(listed(), QStringList{"MARKT"});
    EXPECT_EQ(rows("stations.ptf"), QStringList{R"(1,"MARKT",)"});
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(StationEditor, RecallListKeepsNewStationsAndCanStartAnew)
{
    auto *remember = child<QCheckBox>(w, "cbStationNewLine");
    auto *clear = child<QCheckBox>(w, "cbStationNewLineClear");
    press("btNewStation");
    EXPECT_FALSE(shown(w, "cbStationNewLineClear"));
    remember->click();
    EXPECT_TRUE(shown(w, "cbStationNewLineClear"));
    typeName("A");
    press("btSave");
    add("B"); // the check box keeps its state
    EXPECT_EQ(rows("newstations.ptf"), QStringList({"1,", "2,"}));

    press("btNewStation");
    EXPECT_FALSE(clear->isChecked());
    clear->click();
    typeName("C");
    press("btSave");
    EXPECT_EQ(rows("newstations.ptf"), QStringList{"3,"});
}

TEST_F(StationEditor, AFailedRecallListSaveIsReportedAndKeepsEditMode)
{
    ASSERT_TRUE(QDir().mkpath(file("newstations.ptf")));
    takeFolderAsItIs();
    press("btNewStation");
    child<QCheckBox>(w, "cbStationNewLine")->click();
    typeName("A");
    press("btSave");
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error saving the file newstations.ptf"}));
    EXPECT_TRUE(editing());
    // The station and its place in the list are one save: neither is kept.
    EXPECT_EQ(rows("stations.ptf"), QStringList{"<missing>"});
    EXPECT_EQ(GetStationIDByName("A"), -1);
    ASSERT_TRUE(QDir().rmdir(file("newstations.ptf")));
    takeFolderAsItIs();
    press("btSave");
    EXPECT_EQ(rows("stations.ptf"), QStringList{R"(1,"A",)"});
    EXPECT_EQ(rows("newstations.ptf"), QStringList{"1,"});
}

// A failed add, rename or delete names the system's reason; a refusal that wrote nothing names
// none, not even the reason of the write that failed before it.
TEST_F(StationEditor, FailedWritesNameTheirReasonAndNoLaterMessageRepeatsIt)
{
    add("A");
    const QByteArray before = fileBytes(file("stations.ptf"));
    ASSERT_TRUE(QFile::remove(file("stations.ptf")));
    ASSERT_TRUE(QDir().mkpath(file("stations.ptf")));
    takeFolderAsItIs();
    d.messages.clear();
    add("X");
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error saving the station"}));
    EXPECT_TRUE(editing());
    press("btCancel");

    d.messages.clear();
    add("A");
    EXPECT_EQ(d.messages, QStringList{"Station already exists!"});
    press("btCancel");

    d.messages.clear();
    select("A");
    press("btStationEdit");
    typeName("A2");
    press("btSave");
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error changing the stationA in A2!"}));
    press("btCancel");

    d.messages.clear();
    select("A");
    d.answers = {DialogService::Answer::Yes};
    press("btStationDelete");
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error deleting the station: A !"}));
    EXPECT_EQ(listed(), QStringList{"A"});

    ASSERT_TRUE(QDir(file("stations.ptf")).removeRecursively());
    writeFileBytes(file("stations.ptf"), before);
    takeFolderAsItIs();
    d.messages.clear();
    add("B");
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
    EXPECT_EQ(rows("stations.ptf"), QStringList({R"(1,"A",)", R"(2,"B",)"}));
}

// A station file that could not be read is never written over; the refusal names it, and that
// one message is all the user is told.
TEST_F(StationEditor, AnAddRefusedForADamagedFileIsToldOnce)
{
    add("A");
    QByteArray cut = fileBytes(file("stations.ptf"));
    cut.chop(5);
    writeFileBytes(file("stations.ptf"), cut);
    w->hide();
    LoadStations();
    w->show();
    d.messages.clear();
    add("B");
    EXPECT_EQ(d.messages, QStringList{DamagedFileMessage(file("stations.ptf"))});
    EXPECT_TRUE(editing());
    EXPECT_EQ(fileBytes(file("stations.ptf")), cut);
}

// On a full disk the add is told with the system's reason and stations.ptf keeps its bytes.
TEST_F(StationEditor, AFullDiskIsToldWithItsReason)
{
    add("A");
    const QByteArray before = fileBytes(file("stations.ptf"));
    const LimitedWrite lw = writeWithFileSizeLimit(rlim_t(before.size() + 16), [&](QString &reason) {
        d.messages.clear();
        add(QString(200, QLatin1Char('L')));
        reason = d.messages.join('|');
        return d.messages.isEmpty();
    });
    ASSERT_TRUE(lw.ran);
    EXPECT_FALSE(lw.result);
    EXPECT_TRUE(messagesWithReasons({lw.reason}, {"Error saving the station"}));
    EXPECT_TRUE(lw.reason.contains(fileTooLargeText(), Qt::CaseInsensitive)) << lw.reason.toStdString();
    EXPECT_EQ(fileBytes(file("stations.ptf")), before);
}

TEST_F(StationEditor, DeleteAsksAndRemovesTheStationEverywhere)
{
    add("A");
    add("B");
    select("A");
    d.answers.push_back(DialogService::Answer::No);
    press("btStationDelete");
    EXPECT_EQ(d.questions, QStringList{"Do you really want delete the station A"});
    EXPECT_EQ(listed(), QStringList({"A", "B"}));
    d.answers.push_back(DialogService::Answer::Yes);
    press("btStationDelete");
    EXPECT_EQ(listed(), QStringList{"B"});
    EXPECT_EQ(rows("stations.ptf"), QStringList{R"(2,"B",)"});
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(StationEditor, RenameAndDeleteLeaveNoStationSelected)
{
    add("Markt");
    add(QString::fromUtf8("Südfriedhof"));
    add("Zoo");
    select("Zoo");
    press("btStationEdit");
    typeName("Tierpark");
    press("btSave");
    EXPECT_EQ(listed(), QStringList({"Markt", QString::fromUtf8("Südfriedhof"), "Tierpark"}));
    expectNothingChosen(list());
    // With nothing chosen, Edit and Delete do nothing.
    press("btStationEdit");
    EXPECT_FALSE(editing());
    press("btStationDelete");
    EXPECT_TRUE(d.questions.isEmpty()) << d.questions.join('|').toStdString();

    select("Markt");
    d.answers.push_back(DialogService::Answer::Yes);
    press("btStationDelete");
    EXPECT_EQ(listed(), QStringList({QString::fromUtf8("Südfriedhof"), "Tierpark"}));
    expectNothingChosen(list());
    press("btStationDelete");
    EXPECT_EQ(d.questions.size(), 1);
    EXPECT_EQ(rows("stations.ptf"),
              QStringList({QString::fromUtf8(R"(2,"Südfriedhof",)"), R"(3,"Tierpark",)"}));
}
