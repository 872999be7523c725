#include "charts/Canvas.h"
#include "charts/Csmalldetailchart.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <QTest>

#include <cmath>
#include <limits>
#include <memory>

// Zoom charts of the result profile: the cycle window around a centre, its widening at the
// ends of the profile, the value range, what is drawn, and the values read back under the
// mouse.
class SmallDetailChartTest : public QObject {
    Q_OBJECT

private:
    static constexpr QRgb kLine = Rgb(0, 0, 255);
    static constexpr QRgb kCircle = Rgb(255, 0, 0);
    static constexpr QRgb kWhite = Rgb(255, 255, 255);
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

    // The window 21..29 (42 to 58 ft) gives the distance axis 41..58 ft: 340 pixels make 20 to
    // the foot, so cycle k sits in column 80 + 40 (k - 21). The value axis 0..80 has 2.5
    // pixels to the unit.
    static Csmalldetailchart Chart() {
        Csmalldetailchart chart;
        chart.plotRect = {60, 30, 400, 230};
        return chart;
    }

    static void Prepare(Canvas& dc) {
        dc.Resize(460, 300);
        dc.BeginCommand();
    }

    static void Show(Csmalldetailchart& chart, const CVorlixDoc& doc, Canvas& dc, float centre) {
        chart.centreDistance = centre;
        QCOMPARE(chart.Locate(doc), 0);
        QCOMPARE(chart.ComputeRange(doc), 0);
        QCOMPARE(chart.DrawChart(dc, doc), 0);
    }

    static bool Near(const Canvas& dc, int x, int y, QRgb colour, int reach = 2) {
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
                if (dc.GetPixel(x + dx, y + dy) == colour)
                    return true;
        return false;
    }

    static bool Untouched(const Canvas& dc) {
        for (int y = 0; y < dc.Height(); ++y)
            for (int x = 0; x < dc.Width(); ++x)
                if (dc.GetPixel(x, y) != kWhite)
                    return false;
        return true;
    }

private slots:
    void locate_data() {
        QTest::addColumn<float>("centre");
        QTest::addColumn<float>("span");
        QTest::addColumn<int>("nanAt"); // a cycle without a distance, -1 none
        QTest::addColumn<int>("cycles");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("centreCycle");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<float>("actualSpan");
        QTest::newRow("centre 50") << 50.0f << 15.0f << -1 << 51 << 0 << 25 << 21 << 29 << 16.0f;
        QTest::newRow("centre 2 widened; cycle span was left at the cut window")
            << 2.0f << 15.0f << -1 << 51 << 0 << 1 << 0 << 8 << 16.0f;
        QTest::newRow("centre 98 widened to the left")
            << 98.0f << 15.0f << -1 << 51 << 0 << 49 << 42 << 50 << 16.0f;
        QTest::newRow("on the first cycle")
            << 0.0f << 15.0f << -1 << 51 << 0 << 1 << 0 << 8 << 16.0f;
        QTest::newRow("on the last cycle")
            << 100.0f << 15.0f << -1 << 51 << 0 << 50 << 42 << 50 << 16.0f;
        QTest::newRow("wide window") << 50.0f << 100.0f << -1 << 51 << 0 << 25 << 0 << 50 << 100.0f;
        QTest::newRow("span beyond the profile")
            << 50.0f << 300.0f << -1 << 51 << 0 << 25 << 0 << 50 << 100.0f;
        // A centre that cannot be placed leaves the window of centre 50 in place.
        QTest::newRow("click outside the chart")
            << -100.0f << 15.0f << -1 << 51 << -1 << 25 << 21 << 29 << 16.0f;
        QTest::newRow("past the last cycle")
            << 100.5f << 15.0f << -1 << 51 << -1 << 25 << 21 << 29 << 16.0f;
        QTest::newRow("NaN centre is not bracketed")
            << kNaN << 15.0f << -1 << 51 << -2 << -1 << 21 << 29 << 16.0f;
        QTest::newRow("no cycles read cycle -1")
            << 50.0f << 15.0f << -1 << 0 << -1 << 25 << 21 << 29 << 16.0f;
        QTest::newRow("NaN distance breaks the bracket")
            << 79.0f << 15.0f << 40 << 51 << -2 << -1 << 21 << 29 << 16.0f;
    }
    void locate() {
        QFETCH(float, centre);
        QFETCH(float, span);
        QFETCH(int, nanAt);
        QFETCH(int, cycles);
        QFETCH(int, result);
        QFETCH(int, centreCycle);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(float, actualSpan);
        const auto doc = Profile();
        if (nanAt >= 0)
            doc->cycleDistance[nanAt] = kNaN;
        Csmalldetailchart chart = Chart();
        chart.centreDistance = 50.0f;
        QCOMPARE(chart.Locate(*doc), 0);
        doc->cycleCount = cycles;
        chart.centreDistance = centre;
        chart.span = span;
        QCOMPARE(chart.Locate(*doc), result);
        QCOMPARE(chart.centreCycle, centreCycle);
        QCOMPARE(chart.firstCycle, first);
        QCOMPARE(chart.lastCycle, last);
        QCOMPARE(chart.cycleSpan, last - first);
        QCOMPARE(chart.actualSpan, actualSpan);
    }

