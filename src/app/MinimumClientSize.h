#pragma once

#include <QSize>

// The smallest client area at which every screen keeps its parts apart and on the window: the
// data views' readouts, picture box and colour bar, the signal panels and the charts' labels.
// The main window lays out no smaller view; the screenshot mode refuses a smaller picture.
inline constexpr QSize kMinimumClientSize{1250, 700};
