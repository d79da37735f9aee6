#include "handbook_shots.h"

#include "app/Main.h"
#include "app/edit_lines.h"
#include "app/edit_linestations.h"
#include "app/edit_project.h"
#include "app/edit_stations.h"
#include "app/edit_timetable.h"
#include "app/fehlerkorrektur.h"
#include "app/first_save_dlg.h"
#include "app/query.h"
#include "app/showinfo.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/edit_linemap_lines.h"
#include "platform/dialog_service.h"
#include "web/create_website.h"
#include "web/web_copy.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTime>
#include <QTimeEdit>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace {

// A timetable page as a transport operator's website shows it: a menu table first, then the
// timetable of line 1, so the copy area has to pick the right one.
const char *const timetablePage = R"(<html><body>
<table><tr><td>Start</td><td>Fahrplan</td><td>Kontakt</td></tr></table>
<table>
<tr><th>Haltestelle</th><th>Fahrt 1</th><th>Fahrt 2</th><th>Fahrt 3</th><th>Fahrt 4</th></tr>
<tr><td>Hauptbahnhof</td><td>08:30</td><td>09:00</td><td>09:30</td><td>10:00</td></tr>
<tr><td>Marktplatz</td><td>08:33</td><td>09:03</td><td>09:33</td><td>10:03</td></tr>
<tr><td>Rathaus</td><td>08:35</td><td>09:05</td><td>09:35</td><td>10:05</td></tr>
<tr><td>Schillerstraße</td><td>08:39</td><td>09:09</td><td>09:39</td><td>10:09</td></tr>
<tr><td>Zoo</td><td>08:42</td><td>09:12</td><td>09:42</td><td>10:12</td></tr>
</table>
</body></html>)";

// What went wrong while the pictures were taken; each one fails the generation.
QStringList problems;

void problem(const QString &text)
{
    problems << text;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Keeps a window's show handler from running: the browser windows are pictured without a
// browser, so no page is loaded and the web engine is never started.
class SkipShowHandler : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::Show; }
};

template <typename T = QWidget>
T *child(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        problem(window->objectName() + QStringLiteral(" has no ") + QLatin1String(name));
    return found;
}

void click(QWidget *window, const char *name)
{
    if (auto *button = child<QAbstractButton>(window, name))
        button->click();
    settle();
}

void selectListEntry(QWidget *window, const char *list, const QString &text)
{
    auto *box = child<QListWidget>(window, list);
    if (!box)
        return;
    const QList<QListWidgetItem *> items = box->findItems(text, Qt::MatchExactly);
    if (items.isEmpty()) {
        problem(QLatin1String(list) + QStringLiteral(" lists no ") + text);
        return;
    }
    box->setCurrentItem(items.first());
    settle();
}

void chooseItem(QWidget *window, const char *list, const QString &text)
{
    auto *box = child<QComboBox>(window, list);
    if (!box)
        return;
    const int index = box->findText(text);
    if (index < 0)
        problem(QLatin1String(list) + QStringLiteral(" has no item ") + text);
    box->setCurrentIndex(index);
    settle();
}

void showPage(QWidget *window, const char *tabs, const char *page)
{
    auto *control = child<QTabWidget>(window, tabs);
    auto *sheet = child<QWidget>(window, page);
    if (control && sheet)
        control->setCurrentWidget(sheet);
    settle();
}

HandbookShot picture(const QString &name, QWidget *window)
{
    settle();
    return HandbookShot{name, window->grab().toImage()};
}

// Shows a window as its command does, without its modal loop, lets `prepare` work on it as
// a user would, grabs it, lets `finish` leave it as the user would and hides it again.
HandbookShot grabWindow(const QString &name, QWidget *window, const std::function<void()> &prepare = {},
                        const std::function<void()> &finish = {})
{
    window->show();
    settle();
    if (prepare)
        prepare();
    HandbookShot shot = picture(name, window);
    if (finish)
        finish();
    window->hide();
    settle();
    return shot;
}

// The query's result starts with the time the search took; the picture shows it as the
// sample's tiny search takes it, the same on every machine.
void fixSearchTime(QWidget *query)
{
    auto *text = child<QPlainTextEdit>(query, "mZeiten");
    if (!text)
        return;
    QString result = text->toPlainText();
    result.replace(QRegularExpression(QStringLiteral("^Suchzeit: .*$"), QRegularExpression::MultilineOption),
                   QStringLiteral("Suchzeit: 00:00:00"));
    text->setPlainText(result);
    settle();
}

// The plan list loads its tables in the main window's command, which runs the window
// modally: the pictures are taken inside that loop.
void whileModal(QWidget *opener, const char *button, QWidget *window, const std::function<void()> &work)
{
    bool done = false;
    QTimer::singleShot(0, window, [&] {
        settle();
        work();
        done = true;
        window->hide();
    });
    click(opener, button);
    if (!done)
        problem(QLatin1String(button) + QStringLiteral(" did not open ") + window->objectName());
}

} // namespace

