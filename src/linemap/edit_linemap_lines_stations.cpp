// Station mode of the plan drawing editor: placing the stops of one line on its course.

#include "linemap/edit_linemap_lines.h"

#include "data/project_change.h"

#include <QPainter>
#include <QSignalBlocker>

#include <algorithm>
#include <optional>

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "linemap/line_course.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_render.h"
#include "linemap/station_placement.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "widgets/line_edit_filters.h"

namespace {

// The plan's station files that station mode writes on Save, each reported on its own.
struct PlanFile
{
    bool (*save)(int LineMapID);
    LineMapTable table;
};
const PlanFile kStationFiles[] = {{&SaveLineMapStations, LineMapTable::Stations},
                                  {&SaveLineMapIndividualStationPrefs, LineMapTable::StationNames},
                                  {&SaveLineMapIndividualMultiStationPrefs, LineMapTable::TransferNames}};

// The cursor on a stop's point: its section becomes current as a section click makes it, but
// the cursor stays where the stop stands.
void cursorOnStop(TLineMapEditorState &State, int Section, int X, int Y)
{
    SelectSection(State, Section);
    State.CursorX = X;
    State.CursorY = Y;
}

} // namespace

void TfmEditLineMapLines::ConnectModeHandlers()
{
    using W = TfmEditLineMapLines;
    connect(bbEditStations, &QPushButton::clicked, this, &W::bbEditStationsClick);
    connectListClick(lbStations, &W::lbStationsClick);
    connect(rbStationOn, &QRadioButton::clicked, this, &W::rbStationOnClick);
    connect(rbStationOff, &QRadioButton::clicked, this, &W::rbStationOffClick);
    connectListClick(lbLineSections2, &W::lbLineSections2Click);
    connect(bbStationsDeleteAll, &QPushButton::clicked, this, &W::bbStationsDeleteAllClick);
    connect(bbStationsArrange, &QPushButton::clicked, this, &W::bbStationsArrangeClick);
    connect(bbSaveStation, &QPushButton::clicked, this, &W::bbSaveStationClick);
    connect(bbCancelStations, &QPushButton::clicked, this, &W::bbCancelStationsClick);
    // The tab bar tells only the new tab; the panel still shows the old one's scope until then.
    connect(tcIndividualPropertiesTabs, &QTabBar::currentChanged, this, [this](int Index) {
        tcIndividualPropertiesChanging();
        m_stationTab = Index < 0 ? 0 : Index;
        tcIndividualPropertiesChange();
    });
    connect(cbStationDefaultProperties, &QCheckBox::clicked, this, &W::cbStationDefaultPropertiesMouseUp);
    connect(cbStationTextPosition, &QComboBox::activated, this, &W::cbStationTextPositionChange);
    connect(eStationTextDistanceH, &QLineEdit::editingFinished, this, &W::eStationTextDistanceHExit);
    connect(eStationTextDistanceV, &QLineEdit::editingFinished, this, &W::eStationTextDistanceVExit);

    connect(bbEditMultiStations, &QPushButton::clicked, this, &W::bbEditMultiStationsClick);
    connectListClick(lbMultiStations, &W::lbMultiStationsClick);
    connect(cbMultiStationDefaultProperties, &QCheckBox::clicked, this, &W::cbMultiStationDefaultPropertiesMouseUp);
    connect(cbMultiStationPosition, &QComboBox::activated, this, &W::cbMultiStationPositionChange);
    connect(cbMultiStationAlign, &QComboBox::activated, this, &W::cbMultiStationAlignChange);
    connect(cbMultiStationDirection, &QComboBox::activated, this, &W::cbMultiStationDirectionChange);
    connect(eMultiStationTextDistanceH, &QLineEdit::editingFinished, this, &W::eMultiStationTextDistanceHExit);
    connect(eMultiStationTextDistanceV, &QLineEdit::editingFinished, this, &W::eMultiStationTextDistanceVExit);
    connect(bbSaveMultiStations, &QPushButton::clicked, this, &W::bbSaveMultiStationsClick);
    connect(bbCancelMultiStations, &QPushButton::clicked, this, &W::bbCancelMultiStationsClick);

    connect(bbEditLineText, &QPushButton::clicked, this, &W::bbEditLineTextClick);
    connect(cbLineTextVisibleDefaultProperties, &QCheckBox::clicked, this,
            &W::cbLineTextVisibleDefaultPropertiesClick);
    connect(cbLineTextVisibleStart, &QCheckBox::clicked, this, &W::cbLineTextVisibleStartClick);
    connect(cbLineTextVisibleEnd, &QCheckBox::clicked, this, &W::cbLineTextVisibleEndClick);
    connect(cbLineTextColorDefaultProperties, &QCheckBox::clicked, this, &W::cbLineTextColorDefaultPropertiesClick);
    connect(cbLineTextDefaultLineColor, &QCheckBox::clicked, this, &W::cbLineTextDefaultLineColorMouseUp);
    connect(cbLineTextDefaultLineBackgroundColor, &QCheckBox::clicked, this,
            &W::cbLineTextDefaultLineBackgroundColorMouseUp);
    connect(cobLineTextColor, &ColorBox::colorChanged, this, &W::cobLineTextColorChange);
    connect(cobLineTextBackgroundColor, &ColorBox::colorChanged, this, &W::cobLineTextBackgroundColorChange);
    connect(cbLineTextPosition, &QComboBox::activated, this, &W::cbLineTextPositionChange);
    connect(cbLineTextNoChange, &QCheckBox::clicked, this, &W::cbLineTextNoChangeClick);
    connect(eLineTextDistanceH, &QLineEdit::editingFinished, this, &W::eLineTextDistanceHExit);
    connect(eLineTextDistanceV, &QLineEdit::editingFinished, this, &W::eLineTextDistanceVExit);
    connect(btSaveLineText, &QPushButton::clicked, this, &W::btSaveLineTextClick);
    connect(btCancelLineText, &QPushButton::clicked, this, &W::btCancelLineTextClick);

    for (QLineEdit *edit : {eStationTextDistanceH, eStationTextDistanceV, eMultiStationTextDistanceH,
                            eMultiStationTextDistanceV, eLineTextDistanceH, eLineTextDistanceV})
        installKeyFilter(edit, KeyFilterKind::Integer);
}

