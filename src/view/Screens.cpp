#include "view/Screens.h"

#include "analysis/SpectrumData.h"
#include "charts/Canvas.h"
#include "charts/Ccolormap.h"
#include "charts/SectionOverlay.h"
#include "document/CVorlixDoc.h"

#include <algorithm>
#include <cmath>

namespace screens {
namespace {

constexpr QRgb kWhite = Rgb(255, 255, 255);

const float* SignalOf(const CVorlixDoc& doc, DisplayMode mode) {
    return (mode == DisplayMode::LoadSignal || mode == DisplayMode::LoadFiltered)
               ? doc.loadSignal.data()
               : doc.geoSignal.data();
}

void Layout(DisplayObjects& objects, const Canvas& dc, const CVorlixDoc& doc, LayoutKind kind) {
    objects.layout.layoutKind = kind;
    objects.layout.clientRect = dc.ClientRect();
    objects.layout.ComputeLayout(doc.options.showGprColormap != 0);
}

// The x and y values of one GPS series, copied into the chart's arrays.
template <typename Point, typename Field>
void CopySeries(const Point* points, int count, Field field, std::vector<float>& xs,
                std::vector<float>& ys) {
    xs.resize(static_cast<std::size_t>(std::max(count, 0)));
    ys.resize(xs.size());
    for (int i = 0; i < count; ++i) {
        xs[static_cast<std::size_t>(i)] = points[i].distance;
        ys[static_cast<std::size_t>(i)] = field(points[i]);
    }
}

void DrawSeriesChart(Canvas& dc, CkelGeneralChart& chart, const Rect& rect,
                     const std::vector<float>& xs, const std::vector<float>& ys) {
    if (chart.BeginChart(rect, dc) != 0)
        return;
    chart.DrawCurve(dc, xs.data(), ys.data(), static_cast<int>(xs.size()) - 1);
    chart.DrawTitles(dc);
}

// Texts of the settings file are Latin-1 bytes.
QString FromSettingsText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Widens [low, high] to the finite values of ys; returns false, changing nothing, when there
// is none.
bool WidenToValues(const float* ys, int count, float& low, float& high, bool started) {
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(ys[i]))
            continue;
        low = started ? std::min(low, ys[i]) : ys[i];
        high = started ? std::max(high, ys[i]) : ys[i];
        started = true;
    }
    return started;
}

} // namespace

void ClearClient(Canvas& dc, DisplayObjects& objects) {
    dc.FillSolidRect(dc.ClientRect(), kWhite);
    for (Cmoveline& line : objects.cursorLines)
        line.Forget();
    objects.gprCursor.Forget();
    objects.detailShown = {};
    objects.zoomShown = {};
}

void DrawSignalMode(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc, DisplayMode mode) {
    dc.BeginCommand();
    ClearClient(dc, objects);
    CkelDMIfigure& figure = objects.signalFigure;
    figure.cycleLabels = false;
    objects.layout.layoutKind = LayoutKind::Signal;
    SignalRanges& ranges = objects.signalRanges;
    float minimum = 0.0f, maximum = 0.0f;
    switch (mode) {
    case DisplayMode::LoadSignal:
        ranges.loadMin = minimum = 0.0f;
        ranges.loadMax = maximum = 15.0f;
        break;
    case DisplayMode::GeoSignal:
        ranges.geoMin = minimum = -10.0f;
        ranges.geoMax = maximum = 10.0f;
        break;
    case DisplayMode::LoadFiltered:
        minimum = -(ranges.loadMax - ranges.loadMin) * 0.5f;
        maximum = ranges.loadMax;
        break;
    case DisplayMode::GeoFiltered:
        minimum = ranges.geoMin;
        maximum = ranges.geoMax;
        break;
    case DisplayMode::None:
    case DisplayMode::LoadSpectrum:
    case DisplayMode::GeoSpectrum:
        return;
    }
    figure.yAxis.maxValue = maximum;
    figure.yAxis.minValue = minimum;
    figure.Layout(dc.ClientRect(), dc);
    figure.Paginate(doc.pointCount);
    figure.DrawPage(0, SignalOf(doc, mode), dc, doc);
    if (mode == DisplayMode::LoadFiltered)
        figure.DrawOverlay(0, doc.loadFiltered.data(), dc);
    else if (mode == DisplayMode::GeoFiltered)
        figure.DrawOverlay(0, doc.geoFiltered.data(), dc);
}

