#pragma once

#include <array>

// The program's command set: the 21 toolbar buttons in toolbar order (a separator follows the
// entries marked so), then the commands the window places after the sections panel's button.
enum class ViewCommand {
    Options,
    Open,
    LoadSignal,
    GeoSignal,
    LoadSpectrum,
    GeoSpectrum,
    LoadFiltered,
    GeoFiltered,
    PreviousPage,
    NextPage,
    ResultView,
    DataView1,
    DataView2,
    PreviousSegment,
    NextSegment,
    Other,
    TextExport,
    ConversionExport,
    DataView3,
    DataView4,
    Exit,
    Map, // F8: the map screen
};

struct ViewCommandInfo {
    ViewCommand command;
    int id;           // the command's number
    const char* text; // action text, tooltip and accessible name
    bool separatorAfter;
};

inline constexpr std::array<ViewCommandInfo, 21> kViewCommands{{
    {ViewCommand::Options, 32772, "Analysis options", false},
    {ViewCommand::Open, 32773, "Open raw test file", false},
    {ViewCommand::LoadSignal, 32774, "Load signal", true},
    {ViewCommand::GeoSignal, 32775, "Geophone signal", false},
    {ViewCommand::LoadSpectrum, 32776, "Load power spectrum", false},
    {ViewCommand::GeoSpectrum, 32777, "Geophone power spectrum", true},
    {ViewCommand::LoadFiltered, 32778, "Load signal and filtered load", false},
    {ViewCommand::GeoFiltered, 32779, "Geophone signal and filtered geophone", false},
    {ViewCommand::PreviousPage, 32781, "Previous page", false},
    {ViewCommand::NextPage, 32782, "Next page", false},
    {ViewCommand::ResultView, 32783, "Result chart", false},
    {ViewCommand::DataView1, 32784, "Data View 1", false},
    {ViewCommand::DataView2, 32785, "Data View 2", false},
    {ViewCommand::PreviousSegment, 32786, "Previous raw segment", false},
    {ViewCommand::NextSegment, 32787, "Next raw segment", false},
    {ViewCommand::Other, 32788, "Temperature, level and speed charts", false},
    {ViewCommand::TextExport, 32789, "Export results as text", false},
    {ViewCommand::ConversionExport, 32790, "Convert a raw file to exchange files", false},
    {ViewCommand::DataView3, 32791, "Data View 3", false},
    {ViewCommand::DataView4, 32792, "Data View 4", false},
    {ViewCommand::Exit, 32813, "Exit", false},
}};