// ---------------------------------------------------------------- shared by the line modes

bool TfmEditLineMapLines::takeModeLine()
{
    if (!TakeSelectedLine())
        return false;
    TLineMapLineRow row;
    if (!ReadLineMapLineRow(State.LineMapID, State.CurrentLineID, row)) {
        // The window stays idle: nothing of the mode is left set.
        State.CurrentLineID = -1;
        dialogs().showMessage(QStringLiteral("Line has not been created"));
        return false;
    }
    State.LineColor = row.DefaultColor ? GetLineColor(State.Prefs, State.CurrentLineID) : row.Color;
    State.LineWidth = row.DefaultWidth ? State.Prefs.LineDrawWidth : row.DrawWidth;
    return true;
}

void TfmEditLineMapLines::selectStationRow(QListWidget *List, int Row)
{
    // Only the selection follows; the list's own handler is for the user's clicks.
    const QSignalBlocker block(List);
    List->setCurrentRow(Row >= 0 && Row < List->count() ? Row : -1);
}

// ---------------------------------------------------------------- station mode

void TfmEditLineMapLines::bbEditStationsClick()
{
    if (!takeModeLine())
        return;
    State.StationMode = true;
    State.StationMoveCursor = false;
    LoadLineCourse(State);
    State.TotalLength = ComputeSectionLengths(State.Sections);
    {
        const QSignalBlocker block(lbLineSections2);
        lbLineSections2->clear();
        for (int i = 1; i <= int(State.Sections.size()); ++i)
            lbLineSections2->addItem(QString::number(i));
    }
    State.Stations = BuildLineStops(State.CurrentLineID, State.Sections);
    {
        const QSignalBlocker block(lbStations);
        lbStations->clear();
        for (const TLineStation &stop : State.Stations)
            lbStations->addItem(stop.StationName);
    }
    State.CurrentGroupID = 1;
    State.CurrentStationIndex = -1;
    State.CurrentStationID = -1;
    State.CurrentSectionIndex = State.Sections.empty() ? -1 : 0;
    // A line without stops opens with nothing current and the panel hidden.
    if (!State.Stations.empty()) {
        const TLineStation &stop = State.Stations.front();
        State.CurrentStationIndex = 0;
        State.CurrentStationID = stop.StationID;
        if (stop.On)
            State.CurrentSectionIndex = stop.LineSectionID - 1;
    }
    selectStationRow(lbStations, State.CurrentStationIndex);
    selectStationRow(lbLineSections2, State.CurrentSectionIndex);
    if (lbStepSize2->currentRow() < 0)
        lbStepSize2->setCurrentRow(0);
    lbStepSize2Click();

    const bool placed = State.CurrentStationIndex >= 0 && State.Stations[State.CurrentStationIndex].On;
    if (placed) {
        const TLineStation &stop = State.Stations[State.CurrentStationIndex];
        cursorOnStop(State, State.CurrentSectionIndex, stop.XPos, stop.YPos);
    } else {
        State.Degree = State.CurrentSectionIndex >= 0 ? std::int16_t(State.Sections[0].Degree) : std::int16_t(-1);
    }
    m_stationTab = tcIndividualPropertiesTabs->currentIndex() < 0 ? 0 : tcIndividualPropertiesTabs->currentIndex();
    State.StationMoveCursor = placed; // the whole redraw of the entry draws the cursor with it
    ShowLineHeader();
    EnterMode(tsStationPrefs);
    showStopPlaced(placed);
}

