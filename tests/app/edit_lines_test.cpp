#include "app/edit_lines.h"

#include "support/editor_test_support.h"
#include "support/file_size_limit.h"
#include "app/frame_color_choice.h"
#include "data/db_func.h"
#include "data/table_files.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

class LineEditor : public EditorProject
{
protected:
    void SetUp() override
    {
        EditorProject::SetUp();
        ASSERT_NE(AddStation("Markt"), -1);
        ASSERT_NE(AddStation("Zoo"), -1);
        w = fmEditLines;
        w->show();
        frame = child<TFrameColorChoice>(w, "fLineColorChoice");
    }
    void TearDown() override
    {
        w->hide();
        EditorProject::TearDown();
    }
    void press(const QString &name) { EditorProject::press(w, name); }
    QListWidget *list() { return child<QListWidget>(w, "lbLines"); }
    QStringList listed() { return texts(list()); }
    void select(const QString &name) { EditorProject::select(list(), name); }
    void typeName(const QString &text)
    {
        auto *e = child<QLineEdit>(w, "leLineName");
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    void typeHex(const QString &hex)
    {
        auto *e = child<QLineEdit>(w, "eHexColor");
        e->selectAll();
        QTest::keyClicks(e, hex);
        frame->eHexColorExit();
    }
    bool editing() { return shown(w, "gbLineEdit") && !shown(w, "btClose"); }
    bool standard() { return child<QCheckBox>(w, "cbStandardColor")->isChecked(); }

    TfmEditLines *w = nullptr;
    TFrameColorChoice *frame = nullptr;
};

} // namespace

