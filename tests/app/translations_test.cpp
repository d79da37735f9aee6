#include "app/translations.h"

#include "app/Main.h"
#include "support/app_environment.h"
#include "app/edit_lines.h"
#include "app/edit_linestations.h"
#include "app/edit_project.h"
#include "app/edit_stations.h"
#include "app/edit_timetable.h"
#include "app/fehlerkorrektur.h"
#include "app/first_save_dlg.h"
#include "app/query.h"
#include "app/showinfo.h"
#include "data/main_globals.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/edit_linemap_lines.h"
#include "support/project_folder.h"
#include "support/window_controls.h"
#include "web/create_website.h"
#include "web/web_copy.h"
#include "web/webview.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <map>

namespace {

// One assignment of the English text table: the window's global name, the control (empty for
// the window caption), the kind of text and the English text.
struct TextRow
{
    const char *window;
    const char *control;
    const char *kind; // caption, window, label, hint, "item N", "tab N", list ("|"-joined)
    const char *text;
};

const TextRow englishTexts[] = {
    {"fmMain", "aAbout", "caption", "Information"},
    {"fmMain", "aHandbook", "caption", "Manual"},
    {"fmMain", "aWebsite", "caption", "Website"},
    {"fmMain", "FileExitItem", "caption", "E&xit"},
    {"fmMain", "FileMenu", "caption", "&File"},
    {"fmMain", "FileNewItem", "caption", "&New"},
    {"fmMain", "FileOpenItem", "caption", "&Open"},
    {"fmMain", "FileSaveAsItem", "caption", "Save As..."},
    {"fmMain", "FileSaveItem", "caption", "&Save"},
    {"fmMain", "HelpMenu", "caption", "&Help"},
    {"fmMain", "MICreateWebsite", "caption", "Create Website"},
    {"fmMain", "MIProject", "caption", "&Project"},
    {"fmMain", "sbAssignStations", "caption", "Add stations to lines"},
    {"fmMain", "sbEditLineNetworkPlans", "caption", "Line maps"},
    {"fmMain", "sbEditLines", "caption", "Edit lines"},
    {"fmMain", "sbEditProject", "caption", "Project-Options"},
    {"fmMain", "sbEditStations", "caption", "Edit stations"},
    {"fmMain", "sbEditTimeTable", "caption", "Edit timetables"},
    {"fmMain", "sbNew", "hint", "New"},
    {"fmMain", "sbOpen", "hint", "Open"},
    {"fmMain", "sbQueryForShow", "hint", "Timetable Information"},
    {"fmMain", "sbSave", "hint", "Save"},
    {"fmMain", "sbSaveAs", "hint", "Save As..."},
    {"fmMain", "sbTimeTableInformation", "caption", "Timetable Information"},
    {"fmMain", "sbWebView", "hint", "Web-Application"},
    {"DlgFirstSave", "", "window", "Remark"},
    {"DlgFirstSave", "mInfo", "caption", "A new project must be saved before editing"},
    {"fmEditProject", "", "window", "Project Options"},
    {"fmEditProject", "btAddDayGroup", "caption", "Add"},
    {"fmEditProject", "btCancel", "caption", "Discard changes"},
    {"fmEditProject", "btClose", "caption", "Close Window"},
    {"fmEditProject", "btDeleteDayGroup", "caption", "Delete"},
    {"fmEditProject", "btSave", "caption", "Save changes"},
    {"fmEditProject", "gbDriveDays", "caption", "Edit days to ride"},
    {"fmEditProject", "gbEntries", "caption", "Entries"},
    {"fmEditProject", "gbNewEntry", "caption", "New Entry"},
    {"fmEditProject", "gbStandardColor", "caption", "Default color"},
    {"fmEditProject", "gbTimeTable", "caption", "Time properties"},
    {"fmEditProject", "leMaxDriveMinutes", "label", "Maximum ride time between 2 stations in minutes"},
    {"fmEditProject", "tsDays", "caption", "Day groups"},
    {"fmEditProject", "tsLineOptions", "caption", "Lines"},
    {"fmEditProject", "tsStationOptions", "caption", "Stations"},
    {"fmEditProject", "tsTimeTable", "caption", "Timetable"},
    {"fmEditStations", "", "window", "Edit stations"},
    {"fmEditStations", "btCancel", "caption", "Close without save"},
    {"fmEditStations", "btClose", "caption", "Close Window"},
    {"fmEditStations", "btNewStation", "caption", "New"},
    {"fmEditStations", "btSave", "caption", "Save changes"},
    {"fmEditStations", "btStationDelete", "caption", "Delete"},
    {"fmEditStations", "btStationEdit", "caption", "Edit"},
    {"fmEditStations", "cbStationNewLine", "caption", "Remember for new line"},
    {"fmEditStations", "cbStationNewLineClear", "caption", "Start new recall list"},
    {"fmEditStations", "gbStationEdit", "caption", "Edit Station"},
    {"fmEditStations", "leStationName", "label", "Name of station"},
    {"fmEditStations", "lStations", "caption", "Stations:"},
    {"fmEditLines", "", "window", "Edit lines"},
    {"fmEditLines", "btCancel", "caption", "Close without save"},
    {"fmEditLines", "btClose", "caption", "Close Window"},
    {"fmEditLines", "btLineDelete", "caption", "Delete"},
    {"fmEditLines", "btLineEdit", "caption", "Edit"},
    {"fmEditLines", "btNewLine", "caption", "New"},
    {"fmEditLines", "btSave", "caption", "Save changes"},
    {"fmEditLines", "cbStandardColor", "caption", "Standard"},
    {"fmEditLines", "gbLineEdit", "caption", "Edit line"},
    {"fmEditLines", "leLineName", "label", "Name of line:"},
    {"fmEditLines", "lLineColor", "caption", "Line color"},
    {"fmEditLines", "lLines", "caption", "Lines:"},
    {"fmEditLines", "lStationList", "caption", "Stations:"},
    {"fmEditLineStations", "", "window", "Add stations to lines"},
    {"fmEditLineStations", "btCancel", "caption", "Close without save"},
    {"fmEditLineStations", "btClose", "caption", "Close window"},
    {"fmEditLineStations", "btDeleteStation", "caption", "Delete"},
    {"fmEditLineStations", "btSave", "caption", "Save changes"},
    {"fmEditLineStations", "btSelectAllStations", "caption", "Select all"},
    {"fmEditLineStations", "gbLineAssign", "caption", "Add lines"},
    {"fmEditLineStations", "gbLineStations", "caption", "Assigned stations"},
    {"fmEditLineStations", "gbStations", "caption", "Existing stations"},
    {"fmEditLineStations", "lLineName", "caption", "Line"},
    {"fmEditLineStations", "lLinien", "caption", "Lines"},
    {"fmEditLineStations", "rbAllStations", "caption", "All stations"},
    {"fmEditLineStations", "rbNewStations", "caption", "New stations"},
    {"fmEditTimeTable", "", "window", "Edit Timetable"},
    {"fmEditTimeTable", "bbWebCopy", "caption", "HTML Import"},
    {"fmEditTimeTable", "btCancel", "caption", "Close without save"},
    {"fmEditTimeTable", "btClose", "caption", "Close Window"},
    {"fmEditTimeTable", "btSave", "caption", "Save changes"},
    {"fmEditTimeTable", "btTimeTableEdit", "caption", "Edit Timetable"},
    {"fmEditTimeTable", "lDays", "caption", "Days:"},
    {"fmEditTimeTable", "lDirection", "caption", "Direction:"},
    {"fmEditTimeTable", "lLinie", "caption", "Line:"},
    {"fmEditTimeTable", "sbCopyMode", "caption", "Copy mode"},
    {"fmEditTimeTable", "sbPaste", "caption", "Paste Clipboard"},
    {"fmEditTimeTable", "sbTimeTableDelete", "caption", "Delete Timetable"},
    {"fmQuery", "btStartQuery", "caption", "Start query"},
    {"fmQuery", "cbMaxSearchTime", "list", "1 Second|5 Seconds|15 Seconds|30 Seconds|1 Minute|2 Minutes|5 Minutes|10 Minutes|30 Minutes|1 Hour|2 Hours|5 Hours|Unlimited"},
    {"fmQuery", "lConnectionsView", "caption", "Show connections"},
    {"fmQuery", "lDay", "caption", "Day:"},
    {"fmQuery", "lDepth", "caption", "Search depth:"},
    {"fmQuery", "lEnd", "caption", "Target:"},
    {"fmQuery", "lFrom", "caption", "Departure:"},
    {"fmQuery", "lMax", "caption", "Maximum"},
    {"fmQuery", "lMaxTime", "caption", "Maximum search-depth"},
    {"fmQuery", "lStart", "caption", "Start:"},
    {"fmQuery", "lTransfer", "caption", "Maximum transfers:"},
    {"fmQuery", "tsQuery", "caption", "Timetable Information"},
    {"fmEditLineNetworkPlans", "", "window", "Edit line maps"},
    {"fmEditLineNetworkPlans", "bbLineMapWork", "caption", "Edit line map"},
    {"fmEditLineNetworkPlans", "btCancel", "caption", "Close without save"},
    {"fmEditLineNetworkPlans", "btClose", "caption", "Close window"},
    {"fmEditLineNetworkPlans", "btLineMapDelete", "caption", "Delete"},
    {"fmEditLineNetworkPlans", "btLineMapEdit", "caption", "Edit"},
    {"fmEditLineNetworkPlans", "btNewLineMap", "caption", "New"},
    {"fmEditLineNetworkPlans", "btSave", "caption", "Save changes"},
    {"fmEditLineNetworkPlans", "cbBackgroundImageOn", "caption", "Background image"},
    {"fmEditLineNetworkPlans", "cbLineDefaultColor", "caption", "Inherit color from line default"},
    {"fmEditLineNetworkPlans", "cbLineTextDefaultBackgroundColor", "caption", "use line color for background"},
    {"fmEditLineNetworkPlans", "cbLineTextDefaultColor", "caption", "use line color for text"},
    {"fmEditLineNetworkPlans", "cbLineTextEnd", "caption", "End of line"},
    {"fmEditLineNetworkPlans", "cbLineTextOther", "caption", "Other ends"},
    {"fmEditLineNetworkPlans", "cbLineTextStart", "caption", "Start of line"},
    {"fmEditLineNetworkPlans", "cbMultiStationAutoPos", "caption", "Place station text automatically"},
    {"fmEditLineNetworkPlans", "cbMultiStationRoundParallel", "caption", "Rounded symbol for parallel lines with stations in the same level"},
    {"fmEditLineNetworkPlans", "cbMultiStationRoundSelfPos", "caption", "Round symbol for station on the same position"},
    {"fmEditLineNetworkPlans", "cbMultiStationTextInheritSelfPos", "caption", "Position of text in the same position as specified in stations settings"},
    {"fmEditLineNetworkPlans", "cbStationAlign", "item 0", "Left"},
    {"fmEditLineNetworkPlans", "cbStationAlign", "item 1", "Center"},
    {"fmEditLineNetworkPlans", "cbStationAlign", "item 2", "Right"},
    {"fmEditLineNetworkPlans", "gbLineLineText", "caption", "Line text"},
    {"fmEditLineNetworkPlans", "gbLineMapEdit", "caption", "Line map preferences"},
    {"fmEditLineNetworkPlans", "gbLinesLine", "caption", "Line"},
    {"fmEditLineNetworkPlans", "gbLinesVehicle", "caption", "Vehicle"},
    {"fmEditLineNetworkPlans", "lBackgroundColor", "caption", "Background color:"},
    {"fmEditLineNetworkPlans", "lLineColor", "caption", "Color:"},
    {"fmEditLineNetworkPlans", "lLines", "caption", "Line maps"},
    {"fmEditLineNetworkPlans", "lLinesLineTextFont", "caption", "Default font:"},
    {"fmEditLineNetworkPlans", "lLinesLineWidthPixel", "caption", "pixel"},
    {"fmEditLineNetworkPlans", "lLinesTextDistancePixel", "caption", "pixel"},
    {"fmEditLineNetworkPlans", "lLinesTextPosition", "caption", "Position:"},
    {"fmEditLineNetworkPlans", "lLineTextBackgroundColor", "caption", "Background color:"},
    {"fmEditLineNetworkPlans", "lLineTextColor", "caption", "Text color:"},
    {"fmEditLineNetworkPlans", "lLineTextDistance", "caption", "Text offset:"},
    {"fmEditLineNetworkPlans", "lLineWidth", "caption", "Width of line:"},
    {"fmEditLineNetworkPlans", "lMapFilename", "caption", "File name:"},
    {"fmEditLineNetworkPlans", "lMapGridWidth", "caption", "Grid width:"},
    {"fmEditLineNetworkPlans", "lMapHeight", "caption", "Height:"},
    {"fmEditLineNetworkPlans", "lMapName", "caption", "Name:"},
    {"fmEditLineNetworkPlans", "lMapWidth", "caption", "Width:"},
    {"fmEditLineNetworkPlans", "lMapWidthPixel", "caption", "pixel"},
    {"fmEditLineNetworkPlans", "lMultiStationAlign", "caption", "Text placement:"},
    {"fmEditLineNetworkPlans", "lMultiStationDirection", "caption", "Text direction:"},
    {"fmEditLineNetworkPlans", "lMultiStationDistanceH", "caption", "Horizontal text offset:"},
    {"fmEditLineNetworkPlans", "lMultiStationDistanceHPixel", "caption", "pixel"},
    {"fmEditLineNetworkPlans", "lMultiStationDistanceV", "caption", "Vertical text offset:"},
    {"fmEditLineNetworkPlans", "lMultiStationDistanceVPixel", "caption", "pixel"},
    {"fmEditLineNetworkPlans", "lMultiStationPosition", "caption", "Position of station text:"},
    {"fmEditLineNetworkPlans", "lMultiStationsFont", "caption", "Default font"},
    {"fmEditLineNetworkPlans", "lPreview", "caption", "Preview:"},
    {"fmEditLineNetworkPlans", "lStationAlign", "caption", "Alignment of station text:"},
    {"fmEditLineNetworkPlans", "lStationDirection", "caption", "Text direction:"},
    {"fmEditLineNetworkPlans", "lStationsDefaultPositioning", "caption", "Default position:"},
    {"fmEditLineNetworkPlans", "lStationsFont", "caption", "Default font:"},
    {"fmEditLineNetworkPlans", "lStationTextDistanceH", "caption", "Horizontal text offset:"},
    {"fmEditLineNetworkPlans", "lStationTextDistanceHPixel", "caption", "pixel"},
    {"fmEditLineNetworkPlans", "lStationTextDistanceV", "caption", "Vertical text offset:"},
    {"fmEditLineNetworkPlans", "lStationTextDistanceVPixel", "caption", "pixel"},
    {"fmEditLineNetworkPlans", "lVehicleColor", "caption", "Color of vehicle:"},
    {"fmEditLineNetworkPlans", "rgStationPosition", "caption", "Position relative to line"},
    {"fmEditLineNetworkPlans", "rgStationPosition", "item 0", "above"},
    {"fmEditLineNetworkPlans", "rgStationPosition", "item 1", "below"},
    {"fmEditLineNetworkPlans", "tsGeneral", "caption", "Common"},
    {"fmEditLineNetworkPlans", "tsLines", "caption", "Lines"},
    {"fmEditLineNetworkPlans", "tsMultiStations", "caption", "Transfer stations"},
    {"fmEditLineNetworkPlans", "tsStations", "caption", "Stations"},
    {"fmEditLineMapLines", "", "window", "line map editor"},
    {"fmEditLineMapLines", "bbCancelLine", "caption", "Close without save"},
    {"fmEditLineMapLines", "bbCancelMultiStations", "caption", "Close without save"},
    {"fmEditLineMapLines", "bbCancelStations", "caption", "Close without save"},
    {"fmEditLineMapLines", "bbDeleteAllSections", "caption", "Delete all line sections"},
    {"fmEditLineMapLines", "bbEditLine", "caption", "Edit line"},
    {"fmEditLineMapLines", "bbEditLineText", "caption", "Edit line text"},
    {"fmEditLineMapLines", "bbEditMultiStations", "caption", "Transfer Stations"},
    {"fmEditLineMapLines", "bbEditStations", "caption", "Edit stations"},
    {"fmEditLineMapLines", "bbLineDrawOnOff", "caption", "Draw start"},
    {"fmEditLineMapLines", "bbSaveLine", "caption", "Save changes"},
    {"fmEditLineMapLines", "bbSaveMultiStations", "caption", "Save changes"},
    {"fmEditLineMapLines", "bbSaveStation", "caption", "Save changes"},
    {"fmEditLineMapLines", "bbStationsArrange", "caption", "Distribute stations"},
    {"fmEditLineMapLines", "bbStationsDeleteAll", "caption", "Hide all"},
    {"fmEditLineMapLines", "btCancelLineText", "caption", "Close without save"},
    {"fmEditLineMapLines", "btClose", "caption", "Close window"},
    {"fmEditLineMapLines", "btSaveLineText", "caption", "Save changes"},
    {"fmEditLineMapLines", "cbLineDefaultColor", "caption", "Set line color from line default"},
    {"fmEditLineMapLines", "cbLineDefaultWidth", "caption", "Inherit line width from default settings"},
    {"fmEditLineMapLines", "cbLineTextColorDefaultProperties", "caption", "use default"},
    {"fmEditLineMapLines", "cbLineTextDefaultLineBackgroundColor", "caption", "Set background from line default"},
    {"fmEditLineMapLines", "cbLineTextDefaultLineColor", "caption", "Set text color from line default"},
    {"fmEditLineMapLines", "cbLineTextNoChange", "caption", "No offset"},
    {"fmEditLineMapLines", "cbLineTextPosition", "item 0", "Start of line"},
    {"fmEditLineMapLines", "cbLineTextPosition", "item 1", "End of line"},
    {"fmEditLineMapLines", "cbLineTextVisibleDefaultProperties", "caption", "use default"},
    {"fmEditLineMapLines", "cbLineTextVisibleEnd", "caption", "End of line"},
    {"fmEditLineMapLines", "cbLineTextVisibleOther", "caption", "Different ends"},
    {"fmEditLineMapLines", "cbLineTextVisibleStart", "caption", "Start of line"},
    {"fmEditLineMapLines", "cbMultiStationDefaultProperties", "caption", "use default"},
    {"fmEditLineMapLines", "cbShowImage", "caption", "Background image"},
    {"fmEditLineMapLines", "cbShowLines", "caption", "Lines"},
    {"fmEditLineMapLines", "cbShowMultipleStations", "caption", "Transfer stations"},
    {"fmEditLineMapLines", "cbShowRaster", "caption", "Grid"},
    {"fmEditLineMapLines", "cbShowStations", "caption", "Stations"},
    {"fmEditLineMapLines", "cbStationDefaultProperties", "caption", "use default"},
    {"fmEditLineMapLines", "cbVehicleDefaultColor", "caption", "Set vehicle color to default"},
    {"fmEditLineMapLines", "gbLinePrefsColors", "caption", "Colors"},
    {"fmEditLineMapLines", "gbLinePrefsDraw", "caption", "Draw"},
    {"fmEditLineMapLines", "gbLinePrefsLineProperties", "caption", "Line properties"},
    {"fmEditLineMapLines", "gbLinePrefsLineSections", "caption", "Line sections"},
    {"fmEditLineMapLines", "gbLineTextLines", "caption", "Color for Line Text"},
    {"fmEditLineMapLines", "gbLineTextPosition", "caption", "Change of position"},
    {"fmEditLineMapLines", "gbLineTextVisible", "caption", "Set Text position"},
    {"fmEditLineMapLines", "gbMultiStationPrefsStations", "caption", "Transfer stations"},
    {"fmEditLineMapLines", "gbMultiStationProperties", "caption", "Properties for transfer stations"},
    {"fmEditLineMapLines", "gbShow", "caption", "View"},
    {"fmEditLineMapLines", "gbStationPrefsLineSections", "caption", "Line sections"},
    {"fmEditLineMapLines", "gbStationPrefsStationMove", "caption", "Move station"},
    {"fmEditLineMapLines", "gbStationPrefsStations", "caption", "Stations"},
    {"fmEditLineMapLines", "lLinePrefsLineColor", "caption", "Line color:"},
    {"fmEditLineMapLines", "lLinePrefsLineWidth", "caption", "Line width"},
    {"fmEditLineMapLines", "lLinePrefsLineWidthPixel", "caption", "pixel"},
    {"fmEditLineMapLines", "lLinePrefsStepSize", "caption", "Step size:"},
    {"fmEditLineMapLines", "lLinePrefsVehicleColor", "caption", "Color of vehicle:"},
    {"fmEditLineMapLines", "lLineTextBackgroundColor", "caption", "Background color:"},
    {"fmEditLineMapLines", "lLineTextColor", "caption", "Text color:"},
    {"fmEditLineMapLines", "lLineTextPrefsHorMove", "caption", "Horizontal placement:"},
    {"fmEditLineMapLines", "lLineTextPrefsHorMovePixel", "caption", "pixel"},
    {"fmEditLineMapLines", "lLineTextPrefsTextPosition", "caption", "Text position:"},
    {"fmEditLineMapLines", "lLineTextPrefsVerMove", "caption", "Vertical placement:"},
    {"fmEditLineMapLines", "lLineTextPrefsVerMovePixel", "caption", "pixel"},
    {"fmEditLineMapLines", "lMultiStationAlign", "caption", "Text placement:"},
    {"fmEditLineMapLines", "lMultiStationDirection", "caption", "Text direction:"},
    {"fmEditLineMapLines", "lMultiStationPosition", "caption", "Position of station text:"},
    {"fmEditLineMapLines", "lMultiStationTextDistanceH", "caption", "Horizontal. placement:"},
    {"fmEditLineMapLines", "lMultiStationTextDistanceHPixel", "caption", "pixel"},
    {"fmEditLineMapLines", "lMultiStationTextDistanceV", "caption", "Vertical placement:"},
    {"fmEditLineMapLines", "lMultiStationTextDistanceVPixel", "caption", "pixel"},
    {"fmEditLineMapLines", "lStationPrefsStepSize", "caption", "Increment:"},
    {"fmEditLineMapLines", "lStationTextDistanceH", "caption", "Hor. text offset:"},
    {"fmEditLineMapLines", "lStationTextDistanceHPixel", "caption", "pixel"},
    {"fmEditLineMapLines", "lStationTextDistanceV", "caption", "Vert. text offset:"},
    {"fmEditLineMapLines", "lStationTextDistanceVPixel", "caption", "pixel"},
    {"fmEditLineMapLines", "lStationTextPosition", "caption", "Position:"},
    {"fmEditLineMapLines", "rbStationOff", "caption", "Off"},
    {"fmEditLineMapLines", "rbStationOn", "caption", "On"},
    {"fmEditLineMapLines", "tcIndividualProperties", "tab 0", "Current station"},
    {"fmEditLineMapLines", "tcIndividualProperties", "tab 1", "Current section"},
    {"fmEditLineMapLines", "tcIndividualProperties", "tab 2", "Sections of same alignment"},
    {"fmCreateWebsite", "", "window", "Create Website"},
    {"fmCreateWebsite", "bbClose", "caption", "Close Window"},
    {"fmCreateWebsite", "bbWebsiteCopy", "caption", "Create Website"},
    {"fmCreateWebsite", "bbWebsiteShow", "caption", "Show Website"},
    {"fmCreateWebsite", "cbHTMLDataCopy", "caption", "Copy HTML-Files"},
    {"fmCreateWebsite", "cbProjectDataCopy", "caption", "Copy Project-Files"},
    {"fmCreateWebsite", "leDirName", "label", "Directory:"},
    {"fmWebCopy", "", "window", "Timetable copy area"},
    {"fmWebCopy", "btAction", "caption", "Perform action"},
    {"fmWebCopy", "btCopy", "caption", "Copy HTML"},
    {"fmWebCopy", "btPaste", "caption", "Paste HTML"},
    {"fmWebCopy", "btSelCopy", "caption", "Copy selected data to clipboard"},
    {"fmWebCopy", "btShowURL", "caption", "Open Website"},
    {"fmWebCopy", "cbAction", "item 0", "Insert"},
    {"fmWebCopy", "cbAction", "item 1", "Duplicate"},
    {"fmWebCopy", "cbAction", "item 2", "Delete"},
    {"fmWebCopy", "cbActionArea", "item 0", "Row"},
    {"fmWebCopy", "cbActionArea", "item 1", "Column"},
    {"fmWebCopy", "leURL", "label", "Web Url"},
    {"fmWebCopy", "tsTableGrid", "caption", "Copy table"},
    {"fmWebCopy", "tsWebsite", "caption", "Website"},
    {"fmWebView", "", "window", "Korvalin home - Applications"},
    {"fmWebView", "bbClose", "caption", "Close"},
};

QWidget *windowNamed(const QString &name)
{
    const std::map<QString, QWidget *> windows{
        {"fmMain", fmMain},
        {"DlgFirstSave", DlgFirstSave},
        {"fmEditProject", fmEditProject},
        {"fmEditStations", fmEditStations},
        {"fmEditLines", fmEditLines},
        {"fmEditLineStations", fmEditLineStations},
        {"fmEditTimeTable", fmEditTimeTable},
        {"fmQuery", fmQuery},
        {"fmEditLineNetworkPlans", fmEditLineNetworkPlans},
        {"fmEditLineMapLines", fmEditLineMapLines},
        {"fmCreateWebsite", fmCreateWebsite},
        {"fmWebCopy", fmWebCopy},
        {"fmWebView", fmWebView},
        {"fmFehlerkorrektur", fmFehlerkorrektur},
        {"AboutBox", AboutBox},
    };
    const auto it = windows.find(name);
    return it == windows.end() ? nullptr : it->second;
}

const QStringList allWindows{"fmMain",         "DlgFirstSave",      "fmEditProject",          "fmEditStations",
                             "fmEditLines",    "fmEditLineStations", "fmEditTimeTable",       "fmQuery",
                             "fmEditLineNetworkPlans", "fmEditLineMapLines", "fmCreateWebsite", "fmWebCopy",
                             "fmWebView",      "fmFehlerkorrektur", "AboutBox"};

// The tab widget that shows `page` as one of its tabs, and the page's index there.
std::pair<QTabWidget *, int> tabOf(QWidget *page)
{
    for (QWidget *p = page->parentWidget(); p; p = p->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(p)) {
            const int index = tabs->indexOf(page);
            if (index >= 0)
                return {tabs, index};
        }
    }
    return {nullptr, -1};
}

