#include "ChartTestSupport.h"
#include "charts/Cfram.h"

// Frame layout: the rectangles of every screen at 1000 x 800 and the sizes that are laid out.
class LayoutTest : public QObject {
    Q_OBJECT

    static constexpr Rect kUntouched{1, 2, 3, 4};
    enum Field { Inner, Picture, Result, Detail1, Detail2, Gpr, Temp, Level, Speed, A1, A2, A3 };

    static QList<Rect*> Rects(Cfram& f) {
        return {&f.innerRect,   &f.pictureRect, &f.resultRect,      &f.detail1Rect,
                &f.detail2Rect, &f.gprRect,     &f.temperatureRect, &f.levelRect,
                &f.speedRect,   &f.anchor1Rect, &f.anchor2Rect,     &f.anchor3Rect};
    }

    // A layout whose every rectangle is kUntouched, so that what a kind leaves alone shows.
    static Cfram Fresh(LayoutKind kind, int width, int height) {
        Cfram f;
        for (Rect* r : Rects(f))
            *r = kUntouched;
        f.clientRect = {0, 0, width, height};
        f.layoutKind = kind;
        return f;
    }

private slots:
    void screensAt1000x800_data() {
        auto row =
            Table<LayoutKind, bool, QList<int>, QList<Rect>>({"kind", "gpr", "fields", "rects"});
        row("data view 3", LayoutKind::DataView3, false,
            {Inner, Result, Gpr, Picture, Detail2, Detail1},
            {{20, 16, 980, 784},
             {20, 16, 980, 400},
             {20, 16, 980, 400},
             {20, 440, 484, 784},
             {524, 440, 980, 577},
             {524, 599, 980, 784}});
        row("data view 3 with GPR", LayoutKind::DataView3, true, {Result, Gpr, Picture},
            {{20, 16, 980, 284}, {20, 304, 980, 561}, {20, 601, 267, 784}});
        row("result view", LayoutKind::Result, false, {Result}, {{50, 72, 960, 732}});
        // Data view 4 ignores the GPR switch and leaves the GPR rectangle alone.
        row("data view 4", LayoutKind::DataView4, true, {Gpr, Picture, Detail1},
            {kUntouched, {20, 440, 484, 784}, {524, 586, 980, 784}});
        row("GPS track", LayoutKind::GpsTrack, false, {Inner, Temp, Level, Speed},
            {{30, 32, 970, 776}, {30, 32, 970, 218}, {30, 298, 970, 484}, {30, 564, 970, 776}});
        row("data view 2", LayoutKind::DataView2, false, {Result, Gpr, Picture, A1, A2, A3},
            {{20, 16, 980, 169},
             {20, 16, 980, 169},
             {20, 209, 730, 784},
             {740, 209, 980, 229},
             {740, 329, 980, 349},
             {740, 389, 980, 409}});
    }
    void screensAt1000x800() {
        QFETCH(LayoutKind, kind);
        QFETCH(bool, gpr);
        QFETCH(QList<int>, fields);
        Cfram f = Fresh(kind, 1000, 800);
        QCOMPARE(f.ComputeLayout(gpr), 0);
        QList<Rect> got;
        for (int field : fields)
            got << *Rects(f)[field];
        QTEST(got, "rects");
    }

    // Up to 8192 pixels a side is laid out whatever the area; past it, or under 100 square
    // pixels, nothing changes.
    void clientSizes_data() {
        auto row = Table<int, int, int, Rect>({"width", "height", "result", "inner"});
        row("largest", 8192, 8192, 0, {163, 163, 8029, 8029});
        row("over three megapixels was refused", 3000, 1001, 0, {60, 20, 2940, 981});
        row("too wide", 8193, 800, 14, kUntouched);
        row("too high", 800, 8193, 14, kUntouched);
        row("99 square pixels", 9, 11, 12, kUntouched);
        row("100 square pixels", 10, 10, 0, {0, 0, 10, 10});
        row("inverted", -50, -50, 12, kUntouched);
    }
    void clientSizes() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, result);
        Cfram f = Fresh(LayoutKind::DataView3, width, height);
        QCOMPARE(f.ComputeLayout(false), result);
        QTEST(f.innerRect, "inner");
        if (result != 0)
            for (Rect* r : Rects(f))
                QCOMPARE(*r, kUntouched);
    }
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
