#include "charts/CkelDMIfigure.h"

#include "charts/Canvas.h"
#include "document/CVorlixDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr QRgb kBlue = Rgb(0, 0, 255);

bool CanMap(const Caxis& axis) {
    return axis.HasScale() && std::isfinite(axis.pixelsPerUnit) && axis.pixelsPerUnit != 0.0f;
}

int ClampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

CkelDMIfigure::CkelDMIfigure() {
    yAxis.maxValue = 40.0f;
    yAxis.minValue = -20.3f;
    PlacePanels();
}

CkelDMIfigure::~CkelDMIfigure() = default;

// Panels of equal height, top to bottom, with gapRatio of the area's height between them.
void CkelDMIfigure::PlacePanels() {
    const int h = area.Height();
    const int count = std::clamp<int>(panelCount, 1, kMaxPanels);
    panelHeight = static_cast<std::int16_t>(std::clamp(
        std::trunc(h * (1.0 - static_cast<double>(gapRatio)) / count), -32767.0, 32767.0));
    panelPitch = static_cast<std::int16_t>(std::clamp(h / count, -32767, 32767));
    for (int i = 0; i < count; ++i)
        panels[i] = Rect{area.left, area.top + i * panelPitch, area.right,
                         area.top + panelHeight + i * panelPitch};
}

int CkelDMIfigure::ComputeLayout(const Rect& rect, int textHeight) {
    if (rect.IsEmpty())
        return -1;
    const int m = SaturatedPixel((static_cast<double>(rect.right) - rect.left) * 0.03);
    area = Rect{rect.left + m, rect.top + m, rect.right - m, rect.bottom - m};
    panelCount = 4;
    charHeight = static_cast<std::int16_t>(std::clamp(textHeight, 0, 32767));
    columnStep = 1;
    labelEvery = 100;
    pageCount = 0; // the figure must be paginated again
    columnsPerPanel = 0;
    columnsPerPage = 0;
    const int h = area.Height();
    if (area.IsEmpty())
        return -1; // a window wider than it is high can lose its whole height to the margin
    // The gap under each panel holds at least one and a half lines of station labels.
    gapRatio = 0.1f;
    if (std::trunc(h * 0.1 / panelCount) < 1.5 * charHeight)
        gapRatio = static_cast<float>(panelCount * 1.5 * charHeight / h);
    PlacePanels();
    if (panelHeight < 1)
        return -1; // the labels need all of the height: no room for a panel
    columnsPerPanel = area.Width() - 1;
    columnsPerPage = panelCount * columnsPerPanel;
    return 0;
}

int CkelDMIfigure::Layout(const Rect& rect, Canvas& dc) {
    if (rect.IsEmpty())
        return -1;
    const CanvasPen oldPen = dc.SelectPen(CanvasPen::Solid(1, kBlue));
    const CanvasFont oldFont = dc.SelectFont(CanvasFont{80});
    const int result = ComputeLayout(rect, dc.TextExtent(QStringLiteral("H")).height());
    if (result == 0)
        DrawFrames(dc);
    dc.SelectFont(oldFont);
    dc.SelectPen(oldPen);
    return result;
}

int CkelDMIfigure::DrawPanelFrames(Canvas& dc) {
    const CanvasPen oldPen = dc.SelectPen(CanvasPen::Solid(1, kBlue));
    DrawFrames(dc);
    dc.SelectPen(oldPen);
    return 0;
}

// Axis, rectangle and grid of every panel, with the pen that is current.
void CkelDMIfigure::DrawFrames(Canvas& dc) {
    if (panelHeight < 1)
        return;
    const int count = std::clamp<int>(panelCount, 1, kMaxPanels);
    for (int i = 0; i < count; ++i) {
        const Rect& r = panels[i];
        yAxis.Draw(dc, r.left, r.bottom, r.left, r.top);
        dc.Rectangle(r.left, r.top, r.right, r.bottom);
    }
    if (!yAxis.HasScale() || gridStyle < 1 || gridStyle >= 50)
        return;
    for (int i = 0; i < count; ++i) {
        const Rect& r = panels[i];
        const float dy = static_cast<float>(r.bottom - r.top) / yAxis.intervalCount;
        for (int k = 1; k < yAxis.intervalCount; ++k) {
            const int y = r.top + SaturatedPixel(k * static_cast<double>(dy));
            if (gridStyle == 1) {
                dc.MoveTo(r.left, y);
                dc.LineTo(r.right, y);
            } else {
                for (int x = r.left; x < r.right; x += gridStyle)
                    dc.SetPixel(x, y, Rgb(255, 140, 140));
            }
        }
    }
}

