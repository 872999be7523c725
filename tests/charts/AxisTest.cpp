#include "ChartTestSupport.h"
#include "charts/Caxis.h"

#include <cmath>
#include <limits>

// Scales, labels and tick geometry of the numeric axis.
class AxisTest : public QObject {
    Q_OBJECT

    static Caxis Axis(float minimum, float maximum, bool fewer = false) {
        Caxis a;
        a.minValue = minimum;
        a.maxValue = maximum;
        a.preferFewerTicks = fewer ? 1 : 0;
        return a;
    }

private slots:
    void scale_data() {
        auto row = Table<float, float, bool, QList<float>, int, QString>(
            {"minimum", "maximum", "fewer", "stepLowHigh", "intervals", "labels"});
        row("0..37", 0, 37, false, {5, 0, 40}, 8, "0 40");
        row("0..1", 0, 1, false, {.1f, 0, 1}, 10, "0.0 1.0");
        row("0..1 fewer", 0, 1, true, {.2f, 0, 1}, 5, "0.0 1.0");
        row("0..100", 0, 100, false, {10, 0, 100}, 10, "0 100");
        row("0..100 fewer", 0, 100, true, {20, 0, 100}, 5, "0 100");
        row("0..250", 0, 250, false, {20, 0, 260}, 13, "0 260");
        row("0..250 fewer", 0, 250, true, {50, 0, 250}, 5, "0 250");
        // A positive minimum on a multiple of the step starts one step lower.
        row("3..7", 3, 7, false, {.5f, 2.5f, 7}, 9, "2.5 7.0");
        row("-20.3..40", -20.3f, 40, false, {10, -30, 40}, 7, "-30 40");
        row("5..5", 5, 5, false, {1, 4, 6}, 2, "4.0 6.0");
    }
    void scale() {
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        QFETCH(bool, fewer);
        Caxis a = Axis(minimum, maximum, fewer);
        QCOMPARE(a.ComputeScale(), 0);
        QFETCH(QList<float>, stepLowHigh); // element by element: an axisLow of -0 is 0
        QCOMPARE(QList<float>({a.step, a.axisLow, a.axisHigh}), stepLowHigh);
        QTEST(int(a.intervalCount), "intervals");
        const float magnitude = std::max(std::fabs(a.axisHigh), std::fabs(a.axisLow));
        QTEST(Caxis::FormatTickLabel(a.axisLow, magnitude) + ' ' +
                  Caxis::FormatTickLabel(a.axisLow + a.intervalCount * a.step, magnitude),
              "labels");
    }

    void tickLabel_data() {
        auto row = Table<float, float, QString>({"value", "magnitude", "text"});
        row("2.5 on an axis reaching 10 truncates", 2.5f, 10, "2");
        row("-2.5 truncates toward zero", -2.5f, 40, "-2");
        row("two decimals below 1", .5f, .5f, "0.50");
        row("beyond int not wrapped", 1e12f, 1e12f, "999999995904");
    }
    void tickLabel() {
        QFETCH(float, value);
        QFETCH(float, magnitude);
        QTEST(Caxis::FormatTickLabel(value, magnitude), "text");
    }

    // Subtracted in float, the range overflowed.
    void rangeBeyondFloatIsScaledInDouble() {
        Caxis a = Axis(-2e38f, 2e38f);
        QCOMPARE(a.ComputeScale(), 0);
        QVERIFY(a.HasScale() && a.axisLow <= -2e38f && a.axisHigh >= 2e38f);
        QVERIFY(a.intervalCount >= 4 && a.intervalCount <= 12);
    }

    // An unusable range keeps the scale there was; an axis that never had one used to draw
    // from unset fields, and now draws neither ticks nor grid.
    void unusableRangeKeepsTheScaleOrDrawsNothing_data() {
        auto row = Table<float, float>({"minimum", "maximum"});
        const float inf = std::numeric_limits<float>::infinity();
        row("reversed", 10, 2);
        row("NaN maximum", 0, std::numeric_limits<float>::quiet_NaN());
        row("infinite range looped for ever", -inf, inf);
    }
    void unusableRangeKeepsTheScaleOrDrawsNothing() {
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        Caxis a = Axis(0, 37);
        QCOMPARE(a.ComputeScale(), 0);
        a.minValue = minimum;
        a.maxValue = maximum;
        QCOMPARE(a.ComputeScale(), -1);
        QCOMPARE(QList<float>({a.axisLow, a.axisHigh, a.step}), QList<float>({0, 40, 5}));
        QCOMPARE(int(a.intervalCount), 8);

        Canvas c;
        Blank(c, 200, 200);
        Caxis never = Axis(minimum, maximum);
        QCOMPARE(never.Draw(c, 50, 150, 50, 20), 0);
        QCOMPARE(DrawGrid(c, never, 50, 20, 150, 150), -1);
        QVERIFY(AllWhite(c));
    }

