#include "ChartTestSupport.h"
#include "charts/Caxis.h"
#include "charts/CkelGeneralChart.h"

#include <cmath>
#include <limits>
#include <random>
#include <vector>

// The numeric axis (scales and labels at their edges, value to pixel and back) and the x-y chart
// drawn on it: curves, far points, and what an empty chart draws. (Ticks, grids and titles of
// every chart are compared pixel by pixel with the earlier build's screenshots.)
class XyChartTest : public QObject {
    Q_OBJECT

    static constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    static constexpr QRgb kBlue = Rgb(0, 0, 255), kPink = Rgb(255, 0, 123);
    static constexpr QRgb kGreen = Rgb(0, 255, 0), kRed = Rgb(255, 0, 0);
    static constexpr Rect kPlot{100, 80, 500, 330};
    // minimum, maximum, fewer ticks, step/low/high, intervals, first and last label
    using ScaleCases = Cases<float, float, bool, QList<float>, int, QString>;
    using LabelCases = Cases<float, float, QString>; // value, magnitude, text
    using RangeCases = Cases<float, float>;          // minimum, maximum
    // axis low and pixels per unit, origin, growth, value, pixel and pixel again, value back
    using PixelCases = Cases<QPointF, int, Caxis::Growth, double, QList<int>, float>;
    using CurveCases = Cases<int, qreal>; // curve, second curve, series; ratio

    static Caxis Axis(float minimum, float maximum, bool fewer = false) {
        Caxis a;
        a.minValue = minimum;
        a.maxValue = maximum;
        a.preferFewerTicks = fewer ? 1 : 0;
        return a;
    }
    // A chart begun on `c` over x 0..xMax and y 0..yMax.
    static CkelGeneralChart Begun(Canvas& c, float xMax, float yMax, qreal ratio = 1.0) {
        Blank(c, 600, 420, ratio);
        CkelGeneralChart chart;
        chart.xAxis.minValue = chart.yAxis.minValue = 0.f;
        chart.xAxis.maxValue = xMax;
        chart.yAxis.maxValue = yMax;
        if (chart.BeginChart(kPlot, c) != 0)
            qFatal("chart not begun");
        return chart;
    }

private slots:
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
        a.minValue = minimum;
        a.maxValue = maximum;
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

    // With no points (last = -1) the curves used to read index -1.
    void chartWithNoPointsDrawsFrameAndTitlesOnly() {
        Canvas c;
        Blank(c, 600, 420);
        CkelGeneralChart chart;
        QCOMPARE(chart.BeginChart(Rect{100, 80, 100, 330}, c), -1); // empty: nothing drawn
        QVERIFY(AllWhite(c));
        QCOMPARE(chart.BeginChart(kPlot, c), 0); // the ranges of an owner without data: 0..0
        chart.DrawCurve(c, nullptr, nullptr, -1);
        chart.DrawSecondCurve(c, nullptr, nullptr, -1);
        chart.DrawSeries(c, nullptr, -1, 0.0, 1.0);
        c.SetTextColour(kRed);
        chart.DrawTitles(c);
        QCOMPARE(Count(c, kBlue) + Count(c, kPink) + Count(c, kGreen), 0);
        QCOMPARE(c.GetPixel(kPlot.left - 1, 200), Rgb(0, 0, 120));          // the frame
        QCOMPARE(c.GetPixel(kPlot.left + 4, kPlot.bottom), Rgb(0, 0, 120)); // no grid on it
        QVERIFY(Count(c, kRed) > 50);                                       // the titles
    }

    // Points that share a pixel column are drawn as one vertical run; the pixels must be
    // those of one line per point, gaps at NaN included.
    void chartCurveMatchesPointByPointLines_data() {
        auto row = CurveCases::Declare();
        row("curve", 0, 1.0);
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
};

QTEST_MAIN(XyChartTest)
#include "XyChartTest.moc"