// The buttons of a radio group in their order.
QList<QAbstractButton *> radioButtons(QObject *group)
{
    QList<QAbstractButton *> result;
    for (QRadioButton *b : group->findChildren<QRadioButton *>())
        result << b;
    return result;
}

// A tab control is a tab bar, or a panel whose tab bar switches its pages.
QTabBar *tabBarOf(QObject *c)
{
    if (!c)
        return nullptr;
    if (auto *bar = qobject_cast<QTabBar *>(c))
        return bar;
    return c->findChild<QTabBar *>();
}

QObject *controlOf(const TextRow &row)
{
    QWidget *window = windowNamed(row.window);
    if (!window)
        return nullptr;
    if (QLatin1String(row.kind) == QLatin1String("window"))
        return window;
    return window->findChild<QObject *>(QLatin1String(row.control));
}

const QString missing = QStringLiteral("<missing>");

// What the user sees of one row now.
QString shownText(const TextRow &row)
{
    QWidget *window = windowNamed(row.window);
    if (!window)
        return missing;
    const QString kind = QLatin1String(row.kind);
    if (kind == "window")
        return window->windowTitle();
    QObject *c = controlOf(row);
    if (kind == "label") {
        auto *label = window->findChild<QLabel *>(QLatin1String(row.control) + QStringLiteral("Label"));
        return label ? label->text() : missing;
    }
    if (!c)
        return missing;
    if (kind == "hint") {
        auto *w = qobject_cast<QWidget *>(c);
        if (!w)
            return missing;
        return w->toolTip() == w->statusTip() ? w->toolTip() : QStringLiteral("<tool tip and status tip differ>");
    }
    if (kind == "list") {
        auto *combo = qobject_cast<QComboBox *>(c);
        if (!combo)
            return missing;
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items.join(QLatin1Char('|'));
    }
    if (kind.startsWith("item ")) {
        const int n = kind.mid(5).toInt();
        if (auto *combo = qobject_cast<QComboBox *>(c))
            return n < combo->count() ? combo->itemText(n) : missing;
        if (auto *list = qobject_cast<QListWidget *>(c))
            return n < list->count() ? list->item(n)->text() : missing;
        const auto buttons = radioButtons(c);
        return n < buttons.size() ? buttons[n]->text() : missing;
    }
    if (kind.startsWith("tab ")) {
        const int n = kind.mid(4).toInt();
        if (auto *tabs = qobject_cast<QTabWidget *>(c))
            return n < tabs->count() ? tabs->tabText(n) : missing;
        if (auto *bar = tabBarOf(c))
            return n < bar->count() ? bar->tabText(n) : missing;
        return missing;
    }
    // A caption or text.
    if (auto *action = qobject_cast<QAction *>(c))
        return action->text();
    if (auto *menu = qobject_cast<QMenu *>(c))
        return menu->title();
    if (auto *button = qobject_cast<QAbstractButton *>(c))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(c))
        return label->text();
    if (auto *group = qobject_cast<QGroupBox *>(c))
        return group->title();
    if (auto *memo = qobject_cast<QPlainTextEdit *>(c))
        return memo->toPlainText();
    if (auto *memo = qobject_cast<QTextEdit *>(c))
        return memo->toPlainText();
    if (auto *page = qobject_cast<QWidget *>(c)) {
        const auto [tabs, index] = tabOf(page);
        if (tabs)
            return tabs->tabText(index);
    }
    return missing;
}

