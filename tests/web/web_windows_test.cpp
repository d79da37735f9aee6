#include "support/app_environment.h"
#include "support/grid_rows.h"
#include "support/project_folder.h"
#include "support/window_controls.h"
#include "web/create_website.h"
#include "web/web_copy.h"
#include "web/webview.h"
#include "widgets/window_placement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTest>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

namespace {

template <typename T>
T *control(QWidget *window, const char *name)
{
    return namedControl<T>(window, name);
}

StringGrid timeTable(const QStringList &names)
{
    StringGrid g(6, 2 + int(names.size()));
    for (int i = 0; i < names.size(); ++i)
        g.setCell(1, 2 + i, names[i]);
    return g;
}

const QString twoTables = QStringLiteral(
    "<body><table><tr><td>Nord</td><td>x</td></tr></table>"
    "<TABLE class=\"fp\"><tr><th>Halt</th><th>1</th><th>2</th></tr>"
    "<tr><td>Nord</td><td>08:00</td><td>09:00</td></tr>"
    "<tr><td>Mitte</td><td><b>08:05</b></td><td>09:05</td></tr></TABLE></body>");

} // namespace

using WebWindows = StartedProgram;

TEST_F(WebWindows, EnglishTextsAndNoBrowserBeforeAWindowIsShown)
{
    EXPECT_EQ(fmCreateWebsite->windowTitle(), "Create Website");
    EXPECT_EQ(control<QLabel>(fmCreateWebsite, "leDirNameLabel")->text(), "Directory:");
    EXPECT_EQ(control<QPushButton>(fmCreateWebsite, "bbClose")->text(), "Close Window");
    EXPECT_EQ(fmWebCopy->windowTitle(), "Timetable copy area");
    auto *pages = control<QTabWidget>(fmWebCopy, "PageControl1");
    EXPECT_EQ(pages->tabText(0), "Website");
    EXPECT_EQ(pages->tabText(1), "Copy table");
    EXPECT_EQ(pages->currentWidget()->objectName(), "tsTableGrid");
    auto *area = control<QComboBox>(fmWebCopy, "cbActionArea");
    EXPECT_EQ(area->itemText(0), "Row");
    EXPECT_EQ(area->itemText(1), "Column");
    EXPECT_EQ(control<QComboBox>(fmWebCopy, "cbAction")->itemText(1), "Duplicate");
    auto *selCopy = control<QPushButton>(fmWebCopy, "btSelCopy");
    EXPECT_FALSE(selCopy->isEnabled());
    EXPECT_TRUE(selCopy->isHidden());
    EXPECT_EQ(selCopy->text(), "Copy selected data to clipboard");
    EXPECT_EQ(fmWebView->windowTitle(), "Korvalin home - Applications");
    EXPECT_EQ(control<QPushButton>(fmWebView, "bbClose")->text(), "Close");
    EXPECT_EQ(fmWebView->wbViewer, nullptr);
    EXPECT_EQ(fmWebCopy->wbWebCopy, nullptr);
}

TEST_F(WebWindows, CreateWebsiteStartStatesFolderChoiceAndShowButton)
{
    ScriptedDialogs dialogs;
    auto *dirName = control<QLineEdit>(fmCreateWebsite, "leDirName");
    auto *show = control<QPushButton>(fmCreateWebsite, "bbWebsiteShow");
    EXPECT_TRUE(dirName->text().isEmpty());
    EXPECT_TRUE(control<QCheckBox>(fmCreateWebsite, "cbProjectDataCopy")->isChecked());
    EXPECT_TRUE(control<QCheckBox>(fmCreateWebsite, "cbHTMLDataCopy")->isChecked());
    EXPECT_FALSE(show->isEnabled());

    dirName->setText(QStringLiteral("   "));
    EXPECT_FALSE(show->isEnabled());
    control<QPushButton>(fmCreateWebsite, "bbWebsiteCopy")->click();
    EXPECT_EQ(dialogs.messages, QStringList({"Bitte Verzeichnis auswählen!"}));

    dialogs.folders = {QString(), QStringLiteral("C:\\Web\\Linien #1")};
    control<QToolButton>(fmCreateWebsite, "sbOpen")->click(); // cancelled
    EXPECT_EQ(dirName->text(), "   ");
    control<QToolButton>(fmCreateWebsite, "sbOpen")->click();
    EXPECT_EQ(dirName->text(), "C:\\Web\\Linien #1");
    EXPECT_TRUE(show->isEnabled());

    show->click();
    EXPECT_EQ(dialogs.opened, QStringList({"file:///C:/Web/Linien #1/index.htm"}));
    dialogs.shellResult = false;
    show->click();
    EXPECT_EQ(dialogs.messages.last(), "error");
}

