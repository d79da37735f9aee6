#pragma once

#include "ui_fehlerkorrektur.h"

#include <QDialog>

class QWebEngineView;

// The repair window: rebuilds the project's distances.ini from its timetables and drops
// stations and lines without a name.
class TfmFehlerkorrektur : public QDialog, private Ui::TfmFehlerkorrektur
{
    Q_OBJECT

public:
    explicit TfmFehlerkorrektur(QWidget *parent = nullptr);

    void FormShow();
    void Button1Click();

    // The browser, made at the first show so that start-up starts no web engine.
    QWebEngineView *browser() const { return m_browser; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWebEngineView *m_browser = nullptr;
};

extern TfmFehlerkorrektur *fmFehlerkorrektur;
