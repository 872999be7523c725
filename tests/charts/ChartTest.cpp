#include "ChartTestSupport.h"
#include "charts/Caxis.h"
#include "charts/Cfram.h"
#include "charts/CkelDMIfigure.h"
#include "charts/CkelGeneralChart.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

// The numeric axis (scales and labels at their edges, value to pixel and back), the x-y chart
// drawn on it (curves, far points; charts without points are checked with the view's "Other"
// screen), the frame layout at window sizes
// the screenshots do not reach, and the distance-profile figure: its pages, what a page draws
// after the record, and the cycle markers. (Every screen's layout, ticks, grids, titles and
// panels at 1600 x 1000 and 1250 x 700 are compared pixel by pixel with the earlier build's.)
class ChartTest : public QObject {
    Q_OBJECT

    static constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    static constexpr QRgb kBlue = Rgb(0, 0, 255), kPink = Rgb(255, 0, 123);
    static constexpr QRgb kGreen = Rgb(0, 255, 0), kRed = Rgb(255, 0, 0);
    static constexpr Rect kPlot{100, 80, 500, 330};
    // minimum, maximum, fewer ticks, step/low/high, intervals, first and last label
    using ScaleCases = Cases<float, float, bool, QList<float>, int, QString>;
    using RangeCases = Cases<float, float>; // minimum, maximum
    // axis low and pixels per unit, origin, growth, value, pixel and pixel again, value back
    using PixelCases = Cases<QPointF, int, Caxis::Growth, double, QList<int>, float>;
    using CurveCases = Cases<int, qreal>;             // curve, second curve, series; ratio
    static constexpr Rect kWindow900{0, 0, 956, 700}; // panels 900 pixels wide
    // window, samples, pages, last panel, the last page's panel ranges (-1: none), captions
    using PageCases = Cases<Rect, int, int, int, QList<int>, QString>;
    using MarkerCases = Cases<int, QList<int>, QList<int>, QList<QPoint>>; // (panel, column)

    TempDir dir_;
    std::unique_ptr<CVorlixDoc> doc_;

    // 899 columns per panel over 8000 samples at 7.5 on a 0..15 axis, page `page` drawn.
    void DrawnFigure(Canvas& c, CkelDMIfigure& figure, int page) {
        doc_->pointCount = 8000;
        std::fill_n(doc_->loadSignal.begin(), 8000, 7.5f);
        std::fill_n(doc_->geoFiltered.begin(), 8000, 7.5f);
        Blank(c, kWindow900.right, kWindow900.bottom);
        figure.yAxis.minValue = 0, figure.yAxis.maxValue = 15;
        QCOMPARE(figure.Layout(kWindow900, c), 0);
        QCOMPARE(figure.Paginate(8000), 0);
        QCOMPARE(figure.DrawPage(page, doc_->loadSignal.data(), c, *doc_), 0);
    }
    static int CurveRow(const CkelDMIfigure& figure, int panel) {
        return SaturatedPixel(figure.panels[panel].bottom - 7.5 * figure.yAxis.pixelsPerUnit);
    }

    static Caxis Axis(float minimum, float maximum, bool fewer = false) {
        Caxis a;
        a.minValue = minimum, a.maxValue = maximum, a.preferFewerTicks = fewer ? 1 : 0;
        return a;
    }
    // A chart begun on `c` over x 0..xMax and y 0..yMax.
    static CkelGeneralChart Begun(Canvas& c, float xMax, float yMax, qreal ratio = 1.0) {
        Blank(c, 600, 420, ratio);
        CkelGeneralChart chart;
        chart.xAxis.minValue = chart.yAxis.minValue = 0.f, chart.xAxis.maxValue = xMax;
        chart.yAxis.maxValue = yMax;
        if (chart.BeginChart(kPlot, c) != 0)
            qFatal("chart not begun");
        return chart;
    }

private slots:
    void initTestCase() { doc_ = std::make_unique<CVorlixDoc>(dir_.Path()); }

