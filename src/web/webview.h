#pragma once

#include "ui_webview.h"

#include <QDialog>

class QWebEngineView;

// The website viewer, shown when the shell cannot open the preview page.
class TfmWebView : public QDialog, private Ui::TfmWebView
{
    Q_OBJECT

public:
    explicit TfmWebView(QWidget *parent = nullptr);

    // The embedded browser; made when the window is first shown, so a run that never shows
    // the viewer never starts the web engine.
    QWebEngineView *wbViewer = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormShow();

    friend void SetEnglishCaptions();
};

extern TfmWebView *fmWebView;
