#include "web/web_loader.h"

#include "data/main_globals.h"
#include "platform/ansi.h"

#include <QDir>

QString LocalFileAddress(const QString &path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool drivePath = p.size() >= 2 && p[1] == QLatin1Char(':');
    if (!drivePath && QDir::isRelativePath(p))
        p = QDir::current().absoluteFilePath(p);
    while (p.startsWith(QLatin1Char('/')))
        p.remove(0, 1);
    return QStringLiteral("file:///") + p;
}

QStringList WebLoaderPageLines(const QString &pageUrl)
{
    return {
        QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\""),
        QStringLiteral("\"http://www.w3.org/TR/html4/loose.dtd\">"),
        QStringLiteral("<html>"),
        QStringLiteral("<head>"),
        QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"),
        QStringLiteral("<title>Korvalin Loader</title>"),
        QStringLiteral("</head>"),
        QStringLiteral("<frameset rows=\"100%,*\" frameborder=\"NO\" border=\"0\" framespacing=\"0\">"),
        QStringLiteral("<frame src=\"") + pageUrl +
            QStringLiteral("\" name=\"Korvalin Anwendungen\" scrolling=\"auto\" noresize >"),
        QStringLiteral("<frame scrolling=\"no\" noresize >"),
        QStringLiteral("</frameset>"),
        QStringLiteral("<body>"),
        QStringLiteral("</body>"),
        QStringLiteral("</html>"),
    };
}

bool WriteWebLoaderPage()
{
    const QString pageUrl = LocalFileAddress(ProgramDir + QStringLiteral("KorvalinView/index.htm")) +
                            QStringLiteral("?quernatab_path=") + LocalFileAddress(ProjectDir);
    return ansi::writeLines(ProjectDir + QStringLiteral("/webloader.htm"), WebLoaderPageLines(pageUrl));
}
