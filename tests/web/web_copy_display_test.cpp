// The timetable editor and its web-copy window on a real X server (an Xvfb of its own), where
// the windows have native surfaces that the offscreen platform does not make.
#include "app/Main.h"
#include "app/edit_timetable.h"
#include "app/timetable_project.h"
#include "app/translations.h"
#include "data/main_globals.h"
#include "support/folder_globals.h"
#include "support/window_controls.h"
#include "web/browser_engine.h"
#include "web/web_copy.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

// Starts an Xvfb on a free display and the application on it; without Xvfb every test here
// is skipped.
class XServerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        m_server.setProgram(QStringLiteral("Xvfb"));
        m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("1600x1000x24"), QStringLiteral("-nolisten"),
                               QStringLiteral("tcp")});
        m_server.start();
        if (!m_server.waitForStarted(10000))
            return;
        QByteArray display;
        while (!display.contains('\n') && m_server.waitForReadyRead(10000))
            display += m_server.readAllStandardOutput();
        display = display.trimmed();
        if (display.isEmpty())
            return;
        qputenv("DISPLAY", ":" + display);
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "web_copy_display_tests";
        static char *argv[] = {name, nullptr};
        PrepareBrowserEngine();
        m_app = new KorvalinApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(10000);
        }
    }
    static bool ready() { return QCoreApplication::instance() != nullptr; }

private:
    QProcess m_server;
    KorvalinApplication *m_app = nullptr;
};

::testing::Environment *const xServer = ::testing::AddGlobalTestEnvironment(new XServerEnvironment);

// Waits, with the events running, until the condition holds or the time is up.
template <class F> bool waitUntil(F condition, int ms = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}

class WebCopyOnDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!XServerEnvironment::ready())
            GTEST_SKIP() << "no Xvfb";
        ASSERT_TRUE(m_dir.isValid());
        ProjectDir = m_dir.path();
        ProjectFileName = m_dir.filePath(QStringLiteral("city.ppr"));
        WebPreviewURL.clear();
        CreateForms();
        SetEnglishCaptions();
        fillTimeTableProject(*dm1);
        fmMain->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fmMain));
    }
    void TearDown() override
    {
        if (!XServerEnvironment::ready())
            return;
        DestroyForms();
        ProjectDir.clear();
        ProjectFileName.clear();
    }
    template <class T = QWidget> static T *control(QWidget *w, const char *name) { return namedControl<T>(w, name); }

    KeptFolderGlobals m_kept;
    QTemporaryDir m_dir;
};

} // namespace

// Open the editor, show a local page in the web-copy window, leave edit mode, close the editor
// and open it again: the editor must be drawn again each time.
TEST_F(WebCopyOnDisplay, TheEditorOpensAgainAfterTheWebCopyWindowShowedAPage)
{
    const QString page = m_dir.filePath(QStringLiteral("fahrplan.htm"));
    QFile f(page);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<html><body><table><tr><td>Market</td><td>06:10</td></tr></table></body></html>");
    f.close();

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        bool used = false;
        bool pageShown = false;
        bool pageKept = false;
        bool clickReached = false;
        bool websiteClickReached = false;
        QTimer::singleShot(0, fmEditTimeTable, [&] {
            TfmEditTimeTable *w = fmEditTimeTable;
            if (!QTest::qWaitForWindowExposed(w)) {
                w->close();
                return;
            }
            control<QPushButton>(w, "btTimeTableEdit")->click();
            control<QPushButton>(w, "bbWebCopy")->click();
            const bool copyShown = QTest::qWaitForWindowExposed(fmWebCopy);
            // The web-copy window takes input while the editor runs modally: a real click on
            // one of its buttons reaches it.
            auto *area = control<QComboBox>(fmWebCopy, "cbActionArea");
            area->setCurrentIndex(1);
            QTest::mouseClick(area, Qt::LeftButton);
            QTest::qWait(100);
            clickReached = area->view()->isVisible();
            area->hidePopup();
            // The window keeps the page it showed between its showings.
            if (round > 0 && fmWebCopy->wbWebCopy)
                pageKept = fmWebCopy->wbWebCopy->url() == QUrl::fromLocalFile(page);
            // The user turns to the page with the browser, which puts the browser on the
            // screen; the window must still take real clicks afterwards.
            auto *pages = control<QTabWidget>(fmWebCopy, "PageControl1");
            QTabBar *tabs = pages->tabBar();
            const int website = pages->indexOf(control<QWidget>(fmWebCopy, "tsWebsite"));
            const int table = pages->indexOf(control<QWidget>(fmWebCopy, "tsTableGrid"));
            // Clicked through the window, as the window system delivers it, so that a window
            // blocked by the modal editor does not get it.
            const auto clickTab = [tabs](int index) {
                QTest::mouseClick(fmWebCopy->windowHandle(), Qt::LeftButton, {},
                                  tabs->mapTo(fmWebCopy, tabs->tabRect(index).center()));
                QTest::qWait(100);
            };
            clickTab(website);
            QTest::qWait(200);
            clickTab(table);
            const bool tableReached = pages->currentIndex() == table;
            clickTab(website);
            websiteClickReached = tableReached && pages->currentIndex() == website;
            if (copyShown && round < 2) {
                auto *url = control<QLineEdit>(fmWebCopy, "leURL");
                url->setText(QStringLiteral("file://") + page);
                control<QPushButton>(fmWebCopy, "btShowURL")->click();
                pageShown = waitUntil([] {
                    return fmWebCopy->wbWebCopy && fmWebCopy->wbWebCopy->url().isLocalFile() &&
                           !fmWebCopy->wbWebCopy->title().isEmpty();
                });
                QTest::qWait(300); // let the page be drawn on the window
            }
            control<QPushButton>(w, "btCancel")->click();
            QTest::qWait(50);
            control<QPushButton>(w, "btClose")->click();
            used = true;
        });
        fmEditTimeTable->exec();
        EXPECT_TRUE(used);
        EXPECT_TRUE(clickReached);
        EXPECT_TRUE(websiteClickReached);
        if (round < 2) {
            EXPECT_TRUE(pageShown);
        }
        if (round > 0) {
            EXPECT_TRUE(pageKept);
        }
        EXPECT_FALSE(fmWebCopy->isVisible());
    }
    // Shown once more, the editor is drawn and can be closed.
    QTimer::singleShot(0, fmEditTimeTable, [] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(fmEditTimeTable));
        QTest::qWait(300);
        fmEditTimeTable->repaint();
        QTest::qWait(100);
        fmEditTimeTable->close();
    });
    fmEditTimeTable->exec();
    EXPECT_FALSE(fmEditTimeTable->isVisible());
}
