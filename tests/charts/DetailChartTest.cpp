#include "ChartTestSupport.h"
#include "charts/CdetailChart.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <cmath>
#include <memory>

// Detail charts: the point window around the centre, the markers in it, the value ranges,
// what is drawn and the values read back under the mouse.
class DetailChartTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kMarker = Rgb(0, 3, 81);
    static constexpr QRgb kFiltered = Rgb(120, 0, 80);

    TempDir dir_;

    // 10,000 points in 40 groups from 100 ft, 10 ft apart (the segment starts at 90 ft);
    // peaks at 10 + 33k and troughs at 26 + 33k; load -j raw and -j - 0.5 filtered.
    std::unique_ptr<CVorlixDoc> Document(int points = 10000, int cycles = 300) {
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
            doc->loadFiltered[j] = static_cast<float>(-j - 0.5);
        }
        return doc;
    }

    // A chart 400 points wide at (60, 40), located on `doc`.
    static CdetailChart Located(const CVorlixDoc& doc, int centre, int width = 400) {
        CdetailChart chart;
        chart.plotRect = {60, 40, 60 + width, 240};
        chart.plotWidth = width;
        chart.centrePoint = centre;
        chart.Locate(doc);
        return chart;
    }

    // The chart located, ranged and drawn on a fresh canvas.
    static CdetailChart Drawn(const CVorlixDoc& doc, Canvas& dc, int centre) {
        Blank(dc, 520, 320);
        CdetailChart chart = Located(doc, centre);
        chart.ComputeRange(doc);
        chart.DrawChart(dc, doc);
        return chart;
    }

