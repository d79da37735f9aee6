// The handbook's sample project with numbers at the edges of what its files can hold (the ends
// of the 32-bit range, 65535, 1e9, null, an empty text) put into one to three of its files, as a
// damaged or hand-edited project may have them. Each round opens the project and works it as a
// user would: every timetable loaded and one saved with a new interval, connection queries, a
// plan added, the plan drawn, worked in every mode of the drawing editor and exported, a
// station added and put on a line. Nothing may crash, hang or (in the sanitizer build)
// overflow, and what is left is sound: no file of a change left over, a file told damaged kept
// as it was, every file written readable, the saved interval trip read back as saved and no
// time found below midnight. The rounds are drawn from a fixed seed, so a failure repeats.

#include "app/Main.h"
#include "app/edit_linestations.h"
#include "app/edit_stations.h"
#include "app/edit_timetable.h"
#include "data/table_files.h"
#include "platform/file_change.h"
#include "data/main_globals.h"
#include "linemap/edit_line_network_plans.h"
#include "linemap/edit_linemap_lines.h"
#include "platform/ansi.h"
#include "query/query.h"
#include "support/app_environment.h"
#include "support/project_folder.h"
#include "support/window_controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdint>
#include <map>
#include <random>

namespace {

const QString kSampleDir = QStringLiteral(KORVALIN_RESOURCES_DIR "/../docs/handbook/sample");
const QString kTyped = QStringLiteral("7 Min");
const char *const kHostile[] = {"0", "-1", "2147483647", "-2147483647", "-2147483648", "65535", "1e9", "null", "\"\""};
constexpr int kRounds = 300;

// Every save syncs its files to the disk; in a folder held in memory that costs nothing, so
// the rounds stay quick where the system has one.
QString roundFolder()
{
    const QString memory = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(memory).isDir() && QFileInfo(memory).isWritable() ? memory : QDir::tempPath();
    return base + QStringLiteral("/korvalin-hostile-XXXXXX");
}

// The user says yes to every question, so every save that asks goes on.
class AgreeingDialogs : public ScriptedDialogs
{
public:
    Answer askYesNoCancel(const QString &text) override
    {
        questions << text;
        return Answer::Yes;
    }
};

// The pieces of a value line split at the commas outside quotes; joined again with commas they
// give the line back.
QStringList splitValues(const QString &line)
{
    QStringList pieces;
    QString piece;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < line.size()) {
            piece += c;
            piece += line[++i];
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(',') && !quoted) {
            pieces << piece;
            piece.clear();
        } else {
            piece += c;
        }
    }
    pieces << piece;
    return pieces;
}

// Every table file of the folder by name, with its bytes.
std::map<QString, QByteArray> tableFiles(const QString &folder)
{
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, {QStringLiteral("*.ptf"), QStringLiteral("*.ppr")}, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        files[it.fileName()] = fileBytes(path);
    }
    return files;
}

// The files that a message told could not be read.
QSet<QString> toldDamaged(const QStringList &messages, const QString &folder)
{
    static const QRegularExpression told(QStringLiteral("^Error by load PTF-File: (.*?)( \\(line .*\\))?$"));
    QSet<QString> names;
    for (const QString &m : messages) {
        const QRegularExpressionMatch match = told.match(m);
        if (match.hasMatch() && QFileInfo(match.captured(1)).absolutePath() == QFileInfo(folder).absoluteFilePath())
            names.insert(QFileInfo(match.captured(1)).fileName());
    }
    return names;
}

// What a change leaves only while it runs: its journal, kept old files and new ones.
QStringList changeLeftovers(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = QFileInfo(it.next()).fileName();
        if (name == FileChange::journalName() || name.endsWith(QLatin1String(".korvalin-old")) ||
            name.endsWith(QLatin1String(".korvalin-new")))
            found << name;
    }
    return found;
}

int cellsReading(const StringGrid &g, const QString &text)
{
    int n = 0;
    for (int col = 0; col < g.colCount(); ++col)
        for (int row = 0; row < g.rowCount(); ++row)
            n += g.cell(col, row) == text;
    return n;
}

class HostileNumbers : public StartedProgram
{
protected:
    void SetUp() override
    {
        StartedProgram::SetUp();
        // A new plan starts from the program folder's plan settings.
        DefaultLineMapPrefsFile = QStringLiteral(KORVALIN_RESOURCES_DIR "/line_map_prefs.ptf");
    }

