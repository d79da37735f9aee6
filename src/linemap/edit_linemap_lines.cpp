#include "linemap/edit_linemap_lines.h"

#include "data/project_change.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabBar>

#include "data/db_func.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/line_course.h"
#include "linemap/linemap_canvas.h"
#include "linemap/linemap_export.h"
#include "linemap/linemap_open.h"
#include "linemap/linemap_render.h"
#include "linemap/plan_style_rules.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"
#include "widgets/line_edit_filters.h"

#include <algorithm>

TfmEditLineMapLines *fmEditLineMapLines = nullptr;

TfmEditLineMapLines::TfmEditLineMapLines(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setObjectName(QStringLiteral("fmEditLineMapLines"));
    tcIndividualPropertiesTabs->addTab(QStringLiteral("Aktuelle Haltestelle"));
    tcIndividualPropertiesTabs->addTab(QStringLiteral("Aktueller Abschnitt"));
    tcIndividualPropertiesTabs->addTab(QStringLiteral("Abschnitte gleicher Ausrichtung"));
    installKeyFilter(eLineWidth, KeyFilterKind::Digit);
    iPreview->installEventFilter(this);

    using W = TfmEditLineMapLines;
    connect(bbEditLine, &QPushButton::clicked, this, &W::bbEditLineClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::close);
    // Each angle's handler serves the button of that angle on the line and the station page.
    const std::pair<QPushButton *, QPushButton *> pads[] = {{bbDir0, BitBtn2},   {bbDir45, BitBtn3},
                                                            {bbDir90, BitBtn4},  {bbDir135, BitBtn5},
                                                            {bbDir180, BitBtn6}, {bbDir225, BitBtn7},
                                                            {bbDir270, BitBtn8}, {bbDir315, BitBtn1}};
    void (W::*const handlers[])() = {&W::bbDir0Click,   &W::bbDir45Click,  &W::bbDir90Click,  &W::bbDir135Click,
                                     &W::bbDir180Click, &W::bbDir225Click, &W::bbDir270Click, &W::bbDir315Click};
    for (int i = 0; i < 8; ++i) {
        connect(pads[i].first, &QPushButton::clicked, this, handlers[i]);
        connect(pads[i].second, &QPushButton::clicked, this, handlers[i]);
    }
    connect(pcPrefs, &QTabWidget::currentChanged, this, &W::fitModePanel);
    connect(bbLineDrawOnOff, &QPushButton::clicked, this, &W::bbLineDrawOnOffClick);
    connectListClick(lbStepSize1, &W::lbStepSize1Click);
    connectListClick(lbStepSize2, &W::lbStepSize2Click);
    connect(cbShowRaster, &QCheckBox::clicked, this, &W::cbShowRasterClick);
    connect(cbShowImage, &QCheckBox::clicked, this, &W::cbShowImageClick);
    connect(cbShowLines, &QCheckBox::clicked, this, &W::cbShowLinesClick);
    connect(cbShowStations, &QCheckBox::clicked, this, &W::cbShowStationsClick);
    connect(cbShowMultipleStations, &QCheckBox::clicked, this, &W::cbShowMultipleStationsClick);
    connect(cobLineColor, &ColorBox::colorChanged, this, &W::cobLineColorChange);
    connect(cbLineDefaultColor, &QCheckBox::clicked, this, &W::cbLineDefaultColorClick);
    connect(cbLineDefaultWidth, &QCheckBox::clicked, this, &W::cbLineDefaultWidthClick);
    connect(eLineWidth, &QLineEdit::editingFinished, this, &W::eLineWidthExit);
    connect(cobVehicleColor, &ColorBox::colorChanged, this, &W::cobVehicleColorChange);
    connect(cbVehicleDefaultColor, &QCheckBox::clicked, this, &W::cbVehicleDefaultColorClick);
    connect(bbDeleteAllSections, &QPushButton::clicked, this, &W::bbDeleteAllSectionsClick);
    connect(bbSaveLine, &QPushButton::clicked, this, &W::bbSaveLineClick);
    connect(bbCancelLine, &QPushButton::clicked, this, &W::bbCancelLineClick);

    ConnectModeHandlers();
    FormCreate();
}

TfmEditLineMapLines::~TfmEditLineMapLines()
{
    LineMapFormDestroy(State);
}