// "On" with the panel and cursor, or "Off" without them.
void TfmEditLineMapLines::showStopPlaced(bool Placed)
{
    rbStationOn->setChecked(Placed);
    rbStationOff->setChecked(!Placed);
    if (Placed)
        ShowStationTextPrefs();
    else
        tcIndividualProperties->hide();
}

void TfmEditLineMapLines::setDownCurrentStop()
{
    const int i = State.CurrentStationIndex;
    if (i < 0 || i >= int(State.Stations.size()) || State.CurrentSectionIndex < 0)
        return;
    TLineStation &stop = State.Stations[i];
    stop.LineSectionID = State.CurrentSectionIndex + 1;
    stop.XPos = State.CursorX;
    stop.YPos = State.CursorY;
}

void TfmEditLineMapLines::lbStationsClick()
{
    const int row = lbStations->currentRow();
    if (!State.StationMode || row < 0 || row >= int(State.Stations.size()))
        return;
    if (State.StationMoveCursor) {
        setDownCurrentStop();
        StationCursorOff(State);
    }
    State.CurrentStationIndex = row;
    const TLineStation &stop = State.Stations[row];
    State.CurrentStationID = stop.StationID;
    const bool placed = stop.On && stop.LineSectionID >= 1 && stop.LineSectionID <= int(State.Sections.size());
    if (placed) {
        cursorOnStop(State, stop.LineSectionID - 1, stop.XPos, stop.YPos);
        selectStationRow(lbLineSections2, State.CurrentSectionIndex);
    } else {
        selectStationRow(lbLineSections2, -1);
    }
    State.StationMoveCursor = placed;
    showStopPlaced(placed);
    RedrawWhole();
}