    // The window 21..29 stays after a new segment brings fewer cycles; it is used again only
    // while it still lies within them.
    void windowOfALongerSegmentReadPastTheCycles_data() {
        QTest::addColumn<int>("cycles");
        QTest::addColumn<bool>("usable");
        QTest::newRow("10 cycles") << 10 << false;
        QTest::newRow("none") << 0 << false;
        QTest::newRow("last cycle just gone") << 29 << false;
        QTest::newRow("last cycle still there") << 30 << true;
    }
    void windowOfALongerSegmentReadPastTheCycles() {
        QFETCH(int, cycles);
        QFETCH(bool, usable);
        const auto doc = Profile();
        Csmalldetailchart chart = Chart();
        Canvas first;
        Prepare(first);
        Show(chart, *doc, first, 50.0f);

        doc->cycleCount = cycles;
        for (int i = cycles; i < 51; ++i)
            doc->cycleRatio[i] = 1e6f; // stale entries of the old segment
        QCOMPARE(chart.ComputeRange(*doc), usable ? 0 : -1);
        QCOMPARE(chart.ratioMax, 80.0f);
        Canvas dc;
        Prepare(dc);
        QCOMPARE(chart.DrawChart(dc, *doc), usable ? 0 : -1);
        QCOMPARE(Untouched(dc), !usable);
        QCOMPARE(chart.NearestCycleValue(*doc, 120, 1), usable ? 44.0f : 0.0f);
    }

    void computeRange_data() {
        QTest::addColumn<int>("cycle");
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("max");
        QTest::addColumn<float>("min");
        QTest::newRow("as loaded") << 25 << 40.0f << 80.0f << 0.0f;
        QTest::newRow("below the others") << 25 << -5.0f << 80.0f << -5.0f;
        QTest::newRow("outside the window") << 30 << 1000.0f << 80.0f << 0.0f;
        QTest::newRow("NaN first result left the range undefined") << 21 << kNaN << 80.0f << 10.0f;
        QTest::newRow("infinite result left the axis without a scale")
            << 29 << std::numeric_limits<float>::infinity() << 70.0f << 0.0f;
    }
    void computeRange() {
        QFETCH(int, cycle);
        QFETCH(float, value);
        QFETCH(float, max);
        QFETCH(float, min);
        const auto doc = Profile();
        doc->cycleRatio[cycle] = value;
        Csmalldetailchart chart = Chart();
        Canvas dc;
        Prepare(dc);
        Show(chart, *doc, dc, 50.0f);
        QCOMPARE(chart.ratioMax, max);
        QCOMPARE(chart.ratioMin, min);
        QVERIFY(chart.yAxis.HasScale());
        QVERIFY(chart.yAxis.axisLow <= min && chart.yAxis.axisHigh >= max);
    }

