#include "app/Main.h"

#include "web/create_website.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/edit_linemap_lines.h"
#include "app/edit_lines.h"
#include "app/edit_linestations.h"
#include "app/edit_project.h"
#include "app/edit_stations.h"
#include "app/edit_timetable.h"
#include "app/fehlerkorrektur.h"
#include "app/first_save_dlg.h"
#include "app/query.h"
#include "app/showinfo.h"
#include "app/translations.h"
#include "web/web_copy.h"
#include "web/webview.h"
#include "data/common_helpers.h"
#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/project_change.h"
#include "data/main_globals.h"
#include "data/project_file.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "platform/file_change.h"
#include "platform/file_stamps.h"
#include "platform/qt_dialog_service.h"
#include "web/web_loader.h"
#include "widgets/window_placement.h"

#include <QFileInfo>
#include <QScreen>
#include <QStatusTipEvent>
#include <QStyle>

#include <exception>

#ifndef KORVALIN_VERSION
#define KORVALIN_VERSION ""
#endif

TfmMain *fmMain = nullptr;

namespace {

const QString homePage = QStringLiteral("https://korvalin.example.org/");
const QString contactPage = QStringLiteral("https://korvalin.example.org/kontakt.htm");

QStringList g_createdForms;

// A menu item bound to an action: it shows the action's text, enabled and visible state
// and runs the action. Only what changed on the action is passed on, so a text given to
// the item itself stays until the action's own text changes.
class ActionLink : public QObject
{
public:
    ActionLink(QAction *item, QAction *action) : QObject(item), m_item(item), m_action(action)
    {
        m_item->setText(action->text());
        m_item->setStatusTip(action->statusTip());
        m_item->setEnabled(action->isEnabled());
        m_item->setVisible(action->isVisible());
        remember();
        connect(action, &QAction::changed, this, &ActionLink::actionChanged);
        connect(item, &QAction::triggered, action, &QAction::trigger);
    }

private:
    void remember()
    {
        m_text = m_action->text();
        m_enabled = m_action->isEnabled();
        m_visible = m_action->isVisible();
    }
    void actionChanged()
    {
        if (m_action->text() != m_text)
            m_item->setText(m_action->text());
        if (m_action->isEnabled() != m_enabled)
            m_item->setEnabled(m_action->isEnabled());
        if (m_action->isVisible() != m_visible)
            m_item->setVisible(m_action->isVisible());
        remember();
    }

