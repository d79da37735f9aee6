// Builds the handbook: opens the program's windows offscreen on the sample project, grabs
// each one with its English texts and lays the handbook text and the pictures out as an
// A4 PDF. Run by the build; never installed.
#include "handbook_shots.h"

#include "app/Main.h"
#include "app/translations.h"
#include "data/main_globals.h"
#include "platform/dialog_service.h"
#include "web/browser_engine.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QAbstractTextDocumentLayout>
#include <QTextLayout>
#include <QPdfWriter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Answers every question with No and cancels every dialog. A message means that a window
// complained while its picture was taken: it is kept, and the generation fails.
class HandbookDialogs : public DialogService
{
public:
    void showMessage(const QString &text) override { messages << text; }
    void showError(const QString &title, const QString &text) override
    {
        messages << title + QStringLiteral(": ") + text;
    }
    bool askYesNo(const QString &) override { return false; }
    Answer askYesNoCancel(const QString &) override { return Answer::No; }
    void beep() override {}
    QString getOpenFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }
    QString getSaveFileName(const QString &, const QString &, const QString &, const QString &) override { return {}; }
    QString getExistingDirectory(const QString &, const QString &) override { return {}; }
    bool shellOpen(const QString &) override { return true; }
    bool chooseColor(std::uint32_t &) override { return false; }
    bool chooseFont(FontValue &, bool, bool) override { return false; }
    QString clipboardText() override { return m_clipboard; }
    void setClipboardText(const QString &text) override { m_clipboard = text; }

    QStringList messages;

private:
    QString m_clipboard;
};

bool copyFolder(const QString &from, const QString &to)
{
    QDir source(from);
    for (const QFileInfo &info : source.entryInfoList(QDir::Files)) {
        if (!QFile::copy(info.absoluteFilePath(), to + QLatin1Char('/') + info.fileName()))
            return false;
    }
    return true;
}

// A title page with the program's name, its version and the chapters, then every chapter on a
// new page, so the handbook has at least one page per chapter.
void layOutPages(QTextDocument &doc)
{
    QTextCursor title(doc.begin());
    title.select(QTextCursor::BlockUnderCursor);
    QTextCharFormat large;
    large.setFontPointSize(28);
    large.setFontWeight(QFont::Bold);
    title.mergeCharFormat(large);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        if (block.blockNumber() < 2) {
            format.setAlignment(Qt::AlignHCenter);
            format.setBottomMargin(block.blockNumber() == 0 ? 12 : 48);
        } else if (format.headingLevel() == 1) {
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        } else {
            continue;
        }
        cursor.setBlockFormat(format);
    }
}

// Every picture is shown at most as wide as the text and as high as a page, keeping its aspect;
// the PDF keeps its full size, so a reader can still zoom into it. Returns the names of the
// pictures the text shows but that were not taken.
QStringList fitPictures(QTextDocument &doc, const QHash<QString, QImage> &pictures, const QSizeF &textArea)
{
    QStringList missing;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage picture = pictures.value(format.name());
            if (picture.isNull()) {
                missing << format.name();
                continue;
            }
            // A little room below the picture on a page of its own, as the line holding it
            // also carries the paragraph's spacing.
            const qreal scale = std::min({1.0, textArea.width() / picture.width(),
                                          (textArea.height() - 24) / picture.height()});
            format.setWidth(std::floor(picture.width() * scale));
            format.setHeight(std::floor(picture.height() * scale));
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    return missing;
}

// The top of a block's first line in the paginated document.
qreal firstLineTop(const QTextBlock &block)
{
    const QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return layout ? layout->position().y() : 0;
    return layout->position().y() + layout->lineAt(0).y();
}

