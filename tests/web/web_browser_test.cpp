// The website template and the web-copy window in a real browser (Qt WebEngine, offscreen).
#include "app/Main.h"
#include "support/app_environment.h"
#include "app/edit_timetable.h"
#include "support/project_folder.h"
#include "web/web_copy.h"
#include "web/web_loader.h"
#include "web/webview.h"
#include "web/website_copy.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// Set while the website is read inside the loader page's frame.
bool g_inFrame = false;

// Runs a script in the page (or in the loader page's frame) and waits for its result.
QVariant runScript(QWebEnginePage *page, const QString &text)
{
    const QString script = g_inFrame ? QStringLiteral("(function (window, document) { return %1; })"
                                                      "(window.frames[0], window.frames[0].document)")
                                           .arg(text)
                                     : text;
    QVariant result;
    bool done = false;
    QEventLoop loop;
    page->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    return result;
}

// Polls a script until it gives the expected text or the time is up.
bool waitFor(QWebEnginePage *page, const QString &script, const QString &expected, int ms = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        if (runScript(page, script).toString() == expected)
            return true;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return false;
}

QStringList jsonRows(const QVariant &v)
{
    QStringList rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(v.toString().toUtf8()).array()) {
        QStringList cells;
        for (const QJsonValue &cell : row.toArray())
            cells << cell.toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// The project: two lines, an interval, a station that stands twice, names with "ü", "ß",
// "€" and one with markup characters, a deleted timetable and a plan.
void writeProject(const QString &dir)
{
    writePtf(dir + "/prefs.ptf", {"ProjectName", "LineColorRed", "LineColorGreen", "LineColorBlue"},
             {"\"Verkehr Süd\",0,102,204"});
    writePtf(dir + "/stations.ptf", {"ID", "Station"},
             {"1,\"Bahnhof Süd\"", "2,\"Straße der Einheit\"", "3,\"Euro € Platz\"",
              "4,\"<b>Markt</b> & \\\"Co\\\"\"", "5,\"Nordtor\""});
    writePtf(dir + "/lines.ptf", {"ID", "Line"}, {"1,\"Linie 1\"", "2,\"Linie 2\""});
    writePtf(dir + "/line_stations.ptf", {"LineID", "LineStationNumber", "StationID"},
             {"1,1,1", "1,2,2", "1,3,3", "2,1,3", "2,2,4", "2,3,5"});
    writePtf(dir + "/daygroups.ptf", {"ID", "Group", "Days", "Text"},
             {"1,\"Mo-Fr\",\"1111100\",\"Montag bis Freitag\"", "2,\"Sa\",\"0000010\",\"Samstag\""});
    writePtf(dir + "/line_connections.ptf", {"ID", "LineID", "DayGroupID", "Direction"},
             {"1,1,1,1", "2,1,1,2", "3,2,1,1", "4,null,null,null"});
    writePtf(dir + "/intervals.ptf", {"ID", "Interval"}, {"2,10"});
    writePtf(dir + "/line_maps.ptf", {"ID", "Name"}, {"1,\"Netz <gesamt>\""});
    writePtf(dir + "/ttc_1.ptf", {"StationID", "DayGroupID", "Direction", "Position"},
             {"3,1,1,4", "1,1,1,1", "2,1,1,2", "2,1,1,3", "3,1,2,1", "1,1,2,2"});
    writePtf(dir + "/tt_1.ptf", {"ID", "1", "2", "3", "4"}, {"1,480,485,487,1500", "2,-2,-1,null,500"});
    writePtf(dir + "/tt_2.ptf", {"ID", "1", "2"}, {"1,600,610"});
    writePtf(dir + "/ttc_2.ptf", {"StationID", "DayGroupID", "Direction", "Position"},
             {"3,1,1,1", "4,1,1,2", "5,1,1,3"});
    writePtf(dir + "/tt_3.ptf", {"ID", "1", "2", "3"}, {"1,700,705,710"});
}

const QString timetableScript = QStringLiteral(
    "JSON.stringify(Array.from(document.querySelectorAll('#timetable tr')).map("
    "r => Array.from(r.cells).map(c => c.textContent)))");
const QString stationScript = QStringLiteral(
    "JSON.stringify(Array.from(document.querySelectorAll('#stationList li')).map("
    "li => [li.querySelector('.station').textContent, li.querySelector('.lines').textContent]))");
const QString optionsScript = QStringLiteral(
    "JSON.stringify(['lineSelect','dayGroupSelect','directionSelect'].map("
    "id => Array.from(document.getElementById(id).options).map(o => o.textContent)))");

void choose(QWebEnginePage *page, const QString &select, const QString &value)
{
    runScript(page, QStringLiteral("(function(){var s=document.getElementById('%1'); s.value='%2';"
                                   "s.dispatchEvent(new window.Event('change')); return 1;})()")
                        .arg(select, value));
}

// The template's page shows the project: choices, timetable, stations and plans.
void checkWebsite(QWebEnginePage *page)
{
    ASSERT_TRUE(waitFor(page, QStringLiteral("document.body.getAttribute('data-state')"), QStringLiteral("ready")));
    EXPECT_EQ(runScript(page, QStringLiteral("document.getElementById('projectName').textContent")).toString(),
              "Verkehr Süd");
    EXPECT_EQ(jsonRows(runScript(page, optionsScript)),
              QStringList({"Linie 1|Linie 2", "Mo-Fr", "Richtung 1 (nach Euro € Platz)|Richtung 2 (nach Bahnhof Süd)"}));

    choose(page, QStringLiteral("lineSelect"), QStringLiteral("1"));
    choose(page, QStringLiteral("dayGroupSelect"), QStringLiteral("1"));
    choose(page, QStringLiteral("directionSelect"), QStringLiteral("1"));
    ASSERT_TRUE(waitFor(page, QStringLiteral("document.getElementById('timetable').getAttribute('data-for')"),
                        QStringLiteral("1/1/1")));
    EXPECT_EQ(jsonRows(runScript(page, timetableScript)),
              QStringList({"Haltestelle|1|2", "Bahnhof Süd|08:00|alle 10 Min.", "Straße der Einheit|08:05|",
                           "Straße der Einheit|08:07|", "Euro € Platz|01:00|08:20"}));

    choose(page, QStringLiteral("directionSelect"), QStringLiteral("2"));
    ASSERT_TRUE(waitFor(page, QStringLiteral("document.getElementById('timetable').getAttribute('data-for')"),
                        QStringLiteral("1/1/2")));
    EXPECT_EQ(jsonRows(runScript(page, timetableScript)),
              QStringList({"Haltestelle|1", "Euro € Platz|10:00", "Bahnhof Süd|10:10"}));

    choose(page, QStringLiteral("lineSelect"), QStringLiteral("2"));
    ASSERT_TRUE(waitFor(page, QStringLiteral("document.getElementById('timetable').getAttribute('data-for')"),
                        QStringLiteral("2/1/1")));
    EXPECT_EQ(jsonRows(runScript(page, timetableScript)),
              QStringList({"Haltestelle|1", "Euro € Platz|11:40", "<b>Markt</b> & \"Co\"|11:45", "Nordtor|11:50"}));

    EXPECT_EQ(jsonRows(runScript(page, stationScript)),
              QStringList({"<b>Markt</b> & \"Co\"|Linie 2", "Bahnhof Süd|Linie 1", "Euro € Platz|Linie 1, Linie 2",
                           "Nordtor|Linie 2", "Straße der Einheit|Linie 1"}));
    // Texts from the tables never become markup.
    EXPECT_EQ(runScript(page, QStringLiteral("document.querySelectorAll('main b').length")).toInt(), 0);
    EXPECT_EQ(runScript(page, QStringLiteral("document.querySelector('#planList a').textContent")).toString(),
              "Netz <gesamt>");
    EXPECT_TRUE(runScript(page, QStringLiteral("document.querySelector('#planList a').href"))
                    .toString()
                    .endsWith(QStringLiteral("/images/line_map_1.jpg")));
}

// A tiny HTTP server on the loopback address: GET answers with a file of its folder (404 when
// there is none); every request's path is counted.
class LoopbackServer : public QObject
{
public:
    explicit LoopbackServer(const QString &folder, const QByteArray &fixedBody = {})
        : m_folder(folder), m_fixedBody(fixedBody)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    quint16 port() const { return m_server.serverPort(); }
    QStringList requests;

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> words = buffer.left(buffer.indexOf("\r\n")).split(' ');
        m_buffers.remove(socket);
        const QString path = QUrl::fromPercentEncoding(words.value(1).split('?').value(0));
        requests << path;
        QByteArray body = m_fixedBody;
        QByteArray status = "200 OK";
        QByteArray type = "text/javascript";
        if (m_fixedBody.isEmpty()) {
            QFile f(m_folder + path);
            if (!path.contains(QStringLiteral("..")) && f.open(QIODevice::ReadOnly)) {
                body = f.readAll();
                if (path.endsWith(QStringLiteral(".htm")))
                    type = "text/html";
                else if (path.endsWith(QStringLiteral(".css")))
                    type = "text/css";
            } else {
                status = "404 Not Found";
            }
        }
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QString m_folder;
    QByteArray m_fixedBody;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

// Records what a page's scripts would show in a dialog, instead of blocking on it.
class RecordingPage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;
    QStringList alerts;

protected:
    void javaScriptAlert(const QUrl &, const QString &msg) override { alerts << msg; }
    bool javaScriptConfirm(const QUrl &, const QString &msg) override
    {
        alerts << msg;
        return false;
    }
};

class WebBrowser : public StartedProgram
{
protected:
    void SetUp() override
    {
        StartedProgram::SetUp();
        ASSERT_TRUE(tmp.isValid());
        ProgramDir = QStringLiteral(KORVALIN_RESOURCES_DIR) + QLatin1Char('/');
        useProjectFolder(QStringLiteral("Linien Süd #1 €Ł%41&x=?+1"));
    }
    void useProjectFolder(const QString &name)
    {
        ProjectDir = tmp.path() + QLatin1Char('/') + name;
        ASSERT_TRUE(QDir().mkpath(ProjectDir));
        writeProject(ProjectDir);
        ProjectFileName = ProjectDir + QStringLiteral("/netz.ppr");
    }
    // The preview button with no desktop browser: the viewer shows the loader page and the
    // website in its frame.
    void previewShowsTheProject()
    {
        dialogs.shellResult = false;
        fmMain->findChild<QToolButton *>(QStringLiteral("sbWebView"))->click();
        ASSERT_TRUE(fmWebView->isVisible());
        ASSERT_NE(fmWebView->wbViewer, nullptr);
        QWebEnginePage *page = fmWebView->wbViewer->page();
        QElapsedTimer timer;
        timer.start();
        while (page->url().toLocalFile() != ProjectDir + QStringLiteral("/webloader.htm") && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_EQ(page->url().toLocalFile(), ProjectDir + QStringLiteral("/webloader.htm"));
        ASSERT_TRUE(waitFor(page, QStringLiteral("document.readyState"), QStringLiteral("complete")));

        const bool frameReachable =
            waitFor(page, QStringLiteral("String(!!(window.frames[0] && window.frames[0].document && "
                                         "window.frames[0].document.body))"),
                    QStringLiteral("true"), 5000);
        if (frameReachable) {
            EXPECT_TRUE(runScript(page, QStringLiteral("window.frames[0].location.search"))
                            .toString()
                            .startsWith(QStringLiteral("?quernatab_path=file:///")));
            g_inFrame = true;
            checkWebsite(page);
            g_inFrame = false;
        } else {
            // The loader cannot look into its frame: open the frame's address itself.
            const QString src = runScript(page, QStringLiteral("document.querySelector('frame').src")).toString();
            ASSERT_FALSE(src.isEmpty());
            fmWebView->wbViewer->load(QUrl(src));
            checkWebsite(page);
        }
        fmWebView->close();
    }
    QTemporaryDir tmp;
    ScriptedDialogs dialogs;
};

} // namespace

TEST_F(WebBrowser, ThePreviewShowsTheProjectInTheViewer)
{
    // Folder names with markup characters, with characters of the ANSI code page and beyond
    // it, and with text that reads as UTF-8 taken for ANSI.
    for (const QString &folder : {QStringLiteral("Linien Süd #1 €Ł%41&x=?+1"), QStringLiteral("Ü–Bahn"),
                                  QStringLiteral("Linien Ã¼")}) {
        SCOPED_TRACE(folder.toStdString());
        useProjectFolder(folder);
        previewShowsTheProject();
    }
}

TEST_F(WebBrowser, ACreatedWebsiteOpensWithoutQuery)
{
    const QString target = tmp.path() + QStringLiteral("/Web Seite ü#2");
    dialogs.answers = {DialogService::Answer::Yes};
    EXPECT_GT(CopyWebsite(target, true, true), 10);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    WebPreviewURL = QStringLiteral("file:///") + target + QStringLiteral("/index.htm");
    fmWebView->show();
    QWebEnginePage *page = fmWebView->wbViewer->page();
    checkWebsite(page);
    EXPECT_EQ(page->url().toLocalFile(), target + QStringLiteral("/index.htm"));
    EXPECT_TRUE(page->url().query().isEmpty());
    fmWebView->close();
}

TEST_F(WebBrowser, AWebsiteOverHttpReadsOnlyItsOwnTablesWhateverItsAddressSays)
{
    const QString target = tmp.path() + QStringLiteral("/site");
    dialogs.answers = {DialogService::Answer::Yes};
    ASSERT_GT(CopyWebsite(target, true, true), 10);
    LoopbackServer site(target);
    LoopbackServer elsewhere(QString(), "window.evilRan = true; alert('evil');");
    ASSERT_NE(site.port(), 0);
    ASSERT_NE(elsewhere.port(), 0);

    const QString base = QStringLiteral("http://127.0.0.1:%1/index.htm").arg(site.port());
    const QStringList hostile = {
        QStringLiteral("data:text/javascript,alert(document.domain)//x"),
        QStringLiteral("data:text/javascript,window.evilRan=true//x"),
        QStringLiteral("http://127.0.0.1:%1/evil").arg(elsewhere.port()),
        QStringLiteral("//127.0.0.1:%1/evil").arg(elsewhere.port()),
        QStringLiteral("javascript:window.evilRan=true//"),
        QStringLiteral("file:///etc"),
        QStringLiteral("/etc"),
    };
    for (const QString &value : hostile) {
        SCOPED_TRACE(value.toStdString());
        RecordingPage page;
        site.requests.clear();
        page.load(QUrl(base + QStringLiteral("?quernatab_path=") + value));
        checkWebsite(&page);
        EXPECT_EQ(runScript(&page, QStringLiteral("String(window.evilRan)")).toString(), "undefined");
        EXPECT_TRUE(page.alerts.isEmpty()) << page.alerts.join(QLatin1Char(',')).toStdString();
        EXPECT_TRUE(site.requests.contains(QStringLiteral("/stations.ptf")));
        EXPECT_TRUE(elsewhere.requests.isEmpty()) << elsewhere.requests.join(QLatin1Char(',')).toStdString();
    }
}

TEST_F(WebBrowser, AWebPageTableGoesThroughTheWorkGridIntoTheTimetable)
{
    const QString pageFile = tmp.path() + QStringLiteral("/seite #3.htm");
    QFile f(pageFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><head><meta charset=\"windows-1252\"></head><body>"
            "<table><tr><td>Nordtor</td><td>Info</td></tr></table>"
            "<table border=1><tr><th>Halt</th><th>Fahrt</th><th>Fahrt</th></tr>"
            "<tr><td>Nordtor</td><td>06:10</td><td>07:10</td></tr>"
            "<tr><td>Stra\xdf" "e der Einheit</td><td>06:15</td><td>07:15</td></tr>"
            "<tr><td>Euro \x80 Platz</td><td>06:20</td><td>07:20</td></tr></table></body></html>");
    f.close();

    StringGrid &tt = fmEditTimeTable->model().sgTimeTable;
    tt.setRowCount(5);
    tt.setCell(1, 2, QStringLiteral("Nordtor"));
    tt.setCell(1, 3, QStringLiteral("Straße der Einheit"));
    tt.setCell(1, 4, QStringLiteral("Euro € Platz"));
    fmWebCopy->setTimeTableGrid(&tt);
    fmWebCopy->show();
    ASSERT_NE(fmWebCopy->wbWebCopy, nullptr);
    QWebEnginePage *page = fmWebCopy->wbWebCopy->page();
    auto *paste = fmWebCopy->findChild<QPushButton *>(QStringLiteral("btPaste"));

    fmWebCopy->findChild<QLineEdit *>(QStringLiteral("leURL"))->setText(pageFile);
    fmWebCopy->findChild<QPushButton *>(QStringLiteral("btShowURL"))->click();
    ASSERT_TRUE(waitFor(page, QStringLiteral("String(document.querySelectorAll('table').length)"), QStringLiteral("2")));

    dialogs.clipboard = QStringLiteral("<table><tr><td>Nordtor</td></tr></table>"); // the old text
    fmWebCopy->findChild<QPushButton *>(QStringLiteral("btCopy"))->click();
    // Until the page has handed its document over, no paste can take the old text.
    EXPECT_FALSE(paste->isEnabled());
    QElapsedTimer timer;
    timer.start();
    while (!paste->isEnabled() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(paste->isEnabled());
    EXPECT_TRUE(dialogs.clipboard.startsWith(QStringLiteral("<body>")));
    EXPECT_TRUE(dialogs.clipboard.contains(QStringLiteral("Euro € Platz")));

    paste->click();
    ASSERT_EQ(fmWebCopy->sgWorkGrid.rowCount(), 4);
    EXPECT_EQ(fmWebCopy->sgWorkGrid.cell(0, 2), "Straße der Einheit");

    // Duplicate the row of the second stop, then paste the times into the timetable.
    fmWebCopy->sgWorkGrid.setCurrent(0, 2);
    auto *area = fmWebCopy->findChild<QComboBox *>(QStringLiteral("cbActionArea"));
    auto *action = fmWebCopy->findChild<QComboBox *>(QStringLiteral("cbAction"));
    EXPECT_EQ(area->currentIndex(), 1);
    EXPECT_EQ(action->currentIndex(), 0);
    area->setCurrentIndex(0);
    action->setCurrentIndex(1);
    fmWebCopy->findChild<QPushButton *>(QStringLiteral("btAction"))->click();
    ASSERT_EQ(fmWebCopy->sgWorkGrid.rowCount(), 5);
    EXPECT_EQ(fmWebCopy->sgWorkGrid.cell(1, 3), "06:15");

    fmWebCopy->sgWorkGrid.setSelection({1, 1, 2, 2});
    tt.setCurrent(2, 2);
    fmEditTimeTable->sbPasteClick();
    EXPECT_EQ(tt.cell(2, 2), "06:10");
    EXPECT_EQ(tt.cell(3, 2), "07:10");
    EXPECT_EQ(tt.cell(2, 3), "06:15");
    EXPECT_EQ(tt.cell(3, 3), "07:15");
    fmWebCopy->setTimeTableGrid(nullptr);
    fmWebCopy->close();
}
