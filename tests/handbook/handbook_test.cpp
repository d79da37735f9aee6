// The handbook that the build writes into the program folder: every chapter reaches the PDF,
// and every picture it shows was taken and holds a window.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString pdfFile = QStringLiteral(KORVALIN_HANDBOOK_PDF);
const QString textFile = QStringLiteral(KORVALIN_HANDBOOK_TEXT);
const QString pictureDir = QStringLiteral(KORVALIN_HANDBOOK_PICTURES);

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString handbookText()
{
    return QString::fromUtf8(readAll(textFile));
}

} // namespace

TEST(Handbook, PdfInTheProgramFolderHasAPagePerChapter)
{
    ASSERT_TRUE(QFile::exists(pdfFile)) << pdfFile.toStdString();
    const QString pdf = QString::fromLatin1(readAll(pdfFile));
    ASSERT_TRUE(pdf.startsWith(QStringLiteral("%PDF-")));

    // Page objects only: the page tree is "/Type /Pages".
    const qsizetype pages = pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![A-Za-z])")));
    const qsizetype chapters = handbookText().count(QRegularExpression(QStringLiteral("^# "),
                                                                       QRegularExpression::MultilineOption));
    EXPECT_GE(chapters, 9);
    EXPECT_GE(pages, chapters);
}

TEST(Handbook, EveryPictureOfTheTextWasTakenAndIsNotBlank)
{
    QSet<QString> referenced;
    const QRegularExpression image(QStringLiteral("!\\[[^\\]]*\\]\\(([^)]+)\\)"));
    for (const QRegularExpressionMatch &match : image.globalMatch(handbookText()))
        referenced.insert(match.captured(1));
    ASSERT_FALSE(referenced.isEmpty());

    const QStringList taken = QDir(pictureDir).entryList({QStringLiteral("*.png")}, QDir::Files);
    for (const QString &name : referenced)
        EXPECT_TRUE(taken.contains(name)) << "no picture " << name.toStdString();

    for (const QString &name : taken) {
        const QImage picture = QImage(pictureDir + QLatin1Char('/') + name).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(picture.isNull()) << name.toStdString();
        bool coloured = false;
        const QRgb first = picture.pixel(0, 0);
        for (int y = 0; y < picture.height() && !coloured; ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
            for (int x = 0; x < picture.width() && !coloured; ++x)
                coloured = line[x] != first;
        }
        EXPECT_TRUE(coloured) << name.toStdString() << " is blank";
    }
}
