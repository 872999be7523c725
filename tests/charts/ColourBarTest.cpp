#include "charts/Canvas.h"
#include "charts/Ccolorbar.h"

#include <QTest>

// The colour bar: the palettes, the bar's ramps and handles, the working palette the handles
// make, and the handle drag.
class ColourBarTest : public QObject {
    Q_OBJECT

private:
    static constexpr QRgb kWhite = Rgb(255, 255, 255);
    // A bar 256 pixels high: middle row 178.
    static constexpr Rect kBar{100, 50, 110, 306};

    static Ccolorbar PlacedBar(Canvas& dc) {
        Ccolorbar bar;
        bar.barRect = kBar;
        dc.Resize(200, 400);
        dc.BeginCommand();
        bar.DrawBar(dc);
        return bar;
    }

private slots:
    void paletteRamps_data() {
        QTest::addColumn<int>("scheme");
        QTest::addColumn<int>("index");
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<int>("count");
        QTest::newRow("0 blue") << 2 << 0 << Rgb(0, 0, 255) << 1280;
        QTest::newRow("255 cyan") << 2 << 255 << Rgb(0, 255, 255) << 1280;
        QTest::newRow("256 cyan") << 2 << 256 << Rgb(0, 255, 255) << 1280;
        QTest::newRow("511 green") << 2 << 511 << Rgb(0, 255, 0) << 1280;
        QTest::newRow("640 green-yellow") << 2 << 640 << Rgb(128, 255, 0) << 1280;
        QTest::newRow("767 yellow") << 2 << 767 << Rgb(255, 255, 0) << 1280;
        QTest::newRow("1023 red") << 2 << 1023 << Rgb(255, 0, 0) << 1280;
        QTest::newRow("1279 magenta") << 2 << 1279 << Rgb(255, 0, 255) << 1280;
        QTest::newRow("grey 0 white") << 1 << 0 << Rgb(255, 255, 255) << 256;
        QTest::newRow("grey 255 black") << 1 << 255 << Rgb(0, 0, 0) << 256;
        QTest::newRow("other schemes are empty") << 3 << 0 << QRgb(0) << 0;
    }
    void paletteRamps() {
        QFETCH(int, scheme);
        QFETCH(int, index);
        QFETCH(int, count);
        Ccolorrainbowl palette;
        palette.scheme = static_cast<std::int16_t>(scheme);
        QCOMPARE(palette.Build(), 0);
        QCOMPARE(int(palette.colourCount), count);
        QTEST(palette.master[index], "colour");
        QCOMPARE(palette.working[index], palette.master[index]);
        QCOMPARE(int(palette.upper), std::max(count - 1, 0));
        QCOMPARE(int(palette.lower), 0);
    }

    void barOf256PixelsRunsThroughTheMaster() {
        Canvas dc;
        Ccolorbar bar = PlacedBar(dc);
        const Ccolorrainbowl& p = bar.palette;
        QCOMPARE(int(p.upperPix), 256);
        QCOMPARE(int(p.lowerPix), 0);
        for (int r = 0; r <= 128; ++r)
            for (int x : {100, 109})
                QCOMPARE(dc.GetPixel(x, 306 - r), p.master[5 * r]);
        QCOMPARE(dc.GetPixel(105, 306 - 255), p.master[1275]);
        QCOMPARE(dc.GetPixel(110, 200), kWhite); // the bar ends at its right edge
        QCOMPARE(bar.hitRect, (Rect{109, 42, 119, 314}));
        // The arrows stand right of the bar with their tips on the handle rows.
        QCOMPARE(dc.GetPixel(111, 306 - 256), Rgb(255, 0, 0));
        QCOMPARE(dc.GetPixel(111, 306), Rgb(0, 0, 255));
        QCOMPARE(dc.GetPixel(114, 306 - 3), Rgb(0, 0, 255));
        QCOMPARE(dc.GetPixel(111, 306 - 3), kWhite);
    }

    void workingPaletteFollowsTheHandles_data() {
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("master");
        QTest::newRow("default, lower half") << 0 << 1279 << 100 << 100;
        QTest::newRow("default, the middle") << 0 << 1279 << 640 << 639;
        QTest::newRow("default, last") << 0 << 1279 << 1279 << 1279;
        QTest::newRow("lower 320: 0 is blue") << 320 << 1279 << 0 << 0;
        QTest::newRow("lower 320: 319 is blue") << 320 << 1279 << 319 << 0;
        QTest::newRow("lower 320: 320 is master 0") << 320 << 1279 << 320 << 0;
        QTest::newRow("lower 320: 321 is master 2") << 320 << 1279 << 321 << 2;
        QTest::newRow("lower 320: 639") << 320 << 1279 << 639 << 638;
        QTest::newRow("upper 960: 960 is magenta") << 0 << 960 << 960 << 1279;
        QTest::newRow("upper 960: 959") << 0 << 960 << 959 << 1277;
    }
    void workingPaletteFollowsTheHandles() {
        QFETCH(int, lower);
        QFETCH(int, upper);
        QFETCH(int, index);
        QFETCH(int, master);
        Canvas dc;
        Ccolorbar bar = PlacedBar(dc);
        bar.palette.lower = static_cast<std::int16_t>(lower);
        bar.palette.upper = static_cast<std::int16_t>(upper);
        bar.DrawBar(dc);
        QCOMPARE(bar.palette.working[index], bar.palette.master[master]);
    }

