#include "app/Main.h"

#include "app/app_environment.h"
#include "app/edit_stations.h"
#include "app/webview.h"
#include "data/data_module_1.h"
#include "data/main_globals.h"
#include "data/prj_params.h"
#include "platform/ansi.h"
#include "support/scripted_dialogs.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

namespace {

template <class T = QWidget> T *control(const char *name)
{
    T *c = fmMain->findChild<T *>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

void click(const char *name)
{
    control<QToolButton>(name)->click();
}

bool shown(const char *name)
{
    return !control(name)->isHidden();
}

// The work buttons that are shown, top to bottom.
QStringList shownWorkButtons()
{
    QStringList result;
    for (const char *name : {"sbEditProject", "sbEditStations", "sbEditLines", "sbAssignStations", "sbEditTimeTable",
                             "sbEditLineNetworkPlans"}) {
        if (shown(name))
            result << QLatin1String(name);
    }
    return result;
}

// Table file fixtures: a header line, the array line, the names, the rows and the field count.
void writeFile(const QString &fileName, const QStringList &lines)
{
    ASSERT_TRUE(ansi::writeLines(fileName, lines));
}

QStringList ptf(const QString &names, const QStringList &rows, int fieldCount)
{
    return QStringList{QStringLiteral("/* Portable Table Format 1.0 */"),
                       QStringLiteral("porTables[porTables.length] = new Array("), names} +
           rows + QStringList{QString::number(fieldCount) + QStringLiteral(");")};
}

QStringList projectFile(int maxDriveMinutes)
{
    return ptf(
        QStringLiteral(
            R"("DataStandard","DataVersion","PTFVersion","ProgName","ProgVersion","ProgType","MaxDriveMinutes","LastSave",)"),
        {QStringLiteral(R"("Korvalin Pro","1.0","1.0","Korvalin Pro","0.0.0","Desktop",%1,"2020-01-02 03:04:05",)")
             .arg(maxDriveMinutes)},
        8);
}

QStringList column(Table &table, const char *field)
{
    QStringList result;
    table.open();
    for (table.first(); !table.eof(); table.next())
        result << table.fieldByName(QLatin1String(field)).asString();
    table.close();
    return result;
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

QByteArray contentOf(const QString &fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Presses OK on the next modal window as soon as it runs; remembers which window it was.
void acceptNextModal(QString *windowName = nullptr)
{
    QTimer::singleShot(0, [windowName] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (windowName)
            *windowName = dialog->objectName();
        dialog->accept();
    });
}

class ThrowingObject : public QObject
{
protected:
    bool event(QEvent *) override { throw TableError(QStringLiteral("Field 'Gleis' not found")); }
};

} // namespace

using MainWindow = StartedProgram;

TEST_F(MainWindow, StartUpMakesEveryWindowInOrderAndShowsNoProject)
{
    EXPECT_EQ(CreatedForms(), QStringList({"TfmMain", "TfmEditStations", "TfmEditProject", "TDlgFirstSave",
                                           "TfmEditLines", "TfmEditLineStations", "TfmEditTimeTable", "TfmWebCopy",
                                           "TfmEditLineMapLines", "TfmEditLineNetworkPlans", "TfmFehlerkorrektur",
                                           "TAboutBox", "TfmCreateWebsite", "TfmQuery", "Tdm1", "TfmWebView"}));
    ASSERT_NE(dm1, nullptr);
    ASSERT_NE(fmWebView, nullptr);

    EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro");
    EXPECT_EQ(fmMain->size(), QSize(318, 497));
    EXPECT_EQ(fmMain->minimumSize(), fmMain->maximumSize());

    EXPECT_FALSE(control<QMenu>("MIProject")->isEnabled());
    EXPECT_TRUE(shownWorkButtons().isEmpty());
    EXPECT_TRUE(shown("paWorkChoice"));
    EXPECT_TRUE(shown("sbContact"));
    EXPECT_EQ(control<QToolButton>("sbContact")->text(), "Kontakt (Fehler melden, Verbesserungsvorschläge ...)");
    EXPECT_TRUE(shown("sbTimeTableInformation"));
    EXPECT_TRUE(shown("sbWebView"));
    EXPECT_FALSE(shown("sbQueryForShow"));
    EXPECT_FALSE(shown("sbQuery"));
    for (const char *name : {"sbSave", "sbSaveAs"}) {
        EXPECT_FALSE(shown(name)) << name;
        EXPECT_FALSE(control(name)->isEnabled()) << name;
    }
    EXPECT_FALSE(control<QAction>("FileSaveItem")->isVisible());
    EXPECT_FALSE(control<QAction>("FileSaveAsItem")->isVisible());
}

TEST_F(MainWindow, ProgramInfoAndApplicationTitle)
{
    EXPECT_EQ(ProgramDir, QCoreApplication::applicationDirPath() + "/");
    EXPECT_EQ(ProductTitle, "Korvalin Pro");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(ProgVersion).hasMatch())
        << ProgVersion.toStdString();
    EXPECT_FALSE(ProgType.isEmpty());
    EXPECT_EQ(QCoreApplication::applicationName(), "Korvalin Pro " + ProgVersion);
    EXPECT_EQ(DefaultProjectFile, ProgramDir + "default_project_pro.ppr");
    EXPECT_EQ(DefaultPrefsFile, ProgramDir + "default_prefs.ptf");
    EXPECT_EQ(DefaultDayGroupsFile, ProgramDir + "default_daygroups.ptf");
    EXPECT_EQ(DefaultLineMapPrefsFile, ProgramDir + "line_map_prefs.ptf");
}

TEST_F(MainWindow, PreviewAndTimetableInformationNeedAProject)
{
    ScriptedDialogs d;
    click("sbWebView");
    click("sbTimeTableInformation");
    EXPECT_EQ(d.messages, QStringList({"No project loaded", "No project loaded"}));
    EXPECT_TRUE(d.opened.isEmpty());
    EXPECT_TRUE(WebPreviewURL.isEmpty());
}

TEST_F(MainWindow, PreviewWritesTheLoaderPageAndOpensItsAddress)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ProjectDir = dir.path() + "/Mein Projekt";
    ASSERT_TRUE(QDir().mkpath(ProjectDir));
    ProjectFileName = ProjectDir + "/netz.ppr";

