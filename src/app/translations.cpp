#include "app/translations.h"

#include "app/Main.h"
#include "app/edit_lines.h"
#include "app/edit_linestations.h"
#include "app/edit_project.h"
#include "app/edit_stations.h"
#include "app/edit_timetable.h"
#include "app/first_save_dlg.h"
#include "app/query.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/edit_linemap_lines.h"
#include "web/create_website.h"
#include "web/web_copy.h"
#include "web/webview.h"

#include <QSignalBlocker>

namespace {

// A hint is both the tool tip and the text the status line shows.
void setHint(QWidget *widget, const QString &hint)
{
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

} // namespace

void SetEnglishCaptions()
{
    fmMain->aAbout->setText(QStringLiteral("Information"));
    fmMain->aHandbook->setText(QStringLiteral("Manual"));
    fmMain->aWebsite->setText(QStringLiteral("Website"));
    fmMain->FileExitItem->setText(QStringLiteral("E&xit"));
    fmMain->FileMenu->setTitle(QStringLiteral("&File"));
    fmMain->FileNewItem->setText(QStringLiteral("&New"));
    fmMain->FileOpenItem->setText(QStringLiteral("&Open"));
    fmMain->FileSaveAsItem->setText(QStringLiteral("Save As..."));
    fmMain->FileSaveItem->setText(QStringLiteral("&Save"));
    fmMain->HelpMenu->setTitle(QStringLiteral("&Help"));
    fmMain->MICreateWebsite->setText(QStringLiteral("Create Website"));
    fmMain->MIProject->setTitle(QStringLiteral("&Project"));
    fmMain->sbAssignStations->setText(QStringLiteral("Add stations to lines"));
    fmMain->sbEditLineNetworkPlans->setText(QStringLiteral("Line maps"));
    fmMain->sbEditLines->setText(QStringLiteral("Edit lines"));
    fmMain->sbEditProject->setText(QStringLiteral("Project-Options"));
    fmMain->sbEditStations->setText(QStringLiteral("Edit stations"));
    fmMain->sbEditTimeTable->setText(QStringLiteral("Edit timetables"));
    setHint(fmMain->sbNew, QStringLiteral("New"));
    setHint(fmMain->sbOpen, QStringLiteral("Open"));
    setHint(fmMain->sbQueryForShow, QStringLiteral("Timetable Information"));
    setHint(fmMain->sbSave, QStringLiteral("Save"));
    setHint(fmMain->sbSaveAs, QStringLiteral("Save As..."));
    fmMain->sbTimeTableInformation->setText(QStringLiteral("Timetable Information"));
    setHint(fmMain->sbWebView, QStringLiteral("Web-Application"));

    DlgFirstSave->setWindowTitle(QStringLiteral("Remark"));
    DlgFirstSave->mInfo->setPlainText(QStringLiteral("A new project must be saved before editing"));

    fmEditProject->setWindowTitle(QStringLiteral("Project Options"));
    fmEditProject->btAddDayGroup->setText(QStringLiteral("Add"));
    fmEditProject->btCancel->setText(QStringLiteral("Discard changes"));
    fmEditProject->btClose->setText(QStringLiteral("Close Window"));
    fmEditProject->btDeleteDayGroup->setText(QStringLiteral("Delete"));
    fmEditProject->btSave->setText(QStringLiteral("Save changes"));
    fmEditProject->gbDriveDays->setTitle(QStringLiteral("Edit days to ride"));
    fmEditProject->gbEntries->setTitle(QStringLiteral("Entries"));
    fmEditProject->gbNewEntry->setTitle(QStringLiteral("New Entry"));
    fmEditProject->gbStandardColor->setTitle(QStringLiteral("Default color"));
    fmEditProject->gbTimeTable->setTitle(QStringLiteral("Time properties"));
    fmEditProject->leMaxDriveMinutesLabel->setText(QStringLiteral("Maximum ride time between 2 stations in minutes"));
    fmEditProject->pcRubrik->setTabText(fmEditProject->pcRubrik->indexOf(fmEditProject->tsDays),
                                        QStringLiteral("Day groups"));
    fmEditProject->pcRubrik->setTabText(fmEditProject->pcRubrik->indexOf(fmEditProject->tsLineOptions),
                                        QStringLiteral("Lines"));
    fmEditProject->pcRubrik->setTabText(fmEditProject->pcRubrik->indexOf(fmEditProject->tsStationOptions),
                                        QStringLiteral("Stations"));
    fmEditProject->pcRubrik->setTabText(fmEditProject->pcRubrik->indexOf(fmEditProject->tsTimeTable),
                                        QStringLiteral("Timetable"));

    fmEditStations->setWindowTitle(QStringLiteral("Edit stations"));
    fmEditStations->btCancel->setText(QStringLiteral("Close without save"));
    fmEditStations->btClose->setText(QStringLiteral("Close Window"));
    fmEditStations->btNewStation->setText(QStringLiteral("New"));
    fmEditStations->btSave->setText(QStringLiteral("Save changes"));
    fmEditStations->btStationDelete->setText(QStringLiteral("Delete"));
    fmEditStations->btStationEdit->setText(QStringLiteral("Edit"));
    fmEditStations->cbStationNewLine->setText(QStringLiteral("Remember for new line"));
    fmEditStations->cbStationNewLineClear->setText(QStringLiteral("Start new recall list"));
    fmEditStations->gbStationEdit->setTitle(QStringLiteral("Edit Station"));
    fmEditStations->leStationNameLabel->setText(QStringLiteral("Name of station"));
    fmEditStations->lStations->setText(QStringLiteral("Stations:"));

    fmEditLines->setWindowTitle(QStringLiteral("Edit lines"));
    fmEditLines->btCancel->setText(QStringLiteral("Close without save"));
    fmEditLines->btClose->setText(QStringLiteral("Close Window"));
    fmEditLines->btLineDelete->setText(QStringLiteral("Delete"));
    fmEditLines->btLineEdit->setText(QStringLiteral("Edit"));
    fmEditLines->btNewLine->setText(QStringLiteral("New"));
    fmEditLines->btSave->setText(QStringLiteral("Save changes"));
    fmEditLines->cbStandardColor->setText(QStringLiteral("Standard"));
    fmEditLines->gbLineEdit->setTitle(QStringLiteral("Edit line"));
    fmEditLines->leLineNameLabel->setText(QStringLiteral("Name of line:"));
    fmEditLines->lLineColor->setText(QStringLiteral("Line color"));
    fmEditLines->lLines->setText(QStringLiteral("Lines:"));
    fmEditLines->lStationList->setText(QStringLiteral("Stations:"));

    fmEditLineStations->setWindowTitle(QStringLiteral("Add stations to lines"));
    fmEditLineStations->btCancel->setText(QStringLiteral("Close without save"));
    fmEditLineStations->btClose->setText(QStringLiteral("Close window"));
    fmEditLineStations->btDeleteStation->setText(QStringLiteral("Delete"));
    fmEditLineStations->btSave->setText(QStringLiteral("Save changes"));
    fmEditLineStations->btSelectAllStations->setText(QStringLiteral("Select all"));
    fmEditLineStations->gbLineAssign->setTitle(QStringLiteral("Add lines"));
    fmEditLineStations->gbLineStations->setTitle(QStringLiteral("Assigned stations"));
    fmEditLineStations->gbStations->setTitle(QStringLiteral("Existing stations"));
    fmEditLineStations->lLineName->setText(QStringLiteral("Line"));
    fmEditLineStations->lLinien->setText(QStringLiteral("Lines"));
    fmEditLineStations->rbAllStations->setText(QStringLiteral("All stations"));
    fmEditLineStations->rbNewStations->setText(QStringLiteral("New stations"));

    fmCreateWebsite->setWindowTitle(QStringLiteral("Create Website"));
    fmCreateWebsite->bbClose->setText(QStringLiteral("Close Window"));
    fmCreateWebsite->bbWebsiteCopy->setText(QStringLiteral("Create Website"));
    fmCreateWebsite->bbWebsiteShow->setText(QStringLiteral("Show Website"));
    fmCreateWebsite->cbHTMLDataCopy->setText(QStringLiteral("Copy HTML-Files"));
    fmCreateWebsite->cbProjectDataCopy->setText(QStringLiteral("Copy Project-Files"));
    fmCreateWebsite->leDirNameLabel->setText(QStringLiteral("Directory:"));

    fmWebCopy->setWindowTitle(QStringLiteral("Timetable copy area"));
    fmWebCopy->btAction->setText(QStringLiteral("Perform action"));
    fmWebCopy->btCopy->setText(QStringLiteral("Copy HTML"));
    fmWebCopy->btPaste->setText(QStringLiteral("Paste HTML"));
    fmWebCopy->btSelCopy->setText(QStringLiteral("Copy selected data to clipboard"));
    fmWebCopy->btShowURL->setText(QStringLiteral("Open Website"));
    fmWebCopy->cbAction->setItemText(0, QStringLiteral("Insert"));
    fmWebCopy->cbAction->setItemText(1, QStringLiteral("Duplicate"));
    fmWebCopy->cbAction->setItemText(2, QStringLiteral("Delete"));
    fmWebCopy->cbActionArea->setItemText(0, QStringLiteral("Row"));
    fmWebCopy->cbActionArea->setItemText(1, QStringLiteral("Column"));
    fmWebCopy->leURLLabel->setText(QStringLiteral("Web Url"));
    fmWebCopy->PageControl1->setTabText(fmWebCopy->PageControl1->indexOf(fmWebCopy->tsTableGrid),
                                        QStringLiteral("Copy table"));
    fmWebCopy->PageControl1->setTabText(fmWebCopy->PageControl1->indexOf(fmWebCopy->tsWebsite),
                                        QStringLiteral("Website"));

    fmWebView->setWindowTitle(QStringLiteral("Korvalin home - Applications"));
    fmWebView->bbClose->setText(QStringLiteral("Close"));

    fmEditTimeTable->setWindowTitle(QStringLiteral("Edit Timetable"));
    fmEditTimeTable->bbWebCopy->setText(QStringLiteral("HTML Import"));
    fmEditTimeTable->btCancel->setText(QStringLiteral("Close without save"));
    fmEditTimeTable->btClose->setText(QStringLiteral("Close Window"));
    fmEditTimeTable->btSave->setText(QStringLiteral("Save changes"));
    fmEditTimeTable->btTimeTableEdit->setText(QStringLiteral("Edit Timetable"));
    fmEditTimeTable->lDays->setText(QStringLiteral("Days:"));
    fmEditTimeTable->lDirection->setText(QStringLiteral("Direction:"));
    fmEditTimeTable->lLinie->setText(QStringLiteral("Line:"));
    fmEditTimeTable->sbCopyMode->setText(QStringLiteral("Copy mode"));
    fmEditTimeTable->sbPaste->setText(QStringLiteral("Paste Clipboard"));
    fmEditTimeTable->sbTimeTableDelete->setText(QStringLiteral("Delete Timetable"));

    fmQuery->btStartQuery->setText(QStringLiteral("Start query"));
    {
        // The whole list is replaced; an entry's index keeps its meaning, so the selection stays.
        const int selected = fmQuery->cbMaxSearchTime->currentIndex();
        const QSignalBlocker block(fmQuery->cbMaxSearchTime);
        fmQuery->cbMaxSearchTime->clear();
        fmQuery->cbMaxSearchTime->addItems(
            {QStringLiteral("1 Second"), QStringLiteral("5 Seconds"), QStringLiteral("15 Seconds"),
             QStringLiteral("30 Seconds"), QStringLiteral("1 Minute"), QStringLiteral("2 Minutes"),
             QStringLiteral("5 Minutes"), QStringLiteral("10 Minutes"), QStringLiteral("30 Minutes"),
             QStringLiteral("1 Hour"), QStringLiteral("2 Hours"), QStringLiteral("5 Hours"), QStringLiteral("Unlimited")});
        fmQuery->cbMaxSearchTime->setCurrentIndex(selected);
    }
    fmQuery->lConnectionsView->setText(QStringLiteral("Show connections"));
    fmQuery->lDay->setText(QStringLiteral("Day:"));
    fmQuery->lDepth->setText(QStringLiteral("Search depth:"));
    fmQuery->lEnd->setText(QStringLiteral("Target:"));
    fmQuery->lFrom->setText(QStringLiteral("Departure:"));
    fmQuery->lMax->setText(QStringLiteral("Maximum"));
    fmQuery->lMaxTime->setText(QStringLiteral("Maximum search-depth"));
    fmQuery->lStart->setText(QStringLiteral("Start:"));
    fmQuery->lTransfer->setText(QStringLiteral("Maximum transfers:"));
    fmQuery->pcQuery->setTabText(fmQuery->pcQuery->indexOf(fmQuery->tsQuery), QStringLiteral("Timetable Information"));

    // The plan list and its style settings box.
    fmEditLineNetworkPlans->setWindowTitle(QStringLiteral("Edit line maps"));
    fmEditLineNetworkPlans->bbLineMapWork->setText(QStringLiteral("Edit line map"));
    fmEditLineNetworkPlans->btCancel->setText(QStringLiteral("Close without save"));
    fmEditLineNetworkPlans->btClose->setText(QStringLiteral("Close window"));
    fmEditLineNetworkPlans->btLineMapDelete->setText(QStringLiteral("Delete"));
    fmEditLineNetworkPlans->btLineMapEdit->setText(QStringLiteral("Edit"));
    fmEditLineNetworkPlans->btNewLineMap->setText(QStringLiteral("New"));
    fmEditLineNetworkPlans->btSave->setText(QStringLiteral("Save changes"));
    fmEditLineNetworkPlans->cbBackgroundImageOn->setText(QStringLiteral("Background image"));
    fmEditLineNetworkPlans->cbLineDefaultColor->setText(QStringLiteral("Inherit color from line default"));
    fmEditLineNetworkPlans->cbLineTextDefaultBackgroundColor->setText(QStringLiteral("use line color for background"));
    fmEditLineNetworkPlans->cbLineTextDefaultColor->setText(QStringLiteral("use line color for text"));
    fmEditLineNetworkPlans->cbLineTextEnd->setText(QStringLiteral("End of line"));
    fmEditLineNetworkPlans->cbLineTextOther->setText(QStringLiteral("Other ends"));
    fmEditLineNetworkPlans->cbLineTextStart->setText(QStringLiteral("Start of line"));
    fmEditLineNetworkPlans->cbMultiStationAutoPos->setText(QStringLiteral("Place station text automatically"));
    fmEditLineNetworkPlans->cbMultiStationRoundParallel->setText(
        QStringLiteral("Rounded symbol for parallel lines with stations in the same level"));
    fmEditLineNetworkPlans->cbMultiStationRoundSelfPos->setText(
        QStringLiteral("Round symbol for station on the same position"));
    fmEditLineNetworkPlans->cbMultiStationTextInheritSelfPos->setText(
        QStringLiteral("Position of text in the same position as specified in stations settings"));
    fmEditLineNetworkPlans->cbStationAlign->setItemText(0, QStringLiteral("Left"));
    fmEditLineNetworkPlans->cbStationAlign->setItemText(1, QStringLiteral("Center"));
    fmEditLineNetworkPlans->cbStationAlign->setItemText(2, QStringLiteral("Right"));
    fmEditLineNetworkPlans->gbLineLineText->setTitle(QStringLiteral("Line text"));
    fmEditLineNetworkPlans->gbLineMapEdit->setTitle(QStringLiteral("Line map preferences"));
    fmEditLineNetworkPlans->gbLinesLine->setTitle(QStringLiteral("Line"));
    fmEditLineNetworkPlans->gbLinesVehicle->setTitle(QStringLiteral("Vehicle"));
    fmEditLineNetworkPlans->lBackgroundColor->setText(QStringLiteral("Background color:"));
    fmEditLineNetworkPlans->lLineColor->setText(QStringLiteral("Color:"));
    fmEditLineNetworkPlans->lLines->setText(QStringLiteral("Line maps"));
    fmEditLineNetworkPlans->lLinesLineTextFont->setText(QStringLiteral("Default font:"));
    fmEditLineNetworkPlans->lLinesLineWidthPixel->setText(QStringLiteral("pixel"));
    fmEditLineNetworkPlans->lLinesTextDistancePixel->setText(QStringLiteral("pixel"));
    fmEditLineNetworkPlans->lLinesTextPosition->setText(QStringLiteral("Position:"));
    fmEditLineNetworkPlans->lLineTextBackgroundColor->setText(QStringLiteral("Background color:"));
    fmEditLineNetworkPlans->lLineTextColor->setText(QStringLiteral("Text color:"));
    fmEditLineNetworkPlans->lLineTextDistance->setText(QStringLiteral("Text offset:"));
    fmEditLineNetworkPlans->lLineWidth->setText(QStringLiteral("Width of line:"));
    fmEditLineNetworkPlans->lMapFilename->setText(QStringLiteral("File name:"));
    fmEditLineNetworkPlans->lMapGridWidth->setText(QStringLiteral("Grid width:"));
    fmEditLineNetworkPlans->lMapHeight->setText(QStringLiteral("Height:"));
    fmEditLineNetworkPlans->lMapName->setText(QStringLiteral("Name:"));
    fmEditLineNetworkPlans->lMapWidth->setText(QStringLiteral("Width:"));
    fmEditLineNetworkPlans->lMapWidthPixel->setText(QStringLiteral("pixel"));
    fmEditLineNetworkPlans->lMultiStationAlign->setText(QStringLiteral("Text placement:"));
    fmEditLineNetworkPlans->lMultiStationDirection->setText(QStringLiteral("Text direction:"));
    fmEditLineNetworkPlans->lMultiStationDistanceH->setText(QStringLiteral("Horizontal text offset:"));
    fmEditLineNetworkPlans->lMultiStationDistanceHPixel->setText(QStringLiteral("pixel"));
    fmEditLineNetworkPlans->lMultiStationDistanceV->setText(QStringLiteral("Vertical text offset:"));
    fmEditLineNetworkPlans->lMultiStationDistanceVPixel->setText(QStringLiteral("pixel"));
    fmEditLineNetworkPlans->lMultiStationPosition->setText(QStringLiteral("Position of station text:"));
    fmEditLineNetworkPlans->lMultiStationsFont->setText(QStringLiteral("Default font"));
    fmEditLineNetworkPlans->lPreview->setText(QStringLiteral("Preview:"));
    fmEditLineNetworkPlans->lStationAlign->setText(QStringLiteral("Alignment of station text:"));
    fmEditLineNetworkPlans->lStationDirection->setText(QStringLiteral("Text direction:"));
    fmEditLineNetworkPlans->lStationsDefaultPositioning->setText(QStringLiteral("Default position:"));
    fmEditLineNetworkPlans->lStationsFont->setText(QStringLiteral("Default font:"));
    fmEditLineNetworkPlans->lStationTextDistanceH->setText(QStringLiteral("Horizontal text offset:"));
    fmEditLineNetworkPlans->lStationTextDistanceHPixel->setText(QStringLiteral("pixel"));
    fmEditLineNetworkPlans->lStationTextDistanceV->setText(QStringLiteral("Vertical text offset:"));
    fmEditLineNetworkPlans->lStationTextDistanceVPixel->setText(QStringLiteral("pixel"));
    fmEditLineNetworkPlans->lVehicleColor->setText(QStringLiteral("Color of vehicle:"));
    fmEditLineNetworkPlans->rgStationPosition->setTitle(QStringLiteral("Position relative to line"));
    fmEditLineNetworkPlans->rgStationPositionItem0->setText(QStringLiteral("above"));
    fmEditLineNetworkPlans->rgStationPositionItem1->setText(QStringLiteral("below"));
    {
        QTabWidget *pages = fmEditLineNetworkPlans->PageControl1;
        pages->setTabText(pages->indexOf(fmEditLineNetworkPlans->tsGeneral), QStringLiteral("Common"));
        pages->setTabText(pages->indexOf(fmEditLineNetworkPlans->tsLines), QStringLiteral("Lines"));
        pages->setTabText(pages->indexOf(fmEditLineNetworkPlans->tsMultiStations), QStringLiteral("Transfer stations"));
        pages->setTabText(pages->indexOf(fmEditLineNetworkPlans->tsStations), QStringLiteral("Stations"));
    }
    fmEditLineMapLines->setWindowTitle(QStringLiteral("line map editor"));
    fmEditLineMapLines->bbCancelLine->setText(QStringLiteral("Close without save"));
    fmEditLineMapLines->bbCancelMultiStations->setText(QStringLiteral("Close without save"));
    fmEditLineMapLines->bbCancelStations->setText(QStringLiteral("Close without save"));
    fmEditLineMapLines->bbDeleteAllSections->setText(QStringLiteral("Delete all line sections"));
    fmEditLineMapLines->bbEditLine->setText(QStringLiteral("Edit line"));
    fmEditLineMapLines->bbEditLineText->setText(QStringLiteral("Edit line text"));
    fmEditLineMapLines->bbEditMultiStations->setText(QStringLiteral("Transfer Stations"));
    fmEditLineMapLines->bbEditStations->setText(QStringLiteral("Edit stations"));
    fmEditLineMapLines->bbLineDrawOnOff->setText(QStringLiteral("Draw start"));
    fmEditLineMapLines->bbSaveLine->setText(QStringLiteral("Save changes"));
    fmEditLineMapLines->bbSaveMultiStations->setText(QStringLiteral("Save changes"));
    fmEditLineMapLines->bbSaveStation->setText(QStringLiteral("Save changes"));
    fmEditLineMapLines->bbStationsArrange->setText(QStringLiteral("Distribute stations"));
    fmEditLineMapLines->bbStationsDeleteAll->setText(QStringLiteral("Hide all"));
    fmEditLineMapLines->btCancelLineText->setText(QStringLiteral("Close without save"));
    fmEditLineMapLines->btClose->setText(QStringLiteral("Close window"));
    fmEditLineMapLines->btSaveLineText->setText(QStringLiteral("Save changes"));
    fmEditLineMapLines->cbLineDefaultColor->setText(QStringLiteral("Set line color from line default"));
    fmEditLineMapLines->cbLineDefaultWidth->setText(QStringLiteral("Inherit line width from default settings"));
    fmEditLineMapLines->cbLineTextColorDefaultProperties->setText(QStringLiteral("use default"));
    fmEditLineMapLines->cbLineTextDefaultLineBackgroundColor->setText(QStringLiteral("Set background from line default"));
    fmEditLineMapLines->cbLineTextDefaultLineColor->setText(QStringLiteral("Set text color from line default"));
    fmEditLineMapLines->cbLineTextNoChange->setText(QStringLiteral("No offset"));
    fmEditLineMapLines->cbLineTextPosition->setItemText(0, QStringLiteral("Start of line"));
    fmEditLineMapLines->cbLineTextPosition->setItemText(1, QStringLiteral("End of line"));
    fmEditLineMapLines->cbLineTextVisibleDefaultProperties->setText(QStringLiteral("use default"));
    fmEditLineMapLines->cbLineTextVisibleEnd->setText(QStringLiteral("End of line"));
    fmEditLineMapLines->cbLineTextVisibleOther->setText(QStringLiteral("Different ends"));
    fmEditLineMapLines->cbLineTextVisibleStart->setText(QStringLiteral("Start of line"));
    fmEditLineMapLines->cbMultiStationDefaultProperties->setText(QStringLiteral("use default"));
    fmEditLineMapLines->cbShowImage->setText(QStringLiteral("Background image"));
    fmEditLineMapLines->cbShowLines->setText(QStringLiteral("Lines"));
    fmEditLineMapLines->cbShowMultipleStations->setText(QStringLiteral("Transfer stations"));
    fmEditLineMapLines->cbShowRaster->setText(QStringLiteral("Grid"));
    fmEditLineMapLines->cbShowStations->setText(QStringLiteral("Stations"));
    fmEditLineMapLines->cbStationDefaultProperties->setText(QStringLiteral("use default"));
    fmEditLineMapLines->cbVehicleDefaultColor->setText(QStringLiteral("Set vehicle color to default"));
    fmEditLineMapLines->gbLinePrefsColors->setTitle(QStringLiteral("Colors"));
    fmEditLineMapLines->gbLinePrefsDraw->setTitle(QStringLiteral("Draw"));
    fmEditLineMapLines->gbLinePrefsLineProperties->setTitle(QStringLiteral("Line properties"));
    fmEditLineMapLines->gbLinePrefsLineSections->setTitle(QStringLiteral("Line sections"));
    fmEditLineMapLines->gbLineTextLines->setTitle(QStringLiteral("Color for Line Text"));
    fmEditLineMapLines->gbLineTextPosition->setTitle(QStringLiteral("Change of position"));
    fmEditLineMapLines->gbLineTextVisible->setTitle(QStringLiteral("Set Text position"));
    fmEditLineMapLines->gbMultiStationPrefsStations->setTitle(QStringLiteral("Transfer stations"));
    fmEditLineMapLines->gbMultiStationProperties->setTitle(QStringLiteral("Properties for transfer stations"));
    fmEditLineMapLines->gbShow->setTitle(QStringLiteral("View"));
    fmEditLineMapLines->gbStationPrefsLineSections->setTitle(QStringLiteral("Line sections"));
    fmEditLineMapLines->gbStationPrefsStationMove->setTitle(QStringLiteral("Move station"));
    fmEditLineMapLines->gbStationPrefsStations->setTitle(QStringLiteral("Stations"));
    fmEditLineMapLines->lLinePrefsLineColor->setText(QStringLiteral("Line color:"));
    fmEditLineMapLines->lLinePrefsLineWidth->setText(QStringLiteral("Line width"));
    fmEditLineMapLines->lLinePrefsLineWidthPixel->setText(QStringLiteral("pixel"));
    fmEditLineMapLines->lLinePrefsStepSize->setText(QStringLiteral("Step size:"));
    fmEditLineMapLines->lLinePrefsVehicleColor->setText(QStringLiteral("Color of vehicle:"));
    fmEditLineMapLines->lLineTextBackgroundColor->setText(QStringLiteral("Background color:"));
    fmEditLineMapLines->lLineTextColor->setText(QStringLiteral("Text color:"));
    fmEditLineMapLines->lLineTextPrefsHorMove->setText(QStringLiteral("Horizontal placement:"));
    fmEditLineMapLines->lLineTextPrefsHorMovePixel->setText(QStringLiteral("pixel"));
    fmEditLineMapLines->lLineTextPrefsTextPosition->setText(QStringLiteral("Text position:"));
    fmEditLineMapLines->lLineTextPrefsVerMove->setText(QStringLiteral("Vertical placement:"));
    fmEditLineMapLines->lLineTextPrefsVerMovePixel->setText(QStringLiteral("pixel"));
    fmEditLineMapLines->lMultiStationAlign->setText(QStringLiteral("Text placement:"));
    fmEditLineMapLines->lMultiStationDirection->setText(QStringLiteral("Text direction:"));
    fmEditLineMapLines->lMultiStationPosition->setText(QStringLiteral("Position of station text:"));
    fmEditLineMapLines->lMultiStationTextDistanceH->setText(QStringLiteral("Horizontal. placement:"));
    fmEditLineMapLines->lMultiStationTextDistanceHPixel->setText(QStringLiteral("pixel"));
    fmEditLineMapLines->lMultiStationTextDistanceV->setText(QStringLiteral("Vertical placement:"));
    fmEditLineMapLines->lMultiStationTextDistanceVPixel->setText(QStringLiteral("pixel"));
    fmEditLineMapLines->lStationPrefsStepSize->setText(QStringLiteral("Increment:"));
    fmEditLineMapLines->lStationTextDistanceH->setText(QStringLiteral("Hor. text offset:"));
    fmEditLineMapLines->lStationTextDistanceHPixel->setText(QStringLiteral("pixel"));
    fmEditLineMapLines->lStationTextDistanceV->setText(QStringLiteral("Vert. text offset:"));
    fmEditLineMapLines->lStationTextDistanceVPixel->setText(QStringLiteral("pixel"));
    fmEditLineMapLines->lStationTextPosition->setText(QStringLiteral("Position:"));
    fmEditLineMapLines->rbStationOff->setText(QStringLiteral("Off"));
    fmEditLineMapLines->rbStationOn->setText(QStringLiteral("On"));
    fmEditLineMapLines->tcIndividualPropertiesTabs->setTabText(0, QStringLiteral("Current station"));
    fmEditLineMapLines->tcIndividualPropertiesTabs->setTabText(1, QStringLiteral("Current section"));
    fmEditLineMapLines->tcIndividualPropertiesTabs->setTabText(2, QStringLiteral("Sections of same alignment"));
}