    void releasingAHandleSetsItFromTheRow_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        // Middle row 178: the upper handle stays above 166, the lower one below 190.
        QTest::newRow("upper at the middle") << 2 << 178 << 0 << 700;
        QTest::newRow("upper near the top") << 2 << 60 << 0 << 1230;
        QTest::newRow("upper above the bar") << 2 << 0 << 0 << 1279;
        QTest::newRow("lower at the middle") << 1 << 178 << 580 << 1279;
        QTest::newRow("lower near the bottom") << 1 << 296 << 50 << 1279;
        QTest::newRow("lower below the bar") << 1 << 380 << 0 << 1279;
    }
    void releasingAHandleSetsItFromTheRow() {
        QFETCH(int, state);
        QFETCH(int, y);
        Canvas dc;
        Ccolorbar bar = PlacedBar(dc);
        const auto working = bar.palette.working;
        bar.dragState = static_cast<std::int16_t>(state);
        bar.DragFeedback(dc, state, y);
        QCOMPARE(bar.EndDrag(dc, 105, y), 0);
        QCOMPARE(int(bar.dragState), 0);
        QTEST(int(bar.palette.lower), "lower");
        QTEST(int(bar.palette.upper), "upper");
        // The bar is repainted from the new handle; the working palette waits for DrawBar.
        const Ccolorrainbowl& p = bar.palette;
        QCOMPARE(int(p.upperPix), Ccolorbar::HandlePixels(p.upper, 256, 1280));
        QCOMPARE(dc.GetPixel(105, 306 - 255), p.upper < 1279 ? p.master[1279] : p.master[1275]);
        QVERIFY(p.working == working);
        QCOMPARE(bar.EndDrag(dc, 105, y), 1); // no drag in progress
    }

    void pressOnAHandle_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("hit");
        // Upper handle at row 50, lower at row 306, right edge at x 110.
        QTest::newRow("upper") << 110 << 50 << 2;
        QTest::newRow("7 right of the edge") << 117 << 50 << 2;
        QTest::newRow("8 right of the edge") << 118 << 50 << 0;
        QTest::newRow("7 left of the edge") << 103 << 50 << 2;
        QTest::newRow("8 left of the edge") << 102 << 50 << 0;
        QTest::newRow("7 below the upper") << 110 << 57 << 2;
        QTest::newRow("8 below the upper") << 110 << 58 << 0;
        QTest::newRow("lower") << 112 << 300 << 1;
        QTest::newRow("8 above the lower") << 110 << 298 << 0;
    }
    void pressOnAHandle() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, hit);
        Canvas dc;
        Ccolorbar bar = PlacedBar(dc);
        QCOMPARE(bar.HitHandle(x, y), hit);
        QCOMPARE(int(bar.dragState), hit);
    }

    void dragFeedbackMovesTheArrowWithinItsHalf() {
        Canvas dc;
        Ccolorbar bar = PlacedBar(dc);
        bar.DragFeedback(dc, 2, 100);
        QCOMPARE(dc.GetPixel(111, 50), kWhite); // the arrow left its old row
        QCOMPARE(dc.GetPixel(111, 100), Rgb(255, 0, 0));
        bar.DragFeedback(dc, 2, 300); // stops 12 rows above the middle
        QCOMPARE(dc.GetPixel(111, 100), kWhite);
        QCOMPARE(dc.GetPixel(111, 166), Rgb(255, 0, 0));
        bar.DragFeedback(dc, 1, 10); // stops 12 rows below the middle
        QCOMPARE(dc.GetPixel(111, 306), kWhite);
        QCOMPARE(dc.GetPixel(111, 190), Rgb(0, 0, 255));
        QCOMPARE(dc.GetPixel(111, 166), Rgb(255, 0, 0)); // the other half is left alone
    }

    void neverPlacedBarIgnoresDragsInsteadOfDividingByZero() {
        Canvas dc;
        dc.Resize(60, 60);
        const QImage before = dc.Image().copy();
        Ccolorbar bar;
        QCOMPARE(bar.DrawBar(dc), 0);
        QCOMPARE(bar.hitRect, Rect{});
        QCOMPARE(bar.HitHandle(0, 0), 0);
        QCOMPARE(bar.HitHandle(1, -3), 0);
        QCOMPARE(int(bar.dragState), 0);
        bar.dragState = 2;
        bar.DragFeedback(dc, 2, 0);
        QCOMPARE(bar.EndDrag(dc, 0, 0), 1);
        QCOMPARE(int(bar.dragState), 0);
        QCOMPARE(int(bar.palette.upper), 1279);
        QCOMPARE(int(bar.palette.lower), 0);
        QCOMPARE(bar.RepaintBar(dc), 0);
        QVERIFY(dc.Image() == before);
    }

    void barsOfOneOrTwoPixelsDrawAndDrag() {
        for (int height : {1, 2, 3}) {
            Canvas dc;
            dc.Resize(60, 60);
            Ccolorbar bar;
            bar.barRect = {10, 20, 20, 20 + height};
            bar.DrawBar(dc);
            QCOMPARE(bar.HitHandle(20, 20), 2);
            QCOMPARE(bar.EndDrag(dc, 20, 20), 0);
            QVERIFY(bar.palette.upper > 640 && bar.palette.upper <= 1279);
            QCOMPARE(bar.HitHandle(20, 20 + height), 2); // both near: the upper one wins
            bar.dragState = 1;
            QCOMPARE(bar.EndDrag(dc, 20, 20), 0);
            QVERIFY(bar.palette.lower >= 0 && bar.palette.lower < 640);
            bar.DrawBar(dc);
        }
    }
};

QTEST_MAIN(ColourBarTest)
#include "ColourBarTest.moc"