    QAction *m_item;
    QAction *m_action;
    QString m_text;
    bool m_enabled = true;
    bool m_visible = true;
};

// A table that is loaded anew starts without rows, so a file that is missing or cannot be
// read never leaves the rows of the project opened before.
void emptyTable(Table &table)
{
    table.close();
    table.emptyDataSet();
}

// Whether the open project's folder holds the file. Seen as missing, its table is made empty: a
// file that another program creates later is not written over.
bool projectHas(const char *file)
{
    const QString path = ProjectDir + QLatin1Char('/') + QLatin1String(file);
    return FileStamps::seenThere(path);
}

// A table starts without rows and is loaded only when the project has its file, so a file that
// is missing or cannot be read leaves no rows of the project opened before. Returns whether the
// file is there.
template <class Load, class CreateEmpty> bool loadOrCreate(const char *file, Load load, CreateEmpty createEmpty)
{
    createEmpty();
    const bool there = projectHas(file);
    if (there)
        load();
    return there;
}

// How often opening reads a project that another copy of the program changed while it was being
// read, before it gives up.
constexpr int kReadAttempts = 3;

// The files whose being there shows further work buttons.
struct ReadTables
{
    bool stations = false;
    bool lines = false;
    bool lineStations = false;
};

QString journalOf(const QString &dir)
{
    return dir + QLatin1Char('/') + FileChange::journalName();
}

// Reads every table that opening loads from the project (ProjectFileName, ProjectDir), each one
// made empty first, and notes what it saw of each file. A missing preferences file is written from
// the program's defaults.
ReadTables readProjectTables()
{
    // What this copy saw of the project before counts no longer: its tables are read anew. The
    // journal is looked at first: a change that starts during the reading leaves it otherwise.
    FileStamps::forgetAll();
    FileStamps::noteRead(journalOf(ProjectDir));
    emptyTable(dm1->cdsProject);
    LoadProjectFile(ProjectFileName);
    emptyTable(dm1->cdsPrefs);
    if (projectHas("prefs.ptf")) {
        LoadPrefs(ProjectDir + QStringLiteral("/prefs.ptf"));
    } else {
        LoadPrefs(DefaultPrefsFile);
        SavePrefs();
    }
    emptyTable(dm1->cdsDayGroups);
    LoadDayGroups(ProjectDir + QStringLiteral("/daygroups.ptf"));

    ReadTables found;
    found.stations = loadOrCreate("stations.ptf", LoadStations, CreateEmptyStations);
    found.lines = loadOrCreate("lines.ptf", LoadLines, CreateEmptyLines);
    loadOrCreate("newstations.ptf", LoadNewStations, CreateEmptyNewStations);
    found.lineStations = loadOrCreate("line_stations.ptf", LoadLineStations, CreateEmptyLineStations);
    loadOrCreate("line_connections.ptf", LoadLineConnections, CreateEmptyLineConnections);
    loadOrCreate("intervals.ptf", LoadIntervals, CreateEmptyIntervals);
    loadOrCreate("line_graphic.ptf", LoadLineGraphic, CreateEmptyLineGraphic);
    CreateEmptyTimeTableConnections();
    return found;
}

// Whether the tables just read are the project as it was at one moment. Every file is read after
// its look was noted, so a file not as seen was replaced after it may have been read. The journal
// is looked at before the files: a change still running then may have replaced a file before it
// was read and be about to replace one read earlier; one that has ended since replaced its files
// before this look at them.
bool readWasStill()
{
    return FileStamps::unchanged(journalOf(ProjectDir)) && FileStamps::firstChangedUnder(ProjectDir).isEmpty();
}

template <class T> void createForm(T *&global, const char *className)
{
    global = new T;
    g_createdForms << QLatin1String(className);
}

template <class T> void destroyForm(T *&global)
{
    delete global;
    global = nullptr;
}

} // namespace

KorvalinApplication::KorvalinApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool KorvalinApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        const bool result = QApplication::notify(receiver, event);
        // After the window's own show handlers (a dialog centres itself there), before it is
        // mapped on the screen.
        if (event->type() == QEvent::Show && !event->spontaneous() && receiver->isWidgetType())
            PrepareShownWindow(static_cast<QWidget *>(receiver));
        return result;
    } catch (const std::exception &e) {
        dialogs().showError(applicationName(), QString::fromUtf8(e.what()));
    }
    return false;
}

