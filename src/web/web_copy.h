#pragma once

#include "platform/string_grid.h"
#include "ui_web_copy.h"

#include <QDialog>
#include <QPointer>
#include <QWindow>

class QWebEngineView;
class StringGridModel;

// The web-copy window that the timetable editor shows beside itself: a page's tables are
// taken into a work grid, tidied there and pasted into the timetable.
class TfmWebCopy : public QDialog, private Ui::TfmWebCopy
{
    Q_OBJECT

public:
    explicit TfmWebCopy(QWidget *parent = nullptr);

    // The timetable grid whose station names pick the table to load from a page; the
    // editor that shows this window hands it over (null: no grid, no pick).
    void setTimeTableGrid(const StringGrid *grid);

    // The window that owns this one while it is shown (null: none). The window system knows
    // the owner through this window's native window, which the first showing of the browser
    // makes anew; the owner is handed on to the new one, or the modal owner would keep every
    // click and key from this window from then on.
    void setOwnerWindow(QWindow *owner);
    QWindow *ownerWindow() const { return owner_; }

    // The work grid that holds a table taken from a page; the timetable editor pastes
    // its selected block.
    StringGrid sgWorkGrid;

    // The embedded browser; made when the window is first shown, so a run that never shows
    // this window never starts the web engine.
    QWebEngineView *wbWebCopy = nullptr;

    // Tells the view that sgWorkGrid changed from outside.
    void workGridChanged();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormShow();
    void btShowURLClick();
    void btCopyClick();
    void btPasteClick();
    void btActionClick();

    void viewSelectionChanged();
    void showCurrentCell();

    void applyOwner();

    const StringGrid *timeTableGrid_ = nullptr;
    QPointer<QWindow> owner_;
    StringGridModel *workModel_ = nullptr;

    friend void SetEnglishCaptions();
};

extern TfmWebCopy *fmWebCopy;
