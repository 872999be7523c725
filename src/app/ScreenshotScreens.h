#pragma once

#include "view/ViewCommand.h"

#include <array>

// The screens `vorlix --screenshot` can draw, by name, and the command that draws each. The
// sections panel is pictured as the window shows it beside data view 1.
struct ScreenshotScreen {
    const char* name;
    ViewCommand command;
    bool sectionsPanel = false;
};

inline constexpr std::array<ScreenshotScreen, 14> kScreenshotScreens{{
    {"result", ViewCommand::ResultView},
    {"signal-load", ViewCommand::LoadSignal},
    {"signal-geo", ViewCommand::GeoSignal},
    {"load-filtered", ViewCommand::LoadFiltered},
    {"geo-filtered", ViewCommand::GeoFiltered},
    {"spectrum-load", ViewCommand::LoadSpectrum},
    {"spectrum-geo", ViewCommand::GeoSpectrum},
    {"other", ViewCommand::Other},
    {"data1", ViewCommand::DataView1},
    {"data2", ViewCommand::DataView2},
    {"data3", ViewCommand::DataView3},
    {"data4", ViewCommand::DataView4},
    {"sections", ViewCommand::DataView1, true},
    {"map", ViewCommand::Map},
}};