bool DrawSignalPage(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc, DisplayMode mode,
                    int page) {
    CkelDMIfigure& figure = objects.signalFigure;
    if (page < 0 || page > figure.pageCount - 1)
        return false;
    dc.BeginCommand();
    ClearClient(dc, objects);
    // Paged to from a data view, the mouse must leave the page alone.
    objects.layout.layoutKind = LayoutKind::Signal;
    figure.DrawPanelFrames(dc);
    switch (mode) {
    case DisplayMode::LoadSignal:
    case DisplayMode::GeoSignal:
        figure.DrawPage(page, SignalOf(doc, mode), dc, doc);
        break;
    case DisplayMode::LoadFiltered:
        figure.DrawPage(page, doc.loadSignal.data(), dc, doc);
        figure.DrawOverlay(page, doc.loadFiltered.data(), dc);
        figure.DrawMarkers(doc.loadFiltered.data(), dc, 2, doc);
        break;
    case DisplayMode::GeoFiltered:
        figure.DrawPage(page, doc.geoSignal.data(), dc, doc);
        figure.DrawOverlay(page, doc.geoFiltered.data(), dc);
        figure.DrawMarkers(doc.geoFiltered.data(), dc, 1, doc);
        break;
    case DisplayMode::None:
    case DisplayMode::LoadSpectrum:
    case DisplayMode::GeoSpectrum:
        break;
    }
    return true;
}

bool DrawSpectrum(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc, DisplayMode mode,
                  SpectrumWindow window, std::string* error) {
    SpectrumData data;
    const int signal =
        mode == DisplayMode::LoadSpectrum ? spectrum::kLoadMode : spectrum::kGeophoneMode;
    if (!ComputeSpectrum(doc, signal, window.start, window.end, &data, error))
        return false;
    dc.BeginCommand();
    ClearClient(dc, objects);
    CkelGeneralChart& chart = objects.spectrumChart;
    chart.yAxis.maxValue = data.maximum;
    chart.yAxis.minValue = data.minimum;
    // The axis ends at the band's upper frequency, where the last value is drawn.
    chart.xAxis.maxValue = static_cast<float>(data.endBin * data.df);
    chart.xAxis.minValue = static_cast<float>(data.xMinimum);
    Layout(objects, dc, doc, LayoutKind::Result);
    if (chart.BeginChart(objects.layout.resultRect, dc) != 0)
        return true;
    chart.DrawSeries(dc, data.values.data(), static_cast<int>(data.values.size()) - 1,
                     data.xMinimum, data.xStep);
    chart.title = QString::fromStdString(data.title);
    chart.xTitle = QString::fromStdString(data.xTitle);
    chart.yTitle = QString::fromStdString(data.yTitle);
    chart.DrawTitles(dc);
    return true;
}

void DrawResult(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc,
                const sections::Result* road) {
    if (objects.layout.layoutKind == LayoutKind::Result)
        ClearClient(dc, objects);
    else
        objects.cursorLines[0].Forget(); // the result chart is drawn again beneath cursor 1
    objects.layout.clientRect = dc.ClientRect();
    objects.layout.ComputeLayout(doc.options.showGprColormap != 0);

    const CKVTcontrol& options = doc.options;
    const int row = CKVTcontrol::kResultChartRow;
    CkelGeneralChart& chart = objects.resultChart;
    chart.title = FromSettingsText(options.chartTitle[row]);
    chart.xTitle = FromSettingsText(options.chartXLabel[row]);
    chart.yTitle = FromSettingsText(options.chartYLabel[row]);
    chart.yAxis.maxValue = options.chartMax[row];
    chart.yAxis.minValue = options.chartMin[row];
    const int cycles = std::max(doc.cycleCount, 0);
    const bool smoothed = options.movingAverageCount > 1;
    if (options.chartMin[row] == options.chartMax[row]) {
        // No range chosen (as without a settings file): the range of what is drawn, which
        // the axis then rounds to its steps.
        float low = 0.0f, high = 0.0f;
        bool any = WidenToValues(doc.cycleRatio.data(), cycles, low, high, false);
        if (smoothed)
            any =
                WidenToValues(doc.resultValue.data(), std::max(doc.resultCount, 0), low, high, any);
        if (any) {
            chart.yAxis.minValue = low;
            chart.yAxis.maxValue = high;
        }
    }
    chart.xAxis.maxValue = cycles > 0 ? doc.cycleDistance[cycles - 1] : 0.0f;
    chart.xAxis.minValue = cycles > 0 ? doc.cycleDistance[0] : 0.0f;
    if (chart.BeginChart(objects.layout.resultRect, dc) != 0)
        return;
    // The segment's own span: sections of the neighbouring segments stay off it.
    const double from = chart.xAxis.minValue;
    const double to = chart.xAxis.maxValue;
    if (road && cycles > 0)
        sectionoverlay::DrawFlags(dc, chart, *road, from, to);
    chart.DrawCurve(dc, doc.cycleDistance.data(), doc.cycleRatio.data(), cycles - 1);
    if (smoothed)
        chart.DrawSecondCurve(dc, doc.resultDistance.data(), doc.resultValue.data(),
                              std::max(doc.resultCount, 0) - 1);
    if (road && cycles > 0)
        sectionoverlay::DrawSections(dc, chart, *road, from, to);
    chart.DrawTitles(dc);
}

