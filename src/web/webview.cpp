#include "web/webview.h"

#include "data/main_globals.h"
#include "web/web_loader.h"

#include <QKeyEvent>
#include <QShowEvent>
#include <QWebEngineView>

TfmWebView *fmWebView = nullptr;

TfmWebView::TfmWebView(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setModal(false);
    connect(bbClose, &QPushButton::clicked, this, &QDialog::close);
}

void TfmWebView::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// Keys that the page leaves are not the window's: Escape does not close it (nor does Enter
// press a button, as none is the default); only the window's own close does.
void TfmWebView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfmWebView::FormShow()
{
    if (!wbViewer) {
        wbViewer = new QWebEngineView(Panel1);
        wbViewer->setObjectName(QStringLiteral("wbViewer"));
        viewerLayout->addWidget(wbViewer);
    }
    wbViewer->load(LocalAddressToUrl(WebPreviewURL));
}