void TfmEditLineMapLines::FormCreate()
{
    LineMapFormCreate(State);
    cbMultiStationPosition->clear();
    cbMultiStationPosition->addItems(MultiStationPositionItems());
    cbMultiStationAlign->clear();
    cbMultiStationAlign->addItems(MultiStationAlignItems());
    cbMultiStationDirection->clear();
    cbMultiStationDirection->addItems(
        {QStringLiteral("horizontal"), QStringLiteral("diagonal"), QStringLiteral("vertical")});
    pcPrefs->tabBar()->hide();
    pcPrefs->setCurrentWidget(tsEmptyPrefs);
    gbShow->hide();
    shapeLineColor->hide();
    // The controls that the modes hide and show keep their room, so that the buttons around
    // them do not move under the mouse between two clicks.
    for (QWidget *w : std::initializer_list<QWidget *>{
             bbDeleteAllSections, bbSaveLine, bbCancelLine, tcIndividualProperties, lStationTextPosition,
             cbStationTextPosition, lStationTextDistanceH, lStationTextDistanceHPixel, eStationTextDistanceH,
             lStationTextDistanceV, lStationTextDistanceVPixel, eStationTextDistanceV, lMultiStationPosition,
             cbMultiStationPosition, lMultiStationAlign, cbMultiStationAlign, lMultiStationDirection,
             cbMultiStationDirection, lMultiStationTextDistanceH, lMultiStationTextDistanceHPixel,
             eMultiStationTextDistanceH, lMultiStationTextDistanceV, lMultiStationTextDistanceVPixel,
             eMultiStationTextDistanceV, lLineTextColor, cobLineTextColor, lLineTextBackgroundColor,
             cobLineTextBackgroundColor}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    // The name panel's three tabs are shown whole rather than behind scroll arrows.
    tcIndividualPropertiesTabs->setUsesScrollButtons(false);
    tcIndividualPropertiesTabs->setElideMode(Qt::ElideNone);
    fitModePanel();
    ShowPicture();
}

// ---------------------------------------------------------------- opening and closing

void TfmEditLineMapLines::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfmEditLineMapLines::FormShow()
{
    const QString plan = fmEditLineNetworkPlans ? fmEditLineNetworkPlans->SelectedLineMapName() : QString();
    LineMapFormShow(State, plan);
    lbLines->clear();
    lbLines->addItems(LineMapLineNames());
    if (lbLines->count() > 0)
        lbLines->setCurrentRow(0);
    lbLines->setEnabled(true);
    showModeButtons(true);
    gbShow->hide();
    shapeLineColor->hide();
    lLineName->clear();
    pcPrefs->tabBar()->hide();
    pcPrefs->setCurrentWidget(tsEmptyPrefs);
    ShowPicture();
}

bool TfmEditLineMapLines::FormCloseQuery()
{
    return lbLines->isEnabled();
}

// Escape, the title bar and btClose all come here.
void TfmEditLineMapLines::reject()
{
    if (FormCloseQuery())
        QDialog::reject();
}

bool TfmEditLineMapLines::ExportLineMapImage()
{
    // A picture drawn without the rows of a file that could not be read (reported when it was
    // loaded) would replace the plan's image with a wrong one; the old image stays.
    if (LineMapDataDamaged(State))
        return false;
    return ::ExportLineMapImage(State);
}

// ---------------------------------------------------------------- modes in common

bool TfmEditLineMapLines::TakeSelectedLine()
{
    const QListWidgetItem *item = lbLines->currentItem();
    State.CurrentLineID = item ? GetLineIDByName(item->text()) : -1;
    return State.CurrentLineID != -1;
}

void TfmEditLineMapLines::ShowLineHeader()
{
    const QListWidgetItem *item = lbLines->currentItem();
    lLineName->setText(QStringLiteral("Line: ") + (item ? item->text() : QString()));
    showLineColor();
    shapeLineColor->show();
}

void TfmEditLineMapLines::showLineColor()
{
    QPalette palette = shapeLineColor->palette();
    palette.setColor(QPalette::Window, PlanColor(State.LineColor));
    shapeLineColor->setPalette(palette);
}

void TfmEditLineMapLines::showModeButtons(bool Shown)
{
    for (QWidget *button : {bbEditLine, bbEditLineText, bbEditStations, bbEditMultiStations})
        button->setVisible(Shown);
}

void TfmEditLineMapLines::readShowFlags()
{
    State.ShowRaster = cbShowRaster->isChecked();
    State.ShowImage = cbShowImage->isChecked();
    State.ShowLines = cbShowLines->isChecked();
    State.ShowStations = cbShowStations->isChecked();
    State.ShowMultiStations = cbShowMultipleStations->isChecked();
}

void TfmEditLineMapLines::EnterMode(QWidget *Page)
{
    showModeButtons(false);
    lbLines->setEnabled(false);
    gbShow->show();
    readShowFlags();
    RedrawWhole();
    pcPrefs->setCurrentWidget(Page);
}

namespace {

// The plan as it is shown outside the modes: everything on, no line or stop being edited.
void setPlanView(TLineMapEditorState &s)
{
    s.CurrentLineID = -1;
    s.CurrentStationID = -1;
    s.ShowRaster = false;
    s.ShowImage = s.ShowLines = s.ShowStations = s.ShowMultiStations = true;
    s.LineMode = s.StationMode = false;
    s.DrawingOn = s.StationMoveCursor = false;
    s.Sections.clear();
    s.Connections.clear();
    s.Stations.clear();
    s.MultiStations.clear();
    s.CurrentSectionIndex = s.CurrentStationIndex = s.CurrentMultiStationIndex = -1;
}

} // namespace

bool TfmEditLineMapLines::ExportSavedModeImage()
{
    if (LineMapDataDamaged(State))
        return true; // the old image stays, as ExportLineMapImage leaves it
    // Drawn as the plan looks once the mode is left, while the mode and its edits still stand
    // for a save that fails.
    TLineMapEditorState shown = State;
    setPlanView(shown);
    Redraw(shown);
    return ::ExportLineMapImage(shown);
}

bool TfmEditLineMapLines::FinishModeSave(ProjectChange &Change)
{
    // The mode's files and the plan image are one change; a failure keeps the mode with its
    // edits in memory for another try (the modes that edit the tables themselves keep them).
    if (!ExportSavedModeImage()) {
        Change.finish(false);
        return false;
    }
    if (!Change.finish(true)) {
        dialogs().showMessage(ansi::withWriteReason(
            QStringLiteral("Error saving the file %1").arg(LineMapImageFileName(State.LineMapID))));
        return false;
    }
    return true;
}

void TfmEditLineMapLines::LeaveMode()
{
    setPlanView(State);
    pcPrefs->setCurrentWidget(tsEmptyPrefs);
    lbLines->setEnabled(true);
    showModeButtons(true);
    shapeLineColor->hide();
    lLineName->clear();
    gbShow->hide();
    RedrawWhole();
}

void TfmEditLineMapLines::RedrawWhole()
{
    Redraw(State);
    if (State.DrawingOn)
        DrawSegment(State);
    if (State.LineMode || State.StationMoveCursor)
        DrawCursor(State);
    ShowPicture();
}

void TfmEditLineMapLines::ShowPicture()
{
    iPreview->setPixmap(QPixmap::fromImage(State.Picture));
    iPreview->resize(State.Picture.isNull() ? QSize(0, 0) : State.Picture.size());
    if (State.LineMode || State.StationMoveCursor) {
        // The cursor stays in sight, with a little of the plan around it, wherever the
        // direction buttons take it.
        // Values from a damaged plan may lie anywhere in the int range: the point and its
        // margin are held within the picture, which is all that can be shown of them.
        const PlanInt margin = 2 * PlanInt(RasterWidth(State.Prefs)) + 10;
        showPlanPoint(State.CursorX, State.CursorY, margin, margin);
    }
}

void TfmEditLineMapLines::showPlanArea(PlanInt Left, PlanInt Top, PlanInt Right, PlanInt Bottom)
{
    showPlanPoint((Left + Right) / 2, (Top + Bottom) / 2, (Right - Left + 1) / 2, (Bottom - Top + 1) / 2);
}

void TfmEditLineMapLines::showPlanPoint(PlanInt X, PlanInt Y, PlanInt XMargin, PlanInt YMargin)
{
    const PlanInt width = State.Picture.width();
    const PlanInt height = State.Picture.height();
    sbPreview->ensureVisible(int(std::clamp<PlanInt>(X, 0, width)), int(std::clamp<PlanInt>(Y, 0, height)),
                             int(std::clamp<PlanInt>(XMargin, 0, width)),
                             int(std::clamp<PlanInt>(YMargin, 0, height)));
}

void TfmEditLineMapLines::fitModePanel()
{
    // A stacked page counts in the panel's size only while it is shown: the idle page holds one
    // button and must not keep the room of the largest mode.
    for (int i = 0; i < pcPrefs->count(); ++i) {
        const QSizePolicy::Policy policy =
            pcPrefs->widget(i) == pcPrefs->currentWidget() ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        pcPrefs->widget(i)->setSizePolicy(policy, policy);
    }
    // The tab widget's own size hint takes every page; its minimum follows the shown one and
    // tells what its frame adds.
    const QWidget *page = pcPrefs->currentWidget();
    const int frame = qMax(0, pcPrefs->minimumSizeHint().width() - page->minimumSizeHint().width());
    pcPrefs->setFixedWidth(qMax(page->sizeHint().width(), page->minimumSizeHint().width()) + frame);
    const int selectLine = qBound(pSelectLine->minimumWidth(), pSelectLine->sizeHint().width(),
                                  pSelectLine->maximumWidth());
    // The plan keeps at least the width of everything else, so at least half of the window.
    const QMargins margins = layMain->contentsMargins();
    sbPreview->setMinimumWidth(pcPrefs->minimumWidth() + selectLine + 2 * layMain->spacing() + margins.left() +
                               margins.right());
}

void TfmEditLineMapLines::FillSectionList()
{
    lbLineSections1->clear();
    lbLineSections1->addItems(SectionListItems(State.Sections));
}

// ---------------------------------------------------------------- line mode

void TfmEditLineMapLines::bbEditLineClick()
{
    if (!TakeSelectedLine())
        return;
    State.LineMode = true;
    State.StationMoveCursor = false;
    State.AllSectionsDeleted = false;
    State.DrawingOn = false;
    State.Degree = -1;
    m_saveMemo = {};

    TLineMapLineRow row;
    ReadLineMapLineRow(State.LineMapID, State.CurrentLineID, row); // without a row all three boxes stay checked
    cbLineDefaultColor->setChecked(row.DefaultColor);
    cbLineDefaultWidth->setChecked(row.DefaultWidth);
    cbVehicleDefaultColor->setChecked(row.VehicleDefaultColor);
    State.LineColor = row.DefaultColor ? GetLineColor(State.Prefs, State.CurrentLineID) : row.Color;
    cobLineColor->setColorValue(State.LineColor);
    cobLineColor->setEnabled(!row.DefaultColor);
    State.LineWidth = row.DefaultWidth ? State.Prefs.LineDrawWidth : row.DrawWidth;
    eLineWidth->setText(QString::number(State.LineWidth));
    eLineWidth->setEnabled(!row.DefaultWidth);
    State.VehicleColor = row.VehicleDefaultColor ? std::uint32_t(State.Prefs.VehicleColor) : row.VehicleColor;
    cobVehicleColor->setColorValue(State.VehicleColor);
    cobVehicleColor->setEnabled(!row.VehicleDefaultColor);

    LoadLineCourse(State);
    FillSectionList();
    State.CurrentGroupID = 1;
    if (lbStepSize1->currentRow() < 0)
        lbStepSize1->setCurrentRow(0);
    State.StepSize = stepSizeOf(lbStepSize1);
    bbLineDrawOnOff->setText(QStringLiteral("Draw start"));
    for (QWidget *w : {static_cast<QWidget *>(bbDeleteAllSections), static_cast<QWidget *>(bbSaveLine),
                       static_cast<QWidget *>(bbCancelLine)})
        w->show();
    ShowLineHeader();
    EnterMode(tsLinePrefs); // draws the cursor with the picture
}

int TfmEditLineMapLines::stepSizeOf(const QListWidget *list) const
{
    const QListWidgetItem *item = list->currentItem();
    const int size = item ? item->text().toInt() : 1;
    return size > 0 ? size : 1;
}

void TfmEditLineMapLines::StepDirection(int Angle)
{
    StepInDirection(State, Angle);
    if (State.StationMoveCursor) {
        // Moving along the line may go over onto the next or previous section.
        QListWidget *list = State.LineMode ? lbLineSections1 : lbLineSections2;
        if (State.CurrentSectionIndex >= 0 && State.CurrentSectionIndex < list->count()) {
            // Only the selection follows; a section click would move the stop itself.
            const QSignalBlocker block(list);
            list->setCurrentRow(State.CurrentSectionIndex);
        }
        if (State.StationMode) {
            // The stop moved with the cursor: its symbol and name are drawn anew at its new
            // point instead of staying where it stood.
            RedrawWhole();
            return;
        }
    }
    ShowPicture();
}

void TfmEditLineMapLines::bbDir0Click() { StepDirection(0); }
void TfmEditLineMapLines::bbDir45Click() { StepDirection(45); }
void TfmEditLineMapLines::bbDir90Click() { StepDirection(90); }
void TfmEditLineMapLines::bbDir135Click() { StepDirection(135); }
void TfmEditLineMapLines::bbDir180Click() { StepDirection(180); }
void TfmEditLineMapLines::bbDir225Click() { StepDirection(225); }
void TfmEditLineMapLines::bbDir270Click() { StepDirection(270); }
void TfmEditLineMapLines::bbDir315Click() { StepDirection(315); }

void TfmEditLineMapLines::bbLineDrawOnOffClick()
{
    if (!State.LineMode)
        return;
    if (!State.DrawingOn) {
        State.SectionStartX = State.CursorX;
        State.SectionStartY = State.CursorY;
        State.Degree = -1;
        State.CurrentGroupID = State.Sections.empty() ? 1 : State.Sections.back().GroupID + 1;
        bbLineDrawOnOff->setText(QStringLiteral("Draw end"));
    } else {
        AppendSection(State);
        FillSectionList();
        State.CurrentSectionIndex = int(State.Sections.size()) - 1;
        State.CursorX = State.Sections.back().EndX;
        State.CursorY = State.Sections.back().EndY;
        bbLineDrawOnOff->setText(QStringLiteral("Draw start"));
    }
    State.DrawingOn = !State.DrawingOn;
    bbDeleteAllSections->setVisible(!State.DrawingOn);
    bbSaveLine->setVisible(!State.DrawingOn);
    bbCancelLine->setVisible(!State.DrawingOn);
}

void TfmEditLineMapLines::connectListClick(QListWidget *List, void (TfmEditLineMapLines::*Handler)())
{
    // A click on another item changes the row when pressed; a click on the current item changes
    // nothing, so only the click itself tells of it.
    connect(List, &QListWidget::currentRowChanged, this, Handler);
    const QObject *viewport = List->viewport();
    m_rowAtPress.insert(viewport, -1);
    List->viewport()->installEventFilter(this);
    connect(List, &QAbstractItemView::clicked, this, [this, List, viewport, Handler](const QModelIndex &Index) {
        if (Index.row() == m_rowAtPress.value(viewport, -1) && Index.row() == List->currentRow())
            (this->*Handler)();
    });
}

bool TfmEditLineMapLines::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && m_rowAtPress.contains(watched))
        m_rowAtPress[watched] = static_cast<const QListWidget *>(watched->parent())->currentRow();
    if (watched == iPreview && event->type() == QEvent::MouseButtonPress) {
        const QPoint p = static_cast<QMouseEvent *>(event)->position().toPoint();
        iPreviewMouseDown(p.x(), p.y());
    }
    return QDialog::eventFilter(watched, event);
}

