#include "ChartTestSupport.h"
#include "charts/Csmalldetailchart.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <limits>
#include <memory>

// Zoom charts of the result profile: the cycle window around a centre, its widening at the
// ends of the profile, the value range, what is drawn, and the values read back under the
// mouse.
class SmallDetailChartTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kLine = Rgb(0, 0, 255);
    static constexpr QRgb kCircle = Rgb(255, 0, 0);
    static constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

    TempDir dir_;

    // Cycles every 2 ft from 0 to 100 ft; result 10 per cycle from cycle 21 on, so the window
    // around 50 ft (cycles 21 to 29) spans 0 to 80 on the value axis.
    std::unique_ptr<CVorlixDoc> Profile() {
        auto doc = std::make_unique<CVorlixDoc>(dir_.Path());
        doc->cycleCount = 51;
        for (int i = 0; i < 51; ++i) {
            doc->cycleDistance[i] = 2.0f * i;
            doc->cycleRatio[i] = 10.0f * (i - 21);
        }
        return doc;
    }

    // Centred on 50 ft and drawn (on a blank canvas if `dc` is new). The distance axis 41..58 ft
    // over 340 pixels makes 20 to the foot, so cycle k sits in column 80 + 40 (k - 21); the value
    // axis 0..80 has 2.5 pixels to the unit, so it sits in row 230 - 25 (k - 21).
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
    void locate_data() {
        auto row = Table<float, float, int, int, int, QList<int>, float>(
            {"centre", "span", "nanAt", "cycles", "result", "window", "actualSpan"});
        // nanAt: a cycle without a distance (-1 none); window: centre, first and last cycle.
        row("centre 50", 50, 15, -1, 51, 0, {25, 21, 29}, 16);
        row("centre 2 widened; cycle span was left at the cut window", 2, 15, -1, 51, 0, {1, 0, 8},
            16);
        row("centre 98 widened to the left", 98, 15, -1, 51, 0, {49, 42, 50}, 16);
        row("wide window", 50, 100, -1, 51, 0, {25, 0, 50}, 100);
        // A centre that cannot be placed leaves the window of centre 50 in place.
        row("click outside the chart", -100, 15, -1, 51, -1, {25, 21, 29}, 16);
        row("NaN centre is not bracketed", kNaN, 15, -1, 51, -2, {-1, 21, 29}, 16);
        row("no cycles read cycle -1", 50, 15, -1, 0, -1, {25, 21, 29}, 16);
        row("NaN distance breaks the bracket", 79, 15, 40, 51, -2, {-1, 21, 29}, 16);
    }
    void locate() {
        QFETCH(float, centre);
        QFETCH(float, span);
        QFETCH(int, nanAt);
        QFETCH(int, cycles);
        const auto doc = Profile();
        if (nanAt >= 0)
            doc->cycleDistance[nanAt] = kNaN;
        Csmalldetailchart chart;
        chart.centreDistance = 50.0f;
        QCOMPARE(chart.Locate(*doc), 0);
        doc->cycleCount = cycles;
        chart.centreDistance = centre;
        chart.span = span;
        QTEST(chart.Locate(*doc), "result");
        QTEST(QList<int>({chart.centreCycle, chart.firstCycle, chart.lastCycle}), "window");
        QCOMPARE(chart.cycleSpan, chart.lastCycle - chart.firstCycle);
        QTEST(chart.actualSpan, "actualSpan");
    }

    // The window 21..29 stays after a new segment brings fewer cycles; it is used again only
    // while it still lies within them.
    void windowOfALongerSegmentReadPastTheCycles_data() {
        auto row = Table<int, bool>({"cycles", "usable"});
        row("last cycle just gone", 29, false);
        row("last cycle still there", 30, true);
    }
    void windowOfALongerSegmentReadPastTheCycles() {
        QFETCH(int, cycles);
        QFETCH(bool, usable);
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

    void computeRange_data() {
        auto row = Table<int, float, QList<float>>({"cycle", "value", "minMax"});
        row("below the others", 25, -5, {-5, 80});
        row("outside the window", 30, 1000, {0, 80});
        row("NaN first result left the range undefined", 21, kNaN, {10, 80});
        row("infinite result left the axis without a scale", 29,
            std::numeric_limits<float>::infinity(), {0, 70});
    }
    void computeRange() {
        QFETCH(int, cycle);
        QFETCH(float, value);
        const auto doc = Profile();
        doc->cycleRatio[cycle] = value;
        Canvas dc;
        const Csmalldetailchart chart = Shown(*doc, dc);
        QTEST(QList<float>({chart.ratioMin, chart.ratioMax}), "minMax");
        QVERIFY(chart.yAxis.HasScale() && chart.yAxis.axisLow <= chart.ratioMin);
    }

    // A line through the cycles of the window with a circle on each, nothing beside the plot;
    // the background cleared 40 pixels left of the plot and, for labels above, 20 above and
    // below; the frame closes one pixel right of the plot. A click outside the profile draws
    // the same window again.
    void curveCirclesAndClearedMargins() {
        constexpr QRgb kGrey = Rgb(1, 2, 3);
        const auto doc = Profile();
        Canvas dc, again;
        for (Canvas* c : {&dc, &again}) {
            Blank(*c, 460, 300);
            c->FillSolidRect(c->ClientRect(), kGrey);
        }
        Csmalldetailchart chart = Shown(*doc, dc);
        for (int k : {21, 25, 29})
            QVERIFY(Near(dc, 80 + 40 * (k - 21), 230 - 25 * (k - 21), kCircle));
        QVERIFY(Near(dc, 80 + 20, 230 - 12, kLine, 1)); // between cycles 21 and 22
        for (int x : {57, 403})
            QCOMPARE(
                Count(dc, kCircle, QRect(x, 0, 1, 300)) + Count(dc, kLine, QRect(x, 0, 1, 300)), 0);
        QCOMPARE(QList<QRgb>({dc.GetPixel(20, 10), dc.GetPixel(20, 249), dc.GetPixel(19, 10),
                              dc.GetPixel(20, 9), dc.GetPixel(20, 250), dc.GetPixel(401, 10),
                              dc.GetPixel(400, 140)}),
                 QList<QRgb>({kWhite, kWhite, kGrey, kGrey, kGrey, kGrey, Rgb(0, 0, 0)}));

        chart.centreDistance = -100.0f;
        QCOMPARE(chart.Locate(*doc), -1);
        chart.ComputeRange(*doc);
        QCOMPARE(chart.DrawChart(again, *doc), 0);
        QCOMPARE(again.Image(), dc.Image());
    }

    // A far distance used to wrap round to the left; a NaN result was drawn at the top.
    void farDistanceWrappedAndNanResultDrewAtTheTop() {
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
    void valuesUnderTheMouse_data() {
        auto row = Table<bool, ReadBack, QPoint, float, float>(
            {"drawn", "what", "at", "nearest", "value"});
        const ReadBack distance = ReadBack::Distance;
        const ReadBack result = ReadBack::Value;
        row("halfway: the first of equals", true, distance, {100, 0}, 42, 43);
        row("result on the last cycle", true, result, {400, 130}, 80, 40);
        row("a plot width away", true, distance, {80 - 340, 0}, 0, 25);
        row("just nearer than a plot width", true, distance, {80 - 339, 0}, 42, 25.05f);
        row("distance before any scale divided by zero", false, distance, {120, 0}, 0, 0);
        row("value before any scale divided by zero", false, result, {0, 30}, 0, 0);
    }
    void valuesUnderTheMouse() {
        QFETCH(bool, drawn);
        QFETCH(ReadBack, what);
        QFETCH(QPoint, at);
        const auto doc = Profile();
        Canvas dc;
        const Csmalldetailchart chart = drawn ? Shown(*doc, dc) : Csmalldetailchart();
        QTEST(chart.NearestCycleValue(*doc, at.x(), what), "nearest");
        QTEST(chart.ValueAt(what, at.x(), at.y()), "value");
    }
};

QTEST_MAIN(SmallDetailChartTest)
#include "SmallDetailChartTest.moc"
