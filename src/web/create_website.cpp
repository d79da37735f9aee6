#include "web/create_website.h"

#include "platform/dialog_service.h"
#include "web/website_copy.h"

#include <QStyle>

TfmCreateWebsite *fmCreateWebsite = nullptr;

TfmCreateWebsite::TfmCreateWebsite(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    sbOpen->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(sbOpen, &QToolButton::clicked, this, &TfmCreateWebsite::sbOpenClick);
    connect(leDirName, &QLineEdit::textChanged, this, &TfmCreateWebsite::leDirNameChange);
    connect(bbWebsiteCopy, &QPushButton::clicked, this, &TfmCreateWebsite::bbWebsiteCopyClick);
    connect(bbWebsiteShow, &QPushButton::clicked, this, &TfmCreateWebsite::bbCloseClick);
    connect(bbClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TfmCreateWebsite::sbOpenClick()
{
    const QString folder = dialogs().getExistingDirectory(QStringLiteral("Verzeichnis auswählen"), QString());
    if (!folder.isEmpty())
        leDirName->setText(folder);
}

void TfmCreateWebsite::leDirNameChange()
{
    bbWebsiteShow->setEnabled(!leDirName->text().trimmed().isEmpty());
}

void TfmCreateWebsite::bbWebsiteCopyClick()
{
    CopyWebsite(leDirName->text(), cbProjectDataCopy->isChecked(), cbHTMLDataCopy->isChecked());
}

void TfmCreateWebsite::bbCloseClick()
{
    QString address = QStringLiteral("file:///") + leDirName->text() + QStringLiteral("/index.htm");
    address.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!dialogs().shellOpen(address))
        dialogs().showMessage(QStringLiteral("error"));
}