int CkelDMIfigure::Paginate(int n) {
    if (n < 10)
        return -1;
    const int count = std::clamp<int>(panelCount, 1, kMaxPanels);
    if (columnsPerPanel < 1)
        return -1; // no layout to page through
    sampleCount = n;
    columnStep = 1;
    const std::int64_t perPanel = std::int64_t{columnsPerPanel} * columnStep;
    const std::int64_t perPage = perPanel * count;
    // Panels show start ... end - 1 and the record's range ends at n - 1, so the pages are
    // those that have a sample below n - 1; a record of a whole number of pages gets no
    // trailing page that would start past its data.
    pageCount = ClampToInt((std::int64_t{n} - 2) / perPage + 1);
    const std::int64_t lastStart = perPage * (pageCount - 1);
    lastPanel = ClampToInt((n - 1 - lastStart + perPanel - 1) / perPanel - 1);
    SetCurrentPage(currentPage >= 0 && currentPage < pageCount ? currentPage : 0);
    return 0;
}

CkelDMIfigure::SampleRange CkelDMIfigure::PanelRange(int page, int panel) const {
    const int count = std::clamp<int>(panelCount, 1, kMaxPanels);
    if (!IsPaginated() || page < 0 || page >= pageCount || panel < 0 || panel >= count)
        return {};
    const bool lastPage = page == pageCount - 1;
    if (lastPage && panel > lastPanel)
        return {}; // after the end of the record
    const std::int64_t perPanel = std::int64_t{columnsPerPanel} * columnStep;
    const std::int64_t start = perPanel * panel + perPanel * count * page;
    std::int64_t end = start + perPanel;
    if (lastPage && panel == lastPanel)
        end = sampleCount - 1;
    return {ClampToInt(start), ClampToInt(end)};
}

CkelDMIfigure::SampleRange CkelDMIfigure::PageRange(int page) const {
    const SampleRange first = PanelRange(page, 0);
    if (first.start < 0)
        return {};
    const int last =
        page == pageCount - 1 ? lastPanel : std::clamp<int>(panelCount, 1, kMaxPanels) - 1;
    return {first.start, PanelRange(page, last).end};
}

QString CkelDMIfigure::PageCaption(int page) const {
    const SampleRange range = PageRange(page);
    return QString::asprintf("from  %d  to %d", range.start, range.end);
}

void CkelDMIfigure::SetCurrentPage(int page) {
    currentPage = page;
    const SampleRange range = PageRange(page);
    pageStart = range.start;
    pageEnd = range.end;
}

int CkelDMIfigure::DrawPage(int page, const float* data, Canvas& dc, const CVorlixDoc& doc) {
    if (!IsPaginated() || page < 0 || page > pageCount - 1 || data == nullptr)
        return -1;
    const CanvasFont oldFont = dc.SelectFont(CanvasFont{80});
    const CanvasPen oldPen = dc.SelectPen(CanvasPen::Solid(1, Rgb(0, 255, 0)));
    dc.SetTextAlign(HAlign::Centre, VAlign::Top);
    SetCurrentPage(page);
    dc.TextOut(panels[0].left, panels[0].top - 20, PageCaption(page));
    const int count = std::clamp<int>(panelCount, 1, kMaxPanels);
    for (int j = 0; j < count; ++j) {
        const SampleRange range = PanelRange(page, j);
        if (range.start < 0)
            break; // the record ended in an earlier panel: this one stays empty
        DrawPanelCurve(dc, j, range, data, &doc);
    }
    dc.SelectPen(oldPen);
    dc.SelectFont(oldFont);
    return 0;
}

int CkelDMIfigure::DrawOverlay(int page, const float* values, Canvas& dc) {
    if (!IsPaginated() || page < 0 || page > pageCount - 1 || values == nullptr)
        return -1;
    const CanvasPen oldPen = dc.SelectPen(CanvasPen::Solid(1, kBlue));
    SetCurrentPage(page);
    const int count = std::clamp<int>(panelCount, 1, kMaxPanels);
    for (int j = 0; j < count; ++j) {
        const SampleRange range = PanelRange(page, j);
        if (range.start < 0)
            break;
        DrawPanelCurve(dc, j, range, values, nullptr);
    }
    dc.SelectPen(oldPen);
    return 0;
}

QString CkelDMIfigure::StationLabel(const CVorlixDoc& doc, int sample) const {
    if (!cycleLabels)
        return QString::fromStdString(doc.StationText(sample));
    // Per cycle: the point midway between the cycle's geophone peak and trough.
    const int cycles = std::clamp(doc.geoCycleCount, 0, static_cast<int>(kCycleCapacity));
    if (sample < 0 || sample >= cycles)
        return QString();
    const std::int64_t mid =
        (std::int64_t{doc.geoPeakIndex[sample]} + doc.geoTroughIndex[sample]) / 2;
    return QString::fromStdString(doc.StationText(ClampToInt(mid)));
}