void DrawResultView(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc,
                    const sections::Result* road) {
    dc.BeginCommand();
    Layout(objects, dc, doc, LayoutKind::Result);
    DrawResult(dc, objects, doc, road);
}

void DrawOther(Canvas& dc, DisplayObjects& objects, const CVorlixDoc& doc) {
    dc.BeginCommand();
    ClearClient(dc, objects);
    Layout(objects, dc, doc, LayoutKind::GpsTrack);
    const CNMEA& gps = doc.gps;
    const int tracks = std::clamp(gps.trackCount, 0, CNMEA::kTrackCapacity);
    const int temperatures = std::clamp(gps.temperatureCount, 0, CNMEA::kTemperatureCapacity);
    std::vector<float> xs, ys;

    // One chart of a GPS series along the track's distance span.
    auto chart = [&](CkelGeneralChart& c, const Rect& rect, float minimum, float maximum,
                     const char* title, const char* xTitle, const char* yTitle) {
        c.yAxis.maxValue = maximum;
        c.yAxis.minValue = minimum;
        c.xAxis.maxValue = gps.distanceEnd;
        c.xAxis.minValue = gps.distanceStart;
        c.title = QString::fromLatin1(title);
        c.xTitle = QString::fromLatin1(xTitle);
        c.yTitle = QString::fromLatin1(yTitle);
        DrawSeriesChart(dc, c, rect, xs, ys);
    };
    const Cfram& layout = objects.layout;
    CopySeries(
        gps.temperatures.data(), temperatures,
        [](const TemperaturePoint& p) { return p.temperature; }, xs, ys);
    chart(objects.temperatureChart, layout.temperatureRect, gps.temperatureMin, gps.temperatureMax,
          "", "", "Pavement Surface Temperature in F");
    CopySeries(
        gps.track.data(), tracks, [](const TrackPoint& p) { return p.level; }, xs, ys);
    chart(objects.elevationChart, layout.levelRect, gps.levelMin, gps.levelMax,
          "KVT test track Level chart", "", "Elevation above sea level");
    CopySeries(
        gps.track.data(), tracks, [](const TrackPoint& p) { return p.speed; }, xs, ys);
    chart(objects.speedChart, layout.speedRect, gps.speedMin, gps.speedMax,
          "KVT Running speed chart", "DMI", "MPH");
}

void DrawReadoutBar(Canvas& dc, DisplayObjects& objects) {
    static const QString kTitles[4] = {QStringLiteral("DMI"), QStringLiteral("Lat."),
                                       QStringLiteral("Lot."), QStringLiteral("Value")};
    const CanvasFont oldFont = dc.SelectFont(CanvasFont{180});
    dc.SetTextAlign(HAlign::Left, VAlign::Top);
    int titleWidth[4];
    for (int i = 0; i < 4; ++i)
        titleWidth[i] = dc.TextExtent(kTitles[i]).width();
    auto boxWidth = [&](int i) {
        const CLABEL& l = objects.labels[static_cast<std::size_t>(i)];
        return (l.glyphWidth + l.gap) * l.digitCount;
    };
    enum { kDmi, kLat, kLot, kValue };
    const Cfram& layout = objects.layout;
    int titleX[4], titleY[4];
    if (layout.layoutKind == LayoutKind::DataView2) {
        titleX[kLat] = layout.anchor1Rect.left;
        titleY[kLat] = layout.anchor1Rect.top;
        titleX[kLot] = layout.anchor1Rect.left;
        titleY[kLot] = layout.anchor1Rect.top + 30;
        titleX[kDmi] = layout.anchor2Rect.left;
        titleY[kDmi] = layout.anchor2Rect.top;
        titleX[kValue] = layout.anchor3Rect.left;
        titleY[kValue] = layout.anchor3Rect.top;
        for (int i = 0; i < 4; ++i) {
            CLABEL& l = objects.labels[static_cast<std::size_t>(i)];
            l.left = titleX[i] + titleWidth[i] + 10;
            l.top = titleY[i];
        }
        objects.labels[kLot].left = objects.labels[kLat].left;
    } else {
        // Left to right on y = 40, the "Value" box ending 30 pixels left of the result chart's
        // right edge.
        const int order[4] = {kLat, kLot, kDmi, kValue};
        const int gapAfter[4] = {10, 50, 50, 0};
        int total = 0;
        for (int k = 0; k < 4; ++k)
            total += titleWidth[order[k]] + boxWidth(order[k]) + gapAfter[k];
        int x = layout.resultRect.right - 30 - total;
        for (int k = 0; k < 4; ++k) {
            const int i = order[k];
            titleX[i] = x;
            titleY[i] = 40;
            CLABEL& l = objects.labels[static_cast<std::size_t>(i)];
            l.left = x + titleWidth[i];
            l.top = 40;
            x = l.left + boxWidth(i) + gapAfter[k];
        }
    }
    for (int i = 0; i < 4; ++i)
        dc.TextOut(titleX[i], titleY[i], kTitles[i]);
    dc.SelectFont(oldFont);
    for (CLABEL& label : objects.labels)
        label.Prepare(dc);
}

