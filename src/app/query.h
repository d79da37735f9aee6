#pragma once

#include "ui_query.h"

#include <QDialog>

// The timetable information window, shown modally by the main window: a thin window over the
// connection search of the query unit.
class TfmQuery : public QDialog, private Ui::TfmQuery
{
    Q_OBJECT

public:
    explicit TfmQuery(QWidget *parent = nullptr);
    ~TfmQuery() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend void SetEnglishCaptions();

    void FormCreate();
    void FormShow();
    void FormHide();
    void FormDestroy();
    void btStartQueryClick();
    void cbDayGroupChange();
    void cbMaxTransfersChange();
    void cbSearchDepthChange();
    void cbMaxConnectionsChange();
    void cbMaxSearchTimeChange();
    void cbStartStationExit();
    void cbZielStationExit();

    QString m_shownProject; // the project of the last showing
};

extern TfmQuery *fmQuery;
