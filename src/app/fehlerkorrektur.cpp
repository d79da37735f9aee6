#include "app/fehlerkorrektur.h"

#include "app/editor_data.h"
#include "data/project_change.h"

#include <tuple>

#include "app/editor_data.h"
#include "data/data_module_1.h"
#include "data/db_distances_rebuild.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"

#include <QProgressDialog>
#include <QUrl>
#include <QWebEngineView>

TfmFehlerkorrektur *fmFehlerkorrektur = nullptr;

TfmFehlerkorrektur::TfmFehlerkorrektur(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    connect(Button1, &QPushButton::clicked, this, &TfmFehlerkorrektur::Button1Click);
}

void TfmFehlerkorrektur::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TfmFehlerkorrektur::FormShow()
{
    if (!m_browser) {
        m_browser = new QWebEngineView(WebBrowser1);
        m_browser->setObjectName(QStringLiteral("WebBrowserView"));
        WebBrowser1->layout()->addWidget(m_browser);
    }
    m_browser->setFixedSize(729, 465);
    m_browser->setUrl(QUrl::fromLocalFile(ProgramDir + QStringLiteral("KorvalinView/projektfiles_update.htm")));
    m_browser->show();
}

void TfmFehlerkorrektur::Button1Click()
{
    if (ProjectFileName.isEmpty()) {
        dialogs().showMessage(QStringLiteral("No project loaded"));
        return;
    }

    // The tables it writes back and the line connections it rebuilds from are checked before the
    // first write; a timetable that cannot be read keeps its section and is named at the end.
    if (RefuseDamagedTables({&dm1->cdsStations, &dm1->cdsLines, &dm1->cdsLineConnections}))
        return;
    // The repair is one change: when a file cannot be written, none of them is, and only the
    // failures are told. The tables it reads and writes are checked before its first write.
    if (RefuseDamagedTables({&dm1->cdsLineConnections, &dm1->cdsStations, &dm1->cdsLines}))
        return;
    ProjectChange change;
    QProgressDialog progress(QStringLiteral("Linienverbindungen werden neu berechnet ..."), QString(), 0, 0, this);
    progress.setWindowTitle(windowTitle());
    progress.setCancelButton(nullptr);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    const DistancesRebuildReport report = RebuildDistancesFile([&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        progress.setLabelText(QStringLiteral("Linienverbindung %1 von %2 wird neu berechnet ...").arg(done).arg(total));
    });
    progress.close();

    // Each failure is told with the reason of its own save only (none for a damaged file, named
    // already).
    bool saved = true;
    QStringList failures;
    for (const auto &[save, table, file] : {std::tuple{&SaveStations, &dm1->cdsStations, "stations.ptf"},
                                            std::tuple{&SaveLines, &dm1->cdsLines, "lines.ptf"}}) {
        // A repair refused as a whole (the project was changed elsewhere) is told once.
        if (const FileChange *c = FileChange::covering(ProjectDir + QStringLiteral("/stations.ptf"));
            !report.written && c && c->refused()) {
            saved = false;
            break;
        }
        ansi::setLastWriteError(QString());
        if (save())
            continue;
        saved = false;
        const QString name = QLatin1String(file);
        const QString failure =
            FailedSaveMessage(*table, name, QStringLiteral("Fehler beim Korigieren der Datei ") + name);
        if (!failure.isEmpty())
            failures << failure;
    }
    const bool written = report.written && saved;
    if (written && !change.finish(true)) {
        dialogs().showMessage(
            ansi::withWriteReason(QStringLiteral("Fehler beim Schreiben der Datei distances.ini")));
        return;
    }
    if (!written) {
        change.finish(false);
        if (!report.written)
            dialogs().showMessage(
                ansi::withReason(QStringLiteral("Fehler beim Schreiben der Datei distances.ini"), report.writeError));
        for (const QString &failure : std::as_const(failures))
            dialogs().showMessage(failure);
        return;
    }

    if (report.success) {
        dialogs().showMessage(QStringLiteral("Datei distances.ini wurde neu erstellt"));
    } else {
        QStringList lines;
        lines << QStringLiteral("Diese Linienverbindungen konnten nicht neu berechnet werden:");
        for (const DistancesRebuildFailure &failure : report.failed)
            lines << DistancesFailureText(failure);
        lines << QString() << QStringLiteral("Alle anderen Linienverbindungen wurden in der Datei distances.ini neu erstellt.");
        dialogs().showMessage(lines.join(QLatin1Char('\n')));
    }

    dialogs().showMessage(QStringLiteral("Leere bzw. gelöschte Stationen aus Datei stations.ptf wurden entfernt"));
    dialogs().showMessage(QStringLiteral("Leere bzw. gelöschte Linien aus Datei lines.ptf wurden entfernt"));
}
