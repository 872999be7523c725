#pragma once

#include "charts/CLABEL.h"
#include "charts/CdetailChart.h"
#include "charts/Cfram.h"
#include "charts/CkelDMIfigure.h"
#include "charts/CkelGeneralChart.h"
#include "charts/Cmoveline.h"

#include <array>

// The drawing objects of the window, alive from start-up to exit: the frame layout, the
// detail charts, readouts and cursor lines the screens place, and the view's own charts.
struct DisplayObjects {
    Cfram layout;
    std::array<CdetailChart, 2> detailCharts;
    std::array<CLABEL, 4> labels; // "DMI", "Lat.", "Lot.", "Value"
    std::array<Cmoveline, 3> cursorLines;

    CkelGeneralChart resultChart;
    CkelDMIfigure signalFigure;
    CkelGeneralChart spectrumChart;
    CkelGeneralChart temperatureChart;
    CkelGeneralChart elevationChart;
    CkelGeneralChart speedChart;
};