    std::uint32_t pick(std::uint32_t n) { return std::uint32_t(m_random() % n); }

    // The plan files the sample lacks, so that their numbers are put to the test too: name
    // placements of a station, a section and a direction class, and labels of two lines.
    static void writeFurtherPlanFiles(const QTemporaryDir &dir)
    {
        writePtf(dir.filePath("lmisp_1.ptf"),
                 {"LineID", "IDType", "IDValue", "Position", "OffsetX", "OffsetY", "TextDirection", "Rotation"},
                 {"1,0,2,1,0,0,0,0", "2,1,1,1,5,5,0,45", "3,2,1,0,0,0,1,90"});
        writePtf(dir.filePath("line_map_line_text_visible.ptf"), {"LineMapID", "LineID", "Start", "End", "Other"},
                 {"1,1,true,true,false", "1,3,true,false,true"});
        writePtf(dir.filePath("line_map_line_text_color.ptf"),
                 {"LineMapID", "LineID", "DefaultColor", "ColorRed", "ColorGreen", "ColorBlue",
                  "DefaultBackgroundColor", "BackgroundColorRed", "BackgroundColorGreen", "BackgroundColorBlue"},
                 {"1,2,false,255,0,0,false,255,255,0"});
        writePtf(dir.filePath("line_map_line_text_offset.ptf"),
                 {"LineMapID", "LineID", "Position", "SectionID", "X", "Y"}, {"1,1,0,1,5,-5", "1,3,1,1,0,10"});
    }

    // Copies the sample into a fresh folder and puts hostile numbers into one to three of its
    // files, one to three values each; what was put where, for the failure message.
    QString writeProject(const QTemporaryDir &dir)
    {
        for (const QString &name : QDir(kSampleDir).entryList(QDir::Files))
            EXPECT_TRUE(QFile::copy(kSampleDir + "/" + name, dir.filePath(name))) << name.toStdString();
        writeFurtherPlanFiles(dir);
        const QStringList files = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        QStringList done;
        const std::uint32_t fileCount = 1 + pick(3);
        for (std::uint32_t f = 0; f < fileCount; ++f) {
            const QString name = files[int(pick(std::uint32_t(files.size())))];
            QStringList lines = ansi::decode(fileBytes(dir.filePath(name))).split(QStringLiteral("\r\n"));
            const bool ini = name.endsWith(QLatin1String(".ini"));
            QList<int> candidates; // lines that hold values
            for (int i = 0; i < lines.size(); ++i) {
                if (ini ? !lines[i].isEmpty() : (i >= 3 && i + 2 < lines.size()))
                    candidates << i;
            }
            if (candidates.isEmpty())
                continue;
            const std::uint32_t values = 1 + pick(3);
            for (std::uint32_t v = 0; v < values; ++v) {
                const int line = candidates[int(pick(std::uint32_t(candidates.size())))];
                const QString hostile = QLatin1String(kHostile[pick(std::uint32_t(std::size(kHostile)))]);
                QString &text = lines[line];
                if (ini && text.startsWith(QLatin1Char('['))) {
                    text = QLatin1Char('[') + hostile + QLatin1Char(']');
                } else if (ini) {
                    const int eq = int(text.indexOf(QLatin1Char('=')));
                    QStringList pieces = text.mid(eq + 1).split(QLatin1Char(','));
                    pieces[int(pick(std::uint32_t(pieces.size())))] = hostile;
                    text = text.left(eq + 1) + pieces.join(QLatin1Char(','));
                } else {
                    QStringList pieces = splitValues(text);
                    // The last piece is what follows the closing comma.
                    pieces[int(pick(std::uint32_t(pieces.size() - 1)))] = hostile;
                    text = pieces.join(QLatin1Char(','));
                }
                done << QStringLiteral("%1:%2 %3").arg(name).arg(line + 1).arg(text);
            }
            writeFileBytes(dir.filePath(name), ansi::encode(lines.join(QStringLiteral("\r\n"))));
        }
        return done.join(QStringLiteral("; "));
    }

