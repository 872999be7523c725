#include "ChartTestSupport.h"
#include "charts/Ccolorbar.h"

// The colour bar: the palettes, the bar's ramps and handles, the working palette the handles
// make, and the handle drag.
class ColourBarTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kRed = Rgb(255, 0, 0);
    static constexpr QRgb kBlue = Rgb(0, 0, 255);

    // A bar 256 pixels high at (100, 50), right edge 110, middle row 178; upper handle at row
    // 50, lower at row 306.
    static Ccolorbar PlacedBar(Canvas& dc) {
        Ccolorbar bar;
        bar.barRect = {100, 50, 110, 306};
        Blank(dc, 200, 400);
        bar.DrawBar(dc);
        return bar;
    }

private slots:
    void paletteRamps_data() {
        auto row = Table<int, int, QRgb, int>({"scheme", "index", "colour", "count"});
        row("0 blue", 2, 0, kBlue, 1280);
        row("255 cyan", 2, 255, Rgb(0, 255, 255), 1280);
        row("511 green", 2, 511, Rgb(0, 255, 0), 1280);
        row("767 yellow", 2, 767, Rgb(255, 255, 0), 1280);
        row("1023 red", 2, 1023, kRed, 1280);
        row("1279 magenta", 2, 1279, Rgb(255, 0, 255), 1280);
        row("grey 255 black", 1, 255, Rgb(0, 0, 0), 256);
        row("other schemes are empty", 3, 0, 0, 0);
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
        QCOMPARE(QList<int>({palette.lower, palette.upper}),
                 QList<int>({0, std::max(count - 1, 0)}));
    }

    // Row r of the lower ramp shows master 5r, the upper ramp reaches master 1275 at row 255;
    // the arrows stand right of the bar with their tips on the handle rows.
    void barOf256PixelsRunsThroughTheMaster() {
        Canvas dc;
        Ccolorbar bar = PlacedBar(dc);
        const Ccolorrainbowl& p = bar.palette;
        QCOMPARE(QList<int>({p.upperPix, p.lowerPix}), QList<int>({256, 0}));
        for (int r : {0, 1, 77, 128})
            QCOMPARE(dc.GetPixel(r % 2 ? 109 : 100, 306 - r), p.master[5 * r]);
        QCOMPARE(dc.GetPixel(105, 306 - 255), p.master[1275]);
        QCOMPARE(dc.GetPixel(110, 200), kWhite);
        QCOMPARE(bar.hitRect, (Rect{109, 42, 119, 314}));
        QCOMPARE(dc.GetPixel(111, 306 - 256), kRed);
        QCOMPARE(dc.GetPixel(111, 306), kBlue);
        QCOMPARE(dc.GetPixel(111, 306 - 3), kWhite);
    }

    void workingPaletteFollowsTheHandles_data() {
        auto row = Table<int, int, int, int>({"lower", "upper", "index", "master"});
        row("default, the middle", 0, 1279, 640, 639);
        row("lower 320: 319 is blue", 320, 1279, 319, 0);
        row("lower 320: 320 is master 0", 320, 1279, 320, 0);
        row("lower 320: 321 is master 2", 320, 1279, 321, 2);
        row("upper 960: 960 is magenta", 0, 960, 960, 1279);
        row("upper 960: 959", 0, 960, 959, 1277);
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

    // While dragged, the arrow moves within its half: the upper one stays above row 166, the
    // lower one below row 190, and the handle is set from that row on release. The bar is
    // repainted from the new handle; the working palette waits for DrawBar.
    void dragAndReleaseAHandle_data() {
        auto row = Table<int, int, int, int, int>({"state", "y", "arrow", "lower", "upper"});
        row("upper at the middle", 2, 178, 166, 0, 700);
        row("upper near the top", 2, 60, 60, 0, 1230);
        row("lower at the middle", 1, 178, 190, 580, 1279);
        row("lower near the bottom", 1, 296, 296, 50, 1279);
        row("lower below the bar", 1, 380, 306, 0, 1279);
    }
    void dragAndReleaseAHandle() {
        QFETCH(int, state);
        QFETCH(int, y);
        QFETCH(int, arrow);
        Canvas dc;
        Ccolorbar bar = PlacedBar(dc);
        const auto working = bar.palette.working;
        bar.dragState = static_cast<std::int16_t>(state);
        bar.DragFeedback(dc, state, y);
        const int old = state == 2 ? 50 : 306;
        QCOMPARE(dc.GetPixel(111, arrow), state == 2 ? kRed : kBlue);
        QCOMPARE(dc.GetPixel(111, old), arrow == old ? dc.GetPixel(111, arrow) : kWhite);
        QCOMPARE(dc.GetPixel(111, 356 - old), state == 2 ? kBlue : kRed); // the other half
        QCOMPARE(bar.EndDrag(dc, 105, y), 0);
        QCOMPARE(int(bar.dragState), 0);
        QTEST(int(bar.palette.lower), "lower");
        QTEST(int(bar.palette.upper), "upper");
        const Ccolorrainbowl& p = bar.palette;
        QCOMPARE(dc.GetPixel(105, 306 - 255), p.upper < 1279 ? p.master[1279] : p.master[1275]);
        QVERIFY(p.working == working);
        QCOMPARE(bar.EndDrag(dc, 105, y), 1); // no drag in progress
    }

    // A press 8 or more pixels beside the bar's right edge, or from a handle's row, misses.
    void pressOnAHandle_data() {
        auto row = Table<int, int, int>({"x", "y", "hit"});
        row("7 right of the edge", 117, 50, 2);
        row("8 right of the edge", 118, 50, 0);
        row("8 left of the edge", 102, 50, 0);
        row("8 below the upper", 110, 58, 0);
        row("lower", 112, 300, 1);
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

    void neverPlacedBarIgnoresDragsInsteadOfDividingByZero() {
        Canvas dc;
        dc.Resize(60, 60);
        Ccolorbar bar;
        QCOMPARE(bar.DrawBar(dc), 0);
        QCOMPARE(bar.hitRect, Rect{});
        QCOMPARE(bar.HitHandle(0, 0) + bar.HitHandle(1, -3) + bar.dragState, 0);
        bar.dragState = 2;
        bar.DragFeedback(dc, 2, 0);
        QCOMPARE(bar.EndDrag(dc, 0, 0), 1);
        QCOMPARE(QList<int>({bar.dragState, bar.palette.lower, bar.palette.upper}),
                 QList<int>({0, 0, 1279}));
        QCOMPARE(bar.RepaintBar(dc), 0);
        QVERIFY(AllWhite(dc));
    }

    // Bars one to three pixels high divided by zero; both handles sit on one row, where the
    // upper one wins.
    void barsOfOneOrTwoPixelsDrawAndDrag() {
        for (int height : {1, 3}) {
            Canvas dc;
            dc.Resize(60, 60);
            Ccolorbar bar;
            bar.barRect = {10, 20, 20, 20 + height};
            bar.DrawBar(dc);
            QCOMPARE(bar.HitHandle(20, 20), 2);
            QCOMPARE(bar.EndDrag(dc, 20, 20), 0);
            QVERIFY(bar.palette.upper > 640 && bar.palette.upper <= 1279);
            QCOMPARE(bar.HitHandle(20, 20 + height), 2);
            bar.dragState = 1;
            QCOMPARE(bar.EndDrag(dc, 20, 20), 0);
            QVERIFY(bar.palette.lower >= 0 && bar.palette.lower < 640);
            bar.DrawBar(dc);
        }
    }
};

QTEST_MAIN(ColourBarTest)
#include "ColourBarTest.moc"
