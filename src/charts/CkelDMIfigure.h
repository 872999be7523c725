#pragma once

#include "charts/Caxis.h"
#include "charts/Rect.h"

#include <QString>

#include <cstdint>

class CVorlixDoc;
class Canvas;

// The distance-profile figure: one long per-sample signal cut into pages and, within a page,
// into a stack of panels read like lines of text, one sample per pixel column. Every panel
// has the same y axis, a frame and a dotted grid; station labels sit under every hundredth
// column, and markers can be put on the cycle peaks and troughs.
//
// Order of use: set yAxis.minValue and maxValue, Layout, Paginate, then DrawPage (and
// DrawOverlay, DrawMarkers) of a page. Page ranges are computed, not stored, so any number
// of pages works.
class CkelDMIfigure {
public:
    static constexpr int kMaxPanels = 6;

    // Samples start ... end - 1 of one panel; start -1 for a panel with nothing to show.
    struct SampleRange {
        int start = -1;
        int end = -1;
        bool IsEmpty() const { return start < 0 || end <= start; }
    };

    CkelDMIfigure();
    virtual ~CkelDMIfigure();

    // Lays the panels out inside rect and draws their axis, frame and grid. Returns -1 (and
    // draws nothing) when rect is empty or too small to hold a panel, else 0.
    int Layout(const Rect& rect, Canvas& dc);
    // The geometry of Layout, with textHeight the height of "H" in Arial 8 point.
    int ComputeLayout(const Rect& rect, int textHeight);
    // Splits n samples into pages and panels. Returns -1 when n < 10 or there is no layout.
    int Paginate(int n);
    // Axis, frame and grid of every panel with the current layout. Returns 0.
    int DrawPanelFrames(Canvas& dc);
    // Caption, station labels and the curve of data for one page; the page becomes
    // currentPage. -1 (nothing drawn) when not paginated or page is out of range.
    int DrawPage(int page, const float* data, Canvas& dc, const CVorlixDoc& doc);
    // A second curve over the same page, without labels. Same checks as DrawPage.
    int DrawOverlay(int page, const float* values, Canvas& dc);
    // Circles on the peaks and squares on the troughs of the cycles on the page last drawn:
    // kind 1 the geophone cycles, kind 2 the load cycles.
    void DrawMarkers(const float* data, Canvas& dc, int kind, const CVorlixDoc& doc);

    bool IsPaginated() const { return pageCount >= 1 && sampleCount >= 10; }
    SampleRange PanelRange(int page, int panel) const;
    // From the start of panel 0 to the end of the page's last panel that shows samples.
    SampleRange PageRange(int page) const;
    // "from  <first>  to <end>" of a page.
    QString PageCaption(int page) const;
    // Where a marker on sample goes on the current page: its panel and pixel column. False
    // when the sample is off the page or would fall beyond the page's last panel.
    bool MarkerPosition(int sample, int& panel, int& x) const;

    Rect area{0, 0, 1000, 800};
    std::int16_t panelCount = 4;
    Rect panels[kMaxPanels];
    std::int16_t columnStep = 1;
    std::int16_t labelEvery = 100;
    Caxis yAxis;
    Caxis xAxis; // kept with the figure, never drawn
    std::int16_t charHeight = 0;
    int pageStart = 0;
    int pageEnd = 0;
    int lastPanel = 0;
    int sampleCount = 0;
    int pageCount = 1; // 32 bits: a full segment on a narrow window has many pages
    int columnsPerPanel = 0;
    int columnsPerPage = 0;
    float gapRatio = 0.1f;
    std::int16_t panelHeight = 0;
    std::int16_t panelPitch = 0;
    std::int16_t gridStyle = 3;
    int currentPage = 0;
    bool cycleLabels = false;

private:
    void PlacePanels();
    void DrawFrames(Canvas& dc);
    void DrawPanelCurve(Canvas& dc, int panel, SampleRange range, const float* data,
                        const CVorlixDoc* labels);
    QString StationLabel(const CVorlixDoc& doc, int sample) const;
    void SetCurrentPage(int page);
};
