#include "charts/Ccolormap.h"

#include "document/CVorlixDoc.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The colour formula with its constant parts worked out once per image. Each part is computed
// in the order the formula is written, so every pixel gets the same index as ColourIndex.
struct ColourScale {
    int n = 0;
    double half = 0.0;
    double upSlope = 0.0, upRange = 1.0;
    double downSlope = 0.0, downRange = 1.0;

    ColourScale(int colourCount, int lower, int upper, int ampMax, int ampMin)
        : n(colourCount), half(colourCount / 2) {
        // Handles at the middle, or an amplitude range without a side, would divide by zero:
        // they saturate at once instead.
        const double nn = static_cast<double>(n) * n;
        upSlope = nn / (2.0 * std::max(1, 2 * upper - n));
        downSlope = nn / (2.0 * std::max(1, n - 2 * lower));
        upRange = std::max(1, ampMax - Cgprdata::kNeutral);
        downRange = std::max(1, Cgprdata::kNeutral - ampMin);
    }

    int Index(int deviation) const {
        const double c = deviation > 0 ? half + upSlope * deviation / upRange
                                       : half + downSlope * deviation / downRange;
        if (!(c >= 1.0))
            return 1;
        if (c >= n - 1)
            return n - 1;
        return static_cast<int>(c);
    }
};

} // namespace

int Ccolormap::ColourIndex(int deviation, int colourCount, int lower, int upper, int ampMax,
                           int ampMin) {
    if (colourCount < 2)
        return 0;
    return ColourScale(colourCount, lower, upper, ampMax, ampMin).Index(deviation);
}

int Ccolormap::LabelCount(int columns) {
    for (int n = 11; n >= 3; --n)
        if (columns / (n - 1) > 50)
            return n;
    return 0;
}

int Ccolormap::Position(const Cgprdata& data, int value, GprFollow mode) {
    const int w = imageRect.Width();
    const int step = std::max(scanStep, 1);
    imageLeft = imageRect.left;
    imageRight = imageRect.right;
    imageTop = imageRect.top;
    imageBottom = imageRect.bottom;
    columns = w - 1;
    scanSpan = (w - 2) * step + 1;
    samplesShown = std::clamp(data.samplesPerScan, 0, Ctrace::kSamples);
    rowCount = (data.samplesPerScan - 1) / std::max(rowStep, 1) + 1;
    colourBar.barRect = {imageRect.right + 15, imageRect.top, imageRect.right + 25,
                         imageRect.bottom};

    const long long scans = data.scanCount;
    long long first = firstScan;
    if (value == 0 && (first < 0 || first > scans - 1))
        first = 0;
    switch (mode) {
    case GprFollow::Move: {
        long long move = value;
        if (std::llabs(move) < 10)
            move *= columns;
        first += move;
        break;
    }
    case GprFollow::Centre:
        first = static_cast<long long>(value) - scanSpan / 2;
        break;
    case GprFollow::Start:
    case GprFollow::StartToo:
        first = value;
        break;
    }
    if (first + columns - 1 > scans - 1 && columns < scans)
        first = scans - columns;
    // A window starting at or past the end would show nothing: it starts at the file's start.
    if (first < 0 || first >= scans)
        first = 0;
    firstScan = static_cast<int>(first);

    long long last = std::min<long long>(first + scanSpan, scans - 1);
    int filled = 0;
    long long s = first;
    for (; s <= last && filled < kMaxColumns; s += step)
        columnScan[filled++] = static_cast<int>(data.absolute ? s : s - first);
    columnCount = filled;
    note.clear();
    if (s <= last) {
        // Wider than the column store: the window ends at the last column filled.
        last = s - step;
        note = "The GPR image shows its first " + std::to_string(kMaxColumns) + " columns only.";
    }
    lastScan = static_cast<int>(data.absolute ? last : last - first + 1);
    return 0;
}

int Ccolormap::GoToDistance(Cgprdata& data, int distance, GprFollow mode) {
    if (data.scanCount < 1)
        return -1;
    int index = CVorlixDoc::FloorIndex(data.scanCount - 1, 0, distance, data.scanDistance.data());
    if (index < 0) {
        // Before the first scan: a window that starts there starts with the file.
        if (mode != GprFollow::Start && mode != GprFollow::StartToo)
            return -1;
        index = 0;
    }
    Position(data, index, mode);
    // In absolute mode lastScan is the window's last scan, which is loaded with the others.
    if (data.absolute)
        data.LoadScans(firstScan, lastScan - firstScan + 1);
    else
        data.LoadScans(firstScan, lastScan);
    TakeDistances(data);
    return 0;
}