    void curveAndCircles() {
        const auto doc = Profile();
        Csmalldetailchart chart = Chart();
        Canvas dc;
        Prepare(dc);
        Show(chart, *doc, dc, 50.0f);
        QCOMPARE(chart.xAxis.axisLow, 41.0f);
        QCOMPARE(chart.xAxis.pixelsPerUnit, 20.0f);
        QCOMPARE(chart.yAxis.axisLow, 0.0f);
        QCOMPARE(chart.yAxis.pixelsPerUnit, 2.5f);
        for (int k = 21; k <= 29; ++k) {
            const int x = 80 + 40 * (k - 21);
            const int y = 230 - 25 * (k - 21);
            QVERIFY2(Near(dc, x, y, kCircle), qPrintable(QStringLiteral("cycle %1").arg(k)));
            if (k < 29)
                QVERIFY(Near(dc, x + 20, y - 12, kLine, 1));
        }
        // Cycles 20 and 30 lie outside the window; nothing is drawn beside the plot.
        for (int y = 0; y < dc.Height(); ++y)
            for (int x : {0, 40, 57, 403, 440, 459}) {
                QVERIFY(dc.GetPixel(x, y) != kCircle);
                QVERIFY(dc.GetPixel(x, y) != kLine);
            }
    }

    void clickOutsideRedrawsThePreviousWindow() {
        const auto doc = Profile();
        Csmalldetailchart chart = Chart();
        Canvas before;
        Prepare(before);
        Show(chart, *doc, before, 50.0f);
        chart.centreDistance = -100.0f;
        QCOMPARE(chart.Locate(*doc), -1);
        chart.ComputeRange(*doc);
        Canvas after;
        Prepare(after);
        QCOMPARE(chart.DrawChart(after, *doc), 0);
        QCOMPARE(after.Image(), before.Image());

        Csmalldetailchart never = Chart();
        Canvas blank;
        Prepare(blank);
        QCOMPARE(never.DrawChart(blank, *doc), -1);
        QVERIFY(Untouched(blank));
    }

    void clearedMargins_data() {
        QTest::addColumn<int>("labelStyle");
        QTest::addColumn<int>("above");
        QTest::addColumn<int>("below");
        QTest::newRow("none") << 0 << 5 << 20;
        QTest::newRow("below") << 1 << 5 << 40;
        QTest::newRow("above") << 2 << 20 << 20;
        QTest::newRow("both") << 3 << 20 << 40;
    }
    void clearedMargins() {
        QFETCH(int, labelStyle);
        QFETCH(int, above);
        QFETCH(int, below);
        constexpr QRgb kGrey = Rgb(1, 2, 3);
        const auto doc = Profile();
        Csmalldetailchart chart = Chart();
        chart.labelStyle = labelStyle;
        Canvas dc;
        Prepare(dc);
        dc.FillSolidRect(dc.ClientRect(), kGrey);
        Show(chart, *doc, dc, 50.0f);
        const int left = 60 - 40;
        const int top = 30 - above;
        const int bottom = 230 + below;
        QCOMPARE(dc.GetPixel(left, top), kWhite);
        QCOMPARE(dc.GetPixel(left - 1, top), kGrey);
        QCOMPARE(dc.GetPixel(left, top - 1), kGrey);
        QCOMPARE(dc.GetPixel(left, bottom - 1), kWhite);
        QCOMPARE(dc.GetPixel(left, bottom), kGrey);
        QCOMPARE(dc.GetPixel(399, top), kWhite);
        QCOMPARE(dc.GetPixel(401, top), kGrey);
        // The frame closes one pixel right of the plot.
        QCOMPARE(dc.GetPixel(400, 140), Rgb(0, 0, 0));
    }