TfmMain::TfmMain(QWidget *parent) : QMainWindow(parent)
{
    setupUi(this);
    N1 = FileMenu->insertSeparator(FileExitItem);
    N1->setObjectName(QStringLiteral("N1"));
    N2 = HelpMenu->insertSeparator(Info1);
    N2->setObjectName(QStringLiteral("N2"));
    new ActionLink(MICreateWebsite, aCreateWebsite);
    new ActionLink(Handbuch1, aHandbook);
    new ActionLink(Handbuch2, aWebsite);
    new ActionLink(Info1, aAbout);

    sbNew->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    sbOpen->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    sbSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    sbSaveAs->setIcon(style()->standardIcon(QStyle::SP_DriveFDIcon));
    sbWebView->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    sbTimeTableInformation->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    sbQueryForShow->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));

    connect(FileNewItem, &QAction::triggered, this, &TfmMain::FileNew);
    connect(sbNew, &QToolButton::clicked, this, &TfmMain::FileNew);
    connect(FileOpenItem, &QAction::triggered, this, &TfmMain::FileOpen);
    connect(sbOpen, &QToolButton::clicked, this, &TfmMain::FileOpen);
    connect(FileSaveItem, &QAction::triggered, this, &TfmMain::FileSave);
    connect(sbSave, &QToolButton::clicked, this, &TfmMain::FileSave);
    connect(FileSaveAsItem, &QAction::triggered, this, &TfmMain::FileSaveAs);
    connect(sbSaveAs, &QToolButton::clicked, this, &TfmMain::FileSaveAs);
    connect(FileExitItem, &QAction::triggered, this, &TfmMain::FileExit);
    connect(sbEditProject, &QToolButton::clicked, this, &TfmMain::sbEditProjectClick);
    connect(sbEditStations, &QToolButton::clicked, this, &TfmMain::sbEditStationsClick);
    connect(sbEditLines, &QToolButton::clicked, this, &TfmMain::sbEditLinesClick);
    connect(sbAssignStations, &QToolButton::clicked, this, &TfmMain::sbAssignStationsClick);
    connect(sbEditTimeTable, &QToolButton::clicked, this, &TfmMain::sbEditTimeTableClick);
    connect(sbEditLineNetworkPlans, &QToolButton::clicked, this, &TfmMain::sbEditLineNetworkPlansClick);
    connect(sbWebView, &QToolButton::clicked, this, &TfmMain::sbWebViewClick);
    connect(sbTimeTableInformation, &QToolButton::clicked, this, &TfmMain::sbTimeTableInformationClick);
    connect(sbQueryForShow, &QToolButton::clicked, this, &TfmMain::sbTimeTableInformationClick);
    connect(sbQuery, &QToolButton::clicked, this, &TfmMain::sbQueryClick);
    connect(sbContact, &QToolButton::clicked, this, &TfmMain::sbContactClick);
    connect(aHandbook, &QAction::triggered, this, &TfmMain::aHandbookExecute);
    connect(aWebsite, &QAction::triggered, this, &TfmMain::aWebsiteExecute);
    connect(aAbout, &QAction::triggered, this, &TfmMain::aAboutExecute);
    connect(aCreateWebsite, &QAction::triggered, this, &TfmMain::aCreateWebsiteExecute);
    connect(MIFehlerkorrektur, &QAction::triggered, this, &TfmMain::MIFehlerkorrekturClick);

    FormCreate();
}

