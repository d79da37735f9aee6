#pragma once

#include <QDialog>

// The website viewer, shown when the shell cannot open the preview page.
class TfmWebView : public QDialog
{
    Q_OBJECT

public:
    explicit TfmWebView(QWidget *parent = nullptr);
};

extern TfmWebView *fmWebView;