// Every text property of every object of the fifteen windows, keyed by window, object and
// property.
using Snapshot = std::map<QString, QString>;

void addTexts(Snapshot &snap, const QString &prefix, QObject *o)
{
    auto put = [&](const QString &property, const QString &value) { snap[prefix + QLatin1Char('.') + property] = value; };
    if (auto *w = qobject_cast<QWidget *>(o)) {
        if (w->isWindow())
            put("windowTitle", w->windowTitle());
        put("toolTip", w->toolTip());
        put("statusTip", w->statusTip());
    }
    if (auto *action = qobject_cast<QAction *>(o)) {
        put("text", action->text());
        put("toolTip", action->toolTip());
        put("statusTip", action->statusTip());
        put("iconText", action->iconText());
    }
    if (auto *menu = qobject_cast<QMenu *>(o))
        put("title", menu->title());
    if (auto *button = qobject_cast<QAbstractButton *>(o))
        put("text", button->text());
    if (auto *label = qobject_cast<QLabel *>(o))
        put("text", label->text());
    if (auto *group = qobject_cast<QGroupBox *>(o))
        put("title", group->title());
    if (auto *memo = qobject_cast<QPlainTextEdit *>(o))
        put("text", memo->toPlainText());
    if (auto *combo = qobject_cast<QComboBox *>(o)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            put(QStringLiteral("item %1").arg(i), combo->itemText(i));
            items << combo->itemText(i);
        }
        put("list", items.join(QLatin1Char('|')));
    }
    if (auto *tabs = qobject_cast<QTabWidget *>(o)) {
        for (int i = 0; i < tabs->count(); ++i)
            put(QStringLiteral("tab %1").arg(i), tabs->tabText(i));
    }
    if (auto *bar = qobject_cast<QTabBar *>(o)) {
        if (!qobject_cast<QTabWidget *>(bar->parent())) {
            for (int i = 0; i < bar->count(); ++i)
                put(QStringLiteral("tab %1").arg(i), bar->tabText(i));
        }
    }
}

