#include "ChartTestSupport.h"
#include "charts/CkelGeneralChart.h"

#include <cmath>
#include <limits>
#include <random>
#include <vector>

// The x-y chart: value-to-pixel mapping, curves, titles, and what an empty chart draws.
class GeneralChartTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kBlue = Rgb(0, 0, 255);
    static constexpr QRgb kPink = Rgb(255, 0, 123);
    static constexpr QRgb kGreen = Rgb(0, 255, 0);
    static constexpr QRgb kRed = Rgb(255, 0, 0);
    static constexpr Rect kPlot{100, 80, 500, 330};

    // A chart begun on `c` over x xMax and y yMax, both from 0.
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
    void valueToX_data() {
        auto row = Table<float, int>({"value", "x"});
        // 0..37 gives the scale 0..40 over 400 pixels: 10 pixels per unit.
        row("below the first tick", -5, 100);
        row("just below the last tick", 39.99f, 499);
        row("at the last tick", 40, 500);
        row("NaN", std::numeric_limits<float>::quiet_NaN(), 100);
    }
    void valueToX() {
        QFETCH(float, value);
        Canvas c;
        const CkelGeneralChart chart = Begun(c, 37, 1);
        QTEST(chart.ValueToX(value), "x");
    }

    // With no points (last = -1) the curves used to read index -1.
    void chartWithNoPointsDrawsFrameAndTitlesOnly() {
        Canvas c;
        Blank(c, 600, 420);
        CkelGeneralChart chart;
        QCOMPARE(chart.BeginChart(Rect{100, 80, 100, 330}, c), -1); // empty: nothing drawn
        QVERIFY(AllWhite(c));
        QCOMPARE(chart.BeginChart(kPlot, c), 0); // the ranges of an owner without data: 0..0
        QCOMPARE(chart.xAxis.axisLow, -1.f);
        QCOMPARE(chart.xAxis.axisHigh, 1.f);
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

    // Each title is drawn as the same text at its reference point would be.
    void titlesSitAtTheirPositions_data() {
        auto row = Table<int, int, QPoint, bool>({"which", "tenths", "at", "centred"});
        row("x title under the axis", 0, 170, {300, 330 + 35}, true);
        row("y title above the axis", 1, 170, {100, 80 - 25}, false);
        row("chart title", 2, 210, {300, 80 - 50}, true);
    }
    void titlesSitAtTheirPositions() {
        QFETCH(int, which);
        QFETCH(int, tenths);
        QFETCH(QPoint, at);
        QFETCH(bool, centred);
        const QString text = QStringLiteral("Wide Title");
        Canvas c, expected;
        CkelGeneralChart chart = Begun(c, 10, 10);
        chart.xTitle = which == 0 ? text : QString();
        chart.yTitle = which == 1 ? text : QString();
        chart.title = which == 2 ? text : QString();
        c.SetTextColour(kRed);
        chart.DrawTitles(c);
        Blank(expected, 600, 420);
        expected.SetTextColour(kRed);
        expected.SelectFont(CanvasFont{tenths});
        expected.SetTextAlign(centred ? HAlign::Centre : HAlign::Left, VAlign::Top);
        expected.TextOut(at.x(), at.y(), text);
        const QSize size = expected.TextExtent(text);
        const QRect box(centred ? at.x() - size.width() / 2 : at.x(), at.y(), size.width(),
                        size.height());
        const int ink = Count(expected, kRed, box);
        QVERIFY(ink > 50);
        QCOMPARE(Count(c, kRed), ink);
        QCOMPARE(Count(c, kRed, box), ink);
    }

    // Points that share a pixel column are drawn as one vertical run; the pixels must be
    // those of one line per point, gaps at NaN included.
    void curveMatchesPointByPointLines_data() {
        auto row = Table<int, qreal>({"kind", "ratio"}); // curve, second curve, series
        row("curve", 0, 1.0);
        row("second curve at 2x", 1, 2.0);
        row("series at 1.25x", 2, 1.25);
    }
    void curveMatchesPointByPointLines() {
        QFETCH(int, kind);
        QFETCH(qreal, ratio);
        const int n = 6000;
        const float nan = std::numeric_limits<float>::quiet_NaN();
        std::vector<float> xs(n), ys(n);
        std::mt19937 rng(11);
        std::normal_distribution<float> noise(5.f, 2.f);
        for (int i = 0; i < n; ++i) {
            xs[i] = kind == 2 ? 0.f : i * 0.01f;
            ys[i] = (i / 700) % 2 ? noise(rng) : 5.f + std::sin(i * 0.01f) * 3.f;
        }
        for (int i : {0, 1500, 1501, 1502, 3333, 5999})
            ys[i] = nan;
        if (kind != 2)
            xs[4000] = nan;

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
    void farOffPointIsSaturatedNotWrapped() {
        Canvas c;
        CkelGeneralChart chart = Begun(c, 10, 10);
        // 25 pixels per unit: 3e6 lands 7.5e7 pixels above the chart.
        const float xs[] = {2.f, 2.f, 6.f};
        const float ys[] = {5.f, 3e6f, 5.f};
        chart.DrawCurve(c, xs, ys, 2);
        const int x = chart.ValueToX(2.f);
        QCOMPARE(c.GetPixel(x, 0), kBlue); // straight up off the top of the window
        QCOMPARE(c.GetPixel(x, 250), kWhite);
        // The line back down from the saturated point reaches the third point.
        QCOMPARE(c.GetPixel(chart.ValueToX(6.f), 204), kBlue);
    }
};

QTEST_MAIN(GeneralChartTest)
#include "GeneralChartTest.moc"
