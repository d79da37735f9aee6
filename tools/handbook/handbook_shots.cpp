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
#include "web/create_website.h"
#include "web/web_copy.h"

#include <QApplication>
#include <QWidget>

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Shows a window without running its modal loop, lets `prepare` work on it as a user
// would, grabs it and hides it again.
template <typename Prepare>
HandbookShot grabWindow(const QString &name, QWidget *window, Prepare prepare)
{
    window->show();
    settle();
    prepare();
    settle();
    HandbookShot shot{name, window->grab().toImage()};
    window->hide();
    settle();
    return shot;
}

HandbookShot grabWindow(const QString &name, QWidget *window)
{
    return grabWindow(name, window, [] {});
}

} // namespace

QList<HandbookShot> TakeHandbookShots(const QString &projectFile)
{
    QList<HandbookShot> shots;
    shots << grabWindow(QStringLiteral("main_empty"), fmMain);
    shots << grabWindow(QStringLiteral("first_save"), DlgFirstSave);
    fmMain->LoadProject(projectFile);
    shots << grabWindow(QStringLiteral("main_project"), fmMain);
    shots << grabWindow(QStringLiteral("edit_project"), fmEditProject);
    shots << grabWindow(QStringLiteral("edit_stations"), fmEditStations);
    shots << grabWindow(QStringLiteral("edit_lines"), fmEditLines);
    shots << grabWindow(QStringLiteral("edit_linestations"), fmEditLineStations);
    shots << grabWindow(QStringLiteral("edit_timetable"), fmEditTimeTable);
    shots << grabWindow(QStringLiteral("web_copy"), fmWebCopy);
    shots << grabWindow(QStringLiteral("query"), fmQuery);
    shots << grabWindow(QStringLiteral("line_network_plans"), fmEditLineNetworkPlans);
    shots << grabWindow(QStringLiteral("linemap_editor"), fmEditLineMapLines);
    shots << grabWindow(QStringLiteral("create_website"), fmCreateWebsite);
    shots << grabWindow(QStringLiteral("repair"), fmFehlerkorrektur);
    shots << grabWindow(QStringLiteral("about"), AboutBox);
    return shots;
}
