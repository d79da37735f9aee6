#pragma once

#include <QRect>

class QWidget;

// The frame rectangle moved (and, when it is larger, shrunk) so that it lies wholly inside the
// available rectangle; a frame already inside is returned as it is.
QRect FitIntoRect(const QRect &frame, const QRect &available);

// Called as a window is shown: it opens wholly on the screen that shows its owner (its parent's
// window, else the window it is shown over, else its own screen), and a dialog's buttons are
// pressed by Enter only where the form makes one the default button.
void PrepareShownWindow(QWidget *window);
