#include "platform/qt_dialog_service.h"

#include "platform/file_address.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QFontDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace {

QWidget *activeWindow() { return QApplication::activeWindow(); }

QString withDefaultExt(const QString &name, const QString &ext)
{
    if (name.isEmpty() || ext.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + QLatin1Char('.') + ext;
}

} // namespace

QString ChosenFontFamily(const QString &stored, const QString &shownAtStart, const QString &chosen)
{
    if (!stored.isEmpty() && chosen == shownAtStart)
        return stored;
    return chosen;
}

QString toQtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        // A description that already names its patterns ("Bitmaps (*.bmp)") shows them once.
        if (parts[i].contains(QLatin1Char('(') + patterns + QLatin1Char(')')))
            result << parts[i];
        else
            result << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return result.join(QLatin1String(";;"));
}

void QtDialogService::showMessage(const QString &text)
{
    QMessageBox::information(activeWindow(), QApplication::applicationName(), text, QMessageBox::Ok);
}

void QtDialogService::showError(const QString &title, const QString &text)
{
    QMessageBox::critical(activeWindow(), title, text, QMessageBox::Ok);
}

bool QtDialogService::askYesNo(const QString &text)
{
    return QMessageBox::question(activeWindow(), QApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

DialogService::Answer QtDialogService::askYesNoCancel(const QString &text)
{
    const auto r = QMessageBox::question(activeWindow(), QApplication::applicationName(), text,
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         QMessageBox::Cancel);
    return r == QMessageBox::Yes ? Answer::Yes : (r == QMessageBox::No ? Answer::No : Answer::Cancel);
}

void QtDialogService::beep() { QApplication::beep(); }

QString QtDialogService::getOpenFileName(const QString &title, const QString &dir, const QString &filter,
                                         const QString &defaultExt)
{
    return withDefaultExt(QFileDialog::getOpenFileName(activeWindow(), title, dir, toQtFilter(filter)), defaultExt);
}

QString QtDialogService::getSaveFileName(const QString &title, const QString &dir, const QString &filter,
                                         const QString &defaultExt)
{
    return withDefaultExt(QFileDialog::getSaveFileName(activeWindow(), title, dir, toQtFilter(filter)), defaultExt);
}

QString QtDialogService::getNewFileName(const QString &title, const QString &dir, const QString &filter,
                                        const QString &defaultExt)
{
    return withDefaultExt(QFileDialog::getSaveFileName(activeWindow(), title, dir, toQtFilter(filter), nullptr,
                                                       QFileDialog::DontConfirmOverwrite),
                          defaultExt);
}

QString QtDialogService::getExistingDirectory(const QString &title, const QString &dir)
{
    return QFileDialog::getExistingDirectory(activeWindow(), title, dir);
}

bool QtDialogService::shellOpen(const QString &target)
{
    QUrl url = FileAddressUrl(target);
    if (url.isEmpty())
        url = target.contains(QLatin1String("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url);
}

bool QtDialogService::chooseColor(std::uint32_t &color)
{
    const QColor start(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
    const QColor c = QColorDialog::getColor(start, activeWindow());
    if (!c.isValid())
        return false;
    color = std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
    return true;
}

bool QtDialogService::chooseFont(FontValue &font, bool withColor, bool withEffects)
{
    QFont start(font.name);
    start.setPointSize(font.size > 0 ? font.size : 10);
    start.setBold(font.bold);
    start.setItalic(font.italic);
    start.setUnderline(withEffects && font.underline);
    start.setStrikeOut(withEffects && font.strikeOut);
    QFontDialog dialog(start, activeWindow());
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (!withEffects) {
        // Underline and strike-out would be dropped anyway: do not offer them.
        for (QCheckBox *box : dialog.findChildren<QCheckBox *>())
            box->hide();
    }
    // A stored family this machine lacks (say "Arial") is shown as a stand-in; a choice that
    // keeps the stand-in keeps the stored name, so changing only the size never swaps the font.
    const QString shownAtStart = dialog.currentFont().family();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QFont f = dialog.selectedFont();
    font.name = ChosenFontFamily(font.name, shownAtStart, f.family());
    font.size = f.pointSize() > 0 ? f.pointSize() : font.size;
    font.bold = f.bold();
    font.italic = f.italic();
    font.underline = withEffects && f.underline();
    font.strikeOut = withEffects && f.strikeOut();
    // Qt's font dialog has no colour; the colour dialog follows it when one is wanted.
    if (withColor)
        chooseColor(font.color);
    return true;
}

QString QtDialogService::clipboardText() { return QApplication::clipboard()->text(); }

void QtDialogService::setClipboardText(const QString &text) { QApplication::clipboard()->setText(text); }
