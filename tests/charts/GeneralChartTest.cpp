#include "charts/Canvas.h"
#include "charts/CkelGeneralChart.h"

#include <QGuiApplication>
#include <QTest>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

// The x-y chart: value-to-pixel mapping, curves, and what an empty chart draws.
class GeneralChartTest : public QObject {
    Q_OBJECT

private:
    static constexpr QRgb kBlue = Rgb(0, 0, 255);
    static constexpr QRgb kPink = Rgb(255, 0, 123);
    static constexpr QRgb kGreen = Rgb(0, 255, 0);
    static constexpr QRgb kRed = Rgb(255, 0, 0);
    static inline const Rect kPlot{100, 80, 500, 330};

    static void SetRanges(CkelGeneralChart& chart, float xMin, float xMax, float yMin, float yMax) {
        chart.xAxis.minValue = xMin;
        chart.xAxis.maxValue = xMax;
        chart.yAxis.minValue = yMin;
        chart.yAxis.maxValue = yMax;
    }
    static int Count(const Canvas& c, QRgb colour) {
        int n = 0;
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x)
                n += c.GetPixel(x, y) == colour;
        return n;
    }
    static QRect Bounds(const Canvas& c, QRgb colour) {
        QRect r;
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x)
                if (c.GetPixel(x, y) == colour)
                    r |= QRect(x, y, 1, 1);
        return r;
    }
    static bool SameImage(const Canvas& a, const Canvas& b) { return a.Image() == b.Image(); }