private slots:
    void locate_data() {
        // window: the first and last point, the first and last peak.
        auto row = Table<int, int, int, QList<int>>({"points", "width", "centre", "window"});
        row("centre 100", 10000, 400, 100, {0, 399, 0, 11});
        row("last point", 10000, 400, 9999, {9600, 9999, 291, 299});
        row("odd width", 10000, 401, 5000, {4800, 5200, 146, 157});
        row("short record went negative", 300, 400, 150, {0, 299, 0, 8});
        row("centre past the end", 10000, 400, 10000, {-1, -1, -1, -1});
        row("negative centre", 10000, 400, -1, {-1, -1, -1, -1});
    }
    void locate() {
        QFETCH(int, points);
        QFETCH(int, width);
        QFETCH(int, centre);
        QFETCH(QList<int>, window);
        const CdetailChart c = Located(*Document(points), centre, width);
        QCOMPARE(QList<int>({c.firstPoint, c.lastPoint, c.geoPeakFirst, c.geoPeakLast}), window);
        QCOMPARE(QList<int>({c.loadPeakFirst, c.loadPeakLast}), window.mid(2));
    }

    void markerRange_data() {
        auto row = Table<QList<int>, int, int, QList<int>>({"points", "from", "to", "range"});
        row("edges count", {100, 400}, 100, 400, {0, 1});
        row("entry past the window was marked outside the chart", {10, 500, 600}, 100, 400,
            {-1, -1});
    }
    void markerRange() {
        QFETCH(QList<int>, points);
        QFETCH(int, from);
        QFETCH(int, to);
        int first = 7;
        int last = 7;
        CdetailChart::MarkerRange(points.data(), int(points.size()), from, to, first, last);
        QTEST(QList<int>({first, last}), "range");
    }

    // Load range of the raw and the filtered signal; geophone range of the raw signal only;
    // NaN passed over; an empty window neither ranged nor drawn.
    void computeRange() {
        const auto doc = Document();
        for (int j = 0; j < 400; ++j)
            doc->geoSignal[j] = doc->loadSignal[j] = doc->loadFiltered[j] = 0.0f;
        doc->loadSignal[120] = 7.0f;
        doc->loadFiltered[200] = -3.0f;
        doc->loadFiltered[400] = -1000.0f; // outside the window
        doc->geoSignal[0] = NAN;
        doc->geoSignal[50] = 2.5f;
        doc->geoFiltered[60] = 100.0f;
        CdetailChart chart = Located(*doc, 100);
        QCOMPARE(chart.ComputeRange(*doc), 0);
        QCOMPARE(QList<float>({chart.loadMinValue, chart.loadMaxValue, chart.geoMinValue,
                               chart.geoMaxValue}),
                 QList<float>({-3.0f, 7.0f, 0.0f, 2.5f}));

        chart = Located(*doc, -1);
        QCOMPARE(chart.ComputeRange(*doc), -1);
        Canvas blank;
        blank.Resize(520, 320);
        QCOMPARE(chart.DrawChart(blank, *doc), -1);
        QVERIFY(AllWhite(blank));
    }

    // Peaks and troughs are marked on the filtered curve, nothing beside the plot.
    void markersSitOnTheFilteredCurve() {
        const auto doc = Document();
        Canvas dc;
        const CdetailChart chart = Drawn(*doc, dc, 5000);
        const auto marked = [&](int p) {
            const int y = int(chart.plotRect.bottom - (doc->geoFiltered[p] - chart.axis.axisLow) *
                                                          double(chart.axis.pixelsPerUnit));
            return Near(dc, chart.plotRect.left + (p - chart.firstPoint) + 1, y, kMarker);
        };
        QVERIFY(marked(doc->geoPeakIndex[chart.geoPeakLast]));
        QVERIFY(marked(doc->geoTroughIndex[chart.geoTroughFirst]));
        QCOMPARE(Count(dc, kMarker, QRect(chart.plotRect.right + 3, 0, 1, 320)), 0);

        Canvas none;
        Drawn(*Document(10000, 0), none, 5000);
        QCOMPARE(Count(none, kMarker), 0);
        QVERIFY(Count(none, kFiltered) > 200);
    }

    // Pixel rows used to wrap round as 16-bit values.
    void farValueIsSaturatedNotWrapped() {
        const auto doc = Document();
        doc->geoFiltered[200] = 1e9f; // beyond the raw signal's range, off the top
        Canvas dc;
        const CdetailChart chart = Drawn(*doc, dc, 200);
        const int x = chart.plotRect.left + 1 + 200;
        for (int y : {0, chart.plotRect.top - 21}) // the line runs off the top of the window
            QVERIFY(Count(dc, kFiltered, QRect(x - 1, y, 3, 1)) > 0);
    }

    void valuesUnderTheMouse_data() {
        // column: x - plotRect.left, over point firstPoint + column - 1
        auto row = Table<int, ReadBack, int, float>({"signal", "what", "column", "expected"});
        row("distance", 2, ReadBack::Distance, 126, 95);
        row("load filtered", 1, ReadBack::Value, 51, -50.5f);
        row("left of the segment", 2, ReadBack::Value, 0, 0);
        row("past the loaded points", 1, ReadBack::Value, 10001, 0);
    }
    void valuesUnderTheMouse() {
        QFETCH(int, signal);
        QFETCH(ReadBack, what);
        QFETCH(int, column);
        QFETCH(float, expected);
        const auto doc = Document();
        CdetailChart chart = Located(*doc, 100);
        chart.signal = signal;
        const int x = chart.plotRect.left + column;
        QCOMPARE(chart.PointValueAt(*doc, what, x), expected);
        if (what == ReadBack::Distance)
            QCOMPARE(chart.ValueAt(*doc, what, x, 0), expected);
    }

    // Before any drawing there is no scale to divide by.
    void yValueUnderTheMouse() {
        const auto doc = Document();
        QCOMPARE(Located(*doc, 100).ValueAt(*doc, ReadBack::Value, 100, 100), 0.0f);
        Canvas dc;
        const CdetailChart chart = Drawn(*doc, dc, 100);
        QCOMPARE(chart.ValueAt(*doc, ReadBack::Value, 100, chart.plotRect.top),
                 chart.axis.axisHigh);
    }
};

QTEST_MAIN(DetailChartTest)
#include "DetailChartTest.moc"
