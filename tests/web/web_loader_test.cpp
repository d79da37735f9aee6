#include "web/web_loader.h"

#include "platform/ansi.h"
#include "support/file_size_limit.h"
#include "support/project_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using WebLoaderPage = FolderGlobalsTest;

TEST(LocalFileAddress, OneFileSchemeBeforeAnAbsolutePathWithSlashesOnly)
{
    EXPECT_EQ(LocalFileAddress(QStringLiteral("C:\\Data\\P1\\webloader.htm")), "file:///C:/Data/P1/webloader.htm");
    EXPECT_EQ(LocalFileAddress(QStringLiteral("/home/anna/Mein Projekt")), "file:///home/anna/Mein Projekt");
    EXPECT_EQ(LocalFileAddress(QStringLiteral("/home/a\\b")), "file:///home/a/b");
    EXPECT_EQ(LocalFileAddress(QStringLiteral("rel/x.htm")), "file://" + QDir::current().absoluteFilePath("rel/x.htm"));
}

TEST_F(WebLoaderPage, ExactBytesAndTheSameFileWhenWrittenTwice)
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
                                "/Linien S%C3%BCd\" name=\"Korvalin Anwendungen\" scrolling=\"auto\" noresize >\r\n"
                                "<frame scrolling=\"no\" noresize >\r\n"
                                "</frameset>\r\n"
                                "<body>\r\n"
                                "</body>\r\n"
                                "</html>\r\n";
    EXPECT_EQ(fileBytes(ProjectDir + "/webloader.htm"), expected);

    ASSERT_TRUE(WriteWebLoaderPage());
    EXPECT_EQ(fileBytes(ProjectDir + "/webloader.htm"), expected);
}

// A new project's page goes into its own folder while another project is open: the open
// project's folder and globals are not touched, and the page names the folder it stands in.
TEST_F(WebLoaderPage, WrittenIntoAGivenFolderNamesThatFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ProgramDir = QStringLiteral("/opt/korvalin/");
    ProjectDir = dir.path() + QStringLiteral("/offen");
    const QString other = dir.path() + QStringLiteral("/neu");
    ASSERT_TRUE(QDir().mkpath(ProjectDir));
    ASSERT_TRUE(QDir().mkpath(other));

    EXPECT_EQ(WebLoaderPageFile(other), other + "/webloader.htm");
    ASSERT_TRUE(WriteWebLoaderPage(other));
    EXPECT_EQ(ProjectDir, dir.path() + "/offen");
    EXPECT_EQ(folderEntries(ProjectDir), QStringList());
    EXPECT_EQ(PageURL(other), "file:///opt/korvalin/KorvalinView/index.htm?quernatab_path=file://" + other);
    EXPECT_EQ(ansi::decode(fileBytes(other + "/webloader.htm")).split("\r\n").at(8),
              "<frame src=\"" + PageURL(other) + "\" name=\"Korvalin Anwendungen\" scrolling=\"auto\" noresize >");
    EXPECT_NE(PageURL(), PageURL(other));
}

TEST_F(WebLoaderPage, AFolderThatCannotBeWrittenGivesFalse)
{
    QTemporaryDir dir;
    ProgramDir = QStringLiteral("/opt/korvalin/");
    ProjectDir = dir.path() + QStringLiteral("/missing");
    EXPECT_FALSE(WriteWebLoaderPage());
    EXPECT_FALSE(QFile::exists(ProjectDir + "/webloader.htm"));
}

// On a full disk the page is not written: the old page stays whole, no temporary file is left.
TEST_F(WebLoaderPage, AFullDiskKeepsTheOldPage)
{
    QTemporaryDir dir;
    ProgramDir = QStringLiteral("/opt/korvalin/");
    ProjectDir = dir.path();
    writeFileBytes(ProjectDir + "/webloader.htm", "old page");
    const LimitedWrite w = writeWithFileSizeLimit(200, [&](QString &reason) {
        const bool ok = WriteWebLoaderPage();
        reason = ansi::lastWriteError();
        return ok;
    });
    ASSERT_TRUE(w.ran);
    EXPECT_FALSE(w.result);
    EXPECT_TRUE(w.reason.contains(fileTooLargeText(), Qt::CaseInsensitive)) << w.reason.toStdString();
    EXPECT_EQ(fileBytes(ProjectDir + "/webloader.htm"), "old page");
    EXPECT_EQ(folderEntries(ProjectDir), QStringList{"webloader.htm"});
}

TEST(PageURL, FolderNamesCannotEndTheAttributeOrBreakTheAddress)
{
    const KeptFolderGlobals kept;
    EXPECT_EQ(EscapePageAddress(QStringLiteral("file:///a\"b#c%d&e?f g/x~")), "file:///a%22b%23c%25d%26e%3Ff g/x~");
    // Every character outside printable ASCII goes as its UTF-8 bytes, those of the ANSI code
    // page too, so the browser and the template read the address alike.
    EXPECT_EQ(EscapePageAddress(QStringLiteral("/Süd€/Ü–Bahn/Linien Ã¼")),
              "/S%C3%BCd%E2%82%AC/%C3%9C%E2%80%93Bahn/Linien %C3%83%C2%BC");
    EXPECT_EQ(EscapePageAddress(QStringLiteral("/Łódź/\U0001F68C")), "/%C5%81%C3%B3d%C5%BA/%F0%9F%9A%8C");
    EXPECT_EQ(EscapePageAddress(QStringLiteral("/a\tb\x7f\u00a0")), "/a%09b%7F%C2%A0");

    ProgramDir = QStringLiteral("/opt/k#1/");
    ProjectDir = QStringLiteral("/data/P \"x\" onload=\"alert(1)");
    EXPECT_EQ(PageURL(), "file:///opt/k%231/KorvalinView/index.htm?quernatab_path=file:///data/P %22x%22 "
                         "onload=%22alert(1)");
    const QString frame = WebLoaderPageLines(PageURL()).at(8);
    EXPECT_EQ(frame.count(QLatin1Char('"')), 6); // src, name and scrolling only
}

TEST(LocalAddressToUrl, AFileAddressIsTheFileAtItsPath)
{
    EXPECT_EQ(LocalAddressToUrl(QStringLiteral("file:///home/a#1/b%20c/webloader.htm")).toLocalFile(),
              "/home/a#1/b%20c/webloader.htm");
    EXPECT_EQ(LocalAddressToUrl(QStringLiteral("file:////srv/x")).toLocalFile(), "/srv/x");
    EXPECT_EQ(LocalAddressToUrl(QStringLiteral("example.org/x")).scheme(), "http");
}