private slots:
    void valueToX_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("x");
        // 0..37 gives the scale 0..40 over 400 pixels: 10 pixels per unit.
        QTest::newRow("below the first tick") << -5.f << 100;
        QTest::newRow("at the first tick") << 0.f << 100;
        QTest::newRow("inside") << 20.f << 300;
        QTest::newRow("just below the last tick") << 39.99f << 499;
        QTest::newRow("at the last tick") << 40.f << 500;
        QTest::newRow("far above") << 1e30f << 500;
        QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << 100;
    }
    void valueToX() {
        QFETCH(float, value);
        Canvas c;
        c.Resize(600, 420);
        c.BeginCommand();
        CkelGeneralChart chart;
        SetRanges(chart, 0, 37, 0, 1);
        QCOMPARE(chart.BeginChart(kPlot, c), 0);
        QCOMPARE(chart.xAxis.pixelsPerUnit, 10.f);
        QTEST(chart.ValueToX(value), "x");
    }

    void emptyRectDrawsNothing() {
        Canvas c;
        c.Resize(100, 100);
        c.BeginCommand();
        CkelGeneralChart chart;
        QCOMPARE(chart.BeginChart(Rect{10, 10, 10, 50}, c), -1);
        QCOMPARE(Count(c, Rgb(255, 255, 255)), 100 * 100);
    }

    // With no points (last = -1) the curves used to read index -1.
    void chartWithNoPointsDrawsFrameAndTitlesOnly() {
        Canvas c;
        c.Resize(600, 420);
        c.BeginCommand();
        CkelGeneralChart chart;
        SetRanges(chart, 0, 0, 0, 0); // what an owner with no data sets
        QCOMPARE(chart.BeginChart(kPlot, c), 0);
        QCOMPARE(chart.DrawCurve(c, nullptr, nullptr, -1), 0);
        QCOMPARE(chart.DrawSecondCurve(c, nullptr, nullptr, -1), 0);
        QCOMPARE(chart.DrawSeries(c, nullptr, -1, 0.0, 1.0), 0);
        c.SetTextColour(kRed);
        chart.DrawTitles(c);
        QCOMPARE(Count(c, kBlue), 0);
        QCOMPARE(Count(c, kPink), 0);
        QCOMPARE(Count(c, kGreen), 0);
        QCOMPARE(c.GetPixel(kPlot.left - 1, 200), Rgb(0, 0, 120)); // the frame
        QVERIFY(Count(c, kRed) > 50);                              // the titles
        QCOMPARE(chart.xAxis.axisLow, -1.f);
        QCOMPARE(chart.xAxis.axisHigh, 1.f);
    }

    void titlesSitAtTheirPositions_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("tenths");
        QTest::addColumn<int>("alignedX"); // the reference point
        QTest::addColumn<int>("topY");
        QTest::addColumn<bool>("centred");
        QTest::newRow("x title under the axis") << 0 << 170 << 300 << 330 + 35 << true;
        QTest::newRow("y title above the axis") << 1 << 170 << 100 << 80 - 25 << false;
        QTest::newRow("chart title") << 2 << 210 << 300 << 80 - 50 << true;
    }
    void titlesSitAtTheirPositions() {
        QFETCH(int, which);
        QFETCH(int, tenths);
        QFETCH(int, alignedX);
        QFETCH(int, topY);
        QFETCH(bool, centred);
        Canvas c;
        c.Resize(600, 420);
        c.BeginCommand();
        CkelGeneralChart chart;
        SetRanges(chart, 0, 10, 0, 10);
        QCOMPARE(chart.BeginChart(kPlot, c), 0);
        const QString text = QStringLiteral("Wide Title");
        chart.xTitle = which == 0 ? text : QString();
        chart.yTitle = which == 1 ? text : QString();
        chart.title = which == 2 ? text : QString();
        c.SetTextColour(kRed);
        chart.DrawTitles(c);
        c.SelectFont(CanvasFont{tenths});
        const QSize extent = c.TextExtent(text);
        const int left = centred ? alignedX - extent.width() / 2 : alignedX;
        const QRect expected(left - 1, topY, extent.width() + 2, extent.height());
        const QRect drawn = Bounds(c, kRed);
        QVERIFY(!drawn.isEmpty());
        QVERIFY2(expected.contains(drawn), qPrintable(QStringLiteral("drawn %1,%2 %3x%4")
                                                          .arg(drawn.x())
                                                          .arg(drawn.y())
                                                          .arg(drawn.width())
                                                          .arg(drawn.height())));
        QVERIFY(drawn.width() > extent.width() / 2);
    }

    // Points that share a pixel column are drawn as one vertical run; the pixels must be
    // those of one line per point, gaps at NaN included.
    void curveMatchesPointByPointLines_data() {
        QTest::addColumn<int>("kind"); // 0 curve, 1 second curve, 2 series
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("curve") << 0 << 1.0;
        QTest::newRow("second curve at 2x") << 1 << 2.0;
        QTest::newRow("series at 1.25x") << 2 << 1.25;
    }
    void curveMatchesPointByPointLines() {
        QFETCH(int, kind);
        QFETCH(qreal, ratio);
        const int n = 6000;
        std::vector<float> xs(n), ys(n);
        std::mt19937 rng(11);
        std::normal_distribution<float> noise(5.f, 2.f);
        for (int i = 0; i < n; ++i) {
            xs[i] = i * 0.01f;
            ys[i] = (i / 700) % 2 ? noise(rng) : 5.f + std::sin(i * 0.01f) * 3.f;
        }
        const float nan = std::numeric_limits<float>::quiet_NaN();
        for (int i : {0, 1500, 1501, 1502, 3333, 5999})
            ys[i] = nan;
        xs[4000] = nan;
        if (kind == 2)
            xs.assign(n, 0.f);

        Canvas drawn, expected;
        CkelGeneralChart chart;
        SetRanges(chart, 0, 60, 0, 10);
        for (Canvas* c : {&drawn, &expected}) {
            c->Resize(600, 420, ratio);
            c->BeginCommand();
            QCOMPARE(chart.BeginChart(kPlot, *c), 0);
        }
        if (kind == 0)
            chart.DrawCurve(drawn, xs.data(), ys.data(), n - 1);
        else if (kind == 1)
            chart.DrawSecondCurve(drawn, xs.data(), ys.data(), n - 1);
        else
            chart.DrawSeries(drawn, ys.data(), n - 1, 0.0, 0.01);

        const QRgb colours[] = {kBlue, kPink, kGreen};
        expected.SelectPen(CanvasPen::Solid(kind == 2 ? 1 : 2, colours[kind]));
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
        QVERIFY(Count(drawn, colours[kind]) > 1000);
        QVERIFY(SameImage(drawn, expected));
    }

    // Pixel coordinates used to be taken as 16-bit values, so a far value wrapped round.
    void farOffPointIsSaturatedNotWrapped() {
        Canvas c;
        c.Resize(600, 420);
        c.BeginCommand();
        CkelGeneralChart chart;
        SetRanges(chart, 0, 10, 0, 10);
        QCOMPARE(chart.BeginChart(kPlot, c), 0);
        // 25 pixels per unit: 3e6 lands 7.5e7 pixels above the chart.
        const float xs[] = {2.f, 2.f, 6.f};
        const float ys[] = {5.f, 3e6f, 5.f};
        chart.DrawCurve(c, xs, ys, 2);
        const int x = chart.ValueToX(2.f);
        QCOMPARE(c.GetPixel(x, 0), kBlue);   // straight up off the top of the window
        QCOMPARE(c.GetPixel(x, 204), kBlue); // from the first point
        QCOMPARE(c.GetPixel(x, 250), Rgb(255, 255, 255));
        // The line back down from the saturated point reaches the third point.
        QCOMPARE(c.GetPixel(chart.ValueToX(6.f), 204), kBlue);
    }
};

QTEST_MAIN(GeneralChartTest)
#include "GeneralChartTest.moc"
