#include "app/Main.h"

#include "support/app_environment.h"
#include "support/file_size_limit.h"
#include "support/killed_change.h"
#include "app/edit_stations.h"
#include "data/prj_params.h"
#include "platform/file_change.h"
#include "support/project_commands.h"
#include "support/project_folder.h"
#include "support/window_controls.h"
#include "web/web_loader.h"
#include "web/webview.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

#include <cstdlib>

#include <sys/wait.h>
#include <unistd.h>

namespace {

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
    EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro");
    EXPECT_EQ(QCoreApplication::applicationName(), "Korvalin Pro " + ProgVersion);

    EXPECT_FALSE(control<QMenu>("MIProject")->isEnabled());
    EXPECT_TRUE(shownWorkButtons().isEmpty());
    for (const char *name : {"paWorkChoice", "sbContact", "sbTimeTableInformation", "sbWebView"})
        EXPECT_TRUE(shown(name)) << name;
    for (const char *name : {"sbQueryForShow", "sbQuery", "sbSave", "sbSaveAs"})
        EXPECT_FALSE(shown(name)) << name;
}

TEST_F(MainWindow, PreviewWritesTheLoaderPageAndOpensItsAddress)
{
    ScriptedDialogs d;
    click("sbWebView");
    click("sbTimeTableInformation");
    EXPECT_EQ(d.messages, QStringList({"No project loaded", "No project loaded"}));
    EXPECT_TRUE(d.opened.isEmpty());

    QTemporaryDir dir;
    ProjectDir = dir.path() + "/Mein Projekt";
    ProjectFileName = ProjectDir + "/netz.ppr";
    d.messages.clear();
    click("sbWebView"); // the folder is not there yet
    EXPECT_TRUE(messagesWithReasons(d.messages, QStringList{"Error saving the file " + ProjectDir + "/webloader.htm"}));
    EXPECT_TRUE(d.opened.isEmpty());

    ASSERT_TRUE(QDir().mkpath(ProjectDir));
    click("sbWebView");
    const QString expected = "file://" + ProjectDir + "/webloader.htm";
    EXPECT_EQ(WebPreviewURL, expected);
    EXPECT_EQ(d.opened, QStringList{expected});
    EXPECT_TRUE(QFile::exists(ProjectDir + "/webloader.htm"));
    EXPECT_TRUE(fmWebView->isHidden());

    // Only when the desktop cannot open the page does the viewer show it.
    d.shellResult = false;
    click("sbWebView");
    EXPECT_FALSE(fmWebView->isHidden());
    ASSERT_NE(fmWebView->wbViewer, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([] { return fmWebView->wbViewer->url() == LocalAddressToUrl(WebPreviewURL); }, 10000));

    // Another project opened while the viewer stays open: the preview shows that project's page.
    ProjectDir = dir.path() + "/Anderes";
    ProjectFileName = ProjectDir + "/linien.ppr";
    ASSERT_TRUE(QDir().mkpath(ProjectDir));
    click("sbWebView");
    EXPECT_FALSE(fmWebView->isHidden());
    EXPECT_EQ(WebPreviewURL, "file://" + ProjectDir + "/webloader.htm");
    EXPECT_TRUE(QTest::qWaitFor([] { return fmWebView->wbViewer->url() == LocalAddressToUrl(WebPreviewURL); }, 10000))
        << fmWebView->wbViewer->url().toString().toStdString();
    fmWebView->hide();
    EXPECT_EQ(d.messages.size(), 1);
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
}

TEST_F(MainWindow, WebsiteAndContactReportAFailedShellOpen)
{
    ScriptedDialogs d;
    d.shellResult = false;
    control<QAction>("Handbuch2")->trigger();
    click("sbContact");
    ASSERT_EQ(d.opened.size(), 2);
    ASSERT_EQ(d.errors.size(), 2);
    for (const QString &error : d.errors)
        EXPECT_TRUE(error.startsWith("Fehler: ")) << error.toStdString();
    d.shellResult = true;
    control<QAction>("aWebsite")->trigger();
    click("sbContact");
    EXPECT_EQ(d.errors.size(), 2);
}