TEST_F(WebWindows, CreateWebsiteCopiesWithTheCheckedBoxes)
{
    ScriptedDialogs dialogs;
    QTemporaryDir tmp;
    ProgramDir = QStringLiteral(KORVALIN_RESOURCES_DIR) + QLatin1Char('/');
    ProjectDir = tmp.path() + QStringLiteral("/projekt");
    ASSERT_TRUE(QDir().mkpath(ProjectDir));
    writePtf(ProjectDir + "/stations.ptf", {"ID", "Station"}, {"1,\"A\""});
    const QString target = tmp.path() + QStringLiteral("/site");
    ASSERT_TRUE(QDir().mkpath(target));
    control<QLineEdit>(fmCreateWebsite, "leDirName")->setText(target);
    control<QCheckBox>(fmCreateWebsite, "cbHTMLDataCopy")->setChecked(false);
    control<QPushButton>(fmCreateWebsite, "bbWebsiteCopy")->click();
    EXPECT_TRUE(QFile::exists(target + "/stations.ptf"));
    EXPECT_FALSE(QFile::exists(target + "/index.htm"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(WebWindows, PasteTakesTheBestTableIntoTheWorkGrid)
{
    ScriptedDialogs dialogs;
    auto *paste = control<QPushButton>(fmWebCopy, "btPaste");
    const StringGrid tt = timeTable({"Nord", "Mitte", "Süd"});

    // Without a timetable grid, without text or without a matching table nothing changes.
    dialogs.clipboard = twoTables;
    paste->click();
    EXPECT_EQ(fmWebCopy->sgWorkGrid.rowCount(), 0);
    fmWebCopy->setTimeTableGrid(&tt);
    dialogs.clipboard.clear();
    paste->click();
    dialogs.clipboard = QStringLiteral("<table><tr><td>Ost</td></tr></table>");
    paste->click();
    EXPECT_EQ(fmWebCopy->sgWorkGrid.rowCount(), 0);

    dialogs.clipboard = twoTables;
    paste->click();
    EXPECT_EQ(gridRows(fmWebCopy->sgWorkGrid),
              QStringList({"Halt|1|2", "Nord|08:00|09:00", "Mitte|08:05|09:05"}));
    auto *view = control<QTableView>(fmWebCopy, "sgWorkGridView");
    EXPECT_EQ(view->model()->rowCount(), 3);
    EXPECT_GT(view->columnWidth(0), 32 - 1);
    EXPECT_EQ(view->columnWidth(0), fmWebCopy->sgWorkGrid.colWidth(0));

    // A later page without a match keeps the loaded table.
    dialogs.clipboard = QStringLiteral("<table><tr><td>Ost</td></tr></table>");
    paste->click();
    EXPECT_EQ(fmWebCopy->sgWorkGrid.rowCount(), 3);
    fmWebCopy->setTimeTableGrid(nullptr);
}

TEST_F(WebWindows, ActionsOnTheWorkGridFollowTheViewsCurrentCell)
{
    ScriptedDialogs dialogs;
    const StringGrid tt = timeTable({"Nord", "Mitte"});
    fmWebCopy->setTimeTableGrid(&tt);
    auto *area = control<QComboBox>(fmWebCopy, "cbActionArea");
    auto *action = control<QComboBox>(fmWebCopy, "cbAction");
    auto *perform = control<QPushButton>(fmWebCopy, "btAction");

    // On an empty grid nothing happens.
    area->setCurrentIndex(0);
    action->setCurrentIndex(2);
    perform->click();
    EXPECT_EQ(fmWebCopy->sgWorkGrid.rowCount(), 0);

    dialogs.clipboard = twoTables;
    control<QPushButton>(fmWebCopy, "btPaste")->click();
    auto *view = control<QTableView>(fmWebCopy, "sgWorkGridView");
    view->setCurrentIndex(view->model()->index(1, 2));
    EXPECT_EQ(fmWebCopy->sgWorkGrid.row(), 1);
    EXPECT_EQ(fmWebCopy->sgWorkGrid.col(), 2);

    action->setCurrentIndex(1); // duplicate the row
    perform->click();
    EXPECT_EQ(gridRows(fmWebCopy->sgWorkGrid),
              QStringList({"Halt|1|2", "Nord|08:00|09:00", "Nord|08:00|09:00", "Mitte|08:05|09:05"}));
    EXPECT_EQ(view->currentIndex().row(), 1);

    area->setCurrentIndex(1); // delete the column
    action->setCurrentIndex(2);
    perform->click();
    EXPECT_EQ(gridRows(fmWebCopy->sgWorkGrid).first(), "Halt|1");
    EXPECT_EQ(fmWebCopy->sgWorkGrid.col(), 1);
    EXPECT_EQ(view->currentIndex().column(), 1);

    // A block selected in the view is the block the timetable editor pastes.
    view->selectionModel()->select(QItemSelection(view->model()->index(1, 0), view->model()->index(2, 1)),
                                   QItemSelectionModel::ClearAndSelect);
    const StringGrid::Selection s = fmWebCopy->sgWorkGrid.selection();
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.top, 1);
    EXPECT_EQ(s.right, 1);
    EXPECT_EQ(s.bottom, 2);
    fmWebCopy->setTimeTableGrid(nullptr);
}

TEST_F(WebWindows, AWideTableGivesEveryViewColumnItsWidth)
{
    ScriptedDialogs dialogs;
    const StringGrid tt = timeTable({"Nord"});
    fmWebCopy->setTimeTableGrid(&tt);
    fmWebCopy->show();
    QString html = QStringLiteral("<table><tr><td>Nord</td>");
    for (int c = 1; c < 3000; ++c)
        html += c % 3 ? QStringLiteral("<td>%1</td>").arg(c) : QStringLiteral("<td>Haltestelle %1 Mitte</td>").arg(c);
    dialogs.clipboard = html + QStringLiteral("</tr></table>");
    control<QPushButton>(fmWebCopy, "btPaste")->click();
    ASSERT_EQ(fmWebCopy->sgWorkGrid.colCount(), 3000);

    auto *view = control<QTableView>(fmWebCopy, "sgWorkGridView");
    int total = 0;
    for (int c = 0; c < 3000; ++c) {
        ASSERT_EQ(view->columnWidth(c), fmWebCopy->sgWorkGrid.colWidth(c)) << c;
        total += view->columnWidth(c);
    }
    EXPECT_GT(view->columnWidth(2997), view->columnWidth(2998));
    EXPECT_EQ(view->columnWidth(1), 32);
    EXPECT_EQ(view->horizontalHeader()->length(), total);
    EXPECT_TRUE(view->horizontalHeader()->updatesEnabled());
    // The last column can be scrolled into view.
    view->scrollTo(view->model()->index(0, 2999));
    QCoreApplication::processEvents();
    EXPECT_EQ(view->columnAt(view->viewport()->width() - 1), 2999);

    // A narrower table that follows sets the widths anew.
    dialogs.clipboard = QStringLiteral("<table><tr><td>Nord</td><td>1</td></tr></table>");
    control<QPushButton>(fmWebCopy, "btPaste")->click();
    EXPECT_EQ(view->horizontalHeader()->length(),
              fmWebCopy->sgWorkGrid.colWidth(0) + fmWebCopy->sgWorkGrid.colWidth(1));
    fmWebCopy->close();
    fmWebCopy->setTimeTableGrid(nullptr);
}

TEST(FitIntoRect, MovesAndShrinksAFrameOntoTheScreen)
{
    const QRect screen(0, 0, 1600, 900);
    EXPECT_EQ(FitIntoRect(QRect(100, 100, 400, 300), screen), QRect(100, 100, 400, 300));
    EXPECT_EQ(FitIntoRect(QRect(1252, 40, 820, 600), screen), QRect(780, 40, 820, 600));
    EXPECT_EQ(FitIntoRect(QRect(-50, -20, 400, 300), screen), QRect(0, 0, 400, 300));
    EXPECT_EQ(FitIntoRect(QRect(10, 800, 2000, 1000), screen), QRect(0, 0, 1600, 900));
    // A second screen to the right.
    EXPECT_EQ(FitIntoRect(QRect(3000, 100, 400, 300), QRect(1600, 0, 1280, 1024)), QRect(2480, 100, 400, 300));
}

TEST_F(WebWindows, BrowserWindowsOpenOnTheScreenAndOnlyTheirOwnCloseClosesThem)
{
    ScriptedDialogs dialogs;
    const QRect screen = fmMain->screen()->availableGeometry();
    for (QDialog *w : std::initializer_list<QDialog *>{fmWebCopy, fmWebView, fmCreateWebsite}) {
        SCOPED_TRACE(w->objectName().toStdString());
        // Placed beside a window at the screen's right edge, the window still opens on the screen.
        w->move(screen.right() - 100, screen.top() + 40);
        w->show();
        EXPECT_TRUE(screen.contains(w->frameGeometry())) << w->frameGeometry().x() << "," << w->frameGeometry().width();

        // No button of these windows is pressed by Enter.
        for (QPushButton *b : w->findChildren<QPushButton *>()) {
            EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
            EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
        }
        QTest::keyClick(w, Qt::Key_Return);
        QTest::keyClick(w, Qt::Key_Enter);
        EXPECT_TRUE(w->isVisible());
        w->close();
        EXPECT_FALSE(w->isVisible());
    }
    // The browsers' keys belong to the page: Escape does not close them either.
    for (QDialog *w : std::initializer_list<QDialog *>{fmWebCopy, fmWebView}) {
        w->show();
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        w->close();
    }
}
