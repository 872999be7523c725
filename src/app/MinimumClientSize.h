#pragma once

#include <QSize>

// The smallest client area at which every screen keeps its parts on the window, found from
// pictures of each screen at decreasing sizes. The width is set by the GPR colour bar, drawn
// 15 to 25 pixels right of the colour map in a margin of 2 % of the width (the readouts alone
// need about 930); the height by the data views with the GPR image, whose picture box is
// then just tall enough for its seven buttons.
// The main window lays out no smaller view; the screenshot mode refuses a smaller picture.
inline constexpr QSize kMinimumClientSize{1250, 700};
