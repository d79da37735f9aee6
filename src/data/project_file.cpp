#include "data/project_file.h"

#include "data/project_change.h"

#include "data/data_module_1.h"
#include "data/db_func.h"
#include "data/main_globals.h"
#include "data/table_files.h"
#include "platform/ansi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <exception>
#include <utility>

bool isProjectFile(const QString &fileName)
{
    constexpr qint64 kMaxProjectFileBytes = 1024 * 1024; // one header row
    const QFileInfo info(fileName);
    QString text;
    if (!info.isFile() || info.size() > kMaxProjectFileBytes || !ansi::readText(fileName, text))
        return false;
    const QVector<FieldDef> &defs = dm1->cdsProject.fieldDefs();
    QStringList names;
    if (!ReadPtfColumnNames(text, names) || names.isEmpty() || names.size() > defs.size())
        return false;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(defs[i].name, Qt::CaseInsensitive) != 0)
            return false;
    }
    Table probe(dm1->cdsProject.name());
    probe.fieldDefs() = defs;
    if (!LoadPtfText(text, probe))
        return false;
    probe.open();
    return !probe.isEmpty();
}

bool folderHoldsProject(const QString &dir)
{
    return !QDir(dir)
                .entryList({QStringLiteral("*.ppr"), QStringLiteral("*.ptf"), QStringLiteral("distances.ini")},
                           QDir::Files | QDir::Hidden)
                .isEmpty();
}

namespace {

// A scratch table with the fields of one of the data module's tables.
void defineLike(Table &scratch, const Table &model)
{
    scratch.fieldDefs() = model.fieldDefs();
}

// Remembers what it wrote and made, so that a failure takes all of it back.
class NewProjectWriter
{
public:
    NewProjectWriter(const QString &fileName, const ProjectPageWrite &page)
        : m_fileName(fileName), m_dir(ExtractProjectDir(fileName)), m_page(page)
    {
    }

    bool write(QString &failure)
    {
        if (!writeAll(failure)) {
            undo();
            return false;
        }
        return true;
    }

private:
    bool writeAll(QString &failure)
    {
        const QString projectName = QFileInfo(m_fileName).fileName();
        Table project(dm1->cdsProject.name()), dayGroups(dm1->cdsDayGroups.name()), prefs(dm1->cdsPrefs.name());
        defineLike(project, dm1->cdsProject);
        defineLike(dayGroups, dm1->cdsDayGroups);
        defineLike(prefs, dm1->cdsPrefs);
        const QStringList prefsDefaults = {QStringLiteral("ProjectName=") + projectName};
        // A project file without its header row would not open again.
        if (!LoadPtfFile(DefaultProjectFile, project) || (project.open(), project.isEmpty())) {
            failure = QStringLiteral("Project-File %1 not found").arg(DefaultProjectFile);
            return false;
        }
        if (!LoadPtfFile(DefaultDayGroupsFile, dayGroups)) {
            failure = QStringLiteral("Daygroups-File %1 not found").arg(DefaultDayGroupsFile);
            return false;
        }
        if (!QFileInfo(DefaultPrefsFile).isFile() || !ImportPtfFile(DefaultPrefsFile, prefs, &prefsDefaults, false)) {
            failure = QStringLiteral("Preferences file (%1) not found").arg(DefaultPrefsFile);
            return false;
        }
        try {
            FillProjectHeader(project);
            prefs.open();
            if (!prefs.isEmpty()) {
                prefs.first();
                prefs.edit();
                prefs.fieldByName(QStringLiteral("ProjectName")).setString(projectName);
                prefs.post();
            }
        } catch (const std::exception &) {
            failure = QStringLiteral("Error saving the project file %1").arg(m_fileName);
            return false;
        }
        if (!makeFolder(failure))
            return false;
        // The new project's files are there all together or not at all; files of that name that
        // were there before come back when a write fails.
        ProjectChange change(m_dir);
        const QChar quote = QLatin1Char('"');
        const QString dayGroupsFile = m_dir + QStringLiteral("/daygroups.ptf");
        const QString prefsFile = m_dir + QStringLiteral("/prefs.ptf");
        const bool ok = saved(m_fileName, SavePtfFile(m_fileName, quote, project), failure) &&
                        saved(dayGroupsFile, SavePtfFile(dayGroupsFile, quote, dayGroups), failure) &&
                        saved(prefsFile, SavePtfFile(prefsFile, quote, prefs), failure) &&
                        saved(m_page.fileName, m_page.write(), failure);
        if (change.finish(ok))
            return true;
        if (ok)
            failure = ansi::withWriteReason(QStringLiteral("Error saving the file %1").arg(m_fileName));
        return false;
    }

    bool makeFolder(QString &failure)
    {
        if (QFileInfo(m_dir).isDir())
            return true;
        // The highest folder that is missing is the one to remove again.
        QString missing = m_dir;
        for (QString up = QFileInfo(missing).path(); !QFileInfo::exists(up) && up != missing; up = QFileInfo(up).path())
            missing = up;
        m_madeFolder = missing;
        if (!QDir().mkpath(m_dir)) {
            failure = QStringLiteral("The folder %1 cannot be created.").arg(m_dir);
            return false;
        }
        return true;
    }

    bool saved(const QString &file, bool ok, QString &failure)
    {
        if (ok)
            return true;
        failure = ansi::withWriteReason(QStringLiteral("Error saving the file %1").arg(file));
        return false;
    }

    void undo()
    {
        if (m_madeFolder.isEmpty())
            return;
        // Only empty folders go, from the deepest up to the one this writer made.
        for (QString dir = m_dir;; dir = QFileInfo(dir).path()) {
            QDir().rmdir(dir);
            if (dir == m_madeFolder || QFileInfo(dir).path() == dir)
                break;
        }
    }

    QString m_fileName;
    QString m_dir;
    ProjectPageWrite m_page;
    QString m_madeFolder;
};

} // namespace

bool writeNewProject(const QString &projectFileName, const ProjectPageWrite &page, QString &failure)
{
    return NewProjectWriter(projectFileName, page).write(failure);
}