    void scale_data() {
        auto row = ScaleCases::Declare();
        row("0..250 fewer", 0, 250, true, {50, 0, 250}, 5, "0 250");
        // A positive minimum on a multiple of the step starts one step lower.
        row("3..7", 3, 7, false, {.5f, 2.5f, 7}, 9, "2.5 7.0");
        row("-20.3..40", -20.3f, 40, false, {10, -30, 40}, 7, "-30 40");
        row("5..5", 5, 5, false, {1, 4, 6}, 2, "4.0 6.0");
    }
    void scale() {
        auto [minimum, maximum, fewer, stepLowHigh, intervals, labels] = ScaleCases::Fetch();
        Caxis a = Axis(minimum, maximum, fewer);
        QCOMPARE(a.ComputeScale(), 0);
        // element by element: an axisLow of -0 is 0
        QCOMPARE(QList<float>({a.step, a.axisLow, a.axisHigh}), stepLowHigh);
        QCOMPARE(int(a.intervalCount), intervals);
        const float magnitude = std::max(std::fabs(a.axisHigh), std::fabs(a.axisLow));
        QCOMPARE(Caxis::FormatTickLabel(a.axisLow, magnitude) + ' ' +
                     Caxis::FormatTickLabel(a.axisLow + a.intervalCount * a.step, magnitude),
                 labels);
    }

    // Subtracted in float, the range overflowed; labels beyond int wrapped round.
    void rangeBeyondFloatIsScaledInDouble() {
        Caxis a = Axis(-2e38f, 2e38f);
        QCOMPARE(a.ComputeScale(), 0);
        QVERIFY(a.HasScale() && a.axisLow <= -2e38f && a.axisHigh >= 2e38f);
        QVERIFY(a.intervalCount >= 4 && a.intervalCount <= 12);
        QCOMPARE(Caxis::FormatTickLabel(1e12f, 1e12f), QStringLiteral("999999995904"));
        QCOMPARE(Caxis::FormatTickLabel(-2.5f, 40), QStringLiteral("-2")); // toward zero
    }

    // An unusable range keeps the scale there was; an axis that never had one draws neither
    // ticks nor grid.
    void unusableRangeKeepsTheScaleOrDrawsNothing_data() {
        auto row = RangeCases::Declare();
        row("reversed", 10, 2);
        row("NaN maximum", 0, kNaN);
        row("infinite range looped for ever", -INFINITY, INFINITY);
    }
    void unusableRangeKeepsTheScaleOrDrawsNothing() {
        auto [minimum, maximum] = RangeCases::Fetch();
        Caxis a = Axis(0, 37);
        QCOMPARE(a.ComputeScale(), 0);
        a.minValue = minimum, a.maxValue = maximum;
        QCOMPARE(a.ComputeScale(), -1);
        QCOMPARE(QList<float>({a.axisLow, a.axisHigh, a.step}), QList<float>({0, 40, 5}));
        Canvas c;
        Blank(c, 200, 200);
        Caxis never = Axis(minimum, maximum);
        QCOMPARE(never.Draw(c, 50, 150, 50, 20), 0);
        QCOMPARE(DrawGrid(c, never, 50, 20, 150, 150), -1);
        QVERIFY(AllWhite(c));
    }

    // Value to pixel and back on a plot whose low end (axisLow) is at `origin`, and the pixel of
    // the value read back: every pixel is truncated toward zero.
    void valueToPixelAndBack_data() {
        auto row = PixelCases::Declare();
        const auto right = Caxis::Growth::Right;
        row("whole road", {0, .125}, 50, right, 1234.5, {204, 204}, 1232);
        row("zoomed to 32 pixels a foot", {1230, 32}, 600, right, 1234.5, {744, 744}, 1234.5f);
        row("a third of a pixel a foot", {1230, 1 / 3.f}, 600, right, 1234.5, {601, 601}, 1233);
        row("values grow upwards", {-30, 4}, 400, Caxis::Growth::Up, 10, {240, 240}, 10);
        row("far off saturates", {0, 1000}, 0, right, 1e6, {32767, 32766}, 32.767f);
    }
    void valueToPixelAndBack() {
        auto [lowAndPixelsPerUnit, origin, growth, value, pixels, back] = PixelCases::Fetch();
        Caxis a;
        a.axisLow = static_cast<float>(lowAndPixelsPerUnit.x());
        a.pixelsPerUnit = static_cast<float>(lowAndPixelsPerUnit.y());
        const int pixel = a.PixelOf(value, origin, growth);
        const float valueBack = a.ValueAt(pixel, origin, growth);
        QCOMPARE(valueBack, back);
        QCOMPARE(QList<int>({pixel, a.PixelOf(valueBack, origin, growth)}), pixels);
    }