    void farDistanceWrappedAndNanResultDrewAtTheTop() {
        const auto doc = Profile();
        Csmalldetailchart chart = Chart();
        chart.centreDistance = 50.0f;
        chart.Locate(*doc);
        chart.ComputeRange(*doc);
        doc->cycleRatio[25] = kNaN;    // column 240
        doc->cycleDistance[27] = 1e9f; // far right of the plot; the axis still ends at 58
        Canvas dc;
        Prepare(dc);
        QCOMPARE(chart.DrawChart(dc, *doc), 0);
        // The curve runs straight from cycle 24 to cycle 26, with no circle between.
        QVERIFY(Near(dc, 240, 230 - 25 * 4, kLine, 1));
        for (int y = 0; y < dc.Height(); ++y)
            for (int x = 230; x <= 250; ++x)
                QVERIFY(dc.GetPixel(x, y) != kCircle);
        // The far cycle pulls the curve off to the right, never round to the left.
        for (int y = 0; y < dc.Height(); ++y)
            for (int x = 0; x < 60; ++x)
                QVERIFY(dc.GetPixel(x, y) != kLine);
        QVERIFY(Near(dc, 459, 230 - 25 * 5, kLine, 1)); // on its way from cycle 26
    }

    void nearestCycle_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("cycle"); // -1: the answer is 0
        QTest::newRow("on cycle 21") << 1 << 80 << 21;
        QTest::newRow("halfway: the first of equals") << 1 << 100 << 21;
        QTest::newRow("halfway, result: the first of equals") << 2 << 100 << 21;
        QTest::newRow("just past halfway") << 1 << 101 << 22;
        QTest::newRow("on the last cycle") << 2 << 400 << 29;
        QTest::newRow("right of the plot") << 1 << 500 << 29;
        QTest::newRow("a plot width away") << 1 << 80 - 340 << -1;
        QTest::newRow("just nearer than a plot width") << 1 << 80 - 339 << 21;
        QTest::newRow("other mode") << 3 << 80 << -1;
    }
    void nearestCycle() {
        QFETCH(int, mode);
        QFETCH(int, x);
        QFETCH(int, cycle);
        const auto doc = Profile();
        Csmalldetailchart chart = Chart();
        QCOMPARE(chart.NearestCycleValue(*doc, x, mode), 0.0f); // not located yet
        Canvas dc;
        Prepare(dc);
        Show(chart, *doc, dc, 50.0f);
        const float expected = cycle < 0   ? 0.0f
                               : mode == 1 ? doc->cycleDistance[cycle]
                                           : doc->cycleRatio[cycle];
        QCOMPARE(chart.NearestCycleValue(*doc, x, mode), expected);
    }

    void valueAt_data() {
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<float>("expected");
        QTest::newRow("distance at the left edge") << true << 1 << 60 << 0 << 41.0f;
        QTest::newRow("distance on cycle 22") << true << 1 << 120 << 0 << 44.0f;
        QTest::newRow("distance between cycles") << true << 1 << 130 << 0 << 44.5f;
        QTest::newRow("value at the bottom") << true << 2 << 0 << 230 << 0.0f;
        QTest::newRow("value at the top") << true << 2 << 0 << 30 << 80.0f;
        QTest::newRow("value in the middle") << true << 2 << 0 << 130 << 40.0f;
        QTest::newRow("other mode") << true << 3 << 120 << 120 << 0.0f;
        QTest::newRow("distance before any scale divided by zero")
            << false << 1 << 120 << 0 << 0.0f;
        QTest::newRow("value before any scale divided by zero") << false << 2 << 0 << 30 << 0.0f;
    }
    void valueAt() {
        QFETCH(bool, drawn);
        QFETCH(int, mode);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(float, expected);
        const auto doc = Profile();
        Csmalldetailchart chart = Chart();
        Canvas dc;
        Prepare(dc);
        if (drawn)
            Show(chart, *doc, dc, 50.0f);
        QCOMPARE(chart.ValueAt(mode, x, y), expected);
    }
};

QTEST_MAIN(SmallDetailChartTest)
#include "SmallDetailChartTest.moc"