    ScriptedDialogs d;
    click("sbWebView");
    ASSERT_TRUE(dir.path().startsWith('/'));
    const QString expected = "file://" + dir.path() + "/Mein Projekt/webloader.htm";
    EXPECT_EQ(WebPreviewURL, expected);
    EXPECT_EQ(d.opened, QStringList{expected});
    EXPECT_TRUE(QFile::exists(ProjectDir + "/webloader.htm"));
    EXPECT_TRUE(fmWebView->isHidden());

    // Only when the desktop cannot open the page does the viewer show it.
    d.shellResult = false;
    click("sbWebView");
    EXPECT_FALSE(fmWebView->isHidden());
    fmWebView->hide();
    EXPECT_TRUE(d.messages.isEmpty());
}

TEST_F(MainWindow, PreviewReportsALoaderPageThatCannotBeWritten)
{
    QTemporaryDir dir;
    ProjectDir = dir.path() + "/missing";
    ProjectFileName = ProjectDir + "/netz.ppr";
    ScriptedDialogs d;
    click("sbWebView");
    EXPECT_EQ(d.messages, QStringList{"Error saving the file " + ProjectDir + "/webloader.htm"});
    EXPECT_TRUE(d.opened.isEmpty());
}

TEST_F(MainWindow, ManualThatCannotBeOpenedShowsTheErrorInABoxTitledFehler)
{
    ScriptedDialogs d;
    d.shellResult = false;
    control<QAction>("Handbuch1")->trigger();
    EXPECT_EQ(d.opened, QStringList{ProgramDir + "Korvalin Pro Manual.pdf"});
    ASSERT_EQ(d.errors.size(), 1);
    EXPECT_TRUE(d.errors[0].startsWith("Fehler: ")) << d.errors[0].toStdString();

    d.shellResult = true;
    control<QAction>("aHandbook")->trigger();
    EXPECT_EQ(d.errors.size(), 1);
    EXPECT_EQ(d.opened.size(), 2);
}

