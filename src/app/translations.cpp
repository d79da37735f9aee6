#include "app/translations.h"

#include "app/Main.h"
#include "app/first_save_dlg.h"

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
}
