#pragma once

#include "ui_edit_linemap_lines.h"

#include <QDialog>
#include <QHash>

#include "linemap/line_course_save.h"
#include "linemap/linemap_state.h"

class QEvent;
class QShowEvent;
class QWidget;

// The plan drawing editor, opened modally from the plan list: the plan picture at 1:1, the
// project's lines, the view toggles and one page per mode (line course, stations, transfer
// stations, line labels). Outside a mode the window is idle and can be closed.
//
// The name-placement tab control is tcIndividualProperties: its tab bar is
// tcIndividualPropertiesTabs and the panel's controls stand below it.
class ProjectChange;

class TfmEditLineMapLines : public QDialog, private Ui::TfmEditLineMapLines
{
    Q_OBJECT

public:
    explicit TfmEditLineMapLines(QWidget *parent = nullptr);
    ~TfmEditLineMapLines() override;

    // The editor state the engine draws from; the window owns it.
    TLineMapEditorState State;

    // Saves the current picture as the plan image; a failure was reported to the user.
    bool ExportLineMapImage();
    // A mode's save: the plan image drawn as it looks once the mode is left, exported in the
    // mode's change, which then ends; false (the mode staying) when it failed.
    bool ExportSavedModeImage();
    bool FinishModeSave(ProjectChange &Change);

    // --- handlers
    void FormShow();
    bool FormCloseQuery();
    // Escape, the title bar and btClose close only when FormCloseQuery allows it.
    void reject() override;
    void bbEditLineClick();
    void bbDir0Click();
    void bbDir45Click();
    void bbDir90Click();
    void bbDir135Click();
    void bbDir180Click();
    void bbDir225Click();
    void bbDir270Click();
    void bbDir315Click();
    void bbLineDrawOnOffClick();
    void iPreviewMouseDown(int X, int Y);
    void lbStepSize1Click();
    void lbStepSize2Click();
    void cbShowRasterClick();
    void cbShowImageClick();
    void cbShowLinesClick();
    void cbShowStationsClick();
    void cbShowMultipleStationsClick();
    void cobLineColorChange();
    void cbLineDefaultColorClick();
    void cbLineDefaultWidthClick();
    void eLineWidthExit();
    void cobVehicleColorChange();
    void cbVehicleDefaultColorClick();
    void bbDeleteAllSectionsClick();
    void bbSaveLineClick();
    void bbCancelLineClick();

    // --- station mode, its name panel, transfer-station mode and line-label mode
    // (edit_linemap_lines_stations.cpp, _stationtext.cpp, _multistations.cpp, _linetext.cpp)
    void bbEditStationsClick();
    void lbStationsClick();
    void rbStationOnClick();
    void rbStationOffClick();
    void lbLineSections2Click();
    void bbStationsDeleteAllClick();
    void bbStationsArrangeClick();
    void bbSaveStationClick();
    void bbCancelStationsClick();
    void ShowStationTextPrefs();
    void FillStationTextPositionChoices();
    void tcIndividualPropertiesChanging();
    void tcIndividualPropertiesChange();
    void cbStationDefaultPropertiesMouseUp();
    void cbStationTextPositionChange();
    void eStationTextDistanceHExit();
    void eStationTextDistanceVExit();
    void bbEditMultiStationsClick();
    void lbMultiStationsClick();
    void ShowMultiStationPrefs();
    void FillMultiStationTextChoices();
    void cbMultiStationDefaultPropertiesMouseUp();
    void cbMultiStationPositionChange();
    void cbMultiStationAlignChange();
    void cbMultiStationDirectionChange();
    void eMultiStationTextDistanceHExit();
    void eMultiStationTextDistanceVExit();
    void bbSaveMultiStationsClick();
    void bbCancelMultiStationsClick();
    void bbEditLineTextClick();
    void ShowLineTextPrefs();
    void cbLineTextVisibleDefaultPropertiesClick();
    void cbLineTextVisibleStartClick();
    void cbLineTextVisibleEndClick();
    void cbLineTextColorDefaultPropertiesClick();
    void cbLineTextDefaultLineColorMouseUp();
    void cbLineTextDefaultLineBackgroundColorMouseUp();
    void cobLineTextColorChange();
    void cobLineTextBackgroundColorChange();
    void cbLineTextPositionChange();
    void cbLineTextNoChangeClick();
    void eLineTextDistanceHExit();
    void eLineTextDistanceVExit();
    void btSaveLineTextClick();
    void btCancelLineTextClick();

private:
    void ConnectModeHandlers();
    bool takeModeLine(); // the selected line with its plan colour and width; false without its plan row
    void setDownCurrentStop();
    void selectStationRow(QListWidget *List, int Row);
    void showStopPlaced(bool Placed);
    void clearStationLists();
    void showStationTextControls(bool Shown);
    void showMultiStationControls(bool Shown);
    int stationScopeValue() const; // IDValue of the panel's scope (IDType = m_stationTab)
    void stationOffsetExit(bool Horizontal);
    void multiStationOffsetExit(bool Horizontal);
    void lineTextOffsetExit(bool Horizontal);
    void lineTextVisibleClick(bool AtStart);
    void lineTextFromLineClick(bool Background);
    void lineTextColorChange(bool Background);
    void showLineTextOffset();
    void showLineTextColorBoxes();
    int m_stationTab = 0; // the tab whose scope the name panel shows
public:

protected:
    // --- what every mode does on entry and exit
    // The selected line of lbLines becomes CurrentLineID; false (and -1) when none is selected.
    bool TakeSelectedLine();
    // "Line: " and the line's name, and the colour bar in LineColor.
    void ShowLineHeader();
    // Mode buttons hidden, lbLines disabled, gbShow shown, the show flags read from gbShow, the
    // whole picture redrawn and the mode's page shown.
    void EnterMode(QWidget *Page);
    // The reverse, after a save or cancel: line and station -1, show flags reset (raster off,
    // the rest on), mode flags off, the idle page, lbLines enabled, mode buttons shown, the
    // line header hidden, gbShow hidden, the mode's records freed, the whole picture redrawn.
    void LeaveMode();
    // The whole picture afresh, with the running section and the cursor where they show.
    void RedrawWhole();
    // Puts State.Picture on the screen.
    void ShowPicture();
    // The section list of line mode from State.Sections.
    void FillSectionList();
    // One direction click on either direction pad.
    void StepDirection(int Angle);

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend void SetEnglishCaptions();

    void FormCreate();
    void readShowFlags();
    void showModeButtons(bool Shown); // the four mode buttons, shown only while the window is idle
    void showLineColor(); // State.LineColor in the colour bar
    // The mode panel as wide as its current page needs, the plan never narrower than the panels.
    void fitModePanel();
    // Scrolls the plan so that the area (plan pixels, edges included) is in view, as much of it
    // as fits.
    void showPlanArea(PlanInt Left, PlanInt Top, PlanInt Right, PlanInt Bottom);
    // Scrolls the point into view with the margins around it, held within the picture.
    void showPlanPoint(PlanInt X, PlanInt Y, PlanInt XMargin, PlanInt YMargin);
    void redrawLineOverPicture();
    int stepSizeOf(const QListWidget *list) const;

    TLineCourseSaveMemo m_saveMemo; // taken by a save; a stopped one leaves nothing to remember

    // Runs the handler on every click on one of the list's items (the selected one too) and on
    // every change of its row from the keyboard, once each.
    void connectListClick(QListWidget *List, void (TfmEditLineMapLines::*Handler)());
    QHash<const QObject *, int> m_rowAtPress; // per list viewport: the current row when pressed
};

extern TfmEditLineMapLines *fmEditLineMapLines;