void TfmEditLineMapLines::iPreviewMouseDown(int X, int Y)
{
    if (!State.LineMode || State.DrawingOn || State.StationMoveCursor)
        return;
    EraseCursor(State);
    SnapClickToRaster(State, X, Y, State.CursorX, State.CursorY);
    State.Degree = -1;
    DrawCursor(State);
    ShowPicture();
}

void TfmEditLineMapLines::lbStepSize1Click()
{
    State.StepSize = stepSizeOf(lbStepSize1);
}

void TfmEditLineMapLines::lbStepSize2Click()
{
    State.StepSize = stepSizeOf(lbStepSize2);
}

void TfmEditLineMapLines::cbShowRasterClick()
{
    State.ShowRaster = cbShowRaster->isChecked();
    RedrawWhole();
}

void TfmEditLineMapLines::cbShowImageClick()
{
    State.ShowImage = cbShowImage->isChecked();
    RedrawWhole();
}

void TfmEditLineMapLines::cbShowLinesClick()
{
    State.ShowLines = cbShowLines->isChecked();
    RedrawWhole();
}

void TfmEditLineMapLines::cbShowStationsClick()
{
    State.ShowStations = cbShowStations->isChecked();
    RedrawWhole();
}

void TfmEditLineMapLines::cbShowMultipleStationsClick()
{
    State.ShowMultiStations = cbShowMultipleStations->isChecked();
    RedrawWhole();
}