void TfmMain::FormCreate()
{
    // Hints of every window go to this status line.
    qApp->installEventFilter(this);
    GetProgInfo();
    QCoreApplication::setApplicationName(ProductTitle + QLatin1Char(' ') + ProgVersion);
    sbTimeTableInformation->setVisible(true);
    // The work panel sits in the window's layout and shrinks with it.
    setFixedSize(width(), height() - 50);
    sbQueryForShow->setVisible(false);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfmMain::GetProgInfo()
{
    ProgramDir = QCoreApplication::applicationDirPath();
    if (!ProgramDir.endsWith(QLatin1Char('/')))
        ProgramDir += QLatin1Char('/');
    ProductTitle = QStringLiteral("Korvalin Pro");
    DefaultPrefsFile = ProgramDir + QStringLiteral("default_prefs.ptf");
    DefaultProjectFile = ProgramDir + QStringLiteral("default_project_pro.ppr");
    DefaultDayGroupsFile = ProgramDir + QStringLiteral("default_daygroups.ptf");
    DefaultLineMapPrefsFile = ProgramDir + QStringLiteral("line_map_prefs.ptf");
    ProgType = QStringLiteral("Desktop");
    ProgVersion = QStringLiteral("0.0.0");
    // The version of the build; a build without one keeps "0.0.0".
    const QString version = QStringLiteral(KORVALIN_VERSION);
    if (!version.isEmpty())
        ProgVersion = version;
}

bool TfmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmMain::ShowHint(const QString &hint)
{
    StatusLine->showMessage(hint);
}

QToolButton *TfmMain::workButton(WorkButton button) const
{
    switch (button) {
    case WorkButton::EditProject:
        return sbEditProject;
    case WorkButton::EditStations:
        return sbEditStations;
    case WorkButton::EditLines:
        return sbEditLines;
    case WorkButton::AssignStations:
        return sbAssignStations;
    case WorkButton::EditTimeTable:
        return sbEditTimeTable;
    case WorkButton::EditLineNetworkPlans:
        return sbEditLineNetworkPlans;
    }
    return sbEditProject;
}

void showWorkButton(WorkButton button)
{
    if (fmMain)
        fmMain->workButton(button)->setVisible(true);
}

void TfmMain::FileNew()
{
    DlgFirstSave->exec();
    // The program answers for an existing file itself: the dialog asks no question of its own.
    const QString fileName = dialogs().getNewFileName(SaveDialogPrj.Title, SaveDialogPrj.FileName,
                                                      SaveDialogPrj.Filter, SaveDialogPrj.DefaultExt);
    // Cancelled: the open project stays as it was, work buttons included.
    if (fileName.isEmpty())
        return;
    SaveDialogPrj.FileName = fileName;
    // The project file's name is stored as the project's name.
    if (!CheckAnsiText(QFileInfo(fileName).fileName()))
        return;
    // What a change interrupted in the folder left (an unfinished File > New, say) is put in
    // order first: the folder may then take the new project. Two projects in one folder would
    // share their table files, and a journal that stays stops every write. A change that another
    // copy of the program is still making there is left to end: no project is made over it.
    const QString dir = ExtractProjectDir(fileName);
    bool busy = false;
    const QString recovered = RecoverInterruptedChange(dir, &busy);
    if (busy) {
        dialogs().showMessage(QStringLiteral("Another copy of the program is changing a project in the folder %1 "
                                             "right now; no new project was made. Choose an empty folder for the new "
                                             "project.")
                                  .arg(dir));
        return;
    }
    const QFileInfo journal(dir + QLatin1Char('/') + FileChange::journalName());
    if (journal.exists() || journal.isSymLink() || folderHoldsProject(dir)) {
        QStringList told{recovered};
        if (folderHoldsProject(dir))
            told << QStringLiteral("The folder %1 already holds a project. Choose an empty folder for the new project.")
                        .arg(dir);
        told.removeAll(QString());
        dialogs().showMessage(told.join(QLatin1Char(' ')));
        return;
    }
    if (!recovered.isEmpty())
        dialogs().showMessage(recovered);
    FileStamps::forgetUnder(dir);
    // Written before any table or global changes: a failure leaves the open project as it was.
    QString failure;
    const ProjectPageWrite page{WebLoaderPageFile(dir), [&dir] { return WriteWebLoaderPage(dir); }};
    if (!writeNewProject(fileName, page, failure)) {
        dialogs().showMessage(failure);
        return;
    }
    NewProject();
    ProjectFileName = fileName;
    ProjectDir = dir;
    SetPrefsProjectName();
    OpenDialogPrj.FileName = fileName;
    setWindowTitle(ProductTitle + QStringLiteral(":  ") + fileName);
    paWorkChoice->setVisible(true);
    sbEditProject->setEnabled(true);
}

void TfmMain::NewProject()
{
    emptyTable(dm1->cdsProject);
    LoadProjectFile(DefaultProjectFile);
    emptyTable(dm1->cdsPrefs);
    LoadPrefs(DefaultPrefsFile);
    emptyTable(dm1->cdsDayGroups);
    LoadDayGroups(DefaultDayGroupsFile);
    CreateEmptyStations();
    CreateEmptyLines();
    CreateEmptyNewStations();
    CreateEmptyLineStations();
    CreateEmptyLineConnections();
    CreateEmptyIntervals();
    CreateEmptyTimeTableConnections();
    CreateEmptyLineGraphic();
    CreateEmptyLineMaps();
    CreateEmptyLineMapPrefs();
    paWorkChoice->setVisible(true);
    sbEditProject->setVisible(true);
    sbEditStations->setVisible(true);
    sbEditLines->setVisible(false);
    sbAssignStations->setVisible(false);
    sbEditLineNetworkPlans->setVisible(false);
    sbEditTimeTable->setVisible(false);
    MIProject->setEnabled(true);
}

void TfmMain::FileOpen()
{
    const QString fileName = dialogs().getOpenFileName(OpenDialogPrj.Title, OpenDialogPrj.FileName,
                                                       OpenDialogPrj.Filter, OpenDialogPrj.DefaultExt);
    if (fileName.isEmpty())
        return;
    OpenDialogPrj.FileName = fileName;
    LoadProject(fileName);
}

void TfmMain::LoadProject(const QString &fileName)
{
    // A file that is not a project file ends the open here, with the project opened before
    // untouched and nothing written into its folder; one that is there is reported as damaged.
    if (QFileInfo::exists(fileName) && !isProjectFile(fileName)) {
        dialogs().showMessage(QStringLiteral("Error by load PTF-File: ") + fileName);
        dialogs().showMessage(QStringLiteral("Project-File %1 not found").arg(fileName));
        return;
    }
    // A change that was interrupted is finished or undone before any file is read. It may be
    // the one that made the project file (an unfinished File > New): the file is looked for
    // again after it, and a project that is not there is not opened, nor anything written for it.
    // A change that another copy of the program is still making has left some files new and some
    // old: the project is not read, and the one open before stays as it was.
    bool busy = false;
    const QString recovered = RecoverInterruptedChange(ExtractProjectDir(fileName), &busy);
    if (busy) {
        dialogs().showMessage(QStringLiteral("Another copy of the program is changing the project right now; the "
                                             "project was not opened. Open it again once that change is saved."));
        return;
    }
    if (!isProjectFile(fileName)) {
        dialogs().showMessage(
            recovered.isEmpty()
                ? QStringLiteral("Project-File %1 not found").arg(fileName)
                : recovered + QStringLiteral(" The project file %1 is not there; no project was opened.").arg(fileName));
        return;
    }
    if (!recovered.isEmpty())
        dialogs().showMessage(recovered);
    ProjectFileName = fileName;
    ProjectDir = ExtractProjectDir(fileName);
    // The files are read one after another, and another copy may save meanwhile: a reading that a
    // change met is read again once that change has ended, so the tables are never part old and
    // part new. The project is shown only as read in one piece.
    ReadTables found = readProjectTables();
    for (int attempt = 1; !readWasStill(); ++attempt) {
        QString again;
        if (attempt < kReadAttempts)
            again = RecoverInterruptedChange(ProjectDir, &busy);
        if (attempt == kReadAttempts || busy) {
            CloseUnreadProject();
            dialogs().showMessage(
                QStringLiteral("Another copy of the program changed the project while it was being read and is not "
                               "done yet; the project was not opened, and no project is open now. Open it again once "
                               "that copy has saved its changes."));
            return;
        }
        if (!again.isEmpty())
            dialogs().showMessage(again);
        found = readProjectTables();
    }

    SaveDialogPrj.FileName = fileName;
    setWindowTitle(ProductTitle + QStringLiteral(":  ") + fileName);
    sbEditStations->setVisible(true);
    sbEditProject->setVisible(true);
    sbEditLines->setVisible(found.stations);
    sbAssignStations->setVisible(found.lines);
    sbEditTimeTable->setVisible(found.lineStations);
    sbEditLineNetworkPlans->setVisible(found.lineStations);
    paWorkChoice->setVisible(true);
    MIProject->setEnabled(true);
}

void TfmMain::CloseUnreadProject()
{
    // Its tables are of the project read in part: none of them is left for an editor or a save.
    for (Table *table : dm1->tables())
        emptyTable(*table);
    FileStamps::forgetAll();
    ProjectFileName.clear();
    ProjectDir.clear();
    setWindowTitle(ProductTitle);
    for (QToolButton *button : {sbEditProject, sbEditStations, sbEditLines, sbAssignStations, sbEditTimeTable,
                                sbEditLineNetworkPlans})
        button->setVisible(false);
    MIProject->setEnabled(false);
}

void TfmMain::FileSave()
{
    if (ProjectFileName.isEmpty())
        FileSaveAs();
}

void TfmMain::FileSaveAs()
{
    const QString fileName = dialogs().getSaveFileName(SaveDialogPrj.Title, SaveDialogPrj.FileName,
                                                       SaveDialogPrj.Filter, SaveDialogPrj.DefaultExt);
    if (fileName.isEmpty())
        return;
    SaveDialogPrj.FileName = fileName;
    ProjectFileName = fileName;
    OpenDialogPrj.FileName = fileName;
    setWindowTitle(ProductTitle + QStringLiteral(": ") + fileName);
}

void TfmMain::FileExit()
{
    close();
}

void TfmMain::sbEditProjectClick()
{
    fmEditProject->exec();
}

void TfmMain::sbEditStationsClick()
{
    fmEditStations->exec();
}

void TfmMain::sbEditLinesClick()
{
    fmEditLines->exec();
}

void TfmMain::sbAssignStationsClick()
{
    fmEditLineStations->exec();
}

void TfmMain::sbEditTimeTableClick()
{
    fmEditTimeTable->exec();
}

void LoadSharedPlanTables()
{
    LoadLineMapPrefs(projectHas("line_map_prefs.ptf") ? ProjectDir + QStringLiteral("/line_map_prefs.ptf")
                                                  : DefaultLineMapPrefsFile);
    loadOrCreate("line_maps.ptf", LoadLineMaps, CreateEmptyLineMaps);
    loadOrCreate("line_map_lines.ptf", LoadLineMapLines, CreateEmptyLineMapLines);
    loadOrCreate("line_map_line_sections.ptf", LoadLineMapLineSections, CreateEmptyLineMapLineSections);
    loadOrCreate("line_map_line_intersections.ptf", LoadLineMapLineIntersections, CreateEmptyLineMapLineConnections);
    loadOrCreate("line_map_line_text_visible.ptf", LoadLineMapLineTextVisible, CreateEmptyLineMapLineTextVisible);
    loadOrCreate("line_map_line_text_color.ptf", LoadLineMapLineTextColor, CreateEmptyLineMapLineTextColor);
    loadOrCreate("line_map_line_text_offset.ptf", LoadLineMapLineTextOffset, CreateEmptyLineMapLineTextOffset);
}

void TfmMain::sbEditLineNetworkPlansClick()
{
    // The tables that all plans share, loaded anew for each opening of the plans.
    LoadSharedPlanTables();
    fmEditLineNetworkPlans->exec();
}

void TfmMain::sbWebViewClick()
{
    if (ProjectFileName.isEmpty()) {
        dialogs().showMessage(QStringLiteral("No project loaded"));
        return;
    }
    const QString page = WebLoaderPageFile(ProjectDir);
    if (!WriteWebLoaderPage()) {
        dialogs().showMessage(ansi::withWriteReason(QStringLiteral("Error saving the file %1").arg(page)));
        return;
    }
    WebPreviewURL = LocalFileAddress(page);
    // The viewer window stands in only when the desktop cannot open the page. It loads the page
    // when it is shown, so one still open is shown anew: its page may be another project's.
    if (!dialogs().shellOpen(WebPreviewURL)) {
        if (fmWebView->isVisible())
            fmWebView->hide();
        fmWebView->show();
        fmWebView->raise();
    }
}

void TfmMain::sbTimeTableInformationClick()
{
    if (ProjectFileName.isEmpty()) {
        dialogs().showMessage(QStringLiteral("No project loaded"));
        return;
    }
    fmQuery->exec();
}

// The button is hidden for good; the window it once opened is gone.
void TfmMain::sbQueryClick() {}

namespace {

// What the shell says when no program takes the document or address.
const QString noAssociation =
    QStringLiteral("No application is associated with the specified file for this operation.");

} // namespace

void TfmMain::sbContactClick()
{
    if (!dialogs().shellOpen(contactPage))
        dialogs().showError(QStringLiteral("Fehler"), noAssociation);
}

void TfmMain::aHandbookExecute()
{
    const QString manual = ProgramDir + QStringLiteral("Korvalin Pro Manual.pdf");
    if (dialogs().shellOpen(manual))
        return;
    dialogs().showError(QStringLiteral("Fehler"),
                        QFileInfo::exists(manual)
                            ? noAssociation
                            : QStringLiteral("The system cannot find the file specified."));
}

void TfmMain::aWebsiteExecute()
{
    if (!dialogs().shellOpen(homePage))
        dialogs().showError(QStringLiteral("Fehler"), noAssociation);
}

void TfmMain::aAboutExecute()
{
    AboutBox->exec();
}

void TfmMain::aCreateWebsiteExecute()
{
    fmCreateWebsite->exec();
}

// The repair window rebuilds the search data of projects whose files were copied, mended by
// hand or made elsewhere; without it only saving every timetable again would.
void TfmMain::MIFehlerkorrekturClick()
{
    fmFehlerkorrektur->exec();
}

const QStringList &CreatedForms()
{
    return g_createdForms;
}

void CreateForms()
{
    g_createdForms.clear();
    createForm(fmMain, "TfmMain");
    createForm(fmEditStations, "TfmEditStations");
    createForm(fmEditProject, "TfmEditProject");
    createForm(DlgFirstSave, "TDlgFirstSave");
    createForm(fmEditLines, "TfmEditLines");
    createForm(fmEditLineStations, "TfmEditLineStations");
    createForm(fmEditTimeTable, "TfmEditTimeTable");
    createForm(fmWebCopy, "TfmWebCopy");
    createForm(fmEditLineMapLines, "TfmEditLineMapLines");
    createForm(fmEditLineNetworkPlans, "TfmEditLineNetworkPlans");
    createForm(fmFehlerkorrektur, "TfmFehlerkorrektur");
    createForm(AboutBox, "TAboutBox");
    createForm(fmCreateWebsite, "TfmCreateWebsite");
    createForm(fmQuery, "TfmQuery");
    createForm(dm1, "Tdm1");
    createForm(fmWebView, "TfmWebView");
    // The program ends with the main window, whatever other window is still open.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != fmMain)
            w->setAttribute(Qt::WA_QuitOnClose, false);
    }
}

void DestroyForms()
{
    destroyForm(fmWebView);
    destroyForm(dm1);
    destroyForm(fmQuery);
    destroyForm(fmCreateWebsite);
    destroyForm(AboutBox);
    destroyForm(fmFehlerkorrektur);
    destroyForm(fmEditLineNetworkPlans);
    destroyForm(fmEditLineMapLines);
    destroyForm(fmWebCopy);
    destroyForm(fmEditTimeTable);
    destroyForm(fmEditLineStations);
    destroyForm(fmEditLines);
    destroyForm(DlgFirstSave);
    destroyForm(fmEditProject);
    destroyForm(fmEditStations);
    destroyForm(fmMain);
    g_createdForms.clear();
}

int ProgramMain(int argc, char *argv[])
{
    KorvalinApplication app(argc, argv);
    QApplication::setWindowIcon(ProgramIconImage());
    static QtDialogService dialogService;
    setDialogService(&dialogService);
    CreateForms();
    SetEnglishCaptions();
    fmMain->show();
    const int result = app.exec();
    DestroyForms();
    setDialogService(nullptr);
    return result;
}