TEST_F(LineEditor, NewLinesWithTheirOwnOrTheStandardColour)
{
    press("btNewLine");
    EXPECT_TRUE(editing());
    EXPECT_TRUE(shown(w, "stLineEdit"));
    EXPECT_TRUE(standard());
    EXPECT_FALSE(shown(w, "pLineColorChoice"));
    typeName("Linie 4");
    press("btSave");
    EXPECT_FALSE(editing());
    EXPECT_TRUE(workButtonShown("sbAssignStations"));
    EXPECT_EQ(rows("lines.ptf"), QStringList{R"(1,"Linie 4",)"});
    EXPECT_EQ(rows("line_graphic.ptf"), QStringList());

    press("btNewLine");
    typeName("linie 10");
    press("cbStandardColor");
    EXPECT_TRUE(shown(w, "pLineColorChoice"));
    typeHex("F80");
    press("btSave");
    EXPECT_EQ(listed(), QStringList({"linie 10", "Linie 4"}));
    EXPECT_EQ(rows("line_graphic.ptf"), QStringList{"2,255,136,0,"});

    // Opening a line with its own colour shows it; saving unchanged keeps it.
    select("linie 10");
    press("btLineEdit");
    EXPECT_FALSE(standard());
    EXPECT_TRUE(shown(w, "pLineColorChoice"));
    EXPECT_FALSE(shown(w, "btSave"));
    EXPECT_EQ(child<QLineEdit>(w, "eHexColor")->text(), "FF8800");
    frame->FrameEnter();
    frame->eRedColorExit();
    press("btCancel");
    select("linie 10");
    press("btLineEdit");
    typeName("linie 10");
    press("btSave");
    EXPECT_EQ(rows("line_graphic.ptf"), QStringList{"2,255,136,0,"});

    // "Standard" removes the line's own colour row.
    select("linie 10");
    press("btLineEdit");
    press("cbStandardColor");
    EXPECT_TRUE(shown(w, "btSave"));
    press("btSave");
    EXPECT_EQ(rows("line_graphic.ptf"), QStringList());
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(LineEditor, BlankDoubledAndCaseOnlyNames)
{
    press("btNewLine");
    typeName("  ");
    press("btSave");
    EXPECT_EQ(d.messages, QStringList{"A line name must be given!"});
    EXPECT_TRUE(editing());
    EXPECT_EQ(rows("lines.ptf"), QStringList{"<missing>"});
    typeName("S1");
    press("btSave");

    press("btNewLine");
    typeName("s1");
    press("btSave");
    EXPECT_EQ(d.messages.last(), "Line already exists");
    EXPECT_TRUE(editing());
    press("btCancel");

    select("S1");
    press("btLineEdit");
    typeName("");
    press("btSave");
    EXPECT_EQ(d.messages.last(), "A line name must be given!");
    typeName("s1");
    press("btSave");
    EXPECT_EQ(listed(), QStringList{"s1"});
    EXPECT_EQ(rows("lines.ptf"), QStringList{R"(1,"s1",)"});
}

TEST_F(LineEditor, StationsAreShownInStopOrderAndEditModeCannotBeClosed)
{
    ASSERT_NE(AddLine("U2"), -1);
    ASSERT_TRUE(SetLineStations(1, {"Zoo", "Markt", "Zoo"}));
    w->hide();
    w->show();
    select("U2");
    press("btLineEdit");
    auto *stations = child<QListWidget>(w, "lbLineStations");
    ASSERT_EQ(stations->count(), 3);
    EXPECT_EQ(stations->item(0)->text(), "Zoo");
    EXPECT_EQ(stations->item(1)->text(), "Markt");
    EXPECT_FALSE(stations->isEnabled());
    w->reject();
    w->close();
    EXPECT_TRUE(w->isVisible());
    press("btCancel");
    w->close();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(LineEditor, FailedAddAndFailedColourSaveAreReported)
{
    // lines.ptf cannot be written: no line is listed and no colour row is written for it.
    ASSERT_TRUE(QDir().mkpath(file("lines.ptf")));
    takeFolderAsItIs();
    press("btNewLine");
    typeName("X");
    press("cbStandardColor");
    typeHex("123456");
    press("btSave");
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error saving the line"}));
    EXPECT_TRUE(editing()); // a failed save keeps editing
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(rows("line_graphic.ptf"), QStringList{"<missing>"});
    ASSERT_TRUE(QDir().rmdir(file("lines.ptf")));
    takeFolderAsItIs();
    press("btCancel");
    // The failed line was taken back: it can be added again under the first ID.
    press("btNewLine");
    typeName("X");
    press("btSave");
    EXPECT_EQ(rows("lines.ptf"), QStringList{R"(1,"X",)"});

    ASSERT_TRUE(QFile::remove(file("line_graphic.ptf")));
    ASSERT_TRUE(QDir().mkpath(file("line_graphic.ptf")));
    takeFolderAsItIs();
    d.messages.clear();
    press("btNewLine");
    typeName("Y");
    press("cbStandardColor");
    press("btSave");
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error saving the file line_graphic.ptf"}));
    // The line and its colour are one save: neither is kept, and the window still edits Y.
    EXPECT_TRUE(editing());
    EXPECT_EQ(listed(), QStringList{"X"});
    EXPECT_EQ(rows("lines.ptf"), QStringList{R"(1,"X",)"});
    ASSERT_TRUE(QDir().rmdir(file("line_graphic.ptf")));
    takeFolderAsItIs();
    press("btSave");
    EXPECT_EQ(listed(), QStringList({"X", "Y"}));
    EXPECT_EQ(rows("lines.ptf"), QStringList({R"(1,"X",)", R"(2,"Y",)"}));
}

// A line file that could not be read is never written over; the refusal names it, and that one
// message is all the user is told.
TEST_F(LineEditor, AnAddRefusedForADamagedFileIsToldOnce)
{
    press("btNewLine");
    typeName("A");
    press("btSave");
    QByteArray cut = fileBytes(file("lines.ptf"));
    cut.chop(5);
    writeFileBytes(file("lines.ptf"), cut);
    w->hide();
    LoadLines();
    w->show();
    d.messages.clear();
    press("btNewLine");
    typeName("B");
    press("btSave");
    EXPECT_EQ(d.messages, QStringList{DamagedFileMessage(file("lines.ptf"))});
    EXPECT_TRUE(editing());
    EXPECT_EQ(fileBytes(file("lines.ptf")), cut);
}

TEST_F(LineEditor, DeleteAsksAndTakesTheLineWithItsColour)
{
    press("btNewLine");
    typeName("Bus 7");
    press("cbStandardColor");
    typeHex("00FF00");
    press("btSave");
    select("Bus 7");
    d.answers.push_back(DialogService::Answer::Yes);
    press("btLineDelete");
    EXPECT_EQ(d.questions, QStringList{"Do you really want delete the line Bus 7?"});
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(rows("lines.ptf"), QStringList());
    EXPECT_EQ(rows("line_graphic.ptf"), QStringList());
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(LineEditor, RenameAndDeleteLeaveNoLineSelected)
{
    for (const QString name : {"Bus 1", "Bus 2", "Bus 3"}) {
        press("btNewLine");
        typeName(name);
        press("btSave");
    }
    select("Bus 3");
    press("btLineEdit");
    typeName("Tram 3");
    press("btSave");
    EXPECT_EQ(listed(), QStringList({"Bus 1", "Bus 2", "Tram 3"}));
    expectNothingChosen(list());
    // With nothing chosen, Edit and Delete do nothing.
    press("btLineEdit");
    EXPECT_FALSE(editing());
    press("btLineDelete");
    EXPECT_TRUE(d.questions.isEmpty()) << d.questions.join('|').toStdString();

    select("Bus 1");
    d.answers.push_back(DialogService::Answer::Yes);
    press("btLineDelete");
    EXPECT_EQ(listed(), QStringList({"Bus 2", "Tram 3"}));
    expectNothingChosen(list());
    press("btLineDelete");
    EXPECT_EQ(d.questions.size(), 1);
    EXPECT_EQ(rows("lines.ptf"), QStringList({R"(2,"Bus 2",)", R"(3,"Tram 3",)"}));
}
