#pragma once

#include "charts/Canvas.h"
#include "charts/Ccolorbar.h"
#include "charts/Rect.h"
#include "document/Camply.h"
#include "document/Cgprdata.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <string>

// How the GPR window is placed from a scan: moved by a count of scans (a count under 10 counting
// pages), centred on the scan, or starting at it. The numbers are the modes' own.
enum class GprFollow : int { Move = 0, Centre = 10, Start = 11, StartToo = -11 };

// The GPR colour-map image: one pixel column per scan of a window of the file, one pixel row
// per rowStep samples, each pixel coloured from the colour bar's working palette by the
// sample's deviation from its scan's mean, amplified more with depth. A 20-pixel strip under
// the image carries distance labels in feet; the colour bar stands to the right.
class Ccolormap {
public:
    static constexpr int kMaxColumns = Cgprdata::kMaxColumns;
    static constexpr int kLabelStripHeight = 20;

    virtual ~Ccolormap() = default;

    // Chooses the scan window for imageRect from scan `value` (a mode outside GprFollow keeps
    // the start) and the trace of each column. Places the colour bar. Returns 0.
    int Position(const Cgprdata& data, int value, GprFollow mode);
    // Positions the window at the scan of a distance in feet and loads its scans. -1 (nothing
    // changed) when the distance lies before the file's first scan or the file has no scan; a
    // window starting before the first scan starts at the first scan.
    int GoToDistance(Cgprdata& data, int distance, GprFollow mode);
    // The distance of the scan shown in pixel column x, when (x, y) lies in imageRect and a scan
    // is shown there; else -1.
    int DistanceAtPoint(int x, int y) const;
    // Draws the image and its distance labels. Returns 0.
    int Draw(Canvas& dc, const Cgprdata& data);
    // The column of a distance: the exact match in columnDistance, else the column just below;
    // -1 below the first column.
    int ColumnOfDistance(int distance) const;

    // Palette index of a deviation from the scan's mean: the upper half of the palette for
    // positive deviations, reaching `upper` at ampMax - 2048; the lower half for the others,
    // reaching `lower` at ampMin - 2048. Within 1 ... colourCount - 1.
    static int ColourIndex(int deviation, int colourCount, int lower, int upper, int ampMax,
                           int ampMin);
    // Distance labels under `columns` filled columns: 11 down to 3 when there are more than 50
    // columns between labels, else none.
    static int LabelCount(int columns);

    Ccolorbar colourBar;
    Camply gain;
    int imageLeft = 0, imageRight = 0, imageTop = 0, imageBottom = 0;
    int rowCount = 0;
    int columns = 0;     // image width - 1
    int columnCount = 0; // columns filled by the last positioning
    int scanSpan = 0;
    int firstScan = 0;
    int lastScan = 0; // after a relative (not absolute) positioning: the number of scans to load
    int samplesShown = Ctrace::kSamples;
    std::array<int, kMaxColumns> columnScan{};
    int rowStep = 1;
    int scanStep = 1;
    std::int16_t drawn = 0;
    int drawnFirst = 0, drawnLast = 0, drawnScanStep = 0, drawnRowStep = 0;
    int firstDistance = 0, lastDistance = 0;
    std::array<int, kMaxColumns> columnDistance{};
    Rect scaleRect;
    Rect imageRect;
    QImage image; // off-screen picture of (width + 1) x (height + 1) of imageRect
    bool bitmapReady = false;
    std::string note; // set when the image is wider than kMaxColumns columns; else empty

private:
    void PaintColumns(const Cgprdata& data, int count);
    void DrawLabels(Canvas& dc);
    void TakeDistances(const Cgprdata& data);
};
