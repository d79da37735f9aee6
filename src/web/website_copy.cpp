#include "web/website_copy.h"

#include "data/main_globals.h"
#include "platform/ansi.h"
#include "platform/dialog_service.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

const QDir::Filters FileFilter = QDir::Files | QDir::Hidden | QDir::System;

// Wildcards match regardless of case, as the shell's do.
void addMatching(QVector<WebsiteFile> &files, const QString &folder, const QString &pattern)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({pattern}, FileFilter, QDir::Name);
    for (const QString &name : names)
        files.append({dir.filePath(name), name});
}

void addFolder(QVector<WebsiteFile> &files, const QString &folder, const QString &name)
{
    const QDir base(folder);
    const QString root = base.filePath(name);
    if (!QFileInfo(root).isDir())
        return;
    QStringList found;
    QDirIterator it(root, FileFilter, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    found.sort();
    for (const QString &path : found)
        files.append({path, base.relativeFilePath(path)});
}

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// The file is read whole and written through the atomic writer: a copy that fails (a full disk)
// leaves the website's older file as it was, never a half one.
bool copyOne(const WebsiteFile &file, const QDir &target)
{
    ansi::setLastWriteError(QString());
    // The folders are listed with their system entries: a pipe among them would block the copy.
    if (!ansi::isRegularFile(file.Source)) {
        ansi::setLastWriteError(QStringLiteral("%1 is not a regular file").arg(file.Source));
        return false;
    }
    const QString dest = target.filePath(file.Target);
    const QString folder = QFileInfo(dest).absolutePath();
    if (!QDir().mkpath(folder)) {
        ansi::setLastWriteError(QStringLiteral("the folder %1 cannot be made").arg(folder));
        return false;
    }
    QFile source(file.Source);
    if (!source.open(QIODevice::ReadOnly)) {
        ansi::setLastWriteError(source.errorString());
        return false;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        ansi::setLastWriteError(source.errorString());
        return false;
    }
    const QFileInfo existing(dest);
    if (existing.isDir() && !existing.isSymLink()) {
        ansi::setLastWriteError(QStringLiteral("%1 is a folder").arg(dest));
        return false;
    }
    // A link in the file's place is replaced, not written through to wherever it points.
    if (existing.isSymLink() && !QFile::remove(dest)) {
        ansi::setLastWriteError(QStringLiteral("the link %1 cannot be replaced").arg(dest));
        return false;
    }
    return ansi::writeFileAtomically(dest, bytes);
}

} // namespace

QVector<WebsiteFile> WebsiteFiles(const QString &ProjectFolder, const QString &TemplateFolder, bool ProjectFiles,
                                  bool HtmlFiles)
{
    QVector<WebsiteFile> files;
    if (ProjectFiles) {
        addMatching(files, ProjectFolder, QStringLiteral("*.ptf"));
        addFolder(files, ProjectFolder, QStringLiteral("images"));
        addMatching(files, ProjectFolder, QStringLiteral("*.ppr"));
    }
    if (HtmlFiles) {
        for (const char *pattern : {"*.htm", "*.js", "*.css", "*.ico"})
            addMatching(files, TemplateFolder, QString::fromLatin1(pattern));
    }
    return files;
}

int CopyWebsite(const QString &DirName, bool ProjectFiles, bool HtmlFiles)
{
    // A relative text would copy into whatever folder the program runs in.
    if (DirName.trimmed().isEmpty() || !QDir::isAbsolutePath(DirName)) {
        dialogs().showMessage(QStringLiteral("Bitte Verzeichnis auswählen!"));
        return 0;
    }
    if (!ProjectFiles && !HtmlFiles)
        return 0;

    QVector<WebsiteFile> files =
        WebsiteFiles(ProjectDir, ProgramDir + QStringLiteral("KorvalinView"), ProjectFiles, HtmlFiles);
    const QDir target(DirName);
    // With the project folder as the target a file would be emptied by copying it onto itself.
    files.removeIf([&](const WebsiteFile &f) { return sameFile(f.Source, target.filePath(f.Target)); });

    const QFileInfo targetInfo(DirName);
    if (!targetInfo.exists() && !targetInfo.isSymLink()) {
        if (!dialogs().askYesNo(
                QStringLiteral("Das Verzeichnis \"%1\" existiert nicht. Soll es angelegt werden?").arg(DirName)))
            return 0;
        QDir().mkpath(DirName);
    }
    int replaced = 0;
    for (const WebsiteFile &f : files) {
        if (QFileInfo::exists(target.filePath(f.Target)))
            ++replaced;
    }
    if (replaced > 0 &&
        !dialogs().askYesNo(
            QStringLiteral("Im Verzeichnis \"%1\" werden %2 vorhandene Dateien ersetzt. Fortfahren?").arg(DirName).arg(replaced)))
        return 0;

    int copied = 0;
    int failed = 0;
    QString reason; // of the first copy that failed
    for (const WebsiteFile &f : files) {
        if (copyOne(f, target)) {
            ++copied;
        } else {
            if (failed == 0)
                reason = ansi::lastWriteError();
            ++failed;
        }
    }
    if (failed > 0)
        dialogs().showMessage(ansi::withReason(QStringLiteral("Fehler beim Kopieren (%1)").arg(failed), reason));
    return copied;
}
