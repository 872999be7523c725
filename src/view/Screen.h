#pragma once

#include "charts/Cfram.h"

// What the view shows. The signal and spectrum screens show the current display mode.
enum class Screen {
    None,
    Signal,
    Spectrum,
    Result,
    Other,
    DataView1,
    DataView2,
    DataView3,
    DataView4,
    Map
};

// The signal displays that the page commands move through. The numbers are the modes' own;
// None until the first mode command.
enum class DisplayMode : int {
    None = 0,
    LoadSignal = 1,
    GeoSignal = 2,
    LoadSpectrum = 5,
    GeoSpectrum = 6,
    LoadFiltered = 13,
    GeoFiltered = 24,
};

constexpr bool IsSpectrum(DisplayMode mode) {
    return mode == DisplayMode::LoadSpectrum || mode == DisplayMode::GeoSpectrum;
}

// The frame layout a screen is drawn in (a blank screen keeps the result view's).
constexpr LayoutKind LayoutOf(Screen screen) {
    switch (screen) {
    case Screen::Signal:
        return LayoutKind::Signal;
    case Screen::Other:
        return LayoutKind::GpsTrack;
    case Screen::DataView1:
        return LayoutKind::DataView1;
    case Screen::DataView2:
        return LayoutKind::DataView2;
    case Screen::DataView3:
        return LayoutKind::DataView3;
    case Screen::DataView4:
        return LayoutKind::DataView4;
    case Screen::None:
    case Screen::Spectrum:
    case Screen::Result:
    case Screen::Map:
        break;
    }
    return LayoutKind::Result;
}