void TfmEditLineMapLines::rbStationOnClick()
{
    const int i = State.CurrentStationIndex;
    if (!State.StationMode || i < 0 || i >= int(State.Stations.size()) || State.Sections.empty()) {
        // Nothing to place (no stop, or no course): the buttons keep showing "Off".
        showStopPlaced(i >= 0 && i < int(State.Stations.size()) && State.Stations[i].On);
        return;
    }
    TLineStation &stop = State.Stations[i];
    if (stop.On)
        return;
    int section = lbLineSections2->currentRow();
    if (section < 0 || section >= int(State.Sections.size()))
        section = 0; // no section selected (an unplaced stop selects none): the first
    SelectSection(State, section);
    selectStationRow(lbLineSections2, section);
    stop.On = true;
    stop.LineSectionID = section + 1;
    stop.XPos = State.CursorX;
    stop.YPos = State.CursorY;
    State.StationMoveCursor = true;
    showStopPlaced(true);
    RedrawWhole();
}

void TfmEditLineMapLines::rbStationOffClick()
{
    const int i = State.CurrentStationIndex;
    if (!State.StationMode || i < 0 || i >= int(State.Stations.size())) {
        rbStationOff->setChecked(true);
        return;
    }
    TLineStation &stop = State.Stations[i];
    if (!stop.On)
        return;
    stop.On = false;
    stop.LineSectionID = stop.XPos = stop.YPos = -1;
    State.StationMoveCursor = false;
    showStopPlaced(false);
    RedrawWhole();
}

void TfmEditLineMapLines::lbLineSections2Click()
{
    const int section = lbLineSections2->currentRow();
    if (!State.StationMode || !State.StationMoveCursor || section < 0 || section >= int(State.Sections.size()))
        return;
    SelectSection(State, section);
    setDownCurrentStop();
    ShowStationTextPrefs();
    RedrawWhole();
}

void TfmEditLineMapLines::bbStationsDeleteAllClick()
{
    if (!State.StationMode)
        return;
    if (State.StationMoveCursor)
        setDownCurrentStop();
    State.StationMoveCursor = false;
    // Section and point stay in memory; an unplaced stop is not saved.
    for (TLineStation &stop : State.Stations)
        stop.On = false;
    showStopPlaced(false);
    RedrawWhole();
}

void TfmEditLineMapLines::bbStationsArrangeClick()
{
    if (!State.StationMode || State.Stations.empty() || State.Sections.empty())
        return;
    if (State.StationMoveCursor)
        StationCursorOff(State);
    // The areas of the two red names with a margin of 10, in plan coordinates: a course point
    // may lie anywhere in the integer range.
    struct NameArea {
        PlanInt left, top, right, bottom;
    };
    std::optional<NameArea> startName;
    std::optional<NameArea> endName;
    if (!State.Picture.isNull()) {
        // The two end names in red, so that the user sees which way the stops would run.
        QPainter canvas(&State.Picture);
        BeginPlanPainter(canvas);
        FontValue font = State.Prefs.StationFont;
        font.size = 10;
        canvas.setFont(PlanFont(font));
        SetPlanPen(canvas, 0x0000FF, 1);
        SetPlanBrush(canvas, 0x0000FF);
        auto write = [&](int x, int y, const QString &name) {
            const QSize extent = PlanTextExtent(canvas.font(), name);
            PlanFillRect(canvas, x, y, PlanInt(x) + extent.width(), PlanInt(y) + extent.height());
            SetPlanPen(canvas, State.Prefs.StationFont.color, 1);
            PlanTextOut(canvas, x, y, name);
        };
        write(State.Sections.front().StartX, State.Sections.front().StartY, State.Stations.front().StationName);
        write(State.Sections.back().EndX, State.Sections.back().EndY, State.Stations.back().StationName);
        SetPlanPen(canvas, 0x000000, 1);
        auto area = [&](PlanInt x, PlanInt y, const QString &name) {
            const QSize extent = PlanTextExtent(canvas.font(), name);
            return NameArea{x - 10, y - 10, x + extent.width() - 1 + 10, y + extent.height() - 1 + 10};
        };
        startName =
            area(State.Sections.front().StartX, State.Sections.front().StartY, State.Stations.front().StationName);
        endName = area(State.Sections.back().EndX, State.Sections.back().EndY, State.Stations.back().StationName);
    }
    ShowPicture();
    // The question is about the two red names: both are in view while it is asked, or the
    // first stop's when the two lie too far apart.
    if (startName && endName) {
        const NameArea both{std::min(startName->left, endName->left), std::min(startName->top, endName->top),
                            std::max(startName->right, endName->right), std::max(startName->bottom, endName->bottom)};
        const QSize room = sbPreview->viewport()->size();
        const bool fits = both.right - both.left + 1 <= room.width() && both.bottom - both.top + 1 <= room.height();
        const NameArea &shown = fits ? both : *startName;
        showPlanArea(shown.left, shown.top, shown.right, shown.bottom);
    }
    const bool reverse = dialogs().askYesNo(QStringLiteral("change direction?"));
    const TDistributionStart first =
        DistributeStops(State.Sections, State.TotalLength, State.Stations, RasterWidth(State.Prefs), reverse);
    if (first.StationIndex >= 0) {
        State.CurrentStationIndex = first.StationIndex;
        State.CurrentStationID = State.Stations[first.StationIndex].StationID;
        cursorOnStop(State, first.SectionIndex, first.X, first.Y);
        selectStationRow(lbStations, first.StationIndex);
        selectStationRow(lbLineSections2, first.SectionIndex);
        State.StationMoveCursor = true;
        showStopPlaced(true);
    } else {
        // Nothing was left to place: the current stop, when placed, keeps its cursor, so the
        // direction buttons and the section list still move it.
        const int i = State.CurrentStationIndex;
        State.StationMoveCursor = i >= 0 && i < int(State.Stations.size()) && State.Stations[i].On &&
                                  State.CurrentSectionIndex >= 0 &&
                                  State.CurrentSectionIndex < int(State.Sections.size());
    }
    RedrawWhole();
}