    // Every timetable the editor offers is loaded; the first stored one that opens gets a trip
    // every 7 minutes after its last trip and is saved, the others are left unsaved.
    void workTimeTables()
    {
        TfmEditTimeTable *w = fmEditTimeTable;
        w->show();
        auto *lines = namedControl<QComboBox>(w, "cbLines");
        auto *days = namedControl<QComboBox>(w, "cbDays");
        auto *direction = namedControl<QComboBox>(w, "cbDirection");
        bool done = false;
        for (int l = 0; l < lines->count(); ++l) {
            for (int d = 0; d < days->count(); ++d) {
                for (int r = 0; r < direction->count(); ++r) {
                    lines->setCurrentIndex(l);
                    days->setCurrentIndex(d);
                    direction->setCurrentIndex(r);
                    w->btTimeTableEditClick();
                    if (namedControl<QWidget>(w, "pTimeTableEdit")->isHidden())
                        continue;
                    if (done || w->choice().NewTimeTable) {
                        w->btCancelClick();
                        continue;
                    }
                    StringGrid &g = w->model().sgTimeTable;
                    int col = TimeTableModel::FirstTripCol;
                    while (col + 1 < g.colCount() && !g.cell(col, TimeTableModel::FirstStopRow).trimmed().isEmpty())
                        ++col;
                    for (int row = TimeTableModel::FirstStopRow; row < g.rowCount(); ++row)
                        g.setCell(col, row, kTyped);
                    w->model().EditOn();
                    w->btSaveClick();
                    done = true;
                    if (!namedControl<QWidget>(w, "pTimeTableEdit")->isHidden()) {
                        w->btCancelClick();
                        continue;
                    }
                    // Saved: opened again, it shows the interval wherever the grid held it when saved
                    // (the check before the save may have cleared a stop of it).
                    const int saved = cellsReading(g, kTyped);
                    w->btTimeTableEditClick();
                    EXPECT_FALSE(namedControl<QWidget>(w, "pTimeTableEdit")->isHidden()) << "the saved timetable";
                    EXPECT_EQ(cellsReading(w->model().sgTimeTable, kTyped), saved)
                        << "line " << lines->currentText().toStdString() << " " << days->currentText().toStdString()
                        << " " << direction->currentText().toStdString();
                    w->btCancelClick();
                }
            }
        }
        w->hide();
    }

    // Every time of a connection found is a time of the service day or after it, never one
    // below midnight, whatever the cells held.
    static void expectTimesOfDay()
    {
        for (const DetailConnectionItem &c : std::as_const(ResultList)) {
            EXPECT_GE(c.FirstDeparture, 0);
            for (const ConnectionLeg &leg : c.Legs) {
                EXPECT_GE(leg.Departure, 0) << "leg of line " << leg.LineID;
                EXPECT_GE(leg.Arrival, 0) << "leg of line " << leg.LineID;
            }
        }
    }

    // Two queries as the timetable information window runs them, on the first day group at
    // 06:00: one with a change (from the main station to the baths) and one from the first to
    // the last station served.
    static void query()
    {
        openQueryShowing();
        const QStringList stations = servedStationNames();
        const QStringList days = dayGroupTexts();
        if (!stations.isEmpty() && !days.isEmpty()) {
            runConnectionQuery(QStringLiteral("Hauptbahnhof"), QStringLiteral("Nordbad"), days.first(), 6 * 60);
            expectTimesOfDay();
            runConnectionQuery(stations.first(), stations.last(), days.first(), 6 * 60);
            expectTimesOfDay();
        }
        closeQueryShowing();
    }

    // In the drawing editor: the image exported, then one line of the list worked in every mode
    // (the course saved, the stations distributed and saved, the transfer stations and the
    // labels saved), each save exporting the image again.
    static void workInDrawingEditor(TfmEditLineMapLines *e, std::uint32_t line)
    {
        using Editor = TfmEditLineMapLines;
        struct Mode {
            void (Editor::*enter)();
            void (Editor::*work)();
            void (Editor::*save)();
            void (Editor::*cancel)();
        };
        const Mode modes[] = {
            {&Editor::bbEditLineClick, nullptr, &Editor::bbSaveLineClick, &Editor::bbCancelLineClick},
            {&Editor::bbEditStationsClick, &Editor::bbStationsArrangeClick, &Editor::bbSaveStationClick,
             &Editor::bbCancelStationsClick},
            {&Editor::bbEditMultiStationsClick, nullptr, &Editor::bbSaveMultiStationsClick,
             &Editor::bbCancelMultiStationsClick},
            {&Editor::bbEditLineTextClick, nullptr, &Editor::btSaveLineTextClick, &Editor::btCancelLineTextClick},
        };
        e->ExportLineMapImage();
        auto *lines = namedControl<QListWidget>(e, "lbLines");
        for (const Mode &m : modes) {
            if (lines->count() == 0)
                break;
            lines->setCurrentRow(int(line % std::uint32_t(lines->count())));
            (e->*m.enter)();
            if (lines->isEnabled())
                continue; // the mode was not entered
            if (m.work)
                (e->*m.work)();
            (e->*m.save)();
            if (!lines->isEnabled())
                (e->*m.cancel)();
        }
        e->reject();
    }

