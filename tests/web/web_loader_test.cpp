#include "web/web_loader.h"

#include "data/main_globals.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray contentOf(const QString &fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(LocalFileAddress, OneFileSchemeBeforeAnAbsolutePathWithSlashesOnly)
{
    EXPECT_EQ(LocalFileAddress(QStringLiteral("C:\\Data\\P1\\webloader.htm")), "file:///C:/Data/P1/webloader.htm");
    EXPECT_EQ(LocalFileAddress(QStringLiteral("/home/anna/Mein Projekt")), "file:///home/anna/Mein Projekt");
    EXPECT_EQ(LocalFileAddress(QStringLiteral("/home/a\\b")), "file:///home/a/b");
    EXPECT_EQ(LocalFileAddress(QStringLiteral("rel/x.htm")), "file://" + QDir::current().absoluteFilePath("rel/x.htm"));
}

TEST(WebLoaderPage, ExactBytesAndTheSameFileWhenWrittenTwice)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ProgramDir = QStringLiteral("/opt/korvalin/");
    ProjectDir = dir.path() + QStringLiteral("/Linien Süd");
    ASSERT_TRUE(QDir().mkpath(ProjectDir));

    ASSERT_TRUE(WriteWebLoaderPage());
    const QByteArray expected = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\r\n"
                                "\"http://www.w3.org/TR/html4/loose.dtd\">\r\n"
                                "<html>\r\n"
                                "<head>\r\n"
                                "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
                                "<title>Korvalin Loader</title>\r\n"
                                "</head>\r\n"
                                "<frameset rows=\"100%,*\" frameborder=\"NO\" border=\"0\" framespacing=\"0\">\r\n"
                                "<frame src=\"file:///opt/korvalin/KorvalinView/index.htm?quernatab_path=file://" +
                                QFile::encodeName(dir.path()) +
                                "/Linien S\xfc"
                                "d\" name=\"Korvalin Anwendungen\" scrolling=\"auto\" noresize >\r\n"
                                "<frame scrolling=\"no\" noresize >\r\n"
                                "</frameset>\r\n"
                                "<body>\r\n"
                                "</body>\r\n"
                                "</html>\r\n";
    EXPECT_EQ(contentOf(ProjectDir + "/webloader.htm"), expected);

    ASSERT_TRUE(WriteWebLoaderPage());
    EXPECT_EQ(contentOf(ProjectDir + "/webloader.htm"), expected);
}

TEST(WebLoaderPage, AFolderThatCannotBeWrittenGivesFalse)
{
    QTemporaryDir dir;
    ProgramDir = QStringLiteral("/opt/korvalin/");
    ProjectDir = dir.path() + QStringLiteral("/missing");
    EXPECT_FALSE(WriteWebLoaderPage());
    EXPECT_FALSE(QFile::exists(ProjectDir + "/webloader.htm"));
}