    // Points that share a pixel column are drawn as one vertical run; the pixels must be
    // those of one line per point, gaps at NaN included, where the device has more pixels than
    // the window (at a ratio of 1 the screenshots show every chart's curves).
    void chartCurveMatchesPointByPointLines_data() {
        auto row = CurveCases::Declare();
        row("curve at 2x", 0, 2.0);
        row("second curve at 2x", 1, 2.0);
        row("series at 1.25x", 2, 1.25);
    }
    void chartCurveMatchesPointByPointLines() {
        auto [kind, ratio] = CurveCases::Fetch();
        const int n = 6000;
        std::vector<float> xs(n), ys(n);
        std::mt19937 rng(11);
        std::normal_distribution<float> noise(5.f, 2.f);
        for (int i = 0; i < n; ++i) {
            xs[i] = kind == 2 ? 0.f : i * 0.01f;
            ys[i] = (i / 700) % 2 ? noise(rng) : 5.f + std::sin(i * 0.01f) * 3.f;
        }
        for (int i : {0, 1500, 1501, 1502, 3333, 5999})
            ys[i] = kNaN;
        if (kind != 2)
            xs[4000] = kNaN;
        Canvas drawn, expected;
        CkelGeneralChart chart = Begun(drawn, 60, 10, ratio);
        Begun(expected, 60, 10, ratio);
        if (kind == 0)
            chart.DrawCurve(drawn, xs.data(), ys.data(), n - 1);
        else if (kind == 1)
            chart.DrawSecondCurve(drawn, xs.data(), ys.data(), n - 1);
        else
            chart.DrawSeries(drawn, ys.data(), n - 1, 0.0, 0.01);
        const QRgb colour = QList<QRgb>{kBlue, kPink, kGreen}[kind];
        expected.SelectPen(CanvasPen::Solid(kind == 2 ? 1 : 2, colour));
        bool down = false;
        for (int i = 0; i < n; ++i) {
            const double x = kind == 2 ? i * 0.01 : xs[i];
            if (std::isnan(x) || std::isnan(ys[i])) {
                down = false;
                continue;
            }
            const int px = int((x - chart.xAxis.axisLow) * chart.xAxis.pixelsPerUnit + 100);
            const int py =
                int(330 - (double(ys[i]) - chart.yAxis.axisLow) * chart.yAxis.pixelsPerUnit);
            if (!down)
                expected.MoveTo(px, py);
            expected.LineTo(px, py);
            down = true;
        }
        QVERIFY(Count(drawn, colour) > 1000);
        QVERIFY(drawn.Image() == expected.Image());
    }

    // Pixel coordinates used to be taken as 16-bit values, so a far value wrapped round.
    void chartFarOffPointIsSaturatedNotWrapped() {
        Canvas c;
        CkelGeneralChart chart = Begun(c, 10, 10);
        const float xs[] = {2.f, 2.f, 6.f}; // 25 pixels per unit: 3e6 lands far above
        const float ys[] = {5.f, 3e6f, 5.f};
        chart.DrawCurve(c, xs, ys, 2);
        const int x = chart.ValueToX(2.f);
        QCOMPARE(c.GetPixel(x, 0), kBlue); // straight up off the top of the window
        QCOMPARE(c.GetPixel(x, 250), kWhite);
        QCOMPARE(c.GetPixel(chart.ValueToX(6.f), 204), kBlue); // and back down to the third
    }

    // A window of over three megapixels was refused a layout.
    void largeWindowIsLaidOut() {
        Cfram f;
        f.clientRect = {0, 0, 3000, 1001};
        f.layoutKind = LayoutKind::DataView3;
        QCOMPARE(f.ComputeLayout(false), 0);
        QCOMPARE(f.innerRect, (Rect{60, 20, 2940, 981}));
    }

