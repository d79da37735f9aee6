#include "app/edit_project.h"

#include "support/editor_test_support.h"
#include "data/db_func.h"
#include "data/prj_params.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

class ProjectEditor : public EditorProject
{
protected:
    void SetUp() override
    {
        EditorProject::SetUp();
        w = fmEditProject;
    }
    void TearDown() override
    {
        w->hide();
        EditorProject::TearDown();
    }
    void press(const QString &name) { EditorProject::press<QPushButton>(w, name); }
    void type(const QString &field, const QString &text)
    {
        auto *e = child<QLineEdit>(w, field);
        e->selectAll();
        if (text.isEmpty())
            QTest::keyClick(e, Qt::Key_Delete);
        else
            QTest::keyClicks(e, text); // typing over the selection replaces it
    }
    QString days(const QString &list)
    {
        QString s;
        auto *l = child<QListWidget>(w, list);
        for (int i = 0; i < l->count(); ++i)
            s += l->item(i)->isSelected() ? '1' : '0';
        return s;
    }
    void setDays(const QString &list, const QString &pattern)
    {
        auto *l = child<QListWidget>(w, list);
        for (int i = 0; i < 7; ++i)
            l->item(i)->setSelected(pattern[i] == '1');
    }
    void addGroup(const QString &name, const QString &text, const QString &pattern)
    {
        type("leNewDaysName", name);
        type("leNewDaysText", text);
        setDays("lbNewDays", pattern);
        press("btAddDayGroup");
    }
    QStringList groupIDs()
    {
        QStringList ids;
        for (const TDayGroup &g : w->DayGroups)
            ids << QString::number(g.ID);
        return ids;
    }
    bool unsaved() { return shown(w, "btSave"); }

    TfmEditProject *w = nullptr;
};

} // namespace

TEST_F(ProjectEditor, ShowsTheProjectValuesWithoutMarkingThemUnsaved)
{
    w->show();
    auto *tabs = child<QTabWidget>(w, "pcRubrik");
    EXPECT_EQ(tabs->currentWidget()->objectName(), "tsLineOptions");
    EXPECT_FALSE(tabs->isTabVisible(tabs->indexOf(child(w, "tsStationOptions"))));
    EXPECT_EQ(child<QLineEdit>(w, "eHexColor")->text(), "0000FF");
    EXPECT_EQ(child<QLineEdit>(w, "leMaxDriveMinutes")->text(), "720");
    EXPECT_EQ(child<QComboBox>(w, "cbDayGroups")->currentText(), "Mo-Fr");
    EXPECT_EQ(child<QLineEdit>(w, "leDayGroupText")->text(), "Montag bis Freitag");
    EXPECT_EQ(days("lbDays"), "1111100");
    EXPECT_FALSE(unsaved());
    EXPECT_TRUE(shown(w, "btDeleteDayGroup"));
}

TEST_F(ProjectEditor, SavesColourDrivingTimeAndDayGroupsAtOnce)
{
    w->show();
    auto *hex = child<QLineEdit>(w, "eHexColor");
    hex->selectAll();
    QTest::keyClicks(hex, "c00");
    EXPECT_TRUE(unsaved());
    child<TFrameColorChoice>(w, "fLineColorChoice")->eHexColorExit();

    type("leMaxDriveMinutes", "4x5");
    EXPECT_EQ(child<QLineEdit>(w, "leMaxDriveMinutes")->text(), "45");
    w->leMaxDriveMinutesExit();
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 45);
    type("leMaxDriveMinutes", "");
    w->leMaxDriveMinutesExit();
    EXPECT_EQ(child<QLineEdit>(w, "leMaxDriveMinutes")->text(), "45");

    addGroup("So", "Sonntag", "0000001");
    press("btSave");
    EXPECT_FALSE(unsaved());
    EXPECT_TRUE(rows("prefs.ptf").value(0).endsWith(",204,0,0,")) << rows("prefs.ptf").join('|').toStdString();
    EXPECT_TRUE(rows("netz.ppr").value(0).contains(",45,")) << rows("netz.ppr").join('|').toStdString();
    EXPECT_EQ(rows("daygroups.ptf"), QStringList({R"(1,"Mo-Fr","1111100","Montag bis Freitag",)",
                                                  R"(2,"Sa","0000010","Samstag",)", R"(3,"So","0000001","Sonntag",)"}));
    EXPECT_TRUE(QFileInfo::exists(file("webloader.htm")));
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(ProjectEditor, DayGroupIdsRefusalsAndGroupsInUse)
{
    ASSERT_NE(AddLineConnection(1, 1, 1), -1); // Mo-Fr is used by a timetable
    w->show();
    EXPECT_FALSE(shown(w, "btDeleteDayGroup"));

    addGroup("So", "Sonntag", "0000000"); // no day chosen
    addGroup("", "Sonntag", "0000001");
    EXPECT_EQ(d.beeps, 2);
    addGroup("X", "Samstag", "0000001"); // the text exists: silently nothing
    addGroup("Sa", "Y", "0000001");
    EXPECT_EQ(groupIDs(), QStringList({"1", "2"}));
    EXPECT_FALSE(unsaved());
    EXPECT_EQ(d.beeps, 2);

    addGroup("So", "Sonntag", "0000001");
    EXPECT_EQ(groupIDs(), QStringList({"1", "2", "3"}));
    EXPECT_EQ(child<QComboBox>(w, "cbDayGroups")->currentText(), "So");
    EXPECT_TRUE(shown(w, "btDeleteDayGroup"));
    d.answers.push_back(DialogService::Answer::Yes);
    press("btDeleteDayGroup");
    EXPECT_EQ(d.questions, QStringList{"Really delete the day-group??"});
    addGroup("Feiertag", "Feiertags", "0000001");
    EXPECT_EQ(groupIDs(), QStringList({"1", "2", "3"}));

    // Cancel reloads what is stored.
    press("btCancel");
    EXPECT_EQ(groupIDs(), QStringList({"1", "2"}));
    EXPECT_FALSE(unsaved());
}