void Ccolormap::TakeDistances(const Cgprdata& data) {
    if (data.scanCount < 1)
        columnCount = 0;
    for (int i = 0; i < columnCount; ++i)
        columnDistance[i] = data.Trace(columnScan[i]).distance;
    if (columnCount > 0) {
        firstDistance = columnDistance[0];
        lastDistance = columnDistance[columnCount - 1];
    }
}

int Ccolormap::DistanceAtPoint(int x, int y) const {
    if (!imageRect.Contains(x, y))
        return -1;
    const int i = x - imageRect.left - 1; // column i stands at left + i + 1
    if (i < 0 || i >= columnCount)
        return -1;
    return columnDistance[i];
}

int Ccolormap::ColumnOfDistance(int distance) const {
    if (columnCount < 1)
        return -1;
    return CVorlixDoc::FloorIndex(columnCount - 1, 0, distance, columnDistance.data());
}

int Ccolormap::Draw(Canvas& dc, const Cgprdata& data) {
    const int w = imageRect.Width();
    const int h = imageRect.Height();
    if (w < 1 || h < 1)
        return 0;
    // The picture is made for the rectangle it is drawn in, and made again when that changes.
    if (!bitmapReady || image.width() != w + 1 || image.height() != h + 1) {
        image = QImage(w + 1, h + 1, QImage::Format_RGB32);
        bitmapReady = !image.isNull();
        if (!bitmapReady)
            return 0;
    }
    image.fill(Rgb(255, 255, 255));
    TakeDistances(data);
    PaintColumns(data, std::min(columnCount, w));

    drawn = 1;
    drawnFirst = firstScan;
    drawnLast = lastScan;
    drawnScanStep = scanStep;
    drawnRowStep = rowStep;
    dc.DrawBlock(imageRect.left, imageRect.top - 1, image, QRect(0, 0, w, h));
    DrawLabels(dc);
    return 0;
}

// Pixel (i + 1, r) of the picture shows sample (r - 1) x rowStep of column i's trace.
void Ccolormap::PaintColumns(const Cgprdata& data, int count) {
    const Ccolorrainbowl& palette = colourBar.palette;
    if (palette.colourCount < 2)
        return;
    const ColourScale scale(palette.colourCount, palette.lower, palette.upper, data.ampMax,
                            data.ampMin);
    const QRgb* working = palette.working.data();
    const int step = std::max(rowStep, 1);
    const int rows = std::min(image.height() - 1, (samplesShown - 2 + step - 1) / step);
    if (rows < 1)
        return;
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int i = 0; i < count; ++i) {
        const Ctrace& t = data.Trace(columnScan[i]);
        if (t.sampleCount <= 0)
            continue; // not loaded: stays white
        const int m = static_cast<std::int16_t>(static_cast<int>(t.mean));
        uchar* pixel = bits + stride + static_cast<qsizetype>(i + 1) * sizeof(QRgb);
        for (int r = 0, k = 0; r < rows; ++r, k += step, pixel += stride) {
            const int a = static_cast<int>((t.samples[k] - m) * gain.gain[k]);
            *reinterpret_cast<QRgb*>(pixel) = working[scale.Index(a)];
        }
    }
}

void Ccolormap::DrawLabels(Canvas& dc) {
    const int w = imageRect.Width();
    scaleRect = {imageRect.left, imageRect.bottom, imageRect.right,
                 imageRect.bottom + kLabelStripHeight};
    Canvas strip;
    strip.Resize(w + 50, kLabelStripHeight + 1, dc.DevicePixelRatio());
    strip.BeginCommand();
    strip.SelectFont(CanvasFont{80});
    strip.SetTextAlign(HAlign::Centre, VAlign::Top);
    const int columnsShown = columnCount;
    const int n = LabelCount(columnsShown);
    for (int j = 0; j < n; ++j) {
        const int x = j == n - 1
                          ? columnsShown - 1
                          : static_cast<int>(static_cast<long long>(columnsShown) * j / (n - 1));
        strip.MoveTo(x + 20, 0);
        strip.LineTo(x + 20, 4);
        strip.TextOut(x + 20, 5, QString::number(columnDistance[x]));
    }
    dc.DrawBlock(imageRect.left - 19, imageRect.bottom, strip.Image());
}