    void figurePages_data() {
        auto row = PageCases::Declare();
        // Far past the 500 pages a fixed table held.
        row("full segment on a 400-pixel window", {0, 0, 400, 700}, 3200000, 2134, 1,
            {3199500, 3199875, 3199875, 3199999, -1, -1, -1, -1},
            "from  0  to 1500|from  3199500  to 3199999");
        row("whole pages get no page past the data", kWindow900, 7192, 2, 3,
            {3596, 4495, 4495, 5394, 5394, 6293, 6293, 7191},
            "from  0  to 3596|from  3596  to 7191");
    }
    void figurePages() {
        auto [rect, samples, pages, lastPanel, lastPage, captions] = PageCases::Fetch();
        CkelDMIfigure figure;
        QCOMPARE(figure.ComputeLayout(rect, 14), 0);
        QCOMPARE(figure.Paginate(9), -1);
        QCOMPARE(figure.Paginate(samples), 0);
        QCOMPARE(figure.pageCount, pages);
        QCOMPARE(figure.lastPanel, lastPanel);
        QList<int> ranges;
        for (int panel = 0; panel < 4; ++panel)
            ranges << figure.PanelRange(pages - 1, panel).start
                   << figure.PanelRange(pages - 1, panel).end;
        QCOMPARE(ranges, lastPage);
        QCOMPARE(figure.PanelRange(pages, 0).start, -1);
        QCOMPARE(figure.PageCaption(0) + '|' + figure.PageCaption(pages - 1), captions);
    }

    // The last page used to show stale ranges of an earlier record after its end.
    void figureLastPageShowsNothingAfterTheRecord() {
        Canvas c;
        CkelDMIfigure figure;
        DrawnFigure(c, figure, 2);
        QCOMPARE(figure.DrawPage(3, doc_->loadSignal.data(), c, *doc_), -1);
        const int left = figure.panels[0].left;
        QCOMPARE(c.GetPixel(left + 806, CurveRow(figure, 0)), kGreen); // the line to 7998
        QCOMPARE(c.GetPixel(left + 808, CurveRow(figure, 0)), kWhite);
        for (int panel = 1; panel < 4; ++panel) { // no curve, no ticks
            const Rect& q = figure.panels[panel];
            QCOMPARE(c.GetPixel(q.left + 450, CurveRow(figure, panel)), kWhite);
            QCOMPARE(c.GetPixel(q.left + 1, q.bottom + 2), kWhite);
        }
    }

    // Markers sit on the curve at column c = sample - pageStart + 1; those off the page or
    // beyond the last panel (or the data) are left out.
    void figureMarkers_data() {
        auto row = MarkerCases::Declare(); // page, peaks, troughs, where markers are
        row("first page", 0, {100, 898, 3595, 5000}, {120, 910, 3590, 5020},
            {{0, 101}, {1, 0}, {0, 121}, {1, 12}, {3, 894}});
        row("last page", 2, {3000, 7200, 7990}, {7195, 7999, 8000},
            {{0, 9}, {0, 799}, {0, 4}, {0, 808}});
    }
    void figureMarkers() {
        auto [page, peaks, troughs, expected] = MarkerCases::Fetch();
        Canvas c;
        CkelDMIfigure figure;
        DrawnFigure(c, figure, page);
        doc_->geoCycleCount = int(peaks.size());
        std::copy(peaks.begin(), peaks.end(), doc_->geoPeakIndex.begin());
        std::copy(troughs.begin(), troughs.end(), doc_->geoTroughIndex.begin());
        figure.DrawMarkers(doc_->geoFiltered.data(), c, 1, *doc_);
        int near = 0;
        for (const QPoint& e : expected) {
            const int x = figure.panels[e.x()].left + e.y();
            const int here = Count(c, kRed, QRect(x - 2, CurveRow(figure, e.x()) - 2, 5, 5));
            QVERIFY2(here > 0, qPrintable(QStringLiteral("none at %1,%2").arg(e.x()).arg(e.y())));
            near += here;
        }
        QCOMPARE(Count(c, kRed), near);
    }
};

QTEST_MAIN(ChartTest)
#include "ChartTest.moc"
