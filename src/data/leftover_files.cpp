#include "data/leftover_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Every file the program writes into a project folder: the tables with fixed names, the
// per-line, per-connection and per-plan tables, the distances and the loader page.
const QString &ownTargetPattern()
{
    static const QString pattern = QStringLiteral(
        "(?:stations|lines|newstations|line_stations|line_connections|intervals|line_graphic|prefs|daygroups"
        "|line_maps|line_map_prefs|line_map_lines|line_map_line_sections|line_map_line_intersections"
        "|line_map_line_text_visible|line_map_line_text_color|line_map_line_text_offset"
        "|(?:tt|ttc|lms|lmisp|lmimsp)_-?[0-9]+)\\.ptf"
        "|distances\\.ini|webloader\\.htm");
    return pattern;
}

// The atomic writer's temporary name: the target, a dot and six random letters or digits.
const QString kRandomSuffix = QStringLiteral("\\.[A-Za-z0-9]{6}");

} // namespace

bool isLeftoverWriteFile(const QString &fileName, const QString &projectFileName)
{
    static const QRegularExpression own(
        QRegularExpression::anchoredPattern(QStringLiteral("(?:%1)%2").arg(ownTargetPattern(), kRandomSuffix)));
    if (own.match(fileName).hasMatch())
        return true;
    // Asked for every file of the folder: the project's own name is compared as it stands, so no
    // pattern is built per file.
    static const QRegularExpression randomSuffix(QRegularExpression::anchoredPattern(kRandomSuffix));
    const QString project = QFileInfo(projectFileName).fileName();
    return !project.isEmpty() && fileName.startsWith(project)
        && randomSuffix.match(QStringView(fileName).mid(project.size())).hasMatch();
}

bool isLeftoverImageFile(const QString &fileName)
{
    static const QRegularExpression image(
        QRegularExpression::anchoredPattern(QStringLiteral("line_map_-?[0-9]+\\.jpg\\.[0-9]+\\.tmp")));
    return image.match(fileName).hasMatch();
}

QStringList removeLeftoverWriteFiles(const QString &projectDir, const QString &projectFileName)
{
    QStringList removed;
    // Plain files only: a folder or a link of such a name is the user's.
    auto sweep = [&](const QString &folder, const QString &prefix, auto isLeftover) {
        const QDir dir(folder);
        const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
        for (const QString &name : names) {
            if (isLeftover(name) && QFile::remove(dir.filePath(name)))
                removed << prefix + name;
        }
    };
    if (projectDir.isEmpty())
        return removed;
    sweep(projectDir, QString(), [&](const QString &name) { return isLeftoverWriteFile(name, projectFileName); });
    sweep(projectDir + QStringLiteral("/images"), QStringLiteral("images/"), isLeftoverImageFile);
    return removed;
}
