#include "charts/Canvas.h"
#include "charts/Caxis.h"

#include <QGuiApplication>
#include <QTest>

#include <cmath>
#include <limits>

// Scales, labels and tick geometry of the numeric axis.
class AxisTest : public QObject {
    Q_OBJECT

private:
    static constexpr QRgb kWhite = Rgb(255, 255, 255);
    static constexpr QRgb kPen = Rgb(0, 0, 0);

    static Caxis Axis(float minimum, float maximum, bool fewer = false) {
        Caxis a;
        a.minValue = minimum;
        a.maxValue = maximum;
        a.preferFewerTicks = fewer ? 1 : 0;
        return a;
    }
    static QString Label(const Caxis& a, float value) {
        return Caxis::FormatTickLabel(value, std::max(std::fabs(a.axisHigh), std::fabs(a.axisLow)));
    }
    static int CountNot(const Canvas& c, QRgb colour) {
        int n = 0;
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x)
                n += c.GetPixel(x, y) != colour;
        return n;
    }

private slots:
    void scale_data() {
        QTest::addColumn<float>("minimum");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<bool>("fewer");
        QTest::addColumn<float>("step");
        QTest::addColumn<float>("low");
        QTest::addColumn<float>("high");
        QTest::addColumn<int>("intervals");
        QTest::addColumn<QString>("firstLabel");
        QTest::addColumn<QString>("lastLabel");
        QTest::newRow("0..37") << 0.f << 37.f << false << 5.f << 0.f << 40.f << 8 << "0"
                               << "40";
        QTest::newRow("0..1") << 0.f << 1.f << false << .1f << 0.f << 1.f << 10 << "0.0"
                              << "1.0";
        QTest::newRow("0..1 fewer") << 0.f << 1.f << true << .2f << 0.f << 1.f << 5 << "0.0"
                                    << "1.0";
        QTest::newRow("0..100") << 0.f << 100.f << false << 10.f << 0.f << 100.f << 10 << "0"
                                << "100";
        QTest::newRow("0..100 fewer") << 0.f << 100.f << true << 20.f << 0.f << 100.f << 5 << "0"
                                      << "100";
        QTest::newRow("0..250") << 0.f << 250.f << false << 20.f << 0.f << 260.f << 13 << "0"
                                << "260";
        QTest::newRow("0..250 fewer") << 0.f << 250.f << true << 50.f << 0.f << 250.f << 5 << "0"
                                      << "250";
        // A positive minimum on a multiple of the step starts one step lower.
        QTest::newRow("3..7") << 3.f << 7.f << false << .5f << 2.5f << 7.f << 9 << "2.5"
                              << "7.0";
        QTest::newRow("-20.3..40") << -20.3f << 40.f << false << 10.f << -30.f << 40.f << 7 << "-30"
                                   << "40";
        QTest::newRow("5..5") << 5.f << 5.f << false << 1.f << 4.f << 6.f << 2 << "4.0"
                              << "6.0";
    }
    void scale() {
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        QFETCH(bool, fewer);
        Caxis a = Axis(minimum, maximum, fewer);
        QCOMPARE(a.ComputeScale(), 0);
        QVERIFY(a.HasScale());
        QTEST(a.step, "step");
        QTEST(a.axisLow, "low");
        QTEST(a.axisHigh, "high");
        QTEST(int(a.intervalCount), "intervals");
        QTEST(Label(a, a.axisLow), "firstLabel");
        QTEST(Label(a, a.axisLow + a.intervalCount * a.step), "lastLabel");
    }

    void tickLabel_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("magnitude");
        QTest::addColumn<QString>("text");
        QTest::newRow("2.5 on an axis reaching 10 truncates") << 2.5f << 10.f << "2";
        QTest::newRow("-2.5 truncates toward zero") << -2.5f << 40.f << "-2";
        QTest::newRow("one decimal below 10") << 2.5f << 9.9f << "2.5";
        QTest::newRow("two decimals below 1") << .5f << .5f << "0.50";
        QTest::newRow("three decimals below 0.1") << .0015f << .002f << "0.002";
        QTest::newRow("fine steps repeat") << .002f << .002f << "0.002";
        QTest::newRow("beyond int not wrapped") << 1e12f << 1e12f << "999999995904";
    }
    void tickLabel() {
        QFETCH(float, value);
        QFETCH(float, magnitude);
        QTEST(Caxis::FormatTickLabel(value, magnitude), "text");
    }

    // A range that overflows float when subtracted is scaled in double.
    void rangeBeyondFloatIsScaledInDouble() {
        Caxis a = Axis(-2e38f, 2e38f);
        QCOMPARE(a.ComputeScale(), 0);
        QVERIFY(a.HasScale());
        QVERIFY(std::isfinite(a.axisLow) && std::isfinite(a.axisHigh));
        QVERIFY(a.axisLow <= -2e38f && a.axisHigh >= 2e38f);
        QVERIFY(a.intervalCount >= 4 && a.intervalCount <= 12);
    }

    void unusableRangeKeepsThePreviousScale_data() {
        QTest::addColumn<float>("minimum");
        QTest::addColumn<float>("maximum");
        const float inf = std::numeric_limits<float>::infinity();
        QTest::newRow("reversed") << 10.f << 2.f;
        QTest::newRow("NaN maximum") << 0.f << std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("infinite range looped for ever") << -inf << inf;
        QTest::newRow("infinite maximum") << 0.f << inf;
    }
    void unusableRangeKeepsThePreviousScale() {
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        Caxis a = Axis(0.f, 37.f);
        QCOMPARE(a.ComputeScale(), 0);
        a.minValue = minimum;
        a.maxValue = maximum;
        QCOMPARE(a.ComputeScale(), -1);
        QCOMPARE(a.axisLow, 0.f);
        QCOMPARE(a.axisHigh, 40.f);
        QCOMPARE(a.step, 5.f);
        QCOMPARE(int(a.intervalCount), 8);
    }

    // An axis that never had a usable range used to draw from unset fields.
    void neverValidAxisDrawsNoTicksAndNoGrid_data() { unusableRangeKeepsThePreviousScale_data(); }
    void neverValidAxisDrawsNoTicksAndNoGrid() {
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        Canvas c;
        c.Resize(200, 200);
        c.BeginCommand();
        Caxis a = Axis(minimum, maximum);
        QCOMPARE(a.Draw(c, 50, 150, 50, 20), 0);
        QVERIFY(!a.HasScale());
        QCOMPARE(int(a.orientation), 2);
        QCOMPARE(DrawGrid(c, a, 50, 20, 150, 150), -1);
        QCOMPARE(CountNot(c, kWhite), 0);
    }

    void ticksAndGridLines_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<float>("pixelsPerUnit");
        QTest::addColumn<QList<int>>("ticks"); // x of a horizontal axis, y of a vertical one
        QTest::newRow("horizontal 0..37") << QPoint(50, 100) << QPoint(450, 100) << 0.f << 37.f
                                          << 10.f << QList<int>{50, 100, 250, 400, 450};
        // Bottom-up, 200 pixels for 9 intervals: ticks at trunc(300 - i * 22.22).
        QTest::newRow("vertical 3..7") << QPoint(50, 300) << QPoint(50, 100) << 3.f << 7.f
                                       << 200.f / 4.5f << QList<int>{300, 277, 255, 122, 100};
    }
    void ticksAndGridLines() {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        QFETCH(float, pixelsPerUnit);
        QFETCH(QList<int>, ticks);
        Canvas c;
        c.Resize(500, 400);
        c.BeginCommand();
        Caxis a = Axis(minimum, maximum);
        QCOMPARE(a.Draw(c, from.x(), from.y(), to.x(), to.y()), 0);
        QCOMPARE(a.x1, from.x());
        QCOMPARE(a.y2, to.y());
        QVERIFY(qAbs(a.pixelsPerUnit - pixelsPerUnit) < 1e-4f);
        const bool horizontal = from.y() == to.y();
        QCOMPARE(int(a.orientation), horizontal ? 1 : 2);
        for (int t : ticks) {
            // Ticks point down from a horizontal axis and left from a vertical one.
            const QPoint on = horizontal ? QPoint(t, from.y() + 1) : QPoint(from.x() - 1, t);
            const QPoint beside =
                horizontal ? QPoint(t + 3, from.y() + 1) : QPoint(from.x() - 1, t + 3);
            QCOMPARE(c.GetPixel(on.x(), on.y()), kPen);
            QCOMPARE(c.GetPixel(beside.x(), beside.y()), kWhite);
        }
        // The grid puts one grey line on every tick across the rectangle.
        const QRgb grey = Rgb(180, 180, 180);
        QCOMPARE(DrawGrid(c, a, 100, 100, 300, 300), 0);
        if (horizontal) {
            const float p = 200.f / a.intervalCount;
            QCOMPARE(c.GetPixel(100 + int(2 * p), 200), grey);
            QCOMPARE(c.GetPixel(100 + int(2 * p) + 2, 200), kWhite);
        } else {
            const float p = 200.f / a.intervalCount;
            QCOMPARE(c.GetPixel(200, 100 + int(2 * p)), grey);
            QCOMPARE(c.GetPixel(200, 100 + int(2 * p) + 2), kWhite);
        }
    }

    void saturatedPixel_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("pixel");
        QTest::newRow("truncates toward zero") << -12.9 << -12;
        QTest::newRow("in range") << 32766.5 << 32766;
        QTest::newRow("far above saturates") << 1e9 << 32767;
        QTest::newRow("far below saturates, not wraps") << -40000.7 << -32767;
        QTest::newRow("NaN") << std::nan("") << 0;
    }
    void saturatedPixel() {
        QFETCH(double, value);
        QTEST(SaturatedPixel(value), "pixel");
    }
};

QTEST_MAIN(AxisTest)
#include "AxisTest.moc"
