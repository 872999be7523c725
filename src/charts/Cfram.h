#pragma once

#include "charts/Rect.h"

// The identity of a screen's layout. The numbers are the kinds' own, as they are written and
// compared.
enum class LayoutKind : int {
    DataView3 = 1,
    Result = 2, // the result view and the power spectra
    DataView4 = 3,
    GpsTrack = 6,
    Signal = 7,
    DataView2 = 8,
    DataView1 = 9,
};

// The four data views, the screens on which the mouse links the charts.
constexpr bool IsDataView(LayoutKind kind) {
    return kind == LayoutKind::DataView1 || kind == LayoutKind::DataView2 ||
           kind == LayoutKind::DataView3 || kind == LayoutKind::DataView4;
}
// The data views that draw the GPR image when the GPR display is on.
constexpr bool ShowsGpr(LayoutKind kind) {
    return kind == LayoutKind::DataView1 || kind == LayoutKind::DataView2;
}

// The frame layout: from the view's client rectangle and the screen's layout kind, the
// rectangles into which that screen places its charts.
class Cfram {
public:
    virtual ~Cfram() = default;

    // Lays out clientRect for layoutKind. showGpr is the options' showGprColormap: it makes
    // room for the GPR colour map in data views 1, 2 and 3. Returns 0; 12 for a client under
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
    LayoutKind layoutKind = LayoutKind::DataView3;
};
