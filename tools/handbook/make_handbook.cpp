// Builds the handbook: opens the program's windows offscreen on the sample project, grabs
// each one with its English texts and lays the handbook text and the pictures out as an
// A4 PDF. Run by the build; never installed.
#include "handbook_shots.h"

#include "app/Main.h"
#include "app/translations.h"
#include "data/main_globals.h"
#include "platform/dialog_service.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QTextDocument>
#include <QTimer>

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

// Pictures keep their full size in the PDF; those wider than the text column are shown
// smaller, so a reader can still zoom into them. Returns the names of the pictures the text
// shows but that were not taken.
QStringList fitPictures(QTextDocument &doc, const QHash<QString, QImage> &pictures)
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
            const qreal width = qMin<qreal>(picture.width(), 620);
            format.setWidth(width);
            format.setHeight(picture.height() * width / picture.width());
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    return missing;
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
    const QStringList missing = fitPictures(doc, pictures);
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "handbook: the text shows pictures that were not taken: %s\n",
                     qPrintable(missing.join(QStringLiteral(", "))));
        return 1;
    }

    // Written beside the target and renamed over it: a run that breaks off leaves no PDF
    // that the build would take for finished.
    const QString partFile = pdfFile + QStringLiteral(".part");
    {
        QPdfWriter pdf(partFile);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        pdf.setResolution(96);
        pdf.setTitle(QStringLiteral("Korvalin Pro Manual"));
        pdf.setCreator(QStringLiteral("Korvalin Pro"));
        doc.print(&pdf);
    }
    if (QFileInfo(partFile).size() == 0 || (QFile::exists(pdfFile) && !QFile::remove(pdfFile)) ||
        !QFile::rename(partFile, pdfFile)) {
        QFile::remove(partFile);
        std::fprintf(stderr, "handbook: cannot write %s\n", qPrintable(pdfFile));
        return 1;
    }
    return 0;
}