TEST_F(MainWindow, HintsOfEveryWindowGoToTheStatusLine)
{
    auto *statusLine = control<QStatusBar>("StatusLine");
    QStatusTipEvent tip(QStringLiteral("Stationen bearbeiten"));
    QCoreApplication::sendEvent(fmEditStations, &tip);
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


TEST_F(ProjectCommands, NewLeavesTheOpenProjectWhenCancelledOrRefusedElseWritesFourFiles)
{
    const QString a = makeProjectA();
    openProject(a);
    expectProjectAOpen(a);
    const QString dirA = ExtractProjectDir(a);
    const QStringList filesBefore = filesIn(dirA);
    const QByteArray projectBefore = fileBytes(a);

    QString notice;
    newProject(QString(), &notice);
    EXPECT_EQ(notice, "DlgFirstSave");
    expectProjectAOpen(a);
    EXPECT_TRUE(shown("paWorkChoice"));

    // A folder that holds a project is refused at once: nothing written, nothing asked.
    newProject(dirA + "/b.ppr");
    EXPECT_TRUE(d.questions.isEmpty());
    EXPECT_EQ(d.messages, QStringList{"The folder " + dirA +
                                      " already holds a project. Choose an empty folder for the new project."});
    EXPECT_EQ(filesIn(dirA), filesBefore);
    EXPECT_EQ(fileBytes(a), projectBefore);
    expectProjectAOpen(a);
    d.messages.clear();

    // An empty folder takes the new project; the tables of project A are gone.
    const QString dir = makeFolder("neu");
    newProject(dir + "/netz.ppr");
    EXPECT_TRUE(d.questions.isEmpty());
    EXPECT_EQ(column(dm1->cdsDayGroups, "Group"), QStringList({"Mo-Fr", "Sa"}));
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 720);
    EXPECT_TRUE(column(dm1->cdsStations, "Station").isEmpty());
    EXPECT_EQ(filesIn(dir), QStringList({"daygroups.ptf", "netz.ppr", "prefs.ptf", "webloader.htm"}));
    EXPECT_EQ(ProjectFileName, dir + "/netz.ppr");
    EXPECT_EQ(ProjectDir, dir);
    EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro:  " + dir + "/netz.ppr");
    EXPECT_TRUE(control<QMenu>("MIProject")->isEnabled());
    EXPECT_EQ(shownWorkButtons(), QStringList({"sbEditProject", "sbEditStations"}));
    EXPECT_TRUE(ansi::decode(fileBytes(dir + "/prefs.ptf")).contains("\"netz.ppr\",0,0,255,"));
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(ProjectCommands, OpenShowsTheButtonsOfTheFilesThatExist)
{
    const QString dir = makeFolder("nur");
    writeProjectFile(dir + "/p.ppr", 45);
    openProject(dir + "/p.ppr");
    EXPECT_EQ(ProjectDir, dir);
    EXPECT_EQ(fmMain->windowTitle(), "Korvalin Pro:  " + dir + "/p.ppr");
    EXPECT_EQ(PrjParams.MaxDriveMinutes, 45);
    EXPECT_EQ(d.messages, QStringList{"Daygroups-File daygroups.ptf not found"});
    // The program folder's preferences are written into the project.
    EXPECT_EQ(filesIn(dir), QStringList({"p.ppr", "prefs.ptf"}));
    EXPECT_TRUE(ansi::decode(fileBytes(dir + "/prefs.ptf")).contains("\"Neues Projekt\",0,0,255,"));
    EXPECT_EQ(shownWorkButtons(), QStringList({"sbEditProject", "sbEditStations"}));
    EXPECT_TRUE(control<QMenu>("MIProject")->isEnabled());

    writePtf(dir + "/stations.ptf", {"ID", "Station"}, {R"(7,"Hafen")"});
    openProject(dir + "/p.ppr");
    EXPECT_EQ(shownWorkButtons(), QStringList({"sbEditProject", "sbEditStations", "sbEditLines"}));
    EXPECT_EQ(column(dm1->cdsStations, "Station"), QStringList{"Hafen"});

    const QString a = makeProjectA();
    openProject(a);
    expectProjectAOpen(a);
    EXPECT_EQ(column(dm1->cdsLines, "Line"), QStringList{"Linie 4"});
    EXPECT_EQ(column(dm1->cdsPrefs, "LineColorGreen"), QStringList{"20"});

    openProject(QString()); // cancelled
    EXPECT_EQ(ProjectFileName, a);
}

// Opening removes what saves killed midway left beside their files, and only that: names the
// program's writers make for its own files; the user's files of similar names stay.
// A change killed midway is undone when the project opens, the user is told once, and only the
// files its journal names go: the user's own files of any name stay.
TEST_F(ProjectCommands, OpenUndoesAnInterruptedChangeAndKeepsTheUsersFiles)
{
    const QString a = makeProjectA();
    const QString dir = ExtractProjectDir(a);
    const QStringList own{"stations.ptf.backup", "a.ppr.backup",        "distances.ini.backup",
                          "line_stations.ptf.orig01", "tt_1.ptf.2024v1", "stations.ptf.lOIPVH",
                          "line_stations.ptf.korvalin-old"};
    for (const QString &name : own)
        writeFileBytes(dir + "/" + name, "mine");
    const QByteArray stations = fileBytes(dir + "/stations.ptf");
    const QStringList before = filesIn(dir);

    // The child writes two files of a change and dies before it ends.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FileChange change(dir);
        const bool ok = change.write(dir + "/stations.ptf", "half") && change.write(dir + "/lines2.ptf", "new");
        std::_Exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFileInfo::exists(dir + "/" + FileChange::journalName()));
    ASSERT_EQ(fileBytes(dir + "/stations.ptf"), "half");

    openProject(a);
    expectProjectAOpen(a);
    EXPECT_EQ(fileBytes(dir + "/stations.ptf"), stations);
    EXPECT_EQ(filesIn(dir), before);
    for (const QString &name : own)
        EXPECT_EQ(fileBytes(dir + "/" + name), "mine") << name.toStdString();
    ASSERT_EQ(d.messages.size(), 1) << d.messages.join('|').toStdString();
    EXPECT_TRUE(d.messages[0].contains("undone")) << d.messages[0].toStdString();
    EXPECT_TRUE(d.messages[0].contains("These files are as they were before it: stations.ptf. The files it had made "
                                       "are gone again: lines2.ptf."))
        << d.messages[0].toStdString();

    // Opened again, there is nothing left to tell.
    d.messages.clear();
    openProject(a);
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST_F(ProjectCommands, OpenStartsEveryLoadedTableEmpty)
{
    DefaultLineMapPrefsFile = path("program/line_map_prefs.ptf");
    writePtf(DefaultLineMapPrefsFile, {"LineMapID"}, {"1"});
    const QString a = makeProjectA();
    writePtf(ExtractProjectDir(a) + "/line_maps.ptf", {"ID", "Name"}, {R"(1,"Gesamtnetz")"});
    openProject(a);
    QString window;
    acceptNextModal(&window);
    click("sbEditLineNetworkPlans");
    EXPECT_TRUE(window.endsWith("mEditLineNetworkPlans")) << window.toStdString();
    EXPECT_EQ(column(dm1->cdsLineMaps, "Name"), QStringList{"Gesamtnetz"});
    EXPECT_EQ(column(dm1->cdsLineMapPrefs, "LineMapID"), QStringList{"1"});

    // Project B: files cut short or damaged; none of A's rows may be left in their tables.
    const QString dir = makeFolder("B");
    writeProjectFile(dir + "/b.ppr", 30);
    ASSERT_TRUE(ansi::writeLines(dir + "/daygroups.ptf", {"/* Portable Table Format 1.0 */"}));
    ASSERT_TRUE(ansi::writeLines(dir + "/stations.ptf", ptfLines({"ID", "Station"}, {}).mid(0, 3)));
    writePtf(dir + "/lines.ptf", {"ID", "Line"}, {R"(5,"Bus 9",7,8)"});
    writePtf(dir + "/line_stations.ptf", kLineStationNames, {});
    ASSERT_TRUE(ansi::writeLines(dir + "/line_maps.ptf", ptfLines({"ID", "Name"}, {}).mid(0, 2)));
    openProject(dir + "/b.ppr");

    EXPECT_EQ(ProjectFileName, dir + "/b.ppr");
    EXPECT_TRUE(column(dm1->cdsStations, "Station").isEmpty());
    EXPECT_FALSE(column(dm1->cdsLines, "Line").contains("Linie 4"));
    EXPECT_TRUE(column(dm1->cdsLineStations, "StationID").isEmpty());
    EXPECT_TRUE(column(dm1->cdsDayGroups, "Group").isEmpty());
    EXPECT_EQ(column(dm1->cdsPrefs, "ProjectName"), QStringList{"Neues Projekt"});
    // Each damaged file is told once, by the reader: it is there, so it is not "not found".
    for (const char *file : {"lines.ptf", "daygroups.ptf", "stations.ptf"})
        EXPECT_EQ(d.messages.filter(file).size(), 1) << d.messages.join('|').toStdString();
    EXPECT_EQ(d.messages.filter("not found"), QStringList());
    EXPECT_EQ(shownWorkButtons(), allWorkButtons);
    acceptNextModal();
    click("sbEditLineNetworkPlans");
    EXPECT_TRUE(column(dm1->cdsLineMaps, "Name").isEmpty());
}

TEST_F(ProjectCommands, AnUnreadableProjectFileLeavesTheOpenProjectAsItWas)
{
    const QString a = makeProjectA();
    openProject(a);

    const QString dir = makeFolder("kaputt");
    ASSERT_TRUE(ansi::writeLines(dir + "/k.ppr", ptfLines({}, {}).mid(0, 2)));
    writePtf(dir + "/stations.ptf", {"ID", "Station"}, {R"(9,"Fremd")"});
    for (const QString &bad : {dir + "/k.ppr", dir + "/fehlt.ppr"}) {
        d.messages.clear();
        openProject(bad);
        // A file that is there is reported as damaged first; a missing one only as missing.
        QStringList expected{"Project-File " + bad + " not found"};
        if (QFile::exists(bad))
            expected.prepend("Error by load PTF-File: " + bad);
        EXPECT_EQ(d.messages, expected);
        expectProjectAOpen(a);
        EXPECT_EQ(column(dm1->cdsProject, "MaxDriveMinutes"), QStringList{"90"});
    }
    EXPECT_EQ(filesIn(dir), QStringList({"k.ppr", "stations.ptf"}));
}

TEST_F(ProjectCommands, OnlyAProjectFileOpensAsAProject)
{
    const QString a = makeProjectA();
    openProject(a);
    const QString dir = makeFolder("fremd");
    {
        QFile binary(dir + "/bild.ppr");
        ASSERT_TRUE(binary.open(QIODevice::WriteOnly));
        QByteArray bytes;
        for (int i = 0; i < 4096; ++i)
            bytes.append(char((i * 7919) % 256));
        binary.write(bytes);
    }
    writePtf(dir + "/stations.ptf", {"ID", "Station"}, {R"(9,"Fremd")"});
    // A project file without its closing line was cut short; one without a row has no header.
    QStringList cut = ptfLines({"DataStandard", "DataVersion"}, {R"("Korvalin Pro","1.0")"});
    cut.removeLast();
    ASSERT_TRUE(ansi::writeLines(dir + "/cut.ppr", cut));
    writePtf(dir + "/leer.ppr", {"DataStandard", "DataVersion"}, {});
    const QStringList before = filesIn(dir);
    for (const QString &stray : {dir + "/bild.ppr", dir + "/stations.ptf", dir + "/cut.ppr", dir + "/leer.ppr"}) {
        d.messages.clear();
        openProject(stray);
        EXPECT_EQ(d.messages, QStringList({"Error by load PTF-File: " + stray, "Project-File " + stray + " not found"}))
            << stray.toStdString();
        expectProjectAOpen(a);
    }
    EXPECT_EQ(filesIn(dir), before);

    // A project file of an older version, without the last columns, still opens.
    writePtf(dir + "/alt.ppr", {"DataStandard", "DataVersion", "PTFVersion"}, {R"("Korvalin Pro","1.0","1.0")"});
    d.messages.clear();
    openProject(dir + "/alt.ppr");
    EXPECT_EQ(ProjectFileName, dir + "/alt.ppr");
}

TEST_F(ProjectCommands, NewThatCannotWriteLeavesNothingAndTheOpenProjectAsItWas)
{
    const QString a = makeProjectA();
    openProject(a);
    d.messages.clear();

    // A folder stands where prefs.ptf is to go: the project file and the day groups are
    // written first and removed again.
    const QString blocked = makeFolder("blockiert");
    ASSERT_TRUE(QDir().mkpath(blocked + "/prefs.ptf"));
    newProject(blocked + "/netz.ppr");
    ASSERT_EQ(d.messages.size(), 1) << d.messages.join('|').toStdString();
    EXPECT_TRUE(d.messages[0].startsWith("Error saving the file " + blocked + "/prefs.ptf: "))
        << d.messages[0].toStdString();
    EXPECT_TRUE(filesIn(blocked).isEmpty()) << filesIn(blocked).join(',').toStdString();
    expectProjectAOpen(a);

    // A folder that cannot be made (a file stands in its way) is the failure; nothing is left.
    d.messages.clear();
    QFile plain(path("datei"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    newProject(path("datei/unter/netz.ppr"));
    EXPECT_EQ(d.messages, QStringList{"The folder " + path("datei/unter") + " cannot be created."});
    expectProjectAOpen(a);

    // A missing default file stops New before anything is written.
    d.messages.clear();
    QFile::remove(DefaultDayGroupsFile);
    newProject(path("ohne/netz.ppr"));
    EXPECT_EQ(d.messages, QStringList{"Daygroups-File " + DefaultDayGroupsFile + " not found"});
    EXPECT_FALSE(QFileInfo::exists(path("ohne")));
    expectProjectAOpen(a);
}

TEST_F(ProjectCommands, NewMakesAMissingFolderAndRefusesANameTheFilesCannotHold)
{
    const QString a = makeProjectA();
    openProject(a);
    d.messages.clear();

    newProject(path("Linien/Линия.ppr"));
    ASSERT_EQ(d.messages.size(), 1);
    EXPECT_TRUE(d.messages[0].contains("\"Л\"")) << d.messages[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("Linien")));
    expectProjectAOpen(a);

    d.messages.clear();
    newProject(path("neu/tief/Straßenbahn €.ppr"));
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
    EXPECT_EQ(filesIn(path("neu/tief")),
              QStringList({"Straßenbahn €.ppr", "daygroups.ptf", "prefs.ptf", "webloader.htm"}));
    EXPECT_TRUE(ansi::decode(fileBytes(path("neu/tief/prefs.ptf"))).contains("\"Straßenbahn €.ppr\","));
    EXPECT_EQ(column(dm1->cdsPrefs, "ProjectName"), QStringList{"Straßenbahn €.ppr"});
    // The new project file opens again as a project.
    openProject(path("neu/tief/Straßenbahn €.ppr"));
    EXPECT_EQ(d.messages, QStringList{}) << d.messages.join('|').toStdString();
}

// File > New ended at each of its disk steps. Opened, the folder is put in order and told once:
// the whole new project opens, or the folder is empty again and nothing is opened or written
// there. File > New then makes the project there (or finds the whole one), also when it is the
// first to name the folder after the end.
TEST_F(ProjectCommands, NewEndedAtAnyStepIsPutInOrderByOpenOrByNew)
{
    const QString a = makeProjectA();
    const QString dir = path("neu");
    const QString file = dir + "/netz.ppr";
    const QStringList whole{"daygroups.ptf", "netz.ppr", "prefs.ptf", "webloader.htm"};
    auto everything = [&] { return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); };
    int killed = 0;
    bool finished = false;
    for (int step = 1; !finished; ++step) {
        for (const bool openFirst : {true, false}) {
            SCOPED_TRACE("ended at step " + std::to_string(step) + (openFirst ? ", opened" : ", new again"));
            ASSERT_TRUE(QDir(dir).removeRecursively());
            openProject(a);
            d.messages.clear();
            const KilledRun run = runKilledAtStep(step, [&] {
                newProject(file);
                return ProjectFileName == file;
            });
            if (run == KilledRun::Finished) {
                finished = true;
                break;
            }
            ASSERT_EQ(run, KilledRun::Killed);
            ++killed;
            if (openFirst) {
                openProject(file);
                ASSERT_EQ(d.messages.size(), 1) << d.messages.join('|').toStdString();
                if (everything().isEmpty()) {
                    EXPECT_TRUE(d.messages[0].endsWith("The project file " + file + " is not there; no project was opened."))
                        << d.messages[0].toStdString();
                    expectProjectAOpen(a);
                } else {
                    EXPECT_EQ(everything(), whole);
                    EXPECT_EQ(ProjectFileName, file);
                }
                d.messages.clear();
            }
            newProject(file);
            EXPECT_LE(d.messages.size(), 1) << d.messages.join('|').toStdString();
            EXPECT_EQ(everything(), whole);
            // A File > New that was completed leaves a project there, which the next one refuses.
            const bool refused = !d.messages.isEmpty() && d.messages[0].contains("already holds a project");
            EXPECT_EQ(ProjectFileName, refused && !openFirst ? a : file);
        }
    }
    EXPECT_GT(killed, 10);
}

// A backslash is part of a file's name: the project's folder is the folder the file is in.
TEST_F(ProjectCommands, ABackslashInTheProjectFilesNameIsPartOfIt)
{
    const QString dir = makeFolder("mit");
    const QString file = dir + "/Linie\\2.ppr";
    newProject(file);
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
    EXPECT_EQ(ProjectDir, dir);
    EXPECT_EQ(filesIn(dir), QStringList({"Linie\\2.ppr", "daygroups.ptf", "prefs.ptf", "webloader.htm"}));
    ProjectDir.clear();
    openProject(file);
    EXPECT_EQ(ProjectDir, dir);
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}