// The edited line's sections and label again over the picture in the new colour; the cursor
// is lifted first so that its inverted pixels are not painted over.
void TfmEditLineMapLines::redrawLineOverPicture()
{
    if (State.Picture.isNull())
        return;
    EraseCursor(State);
    {
        QPainter canvas(&State.Picture);
        BeginPlanPainter(canvas);
        DrawCurrentLineSections(canvas, State);
        DrawCurrentLineText(canvas, State);
    }
    DrawCursor(State);
    ShowPicture();
    showLineColor();
}

void TfmEditLineMapLines::cobLineColorChange()
{
    State.LineColor = cobLineColor->colorValue();
    redrawLineOverPicture();
}

void TfmEditLineMapLines::cbLineDefaultColorClick()
{
    if (cbLineDefaultColor->isChecked()) {
        State.LineColor = GetLineColor(State.Prefs, State.CurrentLineID);
        cobLineColor->setColorValue(State.LineColor);
        cobLineColor->setEnabled(false);
    } else {
        State.LineColor = cobLineColor->colorValue();
        cobLineColor->setEnabled(true);
    }
    redrawLineOverPicture();
}

void TfmEditLineMapLines::cbLineDefaultWidthClick()
{
    if (cbLineDefaultWidth->isChecked()) {
        State.LineWidth = State.Prefs.LineDrawWidth;
        eLineWidth->setText(QString::number(State.LineWidth));
        eLineWidth->setEnabled(false);
    } else {
        State.LineWidth = eLineWidth->text().toInt();
        eLineWidth->setEnabled(true);
    }
    RedrawWhole();
}