TEST_F(MainWindow, HintsOfEveryWindowGoToTheStatusLine)
{
    auto *statusLine = control<QStatusBar>("StatusLine");
    QStatusTipEvent tip(control<QToolButton>("sbNew")->statusTip());
    QCoreApplication::sendEvent(control("sbNew"), &tip);
    EXPECT_EQ(statusLine->currentMessage(), "New");

    QStatusTipEvent editorTip(QStringLiteral("Stationen bearbeiten"));
    QCoreApplication::sendEvent(fmEditStations, &editorTip);
    EXPECT_EQ(statusLine->currentMessage(), "Stationen bearbeiten");
}

TEST_F(MainWindow, ExceptionInAnEventHandlerIsShownAndTheProgramGoesOn)
{
    ScriptedDialogs d;
    ThrowingObject target;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &event));
    EXPECT_EQ(d.errors, QStringList{QCoreApplication::applicationName() + ": Field 'Gleis' not found"});
}

// ------------------------------------------------------------------ File > New and File > Open

class ProjectCommands : public StartedProgram
{
protected:
    void SetUp() override
    {
        StartedProgram::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        const QString program = path("program");
        ASSERT_TRUE(QDir().mkpath(program));
        DefaultProjectFile = program + "/default_project_pro.ppr";
        DefaultPrefsFile = program + "/default_prefs.ptf";
        DefaultDayGroupsFile = program + "/default_daygroups.ptf";
        writeFile(DefaultProjectFile, projectFile(720));
        writeFile(DefaultPrefsFile, ptf(R"("ProjectName","LineColorRed","LineColorGreen","LineColorBlue",)",
                                        {R"("Neues Projekt",0,0,255,)"}, 4));
        writeFile(DefaultDayGroupsFile, ptf(R"("ID","Group","Days","Text",)",
                                            {R"(1,"Mo-Fr","12345","Werktags",)", R"(2,"Sa","6","Samstag",)"}, 4));
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Project A: stations, lines and line stations, MaxDriveMinutes 90.
    QString makeProjectA()
    {
        const QString dir = path("A");
        EXPECT_TRUE(QDir().mkpath(dir));
        writeFile(dir + "/a.ppr", projectFile(90));
        writeFile(dir + "/prefs.ptf", ptf(R"("ProjectName","LineColorRed","LineColorGreen","LineColorBlue",)",
                                          {R"("a.ppr",10,20,30,)"}, 4));
        writeFile(dir + "/daygroups.ptf", ptf(R"("ID","Group","Days","Text",)", {R"(1,"Sonntag","7","So",)"}, 4));
        writeFile(dir + "/stations.ptf", ptf(R"("ID","Station",)", {R"(1,"Nordbahnhof",)", R"(2,"Markt",)"}, 2));
        writeFile(dir + "/lines.ptf", ptf(R"("ID","Line",)", {R"(1,"Linie 4",)"}, 2));
        writeFile(dir + "/line_stations.ptf",
                  ptf(R"("LineID","LineStationNumber","StationID",)", {"1,1,1,", "1,2,2,"}, 3));
        return dir + "/a.ppr";
    }

    void openProject(ScriptedDialogs &d, const QString &fileName)
    {
        d.fileNames.push_back(fileName);
        click("sbOpen");
    }

    QTemporaryDir m_dir;
};

TEST_F(ProjectCommands, NewWritesFourFilesAndShowsTheProjectAndStationButtons)
{
    ScriptedDialogs d;
    openProject(d, makeProjectA());
    ASSERT_EQ(column(dm1->cdsStations, "Station").size(), 2);

    const QString dir = path("neu");
    ASSERT_TRUE(QDir().mkpath(dir));
    d.fileNames.push_back(dir + "/netz.ppr");
    QString notice;
    acceptNextModal(&notice);
    click("sbNew");

    EXPECT_EQ(notice, "DlgFirstSave");
    EXPECT_EQ(filesIn(dir), QStringList({"daygroups.ptf", "netz.ppr", "prefs.ptf", "webloader.htm"}));
    EXPECT_EQ(ProjectFileName, dir + "/netz.ppr");
    EXPECT_EQ(ProjectDir, dir);
    EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro:  " + dir + "/netz.ppr");
    EXPECT_EQ(fmMain->OpenDialogPrj.FileName, dir + "/netz.ppr");
    EXPECT_TRUE(control<QMenu>("MIProject")->isEnabled());
    EXPECT_EQ(shownWorkButtons(), QStringList({"sbEditProject", "sbEditStations"}));

    // The defaults are the new project's; the tables of project A are gone.
    EXPECT_EQ(column(dm1->cdsDayGroups, "Group"), QStringList({"Mo-Fr", "Sa"}));
    EXPECT_EQ(column(dm1->cdsPrefs, "ProjectName"), QStringList{"netz.ppr"});
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 720);
    EXPECT_TRUE(column(dm1->cdsStations, "Station").isEmpty());
    EXPECT_TRUE(column(dm1->cdsLines, "Line").isEmpty());
    EXPECT_TRUE(column(dm1->cdsLineStations, "StationID").isEmpty());
    EXPECT_TRUE(ansi::decode(contentOf(dir + "/prefs.ptf")).contains("\"netz.ppr\",0,0,255,"));
    EXPECT_TRUE(ansi::decode(contentOf(dir + "/netz.ppr"))
                    .contains("\"Korvalin Pro\",\"1.0\",\"1.0\",\"Korvalin Pro\",\"" + ProgVersion));
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
    EXPECT_TRUE(d.questions.isEmpty());
}

