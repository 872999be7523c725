#include "ChartTestSupport.h"
#include "charts/CdetailChart.h"
#include "charts/Csmalldetailchart.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <cmath>
#include <limits>
#include <memory>

// The detail charts (the point window around the centre, the markers in it) and the zoom charts
// of the result profile (the cycle window, widened at the ends of the profile): their value
// ranges, far and missing values, and the values read back under the mouse. (Both as drawn
// after a click are compared pixel by pixel with the earlier build's screenshots.)
class DetailChartTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kMarker = Rgb(0, 3, 81), kFiltered = Rgb(120, 0, 80);
    static constexpr QRgb kLine = Rgb(0, 0, 255), kCircle = Rgb(255, 0, 0);
    static constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    // points, width, centre; first and last point, first and last peak
    using PointWindowCases = Cases<int, int, int, QList<int>>;
    using MarkerRangeCases = Cases<QList<int>, QList<int>>;   // points; first and last in 100..400
    using PointValueCases = Cases<int, ReadBack, int, float>; // signal, what, column, value
    // centre, span, cycle without a distance, cycles; result, centre/first/last cycle, span
    using CycleWindowCases = Cases<float, float, int, int, int, QList<int>, float>;
    using StaleCases = Cases<int, bool>;                // cycles left, window usable
    using RangeCases = Cases<int, float, QList<float>>; // cycle, its result; min and max
    using CycleValueCases = Cases<bool, ReadBack, QPoint, float, float>; // drawn, what, at, ...

    TempDir dir_;

    // 10,000 points in 40 groups from 100 ft, 10 ft apart (the segment starts at 90 ft);
    // peaks at 10 + 33k and troughs at 26 + 33k; load -j raw and -j - 0.5 filtered.
    std::unique_ptr<CVorlixDoc> Document(int points = 10000, int cycles = 300) {
        auto doc = std::make_unique<CVorlixDoc>(dir_.Path());
        doc->pointCount = points, doc->groupCount = 40, doc->segmentStartDistance = 90.0f;
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
    // A detail chart `width` points wide at (60, 40), located on `doc`.
    static CdetailChart Located(const CVorlixDoc& doc, int centre, int width = 400) {
        CdetailChart chart;
        chart.plotRect = {60, 40, 60 + width, 240};
        chart.plotWidth = width, chart.centrePoint = centre;
        chart.Locate(doc);
        return chart;
    }
    // The detail chart located, ranged and drawn on a fresh canvas.
    static CdetailChart Drawn(const CVorlixDoc& doc, Canvas& dc, int centre) {
        Blank(dc, 520, 320);
        CdetailChart chart = Located(doc, centre);
        chart.ComputeRange(doc);
        chart.DrawChart(dc, doc);
        return chart;
    }
    // Cycles every 2 ft from 0 to 100 ft; result 10 per cycle from cycle 21 on, so the window
    // around 50 ft (cycles 21 to 29) spans 0 to 80 on the value axis.
    std::unique_ptr<CVorlixDoc> Profile() {
        auto doc = std::make_unique<CVorlixDoc>(dir_.Path());
        doc->cycleCount = 51;
        for (int i = 0; i < 51; ++i) {
            doc->cycleDistance[i] = 2.0f * i, doc->cycleRatio[i] = 10.0f * (i - 21);
        }
        return doc;
    }
    // A zoom chart centred on 50 ft and drawn (on a blank canvas if `dc` is new). The distance
    // axis 41..58 ft over 340 pixels makes 20 to the foot, so cycle k sits in column
    // 80 + 40 (k - 21); the value axis 0..80 has 2.5 pixels to the unit: row 230 - 25 (k - 21).
    static Csmalldetailchart Shown(const CVorlixDoc& doc, Canvas& dc) {
        Csmalldetailchart chart;
        chart.plotRect = {60, 30, 400, 230};
        chart.labelStyle = 2; // labels above
        chart.centreDistance = 50.0f;
        if (dc.Image().isNull())
            Blank(dc, 460, 300);
        if (chart.Locate(doc) != 0 || chart.ComputeRange(doc) != 0 || chart.DrawChart(dc, doc) != 0)
            qFatal("zoom chart not drawn");
        return chart;
    }

private slots:
    void detailWindow_data() {
        auto row = PointWindowCases::Declare();
        row("centre 100", 10000, 400, 100, {0, 399, 0, 11});
        row("last point", 10000, 400, 9999, {9600, 9999, 291, 299});
        row("odd width", 10000, 401, 5000, {4800, 5200, 146, 157});
        row("short record went negative", 300, 400, 150, {0, 299, 0, 8});
        row("centre past the end", 10000, 400, 10000, {-1, -1, -1, -1});
        row("negative centre", 10000, 400, -1, {-1, -1, -1, -1});
    }
    void detailWindow() {
        auto [points, width, centre, window] = PointWindowCases::Fetch();
        const CdetailChart c = Located(*Document(points), centre, width);
        QCOMPARE(QList<int>({c.firstPoint, c.lastPoint, c.geoPeakFirst, c.geoPeakLast}), window);
        QCOMPARE(QList<int>({c.loadPeakFirst, c.loadPeakLast}), window.mid(2));
    }

    // The markers within points 100..400 (first and last index): with none inside, an entry
    // past the window was marked outside the chart.
    void detailMarkerRange_data() {
        auto row = MarkerRangeCases::Declare();
        row("edges count", {100, 400}, {0, 1});
        row("none inside", {10, 500, 600}, {-1, -1});
    }
    void detailMarkerRange() {
        auto [points, range] = MarkerRangeCases::Fetch();
        int first = 7, last = 7;
        CdetailChart::MarkerRange(points.data(), int(points.size()), 100, 400, first, last);
        QCOMPARE(QList<int>({first, last}), range);
    }

    // A NaN is passed over in the value range; an empty window is neither ranged nor drawn.
    void detailRange() {
        const auto doc = Document();
        doc->geoSignal[0] = NAN;
        CdetailChart chart = Located(*doc, 100);
        QCOMPARE(chart.ComputeRange(*doc), 0);
        QVERIFY(chart.geoMinValue < 0 && chart.geoMaxValue > 0);
        chart = Located(*doc, -1);
        QCOMPARE(chart.ComputeRange(*doc), -1);
        Canvas blank;
        blank.Resize(520, 320);
        QCOMPARE(chart.DrawChart(blank, *doc), -1);
        QVERIFY(AllWhite(blank));
    }

    // Without cycles nothing is marked, and the curve is still drawn.
    void detailWithoutCyclesMarksNothing() {
        Canvas dc;
        Drawn(*Document(10000, 0), dc, 5000);
        QCOMPARE(Count(dc, kMarker), 0);
        QVERIFY(Count(dc, kFiltered) > 200);
    }

    // Pixel rows used to wrap round as 16-bit values.
    void detailFarValueIsSaturatedNotWrapped() {
        const auto doc = Document();
        doc->geoFiltered[200] = 1e9f; // beyond the raw signal's range, off the top
        Canvas dc;
        const CdetailChart chart = Drawn(*doc, dc, 200);
        const int x = chart.plotRect.left + 1 + 200;
        for (int y : {0, chart.plotRect.top - 21}) // the line runs off the top of the window
            QVERIFY(Count(dc, kFiltered, QRect(x - 1, y, 3, 1)) > 0);
    }

    // Column: x - plotRect.left, over point firstPoint + column - 1.
    void detailValuesUnderTheMouse_data() {
        auto row = PointValueCases::Declare();
        row("distance", 2, ReadBack::Distance, 126, 95);
        row("load filtered", 1, ReadBack::Value, 51, -50.5f);
        row("left of the segment", 2, ReadBack::Value, 0, 0);
        row("past the loaded points", 1, ReadBack::Value, 10001, 0);
    }
    void detailValuesUnderTheMouse() {
        auto [signal, what, column, expected] = PointValueCases::Fetch();
        const auto doc = Document();
        CdetailChart chart = Located(*doc, 100);
        chart.signal = signal;
        const int x = chart.plotRect.left + column;
        QCOMPARE(chart.PointValueAt(*doc, what, x), expected);
        // The value axis read back before any drawing: no scale to divide by.
        QCOMPARE(chart.ValueAt(*doc, what, x, 100), what == ReadBack::Distance ? expected : 0.0f);
    }

    // A centre that cannot be placed leaves the window of centre 50 in place.
    void zoomWindow_data() {
        auto row = CycleWindowCases::Declare();
        row("centre 2 widened; cycle span was left at the cut window", 2, 15, -1, 51, 0, {1, 0, 8},
            16);
        row("centre 98 widened to the left", 98, 15, -1, 51, 0, {49, 42, 50}, 16);
        row("click outside the profile", -100, 15, -1, 51, -1, {25, 21, 29}, 16);
        row("NaN centre is not bracketed", kNaN, 15, -1, 51, -2, {-1, 21, 29}, 16);
        row("no cycles read cycle -1", 50, 15, -1, 0, -1, {25, 21, 29}, 16);
        row("NaN distance breaks the bracket", 79, 15, 40, 51, -2, {-1, 21, 29}, 16);
    }
    void zoomWindow() {
        auto [centre, span, nanAt, cycles, result, window, actualSpan] = CycleWindowCases::Fetch();
        const auto doc = Profile();
        if (nanAt >= 0)
            doc->cycleDistance[nanAt] = kNaN;
        Csmalldetailchart chart;
        chart.centreDistance = 50.0f;
        QCOMPARE(chart.Locate(*doc), 0);
        doc->cycleCount = cycles;
        chart.centreDistance = centre, chart.span = span;
        QCOMPARE(chart.Locate(*doc), result);
        QCOMPARE(QList<int>({chart.centreCycle, chart.firstCycle, chart.lastCycle}), window);
        QCOMPARE(chart.cycleSpan, chart.lastCycle - chart.firstCycle);
        QCOMPARE(chart.actualSpan, actualSpan);
    }

    // The window 21..29 stays after a new segment brings fewer cycles; it is used again only
    // while it still lies within them.
    void zoomWindowOfALongerSegmentReadPastTheCycles_data() {
        auto row = StaleCases::Declare();
        row("last cycle just gone", 29, false);
        row("last cycle still there", 30, true);
    }
    void zoomWindowOfALongerSegmentReadPastTheCycles() {
        auto [cycles, usable] = StaleCases::Fetch();
        const auto doc = Profile();
        Canvas first;
        Csmalldetailchart chart = Shown(*doc, first);
        doc->cycleCount = cycles;
        for (int i = cycles; i < 51; ++i)
            doc->cycleRatio[i] = 1e6f; // stale entries of the old segment
        QCOMPARE(chart.ComputeRange(*doc), usable ? 0 : -1);
        QCOMPARE(chart.ratioMax, 80.0f);
        Canvas dc;
        Blank(dc, 460, 300);
        QCOMPARE(chart.DrawChart(dc, *doc), usable ? 0 : -1);
        QCOMPARE(AllWhite(dc), !usable);
        QCOMPARE(chart.NearestCycleValue(*doc, 120, ReadBack::Distance), usable ? 44.0f : 0.0f);
    }

    void zoomRange_data() {
        auto row = RangeCases::Declare();
        row("outside the window", 30, 1000, {0, 80});
        row("NaN first result left the range undefined", 21, kNaN, {10, 80});
        row("infinite result left the axis without a scale", 29, INFINITY, {0, 70});
    }
    void zoomRange() {
        auto [cycle, value, minMax] = RangeCases::Fetch();
        const auto doc = Profile();
        doc->cycleRatio[cycle] = value;
        Canvas dc;
        const Csmalldetailchart chart = Shown(*doc, dc);
        QCOMPARE(QList<float>({chart.ratioMin, chart.ratioMax}), minMax);
        QVERIFY(chart.yAxis.HasScale() && chart.yAxis.axisLow <= chart.ratioMin);
    }

    // A far distance used to wrap round to the left; a NaN result was drawn at the top.
    void zoomFarDistanceWrappedAndNanResultDrewAtTheTop() {
        const auto doc = Profile();
        Canvas first;
        Csmalldetailchart chart = Shown(*doc, first);
        doc->cycleRatio[25] = kNaN;    // column 240
        doc->cycleDistance[27] = 1e9f; // far right of the plot; the axis still ends at 58
        Canvas dc;
        Blank(dc, 460, 300);
        QCOMPARE(chart.DrawChart(dc, *doc), 0);
        // The curve runs straight from cycle 24 to cycle 26, with no circle between.
        QVERIFY(Near(dc, 240, 230 - 25 * 4, kLine, 1));
        QCOMPARE(Count(dc, kCircle, QRect(230, 0, 21, 300)), 0);
        QCOMPARE(Count(dc, kLine, QRect(0, 0, 60, 300)), 0);
        QVERIFY(Near(dc, 459, 230 - 25 * 5, kLine, 1)); // on its way from cycle 26
    }

    // Under column x: the distance or result of the nearest cycle (the first of equally near
    // ones, none a plot width away) and the distance or value on the axes.
    void zoomValuesUnderTheMouse_data() {
        auto row = CycleValueCases::Declare();
        const ReadBack distance = ReadBack::Distance;
        row("halfway: the first of equals", true, distance, {100, 0}, 42, 43);
        row("result on the last cycle", true, ReadBack::Value, {400, 130}, 80, 40);
        row("a plot width away", true, distance, {80 - 340, 0}, 0, 25);
        row("just nearer than a plot width", true, distance, {80 - 339, 0}, 42, 25.05f);
        row("distance before any scale divided by zero", false, distance, {120, 0}, 0, 0);
        row("value before any scale divided by zero", false, ReadBack::Value, {0, 30}, 0, 0);
    }
    void zoomValuesUnderTheMouse() {
        auto [drawn, what, at, nearest, value] = CycleValueCases::Fetch();
        const auto doc = Profile();
        Canvas dc;
        const Csmalldetailchart chart = drawn ? Shown(*doc, dc) : Csmalldetailchart();
        QCOMPARE(chart.NearestCycleValue(*doc, at.x(), what), nearest);
        QCOMPARE(chart.ValueAt(what, at.x(), at.y()), value);
    }
};

QTEST_MAIN(DetailChartTest)
#include "DetailChartTest.moc"
