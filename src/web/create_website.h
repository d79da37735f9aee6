#pragma once

#include "ui_create_website.h"

#include <QDialog>

// The website creation window of the Project menu: copies the project's files and the
// website template into one folder and opens the result.
class TfmCreateWebsite : public QDialog, private Ui::TfmCreateWebsite
{
    Q_OBJECT

public:
    explicit TfmCreateWebsite(QWidget *parent = nullptr);

private:
    void sbOpenClick();
    void leDirNameChange();
    void bbWebsiteCopyClick();
    // Bound to bbWebsiteShow: opens the website's start page.
    void bbCloseClick();

    friend void SetEnglishCaptions();
};

extern TfmCreateWebsite *fmCreateWebsite;