    // Ticks point down from a horizontal axis and left from a vertical one; the grid puts a
    // grey line on every tick across the rectangle (100, 100, 300, 300).
    void ticksAndGridLines_data() {
        auto row = Table<QLine, QPointF, float, QList<int>, QList<int>>(
            {"axis", "range", "pixelsPerUnit", "ticks", "grid"});
        row("horizontal 0..37", {50, 100, 450, 100}, {0, 37}, 10, {50, 100, 250, 400, 450},
            {100, 125, 150, 275, 300});
        // Bottom-up, 200 pixels for 9 intervals: ticks at trunc(300 - i * 22.22), grid lines
        // at trunc(100 + i * 22.22).
        row("vertical 3..7", {50, 300, 50, 100}, {3, 7}, 200 / 4.5f, {300, 277, 255, 122, 100},
            {100, 122, 144, 277, 299});
    }
    void ticksAndGridLines() {
        QFETCH(QLine, axis);
        QFETCH(QPointF, range);
        QFETCH(float, pixelsPerUnit);
        Canvas c;
        Blank(c, 500, 400);
        Caxis a = Axis(range.x(), range.y());
        QCOMPARE(a.Draw(c, axis.x1(), axis.y1(), axis.x2(), axis.y2()), 0);
        QVERIFY(qAbs(a.pixelsPerUnit - pixelsPerUnit) < 1e-4f);
        const bool horizontal = axis.dy() == 0;
        QCOMPARE(int(a.orientation), horizontal ? 1 : 2);
        const auto at = [&](int along, int across) {
            return horizontal ? c.GetPixel(along, across) : c.GetPixel(across, along);
        };
        QList<QRgb> got, expected;
        const int beside = horizontal ? axis.y1() + 1 : axis.x1() - 1;
        QFETCH(QList<int>, ticks);
        for (int t : ticks) {
            got << at(t, beside) << at(t + 3, beside);
            expected << Rgb(0, 0, 0) << kWhite;
        }
        QCOMPARE(DrawGrid(c, a, 100, 100, 300, 300), 0);
        QFETCH(QList<int>, grid);
        for (int g : grid) {
            got << at(g, 200) << at(g + 2, 200);
            expected << Rgb(180, 180, 180) << kWhite;
        }
        QCOMPARE(got, expected);
    }

    // Value to pixel and back on a plot whose low end (axisLow) is at `origin`, and the pixel of
    // the value read back: every pixel is truncated toward zero.
    void valueToPixelAndBack_data() {
        auto row = Table<QPointF, int, Caxis::Growth, double, QList<int>, float>(
            {"lowAndPixelsPerUnit", "origin", "growth", "value", "pixelAgain", "back"});
        const auto right = Caxis::Growth::Right;
        row("whole road", {0, .125}, 50, right, 1234.5, {204, 204}, 1232);
        row("zoomed to 32 pixels a foot", {1230, 32}, 600, right, 1234.5, {744, 744}, 1234.5f);
        row("a third of a pixel a foot", {1230, 1 / 3.f}, 600, right, 1234.5, {601, 601}, 1233);
        row("values grow upwards", {-30, 4}, 400, Caxis::Growth::Up, 10, {240, 240}, 10);
        row("far off saturates", {0, 1000}, 0, right, 1e6, {32767, 32766}, 32.767f);
    }
    void valueToPixelAndBack() {
        QFETCH(QPointF, lowAndPixelsPerUnit);
        QFETCH(int, origin);
        QFETCH(Caxis::Growth, growth);
        QFETCH(double, value);
        Caxis a;
        a.axisLow = static_cast<float>(lowAndPixelsPerUnit.x());
        a.pixelsPerUnit = static_cast<float>(lowAndPixelsPerUnit.y());
        const int pixel = a.PixelOf(value, origin, growth);
        const float back = a.ValueAt(pixel, origin, growth);
        QTEST(back, "back");
        QTEST(QList<int>({pixel, a.PixelOf(back, origin, growth)}), "pixelAgain");
    }

    void saturatedPixel_data() {
        auto row = Table<double, int>({"value", "pixel"});
        row("truncates toward zero", -12.9, -12);
        row("far above saturates", 1e9, 32767);
        row("far below saturates, not wraps", -40000.7, -32767);
        row("NaN", std::nan(""), 0);
    }
    void saturatedPixel() {
        QFETCH(double, value);
        QTEST(SaturatedPixel(value), "pixel");
    }
};

QTEST_MAIN(AxisTest)
#include "AxisTest.moc"
