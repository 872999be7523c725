#pragma once

#include "view/ViewCommand.h"

#include <QIcon>
#include <QImage>
#include <QSize>

// The pictures of the toolbar buttons, drawn at start-up with QPainter so they stay sharp
// at any device pixel ratio. Every picture is 57 x 32 logical pixels.
namespace toolbaricons {

inline constexpr QSize kIconSize{57, 32};

// The picture of `command` at kIconSize x devicePixelRatio pixels, on a transparent ground.
QImage Picture(ViewCommand command, qreal devicePixelRatio = 1.0);
// The icon of `command`, with pictures for ratios 1 and 2.
QIcon Icon(ViewCommand command);
// The sections panel's button: a road profile cut into sections, a weak spot marked.
QImage SectionsPicture(qreal devicePixelRatio = 1.0);
QIcon SectionsIcon();

} // namespace toolbaricons
