#pragma once

#include "analysis/Sections.h"
#include "charts/Canvas.h"

class CkelGeneralChart;

// The uniform sections and weak spots of a road over a chart whose x axis is the distance:
// flags as translucent bands, section boundaries as dashed vertical lines, and each section's
// mean and characteristic value as horizontal lines across it. Only what lies between `from`
// and `to` (the distances of the segment shown) is drawn, clipped to the plot.
namespace sectionoverlay {

// Colours the curves, the grid and the cursor lines do not use.
inline constexpr QRgb kBoundaryColour = Rgb(64, 64, 64);
inline constexpr QRgb kMeanColour = Rgb(0, 150, 150);
inline constexpr QRgb kCharacteristicColour = Rgb(150, 0, 200);
inline constexpr QRgb kFlagColour = Rgb(255, 140, 0);
inline constexpr int kFlagAlpha = 70;

// Under the curves, so that they stay crisp.
void DrawFlags(Canvas& dc, const CkelGeneralChart& chart, const sections::Result& result,
               double from, double to);
// Over the curves.
void DrawSections(Canvas& dc, const CkelGeneralChart& chart, const sections::Result& result,
                  double from, double to);

} // namespace sectionoverlay