    // The plan list opened from the main window: a new plan added, then the first plan opened
    // in the drawing editor.
    void drawPlan()
    {
        const std::uint32_t line = pick(3);
        QTimer::singleShot(0, [line] {
            auto *list = qobject_cast<TfmEditLineNetworkPlans *>(QApplication::activeModalWidget());
            if (!list)
                return;
            list->btNewLineMapClick();
            namedControl<QLineEdit>(list, "eMapName")->setText(QStringLiteral("Neuer Plan"));
            list->eMapNameExit();
            list->btSaveClick();
            if (!namedControl<QWidget>(list, "gbLineMapEdit")->isHidden())
                list->btCancelClick();
            auto *maps = namedControl<QListWidget>(list, "lbMaps");
            if (maps->count() > 0) {
                maps->setCurrentRow(0);
                QTimer::singleShot(0, [line] {
                    if (auto *e = qobject_cast<TfmEditLineMapLines *>(QApplication::activeModalWidget()))
                        workInDrawingEditor(e, line);
                });
                list->bbLineMapWorkClick();
            }
            list->reject();
        });
        fmMain->sbEditLineNetworkPlansClick();
    }

    // A new station in the station editor, then put on the first line after its last stop.
    static void addStation()
    {
        TfmEditStations *s = fmEditStations;
        s->show();
        s->btNewStationClick();
        namedControl<QLineEdit>(s, "leStationName")->setText(QStringLiteral("Neue Haltestelle"));
        s->leStationNameChange();
        s->btSaveClick();
        if (namedControl<QWidget>(s, "btClose")->isHidden())
            s->btCancelClick();
        s->hide();

        TfmEditLineStations *w = fmEditLineStations;
        w->show();
        auto *lines = namedControl<QListWidget>(w, "lbLines");
        auto *stations = namedControl<QListWidget>(w, "lbStations");
        if (lines->count() > 0) {
            lines->setCurrentRow(0);
            w->btStationEditClick();
            const auto added = stations->findItems(QStringLiteral("Neue Haltestelle"), Qt::MatchExactly);
            if (!added.isEmpty()) {
                stations->clearSelection();
                added.first()->setSelected(true);
                w->btStationToLineClick();
            }
            w->btSaveClick();
        }
        w->hide();
    }

    std::mt19937 m_random{20250425};
    AgreeingDialogs m_dialogs;
};

} // namespace

TEST_F(HostileNumbers, EveryRoundLeavesASoundProject)
{
    for (int round = 0; round < kRounds; ++round) {
        QTemporaryDir dir(roundFolder());
        ASSERT_TRUE(dir.isValid());
        const QString changes = writeProject(dir);
        SCOPED_TRACE(QStringLiteral("round %1: %2").arg(round).arg(changes).toStdString());
        const std::map<QString, QByteArray> before = tableFiles(dir.path());
        m_dialogs.messages.clear();
        fmMain->LoadProject(dir.filePath(QStringLiteral("Musterstadt.ppr")));
        if (ProjectDir != dir.path())
            continue; // not a project file any more
        workTimeTables();
        query();
        drawPlan();
        addStation();
        ProjectFileName.clear();
        ProjectDir.clear();
        EXPECT_EQ(changeLeftovers(dir.path()), QStringList());
        // A file told damaged keeps its bytes; one the round wrote reads back whole.
        const QSet<QString> damaged = toldDamaged(m_dialogs.messages, dir.path());
        for (const auto &[name, now] : tableFiles(dir.path())) {
            const auto was = before.find(name);
            if (was == before.end() || was->second == now)
                continue;
            EXPECT_FALSE(damaged.contains(name)) << name.toStdString() << " was told damaged and written over";
            Table scratch(QStringLiteral("scratch"));
            EXPECT_TRUE(LoadPtfFileStructure(dir.filePath(name), scratch)) << name.toStdString() << " written damaged";
        }
    }
}
