#include "widgets/window_placement.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

QRect FitIntoRect(const QRect &frame, const QRect &available)
{
    if (available.isEmpty())
        return frame;
    QRect r = frame;
    r.setWidth(std::min(r.width(), available.width()));
    r.setHeight(std::min(r.height(), available.height()));
    r.moveLeft(std::clamp(r.left(), available.left(), available.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), available.top(), available.bottom() - r.height() + 1));
    return r;
}

namespace {

QScreen *ownerScreen(QWidget *window)
{
    if (QWidget *parent = window->parentWidget())
        return parent->window()->screen();
    if (const QWindow *handle = window->windowHandle(); handle && handle->transientParent())
        return handle->transientParent()->screen();
    if (QWidget *active = QApplication::activeWindow(); active && active != window)
        return active->screen();
    return window->screen();
}

// Buttons of a dialog take Enter only as its form says: an auto-default button would become
// the default on showing, and Enter anywhere in the dialog (in a browser page too) would press it.
void keepFormDefaults(QWidget *window)
{
    if (!qobject_cast<QDialog *>(window))
        return;
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (button->window() == window && !button->isDefault())
            button->setAutoDefault(false);
    }
}

} // namespace

void PrepareShownWindow(QWidget *window)
{
    if (!window || !window->isWindow() || (window->windowType() != Qt::Window && window->windowType() != Qt::Dialog))
        return;
    keepFormDefaults(window);
    QScreen *screen = ownerScreen(window);
    if (!screen || window->isMaximized() || window->isFullScreen())
        return;
    // Before the first showing the frame is not known yet: the window's own rectangle stands in.
    const QRect frame = window->frameGeometry();
    const QRect fitted = FitIntoRect(frame, screen->availableGeometry());
    if (fitted == frame)
        return;
    const QSize margins = frame.size() - window->size();
    if (fitted.size() != frame.size())
        window->resize(fitted.size() - margins);
    window->move(fitted.topLeft());
}
