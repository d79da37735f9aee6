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
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// Answers every question with No and cancels every dialog; a message is printed, so a
// window that complains while the pictures are taken shows up in the build log.
class HandbookDialogs : public DialogService
{
public:
    void showMessage(const QString &text) override { std::fprintf(stderr, "handbook: message: %s\n", qPrintable(text)); }
    void showError(const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "handbook: error: %s: %s\n", qPrintable(title), qPrintable(text));
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

// Every chapter starts on a new page, so the handbook has at least one page per chapter.
void breakBeforeChapters(QTextDocument &doc)
{
    bool first = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 1)
            continue;
        if (!first) {
            QTextCursor cursor(block);
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.setBlockFormat(format);
        }
        first = false;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: make_handbook <handbook.md> <sample folder> <program folder> <output.pdf> <picture folder>\n");
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
    doc.setMarkdown(QString::fromUtf8(text.readAll()));
    breakBeforeChapters(doc);

    QDir().mkpath(pictureDir);
    const QList<HandbookShot> shots = TakeHandbookShots(projectDir + QStringLiteral("/Musterstadt.ppr"));
    for (const HandbookShot &shot : shots) {
        if (shot.image.isNull()) {
            std::fprintf(stderr, "handbook: cannot take the picture: %s\n", qPrintable(shot.name));
            return 1;
        }
        // Pictures wider than the text column are shown smaller.
        const QImage picture = shot.image.width() > 620
                                   ? shot.image.scaledToWidth(620, Qt::SmoothTransformation)
                                   : shot.image;
        picture.save(pictureDir + QLatin1Char('/') + shot.name + QStringLiteral(".png"));
        doc.addResource(QTextDocument::ImageResource, QUrl(shot.name + QStringLiteral(".png")), picture);
    }
    DestroyForms();
    setDialogService(nullptr);

    QPdfWriter pdf(pdfFile);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    pdf.setResolution(96);
    pdf.setTitle(QStringLiteral("Korvalin Pro Manual"));
    pdf.setCreator(QStringLiteral("Korvalin Pro"));
    doc.print(&pdf);
    if (!QFileInfo(pdfFile).exists() || QFileInfo(pdfFile).size() == 0) {
        std::fprintf(stderr, "handbook: cannot write %s\n", qPrintable(pdfFile));
        return 1;
    }
    return 0;
}
