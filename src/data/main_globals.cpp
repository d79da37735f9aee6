#include "data/main_globals.h"

QString ProgramDir;
QString ProductTitle;
QString ProgVersion;
QString ProgType;
QString DefaultProjectFile;
QString DefaultPrefsFile;
QString DefaultDayGroupsFile;
QString DefaultLineMapPrefsFile;
QString ProjectFileName;
QString ProjectDir;
QString WebPreviewURL;

QString ExtractProjectDir(const QString &fileName)
{
    const qsizetype slash = std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    if (slash < 0)
        return QString();
    QString dir = fileName.left(slash + 1);
    // A trailing separator is dropped unless it ends a drive ("C:\") or is the root itself.
    if (dir.size() > 1 && !(dir.size() >= 2 && dir[dir.size() - 2] == QLatin1Char(':')))
        dir.chop(1);
    return dir;
}