TEST_F(ProjectEditor, DoubledNamesOrTextsAreNotSaved)
{
    w->show();
    auto *groups = child<QComboBox>(w, "cbDayGroups");
    groups->setCurrentIndex(1);
    emit groups->activated(1);
    EXPECT_EQ(child<QLineEdit>(w, "leDayGroup")->text(), "Sa");
    type("leDayGroup", "Mo-Fr");
    EXPECT_EQ(groups->itemText(1), "Mo-Fr");
    const QByteArray before = fileBytes(file("daygroups.ptf"));
    press("btSave");
    EXPECT_EQ(d.messages, QStringList{"Day group Mo-Fr already exists!"});
    EXPECT_EQ(fileBytes(file("daygroups.ptf")), before);
    EXPECT_TRUE(unsaved());
    EXPECT_EQ(w->DayGroups[1].Group, "Mo-Fr");

    type("leDayGroup", "Sa");
    type("leDayGroupText", "Montag bis Freitag");
    d.messages.clear();
    press("btSave");
    EXPECT_EQ(d.messages, QStringList{"Day group Montag bis Freitag already exists!"});

    // A name cannot be emptied: the field gets the name back.
    type("leDayGroup", "");
    EXPECT_EQ(child<QLineEdit>(w, "leDayGroup")->text(), "Sa");
}

TEST_F(ProjectEditor, DeletingEveryGroupSavesAnEmptyFileAndShortDaysReadAsNotRunning)
{
    writePtf(file("daygroups.ptf"), {"ID", "Group", "Days", "Text"}, {R"(1,"Mo-Di","11","Anfang")"});
    LoadDayGroups(file("daygroups.ptf"));
    w->show();
    EXPECT_EQ(days("lbDays"), "1100000");
    d.answers.push_back(DialogService::Answer::Yes);
    press("btDeleteDayGroup");
    EXPECT_FALSE(shown(w, "cbDayGroups"));
    EXPECT_FALSE(shown(w, "lbDays"));
    EXPECT_FALSE(shown(w, "btDeleteDayGroup"));
    press("btSave");
    EXPECT_EQ(rows("daygroups.ptf"), QStringList());

    w->hide();
    w->show();
    EXPECT_EQ(child<QLineEdit>(w, "leMaxDriveMinutes")->text(), "720");
    EXPECT_FALSE(shown(w, "cbDayGroups"));
}

TEST_F(ProjectEditor, DeletingAGroupShowsTheOneTakingItsPlaceOrTheNewLast)
{
    w->show();
    addGroup("So", "Sonntag", "0000001");
    auto *groups = child<QComboBox>(w, "cbDayGroups");
    groups->setCurrentIndex(1);
    emit groups->activated(1);
    d.answers.push_back(DialogService::Answer::Yes);
    press("btDeleteDayGroup");
    EXPECT_EQ(groups->currentIndex(), 1);
    EXPECT_EQ(groups->currentText(), "So");
    EXPECT_EQ(child<QLineEdit>(w, "leDayGroup")->text(), "So");
    EXPECT_EQ(child<QLineEdit>(w, "leDayGroupText")->text(), "Sonntag");
    EXPECT_EQ(days("lbDays"), "0000001");

    d.answers.push_back(DialogService::Answer::Yes);
    press("btDeleteDayGroup");
    EXPECT_EQ(groups->currentIndex(), 0);
    EXPECT_EQ(child<QLineEdit>(w, "leDayGroup")->text(), "Mo-Fr");
    EXPECT_EQ(days("lbDays"), "1111100");
    EXPECT_EQ(groupIDs(), QStringList{"1"});
}