void TfmEditLineMapLines::eLineWidthExit()
{
    const QString text = eLineWidth->text().trimmed();
    if (text.isEmpty())
        eLineWidth->setText(QString::number(State.LineWidth));
    else
        State.LineWidth = text.toInt();
    RedrawWhole();
}

void TfmEditLineMapLines::cobVehicleColorChange()
{
    State.VehicleColor = cobVehicleColor->colorValue();
}

void TfmEditLineMapLines::cbVehicleDefaultColorClick()
{
    if (cbVehicleDefaultColor->isChecked()) {
        State.VehicleColor = std::uint32_t(State.Prefs.VehicleColor);
        cobVehicleColor->setColorValue(State.VehicleColor);
        cobVehicleColor->setEnabled(false);
    } else {
        State.VehicleColor = cobVehicleColor->colorValue();
        cobVehicleColor->setEnabled(true);
    }
}

void TfmEditLineMapLines::bbDeleteAllSectionsClick()
{
    State.Sections.clear();
    State.Connections.clear();
    State.CurrentGroupID = 1;
    State.AllSectionsDeleted = true;
    lbLineSections1->clear();
    RedrawWhole();
}

void TfmEditLineMapLines::bbSaveLineClick()
{
    if (!State.LineMode || State.DrawingOn)
        return;
    const TLineCourseSaveChoices choices{cbLineDefaultColor->isChecked(), cbLineDefaultWidth->isChecked(),
                                         cbVehicleDefaultColor->isChecked()};
    QString failed;
    ansi::setLastWriteError(QString());
    // The drawn course is the mode's edit, held in State: the tables the save wrote are read
    // back from their files when the change is undone, so that no later save writes the course
    // that was reported as not saved. With every file back as it was, a retry starts afresh.
    ProjectChange change;
    if (!SaveLineCourse(State, choices, m_saveMemo, &failed)) {
        change.finish(false);
        m_saveMemo = {};
        // The course stays as drawn; saving again retries it.
        if (!failed.isEmpty())
            dialogs().showMessage(ansi::withWriteReason(QStringLiteral("Error saving the file %1").arg(failed)));
        return;
    }
    if (!FinishModeSave(change)) {
        m_saveMemo = {};
        return;
    }
    EraseCursor(State);
    LeaveMode();
    lbLineSections1->clear();
}

void TfmEditLineMapLines::bbCancelLineClick()
{
    if (!State.LineMode || State.DrawingOn)
        return;
    EraseCursor(State);
    // Only what is stored is drawn afterwards.
    LoadLineMapIndividualStationPrefs(State.LineMapID);
    LeaveMode();
    lbLineSections1->clear();
}