// A heading left alone at the foot of a page, its text on the next, starts that next page
// instead. Each move can push later headings, so the pages are laid out again after each.
void keepHeadingsWithTheirText(QTextDocument &doc)
{
    const qreal pageHeight = doc.pageSize().height();
    for (bool moved = true; moved;) {
        moved = false;
        doc.pageCount(); // lays the document out
        for (QTextBlock block = doc.begin(); block.isValid() && !moved; block = block.next()) {
            const QTextBlock next = block.next();
            if (block.blockFormat().headingLevel() == 0 || !next.isValid())
                continue;
            if (int(firstLineTop(block) / pageHeight) == int(firstLineTop(next) / pageHeight))
                continue;
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
            moved = true;
        }
    }
}

// Prints the document page by page into the page's paint area, the page number in a strip
// below the text.
bool printPages(QTextDocument &doc, QPdfWriter &pdf, qreal footer)
{
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    const QSizeF page = doc.pageSize();
    painter.setFont(doc.defaultFont());
    for (int number = 0; number < doc.pageCount(); ++number) {
        if (number > 0 && !pdf.newPage())
            return false;
        const QRectF view(QPointF(0, number * page.height()), page);
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        // A line that did not fit at a page's foot starts exactly on that page's lower edge, and
        // the last line of a page ends exactly on the next page's upper edge: the layout counts
        // a line touching the clip as inside, and would draw it (clipped away, but written into
        // the PDF) on both pages. Drawn within a hair of the edges, each line and picture goes
        // only to the page it stands on.
        const qreal edge = 0.5;
        context.clip = view.adjusted(0, edge, 0, -edge);
        context.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
        painter.drawText(QRectF(0, page.height(), page.width(), footer), Qt::AlignRight | Qt::AlignBottom,
                         QString::number(number + 1));
    }
    return painter.end();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: make_handbook <handbook.md> <sample folder> <program folder> <output.pdf> "
                             "<picture folder>\n");
        return 2;
    }
    const QString textFile = QString::fromLocal8Bit(argv[1]);
    const QString sampleDir = QString::fromLocal8Bit(argv[2]);
    const QString programDir = QString::fromLocal8Bit(argv[3]);
    const QString pdfFile = QString::fromLocal8Bit(argv[4]);
    const QString pictureDir = QString::fromLocal8Bit(argv[5]);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareBrowserEngine(); // the web-copy window is among the pictures
    int appArgc = 1;
    KorvalinApplication app(appArgc, argv);
    // The same pictures on every machine: one style, one font.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));

    // A window waiting for input it never gets would hold up the build for good.
    QTimer::singleShot(60000, [] {
        std::fprintf(stderr, "handbook: the pictures took longer than a minute\n");
        std::_Exit(3);
    });

    HandbookDialogs dialogService;
    setDialogService(&dialogService);
    CreateForms();
    SetEnglishCaptions();
    ProgramDir = QDir(programDir).absolutePath() + QLatin1Char('/');
    DefaultProjectFile = ProgramDir + QStringLiteral("default_project_pro.ppr");
    DefaultPrefsFile = ProgramDir + QStringLiteral("default_prefs.ptf");
    DefaultDayGroupsFile = ProgramDir + QStringLiteral("default_daygroups.ptf");
    DefaultLineMapPrefsFile = ProgramDir + QStringLiteral("line_map_prefs.ptf");

    QTemporaryDir work;
    const QString projectDir = work.path() + QStringLiteral("/Musterstadt");
    if (!work.isValid() || !QDir().mkpath(projectDir) || !copyFolder(sampleDir, projectDir)) {
        std::fprintf(stderr, "handbook: cannot copy the sample project\n");
        return 1;
    }

    QFile text(textFile);
    if (!text.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "handbook: cannot read %s\n", qPrintable(textFile));
        return 1;
    }
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    const QString markdown = QString::fromUtf8(text.readAll());
    QString titlePage = QStringLiteral("Korvalin Pro Manual\n\nVersion ") + ProgVersion + QStringLiteral("\n\n");
    int chapter = 0;
    for (const QString &line : markdown.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("# ")))
            titlePage += QString::number(++chapter) + QStringLiteral(". ") + line.mid(2).trimmed() + QLatin1Char('\n');
    }
    doc.setMarkdown(titlePage + QLatin1Char('\n') + markdown);
    layOutPages(doc);

    // Pictures of an earlier run that the handbook no longer shows would linger.
    QDir pictureFolder(pictureDir);
    if (!pictureFolder.mkpath(QStringLiteral(".")))
        std::fprintf(stderr, "handbook: cannot make %s\n", qPrintable(pictureDir));
    for (const QString &old : pictureFolder.entryList({QStringLiteral("*.png")}, QDir::Files))
        pictureFolder.remove(old);
    const QList<HandbookShot> shots = TakeHandbookShots(projectDir + QStringLiteral("/Musterstadt.ppr"));
    DestroyForms();
    setDialogService(nullptr);
    for (const QString &message : std::as_const(dialogService.messages))
        std::fprintf(stderr, "handbook: a window said: %s\n", qPrintable(message));
    if (!dialogService.messages.isEmpty())
        return 1;
    // The plan images the sample ships (docs/handbook/sample/images) are these, copied there by
    // hand; the handbook's test tells when the committed ones no longer match.
    const QString sampleImages = pictureDir + QStringLiteral("/sample/images");
    QDir(sampleImages).removeRecursively();
    if (!QDir().mkpath(sampleImages) || !copyFolder(projectDir + QStringLiteral("/images"), sampleImages)) {
        std::fprintf(stderr, "handbook: cannot copy the sample's plan images to %s\n", qPrintable(sampleImages));
        return 1;
    }
    QHash<QString, QImage> pictures;
    for (const HandbookShot &shot : shots) {
        if (shot.image.isNull()) {
            std::fprintf(stderr, "handbook: cannot take the picture: %s\n", qPrintable(shot.name));
            return 1;
        }
        const QString name = shot.name + QStringLiteral(".png");
        if (!shot.image.save(pictureDir + QLatin1Char('/') + name)) {
            std::fprintf(stderr, "handbook: cannot write %s\n", qPrintable(pictureDir + QLatin1Char('/') + name));
            return 1;
        }
        pictures.insert(name, shot.image);
        doc.addResource(QTextDocument::ImageResource, QUrl(name), shot.image);
    }
    // The text fills the page inside its margins but for a strip at the foot for the page number.
    const QPageLayout pageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                 QPageLayout::Millimeter);
    const int resolution = 96;
    const QSizeF paintArea = pageLayout.paintRectPixels(resolution).size();
    const qreal footer = 28;
    const QSizeF textArea(paintArea.width(), paintArea.height() - footer);
    const QStringList missing = fitPictures(doc, pictures, textArea);
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "handbook: the text shows pictures that were not taken: %s\n",
                     qPrintable(missing.join(QStringLiteral(", "))));
        return 1;
    }

    // Written beside the target and renamed over it: a run that breaks off leaves no PDF
    // that the build would take for finished.
    const QString partFile = pdfFile + QStringLiteral(".part");
    bool printed = false;
    {
        QPdfWriter pdf(partFile);
        pdf.setPageLayout(pageLayout);
        pdf.setResolution(resolution);
        pdf.setTitle(QStringLiteral("Korvalin Pro Manual"));
        pdf.setCreator(QStringLiteral("Korvalin Pro"));
        doc.documentLayout()->setPaintDevice(&pdf);
        doc.setDocumentMargin(0);
        doc.setPageSize(textArea);
        keepHeadingsWithTheirText(doc);
        printed = printPages(doc, pdf, footer);
    }
    if (!printed || QFileInfo(partFile).size() == 0 || (QFile::exists(pdfFile) && !QFile::remove(pdfFile)) ||
        !QFile::rename(partFile, pdfFile)) {
        QFile::remove(partFile);
        std::fprintf(stderr, "handbook: cannot write %s\n", qPrintable(pdfFile));
        return 1;
    }
    return 0;
}
