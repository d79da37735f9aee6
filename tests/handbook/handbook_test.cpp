// The handbook that the build writes into the program folder: every chapter reaches the PDF,
// every picture it shows was taken and holds a window, and the pages show every picture once,
// whole inside the text area, and no heading alone at a page foot.
#include "linemap/golden_image.h"
#include "linemap/linemap_export.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPolygonF>
#include <QRectF>
#include <QRegularExpression>
#include <QSet>
#include <QTransform>

#include <algorithm>
#include <map>

namespace {

const QString pdfFile = QStringLiteral(KORVALIN_HANDBOOK_PDF);
const QString textFile = QStringLiteral(KORVALIN_HANDBOOK_TEXT);
const QString pictureDir = QStringLiteral(KORVALIN_HANDBOOK_PICTURES);
const QString sampleDir = QStringLiteral(KORVALIN_HANDBOOK_SAMPLE);

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString handbookText()
{
    return QString::fromUtf8(readAll(textFile));
}

// What one page of the PDF places, in PDF points from the page's lower left corner: the
// pictures and the text runs, each with the clip in force, as a reader of the content stream
// sees them (the PDF writer draws whole blocks and clips them to the page).
struct PagePlacements
{
    struct Picture
    {
        QRectF box;
        QRectF clip;
    };
    struct Text
    {
        QPointF origin;
        qreal size = 0;
        QRectF clip;
    };
    QList<Picture> pictures;
    QList<Text> texts;
};

QByteArray inflate(const QByteArray &deflated)
{
    QByteArray sized(4, '\0');
    const quint32 guess = quint32(deflated.size()) * 8;
    for (int i = 0; i < 4; ++i)
        sized[i] = char(guess >> (24 - 8 * i));
    return qUncompress(sized + deflated);
}

// Follows the graphics state of one content stream: q/Q, cm, clipping paths, text positions and
// the XObjects drawn. Only the operators the PDF writer uses for the handbook are followed.
PagePlacements readContent(const QByteArray &content)
{
    struct State
    {
        QTransform ctm;
        QRectF clip{-1e6, -1e6, 2e6, 2e6};
    };
    PagePlacements page;
    State state;
    QList<State> saved;
    QList<qreal> operands;
    QList<QPointF> path;
    bool clipPending = false;
    QTransform textLine;
    qreal fontSize = 0;
    const auto addPathPoint = [&](qreal x, qreal y) { path << state.ctm.map(QPointF(x, y)); };
    const qsizetype n = content.size();
    for (qsizetype i = 0; i < n;) {
        const char c = content[i];
        if (QChar::isSpace(uchar(c))) {
            ++i;
        } else if (c == '<' && i + 1 < n && content[i + 1] != '<') { // hex string
            i = content.indexOf('>', i) + 1;
        } else if (c == '(') { // literal string, with nesting and escapes
            int depth = 0;
            for (; i < n; ++i) {
                if (content[i] == '\\')
                    ++i;
                else if (content[i] == '(')
                    ++depth;
                else if (content[i] == ')' && --depth == 0)
                    break;
            }
            ++i;
        } else if (c == '[' || c == ']' || c == '<' || c == '>') {
            ++i;
        } else if (c == '/') { // a name: operand of gs, cs, Tf, Do
            ++i;
            while (i < n && !QChar::isSpace(uchar(content[i])) && !QByteArray("/[]<>()").contains(content[i]))
                ++i;
        } else {
            qsizetype end = i;
            while (end < n && !QChar::isSpace(uchar(content[end])) && !QByteArray("/[]<>()").contains(content[end]))
                ++end;
            const QByteArray word = content.mid(i, end - i);
            i = end;
            bool number = false;
            const qreal value = word.toDouble(&number);
            if (number) {
                operands << value;
                continue;
            }
            const auto arg = [&](int k) { return operands.value(operands.size() - 6 + k); };
            if (word == "q") {
                saved << state;
            } else if (word == "Q" && !saved.isEmpty()) {
                state = saved.takeLast();
            } else if (word == "cm" && operands.size() >= 6) {
                state.ctm = QTransform(arg(0), arg(1), arg(2), arg(3), arg(4), arg(5)) * state.ctm;
            } else if ((word == "m" || word == "l") && operands.size() >= 2) {
                addPathPoint(operands[operands.size() - 2], operands.last());
            } else if (word == "re" && operands.size() >= 4) {
                const qreal x = operands[operands.size() - 4], y = operands[operands.size() - 3];
                const qreal w = operands[operands.size() - 2], h = operands.last();
                addPathPoint(x, y);
                addPathPoint(x + w, y + h);
            } else if (word == "W" || word == "W*") {
                clipPending = true;
            } else if (word == "n" || word == "f" || word == "f*" || word == "S" || word == "B" || word == "b") {
                if (clipPending && !path.isEmpty())
                    state.clip = state.clip.intersected(QPolygonF(path).boundingRect());
                clipPending = false;
                path.clear();
            } else if (word == "BT") {
                textLine = QTransform();
            } else if (word == "Tf" && !operands.isEmpty()) {
                fontSize = operands.last();
            } else if (word == "Tm" && operands.size() >= 6) {
                textLine = QTransform(arg(0), arg(1), arg(2), arg(3), arg(4), arg(5));
            } else if (word == "Td" && operands.size() >= 2) {
                textLine = QTransform::fromTranslate(operands[operands.size() - 2], operands.last()) * textLine;
            } else if (word == "Tj" || word == "TJ") {
                const QTransform toPage = textLine * state.ctm;
                const qreal scale = std::hypot(toPage.m21(), toPage.m22());
                page.texts.append({toPage.map(QPointF(0, 0)), fontSize * scale, state.clip});
            } else if (word == "Do") {
                page.pictures.append({state.ctm.mapRect(QRectF(0, 0, 1, 1)), state.clip});
            }
            operands.clear();
        }
    }
    return page;
}

// The pages of the PDF in order, each read from its content stream.
QList<PagePlacements> readPages(const QByteArray &pdf)
{
    std::map<int, QByteArray> objects;
    const QRegularExpression object(QStringLiteral("(\\d+) 0 obj"));
    const QString text = QString::fromLatin1(pdf);
    for (const QRegularExpressionMatch &match : object.globalMatch(text)) {
        const qsizetype end = pdf.indexOf("endobj", match.capturedEnd());
        objects[match.captured(1).toInt()] = pdf.mid(match.capturedEnd(), end - match.capturedEnd());
    }
    QList<PagePlacements> pages;
    const QRegularExpression pageType(QStringLiteral("/Type\\s*/Page(?![A-Za-z])"));
    const QRegularExpression contents(QStringLiteral("/Contents\\s+(\\d+) 0 R"));
    for (const auto &[number, body] : objects) {
        const QString dictionary = QString::fromLatin1(body);
        const QRegularExpressionMatch stream = contents.match(dictionary);
        if (!dictionary.contains(pageType) || !stream.hasMatch())
            continue;
        const QByteArray streamObject = objects[stream.captured(1).toInt()];
        qsizetype start = streamObject.indexOf("stream") + 6;
        while (start < streamObject.size() && (streamObject[start] == '\r' || streamObject[start] == '\n'))
            ++start;
        QByteArray data = streamObject.mid(start, streamObject.lastIndexOf("endstream") - start);
        if (streamObject.contains("/FlateDecode"))
            data = inflate(data);
        pages << readContent(data);
    }
    return pages;
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

// A4 with margins of 20 mm on every side; the text and the pictures stay inside them.
TEST(Handbook, PicturesLieWholeInsideTheTextAreaAndNoHeadingEndsAPage)
{
    const qreal margin = 20 / 25.4 * 72;
    const QRectF textArea = QRectF(0, 0, 595, 842).adjusted(margin, margin, -margin, -margin).adjusted(-1, -1, 1, 1);
    const QList<PagePlacements> pages = readPages(readAll(pdfFile));
    ASSERT_FALSE(pages.isEmpty());

    int shown = 0;
    std::map<int, int> sizes; // font size in tenths of a point: how many runs
    for (const PagePlacements &page : pages)
        for (const PagePlacements::Text &text : page.texts)
            ++sizes[qRound(text.size * 10)];
    ASSERT_FALSE(sizes.empty());
    const qreal body = std::max_element(sizes.begin(), sizes.end(), [](const auto &a, const auto &b) {
                           return a.second < b.second;
                       })->first / 10.0;

    for (int number = 0; number < pages.size(); ++number) {
        const PagePlacements &page = pages[number];
        qreal lowestPicture = 1e6; // PDF y grows upwards
        for (const PagePlacements::Picture &picture : page.pictures) {
            // A picture clipped away would be held twice by the PDF: it belongs to one page only.
            const QRectF visible = picture.box.intersected(picture.clip);
            EXPECT_TRUE(visible.width() >= 1 && visible.height() >= 1)
                << "page " << number + 1 << ": a picture at " << picture.box.x() << "," << picture.box.y()
                << " is drawn outside the page's clip";
            ++shown;
            lowestPicture = std::min(lowestPicture, picture.box.top());
            EXPECT_TRUE(textArea.contains(picture.box))
                << "page " << number + 1 << ": a picture at " << picture.box.x() << "," << picture.box.y() << " "
                << picture.box.width() << "x" << picture.box.height() << " leaves the text area";
        }

        // The lines of the page from the top down; the lowest is the page number.
        std::map<qreal, qreal, std::greater<>> lines; // baseline -> largest size on it
        for (const PagePlacements::Text &text : page.texts) {
            if (!text.clip.contains(text.origin))
                continue;
            EXPECT_TRUE(textArea.contains(text.origin)) << "page " << number + 1 << ": text outside the text area";
            qreal &size = lines[qRound(text.origin.y() * 10) / 10.0];
            size = std::max(size, text.size);
        }
        ASSERT_FALSE(lines.empty()) << "page " << number + 1 << " has no number";
        if (lines.size() < 2)
            continue; // a picture alone
        const auto lastLine = std::prev(lines.end(), 2);
        if (lowestPicture < lastLine->first)
            continue; // the page ends with a picture
        EXPECT_LE(lastLine->second, body * 1.1) << "page " << number + 1 << " ends with a heading";
    }

    const qsizetype referenced = handbookText().count(QRegularExpression(QStringLiteral("!\\[[^\\]]*\\]\\(")));
    EXPECT_EQ(shown, referenced);
}

// The sample's website links each plan to images/line_map_<ID>.jpg in the project folder: the
// sample holds that image for every plan it lists, as the program exports it today (the build
// exports them beside the handbook's pictures, in sample/images, from where they are committed).
TEST(Handbook, TheSampleHoldsTheExportedImageOfEachPlan)
{
    const QString maps = QString::fromLatin1(readAll(sampleDir + QStringLiteral("/line_maps.ptf")));
    QStringList ids;
    const QRegularExpression row(QStringLiteral("^(\\d+),"), QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &match : row.globalMatch(maps))
        ids << match.captured(1);
    ASSERT_FALSE(ids.isEmpty());
    for (const QString &id : ids) {
        const QString name = QStringLiteral("images/line_map_") + id + QStringLiteral(".jpg");
        SCOPED_TRACE(name.toStdString());
        const QImage exported = ReadJpegFile(pictureDir + QStringLiteral("/sample/") + name);
        ASSERT_FALSE(exported.isNull()) << "the build exported no image of the plan";
        const QImage shipped = ReadJpegFile(sampleDir + QLatin1Char('/') + name);
        ASSERT_FALSE(shipped.isNull()) << "the sample holds no image of the plan";
        ASSERT_EQ(shipped.size(), exported.size());
        // Text may move a pixel with the machine's font hinting; a moved line or station may not.
        const QImage a = exported.convertToFormat(QImage::Format_RGB32);
        const QImage b = shipped.convertToFormat(QImage::Format_RGB32);
        EXPECT_LE(UnmatchedPixels(a, b, 1) + UnmatchedPixels(b, a, 1), 40)
            << "the shipped image is not the plan's export: copy it from " << pictureDir.toStdString() << "/sample/"
            << name.toStdString();
    }
}
