#include "web/webview.h"

TfmWebView *fmWebView = nullptr;

TfmWebView::TfmWebView(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmWebView"));
}
