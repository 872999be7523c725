#pragma once

#include "charts/Rect.h"

// The frame layout: from the view's client rectangle and the screen's layout kind, the
// rectangles into which that screen places its charts. Kinds: 1, 3, 8 and 9 the data views,
// 2 the result view, 6 the GPS track charts, 7 the signal modes.
class Cfram {
public:
    virtual ~Cfram() = default;

    // Lays out clientRect for layoutKind. showGpr is the options' showGprColormap: it makes
    // room for the GPR colour map in kinds 1, 8 and 9. Returns 0; 12 for a client under
    // 100 square pixels and 14 for one wider or higher than kMaxSide, leaving every
    // rectangle as it was.
    int ComputeLayout(bool showGpr);

    static constexpr int kMaxSide = 8192;

    Rect clientRect;
    Rect innerRect;
    Rect pictureRect{100, 100, 1000, 700};
    Rect resultRect;
    Rect detail1Rect;
    Rect detail2Rect;
    Rect gprRect;
    Rect temperatureRect;
    Rect levelRect;
    Rect speedRect;
    Rect anchor1Rect;
    Rect anchor2Rect;
    Rect anchor3Rect;
    int layoutKind = 1;
};