// Emptied on the way out, without their handlers: they would move the stop.
void TfmEditLineMapLines::clearStationLists()
{
    const QSignalBlocker b1(lbLineSections2);
    const QSignalBlocker b2(lbStations);
    lbLineSections2->clear();
    lbStations->clear();
}

void TfmEditLineMapLines::bbSaveStationClick()
{
    if (!State.StationMode)
        return;
    // A file of the plan that could not be read is not written over; the mode stays.
    auto file = [&](const PlanFile &f) { return LineMapTableFile(f.table, State.LineMapID); };
    if (RefuseDamagedFiles({file(kStationFiles[0]), file(kStationFiles[1]), file(kStationFiles[2])}))
        return;
    DeleteLineMapStationsOfLine(State.CurrentLineID);
    for (const TLineStation &stop : State.Stations) {
        if (stop.On && !AddLineMapStation(State.CurrentLineID, stop.LineSectionID, stop.StationID, stop.XPos,
                                          stop.YPos)) {
            dialogs().showMessage(QStringLiteral("Error creating station entries"));
            return;
        }
    }
    ProjectChange change;
    change.keepTablesOnUndo();
    for (const PlanFile &f : kStationFiles) {
        ansi::setLastWriteError(QString());
        if (!f.save(State.LineMapID)) {
            // A failed write keeps the mode with its placements, and nothing of it is written:
            // the save can be tried again, and Cancel reads the files back.
            change.finish(false);
            dialogs().showMessage(ansi::withWriteReason(
                QStringLiteral("Error saving the file %1").arg(LineMapTableFile(f.table, State.LineMapID).fileName)));
            return;
        }
    }
    if (!FinishModeSave(change))
        return;
    State.StationMoveCursor = false;
    clearStationLists();
    LeaveMode();
}

void TfmEditLineMapLines::bbCancelStationsClick()
{
    if (!State.StationMode)
        return;
    State.StationMoveCursor = false;
    clearStationLists();
    // Only what is stored is drawn afterwards; name placements changed here are dropped.
    LoadLineMapStations(State.LineMapID);
    LoadLineMapIndividualStationPrefs(State.LineMapID);
    LeaveMode();
}