TEST_F(ProjectCommands, CancellingNewKeepsTheOpenProjectUsable)
{
    ScriptedDialogs d;
    const QString a = makeProjectA();
    openProject(d, a);
    const QString caption = fmMain->windowTitle();

    d.fileNames.push_back(QString());
    acceptNextModal();
    click("sbNew");

    EXPECT_EQ(ProjectFileName, a);
    EXPECT_EQ(fmMain->windowTitle(), caption);
    EXPECT_TRUE(shown("paWorkChoice"));
    EXPECT_EQ(shownWorkButtons().size(), 6);
    EXPECT_EQ(column(dm1->cdsStations, "Station"), QStringList({"Nordbahnhof", "Markt"}));
}

TEST_F(ProjectCommands, NewAsksBeforeWritingIntoAFolderThatHoldsAProject)
{
    ScriptedDialogs d;
    const QString a = makeProjectA();
    openProject(d, a);
    const QString dirA = ExtractProjectDir(a);
    const QStringList filesBefore = filesIn(dirA);
    const QByteArray projectBefore = contentOf(a);
    const QByteArray dayGroupsBefore = contentOf(dirA + "/daygroups.ptf");

    // No: nothing is written and project A stays open as it was.
    d.fileNames.push_back(dirA + "/b.ppr");
    d.answers.push_back(DialogService::Answer::No);
    acceptNextModal();
    click("sbNew");
    ASSERT_EQ(d.questions.size(), 1);
    EXPECT_TRUE(d.questions[0].contains(dirA)) << d.questions[0].toStdString();
    EXPECT_TRUE(d.questions[0].endsWith('?'));
    EXPECT_EQ(filesIn(dirA), filesBefore);
    EXPECT_EQ(contentOf(a), projectBefore);
    EXPECT_EQ(contentOf(dirA + "/daygroups.ptf"), dayGroupsBefore);
    EXPECT_EQ(ProjectFileName, a);
    EXPECT_EQ(column(dm1->cdsStations, "Station"), QStringList({"Nordbahnhof", "Markt"}));
    EXPECT_EQ(column(dm1->cdsDayGroups, "Group"), QStringList{"Sonntag"});
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 90);
    EXPECT_EQ(shownWorkButtons().size(), 6);

    // Yes: the new project is made there.
    d.fileNames.push_back(dirA + "/b.ppr");
    d.answers.push_back(DialogService::Answer::Yes);
    acceptNextModal();
    click("sbNew");
    EXPECT_EQ(d.questions.size(), 2);
    EXPECT_EQ(ProjectFileName, dirA + "/b.ppr");
    EXPECT_TRUE(QFile::exists(dirA + "/b.ppr"));
    EXPECT_EQ(column(dm1->cdsDayGroups, "Group"), QStringList({"Mo-Fr", "Sa"}));

    // An empty folder is not asked about.
    const QString empty = path("leer");
    ASSERT_TRUE(QDir().mkpath(empty));
    d.fileNames.push_back(empty + "/c.ppr");
    acceptNextModal();
    click("sbNew");
    EXPECT_EQ(d.questions.size(), 2);
    EXPECT_EQ(ProjectFileName, empty + "/c.ppr");
}