QList<HandbookShot> TakeHandbookShots(const QString &projectFile)
{
    QList<HandbookShot> shots;
    fmMain->show();
    settle();
    shots << picture(QStringLiteral("main_empty"), fmMain);
    shots << grabWindow(QStringLiteral("first_save"), DlgFirstSave);
    fmMain->LoadProject(projectFile);
    shots << picture(QStringLiteral("main_project"), fmMain);

    shots << grabWindow(QStringLiteral("edit_project"), fmEditProject);
    shots << grabWindow(QStringLiteral("edit_project_days"), fmEditProject,
                        [] { showPage(fmEditProject, "pcRubrik", "tsDays"); });
    showPage(fmEditProject, "pcRubrik", "tsLineOptions");

    shots << grabWindow(QStringLiteral("edit_stations"), fmEditStations, [] {
        selectListEntry(fmEditStations, "lbStations", QStringLiteral("Marktplatz"));
        click(fmEditStations, "btStationEdit");
    }, [] { click(fmEditStations, "btCancel"); });

    shots << grabWindow(QStringLiteral("edit_lines"), fmEditLines, [] {
        selectListEntry(fmEditLines, "lbLines", QStringLiteral("1"));
        click(fmEditLines, "btLineEdit");
    }, [] { click(fmEditLines, "btCancel"); });

    shots << grabWindow(QStringLiteral("edit_linestations"), fmEditLineStations, [] {
        selectListEntry(fmEditLineStations, "lbLines", QStringLiteral("2"));
        click(fmEditLineStations, "btStationEdit");
    }, [] { click(fmEditLineStations, "btCancel"); });

    shots << grabWindow(QStringLiteral("edit_timetable"), fmEditTimeTable, [&shots] {
        chooseItem(fmEditTimeTable, "cbLines", QStringLiteral("1"));
        chooseItem(fmEditTimeTable, "cbDays", QStringLiteral("Mo-Fr"));
        chooseItem(fmEditTimeTable, "cbDirection", QStringLiteral("1"));
        click(fmEditTimeTable, "btTimeTableEdit");
        // The copy area beside it, with the page's timetable picked for this grid.
        SkipShowHandler skip;
        fmWebCopy->installEventFilter(&skip);
        fmWebCopy->show();
        // What its show handler sets besides the browser.
        chooseItem(fmWebCopy, "cbActionArea", QStringLiteral("Column"));
        chooseItem(fmWebCopy, "cbAction", QStringLiteral("Insert"));
        showPage(fmWebCopy, "PageControl1", "tsWebsite");
        shots << picture(QStringLiteral("web_copy"), fmWebCopy);
        fmWebCopy->setTimeTableGrid(&fmEditTimeTable->model().sgTimeTable);
        dialogs().setClipboardText(QString::fromUtf8(timetablePage));
        showPage(fmWebCopy, "PageControl1", "tsTableGrid");
        click(fmWebCopy, "btPaste");
        shots << picture(QStringLiteral("web_copy_table"), fmWebCopy);
        fmWebCopy->hide();
        fmWebCopy->setTimeTableGrid(nullptr);
        fmWebCopy->removeEventFilter(&skip);
        settle();
    }, [] { click(fmEditTimeTable, "btCancel"); });

    shots << grabWindow(QStringLiteral("query"), fmQuery, [] {
        chooseItem(fmQuery, "cbStartStation", QStringLiteral("Hauptbahnhof"));
        chooseItem(fmQuery, "cbZielStation", QStringLiteral("Klinikum"));
        if (auto *start = child<QTimeEdit>(fmQuery, "dtpStartTime"))
            start->setTime(QTime(6, 0));
        click(fmQuery, "btStartQuery");
        fixSearchTime(fmQuery);
    });

    whileModal(fmMain, "sbEditLineNetworkPlans", fmEditLineNetworkPlans, [&shots] {
        selectListEntry(fmEditLineNetworkPlans, "lbMaps", QStringLiteral("Netzplan"));
        shots << picture(QStringLiteral("line_network_plans"), fmEditLineNetworkPlans);
        click(fmEditLineNetworkPlans, "btLineMapEdit");
        shots << picture(QStringLiteral("line_map_prefs"), fmEditLineNetworkPlans);
        click(fmEditLineNetworkPlans, "btCancel");
        selectListEntry(fmEditLineNetworkPlans, "lbMaps", QStringLiteral("Netzplan"));
        fmEditLineMapLines->show();
        settle();
        selectListEntry(fmEditLineMapLines, "lbLines", QStringLiteral("1"));
        shots << picture(QStringLiteral("linemap_editor"), fmEditLineMapLines);
        click(fmEditLineMapLines, "bbEditLine");
        shots << picture(QStringLiteral("linemap_line_mode"), fmEditLineMapLines);
        click(fmEditLineMapLines, "bbCancelLine");
        fmEditLineMapLines->hide();
        settle();
        // The sample's website links every plan to its image: each is exported as the drawing
        // editor exports it, into the images folder of the project.
        auto *maps = child<QListWidget>(fmEditLineNetworkPlans, "lbMaps");
        for (int i = 0; maps && i < maps->count(); ++i) {
            const QString name = maps->item(i)->text();
            selectListEntry(fmEditLineNetworkPlans, "lbMaps", name);
            fmEditLineMapLines->show();
            settle();
            if (!fmEditLineMapLines->ExportLineMapImage())
                problem(QStringLiteral("the plan ") + name + QStringLiteral(" was not exported"));
            fmEditLineMapLines->hide();
            settle();
        }
    });

    shots << grabWindow(QStringLiteral("create_website"), fmCreateWebsite);

    SkipShowHandler skip;
    fmFehlerkorrektur->installEventFilter(&skip);
    shots << grabWindow(QStringLiteral("repair"), fmFehlerkorrektur);
    fmFehlerkorrektur->removeEventFilter(&skip);

    shots << grabWindow(QStringLiteral("about"), AboutBox);
    // A problem stands in the list as a picture that could not be taken.
    for (const QString &text : std::as_const(problems))
        shots << HandbookShot{text, QImage()};
    problems.clear();
    return shots;
}
