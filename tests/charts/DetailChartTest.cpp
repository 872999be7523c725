#include "charts/Canvas.h"
#include "charts/CdetailChart.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <QTest>

#include <cmath>
#include <memory>

// Detail charts: the point window around the centre, the markers in it, the value ranges,
// what is drawn and the values read back under the mouse.
class DetailChartTest : public QObject {
    Q_OBJECT

private:
    static constexpr QRgb kMarker = Rgb(0, 3, 81);
    static constexpr QRgb kFiltered = Rgb(120, 0, 80);
    static constexpr QRgb kRaw = Rgb(0, 0, 240);
    static constexpr int kCycles = 300;

    TempDir dir_;

    // 10,000 points in 40 groups from 100 ft, 10 ft apart (the segment starts at 90 ft);
    // peaks at 10 + 33k and troughs at 26 + 33k.
    std::unique_ptr<CVorlixDoc> Document(int points = 10000, int cycles = kCycles) {
        auto doc = std::make_unique<CVorlixDoc>(dir_.Path());
        doc->pointCount = points;
        doc->groupCount = 40;
        doc->segmentStartDistance = 90.0f;
        for (int k = 0; k <= 40; ++k)
            doc->groupDistance[k] = 100.0f + 10.0f * k;
        doc->loadCycleCount = doc->geoCycleCount = cycles;
        for (int k = 0; k < cycles; ++k) {
            doc->loadPeakIndex[k] = doc->geoPeakIndex[k] = 10 + 33 * k;
            doc->loadTroughIndex[k] = doc->geoTroughIndex[k] = 26 + 33 * k;
        }
        for (int j = 0; j < points; ++j) {
            doc->geoSignal[j] = static_cast<float>(std::sin(j * 0.19));
            doc->geoFiltered[j] = static_cast<float>(0.8 * std::sin(j * 0.19));
            doc->loadSignal[j] = static_cast<float>(-j);
            doc->loadFiltered[j] = static_cast<float>(-j);
        }
        return doc;
    }

    static CdetailChart Chart(int centre, int width = 400) {
        CdetailChart chart;
        chart.plotRect = {60, 40, 60 + width, 240};
        chart.plotWidth = width;
        chart.centrePoint = centre;
        return chart;
    }

    static int Count(const Canvas& dc, QRgb colour) {
        int n = 0;
        for (int y = 0; y < dc.Height(); ++y)
            for (int x = 0; x < dc.Width(); ++x)
                n += dc.GetPixel(x, y) == colour;
        return n;
    }

    static bool Near(const Canvas& dc, int x, int y, QRgb colour) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (dc.GetPixel(x + dx, y + dy) == colour)
                    return true;
        return false;
    }

