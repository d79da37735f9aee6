#pragma once

#include "ui_Main.h"

#include "app/work_buttons.h"

#include <QApplication>
#include <QMainWindow>
#include <QStringList>

// The program's application object: an exception that escapes an event handler is shown
// to the user in an error box and the program goes on, instead of ending the process.
class KorvalinApplication : public QApplication
{
public:
    KorvalinApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// The file dialogs of the main window: their settings and the last chosen name.
struct TProjectFileDialog {
    QString FileName;
    QString Title;
    QString Filter = QStringLiteral("VOZ-Projekt|*.ppr");
    QString DefaultExt = QStringLiteral("ppr");
};

// The main window: a launcher for the project commands, the editors, the preview and the help.
class TfmMain : public QMainWindow, private Ui::TfmMain
{
    Q_OBJECT

public:
    explicit TfmMain(QWidget *parent = nullptr);

    TProjectFileDialog OpenDialogPrj;
    TProjectFileDialog SaveDialogPrj;

    void FileNew();
    void FileOpen();
    void FileSave();
    void FileSaveAs();
    void FileExit();
    void sbEditProjectClick();
    void sbEditStationsClick();
    void sbEditLinesClick();
    void sbAssignStationsClick();
    void sbEditTimeTableClick();
    void sbEditLineNetworkPlansClick();
    void sbWebViewClick();
    void sbTimeTableInformationClick();
    void sbQueryClick();
    void sbContactClick();
    void aHandbookExecute();
    void aWebsiteExecute();
    void aAboutExecute();
    void aCreateWebsiteExecute();
    void MIFehlerkorrekturClick();

    void NewProject();
    void LoadProject(const QString &fileName);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend void SetEnglishCaptions();
    friend void showWorkButton(WorkButton button);

    void FormCreate();
    void GetProgInfo();
    void ShowHint(const QString &hint);
    QToolButton *workButton(WorkButton button) const;
    // A project that could not be read in one piece: no project is open, as at start-up.
    void CloseUnreadProject();

    QAction *N1 = nullptr;
    QAction *N2 = nullptr;
};

extern TfmMain *fmMain;

// The class names of the windows and modules made at start-up, in the order they were made.
const QStringList &CreatedForms();

// Loads the tables that all plans of the open project share, as opening the plans does.
void LoadSharedPlanTables();

// Creates the windows and the data module of the program, in their fixed order.
void CreateForms();
// Frees them again, last made first.
void DestroyForms();

// The program entry: creates every window, sets the English texts and runs the message loop.
int ProgramMain(int argc, char *argv[]);