// One sample per column from column 1; with labels, a station and a 5-pixel tick under
// columns 1, 101, 201, ... The curve is not clipped; NaN samples leave a gap.
void CkelDMIfigure::DrawPanelCurve(Canvas& dc, int panel, SampleRange range, const float* data,
                                   const CVorlixDoc* labels) {
    const Rect& r = panels[panel];
    const bool mappable = CanMap(yAxis);
    const double low = yAxis.axisLow;
    const double scale = yAxis.pixelsPerUnit;
    const double bottom = r.bottom;
    auto yOf = [&](int i, int& y) {
        const float v = data[i];
        if (!mappable || std::isnan(v))
            return false;
        y = SaturatedPixel(bottom - (v - low) * scale);
        return true;
    };
    bool down = false;
    int previousY = 0;
    int y = 0;
    if (yOf(range.start, y)) {
        dc.MoveTo(r.left + 1, y);
        down = true;
        previousY = y;
    }
    const int step = std::max<int>(columnStep, 1);
    int k = 1;
    for (int i = range.start; i < range.end; i += step, ++k) {
        const int x = r.left + k;
        if (labels && labelEvery > 0 && k % labelEvery == 1) {
            const QString text = StationLabel(*labels, i);
            if (!text.isEmpty())
                dc.TextOut(x, r.bottom + 8, text);
            dc.MoveTo(x, r.bottom);
            dc.LineTo(x, r.bottom + 5);
            if (down)
                dc.MoveTo(x, previousY);
        }
        if (yOf(i, y)) {
            if (down)
                dc.LineTo(x, y);
            else
                dc.MoveTo(x, y);
            down = true;
            previousY = y;
        } else {
            down = false;
        }
    }
}

bool CkelDMIfigure::MarkerPosition(int sample, int& panel, int& x) const {
    if (!IsPaginated() || columnsPerPanel < 1 || sample < pageStart || sample > pageEnd)
        return false;
    const std::int64_t c = std::int64_t{sample} - pageStart + 1;
    const std::int64_t p = c / columnsPerPanel;
    const int count = std::clamp<int>(panelCount, 1, kMaxPanels);
    // A page's last sample would land in a panel slot the page does not have.
    if (p >= count || (currentPage == pageCount - 1 && p > lastPanel))
        return false;
    panel = static_cast<int>(p);
    x = panels[panel].left + static_cast<int>(c % columnsPerPanel);
    return true;
}

void CkelDMIfigure::DrawMarkers(const float* data, Canvas& dc, int kind, const CVorlixDoc& doc) {
    if (!IsPaginated() || data == nullptr)
        return;
    const int* peaks = nullptr;
    const int* troughs = nullptr;
    int cycles = 0;
    if (kind == 1) {
        peaks = doc.geoPeakIndex.data();
        troughs = doc.geoTroughIndex.data();
        cycles = doc.geoCycleCount;
    } else if (kind == 2) {
        peaks = doc.loadPeakIndex.data();
        troughs = doc.loadTroughIndex.data();
        cycles = doc.loadCycleCount;
    } else {
        return;
    }
    cycles = std::clamp(cycles, 0, static_cast<int>(kCycleCapacity));
    if (currentPage == pageCount - 1)
        pageEnd = doc.pointCount;

    int first = 0;
    while (first < cycles && peaks[first] < pageStart)
        ++first;
    if (first >= cycles)
        return;
    int last = cycles - 1;
    while (last >= first && peaks[last] > pageEnd)
        --last;

    // Only samples that hold data are placed (pageEnd on the last page is one past them).
    const int valid = std::min(sampleCount, doc.pointCount);
    const bool mappable = CanMap(yAxis);
    const double low = yAxis.axisLow;
    const double scale = yAxis.pixelsPerUnit;
    auto place = [&](int sample, int& px, int& py) {
        int panel = 0;
        if (!mappable || sample >= valid || !MarkerPosition(sample, panel, px))
            return false;
        const float v = data[sample];
        if (std::isnan(v))
            return false;
        py = SaturatedPixel(panels[panel].bottom - (v - low) * scale);
        return true;
    };

    const CanvasPen oldPen = dc.SelectPen(CanvasPen::Solid(1, Rgb(255, 0, 0)));
    int x = 0;
    int y = 0;
    for (int i = first; i <= last; ++i)
        if (place(peaks[i], x, y))
            dc.Ellipse(x - 2, y - 2, x + 2, y + 2);
    for (int i = std::max(first - 1, 0); i <= std::min(last + 1, cycles - 1); ++i) {
        const int s = troughs[i];
        if (s >= pageStart && s <= pageEnd && place(s, x, y))
            dc.Rectangle(x - 2, y - 2, x + 2, y + 2);
    }
    dc.SelectPen(oldPen);
}
