#include "images/PictureButtons.h"

#include <QColor>
#include <QPainter>

#include <cmath>

namespace {

// Glyphs are laid out on the icon's own 18 x 14 grid; the middle rows are 6 and 7.
constexpr int kMidTop = 6;

// A triangle of `width` columns whose tip column is `tip`, pointing left (dir -1) or right
// (dir +1): each column away from the tip is a row taller above and below.
void Triangle(QPainter& p, int x0, int tip, int width, int dir) {
    for (int j = 0; j < width; ++j) {
        const int x = x0 + tip - dir * j;
        p.fillRect(x, kMidTop - j, 1, 2 + 2 * j, QColor(PictureButtons::kInk));
    }
}

void Bar(QPainter& p, int x0, int x) {
    p.fillRect(x0 + x, 2, 2, 10, QColor(PictureButtons::kInk));
}

// The face with a one-pixel raised edge: light above and left, shadow below and right.
void Face(QPainter& p, int x0) {
    using B = PictureButtons;
    p.fillRect(x0, 0, B::kWidth, B::kHeight, QColor(B::kFace));
    p.fillRect(x0, 0, B::kWidth - 1, 1, QColor(B::kLight));
    p.fillRect(x0, 0, 1, B::kHeight - 1, QColor(B::kLight));
    p.fillRect(x0, B::kHeight - 1, B::kWidth, 1, QColor(B::kShadow));
    p.fillRect(x0 + B::kWidth - 1, 0, 1, B::kHeight, QColor(B::kShadow));
}

void Glyph(QPainter& p, int k) {
    using B = PictureButtons;
    const int x0 = B::kWidth * (k - 1);
    // The right-hand buttons mirror the left-hand ones about the icon's middle.
    auto mirror = [](int x, int width) { return B::kWidth - x - width; };
    switch (k) {
    case B::First:
        Bar(p, x0, 3);
        Triangle(p, x0, 5, 5, -1);
        Triangle(p, x0, 10, 5, -1);
        break;
    case B::PlayBackwards:
        Triangle(p, x0, 7, 5, -1);
        break;
    case B::StepBack:
        Triangle(p, x0, 5, 5, -1);
        Bar(p, x0, 11);
        break;
    case B::StepForward:
        Bar(p, x0, mirror(11, 2));
        Triangle(p, x0, B::kWidth - 1 - 5, 5, +1);
        break;
    case B::PlayForwards:
        Triangle(p, x0, B::kWidth - 1 - 7, 5, +1);
        break;
    case B::Last:
        Triangle(p, x0, B::kWidth - 1 - 10, 5, +1);
        Triangle(p, x0, B::kWidth - 1 - 5, 5, +1);
        Bar(p, x0, mirror(3, 2));
        break;
    case B::Save:
        // A diskette: dark body, white label at the top, grey shutter at the bottom.
        p.fillRect(x0 + 4, 2, 10, 10, QColor(0, 0, 128));
        p.fillRect(x0 + 6, 2, 6, 4, QColor(B::kLight));
        p.fillRect(x0 + 6, 8, 6, 4, QColor(B::kShadow));
        p.fillRect(x0 + 10, 9, 1, 2, QColor(B::kInk));
        break;
    default:
        break;
    }
}

} // namespace

QImage PictureButtons::Strip(qreal devicePixelRatio) {
    if (!(devicePixelRatio > 0.0) || !std::isfinite(devicePixelRatio))
        devicePixelRatio = 1.0;
    const int width = static_cast<int>(std::lround(kCount * kWidth * devicePixelRatio));
    const int height = static_cast<int>(std::lround(kHeight * devicePixelRatio));
    QImage strip(width, height, QImage::Format_RGB32);
    strip.fill(kFace);
    {
        QPainter p(&strip);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.scale(devicePixelRatio, devicePixelRatio);
        for (int k = 1; k <= kCount; ++k) {
            Face(p, kWidth * (k - 1));
            Glyph(p, k);
        }
    }
    strip.setDevicePixelRatio(devicePixelRatio);
    return strip;
}