Snapshot snapshot()
{
    Snapshot snap;
    for (const QString &name : allWindows) {
        QWidget *window = windowNamed(name);
        if (!window)
            continue;
        addTexts(snap, name + QStringLiteral("/"), window);
        for (QObject *o : window->findChildren<QObject *>()) {
            if (!o->objectName().isEmpty() && !o->objectName().startsWith(QLatin1String("qt_")))
                addTexts(snap, name + QLatin1Char('/') + o->objectName(), o);
        }
    }
    return snap;
}

// The snapshot keys a row may change.
QStringList keysOf(const TextRow &row)
{
    const QString window = QLatin1String(row.window);
    const QString control = QLatin1String(row.control);
    const QString kind = QLatin1String(row.kind);
    const QString prefix = window + QLatin1Char('/') + control + QLatin1Char('.');
    if (kind == "window")
        return {window + QStringLiteral("/.windowTitle")};
    if (kind == "label")
        return {window + QLatin1Char('/') + control + QStringLiteral("Label.text")};
    if (kind == "hint")
        return {prefix + "toolTip", prefix + "statusTip"};
    if (kind == "list") {
        QStringList keys{prefix + "list"};
        for (int i = 0; i < 32; ++i)
            keys << prefix + QStringLiteral("item %1").arg(i);
        return keys;
    }
    if (kind.startsWith("item ")) {
        QStringList keys{prefix + kind, prefix + "list"};
        if (QObject *c = controlOf(row)) {
            const auto buttons = radioButtons(c);
            const int n = kind.mid(5).toInt();
            if (n < buttons.size())
                keys << window + QLatin1Char('/') + buttons[n]->objectName() + QStringLiteral(".text");
        }
        return keys;
    }
    if (kind.startsWith("tab ")) {
        QStringList keys{prefix + kind};
        if (auto *tabs = qobject_cast<QTabWidget *>(controlOf(row)))
            keys << window + QLatin1Char('/') + tabs->tabBar()->objectName() + QLatin1Char('.') + kind;
        else if (QTabBar *bar = tabBarOf(controlOf(row)))
            keys << window + QLatin1Char('/') + bar->objectName() + QLatin1Char('.') + kind;
        return keys;
    }
    QStringList keys{prefix + "text", prefix + "title", prefix + "toolTip", prefix + "iconText"};
    if (auto *page = qobject_cast<QWidget *>(controlOf(row))) {
        const auto [tabs, index] = tabOf(page);
        if (tabs)
            keys << window + QLatin1Char('/') + tabs->objectName() + QStringLiteral(".tab %1").arg(index);
    }
    // A menu item shows its action's text.
    if (auto *action = qobject_cast<QAction *>(controlOf(row))) {
        for (QObject *o : windowNamed(window)->findChildren<QAction *>()) {
            auto *item = static_cast<QAction *>(o);
            if (item != action && item->text() == action->text() && !item->objectName().isEmpty())
                keys << window + QLatin1Char('/') + item->objectName() + QStringLiteral(".text")
                     << window + QLatin1Char('/') + item->objectName() + QStringLiteral(".toolTip")
                     << window + QLatin1Char('/') + item->objectName() + QStringLiteral(".iconText");
        }
    }
    return keys;
}

