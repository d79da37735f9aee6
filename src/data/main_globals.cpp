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
    // A backslash is a separator on Windows only; elsewhere it is part of a file's name.
    qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    slash = std::max(slash, fileName.lastIndexOf(QLatin1Char('\\')));
#endif
    if (slash < 0)
        return QString();
    QString dir = fileName.left(slash + 1);
    // A trailing separator is dropped unless it ends a drive ("C:\") or is the root itself.
#ifdef Q_OS_WIN
    const bool drive = dir.size() >= 2 && dir[dir.size() - 2] == QLatin1Char(':');
#else
    const bool drive = false;
#endif
    if (dir.size() > 1 && !drive)
        dir.chop(1);
    return dir;
}