TEST_F(ProjectCommands, OpenOfAFolderWithOnlyTheProjectFile)
{
    const QString dir = path("nur");
    ASSERT_TRUE(QDir().mkpath(dir));
    writeFile(dir + "/p.ppr", projectFile(45));

    ScriptedDialogs d;
    openProject(d, dir + "/p.ppr");
    EXPECT_EQ(ProjectFileName, dir + "/p.ppr");
    EXPECT_EQ(ProjectDir, dir);
    EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro:  " + dir + "/p.ppr");
    EXPECT_EQ(fmMain->SaveDialogPrj.FileName, dir + "/p.ppr");
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 45);
    EXPECT_EQ(d.messages, QStringList{"Daygroups-File daygroups.ptf not found"});
    EXPECT_EQ(filesIn(dir), QStringList({"p.ppr", "prefs.ptf"}));
    EXPECT_TRUE(ansi::decode(contentOf(dir + "/prefs.ptf")).contains("\"Neues Projekt\",0,0,255,"));
    EXPECT_EQ(shownWorkButtons(), QStringList({"sbEditProject", "sbEditStations"}));
    EXPECT_TRUE(control<QMenu>("MIProject")->isEnabled());
    EXPECT_TRUE(column(dm1->cdsStations, "Station").isEmpty());
    EXPECT_TRUE(column(dm1->cdsDayGroups, "Group").isEmpty());
}

TEST_F(ProjectCommands, OpenLoadsTheTablesAndShowsTheButtonsOfExistingFiles)
{
    ScriptedDialogs d;
    const QString a = makeProjectA();
    openProject(d, a);
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
    EXPECT_EQ(shownWorkButtons(), QStringList({"sbEditProject", "sbEditStations", "sbEditLines", "sbAssignStations",
                                               "sbEditTimeTable", "sbEditLineNetworkPlans"}));
    EXPECT_EQ(column(dm1->cdsStations, "Station"), QStringList({"Nordbahnhof", "Markt"}));
    EXPECT_EQ(column(dm1->cdsLines, "Line"), QStringList{"Linie 4"});
    EXPECT_EQ(column(dm1->cdsPrefs, "LineColorGreen"), QStringList{"20"});
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 90);
    EXPECT_EQ(filesIn(ExtractProjectDir(a)).size(), 6); // prefs.ptf exists and is not rewritten

    // Only stations: the lines button follows, the later ones stay hidden.
    const QString dir = path("S");
    ASSERT_TRUE(QDir().mkpath(dir));
    writeFile(dir + "/s.ppr", projectFile(60));
    writeFile(dir + "/daygroups.ptf", ptf(R"("ID","Group","Days","Text",)", {}, 4));
    writeFile(dir + "/stations.ptf", ptf(R"("ID","Station",)", {R"(7,"Hafen",)"}, 2));
    openProject(d, dir + "/s.ppr");
    EXPECT_EQ(shownWorkButtons(), QStringList({"sbEditProject", "sbEditStations", "sbEditLines"}));

    // A cancelled open dialog changes nothing.
    d.fileNames.push_back(QString());
    click("sbOpen");
    EXPECT_EQ(ProjectFileName, dir + "/s.ppr");
}