void expectEveryRowEnglish(const QString &context, const QStringList &except = {})
{
    for (const TextRow &row : englishTexts) {
        if (except.contains(QLatin1String(row.control)))
            continue;
        EXPECT_EQ(shownText(row), QString::fromUtf8(row.text))
            << context.toStdString() << ": " << row.window << "/" << row.control << " " << row.kind;
    }
}

// Only CreateForms, so a test sees the design-time texts first.
class CreatedProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProjectFileName.clear();
        ProjectDir.clear();
        CreateForms();
    }
    void TearDown() override { DestroyForms(); }
};

} // namespace

TEST_F(CreatedProgram, EveryRowIsEnglishRightAfterStartUpAndAgainAfterMarkers)
{
    SetEnglishCaptions();
    expectEveryRowEnglish("after start-up");

    // A marker in every listed text: a missing assignment shows even where German and English agree.
    for (const TextRow &row : englishTexts) {
        QObject *c = controlOf(row);
        const QString kind = QLatin1String(row.kind);
        const QString marker = QStringLiteral("#marker#");
        QWidget *window = windowNamed(row.window);
        if (kind == "window")
            window->setWindowTitle(marker);
        else if (kind == "label") {
            if (auto *label = window->findChild<QLabel *>(QLatin1String(row.control) + QStringLiteral("Label")))
                label->setText(marker);
        } else if (kind == "hint") {
            if (auto *w = qobject_cast<QWidget *>(c)) {
                w->setToolTip(marker);
                w->setStatusTip(marker);
            }
        } else if (kind == "list" || kind.startsWith("item ")) {
            if (auto *combo = qobject_cast<QComboBox *>(c)) {
                for (int i = 0; i < combo->count(); ++i)
                    combo->setItemText(i, marker);
            } else if (c) {
                for (QAbstractButton *b : radioButtons(c))
                    b->setText(marker);
            }
        } else if (kind.startsWith("tab ")) {
            if (auto *tabs = qobject_cast<QTabWidget *>(c)) {
                for (int i = 0; i < tabs->count(); ++i)
                    tabs->setTabText(i, marker);
            } else if (QTabBar *bar = tabBarOf(c)) {
                for (int i = 0; i < bar->count(); ++i)
                    bar->setTabText(i, marker);
            }
        } else if (auto *action = qobject_cast<QAction *>(c))
            action->setText(marker);
        else if (auto *menu = qobject_cast<QMenu *>(c))
            menu->setTitle(marker);
        else if (auto *button = qobject_cast<QAbstractButton *>(c))
            button->setText(marker);
        else if (auto *label = qobject_cast<QLabel *>(c))
            label->setText(marker);
        else if (auto *group = qobject_cast<QGroupBox *>(c))
            group->setTitle(marker);
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(c))
            memo->setPlainText(marker);
        else if (auto *page = qobject_cast<QWidget *>(c)) {
            const auto [tabs, index] = tabOf(page);
            if (tabs)
                tabs->setTabText(index, marker);
        }
    }
    SetEnglishCaptions();
    expectEveryRowEnglish("after the markers");
}

