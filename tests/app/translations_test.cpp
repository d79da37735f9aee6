#include "app/translations.h"

#include "app/app_environment.h"
#include "app/first_save_dlg.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

template <class T = QWidget> T *control(QObject *form, const char *name)
{
    T *c = form->findChild<T *>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

QString text(const char *name)
{
    if (auto *button = fmMain->findChild<QToolButton *>(QLatin1String(name)))
        return button->text();
    if (auto *menu = fmMain->findChild<QMenu *>(QLatin1String(name)))
        return menu->title();
    if (auto *action = fmMain->findChild<QAction *>(QLatin1String(name)))
        return action->text();
    ADD_FAILURE() << "no control " << name;
    return QString();
}

} // namespace

using EnglishCaptions = StartedProgram;

TEST_F(EnglishCaptions, MainWindowTextsAreEnglishRightAfterStartUp)
{
    const std::vector<std::pair<const char *, const char *>> expected = {
        {"aAbout", "Information"},
        {"aHandbook", "Manual"},
        {"aWebsite", "Website"},
        {"FileExitItem", "E&xit"},
        {"FileMenu", "&File"},
        {"FileNewItem", "&New"},
        {"FileOpenItem", "&Open"},
        {"FileSaveAsItem", "Save As..."},
        {"FileSaveItem", "&Save"},
        {"HelpMenu", "&Help"},
        {"MICreateWebsite", "Create Website"},
        {"MIProject", "&Project"},
        {"sbAssignStations", "Add stations to lines"},
        {"sbEditLineNetworkPlans", "Line maps"},
        {"sbEditLines", "Edit lines"},
        {"sbEditProject", "Project-Options"},
        {"sbEditStations", "Edit stations"},
        {"sbEditTimeTable", "Edit timetables"},
        {"sbTimeTableInformation", "Timetable Information"},
        // The Help menu's items show the texts of their actions.
        {"Handbuch1", "Manual"},
        {"Handbuch2", "Website"},
        {"Info1", "Information"},
    };
    for (const auto &[name, english] : expected)
        EXPECT_EQ(text(name), QString::fromUtf8(english)) << name;
    EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro");
}

TEST_F(EnglishCaptions, SixToolBarHintsAreEnglishTheOthersStayGerman)
{
    const std::vector<std::pair<const char *, const char *>> hints = {
        {"sbNew", "New"},   {"sbOpen", "Open"},         {"sbQueryForShow", "Timetable Information"},
        {"sbSave", "Save"}, {"sbSaveAs", "Save As..."}, {"sbWebView", "Web-Application"},
    };
    for (const auto &[name, hint] : hints) {
        auto *button = control<QToolButton>(fmMain, name);
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint)) << name;
        EXPECT_EQ(button->statusTip(), QString::fromUtf8(hint)) << name;
    }
    EXPECT_EQ(control(fmMain, "sbTimeTableInformation")->toolTip(), "Fahrplanauskunft starten");
    EXPECT_EQ(control(fmMain, "sbEditStations")->statusTip(), "Haltestellen anlegen, umbenennen und löschen");
    EXPECT_EQ(control<QToolButton>(fmMain, "sbContact")->text(),
              "Kontakt (Fehler melden, Verbesserungsvorschläge ...)");
    EXPECT_EQ(control<QAction>(fmMain, "aCreateWebsite")->text(), "Webseite erstellen");
}

TEST_F(EnglishCaptions, AMenuItemKeepsItsOwnTextWhenItsActionChangesOtherwise)
{
    auto *action = control<QAction>(fmMain, "aCreateWebsite");
    auto *item = control<QAction>(fmMain, "MICreateWebsite");
    action->setEnabled(false);
    EXPECT_FALSE(item->isEnabled());
    EXPECT_EQ(item->text(), "Create Website");
    action->setEnabled(true);
    EXPECT_TRUE(item->isEnabled());
    action->setText(QStringLiteral("Website!"));
    EXPECT_EQ(item->text(), "Website!");
}

TEST_F(EnglishCaptions, FirstSaveNoticeIsEnglish)
{
    EXPECT_EQ(DlgFirstSave->windowTitle(), "Remark");
    EXPECT_EQ(control<QPlainTextEdit>(DlgFirstSave, "mInfo")->toPlainText(),
              "A new project must be saved before editing");
}
