#pragma once

#include <QImage>

// The seven buttons of the picture viewer, drawn in code as bitmap 321 was: icons of
// kWidth x kHeight side by side, icon k (1 to 7) at x = kWidth (k - 1): first, play backwards,
// step back, step forward, play forwards, last, save. Black glyphs on a grey raised face.
class PictureButtons {
public:
    enum Button { First = 1, PlayBackwards, StepBack, StepForward, PlayForwards, Last, Save };

    static constexpr int kCount = 7;
    static constexpr int kWidth = 18;
    static constexpr int kHeight = 14;
    static constexpr int kBitmapId = 321;

    static constexpr QRgb kFace = 0xffc0c0c0u;
    static constexpr QRgb kLight = 0xffffffffu;
    static constexpr QRgb kShadow = 0xff808080u;
    static constexpr QRgb kInk = 0xff000000u;

    // The strip of all seven icons, kCount kWidth x kHeight logical pixels, rendered at the
    // given device pixel ratio (the image carries it).
    static QImage Strip(qreal devicePixelRatio = 1.0);
};