TEST_F(CreatedProgram, NothingButTheTableChanges)
{
    const Snapshot before = snapshot();
    SetEnglishCaptions();
    const Snapshot after = snapshot();

    QSet<QString> covered;
    for (const TextRow &row : englishTexts) {
        for (const QString &key : keysOf(row))
            covered.insert(key);
    }
    for (const auto &[key, value] : after) {
        const auto old = before.find(key);
        const bool changed = old == before.end() || old->second != value;
        if (changed) {
            EXPECT_TRUE(covered.contains(key)) << "changed outside the table: " << key.toStdString() << " = "
                                               << value.toStdString();
        }
    }
}

TEST_F(CreatedProgram, TheSearchTimeListKeepsOneMinuteSelected)
{
    auto *times = fmQuery->findChild<QComboBox *>("cbMaxSearchTime");
    ASSERT_NE(times, nullptr);
    const int before = times->currentIndex();
    SetEnglishCaptions();
    EXPECT_EQ(times->currentIndex(), before);
    EXPECT_EQ(times->currentText(), "1 Minute");
}

TEST_F(CreatedProgram, WindowsOutsideTheTableKeepTheirGermanTexts)
{
    SetEnglishCaptions();
    EXPECT_EQ(AboutBox->windowTitle(), "Info");
    EXPECT_EQ(fmFehlerkorrektur->windowTitle(), "fmFehlerkorrektur");
    EXPECT_EQ(fmFehlerkorrektur->findChild<QAbstractButton *>("Button1")->text(), "Projektdateien aktualisieren ");
    EXPECT_EQ(fmMain->findChild<QAbstractButton *>("sbContact")->text(),
              "Kontakt (Fehler melden, Verbesserungsvorschläge ...)");
    EXPECT_EQ(fmMain->findChild<QWidget *>("sbTimeTableInformation")->toolTip(), "Fahrplanauskunft starten");
    for (const char *label : {"rot:", "grün:", "blau:", "Hex:"}) {
        bool found = false;
        for (QLabel *l : fmEditLines->findChildren<QLabel *>())
            found = found || l->text() == QString::fromUtf8(label);
        EXPECT_TRUE(found) << label;
    }
}

