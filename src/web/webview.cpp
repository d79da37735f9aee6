#include "web/webview.h"

#include "data/main_globals.h"
#include "web/web_loader.h"

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

void TfmWebView::FormShow()
{
    if (!wbViewer) {
        wbViewer = new QWebEngineView(Panel1);
        wbViewer->setObjectName(QStringLiteral("wbViewer"));
        viewerLayout->addWidget(wbViewer);
    }
    wbViewer->load(LocalAddressToUrl(WebPreviewURL));
}
