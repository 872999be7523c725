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
    static Csmalldetailchart Shown(const CVorlixDoc& doc, Canvas& dc, int labelStyle = 2) {
        Csmalldetailchart chart;
        chart.plotRect = {60, 30, 400, 230};
        chart.labelStyle = labelStyle;
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
        row("on the first cycle", 0, 15, -1, 51, 0, {1, 0, 8}, 16);
        row("on the last cycle", 100, 15, -1, 51, 0, {50, 42, 50}, 16);
        row("wide window", 50, 100, -1, 51, 0, {25, 0, 50}, 100);
        // A centre that cannot be placed leaves the window of centre 50 in place.
        row("click outside the chart", -100, 15, -1, 51, -1, {25, 21, 29}, 16);
        row("past the last cycle", 100.5f, 15, -1, 51, -1, {25, 21, 29}, 16);
        row("NaN centre is not bracketed", kNaN, 15, -1, 51, -2, {-1, 21, 29}, 16);
        row("no cycles read cycle -1", 50, 15, -1, 0, -1, {25, 21, 29}, 16);
        row("NaN distance breaks the bracket", 79, 15, 40, 51, -2, {-1, 21, 29}, 16);
    }
    void locate() {
        QFETCH(float, centre);
        QFETCH(float, span);
        QFETCH(int, nanAt);
        QFETCH(int, cycles);
        QFETCH(QList<int>, window);
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
        QCOMPARE(QList<int>({chart.centreCycle, chart.firstCycle, chart.lastCycle}), window);
        QCOMPARE(chart.cycleSpan, window[2] - window[1]);
        QTEST(chart.actualSpan, "actualSpan");
    }

    // The window 21..29 stays after a new segment brings fewer cycles; it is used again only
    // while it still lies within them.
    void windowOfALongerSegmentReadPastTheCycles_data() {
        auto row = Table<int, bool>({"cycles", "usable"});
        row("10 cycles", 10, false);
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
        QCOMPARE(chart.NearestCycleValue(*doc, 120, 1), usable ? 44.0f : 0.0f);
    }

    void computeRange_data() {
        auto row = Table<int, float, float, float>({"cycle", "value", "max", "min"});
        row("below the others", 25, -5, 80, -5);
        row("outside the window", 30, 1000, 80, 0);
        row("NaN first result left the range undefined", 21, kNaN, 80, 10);
        row("infinite result left the axis without a scale", 29,
            std::numeric_limits<float>::infinity(), 70, 0);
    }
    void computeRange() {
        QFETCH(int, cycle);
        QFETCH(float, value);
        QFETCH(float, max);
        QFETCH(float, min);
        const auto doc = Profile();
        doc->cycleRatio[cycle] = value;
        Canvas dc;
        const Csmalldetailchart chart = Shown(*doc, dc);
        QCOMPARE(chart.ratioMax, max);
        QCOMPARE(chart.ratioMin, min);
        QVERIFY(chart.yAxis.HasScale());
        QVERIFY(chart.yAxis.axisLow <= min && chart.yAxis.axisHigh >= max);
    }

    // A line through the cycles of the window with a circle on each, nothing beside the plot;
    // a click outside the profile draws the same window again.
    void curveAndCircles() {
        const auto doc = Profile();
        Canvas dc;
        Csmalldetailchart chart = Shown(*doc, dc);
        for (int k = 21; k <= 29; ++k) {
            const int x = 80 + 40 * (k - 21);
            const int y = 230 - 25 * (k - 21);
            QVERIFY2(Near(dc, x, y, kCircle), qPrintable(QStringLiteral("cycle %1").arg(k)));
            if (k < 29)
                QVERIFY(Near(dc, x + 20, y - 12, kLine, 1));
        }
        for (int x : {0, 40, 57, 403, 440, 459})
            QCOMPARE(
                Count(dc, kCircle, QRect(x, 0, 1, 300)) + Count(dc, kLine, QRect(x, 0, 1, 300)), 0);

        chart.centreDistance = -100.0f;
        QCOMPARE(chart.Locate(*doc), -1);
        chart.ComputeRange(*doc);
        Canvas again;
        Blank(again, 460, 300);
        QCOMPARE(chart.DrawChart(again, *doc), 0);
        QCOMPARE(again.Image(), dc.Image());
    }

    // The background is cleared 40 pixels left of the plot and by the label style above and
    // below; the frame closes one pixel right of the plot.
    void clearedMargins_data() {
        auto row = Table<int, int, int>({"labelStyle", "above", "below"});
        row("none", 0, 5, 20);
        row("below", 1, 5, 40);
        row("above", 2, 20, 20);
        row("both", 3, 20, 40);
    }
    void clearedMargins() {
        QFETCH(int, labelStyle);
        QFETCH(int, above);
        QFETCH(int, below);
        constexpr QRgb kGrey = Rgb(1, 2, 3);
        Canvas dc;
        Blank(dc, 460, 300);
        dc.FillSolidRect(dc.ClientRect(), kGrey);
        Shown(*Profile(), dc, labelStyle);
        const int top = 30 - above;
        const int bottom = 230 + below;
        for (const QPoint p : {QPoint(20, top), QPoint(20, bottom - 1), QPoint(399, top)})
            QCOMPARE(dc.GetPixel(p.x(), p.y()), kWhite);
        for (const QPoint p :
             {QPoint(19, top), QPoint(20, top - 1), QPoint(20, bottom), QPoint(401, top)})
            QCOMPARE(dc.GetPixel(p.x(), p.y()), kGrey);
        QCOMPARE(dc.GetPixel(400, 140), Rgb(0, 0, 0));
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
        auto row =
            Table<bool, int, QPoint, float, float>({"drawn", "mode", "at", "nearest", "value"});
        row("halfway: the first of equals", true, 1, {100, 0}, 42, 43);
        row("just past halfway", true, 1, {101, 0}, 44, 43.05f);
        row("result on the last cycle", true, 2, {400, 130}, 80, 40);
        row("a plot width away", true, 1, {80 - 340, 0}, 0, 25);
        row("just nearer than a plot width", true, 1, {80 - 339, 0}, 42, 25.05f);
        row("other mode", true, 3, {80, 120}, 0, 0);
        row("distance before any scale divided by zero", false, 1, {120, 0}, 0, 0);
        row("value before any scale divided by zero", false, 2, {0, 30}, 0, 0);
    }
    void valuesUnderTheMouse() {
        QFETCH(bool, drawn);
        QFETCH(int, mode);
        QFETCH(QPoint, at);
        const auto doc = Profile();
        Canvas dc;
        const Csmalldetailchart chart = drawn ? Shown(*doc, dc) : Csmalldetailchart();
        QTEST(chart.NearestCycleValue(*doc, at.x(), mode), "nearest");
        QTEST(chart.ValueAt(mode, at.x(), at.y()), "value");
    }
};

QTEST_MAIN(SmallDetailChartTest)
#include "SmallDetailChartTest.moc"
