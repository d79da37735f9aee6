#pragma once

#include <QPoint>

// The line labels of the plan picture. DrawLineTexts and DrawCurrentLineText (declared with
// the renderer) use this.

// The top left corner of a W x H label at anchor P, continuing the course D pixels beyond its
// start (AtEnd false: Degree is the first section's) or its end (AtEnd true: the last
// section's); Dd = Rnd(D / 1.414) on each axis for a diagonal. Any other Degree keeps P.
QPoint LineTextCorner(bool AtEnd, int Degree, QPoint P, int W, int H, int D);
