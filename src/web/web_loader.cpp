#include "web/web_loader.h"

#include "data/main_globals.h"
#include "platform/ansi.h"
#include "platform/file_address.h"

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

QString EscapePageAddress(const QString &address)
{
    QString result;
    result.reserve(address.size());
    for (qsizetype i = 0; i < address.size(); ++i) {
        const QChar c = address[i];
        switch (c.unicode()) {
        case '%': result += QLatin1String("%25"); continue;
        case '"': result += QLatin1String("%22"); continue;
        case '#': result += QLatin1String("%23"); continue;
        case '&': result += QLatin1String("%26"); continue;
        case '?': result += QLatin1String("%3F"); continue;
        default: break;
        }
        // Printable ASCII only: the page is read in one code page and its address sent in
        // another, so anything beyond goes as the UTF-8 bytes the template decodes.
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
            result += c;
            continue;
        }
        const qsizetype len = (c.isHighSurrogate() && i + 1 < address.size() && address[i + 1].isLowSurrogate()) ? 2 : 1;
        const QByteArray utf8 = address.mid(i, len).toUtf8();
        for (const char b : utf8)
            result += QStringLiteral("%%1").arg(uint(uchar(b)), 2, 16, QLatin1Char('0')).toUpper();
        i += len - 1;
    }
    return result;
}

QString PageURL(const QString &projectDir)
{
    return EscapePageAddress(LocalFileAddress(ProgramDir + QStringLiteral("KorvalinView/index.htm"))) +
           QStringLiteral("?quernatab_path=") + EscapePageAddress(LocalFileAddress(projectDir));
}

QString PageURL()
{
    return PageURL(ProjectDir);
}

QUrl LocalAddressToUrl(const QString &address)
{
    const QUrl file = FileAddressUrl(address);
    return file.isEmpty() ? QUrl::fromUserInput(address) : file;
}

QString WebLoaderPageFile(const QString &projectDir)
{
    return projectDir + QStringLiteral("/webloader.htm");
}

bool WriteWebLoaderPage(const QString &projectDir)
{
    return ansi::writeLines(WebLoaderPageFile(projectDir), WebLoaderPageLines(PageURL(projectDir)));
}

bool WriteWebLoaderPage()
{
    return WriteWebLoaderPage(ProjectDir);
}
