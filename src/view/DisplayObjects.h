#pragma once

#include "charts/CLABEL.h"
#include "charts/Ccolormap.h"
#include "charts/CdetailChart.h"
#include "charts/Cfram.h"
#include "charts/CkelDMIfigure.h"
#include "charts/CkelGeneralChart.h"
#include "charts/Cmoveline.h"
#include "charts/Csmalldetailchart.h"
#include "images/CviewPicture.h"

#include <array>

class CVorlixDoc;

// The value ranges the signal screens scale to: each signal's extremes after a read, until the
// plain load or geophone screen fixes that signal's range, for its filtered screen too.
struct SignalRanges {
    float loadMin = 0.0f;
    float loadMax = 0.0f;
    float geoMin = 0.0f;
    float geoMax = 0.0f;
};

// The drawing objects of the window, alive from start-up to exit: the frame layout, the
// detail and zoom charts, readouts and cursor lines the screens place, the picture viewer,
// the GPR colour map, and the view's own charts.
struct DisplayObjects {
    explicit DisplayObjects(CVorlixDoc& doc);

    Cfram layout;
    std::array<CdetailChart, 2> detailCharts;
    std::array<Csmalldetailchart, 2> smallDetailCharts;
    std::array<CLABEL, 4> labels; // "DMI", "Lat.", "Lot.", "Value"
    std::array<Cmoveline, 3> cursorLines;
    CviewPicture picture;
    Ccolormap colourMap;
    Cmoveline gprCursor;

    CkelGeneralChart resultChart;
    CkelDMIfigure signalFigure;
    CkelGeneralChart spectrumChart;
    CkelGeneralChart temperatureChart;
    CkelGeneralChart elevationChart;
    CkelGeneralChart speedChart;
    SignalRanges signalRanges;
    // The detail and zoom charts a pick has drawn since the screen was cleared.
    std::array<bool, 2> detailShown{};
    std::array<bool, 2> zoomShown{};

    // Every cursor line whose rectangle meets `area` drops the pixels it saved there: what
    // lies beneath it is about to be drawn again.
    void ForgetCursorsIn(const Rect& area);
    // The signal ranges of the segment just read.
    void TakeSignalRanges(const CVorlixDoc& doc);
};