// Each window that a main-window command opens is shown once and closed again without
// blocking, with the handbook's sample project open: the texts still hold.
TEST_F(CreatedProgram, TextsHoldAfterEachWindowWasShown)
{
    SetEnglishCaptions();
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    const QString sample = QStringLiteral(KORVALIN_RESOURCES_DIR "/../docs/handbook/sample");
    for (const QString &name : QDir(sample).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(sample + "/" + name, dir.filePath(name)));
    fmMain->LoadProject(dir.filePath("Musterstadt.ppr"));
    ASSERT_FALSE(ProjectFileName.isEmpty());
    dialogs.messages.clear();

    for (QWidget *window : {static_cast<QWidget *>(fmEditProject), static_cast<QWidget *>(fmEditStations),
                            static_cast<QWidget *>(fmEditLines), static_cast<QWidget *>(fmEditLineStations),
                            static_cast<QWidget *>(fmEditTimeTable), static_cast<QWidget *>(fmQuery),
                            static_cast<QWidget *>(fmEditLineNetworkPlans), static_cast<QWidget *>(fmCreateWebsite),
                            static_cast<QWidget *>(AboutBox)}) {
        window->show();
        QApplication::processEvents();
        window->hide();
        QApplication::processEvents();
    }
    expectEveryRowEnglish("after showing the windows", {"lLineName"});
}

namespace {

template <class T = QWidget> T *control(QObject *form, const char *name)
{
    return namedControl<T>(form, name);
}

} // namespace

TEST_F(StartedProgram, HelpMenuItemsShowTheirActionsTexts)
{
    EXPECT_EQ(control<QAction>(fmMain, "Handbuch1")->text(), "Manual");
    EXPECT_EQ(control<QAction>(fmMain, "Handbuch2")->text(), "Website");
    EXPECT_EQ(control<QAction>(fmMain, "Info1")->text(), "Information");
}

TEST_F(StartedProgram, SixToolBarHintsAreEnglishTheOthersStayGerman)
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

TEST_F(StartedProgram, AMenuItemKeepsItsOwnTextWhenItsActionChangesOtherwise)
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