private slots:
    void locate_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("centre");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("peakFirst");
        QTest::addColumn<int>("peakLast");
        QTest::newRow("centre 100") << 10000 << 400 << 100 << 0 << 399 << 0 << 11;
        QTest::newRow("last point") << 10000 << 400 << 9999 << 9600 << 9999 << 291 << 299;
        QTest::newRow("middle") << 10000 << 400 << 5000 << 4800 << 5199 << 146 << 157;
        QTest::newRow("odd width") << 10000 << 401 << 5000 << 4800 << 5200 << 146 << 157;
        QTest::newRow("short record went negative") << 300 << 400 << 150 << 0 << 299 << 0 << 8;
        QTest::newRow("centre past the end") << 10000 << 400 << 10000 << -1 << -1 << -1 << -1;
        QTest::newRow("negative centre") << 10000 << 400 << -1 << -1 << -1 << -1 << -1;
        QTest::newRow("no points") << 0 << 400 << 0 << -1 << -1 << -1 << -1;
    }
    void locate() {
        QFETCH(int, points);
        QFETCH(int, width);
        QFETCH(int, centre);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, peakFirst);
        QFETCH(int, peakLast);
        const auto doc = Document(points);
        CdetailChart chart = Chart(centre, width);
        QCOMPARE(chart.Locate(*doc), 0);
        QCOMPARE(chart.firstPoint, first);
        QCOMPARE(chart.lastPoint, last);
        QCOMPARE(chart.geoPeakFirst, peakFirst);
        QCOMPARE(chart.geoPeakLast, peakLast);
        QCOMPARE(chart.loadPeakFirst, peakFirst);
        QCOMPARE(chart.loadPeakLast, peakLast);
    }

    void markerRange_data() {
        QTest::addColumn<QList<int>>("points");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("all inside") << QList<int>{10, 20, 30} << 0 << 100 << 0 << 2;
        QTest::newRow("middle") << QList<int>{10, 20, 30, 40} << 15 << 35 << 1 << 2;
        QTest::newRow("edges count") << QList<int>{100, 400} << 100 << 400 << 0 << 1;
        QTest::newRow("entry past the window was marked outside the chart")
            << QList<int>{10, 500, 600} << 100 << 400 << -1 << -1;
        QTest::newRow("all before") << QList<int>{10, 20} << 30 << 40 << -1 << -1;
        QTest::newRow("empty list") << QList<int>{} << 0 << 100 << -1 << -1;
    }
    void markerRange() {
        QFETCH(QList<int>, points);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, first);
        QFETCH(int, last);
        int f = 7;
        int l = 7;
        CdetailChart::MarkerRange(points.data(), static_cast<int>(points.size()), from, to, f, l);
        QCOMPARE(f, first);
        QCOMPARE(l, last);
    }

    void computeRange() {
        const auto doc = Document();
        for (int j = 0; j < 400; ++j)
            doc->geoSignal[j] = doc->loadSignal[j] = doc->loadFiltered[j] = 0.0f;
        doc->loadSignal[120] = 7.0f;
        doc->loadFiltered[200] = -3.0f;
        doc->loadFiltered[400] = -1000.0f; // outside the window
        doc->geoSignal[0] = NAN;
        doc->geoSignal[50] = 2.5f;
        doc->geoFiltered[60] = 100.0f; // the geophone range is of the raw signal only
        CdetailChart chart = Chart(100);
        chart.Locate(*doc);
        QCOMPARE(chart.ComputeRange(*doc), 0);
        QCOMPARE(chart.loadMinValue, -3.0f);
        QCOMPARE(chart.loadMaxValue, 7.0f);
        QCOMPARE(chart.geoMinValue, 0.0f);
        QCOMPARE(chart.geoMaxValue, 2.5f);

        chart.centrePoint = -1;
        chart.Locate(*doc);
        QCOMPARE(chart.ComputeRange(*doc), -1);
    }

    void markersSitOnTheFilteredCurve() {
        const auto doc = Document();
        Canvas dc;
        dc.Resize(520, 320);
        dc.BeginCommand();
        CdetailChart chart = Chart(5000);
        chart.Locate(*doc);
        chart.ComputeRange(*doc);
        QCOMPARE(chart.DrawChart(dc, *doc), 0);
        QVERIFY(Count(dc, kRaw) > 200);
        const auto row = [&](int p) {
            return static_cast<int>(chart.plotRect.bottom -
                                    (doc->geoFiltered[p] - chart.axis.axisLow) *
                                        static_cast<double>(chart.axis.pixelsPerUnit));
        };
        for (int k : {chart.geoPeakFirst, chart.geoPeakLast}) {
            const int p = doc->geoPeakIndex[k];
            QVERIFY(Near(dc, chart.plotRect.left + (p - chart.firstPoint) + 1, row(p), kMarker));
        }
        const int trough = doc->geoTroughIndex[chart.geoTroughFirst];
        QVERIFY(
            Near(dc, chart.plotRect.left + (trough - chart.firstPoint) + 1, row(trough), kMarker));
        // Nothing is marked left or right of the plot.
        for (int y = 0; y < 320; ++y) {
            QVERIFY(dc.GetPixel(chart.plotRect.left - 3, y) != kMarker);
            QVERIFY(dc.GetPixel(chart.plotRect.right + 3, y) != kMarker);
        }
    }

    void noCyclesOrNoWindowDrawNoMarkers() {
        const auto doc = Document(10000, 0);
        Canvas dc;
        dc.Resize(520, 320);
        dc.BeginCommand();
        CdetailChart chart = Chart(5000);
        chart.Locate(*doc);
        QCOMPARE(chart.geoPeakFirst, -1);
        chart.ComputeRange(*doc);
        QCOMPARE(chart.DrawChart(dc, *doc), 0);
        QCOMPARE(Count(dc, kMarker), 0);
        QVERIFY(Count(dc, kFiltered) > 200);

        Canvas blank;
        blank.Resize(520, 320);
        chart.centrePoint = -1;
        chart.Locate(*doc);
        QCOMPARE(chart.DrawChart(blank, *doc), -1);
        QCOMPARE(Count(blank, Rgb(255, 255, 255)), 520 * 320);
    }

    void farValueIsSaturatedNotWrapped() {
        const auto doc = Document();
        doc->geoFiltered[200] = 1e9f; // beyond the raw signal's range, off the top
        Canvas dc;
        dc.Resize(520, 320);
        dc.BeginCommand();
        CdetailChart chart = Chart(200);
        chart.Locate(*doc);
        chart.ComputeRange(*doc);
        chart.DrawChart(dc, *doc);
        const int x = chart.plotRect.left + 1 + 200;
        for (int y = 0; y < chart.plotRect.top - 20; ++y)
            QVERIFY2(dc.GetPixel(x - 1, y) == kFiltered || dc.GetPixel(x, y) == kFiltered ||
                         dc.GetPixel(x + 1, y) == kFiltered,
                     qPrintable(QStringLiteral("row %1").arg(y)));
    }

    void valuesUnderTheMouse_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("column"); // x - plotRect.left; the point is firstPoint + column - 1
        QTest::addColumn<float>("expected");
        QTest::newRow("distance") << 2 << 1 << 126 << 95.0f;
        QTest::newRow("distance later group") << 2 << 1 << 376 << 115.0f;
        QTest::newRow("load filtered") << 1 << 2 << 51 << -50.0f;
        QTest::newRow("left of the segment") << 2 << 2 << 0 << 0.0f;
        QTest::newRow("past the loaded points") << 1 << 2 << 10001 << 0.0f;
        QTest::newRow("distance past the points") << 2 << 1 << 10001 << 0.0f;
        QTest::newRow("other mode") << 2 << 3 << 51 << 0.0f;
    }
    void valuesUnderTheMouse() {
        QFETCH(int, signal);
        QFETCH(int, mode);
        QFETCH(int, column);
        QFETCH(float, expected);
        const auto doc = Document();
        CdetailChart chart = Chart(100);
        chart.signal = signal;
        chart.Locate(*doc);
        const int x = chart.plotRect.left + column;
        QCOMPARE(chart.PointValueAt(*doc, mode, x), expected);
        if (mode == 1 && column < 400)
            QCOMPARE(chart.ValueAt(*doc, mode, x, 0), expected);
    }

    void yValueUnderTheMouse() {
        const auto doc = Document();
        CdetailChart chart = Chart(100);
        QCOMPARE(chart.ValueAt(*doc, 2, 100, 100), 0.0f); // never drawn: no scale to divide by
        chart.Locate(*doc);
        chart.ComputeRange(*doc);
        Canvas dc;
        dc.Resize(520, 320);
        chart.DrawChart(dc, *doc);
        QCOMPARE(chart.ValueAt(*doc, 2, 100, chart.plotRect.top), chart.axis.axisHigh);
    }
};

QTEST_MAIN(DetailChartTest)
#include "DetailChartTest.moc"