void DrawDataView(Canvas& dc, DisplayObjects& objects, CVorlixDoc& doc, Screen view,
                  const sections::Result* road) {
    if (!IsDataView(LayoutOf(view)))
        return;
    dc.BeginCommand();
    ClearClient(dc, objects);
    Layout(objects, dc, doc, LayoutOf(view));
    const Cfram& layout = objects.layout;
    auto& detail = objects.detailCharts;
    auto& zoom = objects.smallDetailCharts;
    if (view == Screen::DataView3)
        detail[0].plotWidth = layout.detail1Rect.Width();
    if (view == Screen::DataView4) {
        detail[0].plotWidth = layout.detail1Rect.Width();
        detail[1].plotWidth = layout.detail2Rect.Width();
    }
    DrawResult(dc, objects, doc, road);

    CviewPicture& picture = objects.picture;
    picture.viewRect = layout.pictureRect;
    picture.bandRect = {layout.pictureRect.left, layout.pictureRect.top, layout.pictureRect.right,
                        layout.pictureRect.top + layout.pictureRect.Height() / 4};
    picture.current = 0;
    picture.GoToDistance(200, dc);
    picture.DrawButtons(dc);

    // View 1: both zoom charts. Views 3 and 4: the geophone detail chart in the first detail
    // rectangle; in the second, view 3 the narrow zoom chart and view 4 the load detail chart.
    auto placeDetail = [](CdetailChart& chart, const Rect& rect, int signal, int labelStyle) {
        chart.plotRect = rect;
        chart.signal = signal;
        chart.labelStyle = labelStyle;
    };
    if (view == Screen::DataView1) {
        zoom[1].plotRect = layout.detail1Rect;
        zoom[0].plotRect = layout.detail2Rect;
        zoom[0].span = 100.0f;
    }
    if (view == Screen::DataView3 || view == Screen::DataView4)
        placeDetail(detail[0], layout.detail1Rect, 2, 1);
    if (view == Screen::DataView3)
        zoom[1].plotRect = layout.detail2Rect;
    if (view == Screen::DataView4)
        placeDetail(detail[1], layout.detail2Rect, 1, 2);
    DrawReadoutBar(dc, objects);

    // Every data view starts with its cursor lines hidden; data view 4 shows again those whose
    // distance it still shows.
    auto& cursors = objects.cursorLines;
    cursors[0].lineRect = layout.resultRect;
    if (view != Screen::DataView2) {
        cursors[1].lineRect = layout.detail1Rect;
        cursors[2].lineRect = layout.detail2Rect;
    }
    for (Cmoveline& line : cursors) {
        line.newPosition = -1;
        line.Forget();
    }
    if (ShowsGpr(LayoutOf(view)) && doc.options.showGprColormap != 0) {
        Ccolormap& map = objects.colourMap;
        Cgprdata& data = doc.gpr.gprData;
        map.imageRect = layout.gprRect; // scans indexed from the window start: absolute stays off
        map.GoToDistance(data, 0, GprFollow::Start);
        map.Draw(dc, data);
        map.colourBar.DrawBar(dc);
        objects.gprCursor.lineRect = layout.gprRect;
        objects.gprCursor.newPosition = -1;
        objects.gprCursor.Forget();
    }
}

void ResetAfterOpen(DisplayObjects& objects) {
    struct Digits {
        int count, decimals;
    };
    static constexpr Digits kDigits[4] = {{7, 1}, {12, 7}, {12, 7}, {6, 2}};
    for (std::size_t i = 0; i < objects.labels.size(); ++i) {
        CLABEL& label = objects.labels[i];
        label.bitmapId = 314;
        label.glyphWidth = 13;
        label.glyphHeight = 19;
        label.gap = 2;
        label.extraWidth = 0;
        label.digitCount = static_cast<std::int16_t>(kDigits[i].count);
        label.decimals = static_cast<std::int16_t>(kDigits[i].decimals);
    }
    for (Cmoveline& line : objects.cursorLines) {
        line.newPosition = -1;
        line.Forget();
    }
    objects.cursorLines[1].lineColour = Rgb(0, 255, 0);
    objects.cursorLines[2].lineColour = Rgb(0, 255, 0);
}

} // namespace screens
