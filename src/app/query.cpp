#include "app/query.h"

#include "app/Main.h"
#include "data/main_globals.h"
#include "platform/dialog_service.h"
#include "query/query.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QHideEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QScrollBar>
#include <QShowEvent>
#include <QTime>

#include <algorithm>
#include <memory>

TfmQuery *fmQuery = nullptr;

namespace {

// A typed station name selects that station, as choosing it from the list does; any other typed
// text gives way to the last valid selection, which stays in force.
// Each damaged file the search came upon, once: it answered from the others.
void tellDamagedFiles()
{
    for (const QString &message : takeDamagedFileMessages())
        dialogs().showMessage(message);
}

void showSelectedItem(QComboBox *list)
{
    const QString typed = list->currentText().trimmed();
    int typedIndex = list->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (typedIndex < 0)
        typedIndex = list->findText(typed, Qt::MatchFixedString);
    if (!typed.isEmpty() && typedIndex >= 0)
        list->setCurrentIndex(typedIndex);
    if (list->currentIndex() >= 0)
        list->setEditText(list->itemText(list->currentIndex()));
}

} // namespace

TfmQuery::TfmQuery(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    FormCreate();
    connect(btStartQuery, &QPushButton::clicked, this, &TfmQuery::btStartQueryClick);
    connect(cbDayGroup, &QComboBox::currentIndexChanged, this, &TfmQuery::cbDayGroupChange);
    connect(cbMaxTransfers, &QComboBox::currentIndexChanged, this, &TfmQuery::cbMaxTransfersChange);
    connect(cbSearchDepth, &QComboBox::currentIndexChanged, this, &TfmQuery::cbSearchDepthChange);
    connect(cbMaxConnections, &QComboBox::currentIndexChanged, this, &TfmQuery::cbMaxConnectionsChange);
    connect(cbMaxSearchTime, &QComboBox::currentIndexChanged, this, &TfmQuery::cbMaxSearchTimeChange);
    for (QComboBox *list : {cbStartStation, cbZielStation}) {
        list->installEventFilter(this);
        if (list->lineEdit())
            list->lineEdit()->installEventFilter(this);
    }
}

TfmQuery::~TfmQuery()
{
    FormDestroy();
}

void TfmQuery::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfmQuery::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        FormHide();
}

bool TfmQuery::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == cbStartStation || watched == cbStartStation->lineEdit())
            cbStartStationExit();
        else if (watched == cbZielStation || watched == cbZielStation->lineEdit())
            cbZielStationExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TfmQuery::FormCreate()
{
    setWindowTitle(QStringLiteral("Korvalin Pro - Timetable Information"));
    ResultList.clear();
    MaxConnections = cbMaxConnections->currentText().toInt();
    MinChangeMinutes = 1;
    MaxTransfers = 3;
    SearchDepth = cbSearchDepth->currentText().toInt();
    const int seconds = SearchTimeSeconds(cbMaxSearchTime->currentIndex());
    if (seconds >= 0)
        MaxSearchTime = seconds;
    cbMaxTransfers->setCurrentIndex(MaxTransfers);
    pcQuery->setCurrentWidget(tsQuery);
    DropTimeTableCaches();
}

void TfmQuery::FormShow()
{
    // Connections of another project name stations that this one may not have.
    const QString project = ProjectFileName;
    if (project != m_shownProject)
        mZeiten->clear();
    m_shownProject = project;

    // A large network takes a while to build its tables: past half a second the user sees why.
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> progress;
    bool waiting = false;
    openQueryShowing([&](int pass, int row, int rows) {
        if (!progress) {
            if (clock.elapsed() < 500)
                return;
            waiting = true;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            progress = std::make_unique<QProgressDialog>(QString(), QString(), 0, rows, this);
            progress->setObjectName(QStringLiteral("pdTables"));
            progress->setWindowTitle(windowTitle());
            progress->setCancelButton(nullptr);
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
        }
        progress->setLabelText(QStringLiteral("Fahrzeiten werden berechnet (Durchlauf %1) ...").arg(pass));
        progress->setValue(std::min(row, rows));
    });
    if (progress)
        progress->close();
    if (waiting)
        QApplication::restoreOverrideCursor();
    tellDamagedFiles();
    cbStartStation->clear();
    cbZielStation->clear();
    const QStringList stations = servedStationNames();
    cbStartStation->addItems(stations);
    cbZielStation->addItems(stations);
    if (cbStartStation->count() > 0)
        cbStartStation->setCurrentIndex(0);
    if (cbZielStation->count() >= 2)
        cbZielStation->setCurrentIndex(1);
    else if (cbZielStation->count() == 1)
        cbZielStation->setCurrentIndex(0);
    cbDayGroup->clear();
    cbDayGroup->addItems(dayGroupTexts());
    cbDayGroup->setCurrentIndex(0);
    dtpStartTime->setTime(QTime::currentTime());
    if (fmMain && fmMain != parentWidget())
        move(fmMain->geometry().center() - rect().center());
}

void TfmQuery::FormHide()
{
    closeQueryShowing();
}

void TfmQuery::FormDestroy()
{
    releaseQueryState();
}

void TfmQuery::btStartQueryClick()
{
    mZeiten->clear();
    const int day = cbDayGroup->currentIndex();
    const QTime time = dtpStartTime->time();
    const QString text =
        runConnectionQuery(cbStartStation->currentText(), cbZielStation->currentText(),
                           day >= 0 ? cbDayGroup->itemText(day) : QString(), time.hour() * 60 + time.minute());
    mZeiten->setPlainText(text);
    mZeiten->verticalScrollBar()->setValue(0);
    mZeiten->setFocus();
    tellDamagedFiles();
}

void TfmQuery::cbDayGroupChange()
{
    DropTimeTableCaches();
}

void TfmQuery::cbMaxTransfersChange()
{
    if (cbMaxTransfers->currentIndex() >= 0)
        MaxTransfers = cbMaxTransfers->currentIndex();
}

void TfmQuery::cbSearchDepthChange()
{
    if (cbSearchDepth->currentIndex() >= 0)
        SearchDepth = cbSearchDepth->itemText(cbSearchDepth->currentIndex()).toInt();
}

void TfmQuery::cbMaxConnectionsChange()
{
    if (cbMaxConnections->currentIndex() >= 0)
        MaxConnections = cbMaxConnections->itemText(cbMaxConnections->currentIndex()).toInt();
}

void TfmQuery::cbMaxSearchTimeChange()
{
    const int seconds = SearchTimeSeconds(cbMaxSearchTime->currentIndex());
    if (seconds >= 0)
        MaxSearchTime = seconds;
}

void TfmQuery::cbStartStationExit()
{
    showSelectedItem(cbStartStation);
}

void TfmQuery::cbZielStationExit()
{
    showSelectedItem(cbZielStation);
}