TEST_F(ProjectCommands, OpenStartsEveryLoadedTableEmpty)
{
    ScriptedDialogs d;
    openProject(d, makeProjectA());

    // Project B: a stations file cut short, a damaged lines file, a day-group file cut short.
    const QString dir = path("B");
    ASSERT_TRUE(QDir().mkpath(dir));
    writeFile(dir + "/b.ppr", projectFile(30));
    writeFile(dir + "/daygroups.ptf", QStringList{"/* Portable Table Format 1.0 */"});
    writeFile(dir + "/stations.ptf", ptf(R"("ID","Station",)", {}, 2).mid(0, 3));
    writeFile(dir + "/lines.ptf", ptf(R"("ID","Line",)", {R"(5,"Bus 9",7,8,)"}, 2));
    writeFile(dir + "/line_stations.ptf", ptf(R"("LineID","LineStationNumber","StationID",)", {}, 3));
    openProject(d, dir + "/b.ppr");

    EXPECT_EQ(ProjectFileName, dir + "/b.ppr");
    EXPECT_TRUE(column(dm1->cdsStations, "Station").isEmpty());
    EXPECT_FALSE(column(dm1->cdsLines, "Line").contains("Linie 4"));
    EXPECT_TRUE(column(dm1->cdsLineStations, "StationID").isEmpty());
    EXPECT_TRUE(column(dm1->cdsDayGroups, "Group").isEmpty());
    EXPECT_EQ(column(dm1->cdsPrefs, "ProjectName"), QStringList{"Neues Projekt"});
    EXPECT_TRUE(d.messages.contains("Line-File lines.ptf not found")) << d.messages.join('|').toStdString();
    EXPECT_TRUE(d.messages.contains("Daygroups-File daygroups.ptf not found"));
    EXPECT_TRUE(d.messages.contains("Station-File stations.ptf not found"));
    EXPECT_EQ(shownWorkButtons().size(), 6);
}

TEST_F(ProjectCommands, AnUnreadableProjectFileLeavesTheOpenProjectAsItWas)
{
    ScriptedDialogs d;
    const QString a = makeProjectA();
    openProject(d, a);
    const QString caption = fmMain->windowTitle();

    const QString dir = path("kaputt");
    ASSERT_TRUE(QDir().mkpath(dir));
    writeFile(dir + "/k.ppr", {"/* Portable Table Format 1.0 */", "porTables[porTables.length] = new Array("});
    writeFile(dir + "/stations.ptf", ptf(R"("ID","Station",)", {R"(9,"Fremd",)"}, 2));
    for (const QString &bad : {dir + "/k.ppr", dir + "/fehlt.ppr"}) {
        d.messages.clear();
        openProject(d, bad);
        EXPECT_EQ(d.messages, QStringList{"Project-File " + bad + " not found"});
        EXPECT_EQ(ProjectFileName, a);
        EXPECT_EQ(ProjectDir, ExtractProjectDir(a));
        EXPECT_EQ(fmMain->windowTitle(), caption);
        EXPECT_EQ(PrjParams.MaxDriveMinutes, 90);
        EXPECT_EQ(column(dm1->cdsStations, "Station"), QStringList({"Nordbahnhof", "Markt"}));
        EXPECT_EQ(column(dm1->cdsProject, "MaxDriveMinutes"), QStringList{"90"});
        EXPECT_EQ(shownWorkButtons().size(), 6);
    }
    EXPECT_EQ(filesIn(dir), QStringList({"k.ppr", "stations.ptf"}));
}

TEST_F(ProjectCommands, LineMapsButtonLoadsThePlansOfTheOpenProjectOnly)
{
    DefaultLineMapPrefsFile = path("program/line_map_prefs.ptf");
    writeFile(DefaultLineMapPrefsFile, ptf(R"("LineMapID",)", {"1,"}, 1));
    ScriptedDialogs d;
    const QString a = makeProjectA();
    writeFile(ExtractProjectDir(a) + "/line_maps.ptf", ptf(R"("ID","Name",)", {R"(1,"Gesamtnetz",)"}, 2));
    openProject(d, a);
    QString window;
    acceptNextModal(&window);
    click("sbEditLineNetworkPlans");
    EXPECT_EQ(window, "fmEditLineNetworkPlans");
    EXPECT_EQ(column(dm1->cdsLineMaps, "Name"), QStringList{"Gesamtnetz"});
    EXPECT_EQ(column(dm1->cdsLineMapPrefs, "LineMapID"), QStringList{"1"});

    // Project B has no plans: none of A's are left.
    const QString dir = path("B");
    ASSERT_TRUE(QDir().mkpath(dir));
    writeFile(dir + "/b.ppr", projectFile(30));
    writeFile(dir + "/line_stations.ptf", ptf(R"("LineID","LineStationNumber","StationID",)", {}, 3));
    writeFile(dir + "/line_maps.ptf", ptf(R"("ID","Name",)", {}, 2).mid(0, 2));
    openProject(d, dir + "/b.ppr");
    acceptNextModal();
    click("sbEditLineNetworkPlans");
    EXPECT_TRUE(column(dm1->cdsLineMaps, "Name").isEmpty());
}
